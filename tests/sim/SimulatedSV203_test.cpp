#include <gtest/gtest.h>

#include <string>

#include "sim/SimulatedSV203.h"
#include "tests/support/PseudoTerminalPeer.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class SimulatedSV203Test : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        clock().SetStepPerRead(0);
        ASSERT_TRUE(board_.IsOpen()) << board_.OpenError();
        port_ = std::make_unique<ProgramEnd>(board_.PortPath());
        ASSERT_TRUE(port_->IsOpen());
    }

    void SendAndStep(const std::string& text) {
        ASSERT_TRUE(port_->Send(text));
        board_.Terminal().WaitReadable(1000);
        board_.Step();
    }

    SimulatedSV203 board_;
    std::unique_ptr<ProgramEnd> port_;
};

TEST_F(SimulatedSV203Test, PinsStartSetSoTheCameraRestsUntilTheBoardIsSetUp) {
    for (int pin = 1; pin <= SimulatedSV203::kPins; ++pin) EXPECT_TRUE(board_.PinSet(pin)) << pin;
    EXPECT_FALSE(board_.ExposureOn());
    EXPECT_FALSE(board_.AmplifierOff());
    EXPECT_FALSE(board_.PinSet(0));
    EXPECT_FALSE(board_.PinSet(9));
}

TEST_F(SimulatedSV203Test, TheStartUpLineSetsBothPinsAndPositionsTheOutputs) {
    SendAndStep("PC1 PC8 SV1 M17 SV8 M99\r");
    ASSERT_TRUE(board_.ExposureOn());
    ASSERT_TRUE(board_.AmplifierOff());
    SendAndStep("BD0 SV1 M0 PS1 SV8 M0 PS8\r");
    EXPECT_TRUE(board_.PinSet(1));
    EXPECT_TRUE(board_.PinSet(8));
    EXPECT_EQ(board_.OutputPosition(1), 0);
    EXPECT_EQ(board_.OutputPosition(8), 0);
    EXPECT_EQ(board_.SelectedOutput(), 8);
    EXPECT_EQ(board_.MalformedCount(), 0);
    ASSERT_EQ(board_.Lines().size(), 2u);
    EXPECT_EQ(board_.Lines().back(), "BD0 SV1 M0 PS1 SV8 M0 PS8");
}

TEST_F(SimulatedSV203Test, ExposureAndAmplifierCommandsDriveTheirPins) {
    struct Case {
        const char* line;
        bool exposureOn;
        bool amplifierOff;
    };
    const Case cases[] = {
        {"PC8\r", true, false},
        {"PC1\r", true, true},
        {"PS1\r", true, false},
        {"PS8\r", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SendAndStep(c.line);
        EXPECT_EQ(board_.ExposureOn(), c.exposureOn);
        EXPECT_EQ(board_.AmplifierOff(), c.amplifierOff);
    }
    EXPECT_EQ(board_.MalformedCount(), 0);
}

TEST_F(SimulatedSV203Test, ALineSplitAcrossReadsIsCarriedOutWhenItEnds) {
    SendAndStep("PC");
    SendAndStep("8");
    EXPECT_FALSE(board_.ExposureOn());
    SendAndStep("\r");
    EXPECT_TRUE(board_.ExposureOn());
}

TEST_F(SimulatedSV203Test, CommandsWithoutBlanksAndLineFeedsAreTaken) {
    SendAndStep("SV3M120PC8\n");
    EXPECT_EQ(board_.OutputPosition(3), 120);
    EXPECT_TRUE(board_.ExposureOn());
}

TEST_F(SimulatedSV203Test, CommandsForAnotherBoardAreIgnored) {
    SendAndStep("BD1 PC8\r");
    EXPECT_FALSE(board_.ExposureOn());
    SendAndStep("PC1\r");  // board 1 is still selected
    EXPECT_FALSE(board_.AmplifierOff());
    SendAndStep("BD0 PC8\r");
    EXPECT_TRUE(board_.ExposureOn());
}

TEST_F(SimulatedSV203Test, BadLinesAreReportedAndTheNextLineIsTakenWhole) {
    struct Case {
        std::string line;
        bool exposureOnAfter;  // the line holds "PC8" before or after its fault
    };
    const Case cases[] = {
        {"XY5", false},
        {"PC9", false},
        {"PS", false},
        {"PC8 ZZ PC1", true},   // carried out up to the fault, the rest passed over
        {"ZZ PC8", false},
        {"M300", false},
        {std::string(80, 'P'), false},  // longer than the board's buffer
    };
    long reported = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SendAndStep(c.line + "\r");
        EXPECT_EQ(board_.MalformedCount(), ++reported);
        EXPECT_EQ(board_.ExposureOn(), c.exposureOnAfter);
        EXPECT_FALSE(board_.AmplifierOff());
        SendAndStep("PS8\r");
        EXPECT_FALSE(board_.ExposureOn());
        EXPECT_EQ(board_.MalformedCount(), reported);
    }
    EXPECT_EQ(board_.MalformedLines().front(), "XY5");
}

TEST_F(SimulatedSV203Test, KnowsWhenEachPinLastChanged) {
    clock().SetMicros(5'000'000);
    SendAndStep("PC8\r");
    EXPECT_EQ(board_.PinChangedAt(8), 5'000'000u);
    clock().SetMicros(7'000'000);
    SendAndStep("PC8\r");  // no change
    EXPECT_EQ(board_.PinChangedAt(8), 5'000'000u);
    SendAndStep("PS8\r");
    EXPECT_EQ(board_.PinChangedAt(8), 7'000'000u);
    EXPECT_EQ(board_.PinChangedAt(1), 0u);
}

}  // namespace
