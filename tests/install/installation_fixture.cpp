#include "tests/install/installation_fixture.h"

#include "install/cursor_scheme.h"
#include "platform/held_folder.h"
#include "platform/text_decoding.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kastrell {
namespace {

const char* const cursorFiles[] = {"Kastrell.cur", "qilo.cur", "tervox.cur", "zun.cur", "lonat.cur",
                                   "brin.cur", "vad1.cur", "vad2.cur", "krot.cur", "pamu.cur"};
const char* const cursorRoles[] = {"Arrow", "Help", "AppStarting", "Wait", "SizeNS",
                                   "SizeWE", "SizeNWSE", "SizeNESW", "SizeAll", "Hand"};

std::string utf8(const std::wstring& text) {
    const int size = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0,
                                                                    nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                        nullptr);
    return bytes;
}

// A larger file is not read: at 64 MiB, reading takes most of a second.
constexpr DWORD largestFileRead = 1 << 20;

// Listed with the wide calls, so that names outside the code page are seen
// as they are; keys in UTF-8.
void addContents(const std::wstring& folder, const std::string& relative,
                 std::map<std::string, std::string>& contents) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            contents[relative + utf8(name) + "\\"] = "";
            addContents(folder + name + L"\\", relative + utf8(name) + "\\", contents);
        } else if (entry.nFileSizeHigh != 0 || entry.nFileSizeLow > largestFileRead) {
            // Only a file made to be refused is that large: its size and time
            // tell whether it changed.
            contents[relative + utf8(name)] =
                std::to_string(std::uint64_t{entry.nFileSizeHigh} << 32 | entry.nFileSizeLow) + " bytes written at " +
                std::to_string(std::uint64_t{entry.ftLastWriteTime.dwHighDateTime} << 32 |
                               entry.ftLastWriteTime.dwLowDateTime);
        } else {
            std::ifstream file(std::filesystem::path(folder + name), std::ios::binary);
            contents[relative + utf8(name)] = {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

}  // namespace

::testing::AssertionResult sameLines(const char* actualText, const char* expectedText, const Lines& actual,
                                     const Lines& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first]) ++first;
    auto item = [](const Lines& lines, std::size_t index) {
        return index < lines.size() ? "\"" + lines[index] + "\"" : std::string("(none: the list ends)");
    };
    auto listed = [](const Lines& lines) {
        std::string text;
        for (std::size_t index = 0; index < lines.size(); ++index)
            text += "\n  " + std::to_string(index + 1) + ". " + lines[index];
        return text;
    };
    return ::testing::AssertionFailure()
           << actualText << " differs from " << expectedText << " first at item " << first + 1 << ":\n  is        "
           << item(actual, first) << "\n  expected  " << item(expected, first) << "\n" << actualText << " ("
           << actual.size() << " items):" << listed(actual) << "\n" << expectedText << " (" << expected.size()
           << " items):" << listed(expected);
}

void fillTo(Lines& lines, std::size_t bytes) {
    std::size_t taken = 0;
    for (const std::string& line : lines) taken += line.size() + 2;
    std::string& last = lines.back();
    last.insert(last.find('=') + 1, std::string(bytes - taken, 'p'));
}

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
    holdStartFolder();
    deleteKeyTree(cursorKeyPath);
    for (int line = 1; line <= 10; ++line)
        folder_.write("source" + std::to_string(line) + ".cur", sourceContentOf(line));
    writeScript(sampleScript());
}

InstallationTest::~InstallationTest() {
    SetCurrentDirectoryA(previousFolder_.c_str());
    holdStartFolder();  // lets the temporary folder go
    deleteKeyTree(cursorKeyPath);
}

void InstallationTest::writeScript(const Lines& lines, const std::string& lineEnd) {
    std::string text;
    for (const std::string& line : lines) text += line + lineEnd;
    folder_.write("install.txt", text);
}

void InstallationTest::install(FileSystem& files) {
    Installation(page_, registry_, files, fromAnsiCodePage(destination_)).run();
}

Failure InstallationTest::installFailure(FileSystem& files) {
    return failureOf([&] { install(files); }, "the installation went through");
}

std::map<std::string, std::string> InstallationTest::folderContents() const {
    std::map<std::string, std::string> contents;
    addContents(fromAnsiCodePage(folder_.path()), "", contents);
    return contents;
}

}  // namespace kastrell
