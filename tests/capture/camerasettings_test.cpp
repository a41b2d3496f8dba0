// The camera settings dialog on a scripted camera: one row a control, changes applied
// to the camera as they are made (sliders while dragged), refusals beeped, defaults
// restored, and nothing offered for controls the camera will not change.
#include <gtest/gtest.h>

#include "platform/capture/CameraSettingsDialog.h"
#include "tests/support/ScriptedCaptureSource.h"
#include "tests/support/ToolboxFixture.h"

namespace {

Point Center(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}

CameraControl Slider(uint32_t id, const char* name, int32_t min, int32_t max, int32_t step, int32_t value) {
    CameraControl c;
    c.id = id;
    c.kind = CameraControlKind::kSlider;
    c.name = name;
    c.minimum = min;
    c.maximum = max;
    c.step = step;
    c.defaultValue = value;
    c.value = value;
    return c;
}

class CameraSettingsTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        CameraControl autoGain;
        autoGain.id = 2;
        autoGain.kind = CameraControlKind::kCheckBox;
        autoGain.name = "Automatic Gain";
        autoGain.maximum = 1;
        autoGain.value = autoGain.defaultValue = 1;
        CameraControl flicker;
        flicker.id = 3;
        flicker.kind = CameraControlKind::kPopup;
        flicker.name = "Power Line Frequency";
        flicker.maximum = 3;
        flicker.value = flicker.defaultValue = 1;
        flicker.choices = {{0, "Disabled"}, {1, "50 Hz"}, {3, "Auto"}};
        CameraControl exposure = Slider(4, "Exposure (read only)", 1, 5000, 1, 156);
        exposure.readOnly = true;
        camera_.controls = {Slider(1, "Brightness", -64, 64, 1, 0), autoGain, flicker, exposure};
        layout_ = LayoutCameraSettings(camera_.controls);
        content_ = DialogContentBounds(layout_.dialog);
    }

    Rect GlobalBox(int16_t item) const {
        return OffsetRectCopy(layout_.dialog.items[item - 1].bounds, content_.left, content_.top);
    }

    // Runs the dialog on the queued input, closing it with Return at the end.
    void Run() {
        host().PushKeyDown(kReturnCharCode);
        RunCameraSettingsDialog(camera_);
        EXPECT_EQ(FrontWindow(), nullptr);
    }

    ScriptedCaptureSource camera_;
    CameraSettingsLayout layout_;
    Rect content_;
};

TEST_F(CameraSettingsTest, EachControlGetsARowOfTheRightKind) {
    const auto& items = layout_.dialog.items;
    ASSERT_EQ(items.size(), 2u + 3 * 4);
    EXPECT_EQ(items[0].text, "Done");
    EXPECT_EQ(items[1].text, "Defaults");
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(0) - 1].kind, DialogItemKind::kUserItem);
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(1) - 1].kind, DialogItemKind::kCheckBox);
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(1) - 1].value, 1);
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(2) - 1].kind, DialogItemKind::kPopup);
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(2) - 1].value, 2);  // "50 Hz"
    EXPECT_FALSE(items[CameraSettingsLayout::ControlItem(3) - 1].enabled);
    EXPECT_EQ(items[CameraSettingsLayout::ControlItem(0)].text, "Brightness");  // the label after it
    ASSERT_EQ(layout_.menus.size(), 1u);
    ASSERT_EQ(layout_.menus[0].items.size(), 3u);
    EXPECT_EQ(layout_.menus[0].items[2].text, "Auto");
    // The rows do not overlap and all lie inside the dialog.
    for (size_t row = 0; row + 1 < 4; ++row)
        EXPECT_LE(items[CameraSettingsLayout::ControlItem(row) - 1].bounds.bottom,
                  items[CameraSettingsLayout::ControlItem(row + 1) - 1].bounds.top);
    for (const DialogItemTemplate& item : items) EXPECT_LE(item.bounds.bottom, RectHeight(layout_.dialog.bounds));
}

TEST_F(CameraSettingsTest, ACheckBoxAndAPopupChangeTheCameraAtOnce) {
    host().PushMouseDown(Center(GlobalBox(CameraSettingsLayout::ControlItem(1))));
    Run();
    EXPECT_EQ(camera_.writes, (std::vector<std::pair<uint32_t, int32_t>>{{2, 0}}));

    RegisterMenuTemplate(layout_.menus[0]);
    MenuHandle menu = GetMenu(layout_.menus[0].id);
    Rect popup = GlobalBox(CameraSettingsLayout::ControlItem(2));
    host().ScriptDrag(Center(popup), Center(GetPopUpItemRect(menu, popup.top, popup.left, 2, 3)));
    Run();
    EXPECT_EQ(camera_.writes, (std::vector<std::pair<uint32_t, int32_t>>{{2, 0}, {3, 3}}));
    EXPECT_EQ(host().Beeps(), 0);
}

TEST_F(CameraSettingsTest, ASliderSetsTheCameraWhileItIsDragged) {
    Rect slider = GlobalBox(CameraSettingsLayout::ControlItem(0));
    Point from = Center(slider);  // value 0 sits in the middle
    Point to{from.v, static_cast<int16_t>(slider.right + 30)};
    host().ScriptDrag(from, to, 6);
    Run();
    ASSERT_GE(camera_.writes.size(), 3u) << "the camera follows the drag";
    for (size_t i = 1; i < camera_.writes.size(); ++i) EXPECT_GT(camera_.writes[i].second, camera_.writes[i - 1].second);
    EXPECT_EQ(camera_.writes.back(), (std::pair<uint32_t, int32_t>{1, 64}));
}

TEST_F(CameraSettingsTest, AReadOnlyControlIsNotChangedAndARefusalBeeps) {
    host().PushMouseDown(Center(GlobalBox(CameraSettingsLayout::ControlItem(3))));
    Run();
    EXPECT_TRUE(camera_.writes.empty());
    EXPECT_EQ(host().Beeps(), 0);

    camera_.refuseWrites = true;
    host().PushMouseDown(Center(GlobalBox(CameraSettingsLayout::ControlItem(1))));
    Run();
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(camera_.controls[1].value, 1);
}

TEST_F(CameraSettingsTest, DefaultsPutsEveryChangedSettingBack) {
    camera_.controls[0].value = 40;
    camera_.controls[1].value = 0;
    host().PushMouseDown(Center(GlobalBox(CameraSettingsLayout::kDefaultsItem)));
    Run();
    EXPECT_EQ(camera_.writes, (std::vector<std::pair<uint32_t, int32_t>>{{1, 0}, {2, 1}}));
}

TEST_F(CameraSettingsTest, ACameraWithoutSettingsSaysSo) {
    ScriptedCaptureSource bare;
    CameraSettingsLayout layout = LayoutCameraSettings({});
    ASSERT_EQ(layout.dialog.items.size(), 3u);
    EXPECT_NE(layout.dialog.items[2].text.find("no settings"), std::string::npos);
    host().PushKeyDown(kEscapeCharCode);
    RunCameraSettingsDialog(bare);
    EXPECT_EQ(FrontWindow(), nullptr);
}

struct SliderCase {
    int32_t min, max, step;
    int h;  // from the box's left edge
    int32_t expected;
};

TEST(SliderValue, FollowsTheMouseWithinTheRangeAndOnItsSteps) {
    const Rect box = MakeRect(100, 0, 310, 20);  // travel 201 pixels from h 104
    const SliderCase cases[] = {
        {-64, 64, 1, -50, -64}, {-64, 64, 1, 4, -64},   {-64, 64, 1, 205, 64},  {-64, 64, 1, 400, 64},
        {-64, 64, 1, 104, 0},   {0, 1, 1, 50, 0},       {0, 1, 1, 150, 1},      {2800, 6500, 10, 104, 4640},
        {2800, 6500, 10, 4, 2800}, {2800, 6500, 10, 5, 2820}, {2800, 6500, 1000, 150, 5800}, {5, 5, 1, 100, 5},
    };
    for (const SliderCase& c : cases) {
        CameraControl control = Slider(1, "s", c.min, c.max, c.step, c.min);
        int32_t v = SliderValueAt(control, box, box.left + c.h);
        EXPECT_EQ(v, c.expected) << c.min << ".." << c.max << " step " << c.step << " at " << c.h;
        EXPECT_EQ((v - c.min) % c.step == 0 || v == c.max, true);
    }
}

}  // namespace
