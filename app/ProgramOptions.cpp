#include "app/ProgramOptions.h"

#include <charconv>
#include <string_view>

namespace {

bool ParseCount(std::string_view text, int& out) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return false;
    out = value;
    return true;
}

}  // namespace

bool ParseProgramOptions(int argc, const char* const* argv, ProgramOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto needValue = [&](std::string_view name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            options.showHelp = true;
        } else if (arg == "--version") {
            options.showVersion = true;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--mount-sim") {
            options.mountSim = true;
        } else if (arg == "--frames") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseCount(v, options.frames)) {
                error = "--frames needs a whole number, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--snapshot") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            options.snapshotDir = v;
        } else if (arg == "--camera") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            options.camera = v;
        } else if (arg == "--serial") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            options.serialPaths.emplace_back(v);
        } else {
            error = "unknown argument '" + std::string(arg) + "'";
            return false;
        }
    }
    return true;
}

std::string ProgramUsage() {
    return "usage: scopecam [options]\n"
           "\n"
           "  --headless        run without a screen (windows in memory)\n"
           "  --frames N        quit after N idle passes\n"
           "  --snapshot DIR    at the end, write every visible window to DIR as PNG\n"
           "  --camera test     use the moving test pattern as the camera\n"
           "  --serial PATH     add a serial port to the port list (may repeat)\n"
           "  --mount-sim       start a simulated mount and SV203 board on pseudo terminals\n"
           "  --version         print the version and exit\n"
           "  --help            print this text and exit\n"
           "\n"
           "Keys: Ctrl is the command key (Ctrl+Q quits), Alt is option, Super is control\n"
           "(the right mouse button also counts as a control-click).\n";
}
