// A virtual X display (Xvfb) of the test's own: started on a free display number,
// ready when Start returns, stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbDisplay {
public:
    XvfbDisplay() = default;
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    ~XvfbDisplay() { Stop(); }

    // Starts Xvfb with one screen of width x height at 24 bits on the first free
    // display number from :97 to :120 and waits (at most a few seconds) until it takes
    // clients. False with the reason in error.
    bool Start(int width, int height, std::string& error);
    void Stop();

    bool Running() const { return pid_ > 0; }
    std::string Name() const { return ":" + std::to_string(number_); }  // for DISPLAY

    static constexpr int kFirstNumber = 97;
    static constexpr int kLastNumber = 120;

private:
    bool TryNumber(int number, int width, int height, std::string& error);

    pid_t pid_ = -1;
    int number_ = -1;
};
