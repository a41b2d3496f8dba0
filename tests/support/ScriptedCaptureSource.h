// A capture source the test scripts: whether it opens, its size and sample layout,
// what each Deliver answers (a fresh frame filled with a grey level, no frame, or an
// error, and whether the camera is then gone), and its controls with a log of changes.
#pragma once

#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "platform/capture/CaptureSource.h"

class ScriptedCaptureSource : public CaptureSource {
public:
    struct Step {
        CaptureResult result = CaptureResult::kFreshFrame;
        uint8_t level = 0;  // the grey a fresh frame is filled with
        bool gone = false;  // from this step on the camera is gone
    };

    bool opens = true;
    int width = 64;
    int height = 48;
    SampleLayout samples = SampleLayout::kColour;
    std::deque<Step> script;  // when empty: fresh frames of level 100
    std::vector<CameraControl> controls;
    std::vector<std::pair<uint32_t, int32_t>> writes;
    bool refuseWrites = false;
    int delivered = 0;

    bool Open(std::string& error) override {
        if (!opens) error = "scripted not to open";
        return opens;
    }
    Rect FrameBounds() const override { return MakeRect(0, 0, width, height); }
    CaptureResult Deliver(const FrameTarget& target) override {
        Step step = script.empty() ? Step{CaptureResult::kFreshFrame, 100, false} : script.front();
        if (!script.empty()) script.pop_front();
        if (step.gone) gone_ = true;
        if (gone_) return CaptureResult::kError;
        if (step.result == CaptureResult::kFreshFrame) {
            ++delivered;
            for (int y = 0; y < target.height; ++y) {
                uint8_t* row = target.base + static_cast<size_t>(y) * target.rowBytes;
                for (int x = 0; x < target.width; ++x) {
                    row[4 * x] = 0;
                    row[4 * x + 1] = row[4 * x + 2] = row[4 * x + 3] = static_cast<uint8_t>(step.level + x + y);
                }
            }
        }
        return step.result;
    }
    std::string Name() const override { return "scripted camera"; }
    SampleLayout Samples() const override { return samples; }
    bool Gone() const override { return gone_; }
    std::vector<CameraControl> Controls() override { return controls; }
    bool SetControl(uint32_t id, int32_t value) override {
        if (refuseWrites) return false;
        for (CameraControl& c : controls) {
            if (c.id != id) continue;
            if (c.readOnly || value < c.minimum || value > c.maximum) return false;
            c.value = value;
            writes.emplace_back(id, value);
            return true;
        }
        return false;
    }

private:
    bool gone_ = false;
};
