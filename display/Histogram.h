// A histogram of the levels of one channel of a rectangle of a frame, with a small
// plot of itself that is drawn offscreen and copied into the current port in one piece.
#pragma once

#include <memory>
#include <vector>

class GWorldWrapper;

class Histogram {
public:
    // nBins bins, all zero; channel is the selector it stands for (0 value, 1 red,
    // 2 green, 3 blue); the plot is nBins wide and plotHeight high.
    Histogram(int nBins, int channel, int plotHeight);
    ~Histogram();
    Histogram(const Histogram&) = delete;
    Histogram& operator=(const Histogram&) = delete;

    void Initialize();
    // Bin i counts one more. Indices outside 0..nBins-1 are ignored.
    void IncrementBin(int i);
    // Bin i counts `count` more: the same as that many IncrementBin(i) calls.
    void AddToBin(int i, double count);
    // Bin i, or 0.0 outside 0..nBins-1.
    double GetBin(int i) const;
    // Scales the bins to sum 1. False when they already summed to exactly 1.0, and for
    // an empty histogram (sum 0), whose bins stay 0.
    bool NormalizeToOne();

    // Draws the histogram with its frame at (x, y) of the current port; scale
    // magnifies the columns (1: a bin holding everything reaches the top).
    void DrawHistogram(int x, int y, double scale);

    int GetNBins() const { return nBins; }
    int GetChannel() const { return channel; }
    GWorldWrapper* GetPlot() const { return plot.get(); }

private:
    void DrawColumnsIntoPlot(double scale);

    int nBins;
    std::vector<double> bins;
    int channel;
    std::unique_ptr<GWorldWrapper> plot;
};
