// The menu manager: choosing with the mouse and with shortcuts, item states, and what
// the pull-downs show.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

#include "platform/Menus.h"
#include "platform/NightPalette.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

namespace {

// Keeps a copy of the pixels of every pull-down the toolbox hands to the host, the way
// a desktop host would show them while the mouse is held.
class RecordingHost : public HeadlessHost {
public:
    void PresentWindow(WindowPtr w) override {
        if (w->role != WindowRole::kPopup) return;
        Snapshot& s = lastPullDown;
        s.width = RectWidth(w->portRect);
        s.height = RectHeight(w->portRect);
        s.origin = w->origin;
        s.pixels.assign(static_cast<size_t>(s.width * s.height), 0);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) {
                const uint8_t* p = w->pixMap.baseAddr + y * w->pixMap.RowBytes() + 4 * x;
                s.pixels[y * s.width + x] = (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
            }
        ++presented;
    }

    struct Snapshot {
        int width = 0;
        int height = 0;
        Point origin;
        std::vector<uint32_t> pixels;  // 0x00RRGGBB
        uint32_t At(int x, int y) const { return pixels[y * width + x]; }
    };
    Snapshot lastPullDown;
    int presented = 0;
};

constexpr int16_t kAlpha = 1;
constexpr int16_t kBeta = 2;

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto host = std::make_unique<RecordingHost>();
        host_ = host.get();
        InitToolbox(std::move(host), std::make_unique<VirtualClock>());
        RegisterMenuTemplate({kAlpha, "Alpha", {
            {"One", 'O'},          // 1
            {"-"},                 // 2
            {"Three", 0, false},   // 3, disabled in the template
            {"Four", 'F'},         // 4
        }});
        RegisterMenuTemplate({kBeta, "Beta", {{"Uno"}, {"Dos", 'D'}}});
        RegisterMenuBarTemplate(1, {kAlpha, kBeta});
        SetMenuBar(GetNewMBar(1));
    }
    void TearDown() override { ShutdownToolbox(); }

    RecordingHost& host() { return *host_; }

    static Point Center(const Rect& r) {
        return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
    }

    // Press at from, move half way, then to `to`, release there.
    long DragMenu(Point from, Point to) {
        const Point mid{int16_t((from.v + to.v) / 2), int16_t((from.h + to.h) / 2)};
        host().SetMouse(from, true);
        host().ScriptMouse({{mid, true}, {to, true}, {to, false}});
        return MenuSelect(from);
    }

    long ChooseItem(int16_t menu, int16_t item) {
        return DragMenu(Center(GetMenuTitleRect(menu)), Center(GetMenuItemRectWhenOpen(menu, item)));
    }

private:
    RecordingHost* host_ = nullptr;
};

long Choice(int16_t menu, int16_t item) { return (long(menu) << 16) | item; }

TEST_F(MenusTest, DraggingToAnItemReturnsMenuAndItem) {
    struct Case {
        int16_t menu, item;
        long expected;
    };
    const Case cases[] = {
        {kAlpha, 1, Choice(kAlpha, 1)},
        {kAlpha, 2, 0},  // separator
        {kAlpha, 3, 0},  // disabled
        {kAlpha, 4, Choice(kAlpha, 4)},
        {kBeta, 2, Choice(kBeta, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "menu " << c.menu << " item " << c.item);
        EXPECT_EQ(ChooseItem(c.menu, c.item), c.expected);
        // A choice leaves its title lit until the program has acted; none leaves none.
        EXPECT_EQ(GetHilitedMenu(), c.expected != 0 ? c.menu : 0);
        HiliteMenu(0);
        EXPECT_EQ(GetHilitedMenu(), 0);
        EXPECT_TRUE(host().ScriptEmpty());
    }
}

TEST_F(MenusTest, MovingAcrossTitlesOpensTheOtherMenu) {
    const Point alpha = Center(GetMenuTitleRect(kAlpha));
    const Point beta = Center(GetMenuTitleRect(kBeta));
    const Point uno = Center(GetMenuItemRectWhenOpen(kBeta, 1));
    host().SetMouse(alpha, true);
    host().ScriptMouse({{beta, true}, {uno, true}, {uno, false}});
    EXPECT_EQ(MenuSelect(alpha), Choice(kBeta, 1));
}

TEST_F(MenusTest, ReleasingOutsideEveryMenuChoosesNothing) {
    const Point far{600, 900};
    EXPECT_EQ(DragMenu(Center(GetMenuTitleRect(kAlpha)), far), 0);
    EXPECT_EQ(GetHilitedMenu(), 0);
    // Pressing in the bar beside the titles opens nothing.
    EXPECT_EQ(DragMenu(Point{5, 1500}, Point{60, 1500}), 0);
}

TEST_F(MenusTest, DisablingAndEnablingItemsAndMenus) {
    MenuHandle alpha = GetMenuHandle(kAlpha);
    ASSERT_NE(alpha, nullptr);
    DisableMenuItem(alpha, 1);
    EXPECT_FALSE(IsMenuItemEnabled(alpha, 1));
    EXPECT_EQ(ChooseItem(kAlpha, 1), 0);
    EnableMenuItem(alpha, 1);
    EXPECT_EQ(ChooseItem(kAlpha, 1), Choice(kAlpha, 1));
    EnableMenuItem(alpha, 3);
    EXPECT_EQ(ChooseItem(kAlpha, 3), Choice(kAlpha, 3));
    // A separator never becomes choosable.
    EnableMenuItem(alpha, 2);
    EXPECT_EQ(ChooseItem(kAlpha, 2), 0);
    // The whole menu.
    DisableMenuItem(alpha, 0);
    EXPECT_EQ(ChooseItem(kAlpha, 4), 0);
    EXPECT_EQ(MenuKey('f'), 0);
    EnableMenuItem(alpha, 0);
    EXPECT_EQ(ChooseItem(kAlpha, 4), Choice(kAlpha, 4));
    HiliteMenu(0);
}

TEST_F(MenusTest, MenuKeyFindsShortcuts) {
    struct Case {
        int16_t key;
        long expected;
    };
    const Case cases[] = {
        {'o', Choice(kAlpha, 1)}, {'O', Choice(kAlpha, 1)}, {0x0F, Choice(kAlpha, 1)},  // Ctrl+O code
        {'f', Choice(kAlpha, 4)}, {'d', Choice(kBeta, 2)},  {'x', 0},
        {'1', 0},                 {0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key);
        EXPECT_EQ(MenuKey(c.key), c.expected);
        EXPECT_EQ(GetHilitedMenu(), c.expected != 0 ? c.expected >> 16 : 0);
        HiliteMenu(0);
    }
    DisableMenuItem(GetMenuHandle(kBeta), 2);
    EXPECT_EQ(MenuKey('d'), 0);
}

TEST_F(MenusTest, ItemStatesCountsAndDeletion) {
    MenuHandle alpha = GetMenuHandle(kAlpha);
    EXPECT_EQ(GetMenuHandle(99), nullptr);
    EXPECT_EQ(CountMenuItems(alpha), 4);
    AppendResMenu(alpha, 0x44525652);  // 'DRVR': nothing to append on Linux
    EXPECT_EQ(CountMenuItems(alpha), 4);
    CheckMenuItem(alpha, 4, true);
    EXPECT_TRUE(IsMenuItemChecked(alpha, 4));
    CheckMenuItem(alpha, 4, false);
    EXPECT_FALSE(IsMenuItemChecked(alpha, 4));
    CheckMenuItem(alpha, 9, true);  // outside the menu: ignored
    // Deleting item 1 moves the later ones up a number.
    DeleteMenuItem(alpha, 1);
    EXPECT_EQ(CountMenuItems(alpha), 3);
    Str255 text;
    GetMenuItemText(alpha, 3, text);
    EXPECT_EQ(PascalToString(text), "Four");
    EXPECT_EQ(MenuKey('f'), Choice(kAlpha, 3));
    EXPECT_EQ(MenuKey('o'), 0);
    HiliteMenu(0);
    DeleteMenuItem(alpha, 0);
    DeleteMenuItem(alpha, 7);
    EXPECT_EQ(CountMenuItems(alpha), 3);
}

TEST_F(MenusTest, TheBarIsItsOwnWindowAcrossTheScreen) {
    WindowPtr bar = nullptr;
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w))
        if (w->role == WindowRole::kMenuBar) bar = w;
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->visible);
    EXPECT_EQ(bar->origin, (Point{0, 0}));
    EXPECT_EQ(RectWidth(bar->portRect), RectWidth(GetMainScreenBounds()));
    EXPECT_EQ(RectHeight(bar->portRect), kMenuBarHeight);
    EXPECT_EQ(FrontWindow(), nullptr);
    // The titles are drawn: some red ink inside Alpha's title, none beside the titles.
    auto inkIn = [&](const Rect& r) {
        int lit = 0;
        for (int y = r.top; y < r.bottom - 1; ++y)
            for (int x = r.left; x < r.right; ++x) lit += bar->pixMap.baseAddr[y * bar->pixMap.RowBytes() + 4 * x + 1] > 0;
        return lit;
    };
    EXPECT_GT(inkIn(GetMenuTitleRect(kAlpha)), 10);
    EXPECT_EQ(inkIn(MakeRect(1000, 0, 1100, kMenuBarHeight)), 0);
}

// Counts pixels with any red in a rectangle of the last pull-down shown.
int InkIn(const RecordingHost::Snapshot& s, const Rect& r) {
    int lit = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) lit += (s.At(x, y) >> 16) > 0;
    return lit;
}

uint32_t BrightestRed(const RecordingHost::Snapshot& s, const Rect& r) {
    uint32_t best = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) best = std::max(best, s.At(x, y) >> 16);
    return best;
}

// Local rectangle of item in the pull-down of menu.
Rect LocalItemRect(int16_t menu, int16_t item, const RecordingHost::Snapshot& s) {
    Rect r = GetMenuItemRectWhenOpen(menu, item);
    OffsetRect(&r, -s.origin.h, -s.origin.v);
    return r;
}

TEST_F(MenusTest, PullDownShowsCheckMarksHintsAndDimmedItems) {
    MenuHandle alpha = GetMenuHandle(kAlpha);
    CheckMenuItem(alpha, 1, true);
    // Open Alpha and let go outside it, so that no item is lit in the last picture.
    const Point title = Center(GetMenuTitleRect(kAlpha));
    host().SetMouse(title, true);
    host().ScriptMouse({{Point{400, 800}, true}, {Point{400, 800}, false}});
    EXPECT_EQ(MenuSelect(title), 0);
    ASSERT_GT(host().presented, 0);
    const auto& s = host().lastPullDown;
    const Rect one = LocalItemRect(kAlpha, 1, s);
    const Rect three = LocalItemRect(kAlpha, 3, s);
    const Rect four = LocalItemRect(kAlpha, 4, s);
    ASSERT_FALSE(EmptyRect(&one));
    // The check mark column (left of the text) is inked for item 1 only.
    auto markColumn = [](Rect r) { return MakeRect(r.left + 2, r.top + 2, r.left + 18, r.bottom - 2); };
    EXPECT_GT(InkIn(s, markColumn(one)), 6);
    EXPECT_EQ(InkIn(s, markColumn(four)), 0);
    // Shortcut hints at the right of items 1 and 4; item 3 has none.
    auto hintArea = [](Rect r) { return MakeRect(r.right - 60, r.top, r.right, r.bottom); };
    EXPECT_GT(InkIn(s, hintArea(one)), 10);
    EXPECT_GT(InkIn(s, hintArea(four)), 10);
    EXPECT_EQ(InkIn(s, hintArea(three)), 0);
    // The disabled item is drawn, but dimmer than an enabled one.
    EXPECT_GT(InkIn(s, three), 10);
    EXPECT_LT(BrightestRed(s, three), BrightestRed(s, four));
    // The separator is a line across item 2's middle.
    const Rect two = LocalItemRect(kAlpha, 2, s);
    const int middle = (two.top + two.bottom) / 2;
    EXPECT_GT(InkIn(s, MakeRect(two.left + 10, middle, two.right - 10, middle + 1)), RectWidth(two) - 30);
    // Night palette: nothing but red, and no brighter than its limit.
    for (uint32_t p : s.pixels) {
        ASSERT_EQ(p & 0xFFFF, 0u);
        ASSERT_LE(p >> 16, night::kMaxLevel);
    }
}

TEST_F(MenusTest, TheItemUnderTheMouseIsLit) {
    const Point title = Center(GetMenuTitleRect(kAlpha));
    const Point four = Center(GetMenuItemRectWhenOpen(kAlpha, 4));
    host().SetMouse(title, true);
    // The last picture is taken while the button is still held over item 4.
    host().ScriptMouse({{four, true}, {four, true}, {Point{400, 800}, false}});
    EXPECT_EQ(MenuSelect(title), 0);
    const auto& s = host().lastPullDown;
    const Rect lit = LocalItemRect(kAlpha, 4, s);
    const Rect unlit = LocalItemRect(kAlpha, 1, s);
    // The highlight fills the item's background, left of its text.
    EXPECT_EQ(s.At(lit.left + 3, lit.top + 2) >> 16, night::kHighlight.red >> 8);
    EXPECT_EQ(s.At(unlit.left + 3, unlit.top + 2), 0u);
}

TEST_F(MenusTest, AClickOnATitleKeepsTheMenuOpenForTheNextClick) {
    const Point title = Center(GetMenuTitleRect(kBeta));
    const Point dos = Center(GetMenuItemRectWhenOpen(kBeta, 2));
    host().SetMouse(title, true);
    host().ScriptMouse({{title, false}});  // released at once
    host().PushMouseDown(dos);
    host().ScriptMouse({{dos, true}, {dos, false}});
    EXPECT_EQ(MenuSelect(title), Choice(kBeta, 2));
    HiliteMenu(0);

    // Escape closes a menu held open that way.
    host().SetMouse(title, true);
    host().ScriptMouse({{title, false}});
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_EQ(MenuSelect(title), 0);
    EXPECT_EQ(GetHilitedMenu(), 0);
    // With nothing more coming, a menu held open closes by itself.
    host().SetMouse(title, true);
    host().ScriptMouse({{title, false}});
    EXPECT_EQ(MenuSelect(title), 0);
}

TEST_F(MenusTest, PopUpMenuPlacesTheCurrentItemAtThePoint) {
    MenuHandle menu = GetMenu(kAlpha);
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu, GetMenuHandle(kAlpha));  // a menu of its own
    const int16_t top = 300, left = 400;
    EXPECT_EQ(GetPopUpItemRect(menu, top, left, 4, 4).top, top);
    EXPECT_EQ(GetPopUpItemRect(menu, top, left, 4, 4).left, left + 1);  // inside the menu's frame
    const Point start{int16_t(top + 5), int16_t(left + 10)};
    const Point one = Center(GetPopUpItemRect(menu, top, left, 4, 1));
    host().SetMouse(start, true);
    host().ScriptMouse({{one, true}, {one, false}});
    EXPECT_EQ(PopUpMenuSelect(menu, top, left, 4), Choice(kAlpha, 1));
    // Dragging onto the separator chooses nothing.
    const Point separator = Center(GetPopUpItemRect(menu, top, left, 4, 2));
    host().SetMouse(start, true);
    host().ScriptMouse({{separator, true}, {separator, false}});
    EXPECT_EQ(PopUpMenuSelect(menu, top, left, 4), 0);
    // No pull-down window stays behind.
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w)) EXPECT_NE(w->role, WindowRole::kPopup);
}

}  // namespace
