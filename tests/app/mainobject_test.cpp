#include <gtest/gtest.h>

#include <csignal>

#include "app/MainObject.h"
#include "platform/Dialogs.h"
#include "platform/services/SerialPortDiscovery.h"
#include "sim/PseudoTerminal.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/IsolatedSerialPorts.h"
#include "tests/support/RecordingSerialDevice.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// The program's own tests never use a webcam the machine may have: the test pattern.
ProgramOptions TestPatternCamera() {
    ProgramOptions options;
    options.camera = "test";
    return options;
}

Rect WindowSize(WindowPtr w) {
    Rect r;
    GetPortBounds(GetWindowPort(w), &r);
    return r;
}

Point GlobalPoint(WindowPtr w, int h, int v) {
    Rect content;
    GetWindowBounds(w, kWindowContentRgn, &content);
    return Point{static_cast<int16_t>(content.top + v), static_cast<int16_t>(content.left + h)};
}

Rgb WindowPixel(WindowPtr w, int h, int v) {
    const PixMap& pm = GetWindowPort(w)->pixMap;
    const uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + (h - pm.bounds.left) * 4;
    return Rgb{p[1], p[2], p[3]};
}

class MainObjectTest : public ToolboxTest {
protected:
    // The next event the host delivers, as the loop would get it.
    EventRecord NextEvent() {
        EventRecord e;
        WaitNextEvent(everyEvent, &e, 0, nullptr);
        return e;
    }
    void PaintWindow(WindowPtr w, long colour) {
        SetPort(GetWindowPort(w));
        ForeColor(colour);
        Rect r = WindowSize(w);
        PaintRect(&r);
        ForeColor(blackColor);
    }

    void SetUp() override {
        ToolboxTest::SetUp();
        MainObject::quit = false;
        // The tick counter counts from the system's start: never 0 in practice.
        clock().SetTicks(100000);
    }
    void TearDown() override {
        MainObject::quit = false;
        ToolboxTest::TearDown();
    }
};

TEST_F(MainObjectTest, BuildsTheBuffersAtTheCameraSize) {
    MainObject app(TestPatternCamera());
    EXPECT_EQ(app.GetRawFrame()->GetDim(), MakeRect(0, 0, 640, 480));
    FrameWindowsGroup* group = app.GetFrameWindowsGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_TRUE(IsWindowVisible(group->GetRawFrameWindow()));
    EXPECT_EQ(WindowSize(group->GetRawFrameWindow()), MakeRect(0, 0, 160, 120));
    EXPECT_EQ(WindowSize(group->GetLevelAdjustedFrameWindow()), MakeRect(0, 0, 640, 480));
    EXPECT_EQ(WindowSize(group->GetChannelsWindow()), MakeRect(0, 0, 160, 360));
    EXPECT_EQ(group->GetHistogramBoundsRect(), MakeRect(0, 0, 640, 480));
    ASSERT_NE(app.GetHistogramsDialog(), nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDialogWindow(app.GetHistogramsDialog()->GetHistogramsDialog())));
}

struct DispatchCase {
    uint16_t what;
    uint16_t modifiers;
    int idleCycles;
};

TEST_F(MainObjectTest, EachEventKindRunsItsIdleCycle) {
    const DispatchCase cases[] = {
        {nullEvent, 0, 1}, {mouseDown, 0, 1}, {mouseUp, 0, 0},      {keyDown, 0, 1},
        {keyDown, cmdKey, 1}, {keyUp, 0, 1},  {autoKey, 0, 1},      {updateEvt, 0, 1},
        {7, 0, 0},         {activateEvt, 0, 0}, {osEvt, 0, 0},
    };
    MainObject app(TestPatternCamera());
    for (const DispatchCase& c : cases) {
        EventRecord e;
        e.what = c.what;
        e.modifiers = c.modifiers;
        e.where = Point{600, 1500};  // on the desk
        e.message = c.what == updateEvt ? app.GetFrameWindowsGroup()->GetRawFrameWindow()->reference : 'x';
        long before = app.GetIdlePasses();
        app.DoEvent(e);
        EXPECT_EQ(app.GetIdlePasses() - before, c.idleCycles) << "event kind " << c.what;
    }
}

TEST_F(MainObjectTest, FrameRateOfTheFirstFrames) {
    MainObject app(TestPatternCamera());
    // The first processed frame closes a period at once (the last update was at tick 0):
    // it is drawn with 0, the frames after it show 1 until 60 ticks have passed.
    std::vector<int> shown;
    for (int i = 0; i < 40; ++i) {
        shown.push_back(app.GetFPS());
        app.ProcessFPSandStopWatch();
        clock().AdvanceTicks(1);
    }
    EXPECT_EQ(shown[0], 0);
    for (int i = 1; i < 40; ++i) EXPECT_EQ(shown[i], 1) << i;
    // 60 ticks after the first frame the frames of that period are counted.
    for (int i = 40; i < 61; ++i) {
        app.ProcessFPSandStopWatch();
        clock().AdvanceTicks(1);
    }
    EXPECT_EQ(app.GetFPS(), 60);
}

TEST_F(MainObjectTest, QuitEndsTheLoopAfterThePresentPass) {
    MainObject app(TestPatternCamera());
    host().PushKeyDown('a');
    host().PushKeyDown('b');
    host().PushKeyDown('c');
    // Quit is set during the first pass; the loop still finishes that pass only.
    MainObject::quit = false;
    long before = app.GetIdlePasses();
    std::raise(SIGTERM);  // the program's handler sets the flag
    EXPECT_TRUE(MainObject::quit);
    app.Run();
    EXPECT_EQ(app.GetIdlePasses(), before) << "the flag is tested before each wait";
    EXPECT_EQ(host().PendingInput(), 3u);
}

TEST_F(MainObjectTest, FramesOptionStopsAfterThatManyIdlePasses) {
    ProgramOptions options = TestPatternCamera();
    options.frames = 5;
    MainObject app(options);
    host().PushKeyDown('a');
    app.Run();
    EXPECT_EQ(app.GetIdlePasses(), 5);
}

TEST_F(MainObjectTest, CloseBoxHidesAndDragMovesAWindow) {
    MainObject app(TestPatternCamera());
    WindowPtr w = app.GetFrameWindowsGroup()->GetRawFrameWindow();
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    EventRecord e;
    e.what = mouseDown;
    e.where = Point{static_cast<int16_t>(r.top - kTitleBarHeight / 2), static_cast<int16_t>(r.left + 60)};
    host().ScriptMouse({{Point{static_cast<int16_t>(e.where.v + 30), static_cast<int16_t>(e.where.h + 40)}, true}});
    app.HandleMouseDown(e);
    Rect moved;
    GetWindowBounds(w, kWindowContentRgn, &moved);
    EXPECT_EQ(moved, OffsetRectCopy(r, 40, 30));
    e.where = Point{static_cast<int16_t>(moved.top - kTitleBarHeight / 2), static_cast<int16_t>(moved.left + 8)};
    app.HandleMouseDown(e);
    EXPECT_FALSE(IsWindowVisible(w));
}

// An idle cycle with a fresh frame runs the pipeline: the frame reaches the
// level-adjusted window and the channel images.
TEST_F(MainObjectTest, IdleCycleRunsThePipelineOnTheFreshFrame) {
    MainObject app(TestPatternCamera());
    FrameWindowsGroup* group = app.GetFrameWindowsGroup();
    app.DoIdle();
    WindowPtr adjusted = group->GetLevelAdjustedFrameWindow();
    for (int h : {50, 320, 600}) EXPECT_EQ(WindowPixel(adjusted, h, 240), GetPixel(*app.GetRawFrame(), h, 240)) << h;
    EXPECT_NE(WindowPixel(group->GetChannelsWindow(), 80, 60), (Rgb{0, 0, 0}));
}

TEST_F(MainObjectTest, UpdatesRedrawEachFrameWindowAndNothingInTheFocusAidWindow) {
    MainObject app(TestPatternCamera());
    FrameWindowsGroup* group = app.GetFrameWindowsGroup();
    FillFrame(*app.GetRawFrame(), Rgb{10, 20, 30});
    const WindowPtr windows[] = {group->GetRawFrameWindow(), group->GetLevelAdjustedFrameWindow(),
                                 group->GetChannelsWindow(), group->GetFocusAidWindow()};
    ShowWindow(group->GetFocusAidWindow());
    for (WindowPtr w : windows) PaintWindow(w, redColor);
    for (WindowPtr w : windows) {
        EventRecord e;
        e.what = updateEvt;
        e.message = w->reference;
        app.DoUpdate(e);
    }
    // The level-adjusted and channel buffers are still white: no frame was processed.
    EXPECT_EQ(WindowPixel(windows[0], 40, 30), (Rgb{10, 20, 30}));
    EXPECT_EQ(WindowPixel(windows[1], 40, 30), (Rgb{255, 255, 255}));
    EXPECT_EQ(WindowPixel(windows[2], 40, 30), (Rgb{255, 255, 255}));
    EXPECT_EQ(WindowPixel(windows[3], 40, 30), (Rgb{255, 0, 0}));
}

TEST_F(MainObjectTest, PressesInTheLevelAdjustedWindowDefineRegions) {
    MainObject app(TestPatternCamera());
    FrameWindowsGroup* group = app.GetFrameWindowsGroup();
    WindowPtr adjusted = group->GetLevelAdjustedFrameWindow();
    host().ScriptDrag(GlobalPoint(adjusted, 100, 100), GlobalPoint(adjusted, 50, 150));
    app.DoEvent(NextEvent());
    EXPECT_EQ(group->GetHistogramBoundsRect(), MakeRect(50, 100, 100, 150));
    EXPECT_EQ(FrontWindow(), adjusted);
    FlushEvents(everyEvent, 0);
    // The modifiers of the event choose the gesture: option sets the target.
    host().PushMouseDown(GlobalPoint(adjusted, 300, 200), optionKey);
    app.DoEvent(NextEvent());
    EXPECT_EQ(group->GetTarget(), (Point{200, 300}));
}

TEST_F(MainObjectTest, GrowAndZoomBoxesResizeTheFrameWindows) {
    MainObject app(TestPatternCamera());
    FrameWindowsGroup* group = app.GetFrameWindowsGroup();
    WindowPtr adjusted = group->GetLevelAdjustedFrameWindow();
    Rect content;
    GetWindowBounds(adjusted, kWindowContentRgn, &content);
    const Point growBox{static_cast<int16_t>(content.bottom - 3), static_cast<int16_t>(content.right - 3)};
    host().PushMouseDown(growBox);
    host().ScriptMouse({{Point{static_cast<int16_t>(growBox.v - 10), static_cast<int16_t>(growBox.h - 320)}, true}});
    app.DoEvent(NextEvent());
    EXPECT_EQ(WindowSize(adjusted), MakeRect(0, 0, 320, 240));

    WindowPtr raw = group->GetRawFrameWindow();
    GetWindowBounds(raw, kWindowContentRgn, &content);
    // The zoom box sits at the right end of the title bar.
    const Point zoomBox{static_cast<int16_t>(content.top - kTitleBarHeight / 2), static_cast<int16_t>(content.right - 10)};
    host().PushMouseDown(zoomBox);
    app.DoEvent(NextEvent());
    EXPECT_EQ(WindowSize(raw), MakeRect(0, 0, 640, 480));
}

TEST_F(MainObjectTest, PressesInTheHistogramsDialogReachIt) {
    MainObject app(TestPatternCamera());
    HistogramsDialog* histograms = app.GetHistogramsDialog();
    DialogPtr dialog = histograms->GetHistogramsDialog();
    ShowWindow(GetDialogWindow(dialog));
    SelectWindow(GetDialogWindow(dialog));
    int16_t type = 0;
    ControlHandle item = nullptr;
    Rect box;
    GetDialogItem(dialog, 5, &type, &item, &box);  // the 625X scale button
    const Point centre = GlobalPoint(GetDialogWindow(dialog), (box.left + box.right) / 2, (box.top + box.bottom) / 2);
    host().PushMouseDown(centre);
    host().PushMouseUp(centre);
    app.DoEvent(NextEvent());
    EXPECT_DOUBLE_EQ(histograms->GetHistogramScale(), 625.0);
}

// With an autoguide rectangle the idle cycle measures the star on every frame and
// sends the corrections that are due; without one nothing goes to the mount.
TEST_F(MainObjectTest, IdleCycleGuidesOnlyWhileAnAutoguideRectangleIsDefined) {
    RecordingSerialDevice recorder;
    IsolatedSerialPorts ports;
    PseudoTerminal mount;
    ASSERT_TRUE(mount.IsOpen()) << mount.Error();
    SerialPorts().AddGivenPort(mount.PortPath());
    {
        MainObject app(TestPatternCamera());
        SerialInterface* serial = app.GetSerialInterface();
        ASSERT_EQ(serial->BeginPortConfiguration(), 1);
        const std::vector<int32_t> functions{SerialInterface::kAutoGuideFtn};
        serial->FinishPortConfiguration(&functions);
        mount.ReadAvailable();

        for (int i = 0; i < 5; ++i) {
            app.DoIdle();
            clock().AdvanceTicks(10);
        }
        EXPECT_EQ(mount.ReadAvailable(), "") << "no rectangle, no guiding";

        FrameWindowsGroup* group = app.GetFrameWindowsGroup();
        host().PushMouseDown(GlobalPoint(group->GetLevelAdjustedFrameWindow(), 320, 240), shiftKey);
        app.DoEvent(NextEvent());
        ASSERT_EQ(group->GetAutoGuideBoundsRect(), MakeRect(270, 190, 370, 290));
        // A goal far from any star the rectangle can hold.
        app.GetAutoGuider()->InitializeAutoGuideGoalCentroid(Point{0, 0});
        for (int i = 0; i < 5; ++i) {
            app.DoIdle();
            clock().AdvanceTicks(10);
        }
        EXPECT_NE(mount.ReadAvailable().find("#:RG#"), std::string::npos);
    }
}

}  // namespace
