// The program's own frame rate in the headless demo: the whole program on the
// simulated sky and mount at 640 x 480, every window open, event pause 0, after the
// demo's scripted session has marked the focus square, started guiding and changed the
// levels. One iteration is one pass of the event loop, each of which processes the
// present frame (as the data window's "FPS of program" counts them); the camera
// renders a new sky frame 30 times a second of the clock, and the clock here moves
// that fast with the passes, so the figure is the program's, not the camera's.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/DemoSession.h"
#include "app/MainObject.h"
#include "app/PortAssignment.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "platform/services/SerialPortDiscovery.h"
#include "sim/SimulatedObservatory.h"

namespace {

// The clock moves 1/600 s a pass, about the program's own pace, so that the camera
// renders a new sky frame every twenty passes or so, as in a real run.
constexpr double kPassesPerClockSecond = 600.0;

void BM_DemoLoopPass(benchmark::State& state) {
    // Preferences of the bench's own.
    std::string config = (std::filesystem::temp_directory_path() / "scopecam-bench-XXXXXX").string();
    if (mkdtemp(config.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    auto host = std::make_unique<HeadlessHost>();
    auto clock = std::make_unique<VirtualClock>(0, 1);
    HeadlessHost* headless = host.get();
    VirtualClock* virtualClock = clock.get();
    InitToolbox(std::move(host), std::move(clock));
    virtualClock->SetTicks(100000);
    SerialPorts().SetScanMachine(false);
    {
        SimulatedObservatory observatory;
        observatory.RegisterPorts(SerialPorts());
        AddBackgroundTask([&observatory] { observatory.Step(); });
        const char* argv[] = {"scopecam", "--demo"};
        ProgramOptions options;
        std::string error;
        ParseProgramOptions(2, argv, options, error);
        options.observatory = &observatory;
        MainObject::quit = false;
        MainObject app(options);
        gMainObject = &app;
        AssignMountPort(*app.GetSerialInterface(), observatory.Mount().PortPath());
        // The scripted session up to its end, the clock running a tick per idle wait.
        DemoSession demo(app, *headless);
        AddBackgroundTask([&demo] { demo.Step(); });
        headless->SetAdvanceClockWhenIdle(true);
        app.SetEventPause(1);
        app.Run();
        demo.Finish();
        MainObject::quit = false;
        app.SetEventPause(0);
        headless->SetAdvanceClockWhenIdle(false);

        const uint64_t step = static_cast<uint64_t>(1e6 / kPassesPerClockSecond);
        for (auto _ : state) {
            virtualClock->AdvanceMicros(step);
            SetEventMask(everyEvent);
            EventRecord event;
            WaitNextEvent(everyEvent, &event, 0, nullptr);
            app.DoEvent(event);
        }
        state.SetItemsProcessed(state.iterations());
        state.counters["frames_per_second"] =
            benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
        gMainObject = nullptr;
    }
    ShutdownToolbox();
    SerialPorts().ClearGivenPorts();
    SerialPorts().SetScanMachine(true);
    std::filesystem::remove_all(config);
}

BENCHMARK(BM_DemoLoopPass)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
