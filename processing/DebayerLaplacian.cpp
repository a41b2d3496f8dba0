// Edge-directed de-Bayering with a second-order (Laplacian) correction. First every
// raw sample goes into its own channel; then green is interpolated at the red and blue
// sites along the direction in which the samples change least; then red and blue at
// the green sites from their two neighbours of that colour, and red at the blue sites
// and blue at the red sites along the flatter diagonal, each corrected by the
// curvature of the interpolated greens. The passes stay two pixels (green) or one
// pixel (the others) away from the frame's edges, so every neighbour they read lies
// inside the frame.
#include "processing/DebayerLanes.h"

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
    const auto both = Sar(hL + vL, 3) + Sar(up + left + right + down, 2);
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
    const auto both = Sar(l1 + l2, 2) + Sar(upLeft + upRight + downLeft + downRight, 2);
    return Select(Less(d1, d2), alongFirst, Select(Greater(d1, d2), alongSecond, both));
};

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
