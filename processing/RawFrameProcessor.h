// The per-frame pipeline. Every fresh camera frame is shown in the raw window, tested
// by the long-exposure detection, and when kept turned into the level-adjusted frame:
// a copy of the raw frame, de-Bayered when that is on, measured into the histograms,
// remapped by the observer's levels, reduced to one field while detection is on, split
// into the three channel images, reduced to the chosen channel, and drawn.
//
// The object also holds the de-Bayer settings (kept in the preferences), the channel
// shown in the level-adjusted window and the state of the long-exposure detection.
// The six buffers, the serial interface and the windows group belong to the
// application object; this object only uses them.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/MacTypes.h"
#include "processing/Debayerize.h"

class DataWindow;
class FrameWindowsGroup;
class GWorldWrapper;
class HistogramsDialog;
class SerialInterface;
class StopWatch;

class RawFrameProcessor {
public:
    // Reads the de-Bayer preferences; a missing one leaves its initial setting (off,
    // pattern 0, bilinear).
    RawFrameProcessor(GWorldWrapper* rawFrame, GWorldWrapper* longExposureFrame, GWorldWrapper* levelAdjustedFrame,
                      GWorldWrapper* redChannelFrame, GWorldWrapper* greenChannelFrame,
                      GWorldWrapper* blueChannelFrame, SerialInterface* serialInterface);
    ~RawFrameProcessor();
    RawFrameProcessor(const RawFrameProcessor&) = delete;
    RawFrameProcessor& operator=(const RawFrameProcessor&) = delete;

    // Must be set before the first frame is processed.
    void SetFrameWindowsGroup(FrameWindowsGroup* group) { frameWindowsGroup = group; }

    // 0 all three channels, 1 red, 2 green, 3 blue; any other value is ignored.
    void SetChannel(int newChannel);
    int GetChannel() const { return channel; }

    // De-Bayer settings: each setter writes its preference at once.
    bool GetDebayerize() const { return debayerize; }
    void ToggleDebayerize();
    BayerColor GetBayerPattern() const { return bayerPattern; }
    void SetBayerPattern(BayerColor pattern);
    DebayerAlg GetDebayerAlg() const { return debayerAlg; }
    void SetDebayerAlgorithm(DebayerAlg algorithm);

    // --- The frame pipeline ------------------------------------------------------------

    // One fresh camera frame (idle cycle).
    void ProcessNewRawFrame(StopWatch* stopWatch, DataWindow* dataWindow, HistogramsDialog* histogramsDialog);
    // Rebuilds the level-adjusted frame and the channel images from the present raw
    // frame with the levels given (four each: value, red, green, blue) and redraws
    // the windows. Called for every kept frame and whenever the levels change.
    void GenerateLevelAdjustedFrame(const int* darkCutoffs, const int* lightCutoffs, const double* gammas,
                                    HistogramsDialog* histogramsDialog);
    // Fills the three quarter-size grey channel images; nothing while the channels
    // window is hidden.
    void SeparateChannels();
    // Reduces the level-adjusted frame to a grey image of the chosen channel.
    void StripChannels();

    // --- Long-exposure detection ---------------------------------------------------------

    // Raises each argument to the largest byte of its channel inside the detection
    // rectangle (right column and bottom row excluded) of the raw frame.
    void GetMaxValuesInsideAutoDetectLongExposureRect(unsigned char& maxRed, unsigned char& maxGreen,
                                                      unsigned char& maxBlue);
    // The kept frame: saved as the long exposure while detection is on, processed, and
    // its stopwatch time noted.
    void ProcessNewLongExposure(StopWatch* stopWatch, DataWindow* dataWindow, HistogramsDialog* histogramsDialog);
    // Left -1: detection off.
    Rect GetAutoDetectLongExposureRect() const { return autoDetectLongExposureRect; }
    void SetAutoDetectLongExposureRect(Rect rect, DataWindow* dataWindow);
    int32_t GetBatchSize() const { return batchSize; }
    double GetLastFrameDuration() const { return lastFrameDuration; }
    // The end cutoffs, red, green, blue: a channel whose largest value inside the
    // detection rectangle reaches its cutoff marks the long-exposure frame.
    const int32_t* GetEndCutoffs() const { return endCutoffs; }
    void SetEndCutoffs(int32_t red, int32_t green, int32_t blue);
    int32_t GetCalibrationFrames() const { return calibrationFrames; }

private:
    bool DetectionOn() const { return autoDetectLongExposureRect.left != -1; }
    // Copies the whole of one buffer, scaled, into the whole of another.
    static void CopyWholeFrame(GWorldWrapper& from, GWorldWrapper& to);

    GWorldWrapper* rawFrame;
    GWorldWrapper* longExposureFrame;
    GWorldWrapper* levelAdjustedFrame;
    GWorldWrapper* redChannelFrame;
    GWorldWrapper* greenChannelFrame;
    GWorldWrapper* blueChannelFrame;
    FrameWindowsGroup* frameWindowsGroup = nullptr;
    SerialInterface* serialInterface;
    int32_t channel = 0;
    bool debayerize = false;
    BayerColor bayerPattern = kGRBG;
    DebayerAlg debayerAlg = kBilinear;
    // The focus measurement's state; its arrays belong to this object.
    int32_t fftSize = -1;
    std::unique_ptr<float[]> fftData;
    std::unique_ptr<float[]> spectrumMagnitudes;
    std::unique_ptr<float[]> powerSpectrumDist;
    float cutoffLow = 0.0f;
    float cutoffHigh = 0.0f;
    float powerRatio = 0.0f;
    int32_t maxPixelValue = 0;
    // Long-exposure detection.
    int32_t endCutoffs[3] = {0, 0, 0};
    Rect autoDetectLongExposureRect{-1, -1, -1, -1};
    int32_t calibrationFrames = -1;
    int32_t batchSize = 0;
    double lastFrameDuration = 0.0;
};
