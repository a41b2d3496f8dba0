// The event loop's rules as the observer meets them: what a key, a shortcut and a click
// do to a recording; the alarm ending an exposure; the stopwatch still running two
// seconds after its alarm; guiding messages held back without a guiding square.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/Menus.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/support/TempFolder.h"

namespace {

class RecordingTest : public CommandsTest {
protected:
    void SetUp() override {
        CommandsTest::SetUp();
        ChooseMovieFolder(folder_.path());
        ASSERT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFileMenu), kRecordMovieItem));
        ChooseMenuItem(kFileMenu, kRecordMovieItem);
        ASSERT_TRUE(app().GetWebcamInterface()->GetRecordingMovie());
        MountBytes();
        host().ResetBeeps();
    }
    bool Recording() { return app().GetWebcamInterface()->GetRecordingMovie(); }

    TempFolder folder_{"scopecam-recording"};
};

// Any key without the command modifier ends the recording and does nothing else.
TEST_F(RecordingTest, AKeyOnlyStopsTheRecording) {
    const unsigned char keys[] = {'[', ',', '.', '1', ' ', kUpArrowCharCode, 'x'};
    for (unsigned char key : keys) {
        if (!Recording()) ChooseMenuItem(kFileMenu, kRecordMovieItem);
        ASSERT_TRUE(Recording());
        const CommandState before = State();
        host().PushKeyDown(key);
        TakeInput();
        CommandState after = State();
        EXPECT_FALSE(after.recording) << key;
        after.recording = true;
        EXPECT_EQ(after, before) << key;
        EXPECT_EQ(MountBytes(), "") << key;
        EXPECT_EQ(host().Beeps(), 0) << key;
    }
}

// A command-key shortcut goes to the menus and leaves the recording running.
TEST_F(RecordingTest, AShortcutDoesNotStopTheRecording) {
    WindowPtr histograms = GetDialogWindow(app().GetHistogramsDialog()->GetHistogramsDialog());
    ASSERT_FALSE(IsWindowVisible(histograms));
    host().PushKeyDown('4', cmdKey);
    TakeInput();
    EXPECT_TRUE(IsWindowVisible(histograms)) << "the shortcut acted";
    EXPECT_TRUE(Recording());
    // The record shortcut during a recording does nothing either.
    host().PushKeyDown('R', cmdKey);
    TakeInput();
    EXPECT_TRUE(Recording());
}

// A click stops the recording and is then handled all the same: a menu opens and its
// item is chosen; a press in the level-adjusted window marks the target. Choosing
// the record item this way therefore starts a new recording.
TEST_F(RecordingTest, AClickStopsTheRecordingAndStillActs) {
    ChooseMenuItem(kViewMenu, 21);
    EXPECT_FALSE(Recording());
    EXPECT_EQ(app().GetRawFrameProcessor()->GetChannel(), 2) << "the menu choice was made";

    ChooseMenuItem(kFileMenu, kRecordMovieItem);
    ASSERT_TRUE(Recording());
    const std::string first = app().GetWebcamInterface()->GetMoviePath();
    ChooseMenuItem(kFileMenu, kRecordMovieItem);
    EXPECT_TRUE(Recording());
    EXPECT_NE(app().GetWebcamInterface()->GetMoviePath(), first) << "stopped, then started afresh";

    ClickFrame(Point{200, 300}, optionKey);
    EXPECT_FALSE(Recording());
    EXPECT_EQ(app().GetFrameWindowsGroup()->GetTarget(), (Point{200, 300}));
}

// The key-up of an arrow stops its move even during a recording (its key-down, which
// started the move, came before the recording).
TEST_F(RecordingTest, AnArrowsReleaseActsDuringARecording) {
    PressKey('x');
    ASSERT_FALSE(Recording());
    Key(kUpArrowCharCode);
    EXPECT_EQ(MountBytes(), "#:RG##:Mn#");
    ChooseMenuItem(kFileMenu, kRecordMovieItem);
    ASSERT_TRUE(Recording());
    host().PushKeyUp(kUpArrowCharCode);
    TakeInput();
    EXPECT_EQ(MountBytes(), "#:Qn#");
    EXPECT_TRUE(Recording());
}

// --- The long-exposure cycle of the idle loop --------------------------------------

using AlarmTest = CommandsTest;

// With the exposure line in use the alarm ends the exposure: the line goes off, the
// stopwatch stops at the alarm's time and beeps once; the amplifier came back 0.2 s
// earlier; afterwards neither the amplifier step nor the two-second step acts.
TEST_F(AlarmTest, TheAlarmEndsTheExposure) {
    app().GetStopWatch()->SetAlarmTrigger(5.0);
    PressKey(' ');
    ASSERT_TRUE(app().GetSerialInterface()->GetExposureOn());
    ASSERT_TRUE(app().GetSerialInterface()->GetAmpOff());
    host().ResetBeeps();
    StopWatch& watch = *app().GetStopWatch();
    bool fired = false;
    double ampBackAt = -1.0;
    RunFor(4.9, 1, [&] {
        if (ampBackAt < 0 && !app().GetSerialInterface()->GetAmpOff())
            ampBackAt = watch.UpdateAndGetStopWatchSeconds(fired);
    });
    EXPECT_TRUE(app().GetSerialInterface()->GetExposureOn());
    EXPECT_NEAR(ampBackAt, 4.8, 2.0 / 60) << "the amplifier comes back 0.2 s before the alarm";
    EXPECT_EQ(host().Beeps(), 0);

    RunFor(0.2);
    EXPECT_FALSE(app().GetSerialInterface()->GetExposureOn());
    EXPECT_FALSE(watch.GetStopWatchRunning());
    const double stoppedAt = watch.UpdateAndGetStopWatchSeconds(fired);
    EXPECT_NEAR(stoppedAt, 5.0, 2.0 / 60);
    EXPECT_EQ(host().Beeps(), 1);

    RunFor(5.0);
    EXPECT_EQ(host().Beeps(), 1) << "no two-second beep";
    EXPECT_DOUBLE_EQ(watch.UpdateAndGetStopWatchSeconds(fired), stoppedAt) << "the time stays frozen";
    EXPECT_FALSE(app().GetSerialInterface()->GetExposureOn()) << "no next exposure";
    const int fd = LinesDescriptor();
    EXPECT_EQ(recorder().Lines(fd) & (kModemLineDTR | kModemLineRTS), 0) << "both lines at rest";
}

// The stopwatch still running two seconds after the alarm (no exposure was on when the
// alarm went off): a beep at the alarm, a second beep in the first pass after it, then
// the stopwatch is reset, or the next exposure of a batch begins.
struct GraceCase {
    const char* name;
    double alarm;
    const char* batch;  // the batch dialog's answer, or null for a single exposure
    bool nextExposure;
    int alarmBeeps;  // 0 without an alarm
};

class TwoSecondStep : public CommandsTest, public ::testing::WithParamInterface<GraceCase> {};

TEST_P(TwoSecondStep, ActsInTheFirstPassPastTheAlarmAndTwoSeconds) {
    const GraceCase& c = GetParam();
    app().GetStopWatch()->SetAlarmTrigger(c.alarm);
    if (c.batch != nullptr) {
        // A batch waits for its long exposures: detection on, the cutoffs out of reach
        // so that no frame counts as one.
        ClickFrame(Point{240, 320}, cmdKey);
        ASSERT_NE(app().GetRawFrameProcessor()->GetAutoDetectLongExposureRect().left, -1);
        RunFor(0.5);
        ASSERT_EQ(app().GetRawFrameProcessor()->GetCalibrationFrames(), -1);
        app().GetRawFrameProcessor()->SetEndCutoffs(256, 256, 256);
        StartBatch(c.batch);
    } else {
        PressKey(' ');
    }
    // The exposure switched off by hand: the alarm finds no exposure to end.
    PressKey('2');
    ASSERT_FALSE(app().GetSerialInterface()->GetExposureOn());
    host().ResetBeeps();
    StopWatch& watch = *app().GetStopWatch();
    bool fired = false;
    // Passes half a tick apart, so that the step's moment is seen closely.
    RunFor(c.alarm + 2.0 - 0.05, 1);
    EXPECT_EQ(host().Beeps(), c.alarmBeeps);
    EXPECT_TRUE(watch.GetStopWatchRunning());
    RunFor(0.1, 1);
    EXPECT_EQ(host().Beeps(), c.alarmBeeps + 1);
    if (c.nextExposure) {
        EXPECT_TRUE(watch.GetStopWatchRunning());
        EXPECT_LT(watch.UpdateAndGetStopWatchSeconds(fired), 0.1) << "a new exposure's time";
        EXPECT_TRUE(app().GetSerialInterface()->GetExposureOn());
    } else {
        EXPECT_FALSE(watch.GetStopWatchRunning());
        EXPECT_DOUBLE_EQ(watch.UpdateAndGetStopWatchSeconds(fired), 0.0);
        EXPECT_FALSE(app().GetSerialInterface()->GetExposureOn());
    }
    RunFor(1.0, 1);
    EXPECT_EQ(host().Beeps(), c.alarmBeeps + 1) << "one step only";
}

const GraceCase kGraceCases[] = {
    {"AlarmResetsTheStopwatch", 5.0, nullptr, false, 1},
    {"AlarmStartsTheNextExposureOfABatch", 5.0, "3", true, 1},
    {"NoAlarmActsTwoSecondsAfterTheStart", 0.0, nullptr, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Grace, TwoSecondStep, ::testing::ValuesIn(kGraceCases),
                         [](const ::testing::TestParamInfo<GraceCase>& info) { return std::string(info.param.name); });

// --- Guiding messages ----------------------------------------------------------------

using GuidingLoopTest = CommandsTest;

// A correction's stop is queued; once the guiding square is cleared the loop sends no
// queued message and measures no centroid, so the stop waits for the quit, which
// sends it before closing the port.
TEST_F(GuidingLoopTest, NoQueuedMessageGoesOutWithoutAGuidingSquare) {
    ClickFrame(Point{240, 320}, shiftKey);
    ASSERT_NE(app().GetFrameWindowsGroup()->GetAutoGuideBoundsRect().left, -1);
    // A goal far from anything the square holds: corrections at once.
    app().GetAutoGuider()->InitializeAutoGuideGoalCentroid(Point{0, 0});
    clock().AdvanceTicks(2);
    Pass();
    Pass();
    const std::string sent = MountBytes();
    ASSERT_NE(sent.find("#:M"), std::string::npos) << sent;
    ASSERT_FALSE(app().GetSerialInterface()->GetFutureMessages().empty());

    ChooseMenuItem(kMiscMenu, 7);
    ASSERT_EQ(app().GetFrameWindowsGroup()->GetAutoGuideBoundsRect().left, -1);
    RunFor(1.0);
    EXPECT_EQ(MountBytes(), "");
    EXPECT_FALSE(app().GetSerialInterface()->GetFutureMessages().empty());
    EXPECT_EQ(app().GetAutoGuider()->GetDelayNS() + app().GetAutoGuider()->GetDelayEW(), 0)
        << "no frame was measured for the guider";
    Stop();
    const std::string atQuit = MountBytes();
    EXPECT_NE(atQuit.find("#:Q"), std::string::npos) << atQuit;
}

// A drag holds the loop while the button is down; the stop of a guiding pulse still
// goes out when it is due, not when the drag ends.
TEST_F(GuidingLoopTest, APulseEndsOnTimeDuringADrag) {
    ClickFrame(Point{240, 320}, shiftKey);
    app().GetAutoGuider()->InitializeAutoGuideGoalCentroid(Point{0, 0});
    clock().AdvanceTicks(2);
    Pass();
    ASSERT_NE(MountBytes().find("#:M"), std::string::npos);
    ASSERT_FALSE(app().GetSerialInterface()->GetFutureMessages().empty());

    // A long drag of the histogram rectangle, a tick of the clock at every poll of the
    // mouse; the mount's bytes read as the drag goes.
    int polls = 0, stopAtPoll = -1;
    std::string sent;
    ScopedBackgroundTask watch([&] {
        if (!host().PeekMouse().down) return;
        clock().AdvanceTicks(1);
        sent += MountBytes();
        if (stopAtPoll < 0 && sent.find("#:Q") != std::string::npos) stopAtPoll = polls;
        ++polls;
    });
    host().ScriptDrag(FrameToGlobal(Point{100, 100}), FrameToGlobal(Point{300, 400}), 60);
    TakeInput();
    EXPECT_GE(polls, 60);
    EXPECT_GE(stopAtPoll, 0) << "the stop waited for the end of the drag: " << sent;
    EXPECT_LE(stopAtPoll, 6);
}

}  // namespace
