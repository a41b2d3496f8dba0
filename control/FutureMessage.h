// A text waiting to be written to a port at a later tick: the stop command that ends
// a guiding pulse.
#pragma once

#include <cstdint>
#include <string>

class FutureMessage {
public:
    // The longest text kept; a longer one is cut.
    static constexpr size_t kMaxTextLength = 1023;

    FutureMessage(int fd, long dueTick, const char* text);

    int GetPortDescriptor() const { return portDescriptor; }
    int32_t GetDueTick() const { return dueTick; }
    const char* GetText() const { return text.c_str(); }
    // Due when the tick count has reached the due tick.
    bool IsDue(uint32_t now) const;

private:
    int portDescriptor;
    int32_t dueTick;
    std::string text;
};
