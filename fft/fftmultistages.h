// The butterfly stages of the four-sequence transforms (fftmulti.h) on the scratch, where
// an index takes 8 floats: the real parts of the four sequences, then their imaginary
// parts. Every butterfly works on the four sequences side by side with the same twiddle
// factor. Internal to the FFT library.
#pragma once

#include "fft/fftquad.h"

namespace fftmulti {

constexpr float kSqrtHalf = 0.70710677f;
constexpr long kRecursiveM = 12;
constexpr long kFloatsPerIndex = 8;

using fftquad::AddNegI;
using fftquad::Factor;
using fftquad::MulW8;
using fftquad::MulW83;
using fftquad::Quad;
using fftquad::Scale;
using fftquad::SubNegI;

// Element layout of the scratch: 8 floats an index, real parts then imaginary parts.
template <class O>
inline Quad<O> Load(const float* p)
{
    return {O::Load(p), O::Load(p + 4)};
}

template <class O>
inline void Store(float* p, const Quad<O>& a)
{
    O::Store(p, a.re);
    O::Store(p + 4, a.im);
}

// e^(-2 pi i k / (4 Q)) from the quarter-wave table U, for 0 <= k <= 2 Q.
inline void HalfCircleTwiddle(const float* U, long Q, long k, float& re, float& im)
{
    if (k <= Q) {
        re = U[k];
        im = -U[Q - k];
    } else {
        re = -U[2 * Q - k];
        im = -U[k - Q];
    }
}

// e^(-2 pi i k / (4 Q)) from the quarter-wave table U, for 0 <= k < 4 Q; Q = 2^quarterBits.
inline void CircleTwiddle(const float* U, long Q, long quarterBits, long k, float& re, float& im)
{
    const long r = k & (Q - 1);
    switch (k >> quarterBits) {
        case 0:
            re = U[r];
            im = -U[Q - r];
            break;
        case 1:
            re = -U[Q - r];
            im = -U[r];
            break;
        case 2:
            re = -U[r];
            im = U[Q - r];
            break;
        default:
            re = U[Q - r];
            im = U[r];
            break;
    }
}

// The span of the sub-transforms the first radix-8 stage of 2^Mc elements starts from.
inline long FirstRadix8Span(long Mc)
{
    static constexpr long kSpans[] = {2, 4, 8};
    return kSpans[(Mc - 1) % 3];
}

// Twiddle factors of the radix-8 stages prepared once for many transforms of the same
// size: for every stage (span s) and j = 1 .. s - 1, the seven factors w^(pj), p = 1..7,
// each as four copies of its real part then four of its imaginary part.
constexpr long kFloatsPerFactor = 8;
constexpr long kFactorsPerIndex = 7;

inline long FactorFloats(long Mc)
{
    long total = 0;
    long span = FirstRadix8Span(Mc);
    for (long stage = 0; stage < (Mc - 1) / 3; ++stage, span *= 8) {
        total += (span - 1) * kFactorsPerIndex * kFloatsPerFactor;
    }
    return total;
}

// U is the table for 2^Mc * tableStride points.
inline void FillFactors(float* out, long Mc, const float* U, long tableStride)
{
    const long n = 1L << Mc;
    const long quarter = (n * tableStride) / 4;
    long quarterBits = 0;
    while ((1L << quarterBits) < quarter) {
        ++quarterBits;
    }
    long span = FirstRadix8Span(Mc);
    for (long stage = 0; stage < (Mc - 1) / 3; ++stage, span *= 8) {
        const long step = (n * tableStride) / (8 * span);
        for (long j = 1; j < span; ++j) {
            for (long p = 1; p <= kFactorsPerIndex; ++p, out += kFloatsPerFactor) {
                float re, im;
                CircleTwiddle(U, quarter, quarterBits, p * j * step, re, im);
                for (int lane = 0; lane < 4; ++lane) {
                    out[lane] = re;
                    out[4 + lane] = im;
                }
            }
        }
    }
}

// Sub-transforms of 2 to sub-transforms of 4 (only 2^2 elements go this way).
template <class O>
void RadixTwo(float* buf, long Mc)
{
    const long floats = kFloatsPerIndex << Mc;
    for (long i = 0; i < floats; i += 4 * kFloatsPerIndex) {
        float* p = buf + i;
        const Quad<O> e0 = Load<O>(p), e1 = Load<O>(p + 8), e2 = Load<O>(p + 16), e3 = Load<O>(p + 24);
        Store<O>(p, e0 + e2);
        Store<O>(p + 8, AddNegI<O>(e1, e3));
        Store<O>(p + 16, e0 - e2);
        Store<O>(p + 24, SubNegI<O>(e1, e3));
    }
}

// Sub-transforms of 2 to sub-transforms of 8.
template <class O>
void RadixFour(float* buf, long Mc)
{
    const auto r = O::Splat(kSqrtHalf);
    const long floats = kFloatsPerIndex << Mc;
    for (long i = 0; i < floats; i += 8 * kFloatsPerIndex) {
        float* p = buf + i;
        Quad<O> e[8];
        for (int k = 0; k < 8; ++k) {
            e[k] = Load<O>(p + 8 * k);
        }
        const Quad<O> a0 = e[0] + e[2], a2 = e[0] - e[2], a1 = AddNegI<O>(e[1], e[3]), a3 = SubNegI<O>(e[1], e[3]);
        const Quad<O> a4 = e[4] + e[6], a6 = e[4] - e[6], a5 = AddNegI<O>(e[5], e[7]), a7 = SubNegI<O>(e[5], e[7]);
        const Quad<O> t5 = MulW8<O>(a5, r), t7 = MulW83<O>(a7, r);
        Store<O>(p, a0 + a4);
        Store<O>(p + 32, a0 - a4);
        Store<O>(p + 8, a1 + t5);
        Store<O>(p + 40, a1 - t5);
        Store<O>(p + 16, AddNegI<O>(a2, a6));
        Store<O>(p + 48, SubNegI<O>(a2, a6));
        Store<O>(p + 24, a3 + t7);
        Store<O>(p + 56, a3 - t7);
    }
}

// One radix-8 butterfly on the elements p, p + block, ... p + 7 block.
template <class O, bool Twiddled>
FFT_ALWAYS_INLINE void Butterfly8(float* p, long block, const Factor<O>* w, typename O::V r)
{
    Quad<O> v[8];
    for (int b = 0; b < 8; ++b) {
        v[b] = Load<O>(p + b * block);
    }
    fftquad::Radix8Kernel<O, Twiddled>(v, w, r);
    for (int b = 0; b < 8; ++b) {
        Store<O>(p + b * block, v[b]);
    }
}

// stageCount radix-8 stages over 2^Mc elements from sub-transforms of span elements.
// U is the table for 2^Mc * tableStride points.
// factors, when not null, holds these stages' twiddle factors (FillFactors).
template <class O>
void Radix8Stages(float* buf, long Mc, const float* U, long tableStride, long span, long stageCount,
                  const float* factors)
{
    const long n = 1L << Mc;
    const long quarter = (n * tableStride) / 4;
    const auto r = O::Splat(kSqrtHalf);
    for (; stageCount > 0; --stageCount, span *= 8) {
        const long step = (n * tableStride) / (8 * span);
        const long block = kFloatsPerIndex * span;
        for (long g = 0; g < n; g += 8 * span) {
            Butterfly8<O, false>(buf + kFloatsPerIndex * g, block, nullptr, r);
        }
        if (factors != nullptr) {
            for (long j = 1; j < span; ++j, factors += kFactorsPerIndex * kFloatsPerFactor) {
                Factor<O> w[8];
                for (long p = 1; p <= kFactorsPerIndex; ++p) {
                    const float* f = factors + (p - 1) * kFloatsPerFactor;
                    w[p] = {O::Load(f), O::Load(f + 4)};
                }
                for (long g = 0; g < n; g += 8 * span) {
                    Butterfly8<O, true>(buf + kFloatsPerIndex * (g + j), block, w, r);
                }
            }
            continue;
        }
        for (long j = 1; j < span; ++j) {
            // w^j, w^2j and w^4j from the table, the others as their products.
            Factor<O> w[8];
            const long k = j * step;
            const float c1 = U[k], s1 = -U[quarter - k];
            const float c2 = U[2 * k], s2 = -U[quarter - 2 * k];
            float c4, s4;
            HalfCircleTwiddle(U, quarter, 4 * k, c4, s4);
            w[1] = {O::Splat(c1), O::Splat(s1)};
            w[2] = {O::Splat(c2), O::Splat(s2)};
            w[4] = {O::Splat(c4), O::Splat(s4)};
            w[3] = w[1] * w[2];
            w[5] = w[1] * w[4];
            w[6] = w[2] * w[4];
            w[7] = w[3] * w[4];
            for (long g = 0; g < n; g += 8 * span) {
                Butterfly8<O, true>(buf + kFloatsPerIndex * (g + j), block, w, r);
            }
        }
    }
}

// Radix8Stages depth first, one eighth at a time, from 2^12 elements.
template <class O>
void Radix8Recursive(float* buf, long Mc, const float* U, long tableStride, long span, long stageCount)
{
    if (Mc < kRecursiveM) {
        Radix8Stages<O>(buf, Mc, U, tableStride, span, stageCount, nullptr);
        return;
    }
    const long eighth = 1L << (Mc - 3);
    for (long i = 0; i < 8; ++i) {
        Radix8Recursive<O>(buf + kFloatsPerIndex * i * eighth, Mc - 3, U, tableStride * 8, span, stageCount - 1);
    }
    Radix8Stages<O>(buf, Mc, U, tableStride, eighth, 1, nullptr);
}

// The stages after the gathering ones, on 2^Mc elements (Mc >= 2) in sub-transforms of
// span. factors as Radix8Stages; not used from 2^12 elements, which go depth first.
template <class O>
void LaterStages(float* buf, long Mc, const float* U, long tableStride, long span, const float* factors)
{
    if ((Mc - 1) % 3 == 2) {
        RadixFour<O>(buf, Mc);
        span = 8;
    }
    if (factors != nullptr && Mc < kRecursiveM) {
        Radix8Stages<O>(buf, Mc, U, tableStride, span, (Mc - 1) / 3, factors);
    } else {
        Radix8Recursive<O>(buf, Mc, U, tableStride, span, (Mc - 1) / 3);
    }
}

}  // namespace fftmulti
