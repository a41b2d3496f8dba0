// De-Bayering: turning the raw samples of a colour-filter sensor (one colour a pixel,
// carried in the green byte) into a full-colour frame.
#pragma once

#include <cstdint>

class GWorldWrapper;

// The sensor's colour layout, named by its top-left 2 x 2 cell (first row, then
// second row). Stored by number in the preferences.
enum BayerColor : int32_t {
    kGRBG = 0,
    kRGGB = 1,
    kBGGR = 2,
    kGBRG = 3,
};

// The de-Bayering method. Stored by number in the preferences.
enum DebayerAlg : int32_t {
    kNearestNeighbor = 0,       // the missing colours from one neighbour each
    kBilinear = 1,              // the average of the two or four nearest sites of a colour
    kLaplacianSecondOrder = 2,  // edge-directed, with a second-order correction
};

// The scratch buffer the result is built in: created at the first de-Bayered frame
// with that frame's size and kept for the rest of the run.
extern GWorldWrapper* gDebayerTempGW;

// De-Bayers the whole frame in place. A pattern or algorithm number outside the ones
// above turns the frame black.
void DebayerizeImageFromGreenChannel(GWorldWrapper& frame, BayerColor pattern, DebayerAlg algorithm);

// De-Bayers the pixel memory src into dst (same geometry: rowBytes from one row to the
// next, rowRemainder = rowBytes - 4 x width). dst is expected black: bytes that the
// method does not write are left as they are.
void Debayerize(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes, int rowRemainder,
                BayerColor pattern, DebayerAlg algorithm);

// The three methods for the four layouts; a pattern outside them writes nothing.
void DebayerizeNearestNeighbor(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                               int rowRemainder, BayerColor pattern);
void DebayerizeBilinear(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes,
                        int rowRemainder, BayerColor pattern);
void DebayerizeLinearInterpolationLaplacianSecondOrder(const unsigned char* src, unsigned char* dst, int width,
                                                       int height, int rowBytes, int rowRemainder, BayerColor pattern);
