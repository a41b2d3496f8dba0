// The levels control under each histogram of the histograms dialog: two thumbs that
// move along the histogram's 256 levels for the dark and light cutoffs, and a thumb on
// a vertical track right of the histogram for the gamma, each with its number. Drawn
// by the program into the current port; presses are followed by polling the mouse.
//
// Layout, relative to the origin (h, v), which is also where the histogram above is
// drawn: the cutoff thumbs sit in a row at v + 55 with the level's column (h + 2 +
// level) under the thumb's middle; the gamma thumb moves between v + 50 (gamma 0) and
// v (gamma 10) at h + 261.
#pragma once

#include <string>

#include "platform/MacTypes.h"

class LevelsSlider {
public:
    // Thumb pictures: dark cutoff, light cutoff (11 x 6), gamma (6 x 11).
    static constexpr short kDarkThumbPicture = 129;
    static constexpr short kLightThumbPicture = 130;
    static constexpr short kGammaThumbPicture = 131;

    // Dark 0, light 255 x unitsPerPixel, gamma 1.0.
    LevelsSlider(Point origin, int channel, int unitsPerPixel);

    // Stores the three as they are (no test) and places the thumbs; does not draw.
    void SetCutoffs(int dark, int light, double gamma);
    // dark and light as stored; gamma is the reciprocal of the gamma shown (the
    // exponent the level remap takes), positive infinity for a gamma of 0.
    void GetCutoffs(int& dark, int& light, double& gamma) const;

    // Draws the thumbs, the numbers and the gamma track into the current port.
    void DrawLevelsSlider();

    // A press at the mouse's position in the current port: when it is on a thumb,
    // follows the mouse until the button is released, redrawing at each move. hit
    // tells whether the press was on a thumb; the result whether that thumb's value
    // changed.
    bool ProcessMouse(bool& hit);

    int GetChannel() const { return channel; }
    Point GetOrigin() const { return origin; }
    int GetDarkCutoff() const { return darkCutoff; }
    int GetLightCutoff() const { return lightCutoff; }
    double GetShownGamma() const { return gamma; }
    Rect GetDarkThumbRect() const { return darkThumbRect; }
    Rect GetLightThumbRect() const { return lightThumbRect; }
    Rect GetGammaThumbRect() const { return gammaThumbRect; }
    // -1 before the first press on a thumb; then 0 dark, 1 light, 2 gamma.
    int GetActiveThumb() const { return activeThumb; }
    // The gamma as drawn: one decimal, truncated ("2.5" for 2.57).
    static std::string FormatGamma(double gamma);

private:
    Rect CutoffThumbRect(int cutoff) const;
    Rect GammaThumbRectFor(double shownGamma) const;
    bool DragDarkThumb(Point start);
    bool DragLightThumb(Point start);
    bool DragGammaThumb(Point start);
    int MaxCutoff() const { return 255 * unitsPerPixel; }
    void DrawCutoffNumbers();
    void DrawGammaTrack();

    int channel;
    Point origin;
    int unitsPerPixel;
    int darkCutoff = 0;
    int lightCutoff = 255;
    double gamma = 1.0;
    Rect darkThumbRect;
    Rect lightThumbRect;
    Rect gammaThumbRect;
    int activeThumb = -1;
};
