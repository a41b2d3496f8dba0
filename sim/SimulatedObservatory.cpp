#include "sim/SimulatedObservatory.h"

MountSettings SimulatedObservatory::DefaultMountSettings() {
    MountSettings s;
    s.driftEast = 0.08;
    s.driftNorth = -0.05;
    s.periodicErrorAmplitude = 3.0;
    s.periodicErrorPeriod = 480.0;
    return s;
}

SimulatedObservatory::SimulatedObservatory(const MountSettings& mountSettings) : mount_(mountSettings) {}

void SimulatedObservatory::Step() {
    mount_.Step();
    board_.Step();
}

std::vector<SerialPortEntry> SimulatedObservatory::Ports() const {
    std::vector<SerialPortEntry> ports;
    if (mount_.IsOpen()) ports.push_back({mount_.PortPath(), kMountLabel});
    if (board_.IsOpen()) ports.push_back({board_.PortPath(), kBoardLabel});
    return ports;
}

void SimulatedObservatory::RegisterPorts(SerialPortDiscovery& discovery) const {
    for (const SerialPortEntry& port : Ports()) discovery.AddGivenPort(port.path, port.label);
}

std::vector<std::string> SimulatedObservatory::Problems() const {
    std::vector<std::string> problems;
    if (!mount_.IsOpen()) problems.push_back(std::string(kMountLabel) + ": " + mount_.OpenError());
    if (!board_.IsOpen()) problems.push_back(std::string(kBoardLabel) + ": " + board_.OpenError());
    return problems;
}
