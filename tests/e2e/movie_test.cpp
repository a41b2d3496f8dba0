// An observing session: the observer chooses a movie folder, records two seconds of
// the simulated sky from the File menu and stops with a key; ffprobe reads the SER
// file with as many frames as the camera delivered meanwhile.
#include <gtest/gtest.h>

#include <string>

#include "platform/Menus.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ObservingFixture.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr int16_t kFileMenu = 129;
constexpr int16_t kMovieFolderItem = 3;
constexpr int16_t kRecordMovieItem = 5;

using MovieSession = ObservingTest;

TEST_F(MovieSession, TwoSecondsOfRecordingMakeAMovieOfEveryFrameDelivered) {
    TempFolder folder("scopecam-movie");
    Start(SkyOptions());
    RunFor(0.5);

    // The folder chooser takes the folder's path typed into its path field.
    ChooseMenuItem(kFileMenu, kMovieFolderItem, folder.path());
    ASSERT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFileMenu), kRecordMovieItem));

    ChooseMenuItem(kFileMenu, kRecordMovieItem);
    WebcamInterface& webcam = *app().GetWebcamInterface();
    ASSERT_TRUE(webcam.GetRecordingMovie());
    // The camera delivers a frame whenever its frame number moves on; the recording
    // takes each one.
    uint64_t lastFrame = SimulatedCamera::FrameNumberAt(clock().PeekMicros());
    int delivered = 0;
    RunFor(2.0, 1, [&] {
        const uint64_t frame = SimulatedCamera::FrameNumberAt(clock().PeekMicros());
        if (frame != lastFrame && webcam.GetRecordingMovie()) ++delivered;
        lastFrame = frame;
    });
    PressKey(' ');
    ASSERT_FALSE(webcam.GetRecordingMovie());
    EXPECT_FALSE(app().GetSerialInterface()->GetExposureOn()) << "the key only stopped the recording";
    EXPECT_NEAR(delivered, 2 * SimulatedSky::kFramesPerSecond, 1);
    EXPECT_EQ(webcam.GetMovieFrames(), delivered);

    const std::vector<std::string> names = folder.Names();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "Untitled-000.ser");
    if (!ProgramOnPath("ffprobe")) GTEST_SKIP() << "ffprobe is not installed (scripts/setup installs it)";
    ChildResult probe = RunChild({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                  "stream=nb_read_frames,width,height", "-of", "default=nw=1", folder / names[0]});
    ASSERT_EQ(probe.status, 0) << probe.output;
    EXPECT_NE(probe.output.find("nb_read_frames=" + std::to_string(delivered) + "\n"), std::string::npos)
        << probe.output;
    EXPECT_NE(probe.output.find("width=640\n"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("height=480\n"), std::string::npos) << probe.output;
}

}  // namespace
