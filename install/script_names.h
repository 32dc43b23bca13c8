#pragma once
// What the installation script may name. Its folder is a stranger's input to
// a program that runs with administrator rights, so a copy source must lie in
// that folder and a cursor file name must be a plain name of a cursor file.
// Names are judged as the system reads them: in UTF-16, converted once from
// the script's code page, where a double-byte letter whose second byte is "\"
// or "|" is a letter. Each check gives what is wrong, to follow the quoted
// line in a report, or nothing when the name is fine.
#include <string>
#include <string_view>

namespace kastrell {

// A character below the space, or DEL.
bool isControlCharacter(wchar_t c);

// A source, relative to the current folder: subfolders allowed; no drive,
// root, UNC or device path, no ".." part, no stream, no device name.
std::string sourceNameProblem(std::wstring_view name);

// A file name inside the scheme folder, ending in ".cur" or ".ani" as
// Windows stores it (trailing dots and spaces dropped). `role` is what the
// name is to the line: "destination" or "cursor file".
std::string cursorFileNameProblem(std::wstring_view name, const std::string& role);

}  // namespace kastrell
