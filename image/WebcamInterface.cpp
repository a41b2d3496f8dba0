#include "image/WebcamInterface.h"

#include <cstdio>
#include <string>

WebcamInterface::WebcamInterface(GWorldWrapper* rawFrame, std::unique_ptr<CaptureSource> source)
    : grabber(std::move(source)), rawFrame(rawFrame) {
    if (!Init()) SysBeep(1);
}

WebcamInterface::~WebcamInterface() = default;

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

int WebcamInterface::DoIdle() {
    if (!grabber) return 0;
    Rect dim = rawFrame->GetDim();
    rawFrame->StartUsingGWorld();
    FrameTarget target{reinterpret_cast<uint8_t*>(GetPixBaseAddr(rawFrame->GetSrcPixMap())),
                       rawFrame->GetSrcRowBytes(), RectWidth(dim), RectHeight(dim)};
    CaptureResult result = grabber->Deliver(target);
    rawFrame->FinishUsingGWorld();
    if (result == CaptureResult::kError) return 0;
    return recordingMovie ? 1 : 2;
}
