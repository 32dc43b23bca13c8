#pragma once
// The one-instance registry of windows. Each form class has at most one
// loaded instance. Showing loads it afresh from its design when it is not
// loaded; closing destroys its controls. A form closed while one of its own
// handlers runs stays a valid object until that handler returns. A form whose
// window is destroyed, by whoever destroys it (closing an owner destroys the
// windows it owns), is no longer loaded. The event loop ends when no form is
// loaded. The forms belong to their windows (form.h): nothing here is left to
// free when the process ends, whatever is loaded then.
#include "platform/form.h"

#include <windows.h>

#include <typeinfo>

namespace kastrell {

class Forms {
public:
    // Loads the form if needed, shows it and returns at once.
    template <class F>
    static F& show() {
        F& form = loadInstance<F>(nullptr);
        form.present();
        return form;
    }

    // Loads and shows the form over the others, which take no input until it
    // is closed; returns only then.
    template <class F>
    static void showModal() {
        HWND owner = activeForm();
        runModal(loadInstance<F>(owner));
    }

    template <class F>
    static void close() {
        if (F* form = find<F>()) close(*form);
    }

    // The loaded instance of F, or nullptr.
    template <class F>
    static F* find() {
        return static_cast<F*>(find(typeid(F)));
    }

    // Closes a form; closing one that is not loaded does nothing.
    static void close(Form& form);
    static bool anyLoaded();

    // Handles messages until no form is loaded; returns the exit status.
    static int run();

    // Drops mouse and key input that arrived while a handler was busy.
    static void discardPendingInput();

private:
    friend class Form;

    template <class F>
    static F& loadInstance(HWND owner) {
        if (F* existing = find<F>()) return *existing;
        F* form = new F;  // its window's from WM_NCCREATE on
        load(*form, owner);
        return *form;
    }

    static Form* find(const std::type_info& type);
    // Puts a form whose window is being made on the list of loaded forms;
    // false when the list is full.
    static bool enlist(Form& form);
    // Takes the form off the list as its window ends, by whoever destroys it.
    static void forget(const Form& form);
    static void load(Form& form, HWND owner);
    static void runModal(Form& form);
    static HWND activeForm();
    static void dispatch(MSG& message);
};

}  // namespace kastrell
