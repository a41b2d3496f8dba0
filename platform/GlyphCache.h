// The fonts behind the text calls: DejaVu Sans and DejaVu Sans Bold through FreeType,
// with every glyph rendered once per face, pixel size and character and kept.
// Internal to platform/.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

struct FT_LibraryRec_;
struct FT_FaceRec_;

// A rendered glyph: anti-aliased coverage (0..255), rows top to bottom, placed
// relative to the pen on the baseline.
struct Glyph {
    int advance = 0;  // whole pixels the pen moves
    int left = 0;     // columns from the pen to the bitmap's first column
    int top = 0;      // rows from the bitmap's first row down to the baseline
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage;
};

struct FaceMetrics {
    int ascent = 0;
    int descent = 0;
    int maxAdvance = 0;
    int leading = 0;
};

class GlyphCache {
public:
    // The cache the text calls use, over DejaVu Sans; opens the fonts on first use.
    static GlyphCache& Instance();

    // A cache over the given font files. A file that cannot be opened is reported
    // once on stderr; its face then has no glyphs and no metrics.
    GlyphCache(const char* regularPath, const char* boldPath);
    ~GlyphCache();
    GlyphCache(const GlyphCache&) = delete;
    GlyphCache& operator=(const GlyphCache&) = delete;

    // The glyph of character c (Latin-1) in the face at pixel size size; null when the
    // face's font file could not be opened.
    const Glyph* Find(bool bold, int size, unsigned char c);
    FaceMetrics Metrics(bool bold, int size);

private:
    FT_FaceRec_* FaceAtSize(bool bold, int size);
    Glyph Render(FT_FaceRec_* face, unsigned char c);

    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* faces_[2] = {nullptr, nullptr};  // plain, bold
    int faceSizes_[2] = {0, 0};                   // pixel size each face is set to
    std::unordered_map<uint32_t, Glyph> glyphs_;
};
