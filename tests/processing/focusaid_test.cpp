// The focus measurement: when it runs and when it lets its arrays go, the cutoffs of a
// new square, the rings of spectra known by hand, an independent check against a
// direct 2-D DFT in double precision, the pipeline's place for it, and the power
// ratio's fall as star images widen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <vector>

#include "processing/FocusAid.h"
#include "sim/SimulatedSky.h"
#include "tests/support/CaptureFrames.h"
#include "tests/support/FramePipelineFixture.h"

namespace {

using Cx = std::complex<double>;

const double kPi = std::acos(-1.0);

// Grey levels over a whole frame.
void FillGrey(GWorldWrapper& frame, const std::function<int(int x, int y)>& level) {
    FillFrame(frame, [&](int x, int y) {
        const auto v = static_cast<uint8_t>(std::clamp(level(x, y), 0, 255));
        return Rgb{v, v, v};
    });
}

// Gaussian stars of width sigma, each of the same total light, over a dark sky: the
// same field, only more or less sharp.
struct Star {
    double x, y, flux;
};
void RenderStars(GWorldWrapper& frame, const std::vector<Star>& stars, double sigma) {
    FillGrey(frame, [&](int x, int y) {
        double level = 12.0;
        for (const Star& s : stars) {
            const double dx = x - s.x, dy = y - s.y;
            level += s.flux / (2.0 * kPi * sigma * sigma) * std::exp(-(dx * dx + dy * dy) / (2.0 * sigma * sigma));
        }
        return static_cast<int>(std::lround(level));
    });
}

// X(v, u) = sum over rows r and columns c of x(r, c) e^(-2 pi i (v r + u c) / n), by
// the definition: first along the rows, then along the columns. v is the vertical
// frequency; the result is n rows of n coefficients.
std::vector<Cx> DirectDft2d(const std::vector<double>& x, int n) {
    std::vector<Cx> roots(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) roots[static_cast<size_t>(k)] = std::polar(1.0, -2.0 * kPi * k / n);
    std::vector<Cx> alongRows(static_cast<size_t>(n) * n);
    for (int r = 0; r < n; ++r) {
        for (int u = 0; u < n; ++u) {
            Cx sum = 0.0;
            for (int c = 0; c < n; ++c)
                sum += x[static_cast<size_t>(r * n + c)] * roots[static_cast<size_t>(u * c % n)];
            alongRows[static_cast<size_t>(r * n + u)] = sum;
        }
    }
    std::vector<Cx> spectrum(static_cast<size_t>(n) * n);
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            Cx sum = 0.0;
            for (int r = 0; r < n; ++r)
                sum += alongRows[static_cast<size_t>(r * n + u)] * roots[static_cast<size_t>(v * r % n)];
            spectrum[static_cast<size_t>(v * n + u)] = sum;
        }
    }
    return spectrum;
}

// The rings of a spectrum by the measurement's rule: the left half (u < n/2), every
// row; rows of the upper half at distance v from row 0, those of the lower half at
// n - 1 - v from the last row.
std::vector<double> RingsOf(const std::vector<Cx>& spectrum, int n) {
    std::vector<double> rings(static_cast<size_t>(CountFocusBins(n)), 0.0);
    for (int v = 0; v < n; ++v) {
        const int dv = v < n / 2 ? v : n - 1 - v;
        for (int u = 0; u < n / 2; ++u) {
            const auto d = static_cast<size_t>(std::sqrt(static_cast<double>(dv * dv + u * u)));
            rings.at(d) += std::abs(spectrum[static_cast<size_t>(v * n + u)]);
        }
    }
    return rings;
}

double SumOf(const std::vector<double>& values, size_t first, size_t last) {
    double sum = 0.0;
    for (size_t i = first; i <= last && i < values.size(); ++i) sum += values[i];
    return sum;
}

class FocusAidTest : public FramePipelineTest {
protected:
    void BuildShown(int width = 640, int height = 480) {
        Build(width, height);
        ShowWindow(group_->GetFocusAidWindow());
    }
    // A control-drag that puts the square of `side` pixels with its top left at (left,
    // top) of the full-size level-adjusted window.
    void DefineSquare(int left, int top, int side) {
        group_->SetPow2Dim(side);
        const int h = left + side / 2, v = top + side / 2;
        DragInLevelAdjustedWindow(h, v, h, v, controlKey);
        ASSERT_EQ(group_->GetHistogramBoundsRect(), MakeRect(left, top, left + side - 1, top + side - 1));
    }
    // A plain drag: any rectangle, right column and bottom row included.
    void DefineRectangle(int left, int top, int right, int bottom) {
        DragInLevelAdjustedWindow(left, top, right, bottom);
        ASSERT_EQ(group_->GetHistogramBoundsRect(), MakeRect(left, top, right, bottom));
    }
    void Measure() { processor_->UpdateFocusAid(); }
    void ProcessFrame() { processor_->ProcessNewRawFrame(stopWatch_.get(), dataWindow_.get(), dialog_.get()); }

    std::vector<double> MeasuredRings(int side) {
        const float* rings = processor_->GetPowerSpectrumDist();
        EXPECT_NE(rings, nullptr);
        if (rings == nullptr) return {};
        return std::vector<double>(rings, rings + CountFocusBins(side));
    }
    // The ratio of the rings low..high, from the measured rings in double precision.
    double BandShare(int side, size_t low, size_t high) {
        const std::vector<double> rings = MeasuredRings(side);
        return SumOf(rings, low, high) / SumOf(rings, 0, rings.size() - 1);
    }
};

// ---- The square and its rings ----

TEST(FocusSquare, OnlySquaresOf32To256PixelsAreMeasured) {
    struct Case {
        Rect rect;
        int side;
    };
    const Case cases[] = {
        {MakeRect(100, 100, 131, 131), 32},  {MakeRect(0, 0, 63, 63), 64},       {MakeRect(5, 7, 132, 134), 128},
        {MakeRect(0, 0, 255, 255), 256},     {MakeRect(100, 100, 163, 131), 0},  {MakeRect(100, 100, 147, 147), 0},
        {MakeRect(100, 100, 226, 227), 0},   {MakeRect(0, 0, 640, 480), 0},      {MakeRect(0, 0, 64, 64), 0},
        {MakeRect(0, 0, 511, 511), 0},       {MakeRect(0, 0, 15, 15), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFocusSquareSide(c.rect), c.side)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
}

TEST(FocusSquare, RingCountAndFullBandFollowTheDiagonal) {
    struct Case {
        int side, rings;
        float fullBand;
    };
    const Case cases[] = {{32, 22, 22.627417f}, {64, 45, 45.254834f}, {128, 90, 90.50967f}, {256, 181, 181.01934f}};
    for (const Case& c : cases) {
        EXPECT_EQ(CountFocusBins(c.side), c.rings) << c.side;
        EXPECT_FLOAT_EQ(GetFullBandCutoff(c.side), c.fullBand) << c.side;
    }
}

// ---- On and off ----

TEST_F(FocusAidTest, SquareOf64StartsWithTheBandCoveringEveryRing) {
    BuildShown();
    DefineSquare(100, 100, 64);
    RenderStars(*levelAdjusted_, {{130.3, 131.6, 3000.0}}, 1.5);
    EXPECT_EQ(processor_->GetPowerSpectrumDist(), nullptr);
    Measure();
    const std::vector<double> rings = MeasuredRings(64);
    ASSERT_EQ(rings.size(), 45u);
    // The far corner of the left half, 31 rows and 31 columns out, is at 43.8: the
    // last ring stays empty for this size.
    EXPECT_GT(rings[43], 0.0);
    EXPECT_EQ(rings[44], 0.0);
    EXPECT_EQ(processor_->GetCutoffLow(), 0.0f);
    EXPECT_FLOAT_EQ(processor_->GetCutoffHigh(), 45.254834f);
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f);
}

struct OffCase {
    const char* what;
    Rect rect;  // defined with a plain drag; left -1: keep the 64 square
    bool hide;
};

TEST_F(FocusAidTest, MeasurementLetsItsArraysGoUnlessAVisibleWindowHasAPowerOfTwoSquare) {
    const OffCase cases[] = {
        {"64 wide and 32 high", MakeRect(100, 100, 163, 131), false},
        {"48 x 48", MakeRect(100, 100, 147, 147), false},
        {"127 wide and 128 high", MakeRect(100, 100, 226, 227), false},
        {"window hidden", MakeRect(-1, -1, -1, -1), true},
    };
    for (const OffCase& c : cases) {
        BuildShown();
        DefineSquare(100, 100, 64);
        RenderStars(*levelAdjusted_, {{120.0, 140.0, 5000.0}}, 1.2);
        Measure();
        processor_->SetCutoffLow(10.0f);
        Measure();
        ASSERT_NE(processor_->GetPowerSpectrumDist(), nullptr) << c.what;
        const float ratio = processor_->GetPowerRatio();
        const int32_t brightest = processor_->GetMaxPixelValue();
        EXPECT_LT(ratio, 1.0f) << c.what;

        if (c.rect.left != -1) DefineRectangle(c.rect.left, c.rect.top, c.rect.right, c.rect.bottom);
        if (c.hide) HideWindow(group_->GetFocusAidWindow());
        FillGrey(*levelAdjusted_, [](int x, int) { return x % 7 * 30; });
        Measure();
        EXPECT_EQ(processor_->GetPowerSpectrumDist(), nullptr) << c.what;
        EXPECT_EQ(processor_->GetPowerRatio(), ratio) << c.what << ": the last ratio stays";
        EXPECT_EQ(processor_->GetMaxPixelValue(), brightest) << c.what << ": the last brightest value stays";
        Release();
    }
}

TEST_F(FocusAidTest, HideAndShowOrAnotherSquareOfTheSameSizeKeepsTheCutoffs) {
    BuildShown();
    DefineSquare(100, 100, 64);
    RenderStars(*levelAdjusted_, {{130.0, 130.0, 4000.0}, {250.0, 300.0, 4000.0}}, 1.5);
    Measure();
    processor_->SetCutoffLow(5.0f);
    processor_->SetCutoffHigh(20.0f);
    HideWindow(group_->GetFocusAidWindow());
    Measure();
    ASSERT_EQ(processor_->GetPowerSpectrumDist(), nullptr);
    ShowWindow(group_->GetFocusAidWindow());
    Measure();
    ASSERT_NE(processor_->GetPowerSpectrumDist(), nullptr);
    EXPECT_EQ(processor_->GetCutoffLow(), 5.0f);
    EXPECT_EQ(processor_->GetCutoffHigh(), 20.0f);
    EXPECT_NEAR(processor_->GetPowerRatio(), BandShare(64, 5, 20), 1e-6);

    DefineSquare(218, 268, 64);
    Measure();
    EXPECT_EQ(processor_->GetCutoffLow(), 5.0f);
    EXPECT_EQ(processor_->GetCutoffHigh(), 20.0f);
    EXPECT_NEAR(processor_->GetPowerRatio(), BandShare(64, 5, 20), 1e-6);
}

TEST_F(FocusAidTest, NewSquareSizeResetsTheCutoffsAndTheBandCountsFromTheNextFrame) {
    BuildShown();
    RenderStars(*levelAdjusted_, {{160.0, 160.0, 6000.0}, {190.5, 150.2, 2500.0}, {140.0, 200.0, 1500.0}}, 1.3);
    DefineSquare(100, 100, 64);
    Measure();
    processor_->SetCutoffLow(10.0f);
    processor_->SetCutoffHigh(40.0f);
    Measure();

    DefineSquare(100, 100, 128);
    Measure();
    EXPECT_EQ(processor_->GetCutoffLow(), 0.0f);
    EXPECT_FLOAT_EQ(processor_->GetCutoffHigh(), 90.50967f);
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f);

    processor_->SetCutoffLow(10.0f);
    processor_->SetCutoffHigh(40.0f);
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f) << "nothing is measured until the next frame";
    Measure();
    const double share = BandShare(128, 10, 40);
    EXPECT_GT(share, 0.05);
    EXPECT_LT(share, 0.95);
    EXPECT_NEAR(processor_->GetPowerRatio(), share, 1e-6);
}

// ---- The rings ----

TEST_F(FocusAidTest, UniformSquarePutsEverythingInRingZero) {
    BuildShown();
    DefineSquare(200, 100, 64);
    FillFrame(*levelAdjusted_, Rgb{100, 60, 20});
    Measure();
    const std::vector<double> rings = MeasuredRings(64);
    ASSERT_EQ(rings.size(), 45u);
    EXPECT_EQ(rings[0], 100.0 * 64 * 64);
    for (size_t d = 1; d < rings.size(); ++d) EXPECT_EQ(rings[d], 0.0) << "ring " << d;
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f);
    processor_->SetCutoffLow(1.0f);
    Measure();
    EXPECT_EQ(processor_->GetPowerRatio(), 0.0f);
}

TEST_F(FocusAidTest, BlackSquareHasRatioZeroRatherThanNaN) {
    BuildShown();
    DefineSquare(0, 0, 32);
    FillFrame(*levelAdjusted_, Rgb{0, 0, 0});
    Measure();
    const std::vector<double> rings = MeasuredRings(32);
    for (double ring : rings) EXPECT_EQ(ring, 0.0);
    EXPECT_EQ(processor_->GetPowerRatio(), 0.0f);
    EXPECT_EQ(processor_->GetMaxPixelValue(), 0);
}

// Stripes of period 4 (0, 0, 200, 200) put their power at a quarter of the square's
// side: X = 50 sqrt(2) n^2 beside the zero frequency's 100 n^2. Columns of stripes
// give X(0, n/4), in ring n/4; rows of stripes give X(n/4, 0) in ring n/4 and its
// mirror X(3n/4, 0), whose row counts from the last row, in ring n/4 - 1.
struct StripeCase {
    const char* what;
    int side;
    bool rows;
};

TEST_F(FocusAidTest, StripesFallInTheRingsOfTheirFrequency) {
    const StripeCase cases[] = {
        {"columns, 32", 32, false}, {"rows, 32", 32, true}, {"columns, 128", 128, false}, {"rows, 128", 128, true}};
    for (const StripeCase& c : cases) {
        BuildShown();
        DefineSquare(64, 32, c.side);
        const bool rows = c.rows;
        FillGrey(*levelAdjusted_, [rows](int x, int y) { return (rows ? y : x) / 2 % 2 * 200; });
        Measure();
        const std::vector<double> rings = MeasuredRings(c.side);
        const double n2 = static_cast<double>(c.side) * c.side;
        const double tolerance = 1e-5 * 100.0 * n2;
        const size_t quarter = static_cast<size_t>(c.side / 4);
        for (size_t d = 0; d < rings.size(); ++d) {
            double expected = 0.0;
            if (d == 0) expected = 100.0 * n2;
            if (d == quarter || (rows && d == quarter - 1)) expected = 50.0 * std::sqrt(2.0) * n2;
            EXPECT_NEAR(rings[d], expected, tolerance) << c.what << ", ring " << d;
        }
        EXPECT_EQ(processor_->GetMaxPixelValue(), 200) << c.what;
        Release();
    }
}

// The magnitudes, the left half and the rings checked against the transform's
// definition evaluated in double precision, on a square of random colours (the
// value is the largest of the three) away from the frame's corner.
TEST_F(FocusAidTest, RingsAgreeWithADirectTransformInDoublePrecision) {
    for (int side : {32, 64, 256}) {
        BuildShown();
        const int left = 37, top = 21;
        DefineSquare(left, top, side);
        std::mt19937 random(static_cast<uint32_t>(side));
        std::uniform_int_distribution<int> level(0, 255);
        FillFrame(*levelAdjusted_, [&](int, int) {
            return Rgb{static_cast<uint8_t>(level(random)), static_cast<uint8_t>(level(random)),
                       static_cast<uint8_t>(level(random))};
        });
        std::vector<double> values(static_cast<size_t>(side) * side);
        int brightest = 0;
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const Rgb p = GetPixel(*levelAdjusted_, left + x, top + y);
                const int value = std::max({p.r, p.g, p.b});
                values[static_cast<size_t>(y * side + x)] = value;
                brightest = std::max(brightest, value);
            }
        }
        const std::vector<double> expected = RingsOf(DirectDft2d(values, side), side);
        const double total = SumOf(expected, 0, expected.size() - 1);

        Measure();
        processor_->SetCutoffLow(3.0f);
        processor_->SetCutoffHigh(static_cast<float>(side / 4) + 0.5f);
        Measure();
        const std::vector<double> rings = MeasuredRings(side);
        ASSERT_EQ(rings.size(), expected.size());
        for (size_t d = 0; d < rings.size(); ++d) {
            EXPECT_NEAR(rings[d], expected[d], 2e-6 * total + 1e-5 * expected[d]) << side << ", ring " << d;
        }
        const double share = SumOf(expected, 3, static_cast<size_t>(side / 4)) / total;
        EXPECT_NEAR(processor_->GetPowerRatio(), share, 1e-5) << side;
        EXPECT_EQ(processor_->GetMaxPixelValue(), brightest) << side;
        Release();
    }
}

TEST_F(FocusAidTest, BrightestValueIsTheLargestByteInsideTheSquare) {
    BuildShown();
    DefineSquare(100, 100, 32);
    FillFrame(*levelAdjusted_, [](int x, int y) {
        if (x == 120 && y == 131) return Rgb{12, 250, 3};  // inside, on the bottom row
        if (x == 132 && y == 110) return Rgb{0, 255, 0};   // just right of the square
        return Rgb{5, 9, 5};
    });
    Measure();
    EXPECT_EQ(processor_->GetMaxPixelValue(), 250);
}

TEST_F(FocusAidTest, HighCutoffAtTheSliderTopEndsTheBandAtTheLastRing) {
    BuildShown();
    DefineSquare(100, 100, 128);
    FillGrey(*levelAdjusted_, [](int x, int y) { return (x * 37 + y * 101) % 211; });
    Measure();
    struct Band {
        float low, high;
        size_t first, last;
    };
    // 90 rings; the last, 89, holds the corner of the left half (63 rows and columns out).
    ASSERT_GT(MeasuredRings(128).at(89), 0.0);
    const Band bands[] = {{89.0f, 90.0f, 89, 89}, {80.0f, 90.0f, 80, 89}, {0.0f, 90.0f, 0, 89},
                          {30.0f, 1000.0f, 30, 89}, {12.5f, 20.9f, 13, 20}};
    for (const Band& b : bands) {
        processor_->SetCutoffLow(b.low);
        processor_->SetCutoffHigh(b.high);
        Measure();
        const float ratio = processor_->GetPowerRatio();
        EXPECT_GT(ratio, 0.0f) << b.low << ".." << b.high;
        EXPECT_NEAR(ratio, BandShare(128, b.first, b.last), 1e-6) << b.low << ".." << b.high;
    }
    processor_->SetCutoffLow(0.0f);
    processor_->SetCutoffHigh(90.0f);
    Measure();
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f);
}

// ---- In the pipeline ----

TEST_F(FocusAidTest, PipelineMeasuresTheColourFrameBeforeAChannelIsStripped) {
    BuildShown(320, 240);
    DefineSquare(64, 64, 64);
    FillFrame(*raw_, [](int x, int y) { return x == 90 && y == 80 ? Rgb{12, 250, 3} : Rgb{20, 30, 40}; });
    processor_->SetChannel(3);
    ProcessFrame();
    ASSERT_NE(processor_->GetPowerSpectrumDist(), nullptr);
    EXPECT_EQ(processor_->GetMaxPixelValue(), 250);
    EXPECT_EQ(GetPixel(*levelAdjusted_, 90, 80), (Rgb{3, 3, 3})) << "the frame shown is the blue channel";

    HideWindow(group_->GetFocusAidWindow());
    ProcessFrame();
    EXPECT_EQ(processor_->GetPowerSpectrumDist(), nullptr) << "a hidden window costs no measurement";
}

// ---- What the observer relies on ----

// The same field ever more out of focus, from a star 1.6 pixels wide at half its
// height to one of 7.8: the share of the rings from a sixth of the spectrum up falls
// with every step. (The rings hold magnitudes, so once a star is so wide that its
// spectrum sinks into the floor of the rounding to whole levels, a high band's share
// grows again: the band is to be chosen for the stars at hand.)
TEST_F(FocusAidTest, UpperBandShareFallsAsGaussianStarsWiden) {
    BuildShown(320, 240);
    DefineSquare(96, 56, 128);
    const std::vector<Star> stars = {
        {140.2, 110.7, 9000.0}, {120.0, 80.0, 3000.0}, {190.6, 140.1, 5000.0}, {170.3, 70.4, 1500.0}};
    Measure();
    processor_->SetCutoffLow(15.0f);
    processor_->SetCutoffHigh(90.0f);
    float previous = 2.0f;
    for (double sigma : {0.7, 1.0, 1.5, 2.2, 3.3}) {
        RenderStars(*levelAdjusted_, stars, sigma);
        Measure();
        const float ratio = processor_->GetPowerRatio();
        EXPECT_LT(ratio, previous) << "sigma " << sigma;
        EXPECT_GT(ratio, 0.0f) << "sigma " << sigma;
        previous = ratio;
    }
}

// The simulated sky with a growing focus error, read noise, sky and hot pixels
// included: with the square on the brightest star (saturated in focus), the share of
// the middle rings falls as the star spreads from 3 to 19 pixels at half its height.
TEST_F(FocusAidTest, MiddleBandShareFallsAsTheSimulatedSkyGoesOutOfFocus) {
    BuildShown();
    SkySettings settings;
    settings.seed = 11;
    SimulatedSky sky(settings);
    const std::vector<SkyStar> inView = sky.StarsInView({});
    const SkyStar* brightest = nullptr;
    for (const SkyStar& s : inView) {
        const bool inside = s.x > 40 && s.x < 600 && s.y > 40 && s.y < 440;
        if (inside && (brightest == nullptr || s.flux > brightest->flux)) brightest = &s;
    }
    ASSERT_NE(brightest, nullptr);
    DefineSquare(static_cast<int>(brightest->x) - 32, static_cast<int>(brightest->y) - 32, 64);
    Measure();
    processor_->SetCutoffLow(3.0f);
    processor_->SetCutoffHigh(12.0f);
    float previous = 2.0f;
    for (double focusError : {0.0, 1.5, 3.0, 5.0, 8.0}) {
        sky.SetFocusError(focusError);
        sky.Render(TargetOf(*levelAdjusted_), 3, {}, FrameExposure{});
        Measure();
        const float ratio = processor_->GetPowerRatio();
        EXPECT_LT(ratio, previous) << "focus error " << focusError;
        previous = ratio;
    }
}

}  // namespace
