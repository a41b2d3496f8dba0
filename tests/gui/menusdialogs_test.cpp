// The toolbox's menus and dialogs on the desktop host, worked with the mouse and the
// keyboard through xdotool.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "tests/gui/DesktopFixture.h"

namespace {

using namespace std::chrono_literals;

std::string Coordinate(int c) { return std::to_string(c); }

Point Middle(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}

constexpr int16_t kFileMenu = 700;
constexpr int16_t kViewMenu = 701;
constexpr int16_t kMenuBarId = 700;

class DesktopMenusTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterMenuTemplate(MenuTemplate{kFileMenu, "File", {{"Open", 'o'}, {"-"}, {"Quit", 'q'}}});
        RegisterMenuTemplate(MenuTemplate{kViewMenu, "View", {{"Raw"}, {"Levels"}, {"-"}, {"Dimmed", 0, false}, {"Focus"}}});
        RegisterMenuBarTemplate(kMenuBarId, {kFileMenu, kViewMenu});
        SetMenuBar(GetNewMBar(kMenuBarId));
        DrawMenuBar();
        Settle();
    }

    // Runs a mouse gesture, then hands its press to the menus as the program does.
    long ChooseWithMouse(std::initializer_list<std::string> gesture) {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), gesture.begin(), gesture.end());
        ChildResult r = RunChild(argv);
        EXPECT_EQ(r.status, 0) << r.output;
        auto down = WaitFor(mouseDown);
        if (!down) {
            ADD_FAILURE() << "no mouse-down came";
            return -1;
        }
        WindowPtr which = nullptr;
        EXPECT_EQ(FindWindow(down->where, &which), inMenuBar);
        long choice = MenuSelect(down->where);
        HiliteMenu(0);
        return choice;
    }
};

TEST_F(DesktopMenusTest, ItemChosenByPressingOnTheTitleAndReleasingOnTheItem) {
    struct Case {
        int16_t menu;
        int16_t item;
        long expected;
    } cases[] = {
        {kViewMenu, 2, (long(kViewMenu) << 16) | 2},
        {kFileMenu, 3, (long(kFileMenu) << 16) | 3},
        {kViewMenu, 3, 0},  // a separator
        {kViewMenu, 4, 0},  // disabled
    };
    for (const Case& c : cases) {
        Point title = Middle(GetMenuTitleRect(c.menu));
        Point item = Middle(GetMenuItemRectWhenOpen(c.menu, c.item));
        long chosen = ChooseWithMouse({"mousemove", Coordinate(title.h), Coordinate(title.v), "mousedown", "1",
                                       "mousemove", Coordinate(item.h), Coordinate(item.v - 2), "mousemove",
                                       Coordinate(item.h), Coordinate(item.v), "mouseup", "1"});
        EXPECT_EQ(chosen, c.expected) << "menu " << c.menu << " item " << c.item;
    }
}

TEST_F(DesktopMenusTest, ClickOnTheTitleLeavesTheMenuOpenForAClickOnTheItem) {
    Point title = Middle(GetMenuTitleRect(kViewMenu));
    Point item = Middle(GetMenuItemRectWhenOpen(kViewMenu, 5));
    long chosen = ChooseWithMouse({"mousemove", Coordinate(title.h), Coordinate(title.v), "click", "1",
                                   "mousemove", Coordinate(item.h), Coordinate(item.v), "click", "1"});
    EXPECT_EQ(chosen, (long(kViewMenu) << 16) | 5);
    // The pull-down is gone from the desktop once the choice is made.
    for (WindowPtr w = FirstWindow(); w != nullptr; w = NextWindow(w)) EXPECT_NE(w->role, WindowRole::kPopup);
}

// ---- Dialogs -------------------------------------------------------------------------

constexpr int16_t kConfirmDialog = 900;
enum : int16_t { kOkItem = 1, kCancelItem = 2, kValueItem = 3 };

// Ends ModalDialog with item -1 once the test has waited long enough.
std::chrono::steady_clock::time_point gModalDeadline;
bool GiveUpAtDeadline(DialogPtr, EventRecord*, int16_t* itemHit) {
    if (std::chrono::steady_clock::now() < gModalDeadline) return false;
    *itemHit = -1;
    return true;
}

class DesktopDialogTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        DialogTemplate t;
        t.id = kConfirmDialog;
        t.bounds = MakeRect(0, 0, 260, 110);
        t.title = "Exposure";
        t.visible = true;
        t.defaultItem = kOkItem;
        t.cancelItem = kCancelItem;
        t.items = {
            {DialogItemKind::kButton, MakeRect(170, 75, 250, 100), "OK"},
            {DialogItemKind::kButton, MakeRect(80, 75, 160, 100), "Cancel"},
            {DialogItemKind::kEditText, MakeRect(20, 20, 240, 44), "12"},
        };
        RegisterDialogTemplate(t);
    }

    // Runs the dialog as a program does: until OK or Cancel (or the time is up).
    int16_t RunUntilAnswered() {
        gModalDeadline = std::chrono::steady_clock::now() + 5s;
        int16_t item = 0;
        do {
            ModalDialog(GiveUpAtDeadline, &item);
        } while (item != kOkItem && item != kCancelItem && item != -1);
        return item;
    }

    std::string ValueText(DialogPtr d) {
        ControlHandle field = nullptr;
        GetDialogItem(d, kValueItem, nullptr, &field, nullptr);
        Str255 text;
        GetDialogItemText(field, text);
        return PascalToString(text);
    }
};

TEST_F(DesktopDialogTest, ReturnConfirmsWhatWasTyped) {
    DialogPtr d = GetNewDialog(kConfirmDialog, nullptr, kInFront);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Focus(GetDialogWindow(d)));
    // The field's text starts selected: typing replaces it.
    ASSERT_TRUE(Xdotool({"key", "--delay", "20", "ctrl+a", "3", "0", "Return"}));
    EXPECT_EQ(RunUntilAnswered(), kOkItem);
    EXPECT_EQ(ValueText(d), "30");
    DisposeDialog(d);
}

TEST_F(DesktopDialogTest, EscapeCancelsAndAClickOnOkConfirms) {
    DialogPtr d = GetNewDialog(kConfirmDialog, nullptr, kInFront);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(Focus(GetDialogWindow(d)));
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    EXPECT_EQ(RunUntilAnswered(), kCancelItem);

    Rect ok;
    GetDialogItem(d, kOkItem, nullptr, nullptr, &ok);
    Point at = Middle(ok);
    Point origin = GetDialogWindow(d)->origin;
    ASSERT_TRUE(Xdotool({"mousemove", Coordinate(origin.h + at.h), Coordinate(origin.v + at.v), "click", "1"}));
    EXPECT_EQ(RunUntilAnswered(), kOkItem);
    DisposeDialog(d);
}

}  // namespace
