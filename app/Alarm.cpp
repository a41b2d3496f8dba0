#include "app/Alarm.h"

#include "platform/Events.h"

Alarm::Alarm() : trigger(0.0), fired(false) {}

Alarm::~Alarm() {}

void Alarm::Reset() { fired = false; }

void Alarm::SetTrigger(double t) {
    trigger = t;
    Reset();
}

double Alarm::GetTrigger() const { return trigger; }

bool Alarm::TestTrigger(double x) {
    if (!fired && trigger > 0.0 && x >= trigger) {
        SysBeep(1);
        fired = true;
    }
    return fired;
}
