// The simulated camera's black level: where the sky's black sits in the bytes. Left at
// the sensor's bias the sky is grey with noise; turned below 0, as observers set a
// webcam for guiding, the sky is black and only the stars stand out.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/SimulatedCamera.h"
#include "tests/support/CaptureFrames.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class SkyBlackLevelTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        clock().SetStepPerRead(0);
        clock().SetMicros(1'000'000);
    }

    // One frame of the camera, and the share of its pixels that are black and its
    // brightest green byte.
    struct Look {
        double blackShare = 0.0;
        int peak = 0;
    };
    Look TakeFrame(SimulatedCamera& camera) {
        auto frame = MakeFrame(640, 480);
        clock().AdvanceMicros(1'000'000 / SimulatedSky::kFramesPerSecond + 1);
        EXPECT_EQ(camera.Deliver(TargetOf(*frame)), CaptureResult::kFreshFrame);
        Look look;
        int black = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const Rgb c = GetPixel(*frame, x, y);
                black += std::max({c.r, c.g, c.b}) == 0;
                look.peak = std::max<int>(look.peak, c.g);
            }
        look.blackShare = black / (640.0 * 480.0);
        return look;
    }
};

TEST_F(SkyBlackLevelTest, BelowZeroTheSkyIsBlackAndTheStarsRemain) {
    SkySettings settings;
    SimulatedCamera asItComes(settings, nullptr, nullptr);
    const Look grey = TakeFrame(asItComes);
    EXPECT_LT(grey.blackShare, 0.001);

    settings.blackLevel = -3.0f;
    SimulatedCamera forGuiding(settings, nullptr, nullptr);
    const Look black = TakeFrame(forGuiding);
    EXPECT_GT(black.blackShare, 0.9);
    EXPECT_EQ(black.peak, 255) << "the brightest stars still saturate";
}

TEST_F(SkyBlackLevelTest, TheCameraSettingsOfferIt) {
    SimulatedCamera camera(SkySettings{}, nullptr, nullptr);
    const std::vector<CameraControl> controls = camera.Controls();
    auto black = std::find_if(controls.begin(), controls.end(),
                              [](const CameraControl& c) { return c.id == SimulatedCamera::kBlackLevelControl; });
    ASSERT_NE(black, controls.end());
    EXPECT_EQ(black->name, "Black level");
    EXPECT_EQ(black->kind, CameraControlKind::kSlider);
    EXPECT_EQ(black->value, static_cast<int32_t>(SimulatedSky::kBias));
    EXPECT_EQ(black->defaultValue, static_cast<int32_t>(SimulatedSky::kBias));
    EXPECT_LT(black->minimum, 0);

    EXPECT_TRUE(camera.SetControl(SimulatedCamera::kBlackLevelControl, -3));
    EXPECT_FLOAT_EQ(camera.Sky().Settings().blackLevel, -3.0f);
    EXPECT_FALSE(camera.SetControl(SimulatedCamera::kBlackLevelControl, black->minimum - 1));
    EXPECT_FALSE(camera.SetControl(SimulatedCamera::kBlackLevelControl, black->maximum + 1));
    EXPECT_FLOAT_EQ(camera.Sky().Settings().blackLevel, -3.0f);
}

}  // namespace
