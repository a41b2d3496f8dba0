// The event queue and event wait, time, the mouse, beeps and the cursor.
#include "platform/Events.h"

#include <algorithm>

#include "platform/ToolboxState.h"

namespace {

Clock& TheClock() {
    if (Clock* c = CurrentClock()) return *c;
    static MonotonicClock fallback;
    return fallback;
}

bool InMask(uint16_t kind, uint16_t mask) { return kind < 16 && (mask & (1u << kind)) != 0; }

// Hands the host every window drawn into since it was last shown.
void PresentDirtyWindows() {
    Host* host = CurrentHost();
    if (host == nullptr) return;
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w)) {
        if (w->visible && w->dirty) {
            w->dirty = false;
            host->PresentWindow(w);
        }
    }
}

// Takes the first queued event of the mask; events the system mask leaves out are
// dropped on the way.
bool TakeQueuedEvent(uint16_t mask, EventRecord* event) {
    auto& queue = Toolbox().queue;
    std::erase_if(queue, [](const EventRecord& e) { return !InMask(e.what, Toolbox().eventMask); });
    auto it = std::find_if(queue.begin(), queue.end(),
                           [mask](const EventRecord& e) { return InMask(e.what, mask); });
    if (it == queue.end()) return false;
    *event = *it;
    queue.erase(it);
    if (event->what == mouseDown || event->what == mouseUp) {
        if (Host* host = CurrentHost()) host->NoteMouseEvent(*event);
    }
    return true;
}

bool TakeUpdateEvent(uint16_t mask, EventRecord* event) {
    if (!InMask(updateEvt, mask)) return false;
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w)) {
        if (w->visible && w->updatePending) {
            event->what = updateEvt;
            event->message = w->reference;
            return true;
        }
    }
    return false;
}

void FillNullEvent(EventRecord* event) {
    *event = EventRecord{};
    if (Host* host = CurrentHost()) {
        MouseState m = host->PeekMouse();
        event->where = m.where;
        event->modifiers = m.modifiers | (m.down ? 0 : btnState);
    }
}

bool NextEvent(uint16_t mask, EventRecord* event) {
    if (TakeQueuedEvent(mask, event) || TakeUpdateEvent(mask, event)) {
        event->when = TickCount();
        return true;
    }
    return false;
}

}  // namespace

bool WaitNextEvent(uint16_t mask, EventRecord* event, uint32_t sleepTicks, const void*) {
    RunBackgroundTasks();
    PresentDirtyWindows();
    Host* host = CurrentHost();
    if (host) host->PumpEvents(Toolbox().queue, 0);
    if (NextEvent(mask, event)) return true;
    if (host && sleepTicks > 0) {
        host->PumpEvents(Toolbox().queue, uint64_t(sleepTicks) * 1000000 / 60);
        if (NextEvent(mask, event)) return true;
    }
    FillNullEvent(event);
    event->when = TickCount();
    return false;
}

bool GetNextEvent(uint16_t mask, EventRecord* event) { return WaitNextEvent(mask, event, 0, nullptr); }

void SetEventMask(uint16_t mask) { Toolbox().eventMask = mask; }

void FlushEvents(uint16_t mask, uint16_t stopMask) {
    auto& queue = Toolbox().queue;
    auto stop = std::find_if(queue.begin(), queue.end(),
                             [stopMask](const EventRecord& e) { return InMask(e.what, stopMask); });
    queue.erase(std::remove_if(queue.begin(), stop,
                               [mask](const EventRecord& e) { return InMask(e.what, mask); }),
                stop);
}

void PostEvent(const EventRecord& event) { Toolbox().queue.push_back(event); }

uint32_t TickCount() { return TheClock().Ticks(); }

uint64_t MicrosecondsNow() { return TheClock().NowMicros(); }

void Microseconds(UnsignedWide* micros) {
    uint64_t t = MicrosecondsNow();
    micros->hi = static_cast<uint32_t>(t >> 32);
    micros->lo = static_cast<uint32_t>(t);
}

void GetMouse(Point* pt) {
    Host* host = CurrentHost();
    *pt = host ? host->PeekMouse().where : Point{};
    GlobalToLocal(pt);
}

bool StillDown() {
    Host* host = CurrentHost();
    if (host == nullptr) return false;
    RunBackgroundTasks();
    PresentDirtyWindows();
    return host->PollMouse().down;
}

bool Button() {
    Host* host = CurrentHost();
    return host != nullptr && host->PeekMouse().down;
}

void SysBeep(int16_t) {
    if (Host* host = CurrentHost()) host->Beep();
}

namespace {
Cursor gCursors[] = {{0}, {1}, {crossCursor}, {3}, {watchCursor}};
}

void InitCursor() {
    if (Host* host = CurrentHost()) host->SetCursorShape(0);
}

CursHandle GetCursor(int16_t id) {
    for (Cursor& c : gCursors)
        if (c.id == id) return &c;
    return nullptr;
}

void SetCursor(const Cursor* cursor) {
    if (Host* host = CurrentHost()) host->SetCursorShape(cursor ? cursor->id : 0);
}
