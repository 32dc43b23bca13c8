#include "platform/file_system.h"

#include "platform/failure.h"

#include <windows.h>

namespace kastrell {

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

}  // namespace kastrell
