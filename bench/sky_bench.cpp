// The simulated sky's frame rendering: a 640 x 480 video frame in colour and as a raw
// Bayer mosaic, out of focus (wide star images), a long exposure (every star drawn, with
// amplifier glow), and a 1920 x 1080 video frame for scale. The budget is 2 ms for a
// 640 x 480 frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "sim/SimulatedSky.h"

namespace {

struct Case {
    int width = 640;
    int height = 480;
    SampleLayout samples = SampleLayout::kColour;
    double focusError = 0.0;
    FrameExposure exposure;
};

void RenderSky(benchmark::State& state, Case c) {
    SkySettings settings;
    settings.width = c.width;
    settings.height = c.height;
    settings.samples = c.samples;
    settings.focusError = c.focusError;
    SimulatedSky sky(settings);
    // Rows padded beyond the frame, as the program's buffers are.
    const int rowBytes = 4 * c.width + 64;
    std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * c.height);
    FrameTarget target{pixels.data(), rowBytes, c.width, c.height};
    uint64_t frame = 0;
    MountPosition pointing;
    for (auto _ : state) {
        // The mount drifts a little from frame to frame, as it does in a run.
        pointing.east += 0.01;
        sky.Render(target, frame++, pointing, c.exposure);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
}

Case Video(int width, int height, SampleLayout samples = SampleLayout::kColour, double focusError = 0.0) {
    Case c;
    c.width = width;
    c.height = height;
    c.samples = samples;
    c.focusError = focusError;
    return c;
}

Case LongExposure() {
    Case c;
    c.exposure.light = 30.0 * 10;  // ten seconds
    c.exposure.darkSeconds = 10.0;
    c.exposure.ampGlowSeconds = 0.25;
    return c;
}

BENCHMARK_CAPTURE(RenderSky, video640x480Colour, Video(640, 480))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderSky, video640x480Bayer, Video(640, 480, SampleLayout::kBayerRGGB))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderSky, video640x480Defocused, Video(640, 480, SampleLayout::kColour, 6.0))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderSky, longExposure640x480, LongExposure())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderSky, video1920x1080Colour, Video(1920, 1080))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
