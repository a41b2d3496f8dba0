// Files and folders of the outside world: the folder the program was started in, and
// new files written whole without ever replacing an existing one.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

// The working folder at the moment the program started (read before main runs), as an
// absolute path; empty when it could not be read (for instance, it had been removed).
const std::string& StartFolder();

enum class NewFileStatus {
    kWritten,            // the file holds every byte
    kNameTaken,          // something of that name exists; it was not touched
    kFolderMissing,      // the folder is not there (or is not a folder)
    kFolderNotWritable,  // no permission, or a read-only file system
    kDiskFull,           // no space left, a quota or a file size limit reached
    kWriteFailed,        // any other failure of the file system
};

struct NewFileResult {
    NewFileStatus status = NewFileStatus::kWriteFailed;
    int systemError = 0;  // the errno behind a failure, 0 when written
};

// Creates the file path exclusively (it must not exist yet) and writes the pieces one
// after the other, then flushes it to the disk. A file that was created but could not
// be written whole is removed again, so a failure leaves nothing behind.
NewFileResult WriteNewFile(const std::string& path, std::initializer_list<std::span<const uint8_t>> pieces);
