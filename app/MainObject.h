// The application object: builds every object and frame buffer in a fixed order, runs
// the event loop, and on every idle cycle gives the camera time and processes fresh
// frames.
#pragma once

#include <atomic>
#include <memory>

#include "app/DataWindow.h"
#include "app/ProgramOptions.h"
#include "app/StopWatch.h"
#include "control/AutoGuider.h"
#include "control/SerialInterface.h"
#include "display/FrameWindowsGroup.h"
#include "display/HistogramsDialog.h"
#include "image/GWorldWrapper.h"
#include "image/WebcamInterface.h"
#include "platform/Toolbox.h"
#include "processing/RawFrameProcessor.h"

class MainObject {
public:
    explicit MainObject(const ProgramOptions& options = ProgramOptions{});
    ~MainObject();
    MainObject(const MainObject&) = delete;
    MainObject& operator=(const MainObject&) = delete;

    void Run();
    void DoEvent(EventRecord event);
    void HandleMouseDown(EventRecord& event);
    void HandleKeyDown(char c, EventRecord event);
    void HandleKeyUp(char c, EventRecord event);
    void HandleMenuChoice(long choice);
    void MenuBarInit();
    void HandleAppleChoice(short item);
    void HandleFileChoice(short item);
    void HandleEditChoice(short item);
    void HandleDebayerizeChoice(short item);
    void HandleMiscChoice(short item);
    void HandleViewChoice(short item);
    void DoAboutBox();
    void DoDialogEvent(EventRecord& event);
    void DoUpdate(EventRecord& event);
    void DoIdle();
    void ProcessFPSandStopWatch();
    // The recording time, whole seconds since movieStartTick.
    void UpdateMovieDuration();

    int GetFPS() const { return fps; }
    int GetEventPause() const { return eventPause; }
    void SetEventPause(int ticks) { eventPause = ticks; }
    GWorldWrapper* GetRawFrame() const { return rawFrame; }
    GWorldWrapper* GetLongExposureFrame() const { return longExposureFrame; }
    DataWindow* GetDataWindow() const { return dataWindow; }
    StopWatch* GetStopWatch() const { return stopWatch; }
    SerialInterface* GetSerialInterface() const { return serialInterface; }
    AutoGuider* GetAutoGuider() const { return autoGuider; }
    FrameWindowsGroup* GetFrameWindowsGroup() const { return frameWindowsGroup; }
    WebcamInterface* GetWebcamInterface() const { return webcamInterface; }
    RawFrameProcessor* GetRawFrameProcessor() const { return rawFrameProcessor; }
    HistogramsDialog* GetHistogramsDialog() const { return histogramsDialog; }
    // Idle passes run so far (every idle cycle counts, with or without a frame).
    long GetIdlePasses() const { return idlePasses; }

    // Set by the quit command, the quit signals and the no-camera dialog; the loop
    // ends after the present pass. Atomic so that a signal handler may set it.
    static inline std::atomic<bool> quit{false};

private:
    void ToolBoxInit();
    bool AutoGuideRectDefined() const;
    void HandleArrowKeyDown(char c, const EventRecord& event);
    // Stops the manual moves whose arrow key is still down, as their release would.
    void StopHeldManualMoves();

    SerialInterface* serialInterface = nullptr;
    WebcamInterface* webcamInterface = nullptr;
    AutoGuider* autoGuider = nullptr;
    RawFrameProcessor* rawFrameProcessor = nullptr;
    DataWindow* dataWindow = nullptr;
    FrameWindowsGroup* frameWindowsGroup = nullptr;
    HistogramsDialog* histogramsDialog = nullptr;
    StopWatch* stopWatch = nullptr;
    GWorldWrapper* rawFrame = nullptr;
    GWorldWrapper* longExposureFrame = nullptr;
    GWorldWrapper* levelAdjustedFrame = nullptr;
    GWorldWrapper* redChannelFrame = nullptr;
    GWorldWrapper* greenChannelFrame = nullptr;
    GWorldWrapper* blueChannelFrame = nullptr;
    int eventPause = 0;
    int frameCount = 0;
    int fps = 0;
    int lastFpsTick = 0;
    int movieStartTick = 0;
    int pow2MenuItemBase = 9;

    ProgramOptions options;
    long idlePasses = 0;
    // The directions (by CompassDirection) whose arrow key started a manual move and
    // has not been released.
    bool manualMoveHeld[4] = {false, false, false, false};
    // Sends the guiding messages that have come due at every wait of the toolbox, so
    // that a drag, which holds the loop while the button is down, does not hold back
    // the stop of a guiding pulse and so lengthen the pulse.
    std::unique_ptr<ScopedBackgroundTask> dueGuidingMessages;
};

extern MainObject* gMainObject;
