#pragma once
// The folder setup was started in, opened once before the first page and held
// for the program's life. Whatever setup reads from it (the script, the
// licence, the cursor files) is opened relative to this handle, never through
// the folder's name again: a link on the folder's path, re-pointed at any time
// after start-up, changes nothing that is read.
#include "platform/handle.h"

#include <string>

namespace kastrell {

class HeldFolder {
public:
    // Opens the folder `path`. Throws Failure naming it.
    explicit HeldFolder(const std::wstring& path);

    HANDLE handle() const { return handle_.get(); }
    // How messages name it: as it was opened, in the ANSI code page.
    const std::string& shownName() const { return shownName_; }
    // Where the folder lies once every link is followed, asked once.
    const std::wstring& finalPath() const { return finalPath_; }
    // Where an open file lies, in the same form as finalPath(): a DOS path,
    // or the NT path on a volume that has no DOS name. Empty when the system
    // cannot tell.
    std::wstring finalPathOf(HANDLE file) const;

    // Opens an existing file (or folder) by a name relative to the folder,
    // for reading and shared for reading only; a reparse point is opened
    // itself, not followed. Empty, with the system's code as the last error,
    // when it cannot be opened.
    FileHandle open(const std::wstring& relativeName) const;

private:
    FileHandle handle_;
    std::string shownName_;
    DWORD volumeForm_ = VOLUME_NAME_DOS;
    std::wstring finalPath_;
};

// The folder the program started in: held by the first call, which the
// program makes before its first page; tests that move to another folder
// hold that one instead with holdStartFolder().
const HeldFolder& startFolder();
// Holds the current folder as the start folder, letting the earlier one go.
void holdStartFolder();

}  // namespace kastrell
