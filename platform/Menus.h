// Menus: the menu bar at the top of the screen and its pull-down menus, drawn by the
// toolbox into its own windows (the bar a WindowRole::kMenuBar window, each open menu a
// WindowRole::kPopup window). A choice is one value: the menu id in the high 16 bits
// and the item number (counted from 1, separators included) in the low 16 bits; 0
// means nothing was chosen.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MacTypes.h"

// An item of a menu template. A text of "-" makes a separator. The shortcut is a
// letter or digit typed with the command modifier (Ctrl); 0 for none.
struct MenuItemTemplate {
    std::string text;
    char shortcut = 0;
    bool enabled = true;
};

struct MenuTemplate {
    int16_t id = 0;
    std::string title;
    std::vector<MenuItemTemplate> items;
};

// Templates are registered by the program before menus are made from them.
void RegisterMenuTemplate(const MenuTemplate& t);
// A menu bar template: the menus it holds, left to right.
void RegisterMenuBarTemplate(int16_t id, const std::vector<int16_t>& menuIds);

struct MenuItem {
    std::string text;
    char shortcut = 0;
    bool enabled = true;
    bool checked = false;
    bool separator = false;
};

struct Menu {
    int16_t id = 0;
    std::string title;
    std::vector<MenuItem> items;
    bool enabled = true;
};
using MenuHandle = Menu*;
using MenuRef = Menu*;

struct MenuBar;
using MenuBarHandle = MenuBar*;

// Makes the menus of menu bar template id (null when unknown). The menu manager owns
// the result; it stays valid until the toolbox shuts down.
MenuBarHandle GetNewMBar(int16_t id);
// Installs a menu bar made by GetNewMBar and shows the bar window.
void SetMenuBar(MenuBarHandle bar);
// The installed menu of that id, or null.
MenuHandle GetMenuHandle(int16_t id);
// A menu of its own made from template id (popup menus of dialogs), owned by the menu
// manager; null when the id is unknown.
MenuHandle GetMenu(int16_t id);

// Desk-accessory items: Linux has none, so nothing is appended.
void AppendResMenu(MenuHandle menu, uint32_t resourceType);

// Item 0 stands for the whole menu. Items outside the menu are ignored.
void EnableMenuItem(MenuHandle menu, int16_t item);
void DisableMenuItem(MenuHandle menu, int16_t item);
void CheckMenuItem(MenuHandle menu, int16_t item, bool checked);
void DeleteMenuItem(MenuHandle menu, int16_t item);
bool IsMenuItemEnabled(MenuHandle menu, int16_t item);
bool IsMenuItemChecked(MenuHandle menu, int16_t item);
int16_t CountMenuItems(MenuHandle menu);
void GetMenuItemText(MenuHandle menu, int16_t item, Str255 text);

// Follows the mouse from a press in the menu bar (global point) while the button is
// held, opening the menu under it; returns the choice at the release. Separators,
// disabled items and releases outside every menu give 0. The chosen menu's title stays
// highlighted until HiliteMenu(0).
long MenuSelect(Point startGlobal);
// The choice whose shortcut is c (letters in either case; Ctrl+letter control codes
// count as the letter), or 0. Highlights the menu's title like MenuSelect.
long MenuKey(int16_t c);
// Shows the title of menu id highlighted; 0 removes every highlight.
void HiliteMenu(int16_t id);
void DrawMenuBar();

// Shows menu with item popUpItem placed at the global point (top, left), follows the
// mouse while the button is held and returns the choice (0 for none).
long PopUpMenuSelect(MenuHandle menu, int16_t top, int16_t left, int16_t popUpItem);

// Geometry, for hosts and tests. The title of menu id in the bar (global), empty when
// the menu is not installed.
Rect GetMenuTitleRect(int16_t id);
// Where item would be on screen when menu id of the bar is pulled down (global).
Rect GetMenuItemRectWhenOpen(int16_t id, int16_t item);
// Where item would be on screen when menu pops up with popUpItem at (top, left).
Rect GetPopUpItemRect(MenuHandle menu, int16_t top, int16_t left, int16_t popUpItem, int16_t item);
// The id of the menu whose title is highlighted, 0 for none.
int16_t GetHilitedMenu();
