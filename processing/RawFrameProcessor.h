// The per-frame pipeline. Every fresh camera frame is shown in the raw window, tested
// by the long-exposure detection, and when kept turned into the level-adjusted frame:
// a copy of the raw frame, de-Bayered when that is on, measured into the histograms,
// remapped by the observer's levels, reduced to one field while detection is on, split
// into the three channel images, measured for focus, reduced to the chosen channel,
// and drawn.
//
// The object also holds the de-Bayer settings (kept in the preferences), the channel
// shown in the level-adjusted window, the state of the long-exposure detection and
// the focus measurement with its arrays.
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

    // --- Focus aid (FocusAid.cpp) --------------------------------------------------------

    // Measures the histogram rectangle of the level-adjusted frame while the focus-aid
    // window is visible and the rectangle is a square of 32, 64, 128 or 256 pixels: the
    // spectrum's magnitudes summed by distance, the share of the band between the
    // cutoffs and the brightest value. Otherwise releases the measurement's arrays.
    void UpdateFocusAid();
    // The sums by distance (CountFocusBins of the square's side entries); null while the
    // measurement is off.
    const float* GetPowerSpectrumDist() const { return powerSpectrumDist.get(); }
    // The band's first and last ring. Stored as given; used from the next frame on.
    float GetCutoffLow() const { return cutoffLow; }
    float GetCutoffHigh() const { return cutoffHigh; }
    void SetCutoffLow(float cutoff) { cutoffLow = cutoff; }
    void SetCutoffHigh(float cutoff) { cutoffHigh = cutoff; }
    // Band sum / total sum of the last measurement, 0 to 1.
    float GetPowerRatio() const { return powerRatio; }
    // The largest value (max of red, green, blue) in the last square measured.
    int32_t GetMaxPixelValue() const { return maxPixelValue; }

    // --- Long exposures (LongExposure.cpp) ----------------------------------------------

    // Raises each argument to the largest byte of its channel inside the detection
    // rectangle (right column and bottom row excluded) of the raw frame.
    void GetMaxValuesInsideAutoDetectLongExposureRect(unsigned char& maxRed, unsigned char& maxGreen,
                                                      unsigned char& maxBlue);
    // The kept frame: saved as the long exposure while detection is on, processed, and
    // its stopwatch time noted; in a batch it is then saved as a picture and the next
    // exposure begins.
    void ProcessNewLongExposure(StopWatch* stopWatch, DataWindow* dataWindow, HistogramsDialog* histogramsDialog);
    // Exposure line on, 2 ticks later the amplifier off, 5 ticks later the stopwatch
    // starts; the loop waits meanwhile.
    void BeginLongExposure(StopWatch* stopWatch);
    // Dialog 133: the number of exposures of a batch, started at once when above 0.
    // Text that is not a whole number is refused with a beep and the dialog stays.
    // Cancel ends a batch in progress without switching the lines.
    void DoBatchCaptureDialog(StopWatch* stopWatch);
    // Ends a batch in progress: amplifier on, 5 ticks later exposure off. Nothing
    // without a batch.
    void CancelBatch();
    // Left -1: detection off.
    Rect GetAutoDetectLongExposureRect() const { return autoDetectLongExposureRect; }
    // A new rectangle starts a cutoff calibration; clearing it forgets the last frame's
    // duration.
    void SetAutoDetectLongExposureRect(Rect rect, DataWindow* dataWindow);
    int32_t GetBatchSize() const { return batchSize; }
    double GetLastFrameDuration() const { return lastFrameDuration; }
    // The end cutoffs, red, green, blue: a channel whose largest value inside the
    // detection rectangle reaches its cutoff marks the long-exposure frame. They run
    // from -1 (every frame passes) to 256 (none does).
    const int32_t* GetEndCutoffs() const { return endCutoffs; }
    void SetEndCutoffs(int32_t red, int32_t green, int32_t blue);
    // All three by +5 up to 256, or by -5 down to -1.
    void IncreaseEndCutoffs();
    void DecreaseEndCutoffs();
    // Starts a calibration of the end cutoffs over the next ten frames; refused with a
    // beep while detection is off, a batch runs or the exposure is on.
    void BeginCutoffCalibration(DataWindow* dataWindow);
    // One calibration frame: each cutoff rises to 30 above a larger maximum (at most
    // 255); after the tenth frame detection resumes.
    void CalibrateCutoffs(unsigned char& maxRed, unsigned char& maxGreen, unsigned char& maxBlue,
                          DataWindow* dataWindow);
    // -1 while no calibration runs, else the frames calibrated so far.
    int32_t GetCalibrationFrames() const { return calibrationFrames; }

private:
    bool DetectionOn() const { return autoDetectLongExposureRect.left != -1; }
    // Copies the whole of one buffer, scaled, into the whole of another.
    static void CopyWholeFrame(GWorldWrapper& from, GWorldWrapper& to);
    void ReleaseFocusAidArrays();

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
