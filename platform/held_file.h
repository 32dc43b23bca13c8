#pragma once
// A small file that one program holds alone for as long as it uses it, and to
// which it adds records durably: each is on the disk before append()
// returns. Held alone, the file is also the lock that keeps a second program
// from using it at the same time. A program that is killed lets go of it
// without removing it.
#include "platform/handle.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kastrell {

class HeldFile {
public:
    // Opens the file at `path` for this program alone, making it when
    // `makeIfAbsent`; empty when it is absent and not to be made. Throws
    // Failure naming the file; another program holding it gives
    // ERROR_SHARING_VIOLATION.
    static std::optional<HeldFile> open(const std::wstring& path, bool makeIfAbsent);

    const std::wstring& path() const { return path_; }
    // The whole file; throws Failure when it holds more than `limit` bytes.
    std::string read(std::size_t limit);
    // Empties it and writes `bytes` in its place, durably.
    void replace(const std::string& bytes);
    // Adds `bytes` at its end, durably.
    void append(const std::string& bytes);
    // Deletes the file and lets go of it.
    void remove();

private:
    HeldFile(std::wstring path, FileHandle file) : path_(std::move(path)), file_(std::move(file)) {}
    void write(const std::string& bytes);

    std::wstring path_;
    FileHandle file_;
};

}  // namespace kastrell
