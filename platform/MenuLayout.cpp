// Where the menu bar's titles and the pull-downs' items lie.
#include <algorithm>

#include "platform/MenuInternals.h"
#include "platform/ToolboxDrawing.h"

std::vector<Rect> MenuTitleRects(const MenuBar& bar) {
    std::vector<Rect> rects;
    int h = kMenuBarFirstTitle;
    for (const auto& menu : bar.menus) {
        const int width = ToolboxTextWidth(menu->title) + 2 * kMenuTitlePadding;
        rects.push_back(MakeRect(h, 0, h + width, kMenuBarHeight));
        h += width;
    }
    return rects;
}

int MenuTitleIndexAt(const MenuBar& bar, Point global) {
    const std::vector<Rect> rects = MenuTitleRects(bar);
    for (size_t i = 0; i < rects.size(); ++i)
        if (PtInRect(global, &rects[i])) return static_cast<int>(i);
    return -1;
}

std::string ShortcutHint(char shortcut) {
    if (shortcut == 0) return {};
    const char key = static_cast<char>(shortcut >= 'a' && shortcut <= 'z' ? shortcut - 'a' + 'A' : shortcut);
    return std::string("Ctrl+") + key;
}

int MenuWidth(const Menu& menu) {
    int textWidth = 0;
    int hintWidth = 0;
    for (const MenuItem& item : menu.items) {
        textWidth = std::max(textWidth, ToolboxTextWidth(item.text));
        hintWidth = std::max(hintWidth, ToolboxTextWidth(ShortcutHint(item.shortcut)));
    }
    const int gap = hintWidth > 0 ? kMenuShortcutGap : 0;
    return std::max(kMenuMinimumWidth, kMenuMarkColumn + textWidth + gap + hintWidth + kMenuRightPadding);
}

namespace {
int ItemHeight(const MenuItem& item) { return item.separator ? kMenuSeparatorHeight : kMenuItemHeight; }
}  // namespace

int MenuHeight(const Menu& menu) {
    int height = 2 * kMenuVerticalPadding;
    for (const MenuItem& item : menu.items) height += ItemHeight(item);
    return height;
}

Rect MenuItemLocalRect(const Menu& menu, int item) {
    if (item < 1 || item > static_cast<int>(menu.items.size())) return Rect{};
    int top = kMenuVerticalPadding;
    for (int i = 1; i < item; ++i) top += ItemHeight(menu.items[i - 1]);
    // Items span the inside of the one-pixel frame.
    return MakeRect(1, top, MenuWidth(menu) - 1, top + ItemHeight(menu.items[item - 1]));
}

int16_t MenuItemAtLocal(const Menu& menu, Point local) {
    const int width = MenuWidth(menu);
    if (local.h < 1 || local.h >= width - 1) return 0;
    int top = kMenuVerticalPadding;
    for (size_t i = 0; i < menu.items.size(); ++i) {
        const int bottom = top + ItemHeight(menu.items[i]);
        if (local.v >= top && local.v < bottom) return static_cast<int16_t>(i + 1);
        top = bottom;
    }
    return 0;
}

bool MenuItemSelectable(const Menu& menu, int item) {
    if (!menu.enabled || item < 1 || item > static_cast<int>(menu.items.size())) return false;
    const MenuItem& it = menu.items[item - 1];
    return it.enabled && !it.separator;
}

namespace {
// Moves a menu of the given size so that it lies on the screen below the menu bar
// where possible.
Rect KeepOnScreen(int left, int top, int width, int height) {
    const Rect screen = GetMainScreenBounds();
    left = std::clamp(left, static_cast<int>(screen.left), std::max<int>(screen.left, screen.right - width));
    top = std::clamp(top, static_cast<int>(screen.top) + kMenuBarHeight,
                     std::max<int>(screen.top + kMenuBarHeight, screen.bottom - height));
    return MakeRect(left, top, left + width, top + height);
}
}  // namespace

Rect BarPullDownBounds(const MenuBar& bar, int index) {
    const std::vector<Rect> titles = MenuTitleRects(bar);
    const Menu& menu = *bar.menus[index];
    return KeepOnScreen(titles[index].left, kMenuBarHeight, MenuWidth(menu), MenuHeight(menu));
}

Rect PopUpBounds(const Menu& menu, int top, int left, int popUpItem) {
    const Rect item = MenuItemLocalRect(menu, popUpItem);
    const int itemTop = EmptyRect(&item) ? kMenuVerticalPadding : item.top;
    return KeepOnScreen(left, top - itemTop, MenuWidth(menu), MenuHeight(menu));
}

Rect GetMenuTitleRect(int16_t id) {
    MenuManager& manager = TheMenuManager();
    if (manager.installed == nullptr) return Rect{};
    const std::vector<Rect> titles = MenuTitleRects(*manager.installed);
    for (size_t i = 0; i < titles.size(); ++i)
        if (manager.installed->menus[i]->id == id) return titles[i];
    return Rect{};
}

Rect GetMenuItemRectWhenOpen(int16_t id, int16_t item) {
    MenuManager& manager = TheMenuManager();
    if (manager.installed == nullptr) return Rect{};
    for (size_t i = 0; i < manager.installed->menus.size(); ++i) {
        const Menu& menu = *manager.installed->menus[i];
        if (menu.id != id) continue;
        const Rect bounds = BarPullDownBounds(*manager.installed, static_cast<int>(i));
        Rect r = MenuItemLocalRect(menu, item);
        if (EmptyRect(&r)) return Rect{};
        OffsetRect(&r, bounds.left, bounds.top);
        return r;
    }
    return Rect{};
}

Rect GetPopUpItemRect(MenuHandle menu, int16_t top, int16_t left, int16_t popUpItem, int16_t item) {
    if (menu == nullptr) return Rect{};
    const Rect bounds = PopUpBounds(*menu, top, left, popUpItem);
    Rect r = MenuItemLocalRect(*menu, item);
    if (EmptyRect(&r)) return Rect{};
    OffsetRect(&r, bounds.left, bounds.top);
    return r;
}
