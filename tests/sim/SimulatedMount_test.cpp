#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "sim/SimulatedMount.h"
#include "tests/support/PseudoTerminalPeer.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// A mount without drift or periodic error, so that only moves change its pointing.
MountSettings StillMount() {
    MountSettings s;
    s.guideRate = 6.0;
    s.centeringRate = 48.0;
    return s;
}

class SimulatedMountTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        clock().SetStepPerRead(0);
        clock().SetTicks(1000);
    }

    // Writes text from the program's end and lets the mount take it.
    void SendAndStep(SimulatedMount& mount, ProgramEnd& port, const std::string& text) {
        ASSERT_TRUE(port.Send(text));
        mount.Terminal().WaitReadable(1000);
        mount.Step();
    }
};

TEST_F(SimulatedMountTest, MakesAPseudoTerminalTheProgramCanOpen) {
    SimulatedMount mount(StillMount());
    ASSERT_TRUE(mount.IsOpen()) << mount.OpenError();
    EXPECT_EQ(mount.PortPath().rfind("/dev/pts/", 0), 0u) << mount.PortPath();
    ProgramEnd port(mount.PortPath());
    EXPECT_TRUE(port.IsOpen());
}

TEST_F(SimulatedMountTest, NorthMoveForSixtyTicksAtTheGuideRateShiftsByOneSecondOfGuideRate) {
    SimulatedMount mount(StillMount());
    ProgramEnd port(mount.PortPath());
    SendAndStep(mount, port, "#:RC#");  // another rate first: the guide rate must be selected
    SendAndStep(mount, port, "#:RG#");
    SendAndStep(mount, port, "#:Mn#");
    EXPECT_TRUE(mount.MovingNorth());
    clock().AdvanceTicks(60);
    SendAndStep(mount, port, "#:Qn#");
    EXPECT_FALSE(mount.MovingNorth());
    EXPECT_NEAR(mount.MovedBy().north, 6.0, 1e-4);
    EXPECT_DOUBLE_EQ(mount.MovedBy().east, 0.0);
    // Stopped: time passing moves it no further.
    clock().AdvanceTicks(120);
    mount.Step();
    EXPECT_NEAR(mount.Position().north, 6.0, 1e-4);
}

TEST_F(SimulatedMountTest, EachDirectionMovesItsOwnAxisItsOwnWay) {
    struct Case {
        const char* move;
        const char* stop;
        double east;
        double north;
    };
    const Case cases[] = {
        {"#:Mn#", "#:Qn#", 0, 3},
        {"#:Ms#", "#:Qs#", 0, -3},
        {"#:Me#", "#:Qe#", 3, 0},
        {"#:Mw#", "#:Qw#", -3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.move);
        SimulatedMount mount(StillMount());
        ProgramEnd port(mount.PortPath());
        SendAndStep(mount, port, std::string("#:RG#") + c.move);
        clock().AdvanceTicks(30);
        SendAndStep(mount, port, c.stop);
        EXPECT_NEAR(mount.MovedBy().east, c.east, 1e-4);
        EXPECT_NEAR(mount.MovedBy().north, c.north, 1e-4);
    }
}

TEST_F(SimulatedMountTest, AStopEndsOnlyItsOwnDirectionAndTheBareStopEndsAll) {
    SimulatedMount mount(StillMount());
    ProgramEnd port(mount.PortPath());
    SendAndStep(mount, port, "#:RG##:Mn##:Me#");
    SendAndStep(mount, port, "#:Qs##:Qn#");
    EXPECT_FALSE(mount.MovingNorth());
    EXPECT_TRUE(mount.MovingEast());
    SendAndStep(mount, port, "#:Mw#");
    SendAndStep(mount, port, "#:Q#");
    EXPECT_FALSE(mount.MovingEast());
    EXPECT_FALSE(mount.MovingWest());
    EXPECT_EQ(mount.MalformedCount(), 0);
}

TEST_F(SimulatedMountTest, TheSelectedRateIsTheRateOfTheMove) {
    SimulatedMount mount(StillMount());
    ProgramEnd port(mount.PortPath());
    SendAndStep(mount, port, "#:RC##:Me#");
    clock().AdvanceTicks(30);
    SendAndStep(mount, port, "#:Qe#");
    EXPECT_NEAR(mount.MovedBy().east, 24.0, 1e-3);
    EXPECT_DOUBLE_EQ(mount.CurrentRate(), 48.0);
}

TEST_F(SimulatedMountTest, CommandsSplitAcrossReadsAreTakenByteForByte) {
    SimulatedMount mount(StillMount());
    ProgramEnd port(mount.PortPath());
    SendAndStep(mount, port, "#:R");
    SendAndStep(mount, port, "G##:M");
    EXPECT_FALSE(mount.MovingNorth());
    SendAndStep(mount, port, "n#");
    EXPECT_TRUE(mount.MovingNorth());
    EXPECT_EQ(mount.MalformedCount(), 0);
    ASSERT_EQ(mount.Commands().size(), 2u);
    EXPECT_EQ(mount.Commands()[0], "RG");
    EXPECT_EQ(mount.Commands()[1], "Mn");
}

TEST_F(SimulatedMountTest, GarbageIsReportedAndSkippedWithoutLosingTheNextGoodCommand) {
    struct Case {
        std::string bytes;
        std::vector<std::string> reported;
    };
    const std::vector<Case> cases = {
        {std::string("\x01zz") + "#:Mn#", {std::string("\x01zz")}},
        {"xyz:Mn#", {"xyz"}},
        {":Mx:Mn#", {":Mx"}},
        {":Mk##:Mn#", {":Mk#"}},
        {"#:#:Mn#", {":#"}},
        // Too long for a command: the first 17 bytes, then the rest as stray bytes.
        {":M" + std::string(20, 'n') + ":Mn#", {":M" + std::string(15, 'n'), std::string(5, 'n')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        SimulatedMount mount(StillMount());
        ProgramEnd port(mount.PortPath());
        SendAndStep(mount, port, c.bytes);
        EXPECT_TRUE(mount.MovingNorth());
        EXPECT_EQ(mount.MalformedCount(), static_cast<long>(c.reported.size()));
        EXPECT_EQ(std::vector<std::string>(mount.MalformedInput().begin(), mount.MalformedInput().end()),
                  c.reported);
    }
}

TEST_F(SimulatedMountTest, DriftsSteadilyAndWandersEastWestWithThePeriodicError) {
    MountSettings s = StillMount();
    s.driftEast = 0.5;
    s.driftNorth = -0.25;
    s.periodicErrorAmplitude = 2.0;
    s.periodicErrorPeriod = 8.0;
    SimulatedMount mount(s);
    clock().AdvanceMicros(2'000'000);  // a quarter of the period: the error at its peak
    mount.Step();
    EXPECT_NEAR(mount.Position().east, 0.5 * 2 + 2.0, 1e-6);
    EXPECT_NEAR(mount.Position().north, -0.25 * 2, 1e-6);
    clock().AdvanceMicros(2'000'000);  // half the period: the error back to nothing
    mount.Step();
    EXPECT_NEAR(mount.Position().east, 0.5 * 4, 1e-6);
    EXPECT_DOUBLE_EQ(mount.MovedBy().east, 0.0);
}

TEST_F(SimulatedMountTest, TheProgramClosingAndReopeningItsEndLosesNothing) {
    SimulatedMount mount(StillMount());
    {
        ProgramEnd port(mount.PortPath());
        ASSERT_TRUE(port.Send("#:RG##:Mn#"));
    }
    mount.Step();  // the end is closed: the bytes sent before are still read
    EXPECT_TRUE(mount.MovingNorth());
    mount.Step();  // nothing more, and no trouble reading a closed line
    ProgramEnd again(mount.PortPath());
    SendAndStep(mount, again, "#:Qn#");
    EXPECT_FALSE(mount.MovingNorth());
}

}  // namespace
