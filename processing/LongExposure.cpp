// Long exposures: recognising the frame that carries a long exposure by the maxima
// inside the detection rectangle, starting exposures, batches of them saved as
// pictures, and the end cutoffs with their calibration.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "app/DataWindow.h"
#include "app/StopWatch.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "platform/Dialogs.h"
#include "processing/FramePixels.h"
#include "processing/RawFrameProcessor.h"

namespace {

constexpr int16_t kBatchDialogId = 133;
constexpr int16_t kBatchStartItem = 1;
constexpr int16_t kBatchCancelItem = 2;
constexpr int16_t kBatchCountItem = 3;

// Ticks between switching the exposure on and the amplifier off, and from then to the
// start of the exposure time; and from the amplifier on to the exposure off.
constexpr uint32_t kTicksExposureToAmplifier = 2;
constexpr uint32_t kTicksAmplifierToStart = 5;
constexpr uint32_t kTicksAmplifierToExposureOff = 5;

// End cutoffs: the step of the keys and the range; calibration sets them this far
// above the brightest value seen, over this many frames.
constexpr int32_t kCutoffStep = 5;
constexpr int32_t kHighestCutoff = 256;
constexpr int32_t kLowestCutoff = -1;
constexpr int32_t kCalibrationMargin = 30;
constexpr int32_t kHighestCalibratedCutoff = 255;
constexpr int32_t kCalibrationFrameCount = 10;

// Spins on the tick counter; the difference is unsigned, so a wrap does no harm.
void WaitTicks(uint32_t ticks) {
    const uint32_t start = TickCount();
    while (TickCount() - start < ticks) {
    }
}

// A whole decimal number, blanks around it allowed, within 32 bits.
bool ReadWholeNumber(ConstStr255Param text, int32_t* value) {
    std::string_view s(reinterpret_cast<const char*>(text + 1), text[0]);
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    s = s.substr(first, s.find_last_not_of(" \t") - first + 1);
    if (s.front() == '+') s.remove_prefix(1);
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), *value);
    return !s.empty() && error == std::errc() && end == s.data() + s.size();
}

}  // namespace

void RawFrameProcessor::GetMaxValuesInsideAutoDetectLongExposureRect(unsigned char& maxRed,
                                                                     unsigned char& maxGreen,
                                                                     unsigned char& maxBlue) {
    const Rect r = autoDetectLongExposureRect;
    LockedFramePixels locked(*rawFrame);
    const FramePixels& pixels = locked.Pixels();
    // The rectangle is made inside the frame; the clamp only guards the memory.
    const int left = std::max<int>(r.left, 0);
    const int top = std::max<int>(r.top, 0);
    const int right = std::min<int>(r.right, pixels.width);
    const int bottom = std::min<int>(r.bottom, pixels.height);
    for (int y = top; y < bottom; ++y) {
        const uint8_t* row = pixels.Row(y);
        for (int x = left; x < right; ++x) {
            const uint8_t* p = row + 4 * x;
            maxRed = std::max(maxRed, p[kRedByte]);
            maxGreen = std::max(maxGreen, p[kGreenByte]);
            maxBlue = std::max(maxBlue, p[kBlueByte]);
        }
    }
}

void RawFrameProcessor::ProcessNewLongExposure(StopWatch* stopWatch, DataWindow*,
                                               HistogramsDialog* histogramsDialog) {
    // The accepted frame stays available while the camera delivers the frames in
    // between.
    if (DetectionOn()) CopyWholeFrame(*rawFrame, *longExposureFrame);
    GenerateLevelAdjustedFrame(histogramsDialog->GetDarkCutoffs(), histogramsDialog->GetLightCutoffs(),
                               histogramsDialog->GetGammas(), histogramsDialog);
    bool alarmFired = false;
    lastFrameDuration = stopWatch->UpdateAndGetStopWatchSeconds(alarmFired);
    // Every saved frame is followed by a new exposure, the last one too: that one is
    // shown when it arrives but not saved.
    if (batchSize > 0) {
        frameWindowsGroup->SavePresentPicture(lastFrameDuration);
        batchSize -= 1;
        BeginLongExposure(stopWatch);
    }
}

void RawFrameProcessor::BeginLongExposure(StopWatch* stopWatch) {
    serialInterface->TurnExposureOn();
    WaitTicks(kTicksExposureToAmplifier);
    serialInterface->TurnAmpOff();
    WaitTicks(kTicksAmplifierToStart);
    // The exposure time counts from here.
    stopWatch->StartStopWatch();
}

void RawFrameProcessor::DoBatchCaptureDialog(StopWatch* stopWatch) {
    DialogPtr dialog = GetNewDialog(kBatchDialogId, nullptr, kInFront);
    if (dialog == nullptr) return;
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    SetDialogDefaultItem(dialog, kBatchStartItem);
    ControlHandle count = nullptr;
    GetDialogItem(dialog, kBatchCountItem, nullptr, &count, nullptr);
    Str255 text;
    CtoPascal("1", text);
    SetDialogItemText(count, text);
    int32_t exposures = 0;
    int16_t item = 0;
    for (;;) {
        ModalDialog(nullptr, &item);
        if (item == kBatchCancelItem) break;
        if (item != kBatchStartItem) continue;
        GetDialogItemText(count, text);
        if (ReadWholeNumber(text, &exposures)) break;
        SysBeep(1);  // not a whole number: the dialog stays for another answer
    }
    DisposeDialog(dialog);
    // Cancel ends a batch in progress, leaving the lines as they are.
    batchSize = item == kBatchCancelItem ? 0 : exposures;
    if (item == kBatchStartItem && batchSize > 0) BeginLongExposure(stopWatch);
}

void RawFrameProcessor::CancelBatch() {
    if (batchSize == 0) return;
    batchSize = 0;
    serialInterface->TurnAmpOn(false);
    WaitTicks(kTicksAmplifierToExposureOff);
    serialInterface->TurnExposureOff(false);
}

void RawFrameProcessor::SetAutoDetectLongExposureRect(Rect rect, DataWindow* dataWindow) {
    autoDetectLongExposureRect = rect;
    if (rect.left == -1) {
        lastFrameDuration = 0.0;
    } else {
        BeginCutoffCalibration(dataWindow);
    }
}

void RawFrameProcessor::SetEndCutoffs(int32_t red, int32_t green, int32_t blue) {
    endCutoffs[0] = red;
    endCutoffs[1] = green;
    endCutoffs[2] = blue;
}

// Neither redraws: the data window shows the cutoffs with the next frame.
void RawFrameProcessor::IncreaseEndCutoffs() {
    for (int32_t& cutoff : endCutoffs) cutoff = std::min(cutoff + kCutoffStep, kHighestCutoff);
}

void RawFrameProcessor::DecreaseEndCutoffs() {
    for (int32_t& cutoff : endCutoffs) cutoff = std::max(cutoff - kCutoffStep, kLowestCutoff);
}

void RawFrameProcessor::BeginCutoffCalibration(DataWindow* dataWindow) {
    if (!DetectionOn() || batchSize > 0 || serialInterface->GetExposureOn()) {
        SysBeep(1);
        return;
    }
    calibrationFrames = 0;
    SetEndCutoffs(0, 0, 0);
    dataWindow->DrawEndCutoffs(0, 0, 0, 0, 0, 0);
}

void RawFrameProcessor::CalibrateCutoffs(unsigned char& maxRed, unsigned char& maxGreen, unsigned char& maxBlue,
                                         DataWindow* dataWindow) {
    const int32_t maxima[3] = {maxRed, maxGreen, maxBlue};
    for (int c = 0; c < 3; ++c) {
        if (maxima[c] > endCutoffs[c]) {
            endCutoffs[c] = std::min(maxima[c] + kCalibrationMargin, kHighestCalibratedCutoff);
        }
    }
    calibrationFrames += 1;
    dataWindow->DrawCalibrationProgressBar(calibrationFrames);
    dataWindow->DrawEndCutoffs(endCutoffs[0], endCutoffs[1], endCutoffs[2], maxRed, maxGreen, maxBlue);
    if (calibrationFrames == kCalibrationFrameCount) {
        calibrationFrames = -1;
        dataWindow->EraseCalibrationProgressBar();
    }
}
