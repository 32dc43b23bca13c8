#include "install/script_names.h"

#include "install/journal.h"
#include "install/script.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace kastrell {
namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

bool sameAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Windows drops trailing dots and spaces from a name when it stores it.
std::string_view asStored(std::string_view name) {
    const std::size_t end = name.find_last_not_of(". ");
    return end == std::string_view::npos ? std::string_view() : name.substr(0, end + 1);
}

// CON, NUL, COM1 and the like name a device in any folder, with or without
// an extension ("nul.cur" is the null device too).
bool isDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    base = base.substr(0, base.find_last_not_of(' ') + 1);
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (sameAscii(base, device)) return true;
    // COM1-9 and LPT1-9; Windows takes the superscript digits 1, 2, 3 as well.
    if (base.size() != 4 || !(sameAscii(base.substr(0, 3), "COM") || sameAscii(base.substr(0, 3), "LPT")))
        return false;
    return std::string_view("123456789\xB9\xB2\xB3").find(base[3]) != std::string_view::npos;
}

std::string characterProblem(std::string_view name, std::string_view forbidden, const std::string& what) {
    for (const char c : name) {
        if (isControl(c)) return "names a " + what + " holding a control character.";
        if (forbidden.find(c) != std::string_view::npos)
            return "names a " + what + " holding \"" + std::string(1, c) + "\", which file names cannot hold.";
    }
    return {};
}

std::vector<std::string_view> partsOf(std::string_view path) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find_first_of("\\/", start);
        parts.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

}  // namespace

std::string sourceNameProblem(const std::string& name) {
    const std::string lies = "; a source must lie in this folder or a folder under it.";
    if (name.empty()) return "has no source file before \"=\".";
    if (name.find(':') != std::string::npos)
        return "names a source with a drive or stream (\":\")" + lies;
    if (name.front() == '\\' || name.front() == '/')
        return "names a source from a root, a network share or a device" + lies;
    if (std::string problem = characterProblem(name, "<>\"|?*", "source"); !problem.empty()) return problem;
    for (const std::string_view part : partsOf(name)) {
        if (part.empty()) return "names a source with an empty folder name" + lies;
        // "..", and "." or "..." that Windows would make one of them or nothing.
        if (asStored(part).empty()) return "names a source with the part " + quotedForMessage(std::string(part)) + lies;
        if (isDeviceName(part)) return "names the device " + quotedForMessage(std::string(part)) + ", not a file.";
    }
    return {};
}

std::string cursorFileNameProblem(const std::string& name, const std::string& role) {
    if (name.empty()) return "has no file name after \"=\".";
    if (name.find_first_of("\\/:") != std::string::npos)
        return "names a " + role + " with a folder or drive; it must be a plain file name.";
    if (std::string problem = characterProblem(name, "<>\"|?*", role); !problem.empty()) return problem;
    const std::string_view stored = asStored(name);
    // Windows drops trailing dots and spaces, so such a name means the
    // folder itself (or its parent, for "..").
    if (stored.empty()) return "names the " + role + " " + quotedForMessage(name) + ", which is a folder, not a file name.";
    if (isDeviceName(stored)) return "names the device " + quotedForMessage(name) + ", not a file.";
    if (isKeptCopyName(std::string(stored)))
        return "names a " + role + " ending in \"" + std::string(keptCopySuffix) +
               "\", which setup keeps for earlier copies.";
    const std::string_view extension = stored.substr(stored.size() < 4 ? 0 : stored.size() - 4);
    if (!sameAscii(extension, ".cur") && !sameAscii(extension, ".ani"))
        return "names the " + role + " " + quotedForMessage(name) +
               "; setup writes only cursor files, ending in \".cur\" or \".ani\".";
    return {};
}

}  // namespace kastrell
