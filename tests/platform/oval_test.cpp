// Ovals inscribed in their rectangle: symmetric, touching all four sides, nothing
// outside, frames drawn inside with the pen and always closed.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "platform/QuickDraw.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

using Ink = std::vector<std::vector<bool>>;  // [v][h], true where black

Ink InkOf(const TestPort& port, int width, int height) {
    Ink ink(height, std::vector<bool>(width));
    for (int v = 0; v < height; ++v) {
        for (int h = 0; h < width; ++h) ink[v][h] = port.At(h, v) == Rgb{0, 0, 0};
    }
    return ink;
}

// Pixels that no 4-connected walk from the port's edge through uninked pixels reaches.
Ink Enclosed(const Ink& ink) {
    const int height = static_cast<int>(ink.size());
    const int width = static_cast<int>(ink[0].size());
    Ink reached(height, std::vector<bool>(width));
    std::deque<std::pair<int, int>> todo;
    auto visit = [&](int h, int v) {
        if (h < 0 || v < 0 || h >= width || v >= height || reached[v][h] || ink[v][h]) return;
        reached[v][h] = true;
        todo.emplace_back(h, v);
    };
    for (int h = 0; h < width; ++h) {
        visit(h, 0);
        visit(h, height - 1);
    }
    for (int v = 0; v < height; ++v) {
        visit(0, v);
        visit(width - 1, v);
    }
    while (!todo.empty()) {
        auto [h, v] = todo.front();
        todo.pop_front();
        visit(h + 1, v);
        visit(h - 1, v);
        visit(h, v + 1);
        visit(h, v - 1);
    }
    Ink enclosed(height, std::vector<bool>(width));
    for (int v = 0; v < height; ++v) {
        for (int h = 0; h < width; ++h) enclosed[v][h] = !ink[v][h] && !reached[v][h];
    }
    return enclosed;
}

class OvalTest : public ToolboxTest {};

TEST_F(OvalTest, SmallCircleIsPinned) {
    TestPort port(8, 8);
    port.MakeCurrent();
    const Rect r = MakeRect(0, 0, 8, 8);
    PaintOval(&r);
    EXPECT_EQ(port.Grid(), Rows({"..####..",
                                 ".######.",
                                 "########",
                                 "########",
                                 "########",
                                 "########",
                                 ".######.",
                                 "..####.."}));
    const Rect all = MakeRect(0, 0, 8, 8);
    EraseRect(&all);
    FrameOval(&r);
    EXPECT_EQ(port.Grid(), Rows({"..####..",
                                 ".#....#.",
                                 "#......#",
                                 "#......#",
                                 "#......#",
                                 "#......#",
                                 ".#....#.",
                                 "..####.."}));
    EXPECT_TRUE(port.PaddingIntact());
}

struct OvalCase {
    int width;
    int height;
    int pen;
};

class OvalShapeTest : public OvalTest, public ::testing::WithParamInterface<OvalCase> {
protected:
    static constexpr int kMargin = 3;
    // Draws into a fresh port with a margin around the oval's rectangle.
    Ink Draw(bool frame) {
        const OvalCase& c = GetParam();
        const int width = c.width + 2 * kMargin;
        const int height = c.height + 2 * kMargin;
        TestPort port(width, height);
        port.MakeCurrent();
        PenSize(c.pen, c.pen);
        const Rect r = MakeRect(kMargin, kMargin, kMargin + c.width, kMargin + c.height);
        if (frame) {
            FrameOval(&r);
        } else {
            PaintOval(&r);
        }
        EXPECT_TRUE(port.PaddingIntact());
        return InkOf(port, width, height);
    }
    bool InRect(int h, int v) const {
        const OvalCase& c = GetParam();
        return h >= kMargin && h < kMargin + c.width && v >= kMargin && v < kMargin + c.height;
    }
};

TEST_P(OvalShapeTest, StaysInsideTouchesEverySideAndIsSymmetric) {
    const OvalCase& c = GetParam();
    for (bool frame : {false, true}) {
        const Ink ink = Draw(frame);
        bool top = false, bottom = false, left = false, right = false;
        for (int v = 0; v < static_cast<int>(ink.size()); ++v) {
            for (int h = 0; h < static_cast<int>(ink[v].size()); ++h) {
                if (!ink[v][h]) continue;
                ASSERT_TRUE(InRect(h, v)) << "ink outside at " << h << "," << v << (frame ? " frame" : " paint");
                top |= v == kMargin;
                bottom |= v == kMargin + c.height - 1;
                left |= h == kMargin;
                right |= h == kMargin + c.width - 1;
                const int mirrorH = 2 * kMargin + c.width - 1 - h;
                const int mirrorV = 2 * kMargin + c.height - 1 - v;
                EXPECT_TRUE(ink[v][mirrorH]) << "not symmetric left-right at " << h << "," << v;
                EXPECT_TRUE(ink[mirrorV][h]) << "not symmetric top-bottom at " << h << "," << v;
            }
        }
        EXPECT_TRUE(top && bottom && left && right) << (frame ? "frame" : "paint") << " misses a side";
    }
}

TEST_P(OvalShapeTest, FrameIsClosedAndEnclosesExactlyThePaintedOval) {
    const Ink paint = Draw(false);
    const Ink frame = Draw(true);
    const Ink inside = Enclosed(frame);
    for (size_t v = 0; v < paint.size(); ++v) {
        for (size_t h = 0; h < paint[v].size(); ++h) {
            EXPECT_EQ(paint[v][h], frame[v][h] || inside[v][h]) << "at " << h << "," << v;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, OvalShapeTest,
                         ::testing::Values(OvalCase{8, 8, 1}, OvalCase{16, 16, 1}, OvalCase{16, 16, 2},
                                           OvalCase{7, 7, 1}, OvalCase{21, 21, 3}, OvalCase{12, 5, 1},
                                           OvalCase{5, 12, 1}, OvalCase{3, 12, 1}, OvalCase{16, 4, 1},
                                           OvalCase{20, 9, 2}, OvalCase{1, 6, 1}, OvalCase{9, 2, 1},
                                           OvalCase{40, 30, 1}),
                         [](const ::testing::TestParamInfo<OvalCase>& info) {
                             return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
                                    "Pen" + std::to_string(info.param.pen);
                         });

TEST_F(OvalTest, WiderPenFrameContainsTheThinFrame) {
    const OvalCase cases[] = {{16, 16, 2}, {21, 21, 3}, {20, 9, 2}, {7, 12, 2}};
    for (const OvalCase& c : cases) {
        const Rect r = MakeRect(1, 1, 1 + c.width, 1 + c.height);
        TestPort thinPort(c.width + 2, c.height + 2);
        thinPort.MakeCurrent();
        FrameOval(&r);
        TestPort thickPort(c.width + 2, c.height + 2);
        thickPort.MakeCurrent();
        PenSize(c.pen, c.pen);
        FrameOval(&r);
        const Ink thin = InkOf(thinPort, c.width + 2, c.height + 2);
        const Ink thick = InkOf(thickPort, c.width + 2, c.height + 2);
        int extra = 0;
        for (size_t v = 0; v < thin.size(); ++v) {
            for (size_t h = 0; h < thin[v].size(); ++h) {
                EXPECT_TRUE(!thin[v][h] || thick[v][h]) << c.width << "x" << c.height << " at " << h << "," << v;
                extra += thick[v][h] && !thin[v][h];
            }
        }
        EXPECT_GT(extra, 0) << c.width << "x" << c.height;
    }
}

TEST_F(OvalTest, OvalLargerThanThePortShowsTheMatchingPartOfTheWholeOval) {
    // The same oval on a port that holds all of it, and on one that sees its
    // bottom-right part.
    const Rect r = MakeRect(-20, -14, 14, 12);
    TestPort whole(r);
    whole.MakeCurrent();
    PenSize(2, 2);
    FrameOval(&r);
    TestPort corner(16, 16);
    corner.MakeCurrent();
    PenSize(2, 2);
    FrameOval(&r);
    int inked = 0;
    for (int v = 0; v < 16; ++v) {
        for (int h = 0; h < 16; ++h) {
            const bool inRect = h < r.right && v < r.bottom;
            const Rgb expected = inRect ? whole.At(h, v) : Rgb{255, 255, 255};
            EXPECT_EQ(corner.At(h, v), expected) << "at " << h << "," << v;
            inked += corner.At(h, v) == Rgb{0, 0, 0};
        }
    }
    EXPECT_GT(inked, 0);
    EXPECT_TRUE(corner.PaddingIntact());
}

TEST_F(OvalTest, OvalsAreClipped) {
    TestPort port(8, 8);
    port.MakeCurrent();
    const Rect clip = MakeRect(0, 0, 8, 4);
    ClipRect(&clip);
    const Rect r = MakeRect(0, 0, 8, 8);
    PaintOval(&r);
    EXPECT_EQ(port.Grid(), Rows({"..####..",
                                 ".######.",
                                 "########",
                                 "########",
                                 "........",
                                 "........",
                                 "........",
                                 "........"}));
}

TEST_F(OvalTest, OvalsUseThePenPatternAndColours) {
    TestPort port(8, 8);
    port.MakeCurrent();
    ForeColor(redColor);
    BackColor(blueColor);
    PenPat(GetQDGrayPattern());
    const Rect r = MakeRect(0, 0, 8, 8);
    PaintOval(&r);
    EXPECT_EQ(port.Grid(), Rows({"..RBRB..",
                                 ".RBRBRB.",
                                 "RBRBRBRB",
                                 "BRBRBRBR",
                                 "RBRBRBRB",
                                 "BRBRBRBR",
                                 ".BRBRBR.",
                                 "..BRBR.."}));
}

}  // namespace
