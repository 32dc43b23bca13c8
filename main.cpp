// kastrell-setup: the setup wizard of the Kastrell cursor scheme.
#include "platform/failure.h"
#include "platform/forms.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return kastrell::Forms::run();
}
