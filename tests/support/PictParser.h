// A reader of the version-2 pictures the toolbox records, written for the tests on
// its own from the format: it walks the opcodes, checks their alignment and unpacks
// the pixels of direct copies, so that tests can compare them with the source.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/MacTypes.h"

struct ParsedDirectBits {
    size_t offset = 0;  // of the opcode, from the start of the picture
    uint16_t rowBytesWord = 0;  // with its flag bits
    Rect bounds;
    uint16_t pmVersion = 0, packType = 0;
    uint32_t packSize = 0, hRes = 0, vRes = 0;
    uint16_t pixelType = 0, pixelSize = 0, cmpCount = 0, cmpSize = 0;
    uint32_t planeBytes = 0, pmTable = 0, pmReserved = 0, baseAddr = 0;
    Rect srcRect, dstRect;
    uint16_t mode = 0;
    bool wordByteCounts = false;      // the packed rows' lengths were words
    std::vector<uint8_t> rgb;         // red, green, blue of each pixel of bounds, row by row
};

struct ParsedPicture {
    std::string error;  // empty when the picture read cleanly to its end opcode
    uint16_t sizeWord = 0;
    Rect frame;
    uint32_t headerVersion = 0;
    int32_t fixedFrame[4] = {};  // left, top, right, bottom of the header, 16.16
    std::vector<Rect> clips;     // every clip region's bounding box, in order
    std::vector<ParsedDirectBits> copies;
    std::vector<uint16_t> opcodes;  // every opcode in order
    size_t endOffset = 0;           // where the end opcode was
};

// Reads a picture block (the picture without the 512-byte file header).
ParsedPicture ParsePicture(const std::vector<uint8_t>& bytes);

// The n bytes the PackBits form packed stands for; false when it is not exactly that.
bool UnpackBitsForTest(const uint8_t* packed, size_t packedSize, size_t n, std::vector<uint8_t>* out);
