#include "display/IntegerTriangleSlider.h"

#include <algorithm>
#include <string>

#include "image/GWorldWrapper.h"
#include "platform/Events.h"
#include "platform/Pictures.h"
#include "platform/QuickDraw.h"

namespace {

constexpr int kThumbWidth = 11;
constexpr int kThumbHeight = 6;
constexpr int kThumbHalfWidth = 5;  // columns each side of the thumb's middle

}  // namespace

IntegerTriangleSlider::IntegerTriangleSlider(Point origin, int length, int minValue, int maxValue, int value,
                                             bool hasTrackLine, bool hasTicks, bool reversed)
    : origin(origin),
      length(length),
      minValue(minValue),
      maxValue(maxValue),
      value(value),
      hasTrackLine(hasTrackLine),
      hasTicks(hasTicks),
      reversed(reversed) {
    if (maxValue == minValue) {
        dragScale = drawScale = static_cast<double>(length);
    } else {
        // A drag reaches the far value on the track's last pixel; drawing spreads the
        // range over the whole length.
        dragScale = static_cast<double>(length - 1) / (maxValue - minValue);
        drawScale = static_cast<double>(length) / (maxValue - minValue);
    }
    SetRectFromValue();
}

void IntegerTriangleSlider::SetValue(int newValue) {
    value = newValue;
    SetRectFromValue();
}

// The thumb is centred on the value's position and stopped at the far end of the
// track; a value below the range is not stopped at the near end.
void IntegerTriangleSlider::SetRectFromValue() {
    const int h = origin.h;
    const int top = origin.v + ThumbDrop();
    const double offset = drawScale * (value - minValue);
    int left = 0;
    if (!reversed) {
        left = static_cast<int>(offset + h - kThumbHalfWidth);
        left = std::min(left, h + length - kThumbHalfWidth);
    } else {
        left = static_cast<int>(h + length - kThumbHalfWidth - offset);
        left = std::max(left, h - kThumbHalfWidth);
    }
    thumbRect = MakeRect(left, top, left + kThumbWidth, top + kThumbHeight);
}

void IntegerTriangleSlider::DrawSlider() {
    const int h = origin.h;
    const int v = origin.v;
    ForeColor(blackColor);
    const Rect background = MakeRect(h - 8, v, h + length + 8, v + ThumbDrop() + 16);
    PaintRect(&background);

    TextSize(9);
    ForeColor(redColor);
    DrawTrackAndTicks();
    DrawValueNumber();
    DrawThumb();

    ForeColor(blackColor);
    TextSize(12);
}

void IntegerTriangleSlider::DrawTrackAndTicks() {
    const int h = origin.h;
    const int v = origin.v;
    if (hasTrackLine) {
        MoveTo(h, v);
        LineTo(h + length, v);
    }
    if (!hasTicks) return;
    for (int i = minValue; i <= maxValue; ++i) {
        const double offset = drawScale * (i - minValue);
        const int x = reversed ? static_cast<int>(h + length - offset) : static_cast<int>(offset + h);
        MoveTo(x, v + 1);
        LineTo(x, v + 3);
    }
}

void IntegerTriangleSlider::DrawValueNumber() {
    const std::string text = std::to_string(value);
    MoveTo(thumbRect.left + kThumbHalfWidth - TextWidthOf(text) / 2, thumbRect.bottom + 10);
    DrawText(text);
}

// The thumb picture is drawn into a 1-bit buffer, its mask, and a 32-bit one, its
// image; the masked copy then draws the shape and leaves the background around it.
void IntegerTriangleSlider::DrawThumb() {
    const Rect thumbBounds = MakeRect(0, 0, kThumbWidth, kThumbHeight);
    GWorldWrapper mask(1, thumbBounds, -1);
    GWorldWrapper image(32, thumbBounds, -1);
    PicHandle thumb = GetPicture(kThumbPicture);

    mask.StartUsingGWorld();
    DrawPicture(thumb, &thumbBounds);
    mask.FinishUsingGWorld();

    image.StartUsingGWorld();
    ForeColor(blackColor);
    DrawPicture(thumb, &thumbBounds);
    image.FinishUsingGWorld();

    // Black foreground and white background make the copy exact: the thumb keeps the
    // colours it was drawn in, whatever background the port has.
    RGBColor portBackground;
    GetBackColor(&portBackground);
    ForeColor(blackColor);
    BackColor(whiteColor);
    CopyMask(image.GetSrcPixMap(), mask.GetSrcPixMap(), GetPortBitMapForCopyBits(CurrentPort()), &thumbBounds,
             &thumbBounds, &thumbRect);
    RGBBackColor(&portBackground);
}

bool IntegerTriangleSlider::ProcessMouse(bool& hit) {
    Point m;
    GetMouse(&m);
    hit = PtInRect(m, &thumbRect);
    if (!hit) return false;
    return DragSliderThumb(m, value);
}

bool IntegerTriangleSlider::DragSliderThumb(Point start, int& newValue) {
    const int oldValue = value;
    Point p = start;
    Point q = start;
    while (StillDown()) {
        Point m;
        GetMouse(&m);
        if (!EqualPt(m, p)) {
            q = m;
            value = ValueFromPosition(q.h);
            SetRectFromValue();
            DrawSlider();
        }
        p = m;
    }
    // The release sets the value from the last position once more: a press that never
    // moved sets it from the press point.
    value = ValueFromPosition(q.h);
    SetRectFromValue();
    DrawSlider();
    newValue = value;
    return value != oldValue;
}

// Rounds to the nearest value, a half going up: the track's first pixel gives the
// near end of the range and its last pixel the far end.
int IntegerTriangleSlider::ValueFromPosition(int positionH) const {
    const int first = origin.h;
    const int last = std::max(first, origin.h + length - 1);
    const int x = std::clamp(positionH, first, last);
    const int nearest = static_cast<int>(minValue + ((x - origin.h) + 0.5 * dragScale) / dragScale);
    return reversed ? maxValue + minValue - nearest : nearest;
}
