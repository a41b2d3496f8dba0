// Saved pictures are real picture files: ImageMagick and GraphicsMagick read them and
// give back exactly the frame's red, green and blue bytes. (Both readers mis-handle
// frames 1-2 and 63-66 pixels wide, so those widths are left to the byte-level tests.)
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/FileProcs.h"
#include "image/GWorldWrapper.h"
#include "platform/Pictures.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/PpmImage.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolboxFixture.h"

namespace {

// Stars, a gradient, flat black, pure colours and noise, with edges unlike their
// neighbours, so that packing and placement faults both show.
void PaintTestFrame(GWorldWrapper& frame, unsigned seed) {
    std::mt19937 random(seed);
    const Rect r = frame.GetDim();
    frame.StartUsingGWorld();
    FillFrame(frame, [&](int x, int y) -> Rgb {
        if (x == 0 || y == 0) return {255, 0, 0};
        if (x == r.right - 1 || y == r.bottom - 1) return {0, 0, 255};
        switch ((x / 5 + y / 3) % 4) {
            case 0: return {0, 0, 0};
            case 1: return {uint8_t(x), uint8_t(y), uint8_t(x + y)};
            case 2: return {uint8_t(random()), uint8_t(random()), uint8_t(random())};
            default: return {200, 255, 17};
        }
    });
    frame.FinishUsingGWorld();
}

std::vector<uint8_t> FrameRgb(GWorldWrapper& frame) {
    const Rect r = frame.GetDim();
    std::vector<uint8_t> rgb;
    frame.StartUsingGWorld();
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) {
            const Rgb c = GetPixel(frame, x, y);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    frame.FinishUsingGWorld();
    return rgb;
}

// Where two images first differ and how many pixels do.
std::string Difference(const std::vector<uint8_t>& want, const std::vector<uint8_t>& got, int width) {
    if (want.size() != got.size()) return "sizes differ";
    int differing = 0;
    std::ostringstream first;
    for (size_t p = 0; p + 2 < want.size(); p += 3) {
        if (want[p] == got[p] && want[p + 1] == got[p + 1] && want[p + 2] == got[p + 2]) continue;
        if (differing++ == 0) {
            const size_t pixel = p / 3;
            first << "first at x " << pixel % width << " y " << pixel / width << ": want " << int(want[p]) << ","
                  << int(want[p + 1]) << "," << int(want[p + 2]) << " got " << int(got[p]) << "," << int(got[p + 1])
                  << "," << int(got[p + 2]);
        }
    }
    return differing == 0 ? "" : std::to_string(differing) + " pixels differ, " + first.str();
}

class RealPictTest : public ToolboxTest {
protected:
    // Records frame as the picture saving does (a picture framed by the frame, clipped
    // to it, the frame copied into a window-sized port) and saves it.
    std::string SaveFrame(GWorldWrapper& frame, const std::string& name) {
        const Rect r = frame.GetDim();
        GWorldWrapper window(32, MakeRect(0, 0, 320, 240), -1);
        SetGWorld(window.GetGWorldPtr(), nullptr);
        PicHandle pic = OpenPicture(&r);
        ClipRect(&r);
        frame.CopyWorldBits(r);
        ClosePicture();
        Str255 pascalName;
        CtoPascal(name.c_str(), pascalName);
        FSSpec location;
        location.folder = folder_.path();
        const PictFileResult result = AutoPictToFile(pic, pascalName, location);
        KillPicture(pic);
        EXPECT_TRUE(result.Saved()) << DescribePictFileStatus(result.status);
        return folder_ / result.fileName;
    }

    // The picture file read back by a converter (argv before the file names).
    PpmImage Convert(std::vector<std::string> argv, const std::string& pict, const std::string& tag) {
        const std::string ppm = pict + "." + tag + ".ppm";
        argv.insert(argv.end(), {"PICT:" + pict, "-depth", "8", "PPM:" + ppm});
        const ChildResult run = RunChild(argv, std::chrono::seconds(60));
        PpmImage image = ReadPpm(ppm);
        if (!image.error.empty()) image.error += " (" + argv[0] + " said: " + run.output + ")";
        return image;
    }

    TempFolder folder_;
};

struct FrameSize {
    int width;
    int height;
};

TEST_F(RealPictTest, ImageMagickAndGraphicsMagickReadOurExactPixels) {
    ASSERT_TRUE(ProgramOnPath("convert")) << "ImageMagick is missing: run scripts/setup";
    ASSERT_TRUE(ProgramOnPath("gm")) << "GraphicsMagick is missing: run scripts/setup";
    // 62 and 67 pixels sit on either side of the change from byte to word row lengths.
    const FrameSize sizes[] = {{640, 480}, {160, 120}, {7, 5}, {62, 9}, {67, 9}, {3, 40}, {1280, 4}};
    unsigned seed = 1;
    for (const FrameSize s : sizes) {
        SCOPED_TRACE(std::to_string(s.width) + " x " + std::to_string(s.height));
        auto frame = MakeFrame(s.width, s.height);
        PaintTestFrame(*frame, seed++);
        const std::vector<uint8_t> want = FrameRgb(*frame);
        const std::string name = "Untitled-" + std::to_string(s.width) + "x" + std::to_string(s.height);
        const std::string pict = SaveFrame(*frame, name);
        using Converter = std::pair<std::string, std::vector<std::string>>;
        for (const auto& [tag, argv] : {Converter{"im", {"convert"}}, Converter{"gm", {"gm", "convert"}}}) {
            const PpmImage image = Convert(argv, pict, tag);
            ASSERT_EQ(image.error, "") << tag;
            EXPECT_EQ(image.width, s.width) << tag;
            EXPECT_EQ(image.height, s.height) << tag;
            EXPECT_EQ(Difference(want, image.rgb, s.width), "") << tag;
        }
    }
}

}  // namespace
