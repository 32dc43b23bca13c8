#pragma once
// File number 1: the program's single slot for an open text file, read line
// by line. A line ends at CR or at CR LF; a LF alone stays in the text. A
// terminator at the very end ends the last line without starting another.
// A TextFile passes its bytes unchanged; a WideTextFile decodes them first
// (text_decoding.h), so that the line rule applies to characters.
#include <windows.h>

#include <cstddef>
#include <string>

namespace kastrell {

template <class Char>
class BasicTextFile {
public:
    // Reads an open file from its start, no more than its first `limit`
    // bytes; `name` is how messages name it. Throws Failure naming the file.
    BasicTextFile(HANDLE file, std::string name, std::size_t limit);

    BasicTextFile(const BasicTextFile&) = delete;
    BasicTextFile& operator=(const BasicTextFile&) = delete;

    bool atEnd() const { return position_ >= content_.size(); }
    // Whether the file ended within the limit, so that atEnd() is its end.
    bool whole() const { return whole_; }

    // The next line without its terminator; throws Failure past the end.
    std::basic_string<Char> readLine();

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::basic_string<Char> content_;
    std::size_t position_ = 0;
    bool whole_ = true;
};

extern template class BasicTextFile<char>;
extern template class BasicTextFile<wchar_t>;

using TextFile = BasicTextFile<char>;
using WideTextFile = BasicTextFile<wchar_t>;

}  // namespace kastrell
