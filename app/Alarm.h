// The stopwatch's alarm: a time in seconds that, once reached, beeps once and stays
// fired until it is re-armed.
#pragma once

class Alarm {
public:
    Alarm();
    ~Alarm();

    // Re-arms the alarm: the next time at or past the trigger beeps again.
    void Reset();
    // A trigger of 0.0 or below means no alarm. Setting it re-arms the alarm.
    void SetTrigger(double t);
    double GetTrigger() const;
    // Tests the elapsed time x against the trigger. The first x at or past the trigger
    // beeps once and latches; later calls return true without a beep until Reset.
    bool TestTrigger(double x);

private:
    double trigger;
    bool fired;
};
