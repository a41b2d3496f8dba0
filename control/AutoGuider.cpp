#include "control/AutoGuider.h"

#include <cstdlib>

#include "app/DataWindow.h"
#include "app/PrefFile.h"
#include "control/SerialInterface.h"
#include "platform/Events.h"

namespace {

// Ticks since an earlier tick, as a signed 32-bit difference (the counter may wrap).
int32_t TicksSince(uint32_t now, int32_t earlier) {
    return static_cast<int32_t>(now - static_cast<uint32_t>(earlier));
}

}  // namespace

// The preferences hold the flips: "flipNS" is not north-up, "flipEW" not east-right.
// A preference that is missing leaves the default.
AutoGuider::AutoGuider(SerialInterface* serial) : serialInterface(serial) {
    PrefFile prefs;
    bool flag = false;
    if (prefs.ReadFlipNS(flag)) northIsUp = !flag;
    if (prefs.ReadFlipEW(flag)) eastIsRight = !flag;
    if (prefs.ReadDisableDecGuiding(flag)) decDisabled = flag;
}

AutoGuider::~AutoGuider() {}

void AutoGuider::SetNormalMode(bool normal) {
    normalMode = normal;
    delayEW = 0;
    delayNS = 0;
}

void AutoGuider::InitializeAutoGuideGoalCentroid(Point centroid) { goalCentroid = centroid; }

// A star below the goal (larger v) needs a move toward the top of the image, which is
// north when north is up; a star right of the goal needs a move toward the right,
// which is east when east is right. An error of exactly the threshold needs nothing.
void AutoGuider::UpdateFromNewFrame(Point centroid, DataWindow*) {
    if (!normalMode) return;
    int16_t dv = static_cast<int16_t>(centroid.v - goalCentroid.v);
    int16_t dh = static_cast<int16_t>(centroid.h - goalCentroid.h);
    if (dv > 0) guideNorth = !northIsUp;
    if (dv < 0) guideNorth = northIsUp;
    if (dh > 0) guideEast = eastIsRight;
    if (dh < 0) guideEast = !eastIsRight;
    delayNS = std::abs(dv) > kThresholdPixels ? 1 : 0;
    delayEW = std::abs(dh) > kThresholdPixels ? 1 : 0;
}

void AutoGuider::ProcessAutoGuide(DataWindow* window) {
    if (normalMode)
        ProcessNormalMode(window);
    else
        ProcessTimedMode(window);
}

// The need for a pulse stands until the next frame is measured, so while the star is
// off every pass asks again; the serial interface's busy flag makes a train of pulses
// of it, each new one on the first pass after the previous one's stop went out.
void AutoGuider::ProcessNormalMode(DataWindow* window) {
    if (!decDisabled && delayNS == 1) SendNSPulse(window);
    if (delayEW == 1) SendEWPulse(window);
}

// The interval must have been passed strictly: with 60 ticks a pulse goes out at
// most once every 61.
void AutoGuider::ProcessTimedMode(DataWindow* window) {
    uint32_t now = TickCount();
    if (!decDisabled && delayNS != 0 && TicksSince(now, lastNSTick) > std::abs(delayNS)) {
        lastNSTick = static_cast<int32_t>(now);
        SendNSPulse(window);
    }
    if (delayEW != 0 && TicksSince(now, lastEWTick) > std::abs(delayEW)) {
        lastEWTick = static_cast<int32_t>(now);
        SendEWPulse(window);
    }
}

void AutoGuider::SendNSPulse(DataWindow* window) {
    serialInterface->SendAutoGuideCorrection(guideNorth ? SerialInterface::kNorth : SerialInterface::kSouth);
    if (window) window->DrawAutoGuideNSState(true, guideNorth);
}

void AutoGuider::SendEWPulse(DataWindow* window) {
    serialInterface->SendAutoGuideCorrection(guideEast ? SerialInterface::kEast : SerialInterface::kWest);
    if (window) window->DrawAutoGuideEWState(true, guideEast);
}

void AutoGuider::IncreaseDelayNS(DataWindow* window) { ChangeDelayNS(window, kDelayStepTicks); }
void AutoGuider::DecreaseDelayNS(DataWindow* window) { ChangeDelayNS(window, -kDelayStepTicks); }
void AutoGuider::IncreaseDelayEW(DataWindow* window) { ChangeDelayEW(window, kDelayStepTicks); }
void AutoGuider::DecreaseDelayEW(DataWindow* window) { ChangeDelayEW(window, -kDelayStepTicks); }

void AutoGuider::ChangeDelayNS(DataWindow* window, int32_t step) {
    if (normalMode || decDisabled) {
        SysBeep(1);
        return;
    }
    delayNS += step;
    guideNorth = delayNS > 0;
    if (window) window->DrawAutoGuideNSDelay(delayNS);
}

void AutoGuider::ChangeDelayEW(DataWindow* window, int32_t step) {
    if (normalMode) {
        SysBeep(1);
        return;
    }
    delayEW += step;
    guideEast = delayEW > 0;
    if (window) window->DrawAutoGuideEWDelay(delayEW);
}

void AutoGuider::ToggleDecGuiding() {
    decDisabled = !decDisabled;
    if (decDisabled) delayNS = 0;
    PrefFile().WriteDisableDecGuiding(decDisabled);
}

void AutoGuider::FlipAutoGuideNS() {
    northIsUp = !northIsUp;
    PrefFile().WriteFlipNS(!northIsUp);
}

void AutoGuider::FlipAutoGuideEW() {
    eastIsRight = !eastIsRight;
    PrefFile().WriteFlipEW(!eastIsRight);
}
