// The preferences file: where it lives, what reads as a value and what does not,
// atomic saves that keep unknown keys, and saves that cannot happen.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/services/PreferencesStore.h"
#include "tests/support/PreferencesFixture.h"

namespace fs = std::filesystem;

namespace {

using PreferencesStoreTest = PreferencesTest;

// What one file text gives for the key "a".
struct ReadCase {
    const char* name;
    std::string text;
    std::optional<int32_t> a;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class PreferencesReadTest : public PreferencesTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(PreferencesReadTest, ReadsWholeIntegerLinesOnly) {
    WritePrefsText(GetParam().text);
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), GetParam().a);
}

const ReadCase kReadCases[] = {
    {"Plain", "a = 5\n", 5},
    {"NoBlanks", "a=5\n", 5},
    {"ExtraBlanksAndTabs", " \t a   =\t -7  \n", -7},
    {"PlusSign", "a = +5\n", 5},
    {"LeadingZeros", "a = 007\n", 7},
    {"WindowsLineEnd", "a = 5\r\n", 5},
    {"Largest", "a = 2147483647\n", 2147483647},
    {"Smallest", "a = -2147483648\n", INT32_MIN},
    {"LastOfTwoWins", "a = 1\na = 2\n", 2},
    {"AmongOtherLines", "# saved\n\nb = 1\nnonsense\na = 3\nc = x\n", 3},
    {"AfterBinaryJunk", std::string("\0\xff\xfe\x01 = =\n", 9) + "a = 4\n", 4},
    {"ZeroFilledTail", std::string("a = 6\n") + std::string(64, '\0'), 6},
    {"EmptyFile", "", std::nullopt},
    {"CutShortLastLine", "a = 5", std::nullopt},
    {"CutShortAfterOtherLine", "b = 1\na = 12", std::nullopt},
    {"CutInsideKey", "b = 1\na", std::nullopt},
    {"EmptyValue", "a = \n", std::nullopt},
    {"NoEquals", "a 5\n", std::nullopt},
    {"CommentedOut", "# a = 5\n", std::nullopt},
    {"Word", "a = on\n", std::nullopt},
    {"TrailingText", "a = 5x\n", std::nullopt},
    {"TwoNumbers", "a = 5 6\n", std::nullopt},
    {"Fraction", "a = 5.0\n", std::nullopt},
    {"Exponent", "a = 1e3\n", std::nullopt},
    {"Hexadecimal", "a = 0x10\n", std::nullopt},
    {"SignOnly", "a = -\n", std::nullopt},
    {"SignThenBlank", "a = - 5\n", std::nullopt},
    {"TwoSigns", "a = +-5\n", std::nullopt},
    {"OnePastLargest", "a = 2147483648\n", std::nullopt},
    {"OnePastSmallest", "a = -2147483649\n", std::nullopt},
    {"Huge", "a = 99999999999999999999999999999999\n", std::nullopt},
    {"KeyOfOtherCase", "A = 5\n", std::nullopt},
    {"KeyWithPrefix", "aa = 5\n", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Texts, PreferencesReadTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(PreferencesStoreTest, MissingFileReadsAsAbsentSilently) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), std::nullopt);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(fs::exists(PrefsPath().parent_path()));  // reading creates nothing
}

TEST_F(PreferencesStoreTest, UnreadableFileReadsAsAbsentAndIsReportedOnce) {
    fs::create_directories(PrefsPath());  // a folder where the file should be
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), std::nullopt);
    EXPECT_EQ(ApplicationPreferences().GetInteger("b"), std::nullopt);
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find(PrefsPath().string()), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
}

TEST_F(PreferencesStoreTest, OversizedFileReadsAsAbsent) {
    std::string text;
    while (text.size() <= PreferencesStore::kMaxFileBytes) text += "a = 5\n";
    WritePrefsText(text);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), std::nullopt);
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(PreferencesStoreTest, SaveCreatesFoldersAndReadsBackInNewRun) {
    ASSERT_TRUE(ApplicationPreferences().SetInteger("speed", -12));
    ASSERT_TRUE(ApplicationPreferences().SetInteger("count", 2147483647));
    EXPECT_EQ(ApplicationPreferences().Synchronize(), PreferencesSave::kSaved);
    EXPECT_EQ(ReadPrefsText(), "# Preferences, one \"key = value\" a line.\ncount = 2147483647\nspeed = -12\n");
    EXPECT_EQ(fs::status(PrefsPath().parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);

    StartNewRun();
    EXPECT_EQ(ApplicationPreferences().GetInteger("speed"), -12);
    EXPECT_EQ(ApplicationPreferences().GetInteger("count"), 2147483647);
}

TEST_F(PreferencesStoreTest, SaveKeepsUnknownKeysAndDropsBrokenLines) {
    WritePrefsText("# old comment\nfuture = 7\nnote = hello there\n= 3\nbroken line\nspeed = 1\ncut = 4");
    ASSERT_TRUE(ApplicationPreferences().SetInteger("speed", 2));
    ASSERT_EQ(ApplicationPreferences().Synchronize(), PreferencesSave::kSaved);
    EXPECT_EQ(ReadPrefsText(),
              "# Preferences, one \"key = value\" a line.\nfuture = 7\nnote = hello there\nspeed = 2\n");
}

TEST_F(PreferencesStoreTest, SetRefusesKeysThatCannotBeReadBack) {
    PreferencesStore& store = ApplicationPreferences();
    for (const char* key : {"", "a=b", "#a", " a", "a ", "a\nb", "a\rb"}) {
        EXPECT_FALSE(store.SetInteger(key, 1)) << '"' << key << '"';
    }
    EXPECT_TRUE(store.SetInteger("a b", 1));
    ASSERT_EQ(store.Synchronize(), PreferencesSave::kSaved);
    StartNewRun();
    EXPECT_EQ(ApplicationPreferences().GetInteger("a b"), 1);
}

int CountLinesWith(const std::string& text, const std::string& part) {
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Ways the folder or the file cannot be written, possible even for the superuser.
struct SaveFailure {
    const char* name;
    void (*arrange)(const fs::path& root, const fs::path& prefs);
};

class PreferencesSaveFailureTest : public PreferencesTest, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(PreferencesSaveFailureTest, ValueHoldsForTheRunAndFailureIsReportedOnce) {
    GetParam().arrange(Root(), PrefsPath());
    PreferencesStore& store = ApplicationPreferences();
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(store.SetInteger("a", 1));
    EXPECT_EQ(store.Synchronize(), PreferencesSave::kKeptInMemoryOnly);
    ASSERT_TRUE(store.SetInteger("a", 2));
    EXPECT_EQ(store.Synchronize(), PreferencesSave::kKeptInMemoryOnly);
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountLinesWith(report, "cannot be saved"), 1) << report;
    EXPECT_NE(report.find(PrefsPath().string()), std::string::npos) << report;
    EXPECT_EQ(store.GetInteger("a"), 2);

    // Nothing half written is left behind: no temporary file beside the target.
    if (fs::is_directory(PrefsPath().parent_path())) {
        for (const auto& entry : fs::directory_iterator(PrefsPath().parent_path()))
            EXPECT_EQ(entry.path().filename().string().find(".preferences."), std::string::npos)
                << entry.path();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, PreferencesSaveFailureTest,
    ::testing::Values(
        SaveFailure{"ConfigHomeIsAFile",
                    [](const fs::path& root, const fs::path&) {
                        fs::remove_all(root);
                        std::ofstream(root) << "not a folder\n";
                    }},
        SaveFailure{"ApplicationFolderIsAFile",
                    [](const fs::path&, const fs::path& prefs) { std::ofstream(prefs.parent_path()) << "x\n"; }},
        SaveFailure{"FileIsAFolder",
                    [](const fs::path&, const fs::path& prefs) {
                        fs::create_directories(prefs / "inside");  // rename cannot replace it
                    }}),
    [](const ::testing::TestParamInfo<SaveFailure>& info) { return std::string(info.param.name); });

TEST_F(PreferencesStoreTest, ReadOnlyFolderKeepsValueInMemory) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    fs::create_directories(PrefsPath().parent_path());
    WritePrefsText("a = 1\n");
    fs::permissions(PrefsPath().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(ApplicationPreferences().SetInteger("a", 3));
    EXPECT_EQ(ApplicationPreferences().Synchronize(), PreferencesSave::kKeptInMemoryOnly);
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), 3);
    fs::permissions(PrefsPath().parent_path(), fs::perms::owner_all);
    EXPECT_EQ(ReadPrefsText(), "a = 1\n");
}

TEST_F(PreferencesStoreTest, SaveThroughSymbolicLinkKeepsTheLink) {
    fs::path elsewhere = Root() / "dotfiles" / "prefs";
    fs::create_directories(elsewhere.parent_path());
    std::ofstream(elsewhere) << "a = 1\n";
    fs::create_directories(PrefsPath().parent_path());
    fs::create_symlink(elsewhere, PrefsPath());

    ASSERT_TRUE(ApplicationPreferences().SetInteger("b", 2));
    ASSERT_EQ(ApplicationPreferences().Synchronize(), PreferencesSave::kSaved);
    EXPECT_TRUE(fs::is_symlink(PrefsPath()));
    StartNewRun();
    EXPECT_EQ(ApplicationPreferences().GetInteger("a"), 1);
    EXPECT_EQ(ApplicationPreferences().GetInteger("b"), 2);
}

TEST_F(PreferencesStoreTest, NoHomeFolderKeepsValuesInMemory) {
    PreferencesStore store("");
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(store.SetInteger("a", 9));
    EXPECT_EQ(store.Synchronize(), PreferencesSave::kKeptInMemoryOnly);
    EXPECT_EQ(store.Synchronize(), PreferencesSave::kKeptInMemoryOnly);
    std::string report = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
    EXPECT_EQ(store.GetInteger("a"), 9);
}

TEST_F(PreferencesStoreTest, FilePathFollowsTheEnvironment) {
    struct Case {
        const char* configHome;  // null: unset
        const char* home;
        const char* path;
    };
    const Case cases[] = {
        {"/cfg", "/home/u", "/cfg/app/preferences"},
        {"/cfg/", "/home/u", "/cfg/app/preferences"},
        {"relative/cfg", "/home/u", "/home/u/.config/app/preferences"},  // not absolute: ignored
        {"", "/home/u", "/home/u/.config/app/preferences"},
        {nullptr, "/home/u", "/home/u/.config/app/preferences"},
    };
    for (const Case& c : cases) {
        if (c.configHome)
            setenv("XDG_CONFIG_HOME", c.configHome, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        setenv("HOME", c.home, 1);
        EXPECT_EQ(PreferencesFilePath("app"), c.path) << (c.configHome ? c.configHome : "(unset)");
    }
}

TEST_F(PreferencesStoreTest, ApplicationStoreTakesItsFolderAtFirstUse) {
    EXPECT_EQ(ApplicationPreferences().FilePath(), PrefsPath().string());
    setenv("XDG_CONFIG_HOME", (Root() / "other").c_str(), 1);
    EXPECT_EQ(ApplicationPreferences().FilePath(), PrefsPath().string());  // kept for the run
    ResetApplicationPreferences();
    EXPECT_EQ(ApplicationPreferences().FilePath(), (Root() / "other" / "scopecam" / "preferences").string());
}

// Reads the whole file as it is at this moment; nothing when there is none yet.
std::optional<std::string> SnapshotFile(const fs::path& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Whether text is a complete save of round: the header, then every key k000..k099
// holding round, each on its own ended line.
bool IsCompleteSave(const std::string& text, int keys, int& round) {
    size_t start = text.find('\n');
    if (text.rfind("# Preferences", 0) != 0 || start == std::string::npos) return false;
    int lines = 0;
    round = -1;
    for (size_t end; (end = text.find('\n', start + 1)) != std::string::npos; start = end) {
        std::string line = text.substr(start + 1, end - start - 1);
        size_t equals = line.find(" = ");
        if (equals == std::string::npos) return false;
        int value = -1;
        std::string_view digits = std::string_view(line).substr(equals + 3);
        auto [ptr, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || ptr != digits.data() + digits.size()) return false;
        if (round >= 0 && value != round) return false;
        round = value;
        ++lines;
    }
    return lines == keys && start + 1 == text.size();
}

TEST_F(PreferencesStoreTest, ReaderNeverSeesHalfWrittenFile) {
    constexpr int kKeys = 100;
    constexpr int kRounds = 100;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        PreferencesStore store(PrefsPath().string());
        for (int round = 0; round < kRounds; ++round) {
            for (int k = 0; k < kKeys; ++k) {
                char key[8];
                std::snprintf(key, sizeof key, "k%03d", k);
                store.SetInteger(key, round);
            }
            store.Synchronize();
        }
        writing = false;
    });

    int snapshots = 0, lastRound = -1;
    bool allComplete = true;
    while (writing) {
        std::optional<std::string> text = SnapshotFile(PrefsPath());
        if (!text) continue;  // before the first save
        int round = -1;
        if (!IsCompleteSave(*text, kKeys, round)) {
            allComplete = false;
            ADD_FAILURE() << "partial file of " << text->size() << " bytes";
            break;
        }
        EXPECT_GE(round, lastRound);
        lastRound = round;
        ++snapshots;
    }
    writer.join();
    EXPECT_TRUE(allComplete);
    EXPECT_GT(snapshots, 0);
    int round = -1;
    EXPECT_TRUE(IsCompleteSave(SnapshotFile(PrefsPath()).value_or(""), kKeys, round));
    EXPECT_EQ(round, kRounds - 1);
}

}  // namespace
