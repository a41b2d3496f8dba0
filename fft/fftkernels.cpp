// The complete small transforms: complex ones of 2, 4 and 8 points and real ones of 2,
// 4, 8 and 16 points, in straight-line code.
#include "fft/fftlib.h"

namespace {

constexpr float kSqrtHalf = 0.70710677f;
constexpr float kCosPi8 = 0.9238795f;
constexpr float kSinPi8 = 0.38268343f;

struct Cx {
    float re;
    float im;
};

inline Cx operator+(Cx a, Cx b) { return {a.re + b.re, a.im + b.im}; }
inline Cx operator-(Cx a, Cx b) { return {a.re - b.re, a.im - b.im}; }
inline Cx Mul(Cx a, Cx w) { return {a.re * w.re - a.im * w.im, a.re * w.im + a.im * w.re}; }
inline Cx MulNegI(Cx a) { return {a.im, -a.re}; }
inline Cx Conj(Cx a) { return {a.re, -a.im}; }
inline Cx At(const float* d, int i) { return {d[2 * i], d[2 * i + 1]}; }
inline void Put(float* d, int i, Cx v)
{
    d[2 * i] = v.re;
    d[2 * i + 1] = v.im;
}

// The spectrum of eight real values: X(0) and X(4) real, X(1) to X(3) complex.
struct RealSpectrum8 {
    float x0;
    float x4;
    Cx x1;
    Cx x2;
    Cx x3;
};

// Eight real values s[0], s[stride], ... s[7 stride].
inline RealSpectrum8 Real8(const float* s, int stride)
{
    const float e0 = s[0], e1 = s[2 * stride], e2 = s[4 * stride], e3 = s[6 * stride];
    const float o0 = s[stride], o1 = s[3 * stride], o2 = s[5 * stride], o3 = s[7 * stride];
    // Four-point transforms of the even and the odd samples.
    const float ea = e0 + e2, eb = e1 + e3;
    const float oa = o0 + o2, ob = o1 + o3;
    const Cx e1x{e0 - e2, e3 - e1};
    const Cx o1x{o0 - o2, o3 - o1};
    const Cx w1o = Mul(o1x, Cx{kSqrtHalf, -kSqrtHalf});
    RealSpectrum8 x;
    x.x0 = (ea + eb) + (oa + ob);
    x.x4 = (ea + eb) - (oa + ob);
    x.x2 = {ea - eb, -(oa - ob)};
    x.x1 = e1x + w1o;
    x.x3 = Conj(e1x - w1o);
    return x;
}

}  // namespace

void fft2pt(float* data)
{
    const Cx a = At(data, 0), b = At(data, 1);
    Put(data, 0, a + b);
    Put(data, 1, a - b);
}

void fft4pt(float* data)
{
    const Cx x0 = At(data, 0), x1 = At(data, 1), x2 = At(data, 2), x3 = At(data, 3);
    const Cx s02 = x0 + x2, d02 = x0 - x2;
    const Cx s13 = x1 + x3, d13 = MulNegI(x1 - x3);
    Put(data, 0, s02 + s13);
    Put(data, 1, d02 + d13);
    Put(data, 2, s02 - s13);
    Put(data, 3, d02 - d13);
}

void fft8pt(float* data)
{
    Cx x[8];
    for (int i = 0; i < 8; ++i) {
        x[i] = At(data, i);
    }
    // Four-point transforms of the even and the odd values.
    const Cx es02 = x[0] + x[4], ed02 = x[0] - x[4], es13 = x[2] + x[6], ed13 = MulNegI(x[2] - x[6]);
    const Cx os02 = x[1] + x[5], od02 = x[1] - x[5], os13 = x[3] + x[7], od13 = MulNegI(x[3] - x[7]);
    const Cx e0 = es02 + es13, e1 = ed02 + ed13, e2 = es02 - es13, e3 = ed02 - ed13;
    const Cx o0 = os02 + os13, o2 = os02 - os13;
    const Cx o1 = od02 + od13, o3 = od02 - od13;
    // o1 * w8, o2 * w8^2, o3 * w8^3 with w8 = (1 - i) / sqrt 2.
    const Cx t1{(o1.re + o1.im) * kSqrtHalf, (o1.im - o1.re) * kSqrtHalf};
    const Cx t2 = MulNegI(o2);
    const Cx t3{(o3.im - o3.re) * kSqrtHalf, -(o3.re + o3.im) * kSqrtHalf};
    Put(data, 0, e0 + o0);
    Put(data, 1, e1 + t1);
    Put(data, 2, e2 + t2);
    Put(data, 3, e3 + t3);
    Put(data, 4, e0 - o0);
    Put(data, 5, e1 - t1);
    Put(data, 6, e2 - t2);
    Put(data, 7, e3 - t3);
}

void rfft1pt(float* data)
{
    const float a = data[0], b = data[1];
    data[0] = a + b;
    data[1] = a - b;
}

void rfft2pt(float* data)
{
    const float x0 = data[0], x1 = data[1], x2 = data[2], x3 = data[3];
    const float s02 = x0 + x2, s13 = x1 + x3;
    data[0] = s02 + s13;
    data[1] = s02 - s13;
    data[2] = x0 - x2;
    data[3] = x3 - x1;
}

void rfft4pt(float* data)
{
    const RealSpectrum8 x = Real8(data, 1);
    data[0] = x.x0;
    data[1] = x.x4;
    Put(data, 1, x.x1);
    Put(data, 2, x.x2);
    Put(data, 3, x.x3);
}

void rfft8pt(float* data)
{
    // X(k) = E(k) + w16^k O(k) from the spectra of the even and the odd samples; for
    // k = 1..3, X(8 - k) = conj(E(k) - w16^k O(k)).
    const RealSpectrum8 e = Real8(data, 2);
    const RealSpectrum8 o = Real8(data + 1, 2);
    const Cx w1o = Mul(o.x1, Cx{kCosPi8, -kSinPi8});
    const Cx w2o = Mul(o.x2, Cx{kSqrtHalf, -kSqrtHalf});
    const Cx w3o = Mul(o.x3, Cx{kSinPi8, -kCosPi8});
    data[0] = e.x0 + o.x0;
    data[1] = e.x0 - o.x0;
    Put(data, 1, e.x1 + w1o);
    Put(data, 2, e.x2 + w2o);
    Put(data, 3, e.x3 + w3o);
    Put(data, 4, Cx{e.x4, -o.x4});
    Put(data, 5, Conj(e.x3 - w3o));
    Put(data, 6, Conj(e.x2 - w2o));
    Put(data, 7, Conj(e.x1 - w1o));
}
