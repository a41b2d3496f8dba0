// The colours of everything the toolbox draws itself (menu bar, menus, dialogs and
// their controls): dim red on black, so that the screen does not spoil the observer's
// dark adaptation at the telescope. Only the red component is ever used.
#pragma once

#include <cstdint>

#include "platform/MacTypes.h"

namespace night {

// A red of the given 8-bit level as a 16-bit colour.
constexpr RGBColor Red(uint8_t level) { return RGBColor{uint16_t(level * 257), 0, 0}; }

constexpr RGBColor kBackground{0, 0, 0};
constexpr RGBColor kText = Red(0xB0);          // titles, items, labels
constexpr RGBColor kDimText = Red(0x58);       // disabled items, hints
constexpr RGBColor kFrame = Red(0x90);         // outlines of controls and menus
constexpr RGBColor kSeparator = Red(0x48);     // dividing lines
constexpr RGBColor kHighlight = Red(0x40);     // fill of the item under the mouse, pressed buttons, selections
constexpr RGBColor kHighlightText = Red(0xD8); // text on a highlight
constexpr RGBColor kAlert = Red(0xD8);         // messages that ask for attention

// The brightest red the toolbox ever draws; no toolbox pixel exceeds it.
constexpr uint8_t kMaxLevel = 0xD8;

}  // namespace night
