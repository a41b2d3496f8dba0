// The scopecam program as a process: its flags, headless snapshots and signals.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
};

Outcome RunScopecam(const std::string& args) {
    std::string command = std::string(SCOPECAM_BINARY) + " " + args + " 2>&1";
    Outcome o;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return o;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) o.out.append(buffer, n);
    int raw = pclose(pipe);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return o;
}

fs::path TempDir(const std::string& name) {
    fs::path dir = fs::temp_directory_path() / ("scopecam-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(Process, HelpAndVersionAnswer) {
    Outcome help = RunScopecam("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--headless"), std::string::npos);
    Outcome version = RunScopecam("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("scopecam ", 0), 0u) << version.out;
    Outcome bad = RunScopecam("--no-such-flag");
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.out.find("unknown argument"), std::string::npos);
    EXPECT_EQ(RunScopecam("--frames many --headless").status, 2);
}

TEST(Process, HeadlessRunWritesSnapshotsThatImageReadersOpen) {
    fs::path dir = TempDir("snap");
    Outcome o = RunScopecam("--headless --camera test --frames 30 --snapshot " + dir.string());
    ASSERT_EQ(o.status, 0) << o.out;
    int pngs = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".png") continue;
        ++pngs;
        // An independent reader must understand the file and find a real image in it.
        std::string cmd = "identify -format '%w %h' '" + entry.path().string() + "' 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        int w = 0, h = 0;
        EXPECT_EQ(fscanf(p, "%d %d", &w, &h), 2) << entry.path();
        pclose(p);
        EXPECT_GT(w, 0);
        EXPECT_GT(h, 0);
    }
    EXPECT_GE(pngs, 1);
    fs::remove_all(dir);
}

// Runs scopecam with the arguments, sends it sig after a while, and expects it to end
// cleanly within a few seconds.
void ExpectSignalEndsCleanly(const std::vector<const char*>& args, int sig) {
    std::vector<char*> argv{const_cast<char*>(SCOPECAM_BINARY)};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execv(SCOPECAM_BINARY, argv.data());
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, WNOHANG), 0) << "scopecam ended before the signal";
    kill(pid, sig);
    // Bounded wait: the program must end within a few seconds.
    pid_t done = 0;
    for (int i = 0; i < 100 && done == 0; ++i) {
        done = waitpid(pid, &status, WNOHANG);
        if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "scopecam did not end after signal " << sig;
    }
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << sig;
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// With no camera the program waits in the no-camera dialog; a quit signal answers it.
TEST(Process, AQuitSignalAnswersTheNoCameraDialog) {
    ExpectSignalEndsCleanly({"--headless", "--camera", "/dev/scopecam-no-such-camera"}, SIGTERM);
}

TEST(Process, SigtermEndsARunningProgramCleanly) {
    for (int sig : {SIGTERM, SIGINT}) {
        ExpectSignalEndsCleanly({"--headless", "--camera", "test"}, sig);
    }
}

}  // namespace
