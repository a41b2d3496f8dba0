// Drawing of the menu bar and the pull-downs in the night palette.
#include <algorithm>

#include "platform/MenuInternals.h"
#include "platform/NightPalette.h"
#include "platform/PortStateSaver.h"
#include "platform/ToolboxDrawing.h"

namespace {

// The toolbox's own windows are drawn at once; a pending update would only reach the
// program, which has nothing to draw there.
void ClearPendingUpdate(WindowPtr w) {
    BeginUpdate(w);
    EndUpdate(w);
}

void DrawMenuTitle(const Menu& menu, const Rect& title, bool hilited) {
    // The highlight stops above the bar's bottom line.
    const Rect fill = MakeRect(title.left, title.top, title.right, title.bottom - 1);
    if (hilited) FillRectWith(fill, night::kHighlight);
    const RGBColor& color = hilited ? night::kHighlightText : menu.enabled ? night::kText : night::kDimText;
    DrawTextWith(menu.title, title.left + kMenuTitlePadding, CenteredBaseline(fill), color, fill);
}

void DrawSeparator(const Rect& item) {
    const int v = item.top + RectHeight(item) / 2;
    LineWith(item.left + 6, v, item.right - 7, v, night::kSeparator);
}

void DrawItem(const Menu& menu, int number, bool hilited) {
    const MenuItem& item = menu.items[number - 1];
    const Rect r = MenuItemLocalRect(menu, number);
    if (item.separator) {
        DrawSeparator(r);
        return;
    }
    const bool selectable = MenuItemSelectable(menu, number);
    const bool lit = hilited && selectable;
    if (lit) FillRectWith(r, night::kHighlight);
    const RGBColor& text = lit ? night::kHighlightText : selectable ? night::kText : night::kDimText;
    if (item.checked) {
        const int top = r.top + (RectHeight(r) - 10) / 2;
        DrawCheckMarkIn(MakeRect(r.left + 6, top, r.left + 16, top + 10), text);
    }
    const int baseline = CenteredBaseline(r);
    DrawTextWith(item.text, kMenuMarkColumn, baseline, text, r);
    const std::string hint = ShortcutHint(item.shortcut);
    if (!hint.empty()) {
        const int h = r.right + 1 - kMenuRightPadding - ToolboxTextWidth(hint);
        DrawTextWith(hint, h, baseline, selectable ? night::kFrame : night::kDimText, r);
    }
}

}  // namespace

void EnsureMenuBarWindow(MenuManager& manager) {
    if (manager.installed == nullptr || manager.barWindow != nullptr) return;
    const Rect screen = GetMainScreenBounds();
    WindowTemplate t;
    t.bounds = MakeRect(screen.left, screen.top, screen.right, screen.top + kMenuBarHeight);
    t.hasCloseBox = false;
    manager.barWindow = NewWindowFromTemplate(t, WindowRole::kMenuBar, nullptr);
    DrawMenuBarWindow(manager);
    ShowWindow(manager.barWindow);
    ClearPendingUpdate(manager.barWindow);
}

void DrawMenuBarWindow(MenuManager& manager) {
    WindowPtr w = manager.barWindow;
    if (w == nullptr) return;
    PortStateSaver saver(w);
    FillRectWith(w->portRect, night::kBackground);
    const int bottom = w->portRect.bottom - 1;
    LineWith(w->portRect.left, bottom, w->portRect.right - 1, bottom, night::kSeparator);
    if (manager.installed == nullptr) return;
    const std::vector<Rect> titles = MenuTitleRects(*manager.installed);
    for (size_t i = 0; i < titles.size(); ++i) {
        const Menu& menu = *manager.installed->menus[i];
        DrawMenuTitle(menu, titles[i], menu.id == manager.hilited);
    }
}

void DrawPullDown(WindowPtr window, const Menu& menu, int16_t hilitedItem) {
    PortStateSaver saver(window);
    FillRectWith(window->portRect, night::kBackground);
    FrameRectWith(window->portRect, night::kFrame);
    for (int i = 1; i <= static_cast<int>(menu.items.size()); ++i) DrawItem(menu, i, i == hilitedItem);
}

WindowPtr OpenPullDownWindow(const Menu& menu, const Rect& globalBounds) {
    WindowTemplate t;
    t.bounds = globalBounds;
    t.hasCloseBox = false;
    WindowPtr w = NewWindowFromTemplate(t, WindowRole::kPopup, kInFront);
    DrawPullDown(w, menu, 0);
    ShowWindow(w);
    ClearPendingUpdate(w);
    return w;
}
