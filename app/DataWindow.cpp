#include "app/DataWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/StopWatch.h"
#include "platform/QuickDraw.h"
#include "platform/TextUtils.h"

namespace {

constexpr int16_t kDataWindowTemplate = 131;

constexpr int kTextSize = 9;
constexpr int kLargeTextSize = 50;    // stopwatch and remaining batch
constexpr int kWarningTextSize = 18;  // the frame-rate warning below 4

// A rectangle given as left, top, right, bottom.
constexpr Rect Box(int left, int top, int right, int bottom) {
    return Rect{static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(bottom),
                static_cast<int16_t>(right)};
}

// Where a value goes: the rectangle it erases first, and the baseline of its text,
// which starts at h 150 (the three columns of the maxima and cutoff rows at 150, 200
// and 250). The delay rectangles reach to h 250 like the state rows, because
// "disabled" at size 9 is wider than 30 pixels; the EW delay rectangle starts at v 242,
// below the descenders of the NS state row above it, which it would otherwise cut.
struct Field {
    Rect box;
    int v;
};
constexpr Field kStopWatch{Box(150, 0, 300, 50), 45};
constexpr Field kAlarm{Box(150, 50, 300, 60), 60};
constexpr Field kFps{Box(150, 70, 180, 80), 80};
constexpr Field kFpsWarning{Box(200, 60, 300, 80), 80};
constexpr Field kEventPause{Box(150, 80, 180, 90), 90};
constexpr Field kBatch{Box(150, 90, 300, 140), 135};
constexpr Field kMaxes{Box(150, 165, 300, 175), 175};
constexpr Field kEndCutoffs{Box(150, 175, 300, 185), 185};
constexpr Field kMaxesAtCutoff{Box(150, 185, 300, 195), 195};
constexpr Field kMovieDuration{Box(150, 200, 180, 210), 210};
constexpr Field kNSDelay{Box(150, 220, 250, 230), 230};
constexpr Field kNSState{Box(150, 230, 250, 242), 240};
constexpr Field kEWDelay{Box(150, 242, 250, 250), 250};
constexpr Field kEWState{Box(150, 250, 250, 262), 260};
constexpr Field kLongExposure{Box(150, 270, 250, 280), 280};
constexpr Field kAmplifier{Box(150, 280, 250, 290), 290};
constexpr Rect kCalibrationBarBox = Box(5, 140, 55, 160);

constexpr int kValueH = 150;
// The red, green and blue columns of the maxima and cutoff rows.
constexpr int kColumnH[3] = {150, 200, 250};
constexpr int kCalibrationSteps = 10;
constexpr int kCalibrationStepWidth = 5;

struct Label {
    const char* text;
    int h;
    int v;
};
constexpr Label kLabels[] = {
    {"StopWatch (seconds): ", 3, 30},
    {"Alarm (seconds): ", 3, 60},
    {"FPS (of program, not camera): ", 3, 80},
    {"Event Pause (ticks): ", 3, 90},
    {"Remaining Batch: ", 3, 120},
    {"Red", 150, 165},
    {"Green", 200, 165},
    {"Blue", 250, 165},
    {"max red/green/blue: ", 3, 175},
    {"end cutoff: ", 3, 185},
    {"last max above end cutoff: ", 3, 195},
    {"Movie Duration (seconds): ", 3, 210},
    {"Autoguide NS delay: ", 3, 230},
    {"Autoguide NS state: ", 3, 240},
    {"Autoguide EW delay: ", 3, 250},
    {"Autoguide EW state: ", 3, 260},
    {"Long Exposure: ", 3, 280},
    {"Amplifier: ", 3, 290},
};

std::string NumberText(long n) {
    Str255 text;
    NumToString(n, text);
    return PascalToString(text);
}

// Truncation toward zero into the 32-bit range the figures are shown in.
long TruncateToInt32(double x) {
    if (std::isnan(x)) return 0;
    return static_cast<long>(std::clamp(x, double(INT32_MIN), double(INT32_MAX)));
}

// Whole seconds, ".", then the tenths digit. The stopwatch clears the tenth's lowest
// bit and so moves in steps of two tenths; remainders keep the sign of the dividend.
std::string SecondsText(double seconds, bool evenTenths) {
    long tenths = TruncateToInt32(10 * seconds) % 10;
    if (evenTenths) tenths -= tenths % 2;
    return NumberText(TruncateToInt32(seconds)) + "." + NumberText(tenths);
}

void DrawTextAt(std::string_view text, int h, int v, int size = kTextSize, int16_t face = normal) {
    TextFace(face);
    TextSize(size);
    MoveTo(h, v);
    DrawText(text);
    TextSize(kTextSize);
    TextFace(normal);
}

// The large figures at size 50 bold. A figure wider than its rectangle (a stopwatch
// at 100 s or more, say) is drawn at the largest smaller size that fits, so that
// nothing spills past the rectangle that erases it.
void DrawLargeFigure(const Field& field, std::string_view text) {
    EraseRect(&field.box);
    const int room = field.box.right - kValueH;
    int size = kLargeTextSize;
    TextFace(bold);
    TextSize(size);
    const int width = TextWidthOf(text);
    if (width > room) {
        size = std::max(1, size * room / width);
        TextSize(size);
        while (size > 1 && TextWidthOf(text) > room) TextSize(--size);
    }
    DrawTextAt(text, kValueH, field.v, size, bold);
}

void DrawValueIn(const Field& field, std::string_view text) {
    EraseRect(&field.box);
    DrawTextAt(text, kValueH, field.v);
}

// Erases the row, then draws the three numbers in their columns.
void DrawColumns(const Field& field, const int (&values)[3], const bool (&isBold)[3]) {
    EraseRect(&field.box);
    for (int c = 0; c < 3; ++c)
        DrawTextAt(NumberText(values[c]), kColumnH[c], field.v, kTextSize, isBold[c] ? bold : normal);
}

std::string DelayText(int ticks) {
    if (ticks == 0 || ticks == 1) return "disabled";
    return NumberText(std::labs(static_cast<long>(ticks)) / 60);
}

}  // namespace

DataWindow::DataWindow() : window(GetNewCWindow(kDataWindowTemplate, nullptr, kInFront)) {
    EraseWindow();
    // The colours are the port's from the start, so values drawn before the first
    // update (or into a window hidden before it) are red on black too.
    SetNightColors();
    if (window != nullptr) ShowWindow(window);
}

DataWindow::~DataWindow() {
    if (window != nullptr) DisposeWindow(window);
}

WindowPtr DataWindow::GetDataWindow() const { return window; }

bool DataWindow::FocusPort() {
    if (window == nullptr) return false;
    SetPort(GetWindowPort(window));
    return true;
}

void DataWindow::SetNightColors() {
    if (!FocusPort()) return;
    BackColor(blackColor);
    ForeColor(redColor);
    TextSize(kTextSize);
    TextFace(normal);
}

void DataWindow::EraseWindow() {
    if (!IsWindowVisible(window)) return;
    SetPort(GetWindowPort(window));
    ForeColor(blackColor);
    Rect all;
    GetPortBounds(GetWindowPort(window), &all);
    PaintRect(&all);
}

void DataWindow::DrawDataWindow() {
    if (!IsWindowVisible(window)) return;
    EraseWindow();
    SetNightColors();
    for (const Label& label : kLabels) {
        MoveTo(label.h, label.v);
        DrawText(label.text);
    }
}

bool DataWindow::DrawStopWatchAndAlarm(StopWatch* stopWatch) {
    if (!FocusPort()) return false;
    bool fired = false;
    const double seconds = stopWatch->UpdateAndGetStopWatchSeconds(fired);
    DrawLargeFigure(kStopWatch, SecondsText(seconds, true));
    DrawValueIn(kAlarm, SecondsText(stopWatch->GetAlarmTrigger(), false));
    return fired;
}

void DataWindow::DrawFPS(int fps) {
    if (!FocusPort()) return;
    DrawValueIn(kFps, NumberText(fps));
    EraseRect(&kFpsWarning.box);
    const int h = kFpsWarning.box.left;
    if (fps == 4) {
        DrawTextAt("FPS < 5", h, kFpsWarning.v);
    } else if (fps <= 3) {
        DrawTextAt("FPS < 4!!!", h, kFpsWarning.v, kWarningTextSize, bold);
    }
}

void DataWindow::DrawEventPause(int ticks) {
    if (!FocusPort()) return;
    DrawValueIn(kEventPause, NumberText(ticks));
}

void DataWindow::DrawBatchSize(long remaining) {
    if (!FocusPort()) return;
    DrawLargeFigure(kBatch, NumberText(remaining));
}

void DataWindow::DrawMaxes(int maxRed, int maxGreen, int maxBlue) {
    if (!FocusPort()) return;
    DrawColumns(kMaxes, {maxRed, maxGreen, maxBlue}, {false, false, false});
}

void DataWindow::DrawEndCutoffs(int cutRed, int cutGreen, int cutBlue, int maxRed, int maxGreen, int maxBlue) {
    if (!FocusPort()) return;
    DrawColumns(kEndCutoffs, {cutRed, cutGreen, cutBlue}, {false, false, false});
    // Below every cutoff the row keeps the maxima of the last frame that reached one.
    if (maxRed < cutRed && maxGreen < cutGreen && maxBlue < cutBlue) return;
    DrawColumns(kMaxesAtCutoff, {maxRed, maxGreen, maxBlue},
                {maxRed >= cutRed, maxGreen >= cutGreen, maxBlue >= cutBlue});
}

void DataWindow::DrawCalibrationProgressBar(int steps) {
    if (!FocusPort()) return;
    // Kept within the frame, which EraseCalibrationProgressBar clears.
    steps = std::clamp(steps, 0, kCalibrationSteps);
    FrameRect(&kCalibrationBarBox);
    Rect bar = kCalibrationBarBox;
    bar.right = static_cast<int16_t>(bar.left + kCalibrationStepWidth * steps);
    PaintRect(&bar);
}

void DataWindow::EraseCalibrationProgressBar() {
    if (!FocusPort()) return;
    EraseRect(&kCalibrationBarBox);
}

void DataWindow::DrawMovieDuration(int seconds) {
    if (!FocusPort()) return;
    DrawValueIn(kMovieDuration, NumberText(seconds));
}

void DataWindow::DrawAutoGuideNSDelay(int ticks) {
    if (!FocusPort()) return;
    DrawValueIn(kNSDelay, DelayText(ticks));
}

void DataWindow::DrawAutoGuideNSState(bool active, bool north) {
    if (!FocusPort()) return;
    DrawValueIn(kNSState, !active ? "waiting" : north ? "guiding north" : "guiding south");
}

void DataWindow::DrawAutoGuideEWDelay(int ticks) {
    if (!FocusPort()) return;
    DrawValueIn(kEWDelay, DelayText(ticks));
}

void DataWindow::DrawAutoGuideEWState(bool active, bool east) {
    if (!FocusPort()) return;
    DrawValueIn(kEWState, !active ? "waiting" : east ? "guiding east" : "guiding west");
}

void DataWindow::DrawLongExposureState(bool on) {
    if (!FocusPort()) return;
    DrawValueIn(kLongExposure, on ? "on" : "off");
}

void DataWindow::DrawAmpStateState(bool off) {
    if (!FocusPort()) return;
    DrawValueIn(kAmplifier, off ? "off" : "on");
}
