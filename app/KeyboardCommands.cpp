// The keyboard commands: manual guiding with the arrows, the guiding delays, a long
// exposure, the alarm time, the exposure and amplifier lines, the end cutoffs, the
// event pause and the video phase.
#include "app/MainObject.h"

namespace {

constexpr int kMaxEventPause = 12;

SerialInterface::CompassDirection ArrowDirection(char c) {
    switch (static_cast<unsigned char>(c)) {
        case kUpArrowCharCode:
            return SerialInterface::kNorth;
        case kRightArrowCharCode:
            return SerialInterface::kEast;
        case kDownArrowCharCode:
            return SerialInterface::kSouth;
        default:
            return SerialInterface::kWest;
    }
}

bool IsArrow(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= kLeftArrowCharCode && u <= kDownArrowCharCode;
}

}  // namespace

void MainObject::HandleKeyDown(char c, EventRecord event) {
    // Any key that reaches here ends a recording, and does nothing else.
    if (webcamInterface->GetRecordingMovie()) {
        webcamInterface->SaveMovie();
        return;
    }
    if (IsArrow(c)) {
        HandleArrowKeyDown(c, event);
        return;
    }
    switch (c) {
        case ' ':
            if (rawFrameProcessor->GetBatchSize() != 0)
                SysBeep(1);
            else
                rawFrameProcessor->BeginLongExposure(stopWatch);
            break;
        case ',':
            if (stopWatch->GetAlarmTrigger() > 0.0) stopWatch->SetAlarmTrigger(stopWatch->GetAlarmTrigger() - 0.2);
            break;
        case '.':
            stopWatch->SetAlarmTrigger(stopWatch->GetAlarmTrigger() + 0.2);
            break;
        case '<':
            if (stopWatch->GetAlarmTrigger() > 9.0) stopWatch->SetAlarmTrigger(stopWatch->GetAlarmTrigger() - 10.0);
            break;
        case '>':
            stopWatch->SetAlarmTrigger(stopWatch->GetAlarmTrigger() + 10.0);
            break;
        case '-':
            rawFrameProcessor->DecreaseEndCutoffs();
            break;
        case '=':
            rawFrameProcessor->IncreaseEndCutoffs();
            break;
        case '1':
            serialInterface->TurnExposureOn();
            break;
        case '2':
            serialInterface->TurnExposureOff(false);
            break;
        case '3':
            serialInterface->TurnAmpOn(false);
            break;
        case '4':
            serialInterface->TurnAmpOff();
            break;
        case '[':
            if (eventPause > 0)
                --eventPause;
            else
                SysBeep(1);
            break;
        case ']':
            if (eventPause < kMaxEventPause)
                ++eventPause;
            else
                SysBeep(1);
            break;
        case '{':
            serialInterface->DecreaseVideoPhase();
            break;
        case '}':
            serialInterface->IncreaseVideoPhase();
            break;
        default:
            break;
    }
}

// An arrow starts a manual move on its key-down only: the repeats of a held key are
// ignored, so one press sends one start. With shift it changes a guiding delay.
void MainObject::HandleArrowKeyDown(char c, const EventRecord& event) {
    if (event.what == autoKey) return;
    unsigned char u = static_cast<unsigned char>(c);
    if (event.modifiers & shiftKey) {
        if (u == kLeftArrowCharCode) autoGuider->DecreaseDelayEW(dataWindow);
        if (u == kRightArrowCharCode) autoGuider->IncreaseDelayEW(dataWindow);
        if (u == kUpArrowCharCode) autoGuider->IncreaseDelayNS(dataWindow);
        if (u == kDownArrowCharCode) autoGuider->DecreaseDelayNS(dataWindow);
        return;
    }
    const SerialInterface::CompassDirection direction = ArrowDirection(c);
    serialInterface->SendIndefiniteGuide(direction);
    manualMoveHeld[direction] = true;
}

// The release of an arrow stops the move of its direction, with or without shift and
// during a recording too.
void MainObject::HandleKeyUp(char c, EventRecord) {
    if (!IsArrow(c)) return;
    const SerialInterface::CompassDirection direction = ArrowDirection(c);
    serialInterface->KillIndefiniteGuide(direction);
    manualMoveHeld[direction] = false;
}

void MainObject::StopHeldManualMoves() {
    for (int d = SerialInterface::kNorth; d <= SerialInterface::kWest; ++d) {
        if (!manualMoveHeld[d]) continue;
        serialInterface->KillIndefiniteGuide(static_cast<SerialInterface::CompassDirection>(d));
        manualMoveHeld[d] = false;
    }
}
