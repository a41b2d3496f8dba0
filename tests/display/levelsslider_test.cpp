// LevelsSlider: thumb placement, the numbers, dragging the three thumbs by polling the
// mouse, and the levels it hands out.
#include "display/LevelsSlider.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <vector>

#include "app/Templates.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr Point kOrigin{10, 10};  // v, h
constexpr Rgb kThumb{0xC0, 0, 0};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

Point At(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }
Point CentreOf(const Rect& r) { return At((r.left + r.right) / 2, (r.top + r.bottom) / 2); }

class LevelsSliderTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterPictureTemplates();
        port = std::make_unique<TestPort>(320, 120);
        port->Fill({255, 255, 255});
        port->MakeCurrent();  // an offscreen port: local and global points agree
    }

    // A press at `press`, the button held through `moves`, released at the last place.
    void ScriptPress(Point press, const std::vector<Point>& moves = {}) {
        host().SetMouse(press, true);
        std::vector<MouseState> script;
        for (Point p : moves) script.push_back({p, true});
        script.push_back({moves.empty() ? press : moves.back(), false});
        host().ScriptMouse(script);
    }

    // Moves from `from` in steps of `step` pixels horizontally until `total` is covered.
    static std::vector<Point> HorizontalMoves(Point from, int total, int step) {
        std::vector<Point> moves;
        const int direction = total < 0 ? -1 : 1;
        for (int done = step; done <= std::abs(total); done += step) {
            moves.push_back(At(from.h + direction * done, from.v));
        }
        return moves;
    }

    // Whether any pixel of r (clipped to the port) carries red ink on black.
    bool RedInkIn(const Rect& r) const {
        for (int v = std::max<int>(r.top, 0); v < std::min<int>(r.bottom, 120); ++v)
            for (int h = std::max<int>(r.left, 0); h < std::min<int>(r.right, 320); ++h) {
                const Rgb c = port->At(h, v);
                if (c.r > 0 && c.g == 0 && c.b == 0) return true;
            }
        return false;
    }

    std::unique_ptr<TestPort> port;
};

TEST_F(LevelsSliderTest, NewSliderPlacesItsThumbs) {
    LevelsSlider slider(kOrigin, 2, 1);
    EXPECT_EQ(slider.GetChannel(), 2);
    EXPECT_EQ(slider.GetActiveThumb(), -1);
    EXPECT_EQ(slider.GetDarkThumbRect(), MakeRect(7, 65, 18, 71));
    EXPECT_EQ(slider.GetLightThumbRect(), MakeRect(262, 65, 273, 71));
    // 47 + 10 - sqrt(250) = 41.19, truncated.
    EXPECT_EQ(slider.GetGammaThumbRect(), MakeRect(271, 41, 277, 52));
    int dark = -1, light = -1;
    double gamma = 0.0;
    slider.GetCutoffs(dark, light, gamma);
    EXPECT_EQ(dark, 0);
    EXPECT_EQ(light, 255);
    EXPECT_EQ(gamma, 1.0);
}

TEST_F(LevelsSliderTest, SetCutoffsStoresAndHandsOutTheReciprocalGamma) {
    LevelsSlider slider(kOrigin, 1, 1);
    slider.SetCutoffs(10, 200, 2.0);
    int dark = -1, light = -1;
    double gamma = 0.0;
    slider.GetCutoffs(dark, light, gamma);
    EXPECT_EQ(dark, 10);
    EXPECT_EQ(light, 200);
    EXPECT_EQ(gamma, 0.5);
    EXPECT_EQ(slider.GetDarkThumbRect(), MakeRect(17, 65, 28, 71));
    EXPECT_EQ(slider.GetLightThumbRect(), MakeRect(207, 65, 218, 71));
    // 57 - sqrt(500) = 34.6.
    EXPECT_EQ(slider.GetGammaThumbRect().top, 34);

    // Stored without any test, even out of order.
    slider.SetCutoffs(300, 5, 0.5);
    slider.GetCutoffs(dark, light, gamma);
    EXPECT_EQ(dark, 300);
    EXPECT_EQ(light, 5);
    EXPECT_EQ(gamma, 2.0);
}

TEST_F(LevelsSliderTest, UnitsPerPixelScaleThePositions) {
    LevelsSlider slider(kOrigin, 0, 2);
    EXPECT_EQ(slider.GetLightCutoff(), 510);
    EXPECT_EQ(slider.GetLightThumbRect().left, 10 + 255 - 3);
    slider.SetCutoffs(7, 510, 1.0);  // 7 / 2 truncates to 3
    EXPECT_EQ(slider.GetDarkThumbRect().left, 10 + 3 - 3);

    // A drag moves the cutoff by 2 for every pixel.
    const Point press = CentreOf(slider.GetDarkThumbRect());
    ScriptPress(press, HorizontalMoves(press, 10, 5));
    bool hit = false;
    EXPECT_TRUE(slider.ProcessMouse(hit));
    EXPECT_EQ(slider.GetDarkCutoff(), 27);
}

TEST_F(LevelsSliderTest, DrawShowsThumbsNumbersAndGammaTrack) {
    LevelsSlider slider(kOrigin, 0, 1);
    slider.DrawLevelsSlider();
    const Rect dark = slider.GetDarkThumbRect();
    const Rect light = slider.GetLightThumbRect();
    const Rect gamma = slider.GetGammaThumbRect();
    // Dark thumb: an open triangle whose tip is over its middle column.
    EXPECT_EQ(port->At(dark.left + 5, dark.top), kThumb);
    EXPECT_EQ(port->At(dark.left + 5, dark.top + 3), kBlack);
    for (int h = dark.left; h < dark.right; ++h) EXPECT_EQ(port->At(h, dark.bottom - 1), kThumb) << h;
    // Light thumb: filled.
    EXPECT_EQ(port->At(light.left + 5, light.top + 3), kThumb);
    EXPECT_EQ(port->At(light.left, light.top), kBlack);
    // Gamma thumb: pointing left, tip in the middle row.
    EXPECT_EQ(port->At(gamma.left, gamma.top + 5), kThumb);
    EXPECT_EQ(port->At(gamma.left, gamma.top), kBlack);
    EXPECT_EQ(port->At(gamma.right - 1, gamma.top), kThumb);

    // The numbers: "0" from the dark thumb's left above baseline 81, "255" ending at the
    // light thumb's right above baseline 91, the gamma right of its thumb.
    EXPECT_TRUE(RedInkIn(MakeRect(dark.left, 72, dark.left + 8, 82)));
    EXPECT_TRUE(RedInkIn(MakeRect(light.right - 14, 83, light.right, 92)));
    EXPECT_FALSE(RedInkIn(MakeRect(light.right, 72, 278, 92)));
    EXPECT_TRUE(RedInkIn(MakeRect(280, gamma.top, 298, gamma.top + 9)));

    // Painted black: the thumb row (h - 8 .. h + 268, v + 55 .. v + 81) and the gamma
    // track (h + 261 .. h + 288, v - 3 .. v + 55); nothing else.
    EXPECT_EQ(port->At(2, 65), kBlack);
    EXPECT_EQ(port->At(1, 65), kWhite);
    EXPECT_EQ(port->At(2, 91), kWhite);
    EXPECT_EQ(port->At(297, 7), kBlack);
    EXPECT_EQ(port->At(298, 7), kWhite);
    EXPECT_EQ(port->At(271, 6), kWhite);
    EXPECT_EQ(port->At(150, 64), kWhite);  // the histogram's place is left alone
    EXPECT_TRUE(port->PaddingIntact());
    EXPECT_EQ(CurrentPort()->txSize, 12);
    EXPECT_EQ(CurrentPort()->fgColor, (RGBColor{0, 0, 0}));
}

TEST_F(LevelsSliderTest, LightNumberNeverStartsLeftOfTheTrack) {
    LevelsSlider slider(kOrigin, 0, 100);
    slider.SetCutoffs(0, 100, 1.0);  // light thumb's right at h + 9; "100" is wider
    slider.DrawLevelsSlider();
    EXPECT_FALSE(RedInkIn(MakeRect(0, 82, 7, 92)));
    EXPECT_TRUE(RedInkIn(MakeRect(7, 82, 30, 92)));
}

TEST_F(LevelsSliderTest, DarkNumberEndsByTheHistogramsRightEdge) {
    LevelsSlider slider(kOrigin, 0, 1);
    slider.SetCutoffs(254, 255, 1.0);  // dark thumb's left at h + 251
    slider.DrawLevelsSlider();
    EXPECT_TRUE(RedInkIn(MakeRect(240, 72, 273, 82)));
    EXPECT_FALSE(RedInkIn(MakeRect(273, 72, 278, 82)));
}

struct CutoffDragCase {
    const char* name;
    int dark, light;     // before the drag
    bool onDarkThumb;    // else the light thumb
    int distance;        // horizontal, pixels
    int expectedDark, expectedLight;
};

void PrintTo(const CutoffDragCase& c, std::ostream* os) { *os << c.name; }

class CutoffDragTest : public LevelsSliderTest, public ::testing::WithParamInterface<CutoffDragCase> {};

TEST_P(CutoffDragTest, StopsAtItsLimits) {
    const CutoffDragCase& c = GetParam();
    LevelsSlider slider(kOrigin, 1, 1);
    slider.SetCutoffs(c.dark, c.light, 1.0);
    const Point press = CentreOf(c.onDarkThumb ? slider.GetDarkThumbRect() : slider.GetLightThumbRect());
    ScriptPress(press, HorizontalMoves(press, c.distance, 7));
    bool hit = false;
    const bool changed = slider.ProcessMouse(hit);
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetActiveThumb(), c.onDarkThumb ? 0 : 1);
    EXPECT_EQ(slider.GetDarkCutoff(), c.expectedDark);
    EXPECT_EQ(slider.GetLightCutoff(), c.expectedLight);
    EXPECT_EQ(changed, c.expectedDark != c.dark || c.expectedLight != c.light);
    EXPECT_EQ(slider.GetDarkThumbRect().left, 10 + c.expectedDark - 3);
    EXPECT_EQ(slider.GetLightThumbRect().left, 10 + c.expectedLight - 3);
    EXPECT_TRUE(host().ScriptEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutoffDragTest,
    ::testing::Values(CutoffDragCase{"DarkFarRightStopsBelowLight", 0, 255, true, 301, 254, 255},
                      CutoffDragCase{"DarkFarLeftStopsAtZero", 20, 255, true, -70, 0, 255},
                      CutoffDragCase{"DarkWithinRange", 20, 200, true, 35, 55, 200},
                      CutoffDragCase{"LightFarLeftStopsAboveDark", 0, 255, false, -301, 0, 1},
                      CutoffDragCase{"LightFarRightStopsAt255", 40, 200, false, 105, 40, 255},
                      CutoffDragCase{"LightWithinRange", 40, 200, false, -49, 40, 151},
                      CutoffDragCase{"LightStopsAboveARaisedDark", 100, 120, false, -70, 100, 101}),
    [](const ::testing::TestParamInfo<CutoffDragCase>& info) { return std::string(info.param.name); });

// The thumb follows the mouse's movement, not its position: once stopped at the light
// cutoff, moving back 10 pixels takes 10 off although the mouse is far to the right.
TEST_F(LevelsSliderTest, DarkThumbFollowsMovementNotPosition) {
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = CentreOf(slider.GetDarkThumbRect());
    std::vector<Point> moves = HorizontalMoves(press, 300, 50);
    moves.push_back(At(press.h + 290, press.v));
    ScriptPress(press, moves);
    bool hit = false;
    EXPECT_TRUE(slider.ProcessMouse(hit));
    EXPECT_EQ(slider.GetDarkCutoff(), 244);
}

TEST_F(LevelsSliderTest, VerticalMovesDoNotChangeACutoff) {
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = CentreOf(slider.GetDarkThumbRect());
    ScriptPress(press, {At(press.h, press.v + 20), At(press.h, press.v - 30)});
    bool hit = false;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetDarkCutoff(), 0);
}

TEST_F(LevelsSliderTest, PressAndReleaseWithoutMovingChangesNothing) {
    LevelsSlider slider(kOrigin, 0, 1);
    ScriptPress(CentreOf(slider.GetDarkThumbRect()));
    bool hit = false;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetActiveThumb(), 0);
    EXPECT_EQ(slider.GetDarkCutoff(), 0);
}

TEST_F(LevelsSliderTest, PressOffTheThumbsIsNotAHit) {
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = At(100, 68);  // in the thumb row, between the thumbs
    ScriptPress(press, HorizontalMoves(press, 40, 10));
    bool hit = true;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_FALSE(hit);
    EXPECT_EQ(slider.GetActiveThumb(), -1);
    EXPECT_EQ(slider.GetDarkCutoff(), 0);
    EXPECT_EQ(slider.GetLightCutoff(), 255);
}

TEST_F(LevelsSliderTest, DragRedrawsTheThumbWhereItIsNow) {
    LevelsSlider slider(kOrigin, 0, 1);
    slider.DrawLevelsSlider();
    const Point press = CentreOf(slider.GetDarkThumbRect());
    ScriptPress(press, HorizontalMoves(press, 100, 25));
    bool hit = false;
    ASSERT_TRUE(slider.ProcessMouse(hit));
    const Rect dark = slider.GetDarkThumbRect();
    ASSERT_EQ(dark.left, 107);
    EXPECT_EQ(port->At(dark.left + 5, dark.top), kThumb);
    EXPECT_EQ(port->At(12, 65), kBlack);  // the old place is cleared
}

struct GammaDragCase {
    const char* name;
    int d;  // the mouse's distance below the origin
    double expectedGamma;
    const char* shown;
    int thumbTop;
};

void PrintTo(const GammaDragCase& c, std::ostream* os) { *os << c.name; }

class GammaDragTest : public LevelsSliderTest, public ::testing::WithParamInterface<GammaDragCase> {};

TEST_P(GammaDragTest, FollowsTheMouseOnTheTrack) {
    const GammaDragCase& c = GetParam();
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = CentreOf(slider.GetGammaThumbRect());
    ScriptPress(press, {At(press.h, 10 + c.d)});
    bool hit = false;
    const bool changed = slider.ProcessMouse(hit);
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetActiveThumb(), 2);
    EXPECT_NEAR(slider.GetShownGamma(), c.expectedGamma, 1e-12);
    EXPECT_EQ(changed, c.expectedGamma != 1.0);
    EXPECT_EQ(LevelsSlider::FormatGamma(slider.GetShownGamma()), c.shown);
    EXPECT_EQ(slider.GetGammaThumbRect().top, c.thumbTop);
    EXPECT_EQ(slider.GetGammaThumbRect().left, 271);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GammaDragTest,
    ::testing::Values(GammaDragCase{"TopIsTen", 0, 10.0, "10.0", 7},
                      GammaDragCase{"BottomIsZero", 50, 0.0, "0.0", 57},
                      GammaDragCase{"D35", 35, 0.9, "0.9", 42},
                      GammaDragCase{"D10", 10, 6.4, "6.4", 17},
                      GammaDragCase{"AboveTheTrackIgnored", -1, 1.0, "1.0", 41},
                      GammaDragCase{"BelowTheTrackIgnored", 51, 1.0, "1.0", 41}),
    [](const ::testing::TestParamInfo<GammaDragCase>& info) { return std::string(info.param.name); });

TEST_F(LevelsSliderTest, GammaZeroHandsOutInfinity) {
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = CentreOf(slider.GetGammaThumbRect());
    ScriptPress(press, {At(press.h, 60)});
    bool hit = false;
    ASSERT_TRUE(slider.ProcessMouse(hit));
    int dark = 0, light = 0;
    double exponent = 0.0;
    slider.GetCutoffs(dark, light, exponent);
    EXPECT_EQ(exponent, std::numeric_limits<double>::infinity());
}

// Positions off the track in the middle of a drag are skipped; the last one on it counts.
TEST_F(LevelsSliderTest, GammaKeepsItsLastValueOnTheTrack) {
    LevelsSlider slider(kOrigin, 0, 1);
    const Point press = CentreOf(slider.GetGammaThumbRect());
    ScriptPress(press, {At(press.h, 45), At(press.h, 200), At(press.h, 0)});
    bool hit = false;
    EXPECT_TRUE(slider.ProcessMouse(hit));
    EXPECT_NEAR(slider.GetShownGamma(), 0.9, 1e-12);  // d = 35
}

TEST(LevelsSliderFormat, OneDecimalTruncated) {
    EXPECT_EQ(LevelsSlider::FormatGamma(1.0), "1.0");
    EXPECT_EQ(LevelsSlider::FormatGamma(2.57), "2.5");
    EXPECT_EQ(LevelsSlider::FormatGamma(0.04), "0.0");
    EXPECT_EQ(LevelsSlider::FormatGamma(9.99), "9.9");
}

}  // namespace
