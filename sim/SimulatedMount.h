// A telescope mount on a pseudo terminal. It takes the guiding commands byte for
// byte: rate select (":RG#" guide, ":RC#" centring, ":RM#" find, ":RS#" slew), move
// (":Mn#", ":Ms#", ":Me#", ":Mw#"), stop per direction (":Qn#" ... ":Qw#") and stop
// all (":Q#"). A '#' outside a command is a separator and is passed over, so
// "#:RG#" is a separator and a rate select.
//
// The pointing is kept as an offset in image pixels from where the run began, north
// and east positive. It moves at the selected rate while a move is on, drifts at a
// steady rate, and wanders east-west with the sine of the drive's periodic error.
// Stepped on the program's clock in the program's thread: each Step brings the
// motion up to the present and then carries out the commands that arrived.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "sim/PseudoTerminal.h"

struct MountSettings {
    // Rates in pixels per second.
    double guideRate = 7.5;
    double centeringRate = 60.0;
    double findRate = 240.0;
    double slewRate = 960.0;
    double driftEast = 0.0;
    double driftNorth = 0.0;
    // East-west periodic error: amplitude in pixels, period in seconds.
    double periodicErrorAmplitude = 0.0;
    double periodicErrorPeriod = 480.0;
};

struct MountPosition {
    double east = 0.0;
    double north = 0.0;
};

class SimulatedMount {
public:
    explicit SimulatedMount(const MountSettings& settings = MountSettings{});

    bool IsOpen() const { return terminal_.IsOpen(); }
    const std::string& OpenError() const { return terminal_.Error(); }
    const std::string& PortPath() const { return terminal_.PortPath(); }
    PseudoTerminal& Terminal() { return terminal_; }

    // Brings the motion up to the clock's present, then reads and carries out every
    // byte that has arrived.
    void Step();
    // The same with bytes handed in directly (the motion is brought to the present
    // first, as in Step).
    void Receive(const std::string& bytes);

    // The pointing at the last step: guide moves, drift and periodic error together.
    MountPosition Position() const;
    // The part of the pointing made by moves alone.
    MountPosition MovedBy() const { return moved_; }
    double CurrentRate() const { return rate_; }
    bool MovingNorth() const { return movingNorth_; }
    bool MovingSouth() const { return movingSouth_; }
    bool MovingEast() const { return movingEast_; }
    bool MovingWest() const { return movingWest_; }

    // The commands carried out, newest last, without their ':' and '#' ("RG", "Mn");
    // the last kKeptCommands only.
    const std::deque<std::string>& Commands() const { return commands_; }
    // Input that was not a command: every piece is counted; the last kKeptCommands
    // pieces are kept as they arrived.
    long MalformedCount() const { return malformedCount_; }
    const std::deque<std::string>& MalformedInput() const { return malformed_; }

    static constexpr size_t kKeptCommands = 256;
    // A command longer than this is not one of the mount's.
    static constexpr size_t kLongestCommand = 16;

private:
    void AdvanceTo(uint64_t micros);
    void TakeByte(char c);
    void Execute(const std::string& command);
    void ReportMalformed(const std::string& bytes);

    PseudoTerminal terminal_;
    MountSettings settings_;
    uint64_t startMicros_;
    uint64_t lastMicros_;
    MountPosition moved_;
    double rate_;
    bool movingNorth_ = false;
    bool movingSouth_ = false;
    bool movingEast_ = false;
    bool movingWest_ = false;

    bool inCommand_ = false;
    std::string pending_;  // the command being read, or stray bytes outside one
    std::deque<std::string> commands_;
    std::deque<std::string> malformed_;
    long malformedCount_ = 0;
};
