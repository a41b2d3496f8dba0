#include "platform/capture/V4L2Controls.h"

#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

constexpr int kMostControls = 1024;

std::string NameOf(const uint8_t* text, size_t size) {
    return std::string(reinterpret_cast<const char*>(text), strnlen(reinterpret_cast<const char*>(text), size));
}

// The entries of a menu control; the driver may leave gaps (an index it refuses).
std::vector<CameraControlChoice> ReadMenu(VideoDevice& device, int fd, const v4l2_queryctrl& query) {
    std::vector<CameraControlChoice> choices;
    for (int32_t index = query.minimum; index <= query.maximum && index >= 0; ++index) {
        v4l2_querymenu item{};
        item.id = query.id;
        item.index = static_cast<uint32_t>(index);
        if (device.Ioctl(fd, VIDIOC_QUERYMENU, &item) != 0) continue;
        std::string name = query.type == V4L2_CTRL_TYPE_INTEGER_MENU ? std::to_string(item.value)
                                                                     : NameOf(item.name, sizeof item.name);
        choices.push_back({index, name});
    }
    return choices;
}

// One listed control as the dialog shows it; false for kinds the dialog has no item for.
bool Describe(VideoDevice& device, int fd, const v4l2_queryctrl& query, CameraControl& out) {
    if (query.flags & V4L2_CTRL_FLAG_DISABLED) return false;
    switch (query.type) {
        case V4L2_CTRL_TYPE_INTEGER:
            out.kind = CameraControlKind::kSlider;
            break;
        case V4L2_CTRL_TYPE_BOOLEAN:
            out.kind = CameraControlKind::kCheckBox;
            break;
        case V4L2_CTRL_TYPE_MENU:
        case V4L2_CTRL_TYPE_INTEGER_MENU:
            out.kind = CameraControlKind::kPopup;
            out.choices = ReadMenu(device, fd, query);
            if (out.choices.empty()) return false;
            break;
        default:
            return false;
    }
    out.id = query.id;
    out.name = NameOf(query.name, sizeof query.name);
    out.minimum = query.minimum;
    out.maximum = query.maximum;
    out.step = query.step > 0 ? query.step : 1;
    out.defaultValue = query.default_value;
    out.value = query.default_value;
    out.readOnly = (query.flags & (V4L2_CTRL_FLAG_READ_ONLY | V4L2_CTRL_FLAG_GRABBED)) != 0;
    out.inactive = (query.flags & V4L2_CTRL_FLAG_INACTIVE) != 0;
    if (!(query.flags & V4L2_CTRL_FLAG_WRITE_ONLY)) {
        v4l2_control value{};
        value.id = query.id;
        if (device.Ioctl(fd, VIDIOC_G_CTRL, &value) == 0) out.value = value.value;
    }
    return true;
}

}  // namespace

std::vector<CameraControl> ReadCameraControls(VideoDevice& device, int fd) {
    std::vector<CameraControl> controls;
    v4l2_queryctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    int listed = 0;
    uint32_t previous = 0;
    // Each answer names a higher id; a driver that repeats itself is not followed round.
    while (device.Ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0 && query.id > previous && listed < kMostControls) {
        ++listed;
        previous = query.id;
        CameraControl control;
        if (Describe(device, fd, query, control)) controls.push_back(control);
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    if (listed > 0) return controls;
    // A driver that cannot list its controls in turn is asked for each standard one,
    // then for its private ones until it knows no more.
    for (uint32_t id = V4L2_CID_BASE; id < V4L2_CID_LASTP1; ++id) {
        query = {};
        query.id = id;
        CameraControl control;
        if (device.Ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0 && Describe(device, fd, query, control))
            controls.push_back(control);
    }
    for (uint32_t id = V4L2_CID_PRIVATE_BASE; id < V4L2_CID_PRIVATE_BASE + kMostControls; ++id) {
        query = {};
        query.id = id;
        if (device.Ioctl(fd, VIDIOC_QUERYCTRL, &query) != 0) break;
        CameraControl control;
        if (Describe(device, fd, query, control)) controls.push_back(control);
    }
    return controls;
}

int WriteCameraControl(VideoDevice& device, int fd, uint32_t id, int32_t value) {
    v4l2_control control{};
    control.id = id;
    control.value = value;
    return device.Ioctl(fd, VIDIOC_S_CTRL, &control);
}
