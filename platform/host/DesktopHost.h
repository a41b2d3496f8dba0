// Opening the desktop host without seeing SDL: what the program's entry needs to
// choose between the desktop and the headless host.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/host/Host.h"

// The desktop host (SdlHost) on the present X11 display; null, with a one-line reason
// in whyNot ("no display to show windows on (DISPLAY is not set)", "cannot open the
// display :1: ..."), when there is none to open. The program should then say so and
// end with status 2 rather than run without windows.
std::unique_ptr<Host> CreateDesktopHost(std::string& whyNot);

// What the program does when the display goes away under it (the X server ends, a
// forwarded connection drops): end its session in order. The desktop host shows and
// reads nothing from then on, and the process ends with status 1 after the handler.
void SetDesktopDisplayLostHandler(std::function<void()> handler);
