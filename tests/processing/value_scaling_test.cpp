// The value step of the level remap scales each pixel's components by new value / old
// value, rounded to nearest, so that hue and saturation stay and the largest component
// becomes the new value. Checked on random colours against arithmetic in double
// precision, with the tables read off the remap itself: the colour tables from a
// remap without value step, the value table from greys (a grey stays grey, at the
// value table's entry).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class ValueScalingTest : public ToolboxTest {};

std::unique_ptr<GWorldWrapper> GreyRamp() {
    auto frame = MakeFrame(256, 1);
    FillFrame(*frame, [](int x, int) { return Rgb{uint8_t(x), uint8_t(x), uint8_t(x)}; });
    return frame;
}

TEST_F(ValueScalingTest, ComponentsFollowTheValueInProportionRoundedToNearest) {
    const int dark[4] = {12, 0, 0, 0};
    const int light[4] = {200, 255, 255, 255};
    const double gammas[4] = {0.6, 1.0, 1.0, 1.0};

    // The neutral colour table: red of a remap whose only change is blue's light
    // cutoff (no value step).
    int colourTable[256];
    {
        const int d[4] = {0, 0, 0, 0}, l[4] = {255, 255, 255, 254};
        const double g[4] = {1.0, 1.0, 1.0, 1.0};
        auto probe = GreyRamp();
        RemapImageComponentsFromLevelCutoffs(*probe, 256, d, l, g);
        for (int i = 0; i < 256; ++i) colourTable[i] = GetPixel(*probe, i, 0).r;
    }
    // The value table at each level the colour tables give: -1 where none lands.
    int valueTable[256];
    std::fill(valueTable, valueTable + 256, -1);
    {
        auto greys = GreyRamp();
        RemapImageComponentsFromLevelCutoffs(*greys, 256, dark, light, gammas);
        for (int i = 0; i < 256; ++i) valueTable[colourTable[i]] = GetPixel(*greys, i, 0).r;
    }

    std::mt19937 random(11);
    auto before = MakeFrame(509, 37);  // odd width
    FillFrame(*before, [&](int, int) { return Rgb{uint8_t(random()), uint8_t(random()), uint8_t(random())}; });
    SetPixel(*before, 0, 0, Rgb{0, 0, 0});
    SetPixel(*before, 1, 0, Rgb{255, 255, 255});
    SetPixel(*before, 2, 0, Rgb{255, 1, 0});
    auto after = MakeFrame(509, 37);
    FillFrame(*after, [&](int x, int y) { return GetPixel(*before, x, y); });
    FillPadding(*after, 0x3C);
    RemapImageComponentsFromLevelCutoffs(*after, 256, dark, light, gammas);

    for (int y = 0; y < 37; ++y) {
        for (int x = 0; x < 509; ++x) {
            const Rgb in = GetPixel(*before, x, y);
            const int r = colourTable[in.r], g = colourTable[in.g], b = colourTable[in.b];
            const int v = std::max({r, g, b});
            const int t = valueTable[v];
            ASSERT_GE(t, 0);
            // Black has no hue: it becomes the grey of the value table's entry.
            auto scaled = [&](int c) { return uint8_t(v == 0 ? t : std::floor(double(c) * t / v + 0.5)); };
            ASSERT_EQ(GetPixel(*after, x, y), (Rgb{scaled(r), scaled(g), scaled(b)})) << x << "," << y;
        }
    }
    EXPECT_TRUE(PaddingHolds(*after, 0x3C));
    EXPECT_EQ(GetPixel(*after, 0, 0).r, valueTable[0]);
    EXPECT_EQ(GetPixel(*after, 1, 0), (Rgb{255, 255, 255}));
}

}  // namespace
