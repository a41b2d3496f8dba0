#include <gtest/gtest.h>

#include <vector>

#include "processing/GreyChannels.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// Three pixels and four bytes past them: each channel spreads over bytes 1..3 of its
// pixel; byte 0 and the bytes past the row stay.
TEST(SpreadChannelAcrossRow, CopiesTheChosenByteIntoTheThreeColourBytes) {
    struct Case {
        int channelByte;
        std::vector<uint8_t> expected;
    };
    const std::vector<uint8_t> row = {9, 10, 20, 30, 8, 40, 50, 60, 7, 70, 80, 90, 1, 2, 3, 4};
    const Case cases[] = {
        {1, {9, 10, 10, 10, 8, 40, 40, 40, 7, 70, 70, 70, 1, 2, 3, 4}},
        {2, {9, 20, 20, 20, 8, 50, 50, 50, 7, 80, 80, 80, 1, 2, 3, 4}},
        {3, {9, 30, 30, 30, 8, 60, 60, 60, 7, 90, 90, 90, 1, 2, 3, 4}},
        {0, row},
        {4, row},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> pixels = row;
        SpreadChannelAcrossRow(pixels.data(), 3, c.channelByte);
        EXPECT_EQ(pixels, c.expected) << "channel byte " << c.channelByte;
    }
}

class GreyChannelsTest : public ToolboxTest {};

TEST_F(GreyChannelsTest, WholeFrameOfOddWidthWithPaddedRows) {
    auto frame = MakeFrame(7, 5);
    FillFrame(*frame, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(10 * y), uint8_t(x + y)}; });
    FillPadding(*frame, 0x5A);
    MakeGreyFromChannel(*frame, 3);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint8_t b = static_cast<uint8_t>(x + y);
            EXPECT_EQ(GetPixel(*frame, x, y), (Rgb{b, b, b})) << x << "," << y;
        }
    EXPECT_TRUE(PaddingHolds(*frame, 0x5A));
}

}  // namespace
