// Events in dialogs: the modal loop, and the routing of a modeless dialog's events.
// Presses on controls are followed until the release; typing goes to the editable
// text that has the focus.
#include <algorithm>

#include "platform/DialogInternals.h"
#include "platform/ToolboxState.h"

namespace {

// Ticks the modal loop sleeps when nothing happens.
constexpr uint32_t kModalSleepTicks = 2;

Point MouseNow() {
    Host* host = CurrentHost();
    return host != nullptr ? host->PeekMouse().where : Point{};
}

Point ToLocal(const DialogRecord& dialog, Point global) {
    return Point{int16_t(global.v - dialog.window->origin.v), int16_t(global.h - dialog.window->origin.h)};
}

bool IsUsable(const DialogItem* item) { return item != nullptr && item->visible && item->enabled; }

// Follows a press on a button, check box or radio button: shown pressed while the
// mouse is over it; true when released over it.
bool TrackControl(DialogItem& item) {
    const DialogRecord& dialog = *item.owner;
    bool inside = true;
    RefreshDialogItem(item, true);
    while (StillDown()) {
        const Point p = ToLocal(dialog, MouseNow());
        const bool now = PtInRect(p, &item.bounds);
        if (now != inside) {
            inside = now;
            RefreshDialogItem(item, inside);
        }
    }
    const Point end = ToLocal(dialog, MouseNow());
    inside = PtInRect(end, &item.bounds);
    RefreshDialogItem(item, false);
    return inside;
}

// Pops the menu up over the control with its present value under the mouse; true when
// an item was chosen (the value is then that item).
bool TrackPopup(DialogItem& item) {
    const Point origin = item.owner->window->origin;
    RefreshDialogItem(item, true);
    const long choice = PopUpMenuSelect(item.menu.get(), static_cast<int16_t>(item.bounds.top + origin.v),
                                        static_cast<int16_t>(item.bounds.left + origin.h), item.value);
    if (choice == 0) {
        RefreshDialogItem(item, false);
        return false;
    }
    item.value = static_cast<int16_t>(choice & 0xFFFF);
    RefreshDialogItem(item, false);
    return true;
}

void MoveFocus(DialogRecord& dialog, int16_t itemNo) {
    if (dialog.focusItem == itemNo) return;
    DialogItem* old = DialogItemOf(&dialog, dialog.focusItem);
    dialog.focusItem = itemNo;
    if (old != nullptr) RefreshDialogItem(*old);
}

// Places the caret at the press and selects while the mouse is dragged.
void TrackEditText(DialogItem& item, Point local, uint16_t modifiers) {
    DialogRecord& dialog = *item.owner;
    MoveFocus(dialog, item.number);
    item.edit.ClickAt(EditTextIndexAt(item, local.h), (modifiers & shiftKey) != 0);
    RefreshDialogItem(item);
    while (StillDown()) {
        const int index = EditTextIndexAt(item, ToLocal(dialog, MouseNow()).h);
        if (index == item.edit.Caret()) continue;
        item.edit.DragTo(index);
        RefreshDialogItem(item);
    }
}

// A press in the dialog at a local point; the item to report, 0 for none.
int16_t HandlePress(DialogRecord& dialog, Point local, uint16_t modifiers) {
    DialogItem* item = DialogItemAt(dialog, local);
    if (item == nullptr) return 0;
    switch (item->kind) {
        case DialogItemKind::kButton:
        case DialogItemKind::kCheckBox:
        case DialogItemKind::kRadioButton:
            return item->enabled && TrackControl(*item) ? item->number : 0;
        case DialogItemKind::kPopup:
            return item->enabled && TrackPopup(*item) ? item->number : 0;
        case DialogItemKind::kEditText:
            TrackEditText(*item, local, modifiers);
            return item->enabled ? item->number : 0;
        case DialogItemKind::kUserItem:
        case DialogItemKind::kStaticText:
            // The program follows presses on its own items itself.
            return item->enabled ? item->number : 0;
    }
    return 0;
}

// Tab moves the focus to the next editable text (shift: the previous one), all of
// its text selected.
void TabToNextField(DialogRecord& dialog, bool backwards) {
    const int count = static_cast<int>(dialog.items.size());
    for (int step = 1; step <= count; ++step) {
        const int offset = backwards ? count - step : step;
        const int index = (std::max(dialog.focusItem - 1, 0) + offset) % count;
        DialogItem& item = *dialog.items[index];
        if (item.kind != DialogItemKind::kEditText || !item.visible) continue;
        MoveFocus(dialog, item.number);
        item.edit.SelectAll();
        RefreshDialogItem(item);
        return;
    }
}

// A key for the focused editable text; the item to report when its text changed.
int16_t HandleTyping(DialogRecord& dialog, unsigned char c, uint16_t modifiers) {
    DialogItem* field = DialogItemOf(&dialog, dialog.focusItem);
    if (field == nullptr || !field->visible) return 0;
    if (c == kTabCharCode) {
        TabToNextField(dialog, (modifiers & shiftKey) != 0);
        return 0;
    }
    const EditText::KeyResult result = field->edit.HandleKey(c, modifiers);
    if (result == EditText::KeyResult::kIgnored) return 0;
    RefreshDialogItem(*field);
    return result == EditText::KeyResult::kChanged && field->enabled ? field->number : 0;
}

int16_t HandleModalKey(DialogRecord& dialog, const EventRecord& event) {
    const unsigned char c = static_cast<unsigned char>(event.message & charCodeMask);
    const bool command = (event.modifiers & cmdKey) != 0;
    if ((c == kReturnCharCode || c == kEnterCharCode) && !command) {
        DialogItem* item = DialogItemOf(&dialog, dialog.defaultItem);
        return IsUsable(item) ? item->number : 0;
    }
    if (c == kEscapeCharCode || (command && c == '.')) {
        DialogItem* item = DialogItemOf(&dialog, dialog.cancelItem);
        return IsUsable(item) ? item->number : 0;
    }
    return HandleTyping(dialog, c, event.modifiers);
}

int16_t HandleModalEvent(DialogRecord& dialog, const EventRecord& event) {
    switch (event.what) {
        case mouseDown: {
            WindowPtr window = nullptr;
            const int16_t part = FindWindow(event.where, &window);
            if (window == dialog.window && part == inContent)
                return HandlePress(dialog, ToLocal(dialog, event.where), event.modifiers);
            if (window == dialog.window && part == inDrag) {
                const Rect screen = GetMainScreenBounds();
                DragWindow(window, event.where, &screen);
                return 0;
            }
            SysBeep(1);  // the dialog must be answered first
            return 0;
        }
        case keyDown:
        case autoKey: return HandleModalKey(dialog, event);
        default: return 0;
    }
}

void RedrawIfDue(DialogRecord& dialog) {
    if (!dialog.window->updatePending) return;
    BeginUpdate(dialog.window);
    DrawDialog(&dialog);
    EndUpdate(dialog.window);
}

}  // namespace

void ModalDialog(ModalFilterProcPtr filter, int16_t* itemHit) {
    int16_t hit = 0;
    DialogPtr dialog = GetDialogFromWindow(FrontWindow());
    while (dialog != nullptr) {
        RedrawIfDue(*dialog);
        // Other windows' updates stay queued for the program until the dialog ends.
        EventRecord event;
        WaitNextEvent(everyEvent & ~(1u << updateEvt), &event, kModalSleepTicks, nullptr);
        if (filter != nullptr && filter(dialog, &event, &hit)) break;
        hit = HandleModalEvent(*dialog, event);
        if (hit != 0) break;
    }
    if (itemHit != nullptr) *itemHit = hit;
}

bool IsDialogEvent(const EventRecord& event) {
    switch (event.what) {
        case mouseDown: {
            WindowPtr window = nullptr;
            return FindWindow(event.where, &window) == inContent && GetDialogFromWindow(window) != nullptr;
        }
        case updateEvt:
        case activateEvt: return GetDialogFromWindow(WindowFromReference(event.message)) != nullptr;
        case keyDown:
        case autoKey: return GetDialogFromWindow(FrontWindow()) != nullptr;
        default: return false;
    }
}

bool DialogSelect(const EventRecord& event, DialogPtr* dialogOut, int16_t* itemHit) {
    DialogPtr dialog = nullptr;
    int16_t hit = 0;
    switch (event.what) {
        case mouseDown: {
            WindowPtr window = nullptr;
            if (FindWindow(event.where, &window) == inContent) dialog = GetDialogFromWindow(window);
            if (dialog != nullptr) hit = HandlePress(*dialog, ToLocal(*dialog, event.where), event.modifiers);
            break;
        }
        case keyDown:
        case autoKey:
            dialog = GetDialogFromWindow(FrontWindow());
            if (dialog != nullptr)
                hit = HandleTyping(*dialog, static_cast<unsigned char>(event.message & charCodeMask), event.modifiers);
            break;
        case updateEvt:
        case activateEvt:
            dialog = GetDialogFromWindow(WindowFromReference(event.message));
            if (dialog != nullptr) {
                BeginUpdate(dialog->window);
                DrawDialog(dialog);
                EndUpdate(dialog->window);
            }
            break;
        default: break;
    }
    if (dialogOut != nullptr) *dialogOut = dialog;
    if (itemHit != nullptr) *itemHit = hit;
    return hit != 0;
}
