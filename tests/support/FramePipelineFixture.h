// A fixture with the frame pipeline's objects built as the application builds them:
// the toolbox on the headless host and a virtual clock, the program's templates,
// preferences in a folder of their own, the data window, serial interface and
// autoguider, the six frame buffers, the raw frame processor, the histograms dialog
// and the frame windows group. Frames are made in the test at the size it chooses.
//
// Serial ports: the machine's are not looked at; GiveMountPort lists one pseudo
// terminal and gives it the mount's guiding commands.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DataWindow.h"
#include "app/StopWatch.h"
#include "app/Templates.h"
#include "control/AutoGuider.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "platform/services/SerialPortDiscovery.h"
#include "processing/RawFrameProcessor.h"
#include "sim/PseudoTerminal.h"
#include "tests/support/FrameAccess.h"
#include "tests/support/IsolatedSerialPorts.h"
#include "tests/support/PreferencesFixture.h"
#include "tests/support/RecordingSerialDevice.h"

class FramePipelineTest : public PreferencesTest {
protected:
    void SetUp() override {
        PreferencesTest::SetUp();
        auto host = std::make_unique<HeadlessHost>();
        auto clock = std::make_unique<VirtualClock>();
        host_ = host.get();
        clock_ = clock.get();
        InitToolbox(std::move(host), std::move(clock));
        RegisterAllTemplates();
        clock_->SetTicks(100000);

        ports_.emplace();
        recorder_ = std::make_unique<RecordingSerialDevice>();
    }

    void TearDown() override {
        Release();
        recorder_.reset();
        terminals_.clear();
        ports_.reset();
        ShutdownToolbox();
        PreferencesTest::TearDown();
    }

    // Builds everything in the application's order for frames of width x height
    // (channel images a quarter of that in each direction).
    void Build(int width = 640, int height = 480) {
        dataWindow_ = std::make_unique<DataWindow>();
        serial_ = std::make_unique<SerialInterface>(dataWindow_.get());
        autoGuider_ = std::make_unique<AutoGuider>(serial_.get());
        raw_ = MakeFrame(width, height);
        longExposure_ = MakeFrame(width, height);
        levelAdjusted_ = MakeFrame(width, height);
        red_ = MakeFrame(width / 4, height / 4);
        green_ = MakeFrame(width / 4, height / 4);
        blue_ = MakeFrame(width / 4, height / 4);
        processor_ = std::make_unique<RawFrameProcessor>(raw_.get(), longExposure_.get(), levelAdjusted_.get(),
                                                         red_.get(), green_.get(), blue_.get(), serial_.get());
        dialog_ = std::make_unique<HistogramsDialog>(processor_.get());
        group_ = std::make_unique<FrameWindowsGroup>(raw_.get(), longExposure_.get(), levelAdjusted_.get(),
                                                     red_.get(), green_.get(), blue_.get(), processor_.get(),
                                                     autoGuider_.get(), serial_.get(), dialog_.get(),
                                                     dataWindow_.get());
        stopWatch_ = std::make_unique<StopWatch>();
        processor_->SetFrameWindowsGroup(group_.get());
    }

    void Release() {
        group_.reset();
        dialog_.reset();
        processor_.reset();
        stopWatch_.reset();
        autoGuider_.reset();
        serial_.reset();
        dataWindow_.reset();
        raw_.reset();
        longExposure_.reset();
        levelAdjusted_.reset();
        red_.reset();
        green_.reset();
        blue_.reset();
    }

    // Lists one pseudo terminal per function given and confirms the port dialog with
    // those functions.
    void GivePorts(const std::vector<int32_t>& functions) {
        for (size_t i = 0; i < functions.size(); ++i) {
            terminals_.push_back(std::make_unique<PseudoTerminal>());
            ASSERT_TRUE(terminals_.back()->IsOpen()) << terminals_.back()->Error();
            SerialPorts().AddGivenPort(terminals_.back()->PortPath());
        }
        const int count = serial_->BeginPortConfiguration();
        ASSERT_EQ(count, static_cast<int>(functions.size()));
        serial_->FinishPortConfiguration(&functions);
    }
    // A port for the mount's guiding commands.
    void GiveMountPort() { GivePorts({SerialInterface::kAutoGuideFtn}); }

    // The global point of a window's local point.
    static Point GlobalPoint(WindowPtr window, int h, int v) {
        Rect content;
        GetWindowBounds(window, kWindowContentRgn, &content);
        return Point{static_cast<int16_t>(content.top + v), static_cast<int16_t>(content.left + h)};
    }

    // A press delivered through the event queue, as the application gets it (the
    // host then knows where the button went down), handed to the windows group.
    bool PressInLevelAdjustedWindow(int h, int v, uint16_t modifiers = 0) {
        return PressIn(group_->GetLevelAdjustedFrameWindow(), h, v, modifiers);
    }
    bool PressIn(WindowPtr window, int h, int v, uint16_t modifiers = 0) {
        host().PushMouseDown(GlobalPoint(window, h, v), modifiers);
        host().PushMouseUp(GlobalPoint(window, h, v), modifiers);
        return DeliverPress(window);
    }
    // A drag from one local point to another in the level-adjusted window.
    bool DragInLevelAdjustedWindow(int fromH, int fromV, int toH, int toV, uint16_t modifiers = 0) {
        WindowPtr w = group_->GetLevelAdjustedFrameWindow();
        host().ScriptDrag(GlobalPoint(w, fromH, fromV), GlobalPoint(w, toH, toV), 4, modifiers);
        return DeliverPress(w);
    }
    bool DeliverPress(WindowPtr window) {
        EventRecord e;
        for (int i = 0; i < 10; ++i) {
            WaitNextEvent(everyEvent, &e, 0, nullptr);
            if (e.what == mouseDown) break;
        }
        EXPECT_EQ(e.what, mouseDown);
        const bool handled = group_->HandleMouseDownInContent(window, e.where, (e.modifiers & shiftKey) != 0,
                                                              (e.modifiers & controlKey) != 0,
                                                              (e.modifiers & optionKey) != 0,
                                                              (e.modifiers & cmdKey) != 0);
        // A gesture that did not follow the mouse leaves its script behind: drop it, as
        // a real mouse would have moved on.
        while (!host().ScriptEmpty()) host().PollMouse();
        FlushEvents(everyEvent, 0);
        return handled;
    }

    // A window's pixel at a local point.
    static Rgb WindowPixel(WindowPtr window, int h, int v) {
        const PixMap& pm = GetWindowPort(window)->pixMap;
        const uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + (h - pm.bounds.left) * 4;
        return Rgb{p[1], p[2], p[3]};
    }
    static Rect WindowSize(WindowPtr window) {
        Rect r;
        GetPortBounds(GetWindowPort(window), &r);
        return r;
    }

    void ShowHistogramsDialog() { ShowWindow(GetDialogWindow(dialog_->GetHistogramsDialog())); }

    HeadlessHost& host() { return *host_; }
    VirtualClock& clock() { return *clock_; }
    RecordingSerialDevice& recorder() { return *recorder_; }

    std::unique_ptr<DataWindow> dataWindow_;
    std::unique_ptr<SerialInterface> serial_;
    std::unique_ptr<AutoGuider> autoGuider_;
    std::unique_ptr<GWorldWrapper> raw_;
    std::unique_ptr<GWorldWrapper> longExposure_;
    std::unique_ptr<GWorldWrapper> levelAdjusted_;
    std::unique_ptr<GWorldWrapper> red_;
    std::unique_ptr<GWorldWrapper> green_;
    std::unique_ptr<GWorldWrapper> blue_;
    std::unique_ptr<RawFrameProcessor> processor_;
    std::unique_ptr<HistogramsDialog> dialog_;
    std::unique_ptr<FrameWindowsGroup> group_;
    std::unique_ptr<StopWatch> stopWatch_;

private:
    HeadlessHost* host_ = nullptr;
    VirtualClock* clock_ = nullptr;
    std::unique_ptr<RecordingSerialDevice> recorder_;
    std::vector<std::unique_ptr<PseudoTerminal>> terminals_;
    std::optional<IsolatedSerialPorts> ports_;
};
