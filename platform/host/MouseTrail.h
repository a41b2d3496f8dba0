// The desktop's mouse as a trail of what it did, in order, read two ways. The event
// loop takes the presses and releases as mouse-down and mouse-up events. A drag loop
// that follows a press (StillDown, GetMouse) reads the positions recorded after that
// press one by one, up to its release: a quick gesture is followed as it happened, and
// the loop is never overtaken by where the mouse has got to since.
#pragma once

#include <cstdint>
#include <deque>

#include "platform/host/Host.h"

class MouseTrail {
public:
    // What the desktop reported, in the order it happened (global points).
    void RecordMove(Point global, uint16_t modifiers);
    void RecordPress(Point global, uint16_t modifiers);
    void RecordRelease(Point global, uint16_t modifiers);

    // The toolbox handed out the mouse-down or mouse-up at where: what came before it
    // is over.
    void NotePressDelivered(Point where, uint16_t modifiers);
    void NoteReleaseDelivered(Point where, uint16_t modifiers);

    // For drag loops: the next state recorded after the press handed out. False when
    // nothing new has been recorded yet; state is then the present one.
    bool TakeNext(MouseState* state);
    // The mouse as the toolbox sees it now: while the press handed out lasts, the last
    // state a drag loop read; otherwise the latest position.
    MouseState Current();

    // True between a recorded press and its release.
    bool ButtonHeldOnDesktop() const { return held_; }
    size_t RecordedCount() const { return entries_.size(); }

private:
    enum class Kind : uint8_t { kMove, kPress, kRelease };
    struct Entry {
        MouseState state;
        Kind kind;
    };

    std::deque<Entry> entries_;
    MouseState current_;
    bool held_ = false;
};
