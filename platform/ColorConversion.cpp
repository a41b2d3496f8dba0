// Conversion between red, green, blue and hue, saturation, value on 16-bit fractions.
//
// Value is the largest component, unchanged in scale: components that hold 0..255 give a
// value of 0..255. Saturation is (largest - smallest) / largest and hue the position on
// the colour circle (0 red, 1/3 green, 2/3 blue), both as fractions of 65536 (hue) and
// 65535 (saturation). Everything is integer arithmetic rounded to nearest, fine enough
// that components of 0..255 come back exactly from a round trip, and that converting
// back with another value scales every component by new value / old value.
#include <algorithm>
#include <cstdint>

#include "platform/QuickDraw.h"

namespace {

constexpr uint64_t kFull = 65535;    // saturation 1
constexpr uint64_t kCircle = 65536;  // one turn of hue
constexpr uint64_t kSectors = 6;     // red, yellow, green, cyan, blue, magenta

// a * b / c rounded to nearest; c > 0.
uint64_t MulDivRound(uint64_t a, uint64_t b, uint64_t c) { return (a * b + c / 2) / c; }

// Branch-free choices (the components of a frame's pixels come in any order, so
// branches on them would be mispredicted half the time): all ones when cond holds.
inline int MaskIf(bool cond) { return -static_cast<int>(cond); }
inline int Larger(int a, int b) { return a ^ ((a ^ b) & MaskIf(a < b)); }
inline int Smaller(int a, int b) { return a ^ ((a ^ b) & MaskIf(b < a)); }

uint16_t ToComponent(uint64_t x) { return static_cast<uint16_t>(std::min<uint64_t>(x, 65535)); }

}  // namespace

// No special case for grey: a delta of 0 gives hue and saturation 0 through the same
// arithmetic.
void RGB2HSV(const RGBColor* rgb, HSVColor* hsv) {
    const int r = rgb->red;
    const int g = rgb->green;
    const int b = rgb->blue;
    const int largest = Larger(Larger(r, g), b);
    const int delta = largest - Smaller(Smaller(r, g), b);
    // Position on the circle in sixths, times delta: the sector of the largest
    // component (0 red, 2 green, 4 blue) plus the signed distance of the other two.
    const int redLargest = MaskIf(largest == r);
    const int greenLargest = ~redLargest & MaskIf(largest == g);
    const int blueLargest = ~(redLargest | greenLargest);
    int sixths = ((g - b) & redLargest) | ((2 * delta + b - r) & greenLargest) | ((4 * delta + r - g) & blueLargest);
    sixths += (static_cast<int>(kSectors) * delta) & MaskIf(sixths < 0);
    const uint64_t divisor = static_cast<uint64_t>(std::max(delta, 1));
    hsv->value = static_cast<uint16_t>(largest);
    hsv->saturation =
        ToComponent(MulDivRound(static_cast<uint64_t>(delta), kFull, static_cast<uint64_t>(std::max(largest, 1))));
    hsv->hue = static_cast<uint16_t>(MulDivRound(static_cast<uint64_t>(sixths), kCircle, kSectors * divisor) % kCircle);
}

void HSV2RGB(const HSVColor* hsv, RGBColor* rgb) {
    const uint64_t v = hsv->value;
    const uint64_t s = hsv->saturation;
    // The hue as a sector 0..5 and the fraction f / 65536 of the way through it.
    const uint64_t turn = hsv->hue * kSectors;
    const size_t sector = static_cast<size_t>(turn / kCircle);
    const uint64_t f = turn % kCircle;
    // The four component values: the largest, the smallest, and the middle one while
    // the hue moves away from (falling) or towards (rising) the sector's next primary.
    // With no saturation all four are the value: a grey.
    constexpr uint64_t kUnit = kFull * kCircle;
    const uint16_t values[4] = {
        hsv->value,
        ToComponent(MulDivRound(v, kFull - s, kFull)),
        ToComponent(MulDivRound(v, kUnit - s * f, kUnit)),
        ToComponent(MulDivRound(v, kUnit - s * (kCircle - f), kUnit)),
    };
    enum { kHigh, kLow, kFalling, kRising };
    // Which of them red, green and blue take in each sector.
    static constexpr uint8_t kPick[6][3] = {
        {kHigh, kRising, kLow},  {kFalling, kHigh, kLow}, {kLow, kHigh, kRising},
        {kLow, kFalling, kHigh}, {kRising, kLow, kHigh},  {kHigh, kLow, kFalling},
    };
    rgb->red = values[kPick[sector][0]];
    rgb->green = values[kPick[sector][1]];
    rgb->blue = values[kPick[sector][2]];
}
