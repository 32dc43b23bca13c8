#include "platform/file_system.h"

#include "platform/failure.h"

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
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    return folder;
}

void SystemFileSystem::makeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr))
        throw systemFailure(GetLastError(), "Cannot make the folder \"" + path + "\".");
}

void SystemFileSystem::copyFile(const std::string& source, const std::string& destination) {
    if (!CopyFileA(source.c_str(), destination.c_str(), FALSE))
        throw systemFailure(GetLastError(),
                            "Cannot copy \"" + source + "\" to \"" + destination + "\".");
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
