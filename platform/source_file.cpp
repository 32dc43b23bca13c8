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
bool isNameSurrogate(const FILE_ATTRIBUTE_TAG_INFO& tag) {
    return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
}

// What a check needs, asked of the handle alone: GetFileInformationByHandle
// would also ask the volume for its serial number, which costs a trip to the
// mount manager for every file.
template <typename Information>
Information informationOf(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind) {
    Information information{};
    if (!GetFileInformationByHandleEx(file, kind, &information, sizeof information))
        throw systemFailure(GetLastError(), "Its kind cannot be told.");
    return information;
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
    const auto tag = informationOf<FILE_ATTRIBUTE_TAG_INFO>(file_.get(), FileAttributeTagInfo);
    const auto standard = informationOf<FILE_STANDARD_INFO>(file_.get(), FileStandardInfo);
    if (standard.Directory || (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw refused("It is a folder, not a file.");
    if (isNameSurrogate(tag)) throw refused("It is a link (a reparse point), not a file.");
    // Another name of the same file may lie anywhere on the disk.
    if (standard.NumberOfLinks != 1)
        throw refused("It has " + std::to_string(standard.NumberOfLinks) +
                      " names (hard links); setup copies only a file with one.");
    const auto size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
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

std::string contentsOf(const SourceFile& source) {
    const auto failed = [&] { return systemFailure(GetLastError(), "Cannot read " + quotedPath(source.name()) + "."); };
    LARGE_INTEGER size{};
    const LARGE_INTEGER start{};
    if (!GetFileSizeEx(source.handle(), &size) || !SetFilePointerEx(source.handle(), start, nullptr, FILE_BEGIN))
        throw failed();
    if (size.QuadPart > 0x7fffffff) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        throw failed();
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!ReadFile(source.handle(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) throw failed();
    bytes.resize(got);
    return bytes;
}

}  // namespace kastrell
