// Key translation of the desktop host, fed with the events the desktop sends (no
// display needed).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host/SdlKeyboard.h"

namespace {

SDL_Event KeyEvent(Uint32 type, SDL_Scancode scancode, SDL_Keycode key, Uint16 mod, bool repeat = false) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat ? 1 : 0;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

SDL_Event TextEvent(const char* utf8) {
    SDL_Event e{};
    e.type = SDL_TEXTINPUT;
    std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
    return e;
}

struct Seen {
    uint16_t what;
    unsigned char c;
    uint16_t modifiers;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << "{what " << s.what << ", char 0x" << std::hex << int(s.c) << ", modifiers 0x"
              << s.modifiers << std::dec << "}";
}

std::vector<Seen> Feed(const std::vector<SDL_Event>& events) {
    SdlKeyboard keyboard;
    std::vector<EventRecord> out;
    for (const SDL_Event& e : events) keyboard.Feed(e, out);
    keyboard.Flush(out);
    std::vector<Seen> seen;
    for (const EventRecord& r : out)
        seen.push_back(Seen{r.what, static_cast<unsigned char>(r.message & charCodeMask), r.modifiers});
    return seen;
}

TEST(SdlKeyboard, ModifiersMapCtrlToCommandAltToOptionSuperToControl) {
    struct Case {
        Uint16 sdl;
        uint16_t toolbox;
    } cases[] = {
        {KMOD_NONE, 0},
        {KMOD_LCTRL, cmdKey},
        {KMOD_RCTRL, cmdKey},
        {KMOD_LSHIFT, shiftKey},
        {KMOD_RSHIFT, shiftKey},
        {KMOD_LALT, optionKey},
        {KMOD_RALT, optionKey},
        {KMOD_LGUI, controlKey},
        {KMOD_RGUI, controlKey},
        {KMOD_CAPS, alphaLock},
        {KMOD_NUM, 0},
        {KMOD_LCTRL | KMOD_LSHIFT | KMOD_LALT | KMOD_LGUI, cmdKey | shiftKey | optionKey | controlKey},
    };
    for (const Case& c : cases) EXPECT_EQ(ToolboxModifiers(c.sdl), c.toolbox) << "SDL mod 0x" << std::hex << c.sdl;
}

TEST(SdlKeyboard, SpecialKeysHaveTheirFixedCodes) {
    struct Case {
        SDL_Keycode key;
        unsigned char code;
    } cases[] = {
        {SDLK_LEFT, 0x1C},   {SDLK_RIGHT, 0x1D},  {SDLK_UP, 0x1E},        {SDLK_DOWN, 0x1F},
        {SDLK_RETURN, 0x0D}, {SDLK_KP_ENTER, 0x03}, {SDLK_ESCAPE, 0x1B},  {SDLK_BACKSPACE, 0x08},
        {SDLK_DELETE, 0x7F}, {SDLK_TAB, 0x09},     {SDLK_HOME, 0x01},     {SDLK_END, 0x04},
        {SDLK_PAGEUP, 0x0B}, {SDLK_PAGEDOWN, 0x0C},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SpecialKeyCode(c.key).has_value()) << SDL_GetKeyName(c.key);
        EXPECT_EQ(*SpecialKeyCode(c.key), c.code) << SDL_GetKeyName(c.key);
        // Shift or Ctrl never change them.
        EXPECT_EQ(FallbackCharacter(c.key, KMOD_LSHIFT | KMOD_LCTRL), c.code);
    }
    EXPECT_FALSE(SpecialKeyCode(SDLK_a).has_value());
    EXPECT_FALSE(SpecialKeyCode(SDLK_F1).has_value());
}

TEST(SdlKeyboard, ShiftedCharactersComeFromTheLayoutsText) {
    // Shift+comma on a US layout: the key is ',' and the text '<'; the key-up after
    // Shift was let go still says '<'.
    auto seen = Feed({
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_LSHIFT),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_COMMA, SDLK_COMMA, KMOD_LSHIFT),
        TextEvent("<"),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, KMOD_NONE),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_COMMA, SDLK_COMMA, KMOD_NONE),
    });
    std::vector<Seen> expected = {{keyDown, '<', shiftKey}, {keyUp, '<', 0}};
    EXPECT_EQ(seen, expected);
}

TEST(SdlKeyboard, LayoutTextWinsOverTheKeysOwnCharacter) {
    // A layout where the key at the US '[' position types '{' with AltGr.
    auto seen = Feed({
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_7, SDLK_7, KMOD_RALT),
        TextEvent("{"),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_7, SDLK_7, KMOD_RALT),
    });
    std::vector<Seen> expected = {{keyDown, '{', optionKey}, {keyUp, '{', optionKey}};
    EXPECT_EQ(seen, expected);
}

TEST(SdlKeyboard, KeysWithoutTextUseTheKeyUpperCaseWithShift) {
    // Ctrl+letter sends no text.
    auto seen = Feed({
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_q, KMOD_LCTRL),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_Q, SDLK_q, KMOD_LCTRL),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_S, SDLK_s, KMOD_LCTRL | KMOD_LSHIFT),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_1, SDLK_1, KMOD_LCTRL | KMOD_LSHIFT),
    });
    std::vector<Seen> expected = {
        {keyDown, 'q', cmdKey}, {keyUp, 'q', cmdKey}, {keyDown, 'S', cmdKey | shiftKey},
        {keyDown, '1', cmdKey | shiftKey}};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(FallbackCharacter(SDLK_a, KMOD_CAPS), 'A');
    EXPECT_EQ(FallbackCharacter(SDLK_a, KMOD_CAPS | KMOD_LSHIFT), 'a');
}

TEST(SdlKeyboard, RepeatsAreAutoKeysAndOneKeyUpEndsThem) {
    auto seen = Feed({
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_PERIOD, SDLK_PERIOD, 0),
        TextEvent("."),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_PERIOD, SDLK_PERIOD, 0, true),
        TextEvent("."),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT, 0),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT, 0, true),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_LEFT, SDLK_LEFT, 0),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_PERIOD, SDLK_PERIOD, 0),
    });
    std::vector<Seen> expected = {{keyDown, '.', 0},    {autoKey, '.', 0}, {keyDown, 0x1C, 0},
                                  {autoKey, 0x1C, 0},   {keyUp, 0x1C, 0},  {keyUp, '.', 0}};
    EXPECT_EQ(seen, expected);
}

TEST(SdlKeyboard, KeysWithoutACharacterGiveNoEvents) {
    auto seen = Feed({
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_LCTRL),
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_F5, SDLK_F5, KMOD_LCTRL),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_F5, SDLK_F5, KMOD_LCTRL),
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_LCTRL, SDLK_LCTRL, KMOD_NONE),
        // A key-up whose key-down came before the program started.
        KeyEvent(SDL_KEYUP, SDL_SCANCODE_X, SDLK_x, KMOD_NONE),
        // Text beyond Latin-1 (a euro sign typed with a key).
        KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_E, SDLK_e, KMOD_RALT),
        TextEvent("\xE2\x82\xAC"),
    });
    // The euro sign is not typed as some other character.
    EXPECT_TRUE(seen.empty()) << seen.size() << " events, the first " << seen.front();
}

TEST(SdlKeyboard, LatinOneTextBecomesItsByte) {
    EXPECT_EQ(CharacterOfText("a"), 'a');
    EXPECT_EQ(CharacterOfText("~"), '~');
    EXPECT_EQ(CharacterOfText("\xC2\xB0"), 0xB0);  // degree sign
    EXPECT_EQ(CharacterOfText("\xC3\xA9"), 0xE9);  // e acute
    EXPECT_FALSE(CharacterOfText("\xC2\x85").has_value());  // a C1 control
    EXPECT_FALSE(CharacterOfText("\xE2\x82\xAC").has_value());
    EXPECT_FALSE(CharacterOfText("").has_value());
}

TEST(SdlKeyboard, TextWithoutAKeyIsAWholeKeyStroke) {
    auto seen = Feed({TextEvent("\xC3\xA9")});
    std::vector<Seen> expected = {{keyDown, 0xE9, 0}, {keyUp, 0xE9, 0}};
    EXPECT_EQ(seen, expected);
}

TEST(SdlKeyboard, MessageCarriesTheKeyPositionAboveTheCharacter) {
    SdlKeyboard keyboard;
    std::vector<EventRecord> out;
    keyboard.Feed(KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_A, SDLK_a, 0), out);
    keyboard.Feed(TextEvent("a"), out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].message & charCodeMask, 'a');
    EXPECT_EQ((out[0].message & keyCodeMask) >> 8, static_cast<uint32_t>(SDL_SCANCODE_A));
}

}  // namespace
