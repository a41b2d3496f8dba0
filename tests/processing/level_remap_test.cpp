// RemapImageComponentsFromLevelCutoffs: the level tables, the neutral short cuts and
// the value step.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <iterator>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

struct Levels {
    std::array<int, 4> dark{0, 0, 0, 0};
    std::array<int, 4> light{255, 255, 255, 255};
    std::array<double, 4> gamma{1.0, 1.0, 1.0, 1.0};
};

class LevelRemapTest : public ToolboxTest {
protected:
    // A 256 x 2 frame whose pixel x of row 0 holds byte x in every channel, and row 1
    // byte 255 - x.
    void SetUp() override {
        ToolboxTest::SetUp();
        frame = MakeFrame(256, 2);
        FillFrame(*frame, [](int x, int y) {
            const uint8_t v = static_cast<uint8_t>(y == 0 ? x : 255 - x);
            return Rgb{v, v, v};
        });
    }
    void Remap(Levels& l) {
        RemapImageComponentsFromLevelCutoffs(*frame, 256, l.dark.data(), l.light.data(), l.gamma.data());
    }
    // The remapped byte of level i in the channel read by component (r, g or b).
    template <class Component>
    int MappedLevel(int i, Component component) {
        return component(GetPixel(*frame, i, 0));
    }
    std::unique_ptr<GWorldWrapper> frame;
};

TEST_F(LevelRemapTest, NeutralSettingsLeaveEveryByte) {
    FillFrame(*frame, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(x * 7 + y), uint8_t(255 - x)}; });
    FrameRow(*frame, 0)[0] = 0x5A;  // the unused byte as well
    auto before = MakeFrame(256, 2);
    FillFrame(*before, [](int x, int y) { return Rgb{uint8_t(x), uint8_t(x * 7 + y), uint8_t(255 - x)}; });
    Levels neutral;
    Remap(neutral);
    EXPECT_TRUE(SameColours(*frame, *before));
    EXPECT_EQ(FrameRow(*frame, 0)[0], 0x5A);
}

TEST_F(LevelRemapTest, DarkFiftyLightOneHundredFifty) {
    Levels l;
    l.dark[2] = 50;
    l.light[2] = 150;
    Remap(l);
    auto green = [](Rgb c) { return int(c.g); };
    for (int i = 0; i <= 50; ++i) EXPECT_EQ(MappedLevel(i, green), 0) << i;
    EXPECT_EQ(MappedLevel(100, green), 126);  // trunc(255 * 50 / 101)
    EXPECT_EQ(MappedLevel(150, green), 253);  // trunc(256 * 100 / 101)
    for (int i = 151; i <= 255; ++i) EXPECT_EQ(MappedLevel(i, green), 255) << i;
    // Inside the cutoffs the table rises with the level.
    for (int i = 52; i <= 150; ++i) EXPECT_GE(MappedLevel(i, green), MappedLevel(i - 1, green)) << i;
}

// Red at its neutral settings still goes through its table once another channel
// leaves neutral: 0 < i < 255 comes out one lower, 0 and 255 stay.
TEST_F(LevelRemapTest, NeutralChannelLowersMiddleLevelsByOne) {
    Levels l;
    l.dark[3] = 10;
    Remap(l);
    auto red = [](Rgb c) { return int(c.r); };
    EXPECT_EQ(MappedLevel(128, red), 127);
    EXPECT_EQ(MappedLevel(255, red), 255);
    EXPECT_EQ(MappedLevel(0, red), 0);
    for (int i = 1; i < 255; ++i) EXPECT_EQ(MappedLevel(i, red), i - 1) << i;
}

TEST_F(LevelRemapTest, GammaShapesTheLevelsBetweenTheCutoffs) {
    Levels l;
    l.gamma[1] = 0.5;
    Remap(l);
    auto red = [](Rgb c) { return int(c.r); };
    EXPECT_EQ(MappedLevel(64, red), 127);   // 255 * sqrt(64 / 256) = 127.5
    EXPECT_EQ(MappedLevel(16, red), 63);    // 255 * sqrt(16 / 256) = 63.75
    EXPECT_EQ(MappedLevel(255, red), 255);  // the light cutoff itself is on the straight line
}

// Channels are independent: each uses its own table.
TEST_F(LevelRemapTest, EachChannelHasItsOwnTable) {
    Levels l;
    l.dark[1] = 100;
    l.light[3] = 100;
    Remap(l);
    const Rgb mid = GetPixel(*frame, 100, 0);
    EXPECT_EQ(mid.r, 0);    // at red's dark cutoff
    EXPECT_EQ(mid.g, 99);   // neutral table
    EXPECT_EQ(mid.b, 253);  // at blue's light cutoff: trunc(256 * 100 / 101)
}

TEST_F(LevelRemapTest, ValueChannelScalesThePixelKeepingItsHue) {
    frame = MakeFrame(4, 2);
    FillFrame(*frame, Rgb{100, 50, 0});
    SetPixel(*frame, 3, 1, Rgb{0, 0, 0});
    Levels l;
    l.light[0] = 127;
    Remap(l);
    // After the colour tables the pixel is (99, 49, 0); its value 99 maps to
    // trunc(255 * 99 / 128) = 197 and the other components follow in proportion.
    const Rgb out = GetPixel(*frame, 1, 1);
    EXPECT_EQ(out.r, 197);
    EXPECT_EQ(out.b, 0);
    EXPECT_NEAR(out.g, 197.0 * 49 / 99, 0.55);
    EXPECT_EQ(GetPixel(*frame, 3, 1), (Rgb{0, 0, 0}));  // black has no hue: grey at table[0] = 0
}

// Each pixel of a row comes out as it would alone, whether its neighbours repeat it or
// not.
TEST_F(LevelRemapTest, ValueStepTreatsEveryPixelOnItsOwn) {
    const Rgb colours[] = {{0, 0, 0},    {0, 0, 0},       {200, 10, 90},   {200, 10, 90}, {200, 10, 91},
                           {17, 240, 3}, {255, 255, 255}, {255, 255, 255}, {0, 0, 0},     {60, 60, 61}};
    const int n = static_cast<int>(std::size(colours));
    Levels l;
    l.dark = {20, 5, 0, 8};
    l.light = {180, 250, 255, 240};
    l.gamma = {0.7, 1.0, 1.4, 1.0};
    frame = MakeFrame(n, 1);
    FillFrame(*frame, [&](int x, int) { return colours[x]; });
    Remap(l);
    for (int x = 0; x < n; ++x) {
        auto alone = MakeFrame(1, 1);
        FillFrame(*alone, colours[x]);
        RemapImageComponentsFromLevelCutoffs(*alone, 256, l.dark.data(), l.light.data(), l.gamma.data());
        EXPECT_EQ(GetPixel(*frame, x, 0), GetPixel(*alone, 0, 0)) << x;
    }
    // The value step did something: the white pixels are at the value table's top.
    EXPECT_EQ(GetPixel(*frame, 6, 0), (Rgb{255, 255, 255}));
    EXPECT_NE(GetPixel(*frame, 2, 0), GetPixel(*frame, 4, 0));
}

TEST_F(LevelRemapTest, OnlyTwoHundredFiftySixLevelsAreSupported) {
    FillFrame(*frame, Rgb{100, 50, 0});
    Levels l;
    l.dark[1] = 30;
    RemapImageComponentsFromLevelCutoffs(*frame, 128, l.dark.data(), l.light.data(), l.gamma.data());
    EXPECT_EQ(GetPixel(*frame, 7, 1), (Rgb{100, 50, 0}));
}

}  // namespace
