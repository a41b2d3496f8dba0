// The camera: sets up the capture source to fill the raw frame buffer at the camera's
// own size and gives it time once per pass of the event loop.
#pragma once

#include <memory>

#include "image/GWorldWrapper.h"
#include "platform/capture/CaptureSource.h"

class WebcamInterface {
public:
    WebcamInterface(GWorldWrapper* rawFrame, std::unique_ptr<CaptureSource> source);
    ~WebcamInterface();

    // Opens the source and sizes the raw frame buffer to it; false when no camera works.
    bool Init();
    // 0: no camera or a capture error; 1: a movie is being recorded; 2: previewing, the
    // raw frame buffer holds the present frame.
    int DoIdle();
    bool GetRecordingMovie() const { return recordingMovie; }

private:
    std::unique_ptr<CaptureSource> grabber;
    GWorldWrapper* rawFrame;
    bool recordingMovie = false;
};
