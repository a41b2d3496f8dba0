#include "app/MainObject.h"

#include <csignal>

#include "app/Templates.h"
#include "platform/capture/TestPatternSource.h"

MainObject* gMainObject = nullptr;

namespace {

extern "C" void QuitSignalHandler(int) { MainObject::quit = true; }

std::unique_ptr<CaptureSource> MakeCaptureSource(const ProgramOptions&) {
    return std::make_unique<TestPatternSource>();
}

Rect QuarterOf(const Rect& r) { return MakeRect(0, 0, r.right / 4, r.bottom / 4); }

}  // namespace

MainObject::MainObject(const ProgramOptions& opts) : options(opts) {
    ToolBoxInit();
    rawFrame = new GWorldWrapper(32, MakeRect(0, 0, 640, 480), -1);
    webcamInterface = new WebcamInterface(rawFrame, MakeCaptureSource(options));
    dataWindow = new DataWindow();
    serialInterface = new SerialInterface(dataWindow);
    autoGuider = new AutoGuider(serialInterface);
    Rect r = rawFrame->GetDim();
    longExposureFrame = new GWorldWrapper(32, r, -1);
    levelAdjustedFrame = new GWorldWrapper(32, r, -1);
    Rect q = QuarterOf(r);
    redChannelFrame = new GWorldWrapper(32, q, -1);
    greenChannelFrame = new GWorldWrapper(32, q, -1);
    blueChannelFrame = new GWorldWrapper(32, q, -1);
    stopWatch = new StopWatch();
    rawFrameWindow = GetNewCWindow(128, nullptr, kInFront);
    if (rawFrameWindow) ShowWindow(rawFrameWindow);
}

MainObject::~MainObject() {
    delete rawFrame;
    delete longExposureFrame;
    delete levelAdjustedFrame;
    delete redChannelFrame;
    delete greenChannelFrame;
    delete blueChannelFrame;
    delete webcamInterface;
    // Sends every queued guiding message, then restores and closes the ports.
    delete serialInterface;
    delete autoGuider;
    delete dataWindow;
    delete stopWatch;
    if (rawFrameWindow) DisposeWindow(rawFrameWindow);
}

// Platform start-up: the arrow cursor, the templates, and the quit signals (the
// desktop's request to quit), which only set the flag so that the loop ends after
// the present pass and every destructor runs.
void MainObject::ToolBoxInit() {
    InitCursor();
    RegisterAllTemplates();
    struct sigaction action {};
    action.sa_handler = QuitSignalHandler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void MainObject::Run() {
    EventRecord event;
    while (!quit) {
        SetEventMask(everyEvent);
        WaitNextEvent(everyEvent, &event, static_cast<uint32_t>(eventPause), nullptr);
        DoEvent(event);
    }
}

void MainObject::DoEvent(EventRecord event) {
    switch (event.what) {
        case nullEvent:
            DoIdle();
            break;
        case mouseDown:
            HandleMouseDown(event);
            DoIdle();
            break;
        case keyDown:
        case autoKey:
            if (event.modifiers & cmdKey)
                HandleMenuChoice(0);
            else
                HandleKeyDown(static_cast<char>(event.message & charCodeMask), event);
            DoIdle();
            break;
        case keyUp:
            HandleKeyUp(static_cast<char>(event.message & charCodeMask), event);
            DoIdle();
            break;
        case updateEvt:
            DoUpdate(event);
            DoIdle();
            break;
        default:
            break;
    }
}

void MainObject::HandleMouseDown(EventRecord& event) {
    WindowPtr window = nullptr;
    switch (FindWindow(event.where, &window)) {
        case inMenuBar:
            break;
        case inContent:
            SelectWindow(window);
            break;
        case inDrag: {
            Rect limit = GetMainScreenBounds();
            DragWindow(window, event.where, &limit);
            break;
        }
        case inGrow:
            SelectWindow(window);
            break;
        case inGoAway:
            HideWindow(window);
            break;
        case inZoomIn:
        case inZoomOut:
            SelectWindow(window);
            break;
        default:
            break;
    }
}

void MainObject::HandleKeyDown(char, EventRecord) {}
void MainObject::HandleKeyUp(char, EventRecord) {}
void MainObject::HandleMenuChoice(long) {}

void MainObject::DoUpdate(EventRecord& event) {
    WindowPtr window = WindowFromReference(event.message);
    if (window == nullptr) return;
    SetPort(GetWindowPort(window));
    BeginUpdate(window);
    Rect r;
    GetPortBounds(GetWindowPort(window), &r);
    ClipRect(&r);
    if (window == rawFrameWindow)
        DrawRawFrameWindow();
    else if (window == dataWindow->GetDataWindow())
        dataWindow->DrawDataWindow();
    EndUpdate(window);
}

void MainObject::DoIdle() {
    ++idlePasses;
    if (options.frames >= 0 && idlePasses >= options.frames) quit = true;
    dataWindow->DrawMovieDuration(serialInterface->GetVideoPhase());
    int r = webcamInterface->DoIdle();
    if (r == 2) {
        ProcessFPSandStopWatch();
        DrawRawFrameWindow();
    }
}

void MainObject::ProcessFPSandStopWatch() {
    dataWindow->DrawFPS(fps);
    dataWindow->DrawEventPause(eventPause);
    dataWindow->DrawStopWatchAndAlarm(stopWatch);
    bool fired = false;
    if (stopWatch->GetStopWatchRunning()) {
        double s = stopWatch->UpdateAndGetStopWatchSeconds(fired);
        double t = stopWatch->GetAlarmTrigger();
        // Without exposure lines the stopwatch is simply reset two seconds after the alarm.
        if (s > t + 2.0) {
            SysBeep(1);
            stopWatch->ResetStopWatch();
        }
    }
    frameCount += 1;
    int now = static_cast<int>(TickCount());
    // Unsigned difference: the tick counter may wrap.
    if (static_cast<uint32_t>(now) - static_cast<uint32_t>(lastFpsTick) >= 60) {
        lastFpsTick = now;
        fps = frameCount;
        frameCount = 0;
    }
}

void MainObject::DrawRawFrameWindow() {
    if (!IsWindowVisible(rawFrameWindow)) return;
    SetPort(GetWindowPort(rawFrameWindow));
    Rect dst;
    GetPortBounds(GetWindowPort(rawFrameWindow), &dst);
    rawFrame->CopyWorldBits(dst);
}
