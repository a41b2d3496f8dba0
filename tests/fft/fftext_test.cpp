// The one-dimensional transforms: tables, init results, worked example, random rows
// against the direct transform, and the portable code path against the default one.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "fft/fftext.h"
#include "fft/fftlib.h"
#include "tests/fft/DirectDft.h"

namespace {

using fftref::Cx;

// Relative error bound of the tests; the transforms reach about 1e-7.
constexpr double kBound = 1e-6;

TEST(FftInit, SizeOutsideRangeIsRefused)
{
    EXPECT_EQ(fftInit(32), kFftBadSize);
    EXPECT_EQ(fftInit(-1), kFftBadSize);
    EXPECT_EQ(fftInit(1000), kFftBadSize);
}

TEST(FftInit, BuildsTablesOnceAndKeepsThem)
{
    ASSERT_EQ(fftInit(10), kFftDone);
    float* const cosines = UtblArray[10];
    short* const complexReverse = BRLowArray[5];
    short* const realReverse = BRLowArray[4];
    ASSERT_NE(cosines, nullptr);
    ASSERT_NE(complexReverse, nullptr);
    ASSERT_NE(realReverse, nullptr);
    EXPECT_EQ(fftInit(10), kFftDone);
    EXPECT_EQ(UtblArray[10], cosines);
    EXPECT_EQ(BRLowArray[5], complexReverse);
    EXPECT_EQ(BRLowArray[4], realReverse);
}

TEST(FftInit, SmallSizesNeedNoBitReverseTable)
{
    EXPECT_EQ(fftInit(0), kFftDone);
    EXPECT_EQ(fftInit(1), kFftDone);
    ASSERT_NE(UtblArray[0], nullptr);
    EXPECT_EQ(UtblArray[0][0], 1.0f);
    EXPECT_EQ(BRLowArray[0], nullptr);
}

TEST(FftInit, CosineTableIsAQuarterWave)
{
    ASSERT_EQ(fftInit(6), kFftDone);
    const float* table = UtblArray[6];
    EXPECT_EQ(table[0], 1.0f);
    EXPECT_EQ(table[16], 0.0f);
    for (int i = 1; i < 16; ++i) {
        EXPECT_EQ(table[i], static_cast<float>(std::cos(2.0 * std::acos(-1.0) * i / 64.0))) << i;
    }
}

TEST(FftInit, BitReverseTables)
{
    ASSERT_EQ(fftInit(8), kFftDone);  // builds BRLowArray[4] and BRLowArray[3]
    const short k3[] = {0, 2, 1, 3};
    const short k4[] = {0, 4, 2, 6, 1, 5, 3, 7};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(BRLowArray[3][i], k3[i]) << i;
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(BRLowArray[4][i], k4[i]) << i;
    }
}

TEST(Rffts, WorkedExampleEightPoints)
{
    ASSERT_EQ(fftInit(3), kFftDone);
    std::vector<float> data = {0, 1, 2, 3, 4, 5, 6, 7};
    rffts(data.data(), 3, 1);
    const float want[] = {28, -4, -4, 9.656854f, -4, 4, -4, 1.656854f};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(data[i], want[i], 2e-6) << i;
    }
}

TEST(Rffts, OneValueIsUnchanged)
{
    ASSERT_EQ(fftInit(0), kFftDone);
    float value = 3.5f;
    rffts(&value, 0, 1);
    EXPECT_EQ(value, 3.5f);
}

// Relative error of rows real transforms of 2^M random values.
double RealRowsError(long M, long rows, bool portable)
{
    const std::size_t n = std::size_t{1} << M;
    std::vector<float> data = fftref::RandomValues(n * rows, 1000 + static_cast<unsigned>(M));
    const std::vector<float> input = data;
    if (portable) {
        rffts1Portable(data.data(), M, rows, UtblArray[M], BRLowArray[(M - 1) / 2]);
    } else {
        rffts(data.data(), M, rows);
    }
    fftref::ErrorMeter meter;
    for (long r = 0; r < rows; ++r) {
        const std::vector<float> row(input.begin() + r * n, input.begin() + (r + 1) * n);
        const std::vector<Cx> want = fftref::RealDft(row);
        const float* got = data.data() + r * n;
        if (n == 1) {
            meter.Add(got[0], want[0]);
            continue;
        }
        for (std::size_t k = 0; k <= n / 2; ++k) {
            meter.Add(fftref::Packed1d(got, n, k), want[k]);
        }
    }
    return meter.Relative();
}

double ComplexRowsError(long M, long rows, bool portable)
{
    const std::size_t n = std::size_t{1} << M;
    std::vector<float> data = fftref::RandomValues(2 * n * rows, 2000 + static_cast<unsigned>(M));
    const std::vector<float> input = data;
    if (portable) {
        ffts1Portable(data.data(), M, rows, UtblArray[M], BRLowArray[M / 2]);
    } else {
        ffts(data.data(), M, rows);
    }
    fftref::ErrorMeter meter;
    for (long r = 0; r < rows; ++r) {
        std::vector<Cx> row(n);
        for (std::size_t i = 0; i < n; ++i) {
            row[i] = {input[2 * (r * n + i)], input[2 * (r * n + i) + 1]};
        }
        const std::vector<Cx> want = fftref::Dft(row);
        for (std::size_t k = 0; k < n; ++k) {
            meter.Add({data[2 * (r * n + k)], data[2 * (r * n + k) + 1]}, want[k]);
        }
    }
    return meter.Relative();
}

TEST(Rffts, RandomRowsMatchTheDirectTransform)
{
    for (long M = 0; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const long rows = M <= 10 ? 3 : 1;
        const double error = RealRowsError(M, rows, false);
        std::printf("rffts  N = %5ld: max error / largest coefficient = %.3g\n", 1L << M, error);
        EXPECT_LT(error, kBound) << "M = " << M;
    }
}

TEST(Ffts, RandomRowsMatchTheDirectTransform)
{
    for (long M = 0; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const long rows = M <= 10 ? 3 : 1;
        const double error = ComplexRowsError(M, rows, false);
        std::printf("ffts   N = %5ld: max error / largest coefficient = %.3g\n", 1L << M, error);
        EXPECT_LT(error, kBound) << "M = " << M;
    }
}

TEST(PortablePath, MatchesTheDirectTransform)
{
    for (long M = 0; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        EXPECT_LT(RealRowsError(M, 2, true), kBound) << "M = " << M;
        EXPECT_LT(ComplexRowsError(M, 2, true), kBound) << "M = " << M;
    }
}

TEST(PortablePath, AgreesWithTheDefaultPath)
{
    for (long M = 0; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const std::size_t n = std::size_t{1} << M;
        const std::vector<float> input = fftref::RandomValues(2 * n, 3000 + static_cast<unsigned>(M));
        std::vector<float> real = input, realPortable = input, cx = input, cxPortable = input;
        rffts(real.data(), M, 2);
        rffts1Portable(realPortable.data(), M, 2, UtblArray[M], BRLowArray[(M - 1) / 2]);
        ffts(cx.data(), M, 1);
        ffts1Portable(cxPortable.data(), M, 1, UtblArray[M], BRLowArray[M / 2]);
        double largest = 0.0, realDiff = 0.0, cxDiff = 0.0;
        for (std::size_t i = 0; i < 2 * n; ++i) {
            largest = std::max({largest, std::fabs(double{real[i]}), std::fabs(double{cx[i]})});
            realDiff = std::max(realDiff, std::fabs(double{real[i]} - realPortable[i]));
            cxDiff = std::max(cxDiff, std::fabs(double{cx[i]} - cxPortable[i]));
        }
        EXPECT_LE(realDiff, kBound * largest) << "M = " << M;
        EXPECT_LE(cxDiff, kBound * largest) << "M = " << M;
    }
}

TEST(Rffts, AllOnesAndSingleOne)
{
    for (long M = 1; M <= 12; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const std::size_t n = std::size_t{1} << M;
        std::vector<float> ones(n, 1.0f);
        rffts(ones.data(), M, 1);
        EXPECT_FLOAT_EQ(ones[0], static_cast<float>(n)) << "M = " << M;
        for (std::size_t i = 1; i < n; ++i) {
            EXPECT_NEAR(ones[i], 0.0f, 1e-6 * n) << "M = " << M << ", float " << i;
        }
        std::vector<float> impulse(n, 0.0f);
        impulse[0] = 1.0f;
        rffts(impulse.data(), M, 1);
        // Real parts (and X(N/2) in float 1) are 1, imaginary parts 0.
        for (std::size_t i = 0; i < n; ++i) {
            const bool imaginary = i >= 2 && i % 2 == 1;
            EXPECT_FLOAT_EQ(impulse[i], imaginary ? 0.0f : 1.0f) << "M = " << M << ", float " << i;
        }
    }
}

TEST(Ffts, AllOnesAndSingleOne)
{
    for (long M = 0; M <= 12; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const std::size_t n = std::size_t{1} << M;
        std::vector<float> ones(2 * n);
        for (std::size_t i = 0; i < n; ++i) {
            ones[2 * i] = 1.0f;
        }
        ffts(ones.data(), M, 1);
        EXPECT_FLOAT_EQ(ones[0], static_cast<float>(n));
        for (std::size_t i = 1; i < 2 * n; ++i) {
            EXPECT_NEAR(ones[i], 0.0f, 1e-6 * n) << "M = " << M << ", float " << i;
        }
        std::vector<float> impulse(2 * n, 0.0f);
        impulse[0] = 1.0f;
        ffts(impulse.data(), M, 1);
        for (std::size_t i = 0; i < 2 * n; ++i) {
            EXPECT_FLOAT_EQ(impulse[i], i % 2 == 0 ? 1.0f : 0.0f) << "M = " << M << ", float " << i;
        }
    }
}

}  // namespace
