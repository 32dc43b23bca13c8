#include "install/cursor_scheme.h"
#include "install/journal.h"
#include "tests/install/installation_fixture.h"

#include <algorithm>
#include <span>
#include <string>

namespace kastrell {
namespace {

const std::string schemesPath = std::string(cursorKeyPath) + "\\Schemes";
const std::string cursorFolder = "%SYSTEMROOT%\\Cursors\\Kastrell\\";

// REG_EXPAND_SZ as RegQueryValueExA gives it back: the text and one NUL.
StoredValue expandable(const std::string& text) { return {REG_EXPAND_SZ, text + '\0'}; }


TEST(SchemeListTest, HoldsFifteenRolesInFourHundredCharacters) {
    const std::string list = schemeList;
    EXPECT_EQ(list.size(), 400u);
    EXPECT_EQ(std::count(list.begin(), list.end(), ','), 14);
}

TEST_F(InstallationTest, FreshRegistryGetsEveryValueAsWineSeesIt) {
    install();

    const std::string exported = exportedKey(cursorKeyPath);
    const auto cursorValues = exportedValues(exported, cursorKeyPath);
    EXPECT_EQ(cursorValues.at("@"), "\"Kastrell\"");  // REG_SZ, one terminating NUL
    // REG_EXPAND_SZ is hex(2); Wine stores UTF-16, so a single NUL is 00,00.
    EXPECT_EQ(exportedBytes(cursorValues.at("Arrow")), utf16(cursorFolder + "Kastrell.cur") + '\0' + '\0');
    EXPECT_EQ(cursorValues.at("Hand").rfind("hex(2):", 0), 0u);
    // What the system's mouse settings read to take the scheme as a user scheme.
    EXPECT_EQ(cursorValues.at("Scheme Source"), "dword:00000001");
    EXPECT_EQ(cursorValues.size(), 12u);
    const auto schemeValues = exportedValues(exported, schemesPath);
    ASSERT_EQ(schemeValues.count("Kastrell"), 1u);
    const std::string listBytes = exportedBytes(schemeValues.at("Kastrell"));
    EXPECT_EQ(listBytes.size(), 802u);
    EXPECT_EQ(listBytes, utf16(schemeList) + '\0' + '\0');
}

TEST_F(InstallationTest, WritesValuesAndCopiesFilesAndCompletes) {
    install();

    EXPECT_EQ(*storedValue(cursorKeyPath, ""), (StoredValue{REG_SZ, std::string("Kastrell") + '\0'}));
    const Lines script = sampleScript();
    for (int line = 1; line <= 10; ++line) {
        EXPECT_EQ(installed(cursorFileOf(line)), sourceContentOf(line));
        const std::string role = script[line + 9].substr(0, script[line + 9].find('='));
        EXPECT_EQ(*storedValue(cursorKeyPath, role), expandable(cursorFolder + cursorFileOf(line))) << role;
    }
    EXPECT_EQ(*storedValue(schemesPath, "Kastrell"), expandable(schemeList));
    EXPECT_TRUE(page_.completed());
}

TEST_F(InstallationTest, ReportsProgressBeforeEachLineThenCompletes) {
    install();

    Lines expected{"showProgress"};
    for (int step = 1; step <= 20; ++step) expected.push_back("setProgress " + std::to_string(step));
    expected.insert(expected.end(), {"setProgress 24", "setStatus Setup Completed", "ShowCompletedState"});
    EXPECT_PRED_FORMAT2(sameLines, page_.calls, expected);
}

TEST_F(InstallationTest, MakesTheRegistryCallsInOrder) {
    install();

    Lines expected{"RegOpenKeyW Control Panel\\cursors", "RegSetValueW Control Panel\\cursors",
                   // the key was absent: opened again once naming the scheme made it
                   "RegOpenKeyW Control Panel\\cursors", "RegSetValueExW Scheme Source"};
    const Lines script = sampleScript();
    for (const std::string& line : Lines(script.begin() + 10, script.end()))
        expected.push_back("RegSetValueExW " + line.substr(0, line.find('=')));
    expected.insert(expected.end(), {"RegCloseKey", "RegOpenKeyW Control Panel\\cursors\\Schemes",
                                     "RegCreateKeyW Control Panel\\cursors\\Schemes",
                                     "RegSetValueExW Kastrell", "RegCloseKey"});
    EXPECT_PRED_FORMAT2(sameLines, registry_.calls(), expected);
    const FaultyRegistry::Write& source = registry_.writes().front();
    EXPECT_EQ(source.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(source.data, std::string("\1\0\0\0", 4));
    EXPECT_EQ(source.length, 4u);
    for (const FaultyRegistry::Write& write : std::span(registry_.writes()).subspan(1)) {
        EXPECT_EQ(write.type, static_cast<DWORD>(REG_EXPAND_SZ)) << write.name;
        EXPECT_EQ(write.length, write.data.size() + 1) << write.name;  // the NUL counted
    }
}

TEST_F(InstallationTest, ExistingKeysKeepTheirOtherValues) {
    putValue(cursorKeyPath, "Crosshair", REG_SZ, std::string("mine.cur") + '\0');
    putValue(cursorKeyPath, "Arrow", REG_SZ, std::string("old.cur") + '\0');
    putValue(schemesPath, "Other", REG_EXPAND_SZ, std::string("a,b") + '\0');
    putValue(schemesPath, "Kastrell", REG_EXPAND_SZ, std::string("stale") + '\0');
    const DWORD systemScheme = 2;
    putValue(cursorKeyPath, "Scheme Source", REG_DWORD, std::string(reinterpret_cast<const char*>(&systemScheme), 4));

    install();

    EXPECT_EQ(storedValue(cursorKeyPath, "Crosshair")->bytes, std::string("mine.cur") + '\0');
    EXPECT_EQ(*storedValue(cursorKeyPath, "Arrow"), expandable(cursorFolder + "Kastrell.cur"));
    EXPECT_EQ(*storedValue(schemesPath, "Other"), expandable("a,b"));
    EXPECT_EQ(*storedValue(schemesPath, "Kastrell"), expandable(schemeList));
    EXPECT_EQ(exportedValues(exportedKey(cursorKeyPath), cursorKeyPath).at("Scheme Source"), "dword:00000001");
    EXPECT_FALSE(registry_.called("RegCreateKeyW Control Panel\\cursors\\Schemes"));
    // Present from the start, the cursor key is opened only once.
    EXPECT_EQ(std::count(registry_.calls().begin(), registry_.calls().end(),
                         "RegOpenKeyW Control Panel\\cursors"), 1);
}

TEST_F(InstallationTest, SchemeKeyIsMadeUnderAnExistingCursorKey) {
    putValue(cursorKeyPath, "Crosshair", REG_SZ, std::string("mine.cur") + '\0');

    install();

    EXPECT_TRUE(registry_.called("RegCreateKeyW Control Panel\\cursors\\Schemes"));
    EXPECT_EQ(*storedValue(schemesPath, "Kastrell"), expandable(schemeList));
}

TEST_F(InstallationTest, RegistrationLinesTakeEffectInOrderAsSpelled) {
    Lines script = sampleScript();
    script[10] = "Arrow=first.cur";
    script[11] = "ARROW=second.cur";          // same name in another case: the later wins
    script[12] = "=default.cur";              // empty name: the default value
    script[13] = " Wait = spaced=x.cur";      // nothing trimmed, second "=" kept
    writeScript(script);

    install();

    EXPECT_EQ(*storedValue(cursorKeyPath, "arrow"), expandable(cursorFolder + "second.cur"));
    EXPECT_EQ(*storedValue(cursorKeyPath, ""), expandable(cursorFolder + "default.cur"));
    EXPECT_EQ(*storedValue(cursorKeyPath, " Wait "), expandable(cursorFolder + " spaced=x.cur"));
    EXPECT_FALSE(storedValue(cursorKeyPath, "Wait"));
}

// Names next to refused ones that are fine, each installed on its own: the
// copy lands under the name Windows stores, the value names the file.
TEST_F(InstallationTest, LookAlikesOfRefusedNamesAreInstalled) {
    const auto ansi = [](const std::wstring& text) {
        char bytes[64] = "";
        const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
        return std::string(bytes, size > 0 ? size - 1 : 0);
    };
    const struct {
        int line;
        std::string text;
        std::string file;  // as stored: in the folder (copy lines) or in the value (registration lines)
    } rows[] = {
        {1, "source1.cur=COM10.cur", "COM10.cur"},
        {2, "source2.cur=CONSOLE.cur", "CONSOLE.cur"},
        {3, "source3.cur=LPT.cur", "LPT.cur"},
        {4, "source4.cur=NULL.ani", "NULL.ani"},
        {5, "source5.cur=xAUX.cur", "xAUX.cur"},
        {6, "source6.cur=com1x.cur", "com1x.cur"},
        {7, "source7.cur=" + ansi(L"LPT\u00B4.cur"), ansi(L"LPT\u00B4.cur")},  // an accent, not a superscript
        {8, "source8.cur=vad2 b.cur", "vad2 b.cur"},                          // a space is no control character
        {9, "source9.cur=" + ansi(L"kr\u00F6t.cur"), ansi(L"kr\u00F6t.cur")},
        {10, "source10.cur=pamu.cur. .", "pamu.cur"},
        {1, "subfolder\\nested.cur=Kastrell.cur", "Kastrell.cur"},
        {11, "Arrow=x.CUR", "x.CUR"},
        {12, "Help=y.Ani", "y.Ani"},
        {13, "AppStarting=CONIN.cur", "CONIN.cur"},
        {14, std::string(16383, 'N') + "=zun.cur", "zun.cur"},  // the longest value name
    };
    CreateDirectoryA(folder_.path("subfolder").c_str(), nullptr);
    folder_.write("subfolder\\nested.cur", sourceContentOf(1));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 40));
        Lines script = sampleScript();
        script[row.line - 1] = row.text;
        writeScript(script);

        install();

        ASSERT_TRUE(page_.completed());
        if (row.line <= 10) {
            EXPECT_EQ(installed(row.file), sourceContentOf(row.line));
        } else {
            const auto value = storedValue(cursorKeyPath, row.text.substr(0, row.text.find('=')));
            ASSERT_TRUE(value);
            EXPECT_EQ(*value, expandable(cursorFolder + row.file));
        }
    }
}

// The 20 lines may take 1 MiB, up to the last line's LF.
TEST_F(InstallationTest, ScriptOfExactlyTheBoundIsInstalled) {
    Lines script = sampleScript();
    fillTo(script, 1 << 20);
    writeScript(script);

    install();

    EXPECT_TRUE(page_.completed());
}

TEST_F(InstallationTest, LinesAfterTheTwentiethAreNeverRead) {
    Lines script = sampleScript();
    script.push_back("no separator here");
    script.push_back("Extra=extra.cur");
    writeScript(script);

    install();

    EXPECT_FALSE(storedValue(cursorKeyPath, "Extra"));
    EXPECT_TRUE(page_.completed());
}

TEST_F(InstallationTest, ExistingFolderKeepsOtherFilesAndCopiesReplace) {
    CreateDirectoryA(destination().c_str(), nullptr);
    folder_.write("Kastrell\\mine.cur", "keep me");
    folder_.write("Kastrell\\zun.cur", "old copy");
    Lines script = sampleScript();
    script[1] = "source2.cur=same.cur";
    script[2] = "source3.cur=same.cur";  // the later copy replaces the earlier one
    writeScript(script);

    install();

    EXPECT_EQ(installed("mine.cur"), "keep me");
    EXPECT_EQ(installed("zun.cur"), sourceContentOf(4));
    EXPECT_EQ(installed("same.cur"), sourceContentOf(3));
    for (const auto& [name, bytes] : folderContents()) EXPECT_FALSE(isKeptCopyName(name)) << name;
}

TEST_F(InstallationTest, SecondInstallationReplacesTheFirstCopies) {
    install();
    folder_.write("source1.cur", "redrawn");

    install();

    EXPECT_EQ(installed("Kastrell.cur"), "redrawn");
    EXPECT_EQ(*storedValue(schemesPath, "Kastrell"), expandable(schemeList));
}

}  // namespace
}  // namespace kastrell
