#include "platform/file_system.h"

#include "platform/failure.h"
#include "platform/handle.h"

#include <windows.h>

namespace kastrell {
namespace {

void makeWritable(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

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

// Read from the handle that was checked, never reopened by name.
void SystemFileSystem::copyFile(const SourceFile& source, const std::string& destination) {
    auto failed = [&] {
        return systemFailure(GetLastError(), "Cannot copy \"" + source.name() + "\" to \"" + destination + "\".");
    };
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(source.handle(), start, nullptr, FILE_BEGIN)) throw failed();
    const FileHandle target(CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
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

void SystemFileSystem::moveFile(const std::string& from, const std::string& to) {
    makeWritable(to);
    if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw systemFailure(GetLastError(), "Cannot rename \"" + from + "\" to \"" + to + "\".");
}

void SystemFileSystem::deleteFile(const std::string& path) {
    makeWritable(path);
    if (!DeleteFileA(path.c_str()))
        throw systemFailure(GetLastError(), "Cannot delete the file \"" + path + "\".");
}

void SystemFileSystem::removeFolder(const std::string& path) {
    if (!RemoveDirectoryA(path.c_str()))
        throw systemFailure(GetLastError(), "Cannot remove the folder \"" + path + "\".");
}

std::vector<std::string> SystemFileSystem::fileNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return names;
        throw systemFailure(error, "Cannot list the folder \"" + folder + "\".");
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

}  // namespace kastrell
