// The butterfly stages of the complex transform and the last stage of the real one,
// written once as templates over a set of vector operations (fftvec.h). A vector holds
// two neighbouring complex values, so every stage walks the row two values at a time.
// Internal to the FFT library: included by fftlib.cpp only.
#pragma once

#include "fft/fftvec.h"

namespace fftstages {

using fftvec::Cmul;
using fftvec::MulNegI;
using fftvec::Twiddle;

constexpr float kSqrtHalf = 0.70710677f;

// e^(-2 pi i k / L) from the quarter-wave table U of a length L = 4 Q, for 0 <= k <= 2 Q.
inline void TableTwiddle(const float* U, long Q, long k, float& re, float& im)
{
    if (k <= Q) {
        re = U[k];
        im = -U[Q - k];
    } else {
        re = -U[2 * Q - k];
        im = -U[k - Q];
    }
}

// The twiddle factors e^(-2 pi i k / L) and e^(-2 pi i (k + step) / L) for the two
// lanes, from the quarter-wave table U of L = 4 Q; k + step <= 2 Q. Up to a quarter
// turn cos = U[k] and sin = U[Q - k], beyond it cos = -U[2 Q - k] and sin = U[k - Q];
// the two values of a pair are taken with vector loads where the loads stay inside the
// table, else one by one.
template <class O>
inline Twiddle<O> TwiddlePair(const float* U, long Q, long k, long step)
{
    const long k1 = k + step;
    if (step == 1 && k1 <= Q) {
        return Twiddle<O>::FromCosSin(O::DupPair(U + k), O::DupPairReversed(U + Q - k1));
    }
    if (k1 + 3 <= Q) {
        return Twiddle<O>::FromCosSin(O::FirstOfEach(O::Load(U + k), O::Load(U + k1)),
                                      O::LastOfEach(O::Load(U + Q - k - 3), O::Load(U + Q - k1 - 3)));
    }
    if (k > Q && k1 + 3 <= 2 * Q) {
        return Twiddle<O>::FromCosSin(O::Negate(O::LastOfEach(O::Load(U + 2 * Q - k - 3), O::Load(U + 2 * Q - k1 - 3))),
                                      O::FirstOfEach(O::Load(U + k - Q), O::Load(U + k1 - Q)));
    }
    float c0, s0, c1, s1;
    TableTwiddle(U, Q, k, c0, s0);
    TableTwiddle(U, Q, k1, c1, s1);
    return {O::Set(c0, c0, c1, c1), O::Set(-s0, s0, -s1, s1)};
}

// Bit reversal of 2^M complex values fused with the first radix-2 stage. Output slot m
// (the values at 2m and 2m + 1) is the sum and difference of the values at rev(m) and
// rev(m) + 2^(M-1), rev reversing M - 1 bits. Writing a slot index as [t][x] (t its top
// bit), the slots (t, x) and (t, rev(x)) for t = 0, 1 read and write the same four
// vectors, so each such group is done in registers. x has M - 2 bits: a high and a low
// part of M/2 - 1 bits each, reversed by the table, and one middle bit when M is odd.
template <class O, bool Scaled>
void BitRevR2(float* data, long M, const short* BRLow, float scale)
{
    using V = typename O::V;
    const long partBits = M / 2 - 1;
    const long midBits = M - 2 - 2 * partBits;
    const long partCount = 1L << partBits;
    const long highShift = partBits + midBits;
    float* const top = data;                  // slots with t = 0
    float* const bottom = data + (2L << (M - 1));  // slots with t = 1
    const V factor = O::Set(scale, scale, scale, scale);

    // Sum and difference of the vectors at x, written as slots (0, to) and (1, to).
    auto butterfly = [&](V a0, V a1, long to) {
        V sum = O::Add(a0, a1);
        V diff = O::Sub(a0, a1);
        if constexpr (Scaled) {
            sum = O::Mul(sum, factor);
            diff = O::Mul(diff, factor);
        }
        O::Store(top + 4 * to, O::Lows(sum, diff));
        O::Store(bottom + 4 * to, O::Highs(sum, diff));
    };

    for (long mid = 0; mid < (1L << midBits); ++mid) {
        for (long low = 0; low < partCount; ++low) {
            const long lowRev = BRLow[low];
            const long fixedBits = (mid << partBits) | low;
            const long fixedRevBits = (lowRev << highShift) | (mid << partBits);
            // x < rev(x) exactly when the high part is below the reversed low part.
            for (long high = 0; high < lowRev; ++high) {
                const long x = (high << highShift) | fixedBits;
                const long xr = fixedRevBits | BRLow[high];
                const V a0 = O::Load(top + 4 * xr);
                const V a1 = O::Load(bottom + 4 * xr);
                const V b0 = O::Load(top + 4 * x);
                const V b1 = O::Load(bottom + 4 * x);
                butterfly(a0, a1, x);
                butterfly(b0, b1, xr);
            }
            const long x = (lowRev << highShift) | fixedBits;  // rev(x) == x
            butterfly(O::Load(top + 4 * x), O::Load(bottom + 4 * x), x);
        }
    }
}

// BitRevR2 and RadixTwo in one pass, for the plans that have both. After the bit
// reversal the 4-block [t][z] (t its top two bits) holds element rev2(t) of the source
// blocks [c][rev z], c = 0..3, and the two radix-2 stages make it their 4-point
// transform over c. The blocks [t][z] and [t][rev z] read and write each other, so each
// such group is done in registers. z has M - 4 bits, reversed with the table (of M/2 - 1
// bits) over twice its width and shifted back.
template <class O, bool Scaled>
void BitRevR4(float* data, long M, const short* BRLow, float scale)
{
    using V = typename O::V;
    const long zBits = M - 4;
    const long tableBits = M / 2 - 1;
    const long tableMask = (1L << tableBits) - 1;
    const long quarter = 2L << (M - 2);  // floats between the blocks [c][z] and [c + 1][z]
    const V factor = O::Set(scale, scale, scale, scale);
    auto reverse = [&](long z) {
        const long wide = (long{BRLow[z & tableMask]} << tableBits) | BRLow[z >> tableBits];
        return wide >> (2 * tableBits - zBits);
    };
    // The block's two vectors (elements 0, 1 and 2, 3) of the four source blocks.
    struct Sources {
        V low[4];
        V high[4];
    };
    auto load = [&](const float* p) {
        Sources s;
        for (int c = 0; c < 4; ++c) {
            s.low[c] = O::Load(p + c * quarter);
            s.high[c] = O::Load(p + c * quarter + 4);
        }
        return s;
    };
    auto transform4 = [&](const V* v, V* y) {
        const V s02 = O::Add(v[0], v[2]), d02 = O::Sub(v[0], v[2]);
        const V s13 = O::Add(v[1], v[3]), d13 = MulNegI<O>(O::Sub(v[1], v[3]));
        y[0] = O::Add(s02, s13);
        y[1] = O::Add(d02, d13);
        y[2] = O::Sub(s02, s13);
        y[3] = O::Sub(d02, d13);
        if constexpr (Scaled) {
            for (int q = 0; q < 4; ++q) {
                y[q] = O::Mul(y[q], factor);
            }
        }
    };
    // Elements 0, 1, 2, 3 of the sources make the blocks t = 0, 2, 1, 3 at to.
    auto store = [&](const Sources& s, float* to) {
        V y[4];
        transform4(s.low, y);
        O::Store(to, O::Lows(y[0], y[1]));
        O::Store(to + 4, O::Lows(y[2], y[3]));
        O::Store(to + 2 * quarter, O::Highs(y[0], y[1]));
        O::Store(to + 2 * quarter + 4, O::Highs(y[2], y[3]));
        transform4(s.high, y);
        O::Store(to + quarter, O::Lows(y[0], y[1]));
        O::Store(to + quarter + 4, O::Lows(y[2], y[3]));
        O::Store(to + 3 * quarter, O::Highs(y[0], y[1]));
        O::Store(to + 3 * quarter + 4, O::Highs(y[2], y[3]));
    };
    for (long z = 0; z < (1L << zBits); ++z) {
        const long zr = reverse(z);
        if (z > zr) {
            continue;
        }
        const Sources forZ = load(data + 8 * zr);
        if (z == zr) {
            store(forZ, data + 8 * z);
            continue;
        }
        const Sources forZr = load(data + 8 * z);
        store(forZ, data + 8 * z);
        store(forZr, data + 8 * zr);
    }
}

// Radix-2 stage from sub-transforms of 2 to sub-transforms of 4: twiddles 1 and -i.
template <class O>
void RadixTwo(float* data, long M)
{
    using V = typename O::V;
    const long floats = 2L << M;
    for (long i = 0; i < floats; i += 8) {
        const V a = O::Load(data + i);
        const V b = O::Load(data + i + 4);
        const V t = O::Blend(b, MulNegI<O>(b));
        O::Store(data + i, O::Add(a, t));
        O::Store(data + i + 4, O::Sub(a, t));
    }
}

// Radix-4 stage from sub-transforms of 2 to sub-transforms of 8: a radix-2 step with
// twiddles 1, -i, then one with 1, w8, -i, w8^3 (w8 = e^(-i pi / 4)).
template <class O>
void RadixFour(float* data, long M)
{
    using V = typename O::V;
    const float r = kSqrtHalf;
    const Twiddle<O> oneW8{O::Set(1.0f, 1.0f, r, r), O::Set(0.0f, 0.0f, r, -r)};
    const Twiddle<O> negIW83{O::Set(0.0f, 0.0f, -r, -r), O::Set(1.0f, -1.0f, r, -r)};
    const long floats = 2L << M;
    for (long i = 0; i < floats; i += 16) {
        float* p = data + i;
        const V v0 = O::Load(p);
        const V v1 = O::Load(p + 4);
        const V v2 = O::Load(p + 8);
        const V v3 = O::Load(p + 12);
        const V t1 = O::Blend(v1, MulNegI<O>(v1));
        const V t3 = O::Blend(v3, MulNegI<O>(v3));
        const V a0 = O::Add(v0, t1);  // values 0, 1 of the first sub-transform of 4
        const V a1 = O::Sub(v0, t1);  // values 2, 3
        const V a2 = O::Add(v2, t3);  // values 0, 1 of the second
        const V a3 = O::Sub(v2, t3);  // values 2, 3
        const V u2 = Cmul<O>(a2, oneW8);
        const V u3 = Cmul<O>(a3, negIW83);
        O::Store(p, O::Add(a0, u2));
        O::Store(p + 4, O::Add(a1, u3));
        O::Store(p + 8, O::Sub(a0, u2));
        O::Store(p + 12, O::Sub(a1, u3));
    }
}

// stageCount radix-8 decimation-in-time stages over 2^M complex values. Eight
// neighbouring sub-transforms of span values are combined into one of 8 span; the
// sub-transform at block b holds the input phase rev3(b), so its value j is multiplied
// by w^(rev3(b) j), w = e^(-2 pi i / (8 span)), and the eight products go through a
// twiddle-free 8-point transform.
template <class O>
void Radix8Stages(float* data, long M, const float* Utbl, long tableStride, long span, long stageCount)
{
    using V = typename O::V;
    const long n = 1L << M;
    const long quarter = (n * tableStride) / 4;
    const float r = kSqrtHalf;
    const V sqrtHalf = O::Set(r, r, r, r);
    for (; stageCount > 0; --stageCount, span *= 8) {
        const long step = (n * tableStride) / (8 * span);
        const long block = 2 * span;  // floats between neighbouring sub-transforms
        for (long j = 0; j < span; j += 2) {
            // w^j, w^2j and w^4j of j and j + 1 from the table, the others as products.
            const long k = j * step;
            const Twiddle<O> t1 = TwiddlePair<O>(Utbl, quarter, k, step);
            const Twiddle<O> t2 = TwiddlePair<O>(Utbl, quarter, 2 * k, 2 * step);
            const Twiddle<O> t4 = TwiddlePair<O>(Utbl, quarter, 4 * k, 4 * step);
            const Twiddle<O> t3 = t1 * t2;
            const Twiddle<O> t5 = t1 * t4;
            const Twiddle<O> t6 = t2 * t4;
            const Twiddle<O> t7 = t3 * t4;
            for (long g = 0; g < n; g += 8 * span) {
                float* p = data + 2 * (g + j);
                const V v0 = O::Load(p);
                const V v1 = Cmul<O>(O::Load(p + block), t4);
                const V v2 = Cmul<O>(O::Load(p + 2 * block), t2);
                const V v3 = Cmul<O>(O::Load(p + 3 * block), t6);
                const V v4 = Cmul<O>(O::Load(p + 4 * block), t1);
                const V v5 = Cmul<O>(O::Load(p + 5 * block), t5);
                const V v6 = Cmul<O>(O::Load(p + 6 * block), t3);
                const V v7 = Cmul<O>(O::Load(p + 7 * block), t7);
                // Three radix-2 steps on inputs in bit-reversed order.
                const V a0 = O::Add(v0, v1), a1 = O::Sub(v0, v1);
                const V a2 = O::Add(v2, v3), a3 = MulNegI<O>(O::Sub(v2, v3));
                const V a4 = O::Add(v4, v5), a5 = O::Sub(v4, v5);
                const V a6 = O::Add(v6, v7), a7 = MulNegI<O>(O::Sub(v6, v7));
                const V b0 = O::Add(a0, a2), b2 = O::Sub(a0, a2);
                const V b1 = O::Add(a1, a3), b3 = O::Sub(a1, a3);
                const V b4 = O::Add(a4, a6), b6 = MulNegI<O>(O::Sub(a4, a6));
                const V b5 = O::Add(a5, a7), b7 = O::Sub(a5, a7);
                // b5 * w8 and b7 * w8^3, w8 = (1 - i) / sqrt 2.
                const V c5 = O::Mul(O::Add(b5, MulNegI<O>(b5)), sqrtHalf);
                const V c7 = O::Mul(O::Sub(MulNegI<O>(b7), b7), sqrtHalf);
                O::Store(p, O::Add(b0, b4));
                O::Store(p + 4 * block, O::Sub(b0, b4));
                O::Store(p + block, O::Add(b1, c5));
                O::Store(p + 5 * block, O::Sub(b1, c5));
                O::Store(p + 2 * block, O::Add(b2, b6));
                O::Store(p + 6 * block, O::Sub(b2, b6));
                O::Store(p + 3 * block, O::Add(b3, c7));
                O::Store(p + 7 * block, O::Sub(b3, c7));
            }
        }
    }
}

// Radix8Stages depth first: the eight eighths of the row are finished one after the
// other while they sit in the cache, then the last stage combines them.
template <class O>
void Radix8Recursive(float* data, long M, const float* Utbl, long tableStride, long span, long stageCount)
{
    if (M < 12) {
        Radix8Stages<O>(data, M, Utbl, tableStride, span, stageCount);
        return;
    }
    const long eighth = 1L << (M - 3);
    for (long i = 0; i < 8; ++i) {
        Radix8Recursive<O>(data + 2 * i * eighth, M - 3, Utbl, tableStride * 8, span, stageCount - 1);
    }
    Radix8Stages<O>(data, M, Utbl, tableStride, eighth, 1);
}

// Last stage of a real transform of N = 2^M floats. With Z the half-length transform
// (already scaled by one half), A = Z(k), B = Z(N/2 - k), E = A + conj B and
// D = A - conj B: X(k) = E - i w^k D and X(N/2 - k) = conj(E + i w^k D), w = e^(-2 pi i / N).
// X(0) and X(N/2) come from Z(0) alone.
template <class O>
void RealFinalStage(float* data, long M, const float* Utbl)
{
    using V = typename O::V;
    const long quarter = 1L << (M - 2);
    const long half = 2 * quarter;  // complex values
    const float zr = data[0];
    const float zi = data[1];
    data[0] = 2.0f * (zr + zi);
    data[1] = 2.0f * (zr - zi);
    // Pairs k, k + 1 against N/2 - k, N/2 - k - 1. The last pair reaches k = N/4,
    // its own mirror, which both halves then write with the same value.
    for (long k = 1; k < quarter; k += 2) {
        float* pa = data + 2 * k;
        float* pb = data + 2 * (half - k - 1);
        const V a = O::Load(pa);
        const V b = O::NegIm(O::SwapHalves(O::Load(pb)));  // conj Z(N/2-k), conj Z(N/2-k-1)
        // -i w^k = -sin - i cos
        const V cosines = O::DupPair(Utbl + k);
        const V sines = O::DupPairReversed(Utbl + quarter - k - 1);
        const Twiddle<O> negIW{O::Negate(sines), O::NegIm(cosines)};
        const V e = O::Add(a, b);
        const V t = Cmul<O>(O::Sub(a, b), negIW);
        const V xa = O::Add(e, t);
        const V xb = O::NegIm(O::Sub(e, t));
        O::Store(pa, xa);
        O::Store(pb, O::SwapHalves(xb));
    }
}

}  // namespace fftstages
