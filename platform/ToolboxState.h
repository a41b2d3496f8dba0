// The toolbox layer's own state: the current port, the windows, the event queue, the
// host and the clock. Internal to platform/.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Toolbox.h"
#include "platform/host/Host.h"
#include "platform/services/Clock.h"

struct MenuManager;
struct DialogManager;

struct ToolboxState {
    std::unique_ptr<Host> host;
    std::unique_ptr<Clock> clock;
    GrafPtr currentPort = nullptr;
    GDHandle currentDevice = nullptr;
    std::vector<WindowPtr> windows;  // front to back
    std::deque<EventRecord> queue;
    uint16_t eventMask = everyEvent & ~(1u << keyUp);
    uint32_t nextWindowReference = 1;
    bool failNextAllocation = false;
    MouseState lastMouse;
    struct BackgroundTask {
        uint64_t id;
        std::function<void()> step;  // empty once removed
    };
    std::vector<BackgroundTask> backgroundTasks;
    uint64_t nextBackgroundTaskId = 1;
    bool runningBackgroundTasks = false;
    // The menu and dialog managers' own state, made on first use by Menus.cpp and
    // Dialogs.cpp and released with the rest when the toolbox shuts down.
    std::shared_ptr<MenuManager> menus;
    std::shared_ptr<DialogManager> dialogs;
};

ToolboxState& Toolbox();

// Called when a port or window goes away so that nothing points at it any more.
void ForgetPort(GrafPtr port);
