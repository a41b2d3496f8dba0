// Counter-based random numbers for the simulated sky: every value is a pure function
// of the seed and the numbers that name it (a tile, a frame, a row), so the same seed
// gives the same sky whatever order the frames are made in.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

class SkyRandom {
public:
    // A stream named by the seed and up to three numbers.
    explicit SkyRandom(uint64_t seed, uint64_t a = 0, uint64_t b = 0, uint64_t c = 0)
        : state_(Mix(Mix(Mix(seed ^ 0x5C0BECA3ULL) ^ a) ^ (b * 0x9E3779B97F4A7C15ULL)) ^ (c * 0xC2B2AE3D27D4EB4FULL)) {}

    uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15ULL;
        return Mix(state_);
    }
    // Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [0, n).
    uint32_t Below(uint32_t n) { return uint32_t((Next() >> 32) * n >> 32); }
    // Standard normal (Box-Muller; the second value of the pair is dropped).
    double Gaussian() {
        double u = 1.0 - Uniform();  // (0, 1]: the logarithm stays finite
        double v = Uniform();
        return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
    }

private:
    // The splitmix64 finaliser: every input bit reaches every output bit.
    static uint64_t Mix(uint64_t z) {
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    uint64_t state_;
};
