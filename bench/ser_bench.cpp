// The movie writer at the camera's 640 x 480 and at 1920 x 1080, in colour and as raw
// samples, writing to a temporary folder: frames a second including the packing of
// each frame and its write. Each run records one movie of a few hundred frames and
// removes it. The budget is 1920 x 1080 colour at 60 frames a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/capture/SerWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFramesPerMovie = 120;

void WriteMovie(benchmark::State& state, int width, int height, SampleLayout samples) {
    std::string pattern = (fs::temp_directory_path() / "scopecam-ser-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path dir = pattern;
    const int rowBytes = 4 * width + 64;
    std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * height);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 13 + (i >> 11));
    FrameTarget frame{pixels.data(), rowBytes, width, height};

    SerWriter writer;
    int movie = 0, frames = 0;
    uint64_t time = SerTimeNow();
    for (auto _ : state) {
        if (!writer.IsOpen()) {
            fs::path path = dir / ("movie-" + std::to_string(movie++) + ".ser");
            if (!writer.Create(path, width, height, samples, {}, time).Ok()) {
                state.SkipWithError("could not create the movie");
                break;
            }
        }
        pixels[frames % pixels.size()] ^= 1;  // a different frame each time
        if (!writer.WriteFrame(frame, time += 166667).Ok()) {
            state.SkipWithError("could not write a frame");
            break;
        }
        if (++frames % kFramesPerMovie == 0) {
            // Closing is part of the cost; removing the file keeps the disk from filling.
            std::string path = writer.Path();
            writer.Finish();
            fs::remove(path);
        }
    }
    if (writer.IsOpen()) writer.Finish();
    fs::remove_all(dir);
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(width) * height *
                            (samples == SampleLayout::kColour ? 3 : 1));
}

BENCHMARK_CAPTURE(WriteMovie, colour640x480, 640, 480, SampleLayout::kColour)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteMovie, bayer640x480, 640, 480, SampleLayout::kBayerRGGB)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteMovie, colour1280x960, 1280, 960, SampleLayout::kColour)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteMovie, colour1920x1080, 1920, 1080, SampleLayout::kColour)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteMovie, bayer1920x1080, 1920, 1080, SampleLayout::kBayerRGGB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
