// Every pixel procedure on frames whose rows end in padding: whatever the padding
// holds, the results are the same, and the padding is never written.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "display/Histogram.h"
#include "processing/Debayerize.h"
#include "processing/ImageProcs.h"
#include "tests/support/BayerMosaic.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr int kWidth = 50;
constexpr int kHeight = 34;

Rgb Picture(int x, int y) {
    return Rgb{uint8_t((x * 37 + y * 11) % 256), uint8_t((x * x + 3 * y) % 256), uint8_t((255 - 5 * y + x) % 256)};
}

class PaddedRowsTest : public ToolboxTest {
protected:
    // Runs procedure on two copies of the picture whose padding holds 0x00 and 0xFF;
    // the pixels must come out the same and each padding as it was.
    void ExpectIndifferentToPadding(const std::function<void(GWorldWrapper&)>& procedure) {
        auto zeros = MakeFrame(kWidth, kHeight);
        auto ones = MakeFrame(kWidth, kHeight);
        ASSERT_GT(zeros->GetSrcRowBytes(), 4 * kWidth);
        for (GWorldWrapper* f : {zeros.get(), ones.get()}) FillFrame(*f, Picture);
        FillPadding(*zeros, 0x00);
        FillPadding(*ones, 0xFF);
        procedure(*zeros);
        procedure(*ones);
        EXPECT_TRUE(SameColours(*zeros, *ones));
        EXPECT_TRUE(PaddingHolds(*zeros, 0x00));
        EXPECT_TRUE(PaddingHolds(*ones, 0xFF));
    }
};

TEST_F(PaddedRowsTest, ConvertPixelValues) {
    std::vector<std::vector<float>> results;
    ExpectIndifferentToPadding([&](GWorldWrapper& f) {
        std::vector<float> values(kWidth * kHeight, -1.0f);
        ConvertPixelValuesFromImage(f, 0, values.data(), MakeRect(0, 0, kWidth + 10, kHeight));
        results.push_back(values);
    });
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0][kWidth * 5 + kWidth - 1],
              std::max({Picture(kWidth - 1, 5).r, Picture(kWidth - 1, 5).g, Picture(kWidth - 1, 5).b}));
}

TEST_F(PaddedRowsTest, RemapColoursAndValue) {
    ExpectIndifferentToPadding([](GWorldWrapper& f) {
        std::array<int, 4> dark{10, 20, 0, 5};
        std::array<int, 4> light{200, 255, 180, 250};
        std::array<double, 4> gamma{0.8, 1.0, 1.3, 1.0};
        RemapImageComponentsFromLevelCutoffs(f, 256, dark.data(), light.data(), gamma.data());
    });
}

TEST_F(PaddedRowsTest, Histograms) {
    std::vector<double> bins;
    ExpectIndifferentToPadding([&](GWorldWrapper& f) {
        Histogram v(256, 0, 50), r(256, 1, 50), g(256, 2, 50), b(256, 3, 50);
        ASSERT_TRUE(GenerateHistograms(f, MakeRect(0, 0, kWidth, kHeight), v, r, g, b));
        for (int i = 0; i < 256; ++i) bins.push_back(v.GetBin(i));
    });
    ASSERT_EQ(bins.size(), 512u);
    EXPECT_TRUE(std::equal(bins.begin(), bins.begin() + 256, bins.begin() + 256));
    // The last column's value counts like any other (one pixel of 50 x 34).
    EXPECT_GE(bins[std::max({Picture(kWidth - 1, 0).r, Picture(kWidth - 1, 0).g, Picture(kWidth - 1, 0).b})],
              1.0 / (kWidth * kHeight));
}

TEST_F(PaddedRowsTest, Centroid) {
    std::vector<Point> points;
    ExpectIndifferentToPadding([&](GWorldWrapper& f) {
        Point p;
        CalculateValueCentroid(f, MakeRect(kWidth - 20, 3, kWidth, kHeight), p);
        points.push_back(p);
    });
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0], points[1]);
}

TEST_F(PaddedRowsTest, DebinFast) {
    ExpectIndifferentToPadding([](GWorldWrapper& f) { DebinFast(f); });
}

TEST_F(PaddedRowsTest, DebayerEveryMethod) {
    for (DebayerAlg algorithm : kAllAlgorithms) {
        ExpectIndifferentToPadding([algorithm](GWorldWrapper& f) {
            MosaicFrame(f, kBGGR, Picture);
            DebayerizeImageFromGreenChannel(f, kBGGR, algorithm);
        });
    }
}

}  // namespace
