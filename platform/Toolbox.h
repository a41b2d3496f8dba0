// Our toolbox layer: the classic desktop calls the program makes, under their classic
// names, on a host (headless or desktop) and a clock (monotonic or virtual).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Events.h"
#include "platform/MacTypes.h"
#include "platform/Pictures.h"
#include "platform/QuickDraw.h"
#include "platform/Windows.h"

class Host;
class Clock;

// Starts the toolbox on a host and a clock, which it owns until ShutdownToolbox.
void InitToolbox(std::unique_ptr<Host> host, std::unique_ptr<Clock> clock);
// Disposes every window and offscreen port still open and forgets host and clock.
void ShutdownToolbox();
bool ToolboxRunning();
Host* CurrentHost();
Clock* CurrentClock();

// Work that runs beside the program, in its one thread: every event wait and every
// poll of the mouse gives each task one step (simulated devices step this way).
// Tasks run in the order they were added. A task added while the tasks run starts at
// the next run; one removed while they run does not run again, not even later in the
// same run.
using BackgroundTaskId = uint64_t;
BackgroundTaskId AddBackgroundTask(std::function<void()> task);
void RemoveBackgroundTask(BackgroundTaskId id);
void RunBackgroundTasks();

// A background task for as long as the object lives: work that must go on during one
// mouse drag, for example.
class ScopedBackgroundTask {
public:
    explicit ScopedBackgroundTask(std::function<void()> task) : id_(AddBackgroundTask(std::move(task))) {}
    ~ScopedBackgroundTask() { RemoveBackgroundTask(id_); }
    ScopedBackgroundTask(const ScopedBackgroundTask&) = delete;
    ScopedBackgroundTask& operator=(const ScopedBackgroundTask&) = delete;

private:
    BackgroundTaskId id_;
};

// Process calls.
void ExitToShell();  // ends the process at once, status 0
