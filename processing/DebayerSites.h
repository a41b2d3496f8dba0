// The site passes of the de-Bayering methods, shared by the files of the three
// methods. A site pass fills some channels of every second pixel of every second row
// (every row for the Laplacian green pass), starting at column x0 of row y0, while
// x < xEnd and y < yEnd. src and dst share rowBytes; rowRemainder = rowBytes - 4 x
// the frame's width.
//
// Every pass has a plain path, one site at a time, and a vector path that does eight
// sites at once with the same arithmetic (SSE2); the vector path is the one used, the
// plain one is its reference and does what the vector path leaves at the row ends.
// The three methods on their vector path do not run the passes one after the other:
// they make each output row whole from the same site kernels (DebayerRows.h).
#pragma once

#include <cstdint>

#include "processing/Debayerize.h"

enum class PixelPath {
    kPlain,
    kVector,
};

#if defined(__SSE2__)
constexpr PixelPath kDefaultPixelPath = PixelPath::kVector;
#else
constexpr PixelPath kDefaultPixelPath = PixelPath::kPlain;
#endif

// A site pass's starting column and row.
struct SiteStart {
    int x;
    int y;
};

// Nearest neighbour and bilinear: starts of the GreenRed, Red, Blue and GreenBlue
// passes for each layout. All are 1 or 2, so row 0 and column 0 are never written.
struct FourSiteStarts {
    SiteStart greenRed;
    SiteStart red;
    SiteStart blue;
    SiteStart greenBlue;
};
constexpr FourSiteStarts kFourSiteStarts[4] = {
    {{2, 2}, {1, 2}, {2, 1}, {1, 1}},  // kGRBG
    {{1, 2}, {2, 2}, {1, 1}, {2, 1}},  // kRGGB
    {{2, 1}, {1, 1}, {2, 2}, {1, 2}},  // kBGGR
    {{1, 1}, {2, 1}, {1, 2}, {2, 2}},  // kGBRG
};

inline bool IsKnownPattern(BayerColor pattern) { return pattern >= kGRBG && pattern <= kGBRG; }

// The methods with a chosen path.
void Debayerize(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes, int rowRemainder,
                BayerColor pattern, DebayerAlg algorithm, PixelPath path);
void DebayerizeNearestNeighbor(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                               int rowRemainder, BayerColor pattern, PixelPath path);
void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern, PixelPath path);
void DebayerizeLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int width,
                                                       int height, int rowBytes, int rowRemainder, BayerColor pattern,
                                                       PixelPath path);

// Nearest neighbour: each missing colour from one neighbour (left, above or upper left).
void DebayerizeGreenRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                       int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeRedNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                  int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                   int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeGreenBlueNearestNeighbor(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd,
                                        int yEnd, int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);

// Bilinear: each missing colour the average of its two or four nearest sites. At the
// last column and row the neighbour beyond the frame is taken as the mirrored one on
// the other side (x - 1 for x + 1, y - 1 for y + 1), so edges average like the rest.
void DebayerizeGreenRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeRedBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                           int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                            int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeGreenBlueBilinear(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                                 int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);

// Laplacian second order. CopyBayerPatternFromGreen is started at the parity of the
// GreenRed sites and covers the whole frame; the green pass visits every row, its
// start alternating between x0 and the other of 2 and 3; the other passes read the
// greens the green pass wrote.
void CopyBayerPatternFromGreen(const unsigned char* src, unsigned char* dst, int x0, int y0, int xEnd, int yEnd,
                               int rowBytes, int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeGreenOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                int y0, int xEnd, int yEnd, int rowBytes,
                                                                int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeRedHorOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                 int y0, int xEnd, int yEnd, int rowBytes,
                                                                 int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeRedVerOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                 int y0, int xEnd, int yEnd, int rowBytes,
                                                                 int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeBlueHorOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeBlueVerOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeRedDiagOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                  int y0, int xEnd, int yEnd, int rowBytes,
                                                                  int rowRemainder, PixelPath path = kDefaultPixelPath);
void DebayerizeBlueDiagOnlyLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int x0,
                                                                   int y0, int xEnd, int yEnd, int rowBytes,
                                                                   int rowRemainder,
                                                                   PixelPath path = kDefaultPixelPath);
