#pragma once
// A file that setup copies from a folder that anyone may have written to.
// It is opened once and checked on the open handle, not by name: a regular
// disk file with one name only, lying inside the current folder once every
// link is followed. It stays open, shared for reading only, until it has been
// copied, so nobody can write, rename or delete it meanwhile: what was
// checked is what gets copied.
#include "platform/handle.h"

#include <string>

namespace kastrell {

class SourceFile {
public:
    // Opens `name` relative to the current folder. Throws Failure saying what
    // is wrong with it, the name not included (the caller says where it came from).
    explicit SourceFile(std::string name);

    const std::string& name() const { return name_; }
    HANDLE handle() const { return file_.get(); }

private:
    std::string name_;
    FileHandle file_;
};

// What an open source holds, read from its start through its handle: the
// bytes a copy of it gets.
std::string contentsOf(const SourceFile& source);

// Where a handle leads once every link is followed ("\\?\C:\..."): the system's
// own answer, through the wide call. Empty when the system cannot tell.
std::wstring finalPathOf(HANDLE handle);

}  // namespace kastrell
