#include "app/ProgramOptions.h"

#include <algorithm>
#include <cctype>
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

bool ParseNumber(std::string_view text, double low, double high, double& out) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !(value >= low && value <= high)) return false;
    out = value;
    return true;
}

bool ParseSeed(std::string_view text, uint32_t& out) {
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    out = value;
    return true;
}

// "WxH", each side 16 to 4096 pixels.
bool ParseFrameSize(std::string_view text, int& width, int& height) {
    size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    int w = 0, h = 0;
    if (!ParseCount(text.substr(0, x), w) || !ParseCount(text.substr(x + 1), h)) return false;
    if (w < 16 || h < 16 || w > SimulatedSky::kLargestWidth || h > SimulatedSky::kLargestWidth) return false;
    width = w;
    height = h;
    return true;
}

// A Bayer layout by its top-left 2 x 2 cell.
bool ParseBayer(std::string_view text, SampleLayout& out) {
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::pair<const char*, SampleLayout> layouts[] = {{"grbg", SampleLayout::kBayerGRBG},
                                                            {"rggb", SampleLayout::kBayerRGGB},
                                                            {"bggr", SampleLayout::kBayerBGGR},
                                                            {"gbrg", SampleLayout::kBayerGBRG}};
    for (const auto& [n, layout] : layouts) {
        if (name == n) {
            out = layout;
            return true;
        }
    }
    return false;
}

constexpr float kDemoBlackLevel = -3.0f;
constexpr uint32_t kDemoSkySeed = 4;

bool KnownCamera(std::string_view camera) { return camera == "sim" || camera == "test" || camera.starts_with("/"); }

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
            if (!KnownCamera(v)) {
                error = "--camera takes a device path (/dev/videoN), sim or test, not '" + std::string(v) + "'";
                return false;
            }
            options.camera = v;
        } else if (arg == "--frame-size") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseFrameSize(v, options.frameWidth, options.frameHeight)) {
                error = "--frame-size needs WIDTHxHEIGHT, 16 to 4096 each, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--sky-seed") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseSeed(v, options.sky.seed)) {
                error = "--sky-seed needs a whole number, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--focus-error") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseNumber(v, 0.0, 50.0, options.sky.focusError)) {
                error = "--focus-error needs pixels from 0 to 50, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--focus-sweep") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseNumber(v, 0.0, 3600.0, options.sky.focusSweepSeconds)) {
                error = "--focus-sweep needs seconds from 0 to 3600, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--bayer") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            if (!ParseBayer(v, options.sky.samples)) {
                error = "--bayer needs grbg, rggb, bggr or gbrg, not '" + std::string(v) + "'";
                return false;
            }
        } else if (arg == "--mount") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            options.mountPath = v;
        } else if (arg == "--demo") {
            options.demo = true;
            options.headless = true;
            options.mountSim = true;
            options.camera = "sim";
            options.mountPath = kSimulatedMountPath;
            // The camera set for guiding, its black level down until the sky is black,
            // on a field with a bright star standing alone.
            options.sky.blackLevel = kDemoBlackLevel;
            options.sky.seed = kDemoSkySeed;
        } else if (arg == "--serial") {
            const char* v = needValue(arg);
            if (v == nullptr) return false;
            options.serialPaths.emplace_back(v);
        } else {
            error = "unknown argument '" + std::string(arg) + "'";
            return false;
        }
    }
    if (options.mountPath == kSimulatedMountPath && !options.mountSim) {
        error = "--mount sim needs --mount-sim";
        return false;
    }
    return true;
}

std::string ProgramUsage() {
    return "usage: scopecam [options]\n"
           "\n"
           "  --headless        run without a screen (windows in memory)\n"
           "  --frames N        quit after N idle passes\n"
           "  --snapshot DIR    at the end, write every visible window to DIR as PNG\n"
           "  --camera CAMERA   /dev/videoN: that webcam (default: the first webcam found);\n"
           "                    sim: the simulated sky; test: a moving test pattern\n"
           "  --frame-size WxH  the frame size to ask of the camera (the sky: 640x480)\n"
           "  --sky-seed N      the simulated sky's star field (default 1)\n"
           "  --focus-error PX  the simulated sky's defocus blur in pixels (default 0)\n"
           "  --focus-sweep S   sweep the sky's focus through best focus every S seconds\n"
           "  --bayer LAYOUT    the sky as a raw colour mosaic: grbg, rggb, bggr or gbrg\n"
           "  --serial PATH     add a serial port to the port list (may repeat)\n"
           "  --mount-sim       start a simulated mount and SV203 board on pseudo terminals;\n"
           "                    the simulated sky follows the mount and the board's camera lines\n"
           "  --mount PATH      use the serial port PATH for the mount from the start, as if\n"
           "                    chosen in the port dialog (sim: the simulated mount)\n"
           "  --demo            play a short scripted observing session without a screen on\n"
           "                    the simulated sky and mount (with --snapshot: its pictures)\n"
           "  --version         print the version and exit\n"
           "  --help            print this text and exit\n"
           "\n"
           "Keys: Ctrl is the command key (Ctrl+Q quits), Alt is option, Super is control\n"
           "(the right mouse button also counts as a control-click).\n";
}
