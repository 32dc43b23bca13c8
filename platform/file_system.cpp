#include "platform/file_system.h"

#include "platform/failure.h"
#include "platform/handle.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {
namespace {

void makeWritable(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

bool SystemFileSystem::folderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SystemFileSystem::makeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr))
        throw systemFailure(GetLastError(), "Cannot make the folder " + quotedPath(path) + ".");
}

SourceFile SystemFileSystem::openSource(const std::wstring& name) { return SourceFile(startFolder(), name); }

// Read from the handle that was checked, never reopened by name. Flushed
// before the copy counts as made: the earlier file is deleted only after.
void SystemFileSystem::copyFile(const SourceFile& source, const std::wstring& destination) {
    auto failed = [&] {
        return systemFailure(GetLastError(),
                             "Cannot copy " + quotedPath(source.name()) + " to " + quotedPath(destination) + ".");
    };
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(source.handle(), start, nullptr, FILE_BEGIN)) throw failed();
    // Named as the journal names it, so that an undo finds exactly this file.
    const FileHandle target(CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target) throw failed();
    std::string buffer(64 * 1024, '\0');
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source.handle(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) throw failed();
        if (got == 0) break;
        DWORD written = 0;
        if (!WriteFile(target.get(), buffer.data(), got, &written, nullptr)) throw failed();
        if (written != got) {
            SetLastError(ERROR_DISK_FULL);
            throw failed();
        }
    }
    if (!FlushFileBuffers(target.get())) throw failed();
}

bool SystemFileSystem::fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void SystemFileSystem::moveFile(const std::wstring& from, const std::wstring& to) {
    makeWritable(to);
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw systemFailure(GetLastError(), "Cannot rename " + quotedPath(from) + " to " + quotedPath(to) + ".");
}

void SystemFileSystem::deleteFile(const std::wstring& path) {
    makeWritable(path);
    if (!DeleteFileW(path.c_str())) throw systemFailure(GetLastError(), "Cannot delete the file " + quotedPath(path) + ".");
}

void SystemFileSystem::removeFolder(const std::wstring& path) {
    if (!RemoveDirectoryW(path.c_str()))
        throw systemFailure(GetLastError(), "Cannot remove the folder " + quotedPath(path) + ".");
}

// One lookup in the file's own folder, which gives the long name whichever
// name it is found by (GetLongPathNameW looks up every folder on the way).
std::wstring SystemFileSystem::longFileName(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return path.substr(path.rfind(L'\\') + 1);  // no such file
    FindClose(search);
    return entry.cFileName;
}

}  // namespace kastrell
