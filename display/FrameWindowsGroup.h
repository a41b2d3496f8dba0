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
// RegionSelection.cpp (the mouse gestures that define the regions), FocusAidWindow.cpp
// (the focus-aid plot and its cutoff sliders), PictureSaving.cpp (pictures of the
// present frame written as picture files).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/FileProcs.h"
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

    // --- The focus-aid window (FocusAidWindow.cpp) --------------------------------------

    // The spectrum of the frame just measured with its cutoff lines and sliders, and the
    // next point of the chart; two red message lines instead while the histogram
    // rectangle is not a square the focus aid measures. Nothing while hidden.
    void DrawFocusAidWindow();
    // The chart's grid, axis, scale labels and legend.
    void DrawFocusAidWindowAxes();
    // Paints the window black, with the chart's axes when the histogram rectangle is a
    // square the focus aid measures. Nothing while hidden.
    void EraseFocusAidWindow();
    // The program's step that takes the next frame and puts it through the pipeline.
    // It runs while the observer drags a cutoff slider, so that the chart goes on
    // frame by frame and measures with the cutoff being dragged.
    void SetFrameStepDuringCutoffDrag(std::function<void()> step) { frameStepDuringCutoffDrag = std::move(step); }

    // --- Picture saving (PictureSaving.cpp) ---------------------------------------------

    // Saves the present frame (the raw frame, or the last long exposure while a
    // long-exposure rectangle is defined) as a picture file in the picture folder, under
    // the next picture name; a name already taken goes on to the next number. The raw
    // frame window then shows the frame as a negative with the name across it and one
    // beep sounds; when the file could not be written it shows "NOT saved" and why,
    // and three beeps sound.
    PictFileResult SavePresentPicture(double seconds);
    // Fills name (256 bytes) with the next picture name and advances the count: the
    // header and "-" when there is a header, the count with at least three digits, and
    // "-" seconds "secs" for seconds > 0. The header is mended for a file name and cut
    // so that the whole name fits kMaxFileNameLength.
    void BuildSavePictureFileName(unsigned char* name, double seconds);
    // Dialog 130: the header of picture names, and whether the numbering starts again.
    void GetSavePictureFileHeader();
    // Lets the observer choose the picture folder; true when one was chosen.
    bool SetSavePictureLocation();
    const FSSpec& GetSavePictureLocation() const { return savePictureLocation; }
    std::string GetSavePictureFileHeaderText() const { return PascalToString(savePictureFileHeader); }
    int32_t GetSavePictureCount() const { return savePictureCount; }

private:
    // A press in the focus-aid window: a drag of a cutoff slider's thumb sets that
    // cutoff, the low one never above the high one. Ignored before the first plot has
    // made the sliders.
    void HandleMouseDownInFocusAidWindow();
    // The cutoffs and the sliders' values when a press in the focus-aid window began.
    struct CutoffsAtPress {
        float low;
        float high;
        int lowValue;
        int highValue;
    };
    // One frame during a cutoff drag, measured with the cutoff the dragged thumb shows.
    void StepFrameDuringCutoffDrag(const CutoffsAtPress& atPress);
    void DeleteCutoffSliders();
    // Picture saving: the initial header and folder; the recording of the present
    // frame; what the raw frame window shows after a save.
    void InitPictureSaving();
    PicHandle RecordPresentPicture();
    void ShowSaveInRawFrameWindow(ConstStr255Param name, const PictFileResult& result);
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
    std::function<void()> frameStepDuringCutoffDrag;
    // Horizontal position of the next point of the focus-aid history.
    int32_t focusAidPlotX = 240;
    // Where pictures go, how their names begin and the number of the next one.
    FSSpec savePictureLocation;
    Str255 savePictureFileHeader = {0};
    int32_t savePictureCount = 0;
};
