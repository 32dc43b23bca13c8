// check_folder: run in a scheme's folder before it is shipped, it checks that
// the folder holds what the wizard needs, by the wizard's own rules (the
// installation script, every line of it and the files it names, and the
// licence), and that it is the scheme it claims to be (tools/folder_check.h).
// Prints each problem, with file and line, and exits 1; exits 0 when all is
// well. A build tool: it is not shipped.
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "tools/folder_check.h"

#include <cstdio>
#include <string>

int main() {
    const std::vector<std::string> problems = kastrell::folderProblems();
    for (const std::string& problem : problems) std::fprintf(stderr, "%s\n", problem.c_str());
    if (!problems.empty()) return 1;
    std::printf("%s: install.txt, file11.c and the ten cursors are as the wizard and the scheme need them.\n",
                kastrell::startFolder().shownName().c_str());
    return 0;
}
