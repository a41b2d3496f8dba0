// Small drawing helpers for what the toolbox draws itself (menus, dialogs, controls),
// all in the night palette's colours on the current port. Internal to platform/.
#pragma once

#include <string_view>

#include "platform/QuickDraw.h"

// Text size of menus, dialog items and controls.
constexpr int kToolboxTextSize = 12;

// Width of text at the given size without needing a port.
int ToolboxTextWidth(std::string_view text, int size = kToolboxTextSize, bool bold = false);
// Ascent and descent at the given size.
int ToolboxTextAscent(int size = kToolboxTextSize);
int ToolboxTextDescent(int size = kToolboxTextSize);
// Baseline that centres a line of text vertically in r.
int CenteredBaseline(const Rect& r, int size = kToolboxTextSize);

void FillRectWith(const Rect& r, const RGBColor& color);
void FrameRectWith(const Rect& r, const RGBColor& color, int thickness = 1);
// A frame whose corner pixels are left out, which reads as a rounded button.
void FrameRoundedWith(const Rect& r, const RGBColor& color, int thickness = 1);
void LineWith(int h0, int v0, int h1, int v1, const RGBColor& color, int thickness = 1);
// Draws text with its baseline at v from h, at the toolbox text size, cut at clip.
void DrawTextWith(std::string_view text, int h, int v, const RGBColor& color, const Rect& clip,
                  bool boldFace = false);
// A tick drawn with two strokes inside box (about 10 x 10 pixels).
void DrawCheckMarkIn(const Rect& box, const RGBColor& color);
// A small triangle pointing down, centred in box.
void DrawDownTriangleIn(const Rect& box, const RGBColor& color);
