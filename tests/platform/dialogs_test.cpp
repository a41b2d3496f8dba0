// The dialog manager: the modal loop with its keys, editable text, controls and
// pop-ups, the item calls, the modeless event routing, and what the items look like.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/NightPalette.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr int16_t kTestDialog = 900;
constexpr int16_t kTestPopupMenu = 901;

enum Item : int16_t {
    kOK = 1,
    kCancel,
    kName,
    kCheck,
    kRadioA,
    kRadioB,
    kChoice,
    kLabel,
    kArea,
    kDisabledButton,
    kSecondField,
};

void RegisterTestTemplates() {
    RegisterMenuTemplate({kTestPopupMenu, "Choices", {{"One"}, {"-"}, {"Three"}, {"Four"}}});
    DialogTemplate t;
    t.id = kTestDialog;
    t.title = "Test";
    t.bounds = MakeRect(0, 0, 400, 300);
    t.defaultItem = kOK;
    t.cancelItem = kCancel;
    t.items = {
        {DialogItemKind::kButton, MakeRect(310, 260, 380, 282), "OK"},
        {DialogItemKind::kButton, MakeRect(220, 260, 290, 282), "Cancel"},
        {DialogItemKind::kEditText, MakeRect(20, 20, 200, 44), "abc"},
        {DialogItemKind::kCheckBox, MakeRect(20, 60, 200, 78), "Check"},
        {DialogItemKind::kRadioButton, MakeRect(20, 90, 120, 108), "A", true, 0, 1},
        {DialogItemKind::kRadioButton, MakeRect(130, 90, 230, 108), "B"},
        {DialogItemKind::kPopup, MakeRect(20, 120, 200, 142), "", true, kTestPopupMenu, 3},
        {DialogItemKind::kStaticText, MakeRect(20, 160, 380, 200),
         "A label long enough to need a second line when it is wrapped at this width", false},
        {DialogItemKind::kUserItem, MakeRect(240, 20, 380, 80), ""},
        {DialogItemKind::kButton, MakeRect(130, 260, 200, 282), "Off", false},
        {DialogItemKind::kEditText, MakeRect(20, 210, 200, 234), "second"},
    };
    RegisterDialogTemplate(t);
}

class DialogsTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterTestTemplates();
        dialog_ = GetNewDialog(kTestDialog, nullptr, kInFront);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(GetDialogWindow(dialog_));
    }
    void TearDown() override {
        DisposeDialog(dialog_);
        ToolboxTest::TearDown();
    }

    ControlHandle Handle(int16_t item) {
        ControlHandle h = nullptr;
        GetDialogItem(dialog_, item, nullptr, &h, nullptr);
        return h;
    }
    std::string Text(int16_t item) {
        Str255 s;
        GetDialogItemText(Handle(item), s);
        return PascalToString(s);
    }
    Rect Box(int16_t item) {
        Rect r;
        GetDialogItem(dialog_, item, nullptr, nullptr, &r);
        return r;
    }
    // The global point at a dialog position.
    Point Global(int h, int v) {
        const Point o = GetDialogWindow(dialog_)->origin;
        return Point{int16_t(o.v + v), int16_t(o.h + h)};
    }
    Point CenterOf(int16_t item) {
        const Rect r = Box(item);
        return Global((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    void Click(Point global) { host().ScriptDrag(global, global, 1); }
    void Type(const std::string& text, uint16_t modifiers = 0) {
        for (char c : text) host().PushKeyDown(static_cast<unsigned char>(c), modifiers);
    }
    // Runs the modal dialog once.
    int16_t RunOnce() {
        int16_t hit = -1;
        ModalDialog(nullptr, &hit);
        return hit;
    }
    // Runs it as the program does until OK or Cancel, collecting every other hit.
    std::vector<int16_t> RunUntilOKOrCancel(int16_t* last) {
        std::vector<int16_t> others;
        for (;;) {
            const int16_t hit = RunOnce();
            if (hit == kOK || hit == kCancel) {
                *last = hit;
                return others;
            }
            others.push_back(hit);
        }
    }
    // The 0x00RRGGBB pixel at a dialog position.
    uint32_t PixelAt(int h, int v) {
        const WindowPtr w = GetDialogWindow(dialog_);
        const uint8_t* p = w->pixMap.baseAddr + v * w->pixMap.RowBytes() + 4 * h;
        return (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    int InkIn(const Rect& r) {
        int lit = 0;
        for (int v = r.top; v < r.bottom; ++v)
            for (int h = r.left; h < r.right; ++h) lit += PixelAt(h, v) != 0;
        return lit;
    }

    DialogPtr dialog_ = nullptr;
};

TEST_F(DialogsTest, ReturnEnterAndEscapeHitTheDefaultAndCancelItems) {
    struct Case {
        unsigned char key;
        uint16_t modifiers;
        int16_t expected;
    };
    const Case cases[] = {
        {kReturnCharCode, 0, kOK},
        {kEnterCharCode, 0, kOK},
        {kEscapeCharCode, 0, kCancel},
        {'.', cmdKey, kCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << int(c.key));
        host().PushKeyDown(c.key, c.modifiers);
        EXPECT_EQ(RunOnce(), c.expected);
    }
}

TEST_F(DialogsTest, DefaultAndCancelItemsCanBeChangedOrRemoved) {
    EXPECT_EQ(SetDialogCancelItem(dialog_, 0), noErr);
    EXPECT_EQ(SetDialogDefaultItem(dialog_, kCancel), noErr);
    EXPECT_EQ(SetDialogDefaultItem(dialog_, 99), paramErr);
    // Escape now goes nowhere; Return hits the new default.
    host().PushKeyDown(kEscapeCharCode);
    host().PushKeyDown(kReturnCharCode);
    EXPECT_EQ(RunOnce(), kCancel);
    EXPECT_EQ(host().PendingInput(), 0u);
}

TEST_F(DialogsTest, TypingEditsTheFocusedText) {
    // The first editable text has the focus with all of its text selected.
    EXPECT_EQ(GetDialogKeyboardFocusItem(dialog_), kName);
    struct Step {
        std::vector<unsigned char> keys;
        uint16_t modifiers;
        const char* expected;
    };
    const Step steps[] = {
        {{'x', 'y', 'z'}, 0, "xyz"},                       // replaces the selection
        {{kBackspaceCharCode}, 0, "xy"},
        {{kLeftArrowCharCode, 'a'}, 0, "xay"},
        {{kLeftArrowCharCode, kLeftArrowCharCode, kDeleteCharCode}, 0, "ay"},
        {{kRightArrowCharCode}, shiftKey, "ay"},           // selects "a"
        {{'b'}, 0, "by"},
        {{kUpArrowCharCode, '<'}, 0, "<by"},               // up: to the start
        {{kDownArrowCharCode, '>'}, 0, "<by>"},            // down: to the end
        {{'a'}, cmdKey, "<by>"},                           // Ctrl+A selects all
        {{'9'}, 0, "9"},
        {{kBackspaceCharCode, kBackspaceCharCode}, 0, ""},  // nothing left to delete
    };
    for (const Step& s : steps) {
        for (unsigned char k : s.keys) host().PushKeyDown(k, s.modifiers);
        host().PushKeyDown(kReturnCharCode);
        int16_t last = 0;
        const std::vector<int16_t> hits = RunUntilOKOrCancel(&last);
        EXPECT_EQ(last, kOK);
        EXPECT_EQ(Text(kName), s.expected);
        for (int16_t h : hits) EXPECT_EQ(h, kName);  // only changed text is reported
    }
}

TEST_F(DialogsTest, TextIsLimitedTo255CharactersAndAutoKeysRepeat) {
    SelectDialogItemText(dialog_, kName, 0, 3);
    for (int i = 0; i < 300; ++i) host().PushAutoKey('w');
    host().PushKeyDown(kReturnCharCode);
    int16_t last = 0;
    RunUntilOKOrCancel(&last);
    EXPECT_EQ(Text(kName), std::string(255, 'w'));
}

TEST_F(DialogsTest, TabMovesTheFocusToTheNextField) {
    host().PushKeyDown(kTabCharCode);
    Type("2nd");
    host().PushKeyDown(kTabCharCode, shiftKey);
    Type("1st");
    host().PushKeyDown(kReturnCharCode);
    int16_t last = 0;
    RunUntilOKOrCancel(&last);
    EXPECT_EQ(Text(kSecondField), "2nd");
    EXPECT_EQ(Text(kName), "1st");
}

TEST_F(DialogsTest, ClickingInTextPlacesTheCaretAndDraggingSelects) {
    SetDialogItemText(Handle(kName), reinterpret_cast<const unsigned char*>("\x06" "abcdef"));
    const Rect r = Box(kName);
    const int v = (r.top + r.bottom) / 2;
    // A click far right of the text puts the caret at its end.
    Click(Global(r.right - 5, v));
    Type("X");
    // A drag from the left end over most of the text selects it; typing replaces it.
    host().PushMouseDown(Global(r.left + 2, v));
    host().ScriptMouse({{Global(r.right - 5, v), true}, {Global(r.right - 5, v), false}});
    Type("Y");
    host().PushKeyDown(kReturnCharCode);
    int16_t last = 0;
    RunUntilOKOrCancel(&last);
    EXPECT_EQ(Text(kName), "Y");
}

TEST_F(DialogsTest, ACheckBoxIsReportedAndTheProgramTogglesIt) {
    ControlHandle check = Handle(kCheck);
    EXPECT_EQ(GetControlValue(check), 0);
    Click(CenterOf(kCheck));
    EXPECT_EQ(RunOnce(), kCheck);
    SetControlValue(check, 1 - GetControlValue(check));
    EXPECT_EQ(GetControlValue(check), 1);
    // A press released outside the box is no hit.
    host().PushMouseDown(CenterOf(kCheck));
    host().ScriptMouse({{Global(390, 290), true}, {Global(390, 290), false}});
    host().PushKeyDown(kReturnCharCode);
    EXPECT_EQ(RunOnce(), kOK);
    EXPECT_EQ(GetControlValue(check), 1);
}

TEST_F(DialogsTest, ARadioGroupKeepsOneOn) {
    // The program's rule: all of the group off, then the hit one on.
    auto choose = [&](int16_t hit) {
        for (int16_t i : {kRadioA, kRadioB}) SetControlValue(Handle(i), 0);
        SetControlValue(Handle(hit), 1);
    };
    Click(CenterOf(kRadioB));
    const int16_t hit = RunOnce();
    EXPECT_EQ(hit, kRadioB);
    choose(hit);
    EXPECT_EQ(GetControlValue(Handle(kRadioA)), 0);
    EXPECT_EQ(GetControlValue(Handle(kRadioB)), 1);
    Click(CenterOf(kRadioA));
    choose(RunOnce());
    EXPECT_EQ(GetControlValue(Handle(kRadioA)), 1);
    EXPECT_EQ(GetControlValue(Handle(kRadioB)), 0);
}

TEST_F(DialogsTest, APopupTakesTheChosenItemAsItsValue) {
    ControlHandle popup = Handle(kChoice);
    EXPECT_EQ(GetControlValue(popup), 3);
    MenuHandle menu = GetMenu(kTestPopupMenu);  // same items, for the geometry
    const Rect box = Box(kChoice);
    const Point o = GetDialogWindow(dialog_)->origin;
    const int16_t top = static_cast<int16_t>(o.v + box.top), left = static_cast<int16_t>(o.h + box.left);
    struct Case {
        int16_t target;
        int16_t hit;
        int16_t value;
    };
    const Case cases[] = {{4, kChoice, 4}, {2, 0, 4}, {1, kChoice, 1}};  // 2 is a divider
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "item " << c.target);
        const Rect target = GetPopUpItemRect(menu, top, left, GetControlValue(popup), c.target);
        const Point p{int16_t((target.top + target.bottom) / 2), int16_t((target.left + target.right) / 2)};
        host().PushMouseDown(CenterOf(kChoice));
        host().ScriptMouse({{p, true}, {p, false}});
        host().PushKeyDown(kReturnCharCode);
        const int16_t expected = c.hit != 0 ? c.hit : int16_t{kOK};
        EXPECT_EQ(RunOnce(), expected);
        EXPECT_EQ(GetControlValue(popup), c.value);
        if (c.hit != 0) {
            EXPECT_EQ(RunOnce(), kOK);  // the Return still queued
        }
    }
}

TEST_F(DialogsTest, DisabledAndHiddenItemsAndClicksOutsideAreNotReported) {
    Click(CenterOf(kDisabledButton));
    Click(CenterOf(kLabel));  // static text, disabled
    HideDialogItem(dialog_, kCheck);
    Click(CenterOf(kCheck));
    Click(Point{5, 5});  // outside the dialog: a beep
    host().PushKeyDown(kReturnCharCode);
    EXPECT_EQ(RunOnce(), kOK);
    EXPECT_EQ(host().Beeps(), 1);
    // The hidden item's place is blank.
    EXPECT_EQ(InkIn(Box(kCheck)), 0);
    ShowDialogItem(dialog_, kCheck);
    EXPECT_GT(InkIn(Box(kCheck)), 20);
}

TEST_F(DialogsTest, UserItemsReportPressesWithoutTakingTheDrag) {
    const Point inside = CenterOf(kArea);
    host().PushMouseDown(inside);
    host().ScriptMouse({{inside, true}, {inside, false}});
    EXPECT_EQ(RunOnce(), kArea);
    // The program follows the drag itself.
    EXPECT_FALSE(host().ScriptEmpty());
    EXPECT_TRUE(StillDown());
    EXPECT_FALSE(StillDown());
}

TEST_F(DialogsTest, ItemCallsAndTheirLimits) {
    int16_t type = 0;
    ControlHandle h = nullptr;
    Rect box;
    GetDialogItem(dialog_, kCheck, &type, &h, &box);
    EXPECT_EQ(type, kCheckBoxDialogItem);
    EXPECT_EQ(box, MakeRect(20, 60, 200, 78));
    GetDialogItem(dialog_, kDisabledButton, &type, nullptr, nullptr);
    EXPECT_EQ(type, kButtonDialogItem | kItemDisableBit);
    GetDialogItem(dialog_, 0, &type, &h, &box);
    EXPECT_EQ(h, nullptr);
    GetDialogItem(dialog_, 99, &type, &h, &box);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(CountDITL(dialog_), kSecondField);
    // Values stay within each control's range.
    SetControlValue(Handle(kCheck), 5);
    EXPECT_EQ(GetControlValue(Handle(kCheck)), 1);
    SetControlValue(Handle(kChoice), 0);
    EXPECT_EQ(GetControlValue(Handle(kChoice)), 1);
    SetControlValue(Handle(kChoice), 40);
    EXPECT_EQ(GetControlValue(Handle(kChoice)), 4);
    EXPECT_EQ(GetControlValue(nullptr), 0);
    SetControlValue(nullptr, 1);
    // Text of any length round-trips up to 255 characters; static text too.
    Str255 text;
    CopyCStringToPascal(std::string(255, 'k'), text);
    SetDialogItemText(Handle(kName), text);
    EXPECT_EQ(Text(kName), std::string(255, 'k'));
    CopyCStringToPascal("changed", text);
    SetDialogItemText(Handle(kLabel), text);
    EXPECT_EQ(Text(kLabel), "changed");
    GetDialogItemText(nullptr, text);
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(GetDialogFromWindow(GetDialogWindow(dialog_)), dialog_);
    EXPECT_EQ(GetDialogPort(dialog_), GetDialogWindow(dialog_));
    EXPECT_EQ(GetNewDialog(12345, nullptr, kInFront), nullptr);
}

TEST_F(DialogsTest, DrawnItemsShowTheirState) {
    DrawDialog(dialog_);
    // The default button's ring lies just outside it; the other buttons have none.
    const Rect ok = Box(kOK), cancel = Box(kCancel);
    EXPECT_NE(PixelAt((ok.left + ok.right) / 2, ok.top - 3), 0u);
    EXPECT_EQ(PixelAt((cancel.left + cancel.right) / 2, cancel.top - 3), 0u);
    // A check box gets a mark inside its square when on.
    const Rect check = Box(kCheck);
    const Rect inside = MakeRect(check.left + 2, check.top + 3, check.left + 10, check.top + 13);
    const int before = InkIn(inside);
    SetControlValue(Handle(kCheck), 1);
    EXPECT_GT(InkIn(inside), before + 5);
    // The selected radio button has its dot.
    const Rect a = Box(kRadioA), b = Box(kRadioB);
    EXPECT_NE(PixelAt(a.left + 6, (a.top + a.bottom) / 2), 0u);
    EXPECT_EQ(PixelAt(b.left + 6, (b.top + b.bottom) / 2), 0u);
    // Static text wraps onto a second line inside its box.
    const Rect label = Box(kLabel);
    EXPECT_GT(InkIn(MakeRect(label.left, label.top + 20, label.right, label.bottom)), 20);
    // Everything is dim red on black.
    const WindowPtr w = GetDialogWindow(dialog_);
    for (int v = 0; v < RectHeight(w->portRect); ++v)
        for (int h = 0; h < RectWidth(w->portRect); ++h) {
            const uint32_t p = PixelAt(h, v);
            ASSERT_EQ(p & 0xFFFF, 0u) << h << "," << v;
            ASSERT_LE(p >> 16, night::kMaxLevel) << h << "," << v;
        }
}

TEST_F(DialogsTest, DrawingLeavesTheProgramsPortSettingsAlone) {
    GrafPtr port = GetDialogPort(dialog_);
    SetPort(port);
    ForeColor(blackColor);
    TextSize(9);
    MoveTo(7, 8);
    DrawDialog(dialog_);
    SetControlValue(Handle(kCheck), 1);
    GrafPtr current = nullptr;
    GetPort(&current);
    EXPECT_EQ(current, port);
    EXPECT_EQ(port->fgColor, (RGBColor{0, 0, 0}));
    EXPECT_EQ(port->txSize, 9);
    EXPECT_EQ(port->pnLoc, (Point{8, 7}));
}

class ModelessDialogTest : public DialogsTest {};

TEST_F(ModelessDialogTest, EventsAreRoutedToTheDialog) {
    EventRecord press;
    press.what = mouseDown;
    press.where = CenterOf(kRadioB);
    EXPECT_TRUE(IsDialogEvent(press));
    host().ScriptMouse({{press.where, true}, {press.where, false}});
    DialogPtr which = nullptr;
    int16_t item = 0;
    EXPECT_TRUE(DialogSelect(press, &which, &item));
    EXPECT_EQ(which, dialog_);
    EXPECT_EQ(item, kRadioB);

    // A press on the program's own area names it at once.
    press.where = CenterOf(kArea);
    EXPECT_TRUE(DialogSelect(press, &which, &item));
    EXPECT_EQ(item, kArea);

    // A press outside every dialog is not a dialog event.
    EventRecord outside = press;
    outside.where = Point{5, 5};
    EXPECT_FALSE(IsDialogEvent(outside));
    EXPECT_FALSE(DialogSelect(outside, &which, &item));
    EXPECT_EQ(which, nullptr);
    EXPECT_EQ(item, 0);

    // An update draws the items and is not a hit.
    EventRecord update;
    update.what = updateEvt;
    update.message = GetDialogWindow(dialog_)->reference;
    EXPECT_TRUE(IsDialogEvent(update));
    GetDialogWindow(dialog_)->updatePending = true;
    EXPECT_FALSE(DialogSelect(update, &which, &item));
    EXPECT_EQ(which, dialog_);
    EXPECT_FALSE(GetDialogWindow(dialog_)->updatePending);
    EXPECT_GT(InkIn(Box(kOK)), 20);

    // Keys go to the focused text while the dialog is in front.
    EventRecord key;
    key.what = keyDown;
    key.message = 'q';
    EXPECT_TRUE(IsDialogEvent(key));
    EXPECT_TRUE(DialogSelect(key, &which, &item));
    EXPECT_EQ(item, kName);
    EXPECT_EQ(Text(kName), "q");
    HideWindow(GetDialogWindow(dialog_));
    EXPECT_FALSE(IsDialogEvent(key));
}

}  // namespace
