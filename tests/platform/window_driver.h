#pragma once
// Helpers for tests that drive windows in-process: actions that run inside
// whichever message loop runs next (a modal show's nested loop, or
// Forms::run()), and the keys a user would press.
#include "platform/forms.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kastrell::testing {

class Later {
public:
    Later() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = windowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KastrellTestLater";
        RegisterClassA(&windowClass);
        window_ = CreateWindowA("KastrellTestLater", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    }
    ~Later() {
        // Actions that no loop ran are dropped.
        MSG message;
        while (PeekMessageA(&message, window_, runMessage, runMessage, PM_REMOVE))
            delete reinterpret_cast<Action*>(message.lParam);
        DestroyWindow(window_);
    }
    Later(const Later&) = delete;
    Later& operator=(const Later&) = delete;

    // Runs the action from the next message loop, after the ones posted before it.
    void post(std::function<void()> action) {
        PostMessageA(window_, runMessage, 0, reinterpret_cast<LPARAM>(new Action(std::move(action))));
    }

private:
    using Action = std::function<void()>;
    static constexpr UINT runMessage = WM_APP + 1;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != runMessage) return DefWindowProcA(hwnd, message, wParam, lParam);
        std::unique_ptr<Action>(reinterpret_cast<Action*>(lParam))->operator()();
        return 0;
    }

    HWND window_ = nullptr;
};

// A key pressed and released on a window (the one that will have the focus),
// queued behind whatever is already posted, as the loop receives it.
inline void postKey(HWND target, WORD key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

// Holds Shift down, as the loop's GetKeyState sees it, while it lives.
class ShiftHeld {
public:
    ShiftHeld() { setShift(0x80); }
    ~ShiftHeld() { setShift(0); }

private:
    static void setShift(BYTE state) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = state;
        SetKeyboardState(keys);
    }
};

// The id of the control that has the focus, 0 for none.
inline int focusedId() { return GetFocus() ? GetDlgCtrlID(GetFocus()) : 0; }

// Where the focus went after each Tab, then after each Shift+Tab.
struct TabWalk {
    std::vector<int> forwards, backwards;
};

// Presses Tab `count` times and then Shift+Tab `count` times through
// Forms::run(), each press on the control focused at that moment as a key
// would be, then calls `closeAll`, which must end the loop.
inline TabWalk walkTabs(Later& later, int count, std::function<void()> closeAll) {
    TabWalk walk;
    std::optional<ShiftHeld> shift;
    int presses = 0;
    std::function<void()> press = [&] {
        if (presses > 0) (presses <= count ? walk.forwards : walk.backwards).push_back(focusedId());
        if (presses == count) shift.emplace();
        if (presses == 2 * count) {
            shift.reset();
            closeAll();
            return;
        }
        ++presses;
        postKey(GetFocus(), VK_TAB);
        later.post(press);
    };
    later.post(press);
    Forms::run();
    return walk;
}

}  // namespace kastrell::testing
