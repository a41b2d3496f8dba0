// DebinFast: the brighter field is kept and each of its lines doubled.
#include <gtest/gtest.h>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// Distinct colours per pixel; odd rows brighter than even rows when oddBrighter.
Rgb RowPattern(int x, int y, bool oddBrighter) {
    const bool bright = (y % 2 == 1) == oddBrighter;
    const uint8_t base = bright ? 150 : 20;
    return Rgb{uint8_t(base + (x + 3 * y) % 50), uint8_t(base + y % 40), uint8_t(base + x % 30)};
}

class DebinFastTest : public ToolboxTest {};

TEST_F(DebinFastTest, BrighterOddFieldIsCopiedOverTheEvenRowAbove) {
    // 4k and 4k + 2 heights, where the middle row is even or odd.
    for (int height : {12, 14}) {
        auto frame = MakeFrame(9, height);
        FillFrame(*frame, [](int x, int y) { return RowPattern(x, y, true); });
        DebinFast(*frame);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 9; ++x) {
                ASSERT_EQ(GetPixel(*frame, x, y), RowPattern(x, y | 1, true)) << height << ": " << x << "," << y;
            }
        }
    }
}

TEST_F(DebinFastTest, BrighterEvenFieldIsCopiedDownward) {
    for (int height : {12, 14}) {
        auto frame = MakeFrame(9, height);
        FillFrame(*frame, [](int x, int y) { return RowPattern(x, y, false); });
        DebinFast(*frame);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < 9; ++x) {
                ASSERT_EQ(GetPixel(*frame, x, y), RowPattern(x, y & ~1, false)) << height << ": " << x << "," << y;
            }
        }
    }
}

// Equal sums in the middle pair: the even field is kept.
TEST_F(DebinFastTest, TieKeepsTheEvenField) {
    auto frame = MakeFrame(4, 8);
    FillFrame(*frame, [](int x, int y) { return Rgb{uint8_t(10 * y + x), 0, uint8_t(100 - 10 * y)}; });
    // Rows 4 and 5 sum to the same (red + blue = 100 + x) but differ in colour.
    DebinFast(*frame);
    for (int y = 0; y < 8; ++y) {
        const int source = y & ~1;
        EXPECT_EQ(GetPixel(*frame, 2, y), (Rgb{uint8_t(10 * source + 2), 0, uint8_t(100 - 10 * source)})) << y;
    }
}

// The unused byte of a pixel is neither read nor written.
TEST_F(DebinFastTest, LeavesTheUnusedByte) {
    auto frame = MakeFrame(3, 4);
    FillFrame(*frame, [](int x, int y) { return RowPattern(x, y, true); });
    FrameRow(*frame, 0)[0] = 0x11;
    FrameRow(*frame, 1)[0] = 0x22;
    DebinFast(*frame);
    EXPECT_EQ(FrameRow(*frame, 0)[0], 0x11);
    EXPECT_EQ(FrameRow(*frame, 1)[0], 0x22);
    EXPECT_EQ(GetPixel(*frame, 0, 0), RowPattern(0, 1, true));
}

// An odd height: with the odd field kept the last row shows the odd line above it;
// with the even field kept it stays.
TEST_F(DebinFastTest, OddHeightLastRowJoinsTheKeptField) {
    for (bool oddBrighter : {true, false}) {
        auto frame = MakeFrame(5, 7);
        FillFrame(*frame, [oddBrighter](int x, int y) { return RowPattern(x, y, oddBrighter); });
        DebinFast(*frame);
        const int expectedSource = oddBrighter ? 5 : 6;
        EXPECT_EQ(GetPixel(*frame, 3, 6), RowPattern(3, expectedSource, oddBrighter)) << oddBrighter;
    }
}

TEST_F(DebinFastTest, SingleRowIsLeftAlone) {
    auto frame = MakeFrame(5, 1);
    FillFrame(*frame, Rgb{1, 2, 3});
    DebinFast(*frame);
    EXPECT_EQ(GetPixel(*frame, 4, 0), (Rgb{1, 2, 3}));
}

}  // namespace
