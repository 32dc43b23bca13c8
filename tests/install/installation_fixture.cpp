#include "tests/install/installation_fixture.h"

#include "install/cursor_scheme.h"

#include <windows.h>

namespace kastrell {
namespace {

const char* const cursorFiles[] = {"Kastrell.cur", "qilo.cur", "tervox.cur", "zun.cur", "lonat.cur",
                                   "brin.cur", "vad1.cur", "vad2.cur", "krot.cur", "pamu.cur"};
const char* const cursorRoles[] = {"Arrow", "Help", "AppStarting", "Wait", "SizeNS",
                                   "SizeWE", "SizeNWSE", "SizeNESW", "SizeAll", "Hand"};

void addContents(const std::string& root, const std::string& relative,
                 std::map<std::string, std::string>& contents, const TempFolder& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((root + relative + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            contents[relative + name + "\\"] = "";
            addContents(root, relative + name + "\\", contents, folder);
        } else {
            contents[relative + name] = folder.read(relative + name);
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

}  // namespace

std::string cursorFileOf(int copyLine) { return cursorFiles[copyLine - 1]; }
std::string sourceContentOf(int copyLine) { return "cursor " + std::to_string(copyLine) + " image"; }

Lines sampleScript() {
    Lines lines;
    for (int line = 1; line <= 10; ++line)
        lines.push_back("source" + std::to_string(line) + ".cur=" + cursorFileOf(line));
    for (int line = 1; line <= 10; ++line)
        lines.push_back(std::string(cursorRoles[line - 1]) + "=" + cursorFileOf(line));
    return lines;
}

InstallationTest::InstallationTest() {
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    previousFolder_ = previous;
    SetCurrentDirectoryA(folder_.path().c_str());
    deleteKeyTree(cursorKeyPath);
    for (int line = 1; line <= 10; ++line)
        folder_.write("source" + std::to_string(line) + ".cur", sourceContentOf(line));
    writeScript(sampleScript());
}

InstallationTest::~InstallationTest() {
    SetCurrentDirectoryA(previousFolder_.c_str());
    deleteKeyTree(cursorKeyPath);
}

void InstallationTest::writeScript(const Lines& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    folder_.write("install.txt", text);
}

void InstallationTest::install(FileSystem& files) {
    Installation(page_, registry_, files, destination_).run();
}

Failure InstallationTest::installFailure(FileSystem& files) {
    try {
        install(files);
    } catch (const Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << "the installation went through";
    return Failure(0, "", "");
}

std::map<std::string, std::string> InstallationTest::folderContents() const {
    std::map<std::string, std::string> contents;
    addContents(folder_.path(), "", contents, folder_);
    return contents;
}

}  // namespace kastrell
