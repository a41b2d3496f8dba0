#include "tests/support/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kReadyTimeoutMillis = 10000;
constexpr int kStopTimeoutMillis = 3000;

// Waits for pid to end for at most millis; true when it has.
bool Reap(pid_t pid, int millis) {
    for (int waited = 0; waited <= millis; waited += 5) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        usleep(5000);
    }
    return false;
}

}  // namespace

bool XvfbDisplay::Start(int width, int height, std::string& error) {
    Stop();
    error = "no free display number from :" + std::to_string(kFirstNumber) + " to :" +
            std::to_string(kLastNumber);
    // Xvfb itself knows a display in use from a stale lock left by a killed server.
    for (int n = kFirstNumber; n <= kLastNumber; ++n)
        if (TryNumber(n, width, height, error)) return true;
    return false;
}

// Xvfb writes the display number to the -displayfd pipe once it takes clients; when it
// cannot have the number (another server got there first) it ends and the pipe closes.
bool XvfbDisplay::TryNumber(int number, int width, int height, std::string& error) {
    int fds[2];
    if (pipe(fds) != 0) {
        error = "cannot make a pipe";
        return false;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> argv = {
        "Xvfb", ":" + std::to_string(number), "-screen", "0",
        std::to_string(width) + "x" + std::to_string(height) + "x24",
        "-nolisten", "tcp", "-noreset", "-displayfd", std::to_string(fds[1])};
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    pid_t pid = -1;
    int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        error = "cannot start Xvfb";
        return false;
    }
    std::string said;
    char buffer[32];
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMillis);
    while (said.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) break;
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        said.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (said.find('\n') == std::string::npos) {
        kill(pid, SIGKILL);
        Reap(pid, kStopTimeoutMillis);
        error = "Xvfb did not come up on :" + std::to_string(number);
        return false;
    }
    pid_ = pid;
    number_ = number;
    return true;
}

void XvfbDisplay::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!Reap(pid_, kStopTimeoutMillis)) {
        kill(pid_, SIGKILL);
        Reap(pid_, kStopTimeoutMillis);
    }
    pid_ = -1;
    number_ = -1;
}
