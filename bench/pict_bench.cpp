// Recording a 640 x 480 frame as a picture (OpenPicture, the copy, ClosePicture), as
// every saved picture and every frame of a batch does, for a dark sky frame (long
// runs) and for a frame of noise (almost no runs), and writing it as a picture file.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "app/FileProcs.h"
#include "image/GWorldWrapper.h"
#include "platform/Pictures.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A dark sky: background 12 with a little noise in one sample of eight, and stars.
void FillSky(GWorldPtr world) {
    std::mt19937 random(1);
    PixMap& pm = world->pixMap;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = pm.baseAddr + y * pm.RowBytes();
        for (int x = 0; x < kWidth; ++x) {
            const uint8_t v = (random() % 8 == 0) ? uint8_t(12 + random() % 4) : 12;
            const bool star = (x * 7 + y * 13) % 997 == 0;
            row[4 * x + 1] = row[4 * x + 2] = row[4 * x + 3] = star ? 240 : v;
        }
    }
}

void FillNoise(GWorldPtr world) {
    std::mt19937 random(2);
    PixMap& pm = world->pixMap;
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = pm.baseAddr + y * pm.RowBytes();
        for (int x = 0; x < 4 * kWidth; ++x) row[x] = uint8_t(random());
    }
}

void RecordFrame(benchmark::State& state, void (*fill)(GWorldPtr)) {
    InitToolbox(std::make_unique<HeadlessHost>(), std::make_unique<VirtualClock>());
    {
        GWorldWrapper frame(32, MakeRect(0, 0, kWidth, kHeight), -1);
        GWorldWrapper window(32, MakeRect(0, 0, kWidth, kHeight), -1);
        fill(frame.GetGWorldPtr());
        SetGWorld(window.GetGWorldPtr(), nullptr);
        const Rect r = MakeRect(0, 0, kWidth, kHeight);
        int64_t pictureBytes = 0;
        for (auto _ : state) {
            PicHandle pic = OpenPicture(&r);
            ClipRect(&r);
            CopyBits(&frame.GetGWorldPtr()->pixMap, &window.GetGWorldPtr()->pixMap, &r, &r, ditherCopy, nullptr);
            ClosePicture();
            pictureBytes = GetHandleSize(pic);
            KillPicture(pic);
        }
        state.counters["pictureBytes"] = static_cast<double>(pictureBytes);
        state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 4);
        SetGWorld(nullptr, nullptr);
    }
    ShutdownToolbox();
}

void BM_RecordSkyFrame640x480(benchmark::State& state) { RecordFrame(state, FillSky); }
void BM_RecordNoiseFrame640x480(benchmark::State& state) { RecordFrame(state, FillNoise); }

// Writing the recorded sky frame as a new file (and removing it again).
void BM_WriteSkyPictureFile(benchmark::State& state) {
    InitToolbox(std::make_unique<HeadlessHost>(), std::make_unique<VirtualClock>());
    {
        GWorldWrapper frame(32, MakeRect(0, 0, kWidth, kHeight), -1);
        GWorldWrapper window(32, MakeRect(0, 0, kWidth, kHeight), -1);
        FillSky(frame.GetGWorldPtr());
        SetGWorld(window.GetGWorldPtr(), nullptr);
        const Rect r = MakeRect(0, 0, kWidth, kHeight);
        PicHandle pic = OpenPicture(&r);
        CopyBits(&frame.GetGWorldPtr()->pixMap, &window.GetGWorldPtr()->pixMap, &r, &r, ditherCopy, nullptr);
        ClosePicture();
        FSSpec location;
        location.folder = std::filesystem::temp_directory_path().string();
        const std::string name = "scopecam-bench-" + std::to_string(getpid());
        Str255 pascalName;
        CtoPascal(name.c_str(), pascalName);
        for (auto _ : state) {
            const PictFileResult result = AutoPictToFile(pic, pascalName, location);
            if (!result.Saved()) state.SkipWithError(DescribePictFileStatus(result.status));
            std::filesystem::remove(location.folder + "/" + result.fileName);
        }
        KillPicture(pic);
        SetGWorld(nullptr, nullptr);
    }
    ShutdownToolbox();
}

}  // namespace

BENCHMARK(BM_RecordSkyFrame640x480);
BENCHMARK(BM_RecordNoiseFrame640x480);
BENCHMARK(BM_WriteSkyPictureFile);
BENCHMARK_MAIN();
