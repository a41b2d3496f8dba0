// Runs a helper program (xdotool, import, ...) with a bound on how long it may take.
#pragma once

#include <chrono>
#include <string>
#include <vector>

struct ChildResult {
    int status = -1;         // exit status; -1 when it did not exit normally
    bool timedOut = false;   // killed after the time allowed
    std::string output;      // standard output and error together
};

// Runs argv (argv[0] looked up on PATH) and waits at most timeout for it to end; a
// program still running then is killed.
ChildResult RunChild(const std::vector<std::string>& argv,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

// True when name is an executable file in a directory of PATH.
bool ProgramOnPath(const std::string& name);
