#include "image/WebcamInterface.h"

#include <cstdio>
#include <string>

#include "app/MainObject.h"
#include "display/FrameWindowsGroup.h"
#include "platform/Dialogs.h"
#include "platform/capture/CameraSettingsDialog.h"

namespace {

// The raw frame window, when the application object has made it.
WindowPtr RawFrameWindow() {
    if (gMainObject == nullptr || gMainObject->GetFrameWindowsGroup() == nullptr) return nullptr;
    return gMainObject->GetFrameWindowsGroup()->GetRawFrameWindow();
}

void SetTitle(WindowPtr window, const char* title) {
    Str255 text;
    CtoPascal(title, text);
    SetWTitle(window, text);
}

// A quit asked for while the no-camera dialog waits (a signal, the desktop) answers it
// with Quit.
bool QuitRequested(DialogPtr, EventRecord*, int16_t* itemHit) {
    if (!MainObject::quit) return false;
    *itemHit = WebcamInterface::kQuitItem;
    return true;
}

}  // namespace

WebcamInterface::WebcamInterface(GWorldWrapper* rawFrame, std::unique_ptr<CaptureSource> source,
                                 SourceMaker simulatedSky)
    : grabber(std::move(source)), simulatedSky(std::move(simulatedSky)), rawFrame(rawFrame) {
    CtoPascal("Untitled", movieFileHeader);
    GetAppFSSpec(&movieFolder);
    if (!Init()) {
        SysBeep(1);
        RunNoCameraDialog();
    }
}

WebcamInterface::~WebcamInterface() {
    if (recordingMovie) movieWriter.Finish();
}

bool WebcamInterface::Init() {
    if (!grabber) return false;
    std::string error;
    if (!grabber->Open(error)) {
        std::fprintf(stderr, "scopecam: camera %s: %s\n", grabber->Name().c_str(), error.c_str());
        grabber.reset();
        return false;
    }
    rawFrame->UpdateGWorldFromRect(grabber->FrameBounds());
    return true;
}

// Quit, go on without a camera, or (when it can be made) take the simulated sky.
void WebcamInterface::RunNoCameraDialog() {
    DialogPtr dialog = GetNewDialog(kNoCameraDialogId, nullptr, kInFront);
    if (dialog == nullptr) return;
    if (!simulatedSky) HideDialogItem(dialog, kSimulatedSkyItem);
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    SetDialogDefaultItem(dialog, kQuitItem);
    int16_t item = 0;
    do {
        ModalDialog(QuitRequested, &item);
    } while (item != kQuitItem && item != kGoOnItem && !(item == kSimulatedSkyItem && simulatedSky));
    DisposeDialog(dialog);
    if (item == kQuitItem) {
        MainObject::quit = true;
    } else if (item == kSimulatedSkyItem) {
        grabber = simulatedSky();
        Init();
    }
}

FrameTarget WebcamInterface::RawFrameTarget() const {
    const Rect dim = rawFrame->GetDim();
    return FrameTarget{reinterpret_cast<uint8_t*>(GetPixBaseAddr(rawFrame->GetSrcPixMap())),
                       rawFrame->GetSrcRowBytes(), RectWidth(dim), RectHeight(dim)};
}

// Every pass that previews counts as a fresh frame for the pipeline; while recording,
// only a fresh frame goes into the movie.
int WebcamInterface::DoIdle() {
    if (!grabber) return 0;
    rawFrame->StartUsingGWorld();
    CaptureResult result = grabber->Deliver(RawFrameTarget());
    rawFrame->FinishUsingGWorld();
    if (result == CaptureResult::kError) {
        if (grabber->Gone()) NoteCameraGone();
        return 0;
    }
    if (!recordingMovie) return 2;
    if (result == CaptureResult::kFreshFrame) RecordFrame();
    return 1;
}

// Once: the observer is told in the raw window's title, and a recording is ended with
// the frames it has.
void WebcamInterface::NoteCameraGone() {
    if (recordingMovie) StopRecording();
    if (cameraGoneShown) return;
    cameraGoneShown = true;
    std::fprintf(stderr, "scopecam: camera %s disconnected\n", grabber->Name().c_str());
    if (WindowPtr window = RawFrameWindow()) SetTitle(window, kCameraGoneTitle);
}

void WebcamInterface::RecordFrame() {
    rawFrame->StartUsingGWorld();
    SerResult written = movieWriter.WriteFrame(RawFrameTarget(), SerTimeNow());
    rawFrame->FinishUsingGWorld();
    if (!written.Ok()) {
        // The disk is full or gone: the movie keeps the frames it has.
        std::fprintf(stderr, "scopecam: %s: %s\n", moviePath.c_str(), written.Describe().c_str());
        SysBeep(1);
        StopRecording();
        return;
    }
    DrawRecordedFrame();
}

// The recorded video at full size in the raw frame window.
void WebcamInterface::DrawRecordedFrame() {
    WindowPtr window = RawFrameWindow();
    if (window == nullptr || !IsWindowVisible(window)) return;
    Rect port;
    GetPortBounds(GetWindowPort(window), &port);
    rawFrame->CopyWorldBits(rawFrame->GetDim(), port, GetWindowPort(window));
}

void WebcamInterface::SaveMovie() {
    if (recordingMovie)
        StopRecording();
    else
        StartRecording();
}

// A start that fails beeps and goes back to the preview, so the picture goes on.
void WebcamInterface::StartRecording() {
    if (!grabber || !CreateMovieFile()) {
        SysBeep(1);
        return;
    }
    // The click that chose the command must not stop the recording at once.
    FlushEvents(static_cast<uint16_t>((1u << mouseDown) | (1u << mouseUp)), 0);
    ShowRecordingWindow();
    recordingMovie = true;
}

bool WebcamInterface::CreateMovieFile() {
    const Rect dim = rawFrame->GetDim();
    SerDescription description;
    description.instrument = grabber->Name();
    description.telescope = "scopecam";
    for (int tries = 0; tries < kMostNameTries; ++tries) {
        Str255 name = {0};
        BuildSavePictureFileName(name);
        FSSpec spec = movieFolder;
        SetFSSpecName(&spec, name);
        std::string path = spec.folder + "/" + PascalToString(spec.name) + kMovieFileExtension;
        SerResult created = movieWriter.Create(path, RectWidth(dim), RectHeight(dim), grabber->Samples(),
                                               description, SerTimeNow());
        if (created.Ok()) {
            moviePath = path;
            return true;
        }
        if (created.error != SerError::kExists) {
            std::fprintf(stderr, "scopecam: %s: %s\n", path.c_str(), created.Describe().c_str());
            return false;
        }
        // A file of that name is there: the next number.
    }
    return false;
}

void WebcamInterface::ShowRecordingWindow() {
    WindowPtr window = RawFrameWindow();
    if (window == nullptr) return;
    GetWindowBounds(window, kWindowContentRgn, &savedRawWindowBounds);
    rawWindowWasVisible = IsWindowVisible(window);
    Rect full = rawFrame->GetDim();
    OffsetRect(&full, 10, 45);
    SetWindowBounds(window, kWindowContentRgn, &full);
    SelectWindow(window);
    ShowWindow(window);
    SetTitle(window, kRecordingTitle);
}

// An error while closing the file beeps; the recording ends all the same, since the
// file is closed either way.
void WebcamInterface::StopRecording() {
    SerResult finished = movieWriter.Finish();
    if (!finished.Ok()) {
        std::fprintf(stderr, "scopecam: %s: %s\n", moviePath.c_str(), finished.Describe().c_str());
        SysBeep(1);
    }
    RestoreRawWindow();
    recordingMovie = false;
}

void WebcamInterface::RestoreRawWindow() {
    WindowPtr window = RawFrameWindow();
    if (window == nullptr) return;
    if (!rawWindowWasVisible) HideWindow(window);
    SetWindowBounds(window, kWindowContentRgn, &savedRawWindowBounds);
    SetTitle(window, cameraGoneShown ? kCameraGoneTitle : kRawFrameTitle);
}

void WebcamInterface::BuildSavePictureFileName(unsigned char* name) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", static_cast<int>(movieCount));
    ++movieCount;
    const int numberLength = static_cast<int>(std::string(digits).size());
    Str255 header;
    PascalCopy(movieFileHeader, header);
    if (header[0] > 0) {
        // The number always stays whole: a header too long for a file name is cut.
        CutPascal(header, kMaxFileNameLength - 1 - numberLength);
        Str255 dash;
        CtoPascal("-", dash);
        PascalAppend(header, dash);
    }
    Str255 number;
    CtoPascal(digits, number);
    PascalAppend(header, number);
    PascalCopy(header, name);
}

std::string WebcamInterface::GetMovieFileHeader() const { return PascalToString(movieFileHeader); }

void WebcamInterface::GetSaveMovieFileHeader() {
    DialogPtr dialog = GetNewDialog(kFileNamesDialogId, nullptr, kInFront);
    if (dialog == nullptr) return;
    ShowWindow(GetDialogWindow(dialog));
    SetPort(GetDialogPort(dialog));
    SetDialogDefaultItem(dialog, 1);
    ControlHandle text = nullptr, restart = nullptr;
    GetDialogItem(dialog, 2, nullptr, &text, nullptr);
    GetDialogItem(dialog, 3, nullptr, &restart, nullptr);
    SetDialogItemText(text, movieFileHeader);
    SetControlValue(restart, 1);
    int16_t item = 0;
    do {
        ModalDialog(nullptr, &item);
        if (item == 3) SetControlValue(restart, GetControlValue(restart) ? 0 : 1);
    } while (item != 1);
    GetDialogItemText(text, movieFileHeader);
    if (GetControlValue(restart)) movieCount = 0;
    DisposeDialog(dialog);
}

bool WebcamInterface::SetSaveMovieLocation() { return ChooseFolder(movieFolder); }

// The capture rests while the dialog runs (it is modal: no idle pass comes); the
// settings apply as they are changed.
void WebcamInterface::DoWebcamSettingsDialog() {
    if (!grabber) {
        SysBeep(1);
        return;
    }
    RunCameraSettingsDialog(*grabber);
}
