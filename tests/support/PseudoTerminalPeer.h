// Both ends of a serial line in tests: ProgramEnd opens a port path the way the
// program does (raw, 9600 baud) and writes to it; DrainTerminal collects what the
// device end of a pseudo terminal has received.
#pragma once

#include <string>

#include "sim/PseudoTerminal.h"

class ProgramEnd {
public:
    explicit ProgramEnd(const std::string& path);
    ~ProgramEnd();
    ProgramEnd(const ProgramEnd&) = delete;
    ProgramEnd& operator=(const ProgramEnd&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    // Writes all of text; false when the line did not take it.
    bool Send(const std::string& text);
    void Close();

private:
    int fd_ = -1;
};

// Everything the device end has received, waiting until nothing more comes for
// quietMillis. The terminal driver hands over what was written before a read or a
// poll returns, so bytes written before the call are never missed even with 0.
std::string DrainTerminal(PseudoTerminal& terminal, int quietMillis = 0);
