// The two-dimensional real transform: init results, the worked examples, random arrays
// of every size up to 256 x 256 against the direct transform, and the transposes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fft/fft2d.h"
#include "tests/fft/DirectDft.h"

namespace {

using fftref::Cx;

constexpr double kBound = 1e-6;

TEST(Fft2dInit, SizeOutsideRangeIsRefused)
{
    EXPECT_EQ(fft2dInit(-1, 3), kFftBadSize);
    EXPECT_EQ(fft2dInit(32, 3), kFftBadSize);
    EXPECT_EQ(fft2dInit(3, 32), kFftBadSize);
    EXPECT_EQ(fft2dInit(3, -1), kFftBadSize);
}

TEST(Fft2dInit, BuildsScratchAndTablesOnce)
{
    ASSERT_EQ(fft2dInit(7, 6), kFftDone);
    float* const scratch = Array2d[7];
    ASSERT_NE(scratch, nullptr);
    ASSERT_NE(UtblArray[7], nullptr);
    ASSERT_NE(UtblArray[6], nullptr);
    float* const rowTable = UtblArray[6];
    EXPECT_EQ(fft2dInit(7, 6), kFftDone);
    EXPECT_EQ(Array2d[7], scratch);
    EXPECT_EQ(UtblArray[6], rowTable);
}

TEST(Rfft2d, WorkedExampleTwoByTwo)
{
    ASSERT_EQ(fft2dInit(1, 1), kFftDone);
    float data[] = {1, 2, 3, 4};
    rfft2d(data, 1, 1);
    const float want[] = {10, -4, -2, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(data[i], want[i]) << i;
    }
}

TEST(Rfft2d, WorkedExampleFourByFour)
{
    ASSERT_EQ(fft2dInit(2, 2), kFftDone);
    float data[16];
    for (int i = 0; i < 16; ++i) {
        data[i] = static_cast<float>(i);
    }
    rfft2d(data, 2, 2);
    const float want[] = {120, -32, -8, 8, -32, 32, 0, 0, -8, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(data[i], want[i], 1e-5) << i;
    }
}

TEST(Rfft2d, OneRowIsTheOneDimensionalTransform)
{
    ASSERT_EQ(fftInit(3), kFftDone);
    const std::vector<float> input = fftref::RandomValues(8, 7);
    std::vector<float> flat = input, row = input;
    rfft2d(flat.data(), 0, 3);
    rffts(row.data(), 3, 1);
    EXPECT_EQ(flat, row);
    std::vector<float> column = input;
    ASSERT_EQ(fft2dInit(3, 0), kFftDone);
    rfft2d(column.data(), 3, 0);
    EXPECT_EQ(column, row);
}

// Relative error of rfft2d on a random 2^M2 x 2^M array.
double Rfft2dError(long M2, long M, unsigned seed, float low, float high, bool portable = false)
{
    const std::size_t h = std::size_t{1} << M2, w = std::size_t{1} << M;
    std::vector<float> data = fftref::RandomValues(h * w, seed, low, high);
    const std::vector<float> input = data;
    if (portable) {
        rfft2dPortable(data.data(), M2, M);
    } else {
        rfft2d(data.data(), M2, M);
    }
    fftref::ErrorMeter meter;
    if (h == 1 || w == 1) {
        const std::vector<Cx> want = fftref::RealDft(input);
        const std::size_t n = h * w;
        if (n == 1) {
            meter.Add(data[0], want[0]);
        } else {
            for (std::size_t k = 0; k <= n / 2; ++k) {
                meter.Add(fftref::Packed1d(data.data(), n, k), want[k]);
            }
        }
        return meter.Relative();
    }
    const std::vector<Cx> want = fftref::RealDft2d(input, h, w);
    for (std::size_t u = 0; u < h; ++u) {
        for (std::size_t v = 0; v <= w / 2; ++v) {
            meter.Add(fftref::Packed2d(data.data(), h, w, u, v), want[u * w + v]);
        }
    }
    return meter.Relative();
}

TEST(Rfft2d, RandomArraysOfEverySizeMatchTheDirectTransform)
{
    for (long M2 = 0; M2 <= 8; ++M2) {
        for (long M = 0; M <= 8; ++M) {
            ASSERT_EQ(fft2dInit(M2, M), kFftDone);
            const unsigned seed = static_cast<unsigned>(100 * M2 + M);
            const double error = Rfft2dError(M2, M, seed, -1.0f, 1.0f);
            if (M2 == M) {
                std::printf("rfft2d %3ld x %3ld: max error / largest coefficient = %.3g\n", 1L << M2, 1L << M, error);
            }
            EXPECT_LT(error, kBound) << M2 << ", " << M;
        }
    }
}

TEST(Rfft2dPortable, RandomArraysMatchTheDirectTransform)
{
    for (long M2 = 0; M2 <= 7; ++M2) {
        for (long M = 0; M <= 7; ++M) {
            ASSERT_EQ(fft2dInit(M2, M), kFftDone);
            EXPECT_LT(Rfft2dError(M2, M, 50 + static_cast<unsigned>(M2 * 10 + M), -1.0f, 1.0f, true), kBound)
                << M2 << ", " << M;
        }
    }
}

TEST(Rfft2dPortable, AgreesWithTheDefaultPath)
{
    for (long M2 = 0; M2 <= 8; ++M2) {
        for (long M = 0; M <= 8; ++M) {
            ASSERT_EQ(fft2dInit(M2, M), kFftDone);
            const std::size_t count = std::size_t{1} << (M2 + M);
            const std::vector<float> input = fftref::RandomValues(count, 60 + static_cast<unsigned>(M2 * 10 + M));
            std::vector<float> fast = input, portable = input;
            rfft2d(fast.data(), M2, M);
            rfft2dPortable(portable.data(), M2, M);
            double largest = 0.0, difference = 0.0;
            for (std::size_t i = 0; i < count; ++i) {
                largest = std::max(largest, std::fabs(double{fast[i]}));
                difference = std::max(difference, std::fabs(double{fast[i]} - portable[i]));
            }
            EXPECT_LE(difference, kBound * largest) << M2 << ", " << M;
        }
    }
}

TEST(Rfft2d, PixelValuesAtTheFocusSizes)
{
    // What the focus measurement gives it: values 0..255, square sizes 32 to 256.
    for (long M = 5; M <= 8; ++M) {
        ASSERT_EQ(fft2dInit(M, M), kFftDone);
        const double error = Rfft2dError(M, M, 77, 0.0f, 255.0f);
        std::printf("rfft2d %3ld x %3ld, values 0..255: max error / largest coefficient = %.3g\n", 1L << M, 1L << M,
                    error);
        EXPECT_LT(error, kBound) << M;
    }
}

TEST(Rfft2d, NonSquareEightBySixteen)
{
    ASSERT_EQ(fft2dInit(3, 4), kFftDone);
    EXPECT_LT(Rfft2dError(3, 4, 5, -1.0f, 1.0f), kBound);
}

TEST(Rfft2d, TallArrayTakesTheDepthFirstColumnStages)
{
    // Columns of 4096 values go through the depth-first radix-8 stages.
    ASSERT_EQ(fft2dInit(12, 3), kFftDone);
    EXPECT_LT(Rfft2dError(12, 3, 6, -1.0f, 1.0f), kBound);
}

TEST(Rfft2d, AllOnes)
{
    for (long M2 = 1; M2 <= 8; ++M2) {
        for (long M = 1; M <= 8; ++M) {
            ASSERT_EQ(fft2dInit(M2, M), kFftDone);
            const std::size_t h = std::size_t{1} << M2, w = std::size_t{1} << M;
            std::vector<float> data(h * w, 1.0f);
            rfft2d(data.data(), M2, M);
            EXPECT_FLOAT_EQ(data[0], static_cast<float>(h * w)) << M2 << ", " << M;
            for (std::size_t i = 1; i < h * w; ++i) {
                ASSERT_NEAR(data[i], 0.0f, 1e-6 * h * w) << M2 << ", " << M << ", float " << i;
            }
        }
    }
}

// Whether float i of the 2-D packed layout holds an imaginary part.
bool HoldsImaginaryPart(std::size_t i, std::size_t h, std::size_t w)
{
    const std::size_t row = i / w, column = i % w;
    if (column >= 2) {
        return column % 2 == 1;
    }
    // Floats 0 and 1 of a row: rows 0 and H/2 hold two real corners, the others a
    // complex X(u, 0) or X(u, W/2).
    return column == 1 && row != 0 && row != h / 2;
}

TEST(Rfft2d, SingleOne)
{
    for (long M2 = 1; M2 <= 8; ++M2) {
        for (long M = 1; M <= 8; ++M) {
            ASSERT_EQ(fft2dInit(M2, M), kFftDone);
            const std::size_t h = std::size_t{1} << M2, w = std::size_t{1} << M;
            std::vector<float> data(h * w, 0.0f);
            data[0] = 1.0f;
            rfft2d(data.data(), M2, M);
            for (std::size_t i = 0; i < h * w; ++i) {
                const float want = HoldsImaginaryPart(i, h, w) ? 0.0f : 1.0f;
                ASSERT_FLOAT_EQ(data[i], want) << M2 << ", " << M << ", float " << i;
            }
        }
    }
}

TEST(Rfft2d, AgainWithTheSameRowSizeGivesTheSameResult)
{
    ASSERT_EQ(fft2dInit(5, 5), kFftDone);
    ASSERT_EQ(fft2dInit(5, 3), kFftDone);
    const std::vector<float> input = fftref::RandomValues(32 * 32, 9);
    std::vector<float> first = input;
    rfft2d(first.data(), 5, 5);
    std::vector<float> other = fftref::RandomValues(32 * 8, 10);
    rfft2d(other.data(), 5, 3);  // shares the scratch
    std::vector<float> second = input;
    rfft2d(second.data(), 5, 5);
    EXPECT_EQ(first, second);
}

TEST(Xpose, MovesElementsAcrossWithStrides)
{
    // 2 x 3 taken from a 2 x 4 array into a 3 x 5 one.
    float in[] = {1, 2, 3, 99, 4, 5, 6, 99};
    float out[15];
    std::fill(std::begin(out), std::end(out), -1.0f);
    xpose(in, 4, out, 5, 2, 3);
    const float want[] = {1, 4, -1, -1, -1, 2, 5, -1, -1, -1, 3, 6, -1, -1, -1};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(out[i], want[i]) << i;
    }
}

TEST(Dxpose, MovesPairsOfFloatsAsOneElement)
{
    // A 3 x 2 array of complex values (as float pairs) into a 2 x 3 one.
    float in[12];
    for (int i = 0; i < 12; ++i) {
        in[i] = static_cast<float>(i);
    }
    float out[12] = {};
    dxpose(reinterpret_cast<double*>(in), 2, reinterpret_cast<double*>(out), 3, 3, 2);
    const float want[] = {0, 1, 4, 5, 8, 9, 2, 3, 6, 7, 10, 11};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(out[i], want[i]) << i;
    }
}

}  // namespace
