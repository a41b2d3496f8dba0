#include <gtest/gtest.h>

#include "app/PrefFile.h"
#include "display/Histogram.h"
#include "processing/Debayerize.h"
#include "processing/ImageProcs.h"
#include "tests/support/FramePipelineFixture.h"

namespace {

constexpr Rgb kWhite{255, 255, 255};

void CopyPixels(GWorldWrapper& from, GWorldWrapper& to) {
    FillFrame(to, [&](int x, int y) { return GetPixel(from, x, y); });
}

// Each 4 x 4 block of one colour, so that a quarter-size copy sees every block once
// whatever pixel of the block it samples.
Rgb BlockColour(int x, int y) {
    const int bx = x / 4, by = y / 4;
    return Rgb{static_cast<uint8_t>(10 + bx % 200), static_cast<uint8_t>(40 + by % 200),
               static_cast<uint8_t>(250 - (bx + by) % 200)};
}

struct Levels {
    int dark[4] = {0, 0, 0, 0};
    int light[4] = {255, 255, 255, 255};
    double gamma[4] = {1.0, 1.0, 1.0, 1.0};
};

class RawFrameProcessorTest : public FramePipelineTest {
protected:
    void Generate(const Levels& levels) {
        processor_->GenerateLevelAdjustedFrame(levels.dark, levels.light, levels.gamma, dialog_.get());
    }
    void ProcessFrame() { processor_->ProcessNewRawFrame(stopWatch_.get(), dataWindow_.get(), dialog_.get()); }
    // The level-adjusted frame is white until a frame is processed into it.
    bool LevelAdjustedIsWhite() {
        auto white = MakeFrame(RectWidth(levelAdjusted_->GetDim()), RectHeight(levelAdjusted_->GetDim()));
        return SameColours(*levelAdjusted_, *white);
    }
    // A new rectangle starts a calibration of the cutoffs: it is run to its end on dark
    // frames before the cutoffs are set.
    void TurnDetectionOn(Rect rect, int cutoff) {
        processor_->SetAutoDetectLongExposureRect(rect, dataWindow_.get());
        unsigned char dark = 0;
        while (processor_->GetCalibrationFrames() != -1)
            processor_->CalibrateCutoffs(dark, dark, dark, dataWindow_.get());
        processor_->SetEndCutoffs(cutoff, cutoff, cutoff);
    }
};

// ---- Settings ----

TEST_F(RawFrameProcessorTest, WithoutPreferencesTheDeBayerSettingsStartAtTheirDefaults) {
    Build(64, 48);
    EXPECT_FALSE(processor_->GetDebayerize());
    EXPECT_EQ(processor_->GetBayerPattern(), kGRBG);
    EXPECT_EQ(processor_->GetDebayerAlg(), kBilinear);
    EXPECT_EQ(processor_->GetChannel(), 0);
    EXPECT_EQ(processor_->GetAutoDetectLongExposureRect(), (Rect{-1, -1, -1, -1}));
    EXPECT_EQ(processor_->GetCalibrationFrames(), -1);
    EXPECT_EQ(processor_->GetBatchSize(), 0);
}

TEST_F(RawFrameProcessorTest, StoredDeBayerPreferencesAreReadAtConstruction) {
    {
        PrefFile prefs;
        prefs.WriteDeBayerize(true);
        prefs.WriteBayerPattern(kBGGR);
        prefs.WriteDebayerAlg(kNearestNeighbor);
    }
    StartNewRun();
    Build(64, 48);
    EXPECT_TRUE(processor_->GetDebayerize());
    EXPECT_EQ(processor_->GetBayerPattern(), kBGGR);
    EXPECT_EQ(processor_->GetDebayerAlg(), kNearestNeighbor);
}

TEST_F(RawFrameProcessorTest, EachSetterWritesItsPreference) {
    Build(64, 48);
    processor_->ToggleDebayerize();
    processor_->SetBayerPattern(kGBRG);
    processor_->SetDebayerAlgorithm(kLaplacianSecondOrder);
    StartNewRun();
    bool debayerize = false;
    BayerColor pattern = kGRBG;
    DebayerAlg algorithm = kBilinear;
    PrefFile prefs;
    ASSERT_TRUE(prefs.ReadDeBayerize(debayerize));
    ASSERT_TRUE(prefs.ReadBayerPattern(pattern));
    ASSERT_TRUE(prefs.ReadDebayerAlg(algorithm));
    EXPECT_TRUE(debayerize);
    EXPECT_EQ(pattern, kGBRG);
    EXPECT_EQ(algorithm, kLaplacianSecondOrder);

    // A second toggle writes again and ends where it began.
    processor_->ToggleDebayerize();
    StartNewRun();
    ASSERT_TRUE(prefs.ReadDeBayerize(debayerize));
    EXPECT_FALSE(debayerize);
    EXPECT_FALSE(processor_->GetDebayerize());
}

TEST_F(RawFrameProcessorTest, SetChannelTakesOnlyZeroToThree) {
    Build(64, 48);
    struct Case {
        int given;
        int expected;
    };
    const Case cases[] = {{2, 2}, {4, 2}, {-1, 2}, {3, 3}, {0, 0}, {1, 1}, {7, 1}};
    for (const Case& c : cases) {
        processor_->SetChannel(c.given);
        EXPECT_EQ(processor_->GetChannel(), c.expected) << "SetChannel(" << c.given << ")";
    }
}

// ---- The pipeline ----

TEST_F(RawFrameProcessorTest, HistogramsShowTheFrameBeforeTheLevels) {
    Build(64, 48);
    ShowHistogramsDialog();
    FillFrame(*raw_, Rgb{50, 120, 200});
    Levels levels;
    levels.dark[1] = 100;  // red 50 is below the red dark cutoff
    Generate(levels);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(1).GetBin(50), 1.0);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(2).GetBin(120), 1.0);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(0).GetBin(200), 1.0);
    EXPECT_EQ(GetPixel(*levelAdjusted_, 10, 10).r, 0);
    EXPECT_EQ(GetPixel(*raw_, 10, 10), (Rgb{50, 120, 200})) << "the raw frame is never changed";
}

TEST_F(RawFrameProcessorTest, HistogramsTakeTheHistogramRectangleOnly) {
    Build(64, 48);
    ShowHistogramsDialog();
    FillFrame(*raw_, [](int x, int) { return x < 32 ? Rgb{10, 10, 10} : Rgb{90, 90, 90}; });
    // A drag over the right half only.
    DragInLevelAdjustedWindow(40, 4, 60, 20);
    Generate(Levels{});
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(1).GetBin(90), 1.0);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(1).GetBin(10), 0.0);
}

// The level-adjusted frame is the raw frame, de-Bayered when that is on, remapped by
// the levels (value channel included).
TEST_F(RawFrameProcessorTest, LevelAdjustedFrameIsTheRawFrameDeBayeredAndRemapped) {
    struct Case {
        bool debayerize;
        BayerColor pattern;
        DebayerAlg algorithm;
    };
    const Case cases[] = {
        {false, kGRBG, kBilinear},
        {true, kGRBG, kNearestNeighbor},
        {true, kRGGB, kBilinear},
        {true, kBGGR, kLaplacianSecondOrder},
    };
    Build(48, 36);
    Levels levels;
    levels.dark[0] = 5, levels.light[0] = 240, levels.gamma[0] = 0.8;
    levels.dark[1] = 20, levels.light[1] = 200, levels.gamma[1] = 1.5;
    levels.dark[3] = 0, levels.light[3] = 128;
    FillFrame(*raw_, [](int x, int y) {
        const uint8_t sample = static_cast<uint8_t>((x * 37 + y * 91) % 256);
        return Rgb{sample, sample, sample};  // a raw mosaic: one sample in all three bytes
    });
    for (const Case& c : cases) {
        if (processor_->GetDebayerize() != c.debayerize) processor_->ToggleDebayerize();
        processor_->SetBayerPattern(c.pattern);
        processor_->SetDebayerAlgorithm(c.algorithm);
        Generate(levels);

        auto expected = MakeFrame(48, 36);
        CopyPixels(*raw_, *expected);
        if (c.debayerize) DebayerizeImageFromGreenChannel(*expected, c.pattern, c.algorithm);
        RemapImageComponentsFromLevelCutoffs(*expected, 256, levels.dark, levels.light, levels.gamma);
        EXPECT_TRUE(SameColours(*levelAdjusted_, *expected))
            << "debayerize " << c.debayerize << " pattern " << c.pattern << " algorithm " << c.algorithm;
    }
}

TEST_F(RawFrameProcessorTest, GreenChannelGreysTheLevelAdjustedFrameWhileTheChannelsKeepAllThree) {
    Build(640, 480);
    FillFrame(*raw_, BlockColour);
    processor_->SetChannel(2);
    Generate(Levels{});
    for (int y : {0, 7, 250, 479}) {
        for (int x : {0, 5, 321, 639}) {
            const uint8_t g = BlockColour(x, y).g;
            EXPECT_EQ(GetPixel(*levelAdjusted_, x, y), (Rgb{g, g, g})) << x << "," << y;
        }
    }
    // The window shows it (away from the histogram rectangle's frame at its edges).
    for (Point p : {Point{7, 5}, Point{250, 321}, Point{470, 630}}) {
        const uint8_t g = BlockColour(p.h, p.v).g;
        EXPECT_EQ(WindowPixel(group_->GetLevelAdjustedFrameWindow(), p.h, p.v), (Rgb{g, g, g}));
    }
    // Each channel image is a quarter-size grey image of its own channel, and the
    // channels window shows them one above the other.
    WindowPtr channels = group_->GetChannelsWindow();
    for (int y : {0, 3, 60, 119}) {
        for (int x : {0, 9, 80, 159}) {
            const Rgb c = BlockColour(4 * x, 4 * y);
            EXPECT_EQ(GetPixel(*red_, x, y), (Rgb{c.r, c.r, c.r}));
            EXPECT_EQ(GetPixel(*green_, x, y), (Rgb{c.g, c.g, c.g}));
            EXPECT_EQ(GetPixel(*blue_, x, y), (Rgb{c.b, c.b, c.b}));
            EXPECT_EQ(WindowPixel(channels, x, y), (Rgb{c.r, c.r, c.r}));
            EXPECT_EQ(WindowPixel(channels, x, y + 120), (Rgb{c.g, c.g, c.g}));
            EXPECT_EQ(WindowPixel(channels, x, y + 240), (Rgb{c.b, c.b, c.b}));
        }
    }
}

TEST_F(RawFrameProcessorTest, ChannelImagesAreLeftAloneWhileTheChannelsWindowIsHidden) {
    Build(64, 48);
    HideWindow(group_->GetChannelsWindow());
    FillFrame(*raw_, Rgb{1, 2, 3});
    Generate(Levels{});
    for (GWorldWrapper* channel : {red_.get(), green_.get(), blue_.get()})
        EXPECT_EQ(GetPixel(*channel, 3, 3), kWhite);
    ShowWindow(group_->GetChannelsWindow());
    Generate(Levels{});
    EXPECT_EQ(GetPixel(*red_, 3, 3), (Rgb{1, 1, 1}));
    EXPECT_EQ(GetPixel(*blue_, 3, 3), (Rgb{3, 3, 3}));
}

// Padded rows and an odd channel width: the loops stay inside the pixels.
TEST_F(RawFrameProcessorTest, PipelineNeverTouchesRowPadding) {
    Build(150, 98);  // channel images 37 x 24
    FillFrame(*raw_, BlockColour);
    for (GWorldWrapper* f : {levelAdjusted_.get(), red_.get(), green_.get(), blue_.get(), longExposure_.get()})
        FillPadding(*f, 0xA5);
    if (!processor_->GetDebayerize()) processor_->ToggleDebayerize();
    processor_->SetChannel(3);
    TurnDetectionOn(MakeRect(70, 40, 80, 50), 0);
    ProcessFrame();
    for (GWorldWrapper* f : {levelAdjusted_.get(), red_.get(), green_.get(), blue_.get(), longExposure_.get()})
        EXPECT_TRUE(PaddingHolds(*f, 0xA5));
    EXPECT_EQ(GetPixel(*green_, 36, 23).r, GetPixel(*green_, 36, 23).b);
}

// ---- Long-exposure detection ----

// Even rows bright, odd rows dark: the field doubling shows whether it ran.
Rgb Interlaced(int, int y) { return y % 2 == 0 ? Rgb{200, 200, 200} : Rgb{40, 40, 40}; }

TEST_F(RawFrameProcessorTest, DetectionOffProcessesEveryFrameWithoutFieldDoubling) {
    Build(64, 48);
    FillFrame(*raw_, Interlaced);
    ProcessFrame();
    EXPECT_TRUE(SameColours(*levelAdjusted_, *raw_));
    FillFrame(*raw_, Rgb{7, 8, 9});
    ProcessFrame();
    EXPECT_EQ(GetPixel(*levelAdjusted_, 0, 0), (Rgb{7, 8, 9}));
    // Without detection the long-exposure frame is not kept.
    EXPECT_EQ(GetPixel(*longExposure_, 0, 0), kWhite);
}

TEST_F(RawFrameProcessorTest, DetectionOnKeepsOnlyFramesReachingAnEndCutoff) {
    Build(64, 48);
    struct Case {
        int cutoff;
        Rgb brightest;  // the brightest pixel inside the detection rectangle
        bool processed;
    };
    const Case cases[] = {
        {256, Rgb{250, 251, 252}, false},
        {40, Rgb{39, 39, 39}, false},
        {40, Rgb{39, 40, 39}, true},
        {40, Rgb{0, 0, 41}, true},
        {0, Rgb{0, 0, 0}, true},
        {-1, Rgb{0, 0, 0}, true},
    };
    const Rect detection = MakeRect(20, 10, 30, 20);
    for (const Case& c : cases) {
        Release();
        Build(64, 48);
        TurnDetectionOn(detection, c.cutoff);
        FillFrame(*raw_, Rgb{0, 0, 0});
        SetPixel(*raw_, 25, 15, c.brightest);
        // Brighter pixels just outside the rectangle (its right column and bottom row
        // are not part of it) do not count.
        SetPixel(*raw_, 30, 15, kWhite);
        SetPixel(*raw_, 25, 20, kWhite);
        SetPixel(*raw_, 19, 9, kWhite);
        ProcessFrame();
        EXPECT_EQ(!LevelAdjustedIsWhite(), c.processed) << "cutoff " << c.cutoff;
        EXPECT_EQ(GetPixel(*longExposure_, 25, 15) == c.brightest, c.processed) << "cutoff " << c.cutoff;
        // The raw window shows the frame either way.
        EXPECT_EQ(WindowPixel(group_->GetRawFrameWindow(), 0, 0), (Rgb{0, 0, 0}));
    }
}

TEST_F(RawFrameProcessorTest, DetectedFrameIsReducedToItsBrighterField) {
    Build(64, 48);
    FillFrame(*raw_, Interlaced);
    TurnDetectionOn(MakeRect(20, 10, 30, 20), 0);
    ProcessFrame();
    EXPECT_EQ(GetPixel(*levelAdjusted_, 5, 1), (Rgb{200, 200, 200}));
    EXPECT_EQ(GetPixel(*levelAdjusted_, 5, 2), (Rgb{200, 200, 200}));
    EXPECT_TRUE(SameColours(*longExposure_, *raw_)) << "the long exposure is kept as captured";
}

TEST_F(RawFrameProcessorTest, MaximaAreTakenPerChannelInsideTheRectangle) {
    Build(64, 48);
    processor_->SetAutoDetectLongExposureRect(MakeRect(10, 10, 14, 13), dataWindow_.get());
    FillFrame(*raw_, Rgb{255, 255, 255});
    for (int y = 10; y < 13; ++y)
        for (int x = 10; x < 14; ++x) SetPixel(*raw_, x, y, Rgb{1, 2, 3});
    SetPixel(*raw_, 10, 10, Rgb{90, 0, 0});
    SetPixel(*raw_, 13, 12, Rgb{0, 80, 0});
    SetPixel(*raw_, 11, 11, Rgb{0, 0, 70});
    unsigned char r = 0, g = 0, b = 0;
    processor_->GetMaxValuesInsideAutoDetectLongExposureRect(r, g, b);
    EXPECT_EQ(int(r), 90);
    EXPECT_EQ(int(g), 80);
    EXPECT_EQ(int(b), 70);
    // The arguments are only raised.
    r = 100, g = 0, b = 200;
    processor_->GetMaxValuesInsideAutoDetectLongExposureRect(r, g, b);
    EXPECT_EQ(int(r), 100);
    EXPECT_EQ(int(g), 80);
    EXPECT_EQ(int(b), 200);
}

TEST_F(RawFrameProcessorTest, ProcessedFrameNotesTheStopwatchTimeAndClearingDetectionForgetsIt) {
    Build(64, 48);
    stopWatch_->StartStopWatch();
    clock().AdvanceTicks(150);
    ProcessFrame();
    EXPECT_DOUBLE_EQ(processor_->GetLastFrameDuration(), 2.5);
    processor_->SetAutoDetectLongExposureRect(MakeRect(5, 5, 15, 15), dataWindow_.get());
    EXPECT_DOUBLE_EQ(processor_->GetLastFrameDuration(), 2.5);
    processor_->SetAutoDetectLongExposureRect(Rect{-1, -1, -1, -1}, dataWindow_.get());
    EXPECT_DOUBLE_EQ(processor_->GetLastFrameDuration(), 0.0);
}

// ---- Levels from the histograms dialog ----

// A press in the dialog rebuilds the level-adjusted frame from the present raw frame
// at once, without a new camera frame.
TEST_F(RawFrameProcessorTest, LevelsChangeRebuildsThePresentFrameAtOnce) {
    Build(64, 48);
    ShowHistogramsDialog();
    FillFrame(*raw_, Rgb{30, 60, 90});
    ProcessFrame();
    FillFrame(*raw_, Rgb{100, 110, 120});  // the capture drew a new frame, not yet processed
    EXPECT_EQ(GetPixel(*levelAdjusted_, 3, 3), (Rgb{30, 60, 90}));
    EventRecord press;
    press.what = mouseDown;
    dialog_->HandleDialogEvent(press, HistogramsDialog::kResetLevelsItem);
    EXPECT_EQ(GetPixel(*levelAdjusted_, 3, 3), (Rgb{100, 110, 120}));
    EXPECT_EQ(WindowPixel(group_->GetLevelAdjustedFrameWindow(), 3, 3), (Rgb{100, 110, 120}));
}

}  // namespace
