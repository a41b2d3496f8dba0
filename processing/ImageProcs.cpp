#include "processing/ImageProcs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "display/Histogram.h"
#include "image/GWorldWrapper.h"
#include "processing/FramePixels.h"

namespace {

// Level tables are indexed by a byte, so 256 levels is the one number supported.
constexpr int kLevels = 256;

using LevelTable = std::array<uint8_t, kLevels>;

struct ColourTables {
    LevelTable red;
    LevelTable green;
    LevelTable blue;
};

// Per-level pixel counts of a run of pixels.
struct LevelCounts {
    std::array<uint32_t, kLevels> value{};
    std::array<uint32_t, kLevels> red{};
    std::array<uint32_t, kLevels> green{};
    std::array<uint32_t, kLevels> blue{};
};

// The byte of a pixel word that holds no colour.
constexpr uint32_t kUnusedByteMask = std::endian::native == std::endian::little ? 0x000000FFu : 0xFF000000u;

inline int ValueOf(const uint8_t* pixel) { return std::max({pixel[kRedByte], pixel[kGreenByte], pixel[kBlueByte]}); }

inline uint32_t LoadWord(const uint8_t* p) {
    uint32_t word;
    std::memcpy(&word, p, 4);
    return word;
}

inline void StoreWord(uint8_t* p, uint32_t word) { std::memcpy(p, &word, 4); }

// ---- Row functions: one run of pixels, nothing of buffers. ----

void ConvertRowToValues(const uint8_t* row, int count, float* out) {
    for (int x = 0; x < count; ++x) out[x] = static_cast<float>(ValueOf(row + 4 * x));
}

void ConvertRowToComponent(const uint8_t* row, int count, int component, float* out) {
    const uint8_t* p = row + component;
    for (int x = 0; x < count; ++x) out[x] = static_cast<float>(p[4 * x]);
}

void RemapRowComponents(uint8_t* row, int count, const ColourTables& tables) {
    for (int x = 0; x < count; ++x) {
        uint8_t* p = row + 4 * x;
        p[kRedByte] = tables.red[p[kRedByte]];
        p[kGreenByte] = tables.green[p[kGreenByte]];
        p[kBlueByte] = tables.blue[p[kBlueByte]];
    }
}

// The value step's arithmetic for each old value v: every component c of a pixel of
// value v becomes round(c x t / v) with t the value table's entry at v, the
// division done as a multiplication by ceil(2^24 / v) and a shift. For numerators
// below 2^16 (c x t + v / 2 <= 255 x 255 + 127) and v <= 255 that gives the exact
// quotient. A black pixel (v 0) has no hue: multiplier 0 and the grey t added.
struct ValueScales {
    std::array<uint32_t, kLevels> newValue;
    std::array<uint32_t, kLevels> half;
    std::array<uint64_t, kLevels> multiplier;
    std::array<uint32_t, kLevels> grey;
};

constexpr int kValueShift = 24;

ValueScales BuildValueScales(const LevelTable& valueTable) {
    ValueScales s{};
    for (int v = 0; v < kLevels; ++v) {
        s.newValue[v] = valueTable[v];
        s.half[v] = static_cast<uint32_t>(v / 2);
        s.multiplier[v] = v == 0 ? 0 : ((uint64_t{1} << kValueShift) + v - 1) / static_cast<uint64_t>(v);
        s.grey[v] = v == 0 ? valueTable[0] : 0;
    }
    return s;
}

inline uint8_t ScaleComponent(uint32_t c, int v, const ValueScales& s) {
    const uint64_t numerator = c * s.newValue[v] + s.half[v];
    return static_cast<uint8_t>(((numerator * s.multiplier[v]) >> kValueShift) + s.grey[v]);
}

// Gives every pixel the value table's entry at its value, keeping its hue and
// saturation: the components are scaled by new value / old value, rounded to nearest,
// so the largest becomes the new value exactly; black becomes the grey of the
// table's entry for 0.
void RemapRowValues(uint8_t* row, int count, const ValueScales& scales) {
    for (int x = 0; x < count; ++x) {
        uint8_t* p = row + 4 * x;
        const uint32_t r = p[kRedByte], g = p[kGreenByte], b = p[kBlueByte];
        const int v = static_cast<int>(std::max({r, g, b}));
        p[kRedByte] = ScaleComponent(r, v, scales);
        p[kGreenByte] = ScaleComponent(g, v, scales);
        p[kBlueByte] = ScaleComponent(b, v, scales);
    }
}

// Even and odd pixels count into separate tables, so that a run of equal pixels (a
// black sky) does not make every increment wait for the one before.
void CountRowLevels(const uint8_t* row, int count, LevelCounts& even, LevelCounts& odd) {
    int x = 0;
    for (; x + 1 < count; x += 2) {
        const uint8_t* p = row + 4 * x;
        ++even.red[p[kRedByte]];
        ++even.green[p[kGreenByte]];
        ++even.blue[p[kBlueByte]];
        ++even.value[ValueOf(p)];
        ++odd.red[p[4 + kRedByte]];
        ++odd.green[p[4 + kGreenByte]];
        ++odd.blue[p[4 + kBlueByte]];
        ++odd.value[ValueOf(p + 4)];
    }
    if (x < count) {
        const uint8_t* p = row + 4 * x;
        ++even.red[p[kRedByte]];
        ++even.green[p[kGreenByte]];
        ++even.blue[p[kBlueByte]];
        ++even.value[ValueOf(p)];
    }
}

int64_t SumRowValues(const uint8_t* row, int count) {
    int64_t sum = 0;
    for (int x = 0; x < count; ++x) sum += ValueOf(row + 4 * x);
    return sum;
}

// Adds up, over the pixels whose value reaches threshold, their values (weight) and
// their values times their column offsets (moment); the first pixel's offset is
// firstOffset, each next one's one more.
void AccumulateRowMoments(const uint8_t* row, int count, int64_t threshold, int firstOffset, int64_t& weight,
                          int64_t& moment) {
    for (int x = 0; x < count; ++x) {
        const int v = ValueOf(row + 4 * x);
        const int w = v >= threshold ? v : 0;
        weight += w;
        moment += static_cast<int64_t>(w) * (firstOffset + x);
    }
}

int64_t SumRowComponents(const uint8_t* row, int count) {
    int64_t sum = 0;
    for (int x = 0; x < count; ++x) {
        const uint8_t* p = row + 4 * x;
        sum += p[kRedByte] + p[kGreenByte] + p[kBlueByte];
    }
    return sum;
}

// Red, green and blue of every pixel of from into to; the unused byte of to stays.
void CopyRowComponents(const uint8_t* from, uint8_t* to, int count) {
    for (int x = 0; x < count; ++x) {
        const uint32_t colour = LoadWord(from + 4 * x) & ~kUnusedByteMask;
        const uint32_t unused = LoadWord(to + 4 * x) & kUnusedByteMask;
        StoreWord(to + 4 * x, colour | unused);
    }
}

// ---- Level tables ----

// The table of one channel for dark cutoff `dark`, light cutoff `light` and exponent
// `gamma`, truncated to bytes. Outside the cutoffs it follows the straight line
// through 0 at the dark cutoff with slope levels / span; strictly between them the
// gamma curve scaled to 255 (not levels), which at gamma 1.0 runs a little below that
// line, so that even neutral settings lower 0 < i < 255 by one.
LevelTable BuildLevelTable(int levels, int dark, int light, double gamma) {
    LevelTable table{};
    const double span = light - dark + 1;
    const double slope = levels / span;
    for (int i = 0; i < levels; ++i) {
        double t = i * slope - dark * slope;
        if (dark < i && i < light) t = 255.0 * std::pow((i - dark) / span, gamma);
        // Written so that a NaN (cutoffs crossed by more than one level) also gives 0.
        if (!(t >= 0.0)) {
            t = 0.0;
        } else if (t >= levels) {
            t = levels - 1;
        }
        table[static_cast<size_t>(i)] = static_cast<uint8_t>(t);
    }
    return table;
}

bool AreLevelsNeutral(const int* darkCutoffs, const int* lightCutoffs, const double* gammas) {
    for (int c = 0; c < 4; ++c) {
        if (darkCutoffs[c] != 0 || lightCutoffs[c] != 255 || gammas[c] != 1.0) return false;
    }
    return true;
}

}  // namespace

void ConvertPixelValuesFromImage(GWorldWrapper& frame, int channel, float* values, Rect rect) {
    if (channel < 0 || channel > 3) return;
    LockedFramePixels locked(frame);
    const FramePixels& f = locked.Pixels();
    const int right = std::min<int>(rect.right, f.width - 1);
    const int bottom = std::min<int>(rect.bottom, f.height - 1);
    const int columns = right - rect.left + 1;
    if (columns <= 0) return;
    // A rectangle that starts above or left of the frame keeps its layout: the pixels
    // outside read as 0 rather than as memory that belongs to no pixel.
    const int outside = std::min(columns, std::max(0, -static_cast<int>(rect.left)));
    const int inside = columns - outside;
    const int firstColumn = rect.left + outside;
    float* out = values;
    for (int y = rect.top; y <= bottom; ++y, out += columns) {
        if (y < 0) {
            std::fill(out, out + columns, 0.0f);
            continue;
        }
        std::fill(out, out + outside, 0.0f);
        const uint8_t* row = f.Row(y) + 4 * firstColumn;
        if (channel == 0) {
            ConvertRowToValues(row, inside, out + outside);
        } else {
            ConvertRowToComponent(row, inside, channel, out + outside);
        }
    }
}

void RemapImageComponentsFromLevelCutoffs(GWorldWrapper& frame, int levels, const int* darkCutoffs,
                                          const int* lightCutoffs, const double* gammas) {
    if (AreLevelsNeutral(darkCutoffs, lightCutoffs, gammas)) return;
    if (levels != kLevels) return;
    // The costly value step is skipped when the value channel is neutral.
    const bool remapValues = !(darkCutoffs[0] == 0 && lightCutoffs[0] == levels - 1 && gammas[0] == 1.0);
    const ColourTables tables{BuildLevelTable(levels, darkCutoffs[1], lightCutoffs[1], gammas[1]),
                              BuildLevelTable(levels, darkCutoffs[2], lightCutoffs[2], gammas[2]),
                              BuildLevelTable(levels, darkCutoffs[3], lightCutoffs[3], gammas[3])};
    const ValueScales valueScales =
        remapValues ? BuildValueScales(BuildLevelTable(levels, darkCutoffs[0], lightCutoffs[0], gammas[0]))
                    : ValueScales{};

    // Each pixel depends only on its own bytes, so the frame is rewritten in place.
    LockedFramePixels locked(frame);
    const FramePixels& f = locked.Pixels();
    for (int y = 0; y < f.height; ++y) {
        uint8_t* row = f.Row(y);
        RemapRowComponents(row, f.width, tables);
        if (remapValues) RemapRowValues(row, f.width, valueScales);
    }
}

bool GenerateHistograms(GWorldWrapper& frame, Rect rect, Histogram& valueHistogram, Histogram& redHistogram,
                        Histogram& greenHistogram, Histogram& blueHistogram) {
    const Rect dim = frame.GetDim();
    if (rect.left < 0 || rect.top < 0 || rect.right > RectWidth(dim) || rect.bottom > RectHeight(dim)) return false;
    valueHistogram.Initialize();
    redHistogram.Initialize();
    greenHistogram.Initialize();
    blueHistogram.Initialize();

    // Counted in integers, then handed to the histograms in one addition per level.
    LevelCounts even;
    LevelCounts odd;
    frame.StartUsingGWorld();
    const uint8_t* base = reinterpret_cast<const uint8_t*>(GetPixBaseAddr(frame.GetSrcPixMap()));
    const int rowBytes = frame.GetSrcRowBytes();
    for (int y = rect.top; y < rect.bottom; ++y) {
        const uint8_t* row = base + static_cast<ptrdiff_t>(y) * rowBytes + 4 * rect.left;
        CountRowLevels(row, rect.right - rect.left, even, odd);
    }
    frame.FinishUsingGWorld();

    for (int i = 0; i < kLevels; ++i) {
        const size_t k = static_cast<size_t>(i);
        valueHistogram.AddToBin(i, static_cast<double>(even.value[k]) + odd.value[k]);
        redHistogram.AddToBin(i, static_cast<double>(even.red[k]) + odd.red[k]);
        greenHistogram.AddToBin(i, static_cast<double>(even.green[k]) + odd.green[k]);
        blueHistogram.AddToBin(i, static_cast<double>(even.blue[k]) + odd.blue[k]);
    }
    valueHistogram.NormalizeToOne();
    redHistogram.NormalizeToOne();
    greenHistogram.NormalizeToOne();
    blueHistogram.NormalizeToOne();
    return true;
}

void CalculateValueCentroid(GWorldWrapper& frame, Rect rect, Point& centroid) {
    const int w = rect.right - rect.left + 1;
    const int halfWidth = w / 2;
    const int h = rect.bottom - rect.top + 1;
    const int halfHeight = h / 2;

    LockedFramePixels locked(frame);
    const FramePixels& f = locked.Pixels();
    // Only the part of the rectangle inside the frame is read.
    const int x0 = std::max<int>(rect.left, 0);
    const int x1 = std::min<int>(rect.right, f.width);
    const int y0 = std::max<int>(rect.top, 0);
    const int y1 = std::min<int>(rect.bottom, f.height);
    const int count = x1 - x0;

    int64_t sum = 0;
    for (int y = y0; y < y1 && count > 0; ++y) sum += SumRowValues(f.Row(y) + 4 * x0, count);
    // The divisor counts one column and one row more than the pixels summed, so the
    // threshold lies a little below their mean. Sums are 64-bit so that a rectangle of
    // a whole large frame cannot overflow them.
    const int64_t cells = static_cast<int64_t>(w) * h;
    const int64_t threshold = cells != 0 ? sum / cells : 0;

    int64_t total = 0;
    int64_t sx = 0;
    int64_t sy = 0;
    for (int y = y0; y < y1 && count > 0; ++y) {
        int64_t rowWeight = 0;
        AccumulateRowMoments(f.Row(y) + 4 * x0, count, threshold, (x0 - rect.left) - halfWidth, rowWeight, sx);
        total += rowWeight;
        sy += rowWeight * ((y - rect.top) - halfHeight);
    }
    // No pixel with weight (all black, or no pixel at all): the rectangle's centre.
    if (total != 0) {
        sx /= total;
        sy /= total;
    }
    centroid.h = static_cast<int16_t>(rect.left + halfWidth + sx);
    centroid.v = static_cast<int16_t>(rect.top + halfHeight + sy);
}

void DebinFast(GWorldWrapper& frame) {
    LockedFramePixels locked(frame);
    const FramePixels& f = locked.Pixels();
    if (f.height < 2) return;
    // The middle pair of rows: the even row at or just above the middle and the odd
    // row below it, so that the comparison is between the two fields whatever the
    // height.
    const int middle = (f.height / 2) & ~1;
    const bool keepOddField = SumRowComponents(f.Row(middle), f.width) < SumRowComponents(f.Row(middle + 1), f.width);
    for (int y = 0; y + 1 < f.height; y += 2) {
        if (keepOddField) {
            CopyRowComponents(f.Row(y + 1), f.Row(y), f.width);
        } else {
            CopyRowComponents(f.Row(y), f.Row(y + 1), f.width);
        }
    }
    // An odd height leaves the last row, an even one, without a partner below: with the
    // odd field kept it takes the odd line above it, so the frame holds one field.
    if (f.height % 2 == 1 && keepOddField) CopyRowComponents(f.Row(f.height - 2), f.Row(f.height - 1), f.width);
}
