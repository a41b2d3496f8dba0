#include "app/FileProcs.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <span>

#include "platform/FolderChooser.h"
#include "platform/services/Files.h"

namespace {

PictFileStatus StatusOf(NewFileStatus status) {
    switch (status) {
        case NewFileStatus::kWritten: return PictFileStatus::kSaved;
        case NewFileStatus::kNameTaken: return PictFileStatus::kNameTaken;
        case NewFileStatus::kFolderMissing: return PictFileStatus::kFolderMissing;
        case NewFileStatus::kFolderNotWritable: return PictFileStatus::kFolderNotWritable;
        case NewFileStatus::kDiskFull: return PictFileStatus::kDiskFull;
        case NewFileStatus::kWriteFailed: break;
    }
    return PictFileStatus::kWriteFailed;
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

PictFileResult AutoPictToFile(PicHandle picture, ConstStr255Param name, const FSSpec& location) {
    PictFileResult result;
    FSSpec file = location;
    SetFSSpecName(&file, name);
    if (file.name[0] == 0) {
        result.status = PictFileStatus::kNoName;
        return result;
    }
    result.fileName = PascalToString(file.name) + kPictureFileExtension;
    if (picture == nullptr || picture->data.empty()) {
        result.status = PictFileStatus::kNoPicture;
        return result;
    }
    static constexpr std::array<uint8_t, kPictureFileHeaderBytes> kZeroHeader{};
    const std::string path = (std::filesystem::path(file.folder) / result.fileName).string();
    const NewFileResult written = WriteNewFile(path, {std::span<const uint8_t>(kZeroHeader), picture->data});
    result.status = StatusOf(written.status);
    result.systemError = written.systemError;
    return result;
}

PictFileResult AutoPictToNextFreeName(PicHandle picture, const FSSpec& location,
                                      const std::function<void(StringPtr name)>& nextName, int maxTries) {
    PictFileResult result;
    result.status = PictFileStatus::kNameTaken;
    for (int i = 0; i < maxTries && result.status == PictFileStatus::kNameTaken; ++i) {
        Str255 name = {0};
        nextName(name);
        result = AutoPictToFile(picture, name, location);
    }
    return result;
}

const char* DescribePictFileStatus(PictFileStatus status) {
    switch (status) {
        case PictFileStatus::kSaved: return "saved";
        case PictFileStatus::kNameTaken: return "the name is taken";
        case PictFileStatus::kFolderMissing: return "the folder is gone";
        case PictFileStatus::kFolderNotWritable: return "the folder is read-only";
        case PictFileStatus::kDiskFull: return "the disk is full";
        case PictFileStatus::kWriteFailed: return "writing failed";
        case PictFileStatus::kNoPicture: return "there is no picture";
        case PictFileStatus::kNoName: return "the name is empty";
    }
    return "writing failed";
}

OSErr GetAppFSSpec(FSSpec* spec) {
    if (spec == nullptr) return paramErr;
    spec->folder = StartFolder();
    CtoPascal("scopecam", spec->name);
    return spec->folder.empty() ? fnfErr : noErr;
}

bool ChooseFolder(FSSpec& spec) {
    std::string folder = spec.folder;
    if (!RunFolderChooser(folder)) return false;
    spec.folder = folder;
    Str255 ownName = {0};
    CtoPascal(std::filesystem::path(folder).filename().c_str(), ownName);
    SetFSSpecName(&spec, ownName);
    return true;
}

void PascalAppend(StringPtr dst, ConstStr255Param src) {
    const int n = std::min<int>(src[0], 255 - dst[0]);
    std::memmove(dst + 1 + dst[0], src + 1, static_cast<size_t>(n));
    dst[0] = static_cast<unsigned char>(dst[0] + n);
}

void PascalCopy(ConstStr255Param src, StringPtr dst, int capacity) {
    const int n = std::min<int>(src[0], std::clamp(capacity, 0, 255));
    std::memmove(dst + 1, src + 1, static_cast<size_t>(n));
    dst[0] = static_cast<unsigned char>(n);
}

void CtoPascal(const char* c, StringPtr p) { CopyCStringToPascal(c != nullptr ? c : "", p); }

void CutPascal(StringPtr s, int maxLength) {
    int n = std::min<int>(s[0], std::max(maxLength, 0));
    // s[n + 1] is the first byte cut off; while it continues a character, that
    // character's first bytes go too.
    while (n > 0 && n < s[0] && IsContinuationByte(s[n + 1])) --n;
    s[0] = static_cast<unsigned char>(n);
}

void MendFileName(StringPtr name) {
    for (int i = 1; i <= name[0]; ++i) {
        if (name[i] == '/' || name[i] < 0x20 || name[i] == 0x7F) name[i] = '_';
    }
}

void SetFSSpecName(FSSpec* spec, ConstStr255Param name) {
    Str255 mended = {0};
    PascalCopy(name, mended);
    MendFileName(mended);
    CutPascal(mended, kMaxFileNameLength);
    PascalCopy(mended, spec->name, kMaxFileNameLength);
}
