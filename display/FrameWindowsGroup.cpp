#include "display/FrameWindowsGroup.h"

#include "control/AutoGuider.h"
#include "image/GWorldWrapper.h"
#include "processing/RawFrameProcessor.h"

namespace {

// Half the arm of the goal cross, and the step and count of the target's circles.
constexpr int kGoalCrossArm = 5;
constexpr int kTargetCircleStep = 50;
constexpr int kTargetCircles = 5;

// The smallest size a frame window may be grown to.
constexpr int kMinimumWindowWidth = 40;
constexpr int kMinimumWindowHeight = 30;

Rect PortRectOf(WindowPtr window) {
    Rect r;
    GetPortBounds(GetWindowPort(window), &r);
    return r;
}

// A buffer coordinate scaled into a window, truncated towards zero.
int16_t ScaleCoordinate(int16_t c, float k) { return static_cast<int16_t>(static_cast<float>(c) * k); }

}  // namespace

FrameWindowsGroup::FrameWindowsGroup(GWorldWrapper* rawFrame, GWorldWrapper* longExposureFrame,
                                     GWorldWrapper* levelAdjustedFrame, GWorldWrapper* redChannelFrame,
                                     GWorldWrapper* greenChannelFrame, GWorldWrapper* blueChannelFrame,
                                     RawFrameProcessor* rawFrameProcessor, AutoGuider* autoGuider,
                                     SerialInterface* serialInterface, HistogramsDialog* histogramsDialog,
                                     DataWindow* dataWindow)
    : rawFrame(rawFrame),
      longExposureFrame(longExposureFrame),
      levelAdjustedFrame(levelAdjustedFrame),
      redChannelFrame(redChannelFrame),
      greenChannelFrame(greenChannelFrame),
      blueChannelFrame(blueChannelFrame),
      histogramsDialog(histogramsDialog),
      serialInterface(serialInterface),
      dataWindow(dataWindow),
      rawFrameProcessor(rawFrameProcessor),
      autoGuider(autoGuider) {
    rawFrameWindow = GetNewCWindow(kRawFrameWindowId, nullptr, kInFront);
    levelAdjustedFrameWindow = GetNewCWindow(kLevelAdjustedFrameWindowId, nullptr, kInFront);
    channelsWindow = GetNewCWindow(kChannelsWindowId, nullptr, kInFront);
    focusAidWindow = GetNewCWindow(kFocusAidWindowId, nullptr, kInFront);

    // The raw window starts at a quarter of the frame's size, the level-adjusted one
    // at full size; the channels window holds three quarter-size images.
    const Rect raw = rawFrame->GetDim();
    SizeAndPaintBlack(rawFrameWindow, RectWidth(raw) / 4, RectHeight(raw) / 4);
    const Rect adjusted = levelAdjustedFrame->GetDim();
    SizeAndPaintBlack(levelAdjustedFrameWindow, RectWidth(adjusted), RectHeight(adjusted));
    const Rect channel = redChannelFrame->GetDim();
    SizeAndPaintBlack(channelsWindow, RectWidth(channel), 3 * RectHeight(channel));

    histogramBoundsRect = adjusted;
    InitPictureSaving();
}

FrameWindowsGroup::~FrameWindowsGroup() {
    DeleteCutoffSliders();
    DisposeWindow(rawFrameWindow);
    DisposeWindow(levelAdjustedFrameWindow);
    DisposeWindow(channelsWindow);
    DisposeWindow(focusAidWindow);
}

void FrameWindowsGroup::SizeAndPaintBlack(WindowPtr window, int width, int height) {
    SetPort(GetWindowPort(window));
    ForeColor(blackColor);
    SizeWindow(window, width, height, true);
    const Rect r = PortRectOf(window);
    PaintRect(&r);
    ShowWindow(window);
}

GWorldWrapper* FrameWindowsGroup::FrameShownIn(WindowPtr window) const {
    if (window == rawFrameWindow) return rawFrame;
    if (window == levelAdjustedFrameWindow) return levelAdjustedFrame;
    return nullptr;
}

void FrameWindowsGroup::CopyFrameToWindow(GWorldWrapper& frame, WindowPtr window) {
    frame.CopyWorldBits(frame.GetDim(), PortRectOf(window), GetWindowPort(window));
}

// ---- Drawing ----

void FrameWindowsGroup::DrawRawFrameWindow() {
    if (!IsWindowVisible(rawFrameWindow)) return;
    CopyFrameToWindow(*rawFrame, rawFrameWindow);
}

void FrameWindowsGroup::DrawLevelAdjustedFrameWindow() {
    if (!IsWindowVisible(levelAdjustedFrameWindow)) return;
    // The overlays go over a fresh copy of the frame; nothing is erased separately.
    CopyFrameToWindow(*levelAdjustedFrame, levelAdjustedFrameWindow);
    if (histogramBoundsRect.left != -1) DrawHashedRect(levelAdjustedFrameWindow, histogramBoundsRect);
    if (autoGuideBoundsRect.left != -1) {
        DrawHashedRect(levelAdjustedFrameWindow, autoGuideBoundsRect);
        DrawGoalCross();
    }
    const Rect longExposureRect = rawFrameProcessor->GetAutoDetectLongExposureRect();
    if (longExposureRect.left != -1) DrawHashedRect(levelAdjustedFrameWindow, longExposureRect);
    if (target.h != -1) DrawTargetMark();
}

// An 11-pixel red cross on the goal centroid. The goal is in buffer coordinates and
// is drawn there as it is, also in a shrunk window.
void FrameWindowsGroup::DrawGoalCross() {
    const Point g = autoGuider->GetGoalCentroid();
    SetPort(GetWindowPort(levelAdjustedFrameWindow));
    ForeColor(redColor);
    MoveTo(g.h - kGoalCrossArm, g.v);
    LineTo(g.h + kGoalCrossArm, g.v);
    MoveTo(g.h, g.v - kGoalCrossArm);
    LineTo(g.h, g.v + kGoalCrossArm);
    ForeColor(blackColor);
}

// Lines across the whole window through the target and five circles around it, in
// the target's red.
void FrameWindowsGroup::DrawTargetMark() {
    SetPort(GetWindowPort(levelAdjustedFrameWindow));
    const Rect p = PortRectOf(levelAdjustedFrameWindow);
    const RGBColor red{static_cast<uint16_t>(targetBrightness & 0xFFFF), 0, 0};
    RGBForeColor(&red);
    MoveTo(0, target.v);
    LineTo(p.right, target.v);
    MoveTo(target.h, 0);
    LineTo(target.h, p.bottom);
    for (int i = 1; i <= kTargetCircles; ++i) {
        const int radius = kTargetCircleStep * i;
        const Rect circle = MakeRect(target.h - radius, target.v - radius, target.h + radius, target.v + radius);
        FrameOval(&circle);
    }
    ForeColor(blackColor);
}

void FrameWindowsGroup::DrawHashedRect(WindowPtr window, Rect r) {
    if (r.left == -1) return;
    GWorldWrapper* frame = FrameShownIn(window);
    if (frame == nullptr) return;
    const Rect p = PortRectOf(window);
    // One factor for both axes: the window keeps the frame's aspect ratio.
    const float k = static_cast<float>(p.right) / static_cast<float>(frame->GetDim().right);
    r.left = ScaleCoordinate(r.left, k);
    r.right = ScaleCoordinate(r.right, k);
    r.top = ScaleCoordinate(r.top, k);
    r.bottom = ScaleCoordinate(r.bottom, k);
    // One pixel inside the region on the left and top.
    r.left += 1;
    r.top += 1;
    if (r.left < 0)
        r.left = 0;
    else if (r.right >= p.right)
        r.right = p.right;
    if (r.top < 0)
        r.top = 0;
    else if (r.bottom >= p.bottom)
        r.bottom = p.bottom;
    SetPort(GetWindowPort(window));
    PenPat(GetQDGrayPattern());
    FrameRect(&r);
    PenPat(GetQDBlackPattern());
}

// The three channel images go into fixed 160 x 120 slots, one above the other, each
// scaled to its slot.
void FrameWindowsGroup::DrawChannelsWindow() {
    if (!IsWindowVisible(channelsWindow)) return;
    GWorldWrapper* channels[] = {redChannelFrame, greenChannelFrame, blueChannelFrame};
    for (int i = 0; i < 3; ++i) {
        const Rect slot = MakeRect(0, i * kChannelSlotHeight, kChannelSlotWidth, (i + 1) * kChannelSlotHeight);
        channels[i]->CopyWorldBits(channels[i]->GetDim(), slot, GetWindowPort(channelsWindow));
    }
}

// ---- Resizing ----

bool FrameWindowsGroup::GrowOneWindow(WindowPtr window, Point where) {
    if (window == channelsWindow) return true;
    GWorldWrapper* frame = FrameShownIn(window);
    if (frame == nullptr) return false;
    const Rect d = frame->GetDim();
    const Rect limits = MakeRect(kMinimumWindowWidth, kMinimumWindowHeight, d.right, d.bottom);
    const long result = GrowWindow(window, where, &limits);
    if (result == 0) return true;
    // The observer chooses the width; the height follows the frame's aspect ratio.
    const int width = static_cast<int>(result & 0xFFFF);
    const int height = width * d.bottom / d.right;
    BringToFront(window);
    SetPort(GetWindowPort(window));
    SizeWindow(window, width, height, true);
    return true;
}

bool FrameWindowsGroup::ZoomOneWindow(WindowPtr window) {
    if (window == channelsWindow) return true;
    GWorldWrapper* frame = FrameShownIn(window);
    if (frame == nullptr) return false;
    const Rect d = frame->GetDim();
    SizeWindow(window, d.right, d.bottom, true);
    BringToFront(window);
    SetPort(GetWindowPort(window));
    return true;
}
