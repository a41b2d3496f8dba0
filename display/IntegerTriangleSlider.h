// A horizontal slider with one triangle thumb for an integer in a range, the number
// drawn under the thumb. Drawn by the program into the current port; a press on the
// thumb is followed by polling the mouse until the button is released.
//
// The track runs from origin.h for `length` pixels at origin.v; the thumb (picture
// 130, 11 x 6) hangs below it, centred on the value's position. Reversed sliders grow
// from right to left.
#pragma once

#include "platform/MacTypes.h"

class IntegerTriangleSlider {
public:
    static constexpr short kThumbPicture = 130;

    // Stores, computes the scales and places the thumb; does not draw.
    IntegerTriangleSlider(Point origin, int length, int minValue, int maxValue, int value, bool hasTrackLine,
                          bool hasTicks, bool reversed);
    ~IntegerTriangleSlider() = default;

    // Stores the value, which is not limited to the range, and places the thumb; does
    // not draw.
    void SetValue(int newValue);
    int GetValue() const { return value; }
    // Places the thumb for the present value; it never passes the far end of the track.
    void SetRectFromValue();

    // Draws the track, the ticks, the number and the thumb into the current port.
    void DrawSlider();

    // A press at the mouse's position in the current port: when it is on the thumb,
    // follows the mouse until release. hit tells whether the press was on the thumb;
    // the result whether the value changed.
    bool ProcessMouse(bool& hit);
    // Follows the mouse from the press point start until release, setting newValue
    // from the last position; true when that changed it.
    bool DragSliderThumb(Point start, int& newValue);

    Rect GetThumbRect() const { return thumbRect; }
    double GetDragScale() const { return dragScale; }
    double GetDrawScale() const { return drawScale; }

private:
    // The value nearest to the horizontal position h on the track (limited to it).
    int ValueFromPosition(int h) const;
    // Space between the track's top and the thumb: track line and ticks take 2 each.
    int ThumbDrop() const { return (hasTrackLine ? 2 : 0) + (hasTicks ? 2 : 0); }
    void DrawTrackAndTicks();
    void DrawValueNumber();
    void DrawThumb();

    Point origin;
    int length;
    Rect thumbRect;
    int minValue;
    int maxValue;
    double dragScale;
    double drawScale;
    int value;
    bool hasTrackLine;
    bool hasTicks;
    bool reversed;
};
