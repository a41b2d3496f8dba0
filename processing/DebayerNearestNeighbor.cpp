// Nearest-neighbour de-Bayering: every missing colour is copied from one neighbour to
// the left, above or upper left, so row 0 and column 0 are never written.
#include "processing/DebayerLanes.h"

using namespace debayer;

namespace {

constexpr PassReach kNearestReach{1, 0, 0, false};

template <class Kernel>
void RunNearestNeighborPass(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                            int rowBytes, int rowRemainder, PixelPath path, Kernel kernel) {
    RunSitePass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path, kNearestReach, kernel, WriteRgb{});
}

}  // namespace

void DebayerizeGreenRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                       int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                           [](const auto& at)
                               SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(-1, 0), at.S(0, 0), at.S(0, -1)); });
}

void DebayerizeRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                  int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                           [](const auto& at)
                               SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, 0), at.S(-1, 0), at.S(-1, -1)); });
}

void DebayerizeBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                   int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                           [](const auto& at)
                               SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(-1, -1), at.S(-1, 0), at.S(0, 0)); });
}

void DebayerizeGreenBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd,
                                        int yEnd, int rowBytes, int rowRemainder, PixelPath path) {
    RunNearestNeighborPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                           [](const auto& at)
                               SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, -1), at.S(0, 0), at.S(-1, 0)); });
}

void DebayerizeNearestNeighbor(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                               int rowRemainder, BayerColor pattern, PixelPath path) {
    if (!IsKnownPattern(pattern)) return;
    const FourSiteStarts& s = kFourSiteStarts[pattern];
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
