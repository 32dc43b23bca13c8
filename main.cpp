// kastrell-setup: the setup wizard of the Kastrell cursor scheme.
#include "pages/form3.h"
#include "platform/failure.h"
#include "platform/forms.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The licence comes first, so that "I Agree" stands before installing.
    try {
        kastrell::Forms::show<kastrell::Form3>();
    } catch (const kastrell::Failure& failure) {
        kastrell::reportAndExit(failure);
    }
    return kastrell::Forms::run();
}
