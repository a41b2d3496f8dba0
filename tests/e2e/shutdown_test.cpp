// An observing session ended from outside: scopecam runs on a desktop (a virtual X
// display of the test's own) with the test's pseudo terminal as its mount (--mount);
// the observer holds the up arrow, and SIGTERM arrives, or the display goes away,
// during the move. The mount gets its stop before the program exits.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/PseudoTerminal.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/XvfbDisplay.h"

namespace {

using namespace std::chrono_literals;

// Reads what the program sends to the mount until text has arrived or time is up.
std::string ReadUntil(PseudoTerminal& mount, std::string& received, const std::string& text,
                      std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (received.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
        if (mount.WaitReadable(50)) received += mount.ReadAvailable();
    }
    return received;
}

// The exit status of pid, waiting at most limit; -1 when it did not exit normally.
int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(20ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

class ShutdownSession : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ProgramOnPath("Xvfb") || !ProgramOnPath("xdotool"))
            GTEST_SKIP() << "Xvfb and xdotool are not installed (scripts/setup installs them)";
        std::string error;
        ASSERT_TRUE(display_.Start(1920, 1080, error)) << error;
        ASSERT_TRUE(mount_.IsOpen()) << mount_.Error();
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // scopecam on the display, the simulated sky as its camera and the pseudo
    // terminal as its mount; preferences in a folder of the test's own.
    void StartScopecam() {
        const std::string display = "DISPLAY=" + display_.Name();
        const std::string config = "XDG_CONFIG_HOME=" + config_.path();
        // A sanitizer build: the leaks of the system's graphics libraries are not ours.
        const std::string leaks =
            std::string("LSAN_OPTIONS=suppressions=") + SCOPECAM_SOURCE_DIR + "/tests/gui/lsan.supp:print_suppressions=0";
        pid_ = fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            putenv(const_cast<char*>(display.c_str()));
            putenv(const_cast<char*>(config.c_str()));
            putenv(const_cast<char*>(leaks.c_str()));
            unsetenv("SCOPECAM_SERIAL_PORTS");
            const std::string path = mount_.PortPath();
            execl(SCOPECAM_BINARY, SCOPECAM_BINARY, "--camera", "sim", "--mount", path.c_str(), nullptr);
            _exit(127);
        }
    }

    // Runs xdotool on the display; its output, or a test failure.
    bool Xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), {"env", "DISPLAY=" + display_.Name(), "xdotool"});
        ChildResult r = RunChild(args, 20s);
        EXPECT_EQ(r.status, 0) << r.output;
        return r.status == 0;
    }

    XvfbDisplay display_;
    PseudoTerminal mount_;
    TempFolder config_{"scopecam-shutdown"};
    pid_t pid_ = -1;
};

TEST_F(ShutdownSession, SigtermDuringAManualMoveStopsTheMountAndExitsCleanly) {
    StartScopecam();
    // The observer's window takes the keys.
    ASSERT_TRUE(Xdotool({"search", "--sync", "--name", "Level Adjusted Frame", "windowfocus", "--sync"}));
    std::string received;
    // The port was opened at start and brought to rest: nothing for the mount yet.
    ReadUntil(mount_, received, "#", 300ms);
    EXPECT_EQ(received, "");

    ASSERT_TRUE(Xdotool({"keydown", "Up"}));
    ReadUntil(mount_, received, "#:Mn#", 10s);
    ASSERT_EQ(received, "#:RG##:Mn#") << "one start for the held key";
    std::this_thread::sleep_for(300ms);
    received += mount_.ReadAvailable();
    EXPECT_EQ(received, "#:RG##:Mn#") << "the key's repeats start nothing";

    ASSERT_EQ(kill(pid_, SIGTERM), 0);
    const int status = WaitForExit(pid_, 20s);
    pid_ = -1;
    EXPECT_EQ(status, 0);
    ReadUntil(mount_, received, "#:Qn#", 1s);
    EXPECT_EQ(received, "#:RG##:Mn##:Qn#");
    Xdotool({"keyup", "Up"});
}

// The display goes away during a manual move (the X server ends, or the forwarded
// connection from the observatory drops): the session ends in order, the mount gets
// its stop, and the program exits with status 1 instead of hanging on the dead
// connection.
TEST_F(ShutdownSession, TheDisplayGoingAwayDuringAManualMoveStopsTheMountAndEndsTheProgram) {
    StartScopecam();
    ASSERT_TRUE(Xdotool({"search", "--sync", "--name", "Level Adjusted Frame", "windowfocus", "--sync"}));
    ASSERT_TRUE(Xdotool({"keydown", "Up"}));
    std::string received;
    ReadUntil(mount_, received, "#:Mn#", 10s);
    ASSERT_EQ(received, "#:RG##:Mn#");

    display_.Stop();
    const int status = WaitForExit(pid_, 20s);
    pid_ = -1;
    EXPECT_EQ(status, 1) << "-1: it hung and was killed";
    ReadUntil(mount_, received, "#:Qn#", 1s);
    EXPECT_EQ(received, "#:RG##:Mn##:Qn#");
}

// A mount path that cannot be opened: the program says so and runs on; the port dialog
// can still assign a port.
TEST(MountOption, AnUnopenablePortIsReported) {
    const std::string command = std::string(SCOPECAM_BINARY) +
                                " --headless --camera test --frames 5 --mount /dev/scopecam-no-such-port 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << out;
    EXPECT_NE(out.find("could not open /dev/scopecam-no-such-port for the mount"), std::string::npos) << out;
}

}  // namespace
