// The two-dimensional real transform of the FFT library and the transposes it moves
// columns with. An array of H = 2^M2 rows of W = 2^M floats, row after row, becomes its
// packed spectrum in place (forward, unscaled):
//   data[u W + 2v], data[u W + 2v + 1]            X(u, v) for v = 1..W/2-1, every u
//   data[0], data[1]                              X(0, 0), X(H/2, 0)
//   data[(H/2) W], data[(H/2) W + 1]              X(0, W/2), X(H/2, W/2)
//   data[u W], data[u W + 1], u = 1..H/2-1        X(u, 0)
//   data[(u + H/2) W], ... + 1, u = 1..H/2-1      X(u, W/2)
// The other coefficients are conjugates: X(H - u, W - v) = conj X(u, v). When M2 or M is
// 0 the array is one real row of H W values in the one-dimensional packed layout.
#pragma once

#include "fft/fftext.h"

// Process-wide scratch of the 2-D transform, per row-count logarithm M2: room for four
// columns of 2^M2 complex values. Built by fft2dInit, kept for the life of the process.
extern float* Array2d[32];

// Builds what rfft2d(data, M2, M) needs. Returns kFftDone, kFftBadSize (M2 or M outside
// 0..31) or kFftNoMemory.
long fft2dInit(long M2, long M);

// In place: 2-D real transform of 2^M2 rows of 2^M floats to the packed layout above.
// Needs a successful fft2dInit(M2, M) (or fftInit(M2 + M) when M2 or M is 0). Two calls
// with the same M2 must not run at the same time: they share the scratch.
void rfft2d(float* data, long M2, long M);
// rfft2d on the portable (no SIMD) code path, for comparing the paths.
void rfft2dPortable(float* data, long M2, long M);

// out[j outRowStride + i] = in[i inRowStride + j] for i < rows, j < cols; strides in
// elements. The arrays must not overlap.
void xpose(float* in, long inRowStride, float* out, long outRowStride, long rows, long cols);
// The same on 8-byte elements (a complex value as one element).
void dxpose(double* in, long inRowStride, double* out, long outRowStride, long rows, long cols);
