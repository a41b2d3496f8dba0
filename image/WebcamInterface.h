// The camera: sets up the capture source to fill the raw frame buffer at the camera's
// own size, gives it time once per pass of the event loop, runs the camera's settings
// dialog, and records movies.
//
// While a movie is recorded every fresh frame goes into the movie file (SER) and is
// shown at full size in the raw frame window, whose title says how to stop; the frame
// pipeline rests. Stopping puts the window back and returns to the preview.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/FileProcs.h"
#include "image/GWorldWrapper.h"
#include "platform/capture/CaptureSource.h"
#include "platform/capture/SerWriter.h"

class WebcamInterface {
public:
    using SourceMaker = std::function<std::unique_ptr<CaptureSource>()>;

    static constexpr int16_t kFileNamesDialogId = 130;
    static constexpr int16_t kNoCameraDialogId = 131;
    // Items of the no-camera dialog.
    static constexpr int16_t kQuitItem = 1;
    static constexpr int16_t kGoOnItem = 2;
    static constexpr int16_t kSimulatedSkyItem = 3;
    // The most names tried in turn for a movie file before giving up.
    static constexpr int kMostNameTries = 1000;

    static constexpr const char* kRecordingTitle = "RECORDING...PRESS ANY NONMODIFIER KEY OR MOUSE BUTTON TO STOP";
    static constexpr const char* kRawFrameTitle = "Raw Frame";
    static constexpr const char* kCameraGoneTitle = "Raw Frame (camera disconnected)";
    static constexpr const char* kMovieFileExtension = ".ser";

    // source: the camera, or null for none. simulatedSky, when given, makes the
    // simulated sky that the no-camera dialog offers in place of a camera. When no
    // camera starts: one beep and the no-camera dialog.
    WebcamInterface(GWorldWrapper* rawFrame, std::unique_ptr<CaptureSource> source, SourceMaker simulatedSky = {});
    ~WebcamInterface();
    WebcamInterface(const WebcamInterface&) = delete;
    WebcamInterface& operator=(const WebcamInterface&) = delete;

    // Opens the source, sizes the raw frame buffer to it and starts the preview; false
    // when no camera works.
    bool Init();
    // 0: no camera or a capture error; 1: a movie is being recorded; 2: previewing, the
    // raw frame buffer holds the present frame.
    int DoIdle();
    bool GetRecordingMovie() const { return recordingMovie; }
    // Starts a recording when none runs, otherwise stops it.
    void SaveMovie();
    void DoWebcamSettingsDialog();
    // The next movie file name (header, "-" when there is a header, the count with at
    // least three digits) into name; the count goes up by one. A long header is cut so
    // that the whole name fits a file name.
    void BuildSavePictureFileName(unsigned char* name);
    void GetSaveMovieFileHeader();
    bool SetSaveMovieLocation();

    // Observation.
    CaptureSource* GetSource() const { return grabber.get(); }
    const FSSpec& GetMovieFolder() const { return movieFolder; }
    int32_t GetMovieCount() const { return movieCount; }
    std::string GetMovieFileHeader() const;
    // The file of the present or last recording.
    const std::string& GetMoviePath() const { return moviePath; }
    int32_t GetMovieFrames() const { return movieWriter.FrameCount(); }

private:
    void RunNoCameraDialog();
    void StartRecording();
    void StopRecording();
    // Creates the movie file under the next free name; false when none could be made.
    bool CreateMovieFile();
    void ShowRecordingWindow();
    void RestoreRawWindow();
    void DrawRecordedFrame();
    void RecordFrame();
    void NoteCameraGone();
    FrameTarget RawFrameTarget() const;

    std::unique_ptr<CaptureSource> grabber;
    SourceMaker simulatedSky;
    GWorldWrapper* rawFrame;
    bool recordingMovie = false;
    Rect savedRawWindowBounds;
    bool rawWindowWasVisible = false;
    FSSpec movieFolder;
    Str255 movieFileHeader = {0};
    int32_t movieCount = 0;

    SerWriter movieWriter;
    std::string moviePath;
    bool cameraGoneShown = false;
};
