// The one object through which the program talks to hardware outside the computer:
// a telescope mount that takes text guiding commands, an SV203 servo/I-O board that
// takes text pin commands, and a long-exposure webcam's exposure and amplifier
// switches wired to the DTR and RTS lines of a port. The observer gives each port a
// function in the port dialog; every operation walks the ports in order and acts on
// those whose function matches. Until the port dialog is first confirmed no port is
// open and every operation does nothing.
//
// The members are spread over files by topic: SerialInterface.cpp (ports: listing,
// opening, closing, writing), PortDialog.cpp (the port dialog), GuidingCommands.cpp
// (mount commands and the queue of timed messages), ExposureControl.cpp (exposure and
// amplifier switches, the video phase).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "control/FutureMessage.h"
#include "platform/services/SerialDevice.h"
#include "platform/services/SerialPortDiscovery.h"

class DataWindow;

class SerialInterface {
public:
    // What a port is used for. A value is the number of the item chosen in the port's
    // popup in the port dialog; 2, 4, 9 and 12 are dividers of that popup, and a port
    // set to one of them is opened but never addressed.
    enum SerialPortFtn : int32_t {
        kNoFtn = 1,                          // nothing; the port is not opened
        kAutoGuideFtn = 3,                   // mount guiding commands
        kExposureDTRFtn = 5,                 // exposure on DTR, asserted while exposing
        kExposureDTRInvertedFtn = 6,         // exposure on DTR, dropped while exposing
        kAmpDTRFtn = 7,                      // amplifier on DTR, asserted while off
        kAmpDTRInvertedFtn = 8,              // amplifier on DTR, dropped while off
        kExposureDTRAmpRTSFtn = 10,          // exposure on DTR, amplifier on RTS, asserted in the long-exposure state
        kExposureDTRAmpRTSInvertedFtn = 11,  // as 10, dropped in the long-exposure state
        kSV203Ftn = 13,                      // an SV203 board: exposure on pin 8, amplifier on pin 1
    };

    enum CompassDirection : int32_t { kNorth = 0, kEast = 1, kSouth = 2, kWest = 3 };

    static constexpr int kMaxPorts = 8;
    static constexpr long kPathBufferSize = 1024;
    static constexpr int16_t kPortDialogId = 132;
    // Ticks from a guiding correction's move command to its stop command.
    static constexpr int kCorrectionTicks = 5;
    // Microseconds of one video frame (29.97 frames a second), and the video phase's
    // step and largest value.
    static constexpr uint32_t kVideoPeriodMicros = 33367;
    static constexpr int kVideoPhaseStep = 250;
    static constexpr int kMaxVideoPhase = 33250;

    // dataWindow: where guiding, exposure and amplifier states are shown (not owned).
    explicit SerialInterface(DataWindow* dataWindow);
    // Sends every queued message at once, then restores and closes every port.
    ~SerialInterface();
    SerialInterface(const SerialInterface&) = delete;
    SerialInterface& operator=(const SerialInterface&) = delete;

    // --- Ports ---------------------------------------------------------------------

    // The port dialog: closes everything, lists the ports afresh, lets the observer
    // give each a function, and on OK opens the ones in use and brings the camera's
    // switches to their resting state.
    void Configure();
    // The first part of the port dialog's work: sends what is queued, closes every
    // port, lists the ports and fits the function list to them. Returns the number
    // of ports listed.
    int BeginPortConfiguration();
    // The last part: chosen holds one popup value per listed port (OK), or is null
    // (Cancel). Opens the chosen ports, forgets the paths, and after OK with at least
    // one port listed brings the hardware to its resting state.
    void FinishPortConfiguration(const std::vector<int32_t>* chosen);

    // Takes a snapshot of the serial ports the discovery lists (at most kMaxPorts).
    // matched: whether the request for RS-232-style ports could be made. 0 on success.
    int FindRS232Ports(std::vector<SerialPortEntry>* services, bool& matched);
    // Fills the port paths from a snapshot, each cut to bufferSize - 1 characters;
    // 0 when at least one path was read, else 5.
    int GetPortPaths(const std::vector<SerialPortEntry>& services, long bufferSize);
    // Opens path exclusively in raw 9600-baud 8-bit mode with DTR and RTS asserted,
    // and records its descriptor and former settings as port which's. False, with the
    // device closed again, when any step fails.
    bool OpenPort(const char* path, int which);
    // which: -1, every port. Restores each open port's settings, gives up exclusive
    // use and closes it; discards every queued message unsent.
    void Close(int which);
    // Writes the text's bytes in one write; the result is not looked at.
    void WriteString(int fd, const char* text);
    // True when no listed port carries the mount.
    bool NoAutoGuideSerialPort();

    // --- Guiding commands ------------------------------------------------------------

    // Writes "BD0 SV1 M0 PS1 SV8 M0 PS8\r" to every SV203 port: both pins set, the
    // exposure off and the amplifier on.
    void InitializeSV203();
    // A pulse: the move now, the stop queued kCorrectionTicks ahead; nothing when the
    // axis is already moving.
    void SendAutoGuideCorrection(CompassDirection direction);
    // A move that lasts until KillIndefiniteGuide (arrow key down); cancels the queued
    // stops of the axis.
    void SendIndefiniteGuide(CompassDirection direction);
    // Stops a move of the axis (arrow key up); nothing when the axis is idle.
    void KillIndefiniteGuide(CompassDirection direction);
    void CreateFutureMessage(int fd, long dueTick, const char* text);
    // Sends the queued messages that are due, in order; with flush, all of them.
    void ProcessFutureMessages(bool flush);

    // --- Exposure control --------------------------------------------------------------

    bool GetExposureOn() const { return exposureOn; }
    bool GetAmpOff() const { return ampOff; }
    int GetVideoPhase() const { return videoPhase; }
    void IncreaseVideoPhase();
    void DecreaseVideoPhase();
    void TurnExposureOn();
    // force: act even when the exposure is not on.
    void TurnExposureOff(bool force);
    void TurnAmpOff();
    // force: act even when the amplifier is not off.
    void TurnAmpOn(bool force);
    // Spins on the microsecond clock until the next video period has begun and then
    // until videoPhase microseconds of it have passed.
    void WaitForVideoPhase();

    // --- Observation ---------------------------------------------------------------------

    const std::vector<SerialPortFtn>& GetPortFunctions() const { return portFunctions; }
    // -1 for a port that is not open (or was never opened).
    int GetPortDescriptor(int port) const;
    const std::vector<std::string>& GetPortPathList() const { return portPaths; }
    const std::vector<std::string>& GetPortLabelList() const { return portLabels; }
    const std::deque<FutureMessage>& GetFutureMessages() const { return futureMessages; }
    bool GetGuidingNS() const { return guidingNS; }
    bool GetGuidingEW() const { return guidingEW; }

private:
    // The descriptor of port i when it is open and carries function, else -1.
    int OpenPortWith(size_t i, SerialPortFtn function) const;
    void FitFunctionsToPorts(size_t count);
    void OpenChosenPorts(const std::vector<int32_t>& chosen);
    void FreePortPaths();
    // The text shown beside port i's popup: its path, and its label when it has one.
    std::string PortDisplayText(size_t i) const;
    void DrawPortPaths(size_t count);

    // One pass over the ports for a switch; true when some port carried it.
    bool SwitchExposure(bool exposing);
    bool SwitchAmplifier(bool off);
    void SetModemLines(int fd, int word);
    void ChangeModemLine(int fd, int line, bool asserted);

    void DrawNSState(bool active, bool north);
    void DrawEWState(bool active, bool east);

    DataWindow* dataWindow;
    std::vector<std::string> portPaths;
    std::vector<int32_t> portDescriptors;
    std::vector<TerminalSettings> savedSettings;
    std::vector<SerialPortFtn> portFunctions;
    std::deque<FutureMessage> futureMessages;
    bool exposureOn = false;
    bool ampOff = false;
    bool guidingNS = false;
    bool guidingEW = false;
    int32_t videoPhase = 0;
    // Beside each path, what the port is when discovery knows it (simulated devices).
    std::vector<std::string> portLabels;
};
