// The program's report of a system DLL or function that cannot be
// delay-loaded. Linked into the program itself, not into the core library:
// its definition of the helper's hook must take the place of the runtime
// library's empty one.
#include "platform/failure.h"

#include <windows.h>
#include <delayimp.h>

#include <cstring>
#include <string>

namespace {

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
// MessageBoxW: only when user32 itself cannot be loaded does it go to stderr
// alone; a function user32 lacks leaves user32 loaded, and the box is shown.
FARPROC WINAPI reportFailedDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliFailLoadLib && notification != dliFailGetProc) return nullptr;
    const kastrell::Failure failure = kastrell::systemFailure(info->dwLastError, delayLoadSubject(notification, *info));
    if (notification == dliFailLoadLib && _stricmp(info->szDll, "user32.dll") == 0)
        kastrell::reportOnStderrAndExit(failure);
    kastrell::reportAndExit(failure);
}

}  // namespace

// Read by mingw-w64's delay-load helper (__delayLoadHelper2).
extern "C" {
PfnDliHook __pfnDliFailureHook2 = reportFailedDelayLoad;
}
