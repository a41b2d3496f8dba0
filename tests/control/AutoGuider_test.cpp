// The autoguider: directions and threshold in normal mode, timed pulses, the delay
// keys and the three preferences. Pulses are read from the mount's end of the line.
#include "app/PrefFile.h"
#include "control/AutoGuider.h"
#include "tests/control/ControlFixture.h"

namespace {

class AutoGuiderTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        mount_ = &AddTerminalPort("mount");
        serial_ = std::make_unique<SerialInterface>(dataWindow());
        ConfigurePorts(*serial_, {SerialInterface::kAutoGuideFtn});
    }
    void TearDown() override {
        serial_.reset();
        ControlTest::TearDown();
    }

    std::unique_ptr<AutoGuider> MakeGuider() { return std::make_unique<AutoGuider>(serial_.get()); }

    // One idle pass as the event loop makes it: pulses, then the due messages.
    void IdlePass(AutoGuider& guider) {
        guider.ProcessAutoGuide(dataWindow());
        serial_->ProcessFutureMessages(false);
    }

    // The move commands that reached the mount since last asked ("n", "e", ...).
    std::string Moves() {
        std::string wire = DrainTerminal(*mount_);
        std::string moves;
        for (size_t at = wire.find("#:M"); at != std::string::npos; at = wire.find("#:M", at + 1))
            moves += wire[at + 3];
        return moves;
    }

    // Lets every queued stop go out so that both axes are free.
    void FinishPulses() {
        serial_->ProcessFutureMessages(true);
        DrainTerminal(*mount_);
    }

    PseudoTerminal* mount_ = nullptr;
    std::unique_ptr<SerialInterface> serial_;
};

Point At(int v, int h) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

TEST_F(AutoGuiderTest, NormalModeMovesTowardTheGoalBeyondThreePixels) {
    struct Case {
        const char* name;
        Point centroid;
        bool flipNS;
        bool flipEW;
        const char* moves;  // what one idle pass sends
    };
    const Case cases[] = {
        {"4 below, north up", At(104, 100), false, false, "s"},
        {"3 below: no pulse", At(103, 100), false, false, ""},
        {"3 above: no pulse", At(97, 100), false, false, ""},
        {"4 above, north up", At(96, 100), false, false, "n"},
        {"4 left, east right", At(100, 96), false, false, "w"},
        {"4 right, east right", At(100, 104), false, false, "e"},
        {"4 below, north down", At(104, 100), true, false, "n"},
        {"4 left, east left", At(100, 96), false, true, "e"},
        {"both axes", At(110, 90), false, false, "sw"},
        {"both axes flipped", At(110, 90), true, true, "ne"},
        {"on the goal", At(100, 100), false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PrefFile().WriteFlipNS(c.flipNS);
        PrefFile().WriteFlipEW(c.flipEW);
        auto guider = MakeGuider();
        guider->InitializeAutoGuideGoalCentroid(At(100, 100));
        guider->UpdateFromNewFrame(c.centroid, dataWindow());
        IdlePass(*guider);
        EXPECT_EQ(Moves(), c.moves);
        FinishPulses();
    }
}

TEST_F(AutoGuiderTest, TheStateIsDrawnWithEveryPassThatAsksForAPulse) {
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(104, 96), dataWindow());
    IdlePass(*guider);
    EXPECT_TRUE(Shows(kNSStateBox, [](DataWindow& w) { w.DrawAutoGuideNSState(true, false); }));
    EXPECT_TRUE(Shows(kEWStateBox, [](DataWindow& w) { w.DrawAutoGuideEWState(true, false); }));
    clock().AdvanceTicks(5);
    serial_->ProcessFutureMessages(false);
    EXPECT_TRUE(Shows(kNSStateBox, [](DataWindow& w) { w.DrawAutoGuideNSState(false, true); }));
    // The next pass asks again while the frame stands, and shows it again.
    guider->ProcessAutoGuide(dataWindow());
    EXPECT_TRUE(Shows(kNSStateBox, [](DataWindow& w) { w.DrawAutoGuideNSState(true, false); }));
}

TEST_F(AutoGuiderTest, ANeedStandsUntilTheNextFrameMakingATrainOfPulses) {
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(100, 110), dataWindow());
    std::vector<int> pulseTicks;
    for (int tick = 0; tick <= 13; ++tick) {
        IdlePass(*guider);
        if (!Moves().empty()) pulseTicks.push_back(tick);
        clock().AdvanceTicks(1);
    }
    // The stop of a pulse goes out on the pass at its fifth tick, after the autoguider
    // found the axis busy; the next move follows on the pass after that.
    EXPECT_EQ(pulseTicks, (std::vector<int>{0, 6, 12}));
    guider->UpdateFromNewFrame(At(100, 102), dataWindow());
    FinishPulses();
    for (int tick = 0; tick < 12; ++tick) {
        IdlePass(*guider);
        clock().AdvanceTicks(1);
    }
    EXPECT_EQ(Moves(), "");
}

TEST_F(AutoGuiderTest, AnAxisWithoutErrorKeepsItsLastDirection) {
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(96, 96), dataWindow());
    EXPECT_TRUE(guider->GetGuideNorth());
    EXPECT_FALSE(guider->GetGuideEast());
    guider->UpdateFromNewFrame(At(100, 100), dataWindow());
    EXPECT_TRUE(guider->GetGuideNorth());
    EXPECT_FALSE(guider->GetGuideEast());
    EXPECT_EQ(guider->GetDelayNS(), 0);
    EXPECT_EQ(guider->GetDelayEW(), 0);
}

TEST_F(AutoGuiderTest, WithDeclinationDisabledOnlyEastWestPulsesGoOut) {
    auto guider = MakeGuider();
    guider->ToggleDecGuiding();
    ASSERT_TRUE(guider->GetDecDisabled());
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(300, 100), dataWindow());
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");
    guider->UpdateFromNewFrame(At(300, 120), dataWindow());
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "e");
}

TEST_F(AutoGuiderTest, TimedModeSendsAPulseEachTimeItsIntervalHasStrictlyPassed) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    guider->DecreaseDelayEW(dataWindow());
    guider->DecreaseDelayEW(dataWindow());
    ASSERT_EQ(guider->GetDelayEW(), -120);
    // The last timed pulse was at tick 0, long ago: the first goes out at once.
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "w");
    FinishPulses();
    clock().AdvanceTicks(120);
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");  // exactly the interval: not yet
    clock().AdvanceTicks(1);
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "w");
}

TEST_F(AutoGuiderTest, TimedNorthPulsesAreSixtyOneTicksApart) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    guider->IncreaseDelayNS(dataWindow());
    std::vector<int> pulseTicks;
    for (int tick = 0; tick <= 130; ++tick) {
        guider->ProcessAutoGuide(dataWindow());
        if (!Moves().empty()) pulseTicks.push_back(tick);
        FinishPulses();
        clock().AdvanceTicks(1);
    }
    EXPECT_EQ(pulseTicks, (std::vector<int>{0, 61, 122}));
}

TEST_F(AutoGuiderTest, TimedModeDoesNotLookAtFrames) {
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->SetNormalMode(false);
    guider->UpdateFromNewFrame(At(150, 150), dataWindow());
    EXPECT_EQ(guider->GetDelayNS(), 0);
    EXPECT_EQ(guider->GetDelayEW(), 0);
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");
}

TEST_F(AutoGuiderTest, BackToNormalModeStopsTimedPulsesAtOnce) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    guider->IncreaseDelayNS(dataWindow());
    guider->IncreaseDelayEW(dataWindow());
    guider->SetNormalMode(true);
    EXPECT_EQ(guider->GetDelayNS(), 0);
    EXPECT_EQ(guider->GetDelayEW(), 0);
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");
}

TEST_F(AutoGuiderTest, DelayKeysAreRefusedWithOneBeepInNormalMode) {
    auto guider = MakeGuider();
    using Key = void (AutoGuider::*)(DataWindow*);
    for (Key key : {&AutoGuider::IncreaseDelayNS, &AutoGuider::DecreaseDelayNS, &AutoGuider::IncreaseDelayEW,
                    &AutoGuider::DecreaseDelayEW}) {
        host().ResetBeeps();
        (guider.get()->*key)(dataWindow());
        EXPECT_EQ(host().Beeps(), 1);
        EXPECT_EQ(guider->GetDelayNS(), 0);
        EXPECT_EQ(guider->GetDelayEW(), 0);
        EXPECT_TRUE(guider->GetGuideNorth());
        EXPECT_TRUE(guider->GetGuideEast());
    }
    auto nothing = [](DataWindow&) {};
    EXPECT_TRUE(Shows(kNSDelayBox, nothing));
    EXPECT_TRUE(Shows(kEWDelayBox, nothing));
}

TEST_F(AutoGuiderTest, WithDeclinationDisabledOnlyTheNorthSouthKeysAreRefused) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    guider->ToggleDecGuiding();
    host().ResetBeeps();
    guider->IncreaseDelayNS(dataWindow());
    guider->DecreaseDelayNS(dataWindow());
    EXPECT_EQ(host().Beeps(), 2);
    EXPECT_EQ(guider->GetDelayNS(), 0);
    guider->IncreaseDelayEW(dataWindow());
    EXPECT_EQ(host().Beeps(), 2);
    EXPECT_EQ(guider->GetDelayEW(), 60);
}

TEST_F(AutoGuiderTest, TheSignOfADelayIsItsDirectionAndItsSizeItsInterval) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    struct Step {
        void (AutoGuider::*key)(DataWindow*);
        int delay;
        bool north;
    };
    const Step steps[] = {
        {&AutoGuider::IncreaseDelayNS, 60, true},
        {&AutoGuider::IncreaseDelayNS, 120, true},
        {&AutoGuider::DecreaseDelayNS, 60, true},
        {&AutoGuider::DecreaseDelayNS, 0, false},
        {&AutoGuider::DecreaseDelayNS, -60, false},
        {&AutoGuider::DecreaseDelayNS, -120, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.delay);
        (guider.get()->*s.key)(dataWindow());
        EXPECT_EQ(guider->GetDelayNS(), s.delay);
        EXPECT_EQ(guider->GetGuideNorth(), s.north);
        EXPECT_TRUE(Shows(kNSDelayBox, [&](DataWindow& w) { w.DrawAutoGuideNSDelay(s.delay); }));
    }
    guider->IncreaseDelayEW(dataWindow());
    guider->DecreaseDelayEW(dataWindow());
    guider->DecreaseDelayEW(dataWindow());
    EXPECT_EQ(guider->GetDelayEW(), -60);
    EXPECT_FALSE(guider->GetGuideEast());
    EXPECT_TRUE(Shows(kEWDelayBox, [](DataWindow& w) { w.DrawAutoGuideEWDelay(-60); }));
}

TEST_F(AutoGuiderTest, DisablingDeclinationDropsTheNorthSouthDelayForGood) {
    auto guider = MakeGuider();
    guider->SetNormalMode(false);
    guider->IncreaseDelayNS(dataWindow());
    guider->IncreaseDelayNS(dataWindow());
    guider->ToggleDecGuiding();
    EXPECT_EQ(guider->GetDelayNS(), 0);
    guider->ToggleDecGuiding();
    EXPECT_FALSE(guider->GetDecDisabled());
    EXPECT_EQ(guider->GetDelayNS(), 0);
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");
}

TEST_F(AutoGuiderTest, WithoutAMountPortTheStatesAreStillDrawn) {
    serial_->Close(-1);
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(90, 100), dataWindow());
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "");
    EXPECT_TRUE(Shows(kNSStateBox, [](DataWindow& w) { w.DrawAutoGuideNSState(true, true); }));
}

// --- Preferences ----------------------------------------------------------------------

TEST_F(AutoGuiderTest, StartsNorthUpEastRightWithDeclinationWhenNothingIsStored) {
    auto guider = MakeGuider();
    EXPECT_TRUE(guider->GetNorthIsUp());
    EXPECT_TRUE(guider->GetEastIsRight());
    EXPECT_FALSE(guider->GetDecDisabled());
    EXPECT_TRUE(guider->GetNormalMode());
}

TEST_F(AutoGuiderTest, ReadsTheStoredOrientationAndDeclinationSetting) {
    WritePrefsText("flipNS = 1\nflipEW = 1\ndisableDec = 1\n");
    StartNewRun();
    auto guider = MakeGuider();
    EXPECT_FALSE(guider->GetNorthIsUp());
    EXPECT_FALSE(guider->GetEastIsRight());
    EXPECT_TRUE(guider->GetDecDisabled());

    WritePrefsText("flipNS = 0\nflipEW = -2\n");
    StartNewRun();
    guider = MakeGuider();
    EXPECT_TRUE(guider->GetNorthIsUp());
    EXPECT_TRUE(guider->GetEastIsRight());  // -2 reads as absent
    EXPECT_FALSE(guider->GetDecDisabled());
}

TEST_F(AutoGuiderTest, EachFlipAndToggleIsWrittenAtOnce) {
    auto guider = MakeGuider();
    struct Change {
        void (AutoGuider::*change)();
        bool (PrefFile::*read)(bool&);
        bool stored;
    };
    const Change changes[] = {
        {&AutoGuider::FlipAutoGuideNS, &PrefFile::ReadFlipNS, true},
        {&AutoGuider::FlipAutoGuideNS, &PrefFile::ReadFlipNS, false},
        {&AutoGuider::FlipAutoGuideEW, &PrefFile::ReadFlipEW, true},
        {&AutoGuider::FlipAutoGuideEW, &PrefFile::ReadFlipEW, false},
        {&AutoGuider::ToggleDecGuiding, &PrefFile::ReadDisableDecGuiding, true},
        {&AutoGuider::ToggleDecGuiding, &PrefFile::ReadDisableDecGuiding, false},
    };
    for (const Change& c : changes) {
        (guider.get()->*c.change)();
        StartNewRun();  // read back from the file, not from memory
        bool stored = !c.stored;
        EXPECT_TRUE((PrefFile().*c.read)(stored));
        EXPECT_EQ(stored, c.stored);
    }
    EXPECT_TRUE(guider->GetNorthIsUp());
    EXPECT_TRUE(guider->GetEastIsRight());
    EXPECT_FALSE(guider->GetDecDisabled());
}

TEST_F(AutoGuiderTest, AFlipTakesEffectAtTheNextFrame) {
    auto guider = MakeGuider();
    guider->InitializeAutoGuideGoalCentroid(At(100, 100));
    guider->UpdateFromNewFrame(At(110, 100), dataWindow());
    guider->FlipAutoGuideNS();
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "s");  // decided before the flip
    FinishPulses();
    guider->UpdateFromNewFrame(At(110, 100), dataWindow());
    IdlePass(*guider);
    EXPECT_EQ(Moves(), "n");
}

}  // namespace
