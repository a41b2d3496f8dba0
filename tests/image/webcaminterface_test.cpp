// The camera in the running program, on the headless host: previewing, recording
// movies (the raw frame window's size, title and visibility around a recording, the
// names, the header dialog, the SER file that independent readers open), stopping by
// any key or click, the no-camera dialog, a camera unplugged, and the settings dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/MainObject.h"
#include "app/Templates.h"
#include "platform/Dialogs.h"
#include "sim/SimulatedCamera.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ScriptedCaptureSource.h"
#include "tests/support/TempFolder.h"
#include "platform/capture/CameraSettingsDialog.h"
#include "tests/support/ToolboxFixture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

Point Center(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}

std::string Title(WindowPtr w) {
    Str255 t;
    GetWTitle(w, t);
    return PascalToString(t);
}

Rect ContentBounds(WindowPtr w) {
    Rect r;
    GetWindowBounds(w, kWindowContentRgn, &r);
    return r;
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The raw frame's colours as R, G, B bytes.
std::vector<uint8_t> RgbOf(GWorldWrapper& frame) {
    std::vector<uint8_t> out;
    const Rect r = frame.GetDim();
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) {
            Rgb c = GetPixel(frame, x, y);
            out.insert(out.end(), {c.r, c.g, c.b});
        }
    return out;
}

class WebcamInterfaceTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        MainObject::quit = false;
        clock().SetStepPerRead(0);
        clock().SetTicks(100000);
    }
    void TearDown() override {
        gMainObject = nullptr;
        app_.reset();
        MainObject::quit = false;
        ToolboxTest::TearDown();
    }

    // The program on the simulated sky (or the camera given), with gMainObject set as
    // main sets it.
    void Start(const std::string& camera = "sim", SampleLayout samples = SampleLayout::kColour) {
        ProgramOptions options;
        options.camera = camera;
        options.frameWidth = kWidth;
        options.frameHeight = kHeight;
        options.sky.samples = samples;
        app_ = std::make_unique<MainObject>(options);
        gMainObject = app_.get();
        webcam_ = app_->GetWebcamInterface();
        rawWindow_ = app_->GetFrameWindowsGroup()->GetRawFrameWindow();
    }

    // The folder chooser, given the folder's path typed into its path field.
    void ChooseMovieFolder(const fs::path& folder) {
        for (char c : folder.string()) host().PushKeyDown(static_cast<unsigned char>(c));
        host().PushKeyDown(kReturnCharCode);
        ASSERT_TRUE(webcam_->SetSaveMovieLocation());
        ASSERT_EQ(webcam_->GetMovieFolder().folder, folder.string());
    }

    // One idle pass of the camera a frame period later.
    int NextFrame() {
        clock().AdvanceMicros(1000000 / SimulatedSky::kFramesPerSecond + 1);
        return webcam_->DoIdle();
    }

    // An event through the program's dispatch, as the loop gets it.
    void Dispatch() {
        EventRecord e;
        WaitNextEvent(everyEvent, &e, 0, nullptr);
        app_->DoEvent(e);
    }

    fs::path Folder() const { return fs::path(folder_.path()); }

    std::unique_ptr<MainObject> app_;
    WebcamInterface* webcam_ = nullptr;
    WindowPtr rawWindow_ = nullptr;
    TempFolder folder_;
};

TEST_F(WebcamInterfaceTest, PreviewFillsTheRawFrameAtTheCamerasSize) {
    Start();
    EXPECT_EQ(app_->GetRawFrame()->GetDim(), MakeRect(0, 0, kWidth, kHeight));
    EXPECT_EQ(NextFrame(), 2);
    int bright = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) bright += GetPixel(*app_->GetRawFrame(), x, y).g > 40;
    EXPECT_GT(bright, 5) << "stars in the frame";
    EXPECT_FALSE(webcam_->GetRecordingMovie());
}

TEST_F(WebcamInterfaceTest, ARecordingShowsTheVideoInTheRawWindowAndWritesTheMovie) {
    Start();
    ChooseMovieFolder(Folder());
    const Rect before = ContentBounds(rawWindow_);
    ASSERT_TRUE(IsWindowVisible(rawWindow_));

    // The release of the click that chose the command, still queued.
    EventRecord release;
    release.what = mouseUp;
    release.where = Point{5, 5};
    PostEvent(release);
    webcam_->SaveMovie();
    ASSERT_TRUE(webcam_->GetRecordingMovie());
    EventRecord next;
    EXPECT_FALSE(GetNextEvent(static_cast<uint16_t>((1u << mouseDown) | (1u << mouseUp)), &next))
        << "pending clicks are discarded";
    EXPECT_EQ(Title(rawWindow_), WebcamInterface::kRecordingTitle);
    EXPECT_EQ(ContentBounds(rawWindow_), MakeRect(10, 45, 10 + kWidth, 45 + kHeight));
    EXPECT_EQ(FrontWindow(), rawWindow_);

    std::vector<uint8_t> recorded;
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(NextFrame(), 1);
        std::vector<uint8_t> frame = RgbOf(*app_->GetRawFrame());
        recorded.insert(recorded.end(), frame.begin(), frame.end());
    }
    // The window shows the recorded frame at full size, pixel for pixel.
    const PixMap& pm = GetWindowPort(rawWindow_)->pixMap;
    const uint8_t* p = pm.baseAddr + 60 * pm.RowBytes() + 80 * 4;
    Rgb shown{p[1], p[2], p[3]};
    EXPECT_EQ(shown, GetPixel(*app_->GetRawFrame(), 80, 60));

    host().PushKeyDown('x');
    Dispatch();
    EXPECT_FALSE(webcam_->GetRecordingMovie());
    EXPECT_EQ(Title(rawWindow_), WebcamInterface::kRawFrameTitle);
    EXPECT_EQ(ContentBounds(rawWindow_), before);
    EXPECT_TRUE(IsWindowVisible(rawWindow_));
    EXPECT_EQ(NextFrame(), 2);

    const fs::path movie = Folder() / "Untitled-000.ser";
    ASSERT_EQ(webcam_->GetMoviePath(), movie.string());
    std::vector<uint8_t> bytes = ReadBytes(movie);
    ASSERT_GE(bytes.size(), 178u);
    EXPECT_EQ(bytes[38], 12);  // frame count
    if (!ProgramOnPath("ffmpeg") || !ProgramOnPath("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    ChildResult probe = RunChild({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                  "stream=nb_read_frames", "-of", "default=nw=1", movie.string()});
    EXPECT_NE(probe.output.find("nb_read_frames=12"), std::string::npos) << probe.output;
    const fs::path raw = Folder() / "movie.rgb";
    ChildResult decode = RunChild({"ffmpeg", "-v", "error", "-i", movie.string(), "-f", "rawvideo", "-pix_fmt",
                                   "rgb24", raw.string()});
    ASSERT_EQ(decode.status, 0) << decode.output;
    EXPECT_TRUE(ReadBytes(raw) == recorded) << "the movie holds exactly the frames shown";
    if (ProgramOnPath("siril-cli")) {
        std::ofstream(Folder() / "load.ssf") << "requires 1.0.0\nload Untitled-000.ser\n";
        fs::create_directories(Folder() / "home");
        ChildResult siril = RunChild({"env", "HOME=" + (Folder() / "home").string(), "siril-cli", "-d",
                                      Folder().string(), "-s", (Folder() / "load.ssf").string()},
                                     std::chrono::seconds(60));
        EXPECT_NE(siril.output.find("Timestamps in the SER file are correctly ordered"), std::string::npos)
            << siril.output;
    }
}

TEST_F(WebcamInterfaceTest, AClickStopsTheRecordingAndAHiddenRawWindowHidesAgain) {
    Start();
    ChooseMovieFolder(Folder());
    HideWindow(rawWindow_);
    const Rect before = ContentBounds(rawWindow_);
    webcam_->SaveMovie();
    ASSERT_TRUE(webcam_->GetRecordingMovie());
    EXPECT_TRUE(IsWindowVisible(rawWindow_));
    EXPECT_EQ(NextFrame(), 1);

    host().PushMouseDown(Point{700, 1500});  // on the desk
    Dispatch();
    EXPECT_FALSE(webcam_->GetRecordingMovie());
    EXPECT_FALSE(IsWindowVisible(rawWindow_));
    EXPECT_EQ(ContentBounds(rawWindow_), before);
    EXPECT_EQ(Title(rawWindow_), WebcamInterface::kRawFrameTitle);
}

TEST_F(WebcamInterfaceTest, MoviesAreNumberedAndAnExistingFileIsPassedOver) {
    Start();
    ChooseMovieFolder(Folder());
    std::ofstream(Folder() / "Untitled-001.ser") << "an older movie";
    for (int i = 0; i < 2; ++i) {
        webcam_->SaveMovie();
        ASSERT_TRUE(webcam_->GetRecordingMovie());
        NextFrame();
        webcam_->SaveMovie();
    }
    EXPECT_TRUE(fs::exists(Folder() / "Untitled-000.ser"));
    EXPECT_TRUE(fs::exists(Folder() / "Untitled-002.ser"));
    std::vector<uint8_t> older = ReadBytes(Folder() / "Untitled-001.ser");
    EXPECT_EQ(std::string(older.begin(), older.end()), "an older movie");
    EXPECT_EQ(webcam_->GetMovieCount(), 3);
}

TEST_F(WebcamInterfaceTest, RawSamplesAreRecordedWithTheirLayout) {
    Start("sim", SampleLayout::kBayerGRBG);
    ChooseMovieFolder(Folder());
    webcam_->SaveMovie();
    NextFrame();
    NextFrame();
    webcam_->SaveMovie();
    std::vector<uint8_t> bytes = ReadBytes(Folder() / "Untitled-000.ser");
    ASSERT_EQ(bytes.size(), 178u + 2 * kWidth * kHeight + 2 * 8);
    EXPECT_EQ(bytes[18], 9);  // Bayer GRBG
    // One sample a pixel: the last frame is the raw frame's samples.
    const size_t last = 178 + kWidth * kHeight;
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) differing += bytes[last + y * kWidth + x] != GetPixel(*app_->GetRawFrame(), x, y).g;
    EXPECT_EQ(differing, 0);
}

TEST_F(WebcamInterfaceTest, AFailedStartBeepsAndThePreviewGoesOn) {
    Start();
    const fs::path gone = Folder() / "removed";
    fs::create_directories(gone);
    ChooseMovieFolder(gone);
    fs::remove(gone);
    const Rect before = ContentBounds(rawWindow_);
    webcam_->SaveMovie();
    EXPECT_FALSE(webcam_->GetRecordingMovie());
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(Title(rawWindow_), WebcamInterface::kRawFrameTitle);
    EXPECT_EQ(ContentBounds(rawWindow_), before);
    EXPECT_EQ(NextFrame(), 2) << "the picture does not freeze";
}

struct NameCase {
    const char* header;
    int32_t count;
    const char* expected;
};

TEST_F(WebcamInterfaceTest, FileNamesJoinTheHeaderAndAThreeDigitCount) {
    Start();
    Str255 name;
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), "Untitled-000");
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), "Untitled-001");
    EXPECT_EQ(webcam_->GetMovieCount(), 2);
    // A header too long for a file name is cut; the number stays whole.
    const std::string longHeader(80, 'J');
    for (char c : longHeader) host().PushKeyDown(static_cast<unsigned char>(c));
    host().PushKeyDown(kReturnCharCode);
    webcam_->GetSaveMovieFileHeader();
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), std::string(59, 'J') + "-000");
}

// The header dialog: its text is the header; its check box, on at the start, starts
// the numbering again.
TEST_F(WebcamInterfaceTest, TheHeaderDialogSetsTheHeaderAndRestartsTheCount) {
    Start();
    DialogPtr probe = GetNewDialog(WebcamInterface::kFileNamesDialogId, nullptr, kInFront);
    ASSERT_NE(probe, nullptr);
    const Point origin = GetDialogWindow(probe)->origin;
    Rect checkBox;
    GetDialogItem(probe, 3, nullptr, nullptr, &checkBox);
    DisposeDialog(probe);
    Str255 name;
    for (int i = 0; i < 5; ++i) webcam_->BuildSavePictureFileName(name);

    for (char c : std::string("Jupiter")) host().PushKeyDown(static_cast<unsigned char>(c));
    host().PushKeyDown(kReturnCharCode);
    webcam_->GetSaveMovieFileHeader();
    EXPECT_EQ(webcam_->GetMovieFileHeader(), "Jupiter");
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), "Jupiter-000");

    // Check box turned off: the count goes on.
    host().PushMouseDown(Center(OffsetRectCopy(checkBox, origin.h, origin.v)));
    host().PushKeyDown(kReturnCharCode);
    webcam_->GetSaveMovieFileHeader();
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), "Jupiter-001");

    // An empty header: the count alone.
    host().PushKeyDown(kBackspaceCharCode);
    host().PushKeyDown(kReturnCharCode);
    webcam_->GetSaveMovieFileHeader();
    EXPECT_EQ(webcam_->GetMovieFileHeader(), "");
    webcam_->BuildSavePictureFileName(name);
    EXPECT_EQ(PascalToString(name), "000");
}

// --- No camera

class NoCameraTest : public WebcamInterfaceTest {
protected:
    // A WebcamInterface over a camera that does not open, the dialog answered by a
    // press on item (0: Return).
    std::unique_ptr<WebcamInterface> StartWithoutCamera(int16_t item, bool offerSky = true) {
        app_ = nullptr;
        RegisterAllTemplates();
        if (item != 0) {
            DialogPtr probe = GetNewDialog(WebcamInterface::kNoCameraDialogId, nullptr, kInFront);
            Rect box;
            GetDialogItem(probe, item, nullptr, nullptr, &box);
            const Point origin = GetDialogWindow(probe)->origin;
            DisposeDialog(probe);
            host().PushMouseDown(Center(OffsetRectCopy(box, origin.h, origin.v)));
        }
        host().PushKeyDown(kReturnCharCode);  // ends a dialog the press did not end
        auto camera = std::make_unique<ScriptedCaptureSource>();
        camera->opens = false;
        rawFrame_ = MakeFrame(640, 480);
        WebcamInterface::SourceMaker sky;
        if (offerSky) {
            sky = [] {
                SkySettings s;
                s.width = kWidth;
                s.height = kHeight;
                return std::make_unique<SimulatedCamera>(s, nullptr, nullptr);
            };
        }
        return std::make_unique<WebcamInterface>(rawFrame_.get(), std::move(camera), sky);
    }
    std::unique_ptr<GWorldWrapper> rawFrame_;
};

TEST_F(NoCameraTest, GoingOnWithoutACameraDeliversNothing) {
    auto webcam = StartWithoutCamera(WebcamInterface::kGoOnItem);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_FALSE(MainObject::quit);
    EXPECT_EQ(webcam->DoIdle(), 0);
    EventRecord left;
    ASSERT_TRUE(GetNextEvent(static_cast<uint16_t>(1u << keyDown), &left)) << "the dialog ended at the press";
    EXPECT_EQ(left.message & charCodeMask, kReturnCharCode);
    webcam->SaveMovie();
    EXPECT_FALSE(webcam->GetRecordingMovie());
    EXPECT_EQ(host().Beeps(), 2);
}

TEST_F(NoCameraTest, QuitEndsTheProgram) {
    auto webcam = StartWithoutCamera(0);
    EXPECT_TRUE(MainObject::quit);
}

TEST_F(NoCameraTest, TheSimulatedSkyCanStandInForTheCamera) {
    auto webcam = StartWithoutCamera(WebcamInterface::kSimulatedSkyItem);
    EXPECT_FALSE(MainObject::quit);
    ASSERT_NE(dynamic_cast<SimulatedCamera*>(webcam->GetSource()), nullptr);
    EXPECT_EQ(rawFrame_->GetDim(), MakeRect(0, 0, kWidth, kHeight));
    clock().AdvanceMicros(40000);
    EXPECT_EQ(webcam->DoIdle(), 2);
}

TEST_F(NoCameraTest, WithoutASkyToOfferItsButtonIsNotThere) {
    auto webcam = StartWithoutCamera(WebcamInterface::kSimulatedSkyItem, false);
    EXPECT_TRUE(MainObject::quit) << "the press found no button; Return then chose Quit";
    EXPECT_EQ(webcam->GetSource(), nullptr);
}

// --- A camera that goes away

TEST_F(WebcamInterfaceTest, AnUnpluggedCameraEndsTheRecordingAndSaysSo) {
    Start("test");
    ChooseMovieFolder(Folder());
    // A second interface over a scripted camera, sharing the program's raw window.
    auto camera = std::make_unique<ScriptedCaptureSource>();
    ScriptedCaptureSource* scripted = camera.get();
    scripted->width = kWidth;
    scripted->height = kHeight;
    auto raw = MakeFrame(kWidth, kHeight);
    WebcamInterface webcam(raw.get(), std::move(camera));
    for (char c : Folder().string()) host().PushKeyDown(static_cast<unsigned char>(c));
    host().PushKeyDown(kReturnCharCode);
    ASSERT_TRUE(webcam.SetSaveMovieLocation());
    webcam.SaveMovie();
    ASSERT_TRUE(webcam.GetRecordingMovie());
    EXPECT_EQ(webcam.DoIdle(), 1);
    EXPECT_EQ(webcam.DoIdle(), 1);
    scripted->script.push_back({CaptureResult::kError, 0, true});
    EXPECT_EQ(webcam.DoIdle(), 0);
    EXPECT_FALSE(webcam.GetRecordingMovie());
    EXPECT_EQ(Title(rawWindow_), WebcamInterface::kCameraGoneTitle);
    EXPECT_EQ(webcam.DoIdle(), 0);
    std::vector<uint8_t> bytes = ReadBytes(Folder() / "Untitled-000.ser");
    ASSERT_GE(bytes.size(), 178u);
    EXPECT_EQ(bytes[38], 2) << "the movie keeps the frames it got";
}

// --- Settings

TEST_F(WebcamInterfaceTest, TheSettingsDialogChangesTheSimulatedSky) {
    Start();
    auto* sky = dynamic_cast<SimulatedCamera*>(webcam_->GetSource());
    ASSERT_NE(sky, nullptr);
    CameraSettingsLayout layout = LayoutCameraSettings(sky->Controls());
    const Rect content = DialogContentBounds(layout.dialog);
    const int16_t sweep = CameraSettingsLayout::ControlItem(1);
    host().PushMouseDown(Center(OffsetRectCopy(layout.dialog.items[sweep - 1].bounds, content.left, content.top)));
    host().PushKeyDown(kReturnCharCode);
    webcam_->DoWebcamSettingsDialog();
    EXPECT_GT(sky->Sky().Settings().focusSweepSeconds, 0.0);
}

TEST_F(NoCameraTest, TheSettingsDialogWithoutACameraBeeps) {
    auto webcam = StartWithoutCamera(WebcamInterface::kGoOnItem);
    host().ResetBeeps();
    webcam->DoWebcamSettingsDialog();
    EXPECT_EQ(host().Beeps(), 1);
}

}  // namespace
