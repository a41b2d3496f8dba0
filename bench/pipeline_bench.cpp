// One whole pass of the frame pipeline (ProcessNewRawFrame with detection off: the
// raw window, the copy, de-Bayering, the histograms, the level remap with the value
// channel, the channel images, the focus measurement of a 256-pixel square and the
// four windows) at 640 x 480 and 1920 x 1080, with every window visible and the
// histograms dialog shown; each de-Bayering algorithm and none, and once without a
// focus square (the histograms then take the whole frame rather than the square, so
// the focus aid's own cost is in the step figures below). memcpy of the same frame runs beside it for scale,
// and each step of the pass on its own, to show where the time goes; the focus
// measurement also for each size of square.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <memory>
#include <random>
#include <vector>

#include "app/DataWindow.h"
#include "app/StopWatch.h"
#include "app/Templates.h"
#include "control/AutoGuider.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "platform/Dialogs.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "processing/Debayerize.h"
#include "processing/ImageProcs.h"
#include "processing/RawFrameProcessor.h"

namespace {

constexpr int kNoDebayer = -1;
// The side of the focus-aid square the pass measures; 0: none (the histogram
// rectangle stays the whole frame and the focus aid shows its message).
constexpr int kFocusSquare = 256;
constexpr int kNoFocusSquare = 0;

uint8_t* Pixels(GWorldWrapper& frame) { return reinterpret_cast<uint8_t*>(GetPixBaseAddr(frame.GetSrcPixMap())); }

// A night sky as the camera gives it: a dark noisy background with scattered stars.
// mosaic: one sample a pixel in all three bytes, as a colour-filter sensor delivers
// it; otherwise a colour frame.
void DrawSky(GWorldWrapper& frame, bool mosaic) {
    const Rect r = frame.GetDim();
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 4.0);
    for (int y = 0; y < r.bottom; ++y) {
        uint8_t* row = Pixels(frame) + static_cast<ptrdiff_t>(y) * frame.GetSrcRowBytes();
        for (int x = 0; x < r.right; ++x) {
            const bool star = (x * 7919 + y * 104729) % 613 == 0;
            uint8_t* p = row + 4 * x;
            for (int c = 1; c < 4; ++c) {
                const double level = star ? 240.0 : 18.0 + 3 * c + noise(random);
                p[c] = static_cast<uint8_t>(std::clamp(level, 0.0, 255.0));
            }
            if (mosaic) p[2] = p[3] = p[1];
        }
    }
}

// The program's objects, built in the application's order, for one frame size.
class Pipeline {
public:
    Pipeline(int width, int height) {
        auto headless = std::make_unique<HeadlessHost>();
        host = headless.get();
        InitToolbox(std::move(headless), std::make_unique<VirtualClock>());
        RegisterAllTemplates();
        dataWindow = std::make_unique<DataWindow>();
        serial = std::make_unique<SerialInterface>(dataWindow.get());
        autoGuider = std::make_unique<AutoGuider>(serial.get());
        const Rect r = MakeRect(0, 0, width, height);
        const Rect q = MakeRect(0, 0, width / 4, height / 4);
        raw = std::make_unique<GWorldWrapper>(32, r, -1);
        longExposure = std::make_unique<GWorldWrapper>(32, r, -1);
        levelAdjusted = std::make_unique<GWorldWrapper>(32, r, -1);
        red = std::make_unique<GWorldWrapper>(32, q, -1);
        green = std::make_unique<GWorldWrapper>(32, q, -1);
        blue = std::make_unique<GWorldWrapper>(32, q, -1);
        processor = std::make_unique<RawFrameProcessor>(raw.get(), longExposure.get(), levelAdjusted.get(), red.get(),
                                                        green.get(), blue.get(), serial.get());
        dialog = std::make_unique<HistogramsDialog>(processor.get());
        group = std::make_unique<FrameWindowsGroup>(raw.get(), longExposure.get(), levelAdjusted.get(), red.get(),
                                                    green.get(), blue.get(), processor.get(), autoGuider.get(),
                                                    serial.get(), dialog.get(), dataWindow.get());
        stopWatch = std::make_unique<StopWatch>();
        processor->SetFrameWindowsGroup(group.get());
        ShowWindow(GetDialogWindow(dialog->GetHistogramsDialog()));
        ShowWindow(group->GetFocusAidWindow());
        SetLevels();
    }
    ~Pipeline() {
        group.reset();
        dialog.reset();
        processor.reset();
        stopWatch.reset();
        autoGuider.reset();
        serial.reset();
        dataWindow.reset();
        raw.reset();
        longExposure.reset();
        levelAdjusted.reset();
        red.reset();
        green.reset();
        blue.reset();
        ShutdownToolbox();
    }

    // Levels that change every channel, the value channel included. The pipeline
    // reads the dialog's arrays for every frame.
    void SetLevels() {
        const int dark[4] = {8, 20, 16, 24};
        const int light[4] = {230, 200, 210, 190};
        const double gamma[4] = {0.8, 1.2, 1.0, 0.7};
        std::copy(dark, dark + 4, dialog->GetDarkCutoffs());
        std::copy(light, light + 4, dialog->GetLightCutoffs());
        std::copy(gamma, gamma + 4, dialog->GetGammas());
    }

    void ChooseDebayer(int algorithm) {
        const bool on = algorithm != kNoDebayer;
        if (processor->GetDebayerize() != on) processor->ToggleDebayerize();
        if (on) {
            processor->SetBayerPattern(kRGGB);
            processor->SetDebayerAlgorithm(static_cast<DebayerAlg>(algorithm));
        }
        DrawSky(*raw, on);
    }

    // A control-drag at the middle of the level-adjusted window, as the observer
    // defines the focus-aid square, then one frame so that the focus aid is set up.
    void DefineFocusSquare(int side) {
        if (side == kNoFocusSquare) return;
        group->SetPow2Dim(side);
        WindowPtr window = group->GetLevelAdjustedFrameWindow();
        Rect content;
        GetWindowBounds(window, kWindowContentRgn, &content);
        const Point middle{static_cast<int16_t>((content.top + content.bottom) / 2),
                           static_cast<int16_t>((content.left + content.right) / 2)};
        host->SetMouse(middle, true);
        host->ScriptMouse({{middle, true}, {middle, false}});
        group->HandleMouseDownInContent(window, middle, false, true, false, false);
        ProcessFrame();
    }
    // Whether the focus aid measured the last frame.
    bool FocusMeasured() const { return processor->GetPowerSpectrumDist() != nullptr; }

    void ProcessFrame() { processor->ProcessNewRawFrame(stopWatch.get(), dataWindow.get(), dialog.get()); }

    HeadlessHost* host = nullptr;

    std::unique_ptr<DataWindow> dataWindow;
    std::unique_ptr<SerialInterface> serial;
    std::unique_ptr<AutoGuider> autoGuider;
    std::unique_ptr<GWorldWrapper> raw, longExposure, levelAdjusted, red, green, blue;
    std::unique_ptr<RawFrameProcessor> processor;
    std::unique_ptr<HistogramsDialog> dialog;
    std::unique_ptr<FrameWindowsGroup> group;
    std::unique_ptr<StopWatch> stopWatch;
};

void SetFrameCounters(benchmark::State& state, int width, int height) {
    const int64_t pixels = int64_t(width) * height;
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels * 4);
}

// The whole pass. Arguments: width, height, de-Bayering algorithm (-1 none), side of
// the focus square (0 none).
void BM_WholePipelinePass(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Pipeline pipeline(width, height);
    pipeline.ChooseDebayer(static_cast<int>(state.range(2)));
    const int focusSquare = static_cast<int>(state.range(3));
    pipeline.DefineFocusSquare(focusSquare);
    pipeline.ProcessFrame();  // the de-Bayer scratch buffer is made by the first frame
    if (pipeline.FocusMeasured() != (focusSquare != kNoFocusSquare)) state.SkipWithError("focus square not as asked");
    for (auto _ : state) {
        pipeline.ProcessFrame();
        benchmark::ClobberMemory();
    }
    SetFrameCounters(state, width, height);
}

void PassArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"width", "height", "debayer", "focus"});
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}}) {
        b->Args({size.first, size.second, kNoDebayer, kNoFocusSquare});
        for (int algorithm : {kNoDebayer, int(kNearestNeighbor), int(kBilinear), int(kLaplacianSecondOrder)})
            b->Args({size.first, size.second, algorithm, kFocusSquare});
    }
    b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_WholePipelinePass)->Apply(PassArguments);

// memcpy of one frame's pixel memory, for scale.
void BM_MemcpyFrame(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Pipeline pipeline(width, height);
    const size_t bytes = static_cast<size_t>(pipeline.raw->GetSrcRowBytes()) * height;
    for (auto _ : state) {
        std::memcpy(Pixels(*pipeline.levelAdjusted), Pixels(*pipeline.raw), bytes);
        benchmark::ClobberMemory();
    }
    SetFrameCounters(state, width, height);
}
BENCHMARK(BM_MemcpyFrame)->Args({640, 480})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// ---- The steps of the pass on their own (colour frame, no de-Bayering) ----

enum Step {
    kCopyRawFrame,
    kHistograms,
    kRemapWithValue,
    kSeparateChannels,
    kStripToGreen,
    kDrawRawWindow,
    kDrawLevelAdjustedWindow,
    kDrawChannelsWindow,
    kDebinFast,
    kUpdateFocusAid,
    kDrawFocusAidWindow,
};

void BM_PipelineStep(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Pipeline pipeline(width, height);
    pipeline.ChooseDebayer(kNoDebayer);
    pipeline.DefineFocusSquare(kFocusSquare);
    pipeline.ProcessFrame();
    GWorldWrapper& adjusted = *pipeline.levelAdjusted;
    HistogramsDialog& dialog = *pipeline.dialog;
    const Step step = static_cast<Step>(state.range(2));
    if (step == kStripToGreen) pipeline.processor->SetChannel(2);
    for (auto _ : state) {
        switch (step) {
            case kCopyRawFrame:
                pipeline.raw->CopyWorldBits(pipeline.raw->GetDim(), adjusted.GetDim(), adjusted.GetGWorldPtr());
                break;
            case kHistograms:
                dialog.UpdateHistograms(&adjusted, pipeline.group->GetHistogramBoundsRect());
                break;
            case kRemapWithValue:
                RemapImageComponentsFromLevelCutoffs(adjusted, 256, dialog.GetDarkCutoffs(), dialog.GetLightCutoffs(),
                                                     dialog.GetGammas());
                break;
            case kSeparateChannels:
                pipeline.processor->SeparateChannels();
                break;
            case kStripToGreen:
                pipeline.processor->StripChannels();
                break;
            case kDrawRawWindow:
                pipeline.group->DrawRawFrameWindow();
                break;
            case kDrawLevelAdjustedWindow:
                pipeline.group->DrawLevelAdjustedFrameWindow();
                break;
            case kDrawChannelsWindow:
                pipeline.group->DrawChannelsWindow();
                break;
            case kDebinFast:
                DebinFast(adjusted);
                break;
            case kUpdateFocusAid:
                pipeline.processor->UpdateFocusAid();
                break;
            case kDrawFocusAidWindow:
                pipeline.group->DrawFocusAidWindow();
                break;
        }
        benchmark::ClobberMemory();
    }
    SetFrameCounters(state, width, height);
}

void StepArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"width", "height", "step"});
    for (auto size : {std::pair{640, 480}, std::pair{1920, 1080}})
        for (int step = kCopyRawFrame; step <= kDrawFocusAidWindow; ++step) b->Args({size.first, size.second, step});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_PipelineStep)->Apply(StepArguments);

// The focus measurement on its own for each size of square (640 x 480 frame): the
// values, the transform, the magnitudes, the rings and the ratio.
void BM_FocusAidMeasurement(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    Pipeline pipeline(640, 480);
    pipeline.ChooseDebayer(kNoDebayer);
    pipeline.DefineFocusSquare(side);
    if (!pipeline.FocusMeasured()) state.SkipWithError("no focus square");
    for (auto _ : state) {
        pipeline.processor->UpdateFocusAid();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_FocusAidMeasurement)->ArgName("side")->Arg(32)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);

// De-Bayering on its own, each algorithm, at both sizes.
void BM_DebayerStep(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    Pipeline pipeline(width, height);
    DrawSky(*pipeline.raw, true);
    const auto algorithm = static_cast<DebayerAlg>(state.range(2));
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(Pixels(*pipeline.levelAdjusted), Pixels(*pipeline.raw),
                    static_cast<size_t>(pipeline.raw->GetSrcRowBytes()) * height);
        state.ResumeTiming();
        DebayerizeImageFromGreenChannel(*pipeline.levelAdjusted, kRGGB, algorithm);
        benchmark::ClobberMemory();
    }
    SetFrameCounters(state, width, height);
}
BENCHMARK(BM_DebayerStep)
    ->ArgNames({"width", "height", "alg"})
    ->ArgsProduct({{640}, {480}, {0, 1, 2}})
    ->ArgsProduct({{1920}, {1080}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

// The de-Bayer setters write the observer's preferences: they go to a folder of the
// benchmark's own, never to the user's.
int main(int argc, char** argv) {
    std::string folder = (std::filesystem::temp_directory_path() / "scopecam-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return 1;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
