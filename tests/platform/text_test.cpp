// Text with DejaVu Sans: a string inks only the columns of its own width, the pen
// moves by exactly that width, bold is wider than plain, everything is clipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/QuickDraw.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

std::vector<unsigned char> Pascal(const std::string& s) {
    std::vector<unsigned char> p(s.size() + 1);
    p[0] = static_cast<unsigned char>(s.size());
    std::copy(s.begin(), s.end(), p.begin() + 1);
    return p;
}

struct InkBox {
    int left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20);  // right, bottom exclusive
    int count = 0;
    bool Empty() const { return count == 0; }
};

// Where pixels differ from white.
InkBox InkOnWhite(const TestPort& port, int width, int height) {
    InkBox box;
    for (int v = 0; v < height; ++v) {
        for (int h = 0; h < width; ++h) {
            if (port.At(h, v) == Rgb{255, 255, 255}) continue;
            box.left = std::min(box.left, h);
            box.right = std::max(box.right, h + 1);
            box.top = std::min(box.top, v);
            box.bottom = std::max(box.bottom, v + 1);
            ++box.count;
        }
    }
    return box;
}

struct TextCase {
    const char* text;
    int size;
    int16_t face;
};

class TextTest : public ToolboxTest {};

class TextSpanTest : public TextTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextSpanTest, StringInksOnlyItsWidthAndMovesThePenByIt) {
    const TextCase& c = GetParam();
    TestPort port(400, 100);
    port.MakeCurrent();
    TextSize(c.size);
    TextFace(c.face);
    const auto s = Pascal(c.text);
    const int width = StringWidth(s.data());
    ASSERT_GT(width, 0);
    FontInfo info;
    GetFontInfo(&info);
    const int penH = 7;
    const int baseline = 70;
    MoveTo(penH, baseline);
    DrawString(s.data());
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen.h, penH + width);
    EXPECT_EQ(pen.v, baseline);
    const InkBox ink = InkOnWhite(port, 400, 100);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, penH);
    EXPECT_LE(ink.right, penH + width);
    // The ink fills the string's width but for the side bearings of its end glyphs.
    EXPECT_LE(ink.left - penH, c.size / 2 + 1);
    EXPECT_LE(penH + width - ink.right, c.size / 2 + 1);
    EXPECT_GE(ink.top, baseline - info.ascent);
    EXPECT_LE(ink.bottom, baseline + info.descent);
    EXPECT_TRUE(port.PaddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Strings, TextSpanTest,
                         ::testing::Values(TextCase{"StopWatch (seconds): ", 9, normal},
                                           TextCase{"FPS < 4!!!", 18, bold}, TextCase{"12.4", 50, bold},
                                           TextCase{"jfl", 12, normal}, TextCase{"Wy", 12, bold},
                                           TextCase{"A", 9, normal}, TextCase{"guiding north", 9, normal}),
                         [](const ::testing::TestParamInfo<TextCase>& info) {
                             return "Case" + std::to_string(info.index);
                         });

TEST_F(TextTest, WidthIsTheSumOfTheCharactersWidths) {
    TestPort port(10, 10);
    port.MakeCurrent();
    TextSize(9);
    const std::string text = "Autoguide NS delay: ";
    int sum = 0;
    for (char c : text) sum += TextWidthOf(std::string(1, c));
    EXPECT_EQ(TextWidthOf(text), sum);
    EXPECT_EQ(StringWidth(Pascal(text).data()), sum);
}

TEST_F(TextTest, BoldIsWiderAndLargerSizesAreWider) {
    TestPort port(10, 10);
    port.MakeCurrent();
    const auto s = Pascal("Remaining Batch: 12");
    TextSize(12);
    TextFace(normal);
    const int plain = StringWidth(s.data());
    TextFace(bold);
    const int heavy = StringWidth(s.data());
    EXPECT_GT(heavy, plain);
    TextFace(normal);
    TextSize(50);
    EXPECT_GT(StringWidth(s.data()), 3 * plain);
    TextSize(0);  // the default size
    EXPECT_EQ(StringWidth(s.data()), plain);
}

TEST_F(TextTest, EmptyStringDrawsNothingAndKeepsThePen) {
    TestPort port(20, 20);
    port.MakeCurrent();
    MoveTo(3, 15);
    const unsigned char empty[1] = {0};
    DrawString(empty);
    EXPECT_EQ(StringWidth(empty), 0);
    Point pen;
    GetPen(&pen);
    EXPECT_EQ(pen, (Point{15, 3}));
    EXPECT_TRUE(InkOnWhite(port, 20, 20).Empty());
}

TEST_F(TextTest, TextBlendsTowardsTheForegroundColour) {
    TestPort port(60, 30);
    port.MakeCurrent();
    port.Fill(Rgb{0, 0, 0});
    ForeColor(redColor);
    TextSize(18);
    MoveTo(2, 22);
    DrawText("IHo");
    int full = 0;
    int partial = 0;
    for (int v = 0; v < 30; ++v) {
        for (int h = 0; h < 60; ++h) {
            const Rgb c = port.At(h, v);
            EXPECT_EQ(c.g, 0);
            EXPECT_EQ(c.b, 0);
            full += c.r == 255;
            partial += c.r > 0 && c.r < 255;
        }
    }
    EXPECT_GT(full, 20);    // the stems are fully covered
    EXPECT_GT(partial, 0);  // the curve's edge is anti-aliased
}

TEST_F(TextTest, PascalAndPlainStringsDrawTheSamePixels) {
    TestPort a(100, 20), b(100, 20);
    a.MakeCurrent();
    MoveTo(1, 15);
    DrawString(Pascal("Alarm (seconds): ").data());
    b.MakeCurrent();
    MoveTo(1, 15);
    DrawText("Alarm (seconds): ");
    EXPECT_EQ(a.Grid(), b.Grid());
    EXPECT_FALSE(InkOnWhite(a, 100, 20).Empty());
}

TEST_F(TextTest, BoldDrawsDifferentlyFromPlain) {
    TestPort a(100, 20), b(100, 20);
    a.MakeCurrent();
    MoveTo(1, 15);
    DrawText("off");
    b.MakeCurrent();
    TextFace(bold);
    MoveTo(1, 15);
    DrawText("off");
    EXPECT_GT(InkOnWhite(b, 100, 20).count, InkOnWhite(a, 100, 20).count);
}

TEST_F(TextTest, TextIsClippedToTheClipRectangleAndThePort) {
    TestPort port(40, 20);
    port.MakeCurrent();
    const Rect clip = MakeRect(10, 0, 20, 20);
    ClipRect(&clip);
    TextSize(12);
    MoveTo(-5, 14);  // starts left of the port
    DrawText("WWWWWWWW");
    const InkBox ink = InkOnWhite(port, 40, 20);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 20);
    EXPECT_TRUE(port.PaddingIntact());
}

TEST_F(TextTest, OneBitPortsTakeTheWellCoveredPixels) {
    TestPort mask(40, 20, 1);
    mask.MakeCurrent();
    TextSize(14);
    MoveTo(2, 15);
    DrawText("H");
    int set = 0;
    for (int v = 0; v < 20; ++v) {
        for (int h = 0; h < 40; ++h) set += mask.BitAt(h, v);
    }
    EXPECT_GT(set, 10);
    EXPECT_TRUE(mask.PaddingIntact());
}

TEST_F(TextTest, FontInfoGrowsWithTheSize) {
    TestPort port(10, 10);
    port.MakeCurrent();
    TextSize(9);
    FontInfo small;
    GetFontInfo(&small);
    TextSize(50);
    FontInfo large;
    GetFontInfo(&large);
    EXPECT_GT(small.ascent, 0);
    EXPECT_GT(small.descent, 0);
    EXPECT_LE(small.ascent + small.descent, 9 + 4);
    EXPECT_GT(large.ascent, 4 * small.ascent);
    EXPECT_GT(large.widMax, large.ascent / 2);
}

}  // namespace
