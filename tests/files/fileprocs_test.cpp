// The file procedures: picture files written whole and never over another file,
// failures reported with nothing left behind, names mended, the next free name, the
// length-prefixed string helpers, the application's folder and choosing a folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/FileProcs.h"
#include "platform/Events.h"
#include "platform/Windows.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolboxFixture.h"

namespace fs = std::filesystem;

namespace {

// Picture bytes with a recognisable pattern (the file layer does not look inside).
Picture MakePicture(size_t size) {
    Picture pic;
    pic.data.resize(size);
    for (size_t i = 0; i < size; ++i) pic.data[i] = static_cast<uint8_t>(i * 7 + 1);
    return pic;
}

std::vector<unsigned char> P(const std::string& s) {
    std::vector<unsigned char> p(256, 0);
    CopyCStringToPascal(s, p.data());
    return p;
}

FSSpec In(const std::string& folder) {
    FSSpec spec;
    spec.folder = folder;
    return spec;
}

TEST(AutoPictToFileTest, TheFileIsTheZeroHeaderThenThePictureBlock) {
    TempFolder folder;
    Picture pic = MakePicture(1001);
    const PictFileResult r = AutoPictToFile(&pic, P("Untitled-000").data(), In(folder.path()));
    ASSERT_EQ(r.status, PictFileStatus::kSaved) << r.systemError;
    EXPECT_TRUE(r.Saved());
    EXPECT_EQ(r.fileName, "Untitled-000.pict");
    const std::vector<uint8_t> bytes = ReadFileBytes(folder / "Untitled-000.pict");
    ASSERT_EQ(bytes.size(), 512u + 1001u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 512), std::vector<uint8_t>(512, 0));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 512, bytes.end()), pic.data);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Untitled-000.pict"});
}

TEST(AutoPictToFileTest, AnExistingNameIsNeverTouched) {
    TempFolder folder;
    WriteFileText(folder / "Untitled-000.pict", "an earlier picture");
    fs::create_directory(folder / "Untitled-001.pict");
    fs::create_symlink(folder / "elsewhere", folder / "Untitled-002.pict");  // leads nowhere
    Picture pic = MakePicture(100);
    for (const char* name : {"Untitled-000", "Untitled-001", "Untitled-002"}) {
        const PictFileResult r = AutoPictToFile(&pic, P(name).data(), In(folder.path()));
        EXPECT_EQ(r.status, PictFileStatus::kNameTaken) << name;
        EXPECT_FALSE(r.Saved());
    }
    const std::vector<uint8_t> kept = ReadFileBytes(folder / "Untitled-000.pict");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "an earlier picture");
    EXPECT_TRUE(fs::is_directory(folder / "Untitled-001.pict"));
    EXPECT_TRUE(fs::is_empty(folder / "Untitled-001.pict"));
    EXPECT_FALSE(fs::exists(folder / "elsewhere"));  // the link was not followed
}

// A folder files cannot be created in: as root permissions do not stop anything, so
// the system's own folder /sys stands in.
std::string ReadOnlyFolder(const TempFolder& temp) {
    if (geteuid() == 0) return "/sys";
    const std::string locked = temp / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    return locked;
}

TEST(AutoPictToFileTest, AReadOnlyFolderIsReportedAndNothingIsLeft) {
    TempFolder temp;
    const std::string folder = ReadOnlyFolder(temp);
    Picture pic = MakePicture(100);
    const std::string name = "scopecam-test-" + std::to_string(getpid());
    const PictFileResult r = AutoPictToFile(&pic, P(name).data(), In(folder));
    EXPECT_EQ(r.status, PictFileStatus::kFolderNotWritable);
    EXPECT_NE(r.systemError, 0);
    EXPECT_FALSE(fs::exists(folder + "/" + name + ".pict"));
    EXPECT_STREQ(DescribePictFileStatus(r.status), "the folder is read-only");
}

TEST(AutoPictToFileTest, AVanishedFolderIsReportedAndNotMadeAgain) {
    TempFolder temp;
    const std::string gone = temp / "night-1";
    fs::create_directory(gone);
    fs::remove(gone);
    WriteFileText(temp / "not-a-folder", "text");
    Picture pic = MakePicture(100);
    for (const std::string& folder : {gone, temp / "not-a-folder"}) {
        const PictFileResult r = AutoPictToFile(&pic, P("Untitled-000").data(), In(folder));
        EXPECT_EQ(r.status, PictFileStatus::kFolderMissing) << folder;
        EXPECT_STREQ(DescribePictFileStatus(r.status), "the folder is gone");
    }
    EXPECT_EQ(temp.Names(), std::vector<std::string>{"not-a-folder"});
}

// A write that runs out of room: in a child process whose files may not grow beyond
// 600 bytes, the picture of 2000 bytes fails half written.
TEST(AutoPictToFileTest, AFullDiskIsReportedAndThePartFileRemoved) {
    TempFolder folder;
    Picture pic = MakePicture(2000);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 600;
        setrlimit(RLIMIT_FSIZE, &limit);
        const PictFileResult r = AutoPictToFile(&pic, P("Untitled-000").data(), In(folder.path()));
        _exit(static_cast<int>(r.status));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(static_cast<PictFileStatus>(WEXITSTATUS(status)), PictFileStatus::kDiskFull);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_STREQ(DescribePictFileStatus(PictFileStatus::kDiskFull), "the disk is full");
}

TEST(AutoPictToFileTest, NoPictureOrNoNameWritesNothing) {
    TempFolder folder;
    Picture open;  // opened but never closed: no bytes
    EXPECT_EQ(AutoPictToFile(nullptr, P("a").data(), In(folder.path())).status, PictFileStatus::kNoPicture);
    EXPECT_EQ(AutoPictToFile(&open, P("a").data(), In(folder.path())).status, PictFileStatus::kNoPicture);
    Picture pic = MakePicture(10);
    EXPECT_EQ(AutoPictToFile(&pic, P("").data(), In(folder.path())).status, PictFileStatus::kNoName);
    EXPECT_TRUE(folder.Names().empty());
}

TEST(AutoPictToFileTest, NamesAreMendedAndCutBeforeTheyReachTheDisk) {
    const std::string a62(62, 'a');
    struct Case {
        std::string name;
        std::string file;
    };
    const Case cases[] = {
        {"M31/M32-000", "M31_M32-000.pict"},
        {"../up-001", ".._up-001.pict"},
        {std::string("tab\there\nand\x7f" "del\x01-002"), "tab_here_and_del_-002.pict"},
        {std::string(200, 'x'), std::string(63, 'x') + ".pict"},
        {a62 + "\xC3\xA9" "-003", a62 + ".pict"},  // a two-byte character is not split
        {"Vénus-004", "Vénus-004.pict"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        Picture pic = MakePicture(20);
        const PictFileResult r = AutoPictToFile(&pic, P(c.name).data(), In(folder.path()));
        EXPECT_EQ(r.status, PictFileStatus::kSaved) << c.file;
        EXPECT_EQ(r.fileName, c.file);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{c.file});
    }
}

TEST(AutoPictToNextFreeNameTest, ATakenNameGoesOnToTheNextNumber) {
    TempFolder folder;
    WriteFileText(folder / "Untitled-000.pict", "first");
    WriteFileText(folder / "Untitled-001.pict", "second");
    Picture pic = MakePicture(30);
    int count = 0;  // as after the numbering was reset
    auto nextName = [&](StringPtr name) {
        char text[32];
        std::snprintf(text, sizeof text, "Untitled-%03d", count++);
        CtoPascal(text, name);
    };
    const PictFileResult r = AutoPictToNextFreeName(&pic, In(folder.path()), nextName);
    EXPECT_EQ(r.status, PictFileStatus::kSaved);
    EXPECT_EQ(r.fileName, "Untitled-002.pict");
    EXPECT_EQ(count, 3);
    const std::vector<uint8_t> first = ReadFileBytes(folder / "Untitled-000.pict");
    EXPECT_EQ(std::string(first.begin(), first.end()), "first");
    EXPECT_EQ(ReadFileBytes(folder / "Untitled-002.pict").size(), 512u + 30u);
}

TEST(AutoPictToNextFreeNameTest, GivesUpAfterItsTriesAndStopsAtOtherFailures) {
    TempFolder folder;
    WriteFileText(folder / "Untitled-000.pict", "first");
    WriteFileText(folder / "Untitled-001.pict", "second");
    Picture pic = MakePicture(30);
    int count = 0;
    auto nextName = [&](StringPtr name) { CtoPascal(("Untitled-00" + std::to_string(count++)).c_str(), name); };
    EXPECT_EQ(AutoPictToNextFreeName(&pic, In(folder.path()), nextName, 2).status, PictFileStatus::kNameTaken);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(folder.Names().size(), 2u);

    count = 0;
    const PictFileResult gone = AutoPictToNextFreeName(&pic, In(folder / "gone"), nextName);
    EXPECT_EQ(gone.status, PictFileStatus::kFolderMissing);
    EXPECT_EQ(count, 1);  // only a taken name is worth another number
}

std::string S(const unsigned char* p) { return PascalToString(p); }

TEST(PascalStringTest, AppendCopyAndConvert) {
    Str255 dst;
    Str255 src;
    CtoPascal("Untitled", dst);
    EXPECT_EQ(dst[0], 8);
    CtoPascal("", src);
    PascalAppend(dst, src);
    EXPECT_EQ(S(dst), "Untitled");
    CtoPascal("", dst);
    CtoPascal("-007", src);
    PascalAppend(dst, src);
    EXPECT_EQ(S(dst), "-007");
    PascalAppend(dst, dst);  // onto itself
    EXPECT_EQ(S(dst), "-007-007");

    // Nothing goes beyond 255 characters.
    CtoPascal(std::string(250, 'h').c_str(), dst);
    CtoPascal("-0123456789", src);
    PascalAppend(dst, src);
    EXPECT_EQ(dst[0], 255);
    EXPECT_EQ(S(dst), std::string(250, 'h') + "-0123");
    CtoPascal(std::string(300, 'c').c_str(), dst);
    EXPECT_EQ(dst[0], 255);

    Str63 small;  // 64 bytes: the sanitizers catch a copy beyond them
    PascalCopy(dst, small, 63);
    EXPECT_EQ(S(small), std::string(63, 'c'));
    CtoPascal("Untitled", src);
    PascalCopy(src, dst);
    EXPECT_EQ(S(dst), "Untitled");
}

TEST(PascalStringTest, CuttingNeverSplitsACharacter) {
    struct Case {
        std::string text;
        int max;
        std::string cut;
    };
    const Case cases[] = {
        {"abcdef", 3, "abc"},
        {"abc", 10, "abc"},
        {"ab\xC3\xA9z", 3, "ab"},          // é is two bytes
        {"ab\xC3\xA9z", 4, "ab\xC3\xA9"},
        {"a\xE2\x82\xAC", 3, "a"},         // € is three bytes
        {"a\xE2\x82\xAC", 4, "a\xE2\x82\xAC"},
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        Str255 s;
        CtoPascal(c.text.c_str(), s);
        CutPascal(s, c.max);
        EXPECT_EQ(S(s), c.cut) << c.text << " " << c.max;
    }
}

TEST(FSSpecTest, NamesAreMendedCutAndCopiedWithTheFolder) {
    FSSpec a;
    a.folder = "/data/night";
    SetFSSpecName(&a, P("Orion/M42\n" + std::string(80, 'z')).data());
    EXPECT_EQ(S(a.name), "Orion_M42_" + std::string(53, 'z'));
    FSSpec b;
    b = a;
    EXPECT_EQ(b.folder, "/data/night");
    EXPECT_EQ(S(b.name), S(a.name));
}

TEST(GetAppFSSpecTest, IsTheFolderTheProgramStartedIn) {
    const fs::path startedIn = fs::current_path();  // no test here changes it for long
    FSSpec spec;
    ASSERT_EQ(GetAppFSSpec(&spec), noErr);
    EXPECT_EQ(spec.folder, startedIn.string());
    EXPECT_GT(spec.name[0], 0);
    TempFolder elsewhere;
    fs::current_path(elsewhere.path());
    FSSpec later;
    GetAppFSSpec(&later);
    fs::current_path(startedIn);
    EXPECT_EQ(later.folder, startedIn.string());
    EXPECT_EQ(GetAppFSSpec(nullptr), paramErr);
}

class ChooseFolderTest : public ToolboxTest {};

TEST_F(ChooseFolderTest, AChosenFolderReplacesTheFolderAndNamesItself) {
    TempFolder temp;
    fs::create_directory(temp / "night-1");
    FSSpec spec = In(temp.path());
    host().PushKeyDown(kDownArrowCharCode);           // the first sub-folder
    host().PushKeyDown(kDownArrowCharCode, cmdKey);   // into it
    host().PushKeyDown(kReturnCharCode);              // chosen
    EXPECT_TRUE(ChooseFolder(spec));
    EXPECT_EQ(spec.folder, temp / "night-1");
    EXPECT_EQ(S(spec.name), "night-1");
    EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(ChooseFolderTest, CancelLeavesThePreviousFolder) {
    TempFolder temp;
    fs::create_directory(temp / "night-1");
    FSSpec spec = In(temp.path());
    CtoPascal("Untitled-004", spec.name);
    host().PushKeyDown(kDownArrowCharCode);
    host().PushKeyDown(kDownArrowCharCode, cmdKey);
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_FALSE(ChooseFolder(spec));
    EXPECT_EQ(spec.folder, temp.path());
    EXPECT_EQ(S(spec.name), "Untitled-004");
}

}  // namespace
