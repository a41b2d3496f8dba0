// FreeType behind the text calls. Glyphs are hinted so that their advances are whole
// pixels: a string is exactly as wide as the sum of its advances.
#include "platform/GlyphCache.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Beyond this many glyphs the cache starts again; the program draws a few sizes of
// a few dozen characters, far below it.
constexpr size_t kMaxCachedGlyphs = 4096;

int WholePixelsUp(long fixed26_6) { return static_cast<int>((fixed26_6 + 63) >> 6); }
int WholePixelsRounded(long fixed26_6) { return static_cast<int>((fixed26_6 + 32) >> 6); }

uint32_t GlyphKey(bool bold, int size, unsigned char c) {
    return (uint32_t(bold) << 24) | (uint32_t(size & 0xFFFF) << 8) | c;
}

}  // namespace

GlyphCache& GlyphCache::Instance() {
    static GlyphCache cache(SCOPECAM_FONT_REGULAR, SCOPECAM_FONT_BOLD);
    return cache;
}

GlyphCache::GlyphCache(const char* regularPath, const char* boldPath) {
    if (FT_Init_FreeType(&library_) != 0) {
        std::fprintf(stderr, "scopecam: FreeType could not start; text is not drawn\n");
        library_ = nullptr;
        return;
    }
    const char* const paths[2] = {regularPath, boldPath};
    for (int i = 0; i < 2; ++i) {
        if (FT_New_Face(library_, paths[i], 0, &faces_[i]) != 0) {
            std::fprintf(stderr, "scopecam: cannot open the font %s; its text is not drawn\n", paths[i]);
            faces_[i] = nullptr;
        }
    }
}

GlyphCache::~GlyphCache() {
    for (FT_Face face : faces_) {
        if (face != nullptr) FT_Done_Face(face);
    }
    if (library_ != nullptr) FT_Done_FreeType(library_);
}

FT_Face GlyphCache::FaceAtSize(bool bold, int size) {
    FT_Face face = faces_[bold ? 1 : 0];
    if (face == nullptr) return nullptr;
    int& current = faceSizes_[bold ? 1 : 0];
    if (current != size) {
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) return nullptr;
        current = size;
    }
    return face;
}

Glyph GlyphCache::Render(FT_Face face, unsigned char c) {
    Glyph glyph;
    // Anti-aliased rendering with the font's hinting; a character the font lacks
    // becomes its missing-glyph box.
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return glyph;
    const FT_GlyphSlot slot = face->glyph;
    glyph.advance = WholePixelsRounded(slot->advance.x);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return glyph;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.rows = static_cast<int>(bitmap.rows);
    glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
    for (int y = 0; y < glyph.rows; ++y) {
        std::memcpy(glyph.coverage.data() + static_cast<size_t>(y) * glyph.width,
                    bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch, static_cast<size_t>(glyph.width));
    }
    return glyph;
}

const Glyph* GlyphCache::Find(bool bold, int size, unsigned char c) {
    const uint32_t key = GlyphKey(bold, size, c);
    if (auto it = glyphs_.find(key); it != glyphs_.end()) return &it->second;
    FT_Face face = FaceAtSize(bold, size);
    if (face == nullptr) return nullptr;
    if (glyphs_.size() >= kMaxCachedGlyphs) glyphs_.clear();
    return &glyphs_.emplace(key, Render(face, c)).first->second;
}

FaceMetrics GlyphCache::Metrics(bool bold, int size) {
    FaceMetrics m;
    FT_Face face = FaceAtSize(bold, size);
    if (face == nullptr) return m;
    const FT_Size_Metrics& sm = face->size->metrics;
    m.ascent = WholePixelsUp(sm.ascender);
    m.descent = WholePixelsUp(-sm.descender);
    m.maxAdvance = WholePixelsUp(sm.max_advance);
    m.leading = std::max(0, WholePixelsUp(sm.height) - m.ascent - m.descent);
    return m;
}
