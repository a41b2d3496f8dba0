#include "app/PortAssignment.h"

#include <filesystem>
#include <system_error>

namespace {

// The same device under two names (a symbolic link in /dev/serial/by-id, say) counts
// as the same port.
bool SamePort(const std::string& listed, const std::string& wanted) {
    if (listed == wanted) return true;
    std::error_code listedError, wantedError;
    const auto a = std::filesystem::canonical(listed, listedError);
    const auto b = std::filesystem::canonical(wanted, wantedError);
    return !listedError && !wantedError && a == b;
}

}  // namespace

bool AssignMountPort(SerialInterface& serial, const std::string& path) {
    const int count = serial.BeginPortConfiguration();
    const std::vector<std::string> paths = serial.GetPortPathList();
    std::vector<int32_t> chosen(serial.GetPortFunctions().begin(), serial.GetPortFunctions().end());
    int mount = -1;
    for (int i = 0; i < count && mount < 0; ++i) {
        if (SamePort(paths[static_cast<size_t>(i)], path)) mount = i;
    }
    if (mount < 0) {
        // The ports open again as they were, as after a dialog confirmed unchanged.
        serial.FinishPortConfiguration(&chosen);
        return false;
    }
    chosen[static_cast<size_t>(mount)] = SerialInterface::kAutoGuideFtn;
    serial.FinishPortConfiguration(&chosen);
    return serial.GetPortDescriptor(mount) >= 0 &&
           serial.GetPortFunctions()[static_cast<size_t>(mount)] == SerialInterface::kAutoGuideFtn;
}
