// Scaled rectangle copies between pixel maps (nearest-neighbour sampling), coloured
// with the current port's colours, and masked copies through a 1-bit map.
//
// Each copy is planned once: the destination rectangle is clipped, then every
// destination column and row gets the source column and row it samples. The pixel
// loops only follow those tables.
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/PictureRecording.h"
#include "platform/PortPixels.h"
#include "platform/QuickDraw.h"
#include "platform/ToolboxState.h"

namespace {

// Maps destination coordinates of one axis onto a source axis: the destination pixel
// d samples the source pixel under its centre.
struct AxisMap {
    int dstLo;
    int dstLen;
    int srcLo;
    int srcLen;
    // Callers pass d >= dstLo, so the division never meets a negative numerator.
    int operator()(int d) const {
        const int64_t twiceOffset = 2 * int64_t(d - dstLo) + 1;
        return srcLo + static_cast<int>(twiceOffset * srcLen / (2 * int64_t(dstLen)));
    }
};

// Narrows [*lo, *hi) to the destination coordinates whose source lies inside
// [boundLo, boundHi). The map never decreases, so the valid part is one piece.
void TrimToSource(const AxisMap& map, int boundLo, int boundHi, int* lo, int* hi) {
    while (*lo < *hi && map(*lo) < boundLo) ++*lo;
    while (*hi > *lo && map(*hi - 1) >= boundHi) --*hi;
}

// Source positions in memory (relative to the source's bounds) for [lo, hi).
void FillTable(const AxisMap& map, int lo, int hi, int boundLo, std::vector<int>* table) {
    table->resize(static_cast<size_t>(hi - lo));
    for (int d = lo; d < hi; ++d) (*table)[d - lo] = map(d) - boundLo;
}

struct CopyPlan {
    PixelSpan dst;                 // destination pixels written, clipped
    std::vector<int> srcColumns;   // per destination column: source column in memory
    std::vector<int> srcRows;      // per destination row: source row in memory
    std::vector<int> maskColumns;  // the same for the mask (CopyMask only)
    std::vector<int> maskRows;
};

// The destination rectangle clipped to the destination's bounds, and to the current
// port's clip and port rectangles when the destination is the current port's pixels.
PixelSpan ClippedDestination(const PixMap& dst, const Rect& dstRect) {
    const PixelSpan wanted = SpanOf(dstRect);
    const GrafPort* port = CurrentPort();
    if (port != nullptr && IsPortPixMap(*port, dst)) return ClipSpanToPort(*port, wanted);
    return ClipSpanToPixMap(dst, wanted);
}

bool PlanCopy(const PixMap& src, const PixMap& dst, const Rect& srcRect, const Rect& dstRect,
              const PixMap* mask, const Rect* maskRect, CopyPlan* plan) {
    if (src.baseAddr == nullptr || dst.baseAddr == nullptr) return false;
    const AxisMap columns{dstRect.left, RectWidth(dstRect), srcRect.left, RectWidth(srcRect)};
    const AxisMap rows{dstRect.top, RectHeight(dstRect), srcRect.top, RectHeight(srcRect)};
    if (columns.dstLen <= 0 || rows.dstLen <= 0 || columns.srcLen <= 0 || rows.srcLen <= 0) return false;
    PixelSpan d = ClippedDestination(dst, dstRect);
    TrimToSource(columns, src.bounds.left, src.bounds.right, &d.left, &d.right);
    TrimToSource(rows, src.bounds.top, src.bounds.bottom, &d.top, &d.bottom);
    AxisMap maskColumns{}, maskRows{};
    if (mask != nullptr) {
        if (mask->baseAddr == nullptr) return false;
        maskColumns = {dstRect.left, RectWidth(dstRect), maskRect->left, RectWidth(*maskRect)};
        maskRows = {dstRect.top, RectHeight(dstRect), maskRect->top, RectHeight(*maskRect)};
        if (maskColumns.srcLen <= 0 || maskRows.srcLen <= 0) return false;
        TrimToSource(maskColumns, mask->bounds.left, mask->bounds.right, &d.left, &d.right);
        TrimToSource(maskRows, mask->bounds.top, mask->bounds.bottom, &d.top, &d.bottom);
    }
    if (d.Empty()) return false;
    plan->dst = d;
    FillTable(columns, d.left, d.right, src.bounds.left, &plan->srcColumns);
    FillTable(rows, d.top, d.bottom, src.bounds.top, &plan->srcRows);
    if (mask != nullptr) {
        FillTable(maskColumns, d.left, d.right, mask->bounds.left, &plan->maskColumns);
        FillTable(maskRows, d.top, d.bottom, mask->bounds.top, &plan->maskRows);
    }
    return true;
}

// The current port's colours as pixel words. Each 8-bit component of a copied pixel
// becomes (~src & fg) | (src & bg): black on white copies exactly, white on black
// gives the negative.
struct CopyColours {
    uint32_t fg;
    uint32_t bg;
    bool exact;
};

CopyColours CurrentCopyColours() {
    const GrafPort* port = CurrentPort();
    const Rgb8 fg = port ? ToRgb8(port->fgColor) : Rgb8{0, 0, 0};
    const Rgb8 bg = port ? ToRgb8(port->bkColor) : Rgb8{255, 255, 255};
    const bool exact = fg.r == 0 && fg.g == 0 && fg.b == 0 && bg.r == 255 && bg.g == 255 && bg.b == 255;
    return {PackPixel(fg), PackPixel(bg), exact};
}

inline uint32_t Colourise(uint32_t src, const CopyColours& c) { return (~src & c.fg) | (src & c.bg); }

const uint8_t* SourceRow(const PixMap& src, int memoryRow) {
    return src.baseAddr + static_cast<ptrdiff_t>(memoryRow) * src.RowBytes();
}

// The first destination pixel of the plan's row i (32-bit destinations).
uint8_t* DestinationStart(const PixMap& dst, const CopyPlan& plan, int i) {
    return PixelRow(dst, plan.dst.top + i) + 4 * (plan.dst.left - dst.bounds.left);
}

// Same size, exact colours: whole rows at once. Rows go bottom-up when the
// destination lies after the source in the same memory, so overlapping copies work.
void CopySameSizeRows(const PixMap& src, const PixMap& dst, const CopyPlan& plan) {
    const int rows = static_cast<int>(plan.srcRows.size());
    const size_t bytes = 4 * plan.srcColumns.size();
    const int firstColumn = plan.srcColumns.front();
    const bool bottomUp =
        std::greater<const uint8_t*>{}(DestinationStart(dst, plan, 0), SourceRow(src, plan.srcRows[0]) + 4 * firstColumn);
    for (int k = 0; k < rows; ++k) {
        const int i = bottomUp ? rows - 1 - k : k;
        std::memmove(DestinationStart(dst, plan, i), SourceRow(src, plan.srcRows[i]) + 4 * firstColumn, bytes);
    }
}

// Scaled, exact colours. A destination row that samples the same source row as the
// one before (a vertical stretch) is a copy of that row.
void CopyScaledRows(const PixMap& src, const PixMap& dst, const CopyPlan& plan) {
    const int rows = static_cast<int>(plan.srcRows.size());
    const int width = static_cast<int>(plan.srcColumns.size());
    const int* columns = plan.srcColumns.data();
    const uint8_t* previousSource = nullptr;
    const uint8_t* previousOut = nullptr;
    for (int i = 0; i < rows; ++i) {
        const uint8_t* in = SourceRow(src, plan.srcRows[i]);
        uint8_t* out = DestinationStart(dst, plan, i);
        if (in == previousSource) {
            std::memcpy(out, previousOut, 4 * size_t(width));
            continue;
        }
        for (int x = 0; x < width; ++x) StorePixel(out + 4 * x, LoadPixel(in + 4 * columns[x]));
        previousSource = in;
        previousOut = out;
    }
}

// Scaled or not, coloured with the port's colours.
void CopyColouredRows(const PixMap& src, const PixMap& dst, const CopyPlan& plan, const CopyColours& c) {
    const int rows = static_cast<int>(plan.srcRows.size());
    const int width = static_cast<int>(plan.srcColumns.size());
    const int* columns = plan.srcColumns.data();
    for (int i = 0; i < rows; ++i) {
        const uint8_t* in = SourceRow(src, plan.srcRows[i]);
        uint8_t* out = DestinationStart(dst, plan, i);
        for (int x = 0; x < width; ++x) StorePixel(out + 4 * x, Colourise(LoadPixel(in + 4 * columns[x]), c));
    }
}

// Same size, coloured: whole rows, two pixels to a 64-bit word. The source does not
// share memory with the destination here.
void CopyColouredSameSizeRows(const PixMap& src, const PixMap& dst, const CopyPlan& plan, const CopyColours& c) {
    const int rows = static_cast<int>(plan.srcRows.size());
    const int width = static_cast<int>(plan.srcColumns.size());
    const int firstColumn = plan.srcColumns.front();
    const uint64_t fg = uint64_t(c.fg) | (uint64_t(c.fg) << 32);
    const uint64_t bg = uint64_t(c.bg) | (uint64_t(c.bg) << 32);
    for (int i = 0; i < rows; ++i) {
        const uint8_t* in = SourceRow(src, plan.srcRows[i]) + 4 * firstColumn;
        uint8_t* out = DestinationStart(dst, plan, i);
        int x = 0;
        for (; x + 2 <= width; x += 2) {
            uint64_t pair;
            std::memcpy(&pair, in + 4 * x, 8);
            pair = (~pair & fg) | (pair & bg);
            std::memcpy(out + 4 * x, &pair, 8);
        }
        if (x < width) StorePixel(out + 4 * x, Colourise(LoadPixel(in + 4 * x), c));
    }
}

// Pixel access for maps of either depth, as pixel words (1-bit: black or white).
uint32_t ReadWord(const PixMap& pm, const uint8_t* row, int column) {
    if (pm.pixelSize == 1) return PackPixel(GetMaskBit(row, column) ? Rgb8{0, 0, 0} : Rgb8{255, 255, 255});
    return LoadPixel(row + 4 * column);
}

void WriteWord(const PixMap& pm, uint8_t* row, int column, uint32_t word) {
    if (pm.pixelSize == 1) {
        uint8_t bytes[4];
        std::memcpy(bytes, &word, 4);
        SetMaskBit(row, column, IsDarkColor(Rgb8{bytes[1], bytes[2], bytes[3]}));
    } else {
        StorePixel(row + 4 * column, word);
    }
}

// Any depths, optionally through a mask: one pixel at a time. Used for 1-bit maps
// and masked copies, which are small.
void CopyPixelByPixel(const PixMap& src, const PixMap& dst, const PixMap* mask, const CopyPlan& plan,
                      const CopyColours& c) {
    const int rows = static_cast<int>(plan.srcRows.size());
    const int width = static_cast<int>(plan.srcColumns.size());
    for (int i = 0; i < rows; ++i) {
        const uint8_t* in = SourceRow(src, plan.srcRows[i]);
        uint8_t* out = PixelRow(dst, plan.dst.top + i);
        const uint8_t* maskRow = mask ? SourceRow(*mask, plan.maskRows[i]) : nullptr;
        const int outColumn = plan.dst.left - dst.bounds.left;
        for (int x = 0; x < width; ++x) {
            if (maskRow != nullptr && !GetMaskBit(maskRow, plan.maskColumns[x])) continue;
            const uint32_t word = ReadWord(src, in, plan.srcColumns[x]);
            WriteWord(dst, out, outColumn + x, c.exact ? word : Colourise(word, c));
        }
    }
}

// A private copy of a source that shares memory with the destination, for the copies
// that cannot run in place.
PixMap DetachedSource(const PixMap& src, std::vector<uint8_t>* storage) {
    const size_t bytes = static_cast<size_t>(src.RowBytes()) * std::max(0, RectHeight(src.bounds));
    storage->assign(src.baseAddr, src.baseAddr + bytes);
    PixMap copy = src;
    copy.baseAddr = storage->data();
    return copy;
}

// Marks the port whose pixels dst are as drawn into: the current port, or a window.
void MarkDestinationDirty(const PixMap& dst) {
    if (GrafPort* port = CurrentPort(); port != nullptr && IsPortPixMap(*port, dst)) {
        port->dirty = true;
        return;
    }
    for (WindowPtr w : Toolbox().windows) {
        if (IsPortPixMap(*w, dst)) w->dirty = true;
    }
}

bool IsSameSize(const Rect& a, const Rect& b) {
    return RectWidth(a) == RectWidth(b) && RectHeight(a) == RectHeight(b);
}

}  // namespace

void CopyBits(const PixMap* src, const PixMap* dst, const Rect* srcRect, const Rect* dstRect,
              int16_t mode, const void* /*maskRgn*/) {
    if (src == nullptr || dst == nullptr || srcRect == nullptr || dstRect == nullptr) return;
    // While a picture is open on the current port, copies into it go into the picture.
    if (RecordCopyIntoOpenPicture(*src, *dst, *srcRect, *dstRect, mode)) return;
    CopyPlan plan;
    if (!PlanCopy(*src, *dst, *srcRect, *dstRect, nullptr, nullptr, &plan)) return;
    const CopyColours colours = CurrentCopyColours();
    const bool deep = src->pixelSize == 32 && dst->pixelSize == 32;
    if (deep && colours.exact && IsSameSize(*srcRect, *dstRect)) {
        CopySameSizeRows(*src, *dst, plan);
    } else {
        std::vector<uint8_t> detached;
        const PixMap source = src->baseAddr == dst->baseAddr ? DetachedSource(*src, &detached) : *src;
        if (!deep) {
            CopyPixelByPixel(source, *dst, nullptr, plan, colours);
        } else if (colours.exact) {
            CopyScaledRows(source, *dst, plan);
        } else if (IsSameSize(*srcRect, *dstRect)) {
            CopyColouredSameSizeRows(source, *dst, plan, colours);
        } else {
            CopyColouredRows(source, *dst, plan, colours);
        }
    }
    MarkDestinationDirty(*dst);
}

void CopyMask(const PixMap* src, const PixMap* mask, const PixMap* dst, const Rect* srcRect,
              const Rect* maskRect, const Rect* dstRect) {
    if (src == nullptr || mask == nullptr || dst == nullptr || srcRect == nullptr || maskRect == nullptr ||
        dstRect == nullptr || mask->pixelSize != 1) {
        return;
    }
    CopyPlan plan;
    if (!PlanCopy(*src, *dst, *srcRect, *dstRect, mask, maskRect, &plan)) return;
    std::vector<uint8_t> detached;
    const PixMap source = src->baseAddr == dst->baseAddr ? DetachedSource(*src, &detached) : *src;
    CopyPixelByPixel(source, *dst, mask, plan, CurrentCopyColours());
    MarkDestinationDirty(*dst);
}

const PixMap* GetPortBitMapForCopyBits(CGrafPtr port) { return port != nullptr ? &port->pixMap : nullptr; }
