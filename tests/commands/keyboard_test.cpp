// The keyboard commands, key by key: each key's change to the program's state from a
// given starting point, the refusals that beep, and the limits.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/commands/CommandsFixture.h"

namespace {

struct KeyCase {
    const char* name;
    std::function<void(CommandsTest&)> arrange;  // the starting point
    unsigned char key;
    uint16_t modifiers;
    uint16_t what;                              // keyDown or autoKey
    std::function<void(CommandState&)> change;  // what the key changes
    int beeps;
};

void SetAlarm(CommandsTest& t, double seconds) { t.app().GetStopWatch()->SetAlarmTrigger(seconds); }
void SetPause(CommandsTest& t, int ticks) { t.app().SetEventPause(ticks); }
void Nothing(CommandsTest&) {}
void NoChange(CommandState&) {}
void TimedGuiding(CommandsTest& t) { t.app().GetAutoGuider()->SetNormalMode(false); }

const std::vector<KeyCase>& KeyCases() {
    static const std::vector<KeyCase> cases = {
        // The alarm keys: steps of 0.2 s and 10 s; ',' only above 0.0, '<' only above 9.0.
        {"CommaLowersTheAlarm", [](CommandsTest& t) { SetAlarm(t, 5.0); }, ',', 0, keyDown,
         [](CommandState& s) { s.alarm = 5.0 - 0.2; }, 0},
        {"CommaAtZeroLeavesTheAlarm", Nothing, ',', 0, keyDown, NoChange, 0},
        {"CommaActsOnATinyAlarm", [](CommandsTest& t) { SetAlarm(t, 1e-9); }, ',', 0, keyDown,
         [](CommandState& s) { s.alarm = 1e-9 - 0.2; }, 0},
        {"CommaRepeatsWhileHeld", [](CommandsTest& t) { SetAlarm(t, 1.0); }, ',', 0, autoKey,
         [](CommandState& s) { s.alarm = 1.0 - 0.2; }, 0},
        {"PeriodRaisesTheAlarm", Nothing, '.', 0, keyDown, [](CommandState& s) { s.alarm = 0.2; }, 0},
        {"PeriodHasNoUpperLimit", [](CommandsTest& t) { SetAlarm(t, 1e6); }, '.', 0, keyDown,
         [](CommandState& s) { s.alarm = 1e6 + 0.2; }, 0},
        {"LessThanAtNineLeavesTheAlarm", [](CommandsTest& t) { SetAlarm(t, 9.0); }, '<', shiftKey, keyDown, NoChange,
         0},
        {"LessThanJustAboveNine", [](CommandsTest& t) { SetAlarm(t, 9.2); }, '<', shiftKey, keyDown,
         [](CommandState& s) { s.alarm = 9.2 - 10.0; }, 0},
        {"LessThanLowersByTen", [](CommandsTest& t) { SetAlarm(t, 25.0); }, '<', shiftKey, keyDown,
         [](CommandState& s) { s.alarm = 15.0; }, 0},
        {"GreaterThanRaisesByTen", Nothing, '>', shiftKey, keyDown, [](CommandState& s) { s.alarm = 10.0; }, 0},
        {"GreaterThanRepeatsWhileHeld", [](CommandsTest& t) { SetAlarm(t, 10.0); }, '>', shiftKey, autoKey,
         [](CommandState& s) { s.alarm = 20.0; }, 0},
        // End cutoffs, all three by 5.
        {"MinusLowersTheEndCutoffs", [](CommandsTest& t) { t.app().GetRawFrameProcessor()->SetEndCutoffs(40, 41, 42); },
         '-', 0, keyDown, [](CommandState& s) { s.cutoffs = {35, 36, 37}; }, 0},
        {"EqualsRaisesTheEndCutoffs", [](CommandsTest& t) { t.app().GetRawFrameProcessor()->SetEndCutoffs(40, 41, 42); },
         '=', 0, keyDown, [](CommandState& s) { s.cutoffs = {45, 46, 47}; }, 0},
        // The camera's lines.
        {"OneTurnsTheExposureOn", Nothing, '1', 0, keyDown, [](CommandState& s) { s.exposureOn = true; }, 0},
        {"TwoTurnsTheExposureOff", [](CommandsTest& t) { t.app().GetSerialInterface()->TurnExposureOn(); }, '2', 0,
         keyDown, [](CommandState& s) { s.exposureOn = false; }, 0},
        {"ThreeTurnsTheAmplifierOn", [](CommandsTest& t) { t.app().GetSerialInterface()->TurnAmpOff(); }, '3', 0,
         keyDown, [](CommandState& s) { s.ampOff = false; }, 0},
        {"FourTurnsTheAmplifierOff", Nothing, '4', 0, keyDown, [](CommandState& s) { s.ampOff = true; }, 0},
        // The event pause, 0 to 12 ticks; the keys beep at the limits.
        {"LeftBracketAtZeroBeeps", Nothing, '[', 0, keyDown, NoChange, 1},
        {"LeftBracketShortensThePause", [](CommandsTest& t) { SetPause(t, 5); }, '[', 0, keyDown,
         [](CommandState& s) { s.eventPause = 4; }, 0},
        {"RightBracketLengthensThePause", Nothing, ']', 0, keyDown, [](CommandState& s) { s.eventPause = 1; }, 0},
        {"RightBracketUpToTwelve", [](CommandsTest& t) { SetPause(t, 11); }, ']', 0, keyDown,
         [](CommandState& s) { s.eventPause = 12; }, 0},
        {"RightBracketAtTwelveBeeps", [](CommandsTest& t) { SetPause(t, 12); }, ']', 0, keyDown, NoChange, 1},
        // The video phase.
        {"RightBraceAdvancesTheVideoPhase", Nothing, '}', shiftKey, keyDown,
         [](CommandState& s) { s.videoPhase = SerialInterface::kVideoPhaseStep; }, 0},
        {"LeftBraceMovesTheVideoPhaseBack",
         [](CommandsTest& t) {
             t.app().GetSerialInterface()->IncreaseVideoPhase();
             t.app().GetSerialInterface()->IncreaseVideoPhase();
         },
         '{', shiftKey, keyDown, [](CommandState& s) { s.videoPhase = SerialInterface::kVideoPhaseStep; }, 0},
        // The space bar: one long exposure, refused while a batch runs.
        {"SpaceStartsALongExposure", Nothing, ' ', 0, keyDown,
         [](CommandState& s) {
             s.exposureOn = true;
             s.ampOff = true;
             s.stopWatchRunning = true;
         },
         0},
        {"SpaceDuringABatchBeeps", [](CommandsTest& t) { t.StartBatch("2"); }, ' ', 0, keyDown, NoChange, 1},
        // Shift with an arrow: the guiding delays, refused in centroid guiding.
        {"ShiftUpInCentroidGuidingBeeps", Nothing, kUpArrowCharCode, shiftKey, keyDown, NoChange, 1},
        {"ShiftUpLengthensTheNorthInterval", TimedGuiding, kUpArrowCharCode, shiftKey, keyDown,
         [](CommandState& s) { s.delayNS = 60; }, 0},
        {"ShiftDownTurnsItSouth", TimedGuiding, kDownArrowCharCode, shiftKey, keyDown,
         [](CommandState& s) { s.delayNS = -60; }, 0},
        {"ShiftRightLengthensTheEastInterval", TimedGuiding, kRightArrowCharCode, shiftKey, keyDown,
         [](CommandState& s) { s.delayEW = 60; }, 0},
        {"ShiftLeftTurnsItWest", TimedGuiding, kLeftArrowCharCode, shiftKey, keyDown,
         [](CommandState& s) { s.delayEW = -60; }, 0},
        {"ShiftArrowRepeatsAreIgnored", TimedGuiding, kUpArrowCharCode, shiftKey, autoKey, NoChange, 0},
        // Keys without a command.
        {"AnOtherKeyDoesNothing", Nothing, 'x', 0, keyDown, NoChange, 0},
        {"ADigitWithoutALineDoesNothing", Nothing, '5', 0, keyDown, NoChange, 0},
    };
    return cases;
}

class KeyCommand : public CommandsTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyCommand, ChangesWhatItsKeyChangesAndNothingElse) {
    const KeyCase& c = GetParam();
    c.arrange(*this);
    host().ResetBeeps();
    CommandState expected = State();
    c.change(expected);
    EventRecord event;
    event.what = c.what;
    event.message = c.key;
    event.modifiers = c.modifiers;
    app().HandleKeyDown(static_cast<char>(c.key), event);
    const CommandState now = State();
    EXPECT_DOUBLE_EQ(now.alarm, expected.alarm);
    expected.alarm = now.alarm;
    EXPECT_EQ(now, expected);
    EXPECT_EQ(host().Beeps(), c.beeps);
    EXPECT_EQ(MountBytes(), "") << "no key but an arrow talks to the mount";
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyCommand, ::testing::ValuesIn(KeyCases()),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

using KeyboardTest = CommandsTest;

TEST_F(KeyboardTest, TheReleaseOfAKeyOtherThanAnArrowDoesNothing) {
    SetAlarm(*this, 5.0);
    const CommandState before = State();
    for (unsigned char c : {'x', '1', ' ', ',', ']', '}'}) {
        EventRecord event;
        event.what = keyUp;
        event.message = c;
        app().HandleKeyUp(static_cast<char>(c), event);
        EXPECT_EQ(State(), before) << c;
    }
    EXPECT_EQ(host().Beeps(), 0);
    EXPECT_EQ(MountBytes(), "");
}

// The lines follow the keys: exposure on DTR, amplifier on RTS, both asserted in the
// long-exposure state.
TEST_F(KeyboardTest, TheLineKeysSwitchTheModemLines) {
    const int fd = LinesDescriptor();
    struct Step {
        unsigned char key;
        bool dtr;
        bool rts;
    };
    const Step steps[] = {{'1', true, false}, {'4', true, true}, {'3', true, false}, {'2', false, false}};
    for (const Step& step : steps) {
        Key(step.key);
        EXPECT_EQ((recorder().Lines(fd) & kModemLineDTR) != 0, step.dtr) << step.key;
        EXPECT_EQ((recorder().Lines(fd) & kModemLineRTS) != 0, step.rts) << step.key;
    }
}

// The alarm steps are floating point and add up their rounding; ',' still acts on the
// leftover above 0.0 and then stops.
TEST_F(KeyboardTest, AlarmStepsAccumulateRounding) {
    for (int i = 0; i < 3; ++i) Key('.');
    for (int i = 0; i < 3; ++i) Key(',');
    const double left = app().GetStopWatch()->GetAlarmTrigger();
    EXPECT_GT(left, 0.0) << "three steps up and three down leave a little above 0.0";
    EXPECT_LT(left, 1e-9);
    for (int i = 0; i < 3; ++i) Key(',');
    EXPECT_DOUBLE_EQ(app().GetStopWatch()->GetAlarmTrigger(), left - 0.2) << "one more step, then no further";
}

// Walking the pause from 0 to 12 and back: one tick a press, a beep at each end.
TEST_F(KeyboardTest, ThePauseWalksBetweenItsLimits) {
    for (int i = 1; i <= 13; ++i) {
        Key(']');
        EXPECT_EQ(app().GetEventPause(), std::min(i, 12));
    }
    EXPECT_EQ(host().Beeps(), 1);
    for (int i = 11; i >= -1; --i) {
        Key('[');
        EXPECT_EQ(app().GetEventPause(), std::max(i, 0));
    }
    EXPECT_EQ(host().Beeps(), 2);
}

// The pause a key sets is the sleep of the loop's next wait: with nothing to do, the
// host lets that much clock pass.
TEST_F(KeyboardTest, ThePauseIsTheLoopsSleep) {
    host().SetAdvanceClockWhenIdle(true);
    for (int i = 0; i < 3; ++i) Key(']');
    // The windows' updates come first.
    TakeInput();
    const uint32_t before = TickCount();
    EXPECT_FALSE(Pass()) << "nothing to do";
    EXPECT_GE(TickCount() - before, 3u);
    EXPECT_LE(TickCount() - before, 4u);
}

}  // namespace
