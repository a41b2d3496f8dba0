// An observing session: long exposures with the camera's switches on the simulated
// SV203 board. The observer gives the board its port, command-clicks a faint star for
// the detection, waits for the calibration, sets the alarm to 5.0 s with the keys and
// asks for a batch of three. Three picture files appear, named with their seconds,
// each the accepted long exposure as ImageMagick reads it; a fourth exposure runs and
// is not saved, and the board's pins end at rest.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ObservingFixture.h"
#include "tests/support/PpmImage.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr int16_t kFileMenu = 129;
constexpr int16_t kPictureFolderItem = 7;
constexpr int16_t kBatchItem = 10;
constexpr double kAlarmSeconds = 5.0;

// The frame as the picture file should hold it.
PpmImage CopyOf(GWorldWrapper& frame) {
    PpmImage image;
    const Rect d = frame.GetDim();
    image.width = d.right;
    image.height = d.bottom;
    for (int y = 0; y < d.bottom; ++y) {
        for (int x = 0; x < d.right; ++x) {
            const Rgb c = GetPixel(frame, x, y);
            image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
        }
    }
    return image;
}

class BatchSession : public ObservingTest {
protected:
    // A star whose video image is well above the sky but far from saturated, so that
    // only the light of a long exposure reaches the cutoffs calibrated on it.
    SkyStar FaintStar() {
        const SkySettings& sky = SkyCamera().Sky().Settings();
        SkyStar chosen;
        double nearest = 1e30;
        for (const SkyStar& s : SkyCamera().Sky().StarsInView(observatory().Mount().Position())) {
            if (s.flux < 500 || s.flux > 1200) continue;
            if (s.x < 60 || s.y < 60 || s.x > sky.width - 60 || s.y > sky.height - 60) continue;
            const double d = std::hypot(s.x - sky.width / 2, s.y - sky.height / 2);
            if (d < nearest) {
                nearest = d;
                chosen = s;
            }
        }
        return chosen;
    }
};

TEST_F(BatchSession, ThreePicturesOfLongExposuresAndAFourthExposureNotSaved) {
    TempFolder folder("scopecam-batch");
    StartObservatory();
    Start(SkyOptions());
    RunFor(0.5);
    AssignPortsInDialog({{PortIndex(SimulatedObservatory::kMountLabel), SerialInterface::kAutoGuideFtn},
                         {PortIndex(SimulatedObservatory::kBoardLabel), SerialInterface::kSV203Ftn}});
    SimulatedSV203& board = observatory().Board();
    observatory().Step();
    ASSERT_TRUE(board.PinSet(SimulatedSV203::kExposurePin) && board.PinSet(SimulatedSV203::kAmplifierPin))
        << "the dialog's OK brought the board to rest";

    const SkyStar star = FaintStar();
    ASSERT_GT(star.flux, 0.0) << "a faint star in the field";
    ClickFrame(Point{static_cast<int16_t>(std::lround(star.y)), static_cast<int16_t>(std::lround(star.x))}, cmdKey);
    RawFrameProcessor& processor = *app().GetRawFrameProcessor();
    ASSERT_NE(processor.GetAutoDetectLongExposureRect().left, -1);
    RunFor(1.0);
    ASSERT_EQ(processor.GetCalibrationFrames(), -1) << "the calibration is over";
    const int32_t* cutoffs = processor.GetEndCutoffs();
    EXPECT_GT(cutoffs[1], 30) << "calibrated above the star's video image";
    EXPECT_LE(cutoffs[1], 255);

    // The alarm: '.' held down until it shows 5.0 s.
    host().PushKeyDown('.');
    for (int i = 1; i < 25; ++i) host().PushAutoKey('.');
    TakeInput();
    EXPECT_NEAR(app().GetStopWatch()->GetAlarmTrigger(), kAlarmSeconds, 1e-9);

    ChooseMenuItem(kFileMenu, kPictureFolderItem, folder.path());
    ChooseMenuItem(kFileMenu, kBatchItem, "3");
    ASSERT_EQ(processor.GetBatchSize(), 3);
    ASSERT_TRUE(app().GetSerialInterface()->GetExposureOn());

    // Each picture is saved in the pass that accepts its exposure: the frame accepted
    // is the long-exposure frame right after that pass.
    // An accepted frame replaces the long-exposure frame: its detection square changes.
    const Rect square = processor.GetAutoDetectLongExposureRect();
    GWorldWrapper& longExposure = *app().GetLongExposureFrame();
    auto squareSum = [&] {
        uint64_t sum = 0;
        for (int y = square.top; y < square.bottom; ++y)
            for (int x = square.left; x < square.right; ++x) sum = sum * 31 + GetPixel(longExposure, x, y).g;
        return sum;
    };
    std::vector<PpmImage> accepted;
    int acceptedFrames = 0;
    int exposuresStarted = 1;
    uint64_t lastSum = squareSum();
    bool exposing = true;
    // A pass a camera frame.
    RunFor(4 * (kAlarmSeconds + 0.5), 2, [&] {
        if (folder.Names().size() > accepted.size()) accepted.push_back(CopyOf(longExposure));
        const uint64_t sum = squareSum();
        if (sum != lastSum) ++acceptedFrames;
        lastSum = sum;
        const bool on = app().GetSerialInterface()->GetExposureOn();
        if (on && !exposing) ++exposuresStarted;
        exposing = on;
    });
    EXPECT_EQ(exposuresStarted, 4);
    EXPECT_EQ(acceptedFrames, 4) << "each exposure's frame was accepted and shown";
    EXPECT_EQ(processor.GetBatchSize(), 0);
    const std::vector<std::string> names = folder.Names();
    ASSERT_EQ(names.size(), 3u) << "the fourth exposure is not saved";
    for (int i = 0; i < 3; ++i) EXPECT_EQ(names[i], "Untitled-00" + std::to_string(i) + "-5secs.pict");
    EXPECT_NEAR(processor.GetLastFrameDuration(), kAlarmSeconds, 2.0 / 60);

    // At rest: the fourth exposure ended by its alarm, the amplifier back on.
    RunFor(0.5);
    observatory().Step();
    EXPECT_FALSE(app().GetSerialInterface()->GetExposureOn());
    EXPECT_FALSE(app().GetSerialInterface()->GetAmpOff());
    EXPECT_TRUE(board.PinSet(SimulatedSV203::kExposurePin));
    EXPECT_TRUE(board.PinSet(SimulatedSV203::kAmplifierPin));
    EXPECT_EQ(board.MalformedCount(), 0);

    if (!ProgramOnPath("convert")) GTEST_SKIP() << "ImageMagick is not installed (scripts/setup installs it)";
    ASSERT_EQ(accepted.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string ppm = folder / ("picture-" + std::to_string(i) + ".ppm");
        ChildResult convert = RunChild({"convert", folder / names[i], ppm});
        ASSERT_EQ(convert.status, 0) << convert.output;
        const PpmImage read = ReadPpm(ppm);
        ASSERT_EQ(read.width, 640) << names[i];
        ASSERT_EQ(read.height, 480) << names[i];
        EXPECT_TRUE(read == accepted[static_cast<size_t>(i)]) << names[i] << " is the accepted frame";
    }
    // Each is a long exposure: its detection square reaches the cutoffs.
    for (const PpmImage& image : accepted) {
        int peak = 0;
        for (int y = square.top; y < square.bottom; ++y)
            for (int x = square.left; x < square.right; ++x)
                peak = std::max<int>(peak, image.At(x, y).g);
        EXPECT_GE(peak, cutoffs[1]);
    }
}

}  // namespace
