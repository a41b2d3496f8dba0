// Windows: created from window templates registered by the program, kept in a
// front-to-back list, shown by the host at virtual screen positions.
#pragma once

#include <string>

#include "platform/QuickDraw.h"

// A window template: content rectangle in global (screen) coordinates, title, and
// which boxes the frame has.
struct WindowTemplate {
    int16_t id = 0;
    Rect bounds;
    std::string title;
    bool visible = false;
    bool hasCloseBox = true;
    bool hasGrowBox = false;
    bool hasZoomBox = false;
};
void RegisterWindowTemplate(const WindowTemplate& t);

struct DialogRecord;

// What a window is for: the program's documents and dialogs, or the toolbox's own menu
// bar and pull-down menus (which hosts show without a frame).
enum class WindowRole : uint8_t { kDocument, kDialog, kMenuBar, kPopup };

struct WindowRecord : GrafPort {
    int16_t templateId = 0;
    WindowRole role = WindowRole::kDocument;
    uint32_t reference = 0;   // the number update events carry in their message
    std::string title;
    Point origin;             // top-left of the content in global coordinates
    bool visible = false;
    bool hasCloseBox = true;
    bool hasGrowBox = false;
    bool hasZoomBox = false;
    bool zoomed = false;
    Rect userState;           // global content rectangle before a zoom
    bool updatePending = false;
    DialogRecord* dialog = nullptr;  // set when the window is a dialog's
    long refCon = 0;
    void* hostData = nullptr;        // the host's own record of the window
};
using WindowPtr = WindowRecord*;
using WindowRef = WindowRecord*;

// Height of the title bar the toolbox draws above each window's content (global).
constexpr int kTitleBarHeight = 18;
// Side of the grow box in the content's bottom-right corner.
constexpr int kGrowBoxSize = 15;
// Height of the menu bar at the top of the screen.
constexpr int kMenuBarHeight = 20;

inline WindowPtr const kInFront = reinterpret_cast<WindowPtr>(-1);

// Window parts, as FindWindow reports them.
enum : int16_t {
    inDesk = 0,
    inMenuBar = 1,
    inSysWindow = 2,
    inContent = 3,
    inDrag = 4,
    inGrow = 5,
    inGoAway = 6,
    inZoomIn = 7,
    inZoomOut = 8,
};

WindowPtr GetNewCWindow(int16_t templateId, void* storage, WindowPtr behind);
// Creates a window from a template given directly (dialogs, the menu bar, menus).
WindowPtr NewWindowFromTemplate(const WindowTemplate& t, WindowRole role, WindowPtr behind);
void DisposeWindow(WindowPtr w);
void ShowWindow(WindowPtr w);
void HideWindow(WindowPtr w);
void SelectWindow(WindowPtr w);
void BringToFront(WindowPtr w);
void SizeWindow(WindowPtr w, int width, int height, bool update);
void MoveWindow(WindowPtr w, int h, int v, bool front);
void SetWTitle(WindowPtr w, ConstStr255Param title);
void GetWTitle(WindowPtr w, Str255 title);
bool IsWindowVisible(WindowPtr w);
WindowPtr FrontWindow();
int16_t FindWindow(Point globalPt, WindowPtr* which);
// Window structure rectangles (content in global coordinates).
enum WindowRegionCode : int16_t { kWindowStructureRgn = 32, kWindowContentRgn = 33 };
OSStatus GetWindowBounds(WindowPtr w, WindowRegionCode region, Rect* bounds);
OSStatus SetWindowBounds(WindowPtr w, WindowRegionCode region, const Rect* bounds);
CGrafPtr GetWindowPort(WindowPtr w);
WindowPtr GetWindowFromPort(CGrafPtr port);  // null when the port is no window's
void GlobalToLocal(Point* pt);  // relative to the current port (a window's)
void LocalToGlobal(Point* pt);
void SetWRefCon(WindowPtr w, long refCon);
long GetWRefCon(WindowPtr w);

// Update events: a window shown, uncovered or resized is due for redrawing.
void InvalWindowRect(WindowPtr w, const Rect* r);
void BeginUpdate(WindowPtr w);
void EndUpdate(WindowPtr w);

// The window an update event names (its message), or null.
WindowPtr WindowFromReference(uint32_t reference);

// Moves a window by a drag of its title bar, following the mouse while the button
// is held (the host's window manager may do this itself). limit: global bounds.
void DragWindow(WindowPtr w, Point start, const Rect* limit);
// Follows a drag of the grow box; returns (new height << 16) | new width, 0 when the
// size is unchanged. sizeLimits: top/left the smallest, bottom/right the largest size.
long GrowWindow(WindowPtr w, Point start, const Rect* sizeLimits);
// Zoom box: zooms between the user state and the standard state.
bool TrackBox(WindowPtr w, Point start, int16_t part);
void ZoomWindow(WindowPtr w, int16_t part, bool front);

// The main screen's rectangle in global coordinates (the menu bar at its top).
Rect GetMainScreenBounds();

// True for the program's windows and dialogs, false for the menu bar and menus.
bool IsProgramWindow(WindowPtr w);

// Every window, front to back (for hosts and tests).
WindowPtr FirstWindow();
WindowPtr NextWindow(WindowPtr w);
