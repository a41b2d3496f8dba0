// ConvertPixelValuesFromImage: inclusive rectangles, clamping of the far edges, the
// four selectors.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// Distinct bytes per pixel and channel.
Rgb PatternAt(int x, int y) { return Rgb{uint8_t(x + 3 * y), uint8_t(7 * x + y), uint8_t(255 - x - y)}; }

class ConvertPixelValuesTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        frame = MakeFrame(80, 70);
        FillFrame(*frame, PatternAt);
    }
    std::unique_ptr<GWorldWrapper> frame;
};

TEST_F(ConvertPixelValuesTest, InclusiveSquareGivesRowsFromItsLeftColumn) {
    std::vector<float> values(64 * 64, -1.0f);
    ConvertPixelValuesFromImage(*frame, 1, values.data(), MakeRect(0, 0, 63, 63));
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) ASSERT_EQ(values[y * 64 + x], PatternAt(x, y).r) << x << "," << y;
    }
}

TEST_F(ConvertPixelValuesTest, EachSelectorReadsItsChannel) {
    struct Case {
        int channel;
        int (*expected)(Rgb);
    };
    const Case cases[] = {
        {0,
         [](Rgb c) {
             return int(std::max({c.r, c.g, c.b}));
         }},
        {1, [](Rgb c) { return int(c.r); }},
        {2, [](Rgb c) { return int(c.g); }},
        {3, [](Rgb c) { return int(c.b); }},
    };
    const Rect r = MakeRect(5, 9, 12, 13);  // left 5, top 9, right 12, bottom 13: 8 x 5 values
    for (const Case& c : cases) {
        std::vector<float> values(8 * 5, -1.0f);
        ConvertPixelValuesFromImage(*frame, c.channel, values.data(), r);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 8; ++x) {
                ASSERT_EQ(values[y * 8 + x], c.expected(PatternAt(5 + x, 9 + y))) << c.channel << " " << x << "," << y;
            }
        }
    }
}

TEST_F(ConvertPixelValuesTest, FarEdgesAreClampedToTheFrame) {
    // Right and bottom beyond the frame: columns 70..79 and rows 60..69 only.
    std::vector<float> values(20 * 20, -1.0f);
    ConvertPixelValuesFromImage(*frame, 3, values.data(), MakeRect(70, 60, 200, 300));
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) ASSERT_EQ(values[y * 10 + x], PatternAt(70 + x, 60 + y).b) << x << "," << y;
    }
    EXPECT_EQ(values[100], -1.0f);  // nothing beyond the 10 x 10 values
}

TEST_F(ConvertPixelValuesTest, UnknownSelectorWritesNothing) {
    for (int channel : {4, -1}) {
        std::vector<float> values(16, -1.0f);
        ConvertPixelValuesFromImage(*frame, channel, values.data(), MakeRect(0, 0, 3, 3));
        for (float v : values) EXPECT_EQ(v, -1.0f) << channel;
    }
}

TEST_F(ConvertPixelValuesTest, PixelsLeftOfTheFrameReadAsZero) {
    std::vector<float> values(3 * 2, -1.0f);
    ConvertPixelValuesFromImage(*frame, 2, values.data(), MakeRect(-1, 4, 1, 5));
    EXPECT_EQ(values[0], 0.0f);
    EXPECT_EQ(values[1], PatternAt(0, 4).g);
    EXPECT_EQ(values[2], PatternAt(1, 4).g);
    EXPECT_EQ(values[3], 0.0f);
    EXPECT_EQ(values[5], PatternAt(1, 5).g);
}

TEST_F(ConvertPixelValuesTest, RestoresTheCurrentPort) {
    GrafPtr before = CurrentPort();
    std::vector<float> values(4);
    ConvertPixelValuesFromImage(*frame, 0, values.data(), MakeRect(0, 0, 1, 1));
    EXPECT_EQ(CurrentPort(), before);
}

}  // namespace
