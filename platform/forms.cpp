#include "platform/forms.h"

#include <algorithm>
#include <iterator>

namespace kastrell {
namespace {

// The forms whose windows exist, found here by their class: plain pointers to
// objects their windows own, so that nothing is destroyed at exit. A program
// shows a few forms at most.
constinit Form* formsWithWindows[8] = {};

template <class Visit>
void forEachLoaded(Visit visit) {
    for (Form* form : formsWithWindows)
        if (form && form->loaded()) visit(*form);
}

void moveFocus(HWND window, bool backwards) {
    if (HWND next = GetNextDlgTabItem(window, GetFocus(), backwards)) SetFocus(next);
}

}  // namespace

Form* Forms::find(const std::type_info& type) {
    Form* found = nullptr;
    forEachLoaded([&](Form& form) {
        if (typeid(form) == type) found = &form;
    });
    return found;
}

bool Forms::enlist(Form& form) {
    Form** free = std::find(std::begin(formsWithWindows), std::end(formsWithWindows), nullptr);
    if (free == std::end(formsWithWindows)) return false;
    *free = &form;
    return true;
}

void Forms::forget(const Form& form) {
    std::replace(std::begin(formsWithWindows), std::end(formsWithWindows), const_cast<Form*>(&form),
                 static_cast<Form*>(nullptr));
    // A close sent from outside our loop (another thread or process) must
    // still wake the loop, so that it sees that nothing is loaded any more.
    if (!anyLoaded()) PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Forms::load(Form& form, HWND owner) {
    // A form whose window was never made, or ended while loading, is freed here.
    const Form::Busy busy(form);
    try {
        form.load(owner);
    } catch (...) {
        close(form);
        throw;
    }
}

void Forms::close(Form& form) { form.unload(); }

bool Forms::anyLoaded() {
    bool any = false;
    forEachLoaded([&](Form&) { any = true; });
    return any;
}

HWND Forms::activeForm() {
    HWND active = GetActiveWindow();
    HWND found = nullptr;
    forEachLoaded([&](Form& form) {
        if (form.hwnd() == active) found = active;
    });
    return found;
}

void Forms::runModal(Form& form) {
    // The form outlives its window until this loop has seen it end.
    const Form::Busy busy(form);
    forEachLoaded([&](Form& other) {
        if (&other == &form || !IsWindowEnabled(other.hwnd())) return;
        EnableWindow(other.hwnd(), FALSE);
        form.disabledByMe_.push_back(other.hwnd());
    });
    form.present();
    MSG message;
    while (form.loaded()) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // the outer loop ends too
            break;
        }
        dispatch(message);
    }
}

int Forms::run() {
    MSG message;
    while (anyLoaded()) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) return static_cast<int>(message.wParam);
        dispatch(message);
    }
    return 0;
}

void Forms::dispatch(MSG& message) {
    HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (message.message == WM_KEYDOWN) {
        // No button is a default or cancel button: Enter and Esc do nothing.
        if (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) return;
        // Tab is ours, so that a text box that asks for every key cannot keep it.
        if (message.wParam == VK_TAB && root) {
            moveFocus(root, GetKeyState(VK_SHIFT) < 0);
            return;
        }
    }
    if (root && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Forms::discardPendingInput() {
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    while (PeekMessageW(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
    while (PeekMessageW(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {}
}

}  // namespace kastrell
