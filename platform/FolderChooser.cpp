// The folder chooser dialog on top of a FolderBrowser.
#include "platform/FolderChooser.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/Dialogs.h"
#include "platform/FolderBrowser.h"
#include "platform/NightPalette.h"
#include "platform/ToolboxDrawing.h"

namespace {

constexpr int kRowHeight = 18;
constexpr int kScrollStripWidth = 14;
constexpr uint32_t kDoubleClickTicks = 30;

DialogTemplate ChooserTemplate() {
    DialogTemplate t;
    t.title = "Choose a Folder";
    t.bounds = MakeRect(0, 0, 520, 380);
    t.centered = true;
    t.defaultItem = kFolderChooserChoose;
    t.cancelItem = kFolderChooserCancel;
    t.items = {
        {DialogItemKind::kButton, MakeRect(430, 340, 500, 362), "Choose"},
        {DialogItemKind::kButton, MakeRect(340, 340, 410, 362), "Cancel"},
        {DialogItemKind::kEditText, MakeRect(76, 16, 500, 40), ""},
        {DialogItemKind::kStaticText, MakeRect(20, 20, 72, 38), "Folder:", false},
        {DialogItemKind::kButton, MakeRect(20, 52, 100, 74), "Up"},
        {DialogItemKind::kButton, MakeRect(112, 52, 192, 74), "Open"},
        {DialogItemKind::kUserItem, MakeRect(20, 84, 500, 302), ""},
        {DialogItemKind::kStaticText, MakeRect(20, 308, 500, 336), "", false},
    };
    return t;
}

struct ChooserState {
    explicit ChooserState(const std::string& start) : browser(start) {}
    FolderBrowser browser;
    DialogPtr dialog = nullptr;
    int selected = -1;  // index into the sub-folders, -1 for none
    int firstRow = 0;   // the sub-folder shown in the list's first row
    int lastClickRow = -1;
    uint32_t lastClickTick = 0;
};

ChooserState& StateOf(DialogPtr dialog) {
    return *reinterpret_cast<ChooserState*>(GetWRefCon(GetDialogWindow(dialog)));
}

Rect ItemBox(DialogPtr dialog, int16_t item) {
    Rect r;
    GetDialogItem(dialog, item, nullptr, nullptr, &r);
    return r;
}

// The part of the list that holds rows, and the strip at its right for scrolling.
Rect RowsArea(const Rect& list) {
    return MakeRect(list.left + 1, list.top + 1, list.right - 1 - kScrollStripWidth, list.bottom - 1);
}
Rect ScrollStrip(const Rect& list) {
    return MakeRect(list.right - 1 - kScrollStripWidth, list.top + 1, list.right - 1, list.bottom - 1);
}
int VisibleRows(const Rect& list) { return RectHeight(RowsArea(list)) / kRowHeight; }

int RowCount(const ChooserState& s) { return static_cast<int>(s.browser.SubFolders().size()); }

// The thumb of the scroll strip: its share of the strip is the share of rows shown.
Rect ScrollThumb(const ChooserState& s, const Rect& list) {
    const Rect strip = ScrollStrip(list);
    const int rows = RowCount(s), shown = VisibleRows(list);
    const int height = RectHeight(strip);
    const int thumbHeight = std::max(12, height * shown / std::max(rows, 1));
    const int travel = height - thumbHeight;
    const int top = strip.top + (rows > shown ? travel * s.firstRow / (rows - shown) : 0);
    return MakeRect(strip.left + 2, top, strip.right - 2, top + thumbHeight);
}

void DrawList(DialogPtr dialog, int16_t item) {
    const ChooserState& s = StateOf(dialog);
    const Rect list = ItemBox(dialog, item);
    FillRectWith(list, night::kBackground);
    FrameRectWith(list, night::kFrame);
    const Rect rows = RowsArea(list);
    const auto& names = s.browser.SubFolders();
    if (names.empty()) {
        const Rect first = MakeRect(rows.left, rows.top, rows.right, rows.top + kRowHeight);
        DrawTextWith("(no sub-folders)", rows.left + 8, CenteredBaseline(first), night::kDimText, first);
    }
    for (int r = 0; r < VisibleRows(list); ++r) {
        const int index = s.firstRow + r;
        if (index >= RowCount(s)) break;
        const Rect row = MakeRect(rows.left, rows.top + r * kRowHeight, rows.right, rows.top + (r + 1) * kRowHeight);
        const bool selected = index == s.selected;
        if (selected) FillRectWith(row, night::kHighlight);
        DrawTextWith(names[index] + "/", row.left + 8, CenteredBaseline(row),
                     selected ? night::kHighlightText : night::kText, row);
    }
    if (RowCount(s) > VisibleRows(list)) {
        const Rect strip = ScrollStrip(list);
        LineWith(strip.left, strip.top, strip.left, strip.bottom - 1, night::kSeparator);
        FillRectWith(ScrollThumb(s, list), night::kSeparator);
    }
}

void SetText(DialogPtr dialog, int16_t item, const std::string& text) {
    ControlHandle h = nullptr;
    GetDialogItem(dialog, item, nullptr, &h, nullptr);
    Str255 s;
    CopyCStringToPascal(text, s);
    SetDialogItemText(h, s);
}

std::string GetText(DialogPtr dialog, int16_t item) {
    ControlHandle h = nullptr;
    GetDialogItem(dialog, item, nullptr, &h, nullptr);
    Str255 s;
    GetDialogItemText(h, s);
    return PascalToString(s);
}

// Tells the observer why an action was refused: the message first, then the beep.
void Refuse(ChooserState& s, const std::string& message) {
    SetText(s.dialog, kFolderChooserMessage, message);
    SysBeep(1);
}

// After moving to another folder: its path in the field, its sub-folders listed.
void ShowFolder(ChooserState& s) {
    s.selected = -1;
    s.firstRow = 0;
    s.lastClickRow = -1;
    SetText(s.dialog, kFolderChooserPath, s.browser.Folder());
    SetText(s.dialog, kFolderChooserMessage, "");
    DrawDialog(s.dialog);
}

void Select(ChooserState& s, int index) {
    const Rect list = ItemBox(s.dialog, kFolderChooserList);
    s.selected = index;
    if (index >= 0) {
        s.firstRow = std::clamp(s.firstRow, index - VisibleRows(list) + 1, index);
        SetText(s.dialog, kFolderChooserPath, s.browser.PathOf(s.browser.SubFolders()[index]));
    }
    SetText(s.dialog, kFolderChooserMessage, "");
    DrawDialog(s.dialog);
}

void MoveSelection(ChooserState& s, int delta) {
    if (RowCount(s) == 0) return;
    const int from = s.selected < 0 ? (delta > 0 ? -1 : RowCount(s)) : s.selected;
    Select(s, std::clamp(from + delta, 0, RowCount(s) - 1));
}

void GoUp(ChooserState& s) {
    if (s.browser.GoUp()) {
        ShowFolder(s);
    } else {
        SysBeep(1);
    }
}

// Opens the folder named in the path field (a listed folder once selected).
void OpenTyped(ChooserState& s) {
    std::string message;
    if (s.browser.GoTo(GetText(s.dialog, kFolderChooserPath), &message)) {
        ShowFolder(s);
    } else {
        Refuse(s, message);
    }
}

void Scroll(ChooserState& s, int rows) {
    const Rect list = ItemBox(s.dialog, kFolderChooserList);
    s.firstRow = std::clamp(s.firstRow + rows, 0, std::max(0, RowCount(s) - VisibleRows(list)));
    DrawDialog(s.dialog);
}

// A press in the list: selects a row, opens it on a double click, or scrolls a page
// when it is in the strip.
void PressInList(ChooserState& s) {
    GrafPtr saved = nullptr;
    GetPort(&saved);
    SetPort(GetDialogPort(s.dialog));
    Point p;
    GetMouse(&p);
    SetPort(saved);
    while (StillDown()) {
    }
    const Rect list = ItemBox(s.dialog, kFolderChooserList);
    const Rect strip = ScrollStrip(list);
    if (PtInRect(p, &strip)) {
        const Rect thumb = ScrollThumb(s, list);
        if (p.v < thumb.top) Scroll(s, -VisibleRows(list));
        if (p.v >= thumb.bottom) Scroll(s, VisibleRows(list));
        return;
    }
    const int index = s.firstRow + (p.v - RowsArea(list).top) / kRowHeight;
    if (index >= RowCount(s)) {
        Select(s, -1);
        return;
    }
    const uint32_t now = TickCount();
    if (index == s.lastClickRow && now - s.lastClickTick <= kDoubleClickTicks) {
        if (s.browser.Enter(s.browser.SubFolders()[index])) ShowFolder(s);
        return;
    }
    s.lastClickRow = index;
    s.lastClickTick = now;
    Select(s, index);
}

// Arrow keys work the list before the path field sees them.
bool ChooserFilter(DialogPtr dialog, EventRecord* event, int16_t*) {
    if (event->what != keyDown && event->what != autoKey) return false;
    ChooserState& s = StateOf(dialog);
    const unsigned char c = static_cast<unsigned char>(event->message & charCodeMask);
    const bool command = (event->modifiers & cmdKey) != 0;
    if (c == kUpArrowCharCode) {
        command ? GoUp(s) : MoveSelection(s, -1);
    } else if (c == kDownArrowCharCode) {
        command ? OpenTyped(s) : MoveSelection(s, 1);
    } else {
        return false;
    }
    event->what = nullEvent;  // used up here
    return false;
}

// Whether the folder in the path field may be chosen; if so, its path.
bool TryChoose(ChooserState& s, std::string& chosen) {
    const std::string path = s.browser.Resolve(GetText(s.dialog, kFolderChooserPath));
    std::string message;
    if (FolderBrowser::Check(path, &message) != FolderBrowser::Verdict::kChoosable) {
        Refuse(s, message);
        return false;
    }
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    chosen = error ? path : real.string();
    return true;
}

}  // namespace

bool RunFolderChooser(std::string& folder) {
    GrafPtr savedPort = nullptr;
    GetPort(&savedPort);
    ChooserState state(folder);
    state.dialog = NewDialogFromTemplate(ChooserTemplate(), kInFront);
    SetWRefCon(GetDialogWindow(state.dialog), reinterpret_cast<long>(&state));
    SetUserItemDrawProc(state.dialog, kFolderChooserList, DrawList);
    SetText(state.dialog, kFolderChooserPath, state.browser.Folder());
    ShowWindow(GetDialogWindow(state.dialog));

    bool chosen = false;
    for (bool done = false; !done;) {
        int16_t hit = 0;
        ModalDialog(ChooserFilter, &hit);
        switch (hit) {
            case kFolderChooserChoose: {
                std::string path;
                if (TryChoose(state, path)) {
                    folder = path;
                    chosen = done = true;
                }
                break;
            }
            case kFolderChooserCancel: done = true; break;
            case kFolderChooserUp: GoUp(state); break;
            case kFolderChooserOpen: OpenTyped(state); break;
            case kFolderChooserList: PressInList(state); break;
            default: break;
        }
    }
    DisposeDialog(state.dialog);
    SetPort(savedPort);
    return chosen;
}

Rect FolderChooserItemBounds(int16_t item) {
    const DialogTemplate t = ChooserTemplate();
    if (item < 1 || item > static_cast<int16_t>(t.items.size())) return Rect{};
    const Rect content = DialogContentBounds(t);
    return OffsetRectCopy(t.items[item - 1].bounds, content.left, content.top);
}

Rect FolderChooserRowBounds(int row) {
    const Rect rows = RowsArea(FolderChooserItemBounds(kFolderChooserList));
    return MakeRect(rows.left, rows.top + row * kRowHeight, rows.right, rows.top + (row + 1) * kRowHeight);
}
