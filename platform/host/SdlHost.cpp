// The desktop host: its desktop windows, the desktop's input read in order, and what
// the toolbox asks of it (events, the mouse, beeps, the cursor). The window manager's
// gestures are answered in SdlHostFrames.cpp.
#include "platform/host/SdlHost.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <unistd.h>

#include "platform/host/SdlX11Connection.h"
#include "platform/host/SdlX11Pointer.h"

namespace {

// One desktop host at a time: SDL is one per process.
bool sDesktopOpen = false;

// How long a drag loop waits for the mouse to do something before it looks again.
constexpr uint32_t kDragPollMillis = 10;

constexpr uint32_t kButtonMasks = SDL_BUTTON_LMASK | SDL_BUTTON_RMASK;

void SetDesktopHints() {
    // Global coordinates need windows placed on the screen: X11 (or XWayland).
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    // The click that activates a window is a click in it.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // Ctrl+C in the terminal ends the program as usual; closing windows is answered
    // by the program, never by a quit of its own.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The pixels are made by the processor and shown one to one, and a window may
    // present many times a frame (menus, sliders): the software renderer does that
    // without a graphics context per window or a wait for the display's refresh.
    // Its frames go to the X server as they are, not through an OpenGL texture. The
    // environment's SDL_RENDER_DRIVER and SDL_FRAMEBUFFER_ACCELERATION still win.
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // A desktop program, not a game: keep the compositor and the screen saver.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
}

// The toolbox's cursor numbers: 0 the arrow, then the text beam, the cross, the plus
// and the watch.
constexpr int16_t kIBeamCursor = 1;
constexpr int16_t kPlusCursor = 3;

SDL_SystemCursor SystemCursorFor(int16_t id) {
    switch (id) {
        case kIBeamCursor: return SDL_SYSTEM_CURSOR_IBEAM;
        case crossCursor: return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case kPlusCursor: return SDL_SYSTEM_CURSOR_CROSSHAIR;
        case watchCursor: return SDL_SYSTEM_CURSOR_WAIT;
        default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

}  // namespace

std::unique_ptr<SdlHost> SdlHost::Create(std::string& whyNot) {
    if (sDesktopOpen) {
        whyNot = "the desktop is already open";
        return nullptr;
    }
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        whyNot = "no display to show windows on (DISPLAY is not set)";
        return nullptr;
    }
    SetDesktopHints();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        whyNot = std::string("cannot open the display ") + display + ": " + SDL_GetError();
        SDL_Quit();
        return nullptr;
    }
    EnableDesktopPointerEvents();
    WatchDisplayConnection(&SdlHost::DisplayLost);
    sDesktopOpen = true;
    return std::unique_ptr<SdlHost>(new SdlHost());
}

bool SdlHost::sDisplayLost = false;
std::function<void()> SdlHost::sDisplayLostHandler;

void SdlHost::SetDisplayLostHandler(std::function<void()> handler) { sDisplayLostHandler = std::move(handler); }

void SdlHost::DisplayLost() {
    if (sDisplayLost) _exit(1);
    sDisplayLost = true;
    std::fprintf(stderr, "scopecam: the connection to the display was lost; ending the session\n");
    if (sDisplayLostHandler) sDisplayLostHandler();
    // Nothing of the desktop can be closed any more: every call to it would wait for
    // ever. The process ends here, without its exit handlers.
    std::fflush(nullptr);
    _exit(1);
}

SdlHost::SdlHost() : beeper_(std::make_unique<SdlBeeper>()) {}

SdlHost::~SdlHost() {
    if (sDisplayLost) {
        // The desktop's windows went with the display; SDL cannot close them.
        for (auto& [id, s] : shown_) static_cast<void>(s.desktop.release());
        return;
    }
    // Everything SDL made goes before SDL itself.
    shown_.clear();
    beeper_.reset();
    for (auto& [id, cursor] : cursors_) SDL_FreeCursor(cursor);
    cursors_.clear();
    SDL_Quit();
    sDesktopOpen = false;
}

// ---- Windows -------------------------------------------------------------------------

SdlHost::Shown* SdlHost::ShownById(uint32_t id) {
    auto it = shown_.find(id);
    return it == shown_.end() ? nullptr : &it->second;
}

SdlHost::Shown* SdlHost::ShownByX11Id(unsigned long x11Id) {
    for (auto& [id, s] : shown_)
        if (s.x11Id == x11Id) return &s;
    return nullptr;
}

SdlHost::Shown* SdlHost::ShownOf(WindowPtr w) {
    if (w == nullptr || w->hostData == nullptr) return nullptr;
    return ShownById(static_cast<SdlDesktopWindow*>(w->hostData)->Id());
}

bool SdlHost::IsToolboxWindow(WindowPtr w) {
    for (WindowPtr x = FirstWindow(); x != nullptr; x = NextWindow(x))
        if (x == w) return true;
    return false;
}

SDL_Window* SdlHost::DesktopWindow(WindowPtr w) const {
    return w && w->hostData ? static_cast<SdlDesktopWindow*>(w->hostData)->Native() : nullptr;
}

void SdlHost::WindowCreated(WindowPtr w) {
    if (sDisplayLost) return;
    std::string error;
    std::unique_ptr<SdlDesktopWindow> desktop = SdlDesktopWindow::Create(w, error);
    if (!desktop) {
        std::fprintf(stderr, "scopecam: the desktop refused a window: %s\n", error.c_str());
        return;
    }
    w->hostData = desktop.get();
    uint32_t id = desktop->Id();
    unsigned long x11Id = X11WindowIdOf(desktop->Native());
    shown_[id] = Shown{w, std::move(desktop), x11Id};
    if (w->visible) WindowChanged(w);
}

void SdlHost::WindowDisposed(WindowPtr w) {
    if (gesture_ && gesture_->window == w) gesture_.reset();
    if (raised_ == w) raised_ = nullptr;
    if (Shown* s = ShownOf(w)) {
        const uint32_t id = s->desktop->Id();
        if (sDisplayLost) static_cast<void>(s->desktop.release());
        shown_.erase(id);
    }
    w->hostData = nullptr;
}

void SdlHost::WindowChanged(WindowPtr w) {
    Shown* s = ShownOf(w);
    if (s == nullptr || sDisplayLost) return;
    s->desktop->Follow(w);
    RaiseFrontWindow();
}

// A program window due for an update is about to be drawn: what its pixels hold now
// (the white of a fresh or resized window, or drawing the update will replace) waits
// until the update has been answered, so that the screen never flashes white at night.
bool SdlHost::AwaitsUpdate(WindowPtr w) { return IsProgramWindow(w) && w->updatePending; }

void SdlHost::PresentWindow(WindowPtr w) {
    Shown* s = ShownOf(w);
    if (s == nullptr || sDisplayLost) return;
    s->presentLater = AwaitsUpdate(w);
    if (!s->presentLater) s->desktop->Present(w);
}

void SdlHost::PresentHeldBackWindows() {
    if (sDisplayLost) return;
    for (auto& [id, s] : shown_) {
        if (s.presentLater && s.window->visible && !AwaitsUpdate(s.window)) {
            s.presentLater = false;
            s.desktop->Present(s.window);
        }
    }
}

// The toolbox's front window is the front one on the desktop too.
void SdlHost::RaiseFrontWindow() {
    WindowPtr front = FrontWindow();
    if (front == raised_ || sDisplayLost) return;
    raised_ = front;
    if (Shown* s = ShownOf(front)) SDL_RaiseWindow(s->desktop->Native());
}

void SdlHost::SetCursorShape(int16_t id) {
    if (sDisplayLost) return;
    SDL_SystemCursor shape = SystemCursorFor(id);
    SDL_Cursor*& cursor = cursors_[shape];
    if (cursor == nullptr) cursor = SDL_CreateSystemCursor(shape);
    if (cursor != nullptr) SDL_SetCursor(cursor);
}

// ---- Reading the desktop -------------------------------------------------------------

void SdlHost::ReadDesktop(uint32_t waitMillis) {
    if (sDisplayLost) return;
    SDL_Event e;
    if (waitMillis > 0 && SDL_WaitEventTimeout(&e, static_cast<int>(waitMillis)))
        HandleDesktopEvent(e);
    while (SDL_PollEvent(&e)) HandleDesktopEvent(e);
    // A key's text event comes right behind it, so a key still waiting has none.
    keyboard_.Flush(keyEvents_);
    TakeKeyEvents();
}

void SdlHost::HandleDesktopEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_TEXTINPUT:
            keyboard_.Feed(e, keyEvents_);
            TakeKeyEvents();
            break;
        case SDL_SYSWMEVENT:
            // The mouse comes from the X server's own reports (SdlX11Pointer.h).
            if (auto p = DesktopPointerEventOf(e)) HandlePointer(*p);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                if (Shown* s = ShownById(e.window.windowID)) s->desktop->ShowAgain();
            }
            windowEvents_.push_back(WindowEvent{e.window.windowID, e.window.event});
            break;
        default:
            break;
    }
}

void SdlHost::TakeKeyEvents() {
    for (EventRecord k : keyEvents_) {
        if (!trail_.ButtonHeldOnDesktop()) k.modifiers |= btnState;
        input_.push_back(Input{k, nullptr});
    }
    keyEvents_.clear();
}

uint16_t SdlHost::MouseModifiers() const {
    return keyboard_.Modifiers() | (secondaryPress_ ? controlKey : 0);
}

// The left button is the button, the right one the button with control held; the
// press begins with the first of them and ends when both are up. Other buttons and
// the wheel do nothing.
void SdlHost::HandlePointer(const DesktopPointerEvent& p) {
    const Point at{static_cast<int16_t>(p.rootY), static_cast<int16_t>(p.rootX)};
    Shown* in = ShownByX11Id(p.window);
    if (p.kind == DesktopPointerEvent::Kind::kMove) {
        if (in != nullptr) trail_.RecordMove(at, MouseModifiers());
        return;
    }
    const uint32_t mask = p.button == 1 ? SDL_BUTTON_LMASK : p.button == 3 ? SDL_BUTTON_RMASK : 0;
    if (mask == 0) return;
    if (p.kind == DesktopPointerEvent::Kind::kPress) {
        const bool begins = buttonsHeld_ == 0;
        buttonsHeld_ |= mask;
        if (!begins) return;
        secondaryPress_ = p.button == 3;
        EventRecord down;
        down.what = mouseDown;
        down.where = at;
        down.modifiers = MouseModifiers();
        trail_.RecordPress(at, down.modifiers);
        input_.push_back(Input{down, in != nullptr ? in->window : nullptr});
        return;
    }
    if ((buttonsHeld_ & mask) == 0) return;
    buttonsHeld_ &= ~mask;
    if (buttonsHeld_ != 0 || !trail_.ButtonHeldOnDesktop()) return;
    EventRecord up;
    up.what = mouseUp;
    up.where = at;
    up.modifiers = MouseModifiers() | btnState;
    secondaryPress_ = false;
    trail_.RecordRelease(at, up.modifiers);
    input_.push_back(Input{up, nullptr});
}

// A release the desktop never reported (the window pressed in went away meanwhile)
// must not hold a drag loop for ever: when the desktop says no button is down and
// nothing is left to read, the press ends where the mouse is.
void SdlHost::ReleaseIfDesktopButtonUp() {
    if (!trail_.ButtonHeldOnDesktop() || sDisplayLost) return;
    int x = 0, y = 0;
    if ((SDL_GetGlobalMouseState(&x, &y) & kButtonMasks) != 0) return;
    ReadDesktop(0);
    if (!trail_.ButtonHeldOnDesktop()) return;
    Point at{static_cast<int16_t>(y), static_cast<int16_t>(x)};
    uint16_t modifiers = MouseModifiers() | btnState;
    buttonsHeld_ = 0;
    secondaryPress_ = false;
    trail_.RecordRelease(at, modifiers);
    EventRecord up;
    up.what = mouseUp;
    up.where = at;
    up.modifiers = modifiers;
    input_.push_back(Input{up, nullptr});
}

// ---- The toolbox's side --------------------------------------------------------------

void SdlHost::PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) {
    PresentHeldBackWindows();
    FinishFrameGesture(queue);
    updatesPosted_ = false;
    ReadDesktop(0);
    HandleWindowEvents();
    if (input_.empty() && !updatesPosted_ && waitMicros > 0) {
        const uint64_t deadline = SDL_GetTicks64() + (waitMicros + 999) / 1000;
        for (uint64_t now = SDL_GetTicks64(); now < deadline; now = SDL_GetTicks64()) {
            ReadDesktop(static_cast<uint32_t>(deadline - now));
            HandleWindowEvents();
            if (!input_.empty() || updatesPosted_) break;
        }
    }
    DeliverInput(queue);
}

void SdlHost::DeliverInput(std::deque<EventRecord>& queue) {
    while (!input_.empty()) {
        Input in = input_.front();
        input_.pop_front();
        if (in.event.what == mouseDown && in.clicked != nullptr && IsToolboxWindow(in.clicked) &&
            IsProgramWindow(in.clicked)) {
            // The click belongs to the window it was made in, whatever the toolbox's
            // order says about windows overlapping there.
            WindowPtr which = nullptr;
            FindWindow(in.event.where, &which);
            if (which != in.clicked && which != nullptr) BringToFront(in.clicked);
        }
        queue.push_back(in.event);
    }
}

MouseState SdlHost::PeekMouse() {
    ReadDesktop(0);
    MouseState m = trail_.Current();
    m.modifiers = MouseModifiers();
    return m;
}

MouseState SdlHost::PollMouse() {
    ReadDesktop(0);
    MouseState m;
    if (!trail_.TakeNext(&m) && m.down) {
        ReadDesktop(kDragPollMillis);
        if (!trail_.TakeNext(&m)) {
            ReleaseIfDesktopButtonUp();
            trail_.TakeNext(&m);
        }
    }
    return m;
}

void SdlHost::NoteMouseEvent(const EventRecord& e) {
    if (e.what == mouseDown)
        trail_.NotePressDelivered(e.where, e.modifiers);
    else if (e.what == mouseUp)
        trail_.NoteReleaseDelivered(e.where, e.modifiers);
}

// The first display's size; the headless screen when SDL cannot tell.
Rect SdlHost::ScreenBounds() const {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(0, &r) != 0 || r.w <= 0 || r.h <= 0) return Host::ScreenBounds();
    return MakeRect(r.x, r.y, r.x + r.w, r.y + r.h);
}
