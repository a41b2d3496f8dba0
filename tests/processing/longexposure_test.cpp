// Long exposures on the processor's side: the end cutoffs and their calibration,
// starting an exposure with its waits, the batch dialog, batches saving their frames
// as pictures, and cancelling a batch. The camera's lines are on the modem-line seam
// (exposure on DTR, amplifier on RTS) or on an SV203 board on a pseudo terminal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "tests/support/FramePipelineFixture.h"
#include "tests/support/PictParser.h"
#include "tests/support/TempFolder.h"

namespace {

const Rect kDetection = MakeRect(20, 10, 30, 20);

uint32_t TicksAt(uint64_t micros) { return static_cast<uint32_t>(micros * 60 / 1000000); }

class LongExposureTest : public FramePipelineTest {
protected:
    void ProcessFrame() { processor_->ProcessNewRawFrame(stopWatch_.get(), dataWindow_.get(), dialog_.get()); }

    // A dark frame whose brightest pixel inside the detection rectangle is brightest.
    void FrameWithMaxima(Rgb brightest) {
        FillFrame(*raw_, Rgb{0, 0, 0});
        SetPixel(*raw_, 25, 15, brightest);
    }
    std::vector<int32_t> Cutoffs() const {
        const int32_t* c = processor_->GetEndCutoffs();
        return {c[0], c[1], c[2]};
    }
    // Detection on with the given cutoffs, its calibration run to its end first.
    void TurnDetectionOn(int cutoff) {
        processor_->SetAutoDetectLongExposureRect(kDetection, dataWindow_.get());
        unsigned char dark = 0;
        while (processor_->GetCalibrationFrames() != -1)
            processor_->CalibrateCutoffs(dark, dark, dark, dataWindow_.get());
        processor_->SetEndCutoffs(cutoff, cutoff, cutoff);
    }

    // The camera's lines on one port: exposure on DTR, amplifier on RTS.
    void GiveCameraLines() {
        GivePorts({SerialInterface::kExposureDTRAmpRTSFtn});
        fd_ = serial_->GetPortDescriptor(0);
        ASSERT_GE(fd_, 0);
    }
    bool ExposureLineOn() { return (recorder().Lines(fd_) & kModemLineDTR) != 0; }
    bool AmplifierLineOff() { return (recorder().Lines(fd_) & kModemLineRTS) != 0; }

    void Type(const std::string& text) {
        for (char c : text) host().PushKeyDown(static_cast<unsigned char>(c));
    }
    // The batch dialog answered with typed text (in place of what it holds) and Return.
    void AnswerBatchDialog(const std::string& text) {
        host().PushKeyDown('a', cmdKey);
        host().PushKeyDown(kBackspaceCharCode);
        Type(text);
        host().PushKeyDown(kReturnCharCode);
    }
    void ChoosePictureFolder() {
        host().PushKeyDown('a', cmdKey);
        Type(folder_.path());
        host().PushKeyDown(kReturnCharCode);
        ASSERT_TRUE(group_->SetSavePictureLocation());
    }

    int fd_ = -1;
    TempFolder folder_;
};

TEST_F(LongExposureTest, CutoffStepsStopAtTheirLimits) {
    Build(64, 48);
    struct Case {
        std::vector<int32_t> from;
        bool increase;
        std::vector<int32_t> to;
    };
    const Case cases[] = {
        {{100, 0, -1}, true, {105, 5, 4}},
        {{254, 255, 256}, true, {256, 256, 256}},
        {{100, 50, 7}, false, {95, 45, 2}},
        {{3, 0, -1}, false, {-1, -1, -1}},
    };
    for (const Case& c : cases) {
        processor_->SetEndCutoffs(c.from[0], c.from[1], c.from[2]);
        if (c.increase)
            processor_->IncreaseEndCutoffs();
        else
            processor_->DecreaseEndCutoffs();
        EXPECT_EQ(Cutoffs(), c.to);
    }
}

TEST_F(LongExposureTest, ANewRectangleCalibratesTheCutoffsOverTenFramesWithoutProcessingThem) {
    Build(64, 48);
    processor_->SetEndCutoffs(77, 77, 77);
    processor_->SetAutoDetectLongExposureRect(kDetection, dataWindow_.get());
    EXPECT_EQ(processor_->GetCalibrationFrames(), 0);
    EXPECT_EQ(Cutoffs(), (std::vector<int32_t>{0, 0, 0}));
    struct Step {
        Rgb maxima;
        std::vector<int32_t> cutoffs;
    };
    std::vector<Step> steps = {{Rgb{20, 25, 30}, {50, 55, 60}}, {Rgb{45, 60, 10}, {50, 90, 60}}};
    for (int i = 0; i < 8; ++i) steps.push_back({Rgb{50, 50, 50}, {50, 90, 60}});
    for (size_t i = 0; i < steps.size(); ++i) {
        FrameWithMaxima(steps[i].maxima);
        ProcessFrame();
        EXPECT_EQ(Cutoffs(), steps[i].cutoffs) << "frame " << i + 1;
        EXPECT_EQ(processor_->GetCalibrationFrames(), i + 1 < 10 ? static_cast<int>(i) + 1 : -1);
    }
    // No calibration frame went into the level-adjusted frame (still white).
    EXPECT_EQ(GetPixel(*levelAdjusted_, 25, 15), (Rgb{255, 255, 255}));
    // Detection has resumed: 60 in blue reaches its cutoff.
    FrameWithMaxima(Rgb{0, 0, 60});
    ProcessFrame();
    EXPECT_EQ(GetPixel(*longExposure_, 25, 15), (Rgb{0, 0, 60}));
}

TEST_F(LongExposureTest, CalibratedCutoffsStopAt255) {
    Build(64, 48);
    processor_->SetAutoDetectLongExposureRect(kDetection, dataWindow_.get());
    FrameWithMaxima(Rgb{240, 225, 226});
    ProcessFrame();
    EXPECT_EQ(Cutoffs(), (std::vector<int32_t>{255, 255, 255}));
}

TEST_F(LongExposureTest, ClearingTheRectangleForgetsTheDurationAndStartsNoCalibration) {
    Build(64, 48);
    host().ResetBeeps();
    processor_->SetAutoDetectLongExposureRect(Rect{-1, -1, -1, -1}, dataWindow_.get());
    EXPECT_EQ(processor_->GetCalibrationFrames(), -1);
    EXPECT_DOUBLE_EQ(processor_->GetLastFrameDuration(), 0.0);
    EXPECT_EQ(host().Beeps(), 0);
}

TEST_F(LongExposureTest, CalibrationIsRefusedWithOneBeepWithoutDetectionDuringABatchOrAnExposure) {
    Build(64, 48);
    GiveCameraLines();
    // Detection off.
    processor_->SetEndCutoffs(40, 41, 42);
    host().ResetBeeps();
    processor_->BeginCutoffCalibration(dataWindow_.get());
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(processor_->GetCalibrationFrames(), -1);
    EXPECT_EQ(Cutoffs(), (std::vector<int32_t>{40, 41, 42}));
    // The exposure on.
    TurnDetectionOn(40);
    serial_->TurnExposureOn();
    host().ResetBeeps();
    processor_->BeginCutoffCalibration(dataWindow_.get());
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(processor_->GetCalibrationFrames(), -1);
    serial_->TurnExposureOff(false);
    // A batch running (its exposure then switched off by hand).
    AnswerBatchDialog("2");
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    serial_->TurnExposureOff(false);
    host().ResetBeeps();
    processor_->BeginCutoffCalibration(dataWindow_.get());
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(processor_->GetCalibrationFrames(), -1);
    EXPECT_EQ(Cutoffs(), (std::vector<int32_t>{40, 40, 40}));
}

// The amplifier goes off 2 ticks after the exposure command, the stopwatch starts 5
// ticks after that.
TEST_F(LongExposureTest, AnExposureBeginsWithItsTickWaitsOnAnSV203Board) {
    Build(64, 48);
    GivePorts({SerialInterface::kSV203Ftn});
    recorder().ClearRecords();
    processor_->BeginLongExposure(stopWatch_.get());
    const uint32_t now = TickCount();
    const auto& writes = recorder().Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes, "PC8\r");
    EXPECT_EQ(writes[1].bytes, "PC1\r");
    // Whole ticks counted from just after each command: a tick may begin in between.
    EXPECT_GE(TicksAt(writes[1].micros) - TicksAt(writes[0].micros), 2u);
    EXPECT_LE(TicksAt(writes[1].micros) - TicksAt(writes[0].micros), 3u);
    EXPECT_GE(now - TicksAt(writes[1].micros), 5u);
    EXPECT_LE(now - TicksAt(writes[1].micros), 6u);
    EXPECT_TRUE(serial_->GetExposureOn());
    EXPECT_TRUE(serial_->GetAmpOff());
    EXPECT_TRUE(stopWatch_->GetStopWatchRunning());
    bool fired = false;
    EXPECT_LT(stopWatch_->UpdateAndGetStopWatchSeconds(fired), 1.0 / 60);
}

TEST_F(LongExposureTest, CancellingABatchTurnsTheAmplifierOnAndFiveTicksLaterTheExposureOff) {
    Build(64, 48);
    GivePorts({SerialInterface::kSV203Ftn});
    // Without a batch nothing happens.
    recorder().ClearRecords();
    processor_->CancelBatch();
    EXPECT_TRUE(recorder().Writes().empty());

    AnswerBatchDialog("4");
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    ASSERT_EQ(processor_->GetBatchSize(), 4);
    recorder().ClearRecords();
    processor_->CancelBatch();
    EXPECT_EQ(processor_->GetBatchSize(), 0);
    const auto& writes = recorder().Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes, "PS1\r");
    EXPECT_EQ(writes[1].bytes, "PS8\r");
    EXPECT_GE(TicksAt(writes[1].micros) - TicksAt(writes[0].micros), 5u);
    EXPECT_FALSE(serial_->GetExposureOn());
    EXPECT_FALSE(serial_->GetAmpOff());
}

TEST_F(LongExposureTest, TheBatchDialogStartsAWholeNumberOfExposuresAndRefusesOtherText) {
    Build(64, 48);
    GiveCameraLines();
    // "1" at the start: Return alone starts one exposure.
    host().PushKeyDown(kReturnCharCode);
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    EXPECT_EQ(processor_->GetBatchSize(), 1);
    EXPECT_TRUE(ExposureLineOn());
    EXPECT_TRUE(AmplifierLineOff());
    processor_->CancelBatch();

    struct Case {
        std::vector<std::string> answers;  // the last one is taken
        int beeps;
        int batch;
        bool started;
    };
    const Case cases[] = {
        {{"3x", " 2 "}, 1, 2, true},
        {{"", "1.5", "two", "99999999999", "+3"}, 4, 3, true},
        {{"0"}, 0, 0, false},
        {{"-2"}, 0, -2, false},
    };
    for (const Case& c : cases) {
        serial_->TurnAmpOn(true);
        serial_->TurnExposureOff(true);
        stopWatch_->ResetStopWatch();
        for (const std::string& answer : c.answers) AnswerBatchDialog(answer);
        host().ResetBeeps();
        processor_->DoBatchCaptureDialog(stopWatch_.get());
        EXPECT_EQ(host().Beeps(), c.beeps) << c.answers.back();
        EXPECT_EQ(processor_->GetBatchSize(), c.batch) << c.answers.back();
        EXPECT_EQ(ExposureLineOn(), c.started) << c.answers.back();
        EXPECT_EQ(stopWatch_->GetStopWatchRunning(), c.started) << c.answers.back();
        EXPECT_EQ(host().PendingInput(), 0u);
        EXPECT_TRUE(FrontWindow() == nullptr || GetDialogFromWindow(FrontWindow()) == nullptr);
    }
}

// Detection on and a batch of three: each accepted long exposure is saved under its
// seconds and followed by the next exposure; a fourth runs afterwards and its frame is
// shown but not saved.
TEST_F(LongExposureTest, ABatchOfThreeSavesThreePicturesAndRunsAFourthExposure) {
    Build(64, 48);
    GiveCameraLines();
    ChoosePictureFolder();
    TurnDetectionOn(40);
    AnswerBatchDialog("3");
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    ASSERT_EQ(processor_->GetBatchSize(), 3);
    ASSERT_TRUE(ExposureLineOn());

    std::vector<std::vector<uint8_t>> exposures;
    for (int i = 0; i < 4; ++i) {
        clock().AdvanceTicks(60 * (10 + i) + 36);  // 10.6 s, 11.6 s, ...
        // A frame read out during the exposure: dropped.
        FrameWithMaxima(Rgb{30, 30, 30});
        ProcessFrame();
        EXPECT_EQ(folder_.Names().size(), static_cast<size_t>(i));
        // The alarm's work in the idle cycle: the lines back to rest.
        serial_->TurnAmpOn(false);
        serial_->TurnExposureOff(false);
        // The long exposure's frame, each one different.
        FillFrame(*raw_, [i](int x, int y) { return Rgb{uint8_t(x * 3 + i), uint8_t(y * 5), uint8_t(40 * i)}; });
        SetPixel(*raw_, 25, 15, Rgb{200, uint8_t(10 + i), 0});
        exposures.push_back({});
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const Rgb c = GetPixel(*raw_, x, y);
                exposures.back().insert(exposures.back().end(), {c.r, c.g, c.b});
            }
        ProcessFrame();
        EXPECT_EQ(GetPixel(*longExposure_, 25, 15), (Rgb{200, uint8_t(10 + i), 0})) << "accepted " << i;
        EXPECT_EQ(processor_->GetBatchSize(), i < 3 ? 2 - i : 0);
        // After each save the next exposure begins; after the fourth frame none.
        EXPECT_EQ(ExposureLineOn(), i < 3) << i;
        EXPECT_EQ(AmplifierLineOff(), i < 3) << i;
    }
    const std::vector<std::string> names = {"Untitled-000-10secs.pict", "Untitled-001-11secs.pict",
                                            "Untitled-002-12secs.pict"};
    ASSERT_EQ(folder_.Names(), names);
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t> bytes = ReadFileBytes(folder_ / names[i]);
        ASSERT_GT(bytes.size(), 512u);
        const ParsedPicture p = ParsePicture(std::vector<uint8_t>(bytes.begin() + 512, bytes.end()));
        ASSERT_EQ(p.error, "") << names[i];
        ASSERT_EQ(p.copies.size(), 1u);
        EXPECT_TRUE(p.copies[0].rgb == exposures[i]) << names[i] << " holds the frame of its exposure";
    }
}

TEST_F(LongExposureTest, CancellingTheDialogDuringABatchEndsItAndLeavesTheLines) {
    Build(64, 48);
    GiveCameraLines();
    ChoosePictureFolder();
    TurnDetectionOn(40);
    AnswerBatchDialog("5");
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    for (int i = 0; i < 3; ++i) {
        FrameWithMaxima(Rgb{200, 0, 0});
        ProcessFrame();
    }
    ASSERT_EQ(processor_->GetBatchSize(), 2);
    ASSERT_TRUE(ExposureLineOn());
    const size_t writes = recorder().ModemWrites().size();
    host().PushKeyDown(kEscapeCharCode);
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    EXPECT_EQ(processor_->GetBatchSize(), 0);
    EXPECT_EQ(recorder().ModemWrites().size(), writes);
    EXPECT_TRUE(ExposureLineOn());
    EXPECT_TRUE(AmplifierLineOff());
    // The exposure's frame now arrives and is not saved.
    FrameWithMaxima(Rgb{200, 0, 0});
    ProcessFrame();
    EXPECT_EQ(folder_.Names().size(), 3u);
}

// Without detection every frame is the long exposure: a batch saves consecutive frames.
TEST_F(LongExposureTest, WithoutDetectionABatchSavesConsecutiveFrames) {
    Build(64, 48);
    ChoosePictureFolder();
    AnswerBatchDialog("2");
    processor_->DoBatchCaptureDialog(stopWatch_.get());
    for (int i = 0; i < 3; ++i) {
        FillFrame(*raw_, Rgb{uint8_t(i), 0, 0});
        ProcessFrame();
    }
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{"Untitled-000.pict", "Untitled-001.pict"}));
    EXPECT_EQ(processor_->GetBatchSize(), 0);
}

}  // namespace
