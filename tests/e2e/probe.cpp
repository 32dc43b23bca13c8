// probe: looks at what the setup program left behind, or shows on screen,
// from another process, the way Windows itself or a user would see it.
//
//   probe cursor PATH...        expands %VARIABLES% and loads each as a cursor
//   probe controls CAPTION      one line per control of the top-level window:
//                               rectangle in twips (left,top,width,height,
//                               client relative), class, visible, enabled,
//                               tick or bar position ("-" for others), text
//   probe dialog-text CAPTION   the texts of the window's static controls
//   probe frame CAPTION         window rectangle and client origin, in pixels
//   probe close CAPTION         asks the window to close, as its close box does
//   probe windows               one line per top-level window that is shown or
//                               has a caption: process id and program, shown
//                               or hidden, class, caption
//
// Texts are printed in UTF-8. Windows are waited for up to PROBE_WAIT_MS
// (default 5000) milliseconds. Exit status 0 on success, 1 when a check
// failed or no window was found.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string expand(const std::string& path) {
    std::string expanded(MAX_PATH, '\0');
    const DWORD length = ExpandEnvironmentStringsA(path.c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
    expanded.resize(length ? length - 1 : 0);
    return expanded;
}

int checkCursors(int count, char** paths) {
    int status = 0;
    for (int i = 0; i < count; ++i) {
        const std::string path = expand(paths[i]);
        HCURSOR cursor = LoadCursorFromFileA(path.c_str());
        if (cursor) {
            std::printf("ok %s\n", path.c_str());
            DestroyCursor(cursor);
        } else {
            std::printf("fail %s (error %lu)\n", path.c_str(), GetLastError());
            status = 1;
        }
    }
    return status;
}

DWORD waitMilliseconds() {
    const char* setting = std::getenv("PROBE_WAIT_MS");
    return setting ? static_cast<DWORD>(std::strtoul(setting, nullptr, 10)) : 5000;
}

// The visible top-level window with this caption, waiting for it to appear.
HWND findWindow(const char* caption) {
    const DWORD deadline = GetTickCount() + waitMilliseconds();
    for (;;) {
        HWND window = nullptr;
        while ((window = FindWindowExA(nullptr, window, nullptr, caption)))
            if (IsWindowVisible(window)) return window;
        if (static_cast<LONG>(GetTickCount() - deadline) >= 0) break;
        Sleep(20);
    }
    std::fprintf(stderr, "probe: no visible window \"%s\"\n", caption);
    return nullptr;
}

std::string utf8(const std::wstring& text, int size) {
    std::string converted(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0,
                                                                       nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, converted.data(), static_cast<int>(converted.size()),
                        nullptr, nullptr);
    return converted;
}

// WM_GETTEXT is marshalled across processes; GetWindowText would not ask the
// owner for a text box's contents. Asked for wide, so that no character is
// lost to the code page, and printed as UTF-8.
std::string windowText(HWND window) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return utf8(text, static_cast<int>(copied));
}

// A top-level window's caption as the system keeps it, asking nothing of its
// program, which may be the one that hangs.
std::string caption(HWND window) {
    std::wstring text(256, L'\0');
    return utf8(text, GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
}

// Line breaks shown as \r and \n so that each control stays on one line.
std::string oneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
    return line;
}

std::string className(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<HWND> children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

DWORD_PTR ask(HWND control, UINT message, WPARAM wParam = 0) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(control, message, wParam, 0, SMTO_ABORTIFHUNG, 2000, &answer);
    return answer;
}

// A check box's tick, a progress bar's position out of its maximum, or "-".
std::string state(HWND control) {
    const std::string kind = className(control);
    if (kind == "msctls_progress32")
        return std::to_string(ask(control, PBM_GETPOS)) + "/" + std::to_string(ask(control, PBM_GETRANGE, FALSE));
    const LONG style = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool checkBox = style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_3STATE ||
                          style == BS_AUTO3STATE;
    if (kind != "Button" || !checkBox) return "-";
    const DWORD_PTR tick = ask(control, BM_GETCHECK);
    return tick == BST_CHECKED ? "checked" : tick == BST_INDETERMINATE ? "grey" : "unchecked";
}

// Where the control lies in its window's client area, in twips, as a
// window's design gives it.
std::string twipsRectangle(HWND window, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const auto twips = [dpi](LONG pixels) { return MulDiv(pixels, 1440, dpi); };
    return std::to_string(twips(r.left)) + "," + std::to_string(twips(r.top)) + "," +
           std::to_string(twips(r.right - r.left)) + "," + std::to_string(twips(r.bottom - r.top));
}

int listControls(const char* caption) {
    HWND window = findWindow(caption);
    if (!window) return 1;
    for (HWND control : children(window)) {
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", twipsRectangle(window, control).c_str(),
                    className(control).c_str(),
                    IsWindowVisible(control) ? "visible" : "hidden",
                    IsWindowEnabled(control) ? "enabled" : "disabled", state(control).c_str(),
                    oneLine(windowText(control)).c_str());
    }
    return 0;
}

int dialogText(const char* caption) {
    HWND window = findWindow(caption);
    if (!window) return 1;
    for (HWND control : children(window))
        if (className(control) == "Static") {
            const std::string text = windowText(control);
            if (!text.empty()) std::printf("%s\n", text.c_str());
        }
    return 0;
}

int frame(const char* caption) {
    HWND window = findWindow(caption);
    if (!window) return 1;
    RECT outer{};
    GetWindowRect(window, &outer);
    POINT client{0, 0};
    ClientToScreen(window, &client);
    std::printf("window %ld %ld %ld %ld\nclient %ld %ld\n", outer.left, outer.top,
                outer.right - outer.left, outer.bottom - outer.top, client.x, client.y);
    return 0;
}

int closeWindow(const char* caption) {
    HWND window = findWindow(caption);
    if (!window) return 1;
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

std::string programOf(DWORD process) {
    char path[MAX_PATH] = "?";
    DWORD size = MAX_PATH;
    if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
        if (!QueryFullProcessImageNameA(handle, 0, path, &size)) lstrcpyA(path, "?");
        CloseHandle(handle);
    }
    const char* name = std::strrchr(path, '\\');
    return name ? name + 1 : path;
}

int listWindows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND window : windows) {
        const std::string title = oneLine(caption(window));
        if (title.empty() && !IsWindowVisible(window)) continue;
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        std::printf("%lu\t%s\t%s\t%s\t%s\n", process, programOf(process).c_str(),
                    IsWindowVisible(window) ? "shown" : "hidden", className(window).c_str(), title.c_str());
    }
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: probe cursor PATH... | controls CAPTION | dialog-text CAPTION |"
                 " frame CAPTION | close CAPTION | windows\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "windows" && argc == 2) return listWindows();
    if (argc < 3) return usage();
    if (command == "cursor") return checkCursors(argc - 2, argv + 2);
    if (argc != 3) return usage();
    if (command == "controls") return listControls(argv[2]);
    if (command == "dialog-text") return dialogText(argv[2]);
    if (command == "frame") return frame(argv[2]);
    if (command == "close") return closeWindow(argv[2]);
    return usage();
}
