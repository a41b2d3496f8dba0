// An observing session over two runs: the observer sets de-Bayering, its pattern and
// algorithm, the guiding options and the long-exposure point; the next run of the
// program starts with them and its menus show them checked.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "platform/Menus.h"
#include "tests/support/ObservingFixture.h"

namespace {

constexpr int16_t kDebayerizeMenu = 131;
constexpr int16_t kMiscMenu = 132;
constexpr int16_t kRestoreLongExposureItem = 3;
constexpr int16_t kClearLongExposureItem = 4;

using Mark = std::tuple<int16_t, int16_t, bool>;

class PreferencesSession : public ObservingTest {
protected:
    void ExpectMarks(const std::vector<Mark>& marks) {
        for (const auto& [menu, item, checked] : marks)
            EXPECT_EQ(IsMenuItemChecked(GetMenuHandle(menu), item), checked) << "menu " << menu << " item " << item;
    }
    void Restart() {
        NextRun();
        Start(TestPatternOptions());
    }
};

TEST_F(PreferencesSession, TheObserversSettingsSurviveARestart) {
    Start(TestPatternOptions());
    RunFor(0.2);
    ChooseMenuItem(kDebayerizeMenu, 1);   // de-Bayer frames
    ChooseMenuItem(kDebayerizeMenu, 6);   // pattern 3
    ChooseMenuItem(kDebayerizeMenu, 8);   // nearest neighbour
    ChooseMenuItem(kMiscMenu, 8);         // declination guiding off
    ChooseMenuItem(kMiscMenu, 9);         // north-south reversed
    ChooseMenuItem(kMiscMenu, 10);        // east-west reversed
    // The long-exposure point: a command-click on the frame.
    ClickFrame(Point{123, 321}, cmdKey);
    const Rect placed = app().GetRawFrameProcessor()->GetAutoDetectLongExposureRect();
    ASSERT_NE(placed.left, -1);

    Restart();
    RawFrameProcessor& processor = *app().GetRawFrameProcessor();
    EXPECT_TRUE(processor.GetDebayerize());
    EXPECT_EQ(processor.GetBayerPattern(), 3);
    EXPECT_EQ(processor.GetDebayerAlg(), 0);
    AutoGuider& guider = *app().GetAutoGuider();
    EXPECT_TRUE(guider.GetDecDisabled());
    EXPECT_FALSE(guider.GetNorthIsUp());
    EXPECT_FALSE(guider.GetEastIsRight());
    ExpectMarks({{kDebayerizeMenu, 1, true},
                 {kDebayerizeMenu, 3, false},
                 {kDebayerizeMenu, 6, true},
                 {kDebayerizeMenu, 8, true},
                 {kDebayerizeMenu, 9, false},
                 {kMiscMenu, 8, true},
                 {kMiscMenu, 9, true},
                 {kMiscMenu, 10, true}});
    // The rectangle itself comes back on demand, at the same place.
    EXPECT_EQ(processor.GetAutoDetectLongExposureRect().left, -1);
    EXPECT_FALSE(IsMenuItemEnabled(GetMenuHandle(kMiscMenu), kClearLongExposureItem));
    ChooseMenuItem(kMiscMenu, kRestoreLongExposureItem);
    EXPECT_EQ(processor.GetAutoDetectLongExposureRect(), placed);
    EXPECT_TRUE(IsMenuItemEnabled(GetMenuHandle(kMiscMenu), kClearLongExposureItem));

    // Everything set back, and the run after that starts as a fresh one would.
    ChooseMenuItem(kDebayerizeMenu, 1);
    ChooseMenuItem(kDebayerizeMenu, 3);
    ChooseMenuItem(kDebayerizeMenu, 9);
    ChooseMenuItem(kMiscMenu, 8);
    ChooseMenuItem(kMiscMenu, 9);
    ChooseMenuItem(kMiscMenu, 10);
    ChooseMenuItem(kMiscMenu, kClearLongExposureItem);
    Restart();
    ExpectMarks({{kDebayerizeMenu, 1, false},
                 {kDebayerizeMenu, 3, true},
                 {kDebayerizeMenu, 6, false},
                 {kDebayerizeMenu, 9, true},
                 {kMiscMenu, 8, false},
                 {kMiscMenu, 9, false},
                 {kMiscMenu, 10, false}});
    ChooseMenuItem(kMiscMenu, kRestoreLongExposureItem);
    EXPECT_EQ(Beeps(), 1) << "a cleared rectangle does not come back";
    EXPECT_EQ(app().GetRawFrameProcessor()->GetAutoDetectLongExposureRect().left, -1);
}

// The settings live in the preferences file under the configuration folder, written at
// the moment they change.
TEST_F(PreferencesSession, EachChangeIsWrittenAtOnce) {
    Start(TestPatternOptions());
    ChooseMenuItem(kMiscMenu, 9);
    const std::string text = ReadPrefsText();
    EXPECT_NE(text.find("flipNS"), std::string::npos) << text;
    EXPECT_EQ(text.find("debayerize"), std::string::npos) << text;
    ChooseMenuItem(kDebayerizeMenu, 1);
    EXPECT_NE(ReadPrefsText().find("debayerize"), std::string::npos);
}

}  // namespace
