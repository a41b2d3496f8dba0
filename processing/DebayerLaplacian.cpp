// Edge-directed de-Bayering with a second-order (Laplacian) correction. First every
// raw sample goes into its own channel; then green is interpolated at the red and blue
// sites along the direction in which the samples change least; then red and blue at
// the green sites from their two neighbours of that colour, and red at the blue sites
// and blue at the red sites along the flatter diagonal, each corrected by the
// curvature of the interpolated greens. The passes stay two pixels (green) or one
// pixel (the others) away from the frame's edges, so every neighbour they read lies
// inside the frame.
#include "processing/DebayerLanes.h"
#include "processing/DebayerRows.h"

using namespace debayer;

namespace {

struct LaplacianStarts {
    SiteStart copy;  // the parity of the GreenRed sites
    SiteStart green;
    SiteStart redHor;
    SiteStart redVer;
    SiteStart blueHor;
    SiteStart blueVer;
    SiteStart redDiag;
    SiteStart blueDiag;
};
constexpr LaplacianStarts kLaplacianStarts[4] = {
    {{0, 0}, {3, 2}, {2, 2}, {3, 3}, {3, 3}, {2, 2}, {2, 3}, {3, 2}},  // kGRBG
    {{1, 0}, {2, 2}, {3, 2}, {2, 3}, {2, 3}, {3, 2}, {3, 3}, {2, 2}},  // kRGGB
    {{0, 1}, {2, 2}, {2, 3}, {3, 2}, {3, 2}, {2, 3}, {2, 2}, {3, 3}},  // kBGGR
    {{1, 1}, {3, 2}, {3, 3}, {2, 2}, {2, 2}, {3, 3}, {3, 2}, {2, 3}},  // kGBRG
};

constexpr PassReach kNearReach{1, 1, 1, false};
constexpr PassReach kGreenReach{2, 2, 2, false};

// Every sample of one row into one channel of the result, the other bytes 0: the
// pixels of even columns into byte evenByte, those of odd columns into oddByte.
void CopyRowSamplesToChannels(const uint8_t* in, uint8_t* out, int width, int evenByte, int oddByte,
                              [[maybe_unused]] PixelPath path) {
    int x = 0;
#if defined(__SSE2__)
    if (path == PixelPath::kVector) {
        const __m128i evenShift = _mm_cvtsi32_si128(8 * evenByte);
        const __m128i oddShift = _mm_cvtsi32_si128(8 * oddByte);
        const __m128i evenPixels = _mm_set_epi32(0, -1, 0, -1);
        for (; x + 3 < width; x += 4) {
            const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * x));
            const __m128i samples = _mm_srli_epi32(_mm_slli_epi32(words, 8), 24);  // green to the bottom
            const __m128i even = _mm_sll_epi32(samples, evenShift);
            const __m128i odd = _mm_sll_epi32(samples, oddShift);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                             _mm_or_si128(_mm_and_si128(evenPixels, even), _mm_andnot_si128(evenPixels, odd)));
        }
    }
#endif
    for (; x < width; ++x) {
        uint8_t* p = out + 4 * x;
        const uint8_t sample = in[4 * x + kGreenByte];
        p[0] = p[kRedByte] = p[kGreenByte] = p[kBlueByte] = 0;
        p[x % 2 == 0 ? evenByte : oddByte] = sample;
    }
}

// Green at a red or blue site, from the row or the column along which the samples
// change least (first-order difference of the green neighbours plus the Laplacian of
// the site's own colour), corrected by a quarter of that Laplacian.
const auto kGreenAtColourSite = [](const auto& at) SCOPECAM_ALWAYS_INLINE {
    const auto c = at.S(0, 0);
    const auto left = at.S(-1, 0);
    const auto right = at.S(1, 0);
    const auto up = at.S(0, -1);
    const auto down = at.S(0, 1);
    const auto hL = c + c - at.S(-2, 0) - at.S(2, 0);
    const auto vL = c + c - at.S(0, -2) - at.S(0, 2);
    const auto dH = Abs(hL) + Abs(left - right);
    const auto dV = Abs(vL) + Abs(up - down);
    const auto alongRow = Sar(hL, 2) + Sar(left + right, 1);
    const auto alongColumn = Sar(vL, 2) + Sar(up + down, 1);
    const auto both = Sar(hL + vL, 3) + Sar((left + right) + (up + down), 2);  // the pair sums above, shared
    return Select(Less(dH, dV), alongRow, Select(Greater(dH, dV), alongColumn, both));
};

// A colour at a green site from its left and right neighbours of that colour,
// corrected by a quarter of the green Laplacian across them.
const auto kFromRowNeighbours = [](const auto& at) SCOPECAM_ALWAYS_INLINE {
    const auto c = at.S(0, 0);
    return Sar(at.S(-1, 0) + at.S(1, 0), 1) + Sar(c + c - at.G(-1, 0) - at.G(1, 0), 2);
};

// The same from the neighbours above and below.
const auto kFromColumnNeighbours = [](const auto& at) SCOPECAM_ALWAYS_INLINE {
    const auto c = at.S(0, 0);
    return Sar(at.S(0, -1) + at.S(0, 1), 1) + Sar(c + c - at.G(0, -1) - at.G(0, 1), 2);
};

// Red at a blue site or blue at a red site, from the diagonal along which the colour
// and the greens change least, corrected by half the green Laplacian along it.
const auto kFromDiagonalNeighbours = [](const auto& at) SCOPECAM_ALWAYS_INLINE {
    const auto g = at.G(0, 0);
    const auto upLeft = at.S(-1, -1);
    const auto downRight = at.S(1, 1);
    const auto upRight = at.S(1, -1);
    const auto downLeft = at.S(-1, 1);
    const auto l1 = g + g - at.G(-1, -1) - at.G(1, 1);
    const auto l2 = g + g - at.G(1, -1) - at.G(-1, 1);
    const auto d1 = Abs(l1) + Abs(upLeft - downRight);
    const auto d2 = Abs(l2) + Abs(upRight - downLeft);
    const auto alongFirst = Sar(l1, 1) + Sar(upLeft + downRight, 1);
    const auto alongSecond = Sar(l2, 1) + Sar(upRight + downLeft, 1);
    const auto both = Sar(l1 + l2, 2) + Sar((upLeft + downRight) + (upRight + downLeft), 2);
    return Select(Less(d1, d2), alongFirst, Select(Greater(d1, d2), alongSecond, both));
};

#if defined(__SSE2__)

// Green at the red and blue sites (columns of parity j) of a row with the rows two
// above and two below it in around, clamped, into the compact greens of that row:
// at columns 2 .. width - 3, as the green pass; the sites outside those get 0.
template <int j>
void InterpolateGreenRow(const RowSet& around, const SampleRow& greens, int width) {
    uint16_t* out = j == 0 ? greens.even : greens.odd;
    const __m128i zero = _mm_setzero_si128();
    const __m128i max = _mm_set1_epi16(255);
    for (int x = 0; x < width; x += kBlockPixels) {
        const int k = x / 2;
        const Lanes g = kGreenAtColourSite(PairSites<j>{around, k});
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_min_epi16(_mm_max_epi16(g.v, zero), max));
    }
    // Site k is column 2k + j: k = 0 lies left of column 2, and from k = (width - 1 - j) / 2
    // on the sites lie right of column width - 3.
    out[0] = 0;
    const int computed = (width + kBlockPixels - 1) / kBlockPixels * kBlockPairs;
    for (int k = std::max(0, (width - 1 - j) / 2); k < computed; ++k) out[k] = 0;
}

// The raw sample alone, in its own channel: what the edge pixels keep.
const auto kRawSample = [](const auto& at, auto isGreen, auto redRow) SCOPECAM_ALWAYS_INLINE {
    const Lanes s = at.S(0, 0);
    const Lanes zero{_mm_setzero_si128()};
    if constexpr (isGreen) {
        return MakeRgb(zero, s, zero);
    } else if constexpr (redRow) {
        return MakeRgb(s, zero, zero);
    } else {
        return MakeRgb(zero, zero, s);
    }
};

// An inner pixel: its sample, and the two missing colours from the passes that fill
// them at its kind of site (the green from the greens made before).
const auto kInnerPixel = [](const auto& at, auto isGreen, auto redRow) SCOPECAM_ALWAYS_INLINE {
    const Lanes s = at.S(0, 0);
    if constexpr (isGreen) {
        // The colour of the row from its left and right neighbours, the other from above and below.
        const Lanes alongRow = kFromRowNeighbours(at);
        const Lanes alongColumn = kFromColumnNeighbours(at);
        return redRow ? MakeRgb(alongRow, s, alongColumn) : MakeRgb(alongColumn, s, alongRow);
    } else {
        const Lanes diagonal = kFromDiagonalNeighbours(at);
        const Lanes green = at.G(0, 0);
        return redRow ? MakeRgb(s, green, diagonal) : MakeRgb(diagonal, green, s);
    }
};

// The whole frame a row at a time. Row y (2 .. height - 2) reads the samples and the
// greens of rows y - 1 .. y + 1; the greens of row y + 1 are made just before, from
// the samples of rows y - 1 .. y + 3. Rows and columns the passes do not reach keep
// their raw sample only.
void DebayerizeLaplacianRows(const uint8_t* src, uint8_t* dst, int width, int height, int rowBytes,
                             SiteStart greenRed) {
    SampleRows samples(width, 5);  // rows y - 1 .. y + 3 while row y is made
    SampleRows greens(width, 3);   // rows y - 1 .. y + 1
    int gathered = 0;
    const auto gatherThrough = [&](int last) {
        for (; gathered <= std::min(last, height - 1); ++gathered) {
            GatherSamples(src + static_cast<ptrdiff_t>(gathered) * rowBytes, width, samples.Row(gathered));
        }
    };
    int greensMade = 0;
    const auto greensThrough = [&](int last) {
        for (; greensMade <= last; ++greensMade) {
            const int r = greensMade;
            if (r < 2 || r >= height - 2) {
                greens.Clear(r);
                continue;
            }
            gatherThrough(r + 2);
            RowSet around;
            for (int dy = -2; dy <= 2; ++dy) around.samples[dy + 2] = samples.Row(r + dy);
            if (KindOfRow(greenRed, r).greenAtEven) {
                InterpolateGreenRow<1>(around, greens.Row(r), width);
            } else {
                InterpolateGreenRow<0>(around, greens.Row(r), width);
            }
        }
    };
    for (int y = 0; y < height; ++y) {
        uint8_t* out = dst + static_cast<ptrdiff_t>(y) * rowBytes;
        const RowKind kind = KindOfRow(greenRed, y);
        RowSet rows;
        if (y < 2 || y > height - 2) {
            gatherThrough(y);
            rows.samples[2] = samples.Row(y);
            WriteRowPixels(out, 0, width, rows, kind, kRawSample);
            continue;
        }
        greensThrough(y + 1);
        gatherThrough(y + 1);  // already, unless the frame is too small for any greens
        for (int dy = -1; dy <= 1; ++dy) {
            rows.samples[dy + 2] = samples.Row(y + dy);
            rows.greens[dy + 2] = greens.Row(y + dy);
        }
        // Columns 2 .. width - 2 inside, the two first and the last raw; the blocks at
        // the row's ends are blended from both rather than stored through a buffer.
        const int innerFrom = std::min(2, width);
        const int innerTo = std::max(innerFrom, width - 1);
        WriteWholeRow(out, width, innerFrom, innerTo, rows, kind, kRawSample, kInnerPixel);
    }
}

#endif

}  // namespace

void CopyBayerPatternFromGreen(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                               int rowBytes, [[maybe_unused]] int rowRemainder, PixelPath path) {
    for (int y = 0; y < yEnd; ++y) {
        // Rows of the GreenRed sites hold green at the columns of x0's parity and red
        // between; the other rows blue at x0's parity and green between.
        const bool greenRedRow = ((y - y0) & 1) == 0;
        const int atX0Parity = greenRedRow ? kGreenByte : kBlueByte;
        const int between = greenRedRow ? kRedByte : kGreenByte;
        const bool x0Even = (x0 & 1) == 0;
        const ptrdiff_t offset = static_cast<ptrdiff_t>(y) * rowBytes;
        CopyRowSamplesToChannels(src + offset, dst + offset, xEnd, x0Even ? atX0Parity : between,
                                 x0Even ? between : atX0Parity, path);
    }
}

void DebayerizeGreenOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                int y0, int xEnd, int yEnd, int rowBytes,
                                                                int rowRemainder, PixelPath path) {
    const int width = (rowBytes - rowRemainder) / 4;
    // Every row: the red and blue sites alternate between columns 2 and 3 (from even
    // and from odd) row by row.
    int xs = x0;
    for (int y = y0; y < yEnd; ++y, xs = 5 - xs) {
        const RowWindow rows = MakeRowWindow(src, dst, rowBytes, y, kGreenReach.up, kGreenReach.down);
        RunSiteRow(rows, xs, xEnd, width, INT_MAX, kGreenReach.right, path, kGreenAtColourSite,
                   WriteChannel<kGreenByte>{});
    }
}

void DebayerizeRedHorOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                 int y0, int xEnd, int yEnd, int rowBytes,
                                                                 int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromRowNeighbours,
                WriteChannel<kRedByte>{});
}

void DebayerizeRedVerOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                 int y0, int xEnd, int yEnd, int rowBytes,
                                                                 int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromColumnNeighbours,
                WriteChannel<kRedByte>{});
}

void DebayerizeBlueHorOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromRowNeighbours,
                WriteChannel<kBlueByte>{});
}

void DebayerizeBlueVerOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromColumnNeighbours,
                WriteChannel<kBlueByte>{});
}

void DebayerizeRedDiagOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromDiagonalNeighbours,
                WriteChannel<kRedByte>{});
}

void DebayerizeBlueDiagOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                   int y0, int xEnd, int yEnd, int rowBytes,
                                                                   int rowRemainder, PixelPath path) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearReach, kFromDiagonalNeighbours,
                WriteChannel<kBlueByte>{});
}

void DebayerizeLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int width,
                                                       int height, int rowBytes, int rowRemainder, BayerColor pattern,
                                                       PixelPath path) {
    if (!IsKnownPattern(pattern)) return;
    const LaplacianStarts& s = kLaplacianStarts[pattern];
#if defined(__SSE2__)
    if (path == PixelPath::kVector) {
        DebayerizeLaplacianRows(src, dst, width, height, rowBytes, s.copy);
        return;
    }
#endif
    CopyBayerPatternFromGreen(src, dst, s.copy.x, s.copy.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeGreenOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.green.x, s.green.y, width - 2, height - 2,
                                                               rowBytes, rowRemainder, path);
    // Red and blue stay one pixel inside the frame.
    const int xEnd = width - 1;
    const int yEnd = height - 1;
    DebayerizeRedHorOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.redHor.x, s.redHor.y, xEnd, yEnd, rowBytes,
                                                                rowRemainder, path);
    DebayerizeRedVerOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.redVer.x, s.redVer.y, xEnd, yEnd, rowBytes,
                                                                rowRemainder, path);
    DebayerizeBlueHorOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.blueHor.x, s.blueHor.y, xEnd, yEnd,
                                                                 rowBytes, rowRemainder, path);
    DebayerizeBlueVerOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.blueVer.x, s.blueVer.y, xEnd, yEnd,
                                                                 rowBytes, rowRemainder, path);
    DebayerizeRedDiagOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.redDiag.x, s.redDiag.y, xEnd, yEnd,
                                                                 rowBytes, rowRemainder, path);
    DebayerizeBlueDiagOnlyLinearInterpolationLaplacianSecondOrder(src, dst, s.blueDiag.x, s.blueDiag.y, xEnd, yEnd,
                                                                  rowBytes, rowRemainder, path);
}

void DebayerizeLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int width,
                                                       int height, int rowBytes, int rowRemainder, BayerColor pattern) {
    DebayerizeLinearInterpolationLaplacianSecondOrder(src, dst, width, height, rowBytes, rowRemainder, pattern,
                                                      kDefaultPixelPath);
}
