// The histograms dialog: the observer's levels control. A modeless dialog (template
// 129) with four histograms of the histogram bounds rectangle (value, red, green,
// blue), a levels slider under each that sets that channel's dark cutoff, light cutoff
// and gamma, radio buttons for the vertical magnification of the plots, and buttons
// for automatic and reset levels.
//
// The dialog owns the three level arrays the frame pipeline applies to every frame,
// indexed by channel selector (0 value, 1 red, 2 green, 3 blue). It is their only
// writer, and every change is applied to the present frame at once through the
// processor's GenerateLevelAdjustedFrame.
#pragma once

#include <memory>

#include "platform/Dialogs.h"
#include "platform/MacTypes.h"

class GWorldWrapper;
class Histogram;
class LevelsSlider;
class RawFrameProcessor;

class HistogramsDialog {
public:
    // Items of dialog template 129.
    static constexpr short kFirstScaleItem = 1;  // 1..5: scale 1X, 5X, 25X, 125X, 625X
    static constexpr short kLastScaleItem = 5;
    static constexpr short kAutoLevelsItem = 6;
    static constexpr short kResetLevelsItem = 7;

    // Builds the dialog (not shown), its histograms and sliders; levels 0 / 255 / 1.0
    // for every channel, scale 25X. The processor is not owned; it may be null, in
    // which case level changes are only stored.
    explicit HistogramsDialog(RawFrameProcessor* rawFrameProcessor);
    ~HistogramsDialog();
    HistogramsDialog(const HistogramsDialog&) = delete;
    HistogramsDialog& operator=(const HistogramsDialog&) = delete;

    DialogPtr GetHistogramsDialog() const { return dialog; }

    // The level arrays, four elements each, read by the frame pipeline for every frame.
    int* GetDarkCutoffs() { return darkCutoffs; }
    int* GetLightCutoffs() { return lightCutoffs; }
    // The exponents handed to the level remap: the reciprocals of the gammas shown.
    double* GetGammas() { return gammas; }

    // Regenerates the four histograms from rect of frame and redraws them; nothing at
    // all while the dialog is hidden. A rectangle outside the frame leaves the
    // histograms as they were.
    void UpdateHistograms(GWorldWrapper* frame, Rect rect);

    // An event of the dialog, with the item the platform's dialog handling named
    // (0 for none): presses on the scale buttons, automatic and reset levels and the
    // sliders; updates and activations redraw the dialog.
    void HandleDialogEvent(EventRecord& event, short item);

    // The dialog's program-drawn parts; each does nothing while the dialog is hidden.
    void DrawTheDialog();
    void DrawHistograms();
    void DrawLevelsSliders();

    double GetHistogramScale() const { return histogramScale; }
    // channel 0..3.
    const Histogram& GetHistogram(int channel) const { return *histograms[channel]; }
    const LevelsSlider& GetLevelsSlider(int channel) const { return *levelsSliders[channel]; }

private:
    void SelectScaleItem(short item);
    void AutoRGBLevels();
    void ResetRGBLevels();
    void ProcessMouse();
    void ApplyLevelsToPresentFrame();
    void PaintBackgroundAroundItems();
    void FrameScaleButtonRings();
    void DrawScaleLabels();
    bool IsShown() const;

    DialogPtr dialog = nullptr;
    std::unique_ptr<Histogram> histograms[4];
    std::unique_ptr<LevelsSlider> levelsSliders[4];
    double histogramScale = 25.0;
    int darkCutoffs[4] = {0, 0, 0, 0};
    int lightCutoffs[4] = {255, 255, 255, 255};
    double gammas[4] = {1.0, 1.0, 1.0, 1.0};
    RawFrameProcessor* rawFrameProcessor = nullptr;
};
