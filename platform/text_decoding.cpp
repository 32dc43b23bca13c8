#include "platform/text_decoding.h"

#include <windows.h>

#include <algorithm>

namespace kastrell {
namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LittleMark = "\xFF\xFE";
constexpr std::string_view utf16BigMark = "\xFE\xFF";

// Empty, rather than partly converted, when `strict` and the bytes are not
// valid in the code page.
std::wstring fromCodePage(UINT codePage, std::string_view bytes, bool strict = false) {
    const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length);
    return text;
}

std::wstring fromUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text += static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    if (bytes.size() % 2) text += L'\xFFFD';  // half a character at the end
    return text;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::wstring decodeText(std::string_view bytes) {
    if (bytes.starts_with(utf8Mark)) return fromCodePage(CP_UTF8, bytes.substr(utf8Mark.size()));
    if (bytes.starts_with(utf16LittleMark)) return fromUtf16(bytes.substr(2), false);
    if (bytes.starts_with(utf16BigMark)) return fromUtf16(bytes.substr(2), true);
    if (!isAscii(bytes)) {
        std::wstring text = fromCodePage(CP_UTF8, bytes, true);
        if (!text.empty()) return text;
    }
    return fromCodePage(CP_ACP, bytes);
}

std::wstring fromAnsiCodePage(std::string_view bytes) { return fromCodePage(CP_ACP, bytes); }

std::string toAnsiCodePage(std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::string quotedPath(std::wstring_view path) {
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return "\"\\\\" + toAnsiCodePage(path.substr(8)) + "\"";
    if (path.starts_with(L"\\\\?\\")) path.remove_prefix(4);
    return "\"" + toAnsiCodePage(path) + "\"";
}

}  // namespace kastrell
