#include "platform/form.h"
#include "platform/forms.h"
#include "tests/platform/window_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace kastrell {
namespace {

using testing::focusedId;
using testing::Later;
using testing::postKey;

// What the test forms did, in order.
std::vector<std::string>& events() {
    static std::vector<std::string> log;
    return log;
}

// Ids 1 and 2 are the ones a dialog manager gives Enter and Esc.
enum { first = 1, second = 2, label = 3, disabled = 4, hidden = 5, tick = 6, text = 7, last = 8 };

constexpr ControlDesign pageControls[] = {
    {.id = first, .kind = ControlKind::Button, .text = "First", .rect = {150, 150, 900, 375}},
    {.id = second, .kind = ControlKind::Button, .text = "Second", .rect = {1200, 150, 900, 375}},
    {.id = label, .kind = ControlKind::Label, .text = "Label", .rect = {150, 600, 900, 255},
     .textColour = RGB(0x12, 0x34, 0x56)},
    {.id = disabled, .kind = ControlKind::Button, .text = "Off", .rect = {1200, 600, 900, 375}, .enabled = false},
    {.id = hidden, .kind = ControlKind::Button, .text = "Hidden", .rect = {2250, 600, 900, 375}, .visible = false},
    {.id = tick, .kind = ControlKind::CheckBox, .text = "Tick", .rect = {150, 1050, 1500, 255}},
    {.id = text, .kind = ControlKind::TextBox, .text = "Long\r\ntext", .rect = {150, 1500, 3000, 900}},
    {.id = last, .kind = ControlKind::Button, .text = "Last", .rect = {150, 2550, 900, 375}},
};
constexpr FormDesign pageDesign{.caption = "Page", .icon = 0, .clientWidth = 3600, .clientHeight = 3000,
                                .controls = pageControls};

// What the test pages take for the system's high-contrast setting.
bool highContrastAnswer = false;
// Set where the events cannot be looked at afterwards: the process exits.
bool destructionOnStderr = false;

void logDestruction(const char* what) {
    events().push_back(what);
    if (destructionOnStderr) std::fprintf(stderr, "%s\n", what);
}

// A page whose buttons log their clicks; Second closes the page and goes on.
class Page : public Form {
public:
    Page() : Form(pageDesign) {}
    ~Page() override { logDestruction("destroyed"); }
    int loads = 0;
    mutable int highContrastAsks = 0;

protected:
    bool highContrastSetting() const override {
        ++highContrastAsks;
        return highContrastAnswer;
    }
    void Form_Load() override {
        ++loads;
        events().push_back("loaded");
    }
    void onClick(int id) override {
        events().push_back("click " + std::to_string(id));
        if (id == second) {
            Forms::close<Page>();
            events().push_back(loaded() ? "still loaded" : "closed");
            events().push_back("returns with " + std::to_string(loads) + " load");
        }
        if (id == tick) setVisible(hidden, checkValue(tick) == 1);
    }
};

constexpr ControlDesign dialogControls[] = {
    {.id = first, .kind = ControlKind::Button, .text = "OK", .rect = {150, 150, 900, 375}},
};
constexpr FormDesign dialogDesign{.caption = "Dialog", .icon = 0, .clientWidth = 1500, .clientHeight = 700,
                                  .controls = dialogControls, .dialog = true};

class Dialog : public Form {
public:
    Dialog() : Form(dialogDesign) {}
    ~Dialog() override { logDestruction("dialog destroyed"); }

protected:
    void onClick(int) override { Forms::close<Dialog>(); }
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        events().clear();
        highContrastAnswer = false;
    }
    void TearDown() override {
        Forms::close<Dialog>();
        Forms::close<Page>();
    }
    // The control's rectangle in client pixels.
    static RECT rectOf(const Form& form, int id) {
        RECT r;
        GetWindowRect(form.control(id), &r);
        MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    Later later_;
};

TEST(TwipsTest, FifteenTwipsAPixelAt96AndTenAt144DotsPerInch) {
    EXPECT_EQ(twipsToPixels(4680, 96), 312);
    EXPECT_EQ(twipsToPixels(3090, 96), 206);
    EXPECT_EQ(twipsToPixels(4680, 144), 468);
    EXPECT_EQ(twipsToPixels(375, 144), 38);  // 37.5 rounds up
}

TEST_F(WindowTest, ControlsAndClientAreaTakeTheirRectanglesInTwips) {
    Page& page = Forms::show<Page>();
    const UINT dpi = page.dpi();
    RECT client;
    GetClientRect(page.hwnd(), &client);
    EXPECT_EQ(client.right, twipsToPixels(3600, dpi));
    EXPECT_EQ(client.bottom, twipsToPixels(3000, dpi));
    for (const ControlDesign& design : pageControls) {
        const RECT r = rectOf(page, design.id);
        EXPECT_EQ(r.left, twipsToPixels(design.rect.left, dpi)) << design.text;
        EXPECT_EQ(r.top, twipsToPixels(design.rect.top, dpi)) << design.text;
        EXPECT_EQ(r.right - r.left, twipsToPixels(design.rect.width, dpi)) << design.text;
        EXPECT_EQ(r.bottom - r.top, twipsToPixels(design.rect.height, dpi)) << design.text;
    }
}

TEST_F(WindowTest, ShowingAgainAfterCloseStartsAfresh) {
    Page& page = Forms::show<Page>();
    EXPECT_EQ(&Forms::show<Page>(), &page) << "one instance at most";
    EXPECT_EQ(focusedId(), first);
    page.click(tick);
    page.setText(label, L"changed");
    ASSERT_TRUE(page.isVisible(hidden));
    Forms::close<Page>();
    EXPECT_EQ(Forms::find<Page>(), nullptr);
    Forms::close<Page>();  // not loaded: nothing happens

    Page& again = Forms::show<Page>();
    EXPECT_EQ(again.loads, 1);
    EXPECT_EQ(again.checkValue(tick), 0);
    EXPECT_FALSE(again.isVisible(hidden));
    EXPECT_EQ(again.text(label), L"Label");
}

TEST_F(WindowTest, FormClosedInItsOwnHandlerLivesUntilTheHandlerReturns) {
    Forms::show<Page>().click(second);
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "click 2", "closed", "returns with 1 load",
                                                   "destroyed"}));
    EXPECT_EQ(Forms::find<Page>(), nullptr);
    EXPECT_FALSE(Forms::anyLoaded());
}

// Whoever destroys the window frees the form with it, at once when none of
// its handlers runs.
TEST_F(WindowTest, FormWhoseWindowIsDestroyedFromOutsideIsFreedWithIt) {
    DestroyWindow(Forms::show<Page>().hwnd());
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "destroyed"}));
    EXPECT_EQ(Forms::find<Page>(), nullptr);
    EXPECT_FALSE(Forms::anyLoaded());
    EXPECT_EQ(Forms::show<Page>().loads, 1) << "shown afresh";
}

// Nothing is left for the end of the process to free: a form loaded when the
// process exits is not destroyed then.
TEST_F(WindowTest, ExitWithAFormLoadedDestroysNothing) {
    EXPECT_EXIT(
        {
            Forms::show<Page>();
            Forms::show<Dialog>();
            destructionOnStderr = true;
            std::fprintf(stderr, "exiting\n");
            std::exit(3);
        },
        ::testing::ExitedWithCode(3), "^exiting\n$");
}

TEST_F(WindowTest, LoopEndsWhenTheLastFormCloses) {
    Forms::show<Page>();
    Forms::show<Dialog>();
    later_.post([] { Forms::close<Page>(); });
    later_.post([] { events().push_back("one left"); });
    later_.post([] { Forms::close<Dialog>(); });
    later_.post([] { events().push_back("after the last"); });
    EXPECT_EQ(Forms::run(), 0);
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "destroyed", "one left", "dialog destroyed"}));
    EXPECT_FALSE(Forms::anyLoaded());
}

TEST_F(WindowTest, CloseCommandClosesTheForm) {
    Page& page = Forms::show<Page>();
    PostMessageA(page.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Forms::run(), 0);
    EXPECT_EQ(Forms::find<Page>(), nullptr);
}

TEST_F(WindowTest, CloseSentFromAnotherThreadEndsTheLoop) {
    HWND window = Forms::show<Page>().hwnd();
    const DWORD loopThread = GetCurrentThreadId();
    std::atomic<bool> ended = false;
    std::thread closer([&] {
        SendMessageA(window, WM_CLOSE, 0, 0);
        // Should the loop sleep on, wake it with a status that fails the test.
        for (int i = 0; i < 50 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!ended) PostThreadMessageA(loopThread, WM_QUIT, 99, 0);
    });
    const int status = Forms::run();
    ended = true;
    closer.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Forms::find<Page>(), nullptr);
}

TEST_F(WindowTest, ModalShowDisablesTheOthersAndReturnsOnlyAfterClose) {
    Page& page = Forms::show<Page>();
    bool checkedInside = false;
    later_.post([&] {
        ASSERT_NE(Forms::find<Dialog>(), nullptr);
        EXPECT_FALSE(IsWindowEnabled(page.hwnd()));
        EXPECT_EQ(GetActiveWindow(), Forms::find<Dialog>()->hwnd());
        page.click(first);  // the page beneath takes no input
        checkedInside = true;
        Forms::find<Dialog>()->click(first);
    });
    Forms::showModal<Dialog>();
    EXPECT_TRUE(checkedInside);
    EXPECT_EQ(Forms::find<Dialog>(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(page.hwnd()));
    EXPECT_EQ(GetActiveWindow(), page.hwnd());
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "dialog destroyed"}));
}

TEST_F(WindowTest, ClosingTheOwnerFromOutsideUnloadsTheModalFormWithIt) {
    HWND page = Forms::show<Page>().hwnd();
    later_.post([&] {
        ASSERT_EQ(GetWindow(Forms::find<Dialog>()->hwnd(), GW_OWNER), page);
        SendMessageA(page, WM_CLOSE, 0, 0);  // destroys the dialog it owns too
        Dialog* dialog = Forms::find<Dialog>();
        if (dialog && dialog->loaded()) Forms::close<Dialog>();  // lest the test wait for ever
    });
    Forms::showModal<Dialog>();
    EXPECT_EQ(Forms::find<Dialog>(), nullptr);
    EXPECT_FALSE(Forms::anyLoaded());
    // The dialog's object outlived its window until its modal loop returned.
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "destroyed", "dialog destroyed"}));
}

// Every control is a Unicode window: what the ANSI code page lacks (Greek and
// Japanese beside Western letters, a character beyond 16 bits) comes back.
TEST_F(WindowTest, WideTextsRoundTripThroughEveryControl) {
    const std::wstring texts[] = {
        L"", L"caf\u00e9", L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", L"\u30dd\u30a4\u30f3\u30bf.cur",
        L"\u8868\u793a \u30bd\u30d5\u30c8", L"\U0001F5B1 mouse", L"a\r\nb",
    };
    Page& page = Forms::show<Page>();
    for (const std::wstring& written : texts) {
        for (int id : {first, label, tick, text}) {
            page.setText(id, written);
            EXPECT_EQ(page.text(id), written) << "control " << id;
        }
    }
}

TEST_F(WindowTest, HighContrastIsAskedAtLoadAndAgainWhenASettingChanges) {
    Page& page = Forms::show<Page>();
    const auto labelColour = [&] {
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageW(page.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(page.control(label)));
        const COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    };
    const COLORREF own = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(labelColour(), own);
    highContrastAnswer = true;
    EXPECT_EQ(labelColour(), own) << "asked at a paint";
    EXPECT_EQ(page.highContrastAsks, 1);

    SendMessageW(page.hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(page.highContrastAsks, 2);
    EXPECT_EQ(labelColour(), GetSysColor(COLOR_BTNTEXT));
    highContrastAnswer = false;
    SendMessageW(page.hwnd(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
    EXPECT_EQ(labelColour(), own);
}

TEST_F(WindowTest, InputQueuedWhileBusyIsDroppedButOtherMessagesStay) {
    Page& page = Forms::show<Page>();
    HWND button = page.control(first);
    // A click and a key that arrived while a handler was busy.
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    postKey(button, VK_SPACE);
    later_.post([] { events().push_back("kept"); });
    later_.post([] { Forms::close<Page>(); });
    Forms::discardPendingInput();
    EXPECT_EQ(Forms::run(), 0);
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "kept", "destroyed"}));
}

TEST_F(WindowTest, TabMovesThroughEnabledShownTabStopsInTableOrder) {
    Forms::show<Page>();
    const testing::TabWalk walk = testing::walkTabs(later_, 5, [] { Forms::close<Page>(); });
    const std::vector<int>& forwards = walk.forwards;
    const std::vector<int>& backwards = walk.backwards;
    // The text box keeps no Tab for itself; labels, disabled and hidden controls are passed over.
    EXPECT_EQ(forwards, (std::vector<int>{second, tick, text, last, first}));
    EXPECT_EQ(backwards, (std::vector<int>{last, text, tick, second, first}));
}

TEST_F(WindowTest, SpacePressesButEnterAndEscDoNothing) {
    Page& page = Forms::show<Page>();
    ASSERT_EQ(focusedId(), first);
    for (WORD key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) postKey(page.control(first), key);
    later_.post([&] { SetFocus(page.control(tick)); });
    postKey(page.control(tick), VK_SPACE);
    later_.post([] { Forms::close<Page>(); });
    Forms::run();
    EXPECT_EQ(events(), (std::vector<std::string>{"loaded", "click 1", "click 6", "destroyed"}));
}

}  // namespace
}  // namespace kastrell
