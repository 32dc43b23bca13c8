#include "platform/held_file.h"

#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <windows.h>

namespace kastrell {

std::optional<HeldFile> HeldFile::open(const std::wstring& path, bool makeIfAbsent) {
    // Shared with nobody: a second program opening it gets a sharing violation.
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                makeIfAbsent ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (!makeIfAbsent && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) return std::nullopt;
        throw systemFailure(error, "Cannot open the file " + quotedPath(path) + " for this program alone.");
    }
    return HeldFile(path, std::move(file));
}

std::string HeldFile::read(std::size_t limit) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) throw systemFailure(GetLastError(), "Cannot read the file " + quotedPath(path_) + ".");
    if (static_cast<unsigned long long>(size.QuadPart) > limit)
        throw systemFailure(ERROR_FILE_TOO_LARGE, "The file " + quotedPath(path_) + " holds " + std::to_string(size.QuadPart) +
                                                      " bytes, more than the " + std::to_string(limit) +
                                                      " it may hold.");
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    const LARGE_INTEGER start{};
    DWORD got = 0;
    if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) ||
        !ReadFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        throw systemFailure(GetLastError(), "Cannot read the file " + quotedPath(path_) + ".");
    bytes.resize(got);
    return bytes;
}

void HeldFile::replace(const std::string& bytes) {
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(file_.get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get()))
        throw systemFailure(GetLastError(), "Cannot empty the file " + quotedPath(path_) + ".");
    write(bytes);
}

void HeldFile::append(const std::string& bytes) {
    const LARGE_INTEGER none{};
    if (!SetFilePointerEx(file_.get(), none, nullptr, FILE_END))
        throw systemFailure(GetLastError(), "Cannot write the file " + quotedPath(path_) + ".");
    write(bytes);
}

// Flushed before it returns, so that what follows a record is never on the
// disk before the record itself.
void HeldFile::write(const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file_.get()))
        throw systemFailure(GetLastError(), "Cannot write the file " + quotedPath(path_) + ".");
}

// Deleted through the handle that holds it, so that no other program can
// take it between the two.
void HeldFile::remove() {
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(file_.get(), FileDispositionInfo, &disposition, sizeof disposition))
        throw systemFailure(GetLastError(), "Cannot delete the file " + quotedPath(path_) + ".");
    file_ = FileHandle(nullptr);
}

}  // namespace kastrell
