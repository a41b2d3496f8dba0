#include "tests/support/PseudoTerminalPeer.h"

#include "platform/services/SerialDevice.h"

ProgramEnd::ProgramEnd(const std::string& path) {
    PosixSerialDevice device;
    fd_ = device.Open(path.c_str());
    if (fd_ < 0) return;
    TerminalSettings settings;
    if (!device.GetSettings(fd_, settings) || !MakeRawSettings(settings, 9600, 1, 10) ||
        !device.SetSettings(fd_, settings))
        Close();
}

ProgramEnd::~ProgramEnd() { Close(); }

bool ProgramEnd::Send(const std::string& text) {
    if (fd_ < 0) return false;
    PosixSerialDevice device;
    return device.Write(fd_, text.data(), text.size()) == static_cast<long>(text.size());
}

void ProgramEnd::Close() {
    if (fd_ < 0) return;
    PosixSerialDevice().Close(fd_);
    fd_ = -1;
}

std::string DrainTerminal(PseudoTerminal& terminal, int quietMillis) {
    std::string bytes = terminal.ReadAvailable();
    while (terminal.WaitReadable(quietMillis)) bytes += terminal.ReadAvailable();
    return bytes;
}
