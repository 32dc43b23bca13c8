#include "tests/support/unix_command.h"

#include <windows.h>

#include <stdexcept>

namespace kastrell {

std::string unixPathOf(const std::string& windowsPath) {
    using Convert = char*(__cdecl*)(const wchar_t*);
    const auto convert = reinterpret_cast<Convert>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) throw std::runtime_error("not running under Wine");
    const std::wstring wide(windowsPath.begin(), windowsPath.end());
    char* path = convert(wide.c_str());
    if (!path) throw std::runtime_error("no Unix path for " + windowsPath);
    std::string result = path;
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

// Wine starts a Unix program but cannot wait for it: the command leaves a
// mark when it is done, and that is waited for.
void runUnixCommand(const std::string& program, const std::vector<std::string>& arguments) {
    char temporary[MAX_PATH];
    GetTempPathA(MAX_PATH, temporary);
    const std::string mark = std::string(temporary) + "unix-command-" + std::to_string(GetTickCount64()) + ".done";
    std::string script = program;
    for (const std::string& argument : arguments) script += " '" + argument + "'";
    script += "; : > '" + unixPathOf(mark) + "'";
    std::string commandLine = "/bin/sh -c \"" + script + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\bin\\sh", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        throw std::runtime_error("cannot run " + program);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; GetFileAttributesA(mark.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 10) {
        if (waited > 10000) throw std::runtime_error(program + " did not finish");
        Sleep(10);
    }
    DeleteFileA(mark.c_str());
}

}  // namespace kastrell
