#include "sim/SimulatedSV203.h"

#include <cctype>

#include "platform/Events.h"

namespace {

template <typename T>
void KeepLast(std::deque<T>& list, T item, size_t limit) {
    list.push_back(std::move(item));
    while (list.size() > limit) list.pop_front();
}

bool ValidPin(int pin) { return pin >= 1 && pin <= SimulatedSV203::kPins; }

}  // namespace

SimulatedSV203::SimulatedSV203() { pins_.fill(true); }

void SimulatedSV203::Step() { Receive(terminal_.ReadAvailable()); }

void SimulatedSV203::Receive(const std::string& bytes) {
    if (bytes.empty()) return;
    uint64_t now = MicrosecondsNow();
    for (char c : bytes) TakeByte(c, now);
}

bool SimulatedSV203::PinSet(int pin) const { return ValidPin(pin) && pins_[pin - 1]; }

uint64_t SimulatedSV203::PinChangedAt(int pin) const { return ValidPin(pin) ? pinChangedAt_[pin - 1] : 0; }

int SimulatedSV203::OutputPosition(int output) const { return ValidPin(output) ? positions_[output - 1] : 0; }

// A line too long for the board's buffer is reported once and passed over up to its
// end, so the line after it is read whole.
void SimulatedSV203::TakeByte(char c, uint64_t now) {
    if (c == '\r' || c == '\n') {
        if (!discardingLine_ && !line_.empty()) {
            if (ExecuteLine(line_, now))
                KeepLast(lines_, line_, kKeptLines);
            else
                ReportMalformed(line_);
        }
        line_.clear();
        discardingLine_ = false;
        return;
    }
    if (discardingLine_) return;
    line_ += c;
    if (line_.size() > kLongestLine) {
        ReportMalformed(line_);
        line_.clear();
        discardingLine_ = true;
    }
}

// Commands are a name of letters and a decimal value: "PS1", "M0".
bool SimulatedSV203::ExecuteLine(const std::string& line, uint64_t now) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string name;
        while (i < line.size() && std::isalpha(static_cast<unsigned char>(line[i])))
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
        size_t digitsStart = i;
        int value = 0;
        while (i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])) && i - digitsStart < 6)
            value = value * 10 + (line[i++] - '0');
        if (name.empty() || i == digitsStart) return false;
        if (!ExecuteCommand(name, value, now)) return false;
    }
    return true;
}

bool SimulatedSV203::ExecuteCommand(const std::string& name, int value, uint64_t now) {
    if (name == "BD") {
        selectedBoard_ = value;
        return true;
    }
    bool forThisBoard = selectedBoard_ == 0;
    if (name == "SV") {
        if (!ValidPin(value)) return false;
        if (forThisBoard) selectedOutput_ = value;
    } else if (name == "M") {
        if (value > 255) return false;
        if (forThisBoard) positions_[selectedOutput_ - 1] = value;
    } else if (name == "PS" || name == "PC") {
        if (!ValidPin(value)) return false;
        if (forThisBoard) SetPin(value, name == "PS", now);
    } else {
        return false;
    }
    return true;
}

void SimulatedSV203::SetPin(int pin, bool set, uint64_t now) {
    if (pins_[pin - 1] == set) return;
    pins_[pin - 1] = set;
    pinChangedAt_[pin - 1] = now;
}

void SimulatedSV203::ReportMalformed(const std::string& line) {
    ++malformedCount_;
    KeepLast(malformed_, line, kKeptLines);
}
