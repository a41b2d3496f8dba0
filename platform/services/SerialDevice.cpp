#include "platform/services/SerialDevice.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

static_assert(kModemLineDTR == TIOCM_DTR && kModemLineRTS == TIOCM_RTS && kModemLineCTS == TIOCM_CTS &&
                  kModemLineDSR == TIOCM_DSR,
              "modem-line bits must be the driver's");
static_assert(sizeof(termios) <= sizeof(TerminalSettings::bytes), "termios must fit the opaque record");

namespace {

// The record holds a termios as bytes; copies in and out keep the types apart.
termios Load(const TerminalSettings& s) {
    termios t;
    std::memcpy(&t, s.bytes, sizeof t);
    return t;
}

void Store(TerminalSettings& s, const termios& t) { std::memcpy(s.bytes, &t, sizeof t); }

speed_t SpeedCode(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

int BaudOf(speed_t code) {
    for (int baud : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        if (SpeedCode(baud) == code) return baud;
    return 0;
}

}  // namespace

bool MakeRawSettings(TerminalSettings& settings, int baud, int minBytes, int timeoutTenths) {
    speed_t speed = SpeedCode(baud);
    if (speed == B0) return false;
    termios t = Load(settings);
    cfmakeraw(&t);
    t.c_cc[VMIN] = static_cast<cc_t>(minBytes);
    t.c_cc[VTIME] = static_cast<cc_t>(timeoutTenths);
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag |= CS8;
    Store(settings, t);
    return true;
}

int SettingsInputSpeed(const TerminalSettings& settings) {
    termios t = Load(settings);
    return BaudOf(cfgetispeed(&t));
}

int SettingsOutputSpeed(const TerminalSettings& settings) {
    termios t = Load(settings);
    return BaudOf(cfgetospeed(&t));
}

bool SettingsAreRaw(const TerminalSettings& settings) {
    termios t = Load(settings);
    return (t.c_lflag & (ECHO | ICANON | ISIG | IEXTEN)) == 0 && (t.c_oflag & OPOST) == 0 &&
           (t.c_iflag & (ICRNL | INLCR | IGNCR | IXON)) == 0;
}

int SettingsDataBits(const TerminalSettings& settings) {
    switch (Load(settings).c_cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

bool SettingsEqual(const TerminalSettings& a, const TerminalSettings& b) {
    termios x = Load(a);
    termios y = Load(b);
    return x.c_iflag == y.c_iflag && x.c_oflag == y.c_oflag && x.c_cflag == y.c_cflag &&
           x.c_lflag == y.c_lflag && std::memcmp(x.c_cc, y.c_cc, sizeof x.c_cc) == 0 &&
           cfgetispeed(&x) == cfgetispeed(&y) && cfgetospeed(&x) == cfgetospeed(&y);
}

int PosixSerialDevice::Open(const char* path) { return open(path, O_RDWR | O_NONBLOCK | O_NOCTTY); }

bool PosixSerialDevice::SetExclusive(int fd) { return ioctl(fd, TIOCEXCL) == 0; }

bool PosixSerialDevice::ClearExclusive(int fd) { return ioctl(fd, TIOCNXCL) == 0; }

bool PosixSerialDevice::GetSettings(int fd, TerminalSettings& settings) {
    termios t;
    if (tcgetattr(fd, &t) != 0) return false;
    Store(settings, t);
    return true;
}

bool PosixSerialDevice::SetSettings(int fd, const TerminalSettings& settings) {
    termios t = Load(settings);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

bool PosixSerialDevice::GetModemLines(int fd, int& word) { return ioctl(fd, TIOCMGET, &word) == 0; }

bool PosixSerialDevice::SetModemLines(int fd, int word) { return ioctl(fd, TIOCMSET, &word) == 0; }

long PosixSerialDevice::Write(int fd, const void* bytes, size_t count) { return write(fd, bytes, count); }

bool PosixSerialDevice::Close(int fd) { return close(fd) == 0; }

namespace {
PosixSerialDevice gPosixSerialDevice;
SerialDevice* gSubstitute = nullptr;
}  // namespace

SerialDevice& CurrentSerialDevice() { return gSubstitute ? *gSubstitute : gPosixSerialDevice; }

SerialDevice* UseSerialDevice(SerialDevice* device) {
    SerialDevice* previous = gSubstitute;
    gSubstitute = device;
    return previous;
}
