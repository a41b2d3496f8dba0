#include "app/Templates.h"

#include "platform/Toolbox.h"

namespace {

WindowTemplate MakeWindowTemplate(int16_t id, const char* title, Rect bounds, bool grow, bool zoom) {
    WindowTemplate t;
    t.id = id;
    t.title = title;
    t.bounds = bounds;
    t.visible = false;
    t.hasCloseBox = true;
    t.hasGrowBox = grow;
    t.hasZoomBox = zoom;
    return t;
}

}  // namespace

void RegisterWindowTemplates() {
    // Content rectangles in screen coordinates, below the menu bar and title bars.
    RegisterWindowTemplate(MakeWindowTemplate(128, "Raw Frame", MakeRect(8, 44, 328, 284), true, true));
    RegisterWindowTemplate(
        MakeWindowTemplate(129, "Level Adjusted Frame", MakeRect(340, 44, 980, 524), true, true));
    RegisterWindowTemplate(MakeWindowTemplate(130, "Channels", MakeRect(992, 44, 1152, 404), false, false));
    RegisterWindowTemplate(MakeWindowTemplate(131, "Data", MakeRect(8, 320, 318, 620), false, false));
    RegisterWindowTemplate(MakeWindowTemplate(132, "Focus Aid", MakeRect(1164, 44, 1564, 364), false, false));
}

void RegisterAllTemplates() {
    RegisterWindowTemplates();
    RegisterMenuTemplates();
    RegisterDialogTemplates();
    RegisterPictureTemplates();
}
