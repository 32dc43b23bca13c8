#pragma once
// Owners of the system handles that the platform layer opens.
#include <windows.h>

#include <memory>

namespace kastrell {

struct FileHandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

class FileHandle {
public:
    explicit FileHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    explicit operator bool() const { return handle_ != nullptr; }
    HANDLE get() const { return handle_.get(); }

private:
    std::unique_ptr<void, FileHandleCloser> handle_;
};

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

}  // namespace kastrell
