// The menu commands, item by item: each choice's change to the program's settings, its
// check marks and enabled states, and the windows, from a fresh start; the marks at
// start; the choices that do nothing.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "app/PrefFile.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "tests/commands/CommandsFixture.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr int16_t kAppleMenu = 128;
constexpr int16_t kEditMenu = 130;
constexpr int16_t kDebayerizeMenu = 131;

// Everything a menu choice may change.
struct MenuWorld {
    CommandState commands;
    // (menu, item) -> checked, enabled
    std::map<std::pair<int16_t, int16_t>, std::pair<bool, bool>> items;
    bool debayerize = false;
    int pattern = 0;
    int algorithm = 0;
    int channel = 0;
    bool decDisabled = false;
    bool northIsUp = true;
    bool eastIsRight = true;
    bool normalMode = true;
    int pow2Dim = 0;
    Point target{};
    int32_t targetBrightness = 0;
    Rect autoGuide{};
    Rect longExposure{};
    std::vector<bool> windowsShown;
    bool quit = false;

    friend bool operator==(const MenuWorld&, const MenuWorld&) = default;
};

void PrintTo(const MenuWorld& w, std::ostream* os) {
    PrintTo(w.commands, os);
    *os << " debayer " << w.debayerize << "/" << w.pattern << "/" << w.algorithm << " channel " << w.channel
        << " dec " << w.decDisabled << " N " << w.northIsUp << " E " << w.eastIsRight << " normal " << w.normalMode
        << " dim " << w.pow2Dim << " target " << w.target.h << "," << w.target.v << " bright "
        << w.targetBrightness << " quit " << w.quit << " windows";
    for (bool shown : w.windowsShown) *os << " " << shown;
    for (const auto& [key, value] : w.items)
        *os << " [" << key.first << ":" << key.second << (value.first ? " v" : "") << (value.second ? "" : " off")
            << "]";
}

class MenusTest : public CommandsTest {
public:
    std::vector<WindowPtr> Windows() {
        FrameWindowsGroup* group = app().GetFrameWindowsGroup();
        return {group->GetRawFrameWindow(),
                group->GetLevelAdjustedFrameWindow(),
                group->GetChannelsWindow(),
                GetDialogWindow(app().GetHistogramsDialog()->GetHistogramsDialog()),
                app().GetDataWindow()->GetDataWindow(),
                group->GetFocusAidWindow()};
    }

    MenuWorld World() {
        MenuWorld w;
        w.commands = State();
        for (int16_t menu = kAppleMenu; menu <= kViewMenu; ++menu) {
            MenuHandle m = GetMenuHandle(menu);
            for (int16_t item = 1; item <= CountMenuItems(m); ++item)
                w.items[{menu, item}] = {IsMenuItemChecked(m, item), IsMenuItemEnabled(m, item)};
        }
        RawFrameProcessor* processor = app().GetRawFrameProcessor();
        w.debayerize = processor->GetDebayerize();
        w.pattern = processor->GetBayerPattern();
        w.algorithm = processor->GetDebayerAlg();
        w.channel = processor->GetChannel();
        AutoGuider* guider = app().GetAutoGuider();
        w.decDisabled = guider->GetDecDisabled();
        w.northIsUp = guider->GetNorthIsUp();
        w.eastIsRight = guider->GetEastIsRight();
        w.normalMode = guider->GetNormalMode();
        FrameWindowsGroup* group = app().GetFrameWindowsGroup();
        w.pow2Dim = group->GetPow2Dim();
        w.target = group->GetTarget();
        w.targetBrightness = group->GetTargetBrightness();
        w.autoGuide = group->GetAutoGuideBoundsRect();
        w.longExposure = processor->GetAutoDetectLongExposureRect();
        for (WindowPtr window : Windows()) w.windowsShown.push_back(IsWindowVisible(window));
        w.quit = MainObject::quit;
        return w;
    }
};

void Check(MenuWorld& w, int16_t menu, int16_t item, bool checked) { w.items[{menu, item}].first = checked; }
void Enable(MenuWorld& w, int16_t menu, int16_t item, bool enabled) { w.items[{menu, item}].second = enabled; }

struct MenuCase {
    const char* name;
    std::function<void(MenusTest&)> arrange;
    long choice;
    std::function<void(MenuWorld&)> change;
    int beeps;
};

void Nothing(MenusTest&) {}
void NoChange(MenuWorld&) {}
constexpr int16_t kMisc = CommandsTest::kMiscMenu;
constexpr int16_t kView = CommandsTest::kViewMenu;
constexpr int16_t kFile = CommandsTest::kFileMenu;

const std::vector<MenuCase>& MenuCases() {
    static const std::vector<MenuCase> cases = {
        // De-Bayering: the switch, the pattern and the algorithm with their marks.
        {"DebayerizeTogglesDeBayering", Nothing, MenuChoice(kDebayerizeMenu, 1),
         [](MenuWorld& w) {
             w.debayerize = true;
             Check(w, kDebayerizeMenu, 1, true);
         },
         0},
        {"DebayerizeTogglesItBackOff", [](MenusTest& t) { t.app().HandleMenuChoice(MenuChoice(kDebayerizeMenu, 1)); },
         MenuChoice(kDebayerizeMenu, 1),
         [](MenuWorld& w) {
             w.debayerize = false;
             Check(w, kDebayerizeMenu, 1, false);
         },
         0},
        {"PatternItemSetsThePattern", Nothing, MenuChoice(kDebayerizeMenu, 5),
         [](MenuWorld& w) {
             Check(w, kDebayerizeMenu, 3 + w.pattern, false);
             w.pattern = 2;
             Check(w, kDebayerizeMenu, 5, true);
         },
         0},
        {"AlgorithmItemSetsTheAlgorithm", Nothing, MenuChoice(kDebayerizeMenu, 10),
         [](MenuWorld& w) {
             Check(w, kDebayerizeMenu, 8 + w.algorithm, false);
             w.algorithm = 2;
             Check(w, kDebayerizeMenu, 10, true);
         },
         0},
        {"DebayerizeSeparatorDoesNothing", Nothing, MenuChoice(kDebayerizeMenu, 7), NoChange, 0},
        // Guiding options.
        {"MiscDisablesDeclinationGuiding", Nothing, MenuChoice(kMisc, 8),
         [](MenuWorld& w) {
             w.decDisabled = true;
             Check(w, kMisc, 8, true);
         },
         0},
        {"MiscReversesNorthSouth", Nothing, MenuChoice(kMisc, 9),
         [](MenuWorld& w) {
             w.northIsUp = false;
             Check(w, kMisc, 9, true);
         },
         0},
        {"MiscReversesEastWest", Nothing, MenuChoice(kMisc, 10),
         [](MenuWorld& w) {
             w.eastIsRight = false;
             Check(w, kMisc, 10, true);
         },
         0},
        {"MiscClearsTheGuidingSquare",
         [](MenusTest& t) {
             t.ClickFrame(Point{240, 320}, shiftKey);
             t.app().GetAutoGuider()->SetNormalMode(false);
         },
         MenuChoice(kMisc, 7),
         [](MenuWorld& w) {
             w.autoGuide = Rect{-1, -1, -1, -1};
             w.normalMode = true;
         },
         0},
        {"MiscClearWithoutAMountPortBeepsAndStillEndsTimedGuiding",
         [](MenusTest& t) {
             SerialInterface& serial = *t.app().GetSerialInterface();
             serial.BeginPortConfiguration();
             const std::vector<int32_t> functions{SerialInterface::kNoFtn, SerialInterface::kExposureDTRAmpRTSFtn};
             serial.FinishPortConfiguration(&functions);
             t.app().GetAutoGuider()->SetNormalMode(false);
         },
         MenuChoice(kMisc, 7), [](MenuWorld& w) { w.normalMode = true; }, 1},
        // The focus square sizes: 2 to the power (item - 9).
        {"MiscSixteenPixelSquare", Nothing, MenuChoice(kMisc, 13),
         [](MenuWorld& w) {
             Check(w, kMisc, 16, false);
             Check(w, kMisc, 13, true);
             w.pow2Dim = 16;
         },
         0},
        {"MiscSixtyFourPixelSquare", Nothing, MenuChoice(kMisc, 15),
         [](MenuWorld& w) {
             Check(w, kMisc, 16, false);
             Check(w, kMisc, 15, true);
             w.pow2Dim = 64;
         },
         0},
        {"MiscSquareAt128KeepsItsMark", Nothing, MenuChoice(kMisc, 16), NoChange, 0},
        {"MiscSquareMarkMovesOn", [](MenusTest& t) { t.app().HandleMenuChoice(MenuChoice(kMisc, 14)); },
         MenuChoice(kMisc, 16),
         [](MenuWorld& w) {
             Check(w, kMisc, 14, false);
             Check(w, kMisc, 16, true);
             w.pow2Dim = 128;
         },
         0},
        // The long-exposure rectangle and calibration.
        {"MiscClearsTheLongExposureRectangle", [](MenusTest& t) { t.ClickFrame(Point{240, 320}, cmdKey); },
         MenuChoice(kMisc, 4),
         [](MenuWorld& w) {
             w.longExposure = Rect{-1, -1, -1, -1};
             Enable(w, kMisc, 4, false);
         },
         0},
        {"MiscRestoresTheStoredRectangle",
         [](MenusTest& t) {
             t.ClickFrame(Point{240, 320}, cmdKey);
             t.app().HandleMenuChoice(MenuChoice(kMisc, 4));
             PrefFile().WriteAutoDetectLongExposureRect(100, 50);
         },
         MenuChoice(kMisc, 3),
         [](MenuWorld& w) {
             w.longExposure = MakeRect(95, 45, 105, 55);
             w.normalMode = false;
             Enable(w, kMisc, 4, true);
             // A new rectangle starts a calibration of the end cutoffs from 0.
             w.commands.cutoffs = {0, 0, 0};
         },
         0},
        {"MiscRestoreWithNothingStoredBeeps", Nothing, MenuChoice(kMisc, 3), NoChange, 1},
        {"MiscCalibrationWithoutDetectionBeeps", Nothing, MenuChoice(kMisc, 5), NoChange, 1},
        {"MiscSeparatorsAndNotesDoNothing", Nothing, MenuChoice(kMisc, 12), NoChange, 0},
        // View: the shown channel, the target, the windows.
        {"ViewRedChannel", Nothing, MenuChoice(kView, 20),
         [](MenuWorld& w) {
             Check(w, kView, 19, false);
             Check(w, kView, 20, true);
             w.channel = 1;
         },
         0},
        {"ViewAllChannelsAgain", [](MenusTest& t) { t.app().HandleMenuChoice(MenuChoice(kView, 22)); },
         MenuChoice(kView, 19),
         [](MenuWorld& w) {
             Check(w, kView, 22, false);
             Check(w, kView, 19, true);
             w.channel = 0;
         },
         0},
        {"ViewClearsTheTarget", [](MenusTest& t) { t.ClickFrame(Point{100, 200}, optionKey); }, MenuChoice(kView, 15),
         [](MenuWorld& w) {
             w.target = Point{-1, -1};
             Enable(w, kView, 15, false);
         },
         0},
        {"ViewTargetBrighter", [](MenusTest& t) { t.app().HandleMenuChoice(MenuChoice(kView, 17)); },
         MenuChoice(kView, 16), [](MenuWorld& w) { w.targetBrightness += FrameWindowsGroup::kTargetBrightnessStep; }, 0},
        {"ViewTargetDimmer", Nothing, MenuChoice(kView, 17),
         [](MenuWorld& w) { w.targetBrightness -= FrameWindowsGroup::kTargetBrightnessStep; }, 0},
        {"ViewShowsTheHistogramsWindow", Nothing, MenuChoice(kView, 27), [](MenuWorld& w) { w.windowsShown[3] = true; },
         0},
        {"ViewShowsTheFocusAidWindow", Nothing, MenuChoice(kView, 29), [](MenuWorld& w) { w.windowsShown[5] = true; },
         0},
        {"ViewShowsAHiddenRawWindow",
         [](MenusTest& t) { HideWindow(t.app().GetFrameWindowsGroup()->GetRawFrameWindow()); }, MenuChoice(kView, 24),
         [](MenuWorld& w) { w.windowsShown[0] = true; }, 0},
        {"ViewKeyboardNotesDoNothing", Nothing, MenuChoice(kView, 6), NoChange, 0},
        // File.
        {"FileHidesTheFrontWindow", [](MenusTest& t) { t.app().HandleMenuChoice(MenuChoice(kView, 26)); },
         MenuChoice(kFile, 1), [](MenuWorld& w) { w.windowsShown[2] = false; }, 0},
        {"FileCancelsABatch", [](MenusTest& t) { t.StartBatch("3"); }, MenuChoice(kFile, 11),
         [](MenuWorld& w) {
             w.commands.batch = 0;
             w.commands.exposureOn = false;
             w.commands.ampOff = false;
             w.commands.stopWatchRunning = false;
         },
         0},
        {"FileCancelWithoutABatchResetsTheStopwatch", [](MenusTest& t) { t.PressKey(' '); }, MenuChoice(kFile, 11),
         [](MenuWorld& w) { w.commands.stopWatchRunning = false; }, 0},
        {"FileSeparatorDoesNothing", Nothing, MenuChoice(kFile, 12), NoChange, 0},
        {"FileQuitSetsTheQuitFlag", Nothing, MenuChoice(kFile, 13), [](MenuWorld& w) { w.quit = true; }, 0},
        // The menus that do nothing, and choices outside the menus.
        {"EditUndo", Nothing, MenuChoice(kEditMenu, 1), NoChange, 0},
        {"EditPaste", Nothing, MenuChoice(kEditMenu, 5), NoChange, 0},
        {"AppleMenuOtherItem", Nothing, MenuChoice(kAppleMenu, 2), NoChange, 0},
        {"UnknownMenu", Nothing, MenuChoice(134, 1), NoChange, 0},
        {"MenuBelowTheProgramsMenus", Nothing, MenuChoice(127, 1), NoChange, 0},
        {"NothingChosen", Nothing, 0, NoChange, 0},
    };
    return cases;
}

class MenuCommand : public MenusTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(MenuCommand, ChangesWhatItsItemChangesAndNothingElse) {
    const MenuCase& c = GetParam();
    c.arrange(*this);
    host().ResetBeeps();
    MenuWorld expected = World();
    c.change(expected);
    app().HandleMenuChoice(c.choice);
    EXPECT_EQ(World(), expected);
    EXPECT_EQ(host().Beeps(), c.beeps);
    MainObject::quit = false;
}

INSTANTIATE_TEST_SUITE_P(Items, MenuCommand, ::testing::ValuesIn(MenuCases()),
                         [](const ::testing::TestParamInfo<MenuCase>& info) { return std::string(info.param.name); });

// The marks and enabled states at a start without stored preferences.
TEST_F(MenusTest, MarksAtAStartWithoutPreferences) {
    const std::vector<std::tuple<int16_t, int16_t, bool>> marks = {
        {kDebayerizeMenu, 1, false}, {kDebayerizeMenu, 3, true}, {kDebayerizeMenu, 4, false},
        {kDebayerizeMenu, 8, false}, {kDebayerizeMenu, 9, true}, {kDebayerizeMenu, 10, false},
        {kMisc, 8, false},           {kMisc, 9, false},          {kMisc, 10, false},
        {kMisc, 13, false},          {kMisc, 16, true},          {kView, 19, true},
        {kView, 20, false},
    };
    for (const auto& [menu, item, checked] : marks)
        EXPECT_EQ(IsMenuItemChecked(GetMenuHandle(menu), item), checked) << menu << ":" << item;
    const std::vector<std::tuple<int16_t, int16_t, bool>> enabled = {
        {kFile, 1, true},  {kFile, 3, true},  {kFile, 5, false}, {kFile, 9, false}, {kFile, 10, false},
        {kFile, 13, true}, {kMisc, 1, true},  {kMisc, 4, false}, {kMisc, 3, true},  {kView, 15, false},
        {kView, 16, true},
    };
    for (const auto& [menu, item, on] : enabled)
        EXPECT_EQ(IsMenuItemEnabled(GetMenuHandle(menu), item), on) << menu << ":" << item;
}

// Items that are enabled by what the observer does: a movie folder enables recording,
// a picture folder saving and batches; only ever from disabled to enabled.
TEST_F(MenusTest, FoldersEnableTheirItems) {
    TempFolder folder("scopecam-menus");
    ChooseMovieFolder(folder.path());
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFile), kRecordMovieItem));
    EXPECT_FALSE(IsMenuItemEnabled(GetMenuHandle(kFile), 9));
    host().PushKeyDown('a', cmdKey);
    for (char c : folder.path()) host().PushKeyDown(static_cast<unsigned char>(c));
    host().PushKeyDown(kReturnCharCode);
    app().HandleMenuChoice(MenuChoice(kFile, 7));
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFile), 9));
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFile), 10));
    // A cancelled chooser leaves them enabled.
    host().PushKeyDown(kEscapeCharCode);
    app().HandleMenuChoice(MenuChoice(kFile, 7));
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kFile), 9));
}

// Recording from the menu notes the start, and the data window's duration counts from
// it; the record item during a recording does nothing.
TEST_F(MenusTest, RecordingFromTheMenu) {
    TempFolder folder("scopecam-menus");
    ChooseMovieFolder(folder.path());
    app().HandleMenuChoice(MenuChoice(kFile, kRecordMovieItem));
    ASSERT_TRUE(app().GetWebcamInterface()->GetRecordingMovie());
    const std::string path = app().GetWebcamInterface()->GetMoviePath();
    app().HandleMenuChoice(MenuChoice(kFile, kRecordMovieItem));
    EXPECT_TRUE(app().GetWebcamInterface()->GetRecordingMovie());
    EXPECT_EQ(app().GetWebcamInterface()->GetMoviePath(), path) << "the same recording goes on";
}

// A choice clears the menu title's highlight; a choice of nothing leaves it alone.
TEST_F(MenusTest, TheHighlightAfterAChoice) {
    HiliteMenu(kEditMenu);
    app().HandleMenuChoice(0);
    EXPECT_EQ(GetHilitedMenu(), kEditMenu);
    app().HandleMenuChoice(MenuChoice(kEditMenu, 3));
    EXPECT_EQ(GetHilitedMenu(), 0);
}

// The about box is modal: it shows what scopecam is until its OK is pressed.
TEST_F(MenusTest, TheAboutBoxShowsUntilOK) {
    // Looks at the front window whenever the box waits for the observer.
    auto title = std::make_shared<std::string>();
    AddBackgroundTask([title] {
        WindowPtr front = FrontWindow();
        if (front == nullptr || GetDialogFromWindow(front) == nullptr) return;
        Str255 text;
        GetWTitle(front, text);
        *title = PascalToString(text);
    });
    host().PushKeyDown('x');
    host().PushKeyDown(kReturnCharCode);
    app().HandleMenuChoice(MenuChoice(kAppleMenu, 1));
    EXPECT_EQ(*title, "About scopecam");
    EXPECT_EQ(host().PendingInput(), 0u);
    EXPECT_EQ(GetDialogFromWindow(FrontWindow()), nullptr) << "the box is gone";
}

// The marks come from the stored preferences when there are some.
class MenusFromPreferences : public ObservingTest {};

TEST_F(MenusFromPreferences, MarksFollowTheStoredSettings) {
    {
        PrefFile prefs;
        prefs.WriteDeBayerize(true);
        prefs.WriteBayerPattern(static_cast<BayerColor>(3));
        prefs.WriteDebayerAlg(static_cast<DebayerAlg>(0));
        prefs.WriteFlipNS(true);
        prefs.WriteFlipEW(true);
        prefs.WriteDisableDecGuiding(true);
    }
    StartNewRun();
    Start(TestPatternOptions());
    const std::vector<std::tuple<int16_t, int16_t, bool>> marks = {
        {kDebayerizeMenu, 1, true}, {kDebayerizeMenu, 3, false}, {kDebayerizeMenu, 6, true},
        {kDebayerizeMenu, 8, true}, {kDebayerizeMenu, 9, false}, {kMisc, 8, true},
        {kMisc, 9, true},           {kMisc, 10, true},
    };
    for (const auto& [menu, item, checked] : marks)
        EXPECT_EQ(IsMenuItemChecked(GetMenuHandle(menu), item), checked) << menu << ":" << item;
}

}  // namespace
