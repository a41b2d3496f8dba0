// The one-dimensional interface of the FFT library: table set-up and the in-place
// complex and real transforms of rows of 2^M values. Forward, unscaled, single
// precision; sizes are base-2 logarithms. Complex values are stored as real part then
// imaginary part. A real row of N values becomes its packed half spectrum: X(0),
// X(N/2) (both real), then real and imaginary parts of X(1) ... X(N/2 - 1).
#pragma once

// Process-wide tables, built on demand by fftInit and kept for the life of the process.
// UtblArray[M]: 2^M / 4 + 1 floats, entry i = cos(2 pi i / 2^M).
extern float* UtblArray[32];
// BRLowArray[k]: 2^(k-1) entries, entry i = i with its k - 1 bits reversed.
extern short* BRLowArray[16];

// Result codes of fftInit and fft2dInit.
constexpr long kFftDone = 0;
constexpr long kFftBadSize = 1;
constexpr long kFftNoMemory = 2;

// Builds the tables that transforms of 2^M values need, each only if missing.
// Returns kFftDone, kFftBadSize (M outside 0..31) or kFftNoMemory.
long fftInit(long M);

// rows complex transforms of 2^M values, one per row of 2^(M+1) floats.
// Needs fftInit(M).
void ffts(float* data, long M, long rows);

// rows real transforms of 2^M values, one per row of 2^M floats, each to the packed
// layout. Needs fftInit(M).
void rffts(float* data, long M, long rows);
