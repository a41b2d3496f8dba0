// Grey images of one colour channel: every pixel's red, green and blue set to the
// value of one of them. Used for the channel images and for showing one channel in
// the level-adjusted window.
#pragma once

#include <cstdint>

class GWorldWrapper;

// Sets bytes 1..3 of each of the width pixels of row to the byte channelByte (1 red,
// 2 green, 3 blue) of that pixel. Byte 0 is kept; nothing past the last pixel is
// touched.
void SpreadChannelAcrossRow(uint8_t* row, int width, int channelByte);

// The same over every row of the frame. A channelByte outside 1..3 does nothing.
// Saves and restores the current port and locks the pixels around the access.
void MakeGreyFromChannel(GWorldWrapper& frame, int channelByte);
