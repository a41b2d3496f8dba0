// The data window, read by its pixels: every value is compared, inside the rectangle
// it erases, with the same text drawn by hand at its place, size and face on black;
// every pixel outside that rectangle must stay as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/DataWindow.h"
#include "app/StopWatch.h"
#include "app/Templates.h"
#include "platform/host/HeadlessHost.h"
#include "tests/support/ToolboxFixture.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kWhite = 0xFFFFFF;

Rect Box(int left, int top, int right, int bottom) { return MakeRect(left, top, right, bottom); }

// Text as the window should show it: left end h, baseline v.
struct Ink {
    int h;
    int v;
    std::string text;
    int size = 9;
    int16_t face = normal;
};

uint8_t* PixelAddress(const GrafPort* port, int h, int v) {
    const PixMap& pm = port->pixMap;
    return pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + (h - pm.bounds.left) * 4;
}

uint32_t PixelAt(const GrafPort* port, int h, int v) {
    const uint8_t* p = PixelAddress(port, h, v);
    return uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void FillPort(GrafPort* port, uint32_t rgb) {
    for (int v = port->portRect.top; v < port->portRect.bottom; ++v) {
        for (int h = port->portRect.left; h < port->portRect.right; ++h) {
            uint8_t* p = PixelAddress(port, h, v);
            p[0] = 0;
            p[1] = uint8_t(rgb >> 16);
            p[2] = uint8_t(rgb >> 8);
            p[3] = uint8_t(rgb);
        }
    }
}

bool InAny(const std::vector<Rect>& boxes, int h, int v) {
    Point pt{int16_t(v), int16_t(h)};
    for (const Rect& r : boxes)
        if (PtInRect(pt, &r)) return true;
    return false;
}

// A port of the window's size drawn by hand: black, with the inks in red.
class Reference {
public:
    Reference(const Rect& bounds, const std::vector<Ink>& inks) {
        GrafPtr oldPort;
        GetPort(&oldPort);
        EXPECT_EQ(NewGWorld(&world_, 32, &bounds, nullptr, nullptr, 0), noErr);
        SetGWorld(world_, nullptr);
        BackColor(blackColor);
        ForeColor(redColor);
        EraseRect(&bounds);
        for (const Ink& ink : inks) {
            TextSize(ink.size);
            TextFace(ink.face);
            MoveTo(ink.h, ink.v);
            DrawText(ink.text);
        }
        SetPort(oldPort);
    }
    ~Reference() { DisposeGWorld(world_); }
    const GrafPort* Port() const { return world_; }

private:
    GWorldPtr world_ = nullptr;
};

class DataWindowTest : public ToolboxTest {
protected:
    void SetUp() override {
        ToolboxTest::SetUp();
        RegisterWindowTemplates();
        clock().SetTicks(100000);
    }

    static GrafPort* PortOf(DataWindow& dw) { return GetWindowPort(dw.GetDataWindow()); }

    // Every pixel inside boxes matches the reference of inks on black; every pixel
    // outside is still `outside`.
    static void ExpectShows(const GrafPort* port, const std::vector<Rect>& boxes, const std::vector<Ink>& inks,
                            uint32_t outside) {
        Reference ref(port->portRect, inks);
        int wrongInside = 0, wrongOutside = 0, inked = 0;
        std::string first;
        for (int v = port->portRect.top; v < port->portRect.bottom; ++v) {
            for (int h = port->portRect.left; h < port->portRect.right; ++h) {
                const uint32_t got = PixelAt(port, h, v);
                const bool inside = InAny(boxes, h, v);
                const uint32_t want = inside ? PixelAt(ref.Port(), h, v) : outside;
                if (inside && want != kBlack) ++inked;
                if (got == want) continue;
                (inside ? wrongInside : wrongOutside)++;
                if (first.empty()) {
                    char text[96];
                    std::snprintf(text, sizeof text, "first at (%d, %d): %06x, expected %06x", h, v, got, want);
                    first = text;
                }
            }
        }
        EXPECT_EQ(wrongInside, 0) << first;
        EXPECT_EQ(wrongOutside, 0) << first;
        if (!inks.empty()) {
            EXPECT_GT(inked, 0) << "the expected text lies outside its rectangle";
        }
    }
};

TEST_F(DataWindowTest, OpensShownFromItsTemplate) {
    DataWindow dw;
    WindowPtr w = dw.GetDataWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->templateId, 131);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_GE(RectWidth(w->portRect), 300);
    EXPECT_GE(RectHeight(w->portRect), 300);
}

const std::vector<Ink> kLabelInks = {
    {3, 30, "StopWatch (seconds): "},
    {3, 60, "Alarm (seconds): "},
    {3, 80, "FPS (of program, not camera): "},
    {3, 90, "Event Pause (ticks): "},
    {3, 120, "Remaining Batch: "},
    {150, 165, "Red"},
    {200, 165, "Green"},
    {250, 165, "Blue"},
    {3, 175, "max red/green/blue: "},
    {3, 185, "end cutoff: "},
    {3, 195, "last max above end cutoff: "},
    {3, 210, "Movie Duration (seconds): "},
    {3, 230, "Autoguide NS delay: "},
    {3, 240, "Autoguide NS state: "},
    {3, 250, "Autoguide EW delay: "},
    {3, 260, "Autoguide EW state: "},
    {3, 280, "Long Exposure: "},
    {3, 290, "Amplifier: "},
};

TEST_F(DataWindowTest, UpdateDrawsOnlyTheLabelsRedOnBlack) {
    DataWindow dw;
    dw.DrawFPS(2);
    dw.DrawBatchSize(12);
    dw.DrawAutoGuideNSState(true, true);
    dw.DrawDataWindow();  // as after the window is uncovered: the values are gone
    GrafPort* port = PortOf(dw);
    ExpectShows(port, {port->portRect}, kLabelInks, kWhite);
}

TEST_F(DataWindowTest, LabelsEndBeforeTheValues) {
    DataWindow dw;
    SetPort(PortOf(dw));
    TextSize(9);
    for (const Ink& label : kLabelInks) {
        if (label.h != 3) continue;
        EXPECT_LE(label.h + TextWidthOf(label.text), 150) << label.text;
    }
}

// One value operation: what it is given, the rectangles it erases and what they show.
struct ValueCase {
    const char* name;
    std::function<void(DataWindow&)> draw;
    std::vector<Rect> boxes;
    std::vector<Ink> inks;
};

void PrintTo(const ValueCase& c, std::ostream* out) { *out << c.name; }

class DataWindowValueTest : public DataWindowTest, public ::testing::WithParamInterface<ValueCase> {};

// The window is filled white first, so that both the erasing and any pixel drawn
// outside the value's rectangles show.
TEST_P(DataWindowValueTest, DrawsInsideItsRectangleOnly) {
    const ValueCase& c = GetParam();
    DataWindow dw;
    dw.DrawDataWindow();
    FillPort(PortOf(dw), kWhite);
    c.draw(dw);
    ExpectShows(PortOf(dw), c.boxes, c.inks, kWhite);
}

const Rect kFpsBox = Box(150, 70, 180, 80), kWarningBox = Box(200, 60, 300, 80);
const Rect kCutoffBox = Box(150, 175, 300, 185), kMaxAtCutoffBox = Box(150, 185, 300, 195);
const Rect kNSDelayBox = Box(150, 220, 250, 230), kEWDelayBox = Box(150, 242, 250, 250);
const Rect kNSStateBox = Box(150, 230, 250, 242), kEWStateBox = Box(150, 250, 250, 262);

const ValueCase kValueCases[] = {
    {"Fps7", [](DataWindow& d) { d.DrawFPS(7); }, {kFpsBox, kWarningBox}, {{150, 80, "7"}}},
    {"Fps5NoWarning", [](DataWindow& d) { d.DrawFPS(5); }, {kFpsBox, kWarningBox}, {{150, 80, "5"}}},
    {"Fps4Warning",
     [](DataWindow& d) { d.DrawFPS(4); },
     {kFpsBox, kWarningBox},
     {{150, 80, "4"}, {200, 80, "FPS < 5"}}},
    {"Fps3LargeWarning",
     [](DataWindow& d) { d.DrawFPS(3); },
     {kFpsBox, kWarningBox},
     {{150, 80, "3"}, {200, 80, "FPS < 4!!!", 18, bold}}},
    {"Fps0LargeWarning",
     [](DataWindow& d) { d.DrawFPS(0); },
     {kFpsBox, kWarningBox},
     {{150, 80, "0"}, {200, 80, "FPS < 4!!!", 18, bold}}},
    {"Fps120", [](DataWindow& d) { d.DrawFPS(120); }, {kFpsBox, kWarningBox}, {{150, 80, "120"}}},
    {"EventPause", [](DataWindow& d) { d.DrawEventPause(12); }, {Box(150, 80, 180, 90)}, {{150, 90, "12"}}},
    {"Batch", [](DataWindow& d) { d.DrawBatchSize(25); }, {Box(150, 90, 300, 140)}, {{150, 135, "25", 50, bold}}},
    {"BatchZero", [](DataWindow& d) { d.DrawBatchSize(0); }, {Box(150, 90, 300, 140)}, {{150, 135, "0", 50, bold}}},
    {"Maxes",
     [](DataWindow& d) { d.DrawMaxes(255, 128, 7); },
     {Box(150, 165, 300, 175)},
     {{150, 175, "255"}, {200, 175, "128"}, {250, 175, "7"}}},
    {"CutoffsReachedBoldAtOrAbove",
     [](DataWindow& d) { d.DrawEndCutoffs(200, 200, 200, 250, 100, 200); },
     {kCutoffBox, kMaxAtCutoffBox},
     {{150, 185, "200"},
      {200, 185, "200"},
      {250, 185, "200"},
      {150, 195, "250", 9, bold},
      {200, 195, "100"},
      {250, 195, "200", 9, bold}}},
    {"CutoffsReachedByGreenOnly",
     [](DataWindow& d) { d.DrawEndCutoffs(240, 180, 250, 239, 181, 3); },
     {kCutoffBox, kMaxAtCutoffBox},
     {{150, 185, "240"},
      {200, 185, "180"},
      {250, 185, "250"},
      {150, 195, "239"},
      {200, 195, "181", 9, bold},
      {250, 195, "3"}}},
    {"CutoffsNotReachedKeepLastMaxima",
     [](DataWindow& d) { d.DrawEndCutoffs(200, 210, 220, 199, 209, 219); },
     {kCutoffBox},
     {{150, 185, "200"}, {200, 185, "210"}, {250, 185, "220"}}},
    {"MovieDuration", [](DataWindow& d) { d.DrawMovieDuration(754); }, {Box(150, 200, 180, 210)}, {{150, 210, "754"}}},
    {"VideoPhaseLargest",
     [](DataWindow& d) { d.DrawMovieDuration(33366); },
     {Box(150, 200, 180, 210)},
     {{150, 210, "33366"}}},
    {"NSDelay0Disabled", [](DataWindow& d) { d.DrawAutoGuideNSDelay(0); }, {kNSDelayBox}, {{150, 230, "disabled"}}},
    {"NSDelay1Disabled", [](DataWindow& d) { d.DrawAutoGuideNSDelay(1); }, {kNSDelayBox}, {{150, 230, "disabled"}}},
    {"NSDelay2Ticks", [](DataWindow& d) { d.DrawAutoGuideNSDelay(2); }, {kNSDelayBox}, {{150, 230, "0"}}},
    {"NSDelay90Ticks", [](DataWindow& d) { d.DrawAutoGuideNSDelay(90); }, {kNSDelayBox}, {{150, 230, "1"}}},
    {"NSDelayMinus120Ticks", [](DataWindow& d) { d.DrawAutoGuideNSDelay(-120); }, {kNSDelayBox}, {{150, 230, "2"}}},
    {"EWDelay1Disabled", [](DataWindow& d) { d.DrawAutoGuideEWDelay(1); }, {kEWDelayBox}, {{150, 250, "disabled"}}},
    {"EWDelay90Ticks", [](DataWindow& d) { d.DrawAutoGuideEWDelay(90); }, {kEWDelayBox}, {{150, 250, "1"}}},
    {"EWDelayMinus120Ticks", [](DataWindow& d) { d.DrawAutoGuideEWDelay(-120); }, {kEWDelayBox}, {{150, 250, "2"}}},
    {"GuidingNorth", [](DataWindow& d) { d.DrawAutoGuideNSState(true, true); }, {kNSStateBox}, {{150, 240, "guiding north"}}},
    {"GuidingSouth", [](DataWindow& d) { d.DrawAutoGuideNSState(true, false); }, {kNSStateBox}, {{150, 240, "guiding south"}}},
    {"NSWaiting", [](DataWindow& d) { d.DrawAutoGuideNSState(false, true); }, {kNSStateBox}, {{150, 240, "waiting"}}},
    {"GuidingEast", [](DataWindow& d) { d.DrawAutoGuideEWState(true, true); }, {kEWStateBox}, {{150, 260, "guiding east"}}},
    {"GuidingWest", [](DataWindow& d) { d.DrawAutoGuideEWState(true, false); }, {kEWStateBox}, {{150, 260, "guiding west"}}},
    {"EWWaiting", [](DataWindow& d) { d.DrawAutoGuideEWState(false, false); }, {kEWStateBox}, {{150, 260, "waiting"}}},
    {"ExposureOn", [](DataWindow& d) { d.DrawLongExposureState(true); }, {Box(150, 270, 250, 280)}, {{150, 280, "on"}}},
    {"ExposureOff", [](DataWindow& d) { d.DrawLongExposureState(false); }, {Box(150, 270, 250, 280)}, {{150, 280, "off"}}},
    {"AmplifierOff", [](DataWindow& d) { d.DrawAmpStateState(true); }, {Box(150, 280, 250, 290)}, {{150, 290, "off"}}},
    {"AmplifierOn", [](DataWindow& d) { d.DrawAmpStateState(false); }, {Box(150, 280, 250, 290)}, {{150, 290, "on"}}},
};

INSTANTIATE_TEST_SUITE_P(Values, DataWindowValueTest, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// The stopwatch after some ticks with an alarm time: what both rows show.
struct StopWatchCase {
    const char* name;
    uint32_t ticks;
    double alarm;
    const char* shown;
    const char* alarmShown;
    bool fired;
};

void PrintTo(const StopWatchCase& c, std::ostream* out) { *out << c.name; }

class DataWindowStopWatchTest : public DataWindowTest, public ::testing::WithParamInterface<StopWatchCase> {};

TEST_P(DataWindowStopWatchTest, ShowsTwoTenthStepsAndTheAlarm) {
    const StopWatchCase& c = GetParam();
    DataWindow dw;
    dw.DrawDataWindow();
    FillPort(PortOf(dw), kWhite);
    StopWatch watch;
    watch.SetAlarmTrigger(c.alarm);
    watch.StartStopWatch();
    clock().AdvanceTicks(c.ticks);
    EXPECT_EQ(dw.DrawStopWatchAndAlarm(&watch), c.fired);
    ExpectShows(PortOf(dw), {Box(150, 0, 300, 50), Box(150, 50, 300, 60)},
                {{150, 45, c.shown, 50, bold}, {150, 60, c.alarmShown}}, kWhite);
}

INSTANTIATE_TEST_SUITE_P(
    Times, DataWindowStopWatchTest,
    ::testing::Values(StopWatchCase{"At12_58", 755, 7.6, "12.4", "7.6", true},  // 12.583 s
                      StopWatchCase{"At12_98", 779, 0.0, "12.8", "0.0", false},  // 12.983 s
                      StopWatchCase{"AtZero", 0, 0.25, "0.0", "0.2", false},
                      StopWatchCase{"At0_3", 18, 30.0, "0.2", "30.0", false},
                      StopWatchCase{"At0_98", 59, 1.0, "0.8", "1.0", false},
                      StopWatchCase{"At59_98", 3599, 59.95, "59.8", "59.9", true}),
    [](const ::testing::TestParamInfo<StopWatchCase>& info) { return std::string(info.param.name); });

// Red pixels of the port within box, and the rightmost column holding one.
int CountRed(const GrafPort* port, const Rect& box, int* rightmost) {
    int count = 0;
    *rightmost = -1;
    for (int v = box.top; v < box.bottom; ++v) {
        for (int h = box.left; h < box.right; ++h) {
            if ((PixelAt(port, h, v) & 0xFF0000) != 0) {
                ++count;
                *rightmost = std::max(*rightmost, h);
            }
        }
    }
    return count;
}

TEST_F(DataWindowTest, LongTimesAndBatchesStayInsideTheirRectangles) {
    DataWindow dw;
    dw.DrawDataWindow();
    FillPort(PortOf(dw), kWhite);
    StopWatch watch;
    watch.StartStopWatch();
    clock().AdvanceTicks(60 * 1234 + 30);  // 1234.5 s
    dw.DrawStopWatchAndAlarm(&watch);
    dw.DrawBatchSize(123456);

    const Rect stopWatchBox = Box(150, 0, 300, 50), batchBox = Box(150, 90, 300, 140);
    GrafPort* port = PortOf(dw);
    for (int v = 0; v < port->portRect.bottom; ++v)
        for (int h = 0; h < port->portRect.right; ++h)
            if (!InAny({stopWatchBox, Box(150, 50, 300, 60), batchBox}, h, v)) {
                ASSERT_EQ(PixelAt(port, h, v), kWhite) << h << ", " << v;
            }
    // Still large text: smaller than size 50 only as far as needed.
    int rightmost = 0;
    EXPECT_GT(CountRed(port, stopWatchBox, &rightmost), 1000);
    EXPECT_GT(rightmost, 260);
    EXPECT_GT(CountRed(port, batchBox, &rightmost), 1000);
    EXPECT_GT(rightmost, 260);
}

// The bar's pixels: the frame's outline and 5 columns a step from its left, red; the
// rest of the inside as it was (black).
void ExpectCalibrationBar(const GrafPort* port, int steps) {
    int wrong = 0;
    for (int v = 140; v < 160; ++v) {
        for (int h = 5; h < 55; ++h) {
            const bool outline = v == 140 || v == 159 || h == 5 || h == 54;
            const uint32_t want = outline || h < 5 + 5 * steps ? kRed : kBlack;
            if (PixelAt(port, h, v) != want) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0) << steps << " steps";
}

TEST_F(DataWindowTest, CalibrationBarGrowsFivePixelsAStep) {
    DataWindow dw;
    dw.DrawDataWindow();
    GrafPort* port = PortOf(dw);
    for (int steps : {0, 1, 4, 9, 10}) {
        dw.DrawCalibrationProgressBar(steps);
        ExpectCalibrationBar(port, steps);
    }
    dw.EraseCalibrationProgressBar();
    ExpectShows(port, {port->portRect}, kLabelInks, kWhite);
}

TEST_F(DataWindowTest, CalibrationBarStaysInItsFrame) {
    DataWindow dw;
    dw.DrawDataWindow();
    dw.DrawCalibrationProgressBar(25);
    ExpectCalibrationBar(PortOf(dw), 10);
    EXPECT_EQ(PixelAt(PortOf(dw), 55, 150), kBlack);
}

TEST_F(DataWindowTest, MaximaRowKeepsLastFrameThatReachedACutoff) {
    DataWindow dw;
    dw.DrawDataWindow();
    dw.DrawEndCutoffs(100, 100, 100, 150, 20, 30);
    dw.DrawEndCutoffs(120, 130, 140, 10, 20, 30);  // nothing reached: the row stays
    std::vector<Ink> inks = kLabelInks;
    inks.insert(inks.end(), {{150, 185, "120"},
                             {200, 185, "130"},
                             {250, 185, "140"},
                             {150, 195, "150", 9, bold},
                             {200, 195, "20"},
                             {250, 195, "30"}});
    GrafPort* port = PortOf(dw);
    ExpectShows(port, {port->portRect}, inks, kWhite);
}

// The rows of the guiding figures touch: each value leaves its neighbours whole.
TEST_F(DataWindowTest, GuidingRowsLeaveEachOtherWhole) {
    DataWindow dw;
    dw.DrawDataWindow();
    dw.DrawAutoGuideNSState(true, true);
    dw.DrawAutoGuideEWState(true, false);
    dw.DrawAutoGuideNSDelay(1);
    dw.DrawAutoGuideEWDelay(90);
    std::vector<Ink> inks = kLabelInks;
    inks.insert(inks.end(),
                {{150, 240, "guiding north"}, {150, 260, "guiding west"}, {150, 230, "disabled"}, {150, 250, "1"}});
    GrafPort* port = PortOf(dw);
    ExpectShows(port, {port->portRect}, inks, kWhite);
}

TEST_F(DataWindowTest, WarningDisappearsAtFiveFrames) {
    DataWindow dw;
    dw.DrawDataWindow();
    dw.DrawFPS(2);
    dw.DrawFPS(5);
    std::vector<Ink> inks = kLabelInks;
    inks.push_back({150, 80, "5"});
    GrafPort* port = PortOf(dw);
    ExpectShows(port, {port->portRect}, inks, kWhite);
}

TEST_F(DataWindowTest, HiddenWindowIsNotErasedButTakesItsValues) {
    DataWindow dw;
    dw.DrawDataWindow();
    HideWindow(dw.GetDataWindow());
    GrafPort* port = PortOf(dw);
    FillPort(port, kWhite);

    dw.DrawDataWindow();
    dw.EraseWindow();
    ExpectShows(port, {}, {}, kWhite);

    dw.DrawFPS(9);
    dw.DrawAutoGuideEWState(true, false);
    ExpectShows(port, {kFpsBox, kWarningBox, kEWStateBox}, {{150, 80, "9"}, {150, 260, "guiding west"}}, kWhite);
}

TEST_F(DataWindowTest, ValuesBeforeTheFirstUpdateAreRedOnBlack) {
    DataWindow dw;
    dw.DrawAutoGuideNSDelay(0);
    ExpectShows(PortOf(dw), {kNSDelayBox}, {{150, 230, "disabled"}}, kWhite);
}

TEST_F(DataWindowTest, DrawingLeavesItsPortCurrent) {
    DataWindow dw;
    GWorldPtr other = nullptr;
    Rect r = Box(0, 0, 8, 8);
    ASSERT_EQ(NewGWorld(&other, 32, &r, nullptr, nullptr, 0), noErr);
    SetGWorld(other, nullptr);
    dw.DrawMaxes(1, 2, 3);
    EXPECT_EQ(CurrentPort(), PortOf(dw));
    DisposeGWorld(other);
}

// Writes a PNG of a window full of figures: to SCOPECAM_SNAPSHOT_DIR when that is
// set (to look at), else to a temporary folder that is removed again.
TEST_F(DataWindowTest, WritesAReadablePicture) {
    DataWindow dw;
    dw.DrawDataWindow();
    StopWatch watch;
    watch.SetAlarmTrigger(30.0);
    watch.StartStopWatch();
    clock().AdvanceTicks(755);
    dw.DrawStopWatchAndAlarm(&watch);
    dw.DrawFPS(3);
    dw.DrawEventPause(2);
    dw.DrawBatchSize(12);
    dw.DrawCalibrationProgressBar(6);
    dw.DrawMaxes(212, 187, 143);
    dw.DrawEndCutoffs(200, 200, 200, 212, 187, 143);
    dw.DrawMovieDuration(16683);
    dw.DrawAutoGuideNSDelay(1);
    dw.DrawAutoGuideNSState(true, true);
    dw.DrawAutoGuideEWDelay(-120);
    dw.DrawAutoGuideEWState(false, false);
    dw.DrawLongExposureState(true);
    dw.DrawAmpStateState(true);

    const char* keep = std::getenv("SCOPECAM_SNAPSHOT_DIR");
    std::string folder;
    if (keep != nullptr) {
        folder = keep;
    } else {
        std::string pattern = (std::filesystem::temp_directory_path() / "scopecam-datawindow-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    const std::string path = folder + "/data-window.png";
    EXPECT_TRUE(WritePortPNG(PortOf(dw), path));
    EXPECT_GT(std::filesystem::file_size(path), 1000u);
    if (keep == nullptr) std::filesystem::remove_all(folder);
}

}  // namespace
