// The whole program as an observer meets it, for the command and observing-session
// tests: the application object on the headless host and a virtual clock, with
// preferences in a folder of their own, a port list that holds only the ports a test
// gives it, a recorder in place of the modem-line calls, and (when asked for) the
// simulated mount and SV203 board stepping beside the loop as in a real run.
//
// Input goes in as the observer gives it: keys and mouse gestures pushed into the
// headless host and taken by the loop's own event wait, menus chosen in the menu bar,
// the port dialog answered with the mouse.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/MainObject.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimulatedCamera.h"
#include "sim/SimulatedObservatory.h"
#include "tests/support/IsolatedSerialPorts.h"
#include "tests/support/PreferencesFixture.h"
#include "tests/support/RecordingSerialDevice.h"

class ObservingTest : public PreferencesTest {
protected:
    void SetUp() override;
    void TearDown() override;

    HeadlessHost& host() { return *host_; }
    VirtualClock& clock() { return *clock_; }
    RecordingSerialDevice& recorder() { return *recorder_; }

    // --- Before Start ----------------------------------------------------------------

    // The simulated mount and SV203 board, their ports listed (mount first), stepped at
    // every event wait and every poll of the mouse.
    SimulatedObservatory& StartObservatory(const MountSettings& mount = SimulatedObservatory::DefaultMountSettings());
    SimulatedObservatory& observatory() { return *observatory_; }
    // A pseudo terminal listed as a serial port; its device end reads what is sent.
    PseudoTerminal& AddTerminalPort(const std::string& label = "");

    // Options for the simulated sky (following the observatory when there is one).
    ProgramOptions SkyOptions() const;
    // Options for the test pattern camera.
    static ProgramOptions TestPatternOptions();

    // --- The program -------------------------------------------------------------------

    // Builds the application object as main does (gMainObject set).
    MainObject& Start(const ProgramOptions& options);
    // Destroys it as main does at the end of a run.
    void Stop();
    // The end of this run and the start of the next process: the program is
    // destroyed, the toolbox starts afresh, and the preferences are read again from
    // the same configuration folder. Start builds the next run's program.
    void NextRun();
    MainObject& app() { return *app_; }

    // One pass of the loop as Run makes it: every event kind allowed, the next event
    // (or a null event) taken with the program's event pause, dispatched.
    // True when an event (not a null event) was taken.
    bool Pass();
    // Passes while the clock moves ticksPerPass ticks before each, for that many
    // seconds of clock time; afterPass (when given) runs after every pass.
    void RunFor(double seconds, int ticksPerPass = 1, const std::function<void()>& afterPass = {});
    // Passes until the input pushed so far has all been taken and a null event comes
    // (at most a few hundred passes). The clock does not move meanwhile.
    void TakeInput();

    // --- The observer's gestures -------------------------------------------------------

    // A key pressed (and, for KeyUp, released) as the host delivers it.
    void PressKey(unsigned char c, uint16_t modifiers = 0);
    void ReleaseKey(unsigned char c, uint16_t modifiers = 0);
    // The item chosen in the menu bar with the mouse: press on the title, drag to the
    // item, release. Taken by the loop. When typed is given, the dialog the item opens
    // is answered with it: the text field's contents replaced by typed, then Return.
    void ChooseMenuItem(int16_t menu, int16_t item, const std::string& typed = "");
    // The port dialog (Misc menu) answered with the mouse: each (port, function) chosen
    // on the port's pop-up, then OK.
    void AssignPortsInDialog(const std::vector<std::pair<int, SerialInterface::SerialPortFtn>>& choices);
    // A press and release at a point of the frame (buffer coordinates) in the
    // level-adjusted window, with modifiers; taken by the loop.
    void ClickFrame(Point framePoint, uint16_t modifiers = 0);
    // Where a frame point is on the screen in the level-adjusted window.
    Point FrameToGlobal(Point framePoint) const;

    int Beeps() { return host().Beeps(); }

    // --- The simulated sky -------------------------------------------------------------

    // The camera of a run on the simulated sky.
    SimulatedCamera& SkyCamera();
    // The brightest star whose image lies at least margin pixels inside the frame, at
    // the mount's present pointing (a still field without the observatory).
    SkyStar BrightestStar(int margin);
    // Where that star is now: the star of the same light nearest to near.
    SkyStar FindStar(const SkyStar& star, double nearX, double nearY);

    // The label the observatory's mount port carries in the port list.
    static std::string MountLabel() { return SimulatedObservatory::kMountLabel; }
    // The place of the port with that label in the port list the dialog shows.
    static int PortIndex(const std::string& label);

private:
    void StartToolbox();

    HeadlessHost* host_ = nullptr;
    VirtualClock* clock_ = nullptr;
    std::unique_ptr<RecordingSerialDevice> recorder_;
    std::unique_ptr<SimulatedObservatory> observatory_;
    std::vector<std::unique_ptr<PseudoTerminal>> terminals_;
    std::unique_ptr<MainObject> app_;
    std::optional<IsolatedSerialPorts> ports_;
};

// The choice value of a menu item, as MenuSelect and MenuKey give it.
constexpr long MenuChoice(int16_t menu, int16_t item) { return (long(menu) << 16) | item; }

inline Point CenterOf(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}
