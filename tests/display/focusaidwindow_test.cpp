// The focus-aid window by its pixels: the spectrum box, bars and cutoff lines for
// squares of 32, 128 and 256 pixels, the sliders and their limits against each other,
// the chart's points and marks at their scale, its restart at the right edge, the
// axes, the erase from the menu, and the two message lines without a square.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "processing/FocusAid.h"
#include "tests/support/FramePipelineFixture.h"

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBoxGrey{192, 192, 192};
constexpr Rgb kGridRed{32, 0, 0};
constexpr Rgb kThumb{0xC0, 0, 0};

// The spectrum box's inside, the green line of a cutoff at or past the last ring, and
// where the chart starts.
constexpr int kBoxInsideLeft = 11, kBoxInsideTop = 11, kBoxInsideRight = 193, kBoxInsideBottom = 112;
constexpr int kFullBandLine = 193;
constexpr int kChartLeft = 240;

// Text is drawn smoothed: over black its pixels are red of any strength.
bool IsTextRed(Rgb p) { return p.r > 0 && p.g == 0 && p.b == 0; }

// Columns of stripes of period 4 (0, 0, level, level): the rings hold the zero
// frequency (100 n^2 for level 200) and a quarter of the side (0.707 of that).
Rgb StripeAt(int x, int level) {
    const auto v = static_cast<uint8_t>(x / 2 % 2 * level);
    return Rgb{v, v, v};
}

class FocusAidWindowTest : public FramePipelineTest {
protected:
    // The frame pipeline with the focus-aid window shown from the menu.
    void BuildShown(int width = 640, int height = 480) {
        Build(width, height);
        ShowWindow(Window());
        group_->EraseFocusAidWindow();
    }
    WindowPtr Window() { return group_->GetFocusAidWindow(); }
    Rgb Pixel(int h, int v) { return WindowPixel(Window(), h, v); }

    void DefineSquare(int left, int top, int side) {
        group_->SetPow2Dim(side);
        const int h = left + side / 2, v = top + side / 2;
        DragInLevelAdjustedWindow(h, v, h, v, controlKey);
        ASSERT_EQ(group_->GetHistogramBoundsRect(), MakeRect(left, top, left + side - 1, top + side - 1));
    }
    void ProcessStripes(int level) {
        FillFrame(*raw_, [level](int x, int) { return StripeAt(x, level); });
        ProcessFrame();
    }
    void ProcessFrame() { processor_->ProcessNewRawFrame(stopWatch_.get(), dataWindow_.get(), dialog_.get()); }

    // A press on a slider of the focus-aid window at (h, v), dragged to toH and
    // released there.
    bool DragSlider(int h, int v, int toH) {
        host().ScriptDrag(GlobalPoint(Window(), h, v), GlobalPoint(Window(), toH, v + 30), 4);
        return DeliverPress(Window());
    }

    // The tip of a slider's thumb: its one pixel in the top row of the thumb.
    int ThumbTip(int sliderTop) {
        int tip = -1;
        for (int h = 0; h < 210; ++h) {
            if (Pixel(h, sliderTop) == kThumb) {
                EXPECT_EQ(tip, -1) << "one tip only";
                tip = h;
            }
        }
        return tip;
    }

    int CountPixels(int left, int top, int right, int bottom, Rgb colour) {
        int count = 0;
        for (int v = top; v < bottom; ++v)
            for (int h = left; h < right; ++h) count += Pixel(h, v) == colour;
        return count;
    }
    int CountTextPixels(int left, int top, int right, int bottom) {
        int count = 0;
        for (int v = top; v < bottom; ++v)
            for (int h = left; h < right; ++h) count += IsTextRed(Pixel(h, v));
        return count;
    }
};

// ---- The spectrum ----

struct BarCase {
    int side;
    int ringZeroRight;  // ring 0's bar covers x 12 .. this - 1
    int quarterLeft;    // ring side/4's bar covers quarterLeft .. quarterRight - 1
    int quarterRight;
};

// s = 128 sqrt(2) / rings pixels a ring: 8.23 for 32, 2.01 for 128, 1.00 for 256. Ring 0
// reaches the top (y 12), the ring of the stripes 0.707 of that (y 41); every bar
// stands on y 111. The low cutoff (0) draws its green line on x 12, the high one on
// x 193, over the bars.
TEST_F(FocusAidWindowTest, BarsSitWhereTheirRingsAreWithTheCutoffLinesAtBothEnds) {
    const BarCase cases[] = {{32, 20, 77, 86}, {128, 14, 76, 78}, {256, 13, 76, 77}};
    for (const BarCase& c : cases) {
        BuildShown();
        DefineSquare(64, 64, c.side);
        ProcessStripes(200);
        for (int v = kBoxInsideTop; v <= kBoxInsideBottom; ++v) {
            for (int h = kBoxInsideLeft; h <= kBoxInsideRight; ++h) {
                Rgb expected = kBlack;
                if (v >= 12 && v < 111 && h >= 12 && h < c.ringZeroRight) expected = kRed;
                if (v >= 41 && v < 111 && h >= c.quarterLeft && h < c.quarterRight) expected = kRed;
                if ((h == 12 || h == kFullBandLine) && v >= 11 && v <= 110) expected = kGreen;
                ASSERT_EQ(Pixel(h, v), expected) << c.side << " at " << h << "," << v;
            }
        }
        // The grey frame around the box, left 10, top 10, right 195, bottom 114.
        for (int h = 10; h < 195; ++h) {
            EXPECT_EQ(Pixel(h, 10), kBoxGrey) << h;
            EXPECT_EQ(Pixel(h, 113), kBoxGrey) << h;
        }
        for (int v = 10; v < 114; ++v) {
            EXPECT_EQ(Pixel(10, v), kBoxGrey) << v;
            EXPECT_EQ(Pixel(194, v), kBoxGrey) << v;
        }
        EXPECT_EQ(Pixel(195, 50), kBlack);
        Release();
    }
}

TEST_F(FocusAidWindowTest, AllZeroSpectrumLeavesTheBoxEmptyButForTheCutoffLines) {
    BuildShown();
    DefineSquare(100, 100, 64);
    FillFrame(*raw_, kBlack);
    ProcessFrame();
    EXPECT_EQ(CountPixels(kBoxInsideLeft, kBoxInsideTop, kBoxInsideRight + 1, kBoxInsideBottom + 1, kRed), 0);
    EXPECT_EQ(CountPixels(kBoxInsideLeft, kBoxInsideTop, kBoxInsideRight + 1, kBoxInsideBottom + 1, kGreen), 200);
    EXPECT_EQ(ThumbTip(120), 12);
    EXPECT_EQ(ThumbTip(140), 193);
}

// A cutoff at or past the last ring stands at the box's right end; others at
// 12 + (s x cutoff) truncated.
TEST_F(FocusAidWindowTest, CutoffLinesFollowTheCutoffsAndStopAtTheRightEnd) {
    struct Case {
        float low, high;
        int lowLine, highLine;
    };
    // 128 square: 90 rings, s = 2.0113.
    const Case cases[] = {{0.0f, 90.0f, 12, 193}, {10.0f, 40.0f, 32, 92}, {45.5f, 1000.0f, 103, 193},
                          {89.0f, 90.50967f, 191, 193}};
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    for (const Case& c : cases) {
        processor_->SetCutoffLow(c.low);
        processor_->SetCutoffHigh(c.high);
        ProcessStripes(200);
        for (int h = kBoxInsideLeft; h <= kBoxInsideRight; ++h) {
            const bool line = h == c.lowLine || h == c.highLine;
            EXPECT_EQ(Pixel(h, 11) == kGreen, line) << c.low << ".." << c.high << " at " << h;
            EXPECT_EQ(Pixel(h, 110) == kGreen, line) << c.low << ".." << c.high << " at " << h;
        }
    }
}

// ---- The sliders ----

TEST_F(FocusAidWindowTest, SlidersStartAtTheNewSquaresCutoffs) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    EXPECT_EQ(ThumbTip(120), 12) << "low cutoff 0";
    EXPECT_EQ(ThumbTip(140), 193) << "high cutoff 90";
}

TEST_F(FocusAidWindowTest, EachSliderStopsAtTheOtherCutoff) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    // Dragging the low thumb to the far right: 90, still below the high 90.51.
    EXPECT_TRUE(DragSlider(12, 122, 300));
    EXPECT_EQ(processor_->GetCutoffLow(), 90.0f);
    EXPECT_EQ(ThumbTip(120), 193);
    EXPECT_TRUE(DragSlider(193, 122, 12));
    EXPECT_EQ(processor_->GetCutoffLow(), 0.0f);

    // The high thumb to x 92: 40 (2 track pixels a ring, the nearest ring).
    EXPECT_TRUE(DragSlider(193, 142, 92));
    EXPECT_EQ(processor_->GetCutoffHigh(), 40.0f);
    // The low thumb dragged to 60 stops at the high cutoff.
    EXPECT_TRUE(DragSlider(12, 122, 132));
    EXPECT_EQ(processor_->GetCutoffLow(), 40.0f);
    // The high thumb dragged to 10 stops at the low cutoff.
    EXPECT_TRUE(DragSlider(92, 142, 32));
    EXPECT_EQ(processor_->GetCutoffHigh(), 40.0f);
    EXPECT_EQ(processor_->GetCutoffLow(), 40.0f);

    // The next frame draws both thumbs and both lines at ring 40.
    ProcessStripes(200);
    EXPECT_EQ(ThumbTip(120), 92);
    EXPECT_EQ(ThumbTip(140), 92);
    EXPECT_EQ(Pixel(92, 60), kGreen);
    EXPECT_EQ(CountPixels(kBoxInsideLeft, 60, kBoxInsideRight + 1, 61, kGreen), 1);
    EXPECT_EQ(host().Beeps(), 0);
}

TEST_F(FocusAidWindowTest, SliderDragDrawsTheThumbButNotTheCutoffLine) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    EXPECT_TRUE(DragSlider(12, 122, 32));
    EXPECT_EQ(processor_->GetCutoffLow(), 10.0f);
    EXPECT_EQ(ThumbTip(120), 32);
    EXPECT_EQ(Pixel(12, 60), kGreen) << "the line moves with the next frame";
    EXPECT_NE(Pixel(32, 60), kGreen);
    EXPECT_EQ(processor_->GetPowerRatio(), 1.0f);
}

TEST_F(FocusAidWindowTest, PressesAwayFromTheThumbsOrBeforeTheSlidersExistChangeNothing) {
    BuildShown();
    EXPECT_TRUE(PressIn(Window(), 12, 122)) << "message only, no sliders";
    DefineSquare(64, 64, 128);
    EXPECT_TRUE(PressIn(Window(), 12, 122)) << "a square, but no frame drawn yet";
    EXPECT_TRUE(DragSlider(193, 142, 20));
    EXPECT_EQ(processor_->GetCutoffLow(), 0.0f);
    EXPECT_EQ(processor_->GetCutoffHigh(), 0.0f);

    ProcessStripes(200);
    EXPECT_TRUE(DragSlider(100, 122, 30)) << "on the low track, away from its thumb";
    EXPECT_TRUE(DragSlider(300, 100, 30)) << "in the chart";
    EXPECT_EQ(processor_->GetCutoffLow(), 0.0f);
    EXPECT_FLOAT_EQ(processor_->GetCutoffHigh(), 90.50967f);
    EXPECT_EQ(host().Beeps(), 0);
}

// ---- Frames while a thumb is dragged ----

struct Cutoffs {
    float low;
    float high;
};

class FocusAidDragFramesTest : public FocusAidWindowTest {
protected:
    // The pipeline goes on during a drag, as the program's frame step does: each frame
    // records the cutoffs it was measured with.
    void StepFramesDuringDrags() {
        group_->SetFrameStepDuringCutoffDrag([this] {
            measuredWith.push_back({processor_->GetCutoffLow(), processor_->GetCutoffHigh()});
            // The frame draws in other ports; the slider's port must come back.
            SetPort(GetWindowPort(group_->GetLevelAdjustedFrameWindow()));
            ProcessStripes(200);
        });
    }
    std::vector<Cutoffs> measuredWith;
};

TEST_F(FocusAidDragFramesTest, EachFrameOfTheDragMeasuresWithTheDraggedCutoff) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    StepFramesDuringDrags();
    // Four moves from ring 90 to ring 40 (x 92): a frame before each poll of the mouse.
    EXPECT_TRUE(DragSlider(193, 142, 92));
    ASSERT_EQ(measuredWith.size(), 5u);
    EXPECT_FLOAT_EQ(measuredWith.front().high, 90.50967f) << "the first frame comes before the thumb moves";
    for (size_t i = 1; i < measuredWith.size(); ++i) {
        EXPECT_LT(measuredWith[i].high, measuredWith[i - 1].high) << i;
        EXPECT_EQ(measuredWith[i].low, 0.0f) << i;
    }
    EXPECT_EQ(measuredWith.back().high, 40.0f);
    EXPECT_EQ(processor_->GetCutoffHigh(), 40.0f);
    // Every frame of the drag drew its chart point; the thumb was drawn where it rests.
    for (int x = kChartLeft + 4; x <= kChartLeft + 4 * 5; x += 4) EXPECT_EQ(Pixel(x, 65), kRed) << x;
    EXPECT_EQ(ThumbTip(140), 92);
}

TEST_F(FocusAidDragFramesTest, TheLowThumbPastTheHighOneMeasuresAtTheHighCutoff) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    EXPECT_TRUE(DragSlider(193, 142, 92));
    StepFramesDuringDrags();
    EXPECT_TRUE(DragSlider(12, 122, 300));
    ASSERT_FALSE(measuredWith.empty());
    for (const Cutoffs& c : measuredWith) EXPECT_LE(c.low, 40.0f);
    EXPECT_EQ(measuredWith.back().low, 40.0f);
    EXPECT_EQ(processor_->GetCutoffLow(), 40.0f);
    EXPECT_EQ(processor_->GetCutoffHigh(), 40.0f);
}

TEST_F(FocusAidDragFramesTest, ADragBackToWhereItStartedKeepsTheCutoffOfThePress) {
    BuildShown();
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    StepFramesDuringDrags();
    host().ScriptMouse({MouseState{GlobalPoint(Window(), 100, 142), true, 0},
                        MouseState{GlobalPoint(Window(), 193, 142), true, 0},
                        MouseState{GlobalPoint(Window(), 193, 142), false, 0}});
    EXPECT_TRUE(PressIn(Window(), 193, 142));
    ASSERT_EQ(measuredWith.size(), 3u);
    EXPECT_LT(measuredWith[1].high, 90.0f) << "measured with the thumb's passing value";
    // The thumb came back to ring 90: the cutoff is the press's 90.51, not 90.
    EXPECT_FLOAT_EQ(processor_->GetCutoffHigh(), 90.50967f);
}

// ---- The chart ----

TEST_F(FocusAidWindowTest, ChartPointsSitAtTheirScale) {
    BuildShown();
    DefineSquare(64, 64, 32);
    ProcessStripes(100);  // x 240, on the axis
    ProcessStripes(100);  // x 244: ratio 1 at y 9, brightest 100 at y 165
    // 3 x 3 around (244, 9): grid line y 9 in dark red beside it.
    for (int v = 7; v <= 11; ++v) {
        for (int h = 242; h <= 246; ++h) {
            Rgb expected = kBlack;
            if (v == 9) expected = kGridRed;
            if (h >= 243 && h <= 245 && v >= 8 && v <= 10) expected = kRed;
            EXPECT_EQ(Pixel(h, v), expected) << h << "," << v;
        }
    }
    // An X of 3 x 3 around (244, 165).
    for (int v = 163; v <= 167; ++v) {
        for (int h = 242; h <= 246; ++h) {
            const int dh = h - 244, dv = v - 165;
            const bool onX = (dh == dv || dh == -dv) && dh >= -1 && dh <= 1;
            EXPECT_EQ(Pixel(h, v), onX ? kRed : kBlack) << h << "," << v;
        }
    }

    // Ratio 0 at y 265 (a band past every ring), brightest 255 at y 10.
    processor_->SetCutoffLow(30.0f);
    processor_->SetCutoffHigh(40.0f);
    ProcessStripes(255);
    EXPECT_EQ(processor_->GetPowerRatio(), 0.0f);
    EXPECT_EQ(processor_->GetMaxPixelValue(), 255);
    for (int v = 263; v <= 267; ++v) {
        for (int h = 246; h <= 250; ++h) {
            Rgb expected = v == 265 ? kGridRed : kBlack;
            if (h >= 247 && h <= 249 && v >= 264 && v <= 266) expected = kRed;
            EXPECT_EQ(Pixel(h, v), expected) << h << "," << v;
        }
    }
    for (int v = 8; v <= 12; ++v) {
        for (int h = 246; h <= 250; ++h) {
            const int dh = h - 248, dv = v - 10;
            const bool onX = (dh == dv || dh == -dv) && dh >= -1 && dh <= 1;
            EXPECT_EQ(Pixel(h, v), onX ? kRed : (v == 9 ? kGridRed : kBlack)) << h << "," << v;
        }
    }
}

struct RestartCase {
    int portRight;
    int lastX;  // the last point before the restart
};

// Points 4 pixels apart from x 240; when the next would be within 10 pixels of the
// right edge, everything right of x 200 is cleared, the axes are drawn again and
// the point goes to x 240.
TEST_F(FocusAidWindowTest, ChartRestartsAtTheLeftWhenItReachesTheRightEdge) {
    const RestartCase cases[] = {{400, 388}, {500, 488}};
    for (const RestartCase& c : cases) {
        BuildShown(160, 120);
        SizeWindow(Window(), c.portRight, 320, true);
        group_->EraseFocusAidWindow();
        DefineSquare(32, 32, 64);
        FillFrame(*raw_, [](int x, int) { return StripeAt(x, 200); });
        const int points = (c.lastX - kChartLeft) / 4 + 1;
        for (int i = 0; i < points; ++i) ProcessFrame();
        // Brightest 200: each X centred on y 65.
        for (int x = kChartLeft + 4; x <= c.lastX; x += 4) ASSERT_EQ(Pixel(x, 65), kRed) << c.portRight << ": " << x;
        EXPECT_EQ(Pixel(c.lastX + 4, 65), kBlack) << c.portRight;
        EXPECT_EQ(Pixel(c.lastX + 1, 66), kRed) << c.portRight;

        ProcessFrame();
        EXPECT_EQ(Pixel(c.lastX, 65), kBlack) << c.portRight << ": cleared";
        EXPECT_EQ(Pixel(c.lastX + 4, 65), kBlack) << c.portRight << ": not drawn at the edge";
        EXPECT_EQ(Pixel(kChartLeft + 4, 65), kBlack) << c.portRight << ": cleared";
        EXPECT_EQ(Pixel(kChartLeft + 1, 66), kRed) << c.portRight << ": the new point";
        EXPECT_EQ(Pixel(c.lastX, 249), kGridRed) << c.portRight << ": the grid again";
        EXPECT_EQ(Pixel(kBoxInsideLeft - 1, 10), kBoxGrey) << c.portRight << ": the box is left alone";
        ProcessFrame();
        EXPECT_EQ(Pixel(kChartLeft + 4, 65), kRed) << c.portRight << ": and on from there";
        Release();
    }
}

// ---- Axes, erase and messages ----

TEST_F(FocusAidWindowTest, EraseFromTheMenuDrawsTheAxesForASquare) {
    BuildShown();
    DefineSquare(64, 64, 64);
    group_->EraseFocusAidWindow();
    const Rect port = WindowSize(Window());
    for (int i = 0; i <= 16; ++i) {
        const int y = 265 - 16 * i;
        EXPECT_EQ(Pixel(kChartLeft, y), kGridRed) << y;
        EXPECT_EQ(Pixel(port.right - 1, y), kGridRed) << y;
        EXPECT_EQ(Pixel(kChartLeft - 1, y), kBlack) << y;
        EXPECT_EQ(Pixel(300, y + 1), kBlack) << y;
    }
    for (int y = 10; y <= 265; ++y) EXPECT_EQ(Pixel(kChartLeft, y), kGridRed) << y;
    EXPECT_EQ(Pixel(kChartLeft, 9), kGridRed);
    EXPECT_EQ(Pixel(kChartLeft, 266), kBlack);
    // The labels end at x 235, "100%" on baseline 15, "50%" on 142, "0%" on 270.
    EXPECT_GT(CountTextPixels(200, 6, 236, 16), 10);
    EXPECT_GT(CountTextPixels(200, 133, 236, 143), 10);
    EXPECT_GT(CountTextPixels(200, 261, 236, 271), 10);
    EXPECT_EQ(CountTextPixels(236, 0, kChartLeft, port.bottom), 0);
    EXPECT_EQ(CountTextPixels(0, 0, kChartLeft, port.bottom),
              CountTextPixels(200, 6, 236, 16) + CountTextPixels(200, 133, 236, 143) +
                  CountTextPixels(200, 261, 236, 271))
        << "no text left of the chart but the labels";
    // The legend from x 250 on baseline 278.
    EXPECT_GT(CountTextPixels(250, 268, port.right, 280), 100);
    EXPECT_EQ(CountTextPixels(236, 266, 250, 282), 0);
    // Nothing of the spectrum.
    EXPECT_EQ(CountPixels(0, 0, 200, 120, kBoxGrey), 0);
}

TEST_F(FocusAidWindowTest, EraseWithoutASquarePaintsBlackAndAHiddenWindowIsLeftAlone) {
    BuildShown();
    group_->EraseFocusAidWindow();
    const Rect port = WindowSize(Window());
    EXPECT_EQ(CountPixels(0, 0, port.right, port.bottom, kBlack), port.right * port.bottom);

    HideWindow(Window());
    DefineSquare(64, 64, 64);
    ProcessStripes(200);
    group_->EraseFocusAidWindow();
    group_->DrawFocusAidWindow();
    EXPECT_EQ(CountPixels(0, 0, port.right, port.bottom, kBlack), port.right * port.bottom);
}

struct MessageCase {
    const char* what;
    int fromH, fromV, toH, toV;  // a plain drag; -1: keep the whole frame
};

// Two red lines of text from (10, 20) and (10, 40) over what the window showed;
// nothing else.
TEST_F(FocusAidWindowTest, WithoutAValidSquareOnlyTheTwoMessageLinesAreDrawn) {
    const MessageCase cases[] = {
        {"the whole frame", -1, -1, -1, -1},
        {"127 x 128", 100, 100, 226, 227},
        {"64 x 32", 100, 100, 163, 131},
    };
    for (const MessageCase& c : cases) {
        BuildShown();
        if (c.fromH != -1) DragInLevelAdjustedWindow(c.fromH, c.fromV, c.toH, c.toV);
        ProcessStripes(200);
        const Rect port = WindowSize(Window());
        const int all = port.right * port.bottom;
        const int firstLine = CountTextPixels(10, 11, port.right, 23);
        const int secondLine = CountTextPixels(10, 31, port.right, 43);
        EXPECT_GT(firstLine, 200) << c.what;
        EXPECT_GT(secondLine, 200) << c.what;
        EXPECT_EQ(CountTextPixels(0, 0, port.right, port.bottom), firstLine + secondLine)
            << c.what << ": no text elsewhere";
        EXPECT_EQ(CountPixels(0, 0, port.right, port.bottom, kBlack), all - firstLine - secondLine)
            << c.what << ": nothing else drawn";
        Release();
    }
}

TEST_F(FocusAidWindowTest, ANewSquareSizeErasesTheWindowAndStartsAFreshChart) {
    BuildShown();
    DefineSquare(64, 64, 64);
    for (int i = 0; i < 5; ++i) ProcessStripes(200);
    EXPECT_EQ(Pixel(kChartLeft + 16, 65), kRed);
    processor_->SetCutoffLow(3.0f);
    DefineSquare(64, 64, 128);
    ProcessStripes(200);
    EXPECT_EQ(Pixel(kChartLeft + 16, 65), kBlack) << "the old points are gone";
    EXPECT_EQ(Pixel(kChartLeft + 1, 66), kRed) << "the chart starts again at x 240";
    EXPECT_EQ(ThumbTip(120), 12) << "new sliders at the reset cutoffs";
    EXPECT_EQ(ThumbTip(140), 193);
}

// The window is drawn from the rings the pipeline measured just before; drawing a
// square nobody measured is a programming error, caught in builds with assertions.
TEST_F(FocusAidWindowTest, DrawingAnUnmeasuredSquareIsCaughtByAnAssertion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    BuildShown();
    DefineSquare(64, 64, 64);
    EXPECT_DEBUG_DEATH(group_->DrawFocusAidWindow(), "powerSpectrumDist");
}

}  // namespace
