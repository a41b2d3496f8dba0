#include "platform/Toolbox.h"

#include <cstdlib>

#include "platform/PictureRecording.h"
#include "platform/ToolboxState.h"

namespace {
ToolboxState gToolbox;
bool gRunning = false;
}  // namespace

ToolboxState& Toolbox() { return gToolbox; }

void InitToolbox(std::unique_ptr<Host> host, std::unique_ptr<Clock> clock) {
    if (gRunning) ShutdownToolbox();
    gToolbox.host = std::move(host);
    gToolbox.clock = std::move(clock);
    gRunning = true;
}

void ShutdownToolbox() {
    while (!gToolbox.windows.empty()) DisposeWindow(gToolbox.windows.front());
    gToolbox.host.reset();
    gToolbox.clock.reset();
    gToolbox = ToolboxState{};
    gRunning = false;
}

bool ToolboxRunning() { return gRunning; }
Host* CurrentHost() { return gToolbox.host.get(); }
Clock* CurrentClock() { return gToolbox.clock.get(); }

void SetPort(GrafPtr port) { gToolbox.currentPort = port; }
void GetPort(GrafPtr* port) { *port = gToolbox.currentPort; }
GrafPtr CurrentPort() { return gToolbox.currentPort; }

void ForgetPort(GrafPtr port) {
    if (gToolbox.currentPort == port) gToolbox.currentPort = nullptr;
    EndPictureOfPort(port);
}

void AddBackgroundTask(std::function<void()> task) { gToolbox.backgroundTasks.push_back(std::move(task)); }

void RunBackgroundTasks() {
    // A task that waits for events itself must not step the tasks again.
    if (gToolbox.runningBackgroundTasks) return;
    gToolbox.runningBackgroundTasks = true;
    for (auto& task : gToolbox.backgroundTasks) task();
    gToolbox.runningBackgroundTasks = false;
}

void ExitToShell() { std::_Exit(0); }
