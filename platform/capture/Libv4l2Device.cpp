// The webcams of this machine through libv4l2.
#include <fcntl.h>
#include <libv4l2.h>
#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <filesystem>

#include "platform/capture/VideoDevice.h"

namespace {

// The number of a node named videoN, or -1.
int VideoNodeNumber(const std::string& name) {
    if (name.rfind("video", 0) != 0 || name.size() == 5) return -1;
    int number = 0;
    for (size_t i = 5; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])) || number > 100000) return -1;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

class Libv4l2Device : public VideoDevice {
public:
    std::vector<std::string> ListDevicePaths() override {
        std::vector<std::pair<int, std::string>> nodes;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
            int number = VideoNodeNumber(entry.path().filename().string());
            if (number >= 0) nodes.emplace_back(number, entry.path().string());
        }
        std::sort(nodes.begin(), nodes.end());
        std::vector<std::string> paths;
        for (auto& node : nodes) paths.push_back(node.second);
        return paths;
    }

    int Open(const std::string& path, int& fd) override {
        fd = v4l2_open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        return fd < 0 ? errno : 0;
    }

    void Close(int fd) override { v4l2_close(fd); }

    int Ioctl(int fd, unsigned long request, void* argument) override {
        int result;
        do {
            result = v4l2_ioctl(fd, request, argument);
        } while (result < 0 && errno == EINTR);
        return result < 0 ? errno : 0;
    }

    void* Map(int fd, size_t length, int64_t offset) override {
        void* start = v4l2_mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        return start == MAP_FAILED ? nullptr : start;
    }

    void Unmap(void* start, size_t length) override { v4l2_munmap(start, length); }
};

}  // namespace

std::unique_ptr<VideoDevice> MakeLibv4l2Device() { return std::make_unique<Libv4l2Device>(); }
