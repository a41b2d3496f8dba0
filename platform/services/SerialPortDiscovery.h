// Finding the serial ports the observer may assign: the RS-232-style ports of this
// machine, and the paths named by hand (command line, the SCOPECAM_SERIAL_PORTS
// variable) or by simulated devices. Looked up afresh at every listing, so a USB
// adapter plugged in between two listings shows up in the second.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct SerialPortEntry {
    std::string path;   // the device path that is opened
    std::string label;  // what the port is, when known ("simulated mount"); may be empty
    friend bool operator==(const SerialPortEntry&, const SerialPortEntry&) = default;
};

class SerialPortDiscovery {
public:
    // The environment variable with further paths, colon-separated.
    static constexpr const char* kEnvironmentVariable = "SCOPECAM_SERIAL_PORTS";

    // Every port in listing order, at most limit: the given ports in the order they
    // were added, then the environment's paths, then this machine's own ports.
    // A path listed twice is kept at its first place.
    std::vector<SerialPortEntry> ListPorts(size_t limit) const;

    // The machine's ports alone, in a stable order: USB serial adapters (ttyUSB),
    // USB modems (ttyACM), on-board UARTs (ttyAMA), then the 16550-style ports
    // (ttyS) that have a UART behind them; each kind by number.
    std::vector<SerialPortEntry> ListMachinePorts() const;

    void AddGivenPort(const std::string& path, const std::string& label = "");
    void ClearGivenPorts() { given_.clear(); }
    const std::vector<SerialPortEntry>& GivenPorts() const { return given_; }

    // Where the machine's ports are looked for: the kernel's tty class folder and the
    // device folder. Tests point these at folders of their own.
    void SetSystemFolders(const std::string& sysClassTty, const std::string& devFolder);
    // Off: the machine's ports are not looked for at all.
    void SetScanMachine(bool scan) { scanMachine_ = scan; }

private:
    std::vector<SerialPortEntry> given_;
    std::string sysClassTty_ = "/sys/class/tty";
    std::string devFolder_ = "/dev";
    bool scanMachine_ = true;
};

// The discovery the program uses for its port lists.
SerialPortDiscovery& SerialPorts();

// Splits a colon-separated list of paths; empty pieces are dropped.
std::vector<std::string> SplitPathList(const std::string& text);
