// Bilinear de-Bayering: every missing colour is the average of the two or four nearest
// sites of that colour. Row 0 and column 0 are never written; at the last column and
// row the neighbour past the frame is the mirrored one (x - 1 for x + 1, y - 1 for
// y + 1), so the edge pixels average their in-frame neighbours like the others.
#include "processing/DebayerLanes.h"
#include "processing/DebayerRows.h"

using namespace debayer;

namespace {

constexpr PassReach kBilinearReach{1, 1, 1, true};

template <class Kernel>
void RunBilinearPass(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd, int rowBytes,
                     int rowRemainder, PixelPath path, Kernel kernel) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kBilinearReach, kernel, WriteRgb{});
}

// The averages a site needs: of its left and right, its upper and lower, its four
// side and its four corner neighbours.
template <class Site>
auto AcrossRow(const Site& at) {
    return Sar(at.S(-1, 0) + at.S(1, 0), 1);
}
template <class Site>
auto AcrossColumn(const Site& at) {
    return Sar(at.S(0, -1) + at.S(0, 1), 1);
}
template <class Site>
auto Cross(const Site& at) {
    return Sar(at.S(0, -1) + at.S(-1, 0) + at.S(1, 0) + at.S(0, 1), 2);
}
template <class Site>
auto Diagonal(const Site& at) {
    return Sar(at.S(-1, -1) + at.S(1, -1) + at.S(-1, 1) + at.S(1, 1), 2);
}

// The site kernels.
const auto kGreenRedSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(AcrossRow(at), at.S(0, 0), AcrossColumn(at)); };
const auto kRedSite = [](const auto& at) SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, 0), Cross(at), Diagonal(at)); };
const auto kBlueSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(Diagonal(at), Cross(at), at.S(0, 0)); };
const auto kGreenBlueSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(AcrossColumn(at), at.S(0, 0), AcrossRow(at)); };

#if defined(__SSE2__)

// The whole frame a row at a time: rows 1 .. height - 1, columns 1 .. width - 1, each
// pixel from the kernel of its kind of site, reading the rows above and below it. The
// edge rule is built into the compact rows: each carries the mirror of its column
// width - 2 at column width, and below the last row lies the one above it.
void DebayerizeBilinearRows(const uint8_t* src, uint8_t* dst, int width, int height, int rowBytes,
                            SiteStart greenRed) {
    if (width < 2 || height < 2) return;
    SampleRows compact(width, 3);
    const auto gather = [&](int y) {
        const SampleRow row = compact.Row(y);
        GatherSamples(src + static_cast<ptrdiff_t>(y) * rowBytes, width, row);
        SampleAt(row, width) = SampleAt(row, width - 2);
    };
    gather(0);
    gather(1);
    for (int y = 1; y < height; ++y) {
        if (y + 1 < height) gather(y + 1);
        RowSet rows;
        rows.samples[1] = compact.Row(y - 1);
        rows.samples[2] = compact.Row(y);
        rows.samples[3] = compact.Row(y + 1 < height ? y + 1 : y - 1);
        WriteRowPixels(dst + static_cast<ptrdiff_t>(y) * rowBytes, 1, width, rows, KindOfRow(greenRed, y),
                       FourSiteKernel(kGreenRedSite, kRedSite, kBlueSite, kGreenBlueSite));
    }
}

#endif

}  // namespace

void DebayerizeGreenRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kGreenRedSite);
}

void DebayerizeRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                           int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kRedSite);
}

void DebayerizeBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                            int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kBlueSite);
}

void DebayerizeGreenBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                 int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kGreenBlueSite);
}

void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern, PixelPath path) {
    if (!IsKnownPattern(pattern)) return;
    const FourSiteStarts& s = kFourSiteStarts[pattern];
#if defined(__SSE2__)
    // The four passes together visit every pixel of rows and columns 1 onwards once.
    if (path == PixelPath::kVector) {
        DebayerizeBilinearRows(src, dst, width, height, rowBytes, s.greenRed);
        return;
    }
#endif
    DebayerizeGreenRedBilinear(src, dst, s.greenRed.x, s.greenRed.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeRedBilinear(src, dst, s.red.x, s.red.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeBlueBilinear(src, dst, s.blue.x, s.blue.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeGreenBlueBilinear(src, dst, s.greenBlue.x, s.greenBlue.y, width, height, rowBytes, rowRemainder, path);
}

void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern) {
    DebayerizeBilinear(src, dst, width, height, rowBytes, rowRemainder, pattern, kDefaultPixelPath);
}
