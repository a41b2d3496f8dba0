// The mouse gestures in the level-adjusted window that define the regions: a drag
// for the histogram rectangle (free, or with control a power-of-two square), option
// for the target, shift for the autoguide rectangle, command for the long-exposure
// rectangle. Every refused gesture is answered with one beep and changes nothing.
#include <algorithm>

#include "app/PrefFile.h"
#include "control/AutoGuider.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "platform/Menus.h"
#include "processing/ImageProcs.h"
#include "processing/RawFrameProcessor.h"

namespace {

Rect PortRectOf(WindowPtr window) {
    Rect r;
    GetPortBounds(GetWindowPort(window), &r);
    return r;
}

// Buffer pixels per window pixel: the window shows the whole buffer, and keeps its
// aspect ratio, so one factor serves both axes.
double WindowToBufferFactor(const Rect& buffer, const Rect& port) {
    return static_cast<double>(RectWidth(buffer)) / static_cast<double>(RectWidth(port));
}

int16_t ToBuffer(int16_t c, double f) { return static_cast<int16_t>(c * f); }

// A square of side pow2Dim centred on m (window coordinates), moved without changing
// its size so that it lies inside the frame d. Right and bottom belong to it.
Rect SquareAround(Point m, int side, const Rect& d) {
    const int s = side / 2;
    Rect r = MakeRect(m.h - s, m.v - s, m.h + s - 1, m.v + s - 1);
    if (r.left < 0) OffsetRect(&r, -r.left, 0);
    if (r.right > d.right - 1) OffsetRect(&r, -(r.right - (d.right - 1)), 0);
    if (r.top < 0) OffsetRect(&r, 0, -r.top);
    if (r.bottom > d.bottom - 1) OffsetRect(&r, 0, -(r.bottom - (d.bottom - 1)));
    return r;
}

Rect SpanBetween(Point a, Point b) {
    return MakeRect(std::min(a.h, b.h), std::min(a.v, b.v), std::max(a.h, b.h), std::max(a.v, b.v));
}

}  // namespace

bool FrameWindowsGroup::HandleMouseDownInContent(WindowPtr window, Point where, bool shift, bool control,
                                                 bool option, bool command) {
    if (window == levelAdjustedFrameWindow) {
        // The conditions exclude each other: at most one gesture acts.
        if (!shift && !option && !command) {
            ClickDragDefineRect(levelAdjustedFrame, levelAdjustedFrameWindow, control, histogramBoundsRect);
            histogramsDialog->UpdateHistograms(levelAdjustedFrame, histogramBoundsRect);
        } else if (option && !shift && !control && !command) {
            DefineTarget(false);
            DrawLevelAdjustedFrameWindow();
        } else if (shift && !option && !control && !command) {
            if (rawFrameProcessor->GetAutoDetectLongExposureRect().left != -1) {
                // Guiding on a star and detecting long exposures exclude each other.
                SysBeep(1);
            } else {
                DefineAutoGuideRect(false);
                autoGuider->SetNormalMode(true);
                DrawLevelAdjustedFrameWindow();
            }
        } else if (command && !shift && !option && !control) {
            if (rawFrameProcessor->GetBatchSize() != 0 || serialInterface->GetExposureOn()) {
                SysBeep(1);
            } else {
                DefineAutoDetectLongExposureRect(false, where);
                DrawLevelAdjustedFrameWindow();
                DefineAutoGuideRect(true);
                autoGuider->SetNormalMode(false);
            }
        }
        return true;
    }
    // Presses in the focus-aid window belong to its cutoff sliders.
    if (window == focusAidWindow) {
        HandleMouseDownInFocusAidWindow();
        return true;
    }
    return false;
}

void FrameWindowsGroup::ClickDragDefineRect(GWorldWrapper* frame, WindowPtr window, bool pow2, Rect& rect) {
    const Rect d = frame->GetDim();
    // A square that cannot fit the frame is not offered at all.
    if (pow2 && (pow2Dim > d.bottom || pow2Dim > d.right)) return;

    GrafPtr savedPort;
    GetPort(&savedPort);
    CGrafPtr port = GetWindowPort(window);
    SetPort(port);
    SetCursor(GetCursor(crossCursor));
    Point anchor;
    GetMouse(&anchor);
    // No position has h -1 here, so the first pass always counts as a move.
    Point previous{0, -1};
    const Rect p = PortRectOf(window);
    const double f = WindowToBufferFactor(d, p);

    while (StillDown()) {
        Point m;
        GetMouse(&m);
        if (m == previous) continue;
        Rect r = pow2 ? SquareAround(m, pow2Dim, d) : SpanBetween(anchor, m);
        r.left = std::max<int16_t>(r.left, 0);
        r.top = std::max<int16_t>(r.top, 0);
        if (r.right >= p.right - 1) r.right = static_cast<int16_t>(p.right - 1);
        if (r.bottom >= p.bottom - 1) r.bottom = static_cast<int16_t>(p.bottom - 1);
        // A fresh copy of the frame erases the previous band (and, until the next
        // redraw, the other overlays).
        frame->CopyWorldBits(d, p, port);
        rect = MakeRect(ToBuffer(r.left, f), ToBuffer(r.top, f), ToBuffer(r.right, f), ToBuffer(r.bottom, f));
        DrawHashedRect(window, rect);
        SetPort(port);
        previous = m;
    }
    InitCursor();
    SetPort(savedPort);
}

void FrameWindowsGroup::DefineTarget(bool clear) {
    if (clear) {
        // The mark disappears with the next redraw.
        target = Point{-1, -1};
        return;
    }
    SetPort(GetWindowPort(levelAdjustedFrameWindow));
    GetMouse(&target);
    EnableItem(kViewMenuId, kClearTargetItem);
    DrawLevelAdjustedFrameWindow();
}

void FrameWindowsGroup::DefineAutoGuideRect(bool clear) {
    if (serialInterface->NoAutoGuideSerialPort()) {
        SysBeep(1);
        return;
    }
    if (clear) {
        autoGuideBoundsRect = Rect{-1, -1, -1, -1};
        return;
    }
    const Rect d = levelAdjustedFrame->GetDim();
    SetPort(GetWindowPort(levelAdjustedFrameWindow));
    Point m;
    GetMouse(&m);
    const double f = WindowToBufferFactor(d, PortRectOf(levelAdjustedFrameWindow));
    // A square of 100 buffer pixels centred on the click; right and bottom are not
    // part of it.
    Rect r = MakeRect(static_cast<int>(m.h * f - kAutoGuideHalfSize), static_cast<int>(m.v * f - kAutoGuideHalfSize),
                      static_cast<int>(m.h * f + kAutoGuideHalfSize), static_cast<int>(m.v * f + kAutoGuideHalfSize));
    if (r.left < 0) OffsetRect(&r, -r.left, 0);
    if (r.right >= d.right) OffsetRect(&r, -(r.right - d.right), 0);
    if (r.top < 0) OffsetRect(&r, 0, -r.top);
    if (r.bottom > d.bottom) OffsetRect(&r, 0, -(r.bottom - d.bottom));
    autoGuideBoundsRect = r;
    // Where the star is now is where guiding holds it; measured on the raw frame.
    Point goal;
    CalculateValueCentroid(*rawFrame, autoGuideBoundsRect, goal);
    autoGuider->InitializeAutoGuideGoalCentroid(goal);
}

bool FrameWindowsGroup::InsideLongExposureBand(int h, int v) const {
    const Rect d = rawFrame->GetDim();
    const int half = longExposureHalfSize;
    return h >= half && h < d.right - half && v >= half && v < d.bottom - half;
}

Rect FrameWindowsGroup::LongExposureRectAround(int h, int v) const {
    const int half = longExposureHalfSize;
    return MakeRect(h - half, v - half, h + half, v + half);
}

void FrameWindowsGroup::DefineAutoDetectLongExposureRect(bool clear, Point where) {
    Rect rect{-1, -1, -1, -1};
    int h = where.h;
    int v = where.v;
    if (clear) {
        DisableItem(kMiscMenuId, kClearLongExposureRectItem);
    } else {
        SetPort(GetWindowPort(levelAdjustedFrameWindow));
        Point local = where;
        GlobalToLocal(&local);
        const Rect d = rawFrame->GetDim();
        const Rect p = PortRectOf(levelAdjustedFrameWindow);
        // Window to buffer coordinates with the horizontal factor for both axes.
        h = local.h * d.right / p.right;
        v = local.v * d.right / p.right;
        if (!InsideLongExposureBand(h, v)) {
            SysBeep(1);
            return;
        }
        rect = LongExposureRectAround(h, v);
        EnableItem(kMiscMenuId, kClearLongExposureRectItem);
    }
    {
        PrefFile prefs;
        prefs.WriteAutoDetectLongExposureRect(h, v);
    }
    rawFrameProcessor->SetAutoDetectLongExposureRect(rect, dataWindow);
    DrawRawFrameWindow();
}

void FrameWindowsGroup::RetrieveAutoDetectLongExposureRect() {
    if (rawFrameProcessor->GetBatchSize() != 0 || serialInterface->GetExposureOn()) {
        SysBeep(1);
        return;
    }
    int h = -1;
    int v = -1;
    bool found = false;
    {
        PrefFile prefs;
        found = prefs.ReadAutoDetectLongExposureRect(h, v);
    }
    // A cleared rectangle is stored as (-1, -1), outside the band.
    if (!found || !InsideLongExposureBand(h, v)) {
        SysBeep(1);
        return;
    }
    EnableItem(kMiscMenuId, kClearLongExposureRectItem);
    rawFrameProcessor->SetAutoDetectLongExposureRect(LongExposureRectAround(h, v), dataWindow);
    DrawRawFrameWindow();
    DrawLevelAdjustedFrameWindow();
    DefineAutoGuideRect(true);
    autoGuider->SetNormalMode(false);
}

void FrameWindowsGroup::IncreaseTargetBrightness() {
    targetBrightness = std::min(targetBrightness + kTargetBrightnessStep, kMaxTargetBrightness);
}

void FrameWindowsGroup::DecreaseTargetBrightness() {
    targetBrightness = std::max(targetBrightness - kTargetBrightnessStep, 0);
}

// Without an installed menu bar (tests, the headless demo before the menus) there is
// no item to change.
void FrameWindowsGroup::EnableItem(int16_t menuId, int16_t item) {
    if (MenuHandle menu = GetMenuHandle(menuId)) EnableMenuItem(menu, item);
}

void FrameWindowsGroup::DisableItem(int16_t menuId, int16_t item) {
    if (MenuHandle menu = GetMenuHandle(menuId)) DisableMenuItem(menu, item);
}
