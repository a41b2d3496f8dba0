#include "display/LevelsSlider.h"

#include <cmath>
#include <string>

#include "platform/Events.h"
#include "platform/Pictures.h"
#include "platform/QuickDraw.h"

namespace {

// The gamma track runs over 50 pixels; its top stands for gamma 10.
constexpr int kGammaTrackLength = 50;
constexpr double kGammaTrackSquareScale = 250.0;  // gamma = distance^2 / 250

void DrawTextAt(const std::string& text, int h, int v) {
    MoveTo(h, v);
    DrawText(text);
}

// Follows the mouse from the press point start until the button is released, calling
// moved(m, p) with the new position and the one before whenever it moves.
template <class Moved>
void FollowMouseUntilRelease(Point start, Moved moved) {
    Point p = start;
    while (StillDown()) {
        Point m;
        GetMouse(&m);
        if (!EqualPt(m, p)) moved(m, p);
        p = m;
    }
}

}  // namespace

LevelsSlider::LevelsSlider(Point origin, int channel, int unitsPerPixel)
    : channel(channel), origin(origin), unitsPerPixel(unitsPerPixel) {
    SetCutoffs(0, 255 * unitsPerPixel, 1.0);
}

// The dark and light thumbs sit 55 pixels below the origin with their middle column
// (3 pixels in) on the level's column h + 2 + level.
Rect LevelsSlider::CutoffThumbRect(int cutoff) const {
    return OffsetRectCopy(MakeRect(0, 0, 11, 6), origin.h + cutoff / unitsPerPixel - 3, origin.v + 55);
}

// The thumb's top is 3 pixels above the gamma's point on the track, v + 50 -
// sqrt(250 x gamma): v + 50 for gamma 0, v for gamma 10.
Rect LevelsSlider::GammaThumbRectFor(double shownGamma) const {
    const int top = static_cast<int>(origin.v + 47 - std::sqrt(kGammaTrackSquareScale * shownGamma));
    return OffsetRectCopy(MakeRect(0, 0, 6, 11), origin.h + 261, top);
}

void LevelsSlider::SetCutoffs(int dark, int light, double newGamma) {
    darkCutoff = dark;
    lightCutoff = light;
    gamma = newGamma;
    darkThumbRect = CutoffThumbRect(darkCutoff);
    lightThumbRect = CutoffThumbRect(lightCutoff);
    gammaThumbRect = GammaThumbRectFor(gamma);
}

void LevelsSlider::GetCutoffs(int& dark, int& light, double& exponent) const {
    dark = darkCutoff;
    light = lightCutoff;
    exponent = 1.0 / gamma;
}

std::string LevelsSlider::FormatGamma(double shownGamma) {
    const int whole = static_cast<int>(shownGamma);
    const int tenths = static_cast<int>(10.0 * shownGamma) % 10;
    return std::to_string(whole) + "." + std::to_string(tenths);
}

void LevelsSlider::DrawLevelsSlider() {
    const int h = origin.h;
    const int v = origin.v;
    ForeColor(blackColor);
    const Rect thumbRow = MakeRect(h - 8, v + 55, h + 268, v + 81);
    PaintRect(&thumbRow);

    DrawCutoffNumbers();

    ForeColor(blackColor);
    DrawPicture(GetPicture(kDarkThumbPicture), &darkThumbRect);
    DrawPicture(GetPicture(kLightThumbPicture), &lightThumbRect);

    DrawGammaTrack();

    ForeColor(blackColor);
    TextSize(12);
}

// The dark number starts at its thumb's left (pulled back so that it ends by h + 263);
// the light number, one line lower, ends at its thumb's right (pushed on so that it
// starts no further left than h - 3).
void LevelsSlider::DrawCutoffNumbers() {
    const int h = origin.h;
    const int v = origin.v;
    TextSize(9);
    ForeColor(redColor);

    const std::string dark = std::to_string(darkCutoff);
    const int darkWidth = TextWidthOf(dark);
    int darkLeft = darkThumbRect.left;
    if (darkLeft + darkWidth > h + 263) darkLeft = h + 263 - darkWidth;
    DrawTextAt(dark, darkLeft, v + 71);

    const std::string light = std::to_string(lightCutoff);
    int lightLeft = lightThumbRect.right - TextWidthOf(light);
    if (lightLeft < h - 3) lightLeft = h - 3;
    DrawTextAt(light, lightLeft, v + 81);
}

void LevelsSlider::DrawGammaTrack() {
    const int h = origin.h;
    const int v = origin.v;
    ForeColor(blackColor);
    const Rect track = MakeRect(h + 261, v - 3, h + 288, v + 55);
    PaintRect(&track);
    DrawPicture(GetPicture(kGammaThumbPicture), &gammaThumbRect);

    ForeColor(redColor);
    TextSize(9);
    DrawTextAt(FormatGamma(gamma), h + 270, gammaThumbRect.top + 8);
}

bool LevelsSlider::ProcessMouse(bool& hit) {
    Point m;
    GetMouse(&m);
    hit = false;
    if (PtInRect(m, &darkThumbRect)) {
        activeThumb = 0;
        hit = true;
        return DragDarkThumb(m);
    }
    if (PtInRect(m, &lightThumbRect)) {
        activeThumb = 1;
        hit = true;
        return DragLightThumb(m);
    }
    if (PtInRect(m, &gammaThumbRect)) {
        activeThumb = 2;
        hit = true;
        return DragGammaThumb(m);
    }
    return false;
}

// The cutoff thumbs follow the mouse's horizontal movement, not its position: each
// move adds its distance, and the sum is kept below the light cutoff and not below 0.
bool LevelsSlider::DragDarkThumb(Point start) {
    const int oldDark = darkCutoff;
    FollowMouseUntilRelease(start, [this](Point m, Point p) {
        darkCutoff += unitsPerPixel * (m.h - p.h);
        if (darkCutoff < 0) {
            darkCutoff = 0;
        } else if (darkCutoff >= lightCutoff) {
            darkCutoff = lightCutoff - 1;
        }
        darkThumbRect = CutoffThumbRect(darkCutoff);
        DrawLevelsSlider();
    });
    return darkCutoff != oldDark;
}

// As the dark thumb, kept above the dark cutoff and not above the highest level.
bool LevelsSlider::DragLightThumb(Point start) {
    const int oldLight = lightCutoff;
    FollowMouseUntilRelease(start, [this](Point m, Point p) {
        lightCutoff += unitsPerPixel * (m.h - p.h);
        if (lightCutoff <= darkCutoff) {
            lightCutoff = darkCutoff + 1;
        } else if (lightCutoff > MaxCutoff()) {
            lightCutoff = MaxCutoff();
        }
        lightThumbRect = CutoffThumbRect(lightCutoff);
        DrawLevelsSlider();
    });
    return lightCutoff != oldLight;
}

// The gamma follows the mouse's height on the track: distance d below the origin
// gives (50 - d)^2 / 250, 10 at the top and 0 at the bottom. Positions off the track
// leave the gamma as it is.
bool LevelsSlider::DragGammaThumb(Point start) {
    const double oldGamma = gamma;
    FollowMouseUntilRelease(start, [this](Point m, Point) {
        const int d = m.v - origin.v;
        if (d < 0 || d > kGammaTrackLength) return;
        const double rise = kGammaTrackLength - d;
        gamma = rise * rise / kGammaTrackSquareScale;
        gammaThumbRect = GammaThumbRectFor(gamma);
        DrawLevelsSlider();
    });
    return gamma != oldGamma;
}
