// The pixel formats webcams deliver, which one to ask a camera for, and their
// conversion into 32-bit frames (unused, red, green, blue). Raw samples (grey and the
// four Bayer layouts) go into all three colour bytes unchanged, so that the program's
// de-Bayering finds them where it reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/capture/CaptureSource.h"

enum class CameraFormat {
    kUnknown,
    kGrey,
    kBayerGRBG,
    kBayerRGGB,
    kBayerBGGR,
    kBayerGBRG,
    kYUYV,
    kUYVY,
    kMJPEG,
    kRGB24,
    kBGR24,
};

// The format of a four-character code of the video driver (V4L2_PIX_FMT_...).
CameraFormat CameraFormatOf(uint32_t fourcc);
SampleLayout SamplesOf(CameraFormat format);

// A format as a camera lists it; emulated ones are made by the capture library's
// conversion rather than sent by the camera.
struct OfferedFormat {
    uint32_t fourcc = 0;
    bool emulated = false;
};

// What to ask for: the camera's own raw samples (Bayer, then grey) when it has them,
// then its own YUYV, UYVY, Motion JPEG or RGB, and otherwise what the capture library
// converts to RGB. None of them: fourcc 0.
OfferedFormat ChooseFormat(const std::vector<OfferedFormat>& offered);

// One frame as the camera delivered it. bytesPerLine is the driver's row stride (0
// for compressed formats).
struct CameraFrame {
    CameraFormat format = CameraFormat::kUnknown;
    const uint8_t* data = nullptr;
    size_t bytes = 0;
    int width = 0;
    int height = 0;
    int bytesPerLine = 0;
};

// Row conversions: width pixels of src into 32-bit pixels at dst.
void ConvertGreyRow(const uint8_t* src, uint8_t* dst, int width);
void ConvertYUYVRow(const uint8_t* src, uint8_t* dst, int width);
void ConvertUYVYRow(const uint8_t* src, uint8_t* dst, int width);
void ConvertRGB24Row(const uint8_t* src, uint8_t* dst, int width);
void ConvertBGR24Row(const uint8_t* src, uint8_t* dst, int width);

// The bytes a row of the format takes at least (0 for compressed formats).
int MinimumBytesPerLine(CameraFormat format, int width);

// Converts camera frames; keeps the scratch memory and the JPEG decoder between frames.
class FrameConverter {
public:
    FrameConverter();
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // Fills the part of target that the frame covers (from the top left). False for a
    // frame that is short, corrupt or of an unknown format; target may then be partly
    // written.
    bool Convert(const CameraFrame& frame, const FrameTarget& target);

private:
    bool ConvertMJPEG(const CameraFrame& frame, const FrameTarget& target);

    struct JpegDecoder;
    std::unique_ptr<JpegDecoder> jpeg_;
    std::vector<uint8_t> scratch_;
};
