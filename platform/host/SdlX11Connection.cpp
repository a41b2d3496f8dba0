#include "platform/host/SdlX11Connection.h"

#include <X11/Xlib.h>

namespace {

void (*sWhenLost)() = nullptr;

int ConnectionLost(Display*) {
    if (sWhenLost != nullptr) sWhenLost();
    // Not reached when the watcher ends the process; Xlib exits otherwise.
    return 0;
}

}  // namespace

void WatchDisplayConnection(void (*lost)()) {
    sWhenLost = lost;
    XSetIOErrorHandler(ConnectionLost);
}
