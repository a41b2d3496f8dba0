#include "sim/LongExposureCamera.h"

#include <algorithm>

uint64_t LongExposureCamera::AmplifierOnMicros(uint64_t from, uint64_t to) const {
    if (to <= from) return 0;
    bool onNow = !board_->AmplifierOff();
    uint64_t changed = std::clamp(board_->PinChangedAt(SimulatedSV203::kAmplifierPin), from, to);
    return onNow ? to - changed : changed - from;
}

void LongExposureCamera::Observe(uint64_t micros) {
    if (board_ == nullptr) return;
    bool exposureOn = board_->ExposureOn();
    uint64_t changed = board_->PinChangedAt(SimulatedSV203::kExposurePin);
    if (!exposing_ && exposureOn) {
        exposing_ = true;
        exposureStart_ = changed;
        observedUntil_ = changed;
        amplifierOnMicros_ = 0;
    }
    if (!exposing_) return;
    uint64_t until = exposureOn ? micros : changed;
    if (until > observedUntil_) {
        amplifierOnMicros_ += AmplifierOnMicros(observedUntil_, until);
        observedUntil_ = until;
    }
    if (exposureOn) return;
    exposing_ = false;
    finished_ = true;
    double seconds = double(changed - exposureStart_) / 1e6;
    finishedExposure_.light = seconds * SimulatedSky::kFramesPerSecond;
    finishedExposure_.darkSeconds = seconds;
    finishedExposure_.ampGlowSeconds = double(amplifierOnMicros_) / 1e6;
}

FrameExposure LongExposureCamera::ReadOut() {
    if (finished_) {
        finished_ = false;
        return finishedExposure_;
    }
    FrameExposure exposure;
    if (exposing_) exposure.light = 0.0;
    return exposure;
}
