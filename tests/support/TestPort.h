// Offscreen ports for drawing tests: created padded, with a sentinel in every row's
// padding, and views of their pixels as text grids.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/QuickDraw.h"

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

class TestPort {
public:
    // A port with bounds (0, 0) - (width, height).
    TestPort(int width, int height, int depth = 32);
    TestPort(const Rect& bounds, int depth = 32);
    ~TestPort();
    TestPort(const TestPort&) = delete;
    TestPort& operator=(const TestPort&) = delete;

    GWorldPtr port() const { return world_; }
    const PixMap* pixMap() const { return &world_->pixMap; }
    void MakeCurrent() const;

    // Pixels at local coordinates.
    Rgb At(int h, int v) const;
    void Set(int h, int v, Rgb c);
    uint8_t UnusedByteAt(int h, int v) const;
    bool BitAt(int h, int v) const;  // 1-bit ports
    void SetBit(int h, int v, bool set);
    void Fill(Rgb c);

    // One line per row, one character per pixel: '#' black, '.' white, 'R' red,
    // 'G' green, 'B' blue, 'C' cyan, 'Y' yellow, '?' anything else. 1-bit ports:
    // '#' set, '.' clear.
    std::string Grid() const;
    // True while no byte of any row's padding has changed since construction.
    bool PaddingIntact() const;

private:
    void PaintPadding();
    GWorldPtr world_ = nullptr;
};

// Joins rows into the form Grid() returns.
std::string Rows(std::initializer_list<const char*> rows);
