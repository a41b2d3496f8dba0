#include "platform/services/PreferencesStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// The folder under the configuration home that holds the application's own files.
constexpr const char* kApplicationFolder = "scopecam";

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\v\f";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

// A whole decimal integer with an optional sign, within 32 bits; anything else
// (blank, fraction, exponent, trailing text, too many digits) is no value.
std::optional<int32_t> ParseInt32(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Keys must read back as they were written: one line, no '=', no leading '#', no
// blanks at either end.
bool IsWritableKey(const std::string& key) {
    return !key.empty() && key.front() != '#' && key.find_first_of("=\n\r") == std::string::npos &&
           Trim(key).size() == key.size();
}

// One "key = value" line; comments, blank lines and lines without '=' or without a
// key say nothing.
void ParseLine(std::string_view line, std::map<std::string, std::string>& values) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') return;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) return;
    values[std::string(key)] = std::string(Trim(line.substr(equals + 1)));
}

// Only lines ended by a newline count: every save ends its last line, so text after
// the last newline is a line cut short.
std::map<std::string, std::string> ParseText(std::string_view text) {
    std::map<std::string, std::string> values;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', start)) {
        ParseLine(text.substr(start, end - start), values);
        start = end + 1;
    }
    return values;
}

std::string FormatText(const std::map<std::string, std::string>& values) {
    std::string text = "# Preferences, one \"key = value\" a line.\n";
    for (const auto& [key, value] : values) text += key + " = " + value + "\n";
    return text;
}

struct FileCloser {
    void operator()(int* fd) const {
        if (*fd >= 0) close(*fd);
        delete fd;
    }
};
using FileHandle = std::unique_ptr<int, FileCloser>;

FileHandle OpenFile(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return FileHandle(new int(fd));
}

// Reads the whole file; fills error (an errno value, or EFBIG when the file is too
// big to be preferences) and returns false when it cannot.
bool ReadWholeFile(const std::string& path, std::string& text, int& error) {
    FileHandle fd = OpenFile(path.c_str(), O_RDONLY);
    if (*fd < 0) {
        error = errno;
        return false;
    }
    struct stat info;
    if (fstat(*fd, &info) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    std::vector<char> buffer(PreferencesStore::kMaxFileBytes + 1);
    size_t filled = 0;
    while (filled < buffer.size()) {
        ssize_t n = read(*fd, buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            return false;
        }
        if (n == 0) break;
        filled += static_cast<size_t>(n);
    }
    if (filled > PreferencesStore::kMaxFileBytes) {
        error = EFBIG;
        return false;
    }
    text.assign(buffer.data(), filled);
    return true;
}

// Returns 0 or the errno value of the write that failed.
int WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

bool IsFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates folder and the folders above it that are missing (private to the user).
bool MakeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            int error = errno;
            if (!IsFolder(part)) {
                errno = error;
                return false;
            }
        }
        if (slash == std::string::npos) break;
    }
    if (!IsFolder(folder)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a save replaces: the target of a symbolic link, so that the link stays.
std::string ResolveSaveTarget(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> target(realpath(path.c_str(), nullptr), &std::free);
    return target ? std::string(target.get()) : path;
}

// Writes text to a new temporary file beside target, makes it durable and renames it
// over target. Returns 0 or the errno value of the step that failed; on failure the
// temporary file is gone and target is untouched.
int ReplaceFileAtomically(const std::string& target, const std::string& text) {
    const std::string folder = FolderOf(target);
    if (!MakeFolders(folder)) return errno;
    std::string temp = folder + "/." + NameOf(target) + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int error = WriteAll(fd, text);
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(name.data(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(name.data());
        return error;
    }
    // Makes the rename itself durable; not every file system can, and the new file
    // is in place either way.
    FileHandle dir = OpenFile(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (*dir >= 0) fsync(*dir);
    return 0;
}

std::unique_ptr<PreferencesStore>& ApplicationStore() {
    static std::unique_ptr<PreferencesStore> store;
    return store;
}

}  // namespace

PreferencesStore::PreferencesStore(std::string filePath) : path_(std::move(filePath)) {}

std::optional<int32_t> PreferencesStore::GetInteger(const std::string& key) {
    LoadOnce();
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return ParseInt32(it->second);
}

bool PreferencesStore::SetInteger(const std::string& key, int32_t value) {
    if (!IsWritableKey(key)) return false;
    LoadOnce();
    values_[key] = std::to_string(value);
    return true;
}

PreferencesSave PreferencesStore::Synchronize() {
    LoadOnce();
    if (path_.empty()) {
        ReportOnce(saveFailureReported_, "cannot be saved: no home folder is known", 0);
        return PreferencesSave::kKeptInMemoryOnly;
    }
    int error = ReplaceFileAtomically(ResolveSaveTarget(path_), FormatText(values_));
    if (error != 0) {
        ReportOnce(saveFailureReported_, "cannot be saved to " + path_ + "; they hold until the program ends",
                   error);
        return PreferencesSave::kKeptInMemoryOnly;
    }
    return PreferencesSave::kSaved;
}

void PreferencesStore::Reload() {
    loaded_ = false;
    values_.clear();
}

void PreferencesStore::LoadOnce() {
    if (loaded_) return;
    loaded_ = true;
    values_.clear();
    if (path_.empty()) return;
    std::string text;
    int error = 0;
    if (!ReadWholeFile(path_, text, error)) {
        // No file yet is the normal first run (a file in place of a folder on the way
        // is reported when a save fails); anything else is worth a word.
        if (error != ENOENT && error != ENOTDIR)
            ReportOnce(readFailureReported_, "cannot be read from " + path_, error);
        return;
    }
    values_ = ParseText(text);
}

void PreferencesStore::ReportOnce(bool& reported, const std::string& what, int error) {
    if (reported) return;
    reported = true;
    if (error != 0)
        std::fprintf(stderr, "Preferences %s (%s).\n", what.c_str(), std::strerror(error));
    else
        std::fprintf(stderr, "Preferences %s.\n", what.c_str());
}

std::string PreferencesFilePath(const std::string& application) {
    std::string base;
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] == '\0') return {};
        base = std::string(home) + "/.config";
    }
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/" + application + "/preferences";
}

PreferencesStore& ApplicationPreferences() {
    auto& store = ApplicationStore();
    if (!store) store = std::make_unique<PreferencesStore>(PreferencesFilePath(kApplicationFolder));
    return *store;
}

void ResetApplicationPreferences() { ApplicationStore().reset(); }
