#include "platform/form.h"

#include "platform/failure.h"
#include "platform/forms.h"
#include "platform/text_decoding.h"

#include <commctrl.h>
#include <windowsx.h>

#include <new>
#include <utility>

namespace kastrell {
namespace {

constexpr const wchar_t* windowClassName = L"KastrellForm";

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

// Registered by the first load, for the process's life.
void registerWindowClassOnce(WNDPROC procedure) {
    static const ATOM registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance();
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = windowClassName;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;
}

DWORD frameStyle(const FormDesign& design) {
    return design.dialog ? WS_POPUP | WS_CAPTION | WS_SYSMENU
                         : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
}

DWORD frameExStyle(const FormDesign& design) {
    return design.dialog ? WS_EX_DLGMODALFRAME : 0;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

// Every control is a Unicode window: an ANSI one would hold its text in the
// code page, losing what the code page lacks.
ControlClass controlClass(ControlKind kind) {
    switch (kind) {
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::Label: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::TextBox:
        return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Picture: return {L"STATIC", SS_ICON | SS_CENTERIMAGE, 0};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
    }
    return {L"STATIC", 0, 0};
}

Font messageFontFor(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    return Font(CreateFontIndirectW(&metrics.lfMessageFont));
}

Font fontFor(const FontDesign& design, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(design.hundredthsOfPoint, static_cast<int>(dpi), 7200);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = design.charset;
    font.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(font.lfFaceName, fromAnsiCodePage(design.face).c_str(), LF_FACESIZE);
    return Font(CreateFontIndirectW(&font));
}

HWND createControl(HWND parent, const ControlDesign& design) {
    const ControlClass kind = controlClass(design.kind);
    DWORD style = WS_CHILD | kind.style;
    if (design.visible) style |= WS_VISIBLE;
    if (!design.enabled) style |= WS_DISABLED;
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id));
    const std::wstring text = fromAnsiCodePage(design.kind == ControlKind::Picture ? "" : design.text);
    return CreateWindowExW(kind.exStyle, kind.name, text.c_str(), style, 0, 0, 0, 0, parent, id, instance(),
                           nullptr);
}

}  // namespace

int twipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

COLORREF textColourShown(COLORREF designed, bool highContrast) {
    return highContrast ? GetSysColor(COLOR_BTNTEXT) : designed;
}

bool highContrastOn() {
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

Form::Busy::~Busy() {
    if (--form_.busy_ == 0 && !form_.ownedByWindow_) delete &form_;
}

HWND Form::control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }

void Form::setText(int id, const std::wstring& text) { SetWindowTextW(control(id), text.c_str()); }

std::wstring Form::text(int id) const {
    HWND window = control(id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Form::setVisible(int id, bool visible) { ShowWindow(control(id), visible ? SW_SHOW : SW_HIDE); }

bool Form::isVisible(int id) const {
    return (GetWindowLongW(control(id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Form::setEnabled(int id, bool enabled) { EnableWindow(control(id), enabled); }

bool Form::isEnabled(int id) const { return control(id) && IsWindowEnabled(control(id)); }

int Form::checkValue(int id) const {
    switch (SendMessageW(control(id), BM_GETCHECK, 0, 0)) {
    case BST_CHECKED: return 1;
    case BST_INDETERMINATE: return 2;
    default: return 0;
    }
}

void Form::setPosition(int id, int position) {
    HWND bar = control(id);
    // A themed bar animates towards a higher position; stepping past it and
    // back makes it show the new position at once.
    const auto maximum = static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
    if (position < maximum) SendMessageW(bar, PBM_SETPOS, position + 1, 0);
    SendMessageW(bar, PBM_SETPOS, position, 0);
    RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int Form::position(int id) const {
    return static_cast<int>(SendMessageW(control(id), PBM_GETPOS, 0, 0));
}

void Form::click(int id) {
    HWND window = control(id);
    // As a user's click: a hidden or disabled control, or a window that a
    // modal window has disabled, takes none.
    if (!window || !IsWindowVisible(window) || !IsWindowEnabled(window) || !IsWindowEnabled(hwnd_)) return;
    SendMessageW(window, BM_CLICK, 0, 0);
}

void Form::load(HWND owner) {
    registerWindowClassOnce(windowProc);
    highContrast_ = highContrastSetting();
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &monitor);

    // Made on the monitor where the user works, so that it takes that monitor's DPI.
    CreateWindowExW(frameExStyle(design_), windowClassName, fromAnsiCodePage(design_.caption).c_str(),
                    frameStyle(design_), monitor.rcWork.left, monitor.rcWork.top, 1, 1, owner, nullptr,
                    instance(), this);
    if (!hwnd_) {
        const std::string subject = "Cannot make the window \"" + std::string(design_.caption) + "\".";
        // With no display or desktop to show it on, the system gives no error number at all.
        if (const DWORD error = GetLastError()) throw systemFailure(error, subject);
        throw Failure(0, "There is no display or desktop to show it on (under Wine: is DISPLAY set?)", subject);
    }
    dpi_ = GetDpiForWindow(hwnd_);

    for (const ControlDesign& design : design_.controls) {
        if (!createControl(hwnd_, design))
            throw systemFailure(GetLastError(), "Cannot make the controls of the window \"" +
                                                    std::string(design_.caption) + "\".");
        if (design.kind == ControlKind::ProgressBar)
            SendMessageW(control(design.id), PBM_SETRANGE32, 0, design.maximum);
    }
    applyLayout();

    // Centred on the work area, the same spot for every page of one size.
    RECT frame{0, 0, twipsToPixels(design_.clientWidth, dpi_), twipsToPixels(design_.clientHeight, dpi_)};
    AdjustWindowRectExForDpi(&frame, frameStyle(design_), FALSE, frameExStyle(design_), dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = monitor.rcWork.left + (monitor.rcWork.right - monitor.rcWork.left - width) / 2;
    const int top = monitor.rcWork.top + (monitor.rcWork.bottom - monitor.rcWork.top - height) / 2;
    SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    Form_Load();
}

void Form::applyLayout() {
    // The controls still draw with the old fonts and icons until they are given
    // new ones, so those are released only at the end.
    Font oldMessageFont = std::move(messageFont_);
    std::vector<Font> oldFonts = std::move(ownFonts_);
    std::vector<Icon> oldIcons = std::move(icons_);
    messageFont_ = messageFontFor(dpi_);
    ownFonts_.clear();
    icons_.clear();
    if (design_.icon) {
        for (const auto& [which, metric] : {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
            HICON icon = keepIcon(design_.icon, GetSystemMetricsForDpi(metric, dpi_));
            SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
        }
    }
    for (const ControlDesign& design : design_.controls) {
        HWND window = control(design.id);
        const Twips& r = design.rect;
        MoveWindow(window, twipsToPixels(r.left, dpi_), twipsToPixels(r.top, dpi_),
                   twipsToPixels(r.width, dpi_), twipsToPixels(r.height, dpi_), TRUE);
        HFONT font = messageFont_.get();
        if (design.font) {
            ownFonts_.push_back(fontFor(*design.font, dpi_));
            font = ownFonts_.back().get();
        }
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (design.kind == ControlKind::Picture && design.icon) {
            HICON icon = keepIcon(design.icon, twipsToPixels(r.width, dpi_));
            SendMessageW(window, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
        }
    }
}

HICON Form::keepIcon(int resource, int size) {
    icons_.emplace_back(static_cast<HICON>(
        LoadImageW(instance(), MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0)));
    return icons_.back().get();
}

void Form::present() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    focusFirstTabStop();
}

void Form::focusFirstTabStop() {
    if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
}

void Form::keepFocusUsable() {
    HWND focus = GetFocus();
    if (!hwnd_ || GetActiveWindow() != hwnd_) return;
    if (!focus || GetParent(focus) != hwnd_ || !IsWindowVisible(focus) || !IsWindowEnabled(focus))
        focusFirstTabStop();
}

void Form::unload() {
    if (!hwnd_) return;
    // Enabled before this window goes, so that activation returns to them.
    enableWhatIDisabled();
    // Not loaded from here on; the window's end may free this object.
    DestroyWindow(std::exchange(hwnd_, nullptr));
}

void Form::enableWhatIDisabled() {
    for (HWND window : disabledByMe_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    disabledByMe_.clear();
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // The one place where handlers are called from the system: no exception
    // may unwind through it, so every one is reported here and ends the program.
    try {
        return route(hwnd, message, wParam, lParam);
    } catch (const Failure& failure) {
        reportAndExit(failure);
    } catch (const std::bad_alloc&) {
        reportAndExit(systemFailure(ERROR_NOT_ENOUGH_MEMORY, "Setup ran out of memory."));
    } catch (const std::exception& error) {
        reportAndExit(Failure(ERROR_INTERNAL_ERROR, systemErrorText(ERROR_INTERNAL_ERROR), error.what()));
    } catch (...) {
        reportAndExit(Failure(ERROR_INTERNAL_ERROR, systemErrorText(ERROR_INTERNAL_ERROR),
                              "Setup met an error it does not know."));
    }
}

LRESULT Form::route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (!Forms::enlist(*form)) return FALSE;  // the window is not made
        form->hwnd_ = hwnd;
        form->ownedByWindow_ = true;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->windowEnded();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    // No handler runs once the form is closing.
    if (!form->loaded()) return DefWindowProcW(hwnd, message, wParam, lParam);
    const Busy busy(*form);
    return form->handle(message, wParam, lParam);
}

void Form::windowEnded() {
    hwnd_ = nullptr;
    ownedByWindow_ = false;
    // Destroyed by someone else (with its owner, say): the windows it
    // disabled come back.
    enableWhatIDisabled();
    Forms::forget(*this);
    if (!busy_) delete this;
}

LRESULT Form::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    switch (message) {
        HANDLE_MSG(hwnd, WM_COMMAND, onCommand);
        HANDLE_MSG(hwnd, WM_CLOSE, onClose);
        HANDLE_MSG(hwnd, WM_ACTIVATE, onActivate);
        HANDLE_MSG(hwnd, WM_CTLCOLORSTATIC, onCtlColor);
    case WM_SETTINGCHANGE:
        onSettingChange();
        break;  // and on to the default handling
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Form::onCommand(HWND, int id, HWND control, UINT notification) {
    if (!control || notification != BN_CLICKED) return;
    onClick(id);
    keepFocusUsable();
}

void Form::onClose(HWND) { Forms::close(*this); }

// The focus goes back where it was when the window is activated again.
void Form::onActivate(HWND, UINT state, HWND, BOOL) {
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && GetParent(focus) == hwnd_) focus_ = focus;
    } else if (focus_ && IsWindow(focus_) && IsWindowVisible(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
    } else {
        focusFirstTabStop();
    }
}

HBRUSH Form::onCtlColor(HWND, HDC dc, HWND control, int) {
    // The system's brush (button face for labels and read-only text boxes);
    // only the text colour may be the design's own.
    const auto brush = reinterpret_cast<HBRUSH>(
        DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    const int id = GetDlgCtrlID(control);
    for (const ControlDesign& design : design_.controls)
        if (design.id == id && design.textColour != CLR_INVALID)
            SetTextColor(dc, textColourShown(design.textColour, highContrast_));
    return brush;
}

// A theme switched meanwhile is honoured: the controls are drawn again when
// high contrast went on or off.
void Form::onSettingChange() {
    const bool highContrast = highContrastSetting();
    if (highContrast == highContrast_) return;
    highContrast_ = highContrast;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::onDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    applyLayout();
}

}  // namespace kastrell
