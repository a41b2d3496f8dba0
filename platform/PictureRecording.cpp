// Pictures recorded with OpenPicture/ClosePicture: the port's clip rectangle and each
// copy into the port become version-2 picture opcodes (see PictWriter).
//
// One picture is open at a time: opening another ends the first. ClosePicture ends
// the open picture whichever port is current by then.
#include "platform/PictureRecording.h"

#include <memory>
#include <vector>

#include "platform/PortPixels.h"

namespace {

std::unique_ptr<PictureRecorder>& OpenRecording() {
    static std::unique_ptr<PictureRecorder> recording;
    return recording;
}

// Ends the open recording, if any: its picture gets its bytes and its port is free.
void EndOpenRecording() {
    std::unique_ptr<PictureRecorder>& recording = OpenRecording();
    if (!recording) return;
    recording->Finish();
    recording->Port()->picture = nullptr;
    recording.reset();
}

// A source pixel as a word in memory order (unused, red, green, blue); pixels outside
// the source and 1-bit pixels become white or black.
uint32_t SourceWord(const PixMap& src, int h, int v) {
    const Rgb8 white{255, 255, 255};
    const Rgb8 black{0, 0, 0};
    if (h < src.bounds.left || h >= src.bounds.right || v < src.bounds.top || v >= src.bounds.bottom) {
        return PackPixel(white);
    }
    const uint8_t* row = PixelRow(src, v);
    const int column = h - src.bounds.left;
    if (src.pixelSize == 1) return PackPixel(GetMaskBit(row, column) ? black : white);
    return LoadPixel(row + 4 * column) & PackPixel(white);  // the unused byte as 0
}

}  // namespace

PictureRecorder::PictureRecorder(GrafPort* port, PicHandle picture)
    : port_(port), picture_(picture), writer_(picture->picFrame) {}

void PictureRecorder::RecordCopy(const PixMap& src, const Rect& srcRect, const Rect& dstRect, int16_t mode) {
    const int width = RectWidth(srcRect);
    const int height = RectHeight(srcRect);
    if (width <= 0 || height <= 0 || RectWidth(dstRect) <= 0 || RectHeight(dstRect) <= 0) return;
    // The picture shows what the copy would draw: each component (~src & fg) | (src & bg)
    // with the port's colours, which is the source itself for black on white.
    const uint32_t fg = PackPixel(port_->fgColor);
    const uint32_t bg = PackPixel(port_->bkColor);
    std::vector<uint8_t> pixels(4 * static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        uint8_t* out = pixels.data() + 4 * static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            const uint32_t word = SourceWord(src, srcRect.left + x, srcRect.top + y);
            StorePixel(out + 4 * x, (~word & fg) | (word & bg));
        }
    }
    if (!recordedClip_ || *recordedClip_ != port_->clipRect) {
        writer_.AddClipRect(port_->clipRect);
        recordedClip_ = port_->clipRect;
    }
    // Rows wider than a picture can describe are left out of the picture.
    writer_.AddDirectBits(DirectPixels{pixels.data(), 4 * width, srcRect}, srcRect, dstRect, mode);
}

void PictureRecorder::Finish() { picture_->data = writer_.Finish(); }

bool RecordCopyIntoOpenPicture(const PixMap& src, const PixMap& dst, const Rect& srcRect,
                               const Rect& dstRect, int16_t mode) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || port->picture == nullptr || !IsPortPixMap(*port, dst)) return false;
    port->picture->RecordCopy(src, srcRect, dstRect, mode);
    return true;
}

void EndPictureOfPort(GrafPtr port) {
    const std::unique_ptr<PictureRecorder>& recording = OpenRecording();
    if (recording && recording->Port() == port) EndOpenRecording();
}

PicHandle OpenPicture(const Rect* frame) {
    GrafPort* port = CurrentPort();
    if (port == nullptr || frame == nullptr) return nullptr;
    EndOpenRecording();
    auto picture = std::make_unique<Picture>();
    picture->picFrame = *frame;
    OpenRecording() = std::make_unique<PictureRecorder>(port, picture.get());
    port->picture = OpenRecording().get();
    return picture.release();
}

void ClosePicture() { EndOpenRecording(); }

// Releases a recorded picture (a picture still open is ended first). Built-in pictures
// belong to the toolbox and are left alone.
void KillPicture(PicHandle pic) {
    if (pic == nullptr || pic->id != 0) return;
    const std::unique_ptr<PictureRecorder>& recording = OpenRecording();
    if (recording && recording->Target() == pic) EndOpenRecording();
    delete pic;
}

int32_t GetHandleSize(PicHandle pic) { return pic != nullptr ? static_cast<int32_t>(pic->data.size()) : 0; }
