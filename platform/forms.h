#pragma once
// The one-instance registry of windows. Each form class has at most one
// loaded instance. Showing loads it afresh from its design when it is not
// loaded; closing destroys its controls. A form closed while one of its own
// handlers runs stays a valid object until that handler returns. A form whose
// window is destroyed, by whoever destroys it (closing an owner destroys the
// windows it owns), is no longer loaded. The event loop ends when no form is
// loaded.
#include "platform/form.h"

#include <windows.h>

#include <memory>
#include <typeindex>

namespace kastrell {

class Forms {
public:
    // Loads the form if needed, shows it and returns at once.
    template <class F>
    static F& show() {
        auto form = loadInstance<F>(nullptr);
        form->present();
        return static_cast<F&>(*form);
    }

    // Loads and shows the form over the others, which take no input until it
    // is closed; returns only then.
    template <class F>
    static void showModal() {
        HWND owner = activeForm();
        auto form = loadInstance<F>(owner);
        runModal(form);
    }

    template <class F>
    static void close() {
        if (F* form = find<F>()) close(*form);
    }

    // The loaded instance of F, or nullptr.
    template <class F>
    static F* find() {
        return static_cast<F*>(find(std::type_index(typeid(F))));
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
    static std::shared_ptr<Form> loadInstance(HWND owner) {
        const std::type_index type(typeid(F));
        if (Form* existing = find(type)) return existing->shared_from_this();
        return load(type, std::make_shared<F>(), owner);
    }

    static Form* find(std::type_index type);
    // Takes the form off the list of loaded forms, as its window goes, by
    // whoever destroys it; false when it was not on the list.
    static bool forget(const Form& form);
    static std::shared_ptr<Form> load(std::type_index type, std::shared_ptr<Form> form, HWND owner);
    static void runModal(const std::shared_ptr<Form>& form);
    static HWND activeForm();
    static void dispatch(MSG& message);
};

}  // namespace kastrell
