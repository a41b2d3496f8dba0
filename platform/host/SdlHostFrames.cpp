// The desktop host's answers to the window manager: moves, resizes, closes and
// maximises of the desktop windows become the toolbox outcomes of the same gestures on
// the toolbox's frames (see SdlHost.h), and exposures become update events.
#include <algorithm>

#include "platform/host/SdlHost.h"

namespace {

bool SameEvent(const EventRecord& a, const EventRecord& b) {
    return a.what == b.what && a.where == b.where && a.modifiers == b.modifiers &&
           a.message == b.message;
}

}  // namespace

void SdlHost::HandleWindowEvents() {
    std::vector<WindowEvent> events;
    events.swap(windowEvents_);
    if (sDisplayLost) return;
    for (const WindowEvent& we : events) {
        Shown* s = ShownById(we.windowId);
        if (s == nullptr) continue;
        WindowPtr w = s->window;
        switch (we.what) {
            case SDL_WINDOWEVENT_EXPOSED:
                // The menu bar and menus are the toolbox's own: showing their pixels
                // again was all they needed.
                if (w->visible && IsProgramWindow(w)) {
                    InvalWindowRect(w, &w->portRect);
                    updatesPosted_ = true;
                }
                break;
            case SDL_WINDOWEVENT_MOVED: FollowDesktopPlace(*s); break;
            case SDL_WINDOWEVENT_SIZE_CHANGED: AnswerResize(*s); break;
            case SDL_WINDOWEVENT_CLOSE: AnswerClose(*s); break;
            case SDL_WINDOWEVENT_MAXIMIZED: AnswerMaximise(*s); break;
            default: break;
        }
    }
}

void SdlHost::FollowDesktopPlace(Shown& s) {
    Point p = s.desktop->DesktopOrigin();
    if (p == s.window->origin) return;
    s.desktop->AcceptPlace(p);
    MoveWindow(s.window, p.h, p.v, false);
}

void SdlHost::AnswerResize(Shown& s) {
    WindowPtr w = s.window;
    int width = 0, height = 0;
    s.desktop->DesktopSize(&width, &height);
    s.desktop->ShowAgain();
    if (width == RectWidth(w->portRect) && height == RectHeight(w->portRect)) {
        // The manager took the program's size: any size may be asked for again.
        s.gestureWidth = s.gestureHeight = -1;
        return;
    }
    // Maximising is answered as a zoom; a gesture under way is settled when done.
    if (gesture_ || (SDL_GetWindowFlags(s.desktop->Native()) & SDL_WINDOW_MAXIMIZED)) return;
    if (w->role != WindowRole::kDocument || !w->hasGrowBox || !w->visible) return;
    if (width == s.gestureWidth && height == s.gestureHeight) return;
    s.gestureWidth = width;
    s.gestureHeight = height;
    Rect content;
    GetWindowBounds(w, kWindowContentRgn, &content);
    Rect corner = MakeRect(content.right - 2 * kGrowBoxSize, content.bottom - 2 * kGrowBoxSize,
                           content.right, content.bottom);
    Point change{static_cast<int16_t>(height - RectHeight(w->portRect)),
                 static_cast<int16_t>(width - RectWidth(w->portRect))};
    PostFrameGesture(w, {inGrow}, corner, change);
}

void SdlHost::AnswerClose(Shown& s) {
    WindowPtr w = s.window;
    if (!w->visible || !IsProgramWindow(w)) return;
    if (w->hasCloseBox) {
        Rect frame;
        GetWindowBounds(w, kWindowStructureRgn, &frame);
        Rect leftOfTitle = MakeRect(frame.left, frame.top, std::min<int>(frame.left + 40, frame.right),
                                    frame.top + kTitleBarHeight);
        PostFrameGesture(w, {inGoAway}, leftOfTitle, Point{});
    } else if (w->role == WindowRole::kDialog) {
        PostKeyStroke(kEscapeCharCode);
    }
}

void SdlHost::AnswerMaximise(Shown& s) {
    WindowPtr w = s.window;
    SDL_RestoreWindow(s.desktop->Native());
    if (!w->visible || !w->hasZoomBox || !IsProgramWindow(w)) return;
    Rect frame;
    GetWindowBounds(w, kWindowStructureRgn, &frame);
    Rect rightOfTitle = MakeRect(std::max<int>(frame.right - 40, frame.left), frame.top, frame.right,
                                 frame.top + kTitleBarHeight);
    PostFrameGesture(w, {inZoomOut, inZoomIn}, rightOfTitle, Point{});
}

// A point of searchArea where FindWindow names one of parts of w.
std::optional<Point> SdlHost::FindPartPoint(WindowPtr w, std::initializer_list<int16_t> parts,
                                            const Rect& searchArea) {
    // From the bottom row up: the rows nearest the content are the last to fall
    // under the menu bar.
    for (int v = searchArea.bottom - 1; v >= searchArea.top; --v) {
        for (int h = searchArea.left; h < searchArea.right; ++h) {
            Point p{static_cast<int16_t>(v), static_cast<int16_t>(h)};
            WindowPtr which = nullptr;
            int16_t part = FindWindow(p, &which);
            if (which == w && std::find(parts.begin(), parts.end(), part) != parts.end()) return p;
        }
    }
    return std::nullopt;
}

bool SdlHost::PostFrameGesture(WindowPtr w, std::initializer_list<int16_t> parts, Rect searchArea,
                               Point releaseOffset) {
    // A press of the observer's own under way is never interleaved with one of ours.
    if (gesture_ || trail_.ButtonHeldOnDesktop()) return false;
    std::optional<Point> press = FindPartPoint(w, parts, searchArea);
    if (!press) {
        BringToFront(w);
        press = FindPartPoint(w, parts, searchArea);
    }
    if (!press) return false;
    Point release{static_cast<int16_t>(press->v + releaseOffset.v),
                  static_cast<int16_t>(press->h + releaseOffset.h)};
    EventRecord down;
    down.what = mouseDown;
    down.where = *press;
    down.modifiers = keyboard_.Modifiers();
    EventRecord up = down;
    up.what = mouseUp;
    up.where = release;
    up.modifiers |= btnState;
    trail_.RecordPress(down.where, down.modifiers);
    trail_.RecordRelease(up.where, up.modifiers);
    input_.push_back(Input{down, nullptr});
    input_.push_back(Input{up, nullptr});
    gesture_ = FrameGesture{w, down};
    return true;
}

void SdlHost::PostKeyStroke(unsigned char c) {
    EventRecord e;
    e.what = keyDown;
    e.message = c;
    e.modifiers = keyboard_.Modifiers() | (trail_.ButtonHeldOnDesktop() ? 0 : btnState);
    input_.push_back(Input{e, nullptr});
    e.what = keyUp;
    input_.push_back(Input{e, nullptr});
}

// Once the program has taken the press of a frame gesture (or it was flushed), the
// desktop window takes whatever size the program left the toolbox window at.
void SdlHost::FinishFrameGesture(const std::deque<EventRecord>& queue) {
    if (!gesture_ || sDisplayLost) return;
    const EventRecord& press = gesture_->press;
    auto pending = [&](const EventRecord& e) { return SameEvent(e, press); };
    if (std::any_of(queue.begin(), queue.end(), pending) ||
        std::any_of(input_.begin(), input_.end(), [&](const Input& in) { return pending(in.event); }))
        return;
    WindowPtr w = gesture_->window;
    gesture_.reset();
    if (Shown* s = ShownOf(w)) s->desktop->ForceSize(w);
}
