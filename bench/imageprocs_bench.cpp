// The image procedures at 640 x 480 and 1920 x 1080, with memcpy of the same frame
// for scale: the level remap with the colour channels only and with the value
// channel, the histograms of the whole frame, the centroid of a 100 x 100 rectangle,
// DebinFast, and the conversion of a 256 x 256 square to floats.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "display/Histogram.h"
#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "processing/ImageProcs.h"

namespace {

class Toolbox {
public:
    Toolbox() { InitToolbox(std::make_unique<HeadlessHost>(), std::make_unique<VirtualClock>()); }
    ~Toolbox() { ShutdownToolbox(); }
};

uint8_t* Pixels(GWorldWrapper& frame) { return reinterpret_cast<uint8_t*>(GetPixBaseAddr(frame.GetSrcPixMap())); }

enum class Content { kRandom, kUniform, kSky };

// A colour frame: random bytes (every pixel a new colour: the worst case of the value
// step), one colour everywhere (the worst case for counting histograms, every pixel in
// the same bins), or a sky: a dark background with noise and scattered stars.
std::unique_ptr<GWorldWrapper> MakeColourFrame(int width, int height, Content content) {
    auto frame = std::make_unique<GWorldWrapper>(32, MakeRect(0, 0, width, height), -1);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 3.0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = Pixels(*frame) + static_cast<ptrdiff_t>(y) * frame->GetSrcRowBytes();
        for (int x = 0; x < width; ++x) {
            uint8_t* p = row + 4 * x;
            for (int c = 1; c < 4; ++c) {
                switch (content) {
                    case Content::kRandom:
                        p[c] = uint8_t(random());
                        break;
                    case Content::kUniform:
                        p[c] = uint8_t(60 + c);
                        break;
                    case Content::kSky: {
                        const bool star = (x * 7919 + y * 104729) % 997 == 0;
                        p[c] = uint8_t(std::clamp(star ? 250.0 : 14.0 + 2 * c + noise(random), 0.0, 255.0));
                        break;
                    }
                }
            }
        }
    }
    return frame;
}

size_t FrameBytes(GWorldWrapper& frame) { return size_t(frame.GetSrcRowBytes()) * frame.GetDim().bottom; }

void SetPixelCounters(benchmark::State& state, int width, int height) {
    state.counters["Mpixel/s"] = benchmark::Counter(
        double(width) * height, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

void BM_MemcpyFrame(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto src = MakeColourFrame(width, height, Content::kRandom);
    auto dst = MakeColourFrame(width, height, Content::kRandom);
    for (auto _ : state) {
        std::memcpy(Pixels(*dst), Pixels(*src), FrameBytes(*src));
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

// The remap works in place: every iteration starts again from the same frame (the
// restoring copy is not timed).
// value: 0 colour channels only, 1 with the value channel on random colours, 2 with
// the value channel on a sky frame whose background the dark cutoffs turn black.
void BM_Remap(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const bool withValue = state.range(2) != 0;
    const Content content = state.range(2) == 2 ? Content::kSky : Content::kRandom;
    Toolbox toolbox;
    auto original = MakeColourFrame(width, height, content);
    auto frame = MakeColourFrame(width, height, content);
    std::array<int, 4> dark{0, 25, 25, 25};
    std::array<int, 4> light{withValue ? 230 : 255, 240, 250, 200};
    std::array<double, 4> gamma{withValue ? 0.8 : 1.0, 1.2, 1.0, 0.7};
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(Pixels(*frame), Pixels(*original), FrameBytes(*frame));
        state.ResumeTiming();
        RemapImageComponentsFromLevelCutoffs(*frame, 256, dark.data(), light.data(), gamma.data());
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

void BM_GenerateHistograms(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto frame = MakeColourFrame(width, height, state.range(2) != 0 ? Content::kUniform : Content::kRandom);
    Histogram value(256, 0, 50), red(256, 1, 50), green(256, 2, 50), blue(256, 3, 50);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GenerateHistograms(*frame, frame->GetDim(), value, red, green, blue));
    }
    SetPixelCounters(state, width, height);
}

void BM_CalculateValueCentroid(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto frame = MakeColourFrame(width, height, Content::kRandom);
    const Rect r = MakeRect(width / 2 - 50, height / 2 - 50, width / 2 + 50, height / 2 + 50);
    Point centroid;
    for (auto _ : state) {
        CalculateValueCentroid(*frame, r, centroid);
        benchmark::DoNotOptimize(centroid);
    }
}

void BM_DebinFast(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto frame = MakeColourFrame(width, height, Content::kRandom);
    for (auto _ : state) {
        DebinFast(*frame);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

void BM_ConvertPixelValues256(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto frame = MakeColourFrame(width, height, Content::kRandom);
    std::vector<float> values(256 * 256);
    const Rect r = MakeRect(100, 100, 100 + 255, 100 + 255);
    for (auto _ : state) {
        ConvertPixelValuesFromImage(*frame, 0, values.data(), r);
        benchmark::ClobberMemory();
    }
}

void FrameSizes(benchmark::internal::Benchmark* b) {
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) b->Args({size.first, size.second});
    b->ArgNames({"w", "h"});
}

void FrameSizesAnd(benchmark::internal::Benchmark* b, const char* name, int cases) {
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) {
        for (int flag = 0; flag < cases; ++flag) b->Args({size.first, size.second, flag});
    }
    b->ArgNames({"w", "h", name});
}

BENCHMARK(BM_MemcpyFrame)->Apply(FrameSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Remap)->Apply([](auto* b) { FrameSizesAnd(b, "value", 3); }) -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenerateHistograms)
    ->Apply([](auto* b) { FrameSizesAnd(b, "uniform", 2); }) -> Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalculateValueCentroid)->Apply(FrameSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DebinFast)->Apply(FrameSizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConvertPixelValues256)->Apply(FrameSizes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
