#include <gtest/gtest.h>

#include "tests/support/ToolboxFixture.h"

namespace {

class WindowsTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterWindowTemplate(WindowTemplate{201, MakeRect(100, 100, 300, 250), "First", false, true, true, true});
        RegisterWindowTemplate(WindowTemplate{202, MakeRect(150, 120, 350, 270), "Second", true, true, false, false});
    }
};

TEST_F(WindowsTest, TemplateGivesBoundsTitleAndVisibility) {
    WindowPtr w = GetNewCWindow(201, nullptr, kInFront);
    ASSERT_NE(w, nullptr);
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    EXPECT_EQ(r, MakeRect(100, 100, 300, 250));
    Rect port;
    GetPortBounds(GetWindowPort(w), &port);
    EXPECT_EQ(port, MakeRect(0, 0, 200, 150));
    EXPECT_FALSE(IsWindowVisible(w));
    Str255 title;
    GetWTitle(w, title);
    EXPECT_EQ(PascalToString(title), "First");
    WindowPtr v = GetNewCWindow(202, nullptr, kInFront);
    EXPECT_TRUE(IsWindowVisible(v));
    EXPECT_EQ(GetNewCWindow(999, nullptr, kInFront), nullptr);
}

TEST_F(WindowsTest, FindWindowNamesEveryPart) {
    WindowPtr w = GetNewCWindow(201, nullptr, kInFront);
    ShowWindow(w);
    struct Case {
        Point where;
        int16_t part;
    } cases[] = {
        {{5, 500}, inMenuBar},
        {{150, 150}, inContent},
        {{100 - kTitleBarHeight / 2, 200}, inDrag},
        {{100 - kTitleBarHeight / 2, 108}, inGoAway},
        {{100 - kTitleBarHeight / 2, 290}, inZoomOut},
        {{245, 295}, inGrow},
        {{600, 900}, inDesk},
        {{249, 299}, inGrow},
        {{250, 300}, inDesk},  // right and bottom edges lie outside
    };
    for (const Case& c : cases) {
        WindowPtr found = nullptr;
        EXPECT_EQ(FindWindow(c.where, &found), c.part) << c.where.h << "," << c.where.v;
        if (c.part >= inContent) {
            EXPECT_EQ(found, w);
        }
    }
    HideWindow(w);
    WindowPtr found = nullptr;
    EXPECT_EQ(FindWindow(Point{150, 150}, &found), inDesk);
}

TEST_F(WindowsTest, FrontToBackOrderFollowsSelection) {
    WindowPtr a = GetNewCWindow(201, nullptr, kInFront);
    WindowPtr b = GetNewCWindow(202, nullptr, kInFront);
    ShowWindow(a);
    EXPECT_EQ(FrontWindow(), b);
    SelectWindow(a);
    EXPECT_EQ(FrontWindow(), a);
    WindowPtr found = nullptr;
    // The overlap belongs to the front window.
    EXPECT_EQ(FindWindow(Point{200, 200}, &found), inContent);
    EXPECT_EQ(found, a);
    HideWindow(a);
    EXPECT_EQ(FrontWindow(), b);
}

TEST_F(WindowsTest, MoveSizeAndLocalCoordinates) {
    WindowPtr w = GetNewCWindow(201, nullptr, kInFront);
    MoveWindow(w, 40, 60, false);
    SizeWindow(w, 64, 48, true);
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    EXPECT_EQ(r, MakeRect(40, 60, 104, 108));
    SetPort(GetWindowPort(w));
    Point p{70, 50};
    GlobalToLocal(&p);
    EXPECT_EQ(p, (Point{10, 10}));
    Rect nb = MakeRect(10, 40, 330, 280);
    SetWindowBounds(w, kWindowContentRgn, &nb);
    GetWindowBounds(w, kWindowContentRgn, &r);
    EXPECT_EQ(r, nb);
    EXPECT_GT(GetPortBitMapForCopyBits(GetWindowPort(w))->RowBytes(), 4 * 320);
}

TEST_F(WindowsTest, DragAndGrowFollowTheMouse) {
    WindowPtr w = GetNewCWindow(201, nullptr, kInFront);
    ShowWindow(w);
    Point start{91, 200};
    host().ScriptMouse({{Point{101, 230}, true}, {Point{111, 260}, true}, {Point{111, 260}, false}});
    Rect limit = GetMainScreenBounds();
    DragWindow(w, start, &limit);
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    EXPECT_EQ(r, MakeRect(160, 120, 360, 270));

    host().ScriptMouse({{Point{300, 400}, true}, {Point{300, 400}, false}});
    Rect limits = MakeRect(50, 50, 1000, 1000);
    long size = GrowWindow(w, Point{265, 355}, &limits);
    EXPECT_EQ(size >> 16, 150 + 35);
    EXPECT_EQ(size & 0xFFFF, 200 + 45);
    // Released where it was pressed: unchanged.
    host().ScriptMouse({{Point{265, 355}, false}});
    EXPECT_EQ(GrowWindow(w, Point{265, 355}, &limits), 0);
}

TEST_F(WindowsTest, DisposingTheCurrentPortsWindowForgetsIt) {
    WindowPtr w = GetNewCWindow(201, nullptr, kInFront);
    SetPort(GetWindowPort(w));
    DisposeWindow(w);
    EXPECT_EQ(CurrentPort(), nullptr);
    EXPECT_EQ(FirstWindow(), nullptr);
}

}  // namespace
