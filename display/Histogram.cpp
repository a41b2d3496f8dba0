#include "display/Histogram.h"

#include <algorithm>

#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"

namespace {
// The dark grey of the frame around the plot.
constexpr RGBColor kFrameGrey{14592, 14592, 14592};
// The frame is the plot's rectangle grown by this much to the right and down.
constexpr int kFrameGrowth = 4;
// The plot sits this far inside the frame's top left corner.
constexpr int kPlotInset = 2;
}  // namespace

Histogram::Histogram(int nBins, int channel, int plotHeight)
    : nBins(nBins), bins(static_cast<size_t>(nBins > 0 ? nBins : 0), 0.0), channel(channel) {
    plot = std::make_unique<GWorldWrapper>(32, MakeRect(0, 0, nBins, plotHeight), -1);
    Initialize();
}

Histogram::~Histogram() = default;

void Histogram::Initialize() { std::fill(bins.begin(), bins.end(), 0.0); }

void Histogram::IncrementBin(int i) { AddToBin(i, 1.0); }

void Histogram::AddToBin(int i, double count) {
    if (i >= 0 && i < nBins) bins[static_cast<size_t>(i)] += count;
}

double Histogram::GetBin(int i) const { return i >= 0 && i < nBins ? bins[static_cast<size_t>(i)] : 0.0; }

bool Histogram::NormalizeToOne() {
    double sum = 0.0;
    for (double b : bins) sum += b;
    if (sum == 1.0) return false;
    // An empty rectangle leaves every bin at 0: dividing would fill the bins with
    // NaN, which neither the plot nor the automatic levels could use.
    if (sum == 0.0) return false;
    for (double& b : bins) b /= sum;
    return true;
}

void Histogram::DrawHistogram(int x, int y, double scale) {
    const Rect plotRect = plot->GetDim();
    Rect frame = MakeRect(0, 0, plotRect.right + kFrameGrowth, plotRect.bottom + kFrameGrowth);
    OffsetRect(&frame, x, y);
    RGBForeColor(&kFrameGrey);
    FrameRect(&frame);
    ForeColor(blackColor);

    DrawColumnsIntoPlot(scale);

    plot->CopyWorldBits(plotRect, OffsetRectCopy(plotRect, x + kPlotInset, y + kPlotInset));
}

// Black background, one red column per bin standing on the bottom row. A column
// shorter than one pixel still shows as a single pixel; a taller one than the plot is
// cut at its top row.
void Histogram::DrawColumnsIntoPlot(double scale) {
    const Rect plotRect = plot->GetDim();
    const double height = plotRect.bottom;
    const int bottomRow = plotRect.bottom - 1;
    plot->StartUsingGWorld();
    ForeColor(blackColor);
    PaintRect(&plotRect);
    ForeColor(redColor);
    for (int i = 0; i < nBins; ++i) {
        double h = bins[static_cast<size_t>(i)] * scale * height;
        if (h > height - 1) h = height - 1;
        if (h > 0.0 && h < 1.0) {
            MoveTo(i, bottomRow);
            LineTo(i, bottomRow);
        } else if (h >= 1.0) {
            MoveTo(i, bottomRow);
            LineTo(i, bottomRow - static_cast<int>(h));
        }
    }
    ForeColor(blackColor);
    plot->FinishUsingGWorld();
}
