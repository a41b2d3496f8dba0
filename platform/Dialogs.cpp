// The dialog manager: dialog templates, making and disposing dialogs, and the item
// calls the program makes on them.
#include "platform/Dialogs.h"

#include <algorithm>
#include <map>

#include "platform/DialogInternals.h"
#include "platform/MenuInternals.h"
#include "platform/NightPalette.h"
#include "platform/ToolboxDrawing.h"
#include "platform/ToolboxState.h"

namespace {

std::map<int16_t, DialogTemplate>& DialogTemplates() {
    static std::map<int16_t, DialogTemplate> templates;
    return templates;
}

// Centred across the screen and a little above the middle, below the menu bar.
Rect CenteredBounds(const Rect& bounds) {
    const Rect screen = GetMainScreenBounds();
    const int width = RectWidth(bounds), height = RectHeight(bounds);
    const int left = screen.left + std::max(0, (RectWidth(screen) - width) / 2);
    const int top = std::max<int>(screen.top + kMenuBarHeight + kTitleBarHeight + 8,
                                  screen.top + (RectHeight(screen) - height) / 3);
    return MakeRect(left, top, left + width, top + height);
}

std::unique_ptr<DialogItem> MakeItem(DialogRecord& owner, int16_t number, const DialogItemTemplate& t) {
    auto item = std::make_unique<DialogItem>();
    item->owner = &owner;
    item->number = number;
    item->kind = t.kind;
    item->bounds = t.bounds;
    item->enabled = t.enabled;
    if (t.kind == DialogItemKind::kEditText) {
        item->edit.SetText(t.text);
    } else {
        item->text = t.text;
    }
    if (t.kind == DialogItemKind::kPopup) item->menu = MakeMenuFromTemplate(t.menuId);
    item->value = std::clamp(t.value, ControlMinimum(*item), ControlMaximum(*item));
    return item;
}

int16_t FirstEditText(const DialogRecord& dialog) {
    for (const auto& item : dialog.items)
        if (item->kind == DialogItemKind::kEditText && item->visible) return item->number;
    return 0;
}

// The dialog port's own colours: the program's drawing into a dialog shows in the
// night palette unless it picks colours itself.
void SetNightColours(GrafPort& port) {
    port.fgColor = night::kText;
    port.bkColor = night::kBackground;
    port.txSize = kToolboxTextSize;
}

}  // namespace

DialogManager& TheDialogManager() {
    auto& slot = Toolbox().dialogs;
    if (!slot) slot = std::make_shared<DialogManager>();
    return *slot;
}

bool IsLiveDialog(DialogPtr dialog) {
    if (dialog == nullptr) return false;
    const auto& list = TheDialogManager().dialogs;
    return std::any_of(list.begin(), list.end(), [dialog](const auto& d) { return d.get() == dialog; });
}

void RegisterDialogTemplate(const DialogTemplate& t) { DialogTemplates()[t.id] = t; }

Rect DialogContentBounds(const DialogTemplate& t) { return t.centered ? CenteredBounds(t.bounds) : t.bounds; }

DialogPtr GetNewDialog(int16_t id, void*, WindowPtr behind) {
    auto it = DialogTemplates().find(id);
    if (it == DialogTemplates().end()) return nullptr;
    return NewDialogFromTemplate(it->second, behind);
}

DialogPtr NewDialogFromTemplate(const DialogTemplate& t, WindowPtr behind) {
    auto dialog = std::make_unique<DialogRecord>();
    dialog->templateId = t.id;
    for (size_t i = 0; i < t.items.size(); ++i)
        dialog->items.push_back(MakeItem(*dialog, static_cast<int16_t>(i + 1), t.items[i]));
    const int16_t count = static_cast<int16_t>(t.items.size());
    dialog->defaultItem = t.defaultItem >= 1 && t.defaultItem <= count ? t.defaultItem : 0;
    dialog->cancelItem = t.cancelItem >= 1 && t.cancelItem <= count ? t.cancelItem : 0;
    dialog->focusItem = FirstEditText(*dialog);

    WindowTemplate w;
    w.id = t.id;
    w.bounds = DialogContentBounds(t);
    w.title = t.title;
    w.visible = false;
    w.hasCloseBox = false;
    dialog->window = NewWindowFromTemplate(w, WindowRole::kDialog, behind);
    dialog->window->dialog = dialog.get();
    SetNightColours(*dialog->window);
    PaintDialogBackground(*dialog);

    DialogPtr result = dialog.get();
    TheDialogManager().dialogs.push_back(std::move(dialog));
    if (t.visible) ShowWindow(result->window);
    return result;
}

void DisposeDialog(DialogPtr dialog) {
    if (!IsLiveDialog(dialog)) return;
    DisposeWindow(dialog->window);
    auto& list = TheDialogManager().dialogs;
    list.erase(std::find_if(list.begin(), list.end(), [dialog](const auto& d) { return d.get() == dialog; }));
}

WindowPtr GetDialogWindow(DialogPtr dialog) { return IsLiveDialog(dialog) ? dialog->window : nullptr; }

CGrafPtr GetDialogPort(DialogPtr dialog) { return GetDialogWindow(dialog); }

DialogPtr GetDialogFromWindow(WindowPtr window) {
    if (window == nullptr || window->dialog == nullptr || !IsLiveDialog(window->dialog)) return nullptr;
    return window->dialog;
}

DialogItem* DialogItemOf(DialogPtr dialog, int16_t itemNo) {
    if (!IsLiveDialog(dialog) || itemNo < 1 || itemNo > static_cast<int>(dialog->items.size())) return nullptr;
    return dialog->items[itemNo - 1].get();
}

DialogItem* DialogItemAt(DialogRecord& dialog, Point local) {
    for (auto it = dialog.items.rbegin(); it != dialog.items.rend(); ++it) {
        DialogItem& item = **it;
        if (item.visible && PtInRect(local, &item.bounds)) return &item;
    }
    return nullptr;
}

int16_t ControlMinimum(const DialogItem& item) { return item.kind == DialogItemKind::kPopup ? 1 : 0; }

int16_t ControlMaximum(const DialogItem& item) {
    switch (item.kind) {
        case DialogItemKind::kCheckBox:
        case DialogItemKind::kRadioButton: return 1;
        case DialogItemKind::kPopup: return item.menu ? std::max<int16_t>(1, CountMenuItems(item.menu.get())) : 1;
        default: return 0;
    }
}

int16_t CountDITL(DialogPtr dialog) {
    return IsLiveDialog(dialog) ? static_cast<int16_t>(dialog->items.size()) : 0;
}

namespace {
int16_t ItemType(const DialogItem& item) {
    int16_t type = kUserDialogItem;
    switch (item.kind) {
        case DialogItemKind::kUserItem: type = kUserDialogItem; break;
        case DialogItemKind::kButton: type = kButtonDialogItem; break;
        case DialogItemKind::kCheckBox: type = kCheckBoxDialogItem; break;
        case DialogItemKind::kRadioButton: type = kRadioButtonDialogItem; break;
        case DialogItemKind::kPopup: type = kResourceControlDialogItem; break;
        case DialogItemKind::kStaticText: type = kStaticTextDialogItem; break;
        case DialogItemKind::kEditText: type = kEditTextDialogItem; break;
    }
    return item.enabled ? type : static_cast<int16_t>(type | kItemDisableBit);
}
}  // namespace

void GetDialogItem(DialogPtr dialog, int16_t itemNo, int16_t* type, ControlHandle* handle, Rect* box) {
    DialogItem* item = DialogItemOf(dialog, itemNo);
    if (type != nullptr) *type = item != nullptr ? ItemType(*item) : int16_t{kUserDialogItem};
    if (handle != nullptr) *handle = item;
    if (box != nullptr) *box = item != nullptr ? item->bounds : Rect{};
}

void GetDialogItemText(ControlHandle item, Str255 text) {
    if (item == nullptr) {
        text[0] = 0;
        return;
    }
    CopyCStringToPascal(item->kind == DialogItemKind::kEditText ? item->edit.Text() : item->text, text);
}

void SetDialogItemText(ControlHandle item, ConstStr255Param text) {
    if (item == nullptr || text == nullptr) return;
    if (item->kind == DialogItemKind::kEditText) {
        item->edit.SetText(PascalToString(text));
        item->scroll = 0;
    } else {
        item->text = PascalToString(text);
    }
    RefreshDialogItem(*item);
}

void SelectDialogItemText(DialogPtr dialog, int16_t itemNo, int16_t start, int16_t end) {
    DialogItem* item = DialogItemOf(dialog, itemNo);
    if (item == nullptr || item->kind != DialogItemKind::kEditText) return;
    const int16_t oldFocus = dialog->focusItem;
    dialog->focusItem = itemNo;
    item->edit.Select(start, end);
    if (DialogItem* old = DialogItemOf(dialog, oldFocus); old != nullptr && old != item) RefreshDialogItem(*old);
    RefreshDialogItem(*item);
}

int16_t GetControlValue(ControlHandle control) { return control != nullptr ? control->value : 0; }

void SetControlValue(ControlHandle control, int16_t value) {
    if (control == nullptr) return;
    control->value = std::clamp(value, ControlMinimum(*control), ControlMaximum(*control));
    RefreshDialogItem(*control);
}

void HideDialogItem(DialogPtr dialog, int16_t itemNo) {
    DialogItem* item = DialogItemOf(dialog, itemNo);
    if (item == nullptr || !item->visible) return;
    if (IsWindowVisible(dialog->window)) EraseDialogItem(*item);
    item->visible = false;
    if (dialog->focusItem == itemNo) dialog->focusItem = FirstEditText(*dialog);
}

void ShowDialogItem(DialogPtr dialog, int16_t itemNo) {
    DialogItem* item = DialogItemOf(dialog, itemNo);
    if (item == nullptr || item->visible) return;
    item->visible = true;
    if (dialog->focusItem == 0) dialog->focusItem = FirstEditText(*dialog);
    RefreshDialogItem(*item);
}

OSErr SetDialogDefaultItem(DialogPtr dialog, int16_t itemNo) {
    if (!IsLiveDialog(dialog) || itemNo < 0 || itemNo > CountDITL(dialog)) return paramErr;
    DialogItem* old = DialogItemOf(dialog, dialog->defaultItem);
    dialog->defaultItem = itemNo;
    // The ring moves: the old default loses it, the new one gets it.
    if (old != nullptr) {
        if (IsWindowVisible(dialog->window)) EraseDialogItem(*old);
        RefreshDialogItem(*old);
    }
    if (DialogItem* item = DialogItemOf(dialog, itemNo)) RefreshDialogItem(*item);
    return noErr;
}

OSErr SetDialogCancelItem(DialogPtr dialog, int16_t itemNo) {
    if (!IsLiveDialog(dialog) || itemNo < 0 || itemNo > CountDITL(dialog)) return paramErr;
    dialog->cancelItem = itemNo;
    return noErr;
}

int16_t GetDialogKeyboardFocusItem(DialogPtr dialog) { return IsLiveDialog(dialog) ? dialog->focusItem : 0; }
