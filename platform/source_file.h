#pragma once
// A file that setup reads from the folder it started in, which anyone may have
// written to: a copy source, the script or the licence. It is opened once,
// relative to the held folder, and checked on the open handle, not by name: a
// regular disk file with one name only, not a link, lying inside the held
// folder once every link is followed, and no larger than any cursor. It stays
// open, shared for reading only, until it has been read, so nobody can write,
// rename or delete it meanwhile: what was checked is what gets read.
#include "platform/handle.h"
#include "platform/held_folder.h"

#include <cstdint>
#include <string>

namespace kastrell {

// No cursor comes near it: a 256 x 256 animated cursor of 60 frames is ~16 MiB.
inline constexpr std::uint64_t sourceSizeLimit = 64 * 1024 * 1024;

class SourceFile {
public:
    // Opens `name` relative to `folder`. Throws Failure saying what is wrong
    // with it, the name not included (the caller says where it came from).
    SourceFile(const HeldFolder& folder, std::wstring name);

    const std::wstring& name() const { return name_; }
    HANDLE handle() const { return file_.get(); }

private:
    std::wstring name_;
    FileHandle file_;
};

}  // namespace kastrell
