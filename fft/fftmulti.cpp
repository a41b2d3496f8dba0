// Entry points of the four-sequence transforms (fftmulti.h) on both code paths.
#include "fft/fftmulti.h"

#include "fft/fftlib.h"

void rffts4rows(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                const float* factors)
{
    fftmulti::RealRows4<fftvec::DefaultOps>(data, M, rowStride, scratch, Utbl, BRLow, factors);
}

void ffts4cols(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
               const float* factors)
{
    fftmulti::ComplexColumns4<fftvec::DefaultOps>(data, M, rowStride, scratch, Utbl, BRLow, factors);
}

void rffts4rowsPortable(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                        const float* factors)
{
    fftmulti::RealRows4<fftvec::PortableOps>(data, M, rowStride, scratch, Utbl, BRLow, factors);
}

void ffts4colsPortable(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                       const float* factors)
{
    fftmulti::ComplexColumns4<fftvec::PortableOps>(data, M, rowStride, scratch, Utbl, BRLow, factors);
}

long fft4FactorCount(long M)
{
    return fftmulti::FactorFloats(M);
}

void fft4FactorInit(float* factors, long M, float* Utbl, long tableStride)
{
    fftmulti::FillFactors(factors, M, Utbl, tableStride);
}
