// A serial device for tests: every call goes to the operating system's terminal
// driver, except the modem-control lines, which pseudo terminals do not have. Those
// are kept here per descriptor, and every word written is recorded. Writes are
// recorded with the clock time they were made at. Chosen steps can be made to fail.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/services/SerialDevice.h"

class RecordingSerialDevice : public PosixSerialDevice {
public:
    struct ModemWrite {
        int fd;
        int word;
    };
    struct WriteRecord {
        int fd;
        std::string bytes;
        uint64_t micros;  // the clock when the write was made
    };
    enum class Step { kOpen, kExclusive, kGetSettings, kSetSettings };

    // Installs itself as the device in use; the destructor puts the previous back.
    RecordingSerialDevice();
    ~RecordingSerialDevice() override;
    RecordingSerialDevice(const RecordingSerialDevice&) = delete;
    RecordingSerialDevice& operator=(const RecordingSerialDevice&) = delete;

    int Open(const char* path) override;
    bool SetExclusive(int fd) override;
    bool GetSettings(int fd, TerminalSettings& settings) override;
    bool SetSettings(int fd, const TerminalSettings& settings) override;
    bool GetModemLines(int fd, int& word) override;
    bool SetModemLines(int fd, int word) override;
    long Write(int fd, const void* bytes, size_t count) override;
    bool Close(int fd) override;

    // The word a descriptor's lines hold now (what was last set, or SetLines).
    int Lines(int fd) const;
    void SetLines(int fd, int word) { lines_[fd] = word; }
    const std::vector<ModemWrite>& ModemWrites() const { return modemWrites_; }
    // The words written to one descriptor, in order.
    std::vector<int> ModemWordsOf(int fd) const;
    const std::vector<WriteRecord>& Writes() const { return writes_; }
    void ClearRecords();

    // Makes a step fail for a path (the descriptor opened from it).
    void FailFor(const std::string& path, Step step) { failures_.insert({path, step}); }
    // Makes reading the modem lines fail for every descriptor.
    void FailModemReads(bool fail) { failModemReads_ = fail; }
    // The descriptors closed, in order.
    const std::vector<int>& ClosedDescriptors() const { return closed_; }

private:
    bool Fails(int fd, Step step) const;

    SerialDevice* previous_;
    std::map<int, int> lines_;
    std::map<int, std::string> pathOf_;
    std::set<std::pair<std::string, Step>> failures_;
    std::vector<ModemWrite> modemWrites_;
    std::vector<WriteRecord> writes_;
    std::vector<int> closed_;
    bool failModemReads_ = false;
};
