#include <gtest/gtest.h>

#include "app/PrefFile.h"
#include "display/Histogram.h"
#include "platform/Menus.h"
#include "tests/support/FramePipelineFixture.h"

namespace {

constexpr Rect kUndefined{-1, -1, -1, -1};

class RegionsTest : public FramePipelineTest {
protected:
    WindowPtr Adjusted() { return group_->GetLevelAdjustedFrameWindow(); }
    Rect LongExposureRect() { return processor_->GetAutoDetectLongExposureRect(); }

    // The stored centre of the long-exposure rectangle, (-2, -2) when none.
    Point StoredPoint() {
        int h = -2, v = -2;
        PrefFile prefs;
        prefs.ReadAutoDetectLongExposureRect(h, v);
        return Point{int16_t(v), int16_t(h)};
    }

    void InstallMenuBar() {
        SetMenuBar(GetNewMBar(128));
        DisableMenuItem(GetMenuHandle(132), 4);
        DisableMenuItem(GetMenuHandle(133), 15);
    }
};

// ---- Histogram rectangle: drags ----

struct DragCase {
    const char* what;
    int frameWidth, frameHeight;
    int windowWidth;  // the level-adjusted window shrunk to this width (0: full size)
    int pow2Dim;
    uint16_t modifiers;
    int fromH, fromV, toH, toV;
    Rect expected;
};

TEST_F(RegionsTest, DragsDefineTheHistogramRectangle) {
    const DragCase cases[] = {
        {"plain drag up and left", 640, 480, 0, 128, 0, 100, 100, 50, 150, MakeRect(50, 100, 100, 150)},
        {"control-drag square", 640, 480, 0, 128, controlKey, 10, 10, 300, 200, MakeRect(236, 136, 363, 263)},
        {"control-drag pushed inside", 640, 480, 0, 128, controlKey, 10, 10, 630, 470,
         MakeRect(512, 352, 639, 479)},
        {"control-drag at the top left", 640, 480, 0, 32, controlKey, 300, 300, 3, 5, MakeRect(0, 0, 31, 31)},
        {"square taller than the frame", 320, 240, 0, 256, controlKey, 10, 10, 100, 100,
         MakeRect(0, 0, 320, 240)},
        {"plain drag clamped into the window", 640, 480, 0, 128, 0, 600, 400, 700, 520,
         MakeRect(600, 400, 639, 479)},
        {"plain drag in a half-size window", 640, 480, 320, 128, 0, 10, 20, 100, 80,
         MakeRect(20, 40, 200, 160)},
        {"a click without moving", 640, 480, 0, 128, 0, 70, 80, 70, 80, MakeRect(70, 80, 70, 80)},
    };
    for (const DragCase& c : cases) {
        Build(c.frameWidth, c.frameHeight);
        if (c.windowWidth) SizeWindow(Adjusted(), c.windowWidth, c.windowWidth * c.frameHeight / c.frameWidth, true);
        group_->SetPow2Dim(c.pow2Dim);
        EXPECT_TRUE(DragInLevelAdjustedWindow(c.fromH, c.fromV, c.toH, c.toV, c.modifiers)) << c.what;
        EXPECT_EQ(group_->GetHistogramBoundsRect(), c.expected) << c.what;
        EXPECT_EQ(host().Beeps(), 0) << c.what;
        EXPECT_EQ(host().Cursor(), 0) << c.what << ": the arrow is back";
        Release();
    }
}

TEST_F(RegionsTest, ReleaseBeforeTheFirstPollKeepsTheRectangle) {
    Build();
    DragInLevelAdjustedWindow(100, 100, 50, 150);
    // The button is already up when the drag loop looks.
    host().PushMouseDown(GlobalPoint(Adjusted(), 300, 300));
    host().ScriptMouse({{GlobalPoint(Adjusted(), 300, 300), false}});
    DeliverPress(Adjusted());
    EXPECT_EQ(group_->GetHistogramBoundsRect(), MakeRect(50, 100, 100, 150));
}

TEST_F(RegionsTest, DragShowsTheBandAndUpdatesTheHistogramsOfTheNewRectangle) {
    Build();
    ShowHistogramsDialog();
    FillFrame(*levelAdjusted_, [](int x, int) { return x < 320 ? Rgb{20, 20, 20} : Rgb{200, 200, 200}; });
    group_->DrawLevelAdjustedFrameWindow();
    DragInLevelAdjustedWindow(400, 100, 500, 200);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(1).GetBin(200), 1.0);
    EXPECT_DOUBLE_EQ(dialog_->GetHistogram(1).GetBin(20), 0.0);
    // The band is drawn over a fresh copy of the frame.
    const Rgb corner = WindowPixel(Adjusted(), 401, 150);
    EXPECT_TRUE(corner == (Rgb{0, 0, 0}) || corner == (Rgb{255, 255, 255}));
    EXPECT_EQ(WindowPixel(Adjusted(), 403, 150), (Rgb{200, 200, 200}));
}

// ---- Autoguide rectangle: shift-click ----

struct ShiftClickCase {
    int h, v;
    Rect expected;
};

TEST_F(RegionsTest, ShiftClickPutsTheAutoguideSquareAroundTheClickInsideTheFrame) {
    const ShiftClickCase cases[] = {
        {20, 20, MakeRect(0, 0, 100, 100)},
        {630, 470, MakeRect(540, 380, 640, 480)},
        {320, 240, MakeRect(270, 190, 370, 290)},
    };
    Build();
    GiveMountPort();
    for (const ShiftClickCase& c : cases) {
        EXPECT_TRUE(PressInLevelAdjustedWindow(c.h, c.v, shiftKey));
        EXPECT_EQ(group_->GetAutoGuideBoundsRect(), c.expected) << c.h << "," << c.v;
        EXPECT_TRUE(autoGuider_->GetNormalMode());
    }
    EXPECT_EQ(host().Beeps(), 0);
}

// The goal is the star's centroid on the raw frame, not on the level-adjusted one.
TEST_F(RegionsTest, AutoguideGoalComesFromTheRawFrame) {
    Build();
    GiveMountPort();
    FillFrame(*raw_, Rgb{0, 0, 0});
    FillFrame(*levelAdjusted_, Rgb{0, 0, 0});
    for (int y = 229; y <= 233; ++y)
        for (int x = 338; x <= 342; ++x) SetPixel(*raw_, x, y, Rgb{250, 250, 250});
    for (int y = 258; y <= 262; ++y)
        for (int x = 298; x <= 302; ++x) SetPixel(*levelAdjusted_, x, y, Rgb{250, 250, 250});
    SizeWindow(Adjusted(), 320, 240, true);
    PressInLevelAdjustedWindow(160, 120, shiftKey);  // buffer (320, 240)
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), MakeRect(270, 190, 370, 290));
    EXPECT_EQ(autoGuider_->GetGoalCentroid(), (Point{231, 340}));
}

TEST_F(RegionsTest, ShiftClickIsRefusedWhileALongExposureRectangleExists) {
    Build();
    GiveMountPort();
    PressInLevelAdjustedWindow(100, 100, shiftKey);
    PressInLevelAdjustedWindow(320, 240, cmdKey);
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined);
    host().ResetBeeps();
    PressInLevelAdjustedWindow(400, 300, shiftKey);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined);
    EXPECT_FALSE(autoGuider_->GetNormalMode());
}

TEST_F(RegionsTest, AutoguideRectangleNeedsAMountPortEvenToBeCleared) {
    Build();
    PressInLevelAdjustedWindow(100, 100, shiftKey);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined);
    group_->DefineAutoGuideRect(true);
    EXPECT_EQ(host().Beeps(), 2);
}

// ---- Long-exposure rectangle: command-click ----

TEST_F(RegionsTest, CommandClickDefinesTheLongExposureRectangleAndStoresItsCentre) {
    Build();
    GiveMountPort();
    PressInLevelAdjustedWindow(100, 100, shiftKey);
    EXPECT_TRUE(autoGuider_->GetNormalMode());
    PressInLevelAdjustedWindow(320, 240, cmdKey);
    EXPECT_EQ(LongExposureRect(), MakeRect(315, 235, 325, 245));
    EXPECT_EQ(StoredPoint(), (Point{240, 320}));
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined) << "guiding and detection exclude each other";
    EXPECT_FALSE(autoGuider_->GetNormalMode());
    EXPECT_EQ(host().Beeps(), 0);
}

struct BandCase {
    int h, v;
    bool accepted;
};

TEST_F(RegionsTest, CommandClickMustLeaveTheRectangleInsideTheFrame) {
    const BandCase cases[] = {
        {3, 100, false}, {4, 100, false},  {5, 100, true},   {634, 100, true}, {635, 100, false},
        {100, 4, false}, {100, 5, true},   {100, 474, true}, {100, 475, false},
    };
    Build();
    GiveMountPort();
    for (const BandCase& c : cases) {
        group_->DefineAutoDetectLongExposureRect(true, Point{-1, -1});
        host().ResetBeeps();
        PressInLevelAdjustedWindow(c.h, c.v, cmdKey);
        EXPECT_EQ(host().Beeps(), c.accepted ? 0 : 1) << c.h << "," << c.v;
        EXPECT_EQ(LongExposureRect().left != -1, c.accepted) << c.h << "," << c.v;
    }
    // A refused click keeps the rectangle there was.
    PressInLevelAdjustedWindow(320, 240, cmdKey);
    PressInLevelAdjustedWindow(3, 100, cmdKey);
    EXPECT_EQ(LongExposureRect(), MakeRect(315, 235, 325, 245));
    EXPECT_EQ(StoredPoint(), (Point{240, 320}));
}

TEST_F(RegionsTest, CommandClickInAShrunkWindowIsConvertedToBufferCoordinates) {
    Build();
    GiveMountPort();
    SizeWindow(Adjusted(), 320, 240, true);
    PressInLevelAdjustedWindow(160, 120, cmdKey);
    EXPECT_EQ(StoredPoint(), (Point{240, 320}));
    EXPECT_EQ(LongExposureRect(), MakeRect(315, 235, 325, 245));
}

TEST_F(RegionsTest, CommandClickIsRefusedWhileAnExposureIsOn) {
    Build();
    GivePorts({SerialInterface::kAutoGuideFtn, SerialInterface::kExposureDTRFtn});
    serial_->TurnExposureOn();
    ASSERT_TRUE(serial_->GetExposureOn());
    PressInLevelAdjustedWindow(320, 240, cmdKey);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(LongExposureRect(), kUndefined);
    EXPECT_EQ(StoredPoint(), (Point{-2, -2}));
}

// Without a mount port the clearing of the autoguide rectangle beeps once.
TEST_F(RegionsTest, CommandClickWithoutAMountPortBeepsOnceFromTheAutoguideClearing) {
    Build();
    PressInLevelAdjustedWindow(320, 240, cmdKey);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(LongExposureRect(), MakeRect(315, 235, 325, 245));
}

TEST_F(RegionsTest, ClearThenRetrieve) {
    Build();
    GiveMountPort();
    InstallMenuBar();
    MenuHandle misc = GetMenuHandle(132);
    PressInLevelAdjustedWindow(200, 100, cmdKey);
    EXPECT_TRUE(IsMenuItemEnabled(misc, 4));

    group_->DefineAutoDetectLongExposureRect(true, Point{-1, -1});
    EXPECT_EQ(LongExposureRect(), kUndefined);
    EXPECT_EQ(StoredPoint(), (Point{-1, -1}));
    EXPECT_FALSE(IsMenuItemEnabled(misc, 4));
    // A cleared rectangle is not retrieved.
    group_->RetrieveAutoDetectLongExposureRect();
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(LongExposureRect(), kUndefined);
    EXPECT_FALSE(IsMenuItemEnabled(misc, 4));

    // A point from an earlier run is.
    {
        PrefFile prefs;
        prefs.WriteAutoDetectLongExposureRect(50, 60);
    }
    PressInLevelAdjustedWindow(10, 10, shiftKey);
    ASSERT_NE(group_->GetAutoGuideBoundsRect(), kUndefined);
    group_->RetrieveAutoDetectLongExposureRect();
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(LongExposureRect(), MakeRect(45, 55, 55, 65));
    EXPECT_TRUE(IsMenuItemEnabled(misc, 4));
    EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined);
    EXPECT_FALSE(autoGuider_->GetNormalMode());
}

TEST_F(RegionsTest, RetrieveIsRefusedWithoutAStoredPointOrDuringAnExposure) {
    Build();
    GivePorts({SerialInterface::kAutoGuideFtn, SerialInterface::kExposureDTRFtn});
    group_->RetrieveAutoDetectLongExposureRect();
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(LongExposureRect(), kUndefined);
    {
        PrefFile prefs;
        prefs.WriteAutoDetectLongExposureRect(50, 60);
    }
    serial_->TurnExposureOn();
    group_->RetrieveAutoDetectLongExposureRect();
    EXPECT_EQ(host().Beeps(), 2);
    EXPECT_EQ(LongExposureRect(), kUndefined);
    serial_->TurnExposureOff(true);
    group_->RetrieveAutoDetectLongExposureRect();
    EXPECT_EQ(host().Beeps(), 2);
    EXPECT_EQ(LongExposureRect(), MakeRect(45, 55, 55, 65));
}

// ---- Target ----

TEST_F(RegionsTest, OptionClickSetsTheTargetInWindowCoordinates) {
    Build();
    InstallMenuBar();
    PressInLevelAdjustedWindow(300, 200, optionKey);
    EXPECT_EQ(group_->GetTarget(), (Point{200, 300}));
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(133), 15));
    SizeWindow(Adjusted(), 320, 240, true);
    PressInLevelAdjustedWindow(100, 50, optionKey);
    EXPECT_EQ(group_->GetTarget(), (Point{50, 100})) << "not converted to buffer coordinates";
    group_->DefineTarget(true);
    EXPECT_EQ(group_->GetTarget(), (Point{-1, -1}));
}

TEST_F(RegionsTest, TargetBrightnessStepsWithinItsRange) {
    Build();
    for (int i = 0; i < 9; ++i) group_->IncreaseTargetBrightness();
    EXPECT_EQ(group_->GetTargetBrightness(), 65535);
    for (int i = 0; i < 15; ++i) group_->DecreaseTargetBrightness();
    EXPECT_EQ(group_->GetTargetBrightness(), 65535 - 15 * 4096);
    group_->DecreaseTargetBrightness();
    EXPECT_EQ(group_->GetTargetBrightness(), 0);
    Release();
    Build();
    for (int i = 0; i < 8; ++i) group_->DecreaseTargetBrightness();
    EXPECT_EQ(group_->GetTargetBrightness(), 0);
}

// ---- The modifier rules ----

struct ModifierCase {
    uint16_t modifiers;
    bool acts;
};

TEST_F(RegionsTest, OnlyTheListedModifierCombinationsAct) {
    const ModifierCase cases[] = {
        {shiftKey | optionKey, false}, {shiftKey | cmdKey, false},   {optionKey | cmdKey, false},
        {controlKey | optionKey, false}, {controlKey | shiftKey, false}, {controlKey | cmdKey, false},
        {shiftKey | optionKey | cmdKey | controlKey, false},
    };
    Build();
    GiveMountPort();
    for (const ModifierCase& c : cases) {
        EXPECT_TRUE(PressInLevelAdjustedWindow(320, 240, c.modifiers));
        EXPECT_EQ(group_->GetHistogramBoundsRect(), MakeRect(0, 0, 640, 480)) << c.modifiers;
        EXPECT_EQ(group_->GetAutoGuideBoundsRect(), kUndefined) << c.modifiers;
        EXPECT_EQ(LongExposureRect(), kUndefined) << c.modifiers;
        EXPECT_EQ(group_->GetTarget(), (Point{-1, -1})) << c.modifiers;
    }
    EXPECT_EQ(host().Beeps(), 0);
}

TEST_F(RegionsTest, OnlyTheLevelAdjustedAndFocusAidWindowsTakePresses) {
    Build();
    EXPECT_FALSE(PressIn(group_->GetRawFrameWindow(), 10, 10));
    EXPECT_FALSE(PressIn(group_->GetChannelsWindow(), 10, 10));
    ShowWindow(group_->GetFocusAidWindow());
    EXPECT_TRUE(PressIn(group_->GetFocusAidWindow(), 10, 10));
    EXPECT_EQ(group_->GetHistogramBoundsRect(), MakeRect(0, 0, 640, 480));
}

}  // namespace
