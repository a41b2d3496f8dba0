// De-Bayering quality: a smooth colour picture is mosaicked for each layout and
// de-Bayered; the peak signal-to-noise ratio of the interior must rank the methods
// Laplacian above bilinear above nearest neighbour. A wrong site table or start
// position puts colours in the wrong places and breaks the ranking.
#include <gtest/gtest.h>

#include <cmath>

#include "processing/Debayerize.h"
#include "tests/support/BayerMosaic.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 72;
constexpr int kBorder = 4;  // the unfinished border of the methods stays out of the measure

// Brightness with detail in both directions, and colour that changes slowly, as in a
// picture of the sky or a landscape.
Rgb SmoothPicture(int x, int y) {
    const double l = 128 + 50 * std::sin(0.35 * x + 0.1 * y) + 30 * std::cos(0.12 * x - 0.3 * y);
    const double r = l + 20 * std::sin(0.05 * x);
    const double b = l - 25 * std::cos(0.04 * y);
    return Rgb{uint8_t(std::lround(r)), uint8_t(std::lround(l)), uint8_t(std::lround(b))};
}

double InteriorPsnr(GWorldWrapper& frame) {
    double squares = 0.0;
    int count = 0;
    for (int y = kBorder; y < kHeight - kBorder; ++y) {
        for (int x = kBorder; x < kWidth - kBorder; ++x) {
            const Rgb got = GetPixel(frame, x, y);
            const Rgb want = SmoothPicture(x, y);
            for (int d : {got.r - want.r, got.g - want.g, got.b - want.b}) squares += d * d;
            count += 3;
        }
    }
    const double mse = squares / count;
    return 10.0 * std::log10(255.0 * 255.0 / mse);
}

class DebayerQualityTest : public ToolboxTest {
protected:
    double Psnr(BayerColor pattern, DebayerAlg algorithm) {
        auto frame = MakeFrame(kWidth, kHeight);
        MosaicFrame(*frame, pattern, SmoothPicture);
        DebayerizeImageFromGreenChannel(*frame, pattern, algorithm);
        return InteriorPsnr(*frame);
    }
};

TEST_F(DebayerQualityTest, LaplacianBeatsBilinearBeatsNearestNeighborOnEveryLayout) {
    for (BayerColor pattern : kAllPatterns) {
        const double nearest = Psnr(pattern, kNearestNeighbor);
        const double bilinear = Psnr(pattern, kBilinear);
        const double laplacian = Psnr(pattern, kLaplacianSecondOrder);
        RecordProperty("psnr_" + std::to_string(pattern),
                       std::to_string(nearest) + " " + std::to_string(bilinear) + " " + std::to_string(laplacian));
        EXPECT_GT(bilinear, nearest + 1.0) << "pattern " << pattern;
        EXPECT_GT(laplacian, bilinear + 1.0) << "pattern " << pattern;
        // A fair reconstruction, not merely a ranking of bad ones.
        EXPECT_GT(nearest, 20.0) << "pattern " << pattern;
    }
}

// The same picture de-Bayered under the wrong layout is far worse: the measure sees
// misplaced colours.
TEST_F(DebayerQualityTest, WrongLayoutIsFarWorse) {
    auto frame = MakeFrame(kWidth, kHeight);
    MosaicFrame(*frame, kRGGB, SmoothPicture);
    DebayerizeImageFromGreenChannel(*frame, kBGGR, kBilinear);
    EXPECT_LT(InteriorPsnr(*frame) + 6.0, Psnr(kRGGB, kBilinear));
}

}  // namespace
