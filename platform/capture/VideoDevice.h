// The device calls behind a V4L2 webcam: listing the video devices, open, the driver's
// requests, memory mapping of the frame buffers, and close. The webcam source makes
// every call through one VideoDevice, so that a test can stand a scripted camera in
// for a real one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class VideoDevice {
public:
    virtual ~VideoDevice() = default;
    // The video device nodes of this machine (/dev/video0, /dev/video1, ...) in the
    // order of their numbers.
    virtual std::vector<std::string> ListDevicePaths() = 0;
    // Opens a device for reading and writing, without waiting for frames. 0 and the
    // descriptor in fd, or the system's error number.
    virtual int Open(const std::string& path, int& fd) = 0;
    virtual void Close(int fd) = 0;
    // One driver request (VIDIOC_...): 0, or the system's error number.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    // Maps a frame buffer the driver offers; null on failure.
    virtual void* Map(int fd, size_t length, int64_t offset) = 0;
    virtual void Unmap(void* start, size_t length) = 0;
};

// The real calls, through the capture library (libv4l2), which also offers RGB
// conversions of the formats a camera sends.
std::unique_ptr<VideoDevice> MakeLibv4l2Device();
