// What the command line asks of a run of scopecam.
#pragma once

#include <string>
#include <vector>

#include "sim/SimulatedSky.h"

class SimulatedObservatory;

// The --mount value that names the simulated mount's port.
inline constexpr const char* kSimulatedMountPath = "sim";

struct ProgramOptions {
    bool headless = false;
    int frames = -1;            // idle passes to run before quitting; -1 runs until quit
    std::string snapshotDir;    // where to write every visible window as PNG at the end
    std::string camera;         // "" the first webcam, a device path, "sim" the simulated sky, "test" the test pattern
    int frameWidth = 0;         // --frame-size: asked of the camera; 0 its own size
    int frameHeight = 0;
    SkySettings sky;            // the simulated sky's seed, focus and layout (its size is the frame size)
    std::vector<std::string> serialPaths;
    bool mountSim = false;      // start the simulated mount and SV203 board
    // A port given the mount function at start, as if chosen in the port dialog; with
    // --mount-sim, "sim" names the simulated mount's port.
    std::string mountPath;
    // Play the scripted observing session of the headless demo (implies --headless,
    // the simulated sky and the simulated mount as the mount).
    bool demo = false;
    bool showHelp = false;
    bool showVersion = false;
    // Not from the command line: the simulated mount and board main made for
    // --mount-sim (not owned), which the simulated sky follows.
    SimulatedObservatory* observatory = nullptr;
};

// Parses argv; false with a message in error for an argument it does not know.
bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options, std::string& error);
std::string ProgramUsage();
