// The fixture of the command tests: the whole program on the test pattern camera, with
// a mount on one pseudo terminal and the camera's exposure (DTR) and amplifier (RTS)
// lines on another, both given their functions as the port dialog's OK gives them.
#pragma once

#include <array>
#include <ostream>
#include <string>

#include "tests/support/ObservingFixture.h"

// What the commands change, taken as a whole so that a case says what it changes and
// every other part is checked to stay.
struct CommandState {
    double alarm = 0.0;
    int eventPause = 0;
    std::array<int32_t, 3> cutoffs{};
    bool exposureOn = false;
    bool ampOff = false;
    int videoPhase = 0;
    bool stopWatchRunning = false;
    int32_t batch = 0;
    int32_t delayNS = 0;
    int32_t delayEW = 0;
    bool recording = false;

    friend bool operator==(const CommandState&, const CommandState&) = default;
};

inline void PrintTo(const CommandState& s, std::ostream* os) {
    *os << "{alarm " << s.alarm << ", pause " << s.eventPause << ", cutoffs " << s.cutoffs[0] << "/" << s.cutoffs[1]
        << "/" << s.cutoffs[2] << ", exposure " << s.exposureOn << ", amp off " << s.ampOff << ", phase "
        << s.videoPhase << ", stopwatch " << s.stopWatchRunning << ", batch " << s.batch << ", delays "
        << s.delayNS << "/" << s.delayEW << ", recording " << s.recording << "}";
}

class CommandsTest : public ObservingTest {
public:
    // The tables of cases arrange their starting points through these.
    using ObservingTest::app;
    using ObservingTest::host;
    using ObservingTest::ClickFrame;
    using ObservingTest::PressKey;

    // The batch dialog answered with count, then opened: a batch of count exposures
    // runs, its first exposure started.
    void StartBatch(const std::string& count) {
        host().PushKeyDown('a', cmdKey);
        host().PushKeyDown(kBackspaceCharCode);
        for (char c : count) host().PushKeyDown(static_cast<unsigned char>(c));
        host().PushKeyDown(kReturnCharCode);
        app().GetRawFrameProcessor()->DoBatchCaptureDialog(app().GetStopWatch());
    }

    // The movie folder chosen in the folder chooser (File menu), its path typed.
    void ChooseMovieFolder(const std::string& folder) {
        for (char c : folder) host().PushKeyDown(static_cast<unsigned char>(c));
        host().PushKeyDown(kReturnCharCode);
        app().HandleMenuChoice(MenuChoice(kFileMenu, kMovieFolderItem));
    }

    static constexpr int16_t kFileMenu = 129;
    static constexpr int16_t kMiscMenu = 132;
    static constexpr int16_t kViewMenu = 133;
    static constexpr int16_t kMovieFolderItem = 3;
    static constexpr int16_t kRecordMovieItem = 5;

protected:
    static constexpr int kMountPort = 0;
    static constexpr int kLinesPort = 1;

    void SetUp() override {
        ObservingTest::SetUp();
        mount_ = &AddTerminalPort("mount");
        lines_ = &AddTerminalPort("camera lines");
        Start(TestPatternOptions());
        SerialInterface& serial = *app().GetSerialInterface();
        ASSERT_EQ(serial.BeginPortConfiguration(), 2);
        const std::vector<int32_t> functions{SerialInterface::kAutoGuideFtn, SerialInterface::kExposureDTRAmpRTSFtn};
        serial.FinishPortConfiguration(&functions);
        ASSERT_GE(serial.GetPortDescriptor(kMountPort), 0);
        ASSERT_GE(serial.GetPortDescriptor(kLinesPort), 0);
        mount_->ReadAvailable();
        recorder().ClearRecords();
        host().ResetBeeps();
    }

    CommandState State() {
        CommandState s;
        s.alarm = app().GetStopWatch()->GetAlarmTrigger();
        s.eventPause = app().GetEventPause();
        const int32_t* cutoffs = app().GetRawFrameProcessor()->GetEndCutoffs();
        s.cutoffs = {cutoffs[0], cutoffs[1], cutoffs[2]};
        s.exposureOn = app().GetSerialInterface()->GetExposureOn();
        s.ampOff = app().GetSerialInterface()->GetAmpOff();
        s.videoPhase = app().GetSerialInterface()->GetVideoPhase();
        s.stopWatchRunning = app().GetStopWatch()->GetStopWatchRunning();
        s.batch = app().GetRawFrameProcessor()->GetBatchSize();
        s.delayNS = app().GetAutoGuider()->GetDelayNS();
        s.delayEW = app().GetAutoGuider()->GetDelayEW();
        s.recording = app().GetWebcamInterface()->GetRecordingMovie();
        return s;
    }

    // What the mount has received since the last call.
    std::string MountBytes() { return mount_->ReadAvailable(); }
    int LinesDescriptor() { return app().GetSerialInterface()->GetPortDescriptor(kLinesPort); }

    // A key-down (or auto-key) event through the program's dispatch.
    void Key(unsigned char c, uint16_t modifiers = 0, uint16_t what = keyDown) {
        EventRecord e;
        e.what = what;
        e.message = c;
        e.modifiers = modifiers;
        app().DoEvent(e);
    }

    PseudoTerminal* mount_ = nullptr;
    PseudoTerminal* lines_ = nullptr;
};
