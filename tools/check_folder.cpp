// check_folder: run in a scheme's folder before it is shipped, it checks that
// the folder holds what the wizard needs, by the wizard's own rules: the
// installation script, every line of it and the files it names, and the
// licence. Prints what is wrong, with file and line, and exits 1; exits 0
// when all is well. A build tool: it is not shipped.
#include "install/script.h"
#include "pages/form3.h"
#include "platform/failure.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"

#include <cstdio>
#include <string>

int main() {
    try {
        kastrell::startFolder();
        kastrell::SystemFileSystem files;
        kastrell::Script::load(files);
        kastrell::readLicence();
    } catch (const kastrell::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.subject().c_str());
        std::fprintf(stderr, "Error %lu: %s\n", failure.number(), failure.description().c_str());
        return 1;
    }
    std::printf("%s: install.txt and file11.c are as the wizard needs them.\n",
                kastrell::startFolder().shownName().c_str());
    return 0;
}
