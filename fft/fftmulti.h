// Transforms of four sequences at once, for the two-dimensional transform: four real
// rows, or four neighbouring complex columns. The four sequences are gathered into a
// contiguous scratch, split into real and imaginary parts (fftmultistages.h). The stage
// plan is the one of the single-row transforms: bit reversal fused with the first
// radix-2 stage (done while gathering, with the second radix-2 stage when the plan has
// one), at most one radix-4 stage, radix-8 stages (depth first from 2^12 values), and
// for real rows the final real stage (done while scattering back). Internal to the FFT
// library: included by fftmulti.cpp only.
#pragma once

#include "fft/fftmultistages.h"

namespace fftmulti {

// Where the gathers read: Pair(a, ...) gives the four sequences' elements a and a + 1
// (a even). Four real rows: element a is x(2a) + i x(2a + 1) of each row.
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
