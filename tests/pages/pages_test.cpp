#include "install/page_operations.h"
#include "pages/form1.h"
#include "pages/form2.h"
#include "pages/form3.h"
#include "platform/failure.h"
#include "platform/forms.h"
#include "platform/held_folder.h"
#include "tests/platform/window_driver.h"
#include "tests/support/temp_folder.h"
#include "tests/support/unix_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <string>
#include <vector>

namespace kastrell {
namespace {

using testing::Later;

// Top-level windows made and destroyed, in order, by their captions.
std::vector<std::string>& windowEvents() {
    static std::vector<std::string> log;
    return log;
}

LRESULT CALLBACK recordTopLevel(int code, WPARAM wParam, LPARAM lParam) {
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        if (!(create->style & WS_CHILD) && create->lpszName && !IS_INTRESOURCE(create->lpszName))
            windowEvents().push_back(std::string("made ") + create->lpszName);
    } else if (code == HCBT_DESTROYWND && !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) {
        char caption[64] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (*caption) windowEvents().push_back(std::string("destroyed ") + caption);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The bytes of `text` in UTF-16 after its byte-order mark.
std::string utf16(const std::wstring& text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const wchar_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The pages run with a licence file in a fresh current directory.
class PagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetCurrentDirectoryA(MAX_PATH, previousDirectory_);
        SetCurrentDirectoryA(folder_.path().c_str());
        holdStartFolder();
        writeLicence("Terms\r\nof use\r\n");
    }
    void TearDown() override {
        Forms::close<Form2>();
        Forms::close<Form1>();
        Forms::close<Form3>();
        SetCurrentDirectoryA(previousDirectory_);
        holdStartFolder();  // lets the temporary folder go
    }
    void writeLicence(const std::string& bytes) { folder_.write("file11.c", bytes); }

    // Read with the wide call, as the box was filled.
    static std::wstring licenceShown() {
        HWND box = Forms::find<Form3>()->control(Form3::licence);
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    static void expectFreshInstallPage(const Form1& page) {
        EXPECT_FALSE(page.isVisible(Form1::progress));
        EXPECT_EQ(page.position(Form1::progress), 0);
        EXPECT_EQ(page.text(Form1::Label1), "");
        EXPECT_TRUE(page.isVisible(Form1::install));
        EXPECT_FALSE(page.isVisible(Form1::Finish));
        EXPECT_TRUE(page.isVisible(Form1::back));
        EXPECT_TRUE(page.isEnabled(Form1::bcancel1));
    }

    // Opens the exit dialog from a page's Cancel and lets `answer` act in it.
    void cancelAndAnswer(Form& page, int cancel, std::function<void(Form2&)> answer) {
        later_.post([&] {
            Form2* dialog = Forms::find<Form2>();
            ASSERT_NE(dialog, nullptr);
            EXPECT_FALSE(IsWindowEnabled(page.hwnd())) << "the page beneath takes no input";
            answer(*dialog);
        });
        page.click(cancel);
        EXPECT_EQ(Forms::find<Form2>(), nullptr);
    }

    TempFolder folder_;
    Later later_;

private:
    char previousDirectory_[MAX_PATH] = "";
};

TEST_F(PagesTest, InstallPageLoadsReady) {
    Form1& page = Forms::show<Form1>();
    expectFreshInstallPage(page);
    EXPECT_NE(SendMessageA(page.hwnd(), WM_GETICON, ICON_BIG, 0), 0);
    for (int picture : {Form1::Image1, Form1::Image2, Form1::Image3, Form1::Image4})
        EXPECT_NE(SendMessageA(page.control(picture), STM_GETIMAGE, IMAGE_ICON, 0), 0) << picture;
    EXPECT_EQ(testing::focusedId(), Form1::back);
}

TEST_F(PagesTest, NoticeUsesItsOwnFontAndTheRestTheMessageFont) {
    Form1& page = Forms::show<Form1>();
    LOGFONTA notice{}, button{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(page.control(Form1::Label2), WM_GETFONT, 0, 0)),
               sizeof notice, &notice);
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(page.control(Form1::back), WM_GETFONT, 0, 0)),
               sizeof button, &button);
    EXPECT_STREQ(notice.lfFaceName, "Times New Roman");
    EXPECT_EQ(notice.lfCharSet, 204);
    EXPECT_EQ(notice.lfHeight, -MulDiv(1425, static_cast<int>(page.dpi()), 7200));
    EXPECT_EQ(notice.lfWeight, FW_NORMAL);
    EXPECT_STRNE(button.lfFaceName, "System");
    EXPECT_STRNE(button.lfFaceName, "");
}

TEST_F(PagesTest, NoticeTakesTheButtonTextColourWhileHighContrastIsOn) {
    // Wine cannot switch high contrast on, so the rule is checked for both
    // states (with a colour unlike any system one), and the page's paint for
    // the state the system reports.
    const COLORREF own = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(textColourShown(own, false), own);
    EXPECT_EQ(textColourShown(own, true), GetSysColor(COLOR_BTNTEXT));

    Form1& page = Forms::show<Form1>();
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageA(page.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(page.control(Form1::Label2)));
    EXPECT_EQ(GetTextColor(dc), textColourShown(RGB(0, 0, 0), highContrastOn())) << "the design's black";
    DeleteDC(dc);
}

TEST_F(PagesTest, FinishedStateLeavesOnlyFinish) {
    Form1& page = Forms::show<Form1>();
    PageOperations& operations = page;
    operations.showProgress();
    operations.setProgress(24);
    operations.setStatus("Setup Completed");
    operations.ShowCompletedState();
    EXPECT_TRUE(page.isVisible(Form1::progress));
    EXPECT_EQ(page.position(Form1::progress), 24);
    EXPECT_EQ(page.text(Form1::Label1), "Setup Completed");
    EXPECT_FALSE(page.isVisible(Form1::back));
    EXPECT_TRUE(page.isVisible(Form1::bcancel1));
    EXPECT_FALSE(page.isEnabled(Form1::bcancel1));
    EXPECT_FALSE(page.isVisible(Form1::install));
    EXPECT_TRUE(page.isVisible(Form1::Finish));

    page.click(Form1::bcancel1);  // disabled: no dialog
    EXPECT_EQ(Forms::find<Form2>(), nullptr);
    page.click(Form1::Finish);
    EXPECT_FALSE(Forms::anyLoaded());
    EXPECT_EQ(Forms::run(), 0);
}

TEST_F(PagesTest, LicenceLinesRunOnWithNothingBetween) {
    struct Case {
        std::string file;
        std::wstring shown;
        int lines = 1;
    };
    // Decoded before the lines are split: "č" is the bytes 0D 01 in UTF-16 LE.
    const Case cases[] = {
        {"abc\r\ndef", L"abcdef"},
        {"abc\rdef\r", L"abcdef"},
        {"abc\r\ndef\r\n", L"abcdef"},
        {"", L""},
        {"Лицен\r\nзия", L"Лицензия"},                    // UTF-8
        {"\xEF\xBB\xBFЛицен\r\nзия\r\n", L"Лицензия"},    // UTF-8 with its mark
        {utf16(L"Лицен\r\nзия č\r"), L"Лицензия č"},      // UTF-16 LE
        {utf16(L"Лицен\r\nзия č", true), L"Лицензия č"},  // UTF-16 BE
        {utf16(L"Лиц\nен\r\nзия"), L"Лиц\r\nензия", 2},   // a lone LF stays
        {"caf\xE9\r\n au lait", L"café au lait"},         // not UTF-8: the ANSI code page
    };
    for (const Case& c : cases) {
        writeLicence(c.file);
        Forms::show<Form3>();
        EXPECT_EQ(licenceShown(), c.shown) << ::testing::PrintToString(c.file);
        EXPECT_EQ(SendMessageA(Forms::find<Form3>()->control(Form3::licence), EM_GETLINECOUNT, 0, 0), c.lines);
        Forms::close<Form3>();
    }
}

TEST_F(PagesTest, LineFeedLeftInTheLicenceIsALineBreak) {
    writeLicence("abc\ndef\r\nghi\n");
    Form3& page = Forms::show<Form3>();
    EXPECT_EQ(licenceShown(), L"abc\r\ndefghi\r\n");
    EXPECT_EQ(SendMessageA(page.control(Form3::licence), EM_GETLINECOUNT, 0, 0), 3);
}

TEST_F(PagesTest, LicencePageLoadsWithNextClosed) {
    Form3& page = Forms::show<Form3>();
    EXPECT_EQ(licenceShown(), L"Termsof use");
    EXPECT_FALSE(page.isEnabled(Form3::bnext));
    EXPECT_EQ(page.checkValue(Form3::Check1), 0);
    const LONG style = GetWindowLongA(page.control(Form3::licence), GWL_STYLE);
    EXPECT_EQ(style & (ES_READONLY | ES_MULTILINE | WS_VSCROLL | ES_AUTOHSCROLL),
              ES_READONLY | ES_MULTILINE | WS_VSCROLL) << "read-only, wrapping, scrolling";
    EXPECT_TRUE(IsWindowUnicode(page.control(Form3::licence)))
        << "Windows keeps an ANSI edit control's text in the code page";
    EXPECT_NE(SendMessageA(page.control(Form3::Image1), STM_GETIMAGE, IMAGE_ICON, 0), 0);
    EXPECT_EQ(testing::focusedId(), Form3::Command2) << "Next is disabled";
}

// The licence is shown with administrator rights: it is read as a copy
// source is, from the held folder, and only a plain file inside it.
TEST_F(PagesTest, LicenceThatIsMissingOrNoPlainFileFailsNamingTheFileAndShowsNoPage) {
    TempFolder outside;
    outside.write("secret.txt", "an administrator's secret");
    const std::string folder = folder_.path().substr(0, folder_.path().size() - 1);
    const struct {
        const char* name;
        std::function<void()> make;
        unsigned long number;
        std::string why;
    } cases[] = {
        {"missing", [] {}, ERROR_FILE_NOT_FOUND, "It cannot be found."},
        {"a link to a file outside",
         [&] { runUnixCommand("/bin/ln", {"-s", unixPathOf(outside.path("secret.txt")), "file11.c"}); },
         ERROR_ACCESS_DENIED, "It leads outside the folder"},
        {"a folder", [&] { CreateDirectoryA(folder_.path("file11.c").c_str(), nullptr); }, ERROR_ACCESS_DENIED,
         "It is a folder, not a file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(folder_.path("file11.c").c_str());
        c.make();
        try {
            Forms::show<Form3>();
            ADD_FAILURE() << "loaded";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), c.number);
            EXPECT_NE(failure.subject().find("\"file11.c\" cannot be read in the folder \"" + folder + "\". " + c.why),
                      std::string::npos) << failure.subject();
        }
        EXPECT_FALSE(Forms::anyLoaded());
        runUnixCommand("/bin/rm", {"-rf", "file11.c"});
    }
}

// One paragraph up to the limit still comes up at once; a larger licence is
// reported without being read whole.
TEST_F(PagesTest, LicenceIsShownUpToItsLimitAndALargerOneIsRefused) {
    std::string paragraph;
    while (paragraph.size() < 16 * 1024) paragraph += "Terms of use, on and on without a break.\r";
    paragraph.resize(16 * 1024);
    writeLicence(paragraph);
    const ULONGLONG start = GetTickCount64();
    Forms::show<Form3>();
    EXPECT_LT(GetTickCount64() - start, 5000u);
    EXPECT_EQ(licenceShown().size(), paragraph.size() - std::count(paragraph.begin(), paragraph.end(), '\r'));
    Forms::close<Form3>();

    writeLicence(std::string(20 << 20, 'x'));
    try {
        Forms::show<Form3>();
        FAIL() << "loaded a 20 MiB licence";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), static_cast<unsigned long>(ERROR_INVALID_DATA));
        EXPECT_NE(failure.subject().find("\"file11.c\" in the folder"), std::string::npos) << failure.subject();
        EXPECT_NE(failure.subject().find("larger than 16384 bytes"), std::string::npos) << failure.subject();
    }
    EXPECT_FALSE(Forms::anyLoaded());
}

TEST_F(PagesTest, NextFollowsTheTick) {
    Form3& page = Forms::show<Form3>();
    for (int expected : {1, 0, 1}) {
        page.click(Form3::Check1);
        EXPECT_EQ(page.checkValue(Form3::Check1), expected);
        EXPECT_EQ(page.isEnabled(Form3::bnext), expected == 1);
    }
}

TEST_F(PagesTest, NextShowsTheInstallPageThenClosesTheLicencePage) {
    Form3& page = Forms::show<Form3>();
    page.click(Form3::Check1);
    windowEvents().clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, recordTopLevel, nullptr, GetCurrentThreadId());
    page.click(Form3::bnext);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(windowEvents(), (std::vector<std::string>{"made Talven's Mouse", "destroyed Form3"}));
    EXPECT_EQ(Forms::find<Form3>(), nullptr);
    ASSERT_NE(Forms::find<Form1>(), nullptr);
    expectFreshInstallPage(*Forms::find<Form1>());
}

TEST_F(PagesTest, BackThenNextGivesFreshPages) {
    Form1& first = Forms::show<Form1>();
    static_cast<PageOperations&>(first).showProgress();
    static_cast<PageOperations&>(first).setStatus("copying");
    first.click(Form1::back);
    EXPECT_EQ(Forms::find<Form1>(), nullptr);
    Form3* licence = Forms::find<Form3>();
    ASSERT_NE(licence, nullptr);
    EXPECT_EQ(licence->checkValue(Form3::Check1), 0);
    EXPECT_FALSE(licence->isEnabled(Form3::bnext));

    licence->click(Form3::Check1);
    licence->click(Form3::bnext);
    EXPECT_EQ(Forms::find<Form3>(), nullptr);
    ASSERT_NE(Forms::find<Form1>(), nullptr);
    expectFreshInstallPage(*Forms::find<Form1>());
}

TEST_F(PagesTest, TabFollowsEachTablesOrder) {
    using Ids = std::vector<int>;
    auto closeAll = [] {
        Forms::close<Form2>();
        Forms::close<Form1>();
        Forms::close<Form3>();
    };
    Forms::show<Form1>();
    testing::TabWalk walk = testing::walkTabs(later_, 3, closeAll);
    EXPECT_EQ(walk.forwards, (Ids{Form1::bcancel1, Form1::install, Form1::back}));
    EXPECT_EQ(walk.backwards, (Ids{Form1::install, Form1::bcancel1, Form1::back}));

    Form3& licence = Forms::show<Form3>();
    testing::postKey(licence.control(Form3::Check1), VK_SPACE);  // ticks it: Next opens
    later_.post([&] { SetFocus(licence.control(Form3::bnext)); });
    walk = testing::walkTabs(later_, 4, closeAll);
    EXPECT_EQ(walk.forwards, (Ids{Form3::Command2, Form3::Check1, Form3::licence, Form3::bnext}));
    EXPECT_EQ(walk.backwards, (Ids{Form3::licence, Form3::Check1, Form3::Command2, Form3::bnext}));

    Forms::show<Form2>();
    walk = testing::walkTabs(later_, 2, closeAll);
    EXPECT_EQ(walk.forwards, (Ids{Form2::No, Form2::Yes}));
    EXPECT_EQ(walk.backwards, (Ids{Form2::No, Form2::Yes}));
}

TEST_F(PagesTest, ExitDialogAsksTheQuestion) {
    Form3& page = Forms::show<Form3>();
    cancelAndAnswer(page, Form3::Command2, [](Form2& dialog) {
        EXPECT_EQ(dialog.text(Form2::Label1),
                  "   Are you sure you want to exit setup ?\r\nTo exit click 'Yes' to Resume click 'No' ");
        EXPECT_EQ(testing::focusedId(), Form2::Yes);
        dialog.click(Form2::No);
    });
}

TEST_F(PagesTest, NoLeavesTheLicencePageAsItWas) {
    Form3& page = Forms::show<Form3>();
    page.click(Form3::Check1);
    writeLicence("changed");
    cancelAndAnswer(page, Form3::Command2, [](Form2& dialog) { dialog.click(Form2::No); });
    EXPECT_EQ(Forms::find<Form3>(), &page);
    EXPECT_TRUE(IsWindowEnabled(page.hwnd()));
    EXPECT_EQ(page.checkValue(Form3::Check1), 1);
    EXPECT_TRUE(page.isEnabled(Form3::bnext));
    EXPECT_EQ(licenceShown(), L"Termsof use") << "not read again when the dialog closes";

    Forms::close<Form3>();
    Forms::show<Form3>();
    EXPECT_EQ(licenceShown(), L"changed") << "read again when the page loads";
}

TEST_F(PagesTest, NoLeavesTheInstallPageAsItWas) {
    Form1& page = Forms::show<Form1>();
    cancelAndAnswer(page, Form1::bcancel1, [](Form2& dialog) { dialog.click(Form2::No); });
    EXPECT_EQ(Forms::find<Form1>(), &page);
    EXPECT_TRUE(IsWindowEnabled(page.hwnd()));
    expectFreshInstallPage(page);
}

TEST_F(PagesTest, DialogCloseCommandActsAsNo) {
    Form3& page = Forms::show<Form3>();
    page.click(Form3::Check1);
    cancelAndAnswer(page, Form3::Command2,
                    [](Form2& dialog) { PostMessageA(dialog.hwnd(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(Forms::find<Form3>(), &page);
    EXPECT_TRUE(page.isEnabled(Form3::bnext));
}

TEST_F(PagesTest, YesEndsTheProgramFromEitherPage) {
    Form3& licence = Forms::show<Form3>();
    cancelAndAnswer(licence, Form3::Command2, [](Form2& dialog) { dialog.click(Form2::Yes); });
    EXPECT_FALSE(Forms::anyLoaded());
    EXPECT_EQ(Forms::run(), 0);

    Form1& install = Forms::show<Form1>();
    cancelAndAnswer(install, Form1::bcancel1, [](Form2& dialog) { dialog.click(Form2::Yes); });
    EXPECT_FALSE(Forms::anyLoaded());
    EXPECT_EQ(Forms::run(), 0);
}

}  // namespace
}  // namespace kastrell
