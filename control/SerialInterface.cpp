#include "control/SerialInterface.h"

#include <cstring>

#include "app/DataWindow.h"

namespace {

constexpr int kBaud = 9600;
// A read returns after one byte or a second; the program never reads, but the
// settings are those of a port ready for a device that answers.
constexpr int kReadMinBytes = 1;
constexpr int kReadTimeoutTenths = 10;

}  // namespace

SerialInterface::SerialInterface(DataWindow* window) : dataWindow(window) {}

SerialInterface::~SerialInterface() {
    ProcessFutureMessages(true);
    Close(-1);
}

// The discovery stands in for a registry of RS-232 services: a listing can always be
// requested, and it may be empty.
int SerialInterface::FindRS232Ports(std::vector<SerialPortEntry>* services, bool& matched) {
    *services = SerialPorts().ListPorts(kMaxPorts);
    matched = true;
    return 0;
}

int SerialInterface::GetPortPaths(const std::vector<SerialPortEntry>& services, long bufferSize) {
    for (const SerialPortEntry& service : services) {
        if (portPaths.size() >= static_cast<size_t>(kMaxPorts)) break;
        size_t longest = bufferSize > 0 ? static_cast<size_t>(bufferSize - 1) : 0;
        portPaths.push_back(service.path.substr(0, longest));
        portLabels.push_back(service.label);
    }
    return portPaths.empty() ? 5 : 0;
}

bool SerialInterface::OpenPort(const char* path, int which) {
    SerialDevice& device = CurrentSerialDevice();
    int fd = device.Open(path);
    if (fd < 0) return false;
    if (!device.SetExclusive(fd)) {
        device.Close(fd);
        return false;
    }
    TerminalSettings saved;
    TerminalSettings raw;
    bool configured = device.GetSettings(fd, saved);
    if (configured) {
        raw = saved;
        configured = MakeRawSettings(raw, kBaud, kReadMinBytes, kReadTimeoutTenths) && device.SetSettings(fd, raw);
    }
    if (!configured) {
        device.ClearExclusive(fd);
        device.Close(fd);
        return false;
    }
    // DTR and RTS asserted; the input bits of the word have no effect.
    device.SetModemLines(fd, kModemLineDTR | kModemLineRTS | kModemLineCTS | kModemLineDSR);
    size_t i = static_cast<size_t>(which);
    if (portDescriptors.size() <= i) portDescriptors.resize(i + 1, -1);
    if (savedSettings.size() <= i) savedSettings.resize(i + 1);
    portDescriptors[i] = fd;
    savedSettings[i] = saved;
    return true;
}

// Exclusive use is given up explicitly: a pseudo terminal keeps the flag while its
// other end stays open, which would lock the port against the next dialog.
void SerialInterface::Close(int) {
    SerialDevice& device = CurrentSerialDevice();
    for (size_t i = 0; i < portDescriptors.size(); ++i) {
        int fd = portDescriptors[i];
        if (fd < 0) continue;
        if (i < savedSettings.size()) device.SetSettings(fd, savedSettings[i]);
        device.ClearExclusive(fd);
        device.Close(fd);
    }
    portDescriptors.clear();
    savedSettings.clear();
    futureMessages.clear();
}

void SerialInterface::WriteString(int fd, const char* text) {
    CurrentSerialDevice().Write(fd, text, std::strlen(text));
}

bool SerialInterface::NoAutoGuideSerialPort() {
    for (SerialPortFtn f : portFunctions)
        if (f == kAutoGuideFtn) return false;
    return true;
}

int SerialInterface::GetPortDescriptor(int port) const {
    if (port < 0 || static_cast<size_t>(port) >= portDescriptors.size()) return -1;
    return portDescriptors[static_cast<size_t>(port)];
}

int SerialInterface::OpenPortWith(size_t i, SerialPortFtn function) const {
    if (i >= portFunctions.size() || portFunctions[i] != function) return -1;
    return GetPortDescriptor(static_cast<int>(i));
}

void SerialInterface::DrawNSState(bool active, bool north) {
    if (dataWindow) dataWindow->DrawAutoGuideNSState(active, north);
}

void SerialInterface::DrawEWState(bool active, bool east) {
    if (dataWindow) dataWindow->DrawAutoGuideEWState(active, east);
}
