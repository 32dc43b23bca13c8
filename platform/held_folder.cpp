#include "platform/held_folder.h"

#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <windows.h>
#include <winternl.h>

namespace kastrell {
namespace {

// ntdll is in every process; its two functions are looked up there rather
// than imported, which would put it among the program's start-up imports.
using NtOpenFileFunction = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG);
using StatusToErrorFunction = ULONG(NTAPI*)(NTSTATUS);

template <class Function>
Function ntdllFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// The system's own answer in the form asked for; empty when it cannot tell.
std::wstring finalPathIn(HANDLE file, DWORD volumeForm) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | volumeForm);
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);  // the length needed, its NUL included
    }
}

// A relative name as the kernel takes it: the Win32 layer would turn "/" into
// "\" and drop trailing dots and spaces from every part; the kernel does not.
std::wstring kernelName(const std::wstring& relativeName) {
    std::wstring name;
    std::wstring part;
    auto endPart = [&] {
        const std::size_t end = part.find_last_not_of(L". ");
        name += end == std::wstring::npos ? part : part.substr(0, end + 1);
        part.clear();
    };
    for (const wchar_t c : relativeName) {
        if (c != L'\\' && c != L'/') {
            part += c;
            continue;
        }
        endPart();
        name += L'\\';
    }
    endPart();
    return name;
}

HeldFolder*& heldStartFolder() {
    // Not destroyed at exit: the system closes the handle with the process.
    static HeldFolder* folder = nullptr;
    return folder;
}

std::wstring currentFolderName() {
    // Asked for its length first: a folder may lie deeper than MAX_PATH.
    std::wstring folder(GetCurrentDirectoryW(0, nullptr), L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

}  // namespace

HeldFolder::HeldFolder(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                          nullptr)),
      shownName_(toAnsiCodePage(path)) {
    if (!handle_) throw systemFailure(GetLastError(), "The folder \"" + shownName_ + "\" cannot be opened.");
    finalPath_ = finalPathIn(handle(), VOLUME_NAME_DOS);
    if (finalPath_.empty()) {
        // A volume with no drive letter or mount folder (a RAM disk, an
        // image mounted alone) has only its NT name.
        volumeForm_ = VOLUME_NAME_NT;
        finalPath_ = finalPathIn(handle(), volumeForm_);
    }
    if (finalPath_.empty())
        throw systemFailure(GetLastError(), "Where the folder \"" + shownName_ + "\" lies cannot be told.");
}

std::wstring HeldFolder::finalPathOf(HANDLE file) const { return finalPathIn(file, volumeForm_); }

FileHandle HeldFolder::open(const std::wstring& relativeName) const {
    static const auto ntOpenFile = ntdllFunction<NtOpenFileFunction>("NtOpenFile");
    static const auto statusToError = ntdllFunction<StatusToErrorFunction>("RtlNtStatusToDosError");
    std::wstring name = kernelName(relativeName);
    UNICODE_STRING objectName{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                              static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, handle(), nullptr);
    IO_STATUS_BLOCK status{};
    HANDLE file = nullptr;
    const NTSTATUS result =
        name.size() * sizeof(wchar_t) > 0xFFFE
            ? static_cast<NTSTATUS>(0xC0000106L)  // STATUS_NAME_TOO_LONG
            : ntOpenFile(&file, GENERIC_READ | SYNCHRONIZE, &attributes, &status, FILE_SHARE_READ,
                         FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT | FILE_SEQUENTIAL_ONLY);
    if (result < 0) {
        SetLastError(statusToError(result));
        return FileHandle(nullptr);
    }
    return FileHandle(file);
}

const HeldFolder& startFolder() {
    if (!heldStartFolder()) holdStartFolder();
    return *heldStartFolder();
}

void holdStartFolder() {
    auto* folder = new HeldFolder(currentFolderName());
    delete heldStartFolder();
    heldStartFolder() = folder;
}

}  // namespace kastrell
