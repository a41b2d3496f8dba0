#include <gtest/gtest.h>

#include <cmath>

#include "sim/SimulatedObservatory.h"
#include "tests/support/PseudoTerminalPeer.h"
#include "tests/support/ToolboxFixture.h"

namespace {

using SimulatedObservatoryTest = ToolboxTest;

TEST_F(SimulatedObservatoryTest, OffersBothPortsLabelledSoTheObserverCanTellThemApart) {
    SimulatedObservatory observatory;
    ASSERT_TRUE(observatory.Problems().empty());
    auto ports = observatory.Ports();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].path, observatory.Mount().PortPath());
    EXPECT_EQ(ports[0].label, "simulated mount");
    EXPECT_EQ(ports[1].path, observatory.Board().PortPath());
    EXPECT_EQ(ports[1].label, "simulated SV203");
    EXPECT_NE(ports[0].path, ports[1].path);

    SerialPortDiscovery discovery;
    discovery.SetScanMachine(false);
    discovery.AddGivenPort("/dev/ttyUSB7");
    observatory.RegisterPorts(discovery);
    auto listed = discovery.ListPorts(8);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[1], ports[0]);
    EXPECT_EQ(listed[2], ports[1]);
}

TEST_F(SimulatedObservatoryTest, StepsEveryDevice) {
    clock().SetStepPerRead(0);
    SimulatedObservatory observatory;
    ProgramEnd mountPort(observatory.Mount().PortPath());
    ProgramEnd boardPort(observatory.Board().PortPath());
    ASSERT_TRUE(mountPort.Send("#:RG##:Ms#"));
    ASSERT_TRUE(boardPort.Send("PC8\r"));
    observatory.Mount().Terminal().WaitReadable(1000);
    observatory.Board().Terminal().WaitReadable(1000);
    observatory.Step();
    EXPECT_TRUE(observatory.Mount().MovingSouth());
    EXPECT_TRUE(observatory.Board().ExposureOn());
}

TEST_F(SimulatedObservatoryTest, TheDefaultMountDriftsSoThatGuidingHasWork) {
    clock().SetStepPerRead(0);
    SimulatedObservatory observatory;
    clock().AdvanceMicros(60'000'000);
    observatory.Step();
    MountPosition p = observatory.Mount().Position();
    EXPECT_GT(std::abs(p.east) + std::abs(p.north), 1.0);
    EXPECT_DOUBLE_EQ(observatory.Mount().MovedBy().east, 0.0);
}

}  // namespace
