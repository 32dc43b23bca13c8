#include "platform/forms.h"

#include <map>

namespace kastrell {
namespace {

// The loaded forms, one per class: the program's only global state.
std::map<std::type_index, std::shared_ptr<Form>>& loadedForms() {
    static std::map<std::type_index, std::shared_ptr<Form>> forms;
    return forms;
}

void moveFocus(HWND window, bool backwards) {
    if (HWND next = GetNextDlgTabItem(window, GetFocus(), backwards)) SetFocus(next);
}

}  // namespace

Form* Forms::find(std::type_index type) {
    auto& forms = loadedForms();
    const auto found = forms.find(type);
    return found == forms.end() ? nullptr : found->second.get();
}

std::shared_ptr<Form> Forms::load(std::type_index type, std::shared_ptr<Form> form, HWND owner) {
    loadedForms()[type] = form;
    try {
        form->load(owner);
    } catch (...) {
        close(*form);
        throw;
    }
    return form;
}

void Forms::close(Form& form) {
    // Whoever is running a handler of this form holds its own reference.
    const std::shared_ptr<Form> keep = form.weak_from_this().lock();
    if (!keep || !forget(form)) return;
    keep->unload();
}

bool Forms::forget(const Form& form) {
    auto& forms = loadedForms();
    if (!std::erase_if(forms, [&](const auto& entry) { return entry.second.get() == &form; })) return false;
    // A close sent from outside our loop (another thread or process) must
    // still wake the loop, so that it sees that nothing is loaded any more.
    if (forms.empty()) PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    return true;
}

bool Forms::anyLoaded() { return !loadedForms().empty(); }

HWND Forms::activeForm() {
    HWND active = GetActiveWindow();
    for (const auto& [type, form] : loadedForms())
        if (form->hwnd() == active) return active;
    return nullptr;
}

void Forms::runModal(const std::shared_ptr<Form>& form) {
    for (const auto& [type, other] : loadedForms()) {
        if (other == form || !IsWindowEnabled(other->hwnd())) continue;
        EnableWindow(other->hwnd(), FALSE);
        form->disabledByMe_.push_back(other->hwnd());
    }
    form->present();
    MSG message;
    while (form->loaded()) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // the outer loop ends too
            break;
        }
        dispatch(message);
    }
}

int Forms::run() {
    MSG message;
    while (anyLoaded()) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) return static_cast<int>(message.wParam);
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
    if (root && IsDialogMessageA(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void Forms::discardPendingInput() {
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    while (PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
    while (PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {}
}

}  // namespace kastrell
