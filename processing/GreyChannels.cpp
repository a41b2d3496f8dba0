#include "processing/GreyChannels.h"

#include <bit>
#include <cstring>

#include "processing/FramePixels.h"

namespace {

static_assert(std::endian::native == std::endian::little,
              "the pixel words below put byte 0 of a pixel in the low bits");

// Two pixels at a time in a 64-bit word (pixel bytes in memory order, byte 0 in the
// low bits of each half): the chosen byte of each pixel is moved to the bottom of its
// half and multiplied by 0x01010100, which copies it into bytes 1..3 of that half
// without carrying into the other; byte 0 is kept. A template so that the shift is a
// constant.
template <int ChannelByte>
void SpreadRow(uint8_t* row, int width) {
    constexpr int kShift = 8 * ChannelByte;
    constexpr uint64_t kLowBytes = 0x000000FF000000FFull;
    constexpr uint64_t kSpread = 0x01010100ull;
    int x = 0;
    for (; x + 2 <= width; x += 2) {
        uint64_t pair;
        std::memcpy(&pair, row + 4 * x, 8);
        pair = (pair & kLowBytes) | ((pair >> kShift) & kLowBytes) * kSpread;
        std::memcpy(row + 4 * x, &pair, 8);
    }
    if (x < width) {
        uint32_t word;
        std::memcpy(&word, row + 4 * x, 4);
        word = (word & 0xFFu) | ((word >> kShift) & 0xFFu) * static_cast<uint32_t>(kSpread);
        std::memcpy(row + 4 * x, &word, 4);
    }
}

}  // namespace

void SpreadChannelAcrossRow(uint8_t* row, int width, int channelByte) {
    switch (channelByte) {
        case kRedByte:
            SpreadRow<kRedByte>(row, width);
            break;
        case kGreenByte:
            SpreadRow<kGreenByte>(row, width);
            break;
        case kBlueByte:
            SpreadRow<kBlueByte>(row, width);
            break;
        default:
            break;
    }
}

void MakeGreyFromChannel(GWorldWrapper& frame, int channelByte) {
    if (channelByte < kRedByte || channelByte > kBlueByte) return;
    LockedFramePixels locked(frame);
    const FramePixels& pixels = locked.Pixels();
    for (int y = 0; y < pixels.height; ++y) SpreadChannelAcrossRow(pixels.Row(y), pixels.width, channelByte);
}
