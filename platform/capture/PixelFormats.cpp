#include "platform/capture/PixelFormats.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace {

uint8_t Clamp255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Studio-range luma and chroma (the webcam norm) to RGB, in 8.8 fixed point:
// R = 1.164 (Y - 16) + 1.596 (V - 128), G = 1.164 (Y - 16) - 0.391 (U - 128) -
// 0.813 (V - 128), B = 1.164 (Y - 16) + 2.018 (U - 128).
inline void YuvToPixel(int y, int u, int v, uint8_t* dst) {
    const int c = 298 * (y - 16) + 128, d = u - 128, e = v - 128;
    dst[0] = 0;
    dst[1] = Clamp255((c + 409 * e) >> 8);
    dst[2] = Clamp255((c - 100 * d - 208 * e) >> 8);
    dst[3] = Clamp255((c + 516 * d) >> 8);
}

// Packed 4:2:2: two pixels share one chroma pair. yAt, uAt and vAt are the offsets of
// the first luma, U and V in each 4-byte group (the second luma is yAt + 2).
inline void ConvertPacked422Row(const uint8_t* src, uint8_t* dst, int width, int yAt, int uAt, int vAt) {
    int x = 0;
    for (; x + 1 < width; x += 2, src += 4, dst += 8) {
        YuvToPixel(src[yAt], src[uAt], src[vAt], dst);
        YuvToPixel(src[yAt + 2], src[uAt], src[vAt], dst + 4);
    }
    if (x < width) YuvToPixel(src[yAt], src[uAt], src[vAt], dst);
}

struct FormatRank {
    uint32_t fourcc;
    bool emulated;
};

// Most wanted first: raw samples as the sensor saw them, then formats converted here,
// then the capture library's conversion.
constexpr FormatRank kPreference[] = {
    {V4L2_PIX_FMT_SGRBG8, false}, {V4L2_PIX_FMT_SRGGB8, false}, {V4L2_PIX_FMT_SBGGR8, false},
    {V4L2_PIX_FMT_SGBRG8, false}, {V4L2_PIX_FMT_GREY, false},   {V4L2_PIX_FMT_YUYV, false},
    {V4L2_PIX_FMT_UYVY, false},   {V4L2_PIX_FMT_MJPEG, false},  {V4L2_PIX_FMT_JPEG, false},
    {V4L2_PIX_FMT_RGB24, false},  {V4L2_PIX_FMT_BGR24, false},  {V4L2_PIX_FMT_RGB24, true},
    {V4L2_PIX_FMT_BGR24, true},
};

}  // namespace

CameraFormat CameraFormatOf(uint32_t fourcc) {
    switch (fourcc) {
        case V4L2_PIX_FMT_GREY:
            return CameraFormat::kGrey;
        case V4L2_PIX_FMT_SGRBG8:
            return CameraFormat::kBayerGRBG;
        case V4L2_PIX_FMT_SRGGB8:
            return CameraFormat::kBayerRGGB;
        case V4L2_PIX_FMT_SBGGR8:
            return CameraFormat::kBayerBGGR;
        case V4L2_PIX_FMT_SGBRG8:
            return CameraFormat::kBayerGBRG;
        case V4L2_PIX_FMT_YUYV:
            return CameraFormat::kYUYV;
        case V4L2_PIX_FMT_UYVY:
            return CameraFormat::kUYVY;
        case V4L2_PIX_FMT_MJPEG:
        case V4L2_PIX_FMT_JPEG:
            return CameraFormat::kMJPEG;
        case V4L2_PIX_FMT_RGB24:
            return CameraFormat::kRGB24;
        case V4L2_PIX_FMT_BGR24:
            return CameraFormat::kBGR24;
        default:
            return CameraFormat::kUnknown;
    }
}

SampleLayout SamplesOf(CameraFormat format) {
    switch (format) {
        case CameraFormat::kGrey:
            return SampleLayout::kMono;
        case CameraFormat::kBayerGRBG:
            return SampleLayout::kBayerGRBG;
        case CameraFormat::kBayerRGGB:
            return SampleLayout::kBayerRGGB;
        case CameraFormat::kBayerBGGR:
            return SampleLayout::kBayerBGGR;
        case CameraFormat::kBayerGBRG:
            return SampleLayout::kBayerGBRG;
        default:
            return SampleLayout::kColour;
    }
}

OfferedFormat ChooseFormat(const std::vector<OfferedFormat>& offered) {
    for (const FormatRank& wanted : kPreference) {
        for (const OfferedFormat& f : offered)
            if (f.fourcc == wanted.fourcc && f.emulated == wanted.emulated) return f;
    }
    return {};
}

int MinimumBytesPerLine(CameraFormat format, int width) {
    switch (format) {
        case CameraFormat::kGrey:
        case CameraFormat::kBayerGRBG:
        case CameraFormat::kBayerRGGB:
        case CameraFormat::kBayerBGGR:
        case CameraFormat::kBayerGBRG:
            return width;
        case CameraFormat::kYUYV:
        case CameraFormat::kUYVY:
            return (width + 1) / 2 * 4;
        case CameraFormat::kRGB24:
        case CameraFormat::kBGR24:
            return width * 3;
        default:
            return 0;
    }
}

void ConvertGreyRow(const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, dst += 4) {
        dst[0] = 0;
        dst[1] = dst[2] = dst[3] = src[x];
    }
}

void ConvertYUYVRow(const uint8_t* src, uint8_t* dst, int width) { ConvertPacked422Row(src, dst, width, 0, 1, 3); }

void ConvertUYVYRow(const uint8_t* src, uint8_t* dst, int width) { ConvertPacked422Row(src, dst, width, 1, 0, 2); }

void ConvertRGB24Row(const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, src += 3, dst += 4) {
        dst[0] = 0;
        dst[1] = src[0];
        dst[2] = src[1];
        dst[3] = src[2];
    }
}

void ConvertBGR24Row(const uint8_t* src, uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x, src += 3, dst += 4) {
        dst[0] = 0;
        dst[1] = src[2];
        dst[2] = src[1];
        dst[3] = src[0];
    }
}

// The JPEG library reports fatal errors through a callback that must not return:
// it jumps back to the decoding call, which gives up on the frame. Warnings about
// damaged data are not printed; the frame is shown as far as it decoded.
struct FrameConverter::JpegDecoder {
    struct ErrorManager {
        jpeg_error_mgr base;
        jmp_buf jump;
    };

    JpegDecoder() {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = [](j_common_ptr common) {
            longjmp(reinterpret_cast<ErrorManager*>(common->err)->jump, 1);
        };
        errors.base.output_message = [](j_common_ptr) {};
        jpeg_create_decompress(&info);
    }
    ~JpegDecoder() { jpeg_destroy_decompress(&info); }

    jpeg_decompress_struct info{};
    ErrorManager errors{};
};

FrameConverter::FrameConverter() : jpeg_(std::make_unique<JpegDecoder>()) {}

FrameConverter::~FrameConverter() = default;

bool FrameConverter::Convert(const CameraFrame& frame, const FrameTarget& target) {
    if (frame.data == nullptr || target.base == nullptr) return false;
    if (frame.format == CameraFormat::kMJPEG) return ConvertMJPEG(frame, target);

    void (*convertRow)(const uint8_t*, uint8_t*, int) = nullptr;
    switch (frame.format) {
        case CameraFormat::kGrey:
        case CameraFormat::kBayerGRBG:
        case CameraFormat::kBayerRGGB:
        case CameraFormat::kBayerBGGR:
        case CameraFormat::kBayerGBRG:
            convertRow = ConvertGreyRow;
            break;
        case CameraFormat::kYUYV:
            convertRow = ConvertYUYVRow;
            break;
        case CameraFormat::kUYVY:
            convertRow = ConvertUYVYRow;
            break;
        case CameraFormat::kRGB24:
            convertRow = ConvertRGB24Row;
            break;
        case CameraFormat::kBGR24:
            convertRow = ConvertBGR24Row;
            break;
        default:
            return false;
    }
    const int rows = std::min(frame.height, target.height);
    const int columns = std::min(frame.width, target.width);
    if (rows <= 0 || columns <= 0) return false;
    const int minimum = MinimumBytesPerLine(frame.format, frame.width);
    const size_t stride = static_cast<size_t>(std::max(frame.bytesPerLine, minimum));
    // Only what is read must be there: a frame cut short is refused.
    if (frame.bytes < (rows - 1) * stride + static_cast<size_t>(MinimumBytesPerLine(frame.format, columns)))
        return false;
    for (int y = 0; y < rows; ++y)
        convertRow(frame.data + y * stride, target.base + static_cast<size_t>(y) * target.rowBytes, columns);
    return true;
}

// Decodes straight into the target's rows when they are wide enough, otherwise row by
// row through scratch memory. The pixels' unused byte is left as the library writes it.
bool FrameConverter::ConvertMJPEG(const CameraFrame& frame, const FrameTarget& target) {
    jpeg_decompress_struct& info = jpeg_->info;
    if (setjmp(jpeg_->errors.jump) != 0) {
        jpeg_abort_decompress(&info);
        return false;
    }
    jpeg_mem_src(&info, frame.data, static_cast<unsigned long>(frame.bytes));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_abort_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_XRGB;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const bool direct = width <= target.width;
    // Rows the target cannot take directly (too wide, or below it) pass through scratch.
    if (!direct || static_cast<int>(info.output_height) > target.height) scratch_.resize(static_cast<size_t>(width) * 4);
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        const bool inside = y < target.height;
        uint8_t* targetRow = inside ? target.base + static_cast<size_t>(y) * target.rowBytes : nullptr;
        JSAMPROW row = inside && direct ? targetRow : scratch_.data();
        jpeg_read_scanlines(&info, &row, 1);
        if (inside && !direct) std::memcpy(targetRow, row, static_cast<size_t>(target.width) * 4);
    }
    jpeg_finish_decompress(&info);
    return true;
}
