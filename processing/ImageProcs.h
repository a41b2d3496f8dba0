// The pixel arithmetic of the frame pipeline and of the measurements made on frames,
// working directly on the pixel memory of 32-bit buffers.
//
// Channel selector (ConvertPixelValuesFromImage and the index of the level arrays):
// 0 value (the largest of red, green and blue), 1 red, 2 green, 3 blue.
// Each function saves the current port and device and restores them afterwards; none
// of them draws.
#pragma once

#include "platform/MacTypes.h"

class GWorldWrapper;
class Histogram;

// Appends one float (0.0 to 255.0) per pixel of rect, right column and bottom row
// included, row by row, each row read from column left: the pixel's value (channel 0)
// or its red, green or blue byte (1, 2, 3). Right and bottom are clamped to the last
// column and row of the frame. values holds at least (right - left + 1) x (bottom -
// top + 1) floats after the clamping. Any other channel writes nothing.
void ConvertPixelValuesFromImage(GWorldWrapper& frame, int channel, float* values, Rect rect);

// Applies dark cutoffs, light cutoffs and gammas (four each, by channel selector) to
// every pixel of the frame, in place: first red, green and blue through their own
// level tables, then the value through the value table keeping hue and saturation.
// levels is the number of levels, 256.
void RemapImageComponentsFromLevelCutoffs(GWorldWrapper& frame, int levels, const int* darkCutoffs,
                                          const int* lightCutoffs, const double* gammas);

// Fills the four histograms with the levels of the pixels left <= x < right,
// top <= y < bottom, normalized to sum 1. False, and the histograms untouched, when
// the rectangle does not lie inside the frame.
bool GenerateHistograms(GWorldWrapper& frame, Rect rect, Histogram& valueHistogram, Histogram& redHistogram,
                        Histogram& greenHistogram, Histogram& blueHistogram);

// The value-weighted centre of the pixels of rect (right column and bottom row
// excluded) whose value reaches a threshold a little below their mean.
void CalculateValueCentroid(GWorldWrapper& frame, Rect rect, Point& centroid);

// Keeps the brighter of the two interlaced fields of the frame, each of its lines
// shown twice.
void DebinFast(GWorldWrapper& frame);
