// Tables, the per-row transforms and the stage plan of the FFT library.
#include "fft/fftlib.h"

#include <cmath>

#include "fft/fftstages.h"

namespace {

// Depth-first radix-8 stages from this complex size up.
constexpr long kRecursiveM = 12;

// The stage plan of one complex row of 2^M values, M >= 4: the bit reversal with the
// first radix-2 stage, at most one radix-2 or radix-4 stage, then radix-8 stages. A
// radix-2 stage goes into the bit-reversal pass.
// Utbl is the table for 2^M * tableStride points.
template <class O, bool Scaled>
void ComplexRow(float* data, long M, const float* Utbl, long tableStride, const short* BRLow, float scale)
{
    long span = 2;
    switch ((M - 1) % 3) {
        case 1:
            // The bit reversal and both radix-2 stages in one pass.
            fftstages::BitRevR4<O, Scaled>(data, M, BRLow, scale);
            span = 4;
            break;
        case 2:
            fftstages::BitRevR2<O, Scaled>(data, M, BRLow, scale);
            fftstages::RadixFour<O>(data, M);
            span = 8;
            break;
        default:
            fftstages::BitRevR2<O, Scaled>(data, M, BRLow, scale);
            break;
    }
    if (M >= kRecursiveM) {
        fftstages::Radix8Recursive<O>(data, M, Utbl, tableStride, span, (M - 1) / 3);
    } else {
        fftstages::Radix8Stages<O>(data, M, Utbl, tableStride, span, (M - 1) / 3);
    }
}

template <class O>
void ComplexRows(float* data, long M, long rows, const float* Utbl, const short* BRLow)
{
    const long floats = 2L << M;
    for (long row = 0; row < rows; ++row, data += floats) {
        switch (M) {
            case 0:
                break;
            case 1:
                fft2pt(data);
                break;
            case 2:
                fft4pt(data);
                break;
            case 3:
                fft8pt(data);
                break;
            default:
                ComplexRow<O, false>(data, M, Utbl, 1, BRLow, 1.0f);
                break;
        }
    }
}

template <class O>
void RealRows(float* data, long M, long rows, const float* Utbl, const short* BRLow)
{
    const long floats = 1L << M;
    for (long row = 0; row < rows; ++row, data += floats) {
        switch (M) {
            case 0:
                break;
            case 1:
                rfft1pt(data);
                break;
            case 2:
                rfft2pt(data);
                break;
            case 3:
                rfft4pt(data);
                break;
            case 4:
                rfft8pt(data);
                break;
            default:
                // The even samples as real parts and the odd ones as imaginary parts of
                // 2^(M-1) complex values, read from the same table at every other entry.
                ComplexRow<O, true>(data, M - 1, Utbl, 2, BRLow, 0.5f);
                fftstages::RealFinalStage<O>(data, M, Utbl);
                break;
        }
    }
}

}  // namespace

void fftCosInit(long M, float* table)
{
    const long n = 1L << M;
    const long quarter = n / 4;
    const double step = 2.0 * 3.14159265358979323846 / static_cast<double>(n);
    for (long i = 0; i <= quarter; ++i) {
        table[i] = static_cast<float>(std::cos(step * static_cast<double>(i)));
    }
    table[0] = 1.0f;
    if (quarter > 0) {
        table[quarter] = 0.0f;
    }
}

void fftBRInit(long M, short* table)
{
    const long bits = M / 2 - 1;
    const long count = 1L << bits;
    for (long i = 0; i < count; ++i) {
        long reversed = 0;
        for (long b = 0; b < bits; ++b) {
            reversed |= ((i >> b) & 1L) << (bits - 1 - b);
        }
        table[i] = static_cast<short>(reversed);
    }
}

void ffts1(float* data, long M, long rows, float* Utbl, short* BRLow)
{
    ComplexRows<fftvec::DefaultOps>(data, M, rows, Utbl, BRLow);
}

void rffts1(float* data, long M, long rows, float* Utbl, short* BRLow)
{
    RealRows<fftvec::DefaultOps>(data, M, rows, Utbl, BRLow);
}

void ffts1Portable(float* data, long M, long rows, float* Utbl, short* BRLow)
{
    ComplexRows<fftvec::PortableOps>(data, M, rows, Utbl, BRLow);
}

void rffts1Portable(float* data, long M, long rows, float* Utbl, short* BRLow)
{
    RealRows<fftvec::PortableOps>(data, M, rows, Utbl, BRLow);
}

void bitrevR2(float* data, long M, short* BRLow)
{
    fftstages::BitRevR2<fftvec::DefaultOps, false>(data, M, BRLow, 1.0f);
}

void scbitrevR2(float* data, long M, short* BRLow, float scale)
{
    fftstages::BitRevR2<fftvec::DefaultOps, true>(data, M, BRLow, scale);
}

void bitrevR4(float* data, long M, short* BRLow)
{
    fftstages::BitRevR4<fftvec::DefaultOps, false>(data, M, BRLow, 1.0f);
}

void scbitrevR4(float* data, long M, short* BRLow, float scale)
{
    fftstages::BitRevR4<fftvec::DefaultOps, true>(data, M, BRLow, scale);
}

void bfR2(float* data, long M, long /*span*/)
{
    fftstages::RadixTwo<fftvec::DefaultOps>(data, M);
}

void bfR4(float* data, long M, long /*span*/)
{
    fftstages::RadixFour<fftvec::DefaultOps>(data, M);
}

void bfstages(float* data, long M, float* Utbl, long tableStride, long span, long stageCount)
{
    fftstages::Radix8Stages<fftvec::DefaultOps>(data, M, Utbl, tableStride, span, stageCount);
}

void fftrecurs(float* data, long M, float* Utbl, long tableStride, long span, long stageCount)
{
    fftstages::Radix8Recursive<fftvec::DefaultOps>(data, M, Utbl, tableStride, span, stageCount);
}

void frstage(float* data, long M, float* Utbl)
{
    fftstages::RealFinalStage<fftvec::DefaultOps>(data, M, Utbl);
}
