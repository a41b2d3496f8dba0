// Histogram: bins, normalization and the plot drawn into a port.
#include "display/Histogram.h"

#include <gtest/gtest.h>

#include <cmath>

#include "image/GWorldWrapper.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/ToolboxFixture.h"

namespace {

class HistogramTest : public ToolboxTest {};

TEST_F(HistogramTest, NewHistogramIsEmpty) {
    Histogram h(256, 2, 50);
    EXPECT_EQ(h.GetNBins(), 256);
    EXPECT_EQ(h.GetChannel(), 2);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(h.GetBin(i), 0.0) << i;
}

TEST_F(HistogramTest, IncrementAndInitialize) {
    Histogram h(256, 0, 50);
    h.IncrementBin(7);
    h.IncrementBin(7);
    h.IncrementBin(255);
    h.IncrementBin(256);  // outside: ignored
    h.IncrementBin(-1);
    h.AddToBin(0, 3.0);
    EXPECT_EQ(h.GetBin(7), 2.0);
    EXPECT_EQ(h.GetBin(255), 1.0);
    EXPECT_EQ(h.GetBin(0), 3.0);
    EXPECT_EQ(h.GetBin(256), 0.0);
    h.Initialize();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(h.GetBin(i), 0.0) << i;
}

TEST_F(HistogramTest, NormalizeScalesToSumOne) {
    Histogram h(256, 0, 50);
    h.AddToBin(3, 1.0);
    h.AddToBin(200, 3.0);
    EXPECT_TRUE(h.NormalizeToOne());
    EXPECT_DOUBLE_EQ(h.GetBin(3), 0.25);
    EXPECT_DOUBLE_EQ(h.GetBin(200), 0.75);
}

TEST_F(HistogramTest, NormalizeOfBinsSummingToOneChangesNothing) {
    Histogram h(256, 0, 50);
    h.AddToBin(10, 0.5);
    h.AddToBin(11, 0.25);
    h.AddToBin(12, 0.25);
    EXPECT_FALSE(h.NormalizeToOne());
    EXPECT_EQ(h.GetBin(10), 0.5);
    EXPECT_EQ(h.GetBin(12), 0.25);
}

// An empty histogram stays all zero (no NaN) and reports that nothing was scaled.
TEST_F(HistogramTest, NormalizeOfEmptyHistogramKeepsZeros) {
    Histogram h(256, 0, 50);
    EXPECT_FALSE(h.NormalizeToOne());
    for (int i = 0; i < 256; ++i) {
        ASSERT_FALSE(std::isnan(h.GetBin(i)));
        ASSERT_EQ(h.GetBin(i), 0.0);
    }
}

class HistogramDrawTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        port = MakeFrame(300, 80);  // stands for the dialog's port: white
        SetPort(port->GetGWorldPtr());
    }
    // The plot's column i, row r, in the port after drawing at (x, y).
    Rgb PlotPixel(int i, int r) { return GetPixel(*port, kX + 2 + i, kY + 2 + r); }
    // Rows of plot column i that are red, as [top, 49], or -1 when none is.
    int ColumnTop(int i) {
        int top = -1;
        for (int r = 49; r >= 0; --r) {
            if (PlotPixel(i, r) == Rgb{255, 0, 0}) {
                top = r;
            } else {
                break;
            }
        }
        return top;
    }
    static constexpr int kX = 10;
    static constexpr int kY = 7;
    std::unique_ptr<GWorldWrapper> port;
};

TEST_F(HistogramDrawTest, ColumnsFollowBinTimesScaleTimesHeight) {
    Histogram h(256, 0, 50);
    h.AddToBin(5, 0.01);
    h.AddToBin(6, 1.0);
    h.AddToBin(7, 0.02);
    h.AddToBin(8, 0.0);
    struct Case {
        double scale;
        int top5;  // expected top row of column 5 (-1: no column)
        int top7;
    };
    // 0.01 x 25 x 50 = 12.5: rows 49 up to 37. 0.01 x 1 x 50 = 0.5: the single pixel 49.
    // 0.02 x 25 x 50 = 25: rows 49 up to 24. Bin 1.0 always fills the column.
    for (Case c : {Case{25.0, 37, 24}, Case{1.0, 49, 48}, Case{625.0, 0, 0}}) {
        h.DrawHistogram(kX, kY, c.scale);
        EXPECT_EQ(ColumnTop(5), c.top5) << c.scale;
        EXPECT_EQ(ColumnTop(7), c.top7) << c.scale;
        EXPECT_EQ(ColumnTop(6), 0) << c.scale;
        EXPECT_EQ(ColumnTop(8), -1) << c.scale;
        // Above the column the plot is black.
        if (c.top5 > 0) {
            EXPECT_EQ(PlotPixel(5, c.top5 - 1), (Rgb{0, 0, 0}));
        }
    }
}

TEST_F(HistogramDrawTest, FrameAndPlotPlacement) {
    Histogram h(256, 1, 50);
    h.DrawHistogram(kX, kY, 25.0);
    const Rgb grey{57, 57, 57};  // 14592 / 256
    // Frame: left 10, top 7, right 270, bottom 61, one pixel wide.
    EXPECT_EQ(GetPixel(*port, kX, kY), grey);
    EXPECT_EQ(GetPixel(*port, kX + 259, kY + 53), grey);
    EXPECT_EQ(GetPixel(*port, kX + 130, kY), grey);
    EXPECT_EQ(GetPixel(*port, kX + 259, kY + 20), grey);
    // Between frame and plot the port is untouched (white); the plot is black.
    EXPECT_EQ(GetPixel(*port, kX + 1, kY + 1), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(*port, kX + 258, kY + 52), (Rgb{255, 255, 255}));
    EXPECT_EQ(PlotPixel(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PlotPixel(255, 49), (Rgb{0, 0, 0}));
    EXPECT_EQ(GetPixel(*port, kX + 2 + 256, kY + 20), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(*port, kX + 20, kY + 2 + 50), (Rgb{255, 255, 255}));
    // Outside the frame nothing is drawn.
    EXPECT_EQ(GetPixel(*port, kX - 1, kY + 5), (Rgb{255, 255, 255}));
    EXPECT_EQ(GetPixel(*port, kX + 260, kY + 5), (Rgb{255, 255, 255}));
    // The port stays current, drawing in black again.
    EXPECT_EQ(CurrentPort(), port->GetGWorldPtr());
    RGBColor fg;
    GetForeColor(&fg);
    EXPECT_EQ(fg, (RGBColor{0, 0, 0}));
}

// A redraw replaces the old columns.
TEST_F(HistogramDrawTest, RedrawClearsThePlot) {
    Histogram h(256, 0, 50);
    h.AddToBin(40, 1.0);
    h.DrawHistogram(kX, kY, 1.0);
    EXPECT_EQ(ColumnTop(40), 0);
    h.Initialize();
    h.DrawHistogram(kX, kY, 1.0);
    EXPECT_EQ(ColumnTop(40), -1);
}

}  // namespace
