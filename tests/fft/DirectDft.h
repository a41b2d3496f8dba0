// Reference transforms for the FFT tests: the defining sums evaluated directly in
// double precision, and readers of the library's packed layouts.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <random>
#include <vector>

namespace fftref {

using Cx = std::complex<double>;

// X(k) = sum x(n) e^(-2 pi i k n / N), k = 0..N-1.
inline std::vector<Cx> Dft(const std::vector<Cx>& x)
{
    const std::size_t n = x.size();
    std::vector<Cx> roots(n);
    const double pi = std::acos(-1.0);
    for (std::size_t i = 0; i < n; ++i) {
        roots[i] = std::polar(1.0, -2.0 * pi * static_cast<double>(i) / static_cast<double>(n));
    }
    std::vector<Cx> out(n);
    for (std::size_t k = 0; k < n; ++k) {
        Cx sum = 0.0;
        for (std::size_t j = 0; j < n; ++j) {
            sum += x[j] * roots[(k * j) % n];
        }
        out[k] = sum;
    }
    return out;
}

inline std::vector<Cx> RealDft(const std::vector<float>& x)
{
    return Dft(std::vector<Cx>(x.begin(), x.end()));
}

// X(u, v) of an H x W real array, row after row, as H rows of W values: the row sums,
// then the column sums. Only the columns v = 0..W/2 are filled; the others follow by
// symmetry.
inline std::vector<Cx> RealDft2d(const std::vector<float>& x, std::size_t h, std::size_t w)
{
    std::vector<Cx> rowsDone(h * w);
    for (std::size_t r = 0; r < h; ++r) {
        std::vector<Cx> row(x.begin() + static_cast<long>(r * w), x.begin() + static_cast<long>((r + 1) * w));
        const std::vector<Cx> spectrum = Dft(row);
        for (std::size_t v = 0; v < w; ++v) {
            rowsDone[r * w + v] = spectrum[v];
        }
    }
    std::vector<Cx> out(h * w);
    for (std::size_t v = 0; v <= w / 2; ++v) {
        std::vector<Cx> column(h);
        for (std::size_t r = 0; r < h; ++r) {
            column[r] = rowsDone[r * w + v];
        }
        const std::vector<Cx> spectrum = Dft(column);
        for (std::size_t u = 0; u < h; ++u) {
            out[u * w + v] = spectrum[u];
        }
    }
    return out;
}

// X(k), k = 0..N/2, from the 1-D packed layout of a real transform of N >= 2 values.
inline Cx Packed1d(const float* data, std::size_t n, std::size_t k)
{
    if (k == 0) {
        return data[0];
    }
    if (k == n / 2) {
        return data[1];
    }
    return {data[2 * k], data[2 * k + 1]};
}

// X(u, v), u = 0..H-1, v = 0..W/2, from the 2-D packed layout (H, W >= 2).
inline Cx Packed2d(const float* data, std::size_t h, std::size_t w, std::size_t u, std::size_t v)
{
    if (v != 0 && v != w / 2) {
        return {data[u * w + 2 * v], data[u * w + 2 * v + 1]};
    }
    // Columns 0 and W/2 are real transforms of length H packed into the first two
    // floats of the rows: column 0 in rows 0..H/2-1, column W/2 in rows H/2..H-1.
    const std::size_t firstRow = v == 0 ? 0 : h / 2;
    const bool mirrored = u > h / 2;
    const std::size_t k = mirrored ? h - u : u;
    Cx value;
    if (k == 0) {
        value = data[firstRow * w];
    } else if (k == h / 2) {
        value = data[firstRow * w + 1];
    } else {
        value = {data[(firstRow + k) * w], data[(firstRow + k) * w + 1]};
    }
    return mirrored ? std::conj(value) : value;
}

inline std::vector<float> RandomValues(std::size_t count, unsigned seed, float low = -1.0f, float high = 1.0f)
{
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> dist(low, high);
    std::vector<float> out(count);
    for (float& value : out) {
        value = dist(engine);
    }
    return out;
}

// The largest error against the reference, relative to the largest reference magnitude.
struct ErrorMeter {
    double maxError = 0.0;
    double maxMagnitude = 0.0;

    void Add(Cx got, Cx want)
    {
        maxError = std::max(maxError, std::abs(got - want));
        maxMagnitude = std::max(maxMagnitude, std::abs(want));
    }
    double Relative() const { return maxMagnitude > 0.0 ? maxError / maxMagnitude : maxError; }
};

}  // namespace fftref
