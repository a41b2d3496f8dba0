// A webcam through the video driver (V4L2): the device given, or the first capture
// device of the machine; the camera's raw samples when it offers them, otherwise its
// own colour format or the capture library's RGB; memory-mapped streaming with a few
// buffers; each frame converted into the 32-bit frame buffer at the camera's size.
//
// A camera that goes away (unplugged) makes Deliver report an error from then on; the
// device is closed and nothing else is tried.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/capture/CaptureSource.h"
#include "platform/capture/PixelFormats.h"
#include "platform/capture/VideoDevice.h"

class V4L2Source : public CaptureSource {
public:
    static constexpr int kBufferCount = 4;

    // path: a device node, or empty for the first capture device. width and height:
    // the frame size to ask for, or 0 for the size the camera is set to.
    explicit V4L2Source(std::string path = "", std::unique_ptr<VideoDevice> device = MakeLibv4l2Device(),
                        int width = 0, int height = 0);
    ~V4L2Source() override;
    V4L2Source(const V4L2Source&) = delete;
    V4L2Source& operator=(const V4L2Source&) = delete;

    bool Open(std::string& error) override;
    Rect FrameBounds() const override { return MakeRect(0, 0, width_, height_); }
    // The newest frame that has come in; the older ones go back to the driver.
    CaptureResult Deliver(const FrameTarget& target) override;
    std::string Name() const override;
    SampleLayout Samples() const override { return SamplesOf(format_); }
    std::vector<CameraControl> Controls() override;
    bool SetControl(uint32_t id, int32_t value) override;

    const std::string& DevicePath() const { return path_; }
    uint32_t PixelFormat() const { return fourcc_; }
    bool Streaming() const { return streaming_; }
    // The camera went away while running; LastError says why.
    bool Gone() const override { return gone_; }
    int LastError() const { return lastError_; }

private:
    struct Buffer {
        void* start = nullptr;
        size_t length = 0;
    };

    bool OpenCaptureDevice(const std::string& path, std::string& error);
    bool FindFirstCamera(std::string& error);
    bool NegotiateFormat(std::string& error);
    bool StartStreaming(std::string& error);
    bool Requeue(uint32_t index);
    void Lose(int error);
    void CloseDevice();

    std::string requestedPath_;
    std::unique_ptr<VideoDevice> device_;
    int requestedWidth_;
    int requestedHeight_;

    std::string path_;
    std::string card_;
    int fd_ = -1;
    uint32_t fourcc_ = 0;
    CameraFormat format_ = CameraFormat::kUnknown;
    int width_ = 0;
    int height_ = 0;
    int bytesPerLine_ = 0;
    std::vector<Buffer> buffers_;
    bool streaming_ = false;
    bool gone_ = false;
    int lastError_ = 0;
    FrameConverter converter_;
};
