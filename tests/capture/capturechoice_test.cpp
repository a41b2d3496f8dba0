// The command line's camera options and the capture source they choose: a webcam by
// default, the simulated sky with its settings, wired to the simulated mount and
// board when they run, or the test pattern.
#include <gtest/gtest.h>

#include <vector>

#include "app/CaptureChoice.h"
#include "platform/capture/TestPatternSource.h"
#include "platform/capture/V4L2Source.h"
#include "sim/SimulatedCamera.h"
#include "sim/SimulatedObservatory.h"
#include "tests/support/CaptureFrames.h"
#include "tests/support/ToolboxFixture.h"

namespace {

bool Parse(std::vector<const char*> args, ProgramOptions& options, std::string& error) {
    args.insert(args.begin(), "scopecam");
    return ParseProgramOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(CameraOptions, TheSkyAndFrameOptionsAreRead) {
    ProgramOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--camera", "sim", "--sky-seed", "42", "--focus-error", "2.5", "--focus-sweep", "30",
                       "--bayer", "GBRG", "--frame-size", "800x600"},
                      o, error))
        << error;
    EXPECT_EQ(o.camera, "sim");
    EXPECT_EQ(o.sky.seed, 42u);
    EXPECT_DOUBLE_EQ(o.sky.focusError, 2.5);
    EXPECT_DOUBLE_EQ(o.sky.focusSweepSeconds, 30.0);
    EXPECT_EQ(o.sky.samples, SampleLayout::kBayerGBRG);
    EXPECT_EQ(o.frameWidth, 800);
    EXPECT_EQ(o.frameHeight, 600);

    ProgramOptions defaults;
    ASSERT_TRUE(Parse({}, defaults, error));
    EXPECT_EQ(defaults.camera, "");  // the first webcam
    EXPECT_EQ(defaults.frameWidth, 0);
    EXPECT_EQ(defaults.sky.samples, SampleLayout::kColour);
    ASSERT_TRUE(Parse({"--camera", "/dev/video2"}, defaults, error));
    EXPECT_EQ(defaults.camera, "/dev/video2");
    EXPECT_NE(ProgramUsage().find("--focus-sweep"), std::string::npos);
}

TEST(CameraOptions, BadValuesAreRefusedWithTheOptionNamed) {
    const std::vector<std::vector<const char*>> bad = {
        {"--camera", "webcam"},      {"--camera"},          {"--frame-size", "640"},
        {"--frame-size", "8x8"},     {"--frame-size", "640x480x3"}, {"--frame-size", "5000x480"},
        {"--sky-seed", "-1"},        {"--sky-seed", "x"},    {"--focus-error", "-1"},
        {"--focus-error", "1e9"},    {"--focus-error", "nan"}, {"--focus-sweep", "soon"},
        {"--bayer", "rgbg"},
    };
    for (const auto& args : bad) {
        ProgramOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << args[0];
        EXPECT_NE(error.find(args[0]), std::string::npos) << error;
    }
}

class CaptureChoiceTest : public ToolboxTest {};

TEST_F(CaptureChoiceTest, EachCameraOptionMakesItsSource) {
    ProgramOptions o;
    auto webcam = MakeCaptureSource(o);
    ASSERT_NE(dynamic_cast<V4L2Source*>(webcam.get()), nullptr);
    EXPECT_EQ(dynamic_cast<V4L2Source*>(webcam.get())->DevicePath(), "");

    o.camera = "/dev/video5";
    EXPECT_EQ(MakeCaptureSource(o)->Name(), "/dev/video5");

    o.camera = "test";
    o.frameWidth = 320;
    o.frameHeight = 200;
    auto pattern = MakeCaptureSource(o);
    ASSERT_NE(dynamic_cast<TestPatternSource*>(pattern.get()), nullptr);
    EXPECT_EQ(pattern->FrameBounds(), MakeRect(0, 0, 320, 200));

    o.camera = "sim";
    o.sky.samples = SampleLayout::kBayerBGGR;
    auto sky = MakeCaptureSource(o);
    ASSERT_NE(dynamic_cast<SimulatedCamera*>(sky.get()), nullptr);
    EXPECT_EQ(sky->FrameBounds(), MakeRect(0, 0, 320, 200));
    EXPECT_EQ(sky->Samples(), SampleLayout::kBayerBGGR);
    o.frameWidth = o.frameHeight = 0;
    EXPECT_EQ(MakeSimulatedSkySource(o)->FrameBounds(), MakeRect(0, 0, 640, 480));
}

// With the simulated observatory running, the sky's camera hangs on its board: the
// exposure line turns the frames dark.
TEST_F(CaptureChoiceTest, TheSimulatedSkyFollowsTheSimulatedBoard) {
    clock().SetStepPerRead(0);
    SimulatedObservatory observatory;
    ProgramOptions o;
    o.camera = "sim";
    o.observatory = &observatory;
    auto wired = MakeCaptureSource(o);
    o.observatory = nullptr;
    auto loose = MakeCaptureSource(o);

    observatory.Board().Receive("PC8\r");
    clock().AdvanceMicros(100'000);
    auto a = MakeFrame(640, 480), b = MakeFrame(640, 480);
    ASSERT_EQ(wired->Deliver(TargetOf(*a)), CaptureResult::kFreshFrame);
    ASSERT_EQ(loose->Deliver(TargetOf(*b)), CaptureResult::kFreshFrame);
    auto brightPixels = [](GWorldWrapper& f) {
        int n = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) n += ChannelAt(f, x, y, 1) > 40;
        return n;
    };
    EXPECT_LE(brightPixels(*a), 640 * 480 / 40000);  // hot pixels only
    EXPECT_GT(brightPixels(*b), 100);
}

}  // namespace
