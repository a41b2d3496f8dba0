// Whole-frame de-Bayering on the vector path, one output row at a time. The raw
// samples of each incoming row are gathered once into a compact row of 16-bit values,
// split into the samples of the even and of the odd columns. Every output row is then
// made sixteen pixels at a time: the eight pixels of even columns and the eight of odd
// columns each in one set of lanes, with no per-pixel choice of site (in one row all
// even columns are sites of one kind, all odd columns of the other). The kernels are
// the methods' own site kernels, so the bytes are those of the site passes; only the
// order in which the pixels are made differs, and every pixel is written once, with
// whole-vector stores.
#pragma once

#if defined(__SSE2__)

#include <emmintrin.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "processing/DebayerLanes.h"

namespace debayer {

constexpr int kBlockPixels = 16;  // pixels made together: eight column pairs
constexpr int kBlockPairs = kBlockPixels / 2;

// One compact row: the samples of columns 2k (even[k]) and 2k + 1 (odd[k]).
struct SampleRow {
    uint16_t* even = nullptr;
    uint16_t* odd = nullptr;
};

// Columns 2k + d, 2k + 2 + d, ..., 2k + 14 + d of a compact row. With d = 2q + r
// (r = 0 or 1, q rounded down) they are entries k + q .. k + q + 7 of the even (r = 0)
// or odd (r = 1) samples.
SCOPECAM_ALWAYS_INLINE inline Lanes ColumnsFrom(const SampleRow& row, int k, int d) {
    const uint16_t* samples = (d & 1) != 0 ? row.odd : row.even;
    return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + k + (d >> 1)))};
}

// A few compact rows of a frame of the given width, reused in turn: row y lives in
// slot y % slots. Each half row has room for column -16 .. width + 16 or so, so that
// the eight lanes from any pair of a block, one pair to either side, and the mirrored
// column past the last (the bilinear edge rule) can all be read; entries no column
// fills hold 0 or an older row's samples, and feed only pixels that are not written
// or whose values are blended away.
class SampleRows {
public:
    SampleRows(int width, int slots)
        : slots_(slots),
          stride_(kMargin + (width / 2 + 1 + kBlockPairs - 1) / kBlockPairs * kBlockPairs + kMargin),
          storage_(static_cast<size_t>(2 * stride_) * slots) {}

    SampleRow Row(int y) {
        uint16_t* even = storage_.data() + static_cast<ptrdiff_t>(y % slots_) * 2 * stride_;
        return {even + kMargin, even + stride_ + kMargin};
    }

    // Every entry of row y's slot to 0.
    void Clear(int y) {
        const auto slot = storage_.begin() + static_cast<ptrdiff_t>(y % slots_) * 2 * stride_;
        std::fill(slot, slot + 2 * stride_, 0);
    }

private:
    static constexpr int kMargin = 16;
    int slots_;
    int stride_;
    std::vector<uint16_t> storage_;
};

// The sample of column x >= 0.
inline uint16_t& SampleAt(const SampleRow& row, int x) {
    uint16_t* samples = (x & 1) != 0 ? row.odd : row.even;
    return samples[x / 2];
}

// The green bytes of one incoming row (width pixel words) into a compact row.
inline void GatherSamples(const uint8_t* in, int width, const SampleRow& row) {
    int x = 0;
    for (; x + kBlockPixels <= width; x += kBlockPixels) {
        const uint8_t* p = in + 4 * x;
        const __m128 w0 = LoadFourPixels(p), w1 = LoadFourPixels(p + 16);
        const __m128 w2 = LoadFourPixels(p + 32), w3 = LoadFourPixels(p + 48);
        const Lanes even = GreensOf(_mm_shuffle_ps(w0, w1, _MM_SHUFFLE(2, 0, 2, 0)),
                                    _mm_shuffle_ps(w2, w3, _MM_SHUFFLE(2, 0, 2, 0)));
        const Lanes odd = GreensOf(_mm_shuffle_ps(w0, w1, _MM_SHUFFLE(3, 1, 3, 1)),
                                   _mm_shuffle_ps(w2, w3, _MM_SHUFFLE(3, 1, 3, 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row.even + x / 2), even.v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row.odd + x / 2), odd.v);
    }
    for (; x < width; ++x) SampleAt(row, x) = in[4 * x + kGreenByte];
}


// The rows around output row y, at index dy + 2 for dy = -2..2: the compact incoming
// samples and, for the Laplacian, the compact greens of the result. Rows a method does
// not read stay empty.
struct RowSet {
    SampleRow samples[5];
    SampleRow greens[5];
};

// Eight sites of one column parity j (0 even, 1 odd) from column pair k: columns
// 2k + j, 2k + j + 2, ..., 2k + j + 14. S and G as for the site passes: the incoming
// sample and the result's green at (x + dx, y + dy), eight sites in 16-bit lanes.
template <int j>
struct PairSites {
    const RowSet& rows;
    int k;

    SCOPECAM_ALWAYS_INLINE Lanes S(int dx, int dy) const { return ColumnsFrom(rows.samples[dy + 2], k, j + dx); }
    SCOPECAM_ALWAYS_INLINE Lanes G(int dx, int dy) const { return ColumnsFrom(rows.greens[dy + 2], k, j + dx); }
};

// The layout of one row: which parity of column holds green, and whether the other
// columns are red (a row of the GreenRed sites) or blue.
struct RowKind {
    bool greenAtEven;
    bool redRow;
};

// greenRed is the column and row (or any of the same parity) of a GreenRed site. A
// red row has green at the GreenRed sites' column parity, a blue row at the other.
inline RowKind KindOfRow(SiteStart greenRed, int y) {
    const bool redRow = ((y - greenRed.y) & 1) == 0;
    return {((greenRed.x & 1) == 0) == redRow, redRow};
}

// Sixteen pixels as four vectors of pixel words (unused byte 0, then red, green, blue).
struct PixelBlock {
    __m128i words[4];
};

inline PixelBlock MakePixelBlock(const Rgb<Lanes>& even, const Rgb<Lanes>& odd) {
    // Each channel clamped to 0..255 into bytes: the even columns in bytes 0..7, the odd in 8..15.
    const __m128i red = _mm_packus_epi16(even.red.v, odd.red.v);
    const __m128i green = _mm_packus_epi16(even.green.v, odd.green.v);
    const __m128i blue = _mm_packus_epi16(even.blue.v, odd.blue.v);
    // Per pixel the 16-bit halves of its word, (unused, red) and (green, blue), still
    // in the even and odd columns apart; then the words, and last the two parities
    // interleaved back into column order.
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowEven = _mm_unpacklo_epi8(zero, red), highEven = _mm_unpacklo_epi8(green, blue);
    const __m128i lowOdd = _mm_unpackhi_epi8(zero, red), highOdd = _mm_unpackhi_epi8(green, blue);
    const __m128i even0 = _mm_unpacklo_epi16(lowEven, highEven), even8 = _mm_unpackhi_epi16(lowEven, highEven);
    const __m128i odd0 = _mm_unpacklo_epi16(lowOdd, highOdd), odd8 = _mm_unpackhi_epi16(lowOdd, highOdd);
    return {{_mm_unpacklo_epi32(even0, odd0), _mm_unpackhi_epi32(even0, odd0), _mm_unpacklo_epi32(even8, odd8),
             _mm_unpackhi_epi32(even8, odd8)}};
}

// Writes pixels from .. to - 1 of the block of columns x .. x + 15 into row out. A
// block that lies wholly inside the range is stored directly; one that reaches past
// it (the row's ends) goes through a small buffer, so no byte outside the range,
// padding or a pixel to keep, is touched.
inline void StorePixels(uint8_t* out, int x, int from, int to, const PixelBlock& block) {
    if (from == x && to == x + kBlockPixels) {
        for (int i = 0; i < 4; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x + 16 * i), block.words[i]);
        return;
    }
    alignas(16) uint8_t staged[4 * kBlockPixels];
    for (int i = 0; i < 4; ++i) _mm_store_si128(reinterpret_cast<__m128i*>(staged + 16 * i), block.words[i]);
    std::memcpy(out + 4 * from, staged + 4 * (from - x), static_cast<size_t>(4 * (to - from)));
}

template <bool kGreenAtEven, bool kRedRow, class Kernel>
void WriteRowPixelsOfKind(uint8_t* out, int from, int to, const RowSet& rows, Kernel kernel) {
    using EvenIsGreen = std::bool_constant<kGreenAtEven>;
    using OddIsGreen = std::bool_constant<!kGreenAtEven>;
    using RedRow = std::bool_constant<kRedRow>;
    for (int x = from / kBlockPixels * kBlockPixels; x < to; x += kBlockPixels) {
        const int k = x / 2;
        const Rgb<Lanes> even = kernel(PairSites<0>{rows, k}, EvenIsGreen{}, RedRow{});
        const Rgb<Lanes> odd = kernel(PairSites<1>{rows, k}, OddIsGreen{}, RedRow{});
        StorePixels(out, x, std::max(from, x), std::min(to, x + kBlockPixels), MakePixelBlock(even, odd));
    }
}

// Makes pixels from .. to - 1 (0 <= from) of one output row: kernel(at, isGreen,
// redRow) gives the red, green and blue of the eight sites at, which are green sites
// or not and lie in a red or a blue row as the two std::bool_constant say.
template <class Kernel>
void WriteRowPixels(uint8_t* out, int from, int to, const RowSet& rows, RowKind kind, Kernel kernel) {
    // A copy of the row pointers that no store can reach, so the loop keeps them in
    // registers.
    const RowSet local = rows;
    if (kind.greenAtEven) {
        if (kind.redRow) {
            WriteRowPixelsOfKind<true, true>(out, from, to, local, kernel);
        } else {
            WriteRowPixelsOfKind<true, false>(out, from, to, local, kernel);
        }
    } else {
        if (kind.redRow) {
            WriteRowPixelsOfKind<false, true>(out, from, to, local, kernel);
        } else {
            WriteRowPixelsOfKind<false, false>(out, from, to, local, kernel);
        }
    }
}

// The sixteen pixels of the block of columns x .. x + 15 from kernel, as in
// WriteRowPixels.
template <bool kGreenAtEven, bool kRedRow, class Kernel>
SCOPECAM_ALWAYS_INLINE inline PixelBlock MakeBlockOfKind(const RowSet& rows, int x, Kernel kernel) {
    using RedRow = std::bool_constant<kRedRow>;
    const int k = x / 2;
    const Rgb<Lanes> even = kernel(PairSites<0>{rows, k}, std::bool_constant<kGreenAtEven>{}, RedRow{});
    const Rgb<Lanes> odd = kernel(PairSites<1>{rows, k}, std::bool_constant<!kGreenAtEven>{}, RedRow{});
    return MakePixelBlock(even, odd);
}

// The pixels of inner where the block's column (x + 0 .. x + 15) lies within
// innerFrom .. innerTo - 1, those of edge elsewhere.
inline PixelBlock BlendPixels(const PixelBlock& edge, const PixelBlock& inner, int x, int innerFrom, int innerTo) {
    const __m128i from = _mm_set1_epi32(innerFrom);
    const __m128i to = _mm_set1_epi32(innerTo);
    PixelBlock blended;
    for (int i = 0; i < 4; ++i) {
        const __m128i column = _mm_add_epi32(_mm_set1_epi32(x + 4 * i), _mm_setr_epi32(0, 1, 2, 3));
        const __m128i isInner = _mm_andnot_si128(_mm_cmplt_epi32(column, from), _mm_cmplt_epi32(column, to));
        blended.words[i] =
            _mm_or_si128(_mm_and_si128(isInner, inner.words[i]), _mm_andnot_si128(isInner, edge.words[i]));
    }
    return blended;
}

template <bool kGreenAtEven, bool kRedRow, class EdgeKernel, class InnerKernel>
void WriteWholeRowOfKind(uint8_t* out, int width, int innerFrom, int innerTo, const RowSet& rows, EdgeKernel edge,
                         InnerKernel inner) {
    const auto blendedBlock = [&](int x) {
        return BlendPixels(MakeBlockOfKind<kGreenAtEven, kRedRow>(rows, x, edge),
                           MakeBlockOfKind<kGreenAtEven, kRedRow>(rows, x, inner), x, innerFrom, innerTo);
    };
    int x = 0;
    for (; x < width && x < innerFrom; x += kBlockPixels) {
        StorePixels(out, x, x, std::min(width, x + kBlockPixels), blendedBlock(x));
    }
    for (; x + kBlockPixels <= innerTo; x += kBlockPixels) {
        StorePixels(out, x, x, x + kBlockPixels, MakeBlockOfKind<kGreenAtEven, kRedRow>(rows, x, inner));
    }
    for (; x < width; x += kBlockPixels) {
        StorePixels(out, x, x, std::min(width, x + kBlockPixels), blendedBlock(x));
    }
}

// Makes every pixel of one output row of width pixels: those of columns innerFrom ..
// innerTo - 1 (innerFrom <= innerTo) with the kernel inner, the others with edge. The
// blocks that straddle innerFrom or innerTo are made with both kernels and blended
// pixel by pixel, so that they too are stored whole; only a block past the row's end
// goes through the small buffer. inner may read the neighbours of every column of
// the blocks it helps make, even those it does not give.
template <class EdgeKernel, class InnerKernel>
void WriteWholeRow(uint8_t* out, int width, int innerFrom, int innerTo, const RowSet& rows, RowKind kind,
                   EdgeKernel edge, InnerKernel inner) {
    const RowSet local = rows;  // as in WriteRowPixels
    if (kind.greenAtEven) {
        if (kind.redRow) {
            WriteWholeRowOfKind<true, true>(out, width, innerFrom, innerTo, local, edge, inner);
        } else {
            WriteWholeRowOfKind<true, false>(out, width, innerFrom, innerTo, local, edge, inner);
        }
    } else {
        if (kind.redRow) {
            WriteWholeRowOfKind<false, true>(out, width, innerFrom, innerTo, local, edge, inner);
        } else {
            WriteWholeRowOfKind<false, false>(out, width, innerFrom, innerTo, local, edge, inner);
        }
    }
}

// Picks one of four site kernels by the kind of the sites.
template <class IsGreen, class RedRow, class GreenRed, class Red, class Blue, class GreenBlue>
SCOPECAM_ALWAYS_INLINE inline auto SiteKernelFor(IsGreen, RedRow, const GreenRed& greenRed, const Red& red,
                                                 const Blue& blue, const GreenBlue& greenBlue) {
    if constexpr (RedRow::value) {
        if constexpr (IsGreen::value) {
            return greenRed;
        } else {
            return red;
        }
    } else {
        if constexpr (IsGreen::value) {
            return greenBlue;
        } else {
            return blue;
        }
    }
}

// The row kernel of a method whose four kinds of site each have a kernel of their own.
template <class GreenRed, class Red, class Blue, class GreenBlue>
inline auto FourSiteKernel(GreenRed greenRed, Red red, Blue blue, GreenBlue greenBlue) {
    return [=](const auto& at, auto isGreen, auto redRow) SCOPECAM_ALWAYS_INLINE {
        return SiteKernelFor(isGreen, redRow, greenRed, red, blue, greenBlue)(at);
    };
}

}  // namespace debayer

#endif  // __SSE2__
