#include <gtest/gtest.h>

#include <string>

#include "tests/support/FramePipelineFixture.h"

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{128, 128, 128};
constexpr Rgb kRed{255, 0, 0};

class FrameWindowsTest : public FramePipelineTest {
protected:
    WindowPtr Adjusted() { return group_->GetLevelAdjustedFrameWindow(); }

    // Whether the frame of r (inside its rectangle, one pixel wide) is drawn hashed on
    // a grey picture: every pixel of the ring black or white, neighbours along it
    // different, and the grey left alone just inside and just outside.
    ::testing::AssertionResult HashedFrameAt(WindowPtr w, Rect r) {
        auto hashed = [&](int h, int v) {
            const Rgb c = WindowPixel(w, h, v);
            return c == kBlack || c == kWhite;
        };
        for (int h = r.left; h < r.right; ++h) {
            for (int v : {int(r.top), r.bottom - 1}) {
                if (!hashed(h, v)) return ::testing::AssertionFailure() << "(" << h << ", " << v << ") not hashed";
                if (h > r.left && WindowPixel(w, h, v) == WindowPixel(w, h - 1, v))
                    return ::testing::AssertionFailure() << "(" << h << ", " << v << ") repeats its neighbour";
            }
        }
        for (int v = r.top; v < r.bottom; ++v) {
            for (int h : {int(r.left), r.right - 1}) {
                if (!hashed(h, v)) return ::testing::AssertionFailure() << "(" << h << ", " << v << ") not hashed";
            }
        }
        const int midH = (r.left + r.right) / 2, midV = (r.top + r.bottom) / 2;
        const Point untouched[] = {{int16_t(midV), int16_t(r.left - 1)},  {int16_t(midV), int16_t(r.left + 1)},
                                   {int16_t(midV), int16_t(r.right)},     {int16_t(midV), int16_t(r.right - 2)},
                                   {int16_t(r.top - 1), int16_t(midH)},   {int16_t(r.top + 1), int16_t(midH)},
                                   {int16_t(r.bottom), int16_t(midH)},    {int16_t(r.bottom - 2), int16_t(midH)}};
        for (Point p : untouched) {
            if (WindowPixel(w, p.h, p.v) != kGrey)
                return ::testing::AssertionFailure() << "(" << p.h << ", " << p.v << ") was drawn on";
        }
        return ::testing::AssertionSuccess();
    }

    // Grows a window by dragging its grow box by (dh, dv).
    bool Grow(WindowPtr w, int dh, int dv) {
        const Rect size = WindowSize(w);
        const Point start = GlobalPoint(w, size.right - 2, size.bottom - 2);
        host().ScriptMouse({{Point{int16_t(start.v + dv), int16_t(start.h + dh)}, true}});
        return group_->GrowOneWindow(w, start);
    }
};

struct SizeCase {
    int width, height;
    Rect raw, adjusted, channels;
};

TEST_F(FrameWindowsTest, ConstructionSizesPaintsAndShowsTheFrameWindows) {
    const SizeCase cases[] = {
        {640, 480, MakeRect(0, 0, 160, 120), MakeRect(0, 0, 640, 480), MakeRect(0, 0, 160, 360)},
        {320, 240, MakeRect(0, 0, 80, 60), MakeRect(0, 0, 320, 240), MakeRect(0, 0, 80, 180)},
        {1282, 722, MakeRect(0, 0, 320, 180), MakeRect(0, 0, 1282, 722), MakeRect(0, 0, 320, 540)},
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Build(c.width, c.height);
        const WindowPtr windows[] = {group_->GetRawFrameWindow(), Adjusted(), group_->GetChannelsWindow()};
        const Rect sizes[] = {c.raw, c.adjusted, c.channels};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(WindowSize(windows[i]), sizes[i]);
            EXPECT_TRUE(IsWindowVisible(windows[i]));
            EXPECT_EQ(WindowPixel(windows[i], 0, 0), kBlack);
            EXPECT_EQ(WindowPixel(windows[i], sizes[i].right - 1, sizes[i].bottom - 1), kBlack);
        }
        EXPECT_EQ(windows[0]->templateId, 128);
        EXPECT_EQ(windows[1]->templateId, 129);
        EXPECT_EQ(windows[2]->templateId, 130);
        ASSERT_NE(group_->GetFocusAidWindow(), nullptr);
        EXPECT_EQ(group_->GetFocusAidWindow()->templateId, 132);
        EXPECT_FALSE(IsWindowVisible(group_->GetFocusAidWindow()));
        EXPECT_EQ(group_->GetHistogramBoundsRect(), MakeRect(0, 0, c.width, c.height));
        EXPECT_EQ(group_->GetAutoGuideBoundsRect(), (Rect{-1, -1, -1, -1}));
        EXPECT_EQ(group_->GetTarget(), (Point{-1, -1}));
        EXPECT_EQ(group_->GetPow2Dim(), 128);
        EXPECT_EQ(group_->GetTargetBrightness(), 32768);
        Release();
    }
}

TEST_F(FrameWindowsTest, DestructionDisposesOfTheFourWindows) {
    Build();
    int before = 0;
    for (WindowPtr w = FirstWindow(); w; w = NextWindow(w)) ++before;
    group_.reset();
    int after = 0;
    for (WindowPtr w = FirstWindow(); w; w = NextWindow(w)) ++after;
    EXPECT_EQ(before - after, 4);
}

TEST_F(FrameWindowsTest, HashedRectAtFullAndHalfSize) {
    Build();
    FillFrame(*levelAdjusted_, kGrey);
    group_->DrawLevelAdjustedFrameWindow();
    group_->DrawHashedRect(Adjusted(), MakeRect(100, 100, 227, 227));
    EXPECT_TRUE(HashedFrameAt(Adjusted(), MakeRect(101, 101, 227, 227)));

    SizeWindow(Adjusted(), 320, 240, true);
    group_->DrawLevelAdjustedFrameWindow();
    group_->DrawHashedRect(Adjusted(), MakeRect(100, 100, 227, 227));
    EXPECT_TRUE(HashedFrameAt(Adjusted(), MakeRect(51, 51, 113, 113)));

    // The raw window at a quarter of the frame: 100 * 0.25 + 1 = 26, 227 * 0.25 = 56.
    FillFrame(*raw_, kGrey);
    group_->DrawRawFrameWindow();
    group_->DrawHashedRect(group_->GetRawFrameWindow(), MakeRect(100, 100, 227, 227));
    EXPECT_TRUE(HashedFrameAt(group_->GetRawFrameWindow(), MakeRect(26, 26, 56, 56)));
}

TEST_F(FrameWindowsTest, HashedRectIsNotDrawnWhenUndefinedOrInAnotherWindow) {
    Build();
    FillFrame(*levelAdjusted_, kGrey);
    group_->DrawLevelAdjustedFrameWindow();
    group_->DrawHashedRect(Adjusted(), Rect{-1, -1, -1, -1});
    group_->DrawHashedRect(group_->GetChannelsWindow(), MakeRect(10, 10, 50, 50));
    for (int v = 2; v < 478; v += 7)
        for (int h = 2; h < 638; h += 7) ASSERT_EQ(WindowPixel(Adjusted(), h, v), kGrey) << h << "," << v;
    EXPECT_EQ(WindowPixel(group_->GetChannelsWindow(), 10, 10), kBlack);
}

// A rectangle reaching the frame's right and bottom edges is framed on the window's
// last column and row.
TEST_F(FrameWindowsTest, HashedRectOfTheWholeFrameStaysInsideTheWindow) {
    Build(320, 240);
    FillFrame(*levelAdjusted_, kGrey);
    group_->DrawLevelAdjustedFrameWindow();  // draws the histogram rectangle, the whole frame
    for (int v : {1, 120, 239}) {
        EXPECT_NE(WindowPixel(Adjusted(), 1, v), kGrey) << v;
        EXPECT_NE(WindowPixel(Adjusted(), 319, v), kGrey) << v;
        EXPECT_EQ(WindowPixel(Adjusted(), 0, v), kGrey) << v;
    }
    for (int h : {2, 160, 318}) {
        EXPECT_NE(WindowPixel(Adjusted(), h, 1), kGrey) << h;
        EXPECT_NE(WindowPixel(Adjusted(), h, 239), kGrey) << h;
        EXPECT_EQ(WindowPixel(Adjusted(), h, 0), kGrey) << h;
    }
}

TEST_F(FrameWindowsTest, HiddenWindowsAreNotDrawnInto) {
    Build(320, 240);
    FillFrame(*raw_, kGrey);
    FillFrame(*levelAdjusted_, kGrey);
    FillFrame(*red_, kGrey);
    FillFrame(*green_, kGrey);
    FillFrame(*blue_, kGrey);
    for (WindowPtr w : {group_->GetRawFrameWindow(), Adjusted(), group_->GetChannelsWindow()}) HideWindow(w);
    group_->DrawRawFrameWindow();
    group_->DrawLevelAdjustedFrameWindow();
    group_->DrawChannelsWindow();
    EXPECT_EQ(WindowPixel(group_->GetRawFrameWindow(), 40, 30), kBlack);
    EXPECT_EQ(WindowPixel(Adjusted(), 160, 120), kBlack);
    EXPECT_EQ(WindowPixel(group_->GetChannelsWindow(), 40, 30), kBlack);
    for (WindowPtr w : {group_->GetRawFrameWindow(), Adjusted(), group_->GetChannelsWindow()}) ShowWindow(w);
    group_->DrawRawFrameWindow();
    group_->DrawLevelAdjustedFrameWindow();
    group_->DrawChannelsWindow();
    EXPECT_EQ(WindowPixel(group_->GetRawFrameWindow(), 40, 30), kGrey);
    EXPECT_EQ(WindowPixel(Adjusted(), 160, 120), kGrey);
    EXPECT_EQ(WindowPixel(group_->GetChannelsWindow(), 40, 30), kGrey);
}

// The channel images go into fixed 160 x 120 slots whatever their own size: the
// 80 x 60 images of a 320 x 240 frame are doubled (and the 80-wide window shows the
// left half of each slot).
TEST_F(FrameWindowsTest, ChannelImagesAreScaledIntoFixedSlots) {
    Build(320, 240);
    FillFrame(*red_, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 1}; });
    FillFrame(*green_, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 2}; });
    FillFrame(*blue_, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(y), 3}; });
    group_->DrawChannelsWindow();
    WindowPtr w = group_->GetChannelsWindow();
    EXPECT_EQ(WindowPixel(w, 0, 0), (Rgb{0, 0, 1}));
    EXPECT_EQ(WindowPixel(w, 79, 119), (Rgb{39, 59, 1}));
    EXPECT_EQ(WindowPixel(w, 79, 120), (Rgb{39, 0, 2}));
    EXPECT_EQ(WindowPixel(w, 10, 179), (Rgb{5, 29, 2}));
}

TEST_F(FrameWindowsTest, GoalCrossIsDrawnAtUnscaledBufferCoordinatesInAShrunkWindow) {
    Build();
    GiveMountPort();
    FillFrame(*raw_, kBlack);
    for (int y = 148; y <= 152; ++y)
        for (int x = 198; x <= 202; ++x) SetPixel(*raw_, x, y, kWhite);  // a star at (200, 150)
    FillFrame(*levelAdjusted_, kGrey);
    SizeWindow(Adjusted(), 320, 240, true);
    PressInLevelAdjustedWindow(100, 75, shiftKey);
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), MakeRect(150, 100, 250, 200));
    ASSERT_EQ(autoGuider_->GetGoalCentroid(), (Point{150, 200}));
    group_->DrawLevelAdjustedFrameWindow();
    for (int d = -5; d <= 5; ++d) {
        EXPECT_EQ(WindowPixel(Adjusted(), 200 + d, 150), kRed) << d;
        EXPECT_EQ(WindowPixel(Adjusted(), 200, 150 + d), kRed) << d;
    }
    EXPECT_EQ(WindowPixel(Adjusted(), 194, 150), kGrey);
    EXPECT_EQ(WindowPixel(Adjusted(), 206, 150), kGrey);
    EXPECT_EQ(WindowPixel(Adjusted(), 200, 144), kGrey);
    EXPECT_EQ(WindowPixel(Adjusted(), 200, 156), kGrey);
    // The rectangle itself is scaled: 150 * 0.5 + 1 = 76 .. 250 * 0.5 = 125.
    EXPECT_TRUE(HashedFrameAt(Adjusted(), MakeRect(76, 51, 125, 100)));
}

TEST_F(FrameWindowsTest, TargetMarkIsDrawnInTheTargetsRed) {
    Build();
    FillFrame(*levelAdjusted_, kGrey);
    PressInLevelAdjustedWindow(300, 200, optionKey);
    struct Case {
        int increases;  // negative: decreases
        uint8_t red;
    };
    // 32768 is 128 in eight bits; 0 draws black, 65535 full red.
    const Case cases[] = {{0, 128}, {-8, 0}, {16, 255}};
    for (const Case& c : cases) {
        for (int i = 0; i < c.increases; ++i) group_->IncreaseTargetBrightness();
        for (int i = 0; i < -c.increases; ++i) group_->DecreaseTargetBrightness();
        group_->DrawLevelAdjustedFrameWindow();
        const Rgb mark{c.red, 0, 0};
        for (Point p : {Point{200, 2}, Point{200, 637}, Point{200, 299}, Point{2, 300}, Point{477, 300}})
            EXPECT_EQ(WindowPixel(Adjusted(), p.h, p.v), mark) << p.h << "," << p.v;
        EXPECT_EQ(WindowPixel(Adjusted(), 301, 201), kGrey);
        // Thirty rows above the centre the circles of radius 50 and 100 cross the row
        // about 40 and 95 pixels either side of the centre.
        for (int centre : {300 - 40, 300 + 40, 300 - 95, 300 + 95}) {
            bool crossed = false;
            for (int h = centre - 3; h <= centre + 3; ++h) crossed |= WindowPixel(Adjusted(), h, 170) == mark;
            EXPECT_TRUE(crossed) << "circle near h " << centre;
        }
        EXPECT_EQ(WindowPixel(Adjusted(), 280, 170), kGrey);
    }
}

struct GrowCase {
    const char* what;
    int dh, dv;
    Rect expected;
};

TEST_F(FrameWindowsTest, GrowKeepsTheFramesAspectRatioWithinItsLimits) {
    Build();
    const GrowCase cases[] = {
        {"to 320 wide, the height dragged ignored", -320, -100, MakeRect(0, 0, 320, 240)},
        {"below the smallest width", -600, -10, MakeRect(0, 0, 40, 30)},
        {"back up by 200", 200, 0, MakeRect(0, 0, 240, 180)},
        {"beyond the frame's width", 900, 900, MakeRect(0, 0, 640, 480)},
        {"no change at full size", 50, 0, MakeRect(0, 0, 640, 480)},
    };
    for (const GrowCase& c : cases) {
        EXPECT_TRUE(Grow(Adjusted(), c.dh, c.dv)) << c.what;
        EXPECT_EQ(WindowSize(Adjusted()), c.expected) << c.what;
    }
    EXPECT_TRUE(Grow(group_->GetRawFrameWindow(), 40, 0));
    EXPECT_EQ(WindowSize(group_->GetRawFrameWindow()), MakeRect(0, 0, 200, 150));
    EXPECT_EQ(FrontWindow(), group_->GetRawFrameWindow());
}

TEST_F(FrameWindowsTest, GrowLeavesTheChannelsAndOtherWindowsAlone) {
    Build();
    EXPECT_TRUE(Grow(group_->GetChannelsWindow(), -50, -50));
    EXPECT_EQ(WindowSize(group_->GetChannelsWindow()), MakeRect(0, 0, 160, 360));
    const Rect focus = WindowSize(group_->GetFocusAidWindow());
    EXPECT_FALSE(Grow(group_->GetFocusAidWindow(), -50, -50));
    EXPECT_EQ(WindowSize(group_->GetFocusAidWindow()), focus);
    EXPECT_FALSE(group_->GrowOneWindow(dataWindow_->GetDataWindow(), Point{}));
}

TEST_F(FrameWindowsTest, ZoomGoesToTheFullFrameSize) {
    Build();
    EXPECT_TRUE(group_->ZoomOneWindow(group_->GetRawFrameWindow()));
    EXPECT_EQ(WindowSize(group_->GetRawFrameWindow()), MakeRect(0, 0, 640, 480));
    EXPECT_EQ(FrontWindow(), group_->GetRawFrameWindow());
    SizeWindow(Adjusted(), 160, 120, true);
    EXPECT_TRUE(group_->ZoomOneWindow(Adjusted()));
    EXPECT_EQ(WindowSize(Adjusted()), MakeRect(0, 0, 640, 480));
    // A second zoom stays at full size.
    EXPECT_TRUE(group_->ZoomOneWindow(Adjusted()));
    EXPECT_EQ(WindowSize(Adjusted()), MakeRect(0, 0, 640, 480));
    EXPECT_TRUE(group_->ZoomOneWindow(group_->GetChannelsWindow()));
    EXPECT_EQ(WindowSize(group_->GetChannelsWindow()), MakeRect(0, 0, 160, 360));
    EXPECT_FALSE(group_->ZoomOneWindow(group_->GetFocusAidWindow()));
}

}  // namespace
