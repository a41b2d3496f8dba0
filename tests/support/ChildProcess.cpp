#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for pid until the deadline; kills it when the deadline passes.
int WaitOrKill(pid_t pid, Clock::time_point deadline, bool* timedOut) {
    int raw = 0;
    for (;;) {
        pid_t r = waitpid(pid, &raw, WNOHANG);
        if (r == pid) break;
        if (r < 0) return -1;
        if (Clock::now() >= deadline) {
            *timedOut = true;
            kill(pid, SIGKILL);
            waitpid(pid, &raw, 0);
            return -1;
        }
        usleep(2000);
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
    ChildResult result;
    if (argv.empty()) return result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        result.output = "cannot start " + argv[0];
        return result;
    }
    const auto deadline = Clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        int ready = poll(&p, 1, MillisLeft(deadline));
        if (ready <= 0) break;  // time is up (the wait below kills it)
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;  // end of output
        result.output.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    result.status = WaitOrKill(pid, deadline, &result.timedOut);
    return result;
}

bool ProgramOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        if (access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    }
    return false;
}
