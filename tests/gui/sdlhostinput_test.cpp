// The desktop host's input on a real (virtual) X display, driven with xdotool: keys
// with their characters and modifiers, clicks at their global points, drags; and what
// happens without a display.
#include <gtest/gtest.h>

#include "platform/host/DesktopHost.h"
#include "tests/gui/DesktopFixture.h"

namespace {

using namespace std::chrono_literals;

using KeysTest = DesktopTest;

TEST_F(KeysTest, KeyDownsAndUpsCarryTheLayoutsCharactersAndTheModifiers) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Keys");
    Settle();
    ASSERT_TRUE(Focus(w));
    ASSERT_TRUE(Xdotool({"key", "--delay", "20", "a", "shift+comma", "ctrl+q", "alt+x", "super+y", "Left",
                         "Right", "Up", "Down", "Return", "KP_Enter", "Escape", "BackSpace", "Delete",
                         "braceleft", "braceright", "shift+period"}));
    struct Stroke {
        unsigned char c;
        uint16_t modifiers;
    } strokes[] = {
        {'a', 0},           {'<', shiftKey},  {'q', cmdKey},  {'x', optionKey}, {'y', controlKey},
        {0x1C, 0},          {0x1D, 0},        {0x1E, 0},      {0x1F, 0},        {0x0D, 0},
        {0x03, 0},          {0x1B, 0},        {0x08, 0},      {0x7F, 0},        {'{', shiftKey},
        {'}', shiftKey},    {'>', shiftKey},
    };
    // xdotool lets go of the modifiers before the key: the key-ups come without them
    // and still bring their key-down's character.
    std::vector<Key> expected;
    for (const Stroke& s : strokes) {
        expected.push_back(Key{keyDown, s.c, s.modifiers});
        expected.push_back(Key{keyUp, s.c, 0});
    }
    auto events = Collect(UntilKeyCount(expected.size()));
    EXPECT_EQ(KeysOf(events), expected);
    // The mouse button is up all the while.
    for (const EventRecord& e : events) EXPECT_TRUE(e.modifiers & btnState);
}

TEST_F(KeysTest, KeyUpBringsTheCharacterOfItsKeyDownAfterShiftWasLetGo) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Keys");
    Settle();
    ASSERT_TRUE(Focus(w));
    ASSERT_TRUE(Xdotool({"keydown", "shift", "keydown", "period", "keyup", "shift", "keyup", "period"}));
    std::vector<Key> expected = {{keyDown, '>', shiftKey}, {keyUp, '>', 0}};
    EXPECT_EQ(KeysOf(Collect(UntilKeyCount(2))), expected);
}

TEST_F(KeysTest, HeldKeyRepeatsAsAutoKeysAndEndsWithOneKeyUp) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Keys");
    Settle();
    ASSERT_TRUE(Focus(w));
    // Held well past the display's repeat delay (660 ms).
    ASSERT_TRUE(Xdotool({"keydown", "Up", "sleep", "1.3", "keyup", "Up"}));
    auto keys = KeysOf(Collect([](const auto& ev) {
        auto k = KeysOf(ev);
        return !k.empty() && k.back().what == keyUp;
    }));
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ(keys.front(), (Key{keyDown, 0x1E, 0}));
    EXPECT_EQ(keys.back(), (Key{keyUp, 0x1E, 0}));
    for (size_t i = 1; i + 1 < keys.size(); ++i) EXPECT_EQ(keys[i], (Key{autoKey, 0x1E, 0})) << i;
}

using MouseTest = DesktopTest;

TEST_F(MouseTest, FirstClickInAnInactiveWindowArrivesAtItsGlobalPoint) {
    WindowPtr a = OpenWindow(MakeRect(100, 100, 300, 250), "A");
    WindowPtr b = OpenWindow(MakeRect(400, 100, 600, 250), "B");
    Settle();
    ASSERT_TRUE(Focus(a));
    struct Case {
        std::vector<std::string> gesture;
        Point where;
        uint16_t modifiers;
    } cases[] = {
        {{"mousemove", "430", "160", "click", "1"}, GlobalPt(430, 160), 0},
        // The right button is the secondary click: the button with control.
        {{"mousemove", "431", "161", "click", "3"}, GlobalPt(431, 161), controlKey},
        {{"mousemove", "150", "200", "keydown", "ctrl", "click", "1", "keyup", "ctrl"}, GlobalPt(150, 200), cmdKey},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), c.gesture.begin(), c.gesture.end());
        ASSERT_EQ(RunChild(argv).status, 0);
        auto events = Collect([](const auto& ev) { return !ev.empty() && ev.back().what == mouseUp; });
        std::vector<EventRecord> mouse;
        for (const EventRecord& e : events)
            if (e.what == mouseDown || e.what == mouseUp) mouse.push_back(e);
        ASSERT_EQ(mouse.size(), 2u) << c.gesture[1];
        EXPECT_EQ(mouse[0].what, mouseDown);
        EXPECT_EQ(mouse[0].where, c.where);
        EXPECT_EQ(mouse[0].modifiers & (kModifierBits | btnState), c.modifiers);
        EXPECT_EQ(mouse[1].what, mouseUp);
        EXPECT_EQ(mouse[1].where, c.where);
        EXPECT_TRUE(mouse[1].modifiers & btnState);
    }
    WindowPtr which = nullptr;
    EXPECT_EQ(FindWindow(GlobalPt(430, 160), &which), inContent);
    EXPECT_EQ(which, b);
}

TEST_F(MouseTest, DragLoopFollowsEveryPositionInWindowCoordinates) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 400, 300), "Drag");
    Settle();
    ASSERT_TRUE(Xdotool({"mousemove", "120", "130", "mousedown", "1", "mousemove", "150", "140",
                         "mousemove", "180", "170", "mousemove", "250", "90", "mouseup", "1"}));
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    EXPECT_EQ(down->where, GlobalPt(120, 130));
    SetPort(w);
    std::vector<Point> seen;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (StillDown() && std::chrono::steady_clock::now() < deadline) {
        Point p;
        GetMouse(&p);
        if (seen.empty() || seen.back() != p) seen.push_back(p);
    }
    Point last;
    GetMouse(&last);
    if (seen.empty() || seen.back() != last) seen.push_back(last);
    // Local to the window; the last point lies outside it, above.
    std::vector<Point> expected = {GlobalPt(50, 40), GlobalPt(80, 70), GlobalPt(150, -10)};
    EXPECT_EQ(seen, expected);
    auto up = WaitFor(mouseUp);
    ASSERT_TRUE(up.has_value());
    EXPECT_EQ(up->where, GlobalPt(250, 90));
}

TEST(SdlHostWithoutDisplay, CreateSaysWhyAndGivesNoHost) {
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    struct Case {
        const char* display;  // null: unset
        const char* reasonHas;
    } cases[] = {
        {nullptr, "DISPLAY"},
        {"", "DISPLAY"},
        {":7919", ":7919"},  // no server there
    };
    for (const Case& c : cases) {
        if (c.display)
            setenv("DISPLAY", c.display, 1);
        else
            unsetenv("DISPLAY");
        std::string why;
        EXPECT_EQ(SdlHost::Create(why), nullptr);
        EXPECT_NE(why.find(c.reasonHas), std::string::npos) << why;
        // The program's way in says the same.
        std::string programWhy;
        EXPECT_EQ(CreateDesktopHost(programWhy), nullptr);
        EXPECT_EQ(programWhy, why);
    }
    if (saved.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
