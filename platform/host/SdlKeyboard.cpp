#include "platform/host/SdlKeyboard.h"

uint16_t ToolboxModifiers(uint16_t sdlModifiers) {
    uint16_t m = 0;
    if (sdlModifiers & KMOD_CTRL) m |= cmdKey;
    if (sdlModifiers & KMOD_SHIFT) m |= shiftKey;
    if (sdlModifiers & KMOD_ALT) m |= optionKey;
    if (sdlModifiers & KMOD_GUI) m |= controlKey;
    if (sdlModifiers & KMOD_CAPS) m |= alphaLock;
    return m;
}

std::optional<unsigned char> SpecialKeyCode(SDL_Keycode key) {
    switch (key) {
        case SDLK_LEFT: return kLeftArrowCharCode;
        case SDLK_RIGHT: return kRightArrowCharCode;
        case SDLK_UP: return kUpArrowCharCode;
        case SDLK_DOWN: return kDownArrowCharCode;
        case SDLK_RETURN: return kReturnCharCode;
        case SDLK_RETURN2: return kReturnCharCode;
        case SDLK_KP_ENTER: return kEnterCharCode;
        case SDLK_ESCAPE: return kEscapeCharCode;
        case SDLK_BACKSPACE: return kBackspaceCharCode;
        case SDLK_DELETE: return kDeleteCharCode;
        case SDLK_TAB: return kTabCharCode;
        case SDLK_HOME: return 0x01;
        case SDLK_END: return 0x04;
        case SDLK_PAGEUP: return 0x0B;
        case SDLK_PAGEDOWN: return 0x0C;
        default: return std::nullopt;
    }
}

std::optional<unsigned char> FallbackCharacter(SDL_Keycode key, uint16_t sdlModifiers) {
    if (auto special = SpecialKeyCode(key)) return special;
    if (key < 0x20 || key > 0x7E) return std::nullopt;
    auto c = static_cast<unsigned char>(key);
    bool upper = ((sdlModifiers & KMOD_SHIFT) != 0) != ((sdlModifiers & KMOD_CAPS) != 0);
    if (upper && c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    return c;
}

std::optional<unsigned char> CharacterOfText(const char* utf8) {
    auto b0 = static_cast<unsigned char>(utf8[0]);
    if (b0 >= 0x20 && b0 < 0x7F) return b0;
    // Two-byte sequences 0xC2 0xA0 .. 0xC3 0xBF encode U+00A0 .. U+00FF.
    if ((b0 == 0xC2 || b0 == 0xC3) && (static_cast<unsigned char>(utf8[1]) & 0xC0) == 0x80) {
        unsigned code = ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[1]) & 0x3Fu);
        if (code >= 0xA0) return static_cast<unsigned char>(code);
    }
    return std::nullopt;
}

void SdlKeyboard::Feed(const SDL_Event& event, std::vector<EventRecord>& out) {
    switch (event.type) {
        case SDL_KEYDOWN: FeedKeyDown(event.key, out); break;
        case SDL_KEYUP: FeedKeyUp(event.key, out); break;
        case SDL_TEXTINPUT: FeedText(event.text.text, out); break;
        default: break;
    }
}

void SdlKeyboard::Flush(std::vector<EventRecord>& out) { CompletePending(std::nullopt, out); }

void SdlKeyboard::Reset() {
    pending_.reset();
    held_.clear();
    modifiers_ = 0;
}

void SdlKeyboard::FeedKeyDown(const SDL_KeyboardEvent& key, std::vector<EventRecord>& out) {
    Flush(out);
    modifiers_ = ToolboxModifiers(key.keysym.mod);
    if (auto special = SpecialKeyCode(key.keysym.sym)) {
        held_[key.keysym.scancode] = *special;
        Emit(key.repeat ? autoKey : keyDown, key.keysym.scancode, *special, modifiers_, out);
        return;
    }
    // Its character comes with the text event right behind it, if any.
    pending_ = PendingKey{key.keysym.scancode, key.keysym.sym, key.keysym.mod, key.repeat != 0};
}

void SdlKeyboard::FeedKeyUp(const SDL_KeyboardEvent& key, std::vector<EventRecord>& out) {
    Flush(out);
    modifiers_ = ToolboxModifiers(key.keysym.mod);
    auto it = held_.find(key.keysym.scancode);
    if (it == held_.end()) return;  // its key-down gave no character, or came before us
    unsigned char c = it->second;
    held_.erase(it);
    Emit(keyUp, key.keysym.scancode, c, modifiers_, out);
}

void SdlKeyboard::FeedText(const char* utf8, std::vector<EventRecord>& out) {
    std::optional<unsigned char> c = CharacterOfText(utf8);
    if (pending_) {
        // A character the toolbox cannot hold is left out, not replaced by another.
        if (c)
            CompletePending(c, out);
        else
            pending_.reset();
        return;
    }
    // Text without a key (an input method composing it): a whole key stroke.
    if (c) {
        Emit(keyDown, SDL_SCANCODE_UNKNOWN, *c, modifiers_, out);
        Emit(keyUp, SDL_SCANCODE_UNKNOWN, *c, modifiers_, out);
    }
}

void SdlKeyboard::CompletePending(std::optional<unsigned char> fromText,
                                  std::vector<EventRecord>& out) {
    if (!pending_) return;
    PendingKey key = *pending_;
    pending_.reset();
    std::optional<unsigned char> c = fromText ? fromText : FallbackCharacter(key.key, key.sdlModifiers);
    if (!c) return;
    held_[key.scancode] = *c;
    Emit(key.repeat ? autoKey : keyDown, key.scancode, *c, ToolboxModifiers(key.sdlModifiers), out);
}

void SdlKeyboard::Emit(uint16_t what, SDL_Scancode scancode, unsigned char c, uint16_t modifiers,
                       std::vector<EventRecord>& out) {
    EventRecord e;
    e.what = what;
    e.message = (static_cast<uint32_t>(scancode & 0xFF) << 8) | c;
    e.modifiers = modifiers;
    out.push_back(e);
}
