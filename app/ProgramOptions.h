// What the command line asks of a run of scopecam.
#pragma once

#include <string>
#include <vector>

struct ProgramOptions {
    bool headless = false;
    int frames = -1;            // idle passes to run before quitting; -1 runs until quit
    std::string snapshotDir;    // where to write every visible window as PNG at the end
    std::string camera;         // "" the default camera, "test" the test pattern
    std::vector<std::string> serialPaths;
    bool mountSim = false;      // start the simulated mount and SV203 board
    bool showHelp = false;
    bool showVersion = false;
};

// Parses argv; false with a message in error for an argument it does not know.
bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options, std::string& error);
std::string ProgramUsage();
