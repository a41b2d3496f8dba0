// The focus measurement's geometry, shared by the measurement (RawFrameProcessor's
// focus-aid operations, FocusAid.cpp) and the focus-aid window that plots it.
//
// The measurement works on the histogram rectangle when it is a square of 32, 64, 128
// or 256 pixels (right column and bottom row included). Its spectrum is summed into
// rings of equal spatial frequency: ring d holds the coefficients whose distance from
// the zero frequency truncates to d, for d = 0 .. n * sqrt(2) / 2 - 1.
#pragma once

#include "platform/MacTypes.h"

// The side n of the rectangle when it is a square the focus aid measures; 0 otherwise.
int GetFocusSquareSide(const Rect& rect);

// The number of distance rings of a square of side n: n * sqrt(2) / 2, truncated
// (22, 45, 90 and 181 for 32, 64, 128 and 256).
int CountFocusBins(int side);

// The high cutoff a new square starts with, n * sqrt(2) / 2 as a float (45.254... for
// 64): with the low cutoff at 0 the band then covers every ring.
float GetFullBandCutoff(int side);
