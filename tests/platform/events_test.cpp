#include <gtest/gtest.h>

#include "tests/support/ToolboxFixture.h"

namespace {

class EventsTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterWindowTemplate(WindowTemplate{200, MakeRect(100, 100, 300, 250), "Test", false, true, true, true});
    }
};

TEST_F(EventsTest, NullEventWhenNothingIsPending) {
    EventRecord e;
    e.what = keyDown;
    EXPECT_FALSE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, nullEvent);
}

TEST_F(EventsTest, SleepPassesOnTheClockWhenIdle) {
    uint32_t before = TickCount();
    EventRecord e;
    WaitNextEvent(everyEvent, &e, 12, nullptr);
    EXPECT_GE(TickCount() - before, 12u);
}

TEST_F(EventsTest, KeyEventsCarryCharacterAndModifiersInOrder) {
    host().PushKeyDown('a', shiftKey);
    host().PushAutoKey('a', shiftKey);
    host().PushKeyUp('a', shiftKey);
    SetEventMask(everyEvent);
    EventRecord e;
    const uint16_t kinds[] = {keyDown, autoKey, keyUp};
    for (uint16_t kind : kinds) {
        ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
        EXPECT_EQ(e.what, kind);
        EXPECT_EQ(e.message & charCodeMask, 'a');
        EXPECT_EQ(e.modifiers & shiftKey, shiftKey);
    }
}

TEST_F(EventsTest, KeyUpsNeedTheEventMask) {
    host().PushKeyUp('x');
    host().PushKeyDown('y');
    SetEventMask(everyEvent & ~(1u << keyUp));
    EventRecord e;
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, keyDown);
    EXPECT_EQ(e.message & charCodeMask, 'y');
}

TEST_F(EventsTest, FlushEventsDropsOnlyTheMaskedKinds) {
    host().PushMouseDown(Point{50, 50});
    host().PushKeyDown('k');
    host().PushMouseUp(Point{50, 50});
    EventRecord e;
    // Moves the input into the queue, then flushes mouse-downs and mouse-ups.
    SetEventMask(everyEvent);
    ASSERT_TRUE(WaitNextEvent(1u << keyDown, &e, 0, nullptr));
    host().PushMouseDown(Point{60, 60});
    host().PushKeyDown('m');
    WaitNextEvent(0, &e, 0, nullptr);  // pumps without taking anything
    FlushEvents((1u << mouseDown) | (1u << mouseUp), 0);
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, keyDown);
    EXPECT_EQ(e.message & charCodeMask, 'm');
    EXPECT_FALSE(WaitNextEvent(everyEvent, &e, 0, nullptr));
}

TEST_F(EventsTest, ShownWindowGetsOneUpdateEvent) {
    WindowPtr w = GetNewCWindow(200, nullptr, kInFront);
    ShowWindow(w);
    EventRecord e;
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, updateEvt);
    EXPECT_EQ(WindowFromReference(e.message), w);
    BeginUpdate(w);
    EndUpdate(w);
    EXPECT_FALSE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    // Resizing brings another one; hiding takes a pending one away.
    SizeWindow(w, 120, 90, true);
    HideWindow(w);
    EXPECT_FALSE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    ShowWindow(w);
    SizeWindow(w, 100, 80, true);
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, updateEvt);
    DisposeWindow(w);
}

TEST_F(EventsTest, InputComesBeforeUpdates) {
    WindowPtr w = GetNewCWindow(200, nullptr, kInFront);
    ShowWindow(w);
    host().PushKeyDown('q');
    EventRecord e;
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, keyDown);
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 0, nullptr));
    EXPECT_EQ(e.what, updateEvt);
}

TEST_F(EventsTest, DragLoopsReadTheScriptThroughStillDownAndGetMouse) {
    WindowPtr w = GetNewCWindow(200, nullptr, kInFront);
    ShowWindow(w);
    SetPort(GetWindowPort(w));
    host().ScriptDrag(Point{110, 110}, Point{130, 150}, 2);
    EventRecord e;
    ASSERT_TRUE(WaitNextEvent(1u << mouseDown, &e, 0, nullptr));
    Point p;
    GetMouse(&p);
    EXPECT_EQ(p, (Point{10, 10}));  // local to the window at (100, 100)
    std::vector<Point> seen;
    while (StillDown()) {
        GetMouse(&p);
        seen.push_back(p);
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Point{20, 30}));
    EXPECT_EQ(seen[1], (Point{30, 50}));
    GetMouse(&p);
    EXPECT_EQ(p, (Point{30, 50}));  // released where the drag ended
    EXPECT_FALSE(StillDown());
}

TEST_F(EventsTest, SpinningOnTheVirtualClockEnds) {
    uint32_t start = TickCount();
    long reads = 0;
    while (TickCount() - start < 2) ++reads;
    EXPECT_GT(reads, 0);
    UnsignedWide us;
    Microseconds(&us);
    uint64_t t0 = (uint64_t(us.hi) << 32) | us.lo;
    while (MicrosecondsNow() - t0 < 1000) {
    }
}

TEST_F(EventsTest, TickCountIsSixtyASecond) {
    clock().SetMicros(0);
    clock().SetStepPerRead(0);
    clock().AdvanceMicros(1000000);
    EXPECT_EQ(TickCount(), 60u);
    clock().AdvanceMicros(16667);
    EXPECT_EQ(TickCount(), 61u);
}

TEST_F(EventsTest, BeepsAreCounted) {
    SysBeep(1);
    SysBeep(1);
    EXPECT_EQ(host().Beeps(), 2);
}

}  // namespace
