// Drawing of dialog items in the night palette. Each item draws inside its own
// bounds (the default button's ring just outside them), so what the program draws
// around the items stays.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/DialogInternals.h"
#include "platform/NightPalette.h"
#include "platform/PortStateSaver.h"
#include "platform/ToolboxDrawing.h"

namespace {

constexpr int kMarkSize = 12;         // check boxes and radio buttons
constexpr int kTitleAfterMark = 18;   // from the mark's left edge to its title
constexpr int kRingOutset = 4;        // the default button's ring
constexpr int kEditInset = 4;         // from an editable text's frame to its text
constexpr int kLineGap = 2;           // between lines of static text

bool IsDefaultButton(const DialogItem& item) {
    return item.kind == DialogItemKind::kButton && item.owner->defaultItem == item.number;
}

Rect RingRect(const DialogItem& item) {
    Rect r = item.bounds;
    InsetRect(&r, -kRingOutset, -kRingOutset);
    return r;
}

Rect Inset(Rect r, int by) {
    InsetRect(&r, by, by);
    return r;
}

const RGBColor& TitleColour(const DialogItem& item, bool pressed) {
    if (pressed) return night::kHighlightText;
    return item.enabled ? night::kText : night::kDimText;
}

// The square a check box's or radio button's mark sits in, centred vertically.
Rect MarkBox(const DialogItem& item) {
    const int size = std::min<int>(kMarkSize, RectHeight(item.bounds));
    const int top = item.bounds.top + (RectHeight(item.bounds) - size) / 2;
    return MakeRect(item.bounds.left, top, item.bounds.left + size, top + size);
}

void DrawButton(const DialogItem& item, bool pressed) {
    const Rect& r = item.bounds;
    if (pressed) FillRectWith(Inset(r, 1), night::kHighlight);
    FrameRoundedWith(r, item.enabled ? night::kFrame : night::kDimText);
    const int width = ToolboxTextWidth(item.text);
    DrawTextWith(item.text, r.left + (RectWidth(r) - width) / 2, CenteredBaseline(r), TitleColour(item, pressed), r);
    if (IsDefaultButton(item)) FrameRoundedWith(RingRect(item), night::kFrame, 2);
}

void DrawMarkTitle(const DialogItem& item, bool pressed) {
    const Rect& r = item.bounds;
    DrawTextWith(item.text, r.left + kTitleAfterMark, CenteredBaseline(r), TitleColour(item, pressed), r);
}

void DrawCheckBox(const DialogItem& item, bool pressed) {
    const Rect box = MarkBox(item);
    if (pressed) FillRectWith(Inset(box, 1), night::kHighlight);
    FrameRectWith(box, item.enabled ? night::kFrame : night::kDimText);
    if (item.value != 0) DrawCheckMarkIn(Inset(box, 1), TitleColour(item, false));
    DrawMarkTitle(item, pressed);
}

void DrawRadioButton(const DialogItem& item, bool pressed) {
    const Rect box = MarkBox(item);
    if (pressed) {
        RGBForeColor(&night::kHighlight);
        const Rect inner = Inset(box, 1);
        PaintOval(&inner);
    }
    RGBForeColor(item.enabled ? &night::kFrame : &night::kDimText);
    FrameOval(&box);
    if (item.value != 0) {
        RGBForeColor(&TitleColour(item, false));
        const Rect dot = Inset(box, 3);
        PaintOval(&dot);
    }
    DrawMarkTitle(item, pressed);
}

void DrawPopup(const DialogItem& item, bool pressed) {
    const Rect& r = item.bounds;
    if (pressed) FillRectWith(Inset(r, 1), night::kHighlight);
    FrameRoundedWith(r, item.enabled ? night::kFrame : night::kDimText);
    Str255 text;
    GetMenuItemText(item.menu.get(), item.value, text);
    const Rect arrow = MakeRect(r.right - 20, r.top + 1, r.right - 4, r.bottom - 1);
    const Rect textArea = MakeRect(r.left + 1, r.top + 1, arrow.left - 2, r.bottom - 1);
    DrawTextWith(PascalToString(text), r.left + 8, CenteredBaseline(r), TitleColour(item, pressed), textArea);
    DrawDownTriangleIn(arrow, TitleColour(item, pressed));
}

// Breaks text into lines no wider than width, at spaces where possible; "\n" ends a
// line.
std::vector<std::string> WrapText(const std::string& text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        const std::string paragraph = text.substr(start, end - start);
        std::string line;
        size_t i = 0;
        while (i < paragraph.size()) {
            const size_t space = paragraph.find(' ', i);
            const std::string word = paragraph.substr(i, space == std::string::npos ? std::string::npos : space - i);
            const std::string candidate = line.empty() ? word : line + " " + word;
            if (!line.empty() && ToolboxTextWidth(candidate) > width) {
                lines.push_back(line);
                line = word;
            } else {
                line = candidate;
            }
            if (space == std::string::npos) break;
            i = space + 1;
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void DrawStaticText(const DialogItem& item) {
    const Rect& r = item.bounds;
    const int ascent = ToolboxTextAscent();
    const int lineHeight = ascent + ToolboxTextDescent() + kLineGap;
    int baseline = r.top + ascent;
    for (const std::string& line : WrapText(item.text, RectWidth(r))) {
        if (baseline - ascent >= r.bottom) break;
        DrawTextWith(line, r.left, baseline, night::kText, r);
        baseline += lineHeight;
    }
}

int TextLeft(const DialogItem& item) { return item.bounds.left + kEditInset; }

// Pixels from the start of the text to the boundary before character index.
int PrefixWidth(const DialogItem& item, int index) {
    return ToolboxTextWidth(std::string_view(item.edit.Text()).substr(0, static_cast<size_t>(index)));
}

// Scrolls so that the caret stays inside the field.
void KeepCaretVisible(DialogItem& item) {
    const int visible = RectWidth(item.bounds) - 2 * kEditInset;
    if (PrefixWidth(item, static_cast<int>(item.edit.Text().size())) <= visible - 1) {
        item.scroll = 0;  // the whole text fits
        return;
    }
    const int caret = PrefixWidth(item, item.edit.Caret());
    if (caret - item.scroll > visible - 1) item.scroll = caret - visible + 1;
    if (caret < item.scroll) item.scroll = caret;
    item.scroll = std::max(0, item.scroll);
}

void DrawEditText(DialogItem& item) {
    const Rect& r = item.bounds;
    const bool focused = item.owner->focusItem == item.number;
    FrameRectWith(r, focused ? night::kText : night::kFrame);
    KeepCaretVisible(item);
    const Rect inside = Inset(r, 1);
    const int left = TextLeft(item) - item.scroll;
    if (focused && item.edit.HasSelection()) {
        const Rect sel = MakeRect(left + PrefixWidth(item, item.edit.SelectionStart()), r.top + 2,
                                  left + PrefixWidth(item, item.edit.SelectionEnd()), r.bottom - 2);
        Rect shown;
        if (SectRect(&sel, &inside, &shown)) FillRectWith(shown, night::kHighlight);
    }
    DrawTextWith(item.edit.Text(), left, CenteredBaseline(r), night::kText, inside);
    if (focused && !item.edit.HasSelection()) {
        const int h = left + PrefixWidth(item, item.edit.Caret());
        if (h >= inside.left && h < inside.right) LineWith(h, r.top + 3, h, r.bottom - 4, night::kText);
    }
}

}  // namespace

void DrawDialogItem(DialogItem& item, bool pressed) {
    if (!item.visible) return;
    if (item.kind == DialogItemKind::kUserItem) {
        // The program's own area: only its drawing procedure, if any, draws there.
        if (item.drawProc != nullptr) {
            PortStateSaver saver(item.owner->window);
            item.drawProc(item.owner, item.number);
        }
        return;
    }
    PortStateSaver saver(item.owner->window);
    FillRectWith(item.bounds, night::kBackground);
    switch (item.kind) {
        case DialogItemKind::kUserItem: break;
        case DialogItemKind::kButton: DrawButton(item, pressed); break;
        case DialogItemKind::kCheckBox: DrawCheckBox(item, pressed); break;
        case DialogItemKind::kRadioButton: DrawRadioButton(item, pressed); break;
        case DialogItemKind::kPopup: DrawPopup(item, pressed); break;
        case DialogItemKind::kStaticText: DrawStaticText(item); break;
        case DialogItemKind::kEditText: DrawEditText(item); break;
    }
}

void RefreshDialogItem(DialogItem& item, bool pressed) {
    if (IsWindowVisible(item.owner->window)) DrawDialogItem(item, pressed);
}

void SetUserItemDrawProc(DialogPtr dialog, int16_t itemNo, UserItemProcPtr proc) {
    DialogItem* item = DialogItemOf(dialog, itemNo);
    if (item == nullptr || item->kind != DialogItemKind::kUserItem) return;
    item->drawProc = proc;
    RefreshDialogItem(*item);
}

void EraseDialogItem(DialogItem& item) {
    PortStateSaver saver(item.owner->window);
    FillRectWith(IsDefaultButton(item) ? RingRect(item) : item.bounds, night::kBackground);
}

int EditTextIndexAt(const DialogItem& item, int h) {
    const int x = h - TextLeft(item) + item.scroll;
    const int length = static_cast<int>(item.edit.Text().size());
    int previous = 0;
    for (int i = 1; i <= length; ++i) {
        const int boundary = PrefixWidth(item, i);
        // Past the middle of character i-1: the boundary after it is nearer.
        if (x < (previous + boundary) / 2) return i - 1;
        previous = boundary;
    }
    return length;
}

void PaintDialogBackground(DialogRecord& dialog) {
    PortStateSaver saver(dialog.window);
    FillRectWith(dialog.window->portRect, night::kBackground);
}

void DrawDialog(DialogPtr dialog) {
    if (!IsLiveDialog(dialog)) return;
    for (auto& item : dialog->items) DrawDialogItem(*item);
}
