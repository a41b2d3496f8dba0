// The frame windows on the desktop host, driven with the real pointer: a drag in the
// level-adjusted window defines the histogram rectangle and an Alt-click (option)
// the target, as an observer would do it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/DataWindow.h"
#include "app/StopWatch.h"
#include "app/Templates.h"
#include "control/AutoGuider.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "processing/RawFrameProcessor.h"
#include "tests/gui/DesktopFixture.h"

namespace {

class FrameWindowsDesktopTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        RegisterAllTemplates();
        dataWindow = std::make_unique<DataWindow>();
        serial = std::make_unique<SerialInterface>(dataWindow.get());
        autoGuider = std::make_unique<AutoGuider>(serial.get());
        const Rect r = MakeRect(0, 0, 640, 480), q = MakeRect(0, 0, 160, 120);
        for (auto* frame : {&raw, &longExposure, &levelAdjusted}) *frame = std::make_unique<GWorldWrapper>(32, r, -1);
        for (auto* frame : {&red, &green, &blue}) *frame = std::make_unique<GWorldWrapper>(32, q, -1);
        processor = std::make_unique<RawFrameProcessor>(raw.get(), longExposure.get(), levelAdjusted.get(), red.get(),
                                                        green.get(), blue.get(), serial.get());
        dialog = std::make_unique<HistogramsDialog>(processor.get());
        group = std::make_unique<FrameWindowsGroup>(raw.get(), longExposure.get(), levelAdjusted.get(), red.get(),
                                                    green.get(), blue.get(), processor.get(), autoGuider.get(),
                                                    serial.get(), dialog.get(), dataWindow.get());
        processor->SetFrameWindowsGroup(group.get());
        Settle();
    }

    void TearDown() override {
        group.reset();
        dialog.reset();
        processor.reset();
        autoGuider.reset();
        serial.reset();
        dataWindow.reset();
        for (auto* frame : {&raw, &longExposure, &levelAdjusted, &red, &green, &blue}) frame->reset();
        DesktopTest::TearDown();
    }

    static std::string Coordinate(int c) { return std::to_string(c); }

    // The global point of a local point of the level-adjusted window.
    Point Global(int h, int v) {
        Rect content;
        GetWindowBounds(group->GetLevelAdjustedFrameWindow(), kWindowContentRgn, &content);
        return GlobalPt(content.left + h, content.top + v);
    }

    // Waits for the press the gesture made and hands it to the windows group, as the
    // application does.
    void HandlePress() {
        auto down = WaitFor(mouseDown);
        ASSERT_TRUE(down.has_value());
        WindowPtr window = nullptr;
        ASSERT_EQ(FindWindow(down->where, &window), inContent);
        ASSERT_EQ(window, group->GetLevelAdjustedFrameWindow());
        SelectWindow(window);
        group->HandleMouseDownInContent(window, down->where, down->modifiers & shiftKey, down->modifiers & controlKey,
                                        down->modifiers & optionKey, down->modifiers & cmdKey);
        WaitFor(mouseUp);
    }

    std::unique_ptr<DataWindow> dataWindow;
    std::unique_ptr<SerialInterface> serial;
    std::unique_ptr<AutoGuider> autoGuider;
    std::unique_ptr<GWorldWrapper> raw, longExposure, levelAdjusted, red, green, blue;
    std::unique_ptr<RawFrameProcessor> processor;
    std::unique_ptr<HistogramsDialog> dialog;
    std::unique_ptr<FrameWindowsGroup> group;
};

TEST_F(FrameWindowsDesktopTest, DragWithThePointerDefinesTheHistogramRectangle) {
    const Point from = Global(100, 100), to = Global(50, 150);
    ASSERT_TRUE(Xdotool({"mousemove", Coordinate(from.h), Coordinate(from.v), "mousedown", "1", "mousemove",
                         Coordinate(from.h - 20), Coordinate(from.v + 20), "mousemove", Coordinate(to.h),
                         Coordinate(to.v), "mouseup", "1"}));
    HandlePress();
    EXPECT_EQ(group->GetHistogramBoundsRect(), MakeRect(50, 100, 100, 150));
}

TEST_F(FrameWindowsDesktopTest, AltClickSetsTheTarget) {
    const Point at = Global(300, 200);
    ASSERT_TRUE(Xdotool({"mousemove", Coordinate(at.h), Coordinate(at.v), "keydown", "alt", "click", "1", "keyup",
                         "alt"}));
    HandlePress();
    EXPECT_EQ(group->GetTarget(), (Point{200, 300}));
}

}  // namespace
