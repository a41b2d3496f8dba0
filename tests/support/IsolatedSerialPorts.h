// The serial port list of one test: the machine's ports and the port list the
// environment names are not looked at, so the list holds only the ports the test
// gives it. Everything is put back when the object goes.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/services/SerialPortDiscovery.h"

class IsolatedSerialPorts {
public:
    IsolatedSerialPorts() {
        if (const char* listed = std::getenv(SerialPortDiscovery::kEnvironmentVariable)) saved_ = listed;
        unsetenv(SerialPortDiscovery::kEnvironmentVariable);
        SerialPorts().ClearGivenPorts();
        SerialPorts().SetScanMachine(false);
    }
    ~IsolatedSerialPorts() {
        SerialPorts().ClearGivenPorts();
        SerialPorts().SetScanMachine(true);
        if (saved_)
            setenv(SerialPortDiscovery::kEnvironmentVariable, saved_->c_str(), 1);
        else
            unsetenv(SerialPortDiscovery::kEnvironmentVariable);
    }
    IsolatedSerialPorts(const IsolatedSerialPorts&) = delete;
    IsolatedSerialPorts& operator=(const IsolatedSerialPorts&) = delete;

private:
    std::optional<std::string> saved_;
};
