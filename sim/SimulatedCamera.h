// The simulated sky as a camera: a new frame 30 times a second of the clock, the
// field placed by the simulated mount's pointing, and long exposures driven by the
// simulated SV203 board. Its settings (focus, focus sweep, colour layout) are offered
// as camera controls, as a webcam offers its own.
#pragma once

#include <cstdint>

#include "platform/capture/CaptureSource.h"
#include "sim/LongExposureCamera.h"
#include "sim/SimulatedMount.h"
#include "sim/SimulatedSV203.h"
#include "sim/SimulatedSky.h"

class SimulatedCamera : public CaptureSource {
public:
    enum ControlId : uint32_t { kFocusControl = 1, kFocusSweepControl, kSamplesControl, kBlackLevelControl };
    // The black level slider's range.
    static constexpr int32_t kLowestBlackLevel = -20;
    static constexpr int32_t kHighestBlackLevel = 40;
    // The period a focus sweep switched on from the settings dialog takes.
    static constexpr double kDialogSweepSeconds = 40.0;

    // mount and board are not owned and may be null: a still field, no long exposures.
    SimulatedCamera(const SkySettings& settings, const SimulatedMount* mount, const SimulatedSV203* board);

    bool Open(std::string& error) override;
    Rect FrameBounds() const override;
    CaptureResult Deliver(const FrameTarget& target) override;
    std::string Name() const override { return "simulated sky"; }
    SampleLayout Samples() const override { return sky_.Settings().samples; }
    std::vector<CameraControl> Controls() override;
    bool SetControl(uint32_t id, int32_t value) override;

    static uint64_t FrameNumberAt(uint64_t micros) { return micros * SimulatedSky::kFramesPerSecond / 1000000; }

    SimulatedSky& Sky() { return sky_; }
    const LongExposureCamera& Camera() const { return camera_; }

private:
    SimulatedSky sky_;
    LongExposureCamera camera_;
    const SimulatedMount* mount_;
    uint64_t lastFrame_ = UINT64_MAX;
};
