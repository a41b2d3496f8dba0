// Turns the desktop's key events into the toolbox's key-down, auto-key and key-up
// events: one character code a key, taken from the keyboard layout, with the toolbox's
// modifier bits.
//
// Characters. Keys that type text take the character the layout gives them with the
// modifiers held ('<' for Shift+comma on a US layout), read from the text event that
// follows the key event. Keys without text (Ctrl+letter, or when the desktop sends no
// text) take the key's own character, upper case for letters with Shift or Caps Lock.
// The special keys have fixed codes: arrows 0x1C..0x1F, Return 0x0D, Enter 0x03,
// Escape 0x1B, Backspace 0x08, Delete 0x7F, Tab 0x09, Home 0x01, End 0x04, Page Up
// 0x0B, Page Down 0x0C. Characters beyond Latin-1 and keys with no character at all
// (modifier keys alone, function keys) give no event. A key-up carries the character
// of its key-down, whatever modifiers were released in between.
//
// Modifiers: command = Ctrl, shift = Shift, option = Alt, control = Super, and Caps
// Lock as alpha lock.
//
// The key code byte of the message (bits 8..15) holds the key's position on the
// keyboard (its scan code), so that a program can tell keys apart beyond characters.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/Events.h"

// The toolbox's modifier bits for the desktop's modifier state.
uint16_t ToolboxModifiers(uint16_t sdlModifiers);

// The fixed code of a special key, or nothing for keys that are not special.
std::optional<unsigned char> SpecialKeyCode(SDL_Keycode key);

// The character a key gives when the desktop sends no text for it (see above).
std::optional<unsigned char> FallbackCharacter(SDL_Keycode key, uint16_t sdlModifiers);

// The toolbox character of the first character of UTF-8 text: printable ASCII and
// Latin-1 only.
std::optional<unsigned char> CharacterOfText(const char* utf8);

class SdlKeyboard {
public:
    // Feeds one desktop event in the order it came; key events that are complete are
    // appended to out. Events other than key and text events are ignored.
    void Feed(const SDL_Event& event, std::vector<EventRecord>& out);
    // Completes a key-down still waiting for its text: called when no more desktop
    // events are at hand (the text event always comes right behind its key event).
    void Flush(std::vector<EventRecord>& out);
    // The toolbox modifiers as of the last key event fed.
    uint16_t Modifiers() const { return modifiers_; }
    // Forgets keys held down (the desktop took the keyboard away).
    void Reset();

private:
    struct PendingKey {
        SDL_Scancode scancode;
        SDL_Keycode key;
        uint16_t sdlModifiers;
        bool repeat;
    };

    void FeedKeyDown(const SDL_KeyboardEvent& key, std::vector<EventRecord>& out);
    void FeedKeyUp(const SDL_KeyboardEvent& key, std::vector<EventRecord>& out);
    void FeedText(const char* utf8, std::vector<EventRecord>& out);
    void Emit(uint16_t what, SDL_Scancode scancode, unsigned char c, uint16_t modifiers,
              std::vector<EventRecord>& out);
    void CompletePending(std::optional<unsigned char> fromText, std::vector<EventRecord>& out);

    std::optional<PendingKey> pending_;
    // The character each held key gave on its key-down, for its key-up.
    std::unordered_map<int, unsigned char> held_;
    uint16_t modifiers_ = 0;
};
