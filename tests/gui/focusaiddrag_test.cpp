// The whole program on the desktop host with the simulated sky: the observer shows the
// focus-aid window, marks a focus square with the right button and drags the upper
// cutoff's thumb with the real pointer. While the button is still held, the window
// seen on the X display goes on frame by frame: the chart grows and the green line of
// the upper cutoff follows the thumb.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/MainObject.h"
#include "display/FrameWindowsGroup.h"
#include "processing/RawFrameProcessor.h"
#include "tests/gui/DesktopFixture.h"
#include "tests/support/PpmImage.h"

namespace {

using namespace std::chrono_literals;

constexpr int16_t kViewMenu = 133;
constexpr int16_t kFocusAidWindowItem = 29;

// The upper cutoff slider's thumb for a 128 square at rest on ring 90 (the top of
// its track), the row where the spectrum box shows the green cutoff lines, and the
// chart's area right of its axis; all in the focus-aid window.
constexpr int kHighThumbH = 193, kHighThumbV = 143;
constexpr int kCutoffLineRow = 60;
constexpr int kBoxInsideLeft = 11, kBoxInsideRight = 194;
constexpr int kChartLeft = 241, kChartTop = 8, kChartBottom = 268;

bool Green(const PpmImage& shot, int x, int y) {
    const Rgb c = shot.At(x, y);
    return c.g > 0xC0 && c.r < 0x40;
}

// The leftmost green column of the spectrum box's row; -1 when there is none.
int GreenLine(const PpmImage& shot) {
    for (int x = kBoxInsideLeft; x < kBoxInsideRight && x < shot.width; ++x)
        if (Green(shot, x, kCutoffLineRow)) return x;
    return -1;
}

// The green line right of the low cutoff's, which sits at the box's left.
int HighCutoffLine(const PpmImage& shot) {
    for (int x = kBoxInsideRight - 1; x > kBoxInsideLeft + 2; --x)
        if (Green(shot, x, kCutoffLineRow)) return x;
    return GreenLine(shot);
}

int ChartPixelsChanged(const PpmImage& before, const PpmImage& after) {
    int changed = 0;
    for (int y = kChartTop; y < kChartBottom && y < before.height; ++y)
        for (int x = kChartLeft; x < before.width; ++x) changed += !before.SameAt(after, x, y);
    return changed;
}

class FocusAidDragDesktopTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        MainObject::quit = false;
        ProgramOptions options;
        options.camera = "sim";
        app_ = std::make_unique<MainObject>(options);
        gMainObject = app_.get();
        RunPasses(300ms);
    }

    void TearDown() override {
        app_.reset();
        gMainObject = nullptr;
        MainObject::quit = false;
        DesktopTest::TearDown();
    }

    // One pass of the program's loop, as Run makes it.
    void Pass() {
        SetEventMask(everyEvent);
        EventRecord event;
        WaitNextEvent(everyEvent, &event, static_cast<uint32_t>(app_->GetEventPause()), nullptr);
        app_->DoEvent(event);
    }
    void RunPasses(std::chrono::milliseconds howLong) {
        const auto end = std::chrono::steady_clock::now() + howLong;
        while (std::chrono::steady_clock::now() < end) Pass();
    }

    static Rect Content(WindowPtr w) {
        Rect r;
        GetWindowBounds(w, kWindowContentRgn, &r);
        return r;
    }
    static std::string Coordinate(int c) { return std::to_string(c); }

    std::unique_ptr<MainObject> app_;
};

TEST_F(FocusAidDragDesktopTest, TheChartGoesOnWhileTheObserverDragsACutoff) {
    FrameWindowsGroup& group = *app_->GetFrameWindowsGroup();
    RawFrameProcessor& processor = *app_->GetRawFrameProcessor();
    app_->HandleMenuChoice((long(kViewMenu) << 16) | kFocusAidWindowItem);
    ASSERT_TRUE(IsWindowVisible(group.GetFocusAidWindow()));

    // A short right-button drag in the middle of the level-adjusted frame: a 128 square.
    const Rect level = Content(group.GetLevelAdjustedFrameWindow());
    ASSERT_TRUE(Xdotool({"mousemove", Coordinate(level.left + 320), Coordinate(level.top + 240), "mousedown", "3",
                         "mousemove", Coordinate(level.left + 322), Coordinate(level.top + 240), "mouseup", "3"}));
    RunPasses(1s);
    const Rect square = group.GetHistogramBoundsRect();
    ASSERT_EQ(square.right - square.left, 127);
    ASSERT_EQ(square.bottom - square.top, 127);
    ASSERT_FLOAT_EQ(processor.GetCutoffHigh(), 90.50967f);

    // The observer's hand, on a thread of its own: press on the thumb, move left in
    // steps, look at the window twice while still holding the button, release.
    const Rect focus = Content(group.GetFocusAidWindow());
    const int pressH = focus.left + kHighThumbH, pressV = focus.top + kHighThumbV;
    PpmImage early, late;
    std::string handFailure;
    std::atomic<bool> released{false};
    std::thread hand([&] {
        auto run = [&](std::vector<std::string> argv) {
            ChildResult r = RunChild(argv);
            if (r.status != 0 && handFailure.empty()) handFailure = argv[0] + ": " + r.output;
        };
        run({"xdotool", "mousemove", Coordinate(pressH), Coordinate(pressV), "mousedown", "1"});
        for (int step = 1; step <= 8; ++step) {
            run({"xdotool", "mousemove", Coordinate(pressH - 10 * step), Coordinate(pressV)});
            std::this_thread::sleep_for(120ms);
            if (step == 3) early = CaptureScreen(focus);
        }
        std::this_thread::sleep_for(500ms);
        late = CaptureScreen(focus);
        run({"xdotool", "mouseup", "1"});
        released = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!released && std::chrono::steady_clock::now() < deadline) Pass();
    hand.join();
    RunPasses(300ms);

    ASSERT_TRUE(handFailure.empty()) << handFailure;
    ASSERT_TRUE(early.error.empty() && late.error.empty()) << "import could not read the display";
    const int earlyLine = HighCutoffLine(early), lateLine = HighCutoffLine(late);
    EXPECT_LT(earlyLine, kHighThumbH) << "the frames of the drag show the cutoff as the thumb moves";
    EXPECT_LT(lateLine, earlyLine);
    EXPECT_GE(ChartPixelsChanged(early, late), 9) << "at least one more point on the chart while the button was held";

    // Released: the cutoff rests where the thumb rests, on a whole ring.
    const float high = processor.GetCutoffHigh();
    EXPECT_LT(high, 90.0f);
    EXPECT_EQ(high, static_cast<float>(static_cast<int>(high)));
}

}  // namespace
