// The two-dimensional real transform: real transforms of the rows, then complex
// transforms of the columns, four sequences at a time through a contiguous scratch.
#include "fft/fft2d.h"

#include <cstring>
#include <new>

#include "fft/fftlib.h"

float* Array2d[32] = {};

namespace {

// Sequences moved through the scratch at a time.
constexpr long kBatch = 4;

// Twiddle factors of the four-sequence transforms worked out once per call, on the
// stack, while they fit (up to 2^9 values a sequence).
constexpr long kMaxFactorFloats = 4096;

// The row and column transforms of one code path.
struct Path {
    void (*realRows)(float*, long, long, float*, short*);
    void (*complexRows)(float*, long, long, float*, short*);
    void (*realRows4)(float*, long, long, float*, float*, short*, const float*);
    void (*complexColumns4)(float*, long, long, float*, float*, short*, const float*);
};

// Fills factors for transforms of 2^M complex values when they fit; null otherwise.
const float* PrepareFactors(float* factors, long M, float* Utbl, long tableStride)
{
    if (fft4FactorCount(M) > kMaxFactorFloats) {
        return nullptr;
    }
    fft4FactorInit(factors, M, Utbl, tableStride);
    return factors;
}

constexpr Path kDefaultPath{rffts1, ffts1, rffts4rows, ffts4cols};
constexpr Path kPortablePath{rffts1Portable, ffts1Portable, rffts4rowsPortable, ffts4colsPortable};

// Column 0 after the row transforms holds X(0) + i X(W/2) of every row, two real
// columns a and b as one complex column. Its complex transform Z gives
// A(u) = (Z(u) + conj Z(H - u)) / 2 and B(u) = (Z(u) - conj Z(H - u)) / 2i, packed as
// real transforms: A in rows 0 .. H/2 - 1, B in rows H/2 .. H - 1.
void SplitColumnZero(float* data, long M2, long rowStride)
{
    const long rows = 1L << M2;
    const long half = rows / 2;
    float* top = data;
    float* middle = data + half * rowStride;
    // Z(0) and Z(H/2) hold A(0), B(0), A(H/2), B(H/2) as real and imaginary parts.
    const float z0im = top[1], zhre = middle[0];
    top[1] = zhre;
    middle[0] = z0im;
    // Rows u, H - u, H/2 - u and H/2 + u take each other's values.
    for (long u = 1; u <= rows / 4; ++u) {
        float* pu = data + u * rowStride;
        float* pmu = data + (rows - u) * rowStride;
        float* pv = data + (half - u) * rowStride;
        float* pmv = data + (half + u) * rowStride;
        const float ure = pu[0], uim = pu[1], mure = pmu[0], muim = pmu[1];
        const float vre = pv[0], vim = pv[1], mvre = pmv[0], mvim = pmv[1];
        pu[0] = 0.5f * (ure + mure);
        pu[1] = 0.5f * (uim - muim);
        pmv[0] = 0.5f * (uim + muim);
        pmv[1] = 0.5f * (mure - ure);
        pv[0] = 0.5f * (vre + mvre);
        pv[1] = 0.5f * (vim - mvim);
        pmu[0] = 0.5f * (vim + mvim);
        pmu[1] = 0.5f * (mvre - vre);
    }
}

void Rfft2d(const Path& path, float* data, long M2, long M)
{
    if (M2 <= 0 || M <= 0) {
        const long length = M2 + M;
        path.realRows(data, length, 1, UtblArray[length], BRLowArray[(length - 1) / 2]);
        return;
    }
    const long rows = 1L << M2;
    const long width = 1L << M;
    const long complexCols = width / 2;
    float* scratch = Array2d[M2];
    float* rowTable = UtblArray[M];
    short* rowReverse = BRLowArray[(M - 1) / 2];
    float* columnTable = UtblArray[M2];
    short* columnReverse = BRLowArray[M2 / 2];

    alignas(16) float factors[kMaxFactorFloats];

    // Rows four at a time where four rows fit the scratch.
    if (M2 >= 2 && M >= 3 && 4 * width <= 2 * kBatch * rows) {
        const float* rowFactors = PrepareFactors(factors, M - 1, rowTable, 2);
        for (long r = 0; r < rows; r += kBatch) {
            path.realRows4(data + r * width, M, width, scratch, rowTable, rowReverse, rowFactors);
        }
    } else {
        path.realRows(data, M, rows, rowTable, rowReverse);
    }

    if (M2 >= 2 && M >= 3) {
        // Columns 0-3, 4-7, ...; column 0 then splits into the two real columns.
        const float* columnFactors = PrepareFactors(factors, M2, columnTable, 1);
        for (long first = 0; first < complexCols; first += kBatch) {
            path.complexColumns4(data + 2 * first, M2, width, scratch, columnTable, columnReverse, columnFactors);
        }
        SplitColumnZero(data, M2, width);
        return;
    }

    // Few rows or columns: column 0 as two real columns, the complex columns 1-3, 4-7,
    // ... as rows of the scratch.
    double* columns = reinterpret_cast<double*>(data);
    double* scratchCx = reinterpret_cast<double*>(scratch);
    dxpose(columns, complexCols, scratchCx + rows, 1, rows, 1);
    xpose(scratch + 2 * rows, 2, scratch, rows, rows, 2);
    path.realRows(scratch, M2, 2, columnTable, BRLowArray[(M2 - 1) / 2]);
    dxpose(scratchCx, 1, columns, complexCols, 1, rows);
    for (long first = 1; first < complexCols;) {
        const long last = (first / kBatch + 1) * kBatch;  // one past the batch
        const long count = (last < complexCols ? last : complexCols) - first;
        dxpose(columns + first, complexCols, scratchCx, rows, rows, count);
        path.complexRows(scratch, M2, count, columnTable, columnReverse);
        dxpose(scratchCx, rows, columns + first, complexCols, count, rows);
        first += count;
    }
}

}  // namespace

long fft2dInit(long M2, long M)
{
    if (M2 < 0 || M2 > 31) {
        return kFftBadSize;
    }
    if (Array2d[M2] == nullptr) {
        float* built = new (std::nothrow) float[2 * kBatch * (1L << M2)];
        if (built == nullptr) {
            return kFftNoMemory;
        }
        Array2d[M2] = built;
    }
    const long rowTables = fftInit(M2);
    if (rowTables != kFftDone) {
        return rowTables;
    }
    return fftInit(M);
}

void rfft2d(float* data, long M2, long M)
{
    Rfft2d(kDefaultPath, data, M2, M);
}

void rfft2dPortable(float* data, long M2, long M)
{
    Rfft2d(kPortablePath, data, M2, M);
}

void xpose(float* in, long inRowStride, float* out, long outRowStride, long rows, long cols)
{
    for (long i = 0; i < rows; ++i) {
        for (long j = 0; j < cols; ++j) {
            out[j * outRowStride + i] = in[i * inRowStride + j];
        }
    }
}

// The elements are moved as bytes: the callers' arrays hold floats, two per element,
// and need not be 8-byte aligned. The shorter side runs in the inner loop, so that
// every step moves one short contiguous run.
void dxpose(double* in, long inRowStride, double* out, long outRowStride, long rows, long cols)
{
    if (rows >= cols) {
        for (long i = 0; i < rows; ++i) {
            for (long j = 0; j < cols; ++j) {
                std::memcpy(out + j * outRowStride + i, in + i * inRowStride + j, sizeof(double));
            }
        }
    } else {
        for (long j = 0; j < cols; ++j) {
            for (long i = 0; i < rows; ++i) {
                std::memcpy(out + j * outRowStride + i, in + i * inRowStride + j, sizeof(double));
            }
        }
    }
}
