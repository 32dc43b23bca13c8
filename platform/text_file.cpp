#include "platform/text_file.h"

#include "platform/failure.h"
#include "platform/handle.h"

#include <windows.h>

namespace kastrell {

TextFile::TextFile(std::string path) : path_(std::move(path)) {
    // The whole file is read at once: scripts and licences are small, and
    // holding the bytes keeps the line rule a pure function of them.
    const FileHandle file(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw systemFailure(GetLastError(), "Cannot open the file \"" + path_ + "\".");
    char buffer[8192];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            throw systemFailure(GetLastError(), "Cannot read the file \"" + path_ + "\".");
        if (got == 0) break;
        content_.append(buffer, got);
    }
}

std::string TextFile::readLine() {
    if (atEnd()) throw systemFailure(ERROR_HANDLE_EOF, "Read past the end of \"" + path_ + "\".");
    const std::size_t end = content_.find('\r', position_);
    if (end == std::string::npos) {
        std::string line = content_.substr(position_);
        position_ = content_.size();
        return line;
    }
    std::string line = content_.substr(position_, end - position_);
    position_ = end + 1;
    if (position_ < content_.size() && content_[position_] == '\n') ++position_;
    return line;
}

}  // namespace kastrell
