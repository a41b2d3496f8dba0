// Picture saving: the names, the header dialog, the picture folder, the picture files
// with the raw or the long-exposure frame, the negative and the name in the raw frame
// window, a taken name going on to the next number, and a failed save shown as such.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "tests/support/FramePipelineFixture.h"
#include "tests/support/PictParser.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

Point Center(const Rect& r) { return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)}; }

class PictureSavingTest : public FramePipelineTest {
protected:
    std::string NextName(double seconds = 0.0) {
        Str255 name;
        group_->BuildSavePictureFileName(name, seconds);
        return PascalToString(name);
    }
    void Type(const std::string& text) {
        for (char c : text) host().PushKeyDown(static_cast<unsigned char>(c));
    }
    // The folder chooser answered with a typed path.
    bool ChoosePictureFolder(const std::string& path) {
        host().PushKeyDown('a', cmdKey);
        Type(path);
        host().PushKeyDown(kReturnCharCode);
        return group_->SetSavePictureLocation();
    }
    // The header dialog answered: typed text replaces the header; the check box is
    // turned off first when keepCount.
    void AnswerHeaderDialog(const std::string& header, bool keepCount) {
        if (keepCount) {
            DialogPtr probe = GetNewDialog(130, nullptr, kInFront);
            Rect box;
            GetDialogItem(probe, 3, nullptr, nullptr, &box);
            const Point origin = GetDialogWindow(probe)->origin;
            DisposeDialog(probe);
            host().PushMouseDown(Center(OffsetRectCopy(box, origin.h, origin.v)));
        }
        host().PushKeyDown('a', cmdKey);
        if (header.empty()) host().PushKeyDown(kBackspaceCharCode);
        Type(header);
        host().PushKeyDown(kReturnCharCode);
        group_->GetSavePictureFileHeader();
    }
    // The picture block of a picture file, read back.
    static ParsedPicture ReadPictureFile(const std::string& path) {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        EXPECT_GE(bytes.size(), 512u) << path;
        if (bytes.size() < 512) return {};
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 512), std::vector<uint8_t>(512, 0));
        return ParsePicture(std::vector<uint8_t>(bytes.begin() + 512, bytes.end()));
    }
    static std::vector<uint8_t> FrameRgb(GWorldWrapper& frame) {
        std::vector<uint8_t> rgb;
        const Rect r = frame.GetDim();
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) {
                const Rgb c = GetPixel(frame, x, y);
                rgb.insert(rgb.end(), {c.r, c.g, c.b});
            }
        return rgb;
    }
    int CountWindowPixels(WindowPtr w, Rgb colour) {
        const Rect r = WindowSize(w);
        int n = 0;
        for (int v = 0; v < r.bottom; ++v)
            for (int h = 0; h < r.right; ++h) n += WindowPixel(w, h, v) == colour;
        return n;
    }

    TempFolder folder_;
};

TEST_F(PictureSavingTest, StartsWithUntitledTheApplicationsFolderAndNumberZero) {
    Build(64, 48);
    FSSpec app;
    GetAppFSSpec(&app);
    EXPECT_EQ(group_->GetSavePictureLocation().folder, app.folder);
    EXPECT_EQ(group_->GetSavePictureFileHeaderText(), "Untitled");
    EXPECT_EQ(group_->GetSavePictureCount(), 0);
}

TEST_F(PictureSavingTest, NamesCarryTheHeaderTheNumberAndTheSeconds) {
    Build(64, 48);
    struct Case {
        int count;
        double seconds;
        const char* name;
    };
    const Case cases[] = {
        {0, 0.0, "Untitled-000"},        {1, 0.0, "Untitled-001"},         {7, 30.6, "Untitled-007-30secs"},
        {12, 0.4, "Untitled-012-0secs"}, {13, -2.0, "Untitled-013"},       {99, 0.0, "Untitled-099"},
        {100, 0.0, "Untitled-100"},      {1000, 59.99, "Untitled-1000-59secs"},
    };
    for (const Case& c : cases) {
        while (group_->GetSavePictureCount() < c.count) NextName();
        EXPECT_EQ(NextName(c.seconds), c.name);
        EXPECT_EQ(group_->GetSavePictureCount(), c.count + 1);
    }
}

TEST_F(PictureSavingTest, TheHeaderDialogSetsTheHeaderAndItsCheckBoxRestartsTheNumbering) {
    Build(64, 48);
    for (int i = 0; i < 5; ++i) NextName();
    AnswerHeaderDialog("Jupiter", false);
    EXPECT_EQ(group_->GetSavePictureFileHeaderText(), "Jupiter");
    EXPECT_EQ(NextName(), "Jupiter-000");
    AnswerHeaderDialog("Saturn", true);  // the box turned off: the numbering goes on
    EXPECT_EQ(NextName(), "Saturn-001");
    AnswerHeaderDialog("", false);
    EXPECT_EQ(group_->GetSavePictureFileHeaderText(), "");
    EXPECT_EQ(NextName(), "000");
    EXPECT_EQ(NextName(12.0), "001-12secs");
    while (group_->GetSavePictureCount() < 1234) NextName();
    EXPECT_EQ(NextName(), "1234");
}

TEST_F(PictureSavingTest, AHeaderIsMendedAndGivesWayToTheNumberAndSeconds) {
    Build(64, 48);
    AnswerHeaderDialog("M31/M32", false);
    EXPECT_EQ(NextName(), "M31_M32-000");
    const std::string longHeader(80, 'J');
    AnswerHeaderDialog(longHeader, false);
    const std::string name = NextName(1234.5);
    EXPECT_EQ(name, std::string(kMaxFileNameLength - 13, 'J') + "-000-1234secs");
    EXPECT_EQ(name.size(), static_cast<size_t>(kMaxFileNameLength));
}

TEST_F(PictureSavingTest, ChoosingAFolderOrCancellingIt) {
    Build(64, 48);
    const FSSpec before = group_->GetSavePictureLocation();
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_FALSE(group_->SetSavePictureLocation());
    EXPECT_EQ(group_->GetSavePictureLocation().folder, before.folder);
    EXPECT_TRUE(ChoosePictureFolder(folder_.path()));
    EXPECT_EQ(group_->GetSavePictureLocation().folder, folder_.path());
}

// Stars on a grey sky, distinct in each channel, so the picture shows which frame it is.
Rgb SkyPixel(int x, int y) {
    if ((x * 7 + y * 3) % 53 == 0) return Rgb{250, 240, 230};
    return Rgb{uint8_t(100 + x % 7), uint8_t(100 + y % 5), 100};
}

TEST_F(PictureSavingTest, APictureOfTheRawFrameIsSavedWithABeepAndShownAsANegativeWithItsName) {
    Build(640, 480);
    FillFrame(*raw_, SkyPixel);
    ASSERT_TRUE(ChoosePictureFolder(folder_.path()));
    host().ResetBeeps();
    const PictFileResult result = group_->SavePresentPicture(0.0);
    EXPECT_TRUE(result.Saved()) << DescribePictFileStatus(result.status);
    EXPECT_EQ(result.fileName, "Untitled-000.pict");
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(folder_.Names(), std::vector<std::string>{"Untitled-000.pict"});

    const ParsedPicture p = ReadPictureFile(folder_ / "Untitled-000.pict");
    ASSERT_EQ(p.error, "");
    EXPECT_EQ(p.frame, MakeRect(0, 0, 640, 480));
    EXPECT_EQ(p.clips, std::vector<Rect>{MakeRect(0, 0, 640, 480)});
    ASSERT_EQ(p.copies.size(), 1u);
    EXPECT_EQ(p.copies[0].dstRect, MakeRect(0, 0, 640, 480));
    EXPECT_TRUE(p.copies[0].rgb == FrameRgb(*raw_)) << "the picture is the raw frame at full size";

    // The raw window (a quarter of the frame) shows the negative away from the name.
    WindowPtr window = group_->GetRawFrameWindow();
    const Rgb frame = GetPixel(*raw_, 14, 14);  // the pixel the window's (3, 3) samples
    EXPECT_EQ(WindowPixel(window, 3, 3), (Rgb{uint8_t(255 - frame.r), uint8_t(255 - frame.g), uint8_t(255 - frame.b)}));
    EXPECT_EQ(CountWindowPixels(window, Rgb{255, 0, 0}), 0) << "no failure notice";
    // Drawing goes on as before afterwards.
    GrafPtr port = nullptr;
    GetPort(&port);
    EXPECT_EQ(port->fgColor, (RGBColor{0, 0, 0}));
    EXPECT_EQ(port->txSize, 12);
    EXPECT_EQ(port->txFace, normal);
}

// The name across a 160 x 120 raw window: the largest size from 35 in steps of 5 whose
// width is at most 140, centred, white with a black copy one pixel right and down.
TEST_F(PictureSavingTest, TheNameIsDrawnAtTheLargestSizeThatFitsTheWindow) {
    Build(640, 480);
    FillFrame(*raw_, Rgb{128, 128, 128});
    ASSERT_TRUE(ChoosePictureFolder(folder_.path()));
    ASSERT_TRUE(group_->SavePresentPicture(0.0).Saved());

    GWorldWrapper reference(32, MakeRect(0, 0, 160, 120), -1);
    reference.StartUsingGWorld();
    FillFrame(reference, Rgb{127, 127, 127});  // the negative of the grey frame
    Str255 name;
    CtoPascal("Untitled-000", name);
    TextFace(bold);
    int size = 35;
    TextSize(size);
    while (StringWidth(name) > 140) TextSize(size -= 5);
    EXPECT_LT(size, 35);
    const int width = StringWidth(name);
    ForeColor(whiteColor);
    MoveTo(80 - width / 2, 72);
    DrawString(name);
    ForeColor(blackColor);
    MoveTo(80 - width / 2 + 1, 73);
    DrawString(name);
    reference.FinishUsingGWorld();

    WindowPtr window = group_->GetRawFrameWindow();
    ASSERT_EQ(WindowSize(window), MakeRect(0, 0, 160, 120));
    int differing = 0;
    for (int v = 0; v < 120; ++v)
        for (int h = 0; h < 160; ++h) differing += WindowPixel(window, h, v) != GetPixel(reference, h, v);
    EXPECT_EQ(differing, 0);
}

TEST_F(PictureSavingTest, WithALongExposureRectangleThePictureIsTheLongExposureFrame) {
    Build(64, 48);
    FillFrame(*raw_, Rgb{10, 20, 30});
    FillFrame(*longExposure_, SkyPixel);
    processor_->SetAutoDetectLongExposureRect(MakeRect(20, 10, 30, 20), dataWindow_.get());
    ASSERT_TRUE(ChoosePictureFolder(folder_.path()));
    const PictFileResult result = group_->SavePresentPicture(30.6);
    ASSERT_TRUE(result.Saved());
    EXPECT_EQ(result.fileName, "Untitled-000-30secs.pict");
    const ParsedPicture p = ReadPictureFile(folder_ / result.fileName);
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.copies.size(), 1u);
    EXPECT_EQ(p.frame, MakeRect(0, 0, 64, 48));
    EXPECT_TRUE(p.copies[0].rgb == FrameRgb(*longExposure_));
}

// After the numbering was reset the names of the night's first pictures are taken:
// the next free number is used and the earlier pictures stay as they were.
TEST_F(PictureSavingTest, AfterAResetATakenNameGoesOnToTheNextFreeNumber) {
    Build(64, 48);
    ASSERT_TRUE(ChoosePictureFolder(folder_.path()));
    FillFrame(*raw_, SkyPixel);
    ASSERT_TRUE(group_->SavePresentPicture(0.0).Saved());
    FillFrame(*raw_, Rgb{1, 2, 3});
    ASSERT_TRUE(group_->SavePresentPicture(0.0).Saved());
    const std::vector<uint8_t> first = ReadFileBytes(folder_ / "Untitled-000.pict");
    const std::vector<uint8_t> second = ReadFileBytes(folder_ / "Untitled-001.pict");
    AnswerHeaderDialog("Untitled", false);  // the box left on: the numbering restarts
    ASSERT_EQ(group_->GetSavePictureCount(), 0);

    FillFrame(*raw_, Rgb{9, 9, 9});
    host().ResetBeeps();
    const PictFileResult result = group_->SavePresentPicture(0.0);
    EXPECT_TRUE(result.Saved());
    EXPECT_EQ(result.fileName, "Untitled-002.pict");
    EXPECT_EQ(group_->GetSavePictureCount(), 3);
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(ReadFileBytes(folder_ / "Untitled-000.pict"), first);
    EXPECT_EQ(ReadFileBytes(folder_ / "Untitled-001.pict"), second);
    const ParsedPicture p = ReadPictureFile(folder_ / "Untitled-002.pict");
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.copies.size(), 1u);
    EXPECT_TRUE(p.copies[0].rgb == FrameRgb(*raw_));
}

TEST_F(PictureSavingTest, AFailedSaveIsShownAsNotSavedWithThreeBeepsAndLeavesNoFile) {
    Build(640, 480);
    FillFrame(*raw_, Rgb{128, 128, 128});
    const std::string night = folder_ / "night";
    fs::create_directory(night);
    ASSERT_TRUE(ChoosePictureFolder(night));
    fs::remove(night);  // the disk was unplugged
    host().ResetBeeps();
    const PictFileResult result = group_->SavePresentPicture(12.0);
    EXPECT_EQ(result.status, PictFileStatus::kFolderMissing);
    EXPECT_EQ(host().Beeps(), 3);
    EXPECT_TRUE(folder_.Names().empty());
    EXPECT_EQ(group_->GetSavePictureCount(), 1);  // the number is used up
    // "NOT saved" in red across the negative.
    EXPECT_GT(CountWindowPixels(group_->GetRawFrameWindow(), Rgb{255, 0, 0}), 20);
    EXPECT_EQ(WindowPixel(group_->GetRawFrameWindow(), 2, 2), (Rgb{127, 127, 127}));

    // The next frame redraws the window; a folder that is back takes pictures again.
    fs::create_directory(night);
    host().ResetBeeps();
    EXPECT_TRUE(group_->SavePresentPicture(12.0).Saved());
    EXPECT_EQ(host().Beeps(), 1);
    EXPECT_EQ(TempFolder::NamesIn(night), std::vector<std::string>{"Untitled-001-12secs.pict"});
}

}  // namespace
