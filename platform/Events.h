// Events and time: the event queue, the event wait, the mouse, beeps and the cursor.
#pragma once

#include <cstdint>

#include "platform/MacTypes.h"

// Event kinds.
enum : uint16_t {
    nullEvent = 0,
    mouseDown = 1,
    mouseUp = 2,
    keyDown = 3,
    keyUp = 4,
    autoKey = 5,
    updateEvt = 6,
    activateEvt = 8,
    osEvt = 15,
};
constexpr uint16_t everyEvent = 0xFFFF;

// Modifier bits.
enum : uint16_t {
    btnState = 0x0080,
    cmdKey = 0x0100,
    shiftKey = 0x0200,
    alphaLock = 0x0400,
    optionKey = 0x0800,
    controlKey = 0x1000,
};

constexpr uint32_t charCodeMask = 0x000000FF;
constexpr uint32_t keyCodeMask = 0x0000FF00;

// Character codes of special keys.
constexpr unsigned char kLeftArrowCharCode = 0x1C;
constexpr unsigned char kRightArrowCharCode = 0x1D;
constexpr unsigned char kUpArrowCharCode = 0x1E;
constexpr unsigned char kDownArrowCharCode = 0x1F;
constexpr unsigned char kReturnCharCode = 0x0D;
constexpr unsigned char kEnterCharCode = 0x03;
constexpr unsigned char kEscapeCharCode = 0x1B;
constexpr unsigned char kBackspaceCharCode = 0x08;
constexpr unsigned char kDeleteCharCode = 0x7F;
constexpr unsigned char kTabCharCode = 0x09;

struct EventRecord {
    uint16_t what = nullEvent;
    uint32_t message = 0;  // key events: character in the low byte; updates: the window's reference
    uint32_t when = 0;     // ticks
    Point where;           // global mouse position
    uint16_t modifiers = 0;
};

// Waits up to sleepTicks for an event of the mask; false with a null event when none.
bool WaitNextEvent(uint16_t mask, EventRecord* event, uint32_t sleepTicks, const void* mouseRgn);
bool GetNextEvent(uint16_t mask, EventRecord* event);
void SetEventMask(uint16_t mask);
void FlushEvents(uint16_t mask, uint16_t stopMask);
// Puts an event at the end of the queue (hosts; tests go through the headless host).
void PostEvent(const EventRecord& event);

// Time.
uint32_t TickCount();
struct UnsignedWide {
    uint32_t hi;
    uint32_t lo;
};
void Microseconds(UnsignedWide* micros);
uint64_t MicrosecondsNow();

// The mouse, in the current port's local coordinates, and the button.
void GetMouse(Point* pt);
bool StillDown();
bool Button();

void SysBeep(int16_t duration);

// The cursor.
struct Cursor {
    int16_t id;
};
using CursHandle = Cursor*;
void InitCursor();
CursHandle GetCursor(int16_t id);
void SetCursor(const Cursor* cursor);
constexpr int16_t watchCursor = 4;
constexpr int16_t crossCursor = 2;
