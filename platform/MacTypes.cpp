#include "platform/MacTypes.h"

#include <algorithm>
#include <cstring>

void CopyCStringToPascal(std::string_view text, StringPtr out, int capacity) {
    size_t n = std::min<size_t>(text.size(), static_cast<size_t>(std::clamp(capacity, 0, 255)));
    out[0] = static_cast<unsigned char>(n);
    if (n > 0) std::memcpy(out + 1, text.data(), n);
}

std::string PascalToString(ConstStr255Param p) {
    if (p == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

void SetRect(Rect* r, int left, int top, int right, int bottom) {
    r->left = static_cast<int16_t>(left);
    r->top = static_cast<int16_t>(top);
    r->right = static_cast<int16_t>(right);
    r->bottom = static_cast<int16_t>(bottom);
}

void OffsetRect(Rect* r, int dh, int dv) {
    SetRect(r, r->left + dh, r->top + dv, r->right + dh, r->bottom + dv);
}

void InsetRect(Rect* r, int dh, int dv) {
    SetRect(r, r->left + dh, r->top + dv, r->right - dh, r->bottom - dv);
}

bool PtInRect(Point pt, const Rect* r) {
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

bool EmptyRect(const Rect* r) { return r->right <= r->left || r->bottom <= r->top; }

bool SectRect(const Rect* a, const Rect* b, Rect* out) {
    Rect s = MakeRect(std::max(a->left, b->left), std::max(a->top, b->top),
                      std::min(a->right, b->right), std::min(a->bottom, b->bottom));
    if (EmptyRect(&s)) {
        *out = Rect{};
        return false;
    }
    *out = s;
    return true;
}

void UnionRect(const Rect* a, const Rect* b, Rect* out) {
    *out = MakeRect(std::min(a->left, b->left), std::min(a->top, b->top),
                    std::max(a->right, b->right), std::max(a->bottom, b->bottom));
}

bool EqualRect(const Rect* a, const Rect* b) { return *a == *b; }

void SetPt(Point* pt, int h, int v) {
    pt->h = static_cast<int16_t>(h);
    pt->v = static_cast<int16_t>(v);
}

bool EqualPt(Point a, Point b) { return a == b; }

Rect MakeRect(int left, int top, int right, int bottom) {
    Rect r;
    SetRect(&r, left, top, right, bottom);
    return r;
}

Rect OffsetRectCopy(Rect r, int dh, int dv) {
    OffsetRect(&r, dh, dv);
    return r;
}
