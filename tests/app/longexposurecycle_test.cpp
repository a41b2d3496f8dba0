// The long-exposure cycle of the idle loop: the alarm ends an exposure, the amplifier
// comes back 0.2 s before the alarm, a stopwatch still running 2 s after the alarm
// beeps and starts the next exposure of a batch (or is reset); and a whole batch run
// headless on the simulated sky, camera and SV203 board, whose picture files
// ImageMagick turns into PNGs of the frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainObject.h"
#include "platform/Dialogs.h"
#include "platform/services/SerialPortDiscovery.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimulatedObservatory.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/IsolatedSerialPorts.h"
#include "tests/support/PictParser.h"
#include "tests/support/RecordingSerialDevice.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class LongExposureCycleTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        MainObject::quit = false;
        clock().SetTicks(100000);
        ports_.emplace();
    }
    void TearDown() override {
        app_.reset();
        recorder_.reset();
        terminal_.reset();
        ports_.reset();
        MainObject::quit = false;
        ToolboxTest::TearDown();
    }

    void StartWithTestPattern() {
        ProgramOptions options;
        options.camera = "test";
        app_ = std::make_unique<MainObject>(options);
    }
    // The camera's lines on one pseudo terminal: exposure on DTR, amplifier on RTS,
    // kept by the recorder.
    void GiveCameraLines() {
        recorder_ = std::make_unique<RecordingSerialDevice>();
        terminal_ = std::make_unique<PseudoTerminal>();
        ASSERT_TRUE(terminal_->IsOpen()) << terminal_->Error();
        SerialPorts().AddGivenPort(terminal_->PortPath());
        SerialInterface* serial = app_->GetSerialInterface();
        ASSERT_EQ(serial->BeginPortConfiguration(), 1);
        const std::vector<int32_t> functions = {SerialInterface::kExposureDTRAmpRTSFtn};
        serial->FinishPortConfiguration(&functions);
        fd_ = serial->GetPortDescriptor(0);
        ASSERT_GE(fd_, 0);
    }
    bool ExposureLineOn() { return (recorder_->Lines(fd_) & kModemLineDTR) != 0; }
    bool AmplifierLineOff() { return (recorder_->Lines(fd_) & kModemLineRTS) != 0; }

    StopWatch* Watch() { return app_->GetStopWatch(); }
    double Seconds() {
        bool fired = false;
        return Watch()->UpdateAndGetStopWatchSeconds(fired);
    }
    // Moves the clock to the given seconds after the stopwatch's start and runs the
    // frame step of the idle cycle there.
    void FrameAt(double seconds) {
        clock().SetMicros(start_ + static_cast<uint64_t>(seconds * 1e6));
        app_->ProcessFPSandStopWatch();
    }
    void BeginExposure() {
        app_->GetRawFrameProcessor()->BeginLongExposure(Watch());
        start_ = clock().PeekMicros();
    }

    std::unique_ptr<MainObject> app_;
    std::unique_ptr<RecordingSerialDevice> recorder_;
    std::unique_ptr<PseudoTerminal> terminal_;
    int fd_ = -1;
    uint64_t start_ = 0;

private:
    std::optional<IsolatedSerialPorts> ports_;
};

TEST_F(LongExposureCycleTest, TheAmplifierComesBackBeforeTheAlarmAndTheAlarmEndsTheExposure) {
    StartWithTestPattern();
    GiveCameraLines();
    Watch()->SetAlarmTrigger(5.0);
    BeginExposure();
    ASSERT_TRUE(ExposureLineOn());
    ASSERT_TRUE(AmplifierLineOff());
    host().ResetBeeps();

    FrameAt(4.75);
    EXPECT_TRUE(AmplifierLineOff()) << "0.25 s before the alarm";
    FrameAt(4.85);
    EXPECT_FALSE(AmplifierLineOff()) << "0.15 s before the alarm";
    EXPECT_TRUE(ExposureLineOn());
    EXPECT_TRUE(Watch()->GetStopWatchRunning());
    EXPECT_EQ(host().Beeps(), 0);

    FrameAt(5.02);
    EXPECT_FALSE(ExposureLineOn());
    EXPECT_FALSE(Watch()->GetStopWatchRunning());
    EXPECT_EQ(host().Beeps(), 1);  // the alarm's own
    const double stoppedAt = Seconds();
    EXPECT_NEAR(stoppedAt, 5.02, 0.05);

    // Stopped, the stopwatch keeps its time: no 2-second step, no new exposure.
    const size_t writes = recorder_->ModemWrites().size();
    FrameAt(8.0);
    FrameAt(9.0);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_DOUBLE_EQ(Seconds(), stoppedAt);
    EXPECT_EQ(recorder_->ModemWrites().size(), writes);
}

// No exposure line: the alarm beeps but ends nothing; 2 s later the stopwatch beeps
// again and is reset, or, in a batch, the next exposure begins.
TEST_F(LongExposureCycleTest, WithoutExposureLinesTheStopwatchEndsTwoSecondsAfterTheAlarm) {
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "in a batch" : "no batch");
        StartWithTestPattern();
        Watch()->SetAlarmTrigger(5.0);
        if (batch) {
            host().PushKeyDown('a', cmdKey);
            host().PushKeyDown('2');
            host().PushKeyDown(kReturnCharCode);
            app_->GetRawFrameProcessor()->DoBatchCaptureDialog(Watch());
            start_ = clock().PeekMicros();
            ASSERT_EQ(app_->GetRawFrameProcessor()->GetBatchSize(), 2);
        } else {
            BeginExposure();
        }
        host().ResetBeeps();
        FrameAt(5.01);
        EXPECT_EQ(host().Beeps(), 1);
        EXPECT_TRUE(Watch()->GetStopWatchRunning());
        FrameAt(6.95);
        EXPECT_EQ(host().Beeps(), 1);
        FrameAt(7.05);
        EXPECT_EQ(host().Beeps(), 2);
        EXPECT_EQ(Watch()->GetStopWatchRunning(), batch);
        EXPECT_LT(Seconds(), 0.2) << "reset, or counting the next exposure";
        app_.reset();
    }
}

// --- A batch on the simulated sky

// The picture file converted by ImageMagick: PNG (as an observer would) and, from that
// PNG, the pixels.
struct Converted {
    bool pngMade = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::string output;
};

Converted ConvertToPng(const std::string& pict) {
    Converted c;
    const std::string png = pict + ".png";
    const std::string ppm = pict + ".ppm";
    ChildResult r = RunChild({"convert", "PICT:" + pict, "PNG:" + png}, std::chrono::seconds(60));
    c.output = r.output;
    c.pngMade = r.status == 0 && ReadFileBytes(png).size() > 8;
    if (!c.pngMade) return c;
    r = RunChild({"convert", "PNG:" + png, "-depth", "8", "PPM:" + ppm}, std::chrono::seconds(60));
    c.output += r.output;
    const std::vector<uint8_t> bytes = ReadFileBytes(ppm);
    // "P6\n<w> <h>\n255\n" then the samples.
    int fields = 0;
    size_t i = 0;
    std::string token;
    std::vector<std::string> header;
    while (i < bytes.size() && fields < 4) {
        const char ch = static_cast<char>(bytes[i++]);
        if (std::isspace(static_cast<unsigned char>(ch))) {
            if (!token.empty()) header.push_back(token), token.clear(), ++fields;
        } else {
            token += ch;
        }
    }
    if (header.size() != 4 || header[0] != "P6" || header[3] != "255") return c;
    c.width = std::stoi(header[1]);
    c.height = std::stoi(header[2]);
    c.rgb.assign(bytes.begin() + static_cast<ptrdiff_t>(i), bytes.end());
    return c;
}

std::vector<uint8_t> FrameRgb(GWorldWrapper& frame) {
    std::vector<uint8_t> rgb;
    const Rect r = frame.GetDim();
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) {
            const Rgb c = GetPixel(frame, x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    return rgb;
}

// A 10 x 10 square around a faint star, as the observer would place the rectangle:
// the square whose brightest pixel is the dimmest one of at least 60.
Rect FaintStarSquare(GWorldWrapper& frame) {
    const Rect d = frame.GetDim();
    Rect best{-1, -1, -1, -1};
    int bestMax = 256;
    for (int top = 10; top + 10 < d.bottom - 10; top += 5)
        for (int left = 10; left + 10 < d.right - 10; left += 5) {
            int m = 0;
            for (int y = top; y < top + 10; ++y)
                for (int x = left; x < left + 10; ++x) {
                    const Rgb c = GetPixel(frame, x, y);
                    m = std::max({m, int(c.r), int(c.g), int(c.b)});
                }
            if (m >= 60 && m < bestMax) bestMax = m, best = MakeRect(left, top, left + 10, top + 10);
        }
    return best;
}

TEST_F(LongExposureCycleTest, ABatchRunHeadlessLeavesPictureFilesOfItsLongExposures) {
    ASSERT_TRUE(ProgramOnPath("convert")) << "ImageMagick is missing: run scripts/setup";
    SimulatedObservatory observatory;
    ASSERT_TRUE(observatory.Problems().empty()) << observatory.Problems().front();
    observatory.RegisterPorts(SerialPorts());
    ProgramOptions options;
    options.camera = "sim";
    options.frameWidth = 320;
    options.frameHeight = 240;
    options.observatory = &observatory;
    app_ = std::make_unique<MainObject>(options);
    RawFrameProcessor* processor = app_->GetRawFrameProcessor();
    FrameWindowsGroup* group = app_->GetFrameWindowsGroup();

    // The SV203 board carries the camera's switches.
    SerialInterface* serial = app_->GetSerialInterface();
    const int listed = serial->BeginPortConfiguration();
    std::vector<int32_t> functions(static_cast<size_t>(listed), SerialInterface::kNoFtn);
    for (int i = 0; i < listed; ++i) {
        if (serial->GetPortLabelList()[i] == SimulatedObservatory::kBoardLabel)
            functions[i] = SerialInterface::kSV203Ftn;
    }
    serial->FinishPortConfiguration(&functions);

    TempFolder folder;
    host().PushKeyDown('a', cmdKey);
    for (char c : folder.path()) host().PushKeyDown(static_cast<unsigned char>(c));
    host().PushKeyDown(kReturnCharCode);
    ASSERT_TRUE(group->SetSavePictureLocation());

    // One idle pass a video frame, the simulated devices stepping beside the program.
    auto pass = [&] {
        observatory.Step();
        app_->DoIdle();
        clock().AdvanceMicros(1000000 / 30);
    };
    pass();
    // Detection on a faint star; the calibration takes the next ten frames.
    const Rect star = FaintStarSquare(*app_->GetRawFrame());
    ASSERT_NE(star.left, -1) << "no faint star in the field";
    processor->SetAutoDetectLongExposureRect(star, app_->GetDataWindow());
    for (int i = 0; i < 12; ++i) pass();
    ASSERT_EQ(processor->GetCalibrationFrames(), -1);

    app_->GetStopWatch()->SetAlarmTrigger(1.0);
    host().PushKeyDown('a', cmdKey);
    host().PushKeyDown('3');
    host().PushKeyDown(kReturnCharCode);
    processor->DoBatchCaptureDialog(app_->GetStopWatch());
    ASSERT_EQ(processor->GetBatchSize(), 3);
    // About 33 passes an exposure: 1 s of exposure and the frame that ends it.
    for (int i = 0; i < 600 && folder.Names().size() < 3; ++i) pass();

    const std::vector<std::string> names = folder.Names();
    ASSERT_EQ(names.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(names[i], "Untitled-00" + std::to_string(i) + "-1secs.pict");
    EXPECT_EQ(processor->GetBatchSize(), 0);
    EXPECT_TRUE(serial->GetExposureOn()) << "a fourth exposure runs";

    // Each picture is a long exposure: in the detection square brighter than the
    // cutoffs. The last one is the long-exposure frame as it is now.
    const Rect square = processor->GetAutoDetectLongExposureRect();
    const int32_t* cutoffs = processor->GetEndCutoffs();
    for (int i = 0; i < 3; ++i) {
        const Converted c = ConvertToPng(folder / names[i]);
        ASSERT_TRUE(c.pngMade) << c.output;
        ASSERT_EQ(c.width, 320) << c.output;
        ASSERT_EQ(c.height, 240);
        bool reaches = false;
        for (int y = square.top; y < square.bottom; ++y)
            for (int x = square.left; x < square.right; ++x)
                for (int k = 0; k < 3; ++k) reaches |= c.rgb[3 * (y * 320 + x) + k] >= cutoffs[k];
        EXPECT_TRUE(reaches) << names[i];
        if (i == 2) {
            EXPECT_TRUE(c.rgb == FrameRgb(*app_->GetLongExposureFrame())) << "exactly the frame's pixels";
        }
    }
}

}  // namespace
