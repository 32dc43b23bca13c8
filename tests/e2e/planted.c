// A DLL planted beside the setup program under the name of a system DLL: when
// loaded, it appends its own path to planted-loaded.txt beside itself. It
// exports nothing, so whoever expected the real DLL may fail right after.
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    char path[MAX_PATH + 2], record[MAX_PATH + 32];
    const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (reason != DLL_PROCESS_ATTACH || !length || length >= MAX_PATH) return TRUE;
    strcpy(record, path);
    strcpy(strrchr(record, '\\') + 1, "planted-loaded.txt");
    strcpy(path + length, "\r\n");
    HANDLE file = CreateFileA(record, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, path, length + 2, &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
