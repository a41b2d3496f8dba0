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
        // A frame used for calibrating the end cutoffs goes no further.
        if (calibrationFrames != -1) {
            CalibrateCutoffs(maxRed, maxGreen, maxBlue, dataWindow);
            return;
        }
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
    // Focus is measured on the colour frame, before a channel is stripped.
    UpdateFocusAid();
    StripChannels();
    frameWindowsGroup->DrawLevelAdjustedFrameWindow();
    frameWindowsGroup->DrawChannelsWindow();
    frameWindowsGroup->DrawFocusAidWindow();
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
