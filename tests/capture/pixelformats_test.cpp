// Webcam pixel formats: which one is asked for, and each conversion into 32-bit
// pixels, on frames made here (padded rows on both sides, odd widths, short frames).
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "platform/capture/PixelFormats.h"

namespace {

constexpr uint8_t kPadding = 0xCC;

// A 32-bit target with padded rows.
struct Target {
    Target(int w, int h) : width(w), height(h), rowBytes(4 * w + 8), pixels(static_cast<size_t>(rowBytes) * h, kPadding) {}
    FrameTarget Frame() { return FrameTarget{pixels.data(), rowBytes, width, height}; }
    const uint8_t* At(int x, int y) const { return pixels.data() + y * rowBytes + 4 * x; }
    bool PaddingIntact() const {
        for (int y = 0; y < height; ++y)
            for (int i = 4 * width; i < rowBytes; ++i)
                if (pixels[y * rowBytes + i] != kPadding) return false;
        return true;
    }
    int width, height, rowBytes;
    std::vector<uint8_t> pixels;
};

struct ChoiceCase {
    const char* what;
    std::vector<OfferedFormat> offered;
    uint32_t chosen;
    bool emulated;
};

TEST(ChooseFormat, RawSamplesFirstThenOwnFormatsThenTheLibrarysRgb) {
    const OfferedFormat rgbEmulated{V4L2_PIX_FMT_RGB24, true}, bgrEmulated{V4L2_PIX_FMT_BGR24, true};
    const ChoiceCase cases[] = {
        {"typical webcam", {{V4L2_PIX_FMT_YUYV}, {V4L2_PIX_FMT_MJPEG}, rgbEmulated, bgrEmulated}, V4L2_PIX_FMT_YUYV, false},
        {"Motion JPEG only", {{V4L2_PIX_FMT_MJPEG}, rgbEmulated}, V4L2_PIX_FMT_MJPEG, false},
        {"raw Bayer", {{V4L2_PIX_FMT_YUYV}, {V4L2_PIX_FMT_SBGGR8}, rgbEmulated}, V4L2_PIX_FMT_SBGGR8, false},
        {"Bayer before grey", {{V4L2_PIX_FMT_GREY}, {V4L2_PIX_FMT_SGRBG8}}, V4L2_PIX_FMT_SGRBG8, false},
        {"grey", {{V4L2_PIX_FMT_YUYV}, {V4L2_PIX_FMT_GREY}}, V4L2_PIX_FMT_GREY, false},
        {"planar YUV via the library", {{V4L2_PIX_FMT_YUV420}, bgrEmulated, rgbEmulated}, V4L2_PIX_FMT_RGB24, true},
        {"the camera's own RGB", {rgbEmulated, {V4L2_PIX_FMT_RGB24}}, V4L2_PIX_FMT_RGB24, false},
        {"nothing readable", {{V4L2_PIX_FMT_H264}, {V4L2_PIX_FMT_YUV420}}, 0, false},
        {"nothing at all", {}, 0, false},
    };
    for (const ChoiceCase& c : cases) {
        OfferedFormat f = ChooseFormat(c.offered);
        EXPECT_EQ(f.fourcc, c.chosen) << c.what;
        EXPECT_EQ(f.emulated, c.emulated) << c.what;
    }
}

TEST(ChooseFormat, RawFormatsKeepTheirSampleLayout) {
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_SGRBG8)), SampleLayout::kBayerGRBG);
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_SRGGB8)), SampleLayout::kBayerRGGB);
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_SBGGR8)), SampleLayout::kBayerBGGR);
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_SGBRG8)), SampleLayout::kBayerGBRG);
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_GREY)), SampleLayout::kMono);
    EXPECT_EQ(SamplesOf(CameraFormatOf(V4L2_PIX_FMT_YUYV)), SampleLayout::kColour);
    EXPECT_EQ(CameraFormatOf(V4L2_PIX_FMT_H264), CameraFormat::kUnknown);
}

// Raw samples go into all three colour bytes, unchanged, whatever the layout.
TEST(ConvertFrame, RawSamplesFillAllThreeBytes) {
    const uint32_t formats[] = {V4L2_PIX_FMT_GREY, V4L2_PIX_FMT_SGRBG8, V4L2_PIX_FMT_SRGGB8, V4L2_PIX_FMT_SBGGR8,
                                V4L2_PIX_FMT_SGBRG8};
    const int w = 7, h = 5, bytesPerLine = 12;  // the driver pads each row
    std::vector<uint8_t> raw(bytesPerLine * h, 0x99);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) raw[y * bytesPerLine + x] = static_cast<uint8_t>(x * 30 + y * 7);
    for (uint32_t fourcc : formats) {
        Target t(w, h);
        FrameConverter converter;
        ASSERT_TRUE(converter.Convert({CameraFormatOf(fourcc), raw.data(), raw.size(), w, h, bytesPerLine}, t.Frame()));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t s = raw[y * bytesPerLine + x];
                const uint8_t* p = t.At(x, y);
                EXPECT_TRUE(p[0] == 0 && p[1] == s && p[2] == s && p[3] == s) << fourcc << " at " << x << "," << y;
            }
        EXPECT_TRUE(t.PaddingIntact());
    }
}

// The studio-range conversion, in floating point, for comparison.
void ReferenceYuv(int y, int u, int v, int rgb[3]) {
    auto clamp = [](double c) { return static_cast<int>(std::lround(std::min(255.0, std::max(0.0, c)))); };
    rgb[0] = clamp(1.164 * (y - 16) + 1.596 * (v - 128));
    rgb[1] = clamp(1.164 * (y - 16) - 0.391 * (u - 128) - 0.813 * (v - 128));
    rgb[2] = clamp(1.164 * (y - 16) + 2.018 * (u - 128));
}

struct YuvPair {
    uint8_t y0, y1, u, v;
};
const YuvPair kYuvPairs[] = {
    {16, 235, 128, 128},   // black and white
    {81, 145, 90, 240},    // studio red, then a lighter pixel of the same chroma
    {145, 41, 54, 34},     // green, then blue-ish luma
    {41, 210, 240, 110},   // blue, then yellow-ish
    {0, 255, 0, 255},      // beyond the studio range: clamped
    {255, 0, 255, 0},
    {128, 129, 127, 129},  // grey
};

TEST(ConvertFrame, YuyvAndUyvyFollowTheStudioRangeConversion) {
    const int w = 2 * static_cast<int>(std::size(kYuvPairs));
    std::vector<uint8_t> yuyv, uyvy;
    for (const YuvPair& p : kYuvPairs) {
        yuyv.insert(yuyv.end(), {p.y0, p.u, p.y1, p.v});
        uyvy.insert(uyvy.end(), {p.u, p.y0, p.v, p.y1});
    }
    for (CameraFormat format : {CameraFormat::kYUYV, CameraFormat::kUYVY}) {
        const std::vector<uint8_t>& src = format == CameraFormat::kYUYV ? yuyv : uyvy;
        Target t(w, 1);
        FrameConverter converter;
        ASSERT_TRUE(converter.Convert({format, src.data(), src.size(), w, 1, 0}, t.Frame()));
        for (int x = 0; x < w; ++x) {
            const YuvPair& p = kYuvPairs[x / 2];
            int want[3];
            ReferenceYuv(x % 2 ? p.y1 : p.y0, p.u, p.v, want);
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(t.At(x, 0)[1 + c], want[c], 1) << "pixel " << x << " channel " << c;
            EXPECT_EQ(t.At(x, 0)[0], 0);
        }
    }
}

TEST(ConvertFrame, PackedRowsUseTheDriversStrideAndFillOnlyTheTarget) {
    // A 6 x 3 YUYV frame with 4 bytes of padding a row, into a 5 x 2 target.
    const int w = 6, h = 3, bytesPerLine = 16;
    std::vector<uint8_t> yuyv(bytesPerLine * h, 0);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w / 2; ++i) {
            uint8_t* g = &yuyv[y * bytesPerLine + 4 * i];
            g[0] = static_cast<uint8_t>(40 + 50 * y + 10 * i);
            g[1] = 128;
            g[2] = static_cast<uint8_t>(45 + 50 * y + 10 * i);
            g[3] = 128;
        }
    Target t(5, 2);
    FrameConverter converter;
    ASSERT_TRUE(converter.Convert({CameraFormat::kYUYV, yuyv.data(), yuyv.size(), w, h, bytesPerLine}, t.Frame()));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            int want[3];
            ReferenceYuv(yuyv[y * bytesPerLine + 2 * x], 128, 128, want);
            EXPECT_NEAR(t.At(x, y)[2], want[1], 1) << x << "," << y;
        }
    EXPECT_TRUE(t.PaddingIntact());
}

TEST(ConvertFrame, Rgb24AndBgr24KeepTheirComponents) {
    const uint8_t bytes[] = {10, 20, 30, 200, 150, 100};
    Target rgb(2, 1), bgr(2, 1);
    FrameConverter converter;
    ASSERT_TRUE(converter.Convert({CameraFormat::kRGB24, bytes, sizeof bytes, 2, 1, 6}, rgb.Frame()));
    ASSERT_TRUE(converter.Convert({CameraFormat::kBGR24, bytes, sizeof bytes, 2, 1, 6}, bgr.Frame()));
    EXPECT_EQ(std::vector<uint8_t>(rgb.At(0, 0), rgb.At(0, 0) + 8), (std::vector<uint8_t>{0, 10, 20, 30, 0, 200, 150, 100}));
    EXPECT_EQ(std::vector<uint8_t>(bgr.At(0, 0), bgr.At(0, 0) + 8), (std::vector<uint8_t>{0, 30, 20, 10, 0, 100, 150, 200}));
}

TEST(ConvertFrame, AFrameCutShortOrOfAnUnknownFormatIsRefused) {
    std::vector<uint8_t> grey(8 * 4 - 1, 50);  // one byte short of 8 x 4
    Target t(8, 4);
    FrameConverter converter;
    EXPECT_FALSE(converter.Convert({CameraFormat::kGrey, grey.data(), grey.size(), 8, 4, 8}, t.Frame()));
    EXPECT_FALSE(converter.Convert({CameraFormat::kUnknown, grey.data(), grey.size(), 8, 3, 8}, t.Frame()));
    EXPECT_FALSE(converter.Convert({CameraFormat::kGrey, nullptr, 0, 8, 3, 8}, t.Frame()));
    // Three whole rows are there: converting only those is fine.
    EXPECT_TRUE(converter.Convert({CameraFormat::kGrey, grey.data(), grey.size(), 8, 3, 8}, t.Frame()));
}

// --- Motion JPEG

struct Picture {
    int width, height;
    std::vector<uint8_t> rgb;  // R, G, B a pixel
};

// A smooth picture with a few coloured patches: what JPEG keeps well.
Picture MakePicture(int w, int h) {
    Picture p{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool patch = (x / 16 + y / 16) % 3 == 0;
            p.rgb.push_back(static_cast<uint8_t>(patch ? 200 : 40 + 2 * x));
            p.rgb.push_back(static_cast<uint8_t>(60 + 2 * y));
            p.rgb.push_back(static_cast<uint8_t>(patch ? 50 : 180 - x));
        }
    return p;
}

// Encodes with the standard Huffman tables, chroma at full resolution.
std::vector<uint8_t> EncodeJpeg(const Picture& p) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(p.width);
    info.image_height = static_cast<JDIMENSION>(p.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&p.rgb[info.next_scanline * p.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&info);
    free(out);
    return bytes;
}

// Webcams leave the (standard) Huffman tables out of their frames: DHT segments removed.
std::vector<uint8_t> WithoutHuffmanTables(const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        size_t length = jpeg[at + 2] << 8 | jpeg[at + 3];
        if (jpeg[at + 1] != 0xC4) out.insert(out.end(), jpeg.begin() + at, jpeg.begin() + at + 2 + length);
        at += 2 + length;
    }
    out.insert(out.end(), jpeg.begin() + at, jpeg.end());
    return out;
}

int LargestDifference(const Target& t, const Picture& p, int w, int h) {
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(t.At(x, y)[1 + c] - p.rgb[(y * p.width + x) * 3 + c]));
    return worst;
}

TEST(ConvertFrame, MotionJpegDecodesToThePicture) {
    Picture p = MakePicture(64, 48);
    std::vector<uint8_t> jpeg = EncodeJpeg(p);
    Target t(64, 48);
    FrameConverter converter;
    ASSERT_TRUE(converter.Convert({CameraFormat::kMJPEG, jpeg.data(), jpeg.size(), 64, 48, 0}, t.Frame()));
    EXPECT_LE(LargestDifference(t, p, 64, 48), 8);
    EXPECT_TRUE(t.PaddingIntact());

    // The same frame without its Huffman tables, as webcams send it, decodes the same.
    std::vector<uint8_t> bare = WithoutHuffmanTables(jpeg);
    ASSERT_LT(bare.size(), jpeg.size());
    Target t2(64, 48);
    ASSERT_TRUE(converter.Convert({CameraFormat::kMJPEG, bare.data(), bare.size(), 64, 48, 0}, t2.Frame()));
    EXPECT_EQ(LargestDifference(t2, p, 64, 48), LargestDifference(t, p, 64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 1; c < 4; ++c) ASSERT_EQ(t2.At(x, y)[c], t.At(x, y)[c]);
}

TEST(ConvertFrame, MotionJpegFillsOnlyWhatTheTargetHolds) {
    Picture p = MakePicture(64, 48);
    std::vector<uint8_t> jpeg = EncodeJpeg(p);
    FrameConverter converter;
    Target small(40, 30);
    ASSERT_TRUE(converter.Convert({CameraFormat::kMJPEG, jpeg.data(), jpeg.size(), 64, 48, 0}, small.Frame()));
    EXPECT_LE(LargestDifference(small, p, 40, 30), 8);
    EXPECT_TRUE(small.PaddingIntact());
    Target large(70, 50);
    ASSERT_TRUE(converter.Convert({CameraFormat::kMJPEG, jpeg.data(), jpeg.size(), 64, 48, 0}, large.Frame()));
    EXPECT_LE(LargestDifference(large, p, 64, 48), 8);
    EXPECT_EQ(large.At(66, 10)[1], kPadding);  // beyond the picture: untouched
    EXPECT_EQ(large.At(10, 49)[1], kPadding);
}

TEST(ConvertFrame, DamagedMotionJpegIsRefusedOrShownAsFarAsItGoes) {
    Picture p = MakePicture(64, 48);
    std::vector<uint8_t> jpeg = EncodeJpeg(p);
    FrameConverter converter;
    Target t(64, 48);
    std::vector<uint8_t> noise(500);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 + 11);
    EXPECT_FALSE(converter.Convert({CameraFormat::kMJPEG, noise.data(), noise.size(), 64, 48, 0}, t.Frame()));
    // Cut off half way: whatever comes out, the converter stays usable.
    std::vector<uint8_t> half(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
    converter.Convert({CameraFormat::kMJPEG, half.data(), half.size(), 64, 48, 0}, t.Frame());
    EXPECT_FALSE(converter.Convert({CameraFormat::kMJPEG, jpeg.data(), 10, 64, 48, 0}, t.Frame()));
    ASSERT_TRUE(converter.Convert({CameraFormat::kMJPEG, jpeg.data(), jpeg.size(), 64, 48, 0}, t.Frame()));
    EXPECT_LE(LargestDifference(t, p, 64, 48), 8);
}

}  // namespace
