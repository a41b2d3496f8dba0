// The classic drawing geometry, pinned pixel for pixel on tiny ports: rectangles
// cover left..right-1 and top..bottom-1, frames lie inside with the pen, the pen hangs
// below-right of its point, patterns follow the port's coordinates, everything clips.
#include <gtest/gtest.h>

#include <vector>

#include "platform/QuickDraw.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class DrawingTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        port_ = std::make_unique<TestPort>(8, 8);
        port_->MakeCurrent();
    }
    void TearDown() override {
        port_.reset();
        ToolboxTest::TearDown();
    }
    TestPort& port() { return *port_; }

private:
    std::unique_ptr<TestPort> port_;
};

TEST_F(DrawingTest, PaintRectCoversLeftToRightMinusOneAndTopToBottomMinusOne) {
    const Rect r = MakeRect(2, 1, 6, 4);
    PaintRect(&r);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   "..####..",
                                   "..####..",
                                   "..####..",
                                   "........",
                                   "........",
                                   "........",
                                   "........"}));
    EXPECT_TRUE(port().PaddingIntact());
}

TEST_F(DrawingTest, RectanglesReachingOutsideThePortAreCutAtItsEdges) {
    const Rect topLeft = MakeRect(-3, -3, 3, 2);
    const Rect bottomRight = MakeRect(6, 6, 20, 20);
    PaintRect(&topLeft);
    PaintRect(&bottomRight);
    EXPECT_EQ(port().Grid(), Rows({"###.....",
                                   "###.....",
                                   "........",
                                   "........",
                                   "........",
                                   "........",
                                   "......##",
                                   "......##"}));
    EXPECT_TRUE(port().PaddingIntact());
}

struct FrameCase {
    const char* name;
    Rect rect;
    int penWidth;
    int penHeight;
    std::string expected;
};

class FrameRectTest : public DrawingTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameRectTest, DrawsInsideTheRectangleWithThePen) {
    const FrameCase& c = GetParam();
    PenSize(c.penWidth, c.penHeight);
    FrameRect(&c.rect);
    EXPECT_EQ(port().Grid(), c.expected) << c.name;
    EXPECT_TRUE(port().PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameRectTest,
    ::testing::Values(
        FrameCase{"pen 1", MakeRect(1, 1, 7, 6), 1, 1,
                  Rows({"........", ".######.", ".#....#.", ".#....#.", ".#....#.", ".######.", "........",
                        "........"})},
        FrameCase{"pen 2 on the whole port", MakeRect(0, 0, 8, 8), 2, 2,
                  Rows({"########", "########", "##....##", "##....##", "##....##", "##....##", "########",
                        "########"})},
        FrameCase{"pen 3 wide, 1 high", MakeRect(0, 1, 8, 5), 3, 1,
                  Rows({"........", "########", "###..###", "###..###", "########", "........", "........",
                        "........"})},
        FrameCase{"pen wider than half the rectangle fills it", MakeRect(1, 1, 4, 7), 2, 2,
                  Rows({"........", ".###....", ".###....", ".###....", ".###....", ".###....", ".###....",
                        "........"})},
        FrameCase{"empty rectangle", MakeRect(3, 3, 3, 6), 1, 1,
                  Rows({"........", "........", "........", "........", "........", "........", "........",
                        "........"})},
        FrameCase{"zero pen", MakeRect(1, 1, 7, 7), 0, 1,
                  Rows({"........", "........", "........", "........", "........", "........", "........",
                        "........"})}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return "Case" + std::to_string(info.index); });

TEST_F(DrawingTest, EraseRectPaintsTheBackgroundColour) {
    const Rect all = MakeRect(0, 0, 8, 8);
    PaintRect(&all);
    BackColor(redColor);
    const Rect r = MakeRect(2, 2, 5, 4);
    EraseRect(&r);
    EXPECT_EQ(port().Grid(), Rows({"########",
                                   "########",
                                   "##RRR###",
                                   "##RRR###",
                                   "########",
                                   "########",
                                   "########",
                                   "########"}));
}

TEST_F(DrawingTest, GreyPenFramesWithAlternateForegroundAndBackgroundPixels) {
    port().Fill(Rgb{255, 0, 0});
    PenPat(GetQDGrayPattern());
    const Rect r = MakeRect(0, 0, 8, 8);
    FrameRect(&r);
    // Clear pattern bits paint the background (white), set bits the foreground; the
    // inside keeps its red.
    EXPECT_EQ(port().Grid(), Rows({"#.#.#.#.",
                                   ".RRRRRR#",
                                   "#RRRRRR.",
                                   ".RRRRRR#",
                                   "#RRRRRR.",
                                   ".RRRRRR#",
                                   "#RRRRRR.",
                                   ".#.#.#.#"}));
}

TEST_F(DrawingTest, PatternFollowsLocalCoordinatesNotMemory) {
    // Local h starts at 1: the pixel in the first memory column has odd h.
    TestPort shifted(MakeRect(1, 0, 9, 2));
    shifted.MakeCurrent();
    PenPat(GetQDGrayPattern());
    const Rect r = MakeRect(1, 0, 9, 2);
    PaintRect(&r);
    EXPECT_EQ(shifted.Grid(), Rows({".#.#.#.#",
                                    "#.#.#.#."}));
}

TEST_F(DrawingTest, PatternRowsWrapEveryEightRowsAndBitsRunMostSignificantFirst) {
    // Rows -2 .. 5: row v uses pattern row v & 7, so the first row shows row 6.
    TestPort shifted(MakeRect(0, -2, 8, 6));
    shifted.MakeCurrent();
    const Pattern diagonal{{0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01}};
    const Rect r = MakeRect(0, -2, 8, 6);
    FillRect(&r, &diagonal);
    EXPECT_EQ(shifted.Grid(), Rows({"......#.",
                                    ".......#",
                                    "#.......",
                                    ".#......",
                                    "..#.....",
                                    "...#....",
                                    "....#...",
                                    ".....#.."}));
}

TEST_F(DrawingTest, FillRectPaintsSetBitsInForegroundAndClearBitsInBackground) {
    ForeColor(blueColor);
    BackColor(yellowColor);
    const Rect r = MakeRect(0, 0, 4, 2);
    FillRect(&r, GetQDGrayPattern());
    EXPECT_EQ(port().Grid(), Rows({"BYBY....",
                                   "YBYB....",
                                   "........",
                                   "........",
                                   "........",
                                   "........",
                                   "........",
                                   "........"}));
}

TEST_F(DrawingTest, LineWithThinPenCoversBothEndPoints) {
    MoveTo(1, 1);
    LineTo(6, 3);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   ".##.....",
                                   "...##...",
                                   ".....##.",
                                   "........",
                                   "........",
                                   "........",
                                   "........"}));
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen, (Point{3, 6}));
}

TEST_F(DrawingTest, LineDrawnBackwardsCoversTheSamePixels) {
    MoveTo(6, 3);
    LineTo(1, 1);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   ".##.....",
                                   "...##...",
                                   ".....##.",
                                   "........",
                                   "........",
                                   "........",
                                   "........"}));
}

TEST_F(DrawingTest, WidePenPaintsItsRectangleBelowRightOfEveryLinePoint) {
    PenSize(2, 2);
    MoveTo(1, 1);
    LineTo(4, 4);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   ".##.....",
                                   ".###....",
                                   "..###...",
                                   "...###..",
                                   "....##..",
                                   "........",
                                   "........"}));
}

TEST_F(DrawingTest, HorizontalLineWithWidePenReachesPastItsEndPointByThePenWidth) {
    PenSize(3, 2);
    MoveTo(1, 2);
    LineTo(4, 2);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   "........",
                                   ".######.",
                                   ".######.",
                                   "........",
                                   "........",
                                   "........",
                                   "........"}));
}

TEST_F(DrawingTest, LineToThePenItselfPaintsOnePenRectangle) {
    PenSize(3, 3);
    MoveTo(2, 4);
    Line(0, 0);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   "........",
                                   "........",
                                   "........",
                                   "..###...",
                                   "..###...",
                                   "..###...",
                                   "........"}));
}

TEST_F(DrawingTest, RelativeMovesAndLinesStartFromThePen) {
    MoveTo(1, 6);
    Move(1, -1);
    Line(3, 0);
    Line(0, -2);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   "........",
                                   "........",
                                   ".....#..",
                                   ".....#..",
                                   "..####..",
                                   "........",
                                   "........"}));
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen, (Point{3, 5}));
}

TEST_F(DrawingTest, PenWithoutSizeDrawsNothingButMoves) {
    PenSize(0, 0);
    MoveTo(0, 0);
    LineTo(7, 7);
    const Rect r = MakeRect(1, 1, 5, 5);
    FrameRect(&r);
    PaintRect(&r);  // painting does not use the pen size
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   ".####...",
                                   ".####...",
                                   ".####...",
                                   ".####...",
                                   "........",
                                   "........",
                                   "........"}));
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen, (Point{7, 7}));
}

TEST_F(DrawingTest, PenNormalRestoresTheThinSolidPen) {
    PenSize(4, 4);
    PenPat(GetQDGrayPattern());
    PenNormal();
    MoveTo(0, 0);
    LineTo(3, 0);
    EXPECT_EQ(port().Grid().substr(0, 9), "####....\n");
    EXPECT_EQ(port().Grid().substr(9, 9), "........\n");
}

TEST_F(DrawingTest, ClipRectLimitsEveryShapeAndLine) {
    const Rect clip = MakeRect(2, 2, 6, 6);
    ClipRect(&clip);
    const Rect all = MakeRect(0, 0, 8, 8);
    FrameRect(&all);
    MoveTo(0, 3);
    LineTo(7, 3);
    const Rect inner = MakeRect(4, 4, 8, 8);
    PaintRect(&inner);
    EXPECT_EQ(port().Grid(), Rows({"........",
                                   "........",
                                   "........",
                                   "..####..",
                                   "....##..",
                                   "....##..",
                                   "........",
                                   "........"}));
    Rect got;
    GetClip(&got);
    EXPECT_EQ(got, clip);
    EraseRect(&all);
    EXPECT_EQ(port().Grid(), Rows({"........", "........", "........", "........", "........", "........",
                                   "........", "........"}));
}

TEST_F(DrawingTest, InvertRectComplementsEachColourComponent) {
    port().Fill(Rgb{255, 0, 0});
    const Rect r = MakeRect(0, 0, 4, 1);
    InvertRect(&r);
    EXPECT_EQ(port().Grid().substr(0, 9), "CCCCRRRR\n");
    InvertRect(&r);
    EXPECT_EQ(port().Grid().substr(0, 9), "RRRRRRRR\n");
}

struct ColourCase {
    long number;
    Rgb expected;
};

TEST_F(DrawingTest, ClassicColourNumbersGiveTheirColours) {
    const std::vector<ColourCase> cases = {
        {blackColor, {0, 0, 0}},       {whiteColor, {255, 255, 255}}, {redColor, {255, 0, 0}},
        {greenColor, {0, 255, 0}},     {blueColor, {0, 0, 255}},      {cyanColor, {0, 255, 255}},
        {magentaColor, {255, 0, 255}}, {yellowColor, {255, 255, 0}},
    };
    const Rect r = MakeRect(0, 0, 1, 1);
    for (const ColourCase& c : cases) {
        ForeColor(c.number);
        PaintRect(&r);
        EXPECT_EQ(port().At(0, 0), c.expected) << "foreground " << c.number;
        BackColor(c.number);
        EraseRect(&r);
        EXPECT_EQ(port().At(0, 0), c.expected) << "background " << c.number;
    }
}

TEST_F(DrawingTest, UnknownColourNumberLeavesTheColour) {
    ForeColor(redColor);
    ForeColor(12345);
    RGBColor fg;
    GetForeColor(&fg);
    EXPECT_EQ(fg, (RGBColor{65535, 0, 0}));
}

TEST_F(DrawingTest, RgbColoursUseTheHighByteOfEachComponentAndClearTheUnusedByte) {
    port().port()->pixMap.baseAddr[0] = 0x77;
    const RGBColor c{0x12FF, 0xAB00, 0x00FF};
    RGBForeColor(&c);
    const Rect r = MakeRect(0, 0, 1, 1);
    PaintRect(&r);
    EXPECT_EQ(port().At(0, 0), (Rgb{0x12, 0xAB, 0x00}));
    EXPECT_EQ(port().UnusedByteAt(0, 0), 0);
    RGBColor back{1, 2, 3};
    RGBBackColor(&back);
    RGBColor got;
    GetBackColor(&got);
    EXPECT_EQ(got, back);
    GetForeColor(&got);
    EXPECT_EQ(got, c);
}

TEST_F(DrawingTest, OneBitPortsSetBitsForDarkColoursOnly) {
    TestPort mask(8, 2, 1);
    mask.MakeCurrent();
    const Rect left = MakeRect(0, 0, 3, 2);
    const Rect middle = MakeRect(3, 0, 5, 2);
    const Rect right = MakeRect(5, 0, 8, 1);
    PaintRect(&left);  // black
    ForeColor(redColor);  // luminance below half: black
    PaintRect(&middle);
    ForeColor(yellowColor);  // luminance above half: white
    PaintRect(&right);
    EXPECT_EQ(mask.Grid(), Rows({"#####...",
                                 "#####..."}));
    const Rect eraseArea = MakeRect(1, 0, 2, 2);
    EraseRect(&eraseArea);  // white background: clear
    BackColor(blueColor);
    const Rect corner = MakeRect(7, 1, 8, 2);
    EraseRect(&corner);  // blue background: set
    EXPECT_EQ(mask.Grid(), Rows({"#.###...",
                                 "#.###..#"}));
    EXPECT_TRUE(mask.PaddingIntact());
}

TEST_F(DrawingTest, OneBitPortsTakeThePenPattern) {
    TestPort mask(8, 2, 1);
    mask.MakeCurrent();
    PenPat(GetQDGrayPattern());
    const Rect r = MakeRect(0, 0, 8, 2);
    PaintRect(&r);
    EXPECT_EQ(mask.Grid(), Rows({"#.#.#.#.",
                                 ".#.#.#.#"}));
    InvertRect(&r);
    EXPECT_EQ(mask.Grid(), Rows({".#.#.#.#",
                                 "#.#.#.#."}));
}

TEST_F(DrawingTest, DrawingMarksThePortDirtyOnlyWhenPixelsChange) {
    port().port()->dirty = false;
    const Rect outside = MakeRect(10, 10, 20, 20);
    PaintRect(&outside);
    EXPECT_FALSE(port().port()->dirty);
    const Rect inside = MakeRect(1, 1, 2, 2);
    PaintRect(&inside);
    EXPECT_TRUE(port().port()->dirty);
}

TEST_F(DrawingTest, PortBoundsAreThePortRectangle) {
    TestPort other(MakeRect(3, 4, 13, 9));
    Rect r;
    EXPECT_EQ(GetPortBounds(other.port(), &r), &r);
    EXPECT_EQ(r, MakeRect(3, 4, 13, 9));
}

TEST_F(DrawingTest, CallsWithoutCurrentPortDoNothing) {
    SetGWorld(nullptr, nullptr);
    const Rect r = MakeRect(0, 0, 8, 8);
    MoveTo(1, 1);
    LineTo(5, 5);
    PaintRect(&r);
    FrameRect(&r);
    EraseRect(&r);
    InvertRect(&r);
    PaintOval(&r);
    FrameOval(&r);
    ForeColor(redColor);
    Point pen{9, 9};
    GetPen(&pen);
    EXPECT_EQ(pen, Point{});
    EXPECT_EQ(port().Grid(), Rows({"........", "........", "........", "........", "........", "........",
                                   "........", "........"}));
}

}  // namespace
