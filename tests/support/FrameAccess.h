// Test helpers for 32-bit frames: make one, set and read pixels, fill it from a
// function of the position, and reach the padding bytes at the end of its rows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>

#include "image/GWorldWrapper.h"

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline void PrintTo(const Rgb& c, std::ostream* os) {
    *os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

inline std::unique_ptr<GWorldWrapper> MakeFrame(int width, int height) {
    return std::make_unique<GWorldWrapper>(32, MakeRect(0, 0, width, height), -1);
}

inline uint8_t* FrameRow(GWorldWrapper& frame, int y) {
    return reinterpret_cast<uint8_t*>(GetPixBaseAddr(frame.GetSrcPixMap())) +
           static_cast<ptrdiff_t>(y) * frame.GetSrcRowBytes();
}

inline void SetPixel(GWorldWrapper& frame, int x, int y, Rgb c) {
    uint8_t* p = FrameRow(frame, y) + 4 * x;
    p[1] = c.r;
    p[2] = c.g;
    p[3] = c.b;
}

inline Rgb GetPixel(GWorldWrapper& frame, int x, int y) {
    const uint8_t* p = FrameRow(frame, y) + 4 * x;
    return {p[1], p[2], p[3]};
}

inline void FillFrame(GWorldWrapper& frame, const std::function<Rgb(int x, int y)>& colourAt) {
    const Rect r = frame.GetDim();
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) SetPixel(frame, x, y, colourAt(x, y));
    }
}

inline void FillFrame(GWorldWrapper& frame, Rgb c) {
    FillFrame(frame, [c](int, int) { return c; });
}

// The bytes past the last pixel of every row.
inline void FillPadding(GWorldWrapper& frame, uint8_t byte) {
    const Rect r = frame.GetDim();
    for (int y = 0; y < r.bottom; ++y) {
        uint8_t* row = FrameRow(frame, y);
        for (int i = 4 * r.right; i < frame.GetSrcRowBytes(); ++i) row[i] = byte;
    }
}

inline bool PaddingHolds(GWorldWrapper& frame, uint8_t byte) {
    const Rect r = frame.GetDim();
    for (int y = 0; y < r.bottom; ++y) {
        const uint8_t* row = FrameRow(frame, y);
        for (int i = 4 * r.right; i < frame.GetSrcRowBytes(); ++i) {
            if (row[i] != byte) return false;
        }
    }
    return true;
}

// Whether every pixel of the two frames (same size) has the same colour.
inline bool SameColours(GWorldWrapper& a, GWorldWrapper& b) {
    const Rect r = a.GetDim();
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) {
            if (!(GetPixel(a, x, y) == GetPixel(b, x, y))) return false;
        }
    }
    return true;
}
