// The data window: live figures drawn red on black so that it can stay on screen at
// the telescope at night. Each figure has its own drawing operation, called by the
// owner of the figure whenever it changes; the labels are drawn only when the window
// is updated. Value operations draw into the window's port whether or not the window
// is visible; only EraseWindow and DrawDataWindow skip a hidden window.
#pragma once

#include "platform/Windows.h"

class StopWatch;

class DataWindow {
public:
    DataWindow();
    ~DataWindow();
    DataWindow(const DataWindow&) = delete;
    DataWindow& operator=(const DataWindow&) = delete;

    WindowPtr GetDataWindow() const;
    // The labels, on a black window (update events).
    void DrawDataWindow();
    void EraseWindow();

    // Updates the stopwatch (which tests its alarm) and shows its time in steps of
    // two tenths, with the alarm time below. Returns whether the alarm has fired.
    bool DrawStopWatchAndAlarm(StopWatch* stopWatch);
    // Frames processed per 60 ticks, with a warning below 5.
    void DrawFPS(int fps);
    void DrawEventPause(int ticks);
    void DrawBatchSize(long remaining);
    void DrawMaxes(int maxRed, int maxGreen, int maxBlue);
    // The end cutoffs, and the maxima of the frame when at least one reaches its
    // cutoff (each in bold when it does); otherwise that row keeps the last ones shown.
    void DrawEndCutoffs(int cutRed, int cutGreen, int cutBlue, int maxRed, int maxGreen, int maxBlue);
    // steps: 0..10, 5 pixels each.
    void DrawCalibrationProgressBar(int steps);
    void EraseCalibrationProgressBar();
    // Seconds of the movie being recorded, or the video phase.
    void DrawMovieDuration(int seconds);
    // Guiding delays in ticks: 0 and 1 show "disabled", others whole seconds.
    void DrawAutoGuideNSDelay(int ticks);
    void DrawAutoGuideNSState(bool active, bool north);
    void DrawAutoGuideEWDelay(int ticks);
    void DrawAutoGuideEWState(bool active, bool east);
    void DrawLongExposureState(bool on);
    void DrawAmpStateState(bool off);

private:
    // Makes the window's port current; false when there is no window to draw in.
    bool FocusPort();
    void SetNightColors();

    WindowPtr window;
};
