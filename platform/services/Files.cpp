#include "platform/services/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

std::string ReadWorkingFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

const std::string& StartFolderStore() {
    static const std::string folder = ReadWorkingFolder();
    return folder;
}

// Read while the program starts, before anything could change the working folder.
[[maybe_unused]] const std::string& gStartFolderAtLaunch = StartFolderStore();

NewFileStatus StatusOf(int error) {
    switch (error) {
        case EEXIST: return NewFileStatus::kNameTaken;
        case ENOENT:
        case ENOTDIR: return NewFileStatus::kFolderMissing;
        case EACCES:
        case EPERM:
        case EROFS: return NewFileStatus::kFolderNotWritable;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return NewFileStatus::kDiskFull;
        default: return NewFileStatus::kWriteFailed;
    }
}

// Writes all of bytes, going on after partial writes and interruptions; 0 or the errno.
int WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

const std::string& StartFolder() { return StartFolderStore(); }

NewFileResult WriteNewFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int error = errno;
        return {StatusOf(error), error};
    }
    int error = 0;
    for (std::span<const uint8_t> piece : pieces) {
        error = WriteAll(fd, piece);
        if (error != 0) break;
    }
    // Some file systems report a full disk only when the data reaches it.
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0 && errno != EINTR) error = errno;
    if (error != 0) {
        unlink(path.c_str());
        return {StatusOf(error), error};
    }
    return {NewFileStatus::kWritten, 0};
}
