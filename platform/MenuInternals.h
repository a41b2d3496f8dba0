// The menu manager's state and layout, shared by the menu files. Internal to platform/.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Menus.h"
#include "platform/Windows.h"

struct MenuBar {
    std::vector<std::unique_ptr<Menu>> menus;  // left to right
};

struct MenuManager {
    std::vector<std::unique_ptr<MenuBar>> bars;     // made by GetNewMBar
    std::vector<std::unique_ptr<Menu>> loose;       // made by GetMenu
    MenuBar* installed = nullptr;
    WindowPtr barWindow = nullptr;
    int16_t hilited = 0;
};

// The manager of the running toolbox, made on first use.
MenuManager& TheMenuManager();

// A menu of its own made from template id, null when the id is unknown.
std::unique_ptr<Menu> MakeMenuFromTemplate(int16_t id);

// Layout of the bar: titles from the left edge, each padded on both sides.
constexpr int kMenuBarFirstTitle = 8;
constexpr int kMenuTitlePadding = 10;

// Layout of a pull-down: a one-pixel frame, a column for check marks, the item text,
// the shortcut hint at the right.
constexpr int kMenuItemHeight = 19;
constexpr int kMenuSeparatorHeight = 9;
constexpr int kMenuVerticalPadding = 3;
constexpr int kMenuMarkColumn = 22;
constexpr int kMenuRightPadding = 14;
constexpr int kMenuShortcutGap = 28;
constexpr int kMenuMinimumWidth = 120;

// Title rectangles of the installed bar, in bar (= global) coordinates.
std::vector<Rect> MenuTitleRects(const MenuBar& bar);
// Index of the title under the global point, -1 for none.
int MenuTitleIndexAt(const MenuBar& bar, Point global);

int MenuWidth(const Menu& menu);
int MenuHeight(const Menu& menu);
// Item (1-based) in the pull-down's own coordinates; an empty rectangle when the item
// does not exist.
Rect MenuItemLocalRect(const Menu& menu, int item);
// The item under a point in the pull-down's own coordinates, 0 for none.
int16_t MenuItemAtLocal(const Menu& menu, Point local);
// True when item can be chosen: it exists, is no separator, and it and its menu are
// enabled.
bool MenuItemSelectable(const Menu& menu, int item);
// Global bounds of the pull-down of the bar's menu at index, kept on the screen.
Rect BarPullDownBounds(const MenuBar& bar, int index);
// Global bounds of a pop-up menu with popUpItem at (top, left), kept on the screen.
Rect PopUpBounds(const Menu& menu, int top, int left, int popUpItem);
// The shortcut hint shown beside an item ("Ctrl+Q").
std::string ShortcutHint(char shortcut);

// Drawing (MenuDrawing.cpp).
void DrawMenuBarWindow(MenuManager& manager);
// Draws a pull-down's frame and items into its window, item hilited under the mouse.
void DrawPullDown(WindowPtr window, const Menu& menu, int16_t hilitedItem);
// Makes, draws and shows a pull-down window at global bounds; DisposeWindow ends it.
WindowPtr OpenPullDownWindow(const Menu& menu, const Rect& globalBounds);

// Makes the bar window when a bar is installed and none exists yet.
void EnsureMenuBarWindow(MenuManager& manager);
