#include <gtest/gtest.h>

#include <new>

#include "image/GWorldWrapper.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class GWorldWrapperTest : public ToolboxTest {};

uint8_t* PixelAt(GWorldWrapper& g, int x, int y) {
    auto* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(g.GetSrcPixMap()));
    return base + static_cast<size_t>(y) * g.GetSrcRowBytes() + 4 * x;
}

void SetPixel(GWorldWrapper& g, int x, int y, uint8_t r, uint8_t gr, uint8_t b) {
    uint8_t* p = PixelAt(g, x, y);
    p[1] = r;
    p[2] = gr;
    p[3] = b;
}

bool AllWhite(GWorldWrapper& g) {
    Rect d = g.GetDim();
    for (int y = 0; y < d.bottom; ++y)
        for (int x = 0; x < d.right; ++x) {
            uint8_t* p = PixelAt(g, x, y);
            if (p[1] != 255 || p[2] != 255 || p[3] != 255) return false;
        }
    return true;
}

TEST_F(GWorldWrapperTest, NewBufferIsWhiteWithPaddedRows) {
    for (Rect r : {MakeRect(0, 0, 640, 480), MakeRect(0, 0, 7, 5), MakeRect(0, 0, 1, 1)}) {
        GWorldWrapper g(32, r, -1);
        EXPECT_EQ(g.GetDim(), r);
        EXPECT_GT(g.GetSrcRowBytes(), 4 * r.right) << "rows must carry padding";
        g.StartUsingGWorld();
        EXPECT_TRUE(AllWhite(g));
        g.FinishUsingGWorld();
    }
}

TEST_F(GWorldWrapperTest, WideFramesKeepTheirWholeStride) {
    GWorldWrapper g(32, MakeRect(0, 0, 4096, 4), -1);
    EXPECT_GE(g.GetSrcRowBytes(), 4 * 4096);
    g.StartUsingGWorld();
    SetPixel(g, 4095, 3, 1, 2, 3);
    EXPECT_EQ(PixelAt(g, 4095, 3)[3], 3);
    g.FinishUsingGWorld();
}

TEST_F(GWorldWrapperTest, UpdateGWorldFromRectResizesAndWhitens) {
    GWorldWrapper g(32, MakeRect(0, 0, 640, 480), -1);
    g.StartUsingGWorld();
    SetPixel(g, 3, 3, 0, 0, 0);
    g.FinishUsingGWorld();
    int oldRowBytes = g.GetSrcRowBytes();
    g.UpdateGWorldFromRect(MakeRect(0, 0, 1280, 960));
    EXPECT_EQ(g.GetDim(), MakeRect(0, 0, 1280, 960));
    EXPECT_NE(g.GetSrcRowBytes(), oldRowBytes);
    EXPECT_GT(g.GetSrcRowBytes(), 4 * 1280);
    g.StartUsingGWorld();
    EXPECT_TRUE(AllWhite(g));
    g.FinishUsingGWorld();
}

TEST_F(GWorldWrapperTest, StartAndFinishRestoreThePort) {
    GWorldWrapper a(32, MakeRect(0, 0, 8, 8), -1);
    GWorldWrapper b(32, MakeRect(0, 0, 8, 8), -1);
    SetPort(b.GetGWorldPtr());
    a.StartUsingGWorld();
    EXPECT_EQ(CurrentPort(), a.GetGWorldPtr());
    a.FinishUsingGWorld();
    EXPECT_EQ(CurrentPort(), b.GetGWorldPtr());
}

TEST_F(GWorldWrapperTest, QuarterCopyIntoAnotherBufferInsideAStartFinishPair) {
    GWorldWrapper src(32, MakeRect(0, 0, 16, 16), -1);
    GWorldWrapper dst(32, MakeRect(0, 0, 8, 8), -1);
    src.StartUsingGWorld();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) SetPixel(src, x, y, static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16), 7);
    src.FinishUsingGWorld();

    // The copy into dst runs while dst's own pair is open; the pair's saved port and the
    // current port are left as they were.
    GWorldWrapper other(32, MakeRect(0, 0, 2, 2), -1);
    SetPort(other.GetGWorldPtr());
    dst.StartUsingGWorld();
    src.CopyWorldBits(MakeRect(0, 0, 16, 16), MakeRect(2, 2, 6, 6), dst.GetGWorldPtr());
    EXPECT_EQ(CurrentPort(), dst.GetGWorldPtr());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = PixelAt(dst, x, y);
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            if (!inside) {
                EXPECT_EQ(p[1], 255) << x << "," << y;
                EXPECT_EQ(p[3], 255) << x << "," << y;
                continue;
            }
            // Each destination pixel samples one source pixel of its 4 x 4 block.
            int sx = (x - 2) * 4, sy = (y - 2) * 4;
            EXPECT_GE(p[1], sx * 16) << x << "," << y;
            EXPECT_LT(p[1], (sx + 4) * 16) << x << "," << y;
            EXPECT_GE(p[2], sy * 16) << x << "," << y;
            EXPECT_LT(p[2], (sy + 4) * 16) << x << "," << y;
            EXPECT_EQ(p[3], 7);
        }
    dst.FinishUsingGWorld();
    EXPECT_EQ(CurrentPort(), other.GetGWorldPtr());
}

TEST_F(GWorldWrapperTest, AllocationFailureRaisesAndLeavesNothing) {
    FailNextGWorldAllocation(true);
    EXPECT_THROW(GWorldWrapper(32, MakeRect(0, 0, 640, 480), -1), std::bad_alloc);
    // The next allocation works again.
    GWorldWrapper g(32, MakeRect(0, 0, 4, 4), -1);
    EXPECT_EQ(g.GetDim(), MakeRect(0, 0, 4, 4));
}

TEST_F(GWorldWrapperTest, LoopSteppingByRowBytesSeesOnlyPixels) {
    // A loop that steps rows by the stride writes every pixel and no padding byte.
    GWorldWrapper g(32, MakeRect(0, 0, 5, 3), -1);
    g.StartUsingGWorld();
    auto* base = reinterpret_cast<uint8_t*>(GetPixBaseAddr(g.GetSrcPixMap()));
    int stride = g.GetSrcRowBytes();
    for (int y = 0; y < 3; ++y) base[y * stride + 4 * 5] = 0xAB;  // first padding byte of each row
    uint8_t* p = base;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x, p += 4) p[1] = p[2] = p[3] = 0;
        p += stride - 4 * 5;
    }
    for (int y = 0; y < 3; ++y) EXPECT_EQ(base[y * stride + 4 * 5], 0xAB);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(PixelAt(g, x, y)[2], 0);
    g.FinishUsingGWorld();
}

}  // namespace
