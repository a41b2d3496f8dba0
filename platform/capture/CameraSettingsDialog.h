// The camera settings dialog: one row for each of the camera's controls, a slider for
// a number (with its value beside it), a check box for an on/off setting, a pop-up for
// a choice. Every change goes to the camera at once, so the picture shows it; "Done"
// (or Return, or Escape) closes the dialog, "Defaults" puts every setting back to the
// camera's default. Controls the camera does not let change are shown dimmed.
#pragma once

#include <vector>

#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/capture/CaptureSource.h"

struct CameraSettingsLayout {
    static constexpr int16_t kDialogId = 134;
    // Pop-up menus get ids from here on, one a control.
    static constexpr int16_t kFirstMenuId = 300;
    static constexpr int16_t kDoneItem = 1;
    static constexpr int16_t kDefaultsItem = 2;
    // Each control has three items from 3 on: its own, its label, its value text.
    static int16_t ControlItem(size_t row) { return static_cast<int16_t>(3 + 3 * row); }
    static int16_t ValueItem(size_t row) { return static_cast<int16_t>(5 + 3 * row); }

    DialogTemplate dialog;
    std::vector<MenuTemplate> menus;
};

// The dialog for these controls (and the menus of its pop-ups).
CameraSettingsLayout LayoutCameraSettings(const std::vector<CameraControl>& controls);

// Runs the dialog on the source's controls until it is closed.
void RunCameraSettingsDialog(CaptureSource& source);

// The value a slider in box gives for the mouse at h, kept within the control's range
// and on its steps.
int32_t SliderValueAt(const CameraControl& control, const Rect& box, int h);
