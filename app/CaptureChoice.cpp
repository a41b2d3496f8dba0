#include "app/CaptureChoice.h"

#include "platform/capture/TestPatternSource.h"
#include "platform/capture/V4L2Source.h"
#include "sim/SimulatedCamera.h"
#include "sim/SimulatedObservatory.h"

std::unique_ptr<CaptureSource> MakeSimulatedSkySource(const ProgramOptions& options) {
    SkySettings sky = options.sky;
    if (options.frameWidth > 0 && options.frameHeight > 0) {
        sky.width = options.frameWidth;
        sky.height = options.frameHeight;
    }
    const SimulatedMount* mount = options.observatory ? &options.observatory->Mount() : nullptr;
    const SimulatedSV203* board = options.observatory ? &options.observatory->Board() : nullptr;
    return std::make_unique<SimulatedCamera>(sky, mount, board);
}

std::unique_ptr<CaptureSource> MakeCaptureSource(const ProgramOptions& options) {
    if (options.camera == "sim") return MakeSimulatedSkySource(options);
    if (options.camera == "test") {
        if (options.frameWidth > 0) return std::make_unique<TestPatternSource>(options.frameWidth, options.frameHeight);
        return std::make_unique<TestPatternSource>();
    }
    // A device path, or empty for the first webcam found.
    return std::make_unique<V4L2Source>(options.camera, MakeLibv4l2Device(), options.frameWidth, options.frameHeight);
}
