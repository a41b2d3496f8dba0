#include "app/DemoSession.h"

#include <algorithm>
#include <iterator>

#include "app/MainObject.h"
#include "display/HistogramsDialog.h"
#include "display/LevelsSlider.h"
#include "platform/Dialogs.h"
#include "processing/FramePixels.h"

namespace {

// The focus square (128 pixels) and the guiding square (100) must fit round the star.
constexpr int kStarMargin = 70;

// Shortcuts of the View menu's window items.
constexpr unsigned char kRawWindowKey = '1';
constexpr unsigned char kLevelAdjustedWindowKey = '2';
constexpr unsigned char kHistogramsWindowKey = '4';
constexpr unsigned char kQuitKey = 'Q';

// The levels: the value channel's light-cutoff thumb is dragged this many pixels to
// the left; the scale button of 125X.
constexpr int kValueChannel = 0;
constexpr int kLightCutoffDrag = 140;
constexpr int16_t kScaleItem125X = HistogramsDialog::kFirstScaleItem + 3;

Point CenterOf(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}

}  // namespace

DemoSession::DemoSession(MainObject& application, HeadlessHost& headless, Narrator narrator)
    : app(application), host(headless), narrate(std::move(narrator)), startMicros(MicrosecondsNow()) {}

void DemoSession::Step() {
    static constexpr double kSceneTimes[] = {kShowWindowsAt, kFocusSquareAt, kGuideAt, kLevelsAt,
                                             kAlarmAt,       kLastLookAt,    kQuitAt};
    if (finished || nextScene >= std::size(kSceneTimes)) return;
    // A gesture still waiting (or a drag still being polled) is the loop's first.
    if (host.PendingInput() > 0 || !host.ScriptEmpty()) return;
    if (SecondsSinceStart() < kSceneTimes[nextScene]) return;
    PlayScene(nextScene);
    ++nextScene;
}

void DemoSession::PlayScene(size_t scene) {
    switch (scene) {
        case 0:
            ShowEveryWindow();
            break;
        case 1:
            MarkFocusSquare();
            break;
        case 2:
            GuideOnStar();
            break;
        case 3:
            AdjustLevels();
            break;
        case 4:
            SetAlarm();
            break;
        case 5:
            TakeLastLook();
            break;
        default:
            Quit();
            break;
    }
}

double DemoSession::SecondsSinceStart() const { return static_cast<double>(MicrosecondsNow() - startMicros) / 1e6; }

void DemoSession::ShowEveryWindow() {
    Narrate("showing every window (Ctrl+1 ... Ctrl+6)");
    for (unsigned char key = kRawWindowKey; key <= '6'; ++key) PressCommandKey(key);
    PressCommandKey(kLevelAdjustedWindowKey);
}

void DemoSession::MarkFocusSquare() {
    star = FindBrightestStar();
    Narrate("focus square on the brightest star at (" + std::to_string(star.h) + ", " + std::to_string(star.v) +
            ") (right-button drag): histograms and focus aid measure it");
    const Point at = FrameToGlobal(star);
    host.ScriptDrag(at, at, 2, controlKey);
}

void DemoSession::GuideOnStar() {
    Narrate("guiding on the star (shift-click)");
    const Point at = FrameToGlobal(star);
    host.PushMouseDown(at, shiftKey);
    host.PushMouseUp(at, shiftKey);
}

void DemoSession::AdjustLevels() {
    Narrate("levels: the value channel's light cutoff dragged down to brighten faint stars; 125X histograms");
    PressCommandKey(kHistogramsWindowKey);
    HistogramsDialog* histograms = app.GetHistogramsDialog();
    DialogPtr dialog = histograms->GetHistogramsDialog();
    Rect content;
    GetWindowBounds(GetDialogWindow(dialog), kWindowContentRgn, &content);
    const Rect thumb = histograms->GetLevelsSlider(kValueChannel).GetLightThumbRect();
    const Point from = CenterOf(OffsetRectCopy(thumb, content.left, content.top));
    host.ScriptDrag(from, Point{from.v, static_cast<int16_t>(from.h - kLightCutoffDrag)});
    Rect box;
    GetDialogItem(dialog, kScaleItem125X, nullptr, nullptr, &box);
    const Point scale = CenterOf(OffsetRectCopy(box, content.left, content.top));
    host.PushMouseDown(scale);
    host.PushMouseUp(scale);
}

void DemoSession::SetAlarm() {
    Narrate("alarm at 10 s ('>'), then one tick of event pause (']') and back ('[')");
    for (unsigned char key : {'>', ']', '['}) PressKey(key);
}

void DemoSession::TakeLastLook() {
    Narrate("the level-adjusted window in front");
    PressCommandKey(kLevelAdjustedWindowKey);
}

void DemoSession::Quit() {
    Narrate("the program processed " + std::to_string(app.GetFPS()) + " frames in the last second; quitting (Ctrl+Q)");
    PressCommandKey(kQuitKey);
    finished = true;
}

void DemoSession::PressCommandKey(unsigned char c) {
    host.PushKeyDown(c, cmdKey);
    host.PushKeyUp(c, cmdKey);
}

void DemoSession::PressKey(unsigned char c) {
    host.PushKeyDown(c);
    host.PushKeyUp(c);
}

Point DemoSession::FindBrightestStar() const {
    LockedFramePixels locked(*app.GetRawFrame());
    const FramePixels& f = locked.Pixels();
    Point best{static_cast<int16_t>(f.height / 2), static_cast<int16_t>(f.width / 2)};
    int bestSum = -1;
    for (int y = kStarMargin; y < f.height - kStarMargin; ++y) {
        for (int x = kStarMargin; x < f.width - kStarMargin; ++x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const uint8_t* row = f.Row(y + dy);
                for (int dx = -1; dx <= 1; ++dx) sum += row[4 * (x + dx) + kGreenByte];
            }
            if (sum > bestSum) {
                bestSum = sum;
                best = Point{static_cast<int16_t>(y), static_cast<int16_t>(x)};
            }
        }
    }
    return best;
}

Point DemoSession::FrameToGlobal(Point framePoint) const {
    WindowPtr window = app.GetFrameWindowsGroup()->GetLevelAdjustedFrameWindow();
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    Rect port;
    GetPortBounds(GetWindowPort(window), &port);
    const Rect frame = app.GetRawFrame()->GetDim();
    // The window shows the whole frame with one factor for both axes.
    const int h = framePoint.h * (port.right - port.left) / frame.right;
    const int v = framePoint.v * (port.right - port.left) / frame.right;
    return Point{static_cast<int16_t>(content.top + v), static_cast<int16_t>(content.left + h)};
}

void DemoSession::Narrate(const std::string& line) const {
    if (narrate) narrate(line);
}
