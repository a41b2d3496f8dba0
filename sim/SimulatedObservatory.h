// The simulated mount and SV203 board of a run without hardware: it owns both,
// steps them on the program's clock, and offers their ports to the port list under
// labels that tell them apart.
#pragma once

#include <string>
#include <vector>

#include "platform/services/SerialPortDiscovery.h"
#include "sim/SimulatedMount.h"
#include "sim/SimulatedSV203.h"

class SimulatedObservatory {
public:
    static constexpr const char* kMountLabel = "simulated mount";
    static constexpr const char* kBoardLabel = "simulated SV203";

    // The mount drifts slowly and has a periodic error, so that guiding has work.
    static MountSettings DefaultMountSettings();

    explicit SimulatedObservatory(const MountSettings& mountSettings = DefaultMountSettings());

    // Steps every device: call once per idle pass.
    void Step();

    // The devices' ports with their labels; a device whose pseudo terminal could not
    // be made is left out.
    std::vector<SerialPortEntry> Ports() const;
    // Adds Ports() to a discovery's given ports.
    void RegisterPorts(SerialPortDiscovery& discovery) const;
    // Why a device could not be made, one line each; empty when both work.
    std::vector<std::string> Problems() const;

    SimulatedMount& Mount() { return mount_; }
    SimulatedSV203& Board() { return board_; }

private:
    SimulatedMount mount_;
    SimulatedSV203 board_;
};
