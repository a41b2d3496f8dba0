// An observing session: the mount drifts, the observer gives the mount its port in the
// port dialog and shift-clicks the brightest star, and the program holds the star for
// three minutes of clock time.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ObservingFixture.h"

namespace {

constexpr double kDriftPixelsPerSecond = 0.5;
constexpr double kSessionSeconds = 180.0;
// The star is clicked this far inside the frame at least, so that the guiding square
// lies round it whatever the drift did before.
constexpr int kStarMargin = 60;
constexpr float kGuidingBlackLevel = -3.0f;
// Fields whose brightest star has no bright neighbour inside the guiding square: at
// 320 x 240 (a webcam's smaller mode, which keeps three minutes of frames quick), and
// at 640 x 480, wide enough for the unguided drift.
constexpr uint32_t kSmallFieldSeed = 28;
constexpr uint32_t kWideFieldSeed = 4;

MountSettings DriftingMount() {
    MountSettings settings;
    settings.driftEast = kDriftPixelsPerSecond;
    settings.driftNorth = kDriftPixelsPerSecond;
    settings.periodicErrorAmplitude = 0.0;
    return settings;
}

bool IsGuidingCommand(const std::string& command) {
    static const std::set<std::string> kCommands{"RG", "Mn", "Ms", "Me", "Mw", "Qn", "Qs", "Qe", "Qw"};
    return kCommands.count(command) > 0;
}

double Distance(double x0, double y0, double x1, double y1) { return std::hypot(x1 - x0, y1 - y0); }

// The largest green byte of the raw frame within radius pixels of (x, y).
int PeakNear(GWorldWrapper& frame, double x, double y, int radius) {
    const Rect d = frame.GetDim();
    int peak = 0;
    for (int v = static_cast<int>(y) - radius; v <= static_cast<int>(y) + radius; ++v)
        for (int h = static_cast<int>(x) - radius; h <= static_cast<int>(x) + radius; ++h)
            if (h >= 0 && v >= 0 && h < d.right && v < d.bottom) peak = std::max<int>(peak, GetPixel(frame, h, v).g);
    return peak;
}

class AutoguidingSession : public ObservingTest {
protected:
    void SetUp() override {
        ObservingTest::SetUp();
        StartObservatory(DriftingMount());
    }

    // The simulated sky as a camera set for guiding: its black level turned down until
    // the sky is black.
    void StartSky(int width, int height, uint32_t seed) {
        ProgramOptions options = SkyOptions();
        options.sky.blackLevel = kGuidingBlackLevel;
        options.sky.seed = seed;
        options.frameWidth = width;
        options.frameHeight = height;
        Start(options);
        // The observer looks at the sky for a moment before choosing a star.
        RunFor(1.0);
    }

    static Point PointAt(const SkyStar& star) {
        return Point{static_cast<int16_t>(std::lround(star.y)), static_cast<int16_t>(std::lround(star.x))};
    }
};

TEST_F(AutoguidingSession, HoldsTheBrightestStarForThreeMinutesWithWellFormedCommands) {
    StartSky(320, 240, kSmallFieldSeed);
    AssignPortsInDialog({{PortIndex(MountLabel()), SerialInterface::kAutoGuideFtn}});
    ASSERT_FALSE(app().GetSerialInterface()->NoAutoGuideSerialPort());

    const SkyStar star = BrightestStar(kStarMargin);
    ASSERT_GT(star.flux, 0.0) << "a star well inside the frame";
    for (const SkyStar& other : SkyCamera().Sky().StarsInView(observatory().Mount().Position())) {
        const bool inSquare = std::abs(other.x - star.x) < 60 && std::abs(other.y - star.y) < 60;
        if (inSquare && other.flux != star.flux) {
            ASSERT_LT(other.flux, 0.15 * star.flux) << "the field chosen";
        }
    }
    ClickFrame(PointAt(star), shiftKey);
    FrameWindowsGroup* group = app().GetFrameWindowsGroup();
    const Rect square = group->GetAutoGuideBoundsRect();
    ASSERT_NE(square.left, -1) << "the shift-click defined the guiding square";
    const Point goal = app().GetAutoGuider()->GetGoalCentroid();
    EXPECT_LE(Distance(goal.h, goal.v, star.x, star.y), 2.0) << "the goal is the star";

    SimulatedMount& mount = observatory().Mount();
    SerialInterface* serial = app().GetSerialInterface();
    bool corrected = false;
    int framesChecked = 0;
    double worstCentroid = 0.0;
    double worstStar = 0.0;
    uint64_t lastFrame = 0;
    // A pass a camera frame: every frame is measured, and the corrections' stops go
    // out a pass after they are due.
    RunFor(kSessionSeconds, 2, [&] {
        corrected = corrected || serial->GetGuidingNS() || serial->GetGuidingEW();
        const uint64_t frame = SimulatedCamera::FrameNumberAt(clock().PeekMicros());
        if (!corrected || frame == lastFrame) return;
        lastFrame = frame;
        ++framesChecked;
        // What the autoguider sees in this frame, and where the star really is.
        Point centroid;
        CalculateValueCentroid(*app().GetRawFrame(), square, centroid);
        // The autoguider corrects each axis on its own once it is more than 3 pixels off.
        const double centroidError = std::max(std::abs(centroid.h - goal.h), std::abs(centroid.v - goal.v));
        const SkyStar now = FindStar(star, star.x, star.y);
        const double starError = Distance(now.x, now.y, star.x, star.y);
        worstCentroid = std::max(worstCentroid, centroidError);
        worstStar = std::max(worstStar, starError);
        EXPECT_LE(centroidError, 4.0) << "frame " << frame << " centroid (" << centroid.h << ", " << centroid.v << ")";
    });
    EXPECT_TRUE(corrected) << "the drift called for corrections";
    // Nearly every frame of the three minutes was looked at.
    EXPECT_GT(framesChecked, static_cast<int>(kSessionSeconds * SimulatedSky::kFramesPerSecond * 0.9));
    // The star itself stays put, against a drift of some 130 pixels: each axis may
    // stand 3 pixels off without a correction, and the centroid of the square, in
    // which the faint stars and the noise of the sky weigh too, follows most but not
    // all of the star's own motion.
    EXPECT_LE(worstStar, 8.0) << "the star itself stayed put";
    RecordProperty("worstCentroidError", std::to_string(worstCentroid));

    // The drift over the session was made good by guide moves.
    EXPECT_GT(std::abs(mount.MovedBy().east), 0.8 * kDriftPixelsPerSecond * kSessionSeconds);
    EXPECT_GT(std::abs(mount.MovedBy().north), 0.8 * kDriftPixelsPerSecond * kSessionSeconds);
    EXPECT_EQ(mount.MalformedCount(), 0) << (mount.MalformedInput().empty() ? "" : mount.MalformedInput().back());
    ASSERT_FALSE(mount.Commands().empty());
    for (const std::string& command : mount.Commands()) EXPECT_TRUE(IsGuidingCommand(command)) << command;

    // At quit the queued stops go out: the mount is left still.
    Stop();
    observatory().Step();
    EXPECT_FALSE(mount.MovingNorth() || mount.MovingSouth() || mount.MovingEast() || mount.MovingWest());
}

TEST_F(AutoguidingSession, WithoutGuidingTheStarDriftsAway) {
    StartSky(640, 480, kWideFieldSeed);
    const SkyStar star = BrightestStar(kStarMargin);
    ASSERT_GT(star.flux, 0.0);
    // Frames once a second are enough to follow a slow drift.
    RunFor(kSessionSeconds, 60);
    const SkyStar now = FindStar(star, star.x - kDriftPixelsPerSecond * kSessionSeconds,
                                 star.y + kDriftPixelsPerSecond * kSessionSeconds);
    EXPECT_GT(Distance(now.x, now.y, star.x, star.y), 40.0);
    // The frames show it so: the star is bright where it went and gone from where it was.
    GWorldWrapper& raw = *app().GetRawFrame();
    EXPECT_GT(PeakNear(raw, now.x, now.y, 2), 2 * PeakNear(raw, star.x, star.y, 2));
    EXPECT_TRUE(observatory().Mount().Commands().empty()) << "nothing was sent to the mount";
}

}  // namespace
