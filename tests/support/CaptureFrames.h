// Test helpers for capture: a frame buffer seen as a capture target, and small
// measurements of star images in it.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "image/GWorldWrapper.h"
#include "platform/capture/CaptureSource.h"
#include "tests/support/FrameAccess.h"

inline FrameTarget TargetOf(GWorldWrapper& frame) {
    const Rect r = frame.GetDim();
    return FrameTarget{FrameRow(frame, 0), frame.GetSrcRowBytes(), r.right - r.left, r.bottom - r.top};
}

// One colour byte of a pixel: 0 red, 1 green, 2 blue.
inline uint8_t ChannelAt(GWorldWrapper& frame, int x, int y, int channel) {
    return FrameRow(frame, y)[4 * x + 1 + channel];
}

// A star image measured in a box: light above the background and its centroid.
struct StarMeasure {
    double light = 0.0;
    double x = 0.0;
    double y = 0.0;
    int peak = 0;
};

// Measures channel in the square of the given radius round (cx, cy): every pixel
// brighter than threshold counts with its value above background.
inline StarMeasure MeasureStar(GWorldWrapper& frame, double cx, double cy, int radius, int channel,
                               double background, double threshold = -1.0) {
    StarMeasure m;
    const Rect r = frame.GetDim();
    const int x0 = static_cast<int>(cx + 0.5) - radius, y0 = static_cast<int>(cy + 0.5) - radius;
    for (int y = y0; y <= y0 + 2 * radius; ++y) {
        for (int x = x0; x <= x0 + 2 * radius; ++x) {
            if (x < 0 || y < 0 || x >= r.right || y >= r.bottom) continue;
            int v = ChannelAt(frame, x, y, channel);
            if (v > m.peak) m.peak = v;
            if (v <= threshold) continue;
            double above = v - background;
            m.light += above;
            m.x += above * x;
            m.y += above * y;
        }
    }
    if (m.light != 0) {
        m.x /= m.light;
        m.y /= m.light;
    }
    return m;
}

// The mean of channel over the square ring just outside that square (3 pixels wide).
inline double LocalBackground(GWorldWrapper& frame, double cx, double cy, int radius, int channel) {
    const Rect r = frame.GetDim();
    const int x0 = static_cast<int>(cx + 0.5), y0 = static_cast<int>(cy + 0.5);
    double sum = 0;
    int count = 0;
    for (int y = y0 - radius - 3; y <= y0 + radius + 3; ++y) {
        for (int x = x0 - radius - 3; x <= x0 + radius + 3; ++x) {
            if (x < 0 || y < 0 || x >= r.right || y >= r.bottom) continue;
            if (std::abs(x - x0) <= radius && std::abs(y - y0) <= radius) continue;
            sum += ChannelAt(frame, x, y, channel);
            ++count;
        }
    }
    return count ? sum / count : 0.0;
}
