// CalculateValueCentroid: the centre of the bright part of a rectangle.
#include <gtest/gtest.h>

#include "processing/ImageProcs.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class ValueCentroidTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        frame = MakeFrame(64, 48);
        FillFrame(*frame, Rgb{0, 0, 0});
    }
    Point Centroid(Rect r) {
        Point p{-99, -99};
        CalculateValueCentroid(*frame, r, p);
        return p;
    }
    std::unique_ptr<GWorldWrapper> frame;
};

// Right - left = bottom - top = 11: pixels left..left + 10; w = h = 12, half 6. The
// rectangle's own right column and bottom row are bright too but not read.
TEST_F(ValueCentroidTest, UniformSquareGivesItsCentre) {
    FillFrame(*frame, Rgb{90, 120, 30});
    const Point p = Centroid(MakeRect(20, 10, 31, 21));
    EXPECT_EQ(p.h, 20 + 5);
    EXPECT_EQ(p.v, 10 + 5);
}

TEST_F(ValueCentroidTest, AllBlackGivesTheRectangleCentre) {
    const Point p = Centroid(MakeRect(20, 10, 31, 21));
    EXPECT_EQ(p.h, 20 + 6);
    EXPECT_EQ(p.v, 10 + 6);
}

TEST_F(ValueCentroidTest, SingleBrightPixelIsTheCentroid) {
    struct Case {
        int x, y;
    };
    for (Case c : {Case{23, 12}, Case{30, 20}, Case{20, 10}, Case{27, 19}}) {
        FillFrame(*frame, Rgb{0, 0, 0});
        SetPixel(*frame, c.x, c.y, Rgb{0, 200, 17});
        const Point p = Centroid(MakeRect(20, 10, 31, 21));
        EXPECT_EQ(p.h, c.x);
        EXPECT_EQ(p.v, c.y);
    }
}

// Two pixels weigh in by their values; pixels below the threshold (a little below the
// mean) do not count at all.
TEST_F(ValueCentroidTest, WeightsByValueAboveTheThreshold) {
    SetPixel(*frame, 22, 15, Rgb{100, 0, 0});
    SetPixel(*frame, 28, 15, Rgb{0, 0, 200});
    Point p = Centroid(MakeRect(20, 10, 31, 21));
    EXPECT_EQ(p.h, 26);  // (100 * 22 + 200 * 28) / 300
    EXPECT_EQ(p.v, 15);
    // A dim background everywhere lifts the threshold above 1: the dim pixels of value
    // 1 drop out and the result is the same.
    FillFrame(*frame, Rgb{1, 1, 1});
    for (int k = 0; k < 6; ++k) SetPixel(*frame, 21 + k, 11, Rgb{250, 250, 250});
    SetPixel(*frame, 22, 15, Rgb{100, 0, 0});
    SetPixel(*frame, 28, 15, Rgb{0, 0, 200});
    p = Centroid(MakeRect(20, 10, 31, 21));
    // Weights: six of 250 at row 11, columns 21..26; 100 at (22, 15); 200 at (28, 15).
    const int total = 6 * 250 + 300;
    EXPECT_EQ(p.h, 20 + 6 + (250 * (1 + 2 + 3 + 4 + 5 + 6 - 6 * 6) + 100 * (2 - 6) + 200 * (8 - 6)) / total);
    EXPECT_EQ(p.v, 10 + 6 + (6 * 250 * (1 - 6) + 300 * (5 - 6)) / total);
}

TEST_F(ValueCentroidTest, RectangleWithoutPixelsGivesItsCentre) {
    const Point p = Centroid(MakeRect(20, 10, 20, 10));
    EXPECT_EQ(p.h, 20);
    EXPECT_EQ(p.v, 10);
    const Point q = Centroid(MakeRect(20, 10, 19, 9));  // crossed: w = h = 0
    EXPECT_EQ(q.h, 20);
    EXPECT_EQ(q.v, 10);
}

}  // namespace
