#include "tests/support/ObservingFixture.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "app/Templates.h"
#include "platform/Dialogs.h"
#include "platform/Menus.h"
#include "platform/Toolbox.h"
#include "platform/services/SerialPortDiscovery.h"

namespace {

constexpr int16_t kMiscMenu = 132;
constexpr int16_t kPortDialogItem = 1;
constexpr int16_t kPortDialogOK = 1;
constexpr int16_t kFirstPortPopup = 3;

}  // namespace

void ObservingTest::SetUp() {
    PreferencesTest::SetUp();
    MainObject::quit = false;
    StartToolbox();

    ports_.emplace();
    recorder_ = std::make_unique<RecordingSerialDevice>();
}

void ObservingTest::StartToolbox() {
    auto host = std::make_unique<HeadlessHost>();
    auto clock = std::make_unique<VirtualClock>();
    host_ = host.get();
    clock_ = clock.get();
    InitToolbox(std::move(host), std::move(clock));
    // The tick counter counts from the machine's start: never 0 in practice.
    clock_->SetTicks(100000);
    // The loop's own waits must not move the clock: the tests move it.
    host_->SetAdvanceClockWhenIdle(false);
}

void ObservingTest::NextRun() {
    Stop();
    MainObject::quit = false;
    ShutdownToolbox();
    StartNewRun();
    StartToolbox();
    if (observatory_) AddBackgroundTask([obs = observatory_.get()] { obs->Step(); });
}

void ObservingTest::TearDown() {
    Stop();
    MainObject::quit = false;
    // The observatory steps as a task of the toolbox: the toolbox goes first.
    ShutdownToolbox();
    observatory_.reset();
    terminals_.clear();
    recorder_.reset();
    ports_.reset();
    PreferencesTest::TearDown();
}

SimulatedObservatory& ObservingTest::StartObservatory(const MountSettings& mount) {
    observatory_ = std::make_unique<SimulatedObservatory>(mount);
    EXPECT_TRUE(observatory_->Problems().empty()) << observatory_->Problems().front();
    observatory_->RegisterPorts(SerialPorts());
    AddBackgroundTask([obs = observatory_.get()] { obs->Step(); });
    return *observatory_;
}

PseudoTerminal& ObservingTest::AddTerminalPort(const std::string& label) {
    terminals_.push_back(std::make_unique<PseudoTerminal>());
    PseudoTerminal& t = *terminals_.back();
    EXPECT_TRUE(t.IsOpen()) << t.Error();
    SerialPorts().AddGivenPort(t.PortPath(), label);
    return t;
}

ProgramOptions ObservingTest::SkyOptions() const {
    ProgramOptions options;
    options.camera = "sim";
    options.observatory = observatory_.get();
    return options;
}

ProgramOptions ObservingTest::TestPatternOptions() {
    ProgramOptions options;
    options.camera = "test";
    return options;
}

MainObject& ObservingTest::Start(const ProgramOptions& options) {
    app_ = std::make_unique<MainObject>(options);
    gMainObject = app_.get();
    return *app_;
}

void ObservingTest::Stop() {
    if (!app_) return;
    app_.reset();
    gMainObject = nullptr;
}

bool ObservingTest::Pass() {
    SetEventMask(everyEvent);
    EventRecord event;
    const bool taken = WaitNextEvent(everyEvent, &event, static_cast<uint32_t>(app_->GetEventPause()), nullptr);
    app_->DoEvent(event);
    return taken;
}

void ObservingTest::RunFor(double seconds, int ticksPerPass, const std::function<void()>& afterPass) {
    const uint64_t end = clock().PeekMicros() + static_cast<uint64_t>(seconds * 1e6);
    while (clock().PeekMicros() < end) {
        clock().AdvanceTicks(static_cast<uint32_t>(ticksPerPass));
        Pass();
        if (afterPass) afterPass();
    }
}

void ObservingTest::TakeInput() {
    for (int i = 0; i < 400; ++i) {
        const bool taken = Pass();
        if (!taken && host().PendingInput() == 0 && host().ScriptEmpty()) return;
    }
    ADD_FAILURE() << "the loop did not take all the input";
}

void ObservingTest::PressKey(unsigned char c, uint16_t modifiers) {
    host().PushKeyDown(c, modifiers);
    TakeInput();
}

void ObservingTest::ReleaseKey(unsigned char c, uint16_t modifiers) {
    host().PushKeyUp(c, modifiers);
    TakeInput();
}

namespace {

// A drag from a menu's title straight down to one of its items: a slanted path could
// cross the next title and open that menu instead.
void ScriptMenuDrag(HeadlessHost& host, int16_t menu, int16_t item) {
    const Point title = CenterOf(GetMenuTitleRect(menu));
    const Rect row = GetMenuItemRectWhenOpen(menu, item);
    const int16_t h = std::clamp<int16_t>(title.h, static_cast<int16_t>(row.left + 2), static_cast<int16_t>(row.right - 3));
    host.ScriptDrag(Point{title.v, h}, Point{CenterOf(row).v, h});
}

}  // namespace

void ObservingTest::ChooseMenuItem(int16_t menu, int16_t item, const std::string& typed) {
    ScriptMenuDrag(host(), menu, item);
    if (!typed.empty()) {
        // The field's text replaced: select all, erase, type, confirm.
        host().PushKeyDown('a', cmdKey);
        host().PushKeyDown(kBackspaceCharCode);
        for (char c : typed) host().PushKeyDown(static_cast<unsigned char>(c));
        host().PushKeyDown(kReturnCharCode);
    }
    TakeInput();
}

void ObservingTest::AssignPortsInDialog(const std::vector<std::pair<int, SerialInterface::SerialPortFtn>>& choices) {
    // The dialog always opens at the same place: its geometry is read from a copy.
    DialogPtr model = GetNewDialog(SerialInterface::kPortDialogId, nullptr, kInFront);
    ASSERT_NE(model, nullptr);
    const Point origin = GetDialogWindow(model)->origin;
    auto globalBox = [&](int16_t item) {
        Rect box;
        GetDialogItem(model, item, nullptr, nullptr, &box);
        return OffsetRectCopy(box, origin.h, origin.v);
    };
    MenuHandle portMenu = GetMenu(kPortUseMenuId);
    ASSERT_NE(portMenu, nullptr);
    const std::vector<SerialInterface::SerialPortFtn> before = app().GetSerialInterface()->GetPortFunctions();
    std::vector<std::pair<Point, Point>> drags;
    for (const auto& [port, function] : choices) {
        const Rect popup = globalBox(static_cast<int16_t>(kFirstPortPopup + port));
        const int16_t shown = static_cast<int16_t>(
            static_cast<size_t>(port) < before.size() ? static_cast<int32_t>(before[port]) : SerialInterface::kNoFtn);
        const Rect target = GetPopUpItemRect(portMenu, popup.top, popup.left, shown, static_cast<int16_t>(function));
        drags.emplace_back(CenterOf(popup), CenterOf(target));
    }
    const Point ok = CenterOf(globalBox(kPortDialogOK));
    DisposeDialog(model);

    // Everything is queued first: the menu choice opens the dialog, whose own wait
    // then takes the pop-up drags and the press on OK, each tracking loop ending at
    // its own release.
    ScriptMenuDrag(host(), kMiscMenu, kPortDialogItem);
    for (const auto& [from, to] : drags) host().ScriptDrag(from, to);
    host().PushMouseDown(ok);
    TakeInput();
    EXPECT_EQ(GetDialogFromWindow(FrontWindow()), nullptr) << "the port dialog is closed";
}

void ObservingTest::ClickFrame(Point framePoint, uint16_t modifiers) {
    const Point global = FrameToGlobal(framePoint);
    host().PushMouseDown(global, modifiers);
    host().PushMouseUp(global, modifiers);
    TakeInput();
}

Point ObservingTest::FrameToGlobal(Point framePoint) const {
    WindowPtr window = app_->GetFrameWindowsGroup()->GetLevelAdjustedFrameWindow();
    Rect content;
    GetWindowBounds(window, kWindowContentRgn, &content);
    Rect port;
    GetPortBounds(GetWindowPort(window), &port);
    const Rect frame = app_->GetRawFrame()->GetDim();
    // The window shows the whole frame with one factor for both axes.
    const int h = framePoint.h * (port.right - port.left) / frame.right;
    const int v = framePoint.v * (port.right - port.left) / frame.right;
    return Point{static_cast<int16_t>(content.top + v), static_cast<int16_t>(content.left + h)};
}

SimulatedCamera& ObservingTest::SkyCamera() {
    auto* camera = dynamic_cast<SimulatedCamera*>(app_->GetWebcamInterface()->GetSource());
    if (camera == nullptr) throw std::logic_error("the run is not on the simulated sky");
    return *camera;
}

namespace {

MountPosition PointingOf(SimulatedObservatory* observatory) {
    return observatory ? observatory->Mount().Position() : MountPosition{};
}

}  // namespace

SkyStar ObservingTest::BrightestStar(int margin) {
    const SkySettings& sky = SkyCamera().Sky().Settings();
    SkyStar best;
    for (const SkyStar& star : SkyCamera().Sky().StarsInView(PointingOf(observatory_.get()))) {
        const bool inside = star.x >= margin && star.y >= margin && star.x < sky.width - margin &&
                            star.y < sky.height - margin;
        if (inside && star.flux > best.flux) best = star;
    }
    return best;
}

SkyStar ObservingTest::FindStar(const SkyStar& star, double nearX, double nearY) {
    SkyStar found;
    double nearest = 1e30;
    for (const SkyStar& s : SkyCamera().Sky().StarsInView(PointingOf(observatory_.get()))) {
        if (s.flux != star.flux) continue;
        const double d = (s.x - nearX) * (s.x - nearX) + (s.y - nearY) * (s.y - nearY);
        if (d < nearest) {
            nearest = d;
            found = s;
        }
    }
    return found;
}

int ObservingTest::PortIndex(const std::string& label) {
    const auto ports = SerialPorts().ListPorts(SerialInterface::kMaxPorts);
    for (size_t i = 0; i < ports.size(); ++i)
        if (ports[i].label == label) return static_cast<int>(i);
    ADD_FAILURE() << label << " is not listed";
    return 0;
}
