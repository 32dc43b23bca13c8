#pragma once
// What the installation script may name. Its folder is a stranger's input to
// a program that runs with administrator rights, so a copy source must lie in
// that folder and a cursor file name must be a plain name of a cursor file.
// Each check gives what is wrong, to follow the quoted line in a report, or
// nothing when the name is fine.
#include <string>

namespace kastrell {

// A source, relative to the current folder: subfolders allowed; no drive,
// root, UNC or device path, no ".." part, no stream, no device name.
std::string sourceNameProblem(const std::string& name);

// A file name inside the scheme folder, ending in ".cur" or ".ani" as
// Windows stores it (trailing dots and spaces dropped). `role` is what the
// name is to the line: "destination" or "cursor file".
std::string cursorFileNameProblem(const std::string& name, const std::string& role);

}  // namespace kastrell
