// Text on the current port: DejaVu Sans (plain or bold) at the port's size, drawn
// anti-aliased at the pen with the baseline at the pen's v. A string inks only the
// columns pen.h .. pen.h + width - 1 and moves the pen by its width.
#include <algorithm>

#include "platform/GlyphCache.h"
#include "platform/PortPixels.h"
#include "platform/QuickDraw.h"

namespace {

constexpr int kDefaultTextSize = 12;

int PixelSize(const GrafPort& port) { return port.txSize > 0 ? port.txSize : kDefaultTextSize; }
bool IsBold(const GrafPort& port) { return (port.txFace & bold) != 0; }

std::string_view PascalView(ConstStr255Param s) {
    return s != nullptr ? std::string_view(reinterpret_cast<const char*>(s + 1), s[0]) : std::string_view();
}

int WidthOf(const GrafPort& port, std::string_view text) {
    GlyphCache& cache = GlyphCache::Instance();
    int width = 0;
    for (char c : text) {
        if (const Glyph* g = cache.Find(IsBold(port), PixelSize(port), static_cast<unsigned char>(c))) {
            width += g->advance;
        }
    }
    return width;
}

// Moves a 32-bit pixel from its colour towards fg by coverage/255.
void BlendPixel(uint8_t* p, Rgb8 fg, int coverage) {
    const int keep = 255 - coverage;
    p[0] = 0;
    p[1] = static_cast<uint8_t>((p[1] * keep + fg.r * coverage + 127) / 255);
    p[2] = static_cast<uint8_t>((p[2] * keep + fg.g * coverage + 127) / 255);
    p[3] = static_cast<uint8_t>((p[3] * keep + fg.b * coverage + 127) / 255);
}

// Draws glyph g with its origin at (h, v), only inside the clipped span.
void DrawGlyph(GrafPort& port, const Glyph& g, int h, int v, const PixelSpan& clip) {
    const PixelSpan box{h + g.left, v - g.top, h + g.left + g.width, v - g.top + g.rows};
    const PixelSpan s = IntersectSpans(box, clip);
    if (s.Empty()) return;
    const PixMap& pm = port.pixMap;
    const Rgb8 fg = ToRgb8(port.fgColor);
    const bool fgDark = IsDarkColor(fg);
    for (int y = s.top; y < s.bottom; ++y) {
        const uint8_t* coverage = g.coverage.data() + static_cast<size_t>(y - box.top) * g.width;
        uint8_t* row = PixelRow(pm, y);
        for (int x = s.left; x < s.right; ++x) {
            const int c = coverage[x - box.left];
            if (c == 0) continue;
            if (pm.pixelSize == 1) {
                if (c >= 128) SetMaskBit(row, x - pm.bounds.left, fgDark);
            } else {
                BlendPixel(row + 4 * (x - pm.bounds.left), fg, c);
            }
        }
    }
    port.dirty = true;
}

}  // namespace

void TextSize(int size) {
    if (GrafPort* port = CurrentPort()) port->txSize = static_cast<int16_t>(size);
}

void TextFace(int16_t face) {
    if (GrafPort* port = CurrentPort()) port->txFace = face;
}

// One family serves every font number.
void TextFont(int16_t) {}

void DrawText(std::string_view text) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || text.empty()) return;
    const int width = WidthOf(*port, text);
    if (width <= 0) return;
    const int penH = port->pnLoc.h;
    const int penV = port->pnLoc.v;
    // Glyphs that reach beyond their advance (side bearings) are cut at the string's
    // own columns, so a string never inks outside pen.h .. pen.h + width - 1.
    const PixelSpan clip = ClipSpanToPort(*port, {penH, penV - 0x10000, penH + width, penV + 0x10000});
    GlyphCache& cache = GlyphCache::Instance();
    int h = penH;
    for (char c : text) {
        const Glyph* g = cache.Find(IsBold(*port), PixelSize(*port), static_cast<unsigned char>(c));
        if (g == nullptr) continue;
        if (!clip.Empty()) DrawGlyph(*port, *g, h, penV, clip);
        h += g->advance;
    }
    port->pnLoc.h = static_cast<int16_t>(penH + width);
}

void DrawString(ConstStr255Param s) { DrawText(PascalView(s)); }

short TextWidthOf(std::string_view text) {
    const GrafPort* port = CurrentPort();
    return port != nullptr ? static_cast<short>(WidthOf(*port, text)) : 0;
}

short StringWidth(ConstStr255Param s) { return TextWidthOf(PascalView(s)); }

void GetFontInfo(FontInfo* info) {
    const GrafPort* port = CurrentPort();
    FaceMetrics m;
    if (port != nullptr) m = GlyphCache::Instance().Metrics(IsBold(*port), PixelSize(*port));
    info->ascent = static_cast<int16_t>(m.ascent);
    info->descent = static_cast<int16_t>(m.descent);
    info->widMax = static_cast<int16_t>(m.maxAdvance);
    info->leading = static_cast<int16_t>(m.leading);
}
