// Recording of drawing into pictures: while a picture is open on a port, the copies
// into that port are written into the picture instead of onto the port's pixels, the
// way the classic toolbox hides the pen while a picture is open. Internal to platform/.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/PictWriter.h"
#include "platform/Pictures.h"
#include "platform/QuickDraw.h"

// The recording of one open picture on one port.
class PictureRecorder {
public:
    PictureRecorder(GrafPort* port, PicHandle picture);

    GrafPort* Port() const { return port_; }
    PicHandle Target() const { return picture_; }

    // Records a copy of srcRect of src to dstRect of the port, as the port's colours
    // would draw it, after the port's clip rectangle when that has changed since the
    // last copy recorded. Source pixels outside src's bounds are recorded white.
    void RecordCopy(const PixMap& src, const Rect& srcRect, const Rect& dstRect, int16_t mode);
    // Ends the picture and gives the target its bytes.
    void Finish();

private:
    GrafPort* port_;
    PicHandle picture_;
    PictWriter writer_;
    std::optional<Rect> recordedClip_;
};

// Called by CopyBits before drawing: when the current port has a picture open and dst
// is that port's pixels, records the copy and returns true (nothing is drawn).
bool RecordCopyIntoOpenPicture(const PixMap& src, const PixMap& dst, const Rect& srcRect,
                               const Rect& dstRect, int16_t mode);

// Called when a port goes away: a picture still open on it is ended there, so that
// nothing keeps pointing at the port.
void EndPictureOfPort(GrafPtr port);
