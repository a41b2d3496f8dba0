// The host without a screen: windows live in memory at virtual screen positions.
// Tests push events and scripts of mouse positions, count beeps and read pixels.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/host/Host.h"

class HeadlessHost : public Host {
public:
    void PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) override;
    MouseState PeekMouse() override { return mouse_; }
    MouseState PollMouse() override;
    void NoteMouseEvent(const EventRecord& e) override;
    void Beep() override { ++beeps_; }
    void SetCursorShape(int16_t id) override { cursor_ = id; }

    // Input, delivered in the order pushed. Points are global; when is filled in.
    void PushKeyDown(unsigned char c, uint16_t modifiers = 0);
    void PushAutoKey(unsigned char c, uint16_t modifiers = 0);
    void PushKeyUp(unsigned char c, uint16_t modifiers = 0);
    void PushMouseDown(Point global, uint16_t modifiers = 0);
    void PushMouseUp(Point global, uint16_t modifiers = 0);
    void PushEvent(const EventRecord& e);
    // Mouse positions that drag loops read one by one through GetMouse and StillDown;
    // when the script runs out the button is up at the last position.
    void ScriptMouse(const std::vector<MouseState>& positions);
    // A press at from, a move through the points between in steps, release at to.
    void ScriptDrag(Point fromGlobal, Point toGlobal, int steps = 4, uint16_t modifiers = 0);
    void SetMouse(Point global, bool down = false);
    bool ScriptEmpty() const { return script_.empty(); }

    int Beeps() const { return beeps_; }
    void ResetBeeps() { beeps_ = 0; }
    int16_t Cursor() const { return cursor_; }
    size_t PendingInput() const { return input_.size(); }

    // How far the clock moves when the program waits with nothing to do.
    void SetAdvanceClockWhenIdle(bool advance) { advanceWhenIdle_ = advance; }

private:
    std::deque<EventRecord> input_;
    std::deque<MouseState> script_;
    MouseState mouse_;
    int beeps_ = 0;
    int16_t cursor_ = 0;
    bool advanceWhenIdle_ = true;
};

// Writes a window's or any port's pixels as a PNG file; false on failure.
bool WritePortPNG(const GrafPort* port, const std::string& path);
