// The start-up choices of a run: the mount's port given on the command line, and the
// headless demo.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/PortAssignment.h"
#include "app/ProgramOptions.h"
#include "tests/support/ObservingFixture.h"
#include "tests/support/TempFolder.h"

namespace {

bool Parse(std::vector<const char*> args, ProgramOptions& options, std::string& error) {
    args.insert(args.begin(), "scopecam");
    return ParseProgramOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(StartOptions, MountTakesAPath) {
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--mount", "/dev/ttyUSB0"}, options, error)) << error;
    EXPECT_EQ(options.mountPath, "/dev/ttyUSB0");
    EXPECT_FALSE(Parse({"--mount"}, options, error));
    EXPECT_NE(error.find("--mount needs a value"), std::string::npos);
}

TEST(StartOptions, TheSimulatedMountNeedsTheSimulatedObservatory) {
    ProgramOptions options;
    std::string error;
    EXPECT_FALSE(Parse({"--mount", "sim"}, options, error));
    EXPECT_NE(error.find("--mount-sim"), std::string::npos) << error;
    ProgramOptions with;
    EXPECT_TRUE(Parse({"--mount-sim", "--mount", "sim"}, with, error)) << error;
}

TEST(StartOptions, TheDemoRunsHeadlessOnTheSimulatedObservatory) {
    ProgramOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--demo"}, options, error)) << error;
    EXPECT_TRUE(options.demo);
    EXPECT_TRUE(options.headless);
    EXPECT_TRUE(options.mountSim);
    EXPECT_EQ(options.camera, "sim");
    EXPECT_EQ(options.mountPath, kSimulatedMountPath);
    EXPECT_LT(options.sky.blackLevel, 0.0f) << "a black sky, as set for guiding";
    // What follows it still counts.
    ProgramOptions later;
    ASSERT_TRUE(Parse({"--demo", "--sky-seed", "9"}, later, error)) << error;
    EXPECT_EQ(later.sky.seed, 9u);
    EXPECT_NE(ProgramUsage().find("--mount PATH"), std::string::npos);
    EXPECT_NE(ProgramUsage().find("--demo"), std::string::npos);
}

// Giving the mount its port at start is the port dialog's OK without the dialog: the
// port opens with the mount function, the other listed ports stay unused.
class MountAssignment : public ObservingTest {};

TEST_F(MountAssignment, OpensTheNamedPortForTheMount) {
    PseudoTerminal& other = AddTerminalPort();
    PseudoTerminal& mount = AddTerminalPort();
    Start(TestPatternOptions());
    SerialInterface& serial = *app().GetSerialInterface();
    ASSERT_TRUE(AssignMountPort(serial, mount.PortPath()));
    EXPECT_EQ(serial.GetPortFunctions(),
              (std::vector<SerialInterface::SerialPortFtn>{SerialInterface::kNoFtn, SerialInterface::kAutoGuideFtn}));
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    EXPECT_GE(serial.GetPortDescriptor(1), 0);
    EXPECT_FALSE(serial.NoAutoGuideSerialPort());
    serial.SendIndefiniteGuide(SerialInterface::kEast);
    EXPECT_EQ(mount.ReadAvailable(), "#:RG##:Me#");
    EXPECT_EQ(other.ReadAvailable(), "");
}

TEST_F(MountAssignment, ASecondNameOfTheSameDeviceCounts) {
    PseudoTerminal& mount = AddTerminalPort();
    TempFolder folder("scopecam-mount");
    const std::string link = folder / "mount";
    std::filesystem::create_symlink(mount.PortPath(), link);
    Start(TestPatternOptions());
    EXPECT_TRUE(AssignMountPort(*app().GetSerialInterface(), link));
    EXPECT_FALSE(app().GetSerialInterface()->NoAutoGuideSerialPort());
}

TEST_F(MountAssignment, APortThatIsNotListedOrWillNotOpenIsRefused) {
    PseudoTerminal& listed = AddTerminalPort();
    SerialPorts().AddGivenPort("/dev/scopecam-no-such-port");
    Start(TestPatternOptions());
    SerialInterface& serial = *app().GetSerialInterface();
    EXPECT_FALSE(AssignMountPort(serial, "/dev/scopecam-not-listed"));
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
    EXPECT_FALSE(AssignMountPort(serial, "/dev/scopecam-no-such-port"));
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    // A mount port opened before is open again after a path that is not listed.
    ASSERT_TRUE(AssignMountPort(serial, listed.PortPath()));
    EXPECT_FALSE(AssignMountPort(serial, "/dev/scopecam-not-listed"));
    EXPECT_FALSE(serial.NoAutoGuideSerialPort());
    EXPECT_GE(serial.GetPortDescriptor(0), 0);
    serial.SendIndefiniteGuide(SerialInterface::kNorth);
    EXPECT_EQ(listed.ReadAvailable(), "#:RG##:Mn#");
}

}  // namespace
