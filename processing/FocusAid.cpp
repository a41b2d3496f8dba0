// The focus measurement of the frame pipeline: the histogram square's values go
// through the 2-D real FFT, the magnitudes of the left half of the spectrum are
// summed into rings of equal distance from the zero frequency, and the share of a
// band of rings in the whole is the power ratio that the focus-aid window plots.
// A sharp image keeps more of its power away from the centre of the spectrum.
#include "processing/FocusAid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "display/FrameWindowsGroup.h"
#include "fft/fft2d.h"
#include "processing/ImageProcs.h"
#include "processing/RawFrameProcessor.h"

namespace {

// The channel selector of the pixel's value: the largest of red, green and blue.
constexpr int kValueChannel = 0;

// |a, b| in single precision.
float MagnitudeOf(float re, float im) { return std::sqrt(re * re + im * im); }

// The largest value, truncated to an integer; 0 for a black square. The values are
// not negative, so truncating the largest gives what raising an integer to each
// larger value in turn would.
int32_t FindBrightestValue(const float* values, size_t count) {
    float brightest = 0.0f;
    for (size_t i = 0; i < count; ++i) brightest = std::max(brightest, values[i]);
    return static_cast<int32_t>(brightest);
}

// The magnitudes of the coefficients X(v, u) with u = 0 .. n/2 - 1, written at
// magnitudes[v * n + u], read from the packed spectrum of an n x n real array.
//
// Columns 1 .. n/2 - 1 of every row are complex pairs. Column 0 is packed into the
// first two floats of the rows: X(0, 0) and X(n/2, 0) (both real) in row 0, X(v, 0)
// for v = 1 .. n/2 - 1 in rows 1 .. n/2 - 1; rows n/2 + 1 .. n - 1 hold coefficients of
// column n/2 there instead, which the sums do not use. Their cells of column 0 get
// the magnitude of the mirror coefficient X(n - v, 0): for real values X(v, 0) is the
// conjugate of X(n - v, 0), so that is |X(v, 0)| itself and every row of column 0
// counts with its true magnitude.
void FormSpectrumMagnitudes(const float* packed, float* magnitudes, int n) {
    const int half = n / 2;
    for (int v = 0; v < n; ++v) {
        const float* row = packed + static_cast<size_t>(v) * n;
        float* out = magnitudes + static_cast<size_t>(v) * n;
        for (int u = 1; u < half; ++u) out[u] = MagnitudeOf(row[2 * u], row[2 * u + 1]);
    }
    for (int v = 1; v < half; ++v) {
        const float* row = packed + static_cast<size_t>(v) * n;
        magnitudes[static_cast<size_t>(v) * n] = MagnitudeOf(row[0], row[1]);
    }
    magnitudes[0] = std::fabs(packed[0]);
    magnitudes[static_cast<size_t>(half) * n] = std::fabs(packed[1]);
    for (int v = half + 1; v < n; ++v) {
        magnitudes[static_cast<size_t>(v) * n] = magnitudes[static_cast<size_t>(n - v) * n];
    }
}

// The largest square the focus aid measures, and half of it.
constexpr int kLargestSide = 256;
constexpr int kLargestHalf = kLargestSide / 2;

// Sums the magnitudes of columns 0 .. n/2 - 1 into the rings. The ring of a
// coefficient at vertical distance dv and horizontal distance u is sqrt(dv^2 + u^2)
// in double precision, truncated. The rows of the upper half count their distance
// from row 0; those of the lower half count it from the last row, n - 1 - v, so row
// n - 1 is distance 0 and row n/2 distance n/2 - 1: both halves of a column thus
// meet the same n/2 distances, worked out once per column.
// Column by column, top to bottom: a fixed order, since it decides the float
// rounding of each ring.
void SumMagnitudesByDistance(const float* magnitudes, float* rings, int ringCount, int n) {
    const int half = n / 2;
    int ringOfDistance[kLargestHalf];
    for (int d = 0; d < ringCount; ++d) rings[d] = 0.0f;
    for (int u = 0; u < half; ++u) {
        for (int dv = 0; dv < half; ++dv)
            ringOfDistance[dv] = static_cast<int>(std::sqrt(static_cast<double>(dv * dv + u * u)));
        const float* column = magnitudes + u;
        for (int v = 0; v < half; ++v) rings[ringOfDistance[v]] += column[static_cast<size_t>(v) * n];
        for (int v = half; v < n; ++v) rings[ringOfDistance[n - 1 - v]] += column[static_cast<size_t>(v) * n];
    }
}

// The share of the rings low <= d <= high in all rings. A black square has no power
// at all: its ratio is 0 rather than 0 / 0, so that the chart always gets a number.
float ComputeBandRatio(const float* rings, int ringCount, float low, float high) {
    float total = 0.0f;
    float band = 0.0f;
    for (int d = 0; d < ringCount; ++d) total += rings[d];
    for (int d = 0; d < ringCount; ++d) {
        if (low <= static_cast<float>(d) && static_cast<float>(d) <= high) band += rings[d];
    }
    if (total == 0.0f) return 0.0f;
    return band / total;
}

}  // namespace

int GetFocusSquareSide(const Rect& rect) {
    const int side = rect.right - rect.left + 1;
    if (rect.bottom - rect.top + 1 != side) return 0;
    if (side != 32 && side != 64 && side != 128 && side != kLargestSide) return 0;
    return side;
}

int CountFocusBins(int side) { return static_cast<int>(side * 0.5 * std::sqrt(2.0)); }

float GetFullBandCutoff(int side) { return static_cast<float>(side * 0.5 * std::sqrt(2.0)); }

void RawFrameProcessor::UpdateFocusAid() {
    const Rect square = frameWindowsGroup->GetHistogramBoundsRect();
    const int n = GetFocusSquareSide(square);
    if (n == 0 || !IsWindowVisible(frameWindowsGroup->GetFocusAidWindow())) {
        ReleaseFocusAidArrays();
        return;
    }
    const long m = std::countr_zero(static_cast<unsigned>(n));  // log2 of a power of two
    if (fftSize != n) {
        // A new square size: the transform's tables, fresh arrays, and a band that
        // covers every ring. A hide and show at the same size keeps all of these.
        if (fft2dInit(m, m) != kFftDone) throw std::bad_alloc();
        fftSize = n;
        ReleaseFocusAidArrays();
        cutoffLow = 0.0f;
        cutoffHigh = GetFullBandCutoff(n);
    }
    const size_t cells = static_cast<size_t>(n) * static_cast<size_t>(n);
    const int ringCount = CountFocusBins(n);
    if (!fftData) fftData = std::make_unique<float[]>(cells);
    if (!spectrumMagnitudes) spectrumMagnitudes = std::make_unique<float[]>(cells);
    if (!powerSpectrumDist) powerSpectrumDist = std::make_unique<float[]>(static_cast<size_t>(ringCount));

    ConvertPixelValuesFromImage(*levelAdjustedFrame, kValueChannel, fftData.get(), square);
    maxPixelValue = FindBrightestValue(fftData.get(), cells);
    rfft2d(fftData.get(), m, m);
    FormSpectrumMagnitudes(fftData.get(), spectrumMagnitudes.get(), n);
    SumMagnitudesByDistance(spectrumMagnitudes.get(), powerSpectrumDist.get(), ringCount, n);
    powerRatio = ComputeBandRatio(powerSpectrumDist.get(), ringCount, cutoffLow, cutoffHigh);
}

// The last ratio and brightest value stay for the window; the size and the cutoffs
// stay for the next time the same square is measured.
void RawFrameProcessor::ReleaseFocusAidArrays() {
    fftData.reset();
    spectrumMagnitudes.reset();
    powerSpectrumDist.reset();
}
