// The headless demo: a short observing session on the simulated sky and mount, played
// by handing the observer's keys and mouse gestures to the headless host at set times
// of the clock, so that the program takes them through its own event loop as it would
// take them from a person. It shows every window, marks a focus square on the
// brightest star, guides on that star, adjusts the levels, sets the alarm and quits.
//
// It runs as a background task of the loop: at every event wait it gets a step, in
// which it hands over the next scene once the loop has taken everything before it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/host/HeadlessHost.h"

class MainObject;

class DemoSession {
public:
    using Narrator = std::function<void(const std::string&)>;

    // The scenes' times, in seconds of the clock from the construction.
    static constexpr double kShowWindowsAt = 0.5;
    static constexpr double kFocusSquareAt = 1.5;
    static constexpr double kGuideAt = 2.5;
    static constexpr double kLevelsAt = 4.0;
    static constexpr double kAlarmAt = 5.0;
    static constexpr double kLastLookAt = 6.0;
    static constexpr double kQuitAt = 8.0;

    // narrate (may be empty) gets one line for each scene played.
    DemoSession(MainObject& app, HeadlessHost& host, Narrator narrate = {});

    // Plays the scene whose time has come, if the loop has taken all input so far.
    void Step();
    // No scene is played any more (the application object is about to go).
    void Finish() { finished = true; }
    bool IsFinished() const { return finished; }
    // The star the session chose, in frame coordinates; h -1 before it was chosen.
    Point GetStar() const { return star; }

private:
    // The scenes in the order of their times above.
    void PlayScene(size_t scene);
    void ShowEveryWindow();
    void MarkFocusSquare();
    void GuideOnStar();
    void AdjustLevels();
    void SetAlarm();
    void TakeLastLook();
    void Quit();

    double SecondsSinceStart() const;
    void PressCommandKey(unsigned char c);
    void PressKey(unsigned char c);
    // The brightest spot of the raw frame far enough inside it for the focus and
    // guiding squares (a hot pixel alone does not count: spots are 3 x 3 sums).
    Point FindBrightestStar() const;
    // A point of the frame where the level-adjusted window shows it, on the screen.
    Point FrameToGlobal(Point framePoint) const;
    void Narrate(const std::string& line) const;

    MainObject& app;
    HeadlessHost& host;
    Narrator narrate;
    uint64_t startMicros;
    size_t nextScene = 0;
    bool finished = false;
    Point star{-1, -1};
};
