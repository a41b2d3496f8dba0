// The headless demo: its scripted session played through the program's own loop (on
// the virtual clock, to look at the program afterwards), and scopecam --demo as a
// process leaving a PNG of every window that an image reader opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/DemoSession.h"
#include "app/PortAssignment.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ObservingFixture.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

bool Inside(const Rect& r, Point p) { return p.h >= r.left && p.h < r.right && p.v >= r.top && p.v < r.bottom; }

class DemoSessionTest : public ObservingTest {
protected:
    // The run main makes for --demo, on the virtual clock.
    void StartDemo() {
        StartObservatory();
        const char* argv[] = {"scopecam", "--demo"};
        ProgramOptions options;
        std::string error;
        ASSERT_TRUE(ParseProgramOptions(2, argv, options, error)) << error;
        options.observatory = &observatory();
        // A bound on the run should the script ever stall.
        options.frames = 20000;
        Start(options);
        ASSERT_TRUE(AssignMountPort(*app().GetSerialInterface(), observatory().Mount().PortPath()));
        demo_ = std::make_unique<DemoSession>(app(), host(), [this](const std::string& line) { lines_.push_back(line); });
        AddBackgroundTask([demo = demo_.get()] { demo->Step(); });
        // The loop's waits let the clock run a tick when there is nothing to do.
        host().SetAdvanceClockWhenIdle(true);
    }
    void TearDown() override {
        if (demo_) demo_->Finish();
        ObservingTest::TearDown();
    }

    std::unique_ptr<DemoSession> demo_;
    std::vector<std::string> lines_;
};

TEST_F(DemoSessionTest, PlaysTheWholeSessionThroughTheLoop) {
    StartDemo();
    // Each wait with nothing to do lets the clock run two ticks, a camera frame; the
    // demo's own pause keys leave the pause where it was.
    app().SetEventPause(2);
    app().Run();
    EXPECT_TRUE(demo_->IsFinished());
    EXPECT_TRUE(MainObject::quit) << "the session ended with Ctrl+Q";
    EXPECT_LT(app().GetIdlePasses(), 20000) << "and not by the bound";
    EXPECT_EQ(lines_.size(), 7u);

    FrameWindowsGroup& group = *app().GetFrameWindowsGroup();
    const std::vector<WindowPtr> windows = {group.GetRawFrameWindow(),
                                            group.GetLevelAdjustedFrameWindow(),
                                            group.GetChannelsWindow(),
                                            GetDialogWindow(app().GetHistogramsDialog()->GetHistogramsDialog()),
                                            app().GetDataWindow()->GetDataWindow(),
                                            group.GetFocusAidWindow()};
    for (WindowPtr w : windows) EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(FrontWindow(), group.GetLevelAdjustedFrameWindow());

    // The star is the field's brightest one well inside the frame.
    const Point star = demo_->GetStar();
    const SkyStar brightest = BrightestStar(70);
    EXPECT_NEAR(star.h, brightest.x, 2.0);
    EXPECT_NEAR(star.v, brightest.y, 2.0);
    // The focus square round it, 128 pixels, measured by the focus aid.
    const Rect square = group.GetHistogramBoundsRect();
    EXPECT_EQ(square.right - square.left, 127);
    EXPECT_EQ(square.bottom - square.top, 127);
    EXPECT_TRUE(Inside(square, star));
    EXPECT_NE(app().GetRawFrameProcessor()->GetPowerSpectrumDist(), nullptr);
    // Guiding on it.
    const Rect guide = group.GetAutoGuideBoundsRect();
    ASSERT_NE(guide.left, -1);
    EXPECT_TRUE(Inside(guide, star));
    const Point goal = app().GetAutoGuider()->GetGoalCentroid();
    EXPECT_LE(std::abs(goal.h - star.h) + std::abs(goal.v - star.v), 4);
    // The levels and the histograms' scale.
    HistogramsDialog& histograms = *app().GetHistogramsDialog();
    EXPECT_LT(histograms.GetLightCutoffs()[0], 160);
    EXPECT_GT(histograms.GetLightCutoffs()[0], 60);
    EXPECT_EQ(histograms.GetLightCutoffs()[1], 255) << "the colour channels as they were";
    EXPECT_DOUBLE_EQ(histograms.GetHistogramScale(), 125.0);
    // The keys.
    EXPECT_DOUBLE_EQ(app().GetStopWatch()->GetAlarmTrigger(), 10.0);
    EXPECT_EQ(app().GetEventPause(), 2);
    EXPECT_EQ(Beeps(), 0) << "no gesture was refused";
}

TEST(DemoProcess, LeavesASnapshotOfEveryWindow) {
    TempFolder folder("scopecam-demo");
    ChildResult run = RunChild({SCOPECAM_BINARY, "--demo", "--snapshot", folder.path()}, std::chrono::seconds(60));
    ASSERT_EQ(run.status, 0) << run.output;
    // The session told as it went, scene by scene.
    size_t at = 0;
    for (const char* scene : {"every window", "focus square", "guiding", "levels", "alarm", "quitting"}) {
        const size_t found = run.output.find(scene, at);
        EXPECT_NE(found, std::string::npos) << scene << "\n" << run.output;
        if (found != std::string::npos) at = found;
    }
    const std::vector<std::string> expected = {
        "menu-bar.png",       "window-128-Raw_Frame.png", "window-129-Histograms.png",
        "window-129-Level_Adjusted_Frame.png", "window-130-Channels.png", "window-131-Data.png",
        "window-132-Focus_Aid.png"};
    EXPECT_EQ(folder.Names(), expected);
    if (!ProgramOnPath("identify")) GTEST_SKIP() << "ImageMagick is not installed";
    ChildResult size = RunChild({"identify", "-format", "%w %h", folder / "window-129-Level_Adjusted_Frame.png"});
    EXPECT_EQ(size.output, "640 480");
    for (const std::string& name : folder.Names()) {
        ChildResult check = RunChild({"identify", folder / name});
        EXPECT_EQ(check.status, 0) << name << ": " << check.output;
    }
}

}  // namespace
