// The inside of the FFT library: table builders, the per-row transforms, the
// straight-line kernels and the butterfly stages. Not called from outside the library
// (the tests reach in). Sizes are base-2 logarithms; complex values are stored as real
// part then imaginary part; every transform is forward, unscaled and in place.
#pragma once

// Fills a cosine table of 2^M / 4 + 1 floats: entry i = cos(2 pi i / 2^M).
void fftCosInit(long M, float* table);
// Fills the bit-reverse table of index M / 2: 2^(M/2 - 1) entries, each its index with
// the bits reversed.
void fftBRInit(long M, short* table);

// rows complex transforms of length 2^M, one per row. Utbl is the cosine table of length
// 2^M, BRLow the bit-reverse table of index M / 2.
void ffts1(float* data, long M, long rows, float* Utbl, short* BRLow);
// rows real transforms of length 2^M to the packed layout (X(0), X(N/2), then X(1) ...
// X(N/2 - 1)). Utbl is the cosine table of length 2^M, BRLow the bit-reverse table of
// index (M - 1) / 2.
void rffts1(float* data, long M, long rows, float* Utbl, short* BRLow);

// The same two on the portable (no SIMD) code path, so that the paths can be compared.
// Where the machine has no SIMD path they are the default ones.
void ffts1Portable(float* data, long M, long rows, float* Utbl, short* BRLow);
void rffts1Portable(float* data, long M, long rows, float* Utbl, short* BRLow);

// Complete complex transforms of 2, 4 and 8 points.
void fft2pt(float* data);
void fft4pt(float* data);
void fft8pt(float* data);
// Complete real transforms of 2, 4, 8 and 16 points, output packed. Named after the
// number of complex values of the half-length transform.
void rfft1pt(float* data);
void rfft2pt(float* data);
void rfft4pt(float* data);
void rfft8pt(float* data);

// The stages of a complex transform of 2^M values (M >= 4), in the order they run.
// Bit-reversal permutation fused with the first radix-2 stage (sub-transforms of 2).
void bitrevR2(float* data, long M, short* BRLow);
// The same, every value multiplied by scale.
void scbitrevR2(float* data, long M, short* BRLow, float scale);
// bitrevR2 followed by bfR2, in one pass (M >= 4), as the plans that have both run them.
void bitrevR4(float* data, long M, short* BRLow);
// The same, every value multiplied by scale.
void scbitrevR4(float* data, long M, short* BRLow, float scale);
// One radix-2 stage: sub-transforms of span (= 2) values become sub-transforms of 4.
void bfR2(float* data, long M, long span);
// One radix-4 stage: sub-transforms of span (= 2) values become sub-transforms of 8.
void bfR4(float* data, long M, long span);
// stageCount radix-8 stages from sub-transforms of span values. The twiddle factor
// e^(-2 pi i k / 2^M) is entry k * tableStride of Utbl (a table for 2^M * tableStride).
void bfstages(float* data, long M, float* Utbl, long tableStride, long span, long stageCount);
// bfstages done depth first, one eighth of the row at a time, for M >= 12.
void fftrecurs(float* data, long M, float* Utbl, long tableStride, long span, long stageCount);
// Last stage of a real transform of 2^M floats (M >= 3): the complex transform of the
// 2^(M-1) values (even samples real, odd imaginary), scaled by one half, becomes the
// packed real spectrum. Utbl is the cosine table of length 2^M.
void frstage(float* data, long M, float* Utbl);

// Four sequences at once, through a scratch, for the two-dimensional transform.
// Real transforms of the four rows of 2^M floats at data, rowStride floats apart, each
// to the packed layout. M >= 3; scratch holds 4 * 2^M floats. Utbl and BRLow as rffts1;
// factors null or filled by fft4FactorInit(factors, M - 1, Utbl, 2).
void rffts4rows(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                const float* factors);
// Complex transforms of length 2^M of the four neighbouring complex columns starting at
// data, rows rowStride floats apart. M >= 2; scratch holds 8 * 2^M floats. Utbl and
// BRLow as ffts1; factors null or filled by fft4FactorInit(factors, M, Utbl, 1).
void ffts4cols(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
               const float* factors);
// The same on the portable code path.
void rffts4rowsPortable(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                        const float* factors);
void ffts4colsPortable(float* data, long M, long rowStride, float* scratch, float* Utbl, short* BRLow,
                       const float* factors);
// The twiddle factors of the radix-8 stages of four-sequence transforms of 2^M complex
// values, worked out once for many transforms: fft4FactorCount(M) floats, filled by
// fft4FactorInit from the table of 2^M * tableStride points.
long fft4FactorCount(long M);
void fft4FactorInit(float* factors, long M, float* Utbl, long tableStride);
