// The simulated sky camera: repeatable frames, stars that follow the mount the way the
// autoguider expects, long exposures driven by the SV203 board's pins, focus, and the
// raw Bayer mosaics of the four layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "control/AutoGuider.h"
#include "processing/Debayerize.h"
#include "sim/SimulatedCamera.h"
#include "tests/support/BayerMosaic.h"
#include "tests/support/CaptureFrames.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Above the bias, the sky and all but the rarest noise of a video frame.
constexpr double kStarThreshold = SimulatedSky::kBias + 8.0;

class SimulatedSkyTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        clock().SetStepPerRead(0);
        clock().SetMicros(1'000'000);
    }

    static SkySettings Settings(uint32_t seed = 7) {
        SkySettings s;
        s.seed = seed;
        s.width = kWidth;
        s.height = kHeight;
        return s;
    }

    // Lets time pass to the start of the next frame of the camera's clock.
    void NextFrameTime() {
        uint64_t next = SimulatedCamera::FrameNumberAt(clock().PeekMicros()) + 1;
        clock().SetMicros((next * 1000000 + SimulatedSky::kFramesPerSecond - 1) / SimulatedSky::kFramesPerSecond);
    }

    // The next frame the camera delivers.
    std::unique_ptr<GWorldWrapper> NextFrame(SimulatedCamera& camera) {
        auto frame = MakeFrame(kWidth, kHeight);
        NextFrameTime();
        EXPECT_EQ(camera.Deliver(TargetOf(*frame)), CaptureResult::kFreshFrame);
        return frame;
    }

    // Moves the mount at its guide rate in one direction ('n', 's', 'e', 'w') for the
    // given time, bringing its motion up to date.
    void Pulse(SimulatedMount& mount, char direction, double seconds) {
        mount.Receive(std::string(":RG#:M") + direction + "#");
        clock().AdvanceMicros(static_cast<uint64_t>(seconds * 1e6));
        mount.Receive(std::string(":Q") + direction + "#");
    }
};

// A star well inside the frame whose video image is bright but not saturated, with no
// other star of any note within the given distance.
SkyStar IsolatedStar(SimulatedSky& sky, MountPosition pointing, double minFlux = 600, double maxFlux = 2000,
                     double isolation = 12) {
    auto stars = sky.StarsInView(pointing);
    for (const SkyStar& s : stars) {
        if (s.flux < minFlux || s.flux > maxFlux) continue;
        if (s.x < 40 || s.y < 40 || s.x > kWidth - 40 || s.y > kHeight - 40) continue;
        bool alone = std::none_of(stars.begin(), stars.end(), [&](const SkyStar& o) {
            return &o != &s && o.flux > 5 && std::hypot(o.x - s.x, o.y - s.y) < isolation;
        });
        if (alone) return s;
    }
    ADD_FAILURE() << "no isolated star in the field";
    return {};
}

double Median(std::vector<int> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double MedianOfChannel(GWorldWrapper& frame, int channel) {
    std::vector<int> values;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) values.push_back(ChannelAt(frame, x, y, channel));
    return Median(values);
}

TEST_F(SimulatedSkyTest, TheSameSeedAndClockGiveTheSameFrames) {
    SimulatedMount mountA, mountB;
    SimulatedCamera a(Settings(), &mountA, nullptr), b(Settings(), &mountB, nullptr);
    SimulatedCamera otherSeed(Settings(8), nullptr, nullptr);
    std::vector<std::vector<uint8_t>> framesA;
    for (int i = 0; i < 3; ++i) {
        auto fa = MakeFrame(kWidth, kHeight), fb = MakeFrame(kWidth, kHeight), fc = MakeFrame(kWidth, kHeight);
        NextFrameTime();
        ASSERT_EQ(a.Deliver(TargetOf(*fa)), CaptureResult::kFreshFrame);
        ASSERT_EQ(b.Deliver(TargetOf(*fb)), CaptureResult::kFreshFrame);
        ASSERT_EQ(otherSeed.Deliver(TargetOf(*fc)), CaptureResult::kFreshFrame);
        EXPECT_TRUE(SameColours(*fa, *fb)) << "frame " << i;
        EXPECT_FALSE(SameColours(*fa, *fc)) << "frame " << i;
        framesA.emplace_back(FrameRow(*fa, 0), FrameRow(*fa, 0) + fa->GetSrcRowBytes() * kHeight);
    }
    // The noise changes from frame to frame.
    EXPECT_NE(framesA[0], framesA[1]);
    EXPECT_NE(framesA[1], framesA[2]);
}

TEST_F(SimulatedSkyTest, ANewFrameComesThirtyTimesASecond) {
    SimulatedCamera camera(Settings(), nullptr, nullptr);
    auto frame = MakeFrame(kWidth, kHeight);
    clock().SetMicros(0);
    EXPECT_EQ(camera.Deliver(TargetOf(*frame)), CaptureResult::kFreshFrame);
    int fresh = 1;
    for (uint64_t t = 1000; t < 1'000'000; t += 1000) {
        clock().SetMicros(t);
        if (camera.Deliver(TargetOf(*frame)) == CaptureResult::kFreshFrame) ++fresh;
    }
    EXPECT_EQ(fresh, 30);
    EXPECT_EQ(camera.FrameBounds(), MakeRect(0, 0, kWidth, kHeight));
}

TEST_F(SimulatedSkyTest, TheFrameShowsTheStarsWhereTheSkySaysTheyAre) {
    SimulatedCamera camera(Settings(), nullptr, nullptr);
    auto frame = NextFrame(camera);
    SkyStar star = IsolatedStar(camera.Sky(), {});
    StarMeasure m = MeasureStar(*frame, star.x, star.y, 6, 1, SimulatedSky::kBias, kStarThreshold);
    EXPECT_NEAR(m.x, star.x, 0.15);
    EXPECT_NEAR(m.y, star.y, 0.15);
    // The background is the bias plus a trace of sky, with read noise.
    EXPECT_NEAR(MedianOfChannel(*frame, 1), SimulatedSky::kBias, 1.0);
}

TEST_F(SimulatedSkyTest, AMountMoveShiftsTheStarsByThePixelsMoved) {
    struct Case {
        char direction;
        double dx, dy;  // image shift per pixel of mount motion
    };
    // East moves the field left, north moves it down.
    const Case cases[] = {{'e', -1, 0}, {'w', 1, 0}, {'n', 0, 1}, {'s', 0, -1}};
    for (const Case& c : cases) {
        SimulatedMount mount;
        SimulatedCamera camera(Settings(), &mount, nullptr);
        mount.Receive("");
        SkyStar star = IsolatedStar(camera.Sky(), mount.Position());
        auto before = NextFrame(camera);
        StarMeasure m0 = MeasureStar(*before, star.x, star.y, 6, 1, SimulatedSky::kBias, kStarThreshold);

        Pulse(mount, c.direction, 2.0);
        const double moved = MountSettings{}.guideRate * 2.0;
        auto after = NextFrame(camera);
        StarMeasure m1 =
            MeasureStar(*after, star.x + c.dx * moved, star.y + c.dy * moved, 6, 1, SimulatedSky::kBias, kStarThreshold);
        EXPECT_NEAR(m1.x - m0.x, c.dx * moved, 0.2) << c.direction;
        EXPECT_NEAR(m1.y - m0.y, c.dy * moved, 0.2) << c.direction;
        EXPECT_NEAR(m1.light, m0.light, 0.1 * m0.light) << c.direction;
    }
}

// The autoguider's default orientation (north up, east right) and the sky agree: the
// pulses it asks for bring a star that is off its goal back within its threshold.
TEST_F(SimulatedSkyTest, PulsesTheAutoguiderAsksForBringTheStarToItsGoal) {
    struct Case {
        double goalDx, goalDy;
    };
    const Case cases[] = {{10, -8}, {-9, 7}, {0, 12}, {-12, 0}};
    for (const Case& c : cases) {
        SimulatedMount mount;
        SimulatedCamera camera(Settings(), &mount, nullptr);
        AutoGuider guider(nullptr);
        mount.Receive("");
        SkyStar star = IsolatedStar(camera.Sky(), mount.Position());
        const double goalX = star.x + c.goalDx, goalY = star.y + c.goalDy;
        guider.InitializeAutoGuideGoalCentroid(
            Point{static_cast<int16_t>(std::lround(goalY)), static_cast<int16_t>(std::lround(goalX))});
        double x = star.x, y = star.y;
        for (int pass = 0; pass < 30; ++pass) {
            auto frame = NextFrame(camera);
            StarMeasure m = MeasureStar(*frame, x, y, 6, 1, SimulatedSky::kBias, kStarThreshold);
            ASSERT_GT(m.light, 0) << "lost the star";
            x = m.x;
            y = m.y;
            guider.UpdateFromNewFrame(Point{static_cast<int16_t>(std::lround(y)), static_cast<int16_t>(std::lround(x))},
                                      nullptr);
            if (guider.GetDelayNS() == 1) Pulse(mount, guider.GetGuideNorth() ? 'n' : 's', 0.2);
            if (guider.GetDelayEW() == 1) Pulse(mount, guider.GetGuideEast() ? 'e' : 'w', 0.2);
        }
        EXPECT_LE(std::abs(x - goalX), AutoGuider::kThresholdPixels + 1.0) << c.goalDx << ", " << c.goalDy;
        EXPECT_LE(std::abs(y - goalY), AutoGuider::kThresholdPixels + 1.0) << c.goalDx << ", " << c.goalDy;
    }
}

class LongExposureTest : public SimulatedSkyTest {
protected:
    // Runs one long exposure of the given length: the exposure pin cleared (and the
    // amplifier's when asked), a frame read every quarter second while exposing, the
    // pins set again; returns the frame read out next. Counts in brightDarkPixels the
    // pixels of the dark frames above the read noise (only hot pixels should be).
    std::unique_ptr<GWorldWrapper> Expose(double seconds, bool amplifierOff, int* brightDarkPixels = nullptr) {
        board_.Receive(amplifierOff ? "PC8\rPC1\r" : "PC8\r");
        const uint64_t start = clock().PeekMicros(), end = start + static_cast<uint64_t>(seconds * 1e6);
        int bright = 0;
        for (clock().AdvanceMicros(250'000); clock().PeekMicros() < end; clock().AdvanceMicros(250'000)) {
            auto frame = MakeFrame(kWidth, kHeight);
            EXPECT_EQ(camera_.Deliver(TargetOf(*frame)), CaptureResult::kFreshFrame);
            bright = std::max(bright, CountAbove(*frame, SimulatedSky::kBias + 8 * SimulatedSky::kReadNoise));
        }
        clock().SetMicros(end);
        board_.Receive(amplifierOff ? "PS1\rPS8\r" : "PS8\r");
        if (brightDarkPixels) *brightDarkPixels = bright;
        return NextFrame(camera_);
    }

    static int CountAbove(GWorldWrapper& frame, double level) {
        int count = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) count += ChannelAt(frame, x, y, 1) > level;
        return count;
    }

    SimulatedSV203 board_;
    SimulatedCamera camera_{Settings(), nullptr, &board_};
};

TEST_F(LongExposureTest, DarkFramesWhileExposingThenOneFrameWithTheWholeExposure) {
    auto video = NextFrame(camera_);
    int brightDark = -1;
    auto twoSeconds = Expose(2.0, true, &brightDark);
    // The dark frames hold bias, read noise and the sensor's few hot pixels.
    EXPECT_LE(brightDark, kWidth * kHeight / 40000);
    EXPECT_GT(CountAbove(*video, kStarThreshold), 100);
    auto fourSeconds = Expose(4.0, true);
    auto videoAgain = NextFrame(camera_);
    EXPECT_FALSE(camera_.Camera().Exposing());

    // The background grows with the exposure time: 60 and 120 frames' worth of skylight.
    const double bias = SimulatedSky::kBias;
    EXPECT_NEAR(MedianOfChannel(*twoSeconds, 1) - bias, 60 * SimulatedSky::kSkyLight[1], 1.0);
    EXPECT_NEAR(MedianOfChannel(*fourSeconds, 1) - bias, 120 * SimulatedSky::kSkyLight[1], 1.0);
    EXPECT_NEAR(MedianOfChannel(*videoAgain, 1), bias, 1.0);

    // A faint star, lost in the noise of a video frame, shows in the long exposures
    // with its light in proportion to the exposure time.
    auto stars = camera_.Sky().StarsInView({});
    auto faint = std::find_if(stars.begin(), stars.end(), [&](const SkyStar& s) {
        return s.flux > 4 && s.flux < 15 && s.x > 20 && s.y > 20 && s.x < kWidth - 20 && s.y < kHeight - 20;
    });
    ASSERT_NE(faint, stars.end());
    const double x = faint->x, y = faint->y;
    StarMeasure inVideo = MeasureStar(*video, x, y, 1, 1, bias);
    StarMeasure in2 = MeasureStar(*twoSeconds, x, y, 5, 1, LocalBackground(*twoSeconds, x, y, 5, 1));
    StarMeasure in4 = MeasureStar(*fourSeconds, x, y, 5, 1, LocalBackground(*fourSeconds, x, y, 5, 1));
    EXPECT_LT(inVideo.peak, bias + 8 * SimulatedSky::kReadNoise);
    EXPECT_GT(in2.peak, MedianOfChannel(*twoSeconds, 1) + 20);
    EXPECT_LT(in4.peak, 255);
    EXPECT_NEAR(in2.light, faint->flux * 60, 0.12 * faint->flux * 60);
    EXPECT_NEAR(in4.light / in2.light, 2.0, 0.2);
}

TEST_F(LongExposureTest, TheAmplifierGlowsInTheCornerWhenItStaysOn) {
    auto quiet = Expose(3.0, true);
    auto glowing = Expose(3.0, false);
    auto meanOf = [](GWorldWrapper& f, int left, int top) {
        double sum = 0;
        for (int y = top; y < top + 10; ++y)
            for (int x = left; x < left + 10; ++x) sum += ChannelAt(f, x, y, 0);
        return sum / 100;
    };
    const int right = kWidth - 10, bottom = kHeight - 10;
    EXPECT_LT(meanOf(*quiet, right, bottom) - meanOf(*quiet, 0, 0), 3.0);
    EXPECT_GT(meanOf(*glowing, right, bottom) - meanOf(*glowing, 0, 0), 100.0);
    EXPECT_LT(meanOf(*glowing, 0, 0) - meanOf(*quiet, 0, 0), 3.0);
}

TEST_F(LongExposureTest, WithoutABoardEveryFrameIsAVideoFrame) {
    SimulatedCamera unwired(Settings(), nullptr, nullptr);
    board_.Receive("PC8\r");
    NextFrameTime();
    auto wired = MakeFrame(kWidth, kHeight), plain = MakeFrame(kWidth, kHeight);
    ASSERT_EQ(camera_.Deliver(TargetOf(*wired)), CaptureResult::kFreshFrame);
    ASSERT_EQ(unwired.Deliver(TargetOf(*plain)), CaptureResult::kFreshFrame);
    EXPECT_TRUE(camera_.Camera().Exposing());
    EXPECT_FALSE(unwired.Camera().Exposing());
    EXPECT_LE(CountAbove(*wired, kStarThreshold), kWidth * kHeight / 40000);
    EXPECT_GT(CountAbove(*plain, kStarThreshold), 100);
}

// The share of a unit Gaussian's light (centre c, width sigma) that falls in pixel i.
double PixelShare(int i, double c, double sigma) {
    double k = 1.0 / (sigma * std::sqrt(2.0));
    return 0.5 * (std::erf((i + 0.5 - c) * k) - std::erf((i - 0.5 - c) * k));
}

TEST_F(SimulatedSkyTest, AWiderFocusErrorLowersThePeakAndKeepsTheLight) {
    SimulatedCamera camera(Settings(), nullptr, nullptr);
    SkyStar star = IsolatedStar(camera.Sky(), {}, 1000, 2500, 30);
    const int cx = static_cast<int>(star.x + 0.5), cy = static_cast<int>(star.y + 0.5);
    int lastPeak = 256;
    for (double focus : {0.0, 1.5, 3.0}) {
        camera.Sky().SetFocusError(focus);
        auto frame = NextFrame(camera);
        const double sigma = std::hypot(SimulatedSky::kSeeingSigma, focus);
        EXPECT_DOUBLE_EQ(camera.Sky().StarSigmaAt(0), sigma);
        // The central pixel holds its share of a Gaussian of that width.
        int centre = ChannelAt(*frame, cx, cy, 1);
        double expected = SimulatedSky::kBias + star.flux * PixelShare(cx, star.x, sigma) * PixelShare(cy, star.y, sigma);
        EXPECT_NEAR(centre, expected, 5.0) << "focus " << focus;
        StarMeasure m = MeasureStar(*frame, star.x, star.y, 11, 1, LocalBackground(*frame, star.x, star.y, 11, 1));
        EXPECT_LT(m.peak, lastPeak) << "focus " << focus;
        EXPECT_NEAR(m.light, star.flux, 0.08 * star.flux) << "focus " << focus;
        lastPeak = m.peak;
    }
}

TEST_F(SimulatedSkyTest, AFocusSweepPassesThroughBestFocus) {
    SkySettings s = Settings();
    s.focusError = 4.0;
    s.focusSweepSeconds = 20.0;
    SimulatedSky sky(s);
    EXPECT_DOUBLE_EQ(sky.StarSigmaAt(0), SimulatedSky::kSeeingSigma);
    EXPECT_NEAR(sky.FocusErrorAt(5 * 30), 4.0, 1e-9);
    EXPECT_NEAR(sky.FocusErrorAt(15 * 30), -4.0, 1e-9);
    EXPECT_NEAR(sky.StarSigmaAt(10 * 30), SimulatedSky::kSeeingSigma, 1e-9);
    s.focusError = 0.0;
    EXPECT_NEAR(SimulatedSky(s).FocusErrorAt(5 * 30), SimulatedSky::kSweepAmplitude, 1e-9);
}

struct LayoutCase {
    SampleLayout layout;
    BayerColor pattern;
};
const LayoutCase kLayouts[] = {
    {SampleLayout::kBayerGRBG, kGRBG},
    {SampleLayout::kBayerRGGB, kRGGB},
    {SampleLayout::kBayerBGGR, kBGGR},
    {SampleLayout::kBayerGBRG, kGBRG},
};

int ChannelOf(SiteColour s) { return s == SiteColour::kRed ? 0 : s == SiteColour::kGreen ? 1 : 2; }

// Each raw sample is the colour frame's component of its site's colour, in all three
// bytes, with the sites where the program's de-Bayering expects them.
TEST_F(SimulatedSkyTest, ABayerMosaicHoldsEachSitesColourInAllThreeBytes) {
    SimulatedSky colourSky(Settings());
    auto colour = MakeFrame(kWidth, kHeight);
    colourSky.Render(TargetOf(*colour), 5, {}, FrameExposure{});
    for (const LayoutCase& c : kLayouts) {
        SkySettings s = Settings();
        s.samples = c.layout;
        SimulatedSky sky(s);
        auto raw = MakeFrame(kWidth, kHeight);
        sky.Render(TargetOf(*raw), 5, {}, FrameExposure{});
        int mismatches = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                Rgb p = GetPixel(*raw, x, y);
                uint8_t want = ChannelAt(*colour, x, y, ChannelOf(SiteColourAt(c.pattern, x, y)));
                if (p.r != want || p.g != want || p.b != want) ++mismatches;
            }
        EXPECT_EQ(mismatches, 0) << "layout " << c.pattern;
    }
}

// A coloured star, mosaicked and de-Bayered back by the program, keeps its colour.
TEST_F(SimulatedSkyTest, ADeBayeredMosaicOfAColouredStarGetsItsColourBack) {
    SkySettings s = Settings();
    s.focusError = 2.0;  // wide enough for the interpolation to follow
    SimulatedSky finder(s);
    auto stars = finder.StarsInView({});
    const SkyStar* red = nullptr;
    for (const SkyStar& star : stars) {
        if (star.flux < 1500 || star.x < 30 || star.y < 30 || star.x > kWidth - 30 || star.y > kHeight - 30) continue;
        if (star.tint[0] - star.tint[2] > 0.35 && (!red || star.flux > red->flux)) red = &star;
    }
    ASSERT_NE(red, nullptr);
    for (const LayoutCase& c : kLayouts) {
        s.samples = c.layout;
        SimulatedSky sky(s);
        auto frame = MakeFrame(kWidth, kHeight);
        sky.Render(TargetOf(*frame), 0, {}, FrameExposure{});
        DebayerizeImageFromGreenChannel(*frame, c.pattern, kBilinear);
        const double x = red->x, y = red->y;
        StarMeasure r = MeasureStar(*frame, x, y, 8, 0, LocalBackground(*frame, x, y, 8, 0));
        StarMeasure g = MeasureStar(*frame, x, y, 8, 1, LocalBackground(*frame, x, y, 8, 1));
        StarMeasure b = MeasureStar(*frame, x, y, 8, 2, LocalBackground(*frame, x, y, 8, 2));
        EXPECT_NEAR(r.light / g.light, red->tint[0], 0.08) << "layout " << c.pattern;
        EXPECT_NEAR(b.light / g.light, red->tint[2], 0.08) << "layout " << c.pattern;
        EXPECT_NEAR(r.x, red->x, 0.3) << "layout " << c.pattern;
        EXPECT_NEAR(b.y, red->y, 0.3) << "layout " << c.pattern;
    }
}

TEST_F(SimulatedSkyTest, HotPixelsStayOnTheSensorWhenTheFieldMoves) {
    SimulatedSky sky(Settings());
    auto hotIn = [&](MountPosition pointing) {
        auto frame = MakeFrame(kWidth, kHeight);
        sky.Render(TargetOf(*frame), 0, pointing, FrameExposure{0.0});
        std::vector<std::pair<int, int>> hot;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (ChannelAt(*frame, x, y, 1) > 40) hot.emplace_back(x, y);
        return hot;
    };
    auto here = hotIn({});
    EXPECT_GE(here.size(), 2u);
    EXPECT_EQ(hotIn({30.0, -20.0}), here);
}

TEST_F(SimulatedSkyTest, RendersIntoPaddedRowsWithoutTouchingThePadding) {
    SimulatedSky sky(Settings());
    auto frame = MakeFrame(kWidth, kHeight);
    FillPadding(*frame, 0xA5);
    sky.Render(TargetOf(*frame), 3, {}, FrameExposure{});
    EXPECT_TRUE(PaddingHolds(*frame, 0xA5));
    // A target larger than the sky is filled only as far as the sky reaches.
    auto large = MakeFrame(kWidth + 3, kHeight + 2);
    FillFrame(*large, Rgb{1, 2, 3});
    sky.Render(TargetOf(*large), 3, {}, FrameExposure{});
    EXPECT_EQ(GetPixel(*large, kWidth + 1, 5), (Rgb{1, 2, 3}));
    EXPECT_EQ(GetPixel(*large, 5, kHeight + 1), (Rgb{1, 2, 3}));
}

}  // namespace
