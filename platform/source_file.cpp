#include "platform/source_file.h"

#include "platform/failure.h"

#include <windows.h>

namespace kastrell {
namespace {

Failure refused(const std::string& why) { return systemFailure(ERROR_ACCESS_DENIED, why); }

std::wstring currentFolderFinalPath() {
    const FileHandle folder(CreateFileW(L".", FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) throw systemFailure(GetLastError(), "The current folder cannot be opened.");
    std::wstring path = finalPathOf(folder.get());
    if (path.empty()) throw systemFailure(GetLastError(), "The current folder's path cannot be found.");
    return path;
}

// Ordinal and case-insensitive on UTF-16, as the file system compares names.
bool startsWithFolder(const std::wstring& path, std::wstring folder) {
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    return path.size() > folder.size() &&
           CompareStringOrdinal(path.data(), static_cast<int>(folder.size()), folder.data(),
                                static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

// A final path as users write it: without the "\\?\" that the system puts before it.
std::string shownPath(std::wstring path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        path = L"\\\\" + path.substr(8);
    else if (path.rfind(L"\\\\?\\", 0) == 0)
        path = path.substr(4);
    const int size = static_cast<int>(path.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::wstring finalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);  // the length needed, its NUL included
    }
}

SourceFile::SourceFile(std::string name)
    : name_(std::move(name)),
      // Sharing for reading only: nobody may write, rename or delete it while
      // it is held. Reparse points are opened themselves, not followed.
      file_(CreateFileA(name_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (!file_) throw systemFailure(GetLastError(), "It cannot be opened.");
    if (GetFileType(file_.get()) != FILE_TYPE_DISK) throw refused("It is a device or pipe, not a file.");
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(file_.get(), &information))
        throw systemFailure(GetLastError(), "Its kind cannot be told.");
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) throw refused("It is a folder, not a file.");
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        throw refused("It is a link (a reparse point), not a file.");
    // Another name of the same file may lie anywhere on the disk.
    if (information.nNumberOfLinks != 1)
        throw refused("It has " + std::to_string(information.nNumberOfLinks) +
                      " names (hard links); setup copies only a file with one.");
    const std::wstring finalPath = finalPathOf(file_.get());
    if (finalPath.empty()) throw systemFailure(GetLastError(), "Where it leads cannot be told.");
    const std::wstring folder = currentFolderFinalPath();
    if (!startsWithFolder(finalPath, folder))
        throw refused("It leads outside the folder \"" + shownPath(folder) + "\", to \"" + shownPath(finalPath) + "\".");
}

std::string contentsOf(const SourceFile& source) {
    const auto failed = [&] { return systemFailure(GetLastError(), "Cannot read \"" + source.name() + "\"."); };
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
