#include "processing/RawFrameProcessor.h"

#include <algorithm>

#include "app/DataWindow.h"
#include "app/PrefFile.h"
#include "app/StopWatch.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "processing/FramePixels.h"
#include "processing/GreyChannels.h"
#include "processing/ImageProcs.h"

namespace {

// The level tables of the remap are indexed by a byte.
constexpr int kLevels = 256;

}  // namespace

RawFrameProcessor::RawFrameProcessor(GWorldWrapper* rawFrame, GWorldWrapper* longExposureFrame,
                                     GWorldWrapper* levelAdjustedFrame, GWorldWrapper* redChannelFrame,
                                     GWorldWrapper* greenChannelFrame, GWorldWrapper* blueChannelFrame,
                                     SerialInterface* serialInterface)
    : rawFrame(rawFrame),
      longExposureFrame(longExposureFrame),
      levelAdjustedFrame(levelAdjustedFrame),
      redChannelFrame(redChannelFrame),
      greenChannelFrame(greenChannelFrame),
      blueChannelFrame(blueChannelFrame),
      serialInterface(serialInterface) {
    // Each read changes its setting only when the preference is there.
    PrefFile prefs;
    prefs.ReadDeBayerize(debayerize);
    prefs.ReadBayerPattern(bayerPattern);
    prefs.ReadDebayerAlg(debayerAlg);
}

RawFrameProcessor::~RawFrameProcessor() = default;

void RawFrameProcessor::SetChannel(int newChannel) {
    if (newChannel >= 0 && newChannel <= 3) channel = newChannel;
}

void RawFrameProcessor::ToggleDebayerize() {
    debayerize = !debayerize;
    PrefFile prefs;
    prefs.WriteDeBayerize(debayerize);
}

void RawFrameProcessor::SetBayerPattern(BayerColor pattern) {
    bayerPattern = pattern;
    PrefFile prefs;
    prefs.WriteBayerPattern(bayerPattern);
}

void RawFrameProcessor::SetDebayerAlgorithm(DebayerAlg algorithm) {
    debayerAlg = algorithm;
    PrefFile prefs;
    prefs.WriteDebayerAlg(debayerAlg);
}

// ---- The frame pipeline ----

void RawFrameProcessor::ProcessNewRawFrame(StopWatch* stopWatch, DataWindow* dataWindow,
                                           HistogramsDialog* histogramsDialog) {
    dataWindow->DrawBatchSize(batchSize);
    // The raw frame first, so that the observer sees the live image also when the
    // frame is then dropped.
    frameWindowsGroup->DrawRawFrameWindow();

    unsigned char maxRed = 0;
    unsigned char maxGreen = 0;
    unsigned char maxBlue = 0;
    if (DetectionOn()) {
        GetMaxValuesInsideAutoDetectLongExposureRect(maxRed, maxGreen, maxBlue);
        dataWindow->DrawMaxes(maxRed, maxGreen, maxBlue);
        dataWindow->DrawEndCutoffs(endCutoffs[0], endCutoffs[1], endCutoffs[2], maxRed, maxGreen, maxBlue);
        // The end-cutoff calibration takes its frames here once it exists: a frame
        // used for calibration goes no further. Until then calibrationFrames stays -1.
    }
    const bool reachesCutoff = maxRed >= endCutoffs[0] || maxGreen >= endCutoffs[1] || maxBlue >= endCutoffs[2];
    if (!DetectionOn() || reachesCutoff) ProcessNewLongExposure(stopWatch, dataWindow, histogramsDialog);
}

void RawFrameProcessor::GenerateLevelAdjustedFrame(const int* darkCutoffs, const int* lightCutoffs,
                                                   const double* gammas, HistogramsDialog* histogramsDialog) {
    // The raw frame is never changed by the pipeline: everything works on the copy.
    CopyWholeFrame(*rawFrame, *levelAdjustedFrame);
    if (debayerize) DebayerizeImageFromGreenChannel(*levelAdjustedFrame, bayerPattern, debayerAlg);
    // The histograms show the frame as the levels find it.
    histogramsDialog->UpdateHistograms(levelAdjustedFrame, frameWindowsGroup->GetHistogramBoundsRect());
    RemapImageComponentsFromLevelCutoffs(*levelAdjustedFrame, kLevels, darkCutoffs, lightCutoffs, gammas);
    // A long exposure's frame carries one good field of the interlaced pair.
    if (DetectionOn()) DebinFast(*levelAdjustedFrame);
    SeparateChannels();
    // The focus measurement joins here once it exists: it reads the colour frame
    // before a channel is stripped.
    StripChannels();
    frameWindowsGroup->DrawLevelAdjustedFrameWindow();
    frameWindowsGroup->DrawChannelsWindow();
    // The focus-aid window is drawn here once its drawing exists.
}

void RawFrameProcessor::SeparateChannels() {
    if (!IsWindowVisible(frameWindowsGroup->GetChannelsWindow())) return;
    CopyWholeFrame(*levelAdjustedFrame, *redChannelFrame);
    CopyWholeFrame(*levelAdjustedFrame, *greenChannelFrame);
    CopyWholeFrame(*levelAdjustedFrame, *blueChannelFrame);
    MakeGreyFromChannel(*redChannelFrame, kRedByte);
    MakeGreyFromChannel(*greenChannelFrame, kGreenByte);
    MakeGreyFromChannel(*blueChannelFrame, kBlueByte);
}

void RawFrameProcessor::StripChannels() {
    // Channel 1, 2, 3 is the byte of red, green, blue in a pixel.
    if (channel != 0) MakeGreyFromChannel(*levelAdjustedFrame, channel);
}

void RawFrameProcessor::CopyWholeFrame(GWorldWrapper& from, GWorldWrapper& to) {
    from.CopyWorldBits(from.GetDim(), to.GetDim(), to.GetGWorldPtr());
}

// ---- Long-exposure detection ----

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
    // Batch capture saves the frame and starts the next exposure here once it exists.
}

void RawFrameProcessor::SetAutoDetectLongExposureRect(Rect rect, DataWindow*) {
    autoDetectLongExposureRect = rect;
    if (rect.left == -1) lastFrameDuration = 0.0;
    // A new rectangle starts an end-cutoff calibration here once calibration exists.
}

void RawFrameProcessor::SetEndCutoffs(int32_t red, int32_t green, int32_t blue) {
    endCutoffs[0] = red;
    endCutoffs[1] = green;
    endCutoffs[2] = blue;
}
