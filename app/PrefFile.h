// The observer's choices that last from one run to the next: de-Bayering, the
// long-exposure detection rectangle and the guiding options. A PrefFile holds nothing
// itself: the owner of a setting makes one on the stack, reads at start-up and writes
// each time the setting changes; every write is saved at once.
//
// Each Read returns whether a value was found and only then changes its argument.
// A stored -2 reads as absent, as does a value that is missing or not an integer.
#pragma once

#include "processing/Debayerize.h"

class PrefFile {
public:
    PrefFile();
    ~PrefFile();

    bool ReadDeBayerize(bool& debayerize);
    // Numbers outside the known patterns and algorithms read as absent.
    bool ReadBayerPattern(BayerColor& pattern);
    bool ReadDebayerAlg(DebayerAlg& algorithm);
    // The centre of the rectangle: h and v each get their stored value or -2; the
    // result says whether h was found. (-1, -1) is the centre of a cleared rectangle.
    bool ReadAutoDetectLongExposureRect(int& h, int& v);
    bool ReadFlipNS(bool& flip);
    bool ReadFlipEW(bool& flip);
    bool ReadDisableDecGuiding(bool& disable);

    void WriteDeBayerize(bool debayerize);
    void WriteBayerPattern(BayerColor pattern);
    void WriteDebayerAlg(DebayerAlg algorithm);
    void WriteAutoDetectLongExposureRect(int h, int v);
    void WriteFlipNS(bool flip);
    void WriteFlipEW(bool flip);
    void WriteDisableDecGuiding(bool disable);
};
