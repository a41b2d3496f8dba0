// The port dialog, answered through the headless host: clicks on the pop-ups and on
// OK or Cancel are queued before the dialog runs, and the screen is looked at while
// the dialog waits for them.
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "sim/SimulatedObservatory.h"
#include "tests/control/ControlFixture.h"

namespace {

constexpr int16_t kOK = 1;
constexpr int16_t kCancel = 2;
constexpr int16_t kFirstPopup = 3;

Point Center(const Rect& r) {
    return Point{static_cast<int16_t>((r.top + r.bottom) / 2), static_cast<int16_t>((r.left + r.right) / 2)};
}

// What the dialog showed the first time it waited for the observer.
struct DialogView {
    bool seen = false;
    std::vector<bool> popupShown;     // ports 0-7: something drawn in the pop-up's box
    std::vector<int16_t> popupValue;  // ports 0-7
    std::vector<bool> pathDrawn;      // ports 0-7: something drawn left of the pop-up
    std::vector<std::string> paths;
    std::vector<std::string> labels;
};

class PortDialogTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        // The dialog always opens at the same place: learn its geometry once.
        DialogPtr d = GetNewDialog(SerialInterface::kPortDialogId, nullptr, kInFront);
        ASSERT_NE(d, nullptr);
        origin_ = GetDialogWindow(d)->origin;
        for (int16_t item = 1; item <= kFirstPopup + 7; ++item) {
            Rect box;
            GetDialogItem(d, item, nullptr, nullptr, &box);
            boxes_.push_back(box);
        }
        DisposeDialog(d);
        portMenu_ = GetMenu(kPortUseMenuId);
        ASSERT_NE(portMenu_, nullptr);
    }

    Rect GlobalBox(int16_t item) const { return OffsetRectCopy(boxes_[item - 1], origin_.h, origin_.v); }

    void Click(int16_t item) { host().PushMouseDown(Center(GlobalBox(item))); }

    // A press on port's pop-up (showing `from`) dragged to item `to` of its menu.
    void Choose(int port, int16_t from, int16_t to) {
        Rect popup = GlobalBox(static_cast<int16_t>(kFirstPopup + port));
        Rect target = GetPopUpItemRect(portMenu_, popup.top, popup.left, from, to);
        host().ScriptDrag(Center(popup), Center(target));
    }

    // Runs the dialog on the queued input and notes what it showed.
    DialogView Run(SerialInterface& serial) {
        DialogView view;
        host().onWait = [&] {
            if (view.seen) return;
            DialogPtr d = GetDialogFromWindow(FrontWindow());
            if (d == nullptr) return;
            view.seen = true;
            const GrafPort& port = *GetDialogPort(d);
            for (int i = 0; i < 8; ++i) {
                ControlHandle popup = nullptr;
                GetDialogItem(d, static_cast<int16_t>(kFirstPopup + i), nullptr, &popup, nullptr);
                view.popupValue.push_back(GetControlValue(popup));
                view.popupShown.push_back(AnythingDrawn(port, boxes_[kFirstPopup + i - 1]));
                Rect pathBox = MakeRect(10, 44 + 30 * i, 170, 58 + 30 * i);
                view.pathDrawn.push_back(AnythingDrawn(port, pathBox));
            }
            view.paths = serial.GetPortPathList();
            view.labels = serial.GetPortLabelList();
        };
        serial.Configure();
        host().onWait = nullptr;
        EXPECT_TRUE(view.seen);
        EXPECT_EQ(GetDialogFromWindow(FrontWindow()), nullptr) << "the dialog is gone";
        return view;
    }

    static bool AnythingDrawn(const GrafPort& port, const Rect& box) {
        for (int v = box.top; v < box.bottom; ++v)
            for (int h = box.left; h < box.right; ++h)
                if (PixelAt(port, h, v) != 0) return true;
        return false;
    }

    Point origin_;
    std::vector<Rect> boxes_;
    MenuHandle portMenu_ = nullptr;
};

TEST_F(PortDialogTest, WithNoPortOnlyOKAndCancelAreShownAndOKOpensNothing) {
    SerialInterface serial(dataWindow());
    Click(kOK);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupShown, std::vector<bool>(8, false));
    EXPECT_EQ(view.pathDrawn, std::vector<bool>(8, false));
    EXPECT_TRUE(serial.GetPortFunctions().empty());
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
    EXPECT_TRUE(recorder().Writes().empty());
    EXPECT_TRUE(recorder().ModemWrites().empty());
}

TEST_F(PortDialogTest, ShowsAPopupAndThePathOfEachListedPortUpToEight) {
    for (int i = 0; i < 11; ++i) SerialPorts().AddGivenPort("/dev/scopecam-test-" + std::to_string(i));
    SerialInterface serial(dataWindow());
    Click(kCancel);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupShown, std::vector<bool>(8, true));
    EXPECT_EQ(view.pathDrawn, std::vector<bool>(8, true));
    EXPECT_EQ(view.popupValue, std::vector<int16_t>(8, SerialInterface::kNoFtn));
    ASSERT_EQ(view.paths.size(), 8u);
    EXPECT_EQ(view.paths[7], "/dev/scopecam-test-7");
    EXPECT_EQ(serial.GetPortFunctions().size(), 8u);
    EXPECT_TRUE(serial.GetPortPathList().empty()) << "paths are freed when the dialog closes";
}

TEST_F(PortDialogTest, TwoPortsShowTwoPopupsAndHideTheRest) {
    AddTerminalPort();
    AddTerminalPort();
    SerialInterface serial(dataWindow());
    Click(kCancel);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupShown, (std::vector<bool>{true, true, false, false, false, false, false, false}));
    EXPECT_EQ(view.pathDrawn, (std::vector<bool>{true, true, false, false, false, false, false, false}));
}

TEST_F(PortDialogTest, AFunctionChosenIsKeptForTheNextDialogAndNothingClosesThePort) {
    PseudoTerminal& terminal = AddTerminalPort();
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kAutoGuideFtn);
    Click(kOK);
    Run(serial);
    ASSERT_EQ(serial.GetPortFunctions().size(), 1u);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kAutoGuideFtn);
    EXPECT_GE(serial.GetPortDescriptor(0), 0);
    EXPECT_FALSE(serial.NoAutoGuideSerialPort());
    serial.SendAutoGuideCorrection(SerialInterface::kNorth);
    EXPECT_EQ(DrainTerminal(terminal), "#:RG##:Mn#");

    // The next dialog shows the port's function; choosing "not used" closes it. The
    // pending stop goes out as the dialog opens.
    Choose(0, SerialInterface::kAutoGuideFtn, SerialInterface::kNoFtn);
    Click(kOK);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupValue[0], SerialInterface::kAutoGuideFtn);
    EXPECT_EQ(DrainTerminal(terminal), "#:Qn#");
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kNoFtn);
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    EXPECT_TRUE(serial.NoAutoGuideSerialPort());
}

TEST_F(PortDialogTest, OKWithoutChangesReopensThePortsWithTheirFunctions) {
    PseudoTerminal& board = AddTerminalPort();
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kSV203Ftn);
    Click(kOK);
    Run(serial);
    EXPECT_EQ(DrainTerminal(board), "BD0 SV1 M0 PS1 SV8 M0 PS8\rPS8\rPS1\r");
    Click(kOK);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupValue[0], SerialInterface::kSV203Ftn);
    EXPECT_GE(serial.GetPortDescriptor(0), 0);
    EXPECT_EQ(DrainTerminal(board), "BD0 SV1 M0 PS1 SV8 M0 PS8\rPS8\rPS1\r");
}

TEST_F(PortDialogTest, APortThatCannotBeOpenedEndsAsNotInUse) {
    SerialPorts().AddGivenPort("/dev/no-such-port");
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kExposureDTRFtn);
    Click(kOK);
    Run(serial);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kNoFtn);
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    Click(kCancel);
    DialogView view = Run(serial);
    EXPECT_EQ(view.popupValue[0], SerialInterface::kNoFtn);
}

TEST_F(PortDialogTest, CancelClosesEveryPortAndKeepsTheFunctions) {
    PseudoTerminal& mount = AddTerminalPort();
    PseudoTerminal& camera = AddTerminalPort();
    SerialInterface serial(dataWindow());
    ConfigurePorts(serial, {SerialInterface::kAutoGuideFtn, SerialInterface::kExposureDTRAmpRTSFtn});
    serial.SendAutoGuideCorrection(SerialInterface::kEast);
    DrainTerminal(mount);
    DrainTerminal(camera);
    recorder().ClearRecords();
    Choose(1, SerialInterface::kExposureDTRAmpRTSFtn, SerialInterface::kNoFtn);  // undone by Cancel
    Click(kCancel);
    Run(serial);
    EXPECT_EQ(DrainTerminal(mount), "#:Qe#");  // the queue was sent before closing
    EXPECT_EQ(recorder().ClosedDescriptors().size(), 2u);
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    EXPECT_EQ(serial.GetPortDescriptor(1), -1);
    EXPECT_EQ(serial.GetPortFunctions()[0], SerialInterface::kAutoGuideFtn);
    EXPECT_EQ(serial.GetPortFunctions()[1], SerialInterface::kExposureDTRAmpRTSFtn);
    // Nothing reaches any port until the dialog is confirmed again.
    recorder().ClearRecords();
    serial.SendAutoGuideCorrection(SerialInterface::kNorth);
    serial.TurnExposureOn();
    serial.TurnAmpOff();
    EXPECT_TRUE(recorder().Writes().empty());
    EXPECT_TRUE(recorder().ModemWrites().empty());
    EXPECT_FALSE(serial.GetExposureOn());
}

TEST_F(PortDialogTest, EscapeAndReturnAnswerTheDialog) {
    PseudoTerminal& terminal = AddTerminalPort();
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kAutoGuideFtn);
    host().PushKeyDown(kEscapeCharCode);
    Run(serial);
    EXPECT_EQ(serial.GetPortDescriptor(0), -1);
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kAutoGuideFtn);
    host().PushKeyDown(kReturnCharCode);
    Run(serial);
    EXPECT_GE(serial.GetPortDescriptor(0), 0);
    EXPECT_EQ(DrainTerminal(terminal), "");
}

TEST_F(PortDialogTest, OKBringsTheCameraSwitchesToRest) {
    AddTerminalPort();
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kExposureDTRAmpRTSInvertedFtn);
    Click(kOK);
    Run(serial);
    int fd = serial.GetPortDescriptor(0);
    ASSERT_GE(fd, 0);
    // Opened with DTR and RTS asserted, then exposure off and amplifier on, forced:
    // with the inverted wiring both lines raised.
    const int all = kModemLineDTR | kModemLineRTS | kModemLineCTS | kModemLineDSR;
    EXPECT_EQ(recorder().ModemWordsOf(fd), (std::vector<int>{all, all, all}));
    EXPECT_FALSE(serial.GetExposureOn());
    EXPECT_FALSE(serial.GetAmpOff());
    EXPECT_TRUE(Shows(kLongExposureBox, [](DataWindow& w) { w.DrawLongExposureState(false); }));
    EXPECT_TRUE(Shows(kAmplifierBox, [](DataWindow& w) { w.DrawAmpStateState(false); }));
}

TEST_F(PortDialogTest, TheSimulatedDevicesAreListedWithTheirLabels) {
    SimulatedObservatory observatory;
    observatory.RegisterPorts(SerialPorts());
    SerialInterface serial(dataWindow());
    Choose(0, SerialInterface::kNoFtn, SerialInterface::kAutoGuideFtn);
    Choose(1, SerialInterface::kNoFtn, SerialInterface::kSV203Ftn);
    Click(kOK);
    DialogView view = Run(serial);
    ASSERT_EQ(view.paths.size(), 2u);
    EXPECT_EQ(view.paths[0], observatory.Mount().PortPath());
    EXPECT_EQ(view.labels[0], "simulated mount");
    EXPECT_EQ(view.paths[1], observatory.Board().PortPath());
    EXPECT_EQ(view.labels[1], "simulated SV203");
    // The program drives both through their lines.
    observatory.Board().Terminal().WaitReadable(1000);
    observatory.Step();
    EXPECT_EQ(observatory.Board().Lines().front(), "BD0 SV1 M0 PS1 SV8 M0 PS8");
    serial.SendIndefiniteGuide(SerialInterface::kNorth);
    observatory.Mount().Terminal().WaitReadable(1000);
    observatory.Step();
    EXPECT_TRUE(observatory.Mount().MovingNorth());
    serial.TurnExposureOn();
    observatory.Board().Terminal().WaitReadable(1000);
    observatory.Step();
    EXPECT_TRUE(observatory.Board().ExposureOn());
}

}  // namespace
