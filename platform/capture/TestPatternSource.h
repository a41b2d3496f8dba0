// A camera stand-in that draws a moving test pattern: colour bars, a grey ramp and a
// bright spot that circles, a new frame every two ticks of the clock.
#pragma once

#include "platform/capture/CaptureSource.h"

class TestPatternSource : public CaptureSource {
public:
    explicit TestPatternSource(int width = 640, int height = 480) : width_(width), height_(height) {}
    bool Open(std::string& error) override;
    Rect FrameBounds() const override { return MakeRect(0, 0, width_, height_); }
    CaptureResult Deliver(const FrameTarget& target) override;
    std::string Name() const override { return "test pattern"; }

    // Draws frame number n into target (deterministic).
    static void DrawPattern(const FrameTarget& target, uint32_t n);

private:
    int width_;
    int height_;
    uint32_t lastFrame_ = UINT32_MAX;
};
