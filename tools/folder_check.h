#pragma once
// What a release checks in a scheme's folder before it ships it, beyond what
// the wizard itself refuses: that the files are cursors, that the script
// registers only files it copies, and that it copies the files the scheme
// list names. A build tool's code: the wizard does not use it.
#include <string>
#include <vector>

namespace kastrell {

// What is wrong with a cursor file's bytes, or nothing when it is well formed:
// a static cursor (an icon directory of type 2 whose every image lies inside
// the file and is a BMP or a PNG image), or, when `animated`, a RIFF "ACON"
// form with an "anih" chunk.
std::string cursorProblem(const std::string& bytes, bool animated);

// Every problem of the current folder, each naming the file or the script
// line at fault; empty when the folder is ready to ship. The wizard's own
// checks come first: when the script or the licence fails them, that is the
// only problem given.
std::vector<std::string> folderProblems();

}  // namespace kastrell
