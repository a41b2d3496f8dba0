#include "sim/SimulatedCamera.h"

#include <cmath>

#include "platform/Events.h"

namespace {

// The colour layouts in the settings dialog's popup, by value.
const CameraControlChoice kSampleChoices[] = {
    {0, "Colour"}, {1, "Mono"}, {2, "Bayer GRBG"}, {3, "Bayer RGGB"}, {4, "Bayer BGGR"}, {5, "Bayer GBRG"},
};
constexpr int32_t kLargestFocusTenths = 150;

}  // namespace

SimulatedCamera::SimulatedCamera(const SkySettings& settings, const SimulatedMount* mount,
                                 const SimulatedSV203* board)
    : sky_(settings), camera_(board), mount_(mount) {}

bool SimulatedCamera::Open(std::string&) { return true; }

Rect SimulatedCamera::FrameBounds() const {
    return MakeRect(0, 0, sky_.Settings().width, sky_.Settings().height);
}

CaptureResult SimulatedCamera::Deliver(const FrameTarget& target) {
    uint64_t now = MicrosecondsNow();
    camera_.Observe(now);
    uint64_t frame = FrameNumberAt(now);
    if (frame == lastFrame_) return CaptureResult::kNoFrame;
    lastFrame_ = frame;
    MountPosition pointing = mount_ ? mount_->Position() : MountPosition{};
    sky_.Render(target, frame, pointing, camera_.ReadOut());
    return CaptureResult::kFreshFrame;
}

std::vector<CameraControl> SimulatedCamera::Controls() {
    const SkySettings& s = sky_.Settings();
    CameraControl focus;
    focus.id = kFocusControl;
    focus.kind = CameraControlKind::kSlider;
    focus.name = "Focus error (0.1 px)";
    focus.maximum = kLargestFocusTenths;
    focus.value = static_cast<int32_t>(std::lround(s.focusError * 10.0));

    CameraControl sweep;
    sweep.id = kFocusSweepControl;
    sweep.kind = CameraControlKind::kCheckBox;
    sweep.name = "Sweep focus";
    sweep.maximum = 1;
    sweep.value = s.focusSweepSeconds > 0.0 ? 1 : 0;

    CameraControl samples;
    samples.id = kSamplesControl;
    samples.kind = CameraControlKind::kPopup;
    samples.name = "Sensor";
    samples.maximum = 5;
    samples.value = static_cast<int32_t>(s.samples);
    samples.choices.assign(std::begin(kSampleChoices), std::end(kSampleChoices));
    CameraControl black;
    black.id = kBlackLevelControl;
    black.kind = CameraControlKind::kSlider;
    black.name = "Black level";
    black.minimum = kLowestBlackLevel;
    black.maximum = kHighestBlackLevel;
    black.defaultValue = static_cast<int32_t>(SimulatedSky::kBias);
    black.value = static_cast<int32_t>(std::lround(s.blackLevel));
    return {focus, sweep, samples, black};
}

bool SimulatedCamera::SetControl(uint32_t id, int32_t value) {
    switch (id) {
        case kFocusControl:
            if (value < 0 || value > kLargestFocusTenths) return false;
            sky_.SetFocusError(value / 10.0);
            return true;
        case kFocusSweepControl:
            if (value != 0 && value != 1) return false;
            sky_.SetFocusSweepSeconds(value ? kDialogSweepSeconds : 0.0);
            return true;
        case kSamplesControl:
            if (value < 0 || value > 5) return false;
            sky_.SetSamples(static_cast<SampleLayout>(value));
            return true;
        case kBlackLevelControl:
            if (value < kLowestBlackLevel || value > kHighestBlackLevel) return false;
            sky_.SetBlackLevel(static_cast<float>(value));
            return true;
        default:
            return false;
    }
}
