// Pen, colours and shapes on the current port, with the classic geometry: a Rect
// covers left..right-1 and top..bottom-1, the pen hangs below and right of its point,
// frames are drawn inside their rectangle.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/PortPixels.h"
#include "platform/QuickDraw.h"

namespace {

constexpr Pattern kBlackPattern{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
// A checkerboard: the pixel (h, v) is set when h + v is even.
constexpr Pattern kGrayPattern{{0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}};

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{65535, 65535, 65535};

// Paints span (not yet clipped) with the pen pattern in the port's colours.
void PaintWithPen(GrafPort& port, const PixelSpan& span) {
    FillSpanWithPattern(port, ClipSpanToPort(port, span), port.pnPat, port.fgColor, port.bkColor);
}

bool PenDraws(const GrafPort& port) { return port.pnSize.h > 0 && port.pnSize.v > 0; }

// The pen's rectangle when its point is at (h, v).
PixelSpan PenAt(const GrafPort& port, int h, int v) {
    return {h, v, h + port.pnSize.h, v + port.pnSize.v};
}

// Paints the pen at every point of the line from (h0, v0) to (h1, v1), both ends
// included (Bresenham's walk).
void PaintPenLine(GrafPort& port, int h0, int v0, int h1, int v1) {
    if (!PenDraws(port)) return;
    if (h0 == h1 || v0 == v1) {
        // Horizontal or vertical: the pen positions together form one rectangle.
        PaintWithPen(port, {std::min(h0, h1), std::min(v0, v1), std::max(h0, h1) + port.pnSize.h,
                            std::max(v0, v1) + port.pnSize.v});
        return;
    }
    const int dh = std::abs(h1 - h0);
    const int dv = -std::abs(v1 - v0);
    const int stepH = h0 < h1 ? 1 : -1;
    const int stepV = v0 < v1 ? 1 : -1;
    int error = dh + dv;
    int h = h0;
    int v = v0;
    for (;;) {
        PaintWithPen(port, PenAt(port, h, v));
        if (h == h1 && v == v1) break;
        const int twice = 2 * error;
        if (twice >= dv) {
            error += dv;
            h += stepH;
        }
        if (twice <= dh) {
            error += dh;
            v += stepV;
        }
    }
}

// The columns left..right-1 that row v of the oval inscribed in r covers; empty for
// rows outside r. The half-width is taken at the row's centre line and rounded, and
// the same inset is taken from both sides, so the oval is symmetric about both axes.
// The rows through the centre span the full width and every row keeps its middle
// pixel(s), so the oval touches all four sides of its rectangle however flat it is.
struct OvalRow {
    int left;
    int right;
};

OvalRow OvalRowAt(const PixelSpan& r, int v) {
    if (r.Empty() || v < r.top || v >= r.bottom) return {0, 0};
    const int width = r.right - r.left;
    const double a = width / 2.0;
    const double b = (r.bottom - r.top) / 2.0;
    const double dy = (v + 0.5) - (r.top + r.bottom) / 2.0;
    int inset = 0;
    if (std::fabs(dy) > 0.5) {
        const double q = 1.0 - (dy / b) * (dy / b);
        const double halfWidth = q > 0.0 ? a * std::sqrt(q) : 0.0;
        inset = std::min(static_cast<int>(std::floor(a - halfWidth + 0.5)), (width - 1) / 2);
    }
    return {r.left + inset, r.right - inset};
}

void PaintRow(GrafPort& port, int left, int right, int v) { PaintWithPen(port, {left, v, right, v + 1}); }

void PaintOvalRows(GrafPort& port, const PixelSpan& r) {
    const PixelSpan visible = ClipSpanToPort(port, r);
    if (r.Empty() || visible.Empty()) return;
    for (int v = visible.top; v < visible.bottom; ++v) {
        const OvalRow row = OvalRowAt(r, v);
        PaintRow(port, row.left, row.right, v);
    }
}

// The oval inscribed in outer minus the oval inscribed in hole (outer inset by the
// pen). Pixels of the outer oval with no oval pixel above or below them stay in the
// frame too: where the oval's side is nearly flat they join the frame's rows, so the
// frame is always closed.
void FrameOvalRows(GrafPort& port, const PixelSpan& outer, const PixelSpan& hole) {
    const PixelSpan visible = ClipSpanToPort(port, outer);
    if (outer.Empty() || visible.Empty()) return;
    for (int v = visible.top; v < visible.bottom; ++v) {
        const OvalRow row = OvalRowAt(outer, v);
        const OvalRow above = OvalRowAt(outer, v - 1);
        const OvalRow below = OvalRowAt(outer, v + 1);
        const bool aboveEmpty = above.right <= above.left;
        const bool belowEmpty = below.right <= below.left;
        // The left part of the frame runs at least to where the neighbouring rows
        // begin, the right part from where they end (a missing row: the whole row).
        int leftEnd = std::max({row.left + 1, aboveEmpty ? row.right : above.left, belowEmpty ? row.right : below.left});
        int rightStart =
            std::min({row.right - 1, aboveEmpty ? row.left : above.right, belowEmpty ? row.left : below.right});
        const OvalRow inner = OvalRowAt(hole, v);
        if (inner.right > inner.left) {
            leftEnd = std::max(leftEnd, inner.left);
            rightStart = std::min(rightStart, inner.right);
        } else {
            leftEnd = row.right;  // no hole in this row: all of it is frame
        }
        if (leftEnd >= rightStart) {
            PaintRow(port, row.left, row.right, v);
        } else {
            PaintRow(port, row.left, leftEnd, v);
            PaintRow(port, rightStart, row.right, v);
        }
    }
}

bool ClassicColor(long number, RGBColor* color) {
    switch (number) {
        case blackColor: *color = kBlack; return true;
        case whiteColor: *color = kWhite; return true;
        case redColor: *color = {65535, 0, 0}; return true;
        case greenColor: *color = {0, 65535, 0}; return true;
        case blueColor: *color = {0, 0, 65535}; return true;
        case cyanColor: *color = {0, 65535, 65535}; return true;
        case magentaColor: *color = {65535, 0, 65535}; return true;
        case yellowColor: *color = {65535, 65535, 0}; return true;
        default: return false;
    }
}

Point MakePoint(int h, int v) { return Point{static_cast<int16_t>(v), static_cast<int16_t>(h)}; }

}  // namespace

// ---- Pen ----

void MoveTo(int h, int v) {
    if (GrafPort* port = CurrentPort()) port->pnLoc = MakePoint(h, v);
}

void Move(int dh, int dv) {
    if (GrafPort* port = CurrentPort()) port->pnLoc = MakePoint(port->pnLoc.h + dh, port->pnLoc.v + dv);
}

void LineTo(int h, int v) {
    GrafPort* port = CurrentPort();
    if (port == nullptr) return;
    const Point from = port->pnLoc;
    port->pnLoc = MakePoint(h, v);
    PaintPenLine(*port, from.h, from.v, h, v);
}

void Line(int dh, int dv) {
    if (GrafPort* port = CurrentPort()) LineTo(port->pnLoc.h + dh, port->pnLoc.v + dv);
}

void PenSize(int width, int height) {
    if (GrafPort* port = CurrentPort()) port->pnSize = MakePoint(width, height);
}

void PenPat(const Pattern* pat) {
    GrafPort* port = CurrentPort();
    if (port != nullptr && pat != nullptr) port->pnPat = *pat;
}

void PenNormal() {
    if (GrafPort* port = CurrentPort()) {
        port->pnSize = MakePoint(1, 1);
        port->pnPat = kBlackPattern;
    }
}

void GetPen(Point* pt) {
    GrafPort* port = CurrentPort();
    *pt = port != nullptr ? port->pnLoc : Point{};
}

const Pattern* GetQDBlackPattern() { return &kBlackPattern; }
const Pattern* GetQDGrayPattern() { return &kGrayPattern; }

// ---- Colours ----

// Colour numbers other than the eight classic ones leave the colour as it was.
void ForeColor(long color) {
    if (GrafPort* port = CurrentPort()) ClassicColor(color, &port->fgColor);
}

void BackColor(long color) {
    if (GrafPort* port = CurrentPort()) ClassicColor(color, &port->bkColor);
}

void RGBForeColor(const RGBColor* color) {
    if (GrafPort* port = CurrentPort()) port->fgColor = *color;
}

void RGBBackColor(const RGBColor* color) {
    if (GrafPort* port = CurrentPort()) port->bkColor = *color;
}

void GetForeColor(RGBColor* color) {
    GrafPort* port = CurrentPort();
    *color = port != nullptr ? port->fgColor : kBlack;
}

void GetBackColor(RGBColor* color) {
    GrafPort* port = CurrentPort();
    *color = port != nullptr ? port->bkColor : kWhite;
}

// ---- Rectangles ----

void FrameRect(const Rect* r) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || !PenDraws(*port)) return;
    const PixelSpan s = SpanOf(*r);
    if (s.Empty()) return;
    const int pw = port->pnSize.h;
    const int ph = port->pnSize.v;
    if (2 * pw >= s.right - s.left || 2 * ph >= s.bottom - s.top) {
        // The pen fills the rectangle from both sides: nothing of the inside is left.
        PaintWithPen(*port, s);
        return;
    }
    PaintWithPen(*port, {s.left, s.top, s.right, s.top + ph});
    PaintWithPen(*port, {s.left, s.bottom - ph, s.right, s.bottom});
    PaintWithPen(*port, {s.left, s.top + ph, s.left + pw, s.bottom - ph});
    PaintWithPen(*port, {s.right - pw, s.top + ph, s.right, s.bottom - ph});
}

void PaintRect(const Rect* r) {
    if (GrafPort* port = CurrentPort()) PaintWithPen(*port, SpanOf(*r));
}

void EraseRect(const Rect* r) {
    if (GrafPort* port = CurrentPort()) FillSpan(*port, ClipSpanToPort(*port, SpanOf(*r)), port->bkColor);
}

void FillRect(const Rect* r, const Pattern* pat) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || pat == nullptr) return;
    FillSpanWithPattern(*port, ClipSpanToPort(*port, SpanOf(*r)), *pat, port->fgColor, port->bkColor);
}

void InvertRect(const Rect* r) {
    if (GrafPort* port = CurrentPort()) InvertSpan(*port, ClipSpanToPort(*port, SpanOf(*r)));
}

// ---- Ovals ----

void FrameOval(const Rect* r) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || !PenDraws(*port)) return;
    const PixelSpan outer = SpanOf(*r);
    const PixelSpan inner{outer.left + port->pnSize.h, outer.top + port->pnSize.v,
                          outer.right - port->pnSize.h, outer.bottom - port->pnSize.v};
    FrameOvalRows(*port, outer, inner);
}

void PaintOval(const Rect* r) {
    if (GrafPort* port = CurrentPort()) PaintOvalRows(*port, SpanOf(*r));
}

// ---- Clip and bounds ----

void ClipRect(const Rect* r) {
    if (GrafPort* port = CurrentPort()) port->clipRect = *r;
}

void GetClip(Rect* r) {
    GrafPort* port = CurrentPort();
    *r = port != nullptr ? port->clipRect : Rect{};
}

Rect* GetPortBounds(CGrafPtr port, Rect* r) {
    *r = port != nullptr ? port->portRect : Rect{};
    return r;
}
