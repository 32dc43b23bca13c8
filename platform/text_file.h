#pragma once
// File number 1: the program's single slot for an open text file, read line
// by line. A line ends at CR or at CR LF; a LF alone stays in the text. A
// terminator at the very end ends the last line without starting another.
// Bytes pass unchanged.
#include <cstddef>
#include <string>

namespace kastrell {

class TextFile {
public:
    // Opens an existing file for reading; throws Failure naming the file.
    explicit TextFile(std::string path);

    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    bool atEnd() const { return position_ >= content_.size(); }

    // The next line without its terminator; throws Failure past the end.
    std::string readLine();

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string content_;
    std::size_t position_ = 0;
};

}  // namespace kastrell
