// The dialog manager's records, shared by the dialog files. Internal to platform/.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/EditText.h"
#include "platform/Menus.h"

struct DialogItem {
    DialogRecord* owner = nullptr;
    int16_t number = 0;
    DialogItemKind kind = DialogItemKind::kStaticText;
    Rect bounds;
    std::string text;      // titles and static text; editable text lives in edit
    bool enabled = true;
    bool visible = true;
    int16_t value = 0;
    std::unique_ptr<Menu> menu;  // pop-ups: their own copy of the menu
    EditText edit;              // editable text
    int scroll = 0;             // editable text: pixels scrolled out at the left
    UserItemProcPtr drawProc = nullptr;  // user items
};

struct DialogRecord {
    WindowPtr window = nullptr;
    int16_t templateId = 0;
    std::vector<std::unique_ptr<DialogItem>> items;
    int16_t defaultItem = 0;
    int16_t cancelItem = 0;
    int16_t focusItem = 0;  // the editable text that takes typing
};

struct DialogManager {
    std::vector<std::unique_ptr<DialogRecord>> dialogs;
};

DialogManager& TheDialogManager();
bool IsLiveDialog(DialogPtr dialog);
// The item, or null when the number is outside the dialog.
DialogItem* DialogItemOf(DialogPtr dialog, int16_t itemNo);
// The shown item under a point in the dialog's coordinates, null for none. Later items
// lie over earlier ones.
DialogItem* DialogItemAt(DialogRecord& dialog, Point local);
// The range a control's value is kept in.
int16_t ControlMinimum(const DialogItem& item);
int16_t ControlMaximum(const DialogItem& item);

// Drawing (DialogDrawing.cpp). An item draws only inside its bounds, except the ring
// around the default button just outside them.
void DrawDialogItem(DialogItem& item, bool pressed = false);
// Redraws an item at once when its dialog is shown.
void RefreshDialogItem(DialogItem& item, bool pressed = false);
// Erases what an item covers (its ring included) to the dialog's background.
void EraseDialogItem(DialogItem& item);
// The character boundary of an editable text nearest to the dialog point's column.
int EditTextIndexAt(const DialogItem& item, int h);
// Paints a new dialog window's whole content in the background colour.
void PaintDialogBackground(DialogRecord& dialog);
