// The program's menus and dialogs on our toolbox: the item numbers the program's
// handlers rely on, the keys of each dialog, and their look in the night palette.
// With SCOPECAM_SNAPSHOT_DIR set, pictures of the menu bar with an open menu and of
// every dialog are written there as PNG files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/Templates.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/NightPalette.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

namespace {

// Keeps the last pull-down the toolbox showed, as a port of its own.
class PullDownKeepingHost : public HeadlessHost {
public:
    void PresentWindow(WindowPtr w) override {
        if (w->role != WindowRole::kPopup) return;
        origin = w->origin;
        width = RectWidth(w->portRect);
        height = RectHeight(w->portRect);
        rowBytes = w->pixMap.RowBytes();
        pixels.assign(w->pixMap.baseAddr, w->pixMap.baseAddr + static_cast<size_t>(rowBytes) * height);
    }
    Point origin;
    int width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> pixels;
};

class ProgramTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto host = std::make_unique<PullDownKeepingHost>();
        host_ = host.get();
        InitToolbox(std::move(host), std::make_unique<VirtualClock>());
        RegisterAllTemplates();
    }
    void TearDown() override { ShutdownToolbox(); }
    PullDownKeepingHost& host() { return *host_; }

    static const char* SnapshotDir() { return std::getenv("SCOPECAM_SNAPSHOT_DIR"); }
    static void Snapshot(const GrafPort* port, const std::string& name) {
        if (const char* dir = SnapshotDir()) {
            EXPECT_TRUE(WritePortPNG(port, std::string(dir) + "/" + name + ".png"));
        }
    }

private:
    PullDownKeepingHost* host_ = nullptr;
};

// Every pixel of the port is red only, no brighter than the palette allows.
void ExpectNightPalette(const GrafPort* port, const char* what) {
    const PixMap& pm = port->pixMap;
    int lit = 0;
    for (int v = 0; v < RectHeight(pm.bounds); ++v)
        for (int h = 0; h < RectWidth(pm.bounds); ++h) {
            const uint8_t* p = pm.baseAddr + v * pm.RowBytes() + 4 * h;
            ASSERT_EQ(p[2], 0) << what << " at " << h << "," << v;
            ASSERT_EQ(p[3], 0) << what << " at " << h << "," << v;
            ASSERT_LE(p[1], night::kMaxLevel) << what << " at " << h << "," << v;
            lit += p[1] > 0;
        }
    EXPECT_GT(lit, 100) << what << " shows next to nothing";
}

bool IsSeparator(MenuHandle menu, int16_t item) {
    Str255 text;
    GetMenuItemText(menu, item, text);
    return text[0] == 0 && !IsMenuItemEnabled(menu, item);
}

TEST_F(ProgramTemplatesTest, MenusHaveTheItemsTheHandlersUse) {
    SetMenuBar(GetNewMBar(128));
    struct MenuCase {
        int16_t id;
        int16_t count;
        std::vector<int16_t> separators;
        std::vector<int16_t> commands;  // items that do something: enabled, with text
    };
    const MenuCase cases[] = {
        {128, 1, {}, {1}},
        {129, 13, {2, 6, 12}, {1, 3, 4, 5, 7, 8, 9, 10, 11, 13}},
        {130, 6, {2}, {}},
        {131, 10, {2, 7}, {1, 3, 4, 5, 6, 8, 9, 10}},
        {132, 16, {2, 6, 11}, {1, 3, 4, 5, 7, 8, 9, 10, 13, 14, 15, 16}},
        {133, 29, {2, 14, 18, 23}, {1, 15, 16, 17, 19, 20, 21, 22, 24, 25, 26, 27, 28, 29}},
    };
    for (const MenuCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "menu " << c.id);
        MenuHandle menu = GetMenuHandle(c.id);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(CountMenuItems(menu), c.count);
        for (int16_t item : c.separators) EXPECT_TRUE(IsSeparator(menu, item)) << item;
        for (int16_t item : c.commands) {
            EXPECT_TRUE(IsMenuItemEnabled(menu, item)) << item;
            EXPECT_FALSE(IsSeparator(menu, item)) << item;
        }
    }
    // Ctrl+Q quits: File item 13.
    EXPECT_EQ(MenuKey('q'), (129L << 16) | 13);
    HiliteMenu(0);
    // No two items share a shortcut.
    std::set<char> seen;
    for (const MenuCase& c : cases) {
        MenuHandle menu = GetMenuHandle(c.id);
        for (const MenuItem& item : menu->items) {
            if (item.shortcut != 0) {
                EXPECT_TRUE(seen.insert(item.shortcut).second) << item.shortcut;
            }
        }
    }
}

TEST_F(ProgramTemplatesTest, ThePortPopupOffersOneToThirteenWithFourDividers) {
    MenuHandle menu = GetMenu(kPortUseMenuId);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(CountMenuItems(menu), 13);
    for (int16_t item = 1; item <= 13; ++item) {
        const bool divider = item == 2 || item == 4 || item == 9 || item == 12;
        EXPECT_EQ(IsSeparator(menu, item), divider) << item;
        EXPECT_EQ(IsMenuItemEnabled(menu, item), !divider) << item;
    }
}

struct ItemExpectation {
    int16_t item;
    int16_t type;
};

TEST_F(ProgramTemplatesTest, DialogsHaveTheItemsTheProgramAddresses) {
    struct DialogCase {
        int16_t id;
        std::vector<ItemExpectation> items;
    };
    const DialogCase cases[] = {
        {128, {{1, kButtonDialogItem}}},
        {129, {{1, kRadioButtonDialogItem}, {2, kRadioButtonDialogItem}, {3, kRadioButtonDialogItem},
               {4, kRadioButtonDialogItem}, {5, kRadioButtonDialogItem}, {6, kButtonDialogItem},
               {7, kButtonDialogItem}}},
        {130, {{1, kButtonDialogItem}, {2, kEditTextDialogItem}, {3, kCheckBoxDialogItem}}},
        {131, {{1, kButtonDialogItem}, {2, kButtonDialogItem}}},
        {132, {{1, kButtonDialogItem}, {2, kButtonDialogItem}, {3, kResourceControlDialogItem},
               {10, kResourceControlDialogItem}}},
        {133, {{1, kButtonDialogItem}, {2, kButtonDialogItem}, {3, kEditTextDialogItem}}},
    };
    for (const DialogCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "dialog " << c.id);
        DialogPtr d = GetNewDialog(c.id, nullptr, kInFront);
        ASSERT_NE(d, nullptr);
        for (const ItemExpectation& e : c.items) {
            int16_t type = -1;
            GetDialogItem(d, e.item, &type, nullptr, nullptr);
            EXPECT_EQ(type, e.type) << "item " << e.item;
        }
        DisposeDialog(d);
    }
}

TEST_F(ProgramTemplatesTest, TheHistogramsDialogLeavesItsItemsInTheOpenCells) {
    DialogPtr d = GetNewDialog(129, nullptr, kInFront);
    const Rect content = GetDialogPort(d)->portRect;
    EXPECT_GE(RectWidth(content), 590);
    EXPECT_GE(RectHeight(content), 220);
    Rect box;
    for (int16_t i = 1; i <= 5; ++i) {
        GetDialogItem(d, i, nullptr, nullptr, &box);
        EXPECT_EQ(box, MakeRect(132 + 60 * (i - 1), 190, 144 + 60 * (i - 1), 202)) << i;
    }
    GetDialogItem(d, 6, nullptr, nullptr, &box);
    EXPECT_EQ(box, MakeRect(430, 190, 500, 210));
    GetDialogItem(d, 7, nullptr, nullptr, &box);
    EXPECT_EQ(box, MakeRect(510, 190, 580, 210));
    EXPECT_FALSE(IsWindowVisible(GetDialogWindow(d)));  // the program shows it from the View menu
    DisposeDialog(d);
}

TEST_F(ProgramTemplatesTest, ModalDialogsAnswerReturnAndEscape) {
    struct KeyCase {
        int16_t id;
        unsigned char key;
        int16_t hit;
    };
    const KeyCase cases[] = {
        {128, kReturnCharCode, 1}, {128, kEscapeCharCode, 1}, {130, kReturnCharCode, 1},
        {131, kReturnCharCode, 1}, {132, kReturnCharCode, 1}, {132, kEscapeCharCode, 2},
        {133, kReturnCharCode, 1}, {133, kEscapeCharCode, 2},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "dialog " << c.id << " key " << int(c.key));
        DialogPtr d = GetNewDialog(c.id, nullptr, kInFront);
        ShowWindow(GetDialogWindow(d));
        host().PushKeyDown(c.key);
        int16_t hit = 0;
        ModalDialog(nullptr, &hit);
        EXPECT_EQ(hit, c.hit);
        DisposeDialog(d);
    }
}

TEST_F(ProgramTemplatesTest, TheBatchDialogReadsAFreshNumber) {
    DialogPtr d = GetNewDialog(133, nullptr, kInFront);
    ShowWindow(GetDialogWindow(d));
    ControlHandle field = nullptr;
    GetDialogItem(d, 3, nullptr, &field, nullptr);
    Str255 text;
    GetDialogItemText(field, text);
    EXPECT_EQ(PascalToString(text), "1");
    // The "1" is selected: typing replaces it.
    host().PushKeyDown('1');
    host().PushKeyDown('2');
    host().PushKeyDown(kReturnCharCode);
    int16_t hit = 0;
    do ModalDialog(nullptr, &hit);
    while (hit != 1);
    GetDialogItemText(field, text);
    EXPECT_EQ(PascalToString(text), "12");
    DisposeDialog(d);
}

TEST_F(ProgramTemplatesTest, TheAboutBoxNamesTheVersionAndTheModifierKeys) {
    DialogPtr d = GetNewDialog(128, nullptr, kInFront);
    std::string all;
    for (int16_t i = 1; i <= CountDITL(d); ++i) {
        ControlHandle h = nullptr;
        GetDialogItem(d, i, nullptr, &h, nullptr);
        Str255 text;
        GetDialogItemText(h, text);
        all += PascalToString(text) + "\n";
    }
    for (const char* needed : {SCOPECAM_VERSION, "command = Ctrl", "shift = Shift", "option = Alt",
                               "control = Super", "right mouse button"})
        EXPECT_NE(all.find(needed), std::string::npos) << needed;
    DisposeDialog(d);
}

TEST_F(ProgramTemplatesTest, EveryDialogLooksRightInTheDark) {
    for (int16_t id = 128; id <= 133; ++id) {
        SCOPED_TRACE(testing::Message() << "dialog " << id);
        DialogPtr d = GetNewDialog(id, nullptr, kInFront);
        ShowWindow(GetDialogWindow(d));
        if (id == 132) {
            // Two ports listed, as the program shows them: paths in 9-point text
            // beside their pop-ups, the pop-ups of absent ports hidden.
            for (int16_t item = 5; item <= 10; ++item) HideDialogItem(d, item);
            ControlHandle popup = nullptr;
            GetDialogItem(d, 3, nullptr, &popup, nullptr);
            SetControlValue(popup, 3);
            GetDialogItem(d, 4, nullptr, &popup, nullptr);
            SetControlValue(popup, 13);
            SetPort(GetDialogPort(d));
            TextSize(9);
            for (int port = 0; port < 2; ++port) {
                MoveTo(10, 55 + 30 * port);
                DrawText(port == 0 ? "/dev/ttyUSB0" : "/dev/ttyACM0");
            }
            TextSize(12);
        }
        DrawDialog(d);
        ExpectNightPalette(GetDialogPort(d), "dialog");
        Snapshot(GetDialogPort(d), "dialog-" + std::to_string(id));
        DisposeDialog(d);
    }
}

TEST_F(ProgramTemplatesTest, TheMenuBarWithAnOpenMenuLooksRightInTheDark) {
    SetMenuBar(GetNewMBar(128));
    MenuHandle file = GetMenuHandle(129);
    DisableMenuItem(file, 5);
    DisableMenuItem(file, 9);
    DisableMenuItem(file, 10);
    MenuHandle view = GetMenuHandle(133);
    CheckMenuItem(view, 19, true);
    for (int16_t menu : {129, 133}) {
        const Rect title = GetMenuTitleRect(menu);
        const Point press{int16_t((title.top + title.bottom) / 2), int16_t((title.left + title.right) / 2)};
        const Rect hover = GetMenuItemRectWhenOpen(menu, menu == 129 ? 3 : 24);
        const Point over{int16_t((hover.top + hover.bottom) / 2), int16_t((hover.left + hover.right) / 2)};
        host().SetMouse(press, true);
        host().ScriptMouse({{over, true}, {over, true}, {Point{900, 1800}, false}});
        EXPECT_EQ(MenuSelect(press), 0);
        ASSERT_GT(host().width, 0);
        HiliteMenu(menu);  // lit as it was while the menu was open

        // The bar and the menu as they were on the screen, in one picture.
        WindowPtr bar = nullptr;
        for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w))
            if (w->role == WindowRole::kMenuBar) bar = w;
        ASSERT_NE(bar, nullptr);
        ExpectNightPalette(bar, "menu bar");
        GWorldPtr picture = nullptr;
        const Rect bounds = MakeRect(0, 0, host().origin.h + host().width + 20, host().origin.v + host().height + 10);
        ASSERT_EQ(NewGWorld(&picture, 32, &bounds, nullptr, nullptr, 0), noErr);
        for (int v = 0; v < bounds.bottom; ++v) {
            uint8_t* row = picture->pixMap.baseAddr + v * picture->pixMap.RowBytes();
            std::memset(row, 0, 4 * static_cast<size_t>(bounds.right));
            if (v < kMenuBarHeight) std::memcpy(row, bar->pixMap.baseAddr + v * bar->pixMap.RowBytes(), 4 * bounds.right);
            const int menuRow = v - host().origin.v;
            if (menuRow >= 0 && menuRow < host().height)
                std::memcpy(row + 4 * host().origin.h, host().pixels.data() + menuRow * host().rowBytes, 4 * host().width);
        }
        ExpectNightPalette(picture, "open menu");
        Snapshot(picture, "menu-" + std::to_string(menu));
        DisposeGWorld(picture);
        HiliteMenu(0);
    }
}

}  // namespace
