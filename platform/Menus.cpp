// The menu manager: menu templates, the installed menu bar, item states and shortcuts.
#include "platform/Menus.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/MenuInternals.h"
#include "platform/ToolboxState.h"

namespace {

std::map<int16_t, MenuTemplate>& MenuTemplates() {
    static std::map<int16_t, MenuTemplate> templates;
    return templates;
}

std::map<int16_t, std::vector<int16_t>>& MenuBarTemplates() {
    static std::map<int16_t, std::vector<int16_t>> templates;
    return templates;
}

std::unique_ptr<Menu> MakeMenu(const MenuTemplate& t) {
    auto menu = std::make_unique<Menu>();
    menu->id = t.id;
    menu->title = t.title;
    for (const MenuItemTemplate& it : t.items) {
        MenuItem item;
        item.separator = it.text == "-";
        item.text = item.separator ? std::string() : it.text;
        item.shortcut = item.separator ? 0 : it.shortcut;
        item.enabled = it.enabled && !item.separator;
        menu->items.push_back(item);
    }
    return menu;
}

// The item of menu, or null when item is outside it (item counts from 1).
MenuItem* ItemOf(MenuHandle menu, int16_t item) {
    if (menu == nullptr || item < 1 || item > static_cast<int>(menu->items.size())) return nullptr;
    return &menu->items[item - 1];
}

// The letter a shortcut key stands for: Ctrl+letter may arrive as its control code.
int NormalizeShortcut(int c) {
    c &= 0xFF;
    if (c >= 1 && c <= 26) return 'A' + c - 1;
    return std::toupper(c);
}

}  // namespace

MenuManager& TheMenuManager() {
    auto& slot = Toolbox().menus;
    if (!slot) slot = std::make_shared<MenuManager>();
    return *slot;
}

void RegisterMenuTemplate(const MenuTemplate& t) { MenuTemplates()[t.id] = t; }

void RegisterMenuBarTemplate(int16_t id, const std::vector<int16_t>& menuIds) {
    MenuBarTemplates()[id] = menuIds;
}

MenuBarHandle GetNewMBar(int16_t id) {
    auto it = MenuBarTemplates().find(id);
    if (it == MenuBarTemplates().end()) return nullptr;
    auto bar = std::make_unique<MenuBar>();
    for (int16_t menuId : it->second) {
        auto t = MenuTemplates().find(menuId);
        if (t != MenuTemplates().end()) bar->menus.push_back(MakeMenu(t->second));
    }
    MenuManager& manager = TheMenuManager();
    manager.bars.push_back(std::move(bar));
    return manager.bars.back().get();
}

void SetMenuBar(MenuBarHandle bar) {
    MenuManager& manager = TheMenuManager();
    manager.installed = bar;
    manager.hilited = 0;
    EnsureMenuBarWindow(manager);
    DrawMenuBarWindow(manager);
}

MenuHandle GetMenuHandle(int16_t id) {
    MenuManager& manager = TheMenuManager();
    if (manager.installed == nullptr) return nullptr;
    for (auto& menu : manager.installed->menus)
        if (menu->id == id) return menu.get();
    return nullptr;
}

std::unique_ptr<Menu> MakeMenuFromTemplate(int16_t id) {
    auto t = MenuTemplates().find(id);
    return t != MenuTemplates().end() ? MakeMenu(t->second) : nullptr;
}

MenuHandle GetMenu(int16_t id) {
    std::unique_ptr<Menu> menu = MakeMenuFromTemplate(id);
    if (!menu) return nullptr;
    MenuManager& manager = TheMenuManager();
    manager.loose.push_back(std::move(menu));
    return manager.loose.back().get();
}

void AppendResMenu(MenuHandle, uint32_t) {}

void EnableMenuItem(MenuHandle menu, int16_t item) {
    if (menu != nullptr && item == 0) {
        menu->enabled = true;
        DrawMenuBar();
    } else if (MenuItem* it = ItemOf(menu, item); it != nullptr && !it->separator) {
        it->enabled = true;
    }
}

void DisableMenuItem(MenuHandle menu, int16_t item) {
    if (menu != nullptr && item == 0) {
        menu->enabled = false;
        DrawMenuBar();
    } else if (MenuItem* it = ItemOf(menu, item)) {
        it->enabled = false;
    }
}

void CheckMenuItem(MenuHandle menu, int16_t item, bool checked) {
    if (MenuItem* it = ItemOf(menu, item); it != nullptr && !it->separator) it->checked = checked;
}

void DeleteMenuItem(MenuHandle menu, int16_t item) {
    if (ItemOf(menu, item) != nullptr) menu->items.erase(menu->items.begin() + (item - 1));
}

bool IsMenuItemEnabled(MenuHandle menu, int16_t item) {
    if (menu != nullptr && item == 0) return menu->enabled;
    const MenuItem* it = ItemOf(menu, item);
    return it != nullptr && it->enabled;
}

bool IsMenuItemChecked(MenuHandle menu, int16_t item) {
    const MenuItem* it = ItemOf(menu, item);
    return it != nullptr && it->checked;
}

int16_t CountMenuItems(MenuHandle menu) {
    return menu != nullptr ? static_cast<int16_t>(menu->items.size()) : 0;
}

void GetMenuItemText(MenuHandle menu, int16_t item, Str255 text) {
    const MenuItem* it = ItemOf(menu, item);
    CopyCStringToPascal(it != nullptr ? it->text : std::string(), text);
}

long MenuKey(int16_t c) {
    MenuManager& manager = TheMenuManager();
    if (manager.installed == nullptr) return 0;
    const int key = NormalizeShortcut(c);
    if (key == 0) return 0;
    for (auto& menu : manager.installed->menus) {
        for (size_t i = 0; i < menu->items.size(); ++i) {
            const MenuItem& item = menu->items[i];
            if (item.shortcut == 0 || NormalizeShortcut(item.shortcut) != key) continue;
            if (!MenuItemSelectable(*menu, static_cast<int>(i) + 1)) return 0;
            HiliteMenu(menu->id);
            return (static_cast<long>(menu->id) << 16) | static_cast<long>(i + 1);
        }
    }
    return 0;
}

void HiliteMenu(int16_t id) {
    MenuManager& manager = TheMenuManager();
    if (manager.hilited == id) return;
    manager.hilited = id;
    DrawMenuBarWindow(manager);
}

int16_t GetHilitedMenu() { return TheMenuManager().hilited; }

void DrawMenuBar() {
    MenuManager& manager = TheMenuManager();
    EnsureMenuBarWindow(manager);
    DrawMenuBarWindow(manager);
}
