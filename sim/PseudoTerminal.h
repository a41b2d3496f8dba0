// The device end of a pseudo terminal: a simulated device holds it, and the program
// opens the other end by its path as it would open a serial port.
#pragma once

#include <string>

class PseudoTerminal {
public:
    // Creates the pair; IsOpen tells whether that worked, Error why not.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool IsOpen() const { return device_ >= 0; }
    const std::string& Error() const { return error_; }
    // The path the program opens ("/dev/pts/N").
    const std::string& PortPath() const { return portPath_; }

    // Every byte the program has written and the device not yet read; never waits.
    std::string ReadAvailable();
    // Waits at most timeoutMillis for a byte to read; true when one is there.
    bool WaitReadable(int timeoutMillis);

private:
    void Fail(const char* what);

    int device_ = -1;
    std::string portPath_;
    std::string error_;
};
