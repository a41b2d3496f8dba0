#include "platform/Toolbox.h"

#include <algorithm>
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

BackgroundTaskId AddBackgroundTask(std::function<void()> task) {
    const BackgroundTaskId id = gToolbox.nextBackgroundTaskId++;
    gToolbox.backgroundTasks.push_back({id, std::move(task)});
    return id;
}

void RemoveBackgroundTask(BackgroundTaskId id) {
    auto& tasks = gToolbox.backgroundTasks;
    auto it = std::find_if(tasks.begin(), tasks.end(), [id](const auto& t) { return t.id == id; });
    if (it == tasks.end()) return;
    // While the tasks run the entry is only emptied: the run holds places in the list.
    if (gToolbox.runningBackgroundTasks)
        it->step = nullptr;
    else
        tasks.erase(it);
}

void RunBackgroundTasks() {
    // A task that waits for events itself must not step the tasks again.
    if (gToolbox.runningBackgroundTasks) return;
    gToolbox.runningBackgroundTasks = true;
    auto& tasks = gToolbox.backgroundTasks;
    // By place and up to the present count: a task may add another, which moves the
    // list, and the new one runs from the next run on.
    const size_t count = tasks.size();
    for (size_t i = 0; i < count; ++i) {
        std::function<void()> step = tasks[i].step;
        if (step) step();
    }
    gToolbox.runningBackgroundTasks = false;
    std::erase_if(tasks, [](const auto& t) { return !t.step; });
}

void ExitToShell() { std::_Exit(0); }
