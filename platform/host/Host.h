// A host moves pixels out and events in: it shows the toolbox's windows somewhere
// (in memory, or on a desktop), delivers input, sets the cursor and beeps.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/Events.h"
#include "platform/Windows.h"

struct MouseState {
    Point where;  // global
    bool down = false;
    uint16_t modifiers = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // The toolbox tells the host what became of its windows.
    virtual void WindowCreated(WindowPtr) {}
    virtual void WindowDisposed(WindowPtr) {}
    virtual void WindowChanged(WindowPtr) {}  // shown, hidden, moved, resized, retitled, reordered
    // Shows the window's present pixels (called for windows drawn into since last time).
    virtual void PresentWindow(WindowPtr) {}

    // Moves pending input into the queue, waiting at most waitMicros for some.
    virtual void PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) = 0;
    // The mouse as it is now, without consuming input.
    virtual MouseState PeekMouse() = 0;
    // The next mouse state of a drag: drag loops poll this while the button is held.
    virtual MouseState PollMouse() = 0;
    // The toolbox hands out a mouse event: the host's idea of the button follows it.
    virtual void NoteMouseEvent(const EventRecord&) {}

    virtual void Beep() = 0;
    virtual void SetCursorShape(int16_t /*id*/) {}
    // True when the host's own window manager drags and grows windows.
    virtual bool ManagesWindowFrames() const { return false; }
    // The main screen in global coordinates (the menu bar at its top).
    virtual Rect ScreenBounds() const { return MakeRect(0, 0, 1920, 1080); }
};
