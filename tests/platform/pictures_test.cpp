// Built-in pictures: registered by id, drawn by their own function into the current
// port at the destination rectangle, leaving the port's drawing settings as they were.
#include <gtest/gtest.h>

#include "platform/Pictures.h"
#include "platform/QuickDraw.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class PicturesTest : public ToolboxTest {};

TEST_F(PicturesTest, RegisteredPictureDrawsIntoTheCurrentPortAtTheDestination) {
    GrafPtr drawnInto = nullptr;
    RegisterPicture(3001, MakeRect(0, 0, 11, 6), [&](const Rect& dst) {
        GetPort(&drawnInto);
        PaintOval(&dst);
    });
    PicHandle pic = GetPicture(3001);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->id, 3001);
    EXPECT_EQ(pic->picFrame, MakeRect(0, 0, 11, 6));
    TestPort port(8, 8);
    port.MakeCurrent();
    const Rect dst = MakeRect(0, 0, 8, 8);
    DrawPicture(pic, &dst);
    EXPECT_EQ(drawnInto, port.port());
    EXPECT_EQ(port.Grid(), Rows({"..####..",
                                 ".######.",
                                 "########",
                                 "########",
                                 "########",
                                 "########",
                                 ".######.",
                                 "..####.."}));
}

TEST_F(PicturesTest, DrawingSettingsChangedByThePictureAreRestored) {
    RegisterPicture(3002, MakeRect(0, 0, 4, 4), [](const Rect& dst) {
        ForeColor(redColor);
        BackColor(blueColor);
        PenSize(3, 3);
        PenPat(GetQDGrayPattern());
        TextSize(40);
        TextFace(bold);
        const Rect clip = MakeRect(0, 0, 1, 1);
        ClipRect(&clip);
        MoveTo(dst.left, dst.top);
        LineTo(dst.right, dst.bottom);
    });
    TestPort port(8, 8);
    port.MakeCurrent();
    MoveTo(2, 5);
    TextSize(9);
    const Rect dst = MakeRect(0, 0, 4, 4);
    DrawPicture(GetPicture(3002), &dst);
    GrafPtr p = port.port();
    EXPECT_EQ(p->pnLoc, (Point{5, 2}));
    EXPECT_EQ(p->pnSize, (Point{1, 1}));
    EXPECT_EQ(p->pnPat.pat[1], 0xFF);
    EXPECT_EQ(p->fgColor, (RGBColor{0, 0, 0}));
    EXPECT_EQ(p->bkColor, (RGBColor{65535, 65535, 65535}));
    EXPECT_EQ(p->txSize, 9);
    EXPECT_EQ(p->txFace, normal);
    EXPECT_EQ(p->clipRect, MakeRect(-32767, -32767, 32767, 32767));
    EXPECT_EQ(port.At(0, 0), (Rgb{255, 0, 0}));  // but what it drew stays
}

TEST_F(PicturesTest, RegisteringAgainReplacesThePictureBehindTheSameHandle) {
    int calls = 0;
    RegisterPicture(3003, MakeRect(0, 0, 2, 2), [&](const Rect&) { calls += 1; });
    PicHandle first = GetPicture(3003);
    RegisterPicture(3003, MakeRect(0, 0, 5, 5), [&](const Rect&) { calls += 10; });
    EXPECT_EQ(GetPicture(3003), first);
    EXPECT_EQ(first->picFrame, MakeRect(0, 0, 5, 5));
    TestPort port(2, 2);
    port.MakeCurrent();
    const Rect dst = MakeRect(0, 0, 2, 2);
    DrawPicture(first, &dst);
    EXPECT_EQ(calls, 10);
}

TEST_F(PicturesTest, UnknownPicturesAndMissingArgumentsDrawNothing) {
    EXPECT_EQ(GetPicture(-4242), nullptr);
    int calls = 0;
    RegisterPicture(3004, MakeRect(0, 0, 2, 2), [&](const Rect&) { ++calls; });
    const Rect dst = MakeRect(0, 0, 2, 2);
    DrawPicture(nullptr, &dst);
    DrawPicture(GetPicture(3004), nullptr);
    SetGWorld(nullptr, nullptr);
    DrawPicture(GetPicture(3004), &dst);  // no port to draw into
    EXPECT_EQ(calls, 0);
}

}  // namespace
