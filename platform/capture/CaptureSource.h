// A source of camera frames: it fills a 32-bit frame buffer (unused, red, green,
// blue; rows rowBytes apart) at its own frame size.
#pragma once

#include <cstdint>
#include <string>

#include "platform/MacTypes.h"

struct FrameTarget {
    uint8_t* base = nullptr;
    int rowBytes = 0;
    int width = 0;
    int height = 0;
};

enum class CaptureResult { kNoFrame, kFreshFrame, kError };

class CaptureSource {
public:
    virtual ~CaptureSource() = default;
    // Opens the device; false with a reason when it cannot be used.
    virtual bool Open(std::string& error) = 0;
    // The source's frame rectangle (top and left 0).
    virtual Rect FrameBounds() const = 0;
    // Writes the newest frame into target when one is due.
    virtual CaptureResult Deliver(const FrameTarget& target) = 0;
    virtual std::string Name() const = 0;
};
