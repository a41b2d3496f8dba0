#include "app/MainObject.h"

#include <csignal>

#include "app/CaptureChoice.h"
#include "app/Templates.h"
#include "platform/Menus.h"
#include "processing/ImageProcs.h"

MainObject* gMainObject = nullptr;

namespace {

extern "C" void QuitSignalHandler(int) { MainObject::quit = true; }

Rect QuarterOf(const Rect& r) { return MakeRect(0, 0, r.right / 4, r.bottom / 4); }

// The amplifier comes back this long before the alarm; a stopwatch still running this
// long after it ends its exposure.
constexpr double kAmplifierLeadSeconds = 0.2;
constexpr double kAlarmGraceSeconds = 2.0;

}  // namespace

MainObject::MainObject(const ProgramOptions& opts) : options(opts) {
    ToolBoxInit();
    rawFrame = new GWorldWrapper(32, MakeRect(0, 0, 640, 480), -1);
    // The no-camera dialog may offer the simulated sky in place of a camera.
    webcamInterface = new WebcamInterface(rawFrame, MakeCaptureSource(options),
                                          [this] { return MakeSimulatedSkySource(options); });
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
    rawFrameProcessor = new RawFrameProcessor(rawFrame, longExposureFrame, levelAdjustedFrame, redChannelFrame,
                                              greenChannelFrame, blueChannelFrame, serialInterface);
    histogramsDialog = new HistogramsDialog(rawFrameProcessor);
    frameWindowsGroup = new FrameWindowsGroup(rawFrame, longExposureFrame, levelAdjustedFrame, redChannelFrame,
                                              greenChannelFrame, blueChannelFrame, rawFrameProcessor, autoGuider,
                                              serialInterface, histogramsDialog, dataWindow);
    stopWatch = new StopWatch();
    // No frame is processed before the processor knows the windows.
    rawFrameProcessor->SetFrameWindowsGroup(frameWindowsGroup);
    // Frames, guiding and the stopwatch go on while a focus cutoff is dragged.
    frameWindowsGroup->SetFrameStepDuringCutoffDrag([this] { DoIdle(); });
    dueGuidingMessages = std::make_unique<ScopedBackgroundTask>([this] {
        if (AutoGuideRectDefined()) serialInterface->ProcessFutureMessages(false);
    });
    MenuBarInit();
}

MainObject::~MainObject() {
    dueGuidingMessages.reset();
    // A quit while an arrow key is held must not leave the mount moving.
    if (serialInterface != nullptr) StopHeldManualMoves();
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
    delete frameWindowsGroup;
    delete histogramsDialog;
    delete stopWatch;
    delete rawFrameProcessor;
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
    // A dialog's event goes to it first and is then dispatched all the same.
    if (IsDialogEvent(event)) DoDialogEvent(event);
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
                HandleMenuChoice(MenuKey(static_cast<int16_t>(event.message & charCodeMask)));
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
    // A click stops a recording and is then handled all the same.
    if (webcamInterface->GetRecordingMovie()) webcamInterface->SaveMovie();
    WindowPtr window = nullptr;
    switch (FindWindow(event.where, &window)) {
        case inMenuBar:
            HandleMenuChoice(MenuSelect(event.where));
            break;
        case inContent:
            SelectWindow(window);
            frameWindowsGroup->HandleMouseDownInContent(window, event.where, (event.modifiers & shiftKey) != 0,
                                                        (event.modifiers & controlKey) != 0,
                                                        (event.modifiers & optionKey) != 0,
                                                        (event.modifiers & cmdKey) != 0);
            break;
        case inDrag: {
            Rect limit = GetMainScreenBounds();
            DragWindow(window, event.where, &limit);
            break;
        }
        case inGrow:
            SelectWindow(window);
            frameWindowsGroup->GrowOneWindow(window, event.where);
            break;
        case inGoAway:
            HideWindow(window);
            break;
        case inZoomIn:
        case inZoomOut:
            SelectWindow(window);
            frameWindowsGroup->ZoomOneWindow(window);
            break;
        default:
            break;
    }
}


// The histograms dialog is the only modeless dialog.
void MainObject::DoDialogEvent(EventRecord& event) {
    DialogPtr dialog = nullptr;
    int16_t item = 0;
    DialogSelect(event, &dialog, &item);
    if (dialog != nullptr && dialog == histogramsDialog->GetHistogramsDialog())
        histogramsDialog->HandleDialogEvent(event, item);
}

void MainObject::DoUpdate(EventRecord& event) {
    WindowPtr window = WindowFromReference(event.message);
    if (window == nullptr) return;
    SetPort(GetWindowPort(window));
    BeginUpdate(window);
    Rect r;
    GetPortBounds(GetWindowPort(window), &r);
    ClipRect(&r);
    // The focus-aid window gets nothing drawn here.
    if (window == frameWindowsGroup->GetRawFrameWindow())
        frameWindowsGroup->DrawRawFrameWindow();
    else if (window == frameWindowsGroup->GetLevelAdjustedFrameWindow())
        frameWindowsGroup->DrawLevelAdjustedFrameWindow();
    else if (window == frameWindowsGroup->GetChannelsWindow())
        frameWindowsGroup->DrawChannelsWindow();
    else if (window == dataWindow->GetDataWindow())
        dataWindow->DrawDataWindow();
    EndUpdate(window);
}

void MainObject::DoIdle() {
    ++idlePasses;
    if (options.frames >= 0 && idlePasses >= options.frames) quit = true;
    dataWindow->DrawMovieDuration(serialInterface->GetVideoPhase());
    if (AutoGuideRectDefined()) {
        autoGuider->ProcessAutoGuide(dataWindow);
        serialInterface->ProcessFutureMessages(false);
    }
    int r = webcamInterface->DoIdle();
    if (r == 1) UpdateMovieDuration();
    if (r == 2) {
        ProcessFPSandStopWatch();
        rawFrameProcessor->ProcessNewRawFrame(stopWatch, dataWindow, histogramsDialog);
        // Guiding measures the star on the raw frame, as captured.
        if (AutoGuideRectDefined()) {
            Point centroid;
            CalculateValueCentroid(*rawFrame, frameWindowsGroup->GetAutoGuideBoundsRect(), centroid);
            autoGuider->UpdateFromNewFrame(centroid, dataWindow);
        }
    }
}

bool MainObject::AutoGuideRectDefined() const { return frameWindowsGroup->GetAutoGuideBoundsRect().left != -1; }

// The tick difference is taken unsigned: the counter may wrap.
void MainObject::UpdateMovieDuration() {
    dataWindow->DrawMovieDuration(static_cast<int>((TickCount() - static_cast<uint32_t>(movieStartTick)) / 60));
}

void MainObject::ProcessFPSandStopWatch() {
    dataWindow->DrawFPS(fps);
    dataWindow->DrawEventPause(eventPause);
    // The alarm ends a long exposure; the stopwatch then stops at that time.
    const bool fired = dataWindow->DrawStopWatchAndAlarm(stopWatch);
    if (fired && serialInterface->GetExposureOn()) {
        serialInterface->TurnExposureOff(false);
        stopWatch->StopStopWatch();
    }
    bool firedAgain = false;
    // The amplifier comes back shortly before the alarm, so that it has settled when
    // the exposure ends.
    double s = stopWatch->UpdateAndGetStopWatchSeconds(firedAgain);
    double t = stopWatch->GetAlarmTrigger();
    if (stopWatch->GetStopWatchRunning() && s >= t - kAmplifierLeadSeconds && serialInterface->GetAmpOff())
        serialInterface->TurnAmpOn(false);
    // Still running well after the alarm: no exposure line ended the exposure (or no
    // alarm is set). The next exposure of a batch begins, or the stopwatch is reset.
    if (stopWatch->GetStopWatchRunning()) {
        s = stopWatch->UpdateAndGetStopWatchSeconds(firedAgain);
        t = stopWatch->GetAlarmTrigger();
        if (s > t + kAlarmGraceSeconds) {
            SysBeep(1);
            if (rawFrameProcessor->GetBatchSize() > 0)
                rawFrameProcessor->BeginLongExposure(stopWatch);
            else
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
