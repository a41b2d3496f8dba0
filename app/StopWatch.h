// The stopwatch that times a long exposure, in ticks of the tick counter (60 a
// second), with its alarm. Time advances only when the stopwatch is updated: the data
// window does so with every processed frame, which is also when the alarm is tested.
#pragma once

#include <cstdint>

class Alarm;

class StopWatch {
public:
    StopWatch();
    ~StopWatch();
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

    void StopWatchTicksToSeconds();
    // While running: counts the ticks since the start and tests the alarm, whose state
    // goes to alarmFired. While not running: alarmFired is false and nothing changes.
    // Returns whether the stopwatch is running.
    bool UpdateStopWatch(bool& alarmFired);
    double UpdateAndGetStopWatchSeconds(bool& alarmFired);
    // Not running, time 0.0, alarm re-armed; the alarm time is kept.
    void ResetStopWatch();
    // Counts from 0.0 with the alarm re-armed.
    void StartStopWatch();
    // Stops counting; the time stays at its last update.
    void StopStopWatch();
    void SetAlarmTrigger(double t);
    bool GetStopWatchRunning() const;
    double GetAlarmTrigger() const;

private:
    bool running;
    int32_t startTick;
    int32_t elapsedTicks;
    double seconds;
    Alarm* alarm;
};
