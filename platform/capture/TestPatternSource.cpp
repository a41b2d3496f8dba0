#include "platform/capture/TestPatternSource.h"

#include <cmath>

#include "platform/Events.h"

namespace {

constexpr uint8_t kBars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                 {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};

void DrawPatternRow(uint8_t* row, int width, int y, int height, int spotH, int spotV) {
    bool inBars = y < height / 2;
    for (int x = 0; x < width; ++x, row += 4) {
        uint8_t r, g, b;
        if (inBars) {
            const uint8_t* bar = kBars[x * 8 / width];
            r = bar[0];
            g = bar[1];
            b = bar[2];
        } else {
            r = g = b = static_cast<uint8_t>(x * 255 / std::max(width - 1, 1));
        }
        int dh = x - spotH, dv = y - spotV;
        if (dh * dh + dv * dv <= 64) r = g = b = 255;
        row[0] = 0;
        row[1] = r;
        row[2] = g;
        row[3] = b;
    }
}

}  // namespace

bool TestPatternSource::Open(std::string&) { return true; }

void TestPatternSource::DrawPattern(const FrameTarget& t, uint32_t n) {
    // The spot goes round the frame's centre once every 4 seconds at 30 frames a second.
    double angle = (n % 120) * (2.0 * M_PI / 120.0);
    int spotH = t.width / 2 + static_cast<int>(std::lround(t.width / 4.0 * std::cos(angle)));
    int spotV = t.height / 2 + static_cast<int>(std::lround(t.height / 4.0 * std::sin(angle)));
    for (int y = 0; y < t.height; ++y)
        DrawPatternRow(t.base + static_cast<size_t>(y) * t.rowBytes, t.width, y, t.height, spotH, spotV);
}

CaptureResult TestPatternSource::Deliver(const FrameTarget& target) {
    uint32_t frame = TickCount() / 2;
    if (frame == lastFrame_) return CaptureResult::kNoFrame;
    lastFrame_ = frame;
    DrawPattern(target, frame);
    return CaptureResult::kFreshFrame;
}
