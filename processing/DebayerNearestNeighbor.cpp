// Nearest-neighbour de-Bayering: every missing colour is copied from one neighbour to
// the left, above or upper left, so row 0 and column 0 are never written.
#include "processing/DebayerLanes.h"
#include "processing/DebayerRows.h"

using namespace debayer;

namespace {

constexpr PassReach kNearestReach{1, 0, 0, false};

template <class Kernel>
void RunNearestNeighborPass(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                            int rowBytes, int rowRemainder, PixelPath path, Kernel kernel) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearestReach, kernel, WriteRgb{});
}

// The site kernels: red, green and blue of a site from the site and its left, upper
// and upper-left neighbours.
const auto kGreenRedSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(-1, 0), at.S(0, 0), at.S(0, -1)); };
const auto kRedSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, 0), at.S(-1, 0), at.S(-1, -1)); };
const auto kBlueSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(-1, -1), at.S(-1, 0), at.S(0, 0)); };
const auto kGreenBlueSite = [](const auto& at)
    SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, -1), at.S(0, 0), at.S(-1, 0)); };

#if defined(__SSE2__)

// The whole frame a row at a time: rows 1 .. height - 1, columns 1 .. width - 1, each
// pixel from the kernel of its kind of site, reading its own row and the one above.
void DebayerizeNearestNeighborRows(const uint8_t* src, uint8_t* dst, int width, int height, int rowBytes,
                                   SiteStart greenRed) {
    if (width < 2 || height < 2) return;
    SampleRows compact(width, 2);
    GatherSamples(src, width, compact.Row(0));
    for (int y = 1; y < height; ++y) {
        const ptrdiff_t offset = static_cast<ptrdiff_t>(y) * rowBytes;
        RowSet rows;
        rows.samples[1] = compact.Row(y - 1);
        rows.samples[2] = compact.Row(y);
        GatherSamples(src + offset, width, rows.samples[2]);
        WriteRowPixels(dst + offset, 1, width, rows, KindOfRow(greenRed, y),
                       FourSiteKernel(kGreenRedSite, kRedSite, kBlueSite, kGreenBlueSite));
    }
}

#endif

}  // namespace

void DebayerizeGreenRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                       int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kGreenRedSite);
}

void DebayerizeRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                  int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kRedSite);
}

void DebayerizeBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                   int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kBlueSite);
}

void DebayerizeGreenBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd,
                                        int yEnd, int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kGreenBlueSite);
}

void DebayerizeNearestNeighbor(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                               int rowRemainder, BayerColor pattern, PixelPath path) {
    if (!IsKnownPattern(pattern)) return;
    const FourSiteStarts& s = kFourSiteStarts[pattern];
#if defined(__SSE2__)
    // The four passes together visit every pixel of rows and columns 1 onwards once.
    if (path == PixelPath::kVector) {
        DebayerizeNearestNeighborRows(src, dst, width, height, rowBytes, s.greenRed);
        return;
    }
#endif
    DebayerizeGreenRedNearestNeighbor(src, dst, s.greenRed.x, s.greenRed.y, width, height, rowBytes, rowRemainder,
                                      path);
    DebayerizeRedNearestNeighbor(src, dst, s.red.x, s.red.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeBlueNearestNeighbor(src, dst, s.blue.x, s.blue.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeGreenBlueNearestNeighbor(src, dst, s.greenBlue.x, s.greenBlue.y, width, height, rowBytes, rowRemainder,
                                       path);
}

void DebayerizeNearestNeighbor(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                               int rowRemainder, BayerColor pattern) {
    DebayerizeNearestNeighbor(src, dst, width, height, rowBytes, rowRemainder, pattern, kDefaultPixelPath);
}
