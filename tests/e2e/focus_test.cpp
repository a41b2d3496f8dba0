// An observing session: focusing. The simulated focuser sweeps the focus error through
// best focus and back; the observer shows the focus-aid window, marks a focus square on
// the brightest star with a right-button drag and sets the band of the measure to the
// finer detail. The power ratio recorded frame by frame is highest near best focus.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/ObservingFixture.h"

namespace {

constexpr int16_t kViewMenu = 133;
constexpr int16_t kFocusAidWindowItem = 29;
constexpr double kSweepSeconds = 20.0;
constexpr double kSweepAmplitude = 5.0;

struct Sample {
    double focusError;
    float powerRatio;
};

using FocusSession = ObservingTest;

TEST_F(FocusSession, ThePowerRatioPeaksNearBestFocus) {
    ProgramOptions options = SkyOptions();
    options.sky.focusError = kSweepAmplitude;
    options.sky.focusSweepSeconds = kSweepSeconds;
    Start(options);
    RunFor(0.2);
    ChooseMenuItem(kViewMenu, kFocusAidWindowItem);
    FrameWindowsGroup& group = *app().GetFrameWindowsGroup();
    ASSERT_TRUE(IsWindowVisible(group.GetFocusAidWindow()));
    // The front window must be the level-adjusted one for the drag to reach it.
    SelectWindow(group.GetLevelAdjustedFrameWindow());

    const SkyStar star = BrightestStar(70);
    ASSERT_GT(star.flux, 0.0);
    const Point at = FrameToGlobal(Point{static_cast<int16_t>(std::lround(star.y)), static_cast<int16_t>(std::lround(star.x))});
    host().ScriptDrag(at, at, 2, controlKey);
    TakeInput();
    const Rect square = group.GetHistogramBoundsRect();
    ASSERT_EQ(square.right - square.left, 127) << "a 128-pixel focus square";
    RawFrameProcessor& processor = *app().GetRawFrameProcessor();
    RunFor(0.1);
    ASSERT_NE(processor.GetPowerSpectrumDist(), nullptr) << "the focus aid measures the square";
    // The band: the rings of fine detail, which a sharp star fills and a blurred one
    // leaves to the noise.
    processor.SetCutoffLow(0.1f * processor.GetCutoffHigh());
    processor.SetCutoffHigh(0.4f * processor.GetCutoffHigh());

    std::vector<Sample> samples;
    uint64_t lastFrame = 0;
    // A pass a camera frame.
    RunFor(kSweepSeconds, 2, [&] {
        const uint64_t frame = SimulatedCamera::FrameNumberAt(clock().PeekMicros());
        if (frame == lastFrame) return;
        lastFrame = frame;
        samples.push_back({SkyCamera().Sky().FocusErrorAt(frame), processor.GetPowerRatio()});
    });
    ASSERT_GT(samples.size(), static_cast<size_t>(kSweepSeconds * SimulatedSky::kFramesPerSecond * 0.9));

    const Sample* best = &samples.front();
    double sharp = 0.0, blurred = 0.0;
    int sharpCount = 0, blurredCount = 0;
    for (const Sample& s : samples) {
        if (s.powerRatio > best->powerRatio) best = &s;
        if (std::abs(s.focusError) < 1.0) {
            sharp += s.powerRatio;
            ++sharpCount;
        }
        if (std::abs(s.focusError) > 4.0) {
            blurred += s.powerRatio;
            ++blurredCount;
        }
    }
    ASSERT_GT(sharpCount, 0);
    ASSERT_GT(blurredCount, 0);
    EXPECT_LT(std::abs(best->focusError), 1.0) << "the highest ratio at " << best->focusError << " px of defocus";
    EXPECT_GT(sharp / sharpCount, 1.5 * (blurred / blurredCount)) << "near focus " << sharp / sharpCount
                                                                     << ", far " << blurred / blurredCount;
}

}  // namespace
