// Table set-up and the external one-dimensional transforms.
#include "fft/fftext.h"

#include <new>

#include "fft/fftlib.h"

float* UtblArray[32] = {};
short* BRLowArray[16] = {};

namespace {

// Builds BRLowArray[M / 2] if missing.
long BuildBitReverse(long M)
{
    short*& table = BRLowArray[M / 2];
    if (table == nullptr) {
        short* built = new (std::nothrow) short[1L << (M / 2 - 1)];
        if (built == nullptr) {
            return kFftNoMemory;
        }
        fftBRInit(M, built);
        table = built;
    }
    return kFftDone;
}

}  // namespace

long fftInit(long M)
{
    if (M < 0 || M > 31) {
        return kFftBadSize;
    }
    if (UtblArray[M] == nullptr) {
        float* built = new (std::nothrow) float[(1L << M) / 4 + 1];
        if (built == nullptr) {
            return kFftNoMemory;
        }
        fftCosInit(M, built);
        UtblArray[M] = built;
    }
    // Complex transforms of size M use the table of index M / 2, real ones that of
    // index (M - 1) / 2.
    if (M > 1 && BuildBitReverse(M) != kFftDone) {
        return kFftNoMemory;
    }
    if (M > 2 && BuildBitReverse(M - 1) != kFftDone) {
        return kFftNoMemory;
    }
    return kFftDone;
}

void ffts(float* data, long M, long rows)
{
    ffts1(data, M, rows, UtblArray[M], BRLowArray[M / 2]);
}

void rffts(float* data, long M, long rows)
{
    rffts1(data, M, rows, UtblArray[M], BRLowArray[(M - 1) / 2]);
}
