// The basic types of the toolbox layer: rectangles, points, colours, length-prefixed
// strings and result codes. Coordinates are signed 16-bit, as the program stores them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using OSErr = int16_t;
using OSStatus = int32_t;
using Boolean = bool;
using Ptr = char*;
using Handle = char**;

constexpr OSErr noErr = 0;
constexpr OSErr paramErr = -50;
constexpr OSErr memFullErr = -108;
constexpr OSErr fnfErr = -43;
constexpr OSErr dupFNErr = -48;
constexpr OSErr ioErr = -36;
constexpr OSErr permErr = -54;
constexpr OSErr dskFulErr = -34;
constexpr OSErr userCanceledErr = -128;

// A rectangle covers the pixels left..right-1 and top..bottom-1.
struct Rect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int16_t v = 0;
    int16_t h = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// 16-bit colour components, 0 dark, 65535 full.
struct RGBColor {
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    friend bool operator==(const RGBColor&, const RGBColor&) = default;
};

// Hue, saturation and value as 16-bit fractions (0..65535 stands for 0..1).
struct HSVColor {
    uint16_t hue = 0;
    uint16_t saturation = 0;
    uint16_t value = 0;
};

// Length-prefixed strings: a length byte followed by up to 255 characters.
using Str255 = unsigned char[256];
using Str63 = unsigned char[64];
using Str31 = unsigned char[32];
using StringPtr = unsigned char*;
using ConstStr255Param = const unsigned char*;

// Conversions between length-prefixed strings and ordinary strings. Text longer than
// the capacity is cut at the capacity (255 characters for Str255).
void CopyCStringToPascal(std::string_view text, StringPtr out, int capacity = 255);
std::string PascalToString(ConstStr255Param p);

// Rectangle helpers with the classic names.
void SetRect(Rect* r, int left, int top, int right, int bottom);
void OffsetRect(Rect* r, int dh, int dv);
void InsetRect(Rect* r, int dh, int dv);
bool PtInRect(Point pt, const Rect* r);
bool EmptyRect(const Rect* r);
bool SectRect(const Rect* a, const Rect* b, Rect* out);  // false when they do not meet
void UnionRect(const Rect* a, const Rect* b, Rect* out);
bool EqualRect(const Rect* a, const Rect* b);
void SetPt(Point* pt, int h, int v);
bool EqualPt(Point a, Point b);

// Helpers that return new values instead of changing their argument.
Rect MakeRect(int left, int top, int right, int bottom);
Rect OffsetRectCopy(Rect r, int dh, int dv);
inline int RectWidth(const Rect& r) { return r.right - r.left; }
inline int RectHeight(const Rect& r) { return r.bottom - r.top; }
