// Opening, closing and listing serial ports.
#include <sys/ioctl.h>

#include <filesystem>
#include <fstream>

#include "tests/control/ControlFixture.h"

namespace {

namespace fs = std::filesystem;

using SerialPortsTest = ControlTest;

TEST_F(SerialPortsTest, OpensExclusivelyInRaw9600EightBitModeWithDtrAndRtsAsserted) {
    PseudoTerminal& terminal = AddTerminalPort();
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {SerialInterface::kAutoGuideFtn});
    int fd = serial.GetPortDescriptor(0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kAutoGuideFtn);
    EXPECT_FALSE(serial.NoAutoGuideSerialPort());

    TerminalSettings now;
    ASSERT_TRUE(PosixSerialDevice().GetSettings(fd, now));
    EXPECT_TRUE(SettingsAreRaw(now));
    EXPECT_EQ(SettingsInputSpeed(now), 9600);
    EXPECT_EQ(SettingsOutputSpeed(now), 9600);
    EXPECT_EQ(SettingsDataBits(now), 8);
    int exclusive = 0;
    ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);

    ASSERT_FALSE(recorder().ModemWordsOf(fd).empty());
    EXPECT_EQ(recorder().ModemWordsOf(fd).front(),
              kModemLineDTR | kModemLineRTS | kModemLineCTS | kModemLineDSR);
    EXPECT_EQ(DrainTerminal(terminal), "");  // a mount port gets nothing until guiding
}

TEST_F(SerialPortsTest, ClosingRestoresTheSettingsAndGivesUpExclusiveUse) {
    PseudoTerminal& terminal = AddTerminalPort();
    // A second opening of the line, made before the program's, sees its settings:
    // a fresh pseudo terminal is cooked, with echo, at 38400 baud.
    PosixSerialDevice posix;
    int watcher = posix.Open(terminal.PortPath().c_str());
    ASSERT_GE(watcher, 0);
    TerminalSettings before;
    ASSERT_TRUE(posix.GetSettings(watcher, before));
    ASSERT_FALSE(SettingsAreRaw(before));
    {
        SerialInterface serial(dataWindow());
        ConfigurePorts(serial, {SerialInterface::kAutoGuideFtn});
        ASSERT_GE(serial.GetPortDescriptor(0), 0);
        TerminalSettings during;
        ASSERT_TRUE(posix.GetSettings(watcher, during));
        EXPECT_TRUE(SettingsAreRaw(during));
        EXPECT_FALSE(SettingsEqual(before, during));
    }
    TerminalSettings after;
    ASSERT_TRUE(posix.GetSettings(watcher, after));
    EXPECT_TRUE(SettingsEqual(before, after));
    // Exclusive use was given up, so the next dialog can open the line again.
    int exclusive = 1;
    ASSERT_EQ(ioctl(watcher, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    posix.Close(watcher);
}

TEST_F(SerialPortsTest, APortThatFailsAnyStepOfOpeningEndsNotInUseAndClosed) {
    using Step = RecordingSerialDevice::Step;
    for (Step step : {Step::kOpen, Step::kExclusive, Step::kGetSettings, Step::kSetSettings}) {
        SCOPED_TRACE(static_cast<int>(step));
        SerialPorts().ClearGivenPorts();
        PseudoTerminal& bad = AddTerminalPort();
        PseudoTerminal& good = AddTerminalPort();
        recorder().FailFor(bad.PortPath(), step);
        recorder().ClearRecords();
        SerialInterface serial(dataWindow());
        ConfigurePorts(serial, {SerialInterface::kSV203Ftn, SerialInterface::kSV203Ftn});
        EXPECT_EQ(serial.GetPortDescriptor(0), -1);
        EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kNoFtn);
        EXPECT_GE(serial.GetPortDescriptor(1), 0);
        EXPECT_EQ(serial.GetPortFunctions()[1], SerialInterface::kSV203Ftn);
        // Whatever was opened of the failed port was closed again.
        EXPECT_EQ(recorder().ClosedDescriptors().size(), step == Step::kOpen ? 0u : 1u);
        EXPECT_EQ(DrainTerminal(bad), "");
        EXPECT_EQ(DrainTerminal(good), "BD0 SV1 M0 PS1 SV8 M0 PS8\rPS8\rPS1\r");
    }
}

TEST_F(SerialPortsTest, AMissingPathEndsNotInUse) {
    SerialPorts().AddGivenPort("/dev/no-such-serial-port");
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {SerialInterface::kAutoGuideFtn});
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kNoFtn);
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
}

TEST_F(SerialPortsTest, WriteStringWritesTheTextWithoutItsTerminatingZeroInOneWrite) {
    PseudoTerminal& terminal = AddTerminalPort();
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {2});  // a divider value: opened, never addressed
    int fd = serial.GetPortDescriptor(0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(DrainTerminal(terminal), "");
    recorder().ClearRecords();
    serial.WriteString(fd, "#:RG#");
    ASSERT_EQ(recorder().Writes().size(), 1u);
    EXPECT_EQ(recorder().Writes()[0].bytes, "#:RG#");
    EXPECT_EQ(DrainTerminal(terminal), "#:RG#");
}

TEST_F(SerialPortsTest, TheFunctionListFollowsThePortCountAndKeepsFunctionsByPlace) {
    PseudoTerminal& first = AddTerminalPort();
    PseudoTerminal& second = AddTerminalPort();
    AddTerminalPort();
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {SerialInterface::kAutoGuideFtn, SerialInterface::kAmpDTRFtn, SerialInterface::kSV203Ftn});
    // One port fewer at the next dialog: the list is cut from the end.
    SerialPorts().ClearGivenPorts();
    SerialPorts().AddGivenPort(first.PortPath());
    SerialPorts().AddGivenPort(second.PortPath());
    EXPECT_EQ(serial.BeginPortConfiguration(), 2);
    ASSERT_EQ(serial.GetPortFunctions().size(), 2u);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kAutoGuideFtn);
    EXPECT_EQ(serial.GetPortFunctions()[1], SerialInterface::kAmpDTRFtn);
    serial.FinishPortConfiguration(nullptr);
    // More ports again: the new places start unused.
    AddTerminalPort();
    EXPECT_EQ(serial.BeginPortConfiguration(), 3);
    EXPECT_EQ(serial.GetPortFunctions()[2], SerialInterface::kNoFtn);
    serial.FinishPortConfiguration(nullptr);
}

TEST_F(SerialPortsTest, NoPortListedOpensNothingAndSendsNothing) {
    SerialInterface serial(dataWindow());
    EXPECT_EQ(serial.BeginPortConfiguration(), 0);
    std::vector<int32_t> none;
    serial.FinishPortConfiguration(&none);
    EXPECT_TRUE(serial.GetPortFunctions().empty());
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
    EXPECT_TRUE(recorder().Writes().empty());
    EXPECT_TRUE(recorder().ModemWrites().empty());
    EXPECT_FALSE(serial.GetExposureOn());
}

// --- Port discovery ------------------------------------------------------------------

class PortDiscoveryTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        std::string pattern = (fs::temp_directory_path() / "scopecam-tty-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "class");
        fs::create_directories(root_ / "dev");
        discovery_.SetSystemFolders((root_ / "class").string(), (root_ / "dev").string());
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
        ControlTest::TearDown();
    }

    // A tty the kernel lists; withDevice: it has hardware behind it; uartType: the
    // 16550 type it reports (-1: no type file); node: /dev holds it.
    void AddTty(const std::string& name, bool withDevice, int uartType = -1, bool node = true) {
        fs::path entry = root_ / "class" / name;
        fs::create_directories(entry);
        if (withDevice) fs::create_directories(entry / "device");
        if (uartType >= 0) std::ofstream(entry / "type") << uartType << "\n";
        if (node) std::ofstream(root_ / "dev" / name) << "";
    }

    std::vector<std::string> Paths(const std::vector<SerialPortEntry>& ports) const {
        std::vector<std::string> paths;
        for (const auto& p : ports) paths.push_back(p.path.substr(p.path.rfind('/') + 1));
        return paths;
    }

    fs::path root_;
    SerialPortDiscovery discovery_;
};

TEST_F(PortDiscoveryTest, ListsUsbAndReal16550PortsInAStableOrderAndLeavesOutPlaceholders) {
    AddTty("ttyS0", true, 4);    // a 16550A
    AddTty("ttyS1", true, 0);    // placeholder: no UART answers
    AddTty("ttyS2", false, 4);   // no device behind it
    AddTty("ttyS10", true, 4);
    AddTty("ttyUSB10", true);
    AddTty("ttyUSB2", true);
    AddTty("ttyACM0", true);
    AddTty("ttyUSB3", true, -1, false);  // gone from /dev
    AddTty("tty5", false);
    AddTty("ttyprintk", false);
    AddTty("console", false);
    EXPECT_EQ(Paths(discovery_.ListMachinePorts()),
              (std::vector<std::string>{"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS10"}));
    EXPECT_EQ(discovery_.ListMachinePorts()[0].path, (root_ / "dev" / "ttyUSB2").string());
}

TEST_F(PortDiscoveryTest, GivenPathsComeFirstThenTheEnvironmentsThenTheMachinesAtMostTheLimit) {
    AddTty("ttyUSB0", true);
    AddTty("ttyS0", true, 4);
    discovery_.AddGivenPort("/dev/pts/7", "simulated mount");
    discovery_.AddGivenPort("/tmp/given");
    setenv(SerialPortDiscovery::kEnvironmentVariable, "/tmp/env1::/tmp/given:/tmp/env2", 1);
    auto ports = discovery_.ListPorts(8);
    EXPECT_EQ(Paths(ports), (std::vector<std::string>{"7", "given", "env1", "env2", "ttyUSB0", "ttyS0"}));
    EXPECT_EQ(ports[0].label, "simulated mount");
    EXPECT_EQ(Paths(discovery_.ListPorts(3)), (std::vector<std::string>{"7", "given", "env1"}));
    discovery_.SetScanMachine(false);
    EXPECT_EQ(discovery_.ListPorts(8).size(), 4u);
}

TEST_F(PortDiscoveryTest, SplitsPathListsAtColonsAndDropsEmptyPieces) {
    EXPECT_EQ(SplitPathList(""), std::vector<std::string>{});
    EXPECT_EQ(SplitPathList(":::"), std::vector<std::string>{});
    EXPECT_EQ(SplitPathList("/a"), std::vector<std::string>{"/a"});
    EXPECT_EQ(SplitPathList(":/a::/b c:"), (std::vector<std::string>{"/a", "/b c"}));
}

TEST_F(SerialPortsTest, TheDialogListsAtMostEightPorts) {
    for (int i = 0; i < 10; ++i) SerialPorts().AddGivenPort("/tmp/port" + std::to_string(i));
    SerialInterface serial(dataWindow());
    EXPECT_EQ(serial.BeginPortConfiguration(), 8);
    EXPECT_EQ(serial.GetPortPathList().back(), "/tmp/port7");
    serial.FinishPortConfiguration(nullptr);
    EXPECT_TRUE(serial.GetPortPathList().empty());
}

}  // namespace
