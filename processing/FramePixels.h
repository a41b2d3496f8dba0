// Direct access to the pixel memory of a 32-bit frame: 4 bytes a pixel (unused, red,
// green, blue), rows rowBytes apart. rowBytes may exceed 4 x width; the bytes past a
// row's last pixel belong to no pixel and are never touched.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image/GWorldWrapper.h"

// Byte offsets of the colour components inside a pixel.
constexpr int kRedByte = 1;
constexpr int kGreenByte = 2;
constexpr int kBlueByte = 3;

struct FramePixels {
    uint8_t* base = nullptr;
    int rowBytes = 0;
    int width = 0;
    int height = 0;

    uint8_t* Row(int y) const { return base + static_cast<ptrdiff_t>(y) * rowBytes; }
};

// Locks a frame's pixels for direct access, and on leaving scope unlocks them and
// makes current again the port and device that were current before. The frame's
// rectangle has top and left 0.
class LockedFramePixels {
public:
    explicit LockedFramePixels(GWorldWrapper& frame) : pixMap(GetGWorldPixMap(frame.GetGWorldPtr())) {
        GetGWorld(&savedPort, &savedDevice);
        LockPixels(pixMap);
        const Rect r = frame.GetDim();
        pixels.base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pixMap));
        pixels.rowBytes = frame.GetSrcRowBytes();
        pixels.width = r.right;
        pixels.height = r.bottom;
    }
    ~LockedFramePixels() {
        UnlockPixels(pixMap);
        SetGWorld(savedPort, savedDevice);
    }
    LockedFramePixels(const LockedFramePixels&) = delete;
    LockedFramePixels& operator=(const LockedFramePixels&) = delete;

    const FramePixels& Pixels() const { return pixels; }

private:
    PixMapHandle pixMap;
    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    FramePixels pixels;
};
