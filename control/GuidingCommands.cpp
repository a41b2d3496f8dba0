// The mount's guiding commands and the queue of messages sent a few ticks later.
// One busy flag per axis: a move starts only while its axis is idle, and the axis
// stays busy until its stop command has been written.
#include <algorithm>
#include <cstring>

#include "control/SerialInterface.h"
#include "platform/Events.h"

namespace {

constexpr const char* kGuideRateCommand = "#:RG#";
constexpr const char* kSV203InitializeCommand = "BD0 SV1 M0 PS1 SV8 M0 PS8\r";

struct DirectionCommands {
    const char* move;
    const char* stop;
};

// Indexed by CompassDirection.
constexpr DirectionCommands kCommands[] = {
    {"#:Mn#", "#:Qn#"},
    {"#:Me#", "#:Qe#"},
    {"#:Ms#", "#:Qs#"},
    {"#:Mw#", "#:Qw#"},
};

using Direction = SerialInterface::CompassDirection;

bool IsDirection(Direction d) { return d >= SerialInterface::kNorth && d <= SerialInterface::kWest; }
bool IsNorthSouth(Direction d) { return d == SerialInterface::kNorth || d == SerialInterface::kSouth; }

bool IsNorthSouthStop(const char* text) { return std::strcmp(text, "#:Qn#") == 0 || std::strcmp(text, "#:Qs#") == 0; }
bool IsEastWestStop(const char* text) { return std::strcmp(text, "#:Qe#") == 0 || std::strcmp(text, "#:Qw#") == 0; }

}  // namespace

void SerialInterface::InitializeSV203() {
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = OpenPortWith(i, kSV203Ftn);
        if (fd >= 0) WriteString(fd, kSV203InitializeCommand);
    }
}

// Only the first open mount port ever gets the commands: it makes the axis busy
// before the next one is reached.
void SerialInterface::SendAutoGuideCorrection(CompassDirection d) {
    if (!IsDirection(d)) return;
    bool& busy = IsNorthSouth(d) ? guidingNS : guidingEW;
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = OpenPortWith(i, kAutoGuideFtn);
        if (fd < 0 || busy) continue;
        WriteString(fd, kGuideRateCommand);
        WriteString(fd, kCommands[d].move);
        CreateFutureMessage(fd, static_cast<long>(TickCount()) + kCorrectionTicks, kCommands[d].stop);
        busy = true;
    }
}

// A key held while a correction pulse of the same axis runs sends nothing new; it
// cancels the pulse's pending stop, so the axis moves until the key comes up.
void SerialInterface::SendIndefiniteGuide(CompassDirection d) {
    if (!IsDirection(d)) return;
    bool northSouth = IsNorthSouth(d);
    bool& busy = northSouth ? guidingNS : guidingEW;
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = OpenPortWith(i, kAutoGuideFtn);
        if (fd < 0 || busy) continue;
        WriteString(fd, kGuideRateCommand);
        WriteString(fd, kCommands[d].move);
        if (northSouth)
            DrawNSState(true, d == kNorth);
        else
            DrawEWState(true, d == kEast);
        busy = true;
    }
    std::erase_if(futureMessages, [northSouth](const FutureMessage& m) {
        return northSouth ? IsNorthSouthStop(m.GetText()) : IsEastWestStop(m.GetText());
    });
}

void SerialInterface::KillIndefiniteGuide(CompassDirection d) {
    if (!IsDirection(d)) return;
    bool northSouth = IsNorthSouth(d);
    bool& busy = northSouth ? guidingNS : guidingEW;
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = OpenPortWith(i, kAutoGuideFtn);
        if (fd < 0 || !busy) continue;
        WriteString(fd, kCommands[d].stop);
        if (northSouth)
            DrawNSState(false, true);
        else
            DrawEWState(false, true);
        busy = false;
    }
}

void SerialInterface::CreateFutureMessage(int fd, long dueTick, const char* text) {
    futureMessages.emplace_back(fd, dueTick, text);
}

// Messages go out in queue order: a message that is not yet due holds back every
// later one (all are created 5 ticks ahead, so queue order is due order).
void SerialInterface::ProcessFutureMessages(bool flush) {
    uint32_t now = TickCount();
    while (!futureMessages.empty()) {
        const FutureMessage& first = futureMessages.front();
        if (!flush && !first.IsDue(now)) return;
        WriteString(first.GetPortDescriptor(), first.GetText());
        if (IsNorthSouthStop(first.GetText())) {
            DrawNSState(false, true);
            guidingNS = false;
        } else if (IsEastWestStop(first.GetText())) {
            DrawEWState(false, true);
            guidingEW = false;
        }
        futureMessages.pop_front();
    }
}
