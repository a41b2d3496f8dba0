// The device calls behind the serial ports: open, exclusive use, terminal settings,
// modem-control lines, write and close. Everything the program does to a serial port
// goes through the one SerialDevice in use, so that a test can put a recorder in
// place of the real calls (pseudo terminals carry bytes but have no DTR or RTS).
#pragma once

#include <cstddef>
#include <cstdint>

// Modem-control line bits, the values of the terminal driver's words.
constexpr int kModemLineDTR = 0x002;
constexpr int kModemLineRTS = 0x004;
constexpr int kModemLineCTS = 0x020;
constexpr int kModemLineDSR = 0x100;

// A port's terminal settings as the driver keeps them. Opaque: only the device calls
// and the helpers below look inside.
struct TerminalSettings {
    unsigned char bytes[128] = {};
};

// Turns settings into raw mode (no echo, no line editing, no character translation),
// 8 data bits, the given speed in both directions, and a read that returns after
// minBytes bytes or timeoutTenths tenths of a second. False for a speed the driver
// does not know.
bool MakeRawSettings(TerminalSettings& settings, int baud, int minBytes, int timeoutTenths);

// Inspection of settings, for checks.
int SettingsInputSpeed(const TerminalSettings& settings);
int SettingsOutputSpeed(const TerminalSettings& settings);
bool SettingsAreRaw(const TerminalSettings& settings);          // no echo, no canonical input, no output processing
int SettingsDataBits(const TerminalSettings& settings);
bool SettingsEqual(const TerminalSettings& a, const TerminalSettings& b);

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens a terminal device for reading and writing without waiting for the carrier
    // and without making it the process's controlling terminal. The descriptor is
    // non-blocking. -1 on failure.
    virtual int Open(const char* path) = 0;
    // Exclusive use: no further open of the device succeeds while it is held.
    virtual bool SetExclusive(int fd) = 0;
    // Gives exclusive use up again.
    virtual bool ClearExclusive(int fd) = 0;
    virtual bool GetSettings(int fd, TerminalSettings& settings) = 0;
    // Applies settings at once.
    virtual bool SetSettings(int fd, const TerminalSettings& settings) = 0;
    // The modem-control word: kModemLine* bits.
    virtual bool GetModemLines(int fd, int& word) = 0;
    virtual bool SetModemLines(int fd, int word) = 0;
    // One write; the count taken by the driver, or -1.
    virtual long Write(int fd, const void* bytes, size_t count) = 0;
    virtual bool Close(int fd) = 0;
};

// The real calls of the operating system's terminal driver.
class PosixSerialDevice : public SerialDevice {
public:
    int Open(const char* path) override;
    bool SetExclusive(int fd) override;
    bool ClearExclusive(int fd) override;
    bool GetSettings(int fd, TerminalSettings& settings) override;
    bool SetSettings(int fd, const TerminalSettings& settings) override;
    bool GetModemLines(int fd, int& word) override;
    bool SetModemLines(int fd, int word) override;
    long Write(int fd, const void* bytes, size_t count) override;
    bool Close(int fd) override;
};

// The device in use: the operating system's unless another was put in its place.
SerialDevice& CurrentSerialDevice();
// Puts a device in place of the operating system's (not owned; it must outlive its
// use); null puts the operating system's back. Returns the one that was in use, or
// null when that was the operating system's.
SerialDevice* UseSerialDevice(SerialDevice* device);
