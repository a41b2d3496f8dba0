// Pixel-level access for the drawing calls: the one place where a rectangle becomes
// the span of pixels a port may draw, and the span fills that every shape uses.
// Internal to platform/.
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/QuickDraw.h"

// A rectangle of pixels in a port's local coordinates, held in int so that pen and
// shape arithmetic near the 16-bit limits cannot wrap. Covers left..right-1 and
// top..bottom-1 like a Rect.
struct PixelSpan {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool Empty() const { return right <= left || bottom <= top; }
};

inline PixelSpan SpanOf(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
PixelSpan IntersectSpans(const PixelSpan& a, const PixelSpan& b);

// The part of span that lies inside the pixel map's bounds.
PixelSpan ClipSpanToPixMap(const PixMap& pm, const PixelSpan& span);
// The part of span that the port may draw: inside its clip rectangle, its port
// rectangle and its pixel map. Every drawing primitive starts here.
PixelSpan ClipSpanToPort(const GrafPort& port, const PixelSpan& span);

// Whether pm holds the pixels of the port (the same memory).
bool IsPortPixMap(const GrafPort& port, const PixMap& pm);

// The first byte of local row v (32-bit and 1-bit maps alike).
inline uint8_t* PixelRow(const PixMap& pm, int v) {
    return pm.baseAddr + static_cast<ptrdiff_t>(v - pm.bounds.top) * pm.RowBytes();
}

// 8-bit components of a colour and the 32-bit pixel word that holds them in memory
// order 0, red, green, blue.
struct Rgb8 {
    uint8_t r, g, b;
};
inline Rgb8 ToRgb8(const RGBColor& c) {
    return {uint8_t(c.red >> 8), uint8_t(c.green >> 8), uint8_t(c.blue >> 8)};
}
inline uint32_t PackPixel(Rgb8 c) {
    const uint8_t bytes[4] = {0, c.r, c.g, c.b};
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}
inline uint32_t PackPixel(const RGBColor& c) { return PackPixel(ToRgb8(c)); }
inline uint32_t LoadPixel(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}
inline void StorePixel(uint8_t* p, uint32_t word) { std::memcpy(p, &word, 4); }

// On a 1-bit map a colour is black (a set bit) when its luminance is below half.
bool IsDarkColor(const RGBColor& c);
bool IsDarkColor(Rgb8 c);

inline bool GetMaskBit(const uint8_t* row, int column) {
    return (row[column >> 3] & (0x80 >> (column & 7))) != 0;
}
inline void SetMaskBit(uint8_t* row, int column, bool set) {
    const uint8_t bit = uint8_t(0x80 >> (column & 7));
    if (set) {
        row[column >> 3] |= bit;
    } else {
        row[column >> 3] &= uint8_t(~bit);
    }
}

// Span fills on a port's pixels. Callers clip the span with ClipSpanToPort first; the
// fills mark the port dirty.
void FillSpan(GrafPort& port, const PixelSpan& clipped, const RGBColor& color);
// Pattern aligned to the port's local coordinates: row v uses pat[v & 7], column h
// the bit 0x80 >> (h & 7); a set bit paints fg, a clear bit bg.
void FillSpanWithPattern(GrafPort& port, const PixelSpan& clipped, const Pattern& pat,
                         const RGBColor& fg, const RGBColor& bg);
void InvertSpan(GrafPort& port, const PixelSpan& clipped);
