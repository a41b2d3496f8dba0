#include "platform/services/SerialPortDiscovery.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The kinds of machine port, in listing order.
constexpr const char* kPortKinds[] = {"ttyUSB", "ttyACM", "ttyAMA", "ttyS"};
constexpr int kPortKindCount = sizeof kPortKinds / sizeof kPortKinds[0];

struct MachinePort {
    int kind;
    int number;
    std::string name;
};

// "ttyUSB12" -> kind of ttyUSB, number 12; false for any other name.
bool ParsePortName(const std::string& name, MachinePort& port) {
    for (int k = 0; k < kPortKindCount; ++k) {
        std::string_view prefix = kPortKinds[k];
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const char* first = name.data() + prefix.size();
        const char* last = name.data() + name.size();
        int number = 0;
        auto [end, ec] = std::from_chars(first, last, number);
        if (ec != std::errc() || end != last) continue;
        port = {k, number, name};
        return true;
    }
    return false;
}

// The UART type the kernel reports for a 16550-style port; 0 means no UART there.
// The class folder's "type" file says it without opening the device; when that file
// cannot be read the device itself is asked.
int UartType(const fs::path& classEntry, const fs::path& devicePath) {
    std::ifstream typeFile(classEntry / "type");
    int type = -1;
    if (typeFile >> type) return type;
    int fd = open(devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return 0;
    serial_struct info{};
    int result = ioctl(fd, TIOCGSERIAL, &info);
    close(fd);
    return result == 0 ? info.type : 0;
}

// Placeholder 16550 entries (the kernel makes several whether or not a UART answers)
// have no device behind them or report no UART type.
bool HasHardware(const MachinePort& port, const fs::path& classEntry, const fs::path& devicePath) {
    if (std::string_view(kPortKinds[port.kind]) != "ttyS") return true;
    std::error_code ec;
    if (!fs::exists(classEntry / "device", ec)) return false;
    return UartType(classEntry, devicePath) != 0;
}

void AppendUnlisted(std::vector<SerialPortEntry>& list, const SerialPortEntry& entry, size_t limit) {
    if (list.size() >= limit || entry.path.empty()) return;
    for (const SerialPortEntry& e : list)
        if (e.path == entry.path) return;
    list.push_back(entry);
}

}  // namespace

std::vector<std::string> SplitPathList(const std::string& text) {
    std::vector<std::string> paths;
    size_t start = 0;
    while (start <= text.size()) {
        size_t colon = text.find(':', start);
        if (colon == std::string::npos) colon = text.size();
        if (colon > start) paths.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    return paths;
}

std::vector<SerialPortEntry> SerialPortDiscovery::ListMachinePorts() const {
    std::vector<MachinePort> found;
    std::error_code ec;
    for (fs::directory_iterator it(sysClassTty_, ec), end; !ec && it != end; it.increment(ec)) {
        MachinePort port;
        std::string name = it->path().filename().string();
        if (!ParsePortName(name, port)) continue;
        fs::path devicePath = fs::path(devFolder_) / name;
        std::error_code existsError;
        if (!fs::exists(devicePath, existsError)) continue;
        if (!HasHardware(port, it->path(), devicePath)) continue;
        found.push_back(port);
    }
    std::sort(found.begin(), found.end(), [](const MachinePort& a, const MachinePort& b) {
        return a.kind != b.kind ? a.kind < b.kind : a.number < b.number;
    });
    std::vector<SerialPortEntry> ports;
    for (const MachinePort& p : found) ports.push_back({(fs::path(devFolder_) / p.name).string(), ""});
    return ports;
}

std::vector<SerialPortEntry> SerialPortDiscovery::ListPorts(size_t limit) const {
    std::vector<SerialPortEntry> ports;
    for (const SerialPortEntry& e : given_) AppendUnlisted(ports, e, limit);
    if (const char* env = std::getenv(kEnvironmentVariable))
        for (const std::string& path : SplitPathList(env)) AppendUnlisted(ports, {path, ""}, limit);
    if (scanMachine_ && ports.size() < limit)
        for (const SerialPortEntry& e : ListMachinePorts()) AppendUnlisted(ports, e, limit);
    return ports;
}

void SerialPortDiscovery::AddGivenPort(const std::string& path, const std::string& label) {
    given_.push_back({path, label});
}

void SerialPortDiscovery::SetSystemFolders(const std::string& sysClassTty, const std::string& devFolder) {
    sysClassTty_ = sysClassTty;
    devFolder_ = devFolder;
}

SerialPortDiscovery& SerialPorts() {
    static SerialPortDiscovery discovery;
    return discovery;
}
