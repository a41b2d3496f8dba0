// Recorded pictures: the PackBits packing, the byte layout of version-2 pictures with
// direct pixels, and OpenPicture/ClosePicture recording the copies into a port.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/PictWriter.h"
#include "platform/Pictures.h"
#include "platform/QuickDraw.h"
#include "platform/Windows.h"
#include "tests/support/PictParser.h"
#include "tests/support/TestPort.h"
#include "tests/support/ToolboxFixture.h"

namespace {

std::vector<uint8_t> Pack(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    AppendPackBits(data.data(), data.size(), &out);
    return out;
}

std::vector<uint8_t> Repeat(size_t n, uint8_t b) { return std::vector<uint8_t>(n, b); }

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(PackBitsTest, KnownFormsOfRunsAndLiterals) {
    std::vector<uint8_t> ascending(130);
    for (size_t i = 0; i < ascending.size(); ++i) ascending[i] = static_cast<uint8_t>(i);
    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        std::vector<uint8_t> packed;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"one byte", {9}, {0x00, 9}},
        {"a pair stays literal", {4, 4}, {0x01, 4, 4}},
        {"three equal make a run", {7, 7, 7}, {0xFE, 7}},
        {"literal then run", {1, 2, 5, 5, 5, 5}, {0x01, 1, 2, 0xFD, 5}},
        {"run then literal", {5, 5, 5, 1}, {0xFE, 5, 0x00, 1}},
        {"longest run", Repeat(128, 3), {0x81, 3}},
        {"a run of 130 splits", Repeat(130, 0), {0x81, 0, 0x01, 0, 0}},
        {"a literal of 130 splits",
         ascending,
         Join({{0x7F}, std::vector<uint8_t>(ascending.begin(), ascending.begin() + 128), {0x01, 128, 129}})},
    };
    for (const Case& c : cases) EXPECT_EQ(Pack(c.data), c.packed) << c.what;
}

TEST(PackBitsTest, RandomRowsUnpackToThemselvesWithinTheWorstCase) {
    std::mt19937 random(7);
    for (int n : {1, 2, 3, 127, 128, 129, 255, 640, 1920}) {
        for (int flatness : {0, 3, 50}) {  // how often a byte repeats the one before
            std::vector<uint8_t> data(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) {
                const bool repeat = i > 0 && static_cast<int>(random() % 64) < flatness;
                data[i] = repeat ? data[i - 1] : static_cast<uint8_t>(random() % 4);
            }
            const std::vector<uint8_t> packed = Pack(data);
            std::vector<uint8_t> back;
            ASSERT_TRUE(UnpackBitsForTest(packed.data(), packed.size(), data.size(), &back)) << n;
            EXPECT_EQ(back, data) << n;
            EXPECT_LE(packed.size(), data.size() + (data.size() + 127) / 128) << n;
        }
    }
}

// 32-bit pixels in memory order, with a padded row stride as the toolbox allocates.
struct Pixels {
    int width, height, rowBytes;
    std::vector<uint8_t> bytes;
    Pixels(int w, int h) : width(w), height(h), rowBytes(4 * w + 12), bytes(static_cast<size_t>(rowBytes) * h, 0xEE) {}
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &bytes[static_cast<size_t>(y) * rowBytes + 4 * x];
        p[0] = 0xAB;  // the unused byte is not part of the picture
        p[1] = r;
        p[2] = g;
        p[3] = b;
    }
    std::vector<uint8_t> Rgb() const {
        std::vector<uint8_t> rgb;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = &bytes[static_cast<size_t>(y) * rowBytes + 4 * x];
                rgb.insert(rgb.end(), p + 1, p + 4);
            }
        return rgb;
    }
    DirectPixels View() const { return {bytes.data(), rowBytes, MakeRect(0, 0, width, height)}; }
};

Pixels Noise(int w, int h, unsigned seed) {
    Pixels p(w, h);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Flat stretches and noise, so rows hold both runs and literals.
            const bool flat = (x / 9 + y) % 3 == 0;
            p.Set(x, y, flat ? 40 : uint8_t(random()), flat ? 40 : uint8_t(random()), uint8_t(x * 7 + y));
        }
    return p;
}

TEST(PictWriterTest, HeaderBytesOfAVersionTwoPicture) {
    PictWriter writer(MakeRect(0, 0, 7, 5));
    const std::vector<uint8_t> bytes = writer.Finish();
    const std::vector<uint8_t> expected = {
        0x00, 0x2A,                                      // size: 42 bytes in all
        0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x07,  // frame: top, left, bottom, right
        0x00, 0x11, 0x02, 0xFF,                          // version 2
        0x0C, 0x00,                                      // header opcode
        0xFF, 0xFF, 0xFF, 0xFF,                          // header version -1
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // left 0.0, top 0.0
        0x00, 0x07, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00,  // right 7.0, bottom 5.0
        0x00, 0x00, 0x00, 0x00,                          // reserved
        0x00, 0xFF,                                      // end of picture
    };
    EXPECT_EQ(bytes, expected);
}

TEST(PictWriterTest, ClipAndDirectBitsOfASmallFrame) {
    const Pixels pixels = Noise(7, 5, 1);
    const Rect frame = MakeRect(0, 0, 7, 5);
    PictWriter writer(frame);
    writer.AddClipRect(frame);
    ASSERT_TRUE(writer.AddDirectBits(pixels.View(), frame, frame, ditherCopy));
    const std::vector<uint8_t> bytes = writer.Finish();

    // The clip region follows the 40-byte start: opcode, size 10, its box.
    const std::vector<uint8_t> clip = {0x00, 0x01, 0x00, 0x0A, 0, 0, 0, 0, 0, 5, 0, 7, 0x00, 0x9A};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 40, bytes.begin() + 54), clip);

    const ParsedPicture p = ParsePicture(bytes);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.sizeWord, bytes.size());
    EXPECT_EQ(p.opcodes, (std::vector<uint16_t>{0x0001, 0x009A, 0x00FF}));
    ASSERT_EQ(p.copies.size(), 1u);
    const ParsedDirectBits& d = p.copies[0];
    EXPECT_EQ(d.baseAddr, 0x000000FFu);
    EXPECT_EQ(d.rowBytesWord, 0x8000 | 28);
    EXPECT_EQ(d.bounds, frame);
    EXPECT_EQ(d.packType, 4);
    EXPECT_EQ(d.hRes, 0x00480000u);
    EXPECT_EQ(d.vRes, 0x00480000u);
    EXPECT_EQ(d.pixelType, 16);
    EXPECT_EQ(d.pixelSize, 32);
    EXPECT_EQ(d.cmpCount, 3);
    EXPECT_EQ(d.cmpSize, 8);
    EXPECT_EQ(d.pmTable, 0u);
    EXPECT_EQ(d.srcRect, frame);
    EXPECT_EQ(d.dstRect, frame);
    EXPECT_EQ(d.mode, ditherCopy);
    EXPECT_FALSE(d.wordByteCounts);
    EXPECT_EQ(d.rgb, pixels.Rgb());
}

TEST(PictWriterTest, RowLengthsAreBytesUpTo62PixelsAndWordsBeyond) {
    struct Case {
        int width;
        bool words;
        uint16_t packType;
    };
    // 62 pixels: 248 row bytes; 63: 252, beyond 250. One pixel (4 bytes) is not packed.
    for (const Case c : {Case{1, false, 1}, Case{2, false, 4}, Case{62, false, 4}, Case{63, true, 4},
                         Case{67, true, 4}, Case{640, true, 4}}) {
        const Pixels pixels = Noise(c.width, 3, static_cast<unsigned>(c.width));
        const Rect r = MakeRect(0, 0, c.width, 3);
        PictWriter writer(r);
        ASSERT_TRUE(writer.AddDirectBits(pixels.View(), r, r, srcCopy));
        const std::vector<uint8_t> bytes = writer.Finish();
        const ParsedPicture p = ParsePicture(bytes);
        ASSERT_EQ(p.error, "") << c.width;
        ASSERT_EQ(p.copies.size(), 1u);
        EXPECT_EQ(p.copies[0].wordByteCounts, c.words) << c.width;
        EXPECT_EQ(p.copies[0].packType, c.packType) << c.width;
        EXPECT_EQ(p.copies[0].rgb, pixels.Rgb()) << c.width;
        EXPECT_EQ(bytes.size() % 2, 0u) << c.width;
    }
}

TEST(PictWriterTest, BigPicturesKeepTheLow16BitsOfTheirSize) {
    const Pixels pixels = Noise(640, 480, 3);
    const Rect r = MakeRect(0, 0, 640, 480);
    PictWriter writer(r);
    ASSERT_TRUE(writer.AddDirectBits(pixels.View(), r, r, srcCopy));
    const std::vector<uint8_t> bytes = writer.Finish();
    ASSERT_GT(bytes.size(), 65535u);
    const ParsedPicture p = ParsePicture(bytes);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.sizeWord, bytes.size() & 0xFFFF);
    EXPECT_EQ(p.copies[0].rgb, pixels.Rgb());
}

TEST(PictWriterTest, FlatFramesPackSmall) {
    Pixels pixels(640, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) pixels.Set(x, y, 0, 0, 0);
    const Rect r = MakeRect(0, 0, 640, 480);
    PictWriter writer(r);
    ASSERT_TRUE(writer.AddDirectBits(pixels.View(), r, r, srcCopy));
    // Each row: a word count and three components of 640 in five runs each (10 bytes).
    EXPECT_EQ(writer.Finish().size(), 40u + 2 + 50 + 8 + 8 + 2 + 480u * (2 + 30) + 2);
}

TEST(PictWriterTest, RowsTooWideForTheFormatAreRefused) {
    const int width = PictWriter::kMaxRowBytes / 4 + 1;
    Pixels pixels(width, 1);
    const Rect r = MakeRect(0, 0, width, 1);
    PictWriter writer(r);
    EXPECT_FALSE(writer.AddDirectBits(pixels.View(), r, r, srcCopy));
    const ParsedPicture p = ParsePicture(writer.Finish());
    EXPECT_EQ(p.error, "");
    EXPECT_TRUE(p.copies.empty());
}

class PictureRecordingTest : public ToolboxTest {};

void FillNoise(TestPort& port, unsigned seed) {
    std::mt19937 random(seed);
    const Rect b = port.pixMap()->bounds;
    for (int v = b.top; v < b.bottom; ++v)
        for (int h = b.left; h < b.right; ++h)
            port.Set(h, v, {uint8_t(random()), uint8_t(random()), uint8_t(random())});
}

std::vector<uint8_t> RgbOf(const TestPort& port, const Rect& r) {
    std::vector<uint8_t> rgb;
    for (int v = r.top; v < r.bottom; ++v)
        for (int h = r.left; h < r.right; ++h) {
            const Rgb c = port.At(h, v);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    return rgb;
}

TEST_F(PictureRecordingTest, CopiesIntoTheCurrentPortAreRecordedNotDrawn) {
    TestPort frame(9, 6);
    FillNoise(frame, 11);
    TestPort window(12, 8);
    window.Fill({0, 0, 255});
    window.MakeCurrent();
    const Rect r = MakeRect(0, 0, 9, 6);

    PicHandle pic = OpenPicture(&r);
    ASSERT_NE(pic, nullptr);
    EXPECT_NE(window.port()->picture, nullptr);
    ClipRect(&r);
    CopyBits(frame.pixMap(), window.pixMap(), &r, &r, ditherCopy, nullptr);
    ClosePicture();

    EXPECT_EQ(window.port()->picture, nullptr);
    EXPECT_EQ(pic->picFrame, r);
    EXPECT_EQ(GetHandleSize(pic), static_cast<int32_t>(pic->data.size()));
    const ParsedPicture p = ParsePicture(pic->data);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.frame, r);
    EXPECT_EQ(p.clips, std::vector<Rect>{r});
    ASSERT_EQ(p.copies.size(), 1u);
    EXPECT_EQ(p.copies[0].srcRect, r);
    EXPECT_EQ(p.copies[0].dstRect, r);
    EXPECT_EQ(p.copies[0].mode, ditherCopy);
    EXPECT_EQ(p.copies[0].rgb, RgbOf(frame, r));
    // The window was not drawn into while the picture was open.
    for (int v = 0; v < 8; ++v)
        for (int h = 0; h < 12; ++h) ASSERT_EQ(window.At(h, v), (Rgb{0, 0, 255})) << h << "," << v;
    EXPECT_TRUE(window.PaddingIntact());
    KillPicture(pic);

    // Once the picture is closed, copies draw again.
    CopyBits(frame.pixMap(), window.pixMap(), &r, &r, ditherCopy, nullptr);
    EXPECT_EQ(RgbOf(window, r), RgbOf(frame, r));
}

TEST_F(PictureRecordingTest, CopiesIntoOtherPortsStillDraw) {
    TestPort frame(4, 4);
    FillNoise(frame, 2);
    TestPort recorded(4, 4);
    TestPort other(4, 4);
    recorded.MakeCurrent();
    const Rect r = MakeRect(0, 0, 4, 4);
    PicHandle pic = OpenPicture(&r);
    CopyBits(frame.pixMap(), other.pixMap(), &r, &r, srcCopy, nullptr);
    ClosePicture();
    EXPECT_EQ(RgbOf(other, r), RgbOf(frame, r));
    const ParsedPicture p = ParsePicture(pic->data);
    ASSERT_EQ(p.error, "");
    EXPECT_TRUE(p.copies.empty());
    EXPECT_TRUE(p.clips.empty());
    KillPicture(pic);
}

TEST_F(PictureRecordingTest, ScaledCopiesKeepTheirRectanglesAndTheClipIsRecordedWhenItChanges) {
    TestPort frame(8, 6);
    FillNoise(frame, 5);
    TestPort window(20, 20);
    window.MakeCurrent();
    const Rect frameRect = MakeRect(0, 0, 20, 20);
    const Rect whole = MakeRect(0, 0, 8, 6);
    const Rect part = MakeRect(2, 1, 6, 5);
    const Rect big = MakeRect(0, 0, 16, 12);
    const Rect clip = MakeRect(1, 1, 15, 11);
    PicHandle pic = OpenPicture(&frameRect);
    ClipRect(&clip);
    CopyBits(frame.pixMap(), window.pixMap(), &whole, &big, ditherCopy, nullptr);
    CopyBits(frame.pixMap(), window.pixMap(), &part, &part, srcCopy, nullptr);  // same clip
    ClipRect(&frameRect);
    CopyBits(frame.pixMap(), window.pixMap(), &part, &whole, srcCopy, nullptr);
    ClosePicture();
    const ParsedPicture p = ParsePicture(pic->data);
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.opcodes, (std::vector<uint16_t>{0x0001, 0x009A, 0x009A, 0x0001, 0x009A, 0x00FF}));
    EXPECT_EQ(p.clips, (std::vector<Rect>{clip, frameRect}));
    ASSERT_EQ(p.copies.size(), 3u);
    EXPECT_EQ(p.copies[0].bounds, whole);
    EXPECT_EQ(p.copies[0].dstRect, big);
    EXPECT_EQ(p.copies[0].rgb, RgbOf(frame, whole));
    EXPECT_EQ(p.copies[1].bounds, part);
    EXPECT_EQ(p.copies[1].srcRect, part);
    EXPECT_EQ(p.copies[1].rgb, RgbOf(frame, part));
    EXPECT_EQ(p.copies[2].dstRect, whole);
    KillPicture(pic);
}

TEST_F(PictureRecordingTest, ThePortsColoursApplyAsTheCopyWouldDrawThem) {
    TestPort frame(3, 2);
    frame.Set(0, 0, {0, 0, 0});
    frame.Set(1, 0, {255, 255, 255});
    frame.Set(2, 0, {10, 200, 30});
    frame.Set(0, 1, {255, 0, 0});
    frame.Set(1, 1, {0, 255, 0});
    frame.Set(2, 1, {1, 2, 3});
    TestPort window(3, 2);
    window.MakeCurrent();
    ForeColor(whiteColor);
    BackColor(blackColor);
    const Rect r = MakeRect(0, 0, 3, 2);
    PicHandle pic = OpenPicture(&r);
    CopyBits(frame.pixMap(), window.pixMap(), &r, &r, ditherCopy, nullptr);
    ClosePicture();
    const ParsedPicture p = ParsePicture(pic->data);
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.copies.size(), 1u);
    // White on black: the negative.
    EXPECT_EQ(p.copies[0].rgb, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 245, 55, 225,  //
                                                     0, 255, 255, 255, 0, 255, 254, 253, 252}));
    KillPicture(pic);
}

TEST_F(PictureRecordingTest, OneBitSourcesAndPixelsBeyondTheSourceAreBlackAndWhite) {
    TestPort mask(8, 1, 1);
    mask.SetBit(0, 0, true);
    mask.SetBit(2, 0, true);
    TestPort window(10, 1);
    window.MakeCurrent();
    const Rect r = MakeRect(0, 0, 10, 1);
    PicHandle pic = OpenPicture(&r);
    CopyBits(mask.pixMap(), window.pixMap(), &r, &r, srcCopy, nullptr);  // two columns past the mask
    ClosePicture();
    const ParsedPicture p = ParsePicture(pic->data);
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.copies.size(), 1u);
    std::vector<uint8_t> expected(30, 255);
    for (int i = 0; i < 3; ++i) expected[i] = expected[6 + i] = 0;
    EXPECT_EQ(p.copies[0].rgb, expected);
    KillPicture(pic);
}

TEST_F(PictureRecordingTest, APictureWithoutCopiesHoldsItsHeaderAndEnd) {
    TestPort window(4, 4);
    window.MakeCurrent();
    const Rect r = MakeRect(0, 0, 4, 4);
    PicHandle pic = OpenPicture(&r);
    EXPECT_EQ(GetHandleSize(pic), 0);  // nothing until it is closed
    ClosePicture();
    EXPECT_EQ(GetHandleSize(pic), 42);
    const ParsedPicture p = ParsePicture(pic->data);
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.opcodes, std::vector<uint16_t>{0x00FF});
    ClosePicture();  // nothing open: nothing happens
    EXPECT_EQ(GetHandleSize(pic), 42);
    KillPicture(pic);
    EXPECT_EQ(GetHandleSize(nullptr), 0);
}

TEST_F(PictureRecordingTest, WithoutACurrentPortNoPictureOpens) {
    SetPort(nullptr);
    const Rect r = MakeRect(0, 0, 4, 4);
    EXPECT_EQ(OpenPicture(&r), nullptr);
}

TEST_F(PictureRecordingTest, KillingAnOpenPictureStopsTheRecording) {
    TestPort frame(4, 4);
    FillNoise(frame, 9);
    TestPort window(4, 4);
    window.MakeCurrent();
    const Rect r = MakeRect(0, 0, 4, 4);
    PicHandle pic = OpenPicture(&r);
    KillPicture(pic);
    EXPECT_EQ(window.port()->picture, nullptr);
    CopyBits(frame.pixMap(), window.pixMap(), &r, &r, srcCopy, nullptr);
    EXPECT_EQ(RgbOf(window, r), RgbOf(frame, r));
}

TEST_F(PictureRecordingTest, OpeningASecondPictureEndsTheFirst) {
    TestPort first(4, 4);
    TestPort second(4, 4);
    const Rect r = MakeRect(0, 0, 4, 4);
    first.MakeCurrent();
    PicHandle a = OpenPicture(&r);
    second.MakeCurrent();
    PicHandle b = OpenPicture(&r);
    EXPECT_EQ(first.port()->picture, nullptr);
    EXPECT_NE(second.port()->picture, nullptr);
    EXPECT_EQ(ParsePicture(a->data).error, "");
    ClosePicture();
    EXPECT_EQ(ParsePicture(b->data).error, "");
    KillPicture(a);
    KillPicture(b);
}

TEST_F(PictureRecordingTest, DisposingThePortEndsItsPicture) {
    GWorldPtr world = nullptr;
    const Rect r = MakeRect(0, 0, 5, 5);
    ASSERT_EQ(NewGWorld(&world, 32, &r, nullptr, nullptr, 0), noErr);
    SetGWorld(world, nullptr);
    PicHandle pic = OpenPicture(&r);
    DisposeGWorld(world);
    EXPECT_EQ(ParsePicture(pic->data).error, "");
    ClosePicture();
    KillPicture(pic);
}

TEST_F(PictureRecordingTest, ClosingAWindowEndsItsPicture) {
    WindowTemplate t;
    t.bounds = MakeRect(40, 60, 80, 90);
    t.title = "recorded";
    WindowPtr w = NewWindowFromTemplate(t, WindowRole::kDocument, kInFront);
    SetPort(w);
    const Rect r = MakeRect(0, 0, 40, 30);
    PicHandle pic = OpenPicture(&r);
    DisposeWindow(w);
    EXPECT_EQ(ParsePicture(pic->data).error, "");
    KillPicture(pic);
}

}  // namespace
