// The mount's guiding commands as they arrive at the other end of the line.
#include "tests/control/ControlFixture.h"

namespace {

class GuidingCommandsTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        mount_ = &AddTerminalPort("mount");
        serial_ = std::make_unique<SerialInterface>(dataWindow());
        ConfigurePorts(*serial_, {SerialInterface::kAutoGuideFtn});
        ASSERT_GE(serial_->GetPortDescriptor(0), 0);
        recorder().ClearRecords();
    }
    void TearDown() override {
        serial_.reset();
        ControlTest::TearDown();
    }

    std::string Wire() { return DrainTerminal(*mount_); }
    std::vector<std::string> QueuedTexts() const {
        std::vector<std::string> texts;
        for (const FutureMessage& m : serial_->GetFutureMessages()) texts.push_back(m.GetText());
        return texts;
    }
    bool ShowsNS(bool active, bool north) {
        return Shows(kNSStateBox, [&](DataWindow& w) { w.DrawAutoGuideNSState(active, north); });
    }
    bool ShowsEW(bool active, bool east) {
        return Shows(kEWStateBox, [&](DataWindow& w) { w.DrawAutoGuideEWState(active, east); });
    }

    PseudoTerminal* mount_ = nullptr;
    std::unique_ptr<SerialInterface> serial_;
};

TEST_F(GuidingCommandsTest, ACorrectionWritesRateAndMoveAsTwoWritesAndQueuesTheStopFiveTicksAhead) {
    uint32_t now = TickCount();
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    ASSERT_EQ(recorder().Writes().size(), 2u);
    EXPECT_EQ(recorder().Writes()[0].bytes, "#:RG#");
    EXPECT_EQ(recorder().Writes()[1].bytes, "#:Mn#");
    EXPECT_EQ(Wire(), "#:RG##:Mn#");
    ASSERT_EQ(serial_->GetFutureMessages().size(), 1u);
    const FutureMessage& stop = serial_->GetFutureMessages().front();
    EXPECT_STREQ(stop.GetText(), "#:Qn#");
    EXPECT_EQ(stop.GetDueTick(), static_cast<int32_t>(now + 5));
    EXPECT_EQ(stop.GetPortDescriptor(), serial_->GetPortDescriptor(0));
    EXPECT_TRUE(serial_->GetGuidingNS());
    EXPECT_FALSE(serial_->GetGuidingEW());
}

TEST_F(GuidingCommandsTest, EachDirectionHasItsMoveItsStopAndItsAxis) {
    struct Case {
        SerialInterface::CompassDirection direction;
        const char* move;
        const char* stop;
        bool northSouth;
    };
    const Case cases[] = {
        {SerialInterface::kNorth, "#:Mn#", "#:Qn#", true},
        {SerialInterface::kEast, "#:Me#", "#:Qe#", false},
        {SerialInterface::kSouth, "#:Ms#", "#:Qs#", true},
        {SerialInterface::kWest, "#:Mw#", "#:Qw#", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        serial_->SendAutoGuideCorrection(c.direction);
        EXPECT_EQ(Wire(), std::string("#:RG#") + c.move);
        EXPECT_EQ(serial_->GetGuidingNS(), c.northSouth);
        EXPECT_EQ(serial_->GetGuidingEW(), !c.northSouth);
        EXPECT_EQ(QueuedTexts(), std::vector<std::string>{c.stop});
        serial_->ProcessFutureMessages(true);
        EXPECT_EQ(Wire(), c.stop);
        EXPECT_FALSE(serial_->GetGuidingNS() || serial_->GetGuidingEW());
    }
}

TEST_F(GuidingCommandsTest, ASecondCorrectionOnABusyAxisWritesAndQueuesNothing) {
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    Wire();
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    serial_->SendAutoGuideCorrection(SerialInterface::kSouth);
    EXPECT_EQ(Wire(), "");
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"#:Qn#"});
    // The other axis is free.
    serial_->SendAutoGuideCorrection(SerialInterface::kEast);
    EXPECT_EQ(Wire(), "#:RG##:Me#");
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"#:Qn#", "#:Qe#"}));
    EXPECT_TRUE(serial_->GetGuidingNS());
    EXPECT_TRUE(serial_->GetGuidingEW());
}

TEST_F(GuidingCommandsTest, TheStopGoesOutAtFiveTicksNotAtFour) {
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    Wire();
    clock().AdvanceTicks(4);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "");
    EXPECT_TRUE(serial_->GetGuidingNS());
    EXPECT_FALSE(ShowsNS(false, true));
    clock().AdvanceTicks(1);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "#:Qn#");
    EXPECT_FALSE(serial_->GetGuidingNS());
    EXPECT_TRUE(serial_->GetFutureMessages().empty());
    EXPECT_TRUE(ShowsNS(false, true));  // "waiting"
    // The axis is free again for the next pulse.
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    EXPECT_EQ(Wire(), "#:RG##:Mn#");
}

TEST_F(GuidingCommandsTest, AMessageNotYetDueHoldsBackTheLaterOnes) {
    int fd = serial_->GetPortDescriptor(0);
    uint32_t now = TickCount();
    serial_->CreateFutureMessage(fd, now + 10, "#:Qe#");
    serial_->CreateFutureMessage(fd, now + 1, "#:Qn#");
    clock().AdvanceTicks(2);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "");
    clock().AdvanceTicks(8);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "#:Qe##:Qn#");
}

TEST_F(GuidingCommandsTest, FlushingSendsEverythingAtOnceInQueueOrder) {
    serial_->SendAutoGuideCorrection(SerialInterface::kEast);
    serial_->SendAutoGuideCorrection(SerialInterface::kSouth);
    Wire();
    serial_->ProcessFutureMessages(true);
    EXPECT_EQ(Wire(), "#:Qe##:Qs#");
    EXPECT_FALSE(serial_->GetGuidingNS());
    EXPECT_FALSE(serial_->GetGuidingEW());
    EXPECT_TRUE(ShowsNS(false, true));
    EXPECT_TRUE(ShowsEW(false, true));
}

TEST_F(GuidingCommandsTest, ArrowKeyDownMovesUntilKeyUpWhichSendsOneStop) {
    serial_->SendIndefiniteGuide(SerialInterface::kNorth);
    EXPECT_EQ(Wire(), "#:RG##:Mn#");
    EXPECT_TRUE(ShowsNS(true, true));  // "guiding north"
    EXPECT_TRUE(serial_->GetFutureMessages().empty());
    clock().AdvanceTicks(100);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "");
    serial_->KillIndefiniteGuide(SerialInterface::kNorth);
    EXPECT_EQ(Wire(), "#:Qn#");
    EXPECT_TRUE(ShowsNS(false, true));  // "waiting"
    serial_->KillIndefiniteGuide(SerialInterface::kNorth);
    EXPECT_EQ(Wire(), "");
}

TEST_F(GuidingCommandsTest, KeysShowTheirDirection) {
    serial_->SendIndefiniteGuide(SerialInterface::kSouth);
    EXPECT_TRUE(ShowsNS(true, false));
    serial_->SendIndefiniteGuide(SerialInterface::kWest);
    EXPECT_TRUE(ShowsEW(true, false));
    EXPECT_EQ(Wire(), "#:RG##:Ms##:RG##:Mw#");
    serial_->KillIndefiniteGuide(SerialInterface::kWest);
    serial_->KillIndefiniteGuide(SerialInterface::kSouth);
    EXPECT_EQ(Wire(), "#:Qw##:Qs#");
    serial_->SendIndefiniteGuide(SerialInterface::kEast);
    EXPECT_TRUE(ShowsEW(true, true));
}

TEST_F(GuidingCommandsTest, AKeyDownDuringAPendingPulseCancelsOnlyThatAxissStops) {
    serial_->SendAutoGuideCorrection(SerialInterface::kEast);
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    Wire();
    serial_->SendIndefiniteGuide(SerialInterface::kEast);
    EXPECT_EQ(Wire(), "");  // the axis is busy: nothing new
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"#:Qn#"});
    EXPECT_TRUE(serial_->GetGuidingEW());
    clock().AdvanceTicks(10);
    serial_->ProcessFutureMessages(false);
    EXPECT_EQ(Wire(), "#:Qn#");
    EXPECT_TRUE(serial_->GetGuidingEW());  // still moving while the key is held
    serial_->KillIndefiniteGuide(SerialInterface::kEast);
    EXPECT_EQ(Wire(), "#:Qe#");
    EXPECT_FALSE(serial_->GetGuidingEW());
}

TEST_F(GuidingCommandsTest, AKeyDownRemovesEveryStopOfItsAxisAndNoOther) {
    int fd = serial_->GetPortDescriptor(0);
    uint32_t now = TickCount();
    for (const char* text : {"#:Qn#", "#:Qe#", "#:Qs#", "#:Qw#", "#:Qn#", "#:RG#"})
        serial_->CreateFutureMessage(fd, now + 5, text);
    serial_->SendIndefiniteGuide(SerialInterface::kNorth);
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"#:Qe#", "#:Qw#", "#:RG#"}));
    serial_->SendIndefiniteGuide(SerialInterface::kWest);
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"#:RG#"});
}

TEST_F(GuidingCommandsTest, QuittingWithAStopQueuedWritesItBeforeThePortCloses) {
    serial_->SendAutoGuideCorrection(SerialInterface::kWest);
    Wire();
    int fd = serial_->GetPortDescriptor(0);
    serial_.reset();
    EXPECT_EQ(Wire(), "#:Qw#");
    ASSERT_FALSE(recorder().Writes().empty());
    EXPECT_EQ(recorder().Writes().back().bytes, "#:Qw#");
    EXPECT_EQ(recorder().ClosedDescriptors(), std::vector<int>{fd});
}

TEST_F(GuidingCommandsTest, DirectionsOutsideTheCompassDoNothing) {
    serial_->SendAutoGuideCorrection(static_cast<SerialInterface::CompassDirection>(4));
    serial_->SendIndefiniteGuide(static_cast<SerialInterface::CompassDirection>(-1));
    serial_->KillIndefiniteGuide(static_cast<SerialInterface::CompassDirection>(7));
    EXPECT_EQ(Wire(), "");
    EXPECT_TRUE(serial_->GetFutureMessages().empty());
    EXPECT_FALSE(serial_->GetGuidingNS() || serial_->GetGuidingEW());
}

TEST_F(GuidingCommandsTest, OnlyTheFirstOpenMountPortGetsTheCommands) {
    PseudoTerminal& second = AddTerminalPort();
    ConfigurePorts(*serial_, {SerialInterface::kAutoGuideFtn, SerialInterface::kAutoGuideFtn});
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    serial_->ProcessFutureMessages(true);
    serial_->SendIndefiniteGuide(SerialInterface::kEast);
    serial_->KillIndefiniteGuide(SerialInterface::kEast);
    EXPECT_EQ(Wire(), "#:RG##:Mn##:Qn##:RG##:Me##:Qe#");
    EXPECT_EQ(DrainTerminal(second), "");
}

TEST_F(GuidingCommandsTest, WithoutAnOpenMountPortNothingIsWrittenOrQueued) {
    // Cancelled dialog: every port closed, the functions kept.
    serial_->BeginPortConfiguration();
    serial_->FinishPortConfiguration(nullptr);
    EXPECT_FALSE(serial_->NoAutoGuideSerialPort());
    EXPECT_EQ(serial_->GetPortDescriptor(0), -1);
    recorder().ClearRecords();
    serial_->SendAutoGuideCorrection(SerialInterface::kNorth);
    serial_->SendIndefiniteGuide(SerialInterface::kEast);
    serial_->KillIndefiniteGuide(SerialInterface::kEast);
    EXPECT_TRUE(recorder().Writes().empty());
    EXPECT_TRUE(serial_->GetFutureMessages().empty());
    EXPECT_FALSE(serial_->GetGuidingNS() || serial_->GetGuidingEW());
    EXPECT_EQ(Wire(), "");
}

TEST_F(GuidingCommandsTest, ReconfiguringSendsTheQueueFirst) {
    serial_->SendAutoGuideCorrection(SerialInterface::kSouth);
    Wire();
    serial_->BeginPortConfiguration();
    EXPECT_EQ(Wire(), "#:Qs#");
    EXPECT_FALSE(serial_->GetGuidingNS());
    serial_->FinishPortConfiguration(nullptr);
}

TEST_F(GuidingCommandsTest, ClosingDiscardsWhatIsStillQueued) {
    serial_->SendAutoGuideCorrection(SerialInterface::kSouth);
    Wire();
    serial_->Close(-1);
    EXPECT_TRUE(serial_->GetFutureMessages().empty());
    EXPECT_EQ(Wire(), "");
}

TEST_F(GuidingCommandsTest, SV203InitialisationGoesToEverySV203PortOnly) {
    PseudoTerminal& board = AddTerminalPort();
    PseudoTerminal& board2 = AddTerminalPort();
    ConfigurePorts(*serial_, {SerialInterface::kAutoGuideFtn, SerialInterface::kSV203Ftn, SerialInterface::kSV203Ftn});
    // At OK: the start-up line, then the resting state of both switches.
    const std::string atOK = "BD0 SV1 M0 PS1 SV8 M0 PS8\rPS8\rPS1\r";
    EXPECT_EQ(DrainTerminal(board), atOK);
    EXPECT_EQ(DrainTerminal(board2), atOK);
    serial_->InitializeSV203();
    EXPECT_EQ(DrainTerminal(board), "BD0 SV1 M0 PS1 SV8 M0 PS8\r");
    EXPECT_EQ(Wire(), "");
}

}  // namespace
