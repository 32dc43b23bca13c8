#pragma once
// A top-level window built from a design table: its controls, their
// rectangles in twips, initial states and tab order. Loading creates the
// controls and runs Form_Load; unloading destroys them. The Forms registry
// (forms.h) decides when that happens. The object lives with its window: made
// for one loading, it is freed as its window ends (WM_NCDESTROY), or, when one
// of its handlers is running then, as that handler returns. Every window call
// is a wide one: texts are UTF-16 from the script to the screen.
#include "platform/handle.h"

#include <windows.h>

#include <span>
#include <string>
#include <vector>

namespace kastrell {

// A rectangle in twips (1/1440 inch), relative to the client area.
struct Twips {
    int left, top, width, height;
};

// Twips to pixels at the given dots per inch: 15 twips a pixel at 96 dpi.
int twipsToPixels(int twips, UINT dpi);

// The colour a control whose design has its own text colour is drawn in: that
// colour, but the system's button-text colour while high contrast is on, since
// the theme's button face may then be as dark as the design's colour.
COLORREF textColourShown(COLORREF designed, bool highContrast);

// Whether the user has a high-contrast theme on now.
bool highContrastOn();

enum class ControlKind { Button, CheckBox, Label, TextBox, Picture, ProgressBar };

struct FontDesign {
    const char* face;
    int hundredthsOfPoint;
    BYTE charset;
};

struct ControlDesign {
    int id;
    ControlKind kind;
    const char* text = "";
    Twips rect{};
    bool visible = true;
    bool enabled = true;
    int icon = 0;                          // a picture's icon resource
    int maximum = 0;                       // a progress bar's range is 0 to this
    const FontDesign* font = nullptr;      // nullptr: the system's message font
    COLORREF textColour = CLR_INVALID;     // CLR_INVALID: the system's colour
};

struct FormDesign {
    const char* caption;
    int icon;  // resource id; 0 for none
    int clientWidth, clientHeight;  // twips
    std::span<const ControlDesign> controls;  // in tab order
    bool dialog = false;  // a dialog frame without icon or minimise box
};

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool loaded() const { return hwnd_ != nullptr; }
    UINT dpi() const { return dpi_; }
    HWND control(int id) const;

    // Control operations.
    void setText(int id, const std::wstring& text);
    std::wstring text(int id) const;
    void setVisible(int id, bool visible);
    bool isVisible(int id) const;
    void setEnabled(int id, bool enabled);
    bool isEnabled(int id) const;
    int checkValue(int id) const;  // 0 unticked, 1 ticked, 2 greyed
    // Sets a progress bar's position and redraws it before returning.
    void setPosition(int id, int position);
    int position(int id) const;

    // Presses a button or toggles a check box as a click would.
    void click(int id);

protected:
    explicit Form(const FormDesign& design) : design_(design) {}
    // Only the form itself frees it, as its window ends.
    virtual ~Form() = default;

    virtual void Form_Load() {}
    // A shown, enabled button or check box was clicked.
    virtual void onClick(int id) = 0;
    // Whether high contrast is on, asked at load and again when a system
    // setting changes, not at every paint.
    virtual bool highContrastSetting() const { return highContrastOn(); }

private:
    friend class Forms;

    // Held while one of the form's handlers, its loading or its modal loop
    // runs: a window that ends meanwhile leaves the object to be freed as the
    // last one returns.
    class Busy {
    public:
        explicit Busy(Form& form) : form_(form) { ++form_.busy_; }
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Form& form_;
    };

    void load(HWND owner);
    void present();
    void unload();
    void applyLayout();
    // Loads an icon at the given size, owned by this form until the next layout.
    HICON keepIcon(int resource, int size);
    void focusFirstTabStop();
    void keepFocusUsable();

    void enableWhatIDisabled();

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window ends: it lets go of the form, which is freed unless busy.
    void windowEnded();
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(HWND hwnd, int id, HWND control, UINT notification);
    void onClose(HWND hwnd);
    void onActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
    HBRUSH onCtlColor(HWND hwnd, HDC dc, HWND control, int kind);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void onSettingChange();

    const FormDesign& design_;
    HWND hwnd_ = nullptr;             // null once the form is closing
    bool ownedByWindow_ = false;      // from WM_NCCREATE to WM_NCDESTROY
    int busy_ = 0;
    bool highContrast_ = false;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    HWND focus_ = nullptr;            // restored when the window is activated again
    std::vector<HWND> disabledByMe_;  // windows a modal form disabled; enabled as it goes
    Font messageFont_;
    std::vector<Font> ownFonts_;
    std::vector<Icon> icons_;
};

}  // namespace kastrell
