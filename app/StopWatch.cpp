#include "app/StopWatch.h"

#include "app/Alarm.h"
#include "platform/Events.h"

namespace {

// Ticks from start to now on the 32-bit counter: the unsigned difference is right
// across the counter's wrap, then read as a signed count.
int32_t TicksSince(int32_t start) {
    return static_cast<int32_t>(TickCount() - static_cast<uint32_t>(start));
}

}  // namespace

StopWatch::StopWatch() : running(false), startTick(0), elapsedTicks(0), seconds(0.0), alarm(new Alarm) {
    ResetStopWatch();
}

StopWatch::~StopWatch() { delete alarm; }

void StopWatch::StopWatchTicksToSeconds() { seconds = elapsedTicks / 60.0; }

bool StopWatch::UpdateStopWatch(bool& alarmFired) {
    if (!running) {
        alarmFired = false;
        return running;
    }
    elapsedTicks = TicksSince(startTick);
    StopWatchTicksToSeconds();
    alarmFired = alarm->TestTrigger(seconds);
    return running;
}

double StopWatch::UpdateAndGetStopWatchSeconds(bool& alarmFired) {
    UpdateStopWatch(alarmFired);
    return seconds;
}

void StopWatch::ResetStopWatch() {
    running = false;
    startTick = static_cast<int32_t>(TickCount());
    elapsedTicks = 0;
    seconds = 0.0;
    alarm->Reset();
}

void StopWatch::StartStopWatch() {
    ResetStopWatch();
    running = true;
    StopWatchTicksToSeconds();
    alarm->Reset();
}

void StopWatch::StopStopWatch() {
    running = false;
    StopWatchTicksToSeconds();
}

void StopWatch::SetAlarmTrigger(double t) { alarm->SetTrigger(t); }

bool StopWatch::GetStopWatchRunning() const { return running; }

double StopWatch::GetAlarmTrigger() const { return alarm->GetTrigger(); }
