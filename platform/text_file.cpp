#include "platform/text_file.h"

#include "platform/failure.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <algorithm>
#include <type_traits>

namespace kastrell {
namespace {

// The file at once, up to the limit: scripts and licences are small, and
// holding the text keeps the line rule a pure function of it. One byte more
// than the limit is read, to tell whether the file goes on.
std::string readUpTo(HANDLE file, const std::string& path, std::size_t limit) {
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        throw systemFailure(GetLastError(), "Cannot read the file \"" + path + "\".");
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (bytes.size() <= limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit + 1 - bytes.size());
        if (!ReadFile(file, buffer, static_cast<DWORD>(wanted), &got, nullptr))
            throw systemFailure(GetLastError(), "Cannot read the file \"" + path + "\".");
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return bytes;
}

template <class Char>
std::basic_string<Char> textOf(std::string bytes) {
    if constexpr (std::is_same_v<Char, wchar_t>)
        return decodeText(bytes);
    else
        return bytes;
}

}  // namespace

template <class Char>
BasicTextFile<Char>::BasicTextFile(HANDLE file, std::string name, std::size_t limit) : path_(std::move(name)) {
    std::string bytes = readUpTo(file, path_, limit);
    whole_ = bytes.size() <= limit;
    if (!whole_) bytes.resize(limit);
    content_ = textOf<Char>(std::move(bytes));
}

template <class Char>
std::basic_string<Char> BasicTextFile<Char>::readLine() {
    if (atEnd()) throw systemFailure(ERROR_HANDLE_EOF, "Read past the end of \"" + path_ + "\".");
    const std::size_t end = content_.find(Char('\r'), position_);
    if (end == std::basic_string<Char>::npos) {
        std::basic_string<Char> line = content_.substr(position_);
        position_ = content_.size();
        return line;
    }
    std::basic_string<Char> line = content_.substr(position_, end - position_);
    position_ = end + 1;
    if (position_ < content_.size() && content_[position_] == Char('\n')) ++position_;
    return line;
}

template class BasicTextFile<char>;
template class BasicTextFile<wchar_t>;

}  // namespace kastrell
