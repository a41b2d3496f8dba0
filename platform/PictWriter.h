// Writes the bytes of a version-2 picture, the form recorded pictures and picture
// files hold: the size word and frame, the version and header opcodes, then clip
// regions and direct-pixel copies, and the end opcode. All numbers are big-endian and
// every opcode starts on an even offset. Internal to platform/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/MacTypes.h"

// 32-bit pixels to be written: rows of 4 bytes a pixel in memory order unused, red,
// green, blue, rowBytes apart, covering bounds.
struct DirectPixels {
    const uint8_t* base = nullptr;
    int rowBytes = 0;
    Rect bounds;
};

class PictWriter {
public:
    // Opcodes and fixed values of the format.
    static constexpr uint16_t kVersionOp = 0x0011;
    static constexpr uint16_t kVersion2 = 0x02FF;
    static constexpr uint16_t kHeaderOp = 0x0C00;
    static constexpr uint16_t kClipRgnOp = 0x0001;
    static constexpr uint16_t kDirectBitsRectOp = 0x009A;
    static constexpr uint16_t kEndOfPictureOp = 0x00FF;
    static constexpr uint32_t kResolution72Dpi = 0x00480000;  // 72.0 as a 16.16 fixed number
    static constexpr uint16_t kRGBDirect = 16;                 // pixelType of direct pixels
    static constexpr uint16_t kPackNone = 1;                   // rows as in memory
    static constexpr uint16_t kPackComponents = 4;             // each row's components PackBits-packed
    // The widest row a pixel map's row-bytes word can describe.
    static constexpr int kMaxRowBytes = 0x3FFF;

    // Starts a picture whose frame is frame: size word (filled in by Finish), frame,
    // version opcode and the 24-byte header.
    explicit PictWriter(const Rect& frame);

    // A clip region that is the rectangle clip.
    void AddClipRect(const Rect& clip);
    // A copy of the pixels from srcRect (inside pixels.bounds) to dstRect with the
    // transfer mode. False, with nothing written, when the rows are too wide for the
    // format (more than kMaxRowBytes / 4 pixels) or the bounds are empty.
    bool AddDirectBits(const DirectPixels& pixels, const Rect& srcRect, const Rect& dstRect, int16_t mode);
    // Ends the picture and hands over its bytes; the size word holds the low 16 bits
    // of the whole size, as version-2 pictures have it.
    std::vector<uint8_t> Finish();

private:
    void PutByte(uint8_t b) { bytes_.push_back(b); }
    void PutWord(uint16_t w);
    void PutLong(uint32_t l);
    void PutRect(const Rect& r);
    void PadToWord();
    void PutPixMap(const Rect& bounds, int rowBytes, uint16_t packType);
    void PutPackedRows(const DirectPixels& pixels, int rowBytes);
    void PutUnpackedRows(const DirectPixels& pixels, int rowBytes);

    std::vector<uint8_t> bytes_;
};

// Appends the PackBits form of n bytes to out: runs of equal bytes as a count byte
// 1 - length (length 2..128) and the byte; other bytes as a count byte length - 1
// (length 1..128) and the bytes.
void AppendPackBits(const uint8_t* data, size_t n, std::vector<uint8_t>* out);
