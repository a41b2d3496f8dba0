// IntegerTriangleSlider: scales, thumb placement, the value from a drag (rounding,
// limits, reversed), and the drawing with its masked thumb.
#include "display/IntegerTriangleSlider.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "app/Templates.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr int kH = 20;  // the track's left end
constexpr int kV = 10;  // the track's top
constexpr int kLength = 181;
constexpr Rgb kThumb{0xC0, 0, 0};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

Point At(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

class IntegerTriangleSliderTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterPictureTemplates();
        port = std::make_unique<TestPort>(240, 40);
        port->Fill({255, 255, 255});
        port->MakeCurrent();  // an offscreen port: local and global points agree
    }

    static IntegerTriangleSlider Make(int value, bool reversed = false, bool track = true, bool ticks = true) {
        return IntegerTriangleSlider(At(kH, kV), kLength, 0, 90, value, track, ticks, reversed);
    }

    // A press at `press`, the button held through `moves`, released at the last place.
    void ScriptPress(Point press, const std::vector<Point>& moves = {}) {
        host().SetMouse(press, true);
        std::vector<MouseState> script;
        for (Point p : moves) script.push_back({p, true});
        script.push_back({moves.empty() ? press : moves.back(), false});
        host().ScriptMouse(script);
    }

    // Presses on the thumb's middle and drags to the horizontal position h.
    int DragTo(IntegerTriangleSlider& slider, int h) {
        const Rect thumb = slider.GetThumbRect();
        const Point press = At(thumb.left + 5, thumb.top + 3);
        ScriptPress(press, {At(press.h + 1, press.v + 9), At(h, press.v + 20)});
        bool hit = false;
        slider.ProcessMouse(hit);
        EXPECT_TRUE(hit);
        return slider.GetValue();
    }

    std::unique_ptr<TestPort> port;
};

TEST_F(IntegerTriangleSliderTest, ScalesFromLengthAndRange) {
    IntegerTriangleSlider slider = Make(0);
    EXPECT_EQ(slider.GetDragScale(), 2.0);
    EXPECT_DOUBLE_EQ(slider.GetDrawScale(), 181.0 / 90.0);

    IntegerTriangleSlider flat(At(kH, kV), 50, 7, 7, 7, false, false, false);
    EXPECT_EQ(flat.GetDragScale(), 50.0);
    EXPECT_EQ(flat.GetDrawScale(), 50.0);
}

struct PlacementCase {
    const char* name;
    int value;
    bool reversed;
    int expectedLeft;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class ThumbPlacementTest : public IntegerTriangleSliderTest,
                           public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(ThumbPlacementTest, CentredOnTheValueAndStoppedAtTheFarEnd) {
    const PlacementCase& c = GetParam();
    IntegerTriangleSlider slider = Make(0, c.reversed);
    slider.SetValue(c.value);
    EXPECT_EQ(slider.GetValue(), c.value);
    EXPECT_EQ(slider.GetThumbRect(), MakeRect(c.expectedLeft, kV + 4, c.expectedLeft + 11, kV + 10));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ThumbPlacementTest,
    ::testing::Values(PlacementCase{"ZeroAtTheLeftEnd", 0, false, kH - 5},
                      PlacementCase{"NinetyAtTheFarLimit", 90, false, kH + 176},
                      PlacementCase{"FortyFive", 45, false, kH + 85},  // 90.5 - 5, truncated
                      PlacementCase{"BeyondTheRangeStopsAtTheFarLimit", 200, false, kH + 176},
                      PlacementCase{"BelowTheRangeIsNotStopped", -10, false, kH - 25},
                      PlacementCase{"ReversedZeroAtTheRightEnd", 0, true, kH + 176},
                      PlacementCase{"ReversedNinetyAtTheLeftLimit", 90, true, kH - 5},
                      PlacementCase{"ReversedBeyondStopsAtTheLeftLimit", 200, true, kH - 5},
                      PlacementCase{"ReversedFortyFive", 45, true, kH + 85}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

TEST_F(IntegerTriangleSliderTest, ThumbHangsBelowTrackLineAndTicks) {
    EXPECT_EQ(Make(0, false, true, true).GetThumbRect().top, kV + 4);
    EXPECT_EQ(Make(0, false, true, false).GetThumbRect().top, kV + 2);
    EXPECT_EQ(Make(0, false, false, true).GetThumbRect().top, kV + 2);
    EXPECT_EQ(Make(0, false, false, false).GetThumbRect().top, kV);
}

struct DragCase {
    const char* name;
    bool reversed;
    int start;
    int toOffset;  // drag to h + toOffset
    int expected;
};

void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class DragValueTest : public IntegerTriangleSliderTest, public ::testing::WithParamInterface<DragCase> {};

TEST_P(DragValueTest, RoundsToTheNearestValue) {
    const DragCase& c = GetParam();
    IntegerTriangleSlider slider = Make(c.start, c.reversed);
    EXPECT_EQ(DragTo(slider, kH + c.toOffset), c.expected);
    EXPECT_TRUE(host().ScriptEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DragValueTest,
    ::testing::Values(DragCase{"LastPixelGivesMax", false, 45, 180, 90},
                      DragCase{"SecondPixelRoundsUp", false, 45, 1, 1},  // (1 + 1) / 2
                      DragCase{"FirstPixelGivesMin", false, 45, 0, 0},
                      DragCase{"HalfRoundsUp", false, 0, 3, 2},           // (3 + 1) / 2
                      DragCase{"BelowHalfRoundsDown", false, 0, 2, 1},    // (2 + 1) / 2 = 1.5
                      DragCase{"BeyondTheRightEnd", false, 45, 400, 90},
                      DragCase{"BeyondTheLeftEnd", false, 45, -60, 0},
                      DragCase{"ReversedLeftEndGivesMax", true, 45, 0, 90},
                      DragCase{"ReversedLastPixelGivesMin", true, 45, 180, 0},
                      DragCase{"ReversedSecondPixel", true, 45, 1, 89},
                      DragCase{"ReversedBeyondTheLeftEnd", true, 45, -60, 90}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_F(IntegerTriangleSliderTest, DragReportsWhetherTheValueChanged) {
    IntegerTriangleSlider slider = Make(45);
    // There and back again: the value ends where it began.
    const Rect thumb = slider.GetThumbRect();
    const Point press = At(thumb.left + 5, thumb.top + 3);
    ScriptPress(press, {At(kH + 10, press.v), At(press.h, press.v + 1)});
    bool hit = false;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetValue(), 45);
}

TEST_F(IntegerTriangleSliderTest, PressOnTheMiddleColumnReleasedAtOnceKeepsTheValue) {
    IntegerTriangleSlider slider = Make(45);
    const Rect thumb = slider.GetThumbRect();  // left h + 85: middle column h + 90
    ScriptPress(At(thumb.left + 5, thumb.top + 2));
    bool hit = false;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetValue(), 45);
}

TEST_F(IntegerTriangleSliderTest, PressElsewhereOnTheThumbSetsTheValueFromThePressPoint) {
    IntegerTriangleSlider slider = Make(45);
    const Rect thumb = slider.GetThumbRect();
    ScriptPress(At(thumb.left, thumb.top + 2));  // h + 85: (85 + 1) / 2 = 43
    bool hit = false;
    EXPECT_TRUE(slider.ProcessMouse(hit));
    EXPECT_TRUE(hit);
    EXPECT_EQ(slider.GetValue(), 43);
    EXPECT_EQ(slider.GetThumbRect().left, static_cast<int>(181.0 / 90.0 * 43 + kH - 5));
}

TEST_F(IntegerTriangleSliderTest, PressOffTheThumbDoesNothing) {
    IntegerTriangleSlider slider = Make(45);
    ScriptPress(At(kH + 30, kV + 6), {At(kH + 150, kV + 6)});
    bool hit = true;
    EXPECT_FALSE(slider.ProcessMouse(hit));
    EXPECT_FALSE(hit);
    EXPECT_EQ(slider.GetValue(), 45);
}

TEST_F(IntegerTriangleSliderTest, DragSliderThumbWritesTheValueOut) {
    IntegerTriangleSlider slider = Make(10);
    host().ScriptMouse({{At(kH + 40, kV + 5), true}, {At(kH + 40, kV + 5), false}});
    int value = -1;
    EXPECT_TRUE(slider.DragSliderThumb(At(kH + 20, kV + 5), value));
    EXPECT_EQ(value, 20);
    EXPECT_EQ(slider.GetValue(), 20);
}

TEST_F(IntegerTriangleSliderTest, DrawShowsTrackTicksNumberAndMaskedThumb) {
    IntegerTriangleSlider slider = Make(45);
    slider.DrawSlider();
    const Rect thumb = slider.GetThumbRect();
    // The thumb's triangle points up from its bottom row; the corners around it keep
    // the black background.
    EXPECT_EQ(port->At(thumb.left + 5, thumb.top), kThumb);
    for (int h = thumb.left; h < thumb.right; ++h) EXPECT_EQ(port->At(h, thumb.bottom - 1), kThumb) << h;
    EXPECT_EQ(port->At(thumb.left, thumb.top), kBlack);
    EXPECT_EQ(port->At(thumb.right - 1, thumb.top), kBlack);

    // Track line along v, ticks on rows v + 1 .. v + 3 at every integer.
    EXPECT_EQ(port->At(kH, kV).r, 255);
    EXPECT_EQ(port->At(kH + kLength, kV).r, 255);
    for (int i : {0, 1, 44, 90}) {
        const int x = static_cast<int>(181.0 / 90.0 * i + kH);
        EXPECT_EQ(port->At(x, kV + 1), (Rgb{255, 0, 0})) << i;
        EXPECT_EQ(port->At(x, kV + 3), (Rgb{255, 0, 0})) << i;
    }
    EXPECT_EQ(port->At(kH + 1, kV + 2), kBlack);  // between ticks 0 and 1 (h + 2)

    // The number under the thumb, centred on its middle column.
    bool inkLeft = false, inkRight = false;
    for (int v = thumb.bottom; v <= thumb.bottom + 10; ++v) {
        for (int h = thumb.left - 4; h < thumb.left + 5; ++h) inkLeft = inkLeft || port->At(h, v).r > 0;
        for (int h = thumb.left + 5; h < thumb.right + 4; ++h) inkRight = inkRight || port->At(h, v).r > 0;
    }
    EXPECT_TRUE(inkLeft);
    EXPECT_TRUE(inkRight);

    // The background: h - 8 .. h + length + 8, v .. v + 4 + 16.
    EXPECT_EQ(port->At(kH - 8, kV + 19), kBlack);
    EXPECT_EQ(port->At(kH - 9, kV), kWhite);
    EXPECT_EQ(port->At(kH + kLength + 8, kV), kWhite);
    EXPECT_EQ(port->At(kH, kV + 20), kWhite);
    EXPECT_EQ(port->At(kH, kV - 1), kWhite);
    EXPECT_TRUE(port->PaddingIntact());
}

// Dialogs and windows may have a black background; the masked copy must still give the
// thumb its own colour, and the port keeps its background.
TEST_F(IntegerTriangleSliderTest, ThumbKeepsItsColourOnABlackBackgroundPort) {
    const RGBColor black{0, 0, 0};
    RGBBackColor(&black);
    IntegerTriangleSlider slider = Make(30);
    slider.DrawSlider();
    const Rect thumb = slider.GetThumbRect();
    EXPECT_EQ(port->At(thumb.left + 5, thumb.top), kThumb);
    EXPECT_EQ(port->At(thumb.left + 5, thumb.top + 3), kThumb);
    EXPECT_EQ(port->At(thumb.left, thumb.top), kBlack);
    EXPECT_EQ(CurrentPort()->bkColor, black);
}

TEST_F(IntegerTriangleSliderTest, ReversedTicksRunFromTheRight) {
    IntegerTriangleSlider slider = Make(45, true);
    slider.DrawSlider();
    EXPECT_EQ(port->At(kH + kLength, kV + 2), (Rgb{255, 0, 0}));  // value 0
    const int x1 = static_cast<int>(kH + kLength - 181.0 / 90.0);  // value 1
    EXPECT_EQ(port->At(x1, kV + 2), (Rgb{255, 0, 0}));
    EXPECT_EQ(port->At(x1 + 1, kV + 2), kBlack);
}

TEST_F(IntegerTriangleSliderTest, DragRedrawsAtTheNewPlace) {
    IntegerTriangleSlider slider = Make(45);
    slider.DrawSlider();
    const Rect before = slider.GetThumbRect();
    ASSERT_EQ(DragTo(slider, kH + 20), 10);
    const Rect after = slider.GetThumbRect();
    EXPECT_EQ(port->At(after.left + 5, after.top), kThumb);
    EXPECT_EQ(port->At(before.left + 5, before.top), kBlack);
}

}  // namespace
