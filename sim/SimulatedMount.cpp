#include "sim/SimulatedMount.h"

#include <cmath>
#include <numbers>

#include "platform/Events.h"

namespace {

template <typename T>
void KeepLast(std::deque<T>& list, T item, size_t limit) {
    list.push_back(std::move(item));
    while (list.size() > limit) list.pop_front();
}

}  // namespace

SimulatedMount::SimulatedMount(const MountSettings& settings)
    : settings_(settings), startMicros_(MicrosecondsNow()), lastMicros_(startMicros_), rate_(settings.guideRate) {}

void SimulatedMount::Step() { Receive(terminal_.ReadAvailable()); }

void SimulatedMount::Receive(const std::string& bytes) {
    AdvanceTo(MicrosecondsNow());
    for (char c : bytes) TakeByte(c);
}

void SimulatedMount::AdvanceTo(uint64_t micros) {
    if (micros <= lastMicros_) return;
    double seconds = double(micros - lastMicros_) / 1e6;
    int north = int(movingNorth_) - int(movingSouth_);
    int east = int(movingEast_) - int(movingWest_);
    moved_.north += north * rate_ * seconds;
    moved_.east += east * rate_ * seconds;
    lastMicros_ = micros;
}

MountPosition SimulatedMount::Position() const {
    double t = double(lastMicros_ - startMicros_) / 1e6;
    MountPosition p = moved_;
    p.east += settings_.driftEast * t;
    p.north += settings_.driftNorth * t;
    if (settings_.periodicErrorPeriod > 0) {
        double turn = t / settings_.periodicErrorPeriod;
        p.east += settings_.periodicErrorAmplitude * std::sin(2 * std::numbers::pi * turn);
    }
    return p;
}

// Commands are ':' text '#'. Bytes outside a command other than '#' are stray and are
// reported together when the next command or separator begins; a command cut short
// by a new ':' or grown too long is reported and reading starts over, so the next
// good command is never lost.
void SimulatedMount::TakeByte(char c) {
    if (c == ':') {
        if (!pending_.empty()) ReportMalformed(pending_);
        pending_.assign(1, ':');
        inCommand_ = true;
        return;
    }
    if (c == '#') {
        if (inCommand_) {
            Execute(pending_.substr(1));
        } else if (!pending_.empty()) {
            ReportMalformed(pending_);
        }
        pending_.clear();
        inCommand_ = false;
        return;
    }
    pending_ += c;
    if (inCommand_ && pending_.size() > kLongestCommand) {
        ReportMalformed(pending_);
        pending_.clear();
        inCommand_ = false;
    } else if (!inCommand_ && pending_.size() > kLongestCommand) {
        // A long run of noise is reported in pieces rather than held back.
        ReportMalformed(pending_);
        pending_.clear();
    }
}

void SimulatedMount::Execute(const std::string& command) {
    bool known = true;
    if (command == "RG") rate_ = settings_.guideRate;
    else if (command == "RC") rate_ = settings_.centeringRate;
    else if (command == "RM") rate_ = settings_.findRate;
    else if (command == "RS") rate_ = settings_.slewRate;
    else if (command == "Mn") movingNorth_ = true;
    else if (command == "Ms") movingSouth_ = true;
    else if (command == "Me") movingEast_ = true;
    else if (command == "Mw") movingWest_ = true;
    else if (command == "Qn") movingNorth_ = false;
    else if (command == "Qs") movingSouth_ = false;
    else if (command == "Qe") movingEast_ = false;
    else if (command == "Qw") movingWest_ = false;
    else if (command == "Q") movingNorth_ = movingSouth_ = movingEast_ = movingWest_ = false;
    else known = false;
    if (known)
        KeepLast(commands_, command, kKeptCommands);
    else
        ReportMalformed(":" + command + "#");
}

void SimulatedMount::ReportMalformed(const std::string& bytes) {
    ++malformedCount_;
    KeepLast(malformed_, bytes, kKeptCommands);
}
