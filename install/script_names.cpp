#include "install/script_names.h"

#include "install/journal.h"
#include "install/script.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <vector>

namespace kastrell {
namespace {

// Whatever the case, as the file system compares names.
bool sameName(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::string quoted(std::wstring_view name) { return quotedForMessage(toAnsiCodePage(name)); }

// Windows drops trailing dots and spaces from a name when it stores it.
std::wstring_view asStored(std::wstring_view name) {
    const std::size_t end = name.find_last_not_of(L". ");
    return end == std::wstring_view::npos ? std::wstring_view() : name.substr(0, end + 1);
}

// CON, NUL, COM1 and the like name a device in any folder, with or without
// an extension ("nul.cur" is the null device too).
bool isDeviceName(std::wstring_view name) {
    std::wstring_view base = name.substr(0, name.find(L'.'));
    base = base.substr(0, base.find_last_not_of(L' ') + 1);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (sameName(base, device)) return true;
    // COM1-9 and LPT1-9; Windows takes the superscript digits 1, 2, 3 as well.
    if (base.size() != 4 || !(sameName(base.substr(0, 3), L"COM") || sameName(base.substr(0, 3), L"LPT")))
        return false;
    return std::wstring_view(L"123456789\u00B9\u00B2\u00B3").find(base[3]) != std::wstring_view::npos;
}

std::string characterProblem(std::wstring_view name, std::wstring_view forbidden, const std::string& what) {
    for (const wchar_t c : name) {
        if (isControlCharacter(c)) return "names a " + what + " holding a control character.";
        if (forbidden.find(c) != std::wstring_view::npos)
            return "names a " + what + " holding \"" + toAnsiCodePage(std::wstring(1, c)) +
                   "\", which file names cannot hold.";
    }
    return {};
}

std::vector<std::wstring_view> partsOf(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find_first_of(L"\\/", start);
        parts.push_back(path.substr(start, end == std::wstring_view::npos ? end : end - start));
        if (end == std::wstring_view::npos) return parts;
        start = end + 1;
    }
}

bool endsWith(std::wstring_view name, std::wstring_view suffix) {
    return name.size() >= suffix.size() && sameName(name.substr(name.size() - suffix.size()), suffix);
}

}  // namespace

bool isControlCharacter(wchar_t c) { return c < 0x20 || c == 0x7f; }

std::string sourceNameProblem(std::wstring_view name) {
    const std::string lies = "; a source must lie in this folder or a folder under it.";
    if (name.empty()) return "has no source file before \"=\".";
    if (name.find(L':') != std::wstring_view::npos) return "names a source with a drive or stream (\":\")" + lies;
    if (name.front() == L'\\' || name.front() == L'/')
        return "names a source from a root, a network share or a device" + lies;
    if (std::string problem = characterProblem(name, L"<>\"|?*", "source"); !problem.empty()) return problem;
    for (const std::wstring_view part : partsOf(name)) {
        if (part.empty()) return "names a source with an empty folder name" + lies;
        // "..", and "." or "..." that Windows would make one of them or nothing.
        if (asStored(part).empty()) return "names a source with the part " + quoted(part) + lies;
        if (isDeviceName(part)) return "names the device " + quoted(part) + ", not a file.";
    }
    return {};
}

std::string cursorFileNameProblem(std::wstring_view name, const std::string& role) {
    if (name.empty()) return "has no file name after \"=\".";
    if (name.find_first_of(L"\\/:") != std::wstring_view::npos)
        return "names a " + role + " with a folder or drive; it must be a plain file name.";
    if (std::string problem = characterProblem(name, L"<>\"|?*", role); !problem.empty()) return problem;
    const std::wstring_view stored = asStored(name);
    // Windows drops trailing dots and spaces, so such a name means the
    // folder itself (or its parent, for "..").
    if (stored.empty()) return "names the " + role + " " + quoted(name) + ", which is a folder, not a file name.";
    if (isDeviceName(stored)) return "names the device " + quoted(name) + ", not a file.";
    if (isKeptCopyName(std::wstring(stored)))
        return "names a " + role + " ending in \"" + std::string(keptCopySuffix) +
               "\", which setup keeps for earlier copies.";
    if (!endsWith(stored, L".cur") && !endsWith(stored, L".ani"))
        return "names the " + role + " " + quoted(name) +
               "; setup writes only cursor files, ending in \".cur\" or \".ani\".";
    return {};
}

}  // namespace kastrell
