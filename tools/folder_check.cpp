#include "tools/folder_check.h"

#include "install/cursor_scheme.h"
#include "install/script.h"
#include "pages/form3.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string_view>

namespace kastrell {
namespace {

std::uint32_t littleEndian(std::string_view bytes, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}
std::uint32_t u16(std::string_view bytes, std::size_t at) { return littleEndian(bytes, at, 2); }
std::uint32_t u32(std::string_view bytes, std::size_t at) { return littleEndian(bytes, at, 4); }

std::string imageProblem(std::string_view image) {
    constexpr std::string_view pngSignature("\x89PNG\r\n\x1a\n", 8);
    if (image.substr(0, pngSignature.size()) == pngSignature) return {};
    constexpr std::uint32_t bitmapInfoHeaderSize = 40;
    if (image.size() < bitmapInfoHeaderSize || u32(image, 0) != bitmapInfoHeaderSize)
        return "is neither a BMP image (a BITMAPINFOHEADER) nor a PNG image";
    const auto width = static_cast<std::int32_t>(u32(image, 4));
    const auto height = static_cast<std::int32_t>(u32(image, 8));
    if (width <= 0 || height <= 0) return "is a BMP image without a width and height";
    const std::uint32_t bits = u16(image, 14);
    if (u16(image, 12) != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32))
        return "is a BMP image with " + std::to_string(u16(image, 12)) + " plane(s) of " + std::to_string(bits) +
               " bits, not one plane of 1, 4, 8, 24 or 32";
    return {};
}

std::string staticCursorProblem(std::string_view bytes) {
    constexpr std::size_t directorySize = 6, entrySize = 16;
    if (bytes.size() < directorySize || u16(bytes, 0) != 0 || u16(bytes, 2) != 2)
        return "does not start with an icon directory of type 2 (a cursor)";
    const std::size_t count = u16(bytes, 4);
    if (count == 0) return "lists no image in its icon directory";
    const std::size_t imagesStart = directorySize + count * entrySize;
    if (imagesStart > bytes.size())
        return "lists " + std::to_string(count) + " images, but the file ends inside its icon directory";
    for (std::size_t index = 0; index < count; ++index) {
        const std::size_t entry = directorySize + index * entrySize;
        const std::size_t size = u32(bytes, entry + 8), offset = u32(bytes, entry + 12);
        const std::string image = "has image " + std::to_string(index + 1) + " at bytes " + std::to_string(offset) +
                                  " to " + std::to_string(offset + size);
        if (size == 0 || offset < imagesStart || offset > bytes.size() || size > bytes.size() - offset)
            return image + ", outside the file's " + std::to_string(bytes.size()) + " bytes after its directory";
        if (std::string problem = imageProblem(bytes.substr(offset, size)); !problem.empty())
            return image + ", which " += problem;
    }
    return {};
}

std::string animatedCursorProblem(std::string_view bytes) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "ACON")
        return "is not a RIFF \"ACON\" form (an animated cursor)";
    const std::size_t end = std::size_t{8} + u32(bytes, 4);
    if (end > bytes.size())
        return "has a RIFF form of " + std::to_string(end) + " bytes in a file of " + std::to_string(bytes.size());
    for (std::size_t at = 12; at + 8 <= end;) {
        const std::string_view id = bytes.substr(at, 4);
        const std::size_t size = u32(bytes, at + 4);
        if (size > end - at - 8) return "has a chunk \"" + std::string(id) + "\" that runs past the RIFF form's end";
        if (id == "anih") return size >= 36 ? std::string() : "has an \"anih\" chunk shorter than 36 bytes";
        at += 8 + size + (size & 1);
    }
    return "has no \"anih\" chunk (the animation's header)";
}

std::string failureText(const Failure& failure) {
    return failure.subject() + " (error " + std::to_string(failure.number()) + ": " + failure.description() + ")";
}

// As the file system compares names: ordinal, ignoring case.
bool sameFileName(const std::string& a, const std::string& b) {
    const std::wstring wideA = fromAnsiCodePage(a), wideB = fromAnsiCodePage(b);
    return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

bool isAnimated(const std::string& name) {
    return name.size() >= 4 && sameFileName(name.substr(name.size() - 4), ".ani");
}

// The file names the scheme list holds, in its order.
std::vector<std::string> schemeListNames() {
    std::vector<std::string> names;
    const std::string_view list = schemeList;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view path = list.substr(start, end - start);
        if (!path.empty()) names.emplace_back(path.substr(path.rfind('\\') + 1));
        start = end + 1;
    }
    return names;
}

std::string where(int lineNumber, const std::string& line) {
    return std::string(scriptName) + ", line " + std::to_string(lineNumber) + ": " + quotedForMessage(line) + " ";
}

}  // namespace

std::string cursorProblem(const std::string& bytes, bool animated) {
    return animated ? animatedCursorProblem(bytes) : staticCursorProblem(bytes);
}

std::vector<std::string> folderProblems() {
    std::vector<std::string> problems;
    try {
        startFolder();
        readLicence();
    } catch (const Failure& failure) {
        problems.push_back(failureText(failure));
    }
    SystemFileSystem files;
    std::optional<Script> script;
    try {
        script.emplace(Script::load(files));
    } catch (const Failure& failure) {
        problems.push_back(failureText(failure));
    }
    if (!problems.empty()) return problems;

    std::vector<std::string> lines, destinations;
    for (int number = 1; number <= scriptLineCount; ++number) lines.push_back(script->readLine());
    std::int16_t separator = 0;
    for (int number = 1; number <= copyLineCount; ++number) {
        const ScriptLine parts = splitLine(lines[number - 1], separator);
        destinations.push_back(parts.right);
        const std::string problem = cursorProblem(contentsOf(script->source(number)), isAnimated(parts.right));
        if (!problem.empty())
            problems.push_back(where(number, lines[number - 1]) + "copies the file " + quotedForMessage(parts.left) +
                               ", which " + problem + ".");
    }
    auto copied = [&](const std::string& name) {
        for (const std::string& destination : destinations)
            if (sameFileName(destination, name)) return true;
        return false;
    };
    for (int number = copyLineCount + 1; number <= scriptLineCount; ++number) {
        const ScriptLine parts = splitLine(lines[number - 1], separator);
        if (!copied(parts.right))
            problems.push_back(where(number, lines[number - 1]) + "registers " + quotedForMessage(parts.right) +
                               ", a file that no copy line (1-" + std::to_string(copyLineCount) + ") makes.");
    }
    const std::vector<std::string> listed = schemeListNames();
    for (int number = 1; number <= copyLineCount; ++number) {
        bool inList = false;
        for (const std::string& name : listed) inList = inList || sameFileName(name, destinations[number - 1]);
        if (!inList)
            problems.push_back(where(number, lines[number - 1]) + "copies to " +
                               quotedForMessage(destinations[number - 1]) +
                               ", which the scheme list does not name.");
    }
    for (const std::string& name : listed)
        if (!copied(name))
            problems.push_back(std::string(scriptName) + ": no copy line makes " + quotedForMessage(name) +
                               ", which the scheme list names.");
    return problems;
}

}  // namespace kastrell
