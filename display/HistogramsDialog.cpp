#include "display/HistogramsDialog.h"

#include <cmath>

#include "display/Histogram.h"
#include "display/LevelsSlider.h"
#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"
#include "processing/ImageProcs.h"
#include "processing/RawFrameProcessor.h"

namespace {

constexpr int16_t kDialogTemplate = 129;
constexpr int kBins = 256;
constexpr int kPlotHeight = 50;
constexpr int kLevels = 256;

// Where each channel's histogram is drawn, as {v, h}; its levels slider has the same
// origin.
constexpr Point kChannelOrigins[4] = {
    {10, 10},    // value
    {10, 300},   // red
    {100, 10},   // green
    {100, 300},  // blue
};

// Rectangles below are written {top, left, bottom, right}.
//
// The dialog is black except for the cells where its own items show through: five
// 12 x 12 radio buttons at y 190 and two 70 x 20 buttons at x 430 and 510.
constexpr Rect kBackgroundAroundItems[] = {
    {0, 0, 190, 590},     {202, 0, 220, 430},   {210, 0, 220, 590},   {190, 580, 210, 590},
    {190, 500, 210, 510}, {190, 0, 202, 132},   {190, 144, 202, 192}, {190, 204, 202, 252},
    {190, 264, 202, 312}, {190, 324, 202, 372}, {190, 384, 202, 430},
};

// A ring around each radio button: the circle inscribed in this square, then moved
// right by kScaleButtonSpacing for each further button.
constexpr Rect kFirstScaleButtonRing = {188, 130, 204, 146};
constexpr int kScaleButtonSpacing = 60;
constexpr int kScaleButtons = 5;

struct ScaleLabel {
    const char* text;
    int h;
};
constexpr int kScaleLabelBaseline = 200;
constexpr ScaleLabel kScaleLabels[] = {
    {"Histogram Scale:", 10}, {"1X", 150}, {"5X", 210}, {"25X", 270}, {"125X", 330}, {"625X", 390},
};

ControlHandle DialogControl(DialogPtr dialog, short item) {
    ControlHandle control = nullptr;
    GetDialogItem(dialog, item, nullptr, &control, nullptr);
    return control;
}

// The lowest level (first = 0, step = 1) or the highest (first = 255, step = -1)
// whose bin holds any pixel, or -1 when the histogram is empty.
int FirstOccupiedLevel(const Histogram& histogram, int first, int step) {
    for (int level = first; level >= 0 && level < kLevels; level += step) {
        if (histogram.GetBin(level) > 0.0) return level;
    }
    return -1;
}

}  // namespace

HistogramsDialog::HistogramsDialog(RawFrameProcessor* processor) : rawFrameProcessor(processor) {
    dialog = GetNewDialog(kDialogTemplate, nullptr, kInFront);
    for (int i = 0; i < 4; ++i) {
        histograms[i] = std::make_unique<Histogram>(kBins, i, kPlotHeight);
        levelsSliders[i] = std::make_unique<LevelsSlider>(kChannelOrigins[i], i, 1);
    }
    SelectScaleItem(3);
}

HistogramsDialog::~HistogramsDialog() {
    if (dialog != nullptr) DisposeDialog(dialog);
}

bool HistogramsDialog::IsShown() const {
    return dialog != nullptr && IsWindowVisible(GetDialogWindow(dialog));
}

// Exactly one scale button is on; the scale is 5 to the power (item - 1).
void HistogramsDialog::SelectScaleItem(short item) {
    if (dialog == nullptr) return;
    for (short i = kFirstScaleItem; i <= kLastScaleItem; ++i) SetControlValue(DialogControl(dialog, i), 0);
    SetControlValue(DialogControl(dialog, item), 1);
    histogramScale = std::pow(5.0, item - kFirstScaleItem);
}

void HistogramsDialog::UpdateHistograms(GWorldWrapper* frame, Rect rect) {
    if (!IsShown() || frame == nullptr) return;
    // A rectangle outside the frame leaves the histograms as they were; they are
    // drawn again all the same.
    GenerateHistograms(*frame, rect, *histograms[0], *histograms[1], *histograms[2], *histograms[3]);
    DrawHistograms();
}

void HistogramsDialog::DrawHistograms() {
    if (!IsShown()) return;
    SetPort(GetDialogPort(dialog));
    // The plots are copied in: the copy keeps their colours only with a white
    // background, while the dialog's own background is black.
    RGBColor dialogBackground;
    GetBackColor(&dialogBackground);
    BackColor(whiteColor);
    for (int i = 0; i < 4; ++i) {
        histograms[i]->DrawHistogram(kChannelOrigins[i].h, kChannelOrigins[i].v, histogramScale);
    }
    RGBBackColor(&dialogBackground);
}

void HistogramsDialog::DrawLevelsSliders() {
    if (!IsShown()) return;
    SetPort(GetDialogPort(dialog));
    for (const auto& slider : levelsSliders) slider->DrawLevelsSlider();
}

void HistogramsDialog::DrawTheDialog() {
    if (!IsShown()) return;
    SetPort(GetDialogPort(dialog));
    PaintBackgroundAroundItems();
    FrameScaleButtonRings();
    DrawScaleLabels();
    DrawHistograms();
    DrawLevelsSliders();
}

void HistogramsDialog::PaintBackgroundAroundItems() {
    ForeColor(blackColor);
    for (const Rect& r : kBackgroundAroundItems) PaintRect(&r);
}

void HistogramsDialog::FrameScaleButtonRings() {
    ForeColor(blackColor);
    PenSize(2, 2);
    for (int i = 0; i < kScaleButtons; ++i) {
        const Rect ring = OffsetRectCopy(kFirstScaleButtonRing, kScaleButtonSpacing * i, 0);
        FrameOval(&ring);
    }
    PenSize(1, 1);
}

void HistogramsDialog::DrawScaleLabels() {
    ForeColor(redColor);
    TextSize(12);
    for (const ScaleLabel& label : kScaleLabels) {
        MoveTo(label.h, kScaleLabelBaseline);
        DrawText(label.text);
    }
    ForeColor(blackColor);
}

void HistogramsDialog::HandleDialogEvent(EventRecord& event, short item) {
    if (dialog == nullptr) return;
    switch (event.what) {
        case mouseDown:
            if (item >= kFirstScaleItem && item <= kLastScaleItem) {
                SelectScaleItem(item);
                SetPort(GetDialogPort(dialog));
                DrawTheDialog();
            } else if (item == kAutoLevelsItem) {
                AutoRGBLevels();
                DrawTheDialog();
            } else if (item == kResetLevelsItem) {
                ResetRGBLevels();
                DrawTheDialog();
            } else {
                ProcessMouse();
            }
            break;
        case updateEvt:
        case activateEvt: {
            DrawDialog(dialog);
            WindowPtr window = GetDialogWindow(dialog);
            BeginUpdate(window);
            EndUpdate(window);
            DrawTheDialog();
            break;
        }
        default: break;
    }
}

// A press that is no item's: offered to the sliders in turn; the first whose value
// changed hands its levels over. The frame is rebuilt with the present levels either
// way.
void HistogramsDialog::ProcessMouse() {
    SetPort(GetDialogPort(dialog));
    for (int i = 0; i < 4; ++i) {
        bool hit = false;
        if (levelsSliders[i]->ProcessMouse(hit)) {
            levelsSliders[i]->GetCutoffs(darkCutoffs[i], lightCutoffs[i], gammas[i]);
            break;
        }
    }
    ApplyLevelsToPresentFrame();
}

// Red, green and blue get the range their histograms occupy, gamma 1; a channel at
// one level gets equal cutoffs, and an empty histogram leaves its cutoffs alone. The
// value channel keeps its levels.
void HistogramsDialog::AutoRGBLevels() {
    for (int c = 1; c <= 3; ++c) {
        const int dark = FirstOccupiedLevel(*histograms[c], 0, 1);
        const int light = FirstOccupiedLevel(*histograms[c], kLevels - 1, -1);
        if (dark >= 0) darkCutoffs[c] = dark;
        if (light >= 0) lightCutoffs[c] = light;
        gammas[c] = 1.0;
        levelsSliders[c]->SetCutoffs(darkCutoffs[c], lightCutoffs[c], gammas[c]);
    }
    DrawLevelsSliders();
    ApplyLevelsToPresentFrame();
}

void HistogramsDialog::ResetRGBLevels() {
    for (int c = 0; c < 4; ++c) {
        darkCutoffs[c] = 0;
        lightCutoffs[c] = 255;
        gammas[c] = 1.0;
        levelsSliders[c]->SetCutoffs(0, 255, 1.0);
    }
    DrawLevelsSliders();
    ApplyLevelsToPresentFrame();
}

void HistogramsDialog::ApplyLevelsToPresentFrame() {
    if (rawFrameProcessor != nullptr)
        rawFrameProcessor->GenerateLevelAdjustedFrame(darkCutoffs, lightCutoffs, gammas, this);
}
