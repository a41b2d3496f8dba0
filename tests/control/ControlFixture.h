// The fixture of the control tests: the toolbox on a headless host and a virtual
// clock, the program's templates, a data window, preferences in a folder of their
// own, a recorder in place of the modem-line calls, and a port list that holds only
// the ports a test gives it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DataWindow.h"
#include "app/Templates.h"
#include "control/SerialInterface.h"
#include "platform/Toolbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/services/Clock.h"
#include "platform/services/SerialPortDiscovery.h"
#include "sim/PseudoTerminal.h"
#include "tests/support/IsolatedSerialPorts.h"
#include "tests/support/PreferencesFixture.h"
#include "tests/support/PseudoTerminalPeer.h"
#include "tests/support/RecordingSerialDevice.h"

// A headless host that lets a test look at the screen each time the program waits
// for input (the port dialog waits for its answer this way).
class InspectingHost : public HeadlessHost {
public:
    void PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) override {
        if (onWait) onWait();
        HeadlessHost::PumpEvents(queue, waitMicros);
    }
    std::function<void()> onWait;
};

class ControlTest : public PreferencesTest {
protected:
    void SetUp() override {
        PreferencesTest::SetUp();
        auto host = std::make_unique<InspectingHost>();
        auto clock = std::make_unique<VirtualClock>(0, 1);
        host_ = host.get();
        clock_ = clock.get();
        InitToolbox(std::move(host), std::move(clock));
        RegisterAllTemplates();
        // Every reading moves the clock 1 microsecond, so that waits on the clock end.
        clock_->SetTicks(10000);

        ports_.emplace();

        recorder_ = std::make_unique<RecordingSerialDevice>();
        dataWindow_ = std::make_unique<DataWindow>();
        reference_ = std::make_unique<DataWindow>();
    }

    void TearDown() override {
        dataWindow_.reset();
        reference_.reset();
        recorder_.reset();
        ports_.reset();
        ShutdownToolbox();
        PreferencesTest::TearDown();
    }

    InspectingHost& host() { return *host_; }
    VirtualClock& clock() { return *clock_; }
    RecordingSerialDevice& recorder() { return *recorder_; }
    DataWindow* dataWindow() { return dataWindow_.get(); }

    // A pseudo terminal listed as a serial port; its device end reads what is sent.
    PseudoTerminal& AddTerminalPort(const std::string& label = "") {
        terminals_.push_back(std::make_unique<PseudoTerminal>());
        PseudoTerminal& t = *terminals_.back();
        EXPECT_TRUE(t.IsOpen()) << t.Error();
        SerialPorts().AddGivenPort(t.PortPath(), label);
        return t;
    }

    // The port dialog answered with OK, each listed port given the function chosen
    // (missing entries: not used), without showing the dialog.
    static void ConfigurePorts(SerialInterface& serial, const std::vector<int32_t>& functions) {
        int count = serial.BeginPortConfiguration();
        std::vector<int32_t> chosen(functions.begin(), functions.end());
        chosen.resize(static_cast<size_t>(count), SerialInterface::kNoFtn);
        serial.FinishPortConfiguration(&chosen);
    }

    // Whether the data window shows in box what the reference shows after draw.
    bool Shows(const Rect& box, const std::function<void(DataWindow&)>& draw) {
        draw(*reference_);
        return SamePixels(*GetWindowPort(dataWindow_->GetDataWindow()),
                          *GetWindowPort(reference_->GetDataWindow()), box);
    }

    static bool SamePixels(const GrafPort& a, const GrafPort& b, const Rect& box) {
        for (int v = box.top; v < box.bottom; ++v)
            for (int h = box.left; h < box.right; ++h)
                if (PixelAt(a, h, v) != PixelAt(b, h, v)) return false;
        return true;
    }

    static uint32_t PixelAt(const GrafPort& port, int h, int v) {
        const PixMap& pm = port.pixMap;
        const uint8_t* p = pm.baseAddr + (v - pm.bounds.top) * pm.RowBytes() + (h - pm.bounds.left) * 4;
        return uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }

    // The value boxes of the data window's guiding and switch rows.
    static constexpr Rect kNSStateBox{230, 150, 242, 250};
    static constexpr Rect kEWStateBox{250, 150, 262, 250};
    static constexpr Rect kNSDelayBox{220, 150, 230, 250};
    static constexpr Rect kEWDelayBox{240, 150, 250, 250};
    static constexpr Rect kLongExposureBox{270, 150, 280, 250};
    static constexpr Rect kAmplifierBox{280, 150, 290, 250};

private:
    InspectingHost* host_ = nullptr;
    VirtualClock* clock_ = nullptr;
    std::unique_ptr<RecordingSerialDevice> recorder_;
    std::unique_ptr<DataWindow> dataWindow_;
    std::unique_ptr<DataWindow> reference_;
    std::vector<std::unique_ptr<PseudoTerminal>> terminals_;
    std::optional<IsolatedSerialPorts> ports_;
};
