// Drawing ports and the drawing operations of the toolbox layer: pen, colours,
// rectangles, lines, ovals, text, scaled copies and masked copies.
//
// Pixels: 32-bit ports hold 4 bytes a pixel in memory order unused, red, green, blue;
// rows are rowBytes apart and rowBytes exceeds 4 x width (rows carry padding).
// 1-bit ports hold one bit a pixel, most significant bit first; a set bit is black.
//
// Geometry is the classic one: a Rect covers left..right-1 and top..bottom-1; the pen
// hangs below and to the right of its point; FrameRect draws inside its rectangle.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/MacTypes.h"

// Pixel storage of a port. bounds maps port coordinates onto memory: the pixel at
// local (h, v) sits at baseAddr + (v - bounds.top) * RowBytes() + (h - bounds.left) * 4.
struct PixMap {
    uint8_t* baseAddr = nullptr;
    // Bytes from one row to the next, with the two top bits used as flags (the
    // pixel-map flag is set), as the toolbox reports it.
    uint32_t rowBytes = 0;
    Rect bounds;
    int16_t pixelSize = 32;  // 32 or 1
    int RowBytes() const { return static_cast<int>(rowBytes & kRowBytesMask); }
    static constexpr uint32_t kPixMapFlag = 0x80000000u;
    static constexpr uint32_t kRowBytesMask = 0x3FFFFFFFu;
};
using PixMapPtr = PixMap*;
using PixMapHandle = PixMap*;
using BitMap = PixMap;

struct Pattern {
    uint8_t pat[8];
};

enum class PortKind : uint8_t { kOffscreen, kWindow };

class PictureRecorder;

// A drawing port: a window's or an offscreen buffer's. The port owns its pixels.
struct GrafPort {
    PortKind kind = PortKind::kOffscreen;
    PixMap pixMap;
    std::unique_ptr<uint8_t[]> storage;  // the pixel memory behind pixMap.baseAddr
    int depth = 32;
    Rect portRect;
    Rect clipRect;
    Point pnLoc;
    Point pnSize{1, 1};
    Pattern pnPat{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    RGBColor fgColor{0, 0, 0};
    RGBColor bkColor{65535, 65535, 65535};
    int16_t txSize = 12;
    int16_t txFace = 0;
    bool locked = false;
    bool dirty = false;  // drawn into since the host last presented it
    PictureRecorder* picture = nullptr;  // set between OpenPicture and ClosePicture

    virtual ~GrafPort() = default;
};
using GrafPtr = GrafPort*;
using CGrafPtr = GrafPort*;
using GWorldPtr = GrafPort*;

// Allocates a port's pixel memory for bounds and depth (white), padding rows beyond
// 4 x width. Returns memFullErr when the memory cannot be had, leaving port unchanged.
OSErr AllocatePortPixels(GrafPort* port, const Rect& bounds, int depth);

// Classic colour numbers for ForeColor and BackColor.
constexpr long blackColor = 33;
constexpr long whiteColor = 30;
constexpr long redColor = 205;
constexpr long greenColor = 341;
constexpr long blueColor = 409;
constexpr long cyanColor = 273;
constexpr long magentaColor = 137;
constexpr long yellowColor = 69;

// Text faces.
constexpr int16_t normal = 0;
constexpr int16_t bold = 1;

// Transfer modes.
constexpr int16_t srcCopy = 0;
constexpr int16_t ditherCopy = 64;

// The current port.
void SetPort(GrafPtr port);
void GetPort(GrafPtr* port);
GrafPtr CurrentPort();

// Pen and colours of the current port.
void MoveTo(int h, int v);
void Move(int dh, int dv);
void LineTo(int h, int v);
void Line(int dh, int dv);
void PenSize(int width, int height);
void PenPat(const Pattern* pat);
void PenNormal();
void GetPen(Point* pt);
const Pattern* GetQDBlackPattern();
const Pattern* GetQDGrayPattern();  // 50 % grey: alternate pixels in a checkerboard
void ForeColor(long color);
void BackColor(long color);
void RGBForeColor(const RGBColor* color);
void RGBBackColor(const RGBColor* color);
void GetForeColor(RGBColor* color);
void GetBackColor(RGBColor* color);

// Shapes, drawn with the pen pattern in the foreground colour (Erase: background).
void FrameRect(const Rect* r);
void PaintRect(const Rect* r);
void EraseRect(const Rect* r);
void FillRect(const Rect* r, const Pattern* pat);
void InvertRect(const Rect* r);
void FrameOval(const Rect* r);
void PaintOval(const Rect* r);
void ClipRect(const Rect* r);
void GetClip(Rect* r);

// Text, with DejaVu Sans at the port's size and face. DrawString draws at the pen
// (baseline at the pen's v) and advances the pen by the string's width.
void TextSize(int size);
void TextFace(int16_t face);
void TextFont(int16_t font);
void DrawString(ConstStr255Param s);
void DrawText(std::string_view text);
short StringWidth(ConstStr255Param s);
short TextWidthOf(std::string_view text);
struct FontInfo {
    int16_t ascent, descent, widMax, leading;
};
void GetFontInfo(FontInfo* info);

// Scaled copy from one pixel map to another (nearest-neighbour sampling). When the
// destination is the current port's pixels the copy is clipped to its clip rectangle.
// Colourised with the current port's colours: each component (~src & fg) | (src & bg)
// in 8 bits, exact when the foreground is black and the background white.
void CopyBits(const PixMap* src, const PixMap* dst, const Rect* srcRect, const Rect* dstRect,
              int16_t mode, const void* maskRgn);
// Copies the pixels of src whose mask bit (1-bit map) is set; the mask is scaled from
// maskRect like src from srcRect, and the copy is clipped and coloured as CopyBits.
void CopyMask(const PixMap* src, const PixMap* mask, const PixMap* dst, const Rect* srcRect,
              const Rect* maskRect, const Rect* dstRect);
const PixMap* GetPortBitMapForCopyBits(CGrafPtr port);
Rect* GetPortBounds(CGrafPtr port, Rect* r);

// Colour conversion on 16-bit fractions.
void RGB2HSV(const RGBColor* rgb, HSVColor* hsv);
void HSV2RGB(const HSVColor* hsv, RGBColor* rgb);

// Offscreen buffers (graphics worlds). Our handles are plain pointers.
struct GDevice;
using GDHandle = GDevice*;
using CTabHandle = void*;
using GWorldFlags = uint32_t;
OSErr NewGWorld(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle table,
                GDHandle device, GWorldFlags flags);
GWorldFlags UpdateGWorld(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle table,
                         GDHandle device, GWorldFlags flags);
void DisposeGWorld(GWorldPtr world);
void GetGWorld(CGrafPtr* port, GDHandle* device);
void SetGWorld(CGrafPtr port, GDHandle device);
PixMapHandle GetGWorldPixMap(GWorldPtr world);
bool LockPixels(PixMapHandle pm);
void UnlockPixels(PixMapHandle pm);
Ptr GetPixBaseAddr(PixMapHandle pm);
CTabHandle GetCTable(int16_t id);

// Test hook: the allocation of the next NewGWorld fails with memFullErr when set.
void FailNextGWorldAllocation(bool fail);
