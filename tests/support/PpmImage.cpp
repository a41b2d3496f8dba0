#include "tests/support/PpmImage.h"

#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdio>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

PpmImage ReadPpm(const std::string& path) {
    PpmImage image;
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    size_t i = 0;
    // Header tokens, separated by blanks; a '#' starts a comment to the end of its line.
    auto token = [&]() {
        std::string t;
        while (i < bytes.size()) {
            if (bytes[i] == '#') {
                while (i < bytes.size() && bytes[i] != '\n') ++i;
            } else if (std::isspace(bytes[i])) {
                if (!t.empty()) break;
                ++i;
            } else {
                t += static_cast<char>(bytes[i++]);
            }
        }
        return t;
    };
    if (token() != "P6") {
        image.error = "not a binary PPM: " + path;
        return image;
    }
    const std::string width = token(), height = token(), maximum = token();
    if (width.empty() || height.empty() || maximum.empty() ||
        !std::isdigit(static_cast<unsigned char>(width[0])) || !std::isdigit(static_cast<unsigned char>(height[0])) ||
        !std::isdigit(static_cast<unsigned char>(maximum[0]))) {
        image.error = "a PPM header cut short: " + path;
        return image;
    }
    image.width = std::stoi(width);
    image.height = std::stoi(height);
    const int maxval = std::stoi(maximum);
    ++i;  // the one blank after the header
    const size_t samples = 3 * static_cast<size_t>(image.width) * image.height;
    if (maxval != 255 || i > bytes.size() || bytes.size() - i != samples) {
        image.error = "unexpected PPM: maxval " + std::to_string(maxval) + ", " +
                      std::to_string(i > bytes.size() ? 0 : bytes.size() - i) + " sample bytes for " +
                      std::to_string(samples);
        return image;
    }
    image.rgb.assign(bytes.begin() + static_cast<ptrdiff_t>(i), bytes.end());
    return image;
}

PpmImage CaptureScreen(const Rect& area) {
    // A file of its own for every shot: a test may look from a thread of its own.
    static std::atomic<int> shots{0};
    const std::string path =
        "/tmp/scopecam-screen-" + std::to_string(getpid()) + "-" + std::to_string(shots++) + ".ppm";
    const std::string geometry = std::to_string(RectWidth(area)) + "x" + std::to_string(RectHeight(area)) + "+" +
                                 std::to_string(area.left) + "+" + std::to_string(area.top);
    ChildResult r = RunChild({"import", "-window", "root", "-crop", geometry, "+repage", "-depth", "8", "ppm:" + path});
    PpmImage shot;
    if (r.status != 0) {
        shot.error = "import failed: " + r.output;
    } else {
        shot = ReadPpm(path);
    }
    std::remove(path.c_str());
    return shot;
}
