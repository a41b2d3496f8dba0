// De-Bayering of whole frames: uniform frames, single samples, unknown settings, edges,
// and the scratch buffer.
#include <gtest/gtest.h>

#include <new>

#include "processing/Debayerize.h"
#include "tests/support/BayerMosaic.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class DebayerTest : public ToolboxTest {};

TEST_F(DebayerTest, UniformFrameGivesGreyOnEveryLayoutAndMethod) {
    for (BayerColor pattern : kAllPatterns) {
        for (DebayerAlg algorithm : kAllAlgorithms) {
            SCOPED_TRACE(testing::Message() << "pattern " << pattern << " algorithm " << algorithm);
            auto frame = MakeFrame(24, 18);
            MosaicFrame(*frame, pattern, [](int, int) { return Rgb{100, 100, 100}; });
            DebayerizeImageFromGreenChannel(*frame, pattern, algorithm);
            if (algorithm == kLaplacianSecondOrder) {
                // Away from the border the passes leave unfinished.
                for (int y = 3; y < 18 - 3; ++y) {
                    for (int x = 3; x < 24 - 3; ++x)
                        ASSERT_EQ(GetPixel(*frame, x, y), (Rgb{100, 100, 100})) << x << "," << y;
                }
                continue;
            }
            // Everything but row 0 and column 0, the last row and column included.
            for (int y = 0; y < 18; ++y) {
                for (int x = 0; x < 24; ++x) {
                    const Rgb expected = x == 0 || y == 0 ? Rgb{0, 0, 0} : Rgb{100, 100, 100};
                    ASSERT_EQ(GetPixel(*frame, x, y), expected) << x << "," << y;
                }
            }
        }
    }
}

// RGGB: (0, 0) is a red site. Only the blue site (1, 1) takes its red from there.
TEST_F(DebayerTest, NearestNeighborSingleRedSample) {
    auto frame = MakeFrame(8, 6);
    FillFrame(*frame, Rgb{0, 0, 0});
    SetPixel(*frame, 0, 0, Rgb{0, 200, 0});
    DebayerizeImageFromGreenChannel(*frame, kRGGB, kNearestNeighbor);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const Rgb expected = x == 1 && y == 1 ? Rgb{200, 0, 0} : Rgb{0, 0, 0};
            ASSERT_EQ(GetPixel(*frame, x, y), expected) << x << "," << y;
        }
    }
}

// Each site kind copies its missing colours from the neighbours the layout puts there.
TEST_F(DebayerTest, NearestNeighborTakesLeftUpperAndUpperLeftNeighbours) {
    auto frame = MakeFrame(8, 6);
    auto sample = [](int x, int y) { return uint8_t(10 * x + y); };
    FillFrame(*frame, [&](int x, int y) { return Rgb{0, sample(x, y), 0}; });
    DebayerizeImageFromGreenChannel(*frame, kGRBG, kNearestNeighbor);
    // GRBG: (2, 2) GreenRed, (3, 2) red, (2, 3) blue, (3, 3) GreenBlue.
    EXPECT_EQ(GetPixel(*frame, 2, 2), (Rgb{sample(1, 2), sample(2, 2), sample(2, 1)}));
    EXPECT_EQ(GetPixel(*frame, 3, 2), (Rgb{sample(3, 2), sample(2, 2), sample(2, 1)}));
    EXPECT_EQ(GetPixel(*frame, 2, 3), (Rgb{sample(1, 2), sample(1, 3), sample(2, 3)}));
    EXPECT_EQ(GetPixel(*frame, 3, 3), (Rgb{sample(3, 2), sample(3, 3), sample(2, 3)}));
}

TEST_F(DebayerTest, BilinearAveragesAndMirrorsAtTheLastRowAndColumn) {
    auto frame = MakeFrame(8, 6);
    auto sample = [](int x, int y) { return 20 * x + 3 * y; };
    FillFrame(*frame, [&](int x, int y) { return Rgb{0, uint8_t(sample(x, y)), 0}; });
    DebayerizeImageFromGreenChannel(*frame, kRGGB, kBilinear);
    // Inside: red site (2, 2) averages its four side greens and four corner blues.
    const int cross = sample(2, 1) + sample(1, 2) + sample(3, 2) + sample(2, 3);
    const int diagonal = sample(1, 1) + sample(3, 1) + sample(1, 3) + sample(3, 3);
    EXPECT_EQ(GetPixel(*frame, 2, 2), (Rgb{uint8_t(sample(2, 2)), uint8_t(cross >> 2), uint8_t(diagonal >> 2)}));
    // Last column: the GreenRed site (7, 2) has red at (6, 2) only, mirrored for (8, 2).
    EXPECT_EQ(GetPixel(*frame, 7, 2),
              (Rgb{uint8_t(sample(6, 2)), uint8_t(sample(7, 2)), uint8_t((sample(7, 1) + sample(7, 3)) >> 1)}));
    // Last row: the blue site (3, 5) takes the row above for the row below.
    const int redCorners = 2 * (sample(2, 4) + sample(4, 4));
    const int greenSides = sample(3, 4) + sample(2, 5) + sample(4, 5) + sample(3, 4);
    EXPECT_EQ(GetPixel(*frame, 3, 5), (Rgb{uint8_t(redCorners >> 2), uint8_t(greenSides >> 2), uint8_t(sample(3, 5))}));
    // The corner (7, 5), a blue site, mirrors both ways: its four corners are all (6, 4).
    EXPECT_EQ(GetPixel(*frame, 7, 5),
              (Rgb{uint8_t(sample(6, 4)), uint8_t((2 * sample(7, 4) + 2 * sample(6, 5)) >> 2), uint8_t(sample(7, 5))}));
}

TEST_F(DebayerTest, UnknownPatternOrAlgorithmGivesBlack) {
    struct Case {
        int pattern;
        int algorithm;
    };
    for (Case c : {Case{4, 1}, Case{-1, 0}, Case{1, 3}, Case{0, -1}}) {
        auto frame = MakeFrame(16, 12);
        MosaicFrame(*frame, kRGGB, [](int x, int y) { return Rgb{uint8_t(x * 9), 120, uint8_t(y * 11)}; });
        DebayerizeImageFromGreenChannel(*frame, static_cast<BayerColor>(c.pattern),
                                        static_cast<DebayerAlg>(c.algorithm));
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(GetPixel(*frame, x, y), (Rgb{0, 0, 0})) << c.pattern << "/" << c.algorithm;
        }
    }
}

// A vertical edge: green at the red and blue sites beside it comes from above and
// below, so it keeps the edge where bilinear averaging smears it.
TEST_F(DebayerTest, LaplacianKeepsAVerticalEdgeSharp) {
    for (BayerColor pattern : kAllPatterns) {
        auto frame = MakeFrame(64, 16);
        auto edge = [](int x, int) { return x < 32 ? Rgb{0, 0, 0} : Rgb{200, 200, 200}; };
        MosaicFrame(*frame, pattern, edge);
        DebayerizeImageFromGreenChannel(*frame, pattern, kLaplacianSecondOrder);
        for (int y = 3; y < 13; ++y) {
            EXPECT_EQ(GetPixel(*frame, 31, y).g, 0) << pattern << " row " << y;
            EXPECT_EQ(GetPixel(*frame, 32, y).g, 200) << pattern << " row " << y;
        }
        MosaicFrame(*frame, pattern, edge);
        DebayerizeImageFromGreenChannel(*frame, pattern, kBilinear);
        int smeared = 0;
        for (int y = 3; y < 13; ++y) smeared += GetPixel(*frame, 31, y).g != 0 || GetPixel(*frame, 32, y).g != 200;
        EXPECT_GT(smeared, 0) << pattern;
    }
}

// The scratch buffer is made once and painted black for every frame: a method that
// leaves row 0 unwritten shows black there even after one that wrote it.
TEST_F(DebayerTest, ScratchBufferIsKeptAndClearedPerFrame) {
    auto frame = MakeFrame(32, 20);
    MosaicFrame(*frame, kGBRG, [](int, int) { return Rgb{90, 90, 90}; });
    DebayerizeImageFromGreenChannel(*frame, kGBRG, kLaplacianSecondOrder);
    GWorldWrapper* scratch = gDebayerTempGW;
    ASSERT_NE(scratch, nullptr);
    EXPECT_NE(GetPixel(*frame, 5, 0), (Rgb{0, 0, 0}));  // the raw channel survives on row 0

    MosaicFrame(*frame, kGBRG, [](int, int) { return Rgb{90, 90, 90}; });
    DebayerizeImageFromGreenChannel(*frame, kGBRG, kNearestNeighbor);
    EXPECT_EQ(gDebayerTempGW, scratch);
    for (int x = 0; x < 32; ++x) EXPECT_EQ(GetPixel(*frame, x, 0), (Rgb{0, 0, 0})) << x;
    EXPECT_EQ(GetPixel(*frame, 5, 5), (Rgb{90, 90, 90}));
}

// Without memory for the scratch buffer the frame is left alone and the next frame
// tries again.
TEST_F(DebayerTest, ScratchBufferAllocationFailureThrowsAndRetries) {
    GWorldWrapper* kept = gDebayerTempGW;
    gDebayerTempGW = nullptr;
    auto frame = MakeFrame(16, 8);
    MosaicFrame(*frame, kRGGB, [](int, int) { return Rgb{70, 70, 70}; });
    const Rgb before = GetPixel(*frame, 3, 3);
    FailNextGWorldAllocation(true);
    EXPECT_THROW(DebayerizeImageFromGreenChannel(*frame, kRGGB, kBilinear), std::bad_alloc);
    EXPECT_EQ(gDebayerTempGW, nullptr);
    EXPECT_EQ(GetPixel(*frame, 3, 3), before);
    DebayerizeImageFromGreenChannel(*frame, kRGGB, kBilinear);
    EXPECT_NE(gDebayerTempGW, nullptr);
    EXPECT_EQ(GetPixel(*frame, 3, 3), (Rgb{70, 70, 70}));
    delete gDebayerTempGW;
    gDebayerTempGW = kept;
}

TEST_F(DebayerTest, RestoresTheCurrentPort) {
    auto frame = MakeFrame(16, 8);
    auto other = MakeFrame(4, 4);
    SetPort(other->GetGWorldPtr());
    DebayerizeImageFromGreenChannel(*frame, kBGGR, kBilinear);
    EXPECT_EQ(CurrentPort(), other->GetGWorldPtr());
}

}  // namespace
