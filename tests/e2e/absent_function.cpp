// A program as the setup program would be on a Windows that lacks one of
// user32's functions: it calls one that no user32 has, through a delay-import
// library that claims it (CMakeLists.txt), with the program's own report of a
// failed delay-load.
#include <windows.h>

extern "C" __declspec(dllimport) int WINAPI KastrellAbsentFunction();

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return KastrellAbsentFunction(); }
