// The glyph cache behind the text calls: one rendering per face, size and character,
// and no glyphs (but no crash) when a font file is missing.
#include <gtest/gtest.h>

#include <string>

#include "platform/GlyphCache.h"

namespace {

int Occurrences(const std::string& text, const std::string& word) {
    int count = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++count;
    return count;
}

TEST(GlyphCacheTest, GlyphsAreKeptPerFaceSizeAndCharacter) {
    GlyphCache& cache = GlyphCache::Instance();
    const Glyph* a12 = cache.Find(false, 12, 'A');
    ASSERT_NE(a12, nullptr);
    EXPECT_EQ(cache.Find(false, 12, 'A'), a12);
    const Glyph* a13 = cache.Find(false, 13, 'A');
    const Glyph* boldA12 = cache.Find(true, 12, 'A');
    ASSERT_NE(a13, nullptr);
    ASSERT_NE(boldA12, nullptr);
    EXPECT_NE(a13, a12);
    EXPECT_NE(boldA12, a12);
    EXPECT_GT(a12->advance, 0);
    EXPECT_GT(a12->rows, 0);
    EXPECT_EQ(a12->coverage.size(), static_cast<size_t>(a12->width) * a12->rows);
    // A glyph looked up again after others were added is still the same one.
    EXPECT_EQ(cache.Find(false, 12, 'A'), a12);
}

TEST(GlyphCacheTest, MissingFontFilesGiveNoGlyphsAndAreReportedOnce) {
    testing::internal::CaptureStderr();
    {
        GlyphCache cache("/nonexistent/scopecam-regular.ttf", "/nonexistent/scopecam-bold.ttf");
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cache.Find(false, 12, 'A'), nullptr);
            EXPECT_EQ(cache.Find(true, 9, 'x'), nullptr);
        }
        const FaceMetrics m = cache.Metrics(false, 12);
        EXPECT_EQ(m.ascent, 0);
        EXPECT_EQ(m.descent, 0);
        EXPECT_EQ(m.maxAdvance, 0);
    }
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Occurrences(err, "scopecam-regular.ttf"), 1) << err;
    EXPECT_EQ(Occurrences(err, "scopecam-bold.ttf"), 1) << err;
}

}  // namespace
