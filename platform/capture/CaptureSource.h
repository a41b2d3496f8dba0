// A source of camera frames: it fills a 32-bit frame buffer (unused, red, green,
// blue; rows rowBytes apart) at its own frame size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MacTypes.h"
#include "platform/capture/CameraControl.h"

struct FrameTarget {
    uint8_t* base = nullptr;
    int rowBytes = 0;
    int width = 0;
    int height = 0;
};

enum class CaptureResult { kNoFrame, kFreshFrame, kError };

// How a source's frames carry their samples: full colour, or one raw sample a pixel,
// written in all three colour bytes, from a grey sensor or a colour-filter sensor of
// one of the four layouts (named by the top-left 2 x 2 cell, in the order of the
// program's Bayer layout numbers).
enum class SampleLayout { kColour, kMono, kBayerGRBG, kBayerRGGB, kBayerBGGR, kBayerGBRG };

inline bool IsBayerLayout(SampleLayout s) { return s >= SampleLayout::kBayerGRBG; }

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

    virtual SampleLayout Samples() const { return SampleLayout::kColour; }
    // The camera went away while running (unplugged); Deliver reports errors from then on.
    virtual bool Gone() const { return false; }
    // The camera's settings, read afresh; none by default.
    virtual std::vector<CameraControl> Controls() { return {}; }
    // Changes one setting at once; false when the camera refuses it.
    virtual bool SetControl(uint32_t /*id*/, int32_t /*value*/) { return false; }
};
