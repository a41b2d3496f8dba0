// Transforms of four sequences at once, for the two-dimensional transform: four real
// rows, or four neighbouring complex columns. The four sequences are gathered into a
// contiguous scratch with the real parts of one index in one vector and the imaginary
// parts in the next (8 floats an index), so every butterfly works on the four sequences
// side by side with the same twiddle factor. The stage plan is the one of the
// single-row transforms: bit reversal fused with the first radix-2 stage (done while
// gathering), at most one radix-2 or radix-4 stage, radix-8 stages (depth first from
// 2^12 values), and for real rows the final real stage (done while scattering back).
// Internal to the FFT library: included by fftmulti.cpp only.
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

// The four sequences' element a, and a + 1 (a even).
// Four real rows: element a is x(2a) + i x(2a + 1) of each row.
template <class O>
struct RowSource {
    const float* data;
    long rowStride;

    void Pair(long a, Quad<O>& first, Quad<O>& second) const
    {
        const float* p = data + 2 * a;
        auto r0 = O::Load(p);
        auto r1 = O::Load(p + rowStride);
        auto r2 = O::Load(p + 2 * rowStride);
        auto r3 = O::Load(p + 3 * rowStride);
        O::Transpose(r0, r1, r2, r3);
        first = {r0, r1};
        second = {r2, r3};
    }
};

// Four neighbouring complex columns: element a is row a.
template <class O>
struct ColumnSource {
    const float* data;
    long rowStride;

    Quad<O> At(long a) const
    {
        const float* p = data + a * rowStride;
        const auto v0 = O::Load(p);
        const auto v1 = O::Load(p + 4);
        return {O::Evens(v0, v1), O::Odds(v0, v1)};
    }
    void Pair(long a, Quad<O>& first, Quad<O>& second) const
    {
        first = At(a);
        second = At(a + 1);
    }
};

// Gathers 2^Mc elements into buf in bit-reversed order fused with the first radix-2
// stage (see fftstages.h, BitRevR2): output slot [t][x] (elements 2m, 2m + 1) is the sum
// and difference of the sources [rev x][t] and that plus 2^(Mc-1). Mc >= 2.
template <class O, bool Scaled, class Source>
void GatherBitRevR2(const Source& source, float* buf, long Mc, const short* BRLow, float scale)
{
    const long n = 1L << Mc;
    const long partBits = Mc / 2 - 1;
    const long midBits = Mc - 2 - 2 * partBits;
    const long partCount = 1L << partBits;
    const long highShift = partBits + midBits;
    const auto factor = O::Splat(scale);
    auto put = [&](long element, const Quad<O>& a, const Quad<O>& b) {
        float* p = buf + kFloatsPerIndex * element;
        if constexpr (Scaled) {
            Store<O>(p, Scale<O>(a + b, factor));
            Store<O>(p + kFloatsPerIndex, Scale<O>(a - b, factor));
        } else {
            Store<O>(p, a + b);
            Store<O>(p + kFloatsPerIndex, a - b);
        }
    };
    // The sources in their natural order, so that rows are read one after the other.
    for (long high = 0; high < partCount; ++high) {
        for (long mid = 0; mid < (1L << midBits); ++mid) {
            for (long low = 0; low < partCount; ++low) {
                const long xr = (high << highShift) | (mid << partBits) | low;
                const long x = (long{BRLow[low]} << highShift) | (mid << partBits) | BRLow[high];
                Quad<O> s0, s1, h0, h1;
                source.Pair(2 * xr, s0, s1);
                source.Pair(2 * xr + n / 2, h0, h1);
                put(2 * x, s0, h0);
                put(n / 2 + 2 * x, s1, h1);
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

// GatherBitRevR2 and the radix-2 stage after it in one pass (see fftstages.h,
// BitRevR4): the output block [t][z] of four elements is the 4-point transform over c of
// element rev2(t) of the source blocks [c][rev z]. Mc >= 4.
template <class O, bool Scaled, class Source>
void GatherBitRevR4(const Source& source, float* buf, long Mc, const short* BRLow, float scale)
{
    const long quarter = 1L << (Mc - 2);  // elements
    const long zBits = Mc - 4;
    const long tableBits = Mc / 2 - 1;
    const long tableMask = (1L << tableBits) - 1;
    const auto factor = O::Splat(scale);
    static constexpr long kBlockOfElement[4] = {0, 2, 1, 3};
    for (long z = 0; z < (1L << zBits); ++z) {
        const long wide = (long{BRLow[z & tableMask]} << tableBits) | BRLow[z >> tableBits];
        const long zr = wide >> (2 * tableBits - zBits);
        Quad<O> e[4][4];  // [c][element]
        for (long c = 0; c < 4; ++c) {
            source.Pair(c * quarter + 4 * zr, e[c][0], e[c][1]);
            source.Pair(c * quarter + 4 * zr + 2, e[c][2], e[c][3]);
        }
        for (long element = 0; element < 4; ++element) {
            const Quad<O> s02 = e[0][element] + e[2][element], d02 = e[0][element] - e[2][element];
            const Quad<O> s13 = e[1][element] + e[3][element], d13 = e[1][element] - e[3][element];
            Quad<O> y[4] = {s02 + s13, AddNegI<O>(d02, d13), s02 - s13, SubNegI<O>(d02, d13)};
            float* to = buf + kFloatsPerIndex * (kBlockOfElement[element] * quarter + 4 * z);
            for (int q = 0; q < 4; ++q) {
                if constexpr (Scaled) {
                    y[q] = Scale<O>(y[q], factor);
                }
                Store<O>(to + kFloatsPerIndex * q, y[q]);
            }
        }
    }
}

// The bit-reversing gather with the radix-2 stage or stages of the plan of 2^Mc
// elements (Mc >= 2); returns the span of the sub-transforms it leaves.
template <class O, bool Scaled, class Source>
long Gather(const Source& source, float* buf, long Mc, const short* BRLow, float scale)
{
    if ((Mc - 1) % 3 == 1 && Mc >= 4) {
        GatherBitRevR4<O, Scaled>(source, buf, Mc, BRLow, scale);
        return 4;
    }
    GatherBitRevR2<O, Scaled>(source, buf, Mc, BRLow, scale);
    if ((Mc - 1) % 3 == 1) {
        RadixTwo<O>(buf, Mc);
        return 4;
    }
    return 2;
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

// The final real stage (see fftstages.h, RealFinalStage) of four rows of N = 2^M floats
// whose half-length transforms (scaled by one half) are in buf, written packed into the
// rows.
template <class O>
void RealFinishRows(const float* buf, float* data, long rowStride, long M, const float* U)
{
    using V = typename O::V;
    const long half = 1L << (M - 1);  // elements
    const long quarter = half / 2;
    float* row0 = data;
    float* row1 = data + rowStride;
    float* row2 = data + 2 * rowStride;
    float* row3 = data + 3 * rowStride;

    const Quad<O> z0 = Load<O>(buf);
    const V two = O::Splat(2.0f);
    const V first = O::Mul(O::Add(z0.re, z0.im), two);   // X(0)
    const V middle = O::Mul(O::Sub(z0.re, z0.im), two);  // X(N/2)
    O::StorePairs(row0, row1, O::InterleaveLow(first, middle));
    O::StorePairs(row2, row3, O::InterleaveHigh(first, middle));

    // X(k) and X(N/2 - k) from A = Z(k) and B = Z(N/2 - k).
    auto both = [&](const Quad<O>& a, const Quad<O>& b, long k, Quad<O>& xk, Quad<O>& xm) {
        const V c = O::Splat(U[k]);
        const V s = O::Splat(U[quarter - k]);
        const V eRe = O::Add(a.re, b.re), eIm = O::Sub(a.im, b.im);
        const V dRe = O::Sub(a.re, b.re), dIm = O::Add(a.im, b.im);
        const V tRe = O::Sub(O::Mul(c, dIm), O::Mul(s, dRe));
        const V tIm = O::Sub(O::Splat(0.0f), O::Add(O::Mul(c, dRe), O::Mul(s, dIm)));
        xk = {O::Add(eRe, tRe), O::Add(eIm, tIm)};
        xm = {O::Sub(eRe, tRe), O::Sub(tIm, eIm)};
    };
    // Pairs k, k + 1 against N/2 - k, N/2 - k - 1; the last pair reaches N/4, its own
    // mirror, written twice with the same value.
    for (long k = 1; k < quarter; k += 2) {
        Quad<O> xk0, xk1, xm0, xm1;
        both(Load<O>(buf + kFloatsPerIndex * k), Load<O>(buf + kFloatsPerIndex * (half - k)), k, xk0, xm0);
        both(Load<O>(buf + kFloatsPerIndex * (k + 1)), Load<O>(buf + kFloatsPerIndex * (half - k - 1)), k + 1, xk1, xm1);
        V a0 = xk0.re, a1 = xk0.im, a2 = xk1.re, a3 = xk1.im;
        O::Transpose(a0, a1, a2, a3);
        O::Store(row0 + 2 * k, a0);
        O::Store(row1 + 2 * k, a1);
        O::Store(row2 + 2 * k, a2);
        O::Store(row3 + 2 * k, a3);
        V b0 = xm1.re, b1 = xm1.im, b2 = xm0.re, b3 = xm0.im;
        O::Transpose(b0, b1, b2, b3);
        const long m = 2 * (half - k - 1);
        O::Store(row0 + m, b0);
        O::Store(row1 + m, b1);
        O::Store(row2 + m, b2);
        O::Store(row3 + m, b3);
    }
}

// Writes 2^Mc elements of buf back as rows of four complex values.
template <class O>
void ScatterColumns(const float* buf, float* data, long rowStride, long Mc)
{
    const long n = 1L << Mc;
    for (long u = 0; u < n; ++u) {
        const Quad<O> e = Load<O>(buf + kFloatsPerIndex * u);
        float* p = data + u * rowStride;
        O::Store(p, O::InterleaveLow(e.re, e.im));
        O::Store(p + 4, O::InterleaveHigh(e.re, e.im));
    }
}

// Real transforms of the four rows of 2^M floats at data, rowStride floats apart, to
// the packed layout. M >= 3; the scratch holds 4 * 2^M floats; factors null or
// FillFactors(M - 1, Utbl, 2).
template <class O>
void RealRows4(float* data, long M, long rowStride, float* scratch, const float* Utbl, const short* BRLow,
               const float* factors)
{
    const long span = Gather<O, true>(RowSource<O>{data, rowStride}, scratch, M - 1, BRLow, 0.5f);
    LaterStages<O>(scratch, M - 1, Utbl, 2, span, factors);
    RealFinishRows<O>(scratch, data, rowStride, M, Utbl);
}

// Complex transforms of length 2^M2 of the four complex columns starting at data (rows
// rowStride floats apart). M2 >= 2; the scratch holds 8 * 2^M2 floats; factors null or
// FillFactors(M2, Utbl, 1).
template <class O>
void ComplexColumns4(float* data, long M2, long rowStride, float* scratch, const float* Utbl, const short* BRLow,
                     const float* factors)
{
    const long span = Gather<O, false>(ColumnSource<O>{data, rowStride}, scratch, M2, BRLow, 1.0f);
    LaterStages<O>(scratch, M2, Utbl, 1, span, factors);
    ScatterColumns<O>(scratch, data, rowStride, M2);
}

}  // namespace fftmulti
