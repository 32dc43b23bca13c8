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

// How a message names a file, in the code page the messages are shown in.
std::string quoted(const std::wstring& path) { return "\"" + toAnsiCodePage(path) + "\""; }

}  // namespace

bool SystemFileSystem::folderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool SystemFileSystem::fileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string currentFolder() {
    // Asked for its length first: a folder may lie deeper than MAX_PATH.
    std::string folder(GetCurrentDirectoryA(0, nullptr), '\0');
    folder.resize(GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

void SystemFileSystem::makeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr))
        throw systemFailure(GetLastError(), "Cannot make the folder \"" + path + "\".");
}

SourceFile SystemFileSystem::openSource(const std::string& name) { return SourceFile(name); }

// Read from the handle that was checked, never reopened by name. Flushed
// before the copy counts as made: the earlier file is deleted only after.
void SystemFileSystem::copyFile(const SourceFile& source, const std::wstring& destination) {
    auto failed = [&] {
        return systemFailure(GetLastError(), "Cannot copy \"" + source.name() + "\" to " + quoted(destination) + ".");
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
        throw systemFailure(GetLastError(), "Cannot rename " + quoted(from) + " to " + quoted(to) + ".");
}

void SystemFileSystem::deleteFile(const std::wstring& path) {
    makeWritable(path);
    if (!DeleteFileW(path.c_str())) throw systemFailure(GetLastError(), "Cannot delete the file " + quoted(path) + ".");
}

void SystemFileSystem::removeFolder(const std::wstring& path) {
    if (!RemoveDirectoryW(path.c_str()))
        throw systemFailure(GetLastError(), "Cannot remove the folder " + quoted(path) + ".");
}

std::wstring SystemFileSystem::longFileName(const std::wstring& path) {
    const std::wstring given = path.substr(path.rfind(L'\\') + 1);
    std::wstring long_(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
    if (long_.empty()) return given;  // no such file
    long_.resize(GetLongPathNameW(path.c_str(), long_.data(), static_cast<DWORD>(long_.size())));
    return long_.empty() ? given : long_.substr(long_.rfind(L'\\') + 1);
}

std::vector<std::wstring> SystemFileSystem::fileNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return names;
        throw systemFailure(error, "Cannot list the folder " + quoted(folder) + ".");
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
        throw systemFailure(GetLastError(), "Cannot read the file " + quoted(path) + ".");
    if (size.QuadPart > 0x7fffffff) throw systemFailure(ERROR_FILE_TOO_LARGE, "Cannot read the file " + quoted(path) + ".");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
        throw systemFailure(GetLastError(), "Cannot read the file " + quoted(path) + ".");
    return bytes;
}

void SystemFileSystem::writeFile(const std::wstring& path, const std::string& bytes) {
    makeWritable(path);
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw systemFailure(GetLastError(), "Cannot write the file " + quoted(path) + ".");
}

}  // namespace kastrell
