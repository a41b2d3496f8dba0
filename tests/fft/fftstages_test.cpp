// The stage functions against each other: a fused pass gives exactly what the passes it
// replaces give.
#include <gtest/gtest.h>

#include <vector>

#include "fft/fftext.h"
#include "fft/fftlib.h"
#include "tests/fft/DirectDft.h"

namespace {

TEST(BitrevR4, EqualsBitrevR2ThenBfR2)
{
    for (long M = 4; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const std::vector<float> input = fftref::RandomValues(std::size_t{2} << M, 400 + static_cast<unsigned>(M));
        std::vector<float> fused = input, separate = input;
        bitrevR4(fused.data(), M, BRLowArray[M / 2]);
        bitrevR2(separate.data(), M, BRLowArray[M / 2]);
        bfR2(separate.data(), M, 2);
        EXPECT_EQ(fused, separate) << "M = " << M;
    }
}

TEST(BitrevR4, ScaledEqualsScbitrevR2ThenBfR2)
{
    for (long M = 4; M <= 13; ++M) {
        ASSERT_EQ(fftInit(M), kFftDone);
        const std::vector<float> input = fftref::RandomValues(std::size_t{2} << M, 500 + static_cast<unsigned>(M));
        std::vector<float> fused = input, separate = input;
        scbitrevR4(fused.data(), M, BRLowArray[M / 2], 0.5f);
        scbitrevR2(separate.data(), M, BRLowArray[M / 2], 0.5f);
        bfR2(separate.data(), M, 2);
        EXPECT_EQ(fused, separate) << "M = " << M;
    }
}

}  // namespace
