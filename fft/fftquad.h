// Four complex values held split: the real parts in one vector, the imaginary parts in
// another. The butterflies of this form run four transforms side by side (the same
// twiddle factor in every lane), or four neighbouring indices of one transform (a
// factor per lane). Internal to the FFT library.
#pragma once

#include "fft/fftvec.h"

namespace fftquad {

// Four complex values, one a lane.
template <class O>
struct Quad {
    typename O::V re;
    typename O::V im;
};

// Twiddle factors c + i s, one a lane.
template <class O>
struct Factor {
    typename O::V c;
    typename O::V s;
};

template <class O>
inline Quad<O> operator+(const Quad<O>& a, const Quad<O>& b)
{
    return {O::Add(a.re, b.re), O::Add(a.im, b.im)};
}

template <class O>
inline Quad<O> operator-(const Quad<O>& a, const Quad<O>& b)
{
    return {O::Sub(a.re, b.re), O::Sub(a.im, b.im)};
}

// a + (-i) b
template <class O>
inline Quad<O> AddNegI(const Quad<O>& a, const Quad<O>& b)
{
    return {O::Add(a.re, b.im), O::Sub(a.im, b.re)};
}

// a - (-i) b
template <class O>
inline Quad<O> SubNegI(const Quad<O>& a, const Quad<O>& b)
{
    return {O::Sub(a.re, b.im), O::Add(a.im, b.re)};
}

template <class O>
inline Quad<O> operator*(const Quad<O>& a, const Factor<O>& w)
{
    return {O::Sub(O::Mul(a.re, w.c), O::Mul(a.im, w.s)), O::Add(O::Mul(a.re, w.s), O::Mul(a.im, w.c))};
}

// The product of two twiddle factors.
template <class O>
inline Factor<O> operator*(const Factor<O>& a, const Factor<O>& b)
{
    return {O::Sub(O::Mul(a.c, b.c), O::Mul(a.s, b.s)), O::Add(O::Mul(a.c, b.s), O::Mul(a.s, b.c))};
}

template <class O>
inline Quad<O> Scale(const Quad<O>& a, typename O::V f)
{
    return {O::Mul(a.re, f), O::Mul(a.im, f)};
}

// a * (1 - i) / sqrt 2 and a * (-1 - i) / sqrt 2, with r = sqrt 1/2.
template <class O>
inline Quad<O> MulW8(const Quad<O>& a, typename O::V r)
{
    return {O::Mul(O::Add(a.re, a.im), r), O::Mul(O::Sub(a.im, a.re), r)};
}

template <class O>
inline Quad<O> MulW83(const Quad<O>& a, typename O::V r)
{
    return {O::Mul(O::Sub(a.im, a.re), r), O::Mul(O::Add(a.re, a.im), O::Sub(O::Splat(0.0f), r))};
}

// The radix-8 decimation-in-time butterfly in place on v[0..7]: input b belongs to the
// sub-transform of input phase rev3(b) and is first multiplied by w[rev3(b)] (unless
// Twiddled is false: all factors 1); the output is in natural order. r = sqrt 1/2.
template <class O, bool Twiddled>
FFT_ALWAYS_INLINE void Radix8Kernel(Quad<O>* v, const Factor<O>* w, typename O::V r)
{
    if constexpr (Twiddled) {
        v[1] = v[1] * w[4];
        v[2] = v[2] * w[2];
        v[3] = v[3] * w[6];
        v[4] = v[4] * w[1];
        v[5] = v[5] * w[5];
        v[6] = v[6] * w[3];
        v[7] = v[7] * w[7];
    }
    const Quad<O> a0 = v[0] + v[1], a1 = v[0] - v[1], a2 = v[2] + v[3], a3 = v[2] - v[3];
    const Quad<O> a4 = v[4] + v[5], a5 = v[4] - v[5], a6 = v[6] + v[7], a7 = v[6] - v[7];
    const Quad<O> b0 = a0 + a2, b2 = a0 - a2, b1 = AddNegI<O>(a1, a3), b3 = SubNegI<O>(a1, a3);
    const Quad<O> b4 = a4 + a6, b6 = a4 - a6, b5 = AddNegI<O>(a5, a7), b7 = SubNegI<O>(a5, a7);
    const Quad<O> c5 = MulW8<O>(b5, r), c7 = MulW83<O>(b7, r);
    v[0] = b0 + b4;
    v[4] = b0 - b4;
    v[1] = b1 + c5;
    v[5] = b1 - c5;
    v[2] = AddNegI<O>(b2, b6);
    v[6] = SubNegI<O>(b2, b6);
    v[3] = b3 + c7;
    v[7] = b3 - c7;
}

}  // namespace fftquad
