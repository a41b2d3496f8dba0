// The desktop window that shows one toolbox window: a window of the desktop whose
// content is the toolbox window's content, pixel for pixel. The pixels go up unchanged
// as an SDL_PIXELFORMAT_BGRX8888 texture: a packed 32-bit word whose bytes lie in
// memory, on a little-endian machine, in the toolbox's order unused, red, green, blue.
//
// By role: program windows and dialogs get the desktop's frame (resizable when the
// toolbox window has a grow box); the menu bar is a thin window without a frame at the
// top of the screen; pull-down and pop-up menus are frameless pop-up windows.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/Windows.h"

class SdlDesktopWindow {
public:
    // Null with the reason in error when the desktop refuses the window.
    static std::unique_ptr<SdlDesktopWindow> Create(WindowPtr w, std::string& error);
    SdlDesktopWindow(const SdlDesktopWindow&) = delete;
    SdlDesktopWindow& operator=(const SdlDesktopWindow&) = delete;
    ~SdlDesktopWindow();

    SDL_Window* Native() const { return window_; }
    uint32_t Id() const { return SDL_GetWindowID(window_); }

    // Brings the desktop window to what the toolbox changed in w since last time:
    // shown or hidden, place, size, title.
    void Follow(WindowPtr w);
    // Takes the place and size the desktop gave the window as the toolbox's own, so
    // that Follow does not send them back.
    void AcceptPlace(Point origin);
    // Sets the desktop window's size to the toolbox window's even when the toolbox has
    // not changed it (after the program answered a resize by the window manager).
    void ForceSize(WindowPtr w);

    // Uploads w's pixels and shows them.
    void Present(WindowPtr w);
    // Shows the pixels uploaded last again (the desktop lost them); black when none
    // were uploaded yet.
    void ShowAgain();

    // The desktop's idea of the window: content's top-left on the screen and size.
    Point DesktopOrigin() const;
    void DesktopSize(int* width, int* height) const;

private:
    SdlDesktopWindow(SDL_Window* window, SDL_Renderer* renderer);
    bool EnsureTexture(int width, int height);
    void Draw();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool shown_ = false;
    bool presented_ = false;
    // The toolbox's place, size and title as last applied or accepted.
    Point origin_;
    int width_ = 0;
    int height_ = 0;
    std::string title_;
};
