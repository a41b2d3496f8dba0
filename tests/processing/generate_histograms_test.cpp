// GenerateHistograms: the bounds check, the counting of each channel and the value,
// and the normalization.
#include <gtest/gtest.h>

#include <cmath>

#include "display/Histogram.h"
#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class GenerateHistogramsTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        frame = MakeFrame(40, 30);
        FillFrame(*frame, Rgb{10, 20, 30});
        for (Histogram** h : {&value, &red, &green, &blue}) *h = new Histogram(256, 0, 50);
    }
    void TearDown() override {
        for (Histogram* h : {value, red, green, blue}) delete h;
        ToolboxTest::TearDown();
    }
    bool Generate(Rect r) { return GenerateHistograms(*frame, r, *value, *red, *green, *blue); }

    std::unique_ptr<GWorldWrapper> frame;
    Histogram* value = nullptr;
    Histogram* red = nullptr;
    Histogram* green = nullptr;
    Histogram* blue = nullptr;
};

TEST_F(GenerateHistogramsTest, CountsEachChannelAndTheValue) {
    // In the 4 x 2 rectangle at (2, 3): six pixels (10, 20, 30) and two others.
    SetPixel(*frame, 2, 3, Rgb{200, 0, 7});
    SetPixel(*frame, 5, 4, Rgb{30, 90, 30});
    ASSERT_TRUE(Generate(MakeRect(2, 3, 6, 5)));
    EXPECT_DOUBLE_EQ(red->GetBin(10), 6.0 / 8);
    EXPECT_DOUBLE_EQ(red->GetBin(200), 1.0 / 8);
    EXPECT_DOUBLE_EQ(red->GetBin(30), 1.0 / 8);
    EXPECT_DOUBLE_EQ(green->GetBin(20), 6.0 / 8);
    EXPECT_DOUBLE_EQ(green->GetBin(0), 1.0 / 8);
    EXPECT_DOUBLE_EQ(green->GetBin(90), 1.0 / 8);
    EXPECT_DOUBLE_EQ(blue->GetBin(30), 7.0 / 8);
    EXPECT_DOUBLE_EQ(blue->GetBin(7), 1.0 / 8);
    EXPECT_DOUBLE_EQ(value->GetBin(30), 6.0 / 8);
    EXPECT_DOUBLE_EQ(value->GetBin(200), 1.0 / 8);
    EXPECT_DOUBLE_EQ(value->GetBin(90), 1.0 / 8);
    // The pixel outside the rectangle (right column excluded) is not counted.
    SetPixel(*frame, 6, 3, Rgb{255, 255, 255});
    ASSERT_TRUE(Generate(MakeRect(2, 3, 6, 5)));
    EXPECT_EQ(value->GetBin(255), 0.0);
    double sum = 0.0;
    for (int i = 0; i < 256; ++i) sum += red->GetBin(i);
    EXPECT_DOUBLE_EQ(sum, 1.0);
}

TEST_F(GenerateHistogramsTest, RefusesARectangleOnePastTheFrame) {
    ASSERT_TRUE(Generate(MakeRect(0, 0, 40, 30)));  // right = width, bottom = height: whole frame
    EXPECT_DOUBLE_EQ(red->GetBin(10), 1.0);
    FillFrame(*frame, Rgb{1, 2, 3});
    const Rect beyond[] = {MakeRect(0, 0, 41, 30), MakeRect(0, 0, 40, 31), MakeRect(-1, 0, 10, 10),
                           MakeRect(0, -1, 10, 10)};
    for (const Rect& r : beyond) {
        EXPECT_FALSE(Generate(r));
        // Untouched, not even cleared.
        EXPECT_DOUBLE_EQ(red->GetBin(10), 1.0);
        EXPECT_EQ(red->GetBin(1), 0.0);
    }
}

// An empty rectangle gives empty histograms: all bins 0, never NaN.
TEST_F(GenerateHistogramsTest, EmptyRectangleLeavesEveryBinZero) {
    ASSERT_TRUE(Generate(MakeRect(5, 5, 5, 9)));
    for (Histogram* h : {value, red, green, blue}) {
        for (int i = 0; i < 256; ++i) ASSERT_EQ(h->GetBin(i), 0.0) << i;
    }
}

TEST_F(GenerateHistogramsTest, RestoresTheCurrentPort) {
    auto other = MakeFrame(4, 4);
    SetPort(other->GetGWorldPtr());
    ASSERT_TRUE(Generate(MakeRect(0, 0, 4, 4)));
    EXPECT_EQ(CurrentPort(), other->GetGWorldPtr());
}

}  // namespace
