#include "control/FutureMessage.h"

#include <cstring>

FutureMessage::FutureMessage(int fd, long dueTick, const char* message)
    : portDescriptor(fd),
      dueTick(static_cast<int32_t>(dueTick)),
      text(message, strnlen(message, kMaxTextLength)) {}

// The difference is taken as a signed 32-bit number so that a due tick just past the
// counter's wrap still counts as later.
bool FutureMessage::IsDue(uint32_t now) const {
    return static_cast<int32_t>(static_cast<uint32_t>(dueTick) - now) <= 0;
}
