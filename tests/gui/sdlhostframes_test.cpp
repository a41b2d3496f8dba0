// The window manager's gestures on the desktop host's windows: moves, resizes, closes
// and maximises, made with xdotool or sent as the manager would.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/gui/DesktopFixture.h"

namespace {

using namespace std::chrono_literals;

using FrameTest = DesktopTest;

TEST_F(FrameTest, MovedByTheWindowManagerTheToolboxWindowFollows) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Move");
    Settle();
    ASSERT_TRUE(Xdotool({"windowmove", "--sync", XWindowOf(w), "520", "330"}));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (w->origin != GlobalPt(520, 330) && std::chrono::steady_clock::now() < deadline) Settle(20);
    EXPECT_EQ(w->origin, GlobalPt(520, 330));
    // Clicks there now land in the window.
    ASSERT_TRUE(Xdotool({"mousemove", "530", "340", "click", "1"}));
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    EXPECT_EQ(FindWindow(down->where, &which), inContent);
    EXPECT_EQ(which, w);
}

// The desktop window's size as the X server has it.
std::pair<int, int> XSizeOf(const std::string& xid) {
    ChildResult r = RunChild({"xdotool", "getwindowgeometry", xid});
    int width = 0, height = 0;
    auto at = r.output.find("Geometry: ");
    if (at != std::string::npos) std::sscanf(r.output.c_str() + at, "Geometry: %dx%d", &width, &height);
    return {width, height};
}

TEST_F(FrameTest, ResizeBecomesAGrowBoxDragAndTheProgramsSizeWins) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Grow", true);
    Settle();
    const std::string xid = XWindowOf(w);
    ASSERT_TRUE(Xdotool({"windowsize", xid, "260", "190"}));
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    ASSERT_EQ(FindWindow(down->where, &which), inGrow);
    ASSERT_EQ(which, w);
    Rect limits = MakeRect(40, 30, 1000, 1000);
    long grown = GrowWindow(w, down->where, &limits);
    EXPECT_EQ(grown & 0xFFFF, 260);
    EXPECT_EQ(grown >> 16, 190);
    // The program keeps its own aspect: it takes the width and makes the height.
    SizeWindow(w, 260, 195, true);
    Settle(300);
    EXPECT_EQ(XSizeOf(xid), std::make_pair(260, 195));

    // A size the program does not take: the window goes back to the program's size.
    ASSERT_TRUE(Xdotool({"windowsize", xid, "500", "400"}));
    ASSERT_TRUE(WaitFor(mouseDown).has_value());
    Settle(300);
    EXPECT_EQ(RectWidth(w->portRect), 260);
    EXPECT_EQ(XSizeOf(xid), std::make_pair(260, 195));
}

TEST_F(FrameTest, ResizingAWindowWithoutGrowBoxKeepsItsSize) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Fixed");
    Settle();
    ASSERT_TRUE(Xdotool({"windowsize", XWindowOf(w), "260", "190"}));
    auto events = Collect([](const auto&) { return false; }, 300ms);
    for (const EventRecord& e : events) EXPECT_NE(e.what, mouseDown);
    EXPECT_EQ(RectWidth(w->portRect), 200);
}

TEST_F(FrameTest, CloseBecomesAClickInTheCloseBox) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Close");
    // A window in front whose content covers w's whole title bar in the toolbox's
    // idea of the screen: w comes to the front so that its close box can be hit.
    WindowPtr cover = OpenWindow(MakeRect(90, 60, 200, 100), "Cover");
    Settle();
    ASSERT_EQ(FrontWindow(), cover);
    SendWindowEvent(w, SDL_WINDOWEVENT_CLOSE);
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    EXPECT_EQ(FindWindow(down->where, &which), inGoAway);
    EXPECT_EQ(which, w);
    EXPECT_EQ(FrontWindow(), w);
    EXPECT_TRUE(IsWindowVisible(cover));
}

TEST_F(FrameTest, ClosingADialogWithoutCloseBoxPressesEscape) {
    WindowPtr d = OpenWindow(MakeRect(100, 100, 300, 250), "Dialog", false, false, false, WindowRole::kDialog);
    Settle();
    SendWindowEvent(d, SDL_WINDOWEVENT_CLOSE);
    auto events = Collect(UntilKeyCount(2));
    std::vector<Key> expected = {{keyDown, 0x1B, 0}, {keyUp, 0x1B, 0}};
    EXPECT_EQ(KeysOf(events), expected);
}

TEST_F(FrameTest, MaximiseBecomesAClickInTheZoomBox) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Zoom", true, true);
    Settle();
    SendWindowEvent(w, SDL_WINDOWEVENT_MAXIMIZED);
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    int16_t part = FindWindow(down->where, &which);
    EXPECT_EQ(part, inZoomOut);
    EXPECT_EQ(which, w);
    EXPECT_TRUE(TrackBox(w, down->where, part));
}

}  // namespace
