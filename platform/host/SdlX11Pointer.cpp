#include "platform/host/SdlX11Pointer.h"

#include <SDL_syswm.h>

void EnableDesktopPointerEvents() { SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE); }

std::optional<DesktopPointerEvent> DesktopPointerEventOf(const SDL_Event& e) {
    if (e.type != SDL_SYSWMEVENT || e.syswm.msg == nullptr || e.syswm.msg->subsystem != SDL_SYSWM_X11)
        return std::nullopt;
    const XEvent& x = e.syswm.msg->msg.x11.event;
    DesktopPointerEvent p;
    switch (x.type) {
        case MotionNotify:
            p.kind = DesktopPointerEvent::Kind::kMove;
            p.rootX = x.xmotion.x_root;
            p.rootY = x.xmotion.y_root;
            p.window = x.xmotion.window;
            return p;
        case EnterNotify:
            p.kind = DesktopPointerEvent::Kind::kMove;
            p.rootX = x.xcrossing.x_root;
            p.rootY = x.xcrossing.y_root;
            p.window = x.xcrossing.window;
            return p;
        case ButtonPress:
        case ButtonRelease:
            p.kind = x.type == ButtonPress ? DesktopPointerEvent::Kind::kPress : DesktopPointerEvent::Kind::kRelease;
            p.rootX = x.xbutton.x_root;
            p.rootY = x.xbutton.y_root;
            p.button = static_cast<int>(x.xbutton.button);
            p.window = x.xbutton.window;
            return p;
        default:
            return std::nullopt;
    }
}

unsigned long X11WindowIdOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return static_cast<unsigned long>(info.info.x11.window);
}
