// The desktop host (SDL2 on an X11 display): every toolbox window is a desktop window
// showing the toolbox's pixels unchanged, and the desktop's keyboard, mouse and window
// manager become toolbox events.
//
// Coordinates. The toolbox's global coordinates are the screen's: a window's content
// top-left (WindowRecord::origin) is where its desktop window's content sits, and a
// mouse point is that origin plus the point within the window. The menu bar window
// lies at the top of the screen, so FindWindow's menu bar strip is the bar on screen.
//
// Keys: see SdlKeyboard.h (command = Ctrl, shift = Shift, option = Alt, control =
// Super). Mouse: the left button is the button; the right button is the button with
// control held (the secondary click). The click that activates a window counts as a
// click in it. Positions are the X server's own, exact outside the window pressed in
// too (SdlX11Pointer.h). Drag loops (StillDown, GetMouse, the toolbox's own tracking)
// read the positions that followed the press in order (MouseTrail.h).
//
// Window frames (ManagesWindowFrames() is true). The desktop's window manager draws
// and works every program window's frame; the toolbox's title bar and grow box are
// never on screen. What the observer does to a frame reaches the program as the
// toolbox outcome of the same gesture on the toolbox's frame:
//  - Move: the window manager moves the window and the toolbox window follows
//    (MoveWindow), as DragWindow would have moved it. No event is posted.
//  - Resize (windows with a grow box): a mouse-down on the grow box, whose track
//    (StillDown, GetMouse, GrowWindow) ends released at the grow box moved by the
//    change of size. The program's grow handling runs as for a drag of the box and its
//    SizeWindow gives the desktop window the size it chose; when the program keeps
//    the old size, the desktop window goes back to it. A window without a grow box
//    keeps its size, shown at the top-left of whatever frame the manager gives it.
//  - Close: a mouse-down (and its release) on the close box, which FindWindow reports
//    as inGoAway. A dialog without a close box gets an Escape key stroke instead (its
//    cancel item); other windows without one ignore the request.
//  - Maximise: the manager's maximised state is undone and a mouse-down on the zoom
//    box is posted (inZoomOut, or inZoomIn for a zoomed window), which TrackBox
//    accepts; the program's zoom sets the size.
// The points posted are ones where FindWindow names that part of that window; when
// another toolbox window covers them the window is brought to the front of the
// toolbox's list first; when there is none (a title bar pushed up under the menu
// bar), the gesture is dropped. A click on the desktop likewise lands in the window it
// was made in: the toolbox list follows when its order would send it elsewhere.
// Exposure becomes an update event (InvalWindowRect), and so does a new size through
// the program's SizeWindow; the last pixels are shown again at once meanwhile. Only
// program windows get updates: the menu bar and menus are the toolbox's own and are
// simply shown again. A program window's pixels wait while its
// update is due (shown, resized or uncovered, not yet redrawn): a window appears black
// until the program has drawn it, never in the white of fresh pixels.
//
// Toolbox state (the window list, places, updates) changes only while the program
// waits for events (PumpEvents), never inside a drag loop: what the window manager
// does during a drag is handled afterwards.
//
// SysBeep plays a short tone (SdlBeeper.h). With no display, Create says why and
// returns null; the program then ends rather than run invisibly.
#pragma once

#include <SDL.h>

#include <deque>
#include <memory>
#include <optional>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/host/Host.h"
#include "platform/host/MouseTrail.h"
#include "platform/host/SdlBeeper.h"
#include "platform/host/SdlDesktopWindow.h"
#include "platform/host/SdlKeyboard.h"
#include "platform/host/SdlX11Pointer.h"

class SdlHost : public Host {
public:
    // Opens the desktop display. Null, with a one-line reason in whyNot, when there is
    // no display to open or a desktop host is open already.
    static std::unique_ptr<SdlHost> Create(std::string& whyNot);
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;
    ~SdlHost() override;

    void WindowCreated(WindowPtr w) override;
    void WindowDisposed(WindowPtr w) override;
    void WindowChanged(WindowPtr w) override;
    void PresentWindow(WindowPtr w) override;

    void PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) override;
    MouseState PeekMouse() override;
    MouseState PollMouse() override;
    void NoteMouseEvent(const EventRecord& e) override;

    void Beep() override { beeper_->Beep(); }
    void SetCursorShape(int16_t id) override;
    bool ManagesWindowFrames() const override { return true; }
    Rect ScreenBounds() const override;

    // The desktop window showing w, null when it has none (for tests and tools).
    SDL_Window* DesktopWindow(WindowPtr w) const;

    // What the program does when the display goes away under it: end its session in
    // order. From then on the host shows nothing and reads nothing; after the handler
    // the process ends with status 1.
    static void SetDisplayLostHandler(std::function<void()> handler);

private:
    SdlHost();
    // The connection to the display is gone.
    static void DisplayLost();
    static bool sDisplayLost;
    static std::function<void()> sDisplayLostHandler;

    struct Shown {
        WindowPtr window = nullptr;
        std::unique_ptr<SdlDesktopWindow> desktop;
        unsigned long x11Id = 0;  // the X server's name of the desktop window
        bool presentLater = false;  // pixels held back until the update is answered
        // The size of the last resize answered with a grow gesture, until the window
        // manager takes the program's answer: a manager that insists on a size the
        // program refuses is not asked again and again.
        int gestureWidth = -1;
        int gestureHeight = -1;
    };
    struct Input {
        EventRecord event;
        WindowPtr clicked = nullptr;  // for a mouse-down: the window it was made in
    };
    struct WindowEvent {
        uint32_t windowId;
        uint8_t what;
    };
    // A frame gesture posted as a press the program has not yet handled.
    struct FrameGesture {
        WindowPtr window;
        EventRecord press;
    };

    Shown* ShownById(uint32_t id);
    Shown* ShownOf(WindowPtr w);
    Shown* ShownByX11Id(unsigned long x11Id);
    static bool IsToolboxWindow(WindowPtr w);
    static bool AwaitsUpdate(WindowPtr w);
    void PresentHeldBackWindows();

    // Reads every pending desktop event; waits up to waitMillis for the first.
    void ReadDesktop(uint32_t waitMillis);
    void HandleDesktopEvent(const SDL_Event& e);
    void HandlePointer(const DesktopPointerEvent& p);
    void TakeKeyEvents();
    uint16_t MouseModifiers() const;
    void ReleaseIfDesktopButtonUp();

    void HandleWindowEvents();
    void FollowDesktopPlace(Shown& s);
    void AnswerResize(Shown& s);
    void AnswerClose(Shown& s);
    void AnswerMaximise(Shown& s);
    bool PostFrameGesture(WindowPtr w, std::initializer_list<int16_t> parts, Rect searchArea,
                          Point releaseOffset);
    std::optional<Point> FindPartPoint(WindowPtr w, std::initializer_list<int16_t> parts,
                                       const Rect& searchArea);
    void PostKeyStroke(unsigned char c);
    void FinishFrameGesture(const std::deque<EventRecord>& queue);
    void DeliverInput(std::deque<EventRecord>& queue);
    void RaiseFrontWindow();

    std::unordered_map<uint32_t, Shown> shown_;  // by desktop window id
    std::deque<Input> input_;
    std::vector<WindowEvent> windowEvents_;
    std::vector<EventRecord> keyEvents_;
    std::optional<FrameGesture> gesture_;
    SdlKeyboard keyboard_;
    MouseTrail trail_;
    std::unique_ptr<SdlBeeper> beeper_;
    std::unordered_map<int, SDL_Cursor*> cursors_;
    uint32_t buttonsHeld_ = 0;     // SDL button masks of the left and right buttons
    bool secondaryPress_ = false;  // the press held began with the right button
    bool updatesPosted_ = false;   // an update became due while reading the desktop
    WindowPtr raised_ = nullptr;   // the front window as last raised on the desktop
};
