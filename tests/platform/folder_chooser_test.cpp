// The folder chooser: the folders it lists and moves through, what it lets be chosen,
// and the dialog driven by keys and clicks.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/FolderBrowser.h"
#include "platform/FolderChooser.h"
#include "platform/NightPalette.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"

namespace fs = std::filesystem;

namespace {

// A folder tree in a temporary folder:
//   alpha/inner/  beta/  .hidden/  file.txt
class TempTree {
public:
    TempTree() {
        std::string pattern = (fs::temp_directory_path() / "chooser-test-XXXXXX").string();
        root_ = fs::canonical(::mkdtemp(pattern.data())).string();
        fs::create_directories(root_ + "/alpha/inner");
        fs::create_directories(root_ + "/beta");
        fs::create_directories(root_ + "/.hidden");
        std::ofstream(root_ + "/file.txt") << "not a folder\n";
    }
    ~TempTree() {
        std::error_code ignored;
        fs::permissions(root_ + "/locked", fs::perms::owner_all, ignored);
        fs::remove_all(root_, ignored);
    }
    const std::string& root() const { return root_; }
    std::string operator/(const std::string& sub) const { return root_ + "/" + sub; }

private:
    std::string root_;
};

TEST(FolderBrowserTest, ListsVisibleSubFoldersInOrder) {
    TempTree tree;
    FolderBrowser b(tree.root());
    EXPECT_EQ(b.Folder(), tree.root());
    EXPECT_EQ(b.SubFolders(), (std::vector<std::string>{"alpha", "beta"}));
}

TEST(FolderBrowserTest, GoesUpAndIntoFolders) {
    TempTree tree;
    FolderBrowser b(tree.root());
    EXPECT_TRUE(b.Enter("alpha"));
    EXPECT_EQ(b.Folder(), tree / "alpha");
    EXPECT_EQ(b.SubFolders(), std::vector<std::string>{"inner"});
    EXPECT_FALSE(b.Enter("beta"));  // not a sub-folder of alpha
    EXPECT_FALSE(b.Enter("../beta"));
    EXPECT_EQ(b.Folder(), tree / "alpha");
    EXPECT_TRUE(b.GoUp());
    EXPECT_EQ(b.Folder(), tree.root());
    FolderBrowser top("/");
    EXPECT_FALSE(top.GoUp());
    EXPECT_EQ(top.Folder(), "/");
}

TEST(FolderBrowserTest, StartsAtTheNearestExistingFolder) {
    TempTree tree;
    EXPECT_EQ(FolderBrowser(tree / "missing/deeper").Folder(), tree.root());
    EXPECT_EQ(FolderBrowser(tree / "file.txt").Folder(), tree.root());
    EXPECT_EQ(FolderBrowser(tree.root() + "/alpha/").Folder(), tree / "alpha");
}

TEST(FolderBrowserTest, ResolvesTypedPaths) {
    TempTree tree;
    FolderBrowser b(tree.root());
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/";
    const std::pair<std::string, std::string> cases[] = {
        {"", tree.root()},
        {"alpha", tree / "alpha"},
        {"  alpha  ", tree / "alpha"},
        {"./alpha/../beta", tree / "beta"},
        {"..", fs::path(tree.root()).parent_path().string()},
        {"/tmp/", "/tmp"},
        {"/", "/"},
        {"~", home},
        {"~/pictures", (fs::path(home) / "pictures").lexically_normal().string()},
    };
    for (const auto& [typed, expected] : cases) EXPECT_EQ(b.Resolve(typed), expected) << '"' << typed << '"';
}

TEST(FolderBrowserTest, OnlyExistingWritableFoldersAreChoosable) {
    TempTree tree;
    using V = FolderBrowser::Verdict;
    struct Case {
        std::string path;
        V verdict;
        const char* says;
    };
    std::vector<Case> cases = {
        {tree.root(), V::kChoosable, ""},
        {tree / "missing", V::kMissing, "There is no folder"},
        {tree / "file.txt", V::kNotAFolder, "is a file, not a folder"},
        // procfs takes no new files, even from root, whatever its permission bits say.
        {"/proc", V::kNotWritable, "cannot be written"},
    };
    if (::geteuid() != 0) {
        fs::create_directory(tree / "locked");
        fs::permissions(tree / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({tree / "locked", V::kNotWritable, "cannot be written"});
    }
    for (const Case& c : cases) {
        std::string message = "unchanged";
        EXPECT_EQ(FolderBrowser::Check(c.path, &message), c.verdict) << c.path;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        if (c.verdict != V::kChoosable) {
            EXPECT_NE(message.find(c.path), std::string::npos) << message;
        }
    }
    // Trying to write leaves nothing behind.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(tree.root())) ++entries;
    EXPECT_EQ(entries, ::geteuid() != 0 ? 5u : 4u);
}

TEST(FolderBrowserTest, GoToMovesOnlyToExistingFolders) {
    TempTree tree;
    FolderBrowser b(tree.root());
    std::string message;
    EXPECT_TRUE(b.GoTo("beta", &message));
    EXPECT_EQ(b.Folder(), tree / "beta");
    EXPECT_FALSE(b.GoTo(tree / "nowhere", &message));
    EXPECT_NE(message.find("There is no folder"), std::string::npos);
    EXPECT_FALSE(b.GoTo(tree / "file.txt", &message));
    EXPECT_EQ(b.Folder(), tree / "beta");
    // A folder that takes no files may still be looked into.
    EXPECT_TRUE(b.GoTo("/proc", &message));
    EXPECT_EQ(b.Folder(), "/proc");
}

// Notes the chooser's message each time it beeps, the moment the observer would hear
// it, and keeps the last picture of the dialog handed to the host.
class MessageWatchingHost : public HeadlessHost {
public:
    void PresentWindow(WindowPtr w) override {
        if (w->role != WindowRole::kDialog) return;
        width = RectWidth(w->portRect);
        height = RectHeight(w->portRect);
        rowBytes = w->pixMap.RowBytes();
        pixels.assign(w->pixMap.baseAddr, w->pixMap.baseAddr + static_cast<size_t>(rowBytes) * height);
    }
    int width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> pixels;

    void Beep() override {
        HeadlessHost::Beep();
        DialogPtr dialog = GetDialogFromWindow(FrontWindow());
        ControlHandle item = nullptr;
        GetDialogItem(dialog, kFolderChooserMessage, nullptr, &item, nullptr);
        Str255 text;
        GetDialogItemText(item, text);
        messages.push_back(PascalToString(text));
    }
    std::vector<std::string> messages;
};

class FolderChooserTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto host = std::make_unique<MessageWatchingHost>();
        host_ = host.get();
        InitToolbox(std::move(host), std::make_unique<VirtualClock>());
    }
    void TearDown() override { ShutdownToolbox(); }

    MessageWatchingHost& host() { return *host_; }
    void Type(const std::string& text) {
        for (char c : text) host().PushKeyDown(static_cast<unsigned char>(c));
    }
    void TypePath(const std::string& path) {
        host().PushKeyDown('a', cmdKey);  // select the whole field
        Type(path);
    }
    static Point Center(const Rect& r) {
        return Point{int16_t((r.top + r.bottom) / 2), int16_t((r.left + r.right) / 2)};
    }
    void Click(const Rect& r) { host().ScriptDrag(Center(r), Center(r), 1); }

    TempTree tree;

private:
    MessageWatchingHost* host_ = nullptr;
};

TEST_F(FolderChooserTest, CancelLeavesTheFolderAsItWas) {
    std::string folder = tree.root();
    // Even after moving somewhere else first.
    host().PushKeyDown(kDownArrowCharCode);
    host().PushKeyDown(kDownArrowCharCode, cmdKey);
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_FALSE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree.root());
    EXPECT_EQ(host().PendingInput(), 0u);
    // No dialog is left behind.
    EXPECT_EQ(FrontWindow(), nullptr);
}

TEST_F(FolderChooserTest, ReturnChoosesThePresentFolder) {
    std::string folder = tree / "beta";
    host().PushKeyDown(kReturnCharCode);
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "beta");
}

TEST_F(FolderChooserTest, KeysMoveUpAndIntoFolders) {
    struct Case {
        const char* start;
        std::vector<std::pair<unsigned char, uint16_t>> keys;
        const char* chosen;
    };
    const Case cases[] = {
        // Down selects alpha, Ctrl+Down opens it, Down selects inner.
        {"", {{kDownArrowCharCode, 0}, {kDownArrowCharCode, cmdKey}, {kDownArrowCharCode, 0}}, "alpha/inner"},
        // A selected folder is what Return chooses.
        {"", {{kDownArrowCharCode, 0}, {kDownArrowCharCode, 0}}, "beta"},
        {"", {{kDownArrowCharCode, 0}, {kDownArrowCharCode, 0}, {kUpArrowCharCode, 0}}, "alpha"},
        {"alpha/inner", {{kUpArrowCharCode, cmdKey}, {kUpArrowCharCode, cmdKey}}, ""},
    };
    for (const Case& c : cases) {
        std::string folder = tree.root() + (c.start[0] ? "/" : "") + c.start;
        SCOPED_TRACE(folder);
        for (const auto& [key, modifiers] : c.keys) host().PushKeyDown(key, modifiers);
        host().PushKeyDown(kReturnCharCode);
        EXPECT_TRUE(RunFolderChooser(folder));
        EXPECT_EQ(folder, tree.root() + (c.chosen[0] ? "/" : "") + c.chosen);
    }
}

TEST_F(FolderChooserTest, TypedPathsAreChosen) {
    const std::pair<std::string, std::string> cases[] = {
        {tree / "beta", tree / "beta"},
        {"alpha/inner", tree / "alpha/inner"},
        {tree.root() + "/alpha/inner/../", tree / "alpha"},
    };
    for (const auto& [typed, chosen] : cases) {
        std::string folder = tree.root();
        TypePath(typed);
        host().PushKeyDown(kReturnCharCode);
        EXPECT_TRUE(RunFolderChooser(folder)) << typed;
        EXPECT_EQ(folder, chosen) << typed;
    }
}

TEST_F(FolderChooserTest, AFileOrAnUnwritableFolderIsRefusedWithAMessage) {
    std::string folder = tree.root();
    TypePath(tree / "file.txt");
    host().PushKeyDown(kReturnCharCode);
    TypePath("/proc");
    host().PushKeyDown(kReturnCharCode);
    TypePath(tree / "gone");
    host().PushKeyDown(kReturnCharCode);
    TypePath(tree / "alpha");
    host().PushKeyDown(kReturnCharCode);
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "alpha");
    ASSERT_EQ(host().messages.size(), 3u);
    EXPECT_NE(host().messages[0].find("is a file, not a folder"), std::string::npos) << host().messages[0];
    EXPECT_NE(host().messages[1].find("Files cannot be written in /proc"), std::string::npos) << host().messages[1];
    EXPECT_NE(host().messages[2].find("There is no folder"), std::string::npos) << host().messages[2];
}

TEST_F(FolderChooserTest, RefusalThenCancelKeepsTheFolder) {
    std::string folder = tree / "alpha";
    TypePath("/proc");
    host().PushKeyDown(kReturnCharCode);
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_FALSE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "alpha");
    EXPECT_EQ(host().Beeps(), 1);
}

TEST_F(FolderChooserTest, TheMouseWorksTheButtonsAndTheList) {
    std::string folder = tree / "alpha";
    Click(FolderChooserItemBounds(kFolderChooserUp));  // to the root: alpha, beta
    Click(FolderChooserRowBounds(1));                 // double click on beta
    Click(FolderChooserRowBounds(1));
    Click(FolderChooserItemBounds(kFolderChooserChoose));
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "beta");

    // One click selects; Open goes into the selection; Cancel leaves everything.
    folder = tree.root();
    Click(FolderChooserRowBounds(0));
    Click(FolderChooserItemBounds(kFolderChooserOpen));
    Click(FolderChooserRowBounds(0));  // inner
    Click(FolderChooserItemBounds(kFolderChooserChoose));
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "alpha/inner");

    folder = tree.root();
    Click(FolderChooserRowBounds(1));
    Click(FolderChooserItemBounds(kFolderChooserCancel));
    EXPECT_FALSE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree.root());
}

TEST_F(FolderChooserTest, ALongListScrollsWithTheSelection) {
    for (int i = 0; i < 40; ++i) fs::create_directories(tree / ("many/f" + std::to_string(100 + i)));
    std::string folder = tree / "many";
    // Thirty downs reach the thirtieth folder, far below the rows shown at first.
    for (int i = 0; i < 30; ++i) host().PushKeyDown(kDownArrowCharCode);
    host().PushKeyDown(kReturnCharCode);
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_EQ(folder, tree / "many/f129");
    // A press in the strip below the thumb shows the next page, so its first row is a
    // folder after the first page (the list shows twelve rows).
    folder = tree / "many";
    const Rect list = FolderChooserItemBounds(kFolderChooserList);
    Click(MakeRect(list.right - 8, list.bottom - 10, list.right - 7, list.bottom - 9));
    Click(FolderChooserRowBounds(0));
    host().PushKeyDown(kReturnCharCode);
    EXPECT_TRUE(RunFolderChooser(folder));
    EXPECT_GT(folder, tree / "many/f111");
}

TEST_F(FolderChooserTest, TheDialogIsDimRedOnBlack) {
    std::string folder = tree.root();
    host().PushKeyDown(kDownArrowCharCode);
    TypePath("/proc");
    host().PushKeyDown(kReturnCharCode);  // refused: the message shows
    host().PushKeyDown(kEscapeCharCode);
    EXPECT_FALSE(RunFolderChooser(folder));
    ASSERT_GT(host().width, 0);
    int lit = 0;
    for (int v = 0; v < host().height; ++v)
        for (int h = 0; h < host().width; ++h) {
            const uint8_t* p = host().pixels.data() + v * host().rowBytes + 4 * h;
            ASSERT_EQ(p[2] | p[3], 0) << h << "," << v;
            ASSERT_LE(p[1], night::kMaxLevel) << h << "," << v;
            lit += p[1] > 0;
        }
    EXPECT_GT(lit, 500);
    if (const char* dir = std::getenv("SCOPECAM_SNAPSHOT_DIR")) {
        GWorldPtr picture = nullptr;
        const Rect bounds = MakeRect(0, 0, host().width, host().height);
        ASSERT_EQ(NewGWorld(&picture, 32, &bounds, nullptr, nullptr, 0), noErr);
        for (int v = 0; v < host().height; ++v)
            std::memcpy(picture->pixMap.baseAddr + v * picture->pixMap.RowBytes(),
                        host().pixels.data() + v * host().rowBytes, 4 * static_cast<size_t>(host().width));
        EXPECT_TRUE(WritePortPNG(picture, std::string(dir) + "/folder-chooser.png"));
        DisposeGWorld(picture);
    }
}

}  // namespace
