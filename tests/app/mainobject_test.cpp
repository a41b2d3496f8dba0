#include <gtest/gtest.h>

#include <csignal>

#include "app/MainObject.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class MainObjectTest : public ToolboxTest {
protected:
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
    MainObject app;
    EXPECT_EQ(app.GetRawFrame()->GetDim(), MakeRect(0, 0, 640, 480));
    EXPECT_TRUE(IsWindowVisible(app.GetRawFrameWindow()));
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
    MainObject app;
    for (const DispatchCase& c : cases) {
        EventRecord e;
        e.what = c.what;
        e.modifiers = c.modifiers;
        e.where = Point{600, 1500};  // on the desk
        e.message = c.what == updateEvt ? app.GetRawFrameWindow()->reference : 'x';
        long before = app.GetIdlePasses();
        app.DoEvent(e);
        EXPECT_EQ(app.GetIdlePasses() - before, c.idleCycles) << "event kind " << c.what;
    }
}

TEST_F(MainObjectTest, FrameRateOfTheFirstFrames) {
    MainObject app;
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
    MainObject app;
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
    ProgramOptions options;
    options.frames = 5;
    MainObject app(options);
    host().PushKeyDown('a');
    app.Run();
    EXPECT_EQ(app.GetIdlePasses(), 5);
}

TEST_F(MainObjectTest, CloseBoxHidesAndDragMovesAWindow) {
    MainObject app;
    WindowPtr w = app.GetRawFrameWindow();
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

}  // namespace
