#include "platform/capture/V4L2Source.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/capture/V4L2Controls.h"

namespace {

std::string SystemError(const std::string& what, int error) { return what + ": " + std::strerror(error); }

// The capabilities of the node itself when the driver tells them apart from the whole
// device's.
uint32_t NodeCapabilities(const v4l2_capability& caps) {
    return (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
}

bool CanStream(const v4l2_capability& caps) {
    uint32_t c = NodeCapabilities(caps);
    return (c & V4L2_CAP_VIDEO_CAPTURE) && (c & V4L2_CAP_STREAMING);
}

bool FatalToTheDevice(int error) { return error == ENODEV || error == ENXIO || error == EBADF; }

}  // namespace

V4L2Source::V4L2Source(std::string path, std::unique_ptr<VideoDevice> device, int width, int height)
    : requestedPath_(std::move(path)), device_(std::move(device)), requestedWidth_(width), requestedHeight_(height) {}

V4L2Source::~V4L2Source() { CloseDevice(); }

std::string V4L2Source::Name() const {
    if (path_.empty()) return requestedPath_.empty() ? "webcam" : requestedPath_;
    return card_.empty() ? path_ : card_ + " (" + path_ + ")";
}

bool V4L2Source::Open(std::string& error) {
    CloseDevice();
    gone_ = false;
    lastError_ = 0;
    bool found = requestedPath_.empty() ? FindFirstCamera(error) : OpenCaptureDevice(requestedPath_, error);
    if (!found) return false;
    if (NegotiateFormat(error) && StartStreaming(error)) return true;
    CloseDevice();
    return false;
}

// Opens path and keeps it when it is a node that streams video frames.
bool V4L2Source::OpenCaptureDevice(const std::string& path, std::string& error) {
    int fd = -1;
    if (int e = device_->Open(path, fd); e != 0) {
        error = SystemError(path, e);
        return false;
    }
    v4l2_capability caps{};
    if (int e = device_->Ioctl(fd, VIDIOC_QUERYCAP, &caps); e != 0) {
        device_->Close(fd);
        error = SystemError(path + " is not a video device", e);
        return false;
    }
    if (!CanStream(caps)) {
        device_->Close(fd);
        error = path + " does not stream video frames";
        return false;
    }
    fd_ = fd;
    path_ = path;
    card_.assign(reinterpret_cast<const char*>(caps.card), strnlen(reinterpret_cast<const char*>(caps.card), sizeof caps.card));
    return true;
}

bool V4L2Source::FindFirstCamera(std::string& error) {
    std::vector<std::string> paths = device_->ListDevicePaths();
    for (const std::string& path : paths) {
        std::string why;
        if (OpenCaptureDevice(path, why)) return true;
    }
    error = paths.empty() ? "no video device on this machine" : "no video device here streams frames";
    return false;
}

bool V4L2Source::NegotiateFormat(std::string& error) {
    std::vector<OfferedFormat> offered;
    for (uint32_t index = 0; index < 64; ++index) {
        v4l2_fmtdesc desc{};
        desc.index = index;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (device_->Ioctl(fd_, VIDIOC_ENUM_FMT, &desc) != 0) break;
        offered.push_back({desc.pixelformat, (desc.flags & V4L2_FMT_FLAG_EMULATED) != 0});
    }
    OfferedFormat chosen = ChooseFormat(offered);
    if (chosen.fourcc == 0) {
        error = path_ + " offers no pixel format this program reads";
        return false;
    }

    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (int e = device_->Ioctl(fd_, VIDIOC_G_FMT, &format); e != 0) {
        error = SystemError(path_ + ": reading the format", e);
        return false;
    }
    if (requestedWidth_ > 0 && requestedHeight_ > 0) {
        format.fmt.pix.width = static_cast<uint32_t>(requestedWidth_);
        format.fmt.pix.height = static_cast<uint32_t>(requestedHeight_);
    }
    format.fmt.pix.pixelformat = chosen.fourcc;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    format.fmt.pix.bytesperline = 0;
    if (int e = device_->Ioctl(fd_, VIDIOC_S_FMT, &format); e != 0) {
        error = SystemError(path_ + ": setting the format", e);
        return false;
    }
    // The driver may adjust what was asked; what it answers is what comes.
    fourcc_ = format.fmt.pix.pixelformat;
    format_ = CameraFormatOf(fourcc_);
    width_ = static_cast<int>(format.fmt.pix.width);
    height_ = static_cast<int>(format.fmt.pix.height);
    bytesPerLine_ = static_cast<int>(format.fmt.pix.bytesperline);
    if (format_ == CameraFormat::kUnknown || width_ <= 0 || height_ <= 0 || width_ > 32767 || height_ > 32767) {
        error = path_ + " answered with a format this program cannot read";
        return false;
    }
    return true;
}

bool V4L2Source::StartStreaming(std::string& error) {
    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (int e = device_->Ioctl(fd_, VIDIOC_REQBUFS, &request); e != 0) {
        error = SystemError(path_ + ": asking for frame buffers", e);
        return false;
    }
    if (request.count < 2) {
        error = path_ + ": too few frame buffers";
        return false;
    }
    for (uint32_t i = 0; i < request.count; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (int e = device_->Ioctl(fd_, VIDIOC_QUERYBUF, &buffer); e != 0) {
            error = SystemError(path_ + ": reading a frame buffer", e);
            return false;
        }
        void* start = device_->Map(fd_, buffer.length, buffer.m.offset);
        if (start == nullptr) {
            error = path_ + ": mapping a frame buffer failed";
            return false;
        }
        buffers_.push_back({start, buffer.length});
        if (int e = device_->Ioctl(fd_, VIDIOC_QBUF, &buffer); e != 0) {
            error = SystemError(path_ + ": queueing a frame buffer", e);
            return false;
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (int e = device_->Ioctl(fd_, VIDIOC_STREAMON, &type); e != 0) {
        error = SystemError(path_ + ": starting the stream", e);
        return false;
    }
    streaming_ = true;
    return true;
}

bool V4L2Source::Requeue(uint32_t index) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    int e = device_->Ioctl(fd_, VIDIOC_QBUF, &buffer);
    if (e == 0) return true;
    lastError_ = e;
    if (FatalToTheDevice(e)) Lose(e);
    return false;
}

// Takes every frame that has come in and keeps the newest, so the picture never lags
// behind the camera; a frame the driver marks as damaged is passed over.
CaptureResult V4L2Source::Deliver(const FrameTarget& target) {
    if (!streaming_) return CaptureResult::kError;
    bool have = false;
    v4l2_buffer newest{};
    for (int taken = 0; taken <= static_cast<int>(buffers_.size()); ++taken) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        int e = device_->Ioctl(fd_, VIDIOC_DQBUF, &buffer);
        if (e == EAGAIN) break;
        if (e != 0) {
            lastError_ = e;
            if (FatalToTheDevice(e)) Lose(e);
            return CaptureResult::kError;
        }
        if (buffer.index >= buffers_.size()) {
            Lose(EIO);
            return CaptureResult::kError;
        }
        if (have && !Requeue(newest.index)) return CaptureResult::kError;
        newest = buffer;
        have = true;
    }
    if (!have) return CaptureResult::kNoFrame;

    bool converted = false;
    if (!(newest.flags & V4L2_BUF_FLAG_ERROR)) {
        const Buffer& b = buffers_[newest.index];
        // A few drivers leave the count of bytes used at 0: the whole buffer then.
        const size_t used = newest.bytesused > 0 ? std::min<size_t>(newest.bytesused, b.length) : b.length;
        CameraFrame frame{format_, static_cast<const uint8_t*>(b.start), used, width_, height_, bytesPerLine_};
        converted = converter_.Convert(frame, target);
    }
    if (!Requeue(newest.index) && gone_) return CaptureResult::kError;
    return converted ? CaptureResult::kFreshFrame : CaptureResult::kNoFrame;
}

std::vector<CameraControl> V4L2Source::Controls() {
    if (fd_ < 0) return {};
    return ReadCameraControls(*device_, fd_);
}

bool V4L2Source::SetControl(uint32_t id, int32_t value) {
    if (fd_ < 0) return false;
    int e = WriteCameraControl(*device_, fd_, id, value);
    if (FatalToTheDevice(e)) Lose(e);
    return e == 0;
}

void V4L2Source::Lose(int error) {
    gone_ = true;
    lastError_ = error;
    CloseDevice();
}

void V4L2Source::CloseDevice() {
    if (fd_ >= 0 && streaming_) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        device_->Ioctl(fd_, VIDIOC_STREAMOFF, &type);
    }
    streaming_ = false;
    for (const Buffer& b : buffers_) device_->Unmap(b.start, b.length);
    buffers_.clear();
    if (fd_ >= 0) device_->Close(fd_);
    fd_ = -1;
}
