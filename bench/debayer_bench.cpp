// De-Bayering at the camera's 640 x 480 and at 1920 x 1080: each method on the pixel
// memory (vector path, and the plain path it replaces), each method on a whole frame
// as the pipeline calls it (scratch cleared, passes, copy back), and memcpy of the
// same frame for scale.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "processing/DebayerSites.h"
#include "processing/Debayerize.h"

namespace {

class Toolbox {
public:
    Toolbox() { InitToolbox(std::make_unique<HeadlessHost>(), std::make_unique<VirtualClock>()); }
    ~Toolbox() { ShutdownToolbox(); }
};

uint8_t* Pixels(GWorldWrapper& frame) { return reinterpret_cast<uint8_t*>(GetPixBaseAddr(frame.GetSrcPixMap())); }

// A raw mosaic: a smooth picture with sensor noise, one sample a pixel in every byte.
std::unique_ptr<GWorldWrapper> MakeRawFrame(int width, int height) {
    auto frame = std::make_unique<GWorldWrapper>(32, MakeRect(0, 0, width, height), -1);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 6.0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = Pixels(*frame) + static_cast<ptrdiff_t>(y) * frame->GetSrcRowBytes();
        for (int x = 0; x < width; ++x) {
            const double v = 120 + 60 * std::sin(0.05 * x + 0.02 * y) + 40 * std::cos(0.3 * y) + noise(random);
            const uint8_t s = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
            row[4 * x + 1] = row[4 * x + 2] = row[4 * x + 3] = s;
        }
    }
    return frame;
}

void SetPixelCounters(benchmark::State& state, int width, int height) {
    state.counters["Mpixel/s"] = benchmark::Counter(
        double(width) * height, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

void BM_MemcpyFrame(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    Toolbox toolbox;
    auto src = MakeRawFrame(width, height);
    auto dst = std::make_unique<GWorldWrapper>(32, src->GetDim(), -1);
    const size_t bytes = size_t(src->GetSrcRowBytes()) * height;
    for (auto _ : state) {
        std::memcpy(Pixels(*dst), Pixels(*src), bytes);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

// The methods on pixel memory: what the passes cost.
void BM_Debayerize(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const auto algorithm = static_cast<DebayerAlg>(state.range(2));
    const auto path = state.range(3) ? PixelPath::kVector : PixelPath::kPlain;
    Toolbox toolbox;
    auto src = MakeRawFrame(width, height);
    auto dst = std::make_unique<GWorldWrapper>(32, src->GetDim(), -1);
    const int rowBytes = src->GetSrcRowBytes();
    for (auto _ : state) {
        Debayerize(Pixels(*src), Pixels(*dst), width, height, rowBytes, rowBytes - 4 * width, kRGGB, algorithm, path);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

// As the pipeline calls it: scratch cleared, passes, result copied over the frame.
void BM_DebayerizeImageFromGreenChannel(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const auto algorithm = static_cast<DebayerAlg>(state.range(2));
    Toolbox toolbox;
    auto frame = MakeRawFrame(width, height);
    for (auto _ : state) {
        DebayerizeImageFromGreenChannel(*frame, kRGGB, algorithm);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, width, height);
}

void FrameSizes(benchmark::internal::Benchmark* b) {
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) b->Args({size.first, size.second});
}

void MethodsAndPaths(benchmark::internal::Benchmark* b) {
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) {
        for (int algorithm : {kNearestNeighbor, kBilinear, kLaplacianSecondOrder}) {
            for (int vector : {1, 0}) b->Args({size.first, size.second, algorithm, vector});
        }
    }
    b->ArgNames({"w", "h", "alg", "vector"});
}

void Methods(benchmark::internal::Benchmark* b) {
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) {
        for (int algorithm : {kNearestNeighbor, kBilinear, kLaplacianSecondOrder}) {
            b->Args({size.first, size.second, algorithm});
        }
    }
    b->ArgNames({"w", "h", "alg"});
}

BENCHMARK(BM_MemcpyFrame)->Apply(FrameSizes)->ArgNames({"w", "h"})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Debayerize)->Apply(MethodsAndPaths)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DebayerizeImageFromGreenChannel)->Apply(Methods)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
