// How the de-Bayering site passes run: the neighbourhood of one site (plain path) or of
// eight sites two pixels apart (vector path), the arithmetic on both, and the loops
// over a row and over the rows of a pass. A pass is written once as a kernel, a
// generic lambda of its neighbourhood; the plain path runs it on ints, the vector path
// on eight 16-bit lanes, so both give the same bytes.
//
// Every intermediate value of the methods lies within -1020..1020 (four samples, or
// twice one sample less two others, added), so 16-bit lanes hold it; x >> n is an
// arithmetic shift in both paths.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "processing/DebayerSites.h"
#include "processing/FramePixels.h"

// Kernels and neighbourhood reads are small and called in the innermost loops: they
// must be inlined for the compiler to share the loads between a kernel's reads.
#define SCOPECAM_ALWAYS_INLINE __attribute__((always_inline))

namespace debayer {

// The rows around a site's row y, at index dy + 2 for dy = -2..2: the incoming samples
// and the result so far (whose greens the Laplacian passes read). Rows a pass does not
// reach are null.
struct RowWindow {
    const uint8_t* src[5] = {};
    const uint8_t* dst[5] = {};
    uint8_t* out = nullptr;  // row y of the result
};

// Rows y - up .. y + down. A row at or past rowCount stands for the mirrored row as
// far before the last one (the bilinear edge rule); passes that never reach past
// their frame pass no rowCount.
inline RowWindow MakeRowWindow(const uint8_t* src, uint8_t* dst, int rowBytes, int y, int up, int down,
                               int rowCount = INT_MAX) {
    RowWindow rows;
    for (int dy = -up; dy <= down; ++dy) {
        int r = y + dy;
        if (r >= rowCount) r = 2 * (rowCount - 1) - r;
        const ptrdiff_t offset = static_cast<ptrdiff_t>(r) * rowBytes;
        rows.src[dy + 2] = src + offset;
        rows.dst[dy + 2] = dst + offset;
    }
    rows.out = dst + static_cast<ptrdiff_t>(y) * rowBytes;
    return rows;
}

template <class L>
struct Rgb {
    L red;
    L green;
    L blue;
};

template <class L>
Rgb<L> MakeRgb(L red, L green, L blue) {
    return {red, green, blue};
}

// ---- Plain path: one site ----

inline int Sar(int a, int n) { return a >> n; }
inline int Abs(int a) { return a < 0 ? -a : a; }
inline bool Less(int a, int b) { return a < b; }
inline bool Greater(int a, int b) { return a > b; }
inline int Select(bool m, int a, int b) { return m ? a : b; }

// The site at column x: S the incoming sample, G the result's green, at (x + dx,
// y + dy). A column past lastColumn stands for the mirrored one before it.
struct PlainSite {
    const RowWindow& rows;
    int x;
    int lastColumn;

    int Offset(int dx) const {
        int c = x + dx;
        if (c > lastColumn) c = 2 * lastColumn - c;
        return 4 * c + kGreenByte;
    }
    int S(int dx, int dy) const { return rows.src[dy + 2][Offset(dx)]; }
    int G(int dx, int dy) const { return rows.dst[dy + 2][Offset(dx)]; }
};

// Red, green and blue of a site; 0 in the unused byte. The values lie within 0..255.
struct WriteRgb {
    void operator()(uint8_t* row, int x, const Rgb<int>& c) const {
        uint8_t* p = row + 4 * x;
        p[0] = 0;
        p[kRedByte] = static_cast<uint8_t>(c.red);
        p[kGreenByte] = static_cast<uint8_t>(c.green);
        p[kBlueByte] = static_cast<uint8_t>(c.blue);
    }
};

// One channel of a site, clamped to 0..255.
template <int kByte>
struct WriteChannel {
    void operator()(uint8_t* row, int x, int value) const {
        row[4 * x + kByte] = static_cast<uint8_t>(std::clamp(value, 0, 255));
    }
};

// ---- Vector path: eight sites two pixels apart, in 16-bit lanes ----

#if defined(__SSE2__)

struct Lanes {
    __m128i v;
};
struct LaneMask {
    __m128i m;
};

inline Lanes operator+(Lanes a, Lanes b) { return {_mm_add_epi16(a.v, b.v)}; }
inline Lanes operator-(Lanes a, Lanes b) { return {_mm_sub_epi16(a.v, b.v)}; }
inline Lanes Sar(Lanes a, int n) { return {_mm_sra_epi16(a.v, _mm_cvtsi32_si128(n))}; }
inline Lanes Abs(Lanes a) { return {_mm_max_epi16(a.v, _mm_sub_epi16(_mm_setzero_si128(), a.v))}; }
inline LaneMask Less(Lanes a, Lanes b) { return {_mm_cmplt_epi16(a.v, b.v)}; }
inline LaneMask Greater(Lanes a, Lanes b) { return {_mm_cmpgt_epi16(a.v, b.v)}; }
inline Lanes Select(LaneMask m, Lanes a, Lanes b) {
    return {_mm_or_si128(_mm_and_si128(m.m, a.v), _mm_andnot_si128(m.m, b.v))};
}

inline __m128 LoadFourPixels(const uint8_t* p) {
    return _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// The green bytes of eight pixel words (two vectors) in 16-bit lanes. In a pixel word
// (little-endian: unused, red, green, blue from the bottom) green is bits 16..23:
// shift blue out at the top, then green down to the bottom.
inline Lanes GreensOf(__m128 words03, __m128 words47) {
    const __m128i a = _mm_srli_epi32(_mm_slli_epi32(_mm_castps_si128(words03), 8), 24);
    const __m128i b = _mm_srli_epi32(_mm_slli_epi32(_mm_castps_si128(words47), 8), 24);
    return {_mm_packs_epi32(a, b)};
}

// The greens of pixels 0, 2, ..., 14 and of pixels 1, 3, ..., 15 of the sixteen from
// p. Both read the same four vectors, which the compiler loads once when a kernel
// asks for both.
inline Lanes EvenGreens(const uint8_t* p) {
    return GreensOf(_mm_shuffle_ps(LoadFourPixels(p), LoadFourPixels(p + 16), _MM_SHUFFLE(2, 0, 2, 0)),
                    _mm_shuffle_ps(LoadFourPixels(p + 32), LoadFourPixels(p + 48), _MM_SHUFFLE(2, 0, 2, 0)));
}
inline Lanes OddGreens(const uint8_t* p) {
    return GreensOf(_mm_shuffle_ps(LoadFourPixels(p), LoadFourPixels(p + 16), _MM_SHUFFLE(3, 1, 3, 1)),
                    _mm_shuffle_ps(LoadFourPixels(p + 32), LoadFourPixels(p + 48), _MM_SHUFFLE(3, 1, 3, 1)));
}

// The lanes moved one site on (lane i takes lane i + 1), the last lane filling in.
inline Lanes NextSite(Lanes a, int last) { return {_mm_insert_epi16(_mm_srli_si128(a.v, 2), last, 7)}; }
// The lanes moved one site back (lane i takes lane i - 1), the first lane filling in.
inline Lanes PreviousSite(Lanes a, int first) { return {_mm_insert_epi16(_mm_slli_si128(a.v, 2), first, 0)}; }

// Eight sites from column x: pixels x, x + 2, ..., x + 14. The samples of a row at
// dx = -2..2 all come from the sixteen pixels from x - 1 (the same loads, which the
// compiler shares between the calls), and one more pixel at either end for +-1 and
// +-2: dx = -1 are its even pixels, dx = 0 its odd ones.
//
// The result's own row (G at dy = 0) is read from x instead, one pixel more taken
// singly: the sites just written before x end at pixel x - 1, and a vector load that
// straddled that store would wait for it to reach the cache.
struct VectorSites {
    const RowWindow& rows;
    int x;

    SCOPECAM_ALWAYS_INLINE static Lanes Green(const uint8_t* row, int x, int dx) {
        const uint8_t* from = row + 4 * (x - 1);
        switch (dx) {
            case -2:
                return PreviousSite(OddGreens(from), row[4 * (x - 2) + kGreenByte]);
            case -1:
                return EvenGreens(from);
            case 0:
                return OddGreens(from);
            case 1:
                return NextSite(EvenGreens(from), row[4 * (x + 15) + kGreenByte]);
            default:
                return NextSite(OddGreens(from), row[4 * (x + 16) + kGreenByte]);
        }
    }
    SCOPECAM_ALWAYS_INLINE static Lanes GreenFromSite(const uint8_t* row, int x, int dx) {
        const uint8_t* from = row + 4 * x;
        switch (dx) {
            case -2:
                return PreviousSite(EvenGreens(from), row[4 * (x - 2) + kGreenByte]);
            case -1:
                return PreviousSite(OddGreens(from), row[4 * (x - 1) + kGreenByte]);
            case 0:
                return EvenGreens(from);
            case 1:
                return OddGreens(from);
            default:
                return NextSite(EvenGreens(from), row[4 * (x + 16) + kGreenByte]);
        }
    }
    SCOPECAM_ALWAYS_INLINE Lanes S(int dx, int dy) const { return Green(rows.src[dy + 2], x, dx); }
    SCOPECAM_ALWAYS_INLINE Lanes G(int dx, int dy) const {
        return dy == 0 ? GreenFromSite(rows.dst[2], x, dx) : Green(rows.dst[dy + 2], x, dx);
    }
};

// Writes four site words into the even pixels of the eight from p; the odd pixels keep
// every byte. mask selects the bytes of a site's pixel that change (all four, or one
// channel); words hold 0 outside it.
inline void StoreEvenPixels(uint8_t* p, __m128i words, __m128i mask) {
    __m128i* q = reinterpret_cast<__m128i*>(p);
    const __m128 low = _mm_castsi128_ps(_mm_loadu_si128(q));
    const __m128 high = _mm_castsi128_ps(_mm_loadu_si128(q + 1));
    const __m128i sites = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i others = _mm_castps_si128(_mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
    const __m128i merged = _mm_or_si128(_mm_andnot_si128(mask, sites), words);
    _mm_storeu_si128(q, _mm_unpacklo_epi32(merged, others));
    _mm_storeu_si128(q + 1, _mm_unpackhi_epi32(merged, others));
}

inline void WriteSitesRgb(uint8_t* row, int x, const Rgb<Lanes>& c) {
    // Per site the 16-bit halves of its pixel word: (unused, red) and (green, blue).
    const __m128i low = _mm_slli_epi16(c.red.v, 8);
    const __m128i high = _mm_or_si128(c.green.v, _mm_slli_epi16(c.blue.v, 8));
    const __m128i all = _mm_set1_epi32(-1);
    StoreEvenPixels(row + 4 * x, _mm_unpacklo_epi16(low, high), all);
    StoreEvenPixels(row + 4 * x + 32, _mm_unpackhi_epi16(low, high), all);
}

template <int kByte>
inline void WriteSitesChannel(uint8_t* row, int x, Lanes value) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i clamped = _mm_min_epi16(_mm_max_epi16(value.v, zero), _mm_set1_epi16(255));
    const __m128i mask = _mm_set1_epi32(static_cast<int>(0xFFu << (8 * kByte)));
    StoreEvenPixels(row + 4 * x, _mm_slli_epi32(_mm_unpacklo_epi16(clamped, zero), 8 * kByte), mask);
    StoreEvenPixels(row + 4 * x + 32, _mm_slli_epi32(_mm_unpackhi_epi16(clamped, zero), 8 * kByte), mask);
}

inline void WriteSites(WriteRgb, uint8_t* row, int x, const Rgb<Lanes>& c) { WriteSitesRgb(row, x, c); }
template <int kByte>
inline void WriteSites(WriteChannel<kByte>, uint8_t* row, int x, Lanes value) {
    WriteSitesChannel<kByte>(row, x, value);
}

#endif  // __SSE2__

// ---- Loops ----

// The sites x0, x0 + 2, ... < xEnd of one row. width is the row's pixel count;
// reachRight how far right of a site the pass reads (columns past lastColumn are
// mirrored, on the plain path only: the vector path stops early enough never to need
// it). The vector path takes eight sites at a time while everything it reads and
// rewrites (pixels x - 2 .. x + 15 + reachRight) lies inside the row.
template <class Kernel, class Write>
void RunSiteRow(const RowWindow& rows, int x0, int xEnd, int width, int lastColumn, int reachRight,
                [[maybe_unused]] PixelPath path, Kernel kernel, Write write) {
    int x = x0;
#if defined(__SSE2__)
    if (path == PixelPath::kVector) {
        for (; x + 14 < xEnd && x + 15 + reachRight < width; x += 16) {
            WriteSites(write, rows.out, x, kernel(VectorSites{rows, x}));
        }
    }
#endif
    for (; x < xEnd; x += 2) write(rows.out, x, kernel(PlainSite{rows, x, lastColumn}));
}

// How far from a site a pass reads, and whether it mirrors at the frame's edge.
struct PassReach {
    int up;
    int down;
    int right;
    bool mirrorAtEnd;  // xEnd and yEnd are the frame's edges; neighbours past them mirror
};

// The sites of every second row from y0: the common shape of the site passes.
template <class Kernel, class Write>
void RunSitePass(const uint8_t* src, uint8_t* dst, int x0, int y0, int xEnd, int yEnd, int rowBytes, int rowRemainder,
                 PixelPath path, PassReach reach, Kernel kernel, Write write) {
    const int width = (rowBytes - rowRemainder) / 4;
    const int rowCount = reach.mirrorAtEnd ? yEnd : INT_MAX;
    const int lastColumn = reach.mirrorAtEnd ? xEnd - 1 : INT_MAX;
    for (int y = y0; y < yEnd; y += 2) {
        const RowWindow rows = MakeRowWindow(src, dst, rowBytes, y, reach.up, reach.down, rowCount);
        RunSiteRow(rows, x0, xEnd, width, lastColumn, reach.right, path, kernel, write);
    }
}

}  // namespace debayer
