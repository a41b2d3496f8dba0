// Folders on the local file system for the folder chooser.
#include "platform/FolderBrowser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) : std::string("/");
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Lexically normal, absolute, without a trailing "/".
std::string Normalize(const fs::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text.empty() ? std::string("/") : text;
}

// Makes and removes a file in folder; the error number when that fails, else 0.
int TryWritingIn(const std::string& folder) {
    std::string name = folder + (folder == "/" ? "" : "/") + ".write-test-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return errno;
    ::close(fd);
    ::unlink(name.c_str());
    return 0;
}

// Why a folder takes no files, in words for the observer. Pseudo file systems such as
// /proc answer a new file with "no such file", which would only puzzle.
std::string WhyNotWritable(int error) {
    if (error == ENOENT || error == EOPNOTSUPP) return "this file system takes no new files";
    return std::strerror(error);
}

}  // namespace

FolderBrowser::FolderBrowser(std::string_view start) {
    fs::path p = start.empty() ? fs::path(HomeFolder()) : fs::path(std::string(start));
    if (p.is_relative()) p = fs::path(HomeFolder()) / p;
    std::string candidate = Normalize(p);
    while (!IsFolder(candidate) && candidate != "/") candidate = Normalize(fs::path(candidate).parent_path());
    folder_ = IsFolder(candidate) ? candidate : (IsFolder(HomeFolder()) ? HomeFolder() : "/");
    Refresh();
}

void FolderBrowser::Refresh() {
    subFolders_.clear();
    std::error_code error;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code statError;
        if (it->is_directory(statError)) subFolders_.push_back(name);
    }
    std::sort(subFolders_.begin(), subFolders_.end());
}

std::string FolderBrowser::PathOf(const std::string& subFolder) const {
    return Normalize(fs::path(folder_) / subFolder);
}

bool FolderBrowser::GoUp() {
    if (folder_ == "/") return false;
    folder_ = Normalize(fs::path(folder_).parent_path());
    Refresh();
    return true;
}

bool FolderBrowser::Enter(const std::string& subFolder) {
    if (std::find(subFolders_.begin(), subFolders_.end(), subFolder) == subFolders_.end()) return false;
    const std::string path = PathOf(subFolder);
    if (!IsFolder(path)) return false;
    folder_ = path;
    Refresh();
    return true;
}

std::string FolderBrowser::Resolve(std::string_view typed) const {
    std::string text(typed);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(text.begin());
    if (text.empty()) return folder_;
    if (text == "~" || text.rfind("~/", 0) == 0) text = HomeFolder() + text.substr(1);
    fs::path p(text);
    if (p.is_relative()) p = fs::path(folder_) / p;
    return Normalize(p);
}

bool FolderBrowser::GoTo(std::string_view typed, std::string* message) {
    const std::string path = Resolve(typed);
    const Verdict verdict = Check(path, message);
    if (verdict == Verdict::kMissing || verdict == Verdict::kNotAFolder) return false;
    folder_ = path;
    Refresh();
    return true;
}

FolderBrowser::Verdict FolderBrowser::Check(const std::string& path, std::string* message) {
    std::string text;
    Verdict verdict = Verdict::kChoosable;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        verdict = Verdict::kMissing;
        text = "There is no folder " + path + ".";
    } else if (!S_ISDIR(st.st_mode)) {
        verdict = Verdict::kNotAFolder;
        text = path + " is a file, not a folder.";
    } else if (::access(path.c_str(), W_OK | X_OK) != 0) {
        verdict = Verdict::kNotWritable;
        text = "Files cannot be written in " + path + ": " + WhyNotWritable(errno) + ".";
    } else if (const int error = TryWritingIn(path); error != 0) {
        verdict = Verdict::kNotWritable;
        text = "Files cannot be written in " + path + ": " + WhyNotWritable(error) + ".";
    }
    if (message != nullptr) *message = text;
    return verdict;
}
