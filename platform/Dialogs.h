// Dialogs: windows whose items (buttons, check boxes, radio buttons, pop-up menus,
// static and editable text, and user items the program draws itself) the toolbox draws
// and operates. Modal dialogs run in ModalDialog; a modeless dialog takes its events
// through IsDialogEvent and DialogSelect. Items are numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/Windows.h"

enum class DialogItemKind : uint8_t {
    kUserItem,     // an area the program draws and handles; a press reports it at once
    kButton,
    kCheckBox,     // value 0 or 1; the program turns it on and off
    kRadioButton,  // value 0 or 1; the program keeps its group
    kPopup,        // value: the item chosen in its menu (menuId)
    kStaticText,   // wrapped at the item's width; "\n" starts a new line
    kEditText,     // one line, at most 255 characters
};

struct DialogItemTemplate {
    DialogItemKind kind = DialogItemKind::kStaticText;
    Rect bounds;       // in the dialog's own coordinates
    std::string text;  // title, text, or initial contents
    bool enabled = true;  // a hit on a disabled item is not reported
    int16_t menuId = 0;   // pop-ups: the menu template of their choices
    int16_t value = 0;    // initial value of check boxes, radio buttons and pop-ups
};

struct DialogTemplate {
    int16_t id = 0;
    Rect bounds;     // content rectangle in global coordinates; only its size counts when centered
    std::string title;
    bool visible = false;
    bool centered = true;      // placed in the middle of the main screen, a little high
    int16_t defaultItem = 1;   // Return and Enter hit it; 0 for none
    int16_t cancelItem = 0;    // Escape hits it; 0 for none
    std::vector<DialogItemTemplate> items;
};

// Templates are registered by the program (or a toolbox component) before use.
void RegisterDialogTemplate(const DialogTemplate& t);

struct DialogRecord;
using DialogPtr = DialogRecord*;
using DialogRef = DialogRecord*;
struct DialogItem;
using ControlHandle = DialogItem*;
using ControlRef = DialogItem*;
using DialogItemIndex = int16_t;

// Item types as GetDialogItem reports them; kItemDisableBit is added for disabled items.
enum : int16_t {
    kUserDialogItem = 0,
    kButtonDialogItem = 4,
    kCheckBoxDialogItem = 5,
    kRadioButtonDialogItem = 6,
    kResourceControlDialogItem = 7,
    kStaticTextDialogItem = 8,
    kEditTextDialogItem = 16,
    kItemDisableBit = 128,
};

// A dialog from template id (null when unknown), placed behind `behind` (kInFront or
// null: in front of all windows); shown at once only when the template says so.
DialogPtr GetNewDialog(int16_t id, void* storage, WindowPtr behind);
DialogPtr NewDialogFromTemplate(const DialogTemplate& t, WindowPtr behind);
void DisposeDialog(DialogPtr dialog);
// Where a dialog made from t has its content (global coordinates).
Rect DialogContentBounds(const DialogTemplate& t);

WindowPtr GetDialogWindow(DialogPtr dialog);
CGrafPtr GetDialogPort(DialogPtr dialog);
// The dialog a window belongs to, or null.
DialogPtr GetDialogFromWindow(WindowPtr window);

// Draws every shown item. The rest of the window is left as the program drew it.
void DrawDialog(DialogPtr dialog);

// A user item's drawing procedure, called with the dialog's port current whenever the
// dialog draws its items.
using UserItemProcPtr = void (*)(DialogPtr dialog, int16_t itemNo);
void SetUserItemDrawProc(DialogPtr dialog, int16_t itemNo, UserItemProcPtr proc);

int16_t CountDITL(DialogPtr dialog);
// Any of type, item and box may be null. An item number outside the dialog gives type
// kUserDialogItem, a null item and an empty box.
void GetDialogItem(DialogPtr dialog, int16_t itemNo, int16_t* type, ControlHandle* item, Rect* box);
void GetDialogItemText(ControlHandle item, Str255 text);
// Sets an item's text (cut at 255 characters) and redraws it; editable text becomes
// all selected.
void SetDialogItemText(ControlHandle item, ConstStr255Param text);
void SelectDialogItemText(DialogPtr dialog, int16_t itemNo, int16_t start, int16_t end);

// Check boxes and radio buttons hold 0 or 1, pop-ups the number of the chosen menu
// item; values are kept within that range.
int16_t GetControlValue(ControlHandle control);
void SetControlValue(ControlHandle control, int16_t value);

void HideDialogItem(DialogPtr dialog, int16_t itemNo);
void ShowDialogItem(DialogPtr dialog, int16_t itemNo);

// The item that Return and Enter hit (ringed), and the one Escape hits; 0 for none.
OSErr SetDialogDefaultItem(DialogPtr dialog, int16_t itemNo);
OSErr SetDialogCancelItem(DialogPtr dialog, int16_t itemNo);
// The editable text item that takes typing, 0 for none.
int16_t GetDialogKeyboardFocusItem(DialogPtr dialog);

// A filter sees each event first; returning true ends ModalDialog with *itemHit.
using ModalFilterProcPtr = bool (*)(DialogPtr dialog, EventRecord* event, int16_t* itemHit);
using ModalFilterUPP = ModalFilterProcPtr;

// Runs the front dialog until one of its enabled items is hit, and reports that item:
// a click on a button, check box, radio button, pop-up (after a choice) or user item,
// typing into an editable text, Return or Enter for the default item, Escape for the
// cancel item. Clicks outside the dialog beep.
void ModalDialog(ModalFilterProcPtr filter, int16_t* itemHit);

// Whether the event belongs to a dialog: a press in a dialog's content, an update or
// activation of a dialog's window, a key while a dialog is the front window.
bool IsDialogEvent(const EventRecord& event);
// Handles a dialog event; names the dialog and the item hit (0 for none) and returns
// whether an enabled item was hit. Updates redraw the items and return false.
bool DialogSelect(const EventRecord& event, DialogPtr* dialog, int16_t* itemHit);
