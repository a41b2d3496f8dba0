// 8-bit binary PPM images (P6, maximum 255), as ImageMagick and netpbm write them:
// how the tests read what the third-party readers made of our files, and what the X
// display shows (read back with ImageMagick's import).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MacTypes.h"
#include "tests/support/FrameAccess.h"

struct PpmImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // three bytes a pixel, row after row
    std::string error;         // why nothing could be read; empty when the image was

    Rgb At(int x, int y) const {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    bool SameAt(const PpmImage& other, int x, int y) const { return At(x, y) == other.At(x, y); }

    friend bool operator==(const PpmImage&, const PpmImage&) = default;
};

// The image in the file at path; error says why when it is not such a file.
PpmImage ReadPpm(const std::string& path);

// What the X display ($DISPLAY) shows of area (global coordinates), read with
// ImageMagick's import; error says why when it could not be read.
PpmImage CaptureScreen(const Rect& area);
