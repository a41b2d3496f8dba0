// Drawing helpers of the toolbox's own widgets, on the current port.
#include "platform/ToolboxDrawing.h"

#include <algorithm>

#include "platform/GlyphCache.h"

int ToolboxTextWidth(std::string_view text, int size, bool bold) {
    GlyphCache& cache = GlyphCache::Instance();
    int width = 0;
    for (char c : text) {
        if (const Glyph* g = cache.Find(bold, size, static_cast<unsigned char>(c))) width += g->advance;
    }
    return width;
}

int ToolboxTextAscent(int size) { return GlyphCache::Instance().Metrics(false, size).ascent; }
int ToolboxTextDescent(int size) { return GlyphCache::Instance().Metrics(false, size).descent; }

int CenteredBaseline(const Rect& r, int size) {
    const int ascent = ToolboxTextAscent(size);
    const int lineHeight = ascent + ToolboxTextDescent(size);
    return r.top + (RectHeight(r) - lineHeight + 1) / 2 + ascent;
}

void FillRectWith(const Rect& r, const RGBColor& color) {
    RGBForeColor(&color);
    PenNormal();
    PaintRect(&r);
}

void FrameRectWith(const Rect& r, const RGBColor& color, int thickness) {
    RGBForeColor(&color);
    PenNormal();
    PenSize(thickness, thickness);
    FrameRect(&r);
    PenNormal();
}

void FrameRoundedWith(const Rect& r, const RGBColor& color, int thickness) {
    if (RectWidth(r) < 2 * thickness + 2 || RectHeight(r) < 2 * thickness + 2) {
        FrameRectWith(r, color, thickness);
        return;
    }
    RGBForeColor(&color);
    PenNormal();
    // The four sides, each one pixel short of the corner on both ends.
    const Rect top = MakeRect(r.left + 1, r.top, r.right - 1, r.top + thickness);
    const Rect bottom = MakeRect(r.left + 1, r.bottom - thickness, r.right - 1, r.bottom);
    const Rect left = MakeRect(r.left, r.top + 1, r.left + thickness, r.bottom - 1);
    const Rect right = MakeRect(r.right - thickness, r.top + 1, r.right, r.bottom - 1);
    PaintRect(&top);
    PaintRect(&bottom);
    PaintRect(&left);
    PaintRect(&right);
}

void LineWith(int h0, int v0, int h1, int v1, const RGBColor& color, int thickness) {
    RGBForeColor(&color);
    PenNormal();
    PenSize(thickness, thickness);
    MoveTo(h0, v0);
    LineTo(h1, v1);
    PenNormal();
}

void DrawTextWith(std::string_view text, int h, int v, const RGBColor& color, const Rect& clip, bool boldFace) {
    GrafPtr port = CurrentPort();
    if (port == nullptr) return;
    const Rect savedClip = port->clipRect;
    Rect cut;
    if (!SectRect(&savedClip, &clip, &cut)) return;
    port->clipRect = cut;
    RGBForeColor(&color);
    TextSize(kToolboxTextSize);
    TextFace(boldFace ? bold : normal);
    MoveTo(h, v);
    DrawText(text);
    port->clipRect = savedClip;
}

void DrawCheckMarkIn(const Rect& box, const RGBColor& color) {
    // Short stroke down to the bottom point, long stroke up to the top right.
    const int left = box.left + 1;
    const int bottom = box.bottom - 3;
    const int mid = left + (RectWidth(box) - 2) / 3;
    LineWith(left, bottom - (mid - left), mid, bottom, color, 2);
    LineWith(mid, bottom, box.right - 3, box.top + 1, color, 2);
}

void DrawDownTriangleIn(const Rect& box, const RGBColor& color) {
    RGBForeColor(&color);
    PenNormal();
    const int width = std::min(9, RectWidth(box)) | 1;  // odd, so it has a middle column
    const int left = box.left + (RectWidth(box) - width) / 2;
    const int rows = (width + 1) / 2;
    const int top = box.top + (RectHeight(box) - rows) / 2;
    for (int i = 0; i < rows; ++i) {
        const Rect row = MakeRect(left + i, top + i, left + width - i, top + i + 1);
        PaintRect(&row);
    }
}
