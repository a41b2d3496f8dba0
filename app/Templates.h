// The window, dialog, menu and picture templates of the program, registered with the
// toolbox by id before anything is created from them.
#pragma once

// Window templates: 128 raw frame, 129 level-adjusted frame, 130 channels, 131 data,
// 132 focus aid.
void RegisterWindowTemplates();

// Everything: call once after the toolbox has started.
void RegisterAllTemplates();
