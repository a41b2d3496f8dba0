#include "tests/support/RecordingSerialDevice.h"

#include "platform/Events.h"
#include "platform/Toolbox.h"
#include "platform/services/Clock.h"

RecordingSerialDevice::RecordingSerialDevice() : previous_(UseSerialDevice(this)) {}

RecordingSerialDevice::~RecordingSerialDevice() { UseSerialDevice(previous_); }

bool RecordingSerialDevice::Fails(int fd, Step step) const {
    auto it = pathOf_.find(fd);
    return it != pathOf_.end() && failures_.count({it->second, step}) != 0;
}

int RecordingSerialDevice::Open(const char* path) {
    if (failures_.count({path, Step::kOpen})) return -1;
    int fd = PosixSerialDevice::Open(path);
    if (fd >= 0) {
        pathOf_[fd] = path;
        lines_[fd] = 0;
    }
    return fd;
}

bool RecordingSerialDevice::SetExclusive(int fd) {
    return !Fails(fd, Step::kExclusive) && PosixSerialDevice::SetExclusive(fd);
}

bool RecordingSerialDevice::GetSettings(int fd, TerminalSettings& settings) {
    return !Fails(fd, Step::kGetSettings) && PosixSerialDevice::GetSettings(fd, settings);
}

bool RecordingSerialDevice::SetSettings(int fd, const TerminalSettings& settings) {
    return !Fails(fd, Step::kSetSettings) && PosixSerialDevice::SetSettings(fd, settings);
}

bool RecordingSerialDevice::GetModemLines(int fd, int& word) {
    if (failModemReads_) return false;
    word = Lines(fd);
    return true;
}

bool RecordingSerialDevice::SetModemLines(int fd, int word) {
    modemWrites_.push_back({fd, word});
    lines_[fd] = word;
    return true;
}

// The clock is read without moving it, so that recording does not change the timing
// of what is recorded.
long RecordingSerialDevice::Write(int fd, const void* bytes, size_t count) {
    auto* virtualClock = dynamic_cast<VirtualClock*>(CurrentClock());
    uint64_t now = virtualClock ? virtualClock->PeekMicros() : MicrosecondsNow();
    writes_.push_back({fd, std::string(static_cast<const char*>(bytes), count), now});
    return PosixSerialDevice::Write(fd, bytes, count);
}

bool RecordingSerialDevice::Close(int fd) {
    closed_.push_back(fd);
    pathOf_.erase(fd);
    lines_.erase(fd);
    return PosixSerialDevice::Close(fd);
}

int RecordingSerialDevice::Lines(int fd) const {
    auto it = lines_.find(fd);
    return it == lines_.end() ? 0 : it->second;
}

std::vector<int> RecordingSerialDevice::ModemWordsOf(int fd) const {
    std::vector<int> words;
    for (const ModemWrite& w : modemWrites_)
        if (w.fd == fd) words.push_back(w.word);
    return words;
}

void RecordingSerialDevice::ClearRecords() {
    modemWrites_.clear();
    writes_.clear();
    closed_.clear();
}
