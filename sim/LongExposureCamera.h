// The webcam's long-exposure modification as the SV203 board's pins drive it: pin 8
// is the exposure switch (cleared while exposing), pin 1 the amplifier (cleared while
// it is off). While exposing the camera reads out dark frames; when the switch goes
// back, the next frame holds the light of the whole exposure, with the glow of the
// amplifier for the time it stayed on during the exposure.
#pragma once

#include <cstdint>

#include "sim/SimulatedSV203.h"
#include "sim/SimulatedSky.h"

class LongExposureCamera {
public:
    // A null board never exposes: every frame is a video frame.
    explicit LongExposureCamera(const SimulatedSV203* board) : board_(board) {}

    // Looks at the pins at the clock's present (microseconds); call on every pass, in
    // time order. Exposure times come from the moments the pins changed.
    void Observe(uint64_t micros);
    // What the frame read out now gathered: the finished long exposure (once), a dark
    // frame while exposing, otherwise a video frame.
    FrameExposure ReadOut();

    bool Exposing() const { return exposing_; }

private:
    // Microseconds of from..to during which the amplifier was on, knowing its present
    // state and the moment of its last change.
    uint64_t AmplifierOnMicros(uint64_t from, uint64_t to) const;

    const SimulatedSV203* board_;
    bool exposing_ = false;
    uint64_t exposureStart_ = 0;
    uint64_t observedUntil_ = 0;
    uint64_t amplifierOnMicros_ = 0;
    bool finished_ = false;
    FrameExposure finishedExposure_;
};
