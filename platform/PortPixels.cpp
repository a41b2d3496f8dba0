// Clipping rectangles to what a port may draw, and the span fills every shape uses.
#include "platform/PortPixels.h"

#include <algorithm>

PixelSpan IntersectSpans(const PixelSpan& a, const PixelSpan& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

PixelSpan ClipSpanToPixMap(const PixMap& pm, const PixelSpan& span) {
    if (pm.baseAddr == nullptr) return {};
    return IntersectSpans(span, SpanOf(pm.bounds));
}

PixelSpan ClipSpanToPort(const GrafPort& port, const PixelSpan& span) {
    PixelSpan s = IntersectSpans(span, SpanOf(port.clipRect));
    s = IntersectSpans(s, SpanOf(port.portRect));
    return ClipSpanToPixMap(port.pixMap, s);
}

bool IsPortPixMap(const GrafPort& port, const PixMap& pm) {
    return pm.baseAddr != nullptr && pm.baseAddr == port.pixMap.baseAddr;
}

bool IsDarkColor(Rgb8 c) {
    // Rec. 601 luma weights in thousandths; half of 255 000 is the threshold.
    return 299 * c.r + 587 * c.g + 114 * c.b < 127500;
}

bool IsDarkColor(const RGBColor& c) { return IsDarkColor(ToRgb8(c)); }

namespace {

void FillRow32(uint8_t* row, int count, uint32_t word) {
    for (int i = 0; i < count; ++i) StorePixel(row + 4 * i, word);
}

void FillRow1(uint8_t* row, int first, int count, bool set) {
    for (int x = first; x < first + count; ++x) SetMaskBit(row, x, set);
}

// The pixel of pm at local column h within row.
uint8_t* PixelAt(const PixMap& pm, uint8_t* row, int h) { return row + 4 * (h - pm.bounds.left); }

bool IsUniformPattern(const Pattern& pat, uint8_t bits) {
    for (uint8_t row : pat.pat) {
        if (row != bits) return false;
    }
    return true;
}

}  // namespace

void FillSpan(GrafPort& port, const PixelSpan& s, const RGBColor& color) {
    if (s.Empty()) return;
    const PixMap& pm = port.pixMap;
    const int width = s.right - s.left;
    if (pm.pixelSize == 1) {
        const bool dark = IsDarkColor(color);
        for (int v = s.top; v < s.bottom; ++v) FillRow1(PixelRow(pm, v), s.left - pm.bounds.left, width, dark);
    } else {
        const uint32_t word = PackPixel(color);
        for (int v = s.top; v < s.bottom; ++v) FillRow32(PixelAt(pm, PixelRow(pm, v), s.left), width, word);
    }
    port.dirty = true;
}

void FillSpanWithPattern(GrafPort& port, const PixelSpan& s, const Pattern& pat,
                         const RGBColor& fg, const RGBColor& bg) {
    if (s.Empty()) return;
    // Solid patterns (the usual black pen) take the plain fill.
    if (IsUniformPattern(pat, 0xFF)) return FillSpan(port, s, fg);
    if (IsUniformPattern(pat, 0x00)) return FillSpan(port, s, bg);
    const PixMap& pm = port.pixMap;
    const bool oneBit = pm.pixelSize == 1;
    const uint32_t fgWord = PackPixel(fg);
    const uint32_t bgWord = PackPixel(bg);
    const bool fgDark = IsDarkColor(fg);
    const bool bgDark = IsDarkColor(bg);
    for (int v = s.top; v < s.bottom; ++v) {
        const uint8_t bits = pat.pat[v & 7];
        uint8_t* row = PixelRow(pm, v);
        for (int h = s.left; h < s.right; ++h) {
            const bool set = (bits & (0x80 >> (h & 7))) != 0;
            if (oneBit) {
                SetMaskBit(row, h - pm.bounds.left, set ? fgDark : bgDark);
            } else {
                StorePixel(PixelAt(pm, row, h), set ? fgWord : bgWord);
            }
        }
    }
    port.dirty = true;
}

void InvertSpan(GrafPort& port, const PixelSpan& s) {
    if (s.Empty()) return;
    const PixMap& pm = port.pixMap;
    const uint32_t colourBytes = PackPixel(Rgb8{255, 255, 255});
    for (int v = s.top; v < s.bottom; ++v) {
        uint8_t* row = PixelRow(pm, v);
        for (int h = s.left; h < s.right; ++h) {
            if (pm.pixelSize == 1) {
                const int column = h - pm.bounds.left;
                SetMaskBit(row, column, !GetMaskBit(row, column));
            } else {
                uint8_t* p = PixelAt(pm, row, h);
                StorePixel(p, LoadPixel(p) ^ colourBytes);
            }
        }
    }
    port.dirty = true;
}
