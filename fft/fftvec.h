// Four-float vectors, the unit the butterfly stages work in: two complex values
// (lanes re0 im0 re1 im1), or the real or the imaginary parts of four (fftquad.h). Two
// interchangeable sets of operations: Sse2Ops with the x86-64 baseline instructions and
// PortableOps in plain C++. The stages are templates over the set, so the index
// arithmetic exists once and both paths can be tested against each other. Internal to
// the FFT library.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// For the radix-8 butterflies: left to itself the compiler may call them out of line,
// and the call costs more than the butterfly.
#if defined(__GNUC__)
#define FFT_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define FFT_ALWAYS_INLINE inline
#endif

namespace fftvec {

struct PortableOps {
    struct V {
        float e[4];
    };
    static V Load(const float* p) { return {{p[0], p[1], p[2], p[3]}}; }
    static void Store(float* p, V a)
    {
        p[0] = a.e[0];
        p[1] = a.e[1];
        p[2] = a.e[2];
        p[3] = a.e[3];
    }
    static V Set(float a, float b, float c, float d) { return {{a, b, c, d}}; }
    static V Add(V a, V b) { return {{a.e[0] + b.e[0], a.e[1] + b.e[1], a.e[2] + b.e[2], a.e[3] + b.e[3]}}; }
    static V Sub(V a, V b) { return {{a.e[0] - b.e[0], a.e[1] - b.e[1], a.e[2] - b.e[2], a.e[3] - b.e[3]}}; }
    static V Mul(V a, V b) { return {{a.e[0] * b.e[0], a.e[1] * b.e[1], a.e[2] * b.e[2], a.e[3] * b.e[3]}}; }
    // im0 re0 im1 re1
    static V SwapReIm(V a) { return {{a.e[1], a.e[0], a.e[3], a.e[2]}}; }
    // re0 -im0 re1 -im1
    static V NegIm(V a) { return {{a.e[0], -a.e[1], a.e[2], -a.e[3]}}; }
    // re0 re0 re1 re1
    static V DupRe(V a) { return {{a.e[0], a.e[0], a.e[2], a.e[2]}}; }
    // The first complex value of a, then the first of b.
    static V Lows(V a, V b) { return {{a.e[0], a.e[1], b.e[0], b.e[1]}}; }
    // The second complex value of a, then the second of b.
    static V Highs(V a, V b) { return {{a.e[2], a.e[3], b.e[2], b.e[3]}}; }
    // The two complex values exchanged.
    static V SwapHalves(V a) { return {{a.e[2], a.e[3], a.e[0], a.e[1]}}; }
    // The first complex value of a, then the second of b.
    static V Blend(V a, V b) { return {{a.e[0], a.e[1], b.e[2], b.e[3]}}; }
    static V Splat(float a) { return {{a, a, a, a}}; }
    static V Negate(V a) { return {{-a.e[0], -a.e[1], -a.e[2], -a.e[3]}}; }
    // p0 p0 p1 p1 and p1 p1 p0 p0
    static V DupPair(const float* p) { return {{p[0], p[0], p[1], p[1]}}; }
    static V DupPairReversed(const float* p) { return {{p[1], p[1], p[0], p[0]}}; }
    // Two floats to p, two to q.
    static void StorePairs(float* p, float* q, V a)
    {
        p[0] = a.e[0];
        p[1] = a.e[1];
        q[0] = a.e[2];
        q[1] = a.e[3];
    }
    // a0 a2 b0 b2 and a1 a3 b1 b3: the real and the imaginary parts of four complex values.
    static V Evens(V a, V b) { return {{a.e[0], a.e[2], b.e[0], b.e[2]}}; }
    static V Odds(V a, V b) { return {{a.e[1], a.e[3], b.e[1], b.e[3]}}; }
    // a0 a0 b0 b0 and a3 a3 b3 b3
    static V FirstOfEach(V a, V b) { return {{a.e[0], a.e[0], b.e[0], b.e[0]}}; }
    static V LastOfEach(V a, V b) { return {{a.e[3], a.e[3], b.e[3], b.e[3]}}; }
    // a0 b0 a1 b1 and a2 b2 a3 b3: real and imaginary parts back to complex values.
    static V InterleaveLow(V a, V b) { return {{a.e[0], b.e[0], a.e[1], b.e[1]}}; }
    static V InterleaveHigh(V a, V b) { return {{a.e[2], b.e[2], a.e[3], b.e[3]}}; }
    static void Transpose(V& a, V& b, V& c, V& d)
    {
        const V ra = a, rb = b, rc = c, rd = d;
        a = {{ra.e[0], rb.e[0], rc.e[0], rd.e[0]}};
        b = {{ra.e[1], rb.e[1], rc.e[1], rd.e[1]}};
        c = {{ra.e[2], rb.e[2], rc.e[2], rd.e[2]}};
        d = {{ra.e[3], rb.e[3], rc.e[3], rd.e[3]}};
    }
};

#if defined(__SSE2__)
struct Sse2Ops {
    using V = __m128;
    static V Load(const float* p) { return _mm_loadu_ps(p); }
    static void Store(float* p, V a) { _mm_storeu_ps(p, a); }
    static V Set(float a, float b, float c, float d) { return _mm_setr_ps(a, b, c, d); }
    static V Add(V a, V b) { return _mm_add_ps(a, b); }
    static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
    static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
    static V SwapReIm(V a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 3, 0, 1)); }
    static V NegIm(V a) { return _mm_xor_ps(a, _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f)); }
    static V DupRe(V a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 2, 0, 0)); }
    static V Lows(V a, V b) { return _mm_movelh_ps(a, b); }
    static V Highs(V a, V b) { return _mm_movehl_ps(b, a); }
    static V SwapHalves(V a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 0, 3, 2)); }
    static V Blend(V a, V b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 2, 1, 0)); }
    static V Splat(float a) { return _mm_set1_ps(a); }
    static V Negate(V a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }
    static V DupPair(const float* p)
    {
        const V pair = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
        return _mm_unpacklo_ps(pair, pair);
    }
    static V DupPairReversed(const float* p)
    {
        const V pair = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
        return _mm_shuffle_ps(pair, pair, _MM_SHUFFLE(0, 0, 1, 1));
    }
    static void StorePairs(float* p, float* q, V a)
    {
        _mm_storel_pi(reinterpret_cast<__m64*>(p), a);
        _mm_storeh_pi(reinterpret_cast<__m64*>(q), a);
    }
    static V Evens(V a, V b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)); }
    static V Odds(V a, V b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)); }
    static V FirstOfEach(V a, V b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 0, 0)); }
    static V LastOfEach(V a, V b) { return _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 3, 3, 3)); }
    static V InterleaveLow(V a, V b) { return _mm_unpacklo_ps(a, b); }
    static V InterleaveHigh(V a, V b) { return _mm_unpackhi_ps(a, b); }
    static void Transpose(V& a, V& b, V& c, V& d) { _MM_TRANSPOSE4_PS(a, b, c, d); }
};
using DefaultOps = Sse2Ops;
#else
using DefaultOps = PortableOps;
#endif

// A twiddle factor w (one per complex lane) prepared for multiplication:
// c = re(w) in both lanes of a value, s = -im(w), im(w) in its two lanes.
template <class O>
struct Twiddle {
    typename O::V c;
    typename O::V s;

    // From the cosines and sines of the two angles (the factors are cos - i sin).
    static Twiddle FromCosSin(typename O::V cosines, typename O::V sines) { return {cosines, O::NegIm(sines)}; }
};

// The product of two twiddle factors, in the same form.
template <class O>
inline Twiddle<O> operator*(const Twiddle<O>& a, const Twiddle<O>& b)
{
    return {O::Sub(O::Mul(a.c, b.c), O::Mul(a.s, b.s)), O::Add(O::Mul(a.c, b.s), O::Mul(a.s, b.c))};
}

// a * w, lane by lane complex.
template <class O>
inline typename O::V Cmul(typename O::V a, const Twiddle<O>& w)
{
    return O::Add(O::Mul(a, w.c), O::Mul(O::SwapReIm(a), w.s));
}

// a * (-i)
template <class O>
inline typename O::V MulNegI(typename O::V a)
{
    return O::NegIm(O::SwapReIm(a));
}

}  // namespace fftvec
