// The image windows and the regions the observer marks on the level-adjusted frame.
//
// Four windows: the raw frame (a quarter of the frame's size at start), the
// level-adjusted frame with its overlays (full size), the channels window (the three
// quarter-size channel images one above the other) and the focus-aid window. The raw
// and level-adjusted windows show the whole buffer stretched over the window and
// always keep the frame's aspect ratio, so one factor converts both axes between
// window and buffer coordinates.
//
// The regions: the histogram bounds rectangle (right column and bottom row included),
// the autoguide rectangle (excluded), both in buffer coordinates; the target mark, in
// window coordinates of the level-adjusted window. A rectangle whose left is -1, and a
// target whose h is -1, is not defined. The long-exposure rectangle is held by the
// frame processor; its centre is kept in the preferences.
//
// Members by file: FrameWindowsGroup.cpp (construction, drawing, resizing),
// RegionSelection.cpp (the mouse gestures that define the regions).
#pragma once

#include <cstdint>

#include "platform/Toolbox.h"

class AutoGuider;
class DataWindow;
class GWorldWrapper;
class HistogramsDialog;
class IntegerTriangleSlider;
class RawFrameProcessor;
class SerialInterface;

class FrameWindowsGroup {
public:
    // Window templates of the four windows.
    static constexpr int16_t kRawFrameWindowId = 128;
    static constexpr int16_t kLevelAdjustedFrameWindowId = 129;
    static constexpr int16_t kChannelsWindowId = 130;
    static constexpr int16_t kFocusAidWindowId = 132;
    // Menu items that region selection enables and disables: the View menu's "clear
    // target" and the Misc menu's "clear long-exposure rectangle".
    static constexpr int16_t kMiscMenuId = 132;
    static constexpr int16_t kViewMenuId = 133;
    static constexpr int16_t kClearLongExposureRectItem = 4;
    static constexpr int16_t kClearTargetItem = 15;
    // Side of a channel's slot in the channels window.
    static constexpr int kChannelSlotWidth = 160;
    static constexpr int kChannelSlotHeight = 120;
    // The autoguide square's half side, in buffer pixels.
    static constexpr int kAutoGuideHalfSize = 50;
    // Steps and limits of the target mark's red.
    static constexpr int32_t kTargetBrightnessStep = 4096;
    static constexpr int32_t kMaxTargetBrightness = 65535;

    // Creates the four windows, sizes, paints and shows the raw, level-adjusted and
    // channels windows. The focus-aid window keeps its template's size and visibility.
    FrameWindowsGroup(GWorldWrapper* rawFrame, GWorldWrapper* longExposureFrame, GWorldWrapper* levelAdjustedFrame,
                      GWorldWrapper* redChannelFrame, GWorldWrapper* greenChannelFrame,
                      GWorldWrapper* blueChannelFrame, RawFrameProcessor* rawFrameProcessor, AutoGuider* autoGuider,
                      SerialInterface* serialInterface, HistogramsDialog* histogramsDialog, DataWindow* dataWindow);
    ~FrameWindowsGroup();
    FrameWindowsGroup(const FrameWindowsGroup&) = delete;
    FrameWindowsGroup& operator=(const FrameWindowsGroup&) = delete;

    WindowPtr GetRawFrameWindow() const { return rawFrameWindow; }
    WindowPtr GetLevelAdjustedFrameWindow() const { return levelAdjustedFrameWindow; }
    WindowPtr GetChannelsWindow() const { return channelsWindow; }
    WindowPtr GetFocusAidWindow() const { return focusAidWindow; }
    Rect GetHistogramBoundsRect() const { return histogramBoundsRect; }
    Rect GetAutoGuideBoundsRect() const { return autoGuideBoundsRect; }
    int GetPow2Dim() const { return pow2Dim; }
    Point GetTarget() const { return target; }
    int32_t GetTargetBrightness() const { return targetBrightness; }

    // --- Drawing and resizing (FrameWindowsGroup.cpp) -----------------------------------

    // Each draws only while its window is visible.
    void DrawRawFrameWindow();
    // The frame, then the histogram rectangle, the autoguide rectangle with the goal
    // cross, the long-exposure rectangle and the target mark.
    void DrawLevelAdjustedFrameWindow();
    void DrawChannelsWindow();
    // Frames a buffer-coordinate rectangle in the raw or level-adjusted window with a
    // 50 % grey pen, one pixel inside on the left and top.
    void DrawHashedRect(WindowPtr window, Rect r);
    // The grow box of a frame window: the observer chooses the width, the height
    // follows the frame's aspect ratio. False for a window that is not a frame window.
    bool GrowOneWindow(WindowPtr window, Point where);
    // The zoom box of a frame window: full frame size. False for a window that is not
    // a frame window.
    bool ZoomOneWindow(WindowPtr window);

    // --- Region selection (RegionSelection.cpp) -----------------------------------------

    // A press in a window's content, global point and modifier states. True when the
    // window is the level-adjusted or the focus-aid window.
    bool HandleMouseDownInContent(WindowPtr window, Point where, bool shift, bool control, bool option,
                                  bool command);
    // Rubber-band selection while the button is held: a free rectangle, or a square
    // of pow2Dim pixels centred on the mouse and kept inside the frame.
    void ClickDragDefineRect(GWorldWrapper* frame, WindowPtr window, bool pow2, Rect& rect);
    void DefineTarget(bool clear);
    void DefineAutoGuideRect(bool clear);
    // where: the press in global coordinates; ignored when clearing except that it is
    // what the preferences then hold.
    void DefineAutoDetectLongExposureRect(bool clear, Point where);
    void RetrieveAutoDetectLongExposureRect();
    void IncreaseTargetBrightness();
    void DecreaseTargetBrightness();
    void SetPow2Dim(int n) { pow2Dim = n; }

private:
    // The buffer a frame window shows: the raw frame for the raw window, the
    // level-adjusted frame for the level-adjusted window, else null.
    GWorldWrapper* FrameShownIn(WindowPtr window) const;
    // Copies the whole of a buffer onto a window's whole port, scaled.
    static void CopyFrameToWindow(GWorldWrapper& frame, WindowPtr window);
    static void SizeAndPaintBlack(WindowPtr window, int width, int height);
    void DrawGoalCross();
    void DrawTargetMark();
    // Whether a buffer point can be the centre of a long-exposure rectangle that lies
    // wholly inside the raw frame.
    bool InsideLongExposureBand(int h, int v) const;
    Rect LongExposureRectAround(int h, int v) const;
    static void EnableItem(int16_t menuId, int16_t item);
    static void DisableItem(int16_t menuId, int16_t item);

    WindowPtr rawFrameWindow = nullptr;
    WindowPtr levelAdjustedFrameWindow = nullptr;
    WindowPtr channelsWindow = nullptr;
    WindowPtr focusAidWindow = nullptr;
    GWorldWrapper* rawFrame;
    GWorldWrapper* longExposureFrame;
    GWorldWrapper* levelAdjustedFrame;
    GWorldWrapper* redChannelFrame;
    GWorldWrapper* greenChannelFrame;
    GWorldWrapper* blueChannelFrame;
    HistogramsDialog* histogramsDialog;
    SerialInterface* serialInterface;
    DataWindow* dataWindow;
    Rect histogramBoundsRect;
    Rect autoGuideBoundsRect{-1, -1, -1, -1};
    Point target{-1, -1};
    int32_t targetBrightness = 32768;
    int32_t longExposureHalfSize = 5;
    // The focus cutoff sliders of the focus-aid window, made by its drawing.
    IntegerTriangleSlider* lowCutoffSlider = nullptr;
    IntegerTriangleSlider* highCutoffSlider = nullptr;
    RawFrameProcessor* rawFrameProcessor;
    AutoGuider* autoGuider;
    // Side of the square the focus-aid plot was last drawn for; -1 none.
    int32_t focusAidDim = -1;
    int32_t pow2Dim = 128;
    // Horizontal position of the next point of the focus-aid history.
    int32_t focusAidPlotX = 240;
};
