// File procedures shared by picture saving and movie recording: writing a recorded
// picture as a picture file, the application's own folder, choosing a folder, and
// the length-prefixed string helpers that file names are built with.
#pragma once

#include <functional>
#include <string>

#include "platform/MacTypes.h"
#include "platform/Pictures.h"

// The longest file name a file specification holds, in bytes.
constexpr int kMaxFileNameLength = 63;

// A file specification: the folder that holds the file, as an absolute path, and the
// file's name (length-prefixed, at most kMaxFileNameLength bytes). A chosen folder is
// held with a name of its own that callers replace with the file's name.
struct FSSpec {
    std::string folder;
    Str63 name = {0};
};

// Picture files are the built name followed by this extension.
constexpr const char* kPictureFileExtension = ".pict";
// The zero header in front of the picture in a picture file.
constexpr int kPictureFileHeaderBytes = 512;

enum class PictFileStatus {
    kSaved,
    kNameTaken,          // a file of that name exists already; it was left as it was
    kFolderMissing,      // the folder is gone
    kFolderNotWritable,  // no permission, or a read-only disk
    kDiskFull,           // no space (or quota) left
    kWriteFailed,        // any other failure of the file system
    kNoPicture,          // nothing was recorded (no picture, or one still open)
    kNoName,             // the name is empty
};

struct PictFileResult {
    PictFileStatus status = PictFileStatus::kWriteFailed;
    std::string fileName;  // the file's name in its folder, extension included
    int systemError = 0;   // the system's error number behind a file-system failure
    bool Saved() const { return status == PictFileStatus::kSaved; }
};

// Writes picture as the file name + ".pict" in location's folder: 512 zero bytes, then
// the picture's bytes exactly as recorded. The file is created new: a file of that
// name is never touched. The name is mended first (see MendFileName, at most
// kMaxFileNameLength bytes). On a failure no file is left behind.
PictFileResult AutoPictToFile(PicHandle picture, ConstStr255Param name, const FSSpec& location);

// As AutoPictToFile under the names nextName builds (each call builds the next one),
// until a name is free or maxTries names were taken; the result of the last try.
PictFileResult AutoPictToNextFreeName(PicHandle picture, const FSSpec& location,
                                      const std::function<void(StringPtr name)>& nextName,
                                      int maxTries = 10000);

// Why a picture was not saved, in a few words for the observer ("the disk is full").
const char* DescribePictFileStatus(PictFileStatus status);

// The application's own file specification: on this system the folder the program
// was started in, the default folder for pictures and movies. fnfErr when that folder
// is not known.
OSErr GetAppFSSpec(FSSpec* spec);

// Lets the observer choose a folder, starting at spec's folder. On a choice spec's
// folder becomes it (its name the folder's own) and the result is true; on cancel
// spec is unchanged and the result is false.
bool ChooseFolder(FSSpec& spec);

// Length-prefixed strings. Results never exceed 255 characters: what would go beyond
// is cut off.
void PascalAppend(StringPtr dst, ConstStr255Param src);
// Copies src to dst, holding at most capacity characters (dst has capacity + 1 bytes).
void PascalCopy(ConstStr255Param src, StringPtr dst, int capacity = 255);
// The zero-terminated c as a length-prefixed string.
void CtoPascal(const char* c, StringPtr p);
// Cuts s to at most maxLength bytes, never inside a UTF-8 character.
void CutPascal(StringPtr s, int maxLength);

// Makes name fit for a file name: '/' and control characters become '_'.
void MendFileName(StringPtr name);
// Puts name into spec, mended and cut to kMaxFileNameLength bytes.
void SetFSSpecName(FSSpec* spec, ConstStr255Param name);
