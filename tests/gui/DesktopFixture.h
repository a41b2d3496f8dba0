// A test fixture that runs the toolbox on the desktop host, on an Xvfb display of the
// test's own, and drives it from outside with xdotool as a user would.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Toolbox.h"
#include "platform/host/SdlHost.h"
#include "platform/host/SdlX11Pointer.h"
#include "platform/services/Clock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/XvfbDisplay.h"

class DesktopTest : public ::testing::Test {
protected:
    // The size of the toolbox's main screen, so that the two agree.
    static constexpr int kScreenWidth = 1920;
    static constexpr int kScreenHeight = 1080;

    static void SetUpTestSuite() {
        if (!ProgramOnPath("Xvfb")) return;
        if (const char* d = std::getenv("DISPLAY")) SavedDisplay() = d;
        Display() = std::make_unique<XvfbDisplay>();
        if (!Display()->Start(kScreenWidth, kScreenHeight, StartError())) return;
        setenv("DISPLAY", Display()->Name().c_str(), 1);
    }

    static void TearDownTestSuite() {
        Display().reset();
        if (SavedDisplay().empty())
            unsetenv("DISPLAY");
        else
            setenv("DISPLAY", SavedDisplay().c_str(), 1);
    }

    void SetUp() override {
        if (!ProgramOnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
        ASSERT_TRUE(Display() && Display()->Running()) << "Xvfb: " << StartError();
        std::string whyNot;
        std::unique_ptr<SdlHost> host = SdlHost::Create(whyNot);
        ASSERT_NE(host, nullptr) << whyNot;
        host_ = host.get();
        InitToolbox(std::move(host), std::make_unique<MonotonicClock>());
        SetEventMask(everyEvent);
    }

    void TearDown() override {
        if (ToolboxRunning()) ShutdownToolbox();
    }

    SdlHost& host() { return *host_; }

    // A shown program window whose content is bounds (global).
    WindowPtr OpenWindow(Rect bounds, const std::string& title, bool grow = false,
                         bool zoom = false, bool close = true,
                         WindowRole role = WindowRole::kDocument) {
        WindowTemplate t{0, bounds, title, true, close, grow, zoom};
        return NewWindowFromTemplate(t, role, kInFront);
    }

    // The X window id of w's desktop window, as xdotool takes it.
    std::string XWindowOf(WindowPtr w) { return std::to_string(X11WindowIdOf(host().DesktopWindow(w))); }

    // Runs xdotool with args; false (with a test failure) when it does not succeed.
    bool Xdotool(std::initializer_list<std::string> args) {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        ChildResult r = RunChild(argv);
        EXPECT_EQ(r.status, 0) << "xdotool failed (timed out: " << r.timedOut << "): " << r.output;
        return r.status == 0;
    }

    // Gives the keyboard to w (X11 sends keys to the focused window).
    bool Focus(WindowPtr w) { return Xdotool({"windowfocus", "--sync", XWindowOf(w)}); }

    // Runs the event loop for at most timeout, answering update events, and returns
    // the other events as they come until enough says so.
    std::vector<EventRecord> Collect(const std::function<bool(const std::vector<EventRecord>&)>& enough,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::vector<EventRecord> events;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!enough(events) && std::chrono::steady_clock::now() < deadline) {
            EventRecord e;
            if (!WaitNextEvent(everyEvent, &e, 1, nullptr)) continue;
            if (e.what == updateEvt) {
                if (WindowPtr w = WindowFromReference(e.message)) {
                    BeginUpdate(w);
                    EndUpdate(w);
                }
                continue;
            }
            events.push_back(e);
        }
        return events;
    }

    // The first event of kind what, waiting at most timeout.
    std::optional<EventRecord> WaitFor(uint16_t what, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        auto events = Collect([what](const auto& ev) { return !ev.empty() && ev.back().what == what; }, timeout);
        if (events.empty() || events.back().what != what) return std::nullopt;
        return events.back();
    }

    // Lets the host take what the desktop has to say, for about millis.
    void Settle(int millis = 100) {
        Collect([](const auto&) { return false; }, std::chrono::milliseconds(millis));
    }

    // Sends a window event to w's desktop window as the window manager would.
    void SendWindowEvent(WindowPtr w, SDL_WindowEventID what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(host().DesktopWindow(w));
        e.window.event = static_cast<Uint8>(what);
        SDL_PushEvent(&e);
    }

private:
    static std::unique_ptr<XvfbDisplay>& Display() {
        static std::unique_ptr<XvfbDisplay> display;
        return display;
    }
    static std::string& StartError() {
        static std::string error;
        return error;
    }
    static std::string& SavedDisplay() {
        static std::string saved;
        return saved;
    }

    SdlHost* host_ = nullptr;
};

inline Point GlobalPt(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

// Key events reduced to what the tests compare: kind, character and modifiers.
inline constexpr uint16_t kModifierBits = cmdKey | shiftKey | optionKey | controlKey;

struct Key {
    uint16_t what;
    unsigned char c;
    uint16_t modifiers;
    friend bool operator==(const Key&, const Key&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Key& k) {
    return os << "{what " << k.what << ", char 0x" << std::hex << int(k.c) << ", modifiers 0x"
              << k.modifiers << std::dec << "}";
}

inline std::vector<Key> KeysOf(const std::vector<EventRecord>& events) {
    std::vector<Key> keys;
    for (const EventRecord& e : events)
        if (e.what == keyDown || e.what == keyUp || e.what == autoKey)
            keys.push_back(Key{e.what, static_cast<unsigned char>(e.message & charCodeMask),
                               static_cast<uint16_t>(e.modifiers & kModifierBits)});
    return keys;
}

inline auto UntilKeyCount(size_t n) {
    return [n](const std::vector<EventRecord>& ev) { return KeysOf(ev).size() >= n; };
}
