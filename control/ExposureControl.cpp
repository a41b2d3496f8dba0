// The long-exposure webcam's two switches, on every port that carries them, and the
// video phase that places the SV203 exposure commands within the video frame period.
//
// By port function:                exposure on    exposure off   amp off      amp on
//   kExposureDTRFtn                set to DTR     set to 0
//   kExposureDTRInvertedFtn        set to 0       set to DTR
//   kAmpDTRFtn                                                   set to DTR   set to 0
//   kAmpDTRInvertedFtn                                           set to 0     set to DTR
//   kExposureDTRAmpRTSFtn          raise DTR      drop DTR       raise RTS    drop RTS
//   kExposureDTRAmpRTSInvertedFtn  drop DTR       raise DTR      drop RTS     raise RTS
//   kSV203Ftn                      "PC8\r"        "PS8\r"        "PC1\r"      "PS1\r"
// "Set to" writes the whole word, so RTS is held dropped with it; "raise" and "drop"
// change one line and leave the other. Only the SV203 exposure commands wait for the
// video phase.
#include "app/DataWindow.h"
#include "control/SerialInterface.h"
#include "platform/Events.h"

void SerialInterface::IncreaseVideoPhase() {
    videoPhase += kVideoPhaseStep;
    if (videoPhase > kMaxVideoPhase) videoPhase = 0;
}

void SerialInterface::DecreaseVideoPhase() {
    videoPhase -= kVideoPhaseStep;
    if (videoPhase < 0) videoPhase = kMaxVideoPhase;
}

void SerialInterface::TurnExposureOn() {
    if (exposureOn) return;
    if (SwitchExposure(true)) {
        exposureOn = true;
        if (dataWindow) dataWindow->DrawLongExposureState(true);
    }
}

void SerialInterface::TurnExposureOff(bool force) {
    if (!force && !exposureOn) return;
    if (SwitchExposure(false)) {
        exposureOn = false;
        if (dataWindow) dataWindow->DrawLongExposureState(false);
    }
}

void SerialInterface::TurnAmpOff() {
    if (ampOff) return;
    if (SwitchAmplifier(true)) {
        ampOff = true;
        if (dataWindow) dataWindow->DrawAmpStateState(true);
    }
}

void SerialInterface::TurnAmpOn(bool force) {
    if (!force && !ampOff) return;
    if (SwitchAmplifier(false)) {
        ampOff = false;
        if (dataWindow) dataWindow->DrawAmpStateState(false);
    }
}

bool SerialInterface::SwitchExposure(bool exposing) {
    bool acted = false;
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = GetPortDescriptor(static_cast<int>(i));
        if (fd < 0) continue;
        switch (portFunctions[i]) {
            case kExposureDTRFtn:
                SetModemLines(fd, exposing ? kModemLineDTR : 0);
                break;
            case kExposureDTRInvertedFtn:
                SetModemLines(fd, exposing ? 0 : kModemLineDTR);
                break;
            case kExposureDTRAmpRTSFtn:
                ChangeModemLine(fd, kModemLineDTR, exposing);
                break;
            case kExposureDTRAmpRTSInvertedFtn:
                ChangeModemLine(fd, kModemLineDTR, !exposing);
                break;
            case kSV203Ftn:
                WaitForVideoPhase();
                WriteString(fd, exposing ? "PC8\r" : "PS8\r");
                break;
            default:
                continue;
        }
        acted = true;
    }
    return acted;
}

bool SerialInterface::SwitchAmplifier(bool off) {
    bool acted = false;
    for (size_t i = 0; i < portFunctions.size(); ++i) {
        int fd = GetPortDescriptor(static_cast<int>(i));
        if (fd < 0) continue;
        switch (portFunctions[i]) {
            case kAmpDTRFtn:
                SetModemLines(fd, off ? kModemLineDTR : 0);
                break;
            case kAmpDTRInvertedFtn:
                SetModemLines(fd, off ? 0 : kModemLineDTR);
                break;
            case kExposureDTRAmpRTSFtn:
                ChangeModemLine(fd, kModemLineRTS, off);
                break;
            case kExposureDTRAmpRTSInvertedFtn:
                ChangeModemLine(fd, kModemLineRTS, !off);
                break;
            case kSV203Ftn:
                WriteString(fd, off ? "PC1\r" : "PS1\r");
                break;
            default:
                continue;
        }
        acted = true;
    }
    return acted;
}

void SerialInterface::SetModemLines(int fd, int word) { CurrentSerialDevice().SetModemLines(fd, word); }

// Raises (asserted) or drops one line and leaves the others as they are. When the
// present word cannot be read nothing is written: writing a guess could move the
// other line. The port still counts as acted on.
void SerialInterface::ChangeModemLine(int fd, int line, bool asserted) {
    int word = 0;
    if (!CurrentSerialDevice().GetModemLines(fd, word)) return;
    CurrentSerialDevice().SetModemLines(fd, asserted ? (word | line) : (word & ~line));
}

// The phase is the microsecond count modulo the video period. A reading smaller than
// the one before means a new period has begun; from there the wait runs until the
// phase reaches videoPhase. Between a fraction of a period and two periods pass.
void SerialInterface::WaitForVideoPhase() {
    auto phaseNow = [] { return static_cast<uint32_t>(MicrosecondsNow() % kVideoPeriodMicros); };
    uint32_t previous = phaseNow();
    for (uint32_t phase = phaseNow(); phase >= previous; phase = phaseNow()) previous = phase;
    while (phaseNow() < static_cast<uint32_t>(videoPhase)) {
    }
}
