// The focus-aid window. At the top left the spectrum of the histogram square as bars,
// one a distance ring, with the band's two cutoffs as green lines and a slider for
// each below; at the right a chart that grows by 4 pixels a frame, the power ratio of
// each frame as a solid square and its brightest value as a small X, cleared and
// started again at the left when it reaches the right edge.
//
// The window's pixels are the chart's only memory: the axes are drawn when the square
// changes size, when the chart restarts and when the window is shown from the menu.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>
#include <string_view>

#include "display/FrameWindowsGroup.h"
#include "display/IntegerTriangleSlider.h"
#include "processing/FocusAid.h"
#include "processing/RawFrameProcessor.h"

namespace {

constexpr int kTextSize = 9;

// The spectrum box: its top left corner, height, and the frame around it.
constexpr int kBoxLeft = 10;
constexpr int kBoxTop = 10;
constexpr int kBoxHeight = 104;
const RGBColor kBoxFrameGrey{49152, 49152, 49152};
// Bars and cutoff lines start two pixels inside the box; the tallest bar is 100
// pixels high and every bar stands on y 111.
constexpr float kPlotInset = 2.0f;
constexpr float kBarFullHeight = 100.0f;
constexpr int kBarBottom = 111;
constexpr int kCutoffLineTop = 11;
constexpr int kCutoffLineBottom = 110;

// The cutoff sliders under the box.
constexpr Point kLowSliderOrigin{.v = 120, .h = 12};
constexpr Point kHighSliderOrigin{.v = 140, .h = 12};

// The chart: a ratio r is drawn at y = 265 - 256 r, a value p at y = 265 - p; 17 grid
// lines 16 pixels apart, so 1/16 of the ratio scale and 16 levels of the value scale.
constexpr int kChartLeft = 240;
constexpr int kChartBase = 265;
constexpr float kRatioScale = 256.0f;
constexpr int kAxisTop = 10;
constexpr int kGridLines = 17;
constexpr int kGridStep = 16;
constexpr int kChartStep = 4;
// The chart restarts when its next point would come within this of the right edge;
// the restart clears everything right of kChartClearLeft.
constexpr int kChartRightMargin = 10;
constexpr int kChartClearLeft = 200;
const RGBColor kGridRed{8192, 0, 0};

// The scale labels end at x 235.
constexpr int kLabelRight = 235;
constexpr int kLegendLeft = 250;
constexpr int kLegendBaseline = 278;
constexpr std::string_view kLegend = "Solid squared denote power spectrum ratio, Xs denote brightest pixel";
constexpr std::string_view kNoSquareMessage = "You must specify histograms bounds rect of power of 2 dimensions.";
constexpr std::string_view kHowToMessage =
    "You can do this by control-clicking and dragging in the Level Adjusted Frame Window.";

Rect PortRectOf(WindowPtr window) {
    Rect r;
    GetPortBounds(GetWindowPort(window), &r);
    return r;
}

// The spectrum's width in pixels, whatever the square's size: 128 sqrt(2) as a float.
float GetPlotWidth() { return static_cast<float>(128.0 * std::sqrt(2.0)); }

void DrawTextAt(int h, int v, std::string_view text) {
    MoveTo(h, v);
    DrawText(text);
}

void DrawTextEndingAt(int right, int v, std::string_view text) { DrawTextAt(right - TextWidthOf(text), v, text); }

void DrawNoSquareMessage() {
    ForeColor(redColor);
    DrawTextAt(10, 20, kNoSquareMessage);
    DrawTextAt(10, 40, kHowToMessage);
}

void DrawSpectrumBox(float plotWidth) {
    Rect box = MakeRect(0, 0, static_cast<int>(plotWidth + 4.0f), kBoxHeight);
    OffsetRect(&box, kBoxLeft, kBoxTop);
    ForeColor(blackColor);
    PaintRect(&box);
    RGBForeColor(&kBoxFrameGrey);
    FrameRect(&box);
}

// One red bar per ring that holds anything, scaled so that the largest reaches 100
// pixels; s pixels per ring, so the bars touch each other.
void DrawSpectrumBars(const float* rings, int ringCount, float plotWidth) {
    float largest = 0.0f;
    for (int i = 0; i < ringCount; ++i) largest = std::max(largest, rings[i]);
    const float s = plotWidth / static_cast<float>(ringCount);
    const float boxLeft = static_cast<float>(kBoxLeft);
    const float boxTop = static_cast<float>(kBoxTop);
    ForeColor(redColor);
    for (int i = 0; i < ringCount; ++i) {
        if (rings[i] == 0.0f) continue;
        // Single precision throughout, added in this order, so that every edge
        // truncates to the same pixel frame after frame.
        const float left = static_cast<float>(i) * s + boxLeft + kPlotInset;
        const float right = static_cast<float>(i + 1) * s + boxLeft + kPlotInset;
        const float top = boxTop + (kBarFullHeight - kBarFullHeight * rings[i] / largest) + kPlotInset;
        const Rect bar =
            MakeRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), kBarBottom);
        PaintRect(&bar);
    }
}

// A green line at the cutoff's ring; a cutoff at or beyond the last ring stands at the
// box's right end.
void DrawCutoffLine(float cutoff, float s, float plotWidth) {
    const float position = s * cutoff;
    // Truncating first and then comparing with the width gives the same line; testing
    // the float keeps a far-off cutoff from overflowing the conversion.
    const int x = position > plotWidth ? static_cast<int>(plotWidth) : static_cast<int>(position);
    const int h = kBoxLeft + x + static_cast<int>(kPlotInset);
    ForeColor(greenColor);
    MoveTo(h, kCutoffLineTop);
    LineTo(h, kCutoffLineBottom);
}

// The ratio as a 3 x 3 square and the brightest value as a 3 x 3 X, both centred on
// their height in column x.
void DrawChartPoint(int x, float ratio, int brightest) {
    ForeColor(redColor);
    PenSize(3, 3);
    const int top = static_cast<int>(static_cast<float>(kChartBase) - kRatioScale * ratio - 1.0f);
    MoveTo(x - 1, top);
    LineTo(x - 1, top);
    PenSize(1, 1);
    const int y = kChartBase - brightest;
    MoveTo(x - 1, y - 1);
    LineTo(x + 1, y + 1);
    MoveTo(x - 1, y + 1);
    LineTo(x + 1, y - 1);
}

}  // namespace

void FrameWindowsGroup::DrawFocusAidWindow() {
    if (!IsWindowVisible(focusAidWindow)) return;
    SetPort(GetWindowPort(focusAidWindow));
    TextSize(kTextSize);
    const int n = GetFocusSquareSide(histogramBoundsRect);
    if (n == 0) {
        // Over whatever the window shows; nothing else until there is a square.
        DrawNoSquareMessage();
        return;
    }
    if (n != focusAidDim) {
        // A new square size: new sliders for its rings and cutoffs, a fresh chart.
        DeleteCutoffSliders();
        focusAidPlotX = kChartLeft;
        EraseFocusAidWindow();
        DrawFocusAidWindowAxes();
    }
    focusAidDim = n;

    const int ringCount = CountFocusBins(n);
    const float plotWidth = GetPlotWidth();
    if (lowCutoffSlider == nullptr) {
        const int length = static_cast<int>(plotWidth);
        lowCutoffSlider =
            new IntegerTriangleSlider(kLowSliderOrigin, length, 0, ringCount,
                                      static_cast<int>(rawFrameProcessor->GetCutoffLow()), false, false, false);
        highCutoffSlider =
            new IntegerTriangleSlider(kHighSliderOrigin, length, 0, ringCount,
                                      static_cast<int>(rawFrameProcessor->GetCutoffHigh()), false, false, false);
    }

    // The pipeline measures the same square right before drawing it, so the rings are
    // there; without them there is nothing to plot.
    const float* rings = rawFrameProcessor->GetPowerSpectrumDist();
    assert(rings != nullptr && "powerSpectrumDist is missing: the square was not measured");
    if (rings == nullptr) return;

    DrawSpectrumBox(plotWidth);
    DrawSpectrumBars(rings, ringCount, plotWidth);
    const float s = plotWidth / static_cast<float>(ringCount);
    DrawCutoffLine(rawFrameProcessor->GetCutoffLow(), s, plotWidth);
    DrawCutoffLine(rawFrameProcessor->GetCutoffHigh(), s, plotWidth);
    lowCutoffSlider->DrawSlider();
    highCutoffSlider->DrawSlider();

    const Rect port = PortRectOf(focusAidWindow);
    if (focusAidPlotX >= port.right - kChartRightMargin) {
        ForeColor(blackColor);
        const Rect chart = MakeRect(kChartClearLeft, 0, port.right, port.bottom);
        PaintRect(&chart);
        DrawFocusAidWindowAxes();
        focusAidPlotX = kChartLeft;
    }
    DrawChartPoint(focusAidPlotX, rawFrameProcessor->GetPowerRatio(), rawFrameProcessor->GetMaxPixelValue());
    focusAidPlotX += kChartStep;
}

void FrameWindowsGroup::DrawFocusAidWindowAxes() {
    SetPort(GetWindowPort(focusAidWindow));
    const Rect port = PortRectOf(focusAidWindow);
    RGBForeColor(&kGridRed);
    for (int i = 0; i < kGridLines; ++i) {
        const int y = kChartBase - kGridStep * i;
        MoveTo(kChartLeft, y);
        LineTo(port.right, y);
    }
    MoveTo(kChartLeft, kChartBase);
    LineTo(kChartLeft, kAxisTop);
    TextSize(kTextSize);
    ForeColor(redColor);
    DrawTextEndingAt(kLabelRight, 15, "100%");
    DrawTextEndingAt(kLabelRight, 142, "50%");
    DrawTextEndingAt(kLabelRight, 270, "0%");
    DrawTextAt(kLegendLeft, kLegendBaseline, kLegend);
}

void FrameWindowsGroup::EraseFocusAidWindow() {
    if (!IsWindowVisible(focusAidWindow)) return;
    SetPort(GetWindowPort(focusAidWindow));
    const Rect port = PortRectOf(focusAidWindow);
    ForeColor(blackColor);
    PaintRect(&port);
    if (GetFocusSquareSide(histogramBoundsRect) != 0) DrawFocusAidWindowAxes();
}

void FrameWindowsGroup::HandleMouseDownInFocusAidWindow() {
    if (lowCutoffSlider == nullptr || highCutoffSlider == nullptr) return;
    // The sliders read the mouse in the window's coordinates and draw into it while
    // their thumb is dragged. The handler itself redraws nothing: the next frame shows
    // the cutoff lines at the new values.
    SetPort(GetWindowPort(focusAidWindow));
    const CutoffsAtPress atPress{rawFrameProcessor->GetCutoffLow(), rawFrameProcessor->GetCutoffHigh(),
                                 lowCutoffSlider->GetValue(), highCutoffSlider->GetValue()};
    bool hit = false;
    bool lowChanged = false, highChanged = false;
    {
        // The frames go on while a thumb is dragged, so that the observer sees the
        // chart answer the band as it changes.
        std::optional<ScopedBackgroundTask> framesDuringDrag;
        if (frameStepDuringCutoffDrag) framesDuringDrag.emplace([this, atPress] { StepFrameDuringCutoffDrag(atPress); });
        lowChanged = lowCutoffSlider->ProcessMouse(hit);
        if (!lowChanged) highChanged = highCutoffSlider->ProcessMouse(hit);
    }
    // The frames of the drag measured with the thumbs' passing values; the release sets
    // the cutoffs from where the thumbs came to rest, starting from those of the press.
    rawFrameProcessor->SetCutoffLow(atPress.low);
    rawFrameProcessor->SetCutoffHigh(atPress.high);
    if (lowChanged) {
        const int value = lowCutoffSlider->GetValue();
        if (static_cast<float>(value) != rawFrameProcessor->GetCutoffLow()) {
            // The low cutoff may not pass the high one.
            if (static_cast<float>(value) > rawFrameProcessor->GetCutoffHigh())
                lowCutoffSlider->SetValue(static_cast<int>(rawFrameProcessor->GetCutoffHigh()));
            rawFrameProcessor->SetCutoffLow(static_cast<float>(lowCutoffSlider->GetValue()));
        }
    } else if (highChanged) {
        const int value = highCutoffSlider->GetValue();
        if (static_cast<float>(value) != rawFrameProcessor->GetCutoffHigh()) {
            if (static_cast<float>(value) < rawFrameProcessor->GetCutoffLow())
                highCutoffSlider->SetValue(static_cast<int>(rawFrameProcessor->GetCutoffLow()));
            rawFrameProcessor->SetCutoffHigh(static_cast<float>(highCutoffSlider->GetValue()));
        }
    }
}

void FrameWindowsGroup::StepFrameDuringCutoffDrag(const CutoffsAtPress& atPress) {
    // Only the dragged thumb has moved from where it was at the press; its cutoff
    // follows it, kept on its side of the other one.
    float low = atPress.low, high = atPress.high;
    if (lowCutoffSlider->GetValue() != atPress.lowValue)
        low = std::min(static_cast<float>(lowCutoffSlider->GetValue()), high);
    if (highCutoffSlider->GetValue() != atPress.highValue)
        high = std::max(static_cast<float>(highCutoffSlider->GetValue()), low);
    rawFrameProcessor->SetCutoffLow(low);
    rawFrameProcessor->SetCutoffHigh(high);
    // The frame draws in every window; the slider goes on in the focus-aid window.
    GrafPtr sliderPort = nullptr;
    GetPort(&sliderPort);
    frameStepDuringCutoffDrag();
    SetPort(sliderPort);
}

void FrameWindowsGroup::DeleteCutoffSliders() {
    delete lowCutoffSlider;
    delete highCutoffSlider;
    lowCutoffSlider = nullptr;
    highCutoffSlider = nullptr;
}
