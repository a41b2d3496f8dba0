// scopecam: live webcam imaging at the telescope.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "app/DemoSession.h"
#include "app/MainObject.h"
#include "app/PortAssignment.h"
#include "app/ProgramOptions.h"
#include "platform/host/DesktopHost.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "platform/services/SerialPortDiscovery.h"
#include "sim/SimulatedObservatory.h"

namespace {

std::string SnapshotName(WindowPtr w) {
    if (w->role == WindowRole::kMenuBar) return "menu-bar.png";
    std::string name = "window-" + std::to_string(w->templateId) + "-";
    for (char c : w->title) name += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return name + ".png";
}

// Writes every visible window as a PNG; false when one could not be written.
bool WriteSnapshots(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    bool ok = true;
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w)) {
        if (!w->visible) continue;
        std::string path = (std::filesystem::path(dir) / SnapshotName(w)).string();
        if (!WritePortPNG(w, path)) {
            std::fprintf(stderr, "scopecam: could not write %s\n", path.c_str());
            ok = false;
        }
    }
    return ok;
}

// The path --mount names; "sim" stands for the simulated mount's port.
std::string MountPortPath(const ProgramOptions& options, SimulatedObservatory* observatory) {
    if (options.mountPath != kSimulatedMountPath) return options.mountPath;
    return observatory != nullptr && observatory->Mount().IsOpen() ? observatory->Mount().PortPath() : "";
}

void NarrateDemo(const std::string& line) {
    std::printf("demo: %s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string error;
    if (!ParseProgramOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "scopecam: %s\n%s", error.c_str(), ProgramUsage().c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(ProgramUsage().c_str(), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("scopecam %s\n", SCOPECAM_VERSION);
        return 0;
    }
    std::unique_ptr<Host> host;
    HeadlessHost* headless = nullptr;
    if (options.headless) {
        auto screenless = std::make_unique<HeadlessHost>();
        headless = screenless.get();
        host = std::move(screenless);
    } else {
        std::string whyNot;
        host = CreateDesktopHost(whyNot);
        if (!host) {
            std::fprintf(stderr, "scopecam: %s (--headless runs without one)\n", whyNot.c_str());
            return 2;
        }
        // A display that goes away ends the session as a quit does: the mount stopped,
        // the queued guiding messages sent, a recording closed, the ports restored.
        SetDesktopDisplayLostHandler([] {
            MainObject* app = gMainObject;
            gMainObject = nullptr;
            delete app;
        });
    }
    InitToolbox(std::move(host), std::make_unique<MonotonicClock>());
    int status = 0;
    std::unique_ptr<SimulatedObservatory> observatory;
    std::unique_ptr<DemoSession> demo;
    try {
        // The simulated devices are made after the clock they step on, and step beside
        // the program in its one thread.
        if (options.mountSim) {
            observatory = std::make_unique<SimulatedObservatory>();
            for (const std::string& problem : observatory->Problems())
                std::fprintf(stderr, "scopecam: %s\n", problem.c_str());
            observatory->RegisterPorts(SerialPorts());
            AddBackgroundTask([obs = observatory.get()] { obs->Step(); });
            options.observatory = observatory.get();
        }
        for (const std::string& path : options.serialPaths) SerialPorts().AddGivenPort(path);
        const std::string mountPath = MountPortPath(options, observatory.get());
        if (!mountPath.empty()) SerialPorts().AddGivenPort(mountPath);
        gMainObject = new MainObject(options);
        if (!mountPath.empty() && !AssignMountPort(*gMainObject->GetSerialInterface(), mountPath))
            std::fprintf(stderr, "scopecam: could not open %s for the mount; the port dialog (Misc menu) can assign it\n",
                         mountPath.c_str());
        if (options.demo && headless != nullptr) {
            demo = std::make_unique<DemoSession>(*gMainObject, *headless, NarrateDemo);
            AddBackgroundTask([session = demo.get()] { session->Step(); });
        }
        gMainObject->Run();
        if (demo) demo->Finish();
        if (!options.snapshotDir.empty() && !WriteSnapshots(options.snapshotDir)) status = 1;
        delete gMainObject;
        gMainObject = nullptr;
    } catch (...) {
        // An allocation failure ends the program quietly.
    }
    ShutdownToolbox();
    observatory.reset();
    return status;
}
