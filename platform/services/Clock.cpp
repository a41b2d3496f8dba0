#include "platform/services/Clock.h"

#include <chrono>
#include <thread>

namespace {
uint64_t SteadyMicros() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

// Counts from the system's start, as the tick counter always has.
MonotonicClock::MonotonicClock() : start_(0) {}

uint64_t MonotonicClock::NowMicros() { return SteadyMicros() - start_; }

void MonotonicClock::SleepMicros(uint64_t micros) {
    std::this_thread::sleep_for(std::chrono::microseconds(micros));
}
