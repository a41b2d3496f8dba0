// An SV203 servo and I/O board on a pseudo terminal. It takes command lines ended
// by a carriage return (a line feed also ends one): "BDn" selects board n (this board
// is board 0 and ignores what is meant for another), "SVn" selects output n, "Mn"
// moves the selected output to position n, "PSn" sets pin n and "PCn" clears it;
// commands follow each other with or without blanks ("BD0 SV1 M0 PS1").
//
// The camera's switches hang on two pins: pin 8 is the exposure switch (cleared while
// exposing) and pin 1 the amplifier (cleared while it is off). All pins start set, the
// resting state, so the camera behaves normally before the board is first set up.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "sim/PseudoTerminal.h"

class SimulatedSV203 {
public:
    static constexpr int kPins = 8;
    static constexpr int kExposurePin = 8;
    static constexpr int kAmplifierPin = 1;
    static constexpr size_t kLongestLine = 64;
    static constexpr size_t kKeptLines = 256;

    SimulatedSV203();

    bool IsOpen() const { return terminal_.IsOpen(); }
    const std::string& OpenError() const { return terminal_.Error(); }
    const std::string& PortPath() const { return terminal_.PortPath(); }
    PseudoTerminal& Terminal() { return terminal_; }

    // Reads and carries out every byte that has arrived, at the clock's present.
    void Step();
    // The same with bytes handed in directly.
    void Receive(const std::string& bytes);

    // Pins are numbered 1 to 8; a number outside reads as cleared.
    bool PinSet(int pin) const;
    // Clock time (microseconds) of the step that last changed the pin; 0 before any.
    uint64_t PinChangedAt(int pin) const;
    // The camera's view of the pins.
    bool ExposureOn() const { return !PinSet(kExposurePin); }
    bool AmplifierOff() const { return !PinSet(kAmplifierPin); }

    int SelectedOutput() const { return selectedOutput_; }
    // Output positions, by output number 1 to 8.
    int OutputPosition(int output) const;

    // Lines carried out in full, newest last, without their line ending.
    const std::deque<std::string>& Lines() const { return lines_; }
    // Lines with a command the board does not know: counted, and the last kKeptLines
    // kept. The commands before the bad one were carried out; the rest of the line is
    // passed over.
    long MalformedCount() const { return malformedCount_; }
    const std::deque<std::string>& MalformedLines() const { return malformed_; }

private:
    void TakeByte(char c, uint64_t now);
    // False at the first command the board does not know.
    bool ExecuteLine(const std::string& line, uint64_t now);
    bool ExecuteCommand(const std::string& name, int value, uint64_t now);
    void SetPin(int pin, bool set, uint64_t now);
    void ReportMalformed(const std::string& line);

    PseudoTerminal terminal_;
    std::array<bool, kPins> pins_{};
    std::array<uint64_t, kPins> pinChangedAt_{};
    std::array<int, kPins> positions_{};
    int selectedBoard_ = 0;
    int selectedOutput_ = 1;
    std::string line_;
    bool discardingLine_ = false;
    std::deque<std::string> lines_;
    std::deque<std::string> malformed_;
    long malformedCount_ = 0;
};
