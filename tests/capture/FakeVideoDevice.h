// A scripted stand-in for the video driver: device nodes with their capabilities,
// formats and controls, frame buffers that the test fills with frames, and errors
// injected into any request or into every call (an unplugged camera).
#pragma once

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/capture/PixelFormats.h"
#include "platform/capture/VideoDevice.h"

struct FakeControl {
    v4l2_queryctrl query{};
    int32_t value = 0;
    std::map<uint32_t, std::string> menu;  // index -> name (or integer-menu value as text)
};

inline FakeControl MakeControl(uint32_t id, uint32_t type, const char* name, int32_t min, int32_t max,
                               int32_t step, int32_t def, uint32_t flags = 0) {
    FakeControl c;
    c.query.id = id;
    c.query.type = type;
    std::strncpy(reinterpret_cast<char*>(c.query.name), name, sizeof c.query.name - 1);
    c.query.minimum = min;
    c.query.maximum = max;
    c.query.step = step;
    c.query.default_value = def;
    c.query.flags = flags;
    c.value = def;
    return c;
}

struct FakeNode {
    std::string path;
    std::string card = "Fake Camera";
    uint32_t capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
    std::vector<OfferedFormat> formats;
    uint32_t fourcc = V4L2_PIX_FMT_YUYV;
    int width = 64;
    int height = 48;
    int rowPadding = 0;  // bytes the driver adds to each row
    int openError = 0;
    std::vector<FakeControl> controls;
    bool listsControlsInTurn = true;  // answers V4L2_CTRL_FLAG_NEXT_CTRL
};

class FakeVideoDevice : public VideoDevice {
public:
    // --- what the test sets up
    std::vector<FakeNode> nodes;
    std::deque<std::vector<uint8_t>> frames;  // delivered one per dequeue, oldest first
    uint32_t nextFrameFlags = 0;
    std::map<unsigned long, int> failOnce;    // request -> error number, for its next call
    bool unplugged = false;                   // every call fails as if the device had gone

    // --- what the test reads back
    std::vector<std::string> openedPaths;
    int openDescriptors = 0;
    int mappedBuffers = 0;
    bool streaming = false;
    std::vector<std::pair<uint32_t, int32_t>> controlWrites;
    v4l2_format lastSetFormat{};
    size_t queuedBuffers() const { return queue_.size(); }

    std::vector<std::string> ListDevicePaths() override {
        std::vector<std::string> paths;
        for (const FakeNode& n : nodes) paths.push_back(n.path);
        return paths;
    }

    int Open(const std::string& path, int& fd) override {
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].path != path) continue;
            if (unplugged) return ENODEV;
            if (nodes[i].openError) return nodes[i].openError;
            fd = kFirstFd + static_cast<int>(i);
            openedPaths.push_back(path);
            ++openDescriptors;
            return 0;
        }
        return ENOENT;
    }

    void Close(int) override { --openDescriptors; }

    void* Map(int, size_t length, int64_t offset) override {
        size_t index = static_cast<size_t>(offset / kOffsetStep);
        if (unplugged || index >= buffers_.size() || length > buffers_[index].size()) return nullptr;
        ++mappedBuffers;
        return buffers_[index].data();
    }

    void Unmap(void*, size_t) override { --mappedBuffers; }

    int Ioctl(int fd, unsigned long request, void* argument) override {
        if (unplugged) return ENODEV;
        if (auto f = failOnce.find(request); f != failOnce.end()) {
            int error = f->second;
            failOnce.erase(f);
            return error;
        }
        FakeNode& node = nodes.at(static_cast<size_t>(fd - kFirstFd));
        switch (request) {
            case VIDIOC_QUERYCAP: return QueryCap(node, *static_cast<v4l2_capability*>(argument));
            case VIDIOC_ENUM_FMT: return EnumFormat(node, *static_cast<v4l2_fmtdesc*>(argument));
            case VIDIOC_G_FMT: return GetFormat(node, *static_cast<v4l2_format*>(argument));
            case VIDIOC_S_FMT: return SetFormat(node, *static_cast<v4l2_format*>(argument));
            case VIDIOC_REQBUFS: return RequestBuffers(node, *static_cast<v4l2_requestbuffers*>(argument));
            case VIDIOC_QUERYBUF: return QueryBuffer(*static_cast<v4l2_buffer*>(argument));
            case VIDIOC_QBUF: return Queue(*static_cast<v4l2_buffer*>(argument));
            case VIDIOC_DQBUF: return Dequeue(*static_cast<v4l2_buffer*>(argument));
            case VIDIOC_STREAMON: streaming = true; return 0;
            case VIDIOC_STREAMOFF: streaming = false; queue_.clear(); return 0;
            case VIDIOC_QUERYCTRL: return QueryControl(node, *static_cast<v4l2_queryctrl*>(argument));
            case VIDIOC_QUERYMENU: return QueryMenu(node, *static_cast<v4l2_querymenu*>(argument));
            case VIDIOC_G_CTRL: return GetControl(node, *static_cast<v4l2_control*>(argument));
            case VIDIOC_S_CTRL: return SetControl(node, *static_cast<v4l2_control*>(argument));
            default: return ENOTTY;
        }
    }

private:
    static constexpr int kFirstFd = 40;
    static constexpr int64_t kOffsetStep = 1 << 20;

    static int BytesPerLine(const FakeNode& n) {
        return MinimumBytesPerLine(CameraFormatOf(n.fourcc), n.width) + n.rowPadding;
    }
    static size_t ImageSize(const FakeNode& n) {
        int bpl = BytesPerLine(n);
        return bpl > 0 ? static_cast<size_t>(bpl) * n.height : static_cast<size_t>(n.width) * n.height * 3;
    }

    int QueryCap(const FakeNode& n, v4l2_capability& caps) {
        caps = {};
        std::strncpy(reinterpret_cast<char*>(caps.driver), "fake", sizeof caps.driver - 1);
        std::strncpy(reinterpret_cast<char*>(caps.card), n.card.c_str(), sizeof caps.card - 1);
        caps.capabilities = n.capabilities | V4L2_CAP_DEVICE_CAPS;
        caps.device_caps = n.capabilities;
        return 0;
    }
    int EnumFormat(const FakeNode& n, v4l2_fmtdesc& d) {
        if (d.index >= n.formats.size()) return EINVAL;
        d.pixelformat = n.formats[d.index].fourcc;
        d.flags = n.formats[d.index].emulated ? V4L2_FMT_FLAG_EMULATED : 0;
        return 0;
    }
    int GetFormat(const FakeNode& n, v4l2_format& f) {
        f.fmt.pix.width = static_cast<uint32_t>(n.width);
        f.fmt.pix.height = static_cast<uint32_t>(n.height);
        f.fmt.pix.pixelformat = n.fourcc;
        f.fmt.pix.bytesperline = static_cast<uint32_t>(std::max(0, BytesPerLine(n)));
        f.fmt.pix.sizeimage = static_cast<uint32_t>(ImageSize(n));
        return 0;
    }
    // Takes any listed format; sizes are kept within 1280 x 960 and made even.
    int SetFormat(FakeNode& n, v4l2_format& f) {
        lastSetFormat = f;
        bool listed = std::any_of(n.formats.begin(), n.formats.end(),
                                  [&](const OfferedFormat& o) { return o.fourcc == f.fmt.pix.pixelformat; });
        if (!listed) return EINVAL;
        n.fourcc = f.fmt.pix.pixelformat;
        n.width = std::min<int>(static_cast<int>(f.fmt.pix.width), 1280) & ~1;
        n.height = std::min<int>(static_cast<int>(f.fmt.pix.height), 960) & ~1;
        return GetFormat(n, f);
    }
    int RequestBuffers(const FakeNode& n, v4l2_requestbuffers& r) {
        r.count = std::min<uint32_t>(r.count, 3);
        buffers_.assign(r.count, std::vector<uint8_t>(ImageSize(n)));
        queue_.clear();
        return 0;
    }
    int QueryBuffer(v4l2_buffer& b) {
        if (b.index >= buffers_.size()) return EINVAL;
        b.length = static_cast<uint32_t>(buffers_[b.index].size());
        b.m.offset = static_cast<uint32_t>(b.index * kOffsetStep);
        return 0;
    }
    int Queue(const v4l2_buffer& b) {
        if (b.index >= buffers_.size() || std::count(queue_.begin(), queue_.end(), b.index)) return EINVAL;
        queue_.push_back(b.index);
        return 0;
    }
    int Dequeue(v4l2_buffer& b) {
        if (!streaming || frames.empty() || queue_.empty()) return EAGAIN;
        uint32_t index = queue_.front();
        queue_.pop_front();
        std::vector<uint8_t>& buffer = buffers_[index];
        const std::vector<uint8_t>& frame = frames.front();
        size_t n = std::min(frame.size(), buffer.size());
        std::copy_n(frame.begin(), n, buffer.begin());
        frames.pop_front();
        b.index = index;
        b.bytesused = static_cast<uint32_t>(n);
        b.flags = nextFrameFlags;
        nextFrameFlags = 0;
        return 0;
    }
    FakeControl* FindControl(FakeNode& n, uint32_t id) {
        for (FakeControl& c : n.controls)
            if (c.query.id == id) return &c;
        return nullptr;
    }
    int QueryControl(FakeNode& n, v4l2_queryctrl& q) {
        if (q.id & V4L2_CTRL_FLAG_NEXT_CTRL) {
            if (!n.listsControlsInTurn) return EINVAL;
            uint32_t after = q.id & ~(V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND);
            const FakeControl* next = nullptr;
            for (const FakeControl& c : n.controls)
                if (c.query.id > after && (!next || c.query.id < next->query.id)) next = &c;
            if (!next) return EINVAL;
            q = next->query;
            return 0;
        }
        FakeControl* c = FindControl(n, q.id);
        if (!c) return EINVAL;
        q = c->query;
        return 0;
    }
    int QueryMenu(FakeNode& n, v4l2_querymenu& m) {
        FakeControl* c = FindControl(n, m.id);
        if (!c) return EINVAL;
        auto item = c->menu.find(m.index);
        if (item == c->menu.end()) return EINVAL;
        if (c->query.type == V4L2_CTRL_TYPE_INTEGER_MENU)
            m.value = std::stoll(item->second);
        else
            std::strncpy(reinterpret_cast<char*>(m.name), item->second.c_str(), sizeof m.name - 1);
        return 0;
    }
    int GetControl(FakeNode& n, v4l2_control& v) {
        FakeControl* c = FindControl(n, v.id);
        if (!c) return EINVAL;
        v.value = c->value;
        return 0;
    }
    int SetControl(FakeNode& n, const v4l2_control& v) {
        FakeControl* c = FindControl(n, v.id);
        if (!c) return EINVAL;
        if (c->query.flags & V4L2_CTRL_FLAG_READ_ONLY) return EACCES;
        if (v.value < c->query.minimum || v.value > c->query.maximum) return ERANGE;
        c->value = v.value;
        controlWrites.emplace_back(v.id, v.value);
        return 0;
    }

    std::vector<std::vector<uint8_t>> buffers_;
    std::deque<uint32_t> queue_;
};
