// The desktop host on a real (virtual) X display, driven with xdotool: keys, clicks,
// drags, pixels on screen and the window manager's gestures.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/gui/DesktopFixture.h"

namespace {

using namespace std::chrono_literals;

constexpr uint16_t kModifierBits = cmdKey | shiftKey | optionKey | controlKey;

struct Key {
    uint16_t what;
    unsigned char c;
    uint16_t modifiers;
    friend bool operator==(const Key&, const Key&) = default;
};

std::ostream& operator<<(std::ostream& os, const Key& k) {
    return os << "{what " << k.what << ", char 0x" << std::hex << int(k.c) << ", modifiers 0x"
              << k.modifiers << std::dec << "}";
}

std::vector<Key> KeysOf(const std::vector<EventRecord>& events) {
    std::vector<Key> keys;
    for (const EventRecord& e : events)
        if (e.what == keyDown || e.what == keyUp || e.what == autoKey)
            keys.push_back(Key{e.what, static_cast<unsigned char>(e.message & charCodeMask),
                               static_cast<uint16_t>(e.modifiers & kModifierBits)});
    return keys;
}

auto UntilKeyCount(size_t n) {
    return [n](const std::vector<EventRecord>& ev) { return KeysOf(ev).size() >= n; };
}

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

// ---- Pixels on the screen ------------------------------------------------------------

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    bool At(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        *r = p[0];
        *g = p[1];
        *b = p[2];
        return true;
    }
};

// Reads a binary PPM (P6, 8 bits) as ImageMagick writes it.
std::optional<Screenshot> ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    Screenshot s;
    if (!(in >> magic >> s.width >> s.height >> maxval) || magic != "P6" || maxval != 255) return std::nullopt;
    in.get();  // the one whitespace before the pixels
    s.rgb.resize(static_cast<size_t>(s.width) * s.height * 3);
    if (!in.read(reinterpret_cast<char*>(s.rgb.data()), static_cast<std::streamsize>(s.rgb.size())))
        return std::nullopt;
    return s;
}

std::optional<Screenshot> CaptureScreen(const Rect& area) {
    std::string path = "/tmp/scopecam-gui-" + std::to_string(getpid()) + ".ppm";
    std::string geometry = std::to_string(RectWidth(area)) + "x" + std::to_string(RectHeight(area)) + "+" +
                           std::to_string(area.left) + "+" + std::to_string(area.top);
    ChildResult r = RunChild({"import", "-window", "root", "-crop", geometry, "+repage", "-depth", "8", "ppm:" + path});
    if (r.status != 0) {
        ADD_FAILURE() << "import failed: " << r.output;
        return std::nullopt;
    }
    auto shot = ReadPpm(path);
    std::remove(path.c_str());
    return shot;
}

// A pattern that differs from pixel to pixel, so that a shift, a flip, a swapped
// channel or a wrong row stride shows.
void PatternPixel(int x, int y, uint8_t* r, uint8_t* g, uint8_t* b) {
    *r = static_cast<uint8_t>(x * 4 + 3);
    *g = static_cast<uint8_t>(y * 6 + 1);
    *b = static_cast<uint8_t>(0x80 | ((x + 2 * y) & 0x3F));
}

void FillWithPattern(WindowPtr w) {
    PixMap& pm = w->pixMap;
    for (int y = 0; y < RectHeight(pm.bounds); ++y) {
        uint8_t* row = pm.baseAddr + static_cast<size_t>(y) * pm.RowBytes();
        for (int x = 0; x < RectWidth(pm.bounds); ++x) {
            row[4 * x] = 0;
            PatternPixel(x, y, &row[4 * x + 1], &row[4 * x + 2], &row[4 * x + 3]);
        }
    }
    w->dirty = true;
}

int CountMismatches(const Screenshot& shot, int width, int height, std::string* first) {
    int bad = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t r = 0, g = 0, b = 0, er, eg, eb;
            PatternPixel(x, y, &er, &eg, &eb);
            if (!shot.At(x, y, &r, &g, &b) || r != er || g != eg || b != eb) {
                if (bad++ == 0) {
                    std::ostringstream os;
                    os << "at " << x << "," << y << ": " << int(r) << " " << int(g) << " " << int(b) << " not "
                       << int(er) << " " << int(eg) << " " << int(eb);
                    *first = os.str();
                }
            }
        }
    }
    return bad;
}

using PixelsTest = DesktopTest;

TEST_F(PixelsTest, ScreenshotShowsTheWindowsPixelsUnchangedAtItsPlace) {
    // An odd width, so that rows carry padding the upload must step over.
    const Rect bounds = MakeRect(300, 200, 361, 237);
    WindowPtr w = OpenWindow(bounds, "Pixels");
    ASSERT_GT(w->pixMap.RowBytes(), 4 * RectWidth(bounds));
    Settle();
    FillWithPattern(w);
    std::string first;
    int bad = -1;
    // The display takes the pixels on its own time: look again for a while.
    for (int attempt = 0; attempt < 20 && bad != 0; ++attempt) {
        Settle(50);
        auto shot = CaptureScreen(bounds);
        ASSERT_TRUE(shot.has_value());
        ASSERT_EQ(shot->width, RectWidth(bounds));
        ASSERT_EQ(shot->height, RectHeight(bounds));
        bad = CountMismatches(*shot, shot->width, shot->height, &first);
    }
    EXPECT_EQ(bad, 0) << "first mismatch " << first;
}

int CountLit(const Screenshot& shot) {
    int lit = 0;
    for (uint8_t v : shot.rgb) lit += v != 0;
    return lit;
}

TEST_F(PixelsTest, WindowIsBlackUntilItsUpdateIsAnswered) {
    // Fresh pixels are white; at night the screen must not flash.
    const Rect bounds = MakeRect(500, 300, 540, 330);
    WindowPtr w = OpenWindow(bounds, "Dark");
    ASSERT_TRUE(w->updatePending);
    EventRecord e;
    // The event loop runs (and presents what was drawn) but nobody answers the update.
    for (int i = 0; i < 5; ++i) WaitNextEvent(everyEvent & ~(1u << updateEvt), &e, 2, nullptr);
    auto shot = CaptureScreen(bounds);
    ASSERT_TRUE(shot.has_value());
    EXPECT_EQ(CountLit(*shot), 0);

    // The update is answered with drawing: the drawing shows.
    ASSERT_TRUE(WaitNextEvent(everyEvent, &e, 30, nullptr));
    ASSERT_EQ(e.what, updateEvt);
    BeginUpdate(w);
    FillWithPattern(w);
    EndUpdate(w);
    int bad = -1;
    std::string first;
    for (int attempt = 0; attempt < 20 && bad != 0; ++attempt) {
        Settle(50);
        shot = CaptureScreen(bounds);
        ASSERT_TRUE(shot.has_value());
        bad = CountMismatches(*shot, shot->width, shot->height, &first);
    }
    EXPECT_EQ(bad, 0) << first;
}

TEST_F(PixelsTest, UncoveringAWindowAsksForAnUpdate) {
    WindowPtr below = OpenWindow(MakeRect(100, 100, 300, 250), "Below");
    Settle(200);
    WindowPtr above = OpenWindow(MakeRect(150, 150, 350, 300), "Above");
    Settle(200);
    HideWindow(above);
    bool updated = false;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!updated && std::chrono::steady_clock::now() < deadline) {
        EventRecord e;
        if (WaitNextEvent(everyEvent, &e, 1, nullptr) && e.what == updateEvt) {
            WindowPtr u = WindowFromReference(e.message);
            ASSERT_NE(u, nullptr);
            BeginUpdate(u);
            EndUpdate(u);
            updated = u == below;
        }
    }
    EXPECT_TRUE(updated);
}

// ---- The window manager's gestures ---------------------------------------------------

using FrameTest = DesktopTest;

TEST_F(FrameTest, MovedByTheWindowManagerTheToolboxWindowFollows) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Move");
    Settle();
    ASSERT_TRUE(Xdotool({"windowmove", "--sync", XWindowOf(w), "520", "330"}));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (w->origin != GlobalPt(520, 330) && std::chrono::steady_clock::now() < deadline) Settle(20);
    EXPECT_EQ(w->origin, GlobalPt(520, 330));
    // Clicks there now land in the window.
    ASSERT_TRUE(Xdotool({"mousemove", "530", "340", "click", "1"}));
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    EXPECT_EQ(FindWindow(down->where, &which), inContent);
    EXPECT_EQ(which, w);
}

// The desktop window's size as the X server has it.
std::pair<int, int> XSizeOf(const std::string& xid) {
    ChildResult r = RunChild({"xdotool", "getwindowgeometry", xid});
    int width = 0, height = 0;
    auto at = r.output.find("Geometry: ");
    if (at != std::string::npos) std::sscanf(r.output.c_str() + at, "Geometry: %dx%d", &width, &height);
    return {width, height};
}

TEST_F(FrameTest, ResizeBecomesAGrowBoxDragAndTheProgramsSizeWins) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Grow", true);
    Settle();
    const std::string xid = XWindowOf(w);
    ASSERT_TRUE(Xdotool({"windowsize", xid, "260", "190"}));
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    ASSERT_EQ(FindWindow(down->where, &which), inGrow);
    ASSERT_EQ(which, w);
    Rect limits = MakeRect(40, 30, 1000, 1000);
    long grown = GrowWindow(w, down->where, &limits);
    EXPECT_EQ(grown & 0xFFFF, 260);
    EXPECT_EQ(grown >> 16, 190);
    // The program keeps its own aspect: it takes the width and makes the height.
    SizeWindow(w, 260, 195, true);
    Settle(300);
    EXPECT_EQ(XSizeOf(xid), std::make_pair(260, 195));

    // A size the program does not take: the window goes back to the program's size.
    ASSERT_TRUE(Xdotool({"windowsize", xid, "500", "400"}));
    ASSERT_TRUE(WaitFor(mouseDown).has_value());
    Settle(300);
    EXPECT_EQ(RectWidth(w->portRect), 260);
    EXPECT_EQ(XSizeOf(xid), std::make_pair(260, 195));
}

TEST_F(FrameTest, ResizingAWindowWithoutGrowBoxKeepsItsSize) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Fixed");
    Settle();
    ASSERT_TRUE(Xdotool({"windowsize", XWindowOf(w), "260", "190"}));
    auto events = Collect([](const auto&) { return false; }, 300ms);
    for (const EventRecord& e : events) EXPECT_NE(e.what, mouseDown);
    EXPECT_EQ(RectWidth(w->portRect), 200);
}

TEST_F(FrameTest, CloseBecomesAClickInTheCloseBox) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Close");
    // A window in front whose content covers w's whole title bar in the toolbox's
    // idea of the screen: w comes to the front so that its close box can be hit.
    WindowPtr cover = OpenWindow(MakeRect(90, 60, 200, 100), "Cover");
    Settle();
    ASSERT_EQ(FrontWindow(), cover);
    SendWindowEvent(w, SDL_WINDOWEVENT_CLOSE);
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    EXPECT_EQ(FindWindow(down->where, &which), inGoAway);
    EXPECT_EQ(which, w);
    EXPECT_EQ(FrontWindow(), w);
    EXPECT_TRUE(IsWindowVisible(cover));
}

TEST_F(FrameTest, ClosingADialogWithoutCloseBoxPressesEscape) {
    WindowPtr d = OpenWindow(MakeRect(100, 100, 300, 250), "Dialog", false, false, false, WindowRole::kDialog);
    Settle();
    SendWindowEvent(d, SDL_WINDOWEVENT_CLOSE);
    auto events = Collect(UntilKeyCount(2));
    std::vector<Key> expected = {{keyDown, 0x1B, 0}, {keyUp, 0x1B, 0}};
    EXPECT_EQ(KeysOf(events), expected);
}

TEST_F(FrameTest, MaximiseBecomesAClickInTheZoomBox) {
    WindowPtr w = OpenWindow(MakeRect(100, 100, 300, 250), "Zoom", true, true);
    Settle();
    SendWindowEvent(w, SDL_WINDOWEVENT_MAXIMIZED);
    auto down = WaitFor(mouseDown);
    ASSERT_TRUE(down.has_value());
    WindowPtr which = nullptr;
    int16_t part = FindWindow(down->where, &which);
    EXPECT_EQ(part, inZoomOut);
    EXPECT_EQ(which, w);
    EXPECT_TRUE(TrackBox(w, down->where, part));
}

// ---- Without a display ---------------------------------------------------------------

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
    }
    if (saved.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
