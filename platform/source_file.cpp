#include "platform/source_file.h"

#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {
namespace {

Failure refused(const std::string& why) { return systemFailure(ERROR_ACCESS_DENIED, why); }

// Ordinal and case-insensitive on UTF-16, as the file system compares names.
bool startsWithFolder(const std::wstring& path, std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return path.size() > folder.size() &&
           CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

// Only a reparse point that stands for another name (a symbolic link, a
// junction) leads elsewhere; a compressed, deduplicated or cloud file is a
// file like any other.
bool isNameSurrogate(HANDLE file) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag))
        throw systemFailure(GetLastError(), "Its kind cannot be told.");
    return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
}

}  // namespace

SourceFile::SourceFile(const HeldFolder& folder, std::wstring name)
    : name_(std::move(name)), file_(folder.open(name_)) {
    if (!file_) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            throw systemFailure(error, "It cannot be found.");
        throw systemFailure(error, "It cannot be opened.");
    }
    if (GetFileType(file_.get()) != FILE_TYPE_DISK) throw refused("It is a device, pipe or socket, not a file.");
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file_.get(), &information))
        throw systemFailure(GetLastError(), "Its kind cannot be told.");
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw refused("It is a folder, not a file.");
    if (isNameSurrogate(file_.get())) throw refused("It is a link (a reparse point), not a file.");
    // Another name of the same file may lie anywhere on the disk.
    if (information.nNumberOfLinks != 1)
        throw refused("It has " + std::to_string(information.nNumberOfLinks) +
                      " names (hard links); setup copies only a file with one.");
    const std::uint64_t size = std::uint64_t{information.nFileSizeHigh} << 32 | information.nFileSizeLow;
    if (size > sourceSizeLimit)
        throw systemFailure(ERROR_INVALID_DATA, "It holds " + std::to_string(size) + " bytes, more than the " +
                                                    std::to_string(sourceSizeLimit) +
                                                    " bytes (64 MiB) that setup reads from a file.");
    const std::wstring finalPath = folder.finalPathOf(file_.get());
    if (finalPath.empty()) throw systemFailure(GetLastError(), "Where it leads cannot be told.");
    if (!startsWithFolder(finalPath, folder.finalPath()))
        throw refused("It leads outside the folder " + quotedPath(folder.finalPath()) + ", to " +
                      quotedPath(finalPath) + ".");
}

}  // namespace kastrell
