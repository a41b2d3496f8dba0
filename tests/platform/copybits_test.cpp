// Scaled copies between pixel maps: exact same-size copies, shrinking and stretching
// into sub-rectangles (nearest pixel to each destination pixel's centre), colouring by
// the current port's colours, clipping, overlapping copies and masked copies.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/QuickDraw.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// A colour of its own for every pixel of a small source, never black or white.
Rgb Unique(int h, int v) {
    return Rgb{static_cast<uint8_t>(20 + 13 * h), static_cast<uint8_t>(30 + 17 * v), static_cast<uint8_t>(7 * h + 3 * v + 1)};
}

void FillUnique(TestPort& port, int width, int height) {
    for (int v = 0; v < height; ++v) {
        for (int h = 0; h < width; ++h) port.Set(h, v, Unique(h, v));
    }
}

const Rgb kWhite{255, 255, 255};

// Checks every pixel of a width x height port: expected(h, v) gives the colour.
void ExpectPixels(const TestPort& port, int width, int height, const std::function<Rgb(int, int)>& expected) {
    for (int v = 0; v < height; ++v) {
        for (int h = 0; h < width; ++h) {
            const Rgb want = expected(h, v);
            const Rgb got = port.At(h, v);
            EXPECT_EQ(got, want) << "pixel " << h << "," << v << " is " << int(got.r) << "," << int(got.g) << ","
                                 << int(got.b) << " not " << int(want.r) << "," << int(want.g) << "," << int(want.b);
        }
    }
    EXPECT_TRUE(port.PaddingIntact());
}

bool Inside(int h, int v, const Rect& r) { return h >= r.left && h < r.right && v >= r.top && v < r.bottom; }

class CopyBitsTest : public ToolboxTest {};

TEST_F(CopyBitsTest, SameSizeCopyIsExactIntoPaddedRowsOfOddWidth) {
    TestPort src(7, 5);
    FillUnique(src, 7, 5);
    TestPort dst(9, 7);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 7, 5);
    const Rect to = MakeRect(1, 1, 8, 6);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 9, 7, [&](int h, int v) { return Inside(h, v, to) ? Unique(h - 1, v - 1) : kWhite; });
    EXPECT_TRUE(src.PaddingIntact());
}

TEST_F(CopyBitsTest, SameSizeCopyOfASubRectangle) {
    TestPort src(8, 8);
    FillUnique(src, 8, 8);
    TestPort dst(6, 6);
    dst.MakeCurrent();
    const Rect from = MakeRect(2, 1, 5, 4);
    const Rect to = MakeRect(3, 2, 6, 5);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, srcCopy, nullptr);
    ExpectPixels(dst, 6, 6, [&](int h, int v) { return Inside(h, v, to) ? Unique(h - 1, v - 1) : kWhite; });
}

TEST_F(CopyBitsTest, ShrinkIntoASubRectangleKeepsEachBlock) {
    // 2 x 2 blocks of one colour each: halving must give the block colours.
    TestPort src(8, 8);
    for (int v = 0; v < 8; ++v) {
        for (int h = 0; h < 8; ++h) src.Set(h, v, Unique(h / 2, v / 2));
    }
    TestPort dst(16, 16);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 8, 8);
    const Rect to = MakeRect(5, 3, 9, 7);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 16, 16, [&](int h, int v) { return Inside(h, v, to) ? Unique(h - 5, v - 3) : kWhite; });
}

TEST_F(CopyBitsTest, StretchIntoASubRectangleRepeatsEachPixel) {
    TestPort src(4, 4);
    FillUnique(src, 4, 4);
    TestPort dst(12, 12);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 4, 4);
    const Rect to = MakeRect(2, 1, 10, 9);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 12, 12,
                 [&](int h, int v) { return Inside(h, v, to) ? Unique((h - 2) / 2, (v - 1) / 2) : kWhite; });
}

TEST_F(CopyBitsTest, UnevenScalingSamplesThePixelUnderEachCentre) {
    TestPort src(5, 3);
    FillUnique(src, 5, 3);
    TestPort dst(5, 5);
    dst.MakeCurrent();
    // Three columns onto five: a a b c c. Five rows... three source rows onto five.
    const Rect narrow = MakeRect(0, 0, 3, 3);
    const Rect wide = MakeRect(0, 0, 5, 5);
    CopyBits(src.pixMap(), dst.pixMap(), &narrow, &wide, ditherCopy, nullptr);
    const int pick[5] = {0, 0, 1, 2, 2};
    ExpectPixels(dst, 5, 5, [&](int h, int v) { return Unique(pick[h], pick[v]); });
    // Five columns onto three: the first, the middle and the last.
    TestPort small(3, 1);
    small.MakeCurrent();
    const Rect five = MakeRect(0, 0, 5, 1);
    const Rect three = MakeRect(0, 0, 3, 1);
    CopyBits(src.pixMap(), small.pixMap(), &five, &three, ditherCopy, nullptr);
    ExpectPixels(small, 3, 1, [&](int h, int) { return Unique(2 * h, 0); });
}

TEST_F(CopyBitsTest, WhiteForegroundOnBlackBackgroundDrawsTheNegative) {
    TestPort src(4, 3);
    FillUnique(src, 4, 3);
    TestPort dst(8, 6);
    dst.MakeCurrent();
    ForeColor(whiteColor);
    BackColor(blackColor);
    const Rect from = MakeRect(0, 0, 4, 3);
    const Rect to = MakeRect(0, 0, 8, 6);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 8, 6, [&](int h, int v) {
        const Rgb s = Unique(h / 2, v / 2);
        return Rgb{uint8_t(255 - s.r), uint8_t(255 - s.g), uint8_t(255 - s.b)};
    });
}

TEST_F(CopyBitsTest, SameSizeNegativeOfOddWidthCoversEveryPixelOfTheRow) {
    TestPort src(5, 3);
    FillUnique(src, 5, 3);
    TestPort dst(7, 3);
    dst.MakeCurrent();
    ForeColor(whiteColor);
    BackColor(blackColor);
    const Rect from = MakeRect(0, 0, 5, 3);
    const Rect to = MakeRect(1, 0, 6, 3);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 7, 3, [&](int h, int v) {
        if (!Inside(h, v, to)) return kWhite;
        const Rgb s = Unique(h - 1, v);
        return Rgb{uint8_t(255 - s.r), uint8_t(255 - s.g), uint8_t(255 - s.b)};
    });
}

TEST_F(CopyBitsTest, OtherColoursMixForegroundAndBackgroundBitByBit) {
    TestPort src(1, 1);
    src.Set(0, 0, Rgb{0x0F, 0xF0, 0x55});
    TestPort dst(1, 1);
    dst.MakeCurrent();
    ForeColor(redColor);
    const RGBColor back{0x4000, 0x8000, 0xC000};
    RGBBackColor(&back);
    const Rect r = MakeRect(0, 0, 1, 1);
    CopyBits(src.pixMap(), dst.pixMap(), &r, &r, ditherCopy, nullptr);
    // Each component: (~src & fg) | (src & bg).
    EXPECT_EQ(dst.At(0, 0), (Rgb{0xF0, 0x80, 0x40}));
}

TEST_F(CopyBitsTest, CopyIntoTheCurrentPortIsClippedToItsClipRectangle) {
    TestPort src(8, 8);
    src.Fill(Rgb{0, 0, 0});
    TestPort dst(8, 8);
    dst.MakeCurrent();
    const Rect clip = MakeRect(2, 3, 6, 5);
    ClipRect(&clip);
    const Rect all = MakeRect(0, 0, 8, 8);
    CopyBits(src.pixMap(), dst.pixMap(), &all, &all, ditherCopy, nullptr);
    EXPECT_EQ(dst.Grid(), Rows({"........",
                                "........",
                                "........",
                                "..####..",
                                "..####..",
                                "........",
                                "........",
                                "........"}));
}

TEST_F(CopyBitsTest, CopyIntoAnotherPortLeavesTheCurrentPortAsItWas) {
    TestPort src(8, 8);
    FillUnique(src, 8, 8);
    TestPort current(8, 8);
    TestPort dst(8, 8);
    current.MakeCurrent();
    const Rect clip = MakeRect(0, 0, 1, 1);
    ClipRect(&clip);  // the current port's clip does not limit a copy elsewhere
    const Rect all = MakeRect(0, 0, 8, 8);
    CopyBits(src.pixMap(), GetPortBitMapForCopyBits(dst.port()), &all, &all, ditherCopy, nullptr);
    ExpectPixels(dst, 8, 8, [](int h, int v) { return Unique(h, v); });
    ExpectPixels(current, 8, 8, [](int, int) { return kWhite; });
    GrafPtr now = nullptr;
    GetPort(&now);
    EXPECT_EQ(now, current.port());
}

TEST_F(CopyBitsTest, DestinationPartlyOutsideShowsTheMatchingPart) {
    TestPort src(8, 8);
    FillUnique(src, 8, 8);
    TestPort dst(8, 8);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 8, 8);
    const Rect to = MakeRect(-2, -3, 6, 5);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 8, 8, [&](int h, int v) { return Inside(h, v, to) ? Unique(h + 2, v + 3) : kWhite; });
}

TEST_F(CopyBitsTest, ShrunkDestinationPartlyOutsideKeepsItsScale) {
    TestPort src(8, 8);
    for (int v = 0; v < 8; ++v) {
        for (int h = 0; h < 8; ++h) src.Set(h, v, Unique(h / 2, v / 2));
    }
    TestPort dst(4, 4);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 8, 8);
    const Rect to = MakeRect(-1, -2, 3, 2);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 4, 4, [&](int h, int v) { return Inside(h, v, to) ? Unique(h + 1, v + 2) : kWhite; });
}

TEST_F(CopyBitsTest, SourcePartsOutsideTheSourceAreNotCopied) {
    TestPort src(8, 8);
    FillUnique(src, 8, 8);
    TestPort dst(8, 8);
    dst.MakeCurrent();
    const Rect from = MakeRect(-2, 1, 6, 9);
    const Rect to = MakeRect(0, 0, 8, 8);
    CopyBits(src.pixMap(), dst.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(dst, 8, 8, [](int h, int v) { return h >= 2 && v < 7 ? Unique(h - 2, v + 1) : kWhite; });
}

TEST_F(CopyBitsTest, OverlappingCopyWithinOnePixelMap) {
    TestPort port(8, 8);
    FillUnique(port, 8, 8);
    port.MakeCurrent();
    const Rect from = MakeRect(0, 0, 7, 7);
    const Rect to = MakeRect(1, 1, 8, 8);
    CopyBits(port.pixMap(), port.pixMap(), &from, &to, ditherCopy, nullptr);
    ExpectPixels(port, 8, 8, [](int h, int v) { return h >= 1 && v >= 1 ? Unique(h - 1, v - 1) : Unique(h, v); });
    // Scaled within the same map: the top-left quarter stretched over everything.
    FillUnique(port, 8, 8);
    const Rect quarter = MakeRect(0, 0, 4, 4);
    const Rect all = MakeRect(0, 0, 8, 8);
    CopyBits(port.pixMap(), port.pixMap(), &quarter, &all, ditherCopy, nullptr);
    ExpectPixels(port, 8, 8, [](int h, int v) { return Unique(h / 2, v / 2); });
}

TEST_F(CopyBitsTest, OneBitSourcesCopyAsBlackAndWhite) {
    TestPort bits(8, 2, 1);
    for (int h = 0; h < 8; ++h) bits.SetBit(h, h % 2, true);
    TestPort dst(8, 2);
    dst.MakeCurrent();
    const Rect r = MakeRect(0, 0, 8, 2);
    CopyBits(bits.pixMap(), dst.pixMap(), &r, &r, ditherCopy, nullptr);
    EXPECT_EQ(dst.Grid(), Rows({"#.#.#.#.",
                                ".#.#.#.#"}));
    // Into a 1-bit map: dark pixels set their bit.
    TestPort colours(4, 1);
    colours.Set(0, 0, Rgb{0, 0, 0});
    colours.Set(1, 0, Rgb{200, 0, 0});
    colours.Set(2, 0, Rgb{255, 255, 0});
    colours.Set(3, 0, Rgb{200, 200, 200});
    TestPort mask(4, 1, 1);
    mask.MakeCurrent();
    const Rect four = MakeRect(0, 0, 4, 1);
    CopyBits(colours.pixMap(), mask.pixMap(), &four, &four, ditherCopy, nullptr);
    EXPECT_EQ(mask.Grid(), "##..\n");
    EXPECT_TRUE(mask.PaddingIntact());
}

TEST_F(CopyBitsTest, CopyMarksTheDestinationPortDirty) {
    TestPort src(2, 2);
    TestPort dst(2, 2);
    dst.MakeCurrent();
    dst.port()->dirty = false;
    const Rect r = MakeRect(0, 0, 2, 2);
    CopyBits(src.pixMap(), dst.pixMap(), &r, &r, ditherCopy, nullptr);
    EXPECT_TRUE(dst.port()->dirty);
}

TEST_F(CopyBitsTest, EmptyRectanglesCopyNothing) {
    TestPort src(4, 4);
    src.Fill(Rgb{0, 0, 0});
    TestPort dst(4, 4);
    dst.MakeCurrent();
    const Rect all = MakeRect(0, 0, 4, 4);
    const Rect empty = MakeRect(2, 2, 2, 4);
    const Rect inverted = MakeRect(3, 3, 1, 1);
    CopyBits(src.pixMap(), dst.pixMap(), &empty, &all, ditherCopy, nullptr);
    CopyBits(src.pixMap(), dst.pixMap(), &all, &empty, ditherCopy, nullptr);
    CopyBits(src.pixMap(), dst.pixMap(), &inverted, &all, ditherCopy, nullptr);
    CopyBits(src.pixMap(), dst.pixMap(), &all, &inverted, ditherCopy, nullptr);
    ExpectPixels(dst, 4, 4, [](int, int) { return kWhite; });
}

class CopyMaskTest : public ToolboxTest {};

TEST_F(CopyMaskTest, CopiesOnlyWhereTheMaskBitIsSet) {
    TestPort src(4, 4);
    FillUnique(src, 4, 4);
    TestPort mask(4, 4, 1);
    const bool shape[4][4] = {{0, 1, 1, 0}, {1, 1, 1, 1}, {0, 0, 1, 0}, {1, 0, 0, 1}};
    for (int v = 0; v < 4; ++v) {
        for (int h = 0; h < 4; ++h) mask.SetBit(h, v, shape[v][h]);
    }
    TestPort dst(6, 6);
    dst.Fill(Rgb{255, 0, 0});
    dst.MakeCurrent();
    const Rect r = MakeRect(0, 0, 4, 4);
    const Rect to = MakeRect(1, 2, 5, 6);
    CopyMask(src.pixMap(), mask.pixMap(), dst.pixMap(), &r, &r, &to);
    ExpectPixels(dst, 6, 6, [&](int h, int v) {
        return Inside(h, v, to) && shape[v - 2][h - 1] ? Unique(h - 1, v - 2) : Rgb{255, 0, 0};
    });
}

TEST_F(CopyMaskTest, MaskIsScaledLikeTheSource) {
    TestPort src(4, 4);
    FillUnique(src, 4, 4);
    TestPort mask(2, 2, 1);
    mask.SetBit(0, 0, true);
    mask.SetBit(1, 1, true);
    TestPort dst(8, 8);
    dst.MakeCurrent();
    const Rect from = MakeRect(0, 0, 4, 4);
    const Rect maskRect = MakeRect(0, 0, 2, 2);
    const Rect to = MakeRect(0, 0, 8, 8);
    CopyMask(src.pixMap(), mask.pixMap(), dst.pixMap(), &from, &maskRect, &to);
    ExpectPixels(dst, 8, 8, [](int h, int v) { return (h < 4) == (v < 4) ? Unique(h / 2, v / 2) : kWhite; });
}

TEST_F(CopyMaskTest, BlackImageTakesTheForegroundColour) {
    // A thumb drawn black, copied through its mask while the port draws in red.
    TestPort image(3, 2);
    image.Fill(Rgb{0, 0, 0});
    TestPort mask(3, 2, 1);
    mask.SetBit(1, 0, true);
    mask.SetBit(0, 1, true);
    mask.SetBit(1, 1, true);
    mask.SetBit(2, 1, true);
    TestPort dst(3, 2);
    dst.Fill(Rgb{0, 0, 0});
    dst.MakeCurrent();
    ForeColor(redColor);
    const Rect r = MakeRect(0, 0, 3, 2);
    CopyMask(image.pixMap(), mask.pixMap(), dst.pixMap(), &r, &r, &r);
    EXPECT_EQ(dst.Grid(), Rows({"#R#",
                                "RRR"}));
}

TEST_F(CopyMaskTest, MaskedCopyIsClippedToTheCurrentPort) {
    TestPort src(4, 4);
    src.Fill(Rgb{0, 0, 0});
    TestPort mask(4, 4, 1);
    for (int v = 0; v < 4; ++v) {
        for (int h = 0; h < 4; ++h) mask.SetBit(h, v, true);
    }
    TestPort dst(4, 4);
    dst.MakeCurrent();
    const Rect clip = MakeRect(1, 1, 3, 4);
    ClipRect(&clip);
    const Rect r = MakeRect(0, 0, 4, 4);
    CopyMask(src.pixMap(), mask.pixMap(), dst.pixMap(), &r, &r, &r);
    EXPECT_EQ(dst.Grid(), Rows({"....",
                                ".##.",
                                ".##.",
                                ".##."}));
}

}  // namespace
