// The window, dialog, menu and picture templates of the program, registered with the
// toolbox by id before anything is created from them.
#pragma once

#include <cstdint>

// The pop-up menu of the serial-port dialog: what a port is used for, items 1 to 13.
constexpr int16_t kPortUseMenuId = 200;

// Window templates: 128 raw frame, 129 level-adjusted frame, 130 channels, 131 data,
// 132 focus aid.
void RegisterWindowTemplates();

// Menu bar 128 with menus 128 (application), 129 File, 130 Edit, 131 De-Bayer,
// 132 Misc and 133 View, and the pop-up menu of the serial-port dialog.
void RegisterMenuTemplates();

// Dialog templates: 128 about box, 129 histograms (modeless), 130 file names,
// 131 no camera, 132 serial ports, 133 batch capture.
void RegisterDialogTemplates();

// Pictures: 129 the dark-cutoff thumb and 130 the light-cutoff thumb (11 x 6; 130 is
// also the integer slider's thumb), 131 the gamma thumb (6 x 11).
void RegisterPictureTemplates();

// Everything: call once after the toolbox has started.
void RegisterAllTemplates();
