#include "tests/support/TestPort.h"

#include <stdexcept>

namespace {

constexpr uint8_t kPaddingSentinel = 0xA5;

char CharFor(Rgb c) {
    if (c == Rgb{0, 0, 0}) return '#';
    if (c == Rgb{255, 255, 255}) return '.';
    if (c == Rgb{255, 0, 0}) return 'R';
    if (c == Rgb{0, 255, 0}) return 'G';
    if (c == Rgb{0, 0, 255}) return 'B';
    if (c == Rgb{0, 255, 255}) return 'C';
    if (c == Rgb{255, 255, 0}) return 'Y';
    return '?';
}

}  // namespace

TestPort::TestPort(int width, int height, int depth) : TestPort(MakeRect(0, 0, width, height), depth) {}

TestPort::TestPort(const Rect& bounds, int depth) {
    if (NewGWorld(&world_, static_cast<int16_t>(depth), &bounds, nullptr, nullptr, 0) != noErr || world_ == nullptr) {
        throw std::runtime_error("TestPort: NewGWorld failed");
    }
    PaintPadding();
}

TestPort::~TestPort() { DisposeGWorld(world_); }

void TestPort::MakeCurrent() const { SetGWorld(world_, nullptr); }

void TestPort::PaintPadding() {
    const PixMap& pm = world_->pixMap;
    const int used = pm.pixelSize == 1 ? (RectWidth(pm.bounds) + 7) / 8 : 4 * RectWidth(pm.bounds);
    for (int y = 0; y < RectHeight(pm.bounds); ++y) {
        uint8_t* row = pm.baseAddr + y * pm.RowBytes();
        for (int i = used; i < pm.RowBytes(); ++i) row[i] = kPaddingSentinel;
    }
}

bool TestPort::PaddingIntact() const {
    const PixMap& pm = world_->pixMap;
    const int used = pm.pixelSize == 1 ? (RectWidth(pm.bounds) + 7) / 8 : 4 * RectWidth(pm.bounds);
    for (int y = 0; y < RectHeight(pm.bounds); ++y) {
        const uint8_t* row = pm.baseAddr + y * pm.RowBytes();
        for (int i = used; i < pm.RowBytes(); ++i) {
            if (row[i] != kPaddingSentinel) return false;
        }
    }
    return true;
}

Rgb TestPort::At(int h, int v) const {
    const PixMap& pm = world_->pixMap;
    const uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + 4 * (h - pm.bounds.left);
    return {p[1], p[2], p[3]};
}

uint8_t TestPort::UnusedByteAt(int h, int v) const {
    const PixMap& pm = world_->pixMap;
    return pm.baseAddr[(v - pm.bounds.top) * pm.RowBytes() + 4 * (h - pm.bounds.left)];
}

void TestPort::Set(int h, int v, Rgb c) {
    const PixMap& pm = world_->pixMap;
    uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + 4 * (h - pm.bounds.left);
    p[0] = 0;
    p[1] = c.r;
    p[2] = c.g;
    p[3] = c.b;
}

bool TestPort::BitAt(int h, int v) const {
    const PixMap& pm = world_->pixMap;
    const int column = h - pm.bounds.left;
    return (pm.baseAddr[(v - pm.bounds.top) * pm.RowBytes() + column / 8] & (0x80 >> (column % 8))) != 0;
}

void TestPort::SetBit(int h, int v, bool set) {
    const PixMap& pm = world_->pixMap;
    const int column = h - pm.bounds.left;
    uint8_t& byte = pm.baseAddr[(v - pm.bounds.top) * pm.RowBytes() + column / 8];
    const uint8_t bit = static_cast<uint8_t>(0x80 >> (column % 8));
    byte = set ? (byte | bit) : (byte & ~bit);
}

void TestPort::Fill(Rgb c) {
    const Rect& b = world_->pixMap.bounds;
    for (int v = b.top; v < b.bottom; ++v) {
        for (int h = b.left; h < b.right; ++h) Set(h, v, c);
    }
}

std::string TestPort::Grid() const {
    const Rect& b = world_->pixMap.bounds;
    std::string grid;
    for (int v = b.top; v < b.bottom; ++v) {
        for (int h = b.left; h < b.right; ++h) {
            grid += world_->pixMap.pixelSize == 1 ? (BitAt(h, v) ? '#' : '.') : CharFor(At(h, v));
        }
        grid += '\n';
    }
    return grid;
}

std::string Rows(std::initializer_list<const char*> rows) {
    std::string grid;
    for (const char* row : rows) {
        grid += row;
        grid += '\n';
    }
    return grid;
}
