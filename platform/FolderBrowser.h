// The folder a folder chooser shows: its path, its sub-folders, moving up and into
// folders, typed paths, and whether a folder can take the files a program writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class FolderBrowser {
public:
    // Starts at start when it is an existing folder, else at its nearest existing
    // parent, else at the home folder, else at "/".
    explicit FolderBrowser(std::string_view start);

    // The present folder, absolute and without a trailing "/" (except "/" itself).
    const std::string& Folder() const { return folder_; }
    // Names of the present folder's sub-folders, sorted; hidden ones (".name") left out.
    const std::vector<std::string>& SubFolders() const { return subFolders_; }
    // The absolute path of a sub-folder of the present folder.
    std::string PathOf(const std::string& subFolder) const;

    // Moves to the parent; false at "/".
    bool GoUp();
    // Moves into a sub-folder; false when it is none (the folder stays).
    bool Enter(const std::string& subFolder);
    // Moves to a typed path (see Resolve); false with a message when it names no
    // existing folder (the folder stays).
    bool GoTo(std::string_view typed, std::string* message);
    // Reads the sub-folders again.
    void Refresh();

    // The absolute path a typed path stands for: "~" is the home folder, a relative
    // path is taken from the present folder, "." and ".." are resolved.
    std::string Resolve(std::string_view typed) const;

    enum class Verdict { kChoosable, kMissing, kNotAFolder, kNotWritable };
    // Whether files can be made in path: it must exist, be a folder, and take a new
    // file (tried for real, so that read-only file systems are found out too). The
    // message says what is wrong, for the observer.
    static Verdict Check(const std::string& path, std::string* message);

private:
    std::string folder_;
    std::vector<std::string> subFolders_;
};
