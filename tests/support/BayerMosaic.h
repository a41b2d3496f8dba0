// Test helpers for de-Bayering: which colour a sensor site has under each layout, and
// raw mosaic frames made from a full-colour picture.
#pragma once

#include <functional>

#include "processing/Debayerize.h"
#include "tests/support/FrameAccess.h"

enum class SiteColour { kRed, kGreen, kBlue };

// The colour of the site at (x, y): the layout's top-left 2 x 2 cell repeated.
inline SiteColour SiteColourAt(BayerColor pattern, int x, int y) {
    using S = SiteColour;
    static const SiteColour kCells[4][2][2] = {
        {{S::kGreen, S::kRed}, {S::kBlue, S::kGreen}},  // kGRBG
        {{S::kRed, S::kGreen}, {S::kGreen, S::kBlue}},  // kRGGB
        {{S::kBlue, S::kGreen}, {S::kGreen, S::kRed}},  // kBGGR
        {{S::kGreen, S::kBlue}, {S::kRed, S::kGreen}},  // kGBRG
    };
    return kCells[pattern][y & 1][x & 1];
}

inline uint8_t ComponentOf(Rgb c, SiteColour s) {
    return s == SiteColour::kRed ? c.r : s == SiteColour::kGreen ? c.g : c.b;
}

// Fills raw with the mosaic of the picture colourAt: each pixel's green byte holds the
// component of its site's colour. The red and blue bytes get other values, which the
// de-Bayering must ignore.
inline void MosaicFrame(GWorldWrapper& raw, BayerColor pattern, const std::function<Rgb(int x, int y)>& colourAt) {
    FillFrame(raw, [&](int x, int y) {
        const uint8_t sample = ComponentOf(colourAt(x, y), SiteColourAt(pattern, x, y));
        return Rgb{uint8_t(255 - sample), sample, uint8_t(x * 7 + y * 13)};
    });
}

constexpr BayerColor kAllPatterns[] = {kGRBG, kRGGB, kBGGR, kGBRG};
constexpr DebayerAlg kAllAlgorithms[] = {kNearestNeighbor, kBilinear, kLaplacianSecondOrder};
