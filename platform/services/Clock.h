// The clock service behind TickCount and Microseconds: the monotonic clock in normal
// runs, a virtual clock in tests.
#pragma once

#include <cstdint>

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since the clock started.
    virtual uint64_t NowMicros() = 0;
    // Lets time pass: sleeps on a real clock, advances a virtual one.
    virtual void SleepMicros(uint64_t micros) = 0;

    uint32_t Ticks() { return static_cast<uint32_t>(NowMicros() * 60 / 1000000); }
};

class MonotonicClock : public Clock {
public:
    MonotonicClock();
    uint64_t NowMicros() override;
    void SleepMicros(uint64_t micros) override;

private:
    uint64_t start_;
};

// Time moves only when told, plus a small step at every reading so that loops that
// spin on the clock always end.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(uint64_t startMicros = 0, uint64_t stepPerReadMicros = 10)
        : now_(startMicros), stepPerRead_(stepPerReadMicros) {}
    uint64_t NowMicros() override {
        uint64_t t = now_;
        now_ += stepPerRead_;
        return t;
    }
    void SleepMicros(uint64_t micros) override { now_ += micros; }

    void AdvanceMicros(uint64_t micros) { now_ += micros; }
    void AdvanceTicks(uint32_t ticks) { now_ += (uint64_t(ticks) * 1000000 + 59) / 60; }
    // Sets the time to the start of the given tick.
    void SetTicks(uint32_t ticks) { now_ = (uint64_t(ticks) * 1000000 + 59) / 60; }
    void SetMicros(uint64_t micros) { now_ = micros; }
    void SetStepPerRead(uint64_t micros) { stepPerRead_ = micros; }
    uint64_t PeekMicros() const { return now_; }

private:
    uint64_t now_;
    uint64_t stepPerRead_;
};
