// The vector path of the de-Bayering passes against the plain one, on raw pixel memory
// of many sizes, with and without padding at the ends of the rows.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "processing/DebayerSites.h"
#include "tests/support/BayerMosaic.h"

namespace {

constexpr uint8_t kPadding = 0xCD;

struct Raw {
    int width;
    int height;
    int rowBytes;
    std::vector<uint8_t> bytes;

    Raw(int w, int h, int padBytes) : width(w), height(h), rowBytes(4 * w + padBytes), bytes(size_t(rowBytes) * h) {}
    uint8_t* Row(int y) { return bytes.data() + size_t(y) * rowBytes; }
    // Pixels black, padding marked.
    void Clear() {
        for (int y = 0; y < height; ++y) {
            std::fill(Row(y), Row(y) + 4 * width, 0);
            std::fill(Row(y) + 4 * width, Row(y) + rowBytes, kPadding);
        }
    }
    bool PaddingIntact() {
        for (int y = 0; y < height; ++y) {
            for (int i = 4 * width; i < rowBytes; ++i) {
                if (Row(y)[i] != kPadding) return false;
            }
        }
        return true;
    }
    bool SamePixels(Raw& other) {
        for (int y = 0; y < height; ++y) {
            if (!std::equal(Row(y), Row(y) + 4 * width, other.Row(y))) return false;
        }
        return true;
    }
};

void FillRandom(Raw& raw, std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 255);
    raw.Clear();
    for (int y = 0; y < raw.height; ++y) {
        for (int i = 0; i < 4 * raw.width; ++i) raw.Row(y)[i] = uint8_t(byte(random));
    }
}

void DebayerRaw(Raw& in, Raw& out, BayerColor pattern, DebayerAlg algorithm, PixelPath path) {
    out.Clear();
    Debayerize(in.bytes.data(), out.bytes.data(), in.width, in.height, in.rowBytes, in.rowBytes - 4 * in.width, pattern,
               algorithm, path);
}

struct Size {
    int width;
    int height;
};
constexpr Size kSizes[] = {{6, 6}, {17, 9}, {37, 25}, {40, 30}, {64, 48}, {130, 20}, {99, 14}};

TEST(DebayerPaths, VectorPathMatchesPlainPathByteForByte) {
    std::mt19937 random(12345);
    for (Size size : kSizes) {
        for (int padBytes : {0, 16, 52}) {
            Raw in(size.width, size.height, padBytes);
            Raw plain(size.width, size.height, padBytes);
            Raw vector(size.width, size.height, padBytes);
            FillRandom(in, random);
            for (BayerColor pattern : kAllPatterns) {
                for (DebayerAlg algorithm : kAllAlgorithms) {
                    DebayerRaw(in, plain, pattern, algorithm, PixelPath::kPlain);
                    DebayerRaw(in, vector, pattern, algorithm, PixelPath::kVector);
                    ASSERT_TRUE(vector.SamePixels(plain)) << size.width << "x" << size.height << " pad " << padBytes
                                                          << " pattern " << pattern << " algorithm " << algorithm;
                    ASSERT_TRUE(vector.PaddingIntact());
                    ASSERT_TRUE(plain.PaddingIntact());
                }
            }
        }
    }
}

// The whole-row vector path writes each pixel once, with wide stores: it must write
// exactly the bytes the passes write and leave every other byte as it was, here
// random rather than black, on frames down to a pixel and widths around a block.
TEST(DebayerPaths, VectorPathLeavesTheSameBytesUnwrittenAsThePlainPath) {
    std::mt19937 random(2024);
    std::vector<Size> sizes;
    for (int width : {1, 2, 3, 4, 5, 7, 15, 16, 17, 18, 31, 32, 33, 47}) {
        for (int height : {1, 2, 3, 4, 5, 6, 11}) sizes.push_back({width, height});
    }
    for (Size size : sizes) {
        for (int padBytes : {0, 4, 20}) {
            Raw in(size.width, size.height, padBytes);
            Raw start(size.width, size.height, padBytes);
            FillRandom(in, random);
            FillRandom(start, random);
            for (BayerColor pattern : kAllPatterns) {
                for (DebayerAlg algorithm : kAllAlgorithms) {
                    Raw plain = start;
                    Raw vector = start;
                    Debayerize(in.bytes.data(), plain.bytes.data(), size.width, size.height, in.rowBytes, padBytes,
                               pattern, algorithm, PixelPath::kPlain);
                    Debayerize(in.bytes.data(), vector.bytes.data(), size.width, size.height, in.rowBytes, padBytes,
                               pattern, algorithm, PixelPath::kVector);
                    ASSERT_TRUE(vector.SamePixels(plain)) << size.width << "x" << size.height << " pad " << padBytes
                                                          << " pattern " << pattern << " algorithm " << algorithm;
                    ASSERT_TRUE(vector.PaddingIntact());
                }
            }
        }
    }
}

// Rows further apart give the same pixels as tightly packed rows.
TEST(DebayerPaths, RowStrideDoesNotChangeTheResult) {
    std::mt19937 random(99);
    Raw packedIn(64, 40, 0);
    FillRandom(packedIn, random);
    Raw paddedIn(64, 40, 100);
    paddedIn.Clear();
    for (int y = 0; y < 40; ++y) std::copy(packedIn.Row(y), packedIn.Row(y) + 4 * 64, paddedIn.Row(y));
    for (DebayerAlg algorithm : kAllAlgorithms) {
        Raw packedOut(64, 40, 0);
        Raw paddedOut(64, 40, 100);
        DebayerRaw(packedIn, packedOut, kGBRG, algorithm, kDefaultPixelPath);
        DebayerRaw(paddedIn, paddedOut, kGBRG, algorithm, kDefaultPixelPath);
        EXPECT_TRUE(paddedOut.SamePixels(packedOut)) << algorithm;
        EXPECT_TRUE(paddedOut.PaddingIntact()) << algorithm;
    }
}

}  // namespace
