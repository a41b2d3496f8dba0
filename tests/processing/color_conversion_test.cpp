// RGB2HSV and HSV2RGB on components that hold 0..255, as the level remap uses them,
// and on the full 16-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/QuickDraw.h"

namespace {

HSVColor ToHsv(uint16_t r, uint16_t g, uint16_t b) {
    const RGBColor rgb{r, g, b};
    HSVColor hsv;
    RGB2HSV(&rgb, &hsv);
    return hsv;
}

RGBColor ToRgb(HSVColor hsv) {
    RGBColor rgb;
    HSV2RGB(&hsv, &rgb);
    return rgb;
}

TEST(ColorConversion, ValueIsTheLargestComponentOnTheSameScale) {
    EXPECT_EQ(ToHsv(100, 50, 0).value, 100);
    EXPECT_EQ(ToHsv(3, 200, 7).value, 200);
    EXPECT_EQ(ToHsv(0, 0, 255).value, 255);
    EXPECT_EQ(ToHsv(65535, 1, 2).value, 65535);
}

TEST(ColorConversion, GreysHaveNoSaturationAndComeBackGrey) {
    for (int v : {0, 1, 77, 254, 255, 40000, 65535}) {
        const HSVColor hsv = ToHsv(v, v, v);
        EXPECT_EQ(hsv.saturation, 0) << v;
        EXPECT_EQ(hsv.value, v);
        const RGBColor back = ToRgb(hsv);
        EXPECT_EQ(back, (RGBColor{uint16_t(v), uint16_t(v), uint16_t(v)})) << v;
    }
}

TEST(ColorConversion, PrimariesAndSecondariesSitAtSixthsOfTheCircle) {
    struct Case {
        RGBColor rgb;
        double turn;  // hue as a fraction of the circle
    };
    const Case cases[] = {
        {{255, 0, 0}, 0.0},       {{255, 255, 0}, 1.0 / 6}, {{0, 255, 0}, 2.0 / 6},
        {{0, 255, 255}, 3.0 / 6}, {{0, 0, 255}, 4.0 / 6},   {{255, 0, 255}, 5.0 / 6},
    };
    for (const Case& c : cases) {
        HSVColor hsv;
        RGB2HSV(&c.rgb, &hsv);
        EXPECT_NEAR(hsv.hue / 65536.0, c.turn, 1.0 / 65536) << c.turn;
        EXPECT_EQ(hsv.saturation, 65535);
        EXPECT_EQ(ToRgb(hsv), c.rgb) << c.turn;
    }
}

// Every component triple of a grid over 0..255 (the edges included) comes back
// exactly.
TEST(ColorConversion, ByteRangeRoundTripIsExact) {
    int failures = 0;
    for (int r = 0; r <= 255; r += (r >= 250 ? 1 : 5)) {
        for (int g = 0; g <= 255; g += (g >= 250 ? 1 : 3)) {
            for (int b = 0; b <= 255; b += (b >= 250 ? 1 : 7)) {
                const RGBColor back = ToRgb(ToHsv(r, g, b));
                if (back != RGBColor{uint16_t(r), uint16_t(g), uint16_t(b)} && ++failures < 5) {
                    ADD_FAILURE() << r << "," << g << "," << b << " came back " << back.red << "," << back.green << ","
                                  << back.blue;
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(ColorConversion, FullRangeRoundTripIsCloseToExact) {
    std::srand(7);
    for (int i = 0; i < 20000; ++i) {
        const uint16_t r = std::rand() & 0xFFFF, g = std::rand() & 0xFFFF, b = std::rand() & 0xFFFF;
        const RGBColor back = ToRgb(ToHsv(r, g, b));
        ASSERT_LE(std::abs(back.red - r), 4) << r << "," << g << "," << b;
        ASSERT_LE(std::abs(back.green - g), 4) << r << "," << g << "," << b;
        ASSERT_LE(std::abs(back.blue - b), 4) << r << "," << g << "," << b;
    }
}

// A new value scales every component by new / old: hue and saturation are kept.
TEST(ColorConversion, NewValueScalesEveryComponent) {
    const RGBColor colours[] = {{99, 49, 0}, {10, 200, 130}, {255, 254, 1}, {3, 5, 250}, {120, 120, 60}};
    for (const RGBColor& c : colours) {
        HSVColor hsv = ToHsv(c.red, c.green, c.blue);
        for (int newValue : {0, 1, 50, 197, 255}) {
            hsv.value = static_cast<uint16_t>(newValue);
            const RGBColor out = ToRgb(hsv);
            const double k = double(newValue) / std::max({c.red, c.green, c.blue});
            EXPECT_NEAR(out.red, c.red * k, 0.55) << newValue;
            EXPECT_NEAR(out.green, c.green * k, 0.55) << newValue;
            EXPECT_NEAR(out.blue, c.blue * k, 0.55) << newValue;
            EXPECT_EQ(std::max({out.red, out.green, out.blue}), newValue);
        }
    }
}

TEST(ColorConversion, BlackTakesTheNewValueAsGrey) {
    HSVColor hsv = ToHsv(0, 0, 0);
    hsv.value = 42;
    EXPECT_EQ(ToRgb(hsv), (RGBColor{42, 42, 42}));
}

}  // namespace
