// The byte layout of version-2 pictures with direct (32-bit) pixels.
#include "platform/PictWriter.h"

#include <algorithm>

namespace {

// A row of a pixel map whose row-bytes word exceeds this has its packed length
// written as a word, otherwise as a byte.
constexpr int kByteCountLimit = 250;
// Rows narrower than this many bytes are written unpacked.
constexpr int kSmallestPackedRow = 8;

// Fixed-point (16.16) form of a coordinate.
uint32_t ToFixed(int16_t v) { return static_cast<uint32_t>(static_cast<int32_t>(v)) << 16; }

// Length of the run of bytes equal to data[i], at most 128.
size_t RunLength(const uint8_t* data, size_t n, size_t i) {
    size_t run = 1;
    while (i + run < n && run < 128 && data[i + run] == data[i]) ++run;
    return run;
}

}  // namespace

void AppendPackBits(const uint8_t* data, size_t n, std::vector<uint8_t>* out) {
    size_t i = 0;
    while (i < n) {
        const size_t run = RunLength(data, n, i);
        if (run >= 3) {
            out->push_back(static_cast<uint8_t>(1 - static_cast<int>(run)));
            out->push_back(data[i]);
            i += run;
            continue;
        }
        // Literal bytes up to the next run of three or more, at most 128 of them. The
        // first byte never starts such a run, so the literal holds at least one byte.
        const size_t start = i;
        while (i < n && i - start < 128) {
            if (i + 2 < n && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
            ++i;
        }
        out->push_back(static_cast<uint8_t>(i - start - 1));
        out->insert(out->end(), data + start, data + i);
    }
}

PictWriter::PictWriter(const Rect& frame) {
    PutWord(0);  // the size, known at the end
    PutRect(frame);
    PutWord(kVersionOp);
    PutWord(kVersion2);
    PutWord(kHeaderOp);
    PutLong(0xFFFFFFFFu);  // version -1: a version-2 header
    // The frame as fixed-point numbers, x before y.
    PutLong(ToFixed(frame.left));
    PutLong(ToFixed(frame.top));
    PutLong(ToFixed(frame.right));
    PutLong(ToFixed(frame.bottom));
    PutLong(0);  // reserved
}

void PictWriter::AddClipRect(const Rect& clip) {
    PutWord(kClipRgnOp);
    PutWord(10);  // a rectangular region: its size word and its bounding box
    PutRect(clip);
}

bool PictWriter::AddDirectBits(const DirectPixels& pixels, const Rect& srcRect, const Rect& dstRect,
                               int16_t mode) {
    const int width = RectWidth(pixels.bounds);
    const int height = RectHeight(pixels.bounds);
    if (width <= 0 || height <= 0 || pixels.base == nullptr || width > kMaxRowBytes / 4) return false;
    const int rowBytes = 4 * width;
    const bool packed = rowBytes >= kSmallestPackedRow;
    PutWord(kDirectBitsRectOp);
    PutPixMap(pixels.bounds, rowBytes, packed ? kPackComponents : kPackNone);
    PutRect(srcRect);
    PutRect(dstRect);
    PutWord(static_cast<uint16_t>(mode));
    if (packed) {
        PutPackedRows(pixels, rowBytes);
    } else {
        PutUnpackedRows(pixels, rowBytes);
    }
    PadToWord();
    return true;
}

std::vector<uint8_t> PictWriter::Finish() {
    PadToWord();
    PutWord(kEndOfPictureOp);
    const size_t size = bytes_.size();
    bytes_[0] = static_cast<uint8_t>(size >> 8);
    bytes_[1] = static_cast<uint8_t>(size);
    return std::move(bytes_);
}

void PictWriter::PutWord(uint16_t w) {
    PutByte(static_cast<uint8_t>(w >> 8));
    PutByte(static_cast<uint8_t>(w));
}

void PictWriter::PutLong(uint32_t l) {
    PutWord(static_cast<uint16_t>(l >> 16));
    PutWord(static_cast<uint16_t>(l));
}

void PictWriter::PutRect(const Rect& r) {
    PutWord(static_cast<uint16_t>(r.top));
    PutWord(static_cast<uint16_t>(r.left));
    PutWord(static_cast<uint16_t>(r.bottom));
    PutWord(static_cast<uint16_t>(r.right));
}

void PictWriter::PadToWord() {
    if (bytes_.size() % 2 != 0) PutByte(0);
}

// The pixel map of a direct copy as pictures hold it: a placeholder base address, the
// row bytes with the pixel-map flag, bounds, then the format of 32-bit RGB pixels of
// three 8-bit components at 72 dpi without a colour table.
void PictWriter::PutPixMap(const Rect& bounds, int rowBytes, uint16_t packType) {
    PutLong(0x000000FFu);  // base address placeholder of direct pixels
    PutWord(static_cast<uint16_t>(0x8000 | rowBytes));
    PutRect(bounds);
    PutWord(0);  // pmVersion
    PutWord(packType);
    PutLong(0);  // packSize
    PutLong(kResolution72Dpi);
    PutLong(kResolution72Dpi);
    PutWord(kRGBDirect);
    PutWord(32);  // pixelSize
    PutWord(3);   // cmpCount: red, green, blue
    PutWord(8);   // cmpSize
    PutLong(0);   // planeBytes
    PutLong(0);   // pmTable
    PutLong(0);   // pmReserved
}

// Each row as its red bytes, then its green bytes, then its blue bytes, each component
// PackBits-packed on its own, preceded by the packed length.
void PictWriter::PutPackedRows(const DirectPixels& pixels, int rowBytes) {
    const int width = RectWidth(pixels.bounds);
    const int height = RectHeight(pixels.bounds);
    std::vector<uint8_t> component(static_cast<size_t>(width));
    std::vector<uint8_t> packedRow;
    packedRow.reserve(static_cast<size_t>(rowBytes) + 16);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.base + static_cast<ptrdiff_t>(y) * pixels.rowBytes;
        packedRow.clear();
        for (int c = 1; c <= 3; ++c) {  // bytes 1, 2, 3 of a pixel: red, green, blue
            for (int x = 0; x < width; ++x) component[x] = row[4 * x + c];
            AppendPackBits(component.data(), component.size(), &packedRow);
        }
        if (rowBytes > kByteCountLimit) {
            PutWord(static_cast<uint16_t>(packedRow.size()));
        } else {
            PutByte(static_cast<uint8_t>(packedRow.size()));
        }
        bytes_.insert(bytes_.end(), packedRow.begin(), packedRow.end());
    }
}

// Rows too short to pack, as they are in memory (the unused byte written as 0).
void PictWriter::PutUnpackedRows(const DirectPixels& pixels, int rowBytes) {
    const int height = RectHeight(pixels.bounds);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels.base + static_cast<ptrdiff_t>(y) * pixels.rowBytes;
        for (int i = 0; i < rowBytes; ++i) PutByte(i % 4 == 0 ? 0 : row[i]);
    }
}
