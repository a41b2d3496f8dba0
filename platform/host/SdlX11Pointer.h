// The pointer as the X server reports it, read from SDL's window-system events. Its
// points are on the root window, so they are exact everywhere: SDL's own mouse events
// are relative to the window pressed in and, unless SDL happens to hold the mouse
// captured (which follows the keyboard focus), pinned to that window's edges, which
// would break every drag that leaves the window (a menu pulled down from the bar).
//
// Kept apart from the toolbox headers: X11's headers define names (Cursor, Window)
// the toolbox uses too.
#pragma once

#include <SDL.h>

#include <optional>

struct DesktopPointerEvent {
    enum class Kind : uint8_t { kMove, kPress, kRelease };
    Kind kind = Kind::kMove;
    int rootX = 0;
    int rootY = 0;
    int button = 0;             // for presses and releases: 1 left, 2 middle, 3 right, 4.. wheel
    unsigned long window = 0;   // the X window the event was reported to
};

// Asks SDL to pass on the window system's events (SDL must be running).
void EnableDesktopPointerEvents();
// The pointer event a window-system event carries: motion, a press or release, or the
// pointer entering a window (a move).
std::optional<DesktopPointerEvent> DesktopPointerEventOf(const SDL_Event& e);
// The X11 id of a desktop window, as the X server and tools such as xdotool name it;
// 0 when it is not an X11 window.
unsigned long X11WindowIdOf(SDL_Window* window);
