// Manual guiding with the arrow keys, read byte for byte at the mount's end of a
// pseudo terminal: one start per press however long the key is held, one stop on
// release, shift for the guiding delays.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "tests/commands/CommandsFixture.h"

namespace {

struct ArrowCase {
    const char* name;
    unsigned char key;
    const char* move;
    const char* stop;
};

const ArrowCase kArrows[] = {
    {"Up", kUpArrowCharCode, "#:Mn#", "#:Qn#"},
    {"Right", kRightArrowCharCode, "#:Me#", "#:Qe#"},
    {"Down", kDownArrowCharCode, "#:Ms#", "#:Qs#"},
    {"Left", kLeftArrowCharCode, "#:Mw#", "#:Qw#"},
};

class ArrowKey : public CommandsTest, public ::testing::WithParamInterface<ArrowCase> {
protected:
    void KeyUp(unsigned char c, uint16_t modifiers = 0) { Key(c, modifiers, keyUp); }
};

TEST_P(ArrowKey, OnePressSendsOneStartAndItsReleaseOneStop) {
    const ArrowCase& c = GetParam();
    Key(c.key);
    EXPECT_EQ(MountBytes(), std::string("#:RG#") + c.move);
    // The repeats of the held key.
    for (int i = 0; i < 5; ++i) Key(c.key, 0, autoKey);
    EXPECT_EQ(MountBytes(), "");
    KeyUp(c.key);
    EXPECT_EQ(MountBytes(), c.stop);
    // A second release has no move to stop.
    KeyUp(c.key);
    EXPECT_EQ(MountBytes(), "");
    EXPECT_EQ(host().Beeps(), 0);
}

// The same through the loop's own event wait, which must let key-ups through.
TEST_P(ArrowKey, HeldAndReleasedThroughTheEventLoop) {
    const ArrowCase& c = GetParam();
    host().PushKeyDown(c.key);
    for (int i = 0; i < 3; ++i) host().PushAutoKey(c.key);
    host().PushKeyUp(c.key);
    TakeInput();
    EXPECT_EQ(MountBytes(), std::string("#:RG#") + c.move + c.stop);
}

// Shift changes a delay on key-down; the release of the same arrow stops a move of its
// direction all the same.
TEST_P(ArrowKey, TheReleaseOfAShiftedArrowStillStopsItsMove) {
    const ArrowCase& c = GetParam();
    app().GetAutoGuider()->SetNormalMode(false);
    Key(c.key);
    MountBytes();
    Key(c.key, shiftKey);
    EXPECT_EQ(MountBytes(), "") << "shift changes a delay and sends nothing";
    EXPECT_EQ(std::abs(app().GetAutoGuider()->GetDelayNS()) + std::abs(app().GetAutoGuider()->GetDelayEW()),
              AutoGuider::kDelayStepTicks);
    KeyUp(c.key, shiftKey);
    EXPECT_EQ(MountBytes(), c.stop);
}

INSTANTIATE_TEST_SUITE_P(Arrows, ArrowKey, ::testing::ValuesIn(kArrows),
                         [](const ::testing::TestParamInfo<ArrowCase>& info) { return std::string(info.param.name); });

using ArrowsTest = CommandsTest;

TEST_F(ArrowsTest, AReleaseWithoutAMoveSendsNothing) {
    Key(kUpArrowCharCode, 0, keyUp);
    Key(kLeftArrowCharCode, shiftKey, keyUp);
    EXPECT_EQ(MountBytes(), "");
}

// A key pressed while an autoguider pulse runs on the same axis sends nothing new,
// cancels the pulse's queued stop, and its release stops the axis.
TEST_F(ArrowsTest, AnArrowDuringACorrectionTakesTheAxisOver) {
    SerialInterface& serial = *app().GetSerialInterface();
    serial.SendAutoGuideCorrection(SerialInterface::kNorth);
    EXPECT_EQ(MountBytes(), "#:RG##:Mn#");
    Key(kDownArrowCharCode);
    EXPECT_EQ(MountBytes(), "");
    EXPECT_TRUE(serial.GetFutureMessages().empty());
    clock().AdvanceTicks(10);
    serial.ProcessFutureMessages(false);
    EXPECT_EQ(MountBytes(), "");
    Key(kDownArrowCharCode, 0, keyUp);
    EXPECT_EQ(MountBytes(), "#:Qs#");
}

// Two arrows of the two axes held together move both axes; each release stops its own.
TEST_F(ArrowsTest, BothAxesAtOnce) {
    Key(kUpArrowCharCode);
    Key(kLeftArrowCharCode);
    EXPECT_EQ(MountBytes(), "#:RG##:Mn##:RG##:Mw#");
    Key(kLeftArrowCharCode, 0, keyUp);
    EXPECT_EQ(MountBytes(), "#:Qw#");
    Key(kUpArrowCharCode, 0, keyUp);
    EXPECT_EQ(MountBytes(), "#:Qn#");
}

// The program quits while an arrow is still down: the mount is stopped as the release
// would stop it, before its port closes; a move already released is not stopped twice.
TEST_F(ArrowsTest, QuittingWithAnArrowHeldStopsTheMount) {
    Key(kUpArrowCharCode);
    Key(kRightArrowCharCode);
    Key(kRightArrowCharCode, 0, keyUp);
    EXPECT_EQ(MountBytes(), "#:RG##:Mn##:RG##:Me##:Qe#");
    Stop();
    EXPECT_EQ(MountBytes(), "#:Qn#");
}

TEST_F(ArrowsTest, ASignalDuringAManualMoveStopsTheMountBeforeTheLoopEnds) {
    host().PushKeyDown(kUpArrowCharCode);
    TakeInput();
    EXPECT_EQ(MountBytes(), "#:RG##:Mn#");
    std::raise(SIGTERM);
    app().Run();
    Stop();
    EXPECT_EQ(MountBytes(), "#:Qn#");
}

}  // namespace
