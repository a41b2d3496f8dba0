// Keeps a guide star where the observer put it by sending short correction pulses to
// the mount. Normal mode (centroid guiding): each new frame's brightness centroid in
// the autoguide rectangle is compared with the goal, and an axis more than 3 pixels
// off gets a pulse on every idle pass until a frame shows it back. Timed mode (drift
// guiding): each axis gets one pulse in a fixed direction whenever its interval has
// passed, without looking at the image.
//
// The image orientation (north up, east right) and whether declination guiding is
// disabled are the observer's settings, kept in the preferences.
#pragma once

#include <cstdint>

#include "platform/MacTypes.h"

class DataWindow;
class SerialInterface;

class AutoGuider {
public:
    // Pixels the centroid may stray on an axis before a pulse is needed.
    static constexpr int kThresholdPixels = 3;
    // The step of a timed interval: one second.
    static constexpr int kDelayStepTicks = 60;

    // Starts in normal mode; reads the orientation and declination preferences.
    explicit AutoGuider(SerialInterface* serialInterface);
    ~AutoGuider();
    AutoGuider(const AutoGuider&) = delete;
    AutoGuider& operator=(const AutoGuider&) = delete;

    Point GetGoalCentroid() const { return goalCentroid; }
    bool GetDecDisabled() const { return decDisabled; }
    bool GetNorthIsUp() const { return northIsUp; }
    bool GetEastIsRight() const { return eastIsRight; }

    // Chooses the mode and drops both delays; nothing is drawn.
    void SetNormalMode(bool normal);
    void InitializeAutoGuideGoalCentroid(Point centroid);
    // Normal mode: decides from the new frame's centroid which axes need a pulse and
    // which way. The data window is not used.
    void UpdateFromNewFrame(Point centroid, DataWindow* window);
    // Every idle pass: sends the pulses that are due and shows the axis states.
    void ProcessAutoGuide(DataWindow* window);

    // Timed mode: the interval of an axis by one second; the sign is the direction
    // (north and east positive). Refused with a beep in normal mode, and the
    // north-south ones while declination guiding is disabled.
    void IncreaseDelayNS(DataWindow* window);
    void DecreaseDelayNS(DataWindow* window);
    void IncreaseDelayEW(DataWindow* window);
    void DecreaseDelayEW(DataWindow* window);

    void ToggleDecGuiding();
    void FlipAutoGuideNS();
    void FlipAutoGuideEW();

    // Observation.
    bool GetNormalMode() const { return normalMode; }
    int32_t GetDelayNS() const { return delayNS; }
    int32_t GetDelayEW() const { return delayEW; }
    bool GetGuideNorth() const { return guideNorth; }
    bool GetGuideEast() const { return guideEast; }

private:
    void ProcessNormalMode(DataWindow* window);
    void ProcessTimedMode(DataWindow* window);
    void SendNSPulse(DataWindow* window);
    void SendEWPulse(DataWindow* window);
    void ChangeDelayNS(DataWindow* window, int32_t step);
    void ChangeDelayEW(DataWindow* window, int32_t step);

    bool normalMode = true;
    Point goalCentroid;
    bool decDisabled = false;
    bool northIsUp = true;
    bool eastIsRight = true;
    bool guideNorth = true;
    bool guideEast = true;
    int32_t delayNS = 0;
    int32_t delayEW = 0;
    int32_t lastNSTick = 0;
    int32_t lastEWTick = 0;
    SerialInterface* serialInterface;
};
