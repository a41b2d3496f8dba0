// Bilinear de-Bayering: every missing colour is the average of the two or four nearest
// sites of that colour. Row 0 and column 0 are never written; at the last column and
// row the neighbour past the frame is the mirrored one (x - 1 for x + 1, y - 1 for
// y + 1), so the edge pixels average their in-frame neighbours like the others.
#include "processing/DebayerLanes.h"

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

}  // namespace

void DebayerizeGreenRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                    [](const auto& at)
                        SCOPECAM_ALWAYS_INLINE { return MakeRgb(AcrossRow(at), at.S(0, 0), AcrossColumn(at)); });
}

void DebayerizeRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                           int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                    [](const auto& at) SCOPECAM_ALWAYS_INLINE { return MakeRgb(at.S(0, 0), Cross(at), Diagonal(at)); });
}

void DebayerizeBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                            int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                    [](const auto& at) SCOPECAM_ALWAYS_INLINE { return MakeRgb(Diagonal(at), Cross(at), at.S(0, 0)); });
}

void DebayerizeGreenBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                 int rowBytes, int rowRemainder, PixelPath path) {
    RunBilinearPass(src, dst, x0, y0, xEnd, yEnd, rowBytes, rowRemainder, path,
                    [](const auto& at)
                        SCOPECAM_ALWAYS_INLINE { return MakeRgb(AcrossColumn(at), at.S(0, 0), AcrossRow(at)); });
}

void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern, PixelPath path) {
    if (!IsKnownPattern(pattern)) return;
    const FourSiteStarts& s = kFourSiteStarts[pattern];
    DebayerizeGreenRedBilinear(src, dst, s.greenRed.x, s.greenRed.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeRedBilinear(src, dst, s.red.x, s.red.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeBlueBilinear(src, dst, s.blue.x, s.blue.y, width, height, rowBytes, rowRemainder, path);
    DebayerizeGreenBlueBilinear(src, dst, s.greenBlue.x, s.greenBlue.y, width, height, rowBytes, rowRemainder, path);
}

void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern) {
    DebayerizeBilinear(src, dst, width, height, rowBytes, rowRemainder, pattern, kDefaultPixelPath);
}
