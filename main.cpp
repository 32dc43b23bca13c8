// kastrell-setup: the setup wizard of the Kastrell cursor scheme.
#include "pages/form3.h"
#include "platform/failure.h"
#include "platform/forms.h"
#include "platform/held_folder.h"

#include <windows.h>
#include <commctrl.h>
#include <delayimp.h>

#include <cstdio>
#include <cstring>
#include <string>

// The C runtime's start (mingw-w64's crt2.o): it initialises the runtime, runs
// the static initialisers and calls WinMain.
extern "C" int WinMainCRTStartup();

namespace {

// user32 taken by its full path from the system folder, so that a report's
// MessageBoxA finds that one loaded instead of looking for it.
bool loadUser32FromSystemFolder() {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH - 12);
    if (!length || length >= MAX_PATH - 12) return false;
    lstrcpyW(path + length, L"\\user32.dll");
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH) != nullptr;
}

// Wine (8.0) looks for a DLL that one of its own DLLs delay-loads in the
// program's folder first, whatever the default DLL directories say. Under Wine
// the ones this program comes to need that way, imm32's ole32 and uxtheme's
// msimg32, are therefore loaded here from the system folder; those delay-loads
// then find them loaded.
void loadWhatWineDelayLoads() {
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
    for (const wchar_t* dll : {L"ole32.dll", L"msimg32.dll"})
        LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The report for when user32, which shows it, is not to be had: on stderr.
[[noreturn]] void reportOnStderrAndExit(const kastrell::Failure& failure) {
    std::fprintf(stderr, "%s\n", kastrell::reportText(failure).c_str());
    ExitProcess(1);
}

// What could not be delay-loaded, in a report's words.
std::string delayLoadSubject(unsigned notification, const DelayLoadInfo& info) {
    const std::string dll = std::string("the system's DLL \"") + info.szDll + "\"";
    if (notification == dliFailLoadLib) return "Setup cannot load " + dll + ".";
    const std::string function = info.dlp.fImportByName ? std::string(info.dlp.szProcName)
                                                        : "number " + std::to_string(info.dlp.dwOrdinal);
    return "Setup cannot find the function " + function + " in " + dll +
           ": this version of Windows lacks it.";
}

// Called by the delay-load helper when a DLL or function cannot be loaded
// (GetDpiForWindow on an early Windows 10, say), instead of its raising an
// exception that nothing would explain. The report needs user32's
// MessageBoxA: when user32 is what failed, it goes to stderr only.
FARPROC WINAPI reportFailedDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliFailLoadLib && notification != dliFailGetProc) return nullptr;
    const kastrell::Failure failure = kastrell::systemFailure(info->dwLastError, delayLoadSubject(notification, *info));
    if (_stricmp(info->szDll, "user32.dll") != 0) kastrell::reportAndExit(failure);
    reportOnStderrAndExit(failure);
}

}  // namespace

// Read by mingw-w64's delay-load helper (__delayLoadHelper2); defined here, it
// takes the place of the runtime library's empty one.
extern "C" {
PfnDliHook __pfnDliFailureHook2 = reportFailedDelayLoad;
}

// The program's entry point (CMakeLists.txt). The program runs elevated from
// the scheme's folder, which anyone may have put files into, so no DLL may be
// looked for there. When this runs the loader has loaded only the start-up
// imports, kernel32 and msvcrt, both KnownDLLs; every other DLL the program
// calls is delay-loaded, and so looked for only in the system folder, which
// is set here before the C runtime, a static initialiser or anything else
// can call into one. If that fails, the program reports it and ends.
// No stack guard: the runtime it starts sets the guard's value anew.
extern "C" __attribute__((no_stack_protector)) int kastrellStart() {
    if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) || !SetDllDirectoryA("")) {
        const DWORD code = GetLastError();
        const kastrell::Failure failure = kastrell::systemFailure(
            code, "The search for DLLs could not be limited to the system folder.");
        if (loadUser32FromSystemFolder()) kastrell::reportAndExit(failure);
        reportOnStderrAndExit(failure);
    }
    loadWhatWineDelayLoads();
    return WinMainCRTStartup();
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    try {
        // Held before anything is read from it, and for the program's life.
        kastrell::startFolder();
        // The licence comes first, so that "I Agree" stands before installing.
        kastrell::Forms::show<kastrell::Form3>();
    } catch (const kastrell::Failure& failure) {
        kastrell::reportAndExit(failure);
    }
    return kastrell::Forms::run();
}
