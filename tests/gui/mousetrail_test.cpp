// The desktop mouse's trail: presses and releases for the event loop, the positions in
// between for drag loops (no display needed).
#include <gtest/gtest.h>

#include "platform/host/MouseTrail.h"

namespace {

Point P(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

TEST(MouseTrail, DragLoopReadsEveryPositionAfterThePressThenTheRelease) {
    MouseTrail trail;
    trail.RecordMove(P(5, 5), 0);  // hovering before the press
    trail.RecordPress(P(10, 10), shiftKey);
    trail.RecordMove(P(12, 11), shiftKey);
    trail.RecordMove(P(15, 13), shiftKey);
    trail.RecordRelease(P(16, 14), shiftKey | btnState);
    trail.RecordMove(P(40, 40), 0);  // the mouse has moved on since

    trail.NotePressDelivered(P(10, 10), shiftKey);
    EXPECT_EQ(trail.Current().where, P(10, 10));
    EXPECT_TRUE(trail.Current().down);
    const Point expected[] = {P(12, 11), P(15, 13)};
    for (Point p : expected) {
        MouseState m;
        ASSERT_TRUE(trail.TakeNext(&m));
        EXPECT_EQ(m.where, p);
        EXPECT_TRUE(m.down);
        // GetMouse inside the loop sees the position the loop has reached, not the
        // latest one.
        EXPECT_EQ(trail.Current().where, p);
    }
    MouseState m;
    ASSERT_TRUE(trail.TakeNext(&m));
    EXPECT_FALSE(m.down);
    EXPECT_EQ(m.where, P(16, 14));
    // Once released, the latest position shows through.
    EXPECT_EQ(trail.Current().where, P(40, 40));
    EXPECT_FALSE(trail.Current().down);
}

TEST(MouseTrail, NothingNewWhileTheButtonIsStillHeld) {
    MouseTrail trail;
    trail.RecordPress(P(1, 1), 0);
    trail.NotePressDelivered(P(1, 1), 0);
    MouseState m;
    EXPECT_FALSE(trail.TakeNext(&m));
    EXPECT_TRUE(m.down);
    EXPECT_EQ(m.where, P(1, 1));
    EXPECT_TRUE(trail.ButtonHeldOnDesktop());
    trail.RecordMove(P(3, 1), 0);
    ASSERT_TRUE(trail.TakeNext(&m));
    EXPECT_EQ(m.where, P(3, 1));
}

TEST(MouseTrail, ClicksTheProgramDidNotFollowAreDroppedWithTheirRelease) {
    MouseTrail trail;
    trail.RecordPress(P(1, 1), 0);
    trail.RecordMove(P(2, 2), 0);
    trail.RecordRelease(P(2, 2), btnState);
    trail.RecordPress(P(50, 60), cmdKey);
    trail.RecordMove(P(51, 61), cmdKey);
    trail.RecordRelease(P(52, 62), cmdKey | btnState);

    // The first click is handled without a drag loop: mouse-down, then mouse-up.
    trail.NotePressDelivered(P(1, 1), 0);
    trail.NoteReleaseDelivered(P(2, 2), btnState);
    EXPECT_FALSE(trail.Current().down);
    // The second click's drag starts at its own press, not at leftovers of the first.
    trail.NotePressDelivered(P(50, 60), cmdKey);
    MouseState m;
    ASSERT_TRUE(trail.TakeNext(&m));
    EXPECT_EQ(m.where, P(51, 61));
    EXPECT_EQ(m.modifiers, cmdKey);
    ASSERT_TRUE(trail.TakeNext(&m));
    EXPECT_FALSE(m.down);
    EXPECT_EQ(trail.RecordedCount(), 0u);
}

TEST(MouseTrail, APressRecordedAfterTheOneHandedOutEndsIt) {
    // The release of the first press went missing; the next press cannot leave the
    // drag loop waiting.
    MouseTrail trail;
    trail.RecordPress(P(1, 1), 0);
    trail.NotePressDelivered(P(1, 1), 0);
    trail.RecordPress(P(9, 9), 0);
    MouseState m;
    ASSERT_TRUE(trail.TakeNext(&m));
    EXPECT_FALSE(m.down);
}

TEST(MouseTrail, APressNotFromTheDesktopStartsNoDrag) {
    MouseTrail trail;
    trail.NotePressDelivered(P(7, 8), 0);
    MouseState m;
    EXPECT_FALSE(trail.TakeNext(&m));
    EXPECT_FALSE(m.down);
    EXPECT_EQ(m.where, P(7, 8));
}

TEST(MouseTrail, HoveringKeepsOnlyTheLatestPosition) {
    MouseTrail trail;
    for (int i = 0; i < 1000; ++i) trail.RecordMove(P(i, i), 0);
    EXPECT_EQ(trail.RecordedCount(), 1u);
    EXPECT_EQ(trail.Current().where, P(999, 999));
}

}  // namespace
