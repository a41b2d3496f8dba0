#include "sim/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

PseudoTerminal::PseudoTerminal() {
    device_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (device_ < 0) {
        Fail("posix_openpt");
        return;
    }
    char name[256];
    int flags = -1;
    if (grantpt(device_) != 0) {
        Fail("grantpt");
    } else if (unlockpt(device_) != 0) {
        Fail("unlockpt");
    } else if (ptsname_r(device_, name, sizeof name) != 0) {
        Fail("ptsname");
    } else if ((flags = fcntl(device_, F_GETFL)) < 0 || fcntl(device_, F_SETFL, flags | O_NONBLOCK) != 0) {
        Fail("fcntl");
    } else {
        portPath_ = name;
    }
}

PseudoTerminal::~PseudoTerminal() {
    if (device_ >= 0) close(device_);
}

void PseudoTerminal::Fail(const char* what) {
    error_ = std::string(what) + ": " + std::strerror(errno);
    if (device_ >= 0) close(device_);
    device_ = -1;
    portPath_.clear();
}

std::string PseudoTerminal::ReadAvailable() {
    std::string bytes;
    if (device_ < 0) return bytes;
    char buffer[512];
    for (;;) {
        ssize_t n = read(device_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, static_cast<size_t>(n));
            continue;
        }
        // EAGAIN: nothing more for now. EIO: the program's end is not open.
        if (n < 0 && errno == EINTR) continue;
        return bytes;
    }
}

bool PseudoTerminal::WaitReadable(int timeoutMillis) {
    if (device_ < 0) return false;
    pollfd p{device_, POLLIN, 0};
    int n = poll(&p, 1, timeoutMillis);
    return n > 0 && (p.revents & POLLIN) != 0;
}
