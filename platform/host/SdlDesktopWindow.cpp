#include "platform/host/SdlDesktopWindow.h"

namespace {

int WidthOf(WindowPtr w) { return RectWidth(w->portRect); }
int HeightOf(WindowPtr w) { return RectHeight(w->portRect); }

Uint32 FlagsFor(WindowPtr w) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    switch (w->role) {
        case WindowRole::kDocument:
            if (w->hasGrowBox) flags |= SDL_WINDOW_RESIZABLE;
            break;
        case WindowRole::kDialog:
            break;
        case WindowRole::kMenuBar:
            flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR;
            break;
        case WindowRole::kPopup:
            flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR |
                     SDL_WINDOW_POPUP_MENU;
            break;
    }
    return flags;
}

// The menu bar and the menus have no title of their own; the desktop lists them by
// these names.
std::string DesktopTitle(WindowPtr w) {
    if (!w->title.empty()) return w->title;
    switch (w->role) {
        case WindowRole::kMenuBar: return "Menu bar";
        case WindowRole::kPopup: return "Menu";
        default: return "";
    }
}

}  // namespace

std::unique_ptr<SdlDesktopWindow> SdlDesktopWindow::Create(WindowPtr w, std::string& error) {
    SDL_Window* window = SDL_CreateWindow(DesktopTitle(w).c_str(), w->origin.h, w->origin.v,
                                          WidthOf(w), HeightOf(w), FlagsFor(w));
    if (window == nullptr) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) {
        error = SDL_GetError();
        SDL_DestroyWindow(window);
        return nullptr;
    }
    std::unique_ptr<SdlDesktopWindow> d(new SdlDesktopWindow(window, renderer));
    d->origin_ = w->origin;
    d->width_ = WidthOf(w);
    d->height_ = HeightOf(w);
    d->title_ = DesktopTitle(w);
    return d;
}

SdlDesktopWindow::SdlDesktopWindow(SDL_Window* window, SDL_Renderer* renderer)
    : window_(window), renderer_(renderer) {}

SdlDesktopWindow::~SdlDesktopWindow() {
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
}

void SdlDesktopWindow::Follow(WindowPtr w) {
    std::string title = DesktopTitle(w);
    if (title != title_) {
        title_ = title;
        SDL_SetWindowTitle(window_, title_.c_str());
    }
    if (WidthOf(w) != width_ || HeightOf(w) != height_) {
        width_ = WidthOf(w);
        height_ = HeightOf(w);
        SDL_SetWindowSize(window_, width_, height_);
    }
    if (w->origin != origin_) {
        origin_ = w->origin;
        SDL_SetWindowPosition(window_, origin_.h, origin_.v);
    }
    if (w->visible != shown_) {
        shown_ = w->visible;
        if (shown_) {
            SDL_ShowWindow(window_);
            // A program window about to be drawn shows what it showed before (black
            // the first time) rather than pixels the program has still to draw.
            if (IsProgramWindow(w) && w->updatePending)
                Draw();
            else
                Present(w);
        } else {
            SDL_HideWindow(window_);
        }
    }
}

void SdlDesktopWindow::AcceptPlace(Point origin) { origin_ = origin; }

void SdlDesktopWindow::ForceSize(WindowPtr w) {
    width_ = WidthOf(w);
    height_ = HeightOf(w);
    int dw = 0, dh = 0;
    DesktopSize(&dw, &dh);
    if (dw != width_ || dh != height_) SDL_SetWindowSize(window_, width_, height_);
}

Point SdlDesktopWindow::DesktopOrigin() const {
    int x = 0, y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    return Point{static_cast<int16_t>(y), static_cast<int16_t>(x)};
}

void SdlDesktopWindow::DesktopSize(int* width, int* height) const {
    SDL_GetWindowSize(window_, width, height);
}

bool SdlDesktopWindow::EnsureTexture(int width, int height) {
    if (texture_ != nullptr && width == textureWidth_ && height == textureHeight_) return true;
    if (texture_ != nullptr) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGRX8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    textureWidth_ = texture_ ? width : 0;
    textureHeight_ = texture_ ? height : 0;
    return texture_ != nullptr;
}

void SdlDesktopWindow::Present(WindowPtr w) {
    const PixMap& pm = w->pixMap;
    int width = RectWidth(pm.bounds), height = RectHeight(pm.bounds);
    if (pm.baseAddr == nullptr || pm.pixelSize != 32 || width <= 0 || height <= 0) return;
    if (!EnsureTexture(width, height)) return;
    // Rows go up with their own stride, so the padding at their ends stays behind.
    if (SDL_UpdateTexture(texture_, nullptr, pm.baseAddr, pm.RowBytes()) != 0) return;
    presented_ = true;
    Draw();
}

void SdlDesktopWindow::ShowAgain() { Draw(); }

void SdlDesktopWindow::Draw() {
    if (!shown_) return;
    // Pixel for pixel at the top-left; a frame the window manager made larger than the
    // toolbox window shows black beyond it.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (presented_) {
        SDL_Rect dst{0, 0, textureWidth_, textureHeight_};
        SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
}
