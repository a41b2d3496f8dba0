// Pictures: built-in pictures that the program registers by id and draws with
// DrawPicture, and pictures recorded with OpenPicture/ClosePicture.
#pragma once

#include <functional>
#include <vector>

#include "platform/QuickDraw.h"

struct Picture {
    int16_t id = 0;        // the template id of a built-in picture, 0 for a recorded one
    Rect picFrame;         // the picture's own frame
    // Built-in pictures draw themselves into the current port, scaled to dst.
    std::function<void(const Rect& dst)> draw;
    // Recorded pictures hold their bytes (a version-2 picture without the 512-byte header).
    std::vector<uint8_t> data;
};
using PicHandle = Picture*;

// Registers the built-in picture id; frame is its natural size.
void RegisterPicture(int16_t id, Rect frame, std::function<void(const Rect& dst)> draw);
// The registered picture, or null when id is unknown. The program does not dispose it.
PicHandle GetPicture(int16_t id);
void DrawPicture(PicHandle pic, const Rect* dst);

// Recording: between OpenPicture and ClosePicture the current port records its clip
// rectangle and every CopyBits into it. ClosePicture returns the recorded picture,
// which the caller releases with KillPicture.
PicHandle OpenPicture(const Rect* frame);
void ClosePicture();
void KillPicture(PicHandle pic);
int32_t GetHandleSize(PicHandle pic);
