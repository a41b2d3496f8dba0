// The program's preferences over the preferences file: the keys, what each read gives
// for what is stored, and writes that last into the next run.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <string>

#include "app/PrefFile.h"
#include "tests/support/PreferencesFixture.h"

namespace {

using PrefFileTest = PreferencesTest;

// What every read gives for one stored file. A flag or choice of nullopt is not found
// (its argument must stay as it was); the rectangle reports its found flag and both
// halves.
struct Expected {
    std::optional<int> debayerize, bayerColor, debayerAlg, flipNS, flipEW, disableDec;
    bool rectFound = false;
    int rectH = -2, rectV = -2;

    Expected& With(std::optional<int> Expected::*key, int value) {
        this->*key = value;
        return *this;
    }
    Expected& Centre(bool found, int h, int v) {
        rectFound = found;
        rectH = h;
        rectV = v;
        return *this;
    }
};

using E = Expected;

struct StoredCase {
    const char* name;
    std::optional<std::string> fileText;  // nullopt: no file at all
    Expected expected;
};

void PrintTo(const StoredCase& c, std::ostream* out) { *out << c.name; }

class PrefFileReadTest : public PreferencesTest, public ::testing::WithParamInterface<StoredCase> {};

// Reads one flag with an argument that starts as the opposite of what is expected, so
// that an unchanged argument and a changed one can be told apart.
template <typename Read>
void ExpectFlag(const char* key, std::optional<int> expected, Read read) {
    bool flag = !(expected.value_or(0) != 0);
    const bool before = flag;
    EXPECT_EQ(read(flag), expected.has_value()) << key;
    if (expected)
        EXPECT_EQ(flag, *expected != 0) << key;
    else
        EXPECT_EQ(flag, before) << key << " changed although not found";
}

TEST_P(PrefFileReadTest, ReadsWhatIsStored) {
    const StoredCase& c = GetParam();
    if (c.fileText) WritePrefsText(*c.fileText);
    const Expected& e = c.expected;
    PrefFile prefs;

    ExpectFlag("debayerize", e.debayerize, [&](bool& f) { return prefs.ReadDeBayerize(f); });
    ExpectFlag("flipNS", e.flipNS, [&](bool& f) { return prefs.ReadFlipNS(f); });
    ExpectFlag("flipEW", e.flipEW, [&](bool& f) { return prefs.ReadFlipEW(f); });
    ExpectFlag("disableDec", e.disableDec, [&](bool& f) { return prefs.ReadDisableDecGuiding(f); });

    BayerColor pattern = static_cast<BayerColor>(77);
    EXPECT_EQ(prefs.ReadBayerPattern(pattern), e.bayerColor.has_value());
    EXPECT_EQ(pattern, e.bayerColor.value_or(77));

    DebayerAlg algorithm = static_cast<DebayerAlg>(77);
    EXPECT_EQ(prefs.ReadDebayerAlg(algorithm), e.debayerAlg.has_value());
    EXPECT_EQ(algorithm, e.debayerAlg.value_or(77));

    int h = 1234, v = 5678;
    EXPECT_EQ(prefs.ReadAutoDetectLongExposureRect(h, v), e.rectFound);
    EXPECT_EQ(h, e.rectH);
    EXPECT_EQ(v, e.rectV);
}

const StoredCase kStoredCases[] = {
    {"NothingStored", std::nullopt, E()},
    {"EmptyFile", "", E()},
    {"DebayerizeFiveIsOn", "debayerize = 5\n", E().With(&E::debayerize, 1)},
    {"DebayerizeZeroIsOff", "debayerize = 0\n", E().With(&E::debayerize, 0)},
    {"DebayerizeMinusOneIsOn", "debayerize = -1\n", E().With(&E::debayerize, 1)},
    {"MinusTwoIsAbsentEverywhere",
     "debayerize = -2\nbayerColor = -2\ndebayerAlg = -2\nlongExposureRectH = -2\nlongExposureRectV = -2\n"
     "flipNS = -2\nflipEW = -2\ndisableDec = -2\n",
     E()},
    {"EveryKey",
     "debayerize = 1\nbayerColor = 3\ndebayerAlg = 0\nlongExposureRectH = 320\nlongExposureRectV = 240\n"
     "flipNS = 1\nflipEW = 0\ndisableDec = 1\n",
     E()
         .With(&E::debayerize, 1)
         .With(&E::bayerColor, 3)
         .With(&E::debayerAlg, 0)
         .With(&E::flipNS, 1)
         .With(&E::flipEW, 0)
         .With(&E::disableDec, 1)
         .Centre(true, 320, 240)},
    {"ClearedRectangleIsFound", "longExposureRectH = -1\nlongExposureRectV = -1\n",
     E().Centre(true, -1, -1)},
    {"RectangleWithoutVertical", "longExposureRectH = 10\n", E().Centre(true, 10, -2)},
    {"RectangleWithoutHorizontal", "longExposureRectV = 5\n", E().Centre(false, -2, 5)},
    {"RectangleHorizontalNotANumber", "longExposureRectH = left\nlongExposureRectV = 5\n",
     E().Centre(false, -2, 5)},
    {"FlagsAnyNonZeroIsOn", "flipNS = 2147483647\nflipEW = -7\ndisableDec = 0\n",
     E().With(&E::flipNS, 1).With(&E::flipEW, 1).With(&E::disableDec, 0)},
    {"LastChoicesInRange", "bayerColor = 3\ndebayerAlg = 2\n", E().With(&E::bayerColor, 3).With(&E::debayerAlg, 2)},
    {"FirstChoicesInRange", "bayerColor = 0\ndebayerAlg = 0\n", E().With(&E::bayerColor, 0).With(&E::debayerAlg, 0)},
    {"ChoicesOutOfRange", "bayerColor = 4\ndebayerAlg = 3\n", E()},
    {"NegativeChoices", "bayerColor = -1\ndebayerAlg = -3\n", E()},
    {"NotIntegers",
     "debayerize = yes\nbayerColor = 1.5\ndebayerAlg = 0x1\nflipNS = true\nflipEW = 1 1\ndisableDec = on\n", E()},
    {"HugeNumbers", "debayerize = 4294967297\nlongExposureRectH = 99999999999999999999\n", E()},
    {"HalfWrittenLastLine", "debayerize = 1\nflipNS = 1", E().With(&E::debayerize, 1)},
    {"CorruptLines", "debayerize\n= 1\nflipEW 1\n\x01\x02\x03\ndisableDec = 1\n", E().With(&E::disableDec, 1)},
    {"UnknownKeysOnly", "future = 1\nDebayerize = 1\n", E()},
};

INSTANTIATE_TEST_SUITE_P(Stored, PrefFileReadTest, ::testing::ValuesIn(kStoredCases),
                         [](const ::testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.name); });

void WriteEveryKey(PrefFile& prefs) {
    prefs.WriteDeBayerize(true);
    prefs.WriteBayerPattern(kBGGR);
    prefs.WriteDebayerAlg(kLaplacianSecondOrder);
    prefs.WriteAutoDetectLongExposureRect(-1, -1);
    prefs.WriteFlipNS(false);
    prefs.WriteFlipEW(true);
    prefs.WriteDisableDecGuiding(true);
}

void ExpectEveryKeyWritten() {
    PrefFile prefs;
    bool debayerize = false, flipNS = true, flipEW = false, disableDec = false;
    BayerColor pattern = kGRBG;
    DebayerAlg algorithm = kBilinear;
    int h = 0, v = 0;
    EXPECT_TRUE(prefs.ReadDeBayerize(debayerize));
    EXPECT_TRUE(debayerize);
    EXPECT_TRUE(prefs.ReadBayerPattern(pattern));
    EXPECT_EQ(pattern, kBGGR);
    EXPECT_TRUE(prefs.ReadDebayerAlg(algorithm));
    EXPECT_EQ(algorithm, kLaplacianSecondOrder);
    EXPECT_TRUE(prefs.ReadAutoDetectLongExposureRect(h, v));
    EXPECT_EQ(h, -1);
    EXPECT_EQ(v, -1);
    EXPECT_TRUE(prefs.ReadFlipNS(flipNS));
    EXPECT_FALSE(flipNS);
    EXPECT_TRUE(prefs.ReadFlipEW(flipEW));
    EXPECT_TRUE(flipEW);
    EXPECT_TRUE(prefs.ReadDisableDecGuiding(disableDec));
    EXPECT_TRUE(disableDec);
}

TEST_F(PrefFileTest, WritesLastIntoTheNextRunAsReadableText) {
    {
        PrefFile prefs;
        WriteEveryKey(prefs);
    }
    EXPECT_EQ(ReadPrefsText(),
              "# Preferences, one \"key = value\" a line.\n"
              "bayerColor = 2\ndebayerAlg = 2\ndebayerize = 1\ndisableDec = 1\nflipEW = 1\nflipNS = 0\n"
              "longExposureRectH = -1\nlongExposureRectV = -1\n");
    StartNewRun();
    ExpectEveryKeyWritten();
}

TEST_F(PrefFileTest, WriteInOneProcessIsReadInAnother) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PrefFile prefs;
        WriteEveryKey(prefs);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ExpectEveryKeyWritten();
}

TEST_F(PrefFileTest, EveryWriteIsSavedAtOnce) {
    PrefFile prefs;
    prefs.WriteFlipNS(true);
    EXPECT_NE(ReadPrefsText().find("flipNS = 1\n"), std::string::npos);
    prefs.WriteFlipNS(false);
    EXPECT_NE(ReadPrefsText().find("flipNS = 0\n"), std::string::npos);
    prefs.WriteAutoDetectLongExposureRect(100, 200);
    EXPECT_NE(ReadPrefsText().find("longExposureRectH = 100\nlongExposureRectV = 200\n"), std::string::npos);
}

TEST_F(PrefFileTest, WritesKeepKeysOfOtherVersions) {
    WritePrefsText("future = 42\nnote = dark site\ndebayerize = 0\n");
    PrefFile().WriteDeBayerize(true);
    std::string text = ReadPrefsText();
    EXPECT_NE(text.find("future = 42\n"), std::string::npos) << text;
    EXPECT_NE(text.find("note = dark site\n"), std::string::npos) << text;
    EXPECT_NE(text.find("debayerize = 1\n"), std::string::npos) << text;
}

TEST_F(PrefFileTest, UnwritableFolderKeepsSettingForTheRunAndSaysSoOnce) {
    std::filesystem::remove_all(Root());
    std::ofstream(Root()) << "a file where the configuration folder should be\n";
    ::testing::internal::CaptureStderr();
    PrefFile prefs;
    prefs.WriteDeBayerize(true);
    prefs.WriteFlipEW(true);
    prefs.WriteAutoDetectLongExposureRect(3, 4);
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;

    bool debayerize = false, flipEW = false;
    int h = 0, v = 0;
    EXPECT_TRUE(PrefFile().ReadDeBayerize(debayerize));
    EXPECT_TRUE(debayerize);
    EXPECT_TRUE(PrefFile().ReadFlipEW(flipEW));
    EXPECT_TRUE(flipEW);
    EXPECT_TRUE(PrefFile().ReadAutoDetectLongExposureRect(h, v));
    EXPECT_EQ(h, 3);
    EXPECT_EQ(v, 4);

    StartNewRun();  // nothing was saved
    EXPECT_FALSE(PrefFile().ReadDeBayerize(debayerize));
}

}  // namespace
