// CopyBits of a 640 x 480 frame into ports of the sizes the program shows it at, and
// a plain memcpy of the same bytes for comparison.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

void FillFrame(GWorldPtr world) {
    PixMap& pm = world->pixMap;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = pm.baseAddr + y * pm.RowBytes();
        for (int x = 0; x < kWidth; ++x) {
            row[4 * x + 1] = static_cast<uint8_t>(x);
            row[4 * x + 2] = static_cast<uint8_t>(y);
            row[4 * x + 3] = static_cast<uint8_t>(x ^ y);
        }
    }
}

void CopyFrameInto(benchmark::State& state, int dstWidth, int dstHeight, bool negative) {
    InitToolbox(std::make_unique<HeadlessHost>(), std::make_unique<VirtualClock>());
    {
        GWorldWrapper src(32, MakeRect(0, 0, kWidth, kHeight), -1);
        GWorldWrapper dst(32, MakeRect(0, 0, dstWidth, dstHeight), -1);
        FillFrame(src.GetGWorldPtr());
        SetGWorld(dst.GetGWorldPtr(), nullptr);
        if (negative) {
            ForeColor(whiteColor);
            BackColor(blackColor);
        }
        const Rect from = MakeRect(0, 0, kWidth, kHeight);
        const Rect to = MakeRect(0, 0, dstWidth, dstHeight);
        for (auto _ : state) {
            CopyBits(&src.GetGWorldPtr()->pixMap, &dst.GetGWorldPtr()->pixMap, &from, &to, ditherCopy, nullptr);
            benchmark::DoNotOptimize(dst.GetGWorldPtr()->pixMap.baseAddr);
            benchmark::ClobberMemory();
        }
        state.SetBytesProcessed(int64_t(state.iterations()) * dstWidth * dstHeight * 4);
        SetGWorld(nullptr, nullptr);
    }
    ShutdownToolbox();
}

void BM_CopyBits640x480To640x480(benchmark::State& state) { CopyFrameInto(state, 640, 480, false); }
void BM_CopyBits640x480To160x120(benchmark::State& state) { CopyFrameInto(state, 160, 120, false); }
void BM_CopyBits640x480To1280x960(benchmark::State& state) { CopyFrameInto(state, 1280, 960, false); }
void BM_CopyBits640x480To640x480Negative(benchmark::State& state) { CopyFrameInto(state, 640, 480, true); }

void BM_Memcpy640x480(benchmark::State& state) {
    const size_t bytes = size_t(kWidth) * kHeight * 4;
    std::vector<uint8_t> src(bytes, 0x5A), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

BENCHMARK(BM_Memcpy640x480);
BENCHMARK(BM_CopyBits640x480To640x480);
BENCHMARK(BM_CopyBits640x480To160x120);
BENCHMARK(BM_CopyBits640x480To1280x960);
BENCHMARK(BM_CopyBits640x480To640x480Negative);

}  // namespace

BENCHMARK_MAIN();
