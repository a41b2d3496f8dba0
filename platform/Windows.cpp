// Windows: templates, the front-to-back list, parts under the mouse, update events.
#include "platform/Windows.h"

#include <algorithm>
#include <map>
#include <new>

#include "platform/ToolboxState.h"

namespace {

std::map<int16_t, WindowTemplate>& Templates() {
    static std::map<int16_t, WindowTemplate> templates;
    return templates;
}

std::vector<WindowPtr>& Windows() { return Toolbox().windows; }

void Notify(WindowPtr w) {
    if (Host* host = CurrentHost()) host->WindowChanged(w);
}

Rect ContentGlobal(WindowPtr w) {
    return MakeRect(w->origin.h, w->origin.v, w->origin.h + RectWidth(w->portRect),
                    w->origin.v + RectHeight(w->portRect));
}

Rect TitleBarGlobal(WindowPtr w) {
    Rect c = ContentGlobal(w);
    return MakeRect(c.left, c.top - kTitleBarHeight, c.right, c.top);
}

// Boxes in the title bar: the close box at its left, the zoom box at its right.
Rect CloseBoxGlobal(WindowPtr w) {
    Rect t = TitleBarGlobal(w);
    return MakeRect(t.left + 4, t.top + 3, t.left + 16, t.bottom - 3);
}

Rect ZoomBoxGlobal(WindowPtr w) {
    Rect t = TitleBarGlobal(w);
    return MakeRect(t.right - 16, t.top + 3, t.right - 4, t.bottom - 3);
}

bool IsKnown(WindowPtr w) {
    return w != nullptr && std::find(Windows().begin(), Windows().end(), w) != Windows().end();
}

// Follows the mouse while the button is held; calls step with each new global point.
template <typename Step>
Point TrackMouse(Point start, Step step) {
    Point last = start;
    Host* host = CurrentHost();
    if (host == nullptr) return last;
    for (MouseState m = host->PollMouse(); m.down; m = host->PollMouse()) {
        if (m.where != last) {
            step(m.where);
            last = m.where;
        }
    }
    MouseState m = host->PeekMouse();
    if (m.where != last) {
        step(m.where);
        last = m.where;
    }
    return last;
}

}  // namespace

void RegisterWindowTemplate(const WindowTemplate& t) { Templates()[t.id] = t; }

WindowPtr GetNewCWindow(int16_t templateId, void*, WindowPtr behind) {
    auto it = Templates().find(templateId);
    if (it == Templates().end()) return nullptr;
    return NewWindowFromTemplate(it->second, WindowRole::kDocument, behind);
}

WindowPtr NewWindowFromTemplate(const WindowTemplate& t, WindowRole role, WindowPtr behind) {
    auto w = std::make_unique<WindowRecord>();
    w->kind = PortKind::kWindow;
    Rect local = MakeRect(0, 0, RectWidth(t.bounds), RectHeight(t.bounds));
    if (AllocatePortPixels(w.get(), local, 32) != noErr) throw std::bad_alloc();
    w->portRect = local;
    w->clipRect = MakeRect(-32767, -32767, 32767, 32767);
    w->templateId = t.id;
    w->role = role;
    w->reference = Toolbox().nextWindowReference++;
    w->title = t.title;
    w->origin = Point{t.bounds.top, t.bounds.left};
    w->hasCloseBox = t.hasCloseBox;
    w->hasGrowBox = t.hasGrowBox;
    w->hasZoomBox = t.hasZoomBox;
    w->userState = t.bounds;
    WindowPtr raw = w.release();
    if (behind == kInFront || behind == nullptr || !IsKnown(behind))
        Windows().insert(Windows().begin(), raw);
    else
        Windows().insert(std::find(Windows().begin(), Windows().end(), behind) + 1, raw);
    if (Host* host = CurrentHost()) host->WindowCreated(raw);
    if (t.visible) ShowWindow(raw);
    return raw;
}

void DisposeWindow(WindowPtr w) {
    if (!IsKnown(w)) return;
    Windows().erase(std::find(Windows().begin(), Windows().end(), w));
    if (Host* host = CurrentHost()) host->WindowDisposed(w);
    ForgetPort(w);
    delete w;
}

void ShowWindow(WindowPtr w) {
    if (!IsKnown(w) || w->visible) return;
    w->visible = true;
    w->updatePending = true;
    Notify(w);
}

void HideWindow(WindowPtr w) {
    if (!IsKnown(w) || !w->visible) return;
    w->visible = false;
    w->updatePending = false;
    Notify(w);
}

void BringToFront(WindowPtr w) {
    if (!IsKnown(w)) return;
    auto& list = Windows();
    list.erase(std::find(list.begin(), list.end(), w));
    list.insert(list.begin(), w);
    Notify(w);
}

void SelectWindow(WindowPtr w) { BringToFront(w); }

void SizeWindow(WindowPtr w, int width, int height, bool update) {
    if (!IsKnown(w) || width <= 0 || height <= 0) return;
    if (width == RectWidth(w->portRect) && height == RectHeight(w->portRect)) return;
    Rect local = MakeRect(0, 0, width, height);
    if (AllocatePortPixels(w, local, 32) != noErr) throw std::bad_alloc();
    w->portRect = local;
    if (update) w->updatePending = w->visible;
    Notify(w);
}

void MoveWindow(WindowPtr w, int h, int v, bool front) {
    if (!IsKnown(w)) return;
    w->origin = Point{static_cast<int16_t>(v), static_cast<int16_t>(h)};
    if (front) BringToFront(w);
    Notify(w);
}

void SetWTitle(WindowPtr w, ConstStr255Param title) {
    if (!IsKnown(w)) return;
    w->title = PascalToString(title);
    Notify(w);
}

void GetWTitle(WindowPtr w, Str255 title) {
    CopyCStringToPascal(IsKnown(w) ? w->title : std::string(), title);
}

bool IsWindowVisible(WindowPtr w) { return IsKnown(w) && w->visible; }

bool IsProgramWindow(WindowPtr w) {
    return w->role == WindowRole::kDocument || w->role == WindowRole::kDialog;
}

WindowPtr FrontWindow() {
    for (WindowPtr w : Windows())
        if (w->visible && IsProgramWindow(w)) return w;
    return nullptr;
}

int16_t FindWindow(Point pt, WindowPtr* which) {
    *which = nullptr;
    if (pt.v >= 0 && pt.v < kMenuBarHeight) return inMenuBar;
    for (WindowPtr w : Windows()) {
        if (!w->visible || !IsProgramWindow(w)) continue;
        Rect content = ContentGlobal(w);
        Rect title = TitleBarGlobal(w);
        if (PtInRect(pt, &title)) {
            *which = w;
            Rect close = CloseBoxGlobal(w), zoom = ZoomBoxGlobal(w);
            if (w->hasCloseBox && PtInRect(pt, &close)) return inGoAway;
            if (w->hasZoomBox && PtInRect(pt, &zoom)) return w->zoomed ? inZoomIn : inZoomOut;
            return inDrag;
        }
        if (PtInRect(pt, &content)) {
            *which = w;
            Rect grow = MakeRect(content.right - kGrowBoxSize, content.bottom - kGrowBoxSize,
                                 content.right, content.bottom);
            if (w->hasGrowBox && PtInRect(pt, &grow)) return inGrow;
            return inContent;
        }
    }
    return inDesk;
}

OSStatus GetWindowBounds(WindowPtr w, WindowRegionCode region, Rect* bounds) {
    if (!IsKnown(w)) return paramErr;
    *bounds = ContentGlobal(w);
    if (region == kWindowStructureRgn) bounds->top -= kTitleBarHeight;
    return noErr;
}

OSStatus SetWindowBounds(WindowPtr w, WindowRegionCode region, const Rect* bounds) {
    if (!IsKnown(w)) return paramErr;
    Rect content = *bounds;
    if (region == kWindowStructureRgn) content.top += kTitleBarHeight;
    MoveWindow(w, content.left, content.top, false);
    SizeWindow(w, RectWidth(content), RectHeight(content), true);
    return noErr;
}

CGrafPtr GetWindowPort(WindowPtr w) { return w; }

WindowPtr GetWindowFromPort(CGrafPtr port) {
    if (port == nullptr || port->kind != PortKind::kWindow) return nullptr;
    return static_cast<WindowPtr>(port);
}

void GlobalToLocal(Point* pt) {
    if (WindowPtr w = GetWindowFromPort(CurrentPort())) {
        pt->h = static_cast<int16_t>(pt->h - w->origin.h);
        pt->v = static_cast<int16_t>(pt->v - w->origin.v);
    }
}

void LocalToGlobal(Point* pt) {
    if (WindowPtr w = GetWindowFromPort(CurrentPort())) {
        pt->h = static_cast<int16_t>(pt->h + w->origin.h);
        pt->v = static_cast<int16_t>(pt->v + w->origin.v);
    }
}

void SetWRefCon(WindowPtr w, long refCon) {
    if (IsKnown(w)) w->refCon = refCon;
}

long GetWRefCon(WindowPtr w) { return IsKnown(w) ? w->refCon : 0; }

void InvalWindowRect(WindowPtr w, const Rect*) {
    if (IsKnown(w) && w->visible) w->updatePending = true;
}

void BeginUpdate(WindowPtr w) {
    if (IsKnown(w)) w->updatePending = false;
}

void EndUpdate(WindowPtr) {}

WindowPtr WindowFromReference(uint32_t reference) {
    for (WindowPtr w : Windows())
        if (w->reference == reference) return w;
    return nullptr;
}

void DragWindow(WindowPtr w, Point start, const Rect* limit) {
    if (!IsKnown(w)) return;
    Point origin = w->origin;
    TrackMouse(start, [&](Point m) {
        if (limit && !PtInRect(m, limit)) return;
        MoveWindow(w, origin.h + (m.h - start.h), origin.v + (m.v - start.v), false);
    });
    BringToFront(w);
}

long GrowWindow(WindowPtr w, Point start, const Rect* sizeLimits) {
    if (!IsKnown(w)) return 0;
    int width0 = RectWidth(w->portRect), height0 = RectHeight(w->portRect);
    Point end = TrackMouse(start, [](Point) {});
    int width = width0 + (end.h - start.h), height = height0 + (end.v - start.v);
    if (sizeLimits) {
        width = std::clamp<int>(width, sizeLimits->left, sizeLimits->right);
        height = std::clamp<int>(height, sizeLimits->top, sizeLimits->bottom);
    }
    if (width == width0 && height == height0) return 0;
    return (static_cast<long>(height) << 16) | (width & 0xFFFF);
}

bool TrackBox(WindowPtr w, Point start, int16_t) {
    if (!IsKnown(w)) return false;
    Point end = TrackMouse(start, [](Point) {});
    Rect zoom = ZoomBoxGlobal(w);
    return PtInRect(end, &zoom) || end == start;
}

void ZoomWindow(WindowPtr w, int16_t part, bool front) {
    if (!IsKnown(w)) return;
    Rect target;
    if (part == inZoomOut) {
        GetWindowBounds(w, kWindowContentRgn, &w->userState);
        Rect screen = GetMainScreenBounds();
        target = MakeRect(screen.left + 4, screen.top + kMenuBarHeight + kTitleBarHeight + 2,
                          screen.right - 4, screen.bottom - 4);
        w->zoomed = true;
    } else {
        target = w->userState;
        w->zoomed = false;
    }
    SetWindowBounds(w, kWindowContentRgn, &target);
    if (front) BringToFront(w);
}

Rect GetMainScreenBounds() {
    Host* host = CurrentHost();
    return host ? host->ScreenBounds() : MakeRect(0, 0, 1920, 1080);
}

WindowPtr FirstWindow() { return Windows().empty() ? nullptr : Windows().front(); }

WindowPtr NextWindow(WindowPtr w) {
    auto& list = Windows();
    auto it = std::find(list.begin(), list.end(), w);
    if (it == list.end() || ++it == list.end()) return nullptr;
    return *it;
}
