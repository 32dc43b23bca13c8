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

// Read from the handle that was checked, never reopened by name.
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
        if (got == 0) return;
        DWORD written = 0;
        if (!WriteFile(target.get(), buffer.data(), got, &written, nullptr)) throw failed();
        if (written != got) {
            SetLastError(ERROR_DISK_FULL);
            throw failed();
        }
    }
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

std::vector<std::wstring> SystemFileSystem::fileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return names;
        throw systemFailure(error, "Cannot list the folder " + quotedPath(folder) + ".");
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return names;
}

std::string SystemFileSystem::readFile(const std::wstring& path) {
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size))
        throw systemFailure(GetLastError(), "Cannot read the file " + quotedPath(path) + ".");
    if (size.QuadPart > 0x7fffffff) throw systemFailure(ERROR_FILE_TOO_LARGE, "Cannot read the file " + quotedPath(path) + ".");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        throw systemFailure(GetLastError(), "Cannot read the file " + quotedPath(path) + ".");
    return bytes;
}

void SystemFileSystem::writeFile(const std::wstring& path, const std::string& bytes) {
    makeWritable(path);
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw systemFailure(GetLastError(), "Cannot write the file " + quotedPath(path) + ".");
}

}  // namespace kastrell
