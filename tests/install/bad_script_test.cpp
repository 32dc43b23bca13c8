// Scripts that the check before any change refuses: each is reported with
// what is wrong and where, and leaves files and registry exactly as they were.
#include "install/cursor_scheme.h"
#include "platform/handle.h"
#include "platform/source_file.h"
#include "tests/install/installation_fixture.h"

#include <cctype>
#include <functional>
#include <utility>

namespace kastrell {
namespace {

struct BadScript {
    const char* name;
    std::function<void(Lines&)> change;  // applied to the sample script
    unsigned long number;
    std::vector<std::string> mentioned;  // fragments of the report's subject
    std::string lineEnd = "\r\n";
    std::uint64_t hugeSourceSize = 0;  // the size of "huge.cur", made sparse
};

void PrintTo(const BadScript& bad, std::ostream* out) { *out << bad.name; }

std::string equalsAt(std::size_t position) { return std::string(position - 1, 'A') + "=x.cur"; }

const BadScript badScripts[] = {
    {"NineteenLines", [](Lines& s) { s.pop_back(); }, ERROR_HANDLE_EOF,
     {"install.txt has 19 line(s); it needs 20"}},
    {"Empty", [](Lines& s) { s.clear(); }, ERROR_HANDLE_EOF, {"install.txt has 0 line(s)"}},
    {"BlankLine", [](Lines& s) { s[4] = ""; }, ERROR_INVALID_DATA,
     {"install.txt, line 5: \"\" has no \"=\"."}},
    {"NoEquals", [](Lines& s) { s[13] = "Wait zun.cur"; }, ERROR_INVALID_DATA,
     {"install.txt, line 14: \"Wait zun.cur\" has no \"=\"."}},
    {"EqualsAt32767", [](Lines& s) { s[11] = equalsAt(32767); }, ERROR_ARITHMETIC_OVERFLOW,
     {"line 12: \"AAAAAAAA", "...\"", "position 32767"}},
    {"EqualsAt40000", [](Lines& s) { s[0] = equalsAt(40000); }, ERROR_ARITHMETIC_OVERFLOW,
     {"line 1:", "position 40000"}},
    {"LineFeedsAlone", [](Lines&) {}, ERROR_INVALID_DATA,
     {"line 1: \"source1.cur=Kastrell.cur\\x0Asource2", "lines must end in CR or CR LF"}, "\n"},
    {"EmptySource", [](Lines& s) { s[0] = "=Kastrell.cur"; }, ERROR_INVALID_DATA,
     {"line 1: \"=Kastrell.cur\" has no source file"}},
    {"EmptyDestination", [](Lines& s) { s[1] = "source2.cur="; }, ERROR_INVALID_NAME,
     {"line 2: \"source2.cur=\" has no file name"}},
    {"DestinationUpwards", [](Lines& s) { s[2] = "source3.cur=..\\..\\system32\\x.dll"; },
     ERROR_INVALID_NAME, {"line 3:", "plain file name"}},
    {"DestinationSlash", [](Lines& s) { s[3] = "source4.cur=sub/zun.cur"; }, ERROR_INVALID_NAME,
     {"line 4:", "plain file name"}},
    {"DestinationDrive", [](Lines& s) { s[4] = "source5.cur=c:lonat.cur"; }, ERROR_INVALID_NAME,
     {"line 5:", "plain file name"}},
    {"DestinationDotDot", [](Lines& s) { s[5] = "source6.cur=.."; }, ERROR_INVALID_NAME,
     {"line 6:", "a folder, not a file name"}},
    {"DestinationDot", [](Lines& s) { s[6] = "source7.cur=."; }, ERROR_INVALID_NAME,
     {"line 7:", "a folder, not a file name"}},
    {"DestinationControlCharacter", [](Lines& s) { s[7] = "source8.cur=vad2\tcur"; },
     ERROR_INVALID_NAME, {"line 8: \"source8.cur=vad2\\x09cur\"", "control character"}},
    {"DestinationWildcard", [](Lines& s) { s[8] = "source9.cur=krot*.cur"; }, ERROR_INVALID_NAME,
     {"line 9:", "cannot hold"}},
    {"ValueNameTooLong", [](Lines& s) { s[14] = std::string(16384, 'N') + "=lonat.cur"; },
     ERROR_INVALID_NAME, {"line 15:", "longer than 16383 characters"}},
    // Sources lie inside the current folder: the names alone give these away.
    {"SourceAbsolute", [](Lines& s) { s[0] = "C:\\windows\\win.ini=Kastrell.cur"; }, ERROR_INVALID_NAME,
     {"line 1:", "drive or stream", "lie in this folder"}},
    {"SourceUnixTree", [](Lines& s) { s[1] = "Z:\\etc\\passwd=qilo.cur"; }, ERROR_INVALID_NAME, {"line 2:", "drive"}},
    {"SourceRooted", [](Lines& s) { s[2] = "\\windows\\win.ini=tervox.cur"; }, ERROR_INVALID_NAME,
     {"line 3:", "from a root"}},
    {"SourceLongPath", [](Lines& s) { s[3] = "\\\\?\\C:\\windows\\win.ini=zun.cur"; }, ERROR_INVALID_NAME,
     {"line 4:", "drive"}},
    {"SourceDevicePath", [](Lines& s) { s[4] = "\\\\.\\pipe\\x=lonat.cur"; }, ERROR_INVALID_NAME,
     {"line 5:", "from a root"}},
    {"SourceShare", [](Lines& s) { s[5] = "//server/share/x.cur=brin.cur"; }, ERROR_INVALID_NAME,
     {"line 6:", "from a root"}},
    {"SourceParent", [](Lines& s) { s[6] = "..\\..\\secret.txt=vad1.cur"; }, ERROR_INVALID_NAME,
     {"line 7:", "the part \"..\""}},
    {"SourceParentWithinAPath", [](Lines& s) { s[7] = "subfolder\\..\\..\\x.cur=vad2.cur"; }, ERROR_INVALID_NAME,
     {"line 8:", "the part \"..\""}},
    {"SourceStream", [](Lines& s) { s[8] = "source9.cur:hidden=krot.cur"; }, ERROR_INVALID_NAME, {"line 9:", "stream"}},
    {"SourceDevice", [](Lines& s) { s[9] = "subfolder\\nul.cur=pamu.cur"; }, ERROR_INVALID_NAME,
     {"line 10:", "the device \"nul.cur\""}},
    // Destinations and registered names are cursor files, as Windows stores the name.
    {"DestinationProgram", [](Lines& s) { s[0] = "source1.cur=evil.exe"; }, ERROR_INVALID_NAME,
     {"line 1:", "\"evil.exe\"", "only cursor files"}},
    {"DestinationLibraryBehindADot", [](Lines& s) { s[1] = "source2.cur=evil.dll."; }, ERROR_INVALID_NAME,
     {"line 2:", "only cursor files"}},
    {"DestinationKeptCopyBehindASpace", [](Lines& s) { s[2] = "source3.cur=zun.cur.kastrell-previous "; },
     ERROR_INVALID_NAME, {"line 3:", "keeps for earlier copies"}},
    {"DestinationDevice", [](Lines& s) { s[3] = "source4.cur=CON.cur"; }, ERROR_INVALID_NAME,
     {"line 4:", "the device \"CON.cur\""}},
    {"RegisteredUpwards", [](Lines& s) { s[12] = "Wait=..\\..\\..\\Users\\Public\\evil.cur"; },
     ERROR_INVALID_NAME, {"line 13:", "plain file name"}},
    {"RegisteredProgram", [](Lines& s) { s[13] = "Wait=evil.exe"; }, ERROR_INVALID_NAME,
     {"line 14:", "only cursor files"}},
    // Only the part that is used is read, up to a bound, whatever follows.
    {"HugeFirstLine", [](Lines& s) { s[0] = std::string(3 << 20, 'A') + "=Kastrell.cur"; }, ERROR_INVALID_DATA,
     {"install.txt: its 20 lines take more than 1048576 bytes"}},
    {"MissingSource", [](Lines& s) { s[9] = "absent.cur=pamu.cur"; }, ERROR_FILE_NOT_FOUND,
     {"line 10:", "\"absent.cur\", which cannot be found"}},
    {"SourceIsAFolder", [](Lines& s) { s[9] = "subfolder=pamu.cur"; }, ERROR_ACCESS_DENIED,
     {"line 10:", "It is a folder, not a file."}},
    // No cursor comes near 64 MiB; a larger file is not copied at all.
    {"SourceOverTheLimit", [](Lines& s) { s[9] = "huge.cur=pamu.cur"; }, ERROR_INVALID_DATA,
     {"line 10:", "\"huge.cur\"", "67108865 bytes", "(64 MiB)"}, "\r\n", sourceSizeLimit + 1},
    // The 20 lines, CR LF each, take one byte more than 1 MiB: the last
    // line's CR is past the bound.
    {"LastLineEndPastTheBound", [](Lines& s) { fillTo(s, (1 << 20) + 2); }, ERROR_INVALID_DATA,
     {"install.txt: its 20 lines take more than 1048576 bytes"}},
};

// A file of that size that takes no room on the disk.
void makeSparseFile(const std::string& path, std::uint64_t size) {
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    ASSERT_TRUE(file && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
}

class BadScriptTest : public InstallationTest, public ::testing::WithParamInterface<BadScript> {
protected:
    BadScriptTest() {
        // A system with a scheme already in use, to be left exactly so.
        putValue(cursorKeyPath, "", REG_SZ, std::string("Previous") + '\0');
        putValue(cursorKeyPath, "Arrow", REG_EXPAND_SZ, std::string("old.cur") + '\0');
        putValue(std::string(cursorKeyPath) + "\\Schemes", "Previous", REG_EXPAND_SZ, std::string("a,b") + '\0');
    }

    void expectRefusedWithoutChange(unsigned long number, const std::vector<std::string>& mentioned) {
        const auto filesBefore = folderContents();
        const std::string registryBefore = registrySnapshot(cursorKeyPath);
        ASSERT_NE(registryBefore.find("Previous"), std::string::npos);

        const Failure failure = installFailure();

        EXPECT_EQ(failure.number(), number);
        EXPECT_EQ(failure.description(), systemErrorText(number));
        for (const std::string& fragment : mentioned)
            EXPECT_NE(failure.subject().find(fragment), std::string::npos)
                << "\"" << fragment << "\" not in: " << failure.subject();
        EXPECT_LE(failure.subject().size(), 300u);
        EXPECT_EQ(folderContents(), filesBefore);
        EXPECT_EQ(registrySnapshot(cursorKeyPath), registryBefore);
        EXPECT_TRUE(registry_.calls().empty());
        EXPECT_PRED_FORMAT2(sameLines, page_.calls, Lines{"showProgress"});
    }
};

TEST_P(BadScriptTest, IsRefusedBeforeAnyChange) {
    Lines script = sampleScript();
    GetParam().change(script);
    writeScript(script, GetParam().lineEnd);
    CreateDirectoryA(folder_.path("subfolder").c_str(), nullptr);
    if (GetParam().hugeSourceSize) makeSparseFile(folder_.path("huge.cur"), GetParam().hugeSourceSize);

    expectRefusedWithoutChange(GetParam().number, GetParam().mentioned);
}

INSTANTIATE_TEST_SUITE_P(Scripts, BadScriptTest, ::testing::ValuesIn(badScripts),
                         [](const auto& row) { return std::string(row.param.name); });

// One name on one line, each refused before anything is touched: every device
// name, in the forms Windows takes for the device, as a source and as a
// destination or registered file; every character and path form that
// names cannot hold; the names Windows makes a folder; the kept copies' names
// in any case; other endings than ".cur" and ".ani".
struct RefusedName {
    std::string name;
    int line;
    std::string text;
    std::string mentioned;  // in the failure's subject, after "line N: "
};

void PrintTo(const RefusedName& refused, std::ostream* out) { *out << refused.name; }

// As the script holds it: in the ANSI code page.
std::string ansi(const std::wstring& text) {
    char bytes[64] = "";
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes, sizeof bytes, nullptr, nullptr);
    return std::string(bytes, size > 0 ? size - 1 : 0);
}

// Each device with the identifier part of its test name.
std::vector<std::pair<std::string, std::string>> deviceNames() {
    std::vector<std::pair<std::string, std::string>> devices;
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) devices.emplace_back(device, device);
    devices.emplace_back("CONIN$", "CONIN");
    devices.emplace_back("CONOUT$", "CONOUT");
    for (const std::string port : {"COM", "LPT"}) {
        for (char digit = '1'; digit <= '9'; ++digit) devices.emplace_back(port + digit, port + digit);
        for (const auto& [superscript, digit] : {std::pair{L"\u00B9", "1"}, {L"\u00B2", "2"}, {L"\u00B3", "3"}})
            devices.emplace_back(port + ansi(superscript), port + "Superscript" + digit);
    }
    return devices;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<RefusedName> refusedNames() {
    std::vector<RefusedName> rows;
    const Lines script = sampleScript();
    auto copyLine = [&](int line, const std::string& source, const std::string& destination) {
        return (source.empty() ? script[line - 1].substr(0, script[line - 1].find('=')) : source) + "=" +
               (destination.empty() ? cursorFileOf(line) : destination);
    };
    auto registration = [&](int line, const std::string& file) {
        return script[line - 1].substr(0, script[line - 1].find('=')) + "=" + file;
    };
    const auto devices = deviceNames();
    for (std::size_t index = 0; index < devices.size(); ++index) {
        const auto& [device, id] = devices[index];
        const int line = static_cast<int>(index % 10) + 1;
        // The device part ends at the first dot, trailing spaces dropped.
        const std::string sources[] = {device, "subfolder\\" + lowered(device) + ".cur", device + " .cur",
                                       device + ".txt.cur"};
        const std::string files[] = {device + ".cur", lowered(device) + ".ani", device, device + " .cur",
                                     device + ".x.cur  .."};
        rows.push_back({"Device" + id + "AsSource", line, copyLine(line, sources[index % 4], ""), "the device"});
        const std::string file = files[index % 5];
        if (index % 2)
            rows.push_back({"Device" + id + "AsDestination", line, copyLine(line, "", file), "the device"});
        else
            rows.push_back({"Device" + id + "Registered", line + 10, registration(line + 10, file), "the device"});
    }
    // Characters no file name holds, in each place a name stands.
    const std::pair<char, const char*> characters[] = {{'<', "Less"},  {'>', "Greater"}, {'"', "Quote"},
                                                       {'|', "Bar"},   {'?', "Question"}, {'*', "Star"}};
    for (const auto& [c, id] : characters) {
        const std::string held(1, c);
        rows.push_back({std::string(id) + "InSource", 1, copyLine(1, "a" + held + "b.cur", ""), "cannot hold"});
        rows.push_back({std::string(id) + "InDestination", 2, copyLine(2, "", "q" + held + ".cur"), "cannot hold"});
        rows.push_back({std::string(id) + "Registered", 12, registration(12, "q" + held + ".cur"), "cannot hold"});
    }
    const std::pair<char, const char*> controls[] = {{'\x01', "01"}, {'\x1F', "1F"}, {'\x7F', "7F"}};
    for (const auto& [c, id] : controls) {
        const std::string held(1, c);
        rows.push_back({std::string("Control") + id + "InSource", 3, copyLine(3, "s" + held + ".cur", ""),
                        "control character"});
        rows.push_back({std::string("Control") + id + "InDestination", 4, copyLine(4, "", "z" + held + ".cur"),
                        "control character"});
        rows.push_back({std::string("Control") + id + "Registered", 14, registration(14, "z" + held + ".cur"),
                        "control character"});
    }
    // Sources outside the current folder, by every path form.
    const std::pair<const char*, const char*> sourcePaths[] = {
        {"c:source1.cur", "drive or stream"},        {"source1.cur::$DATA", "drive or stream"},
        {"\\source1.cur", "from a root"},             {"/source1.cur", "from a root"},
        {"\\\\?\\UNC\\host\\x.cur", "from a root"}, {"\\\\.\\COM1", "from a root"},
        {"\\\\host\\share\\x.cur", "from a root"},      {"subfolder\\\\x.cur", "empty folder name"},
        {"subfolder//x.cur", "empty folder name"},   {"subfolder\\", "empty folder name"},
        {"..", "the part \"..\""},                     {"subfolder/../../x.cur", "the part \"..\""},
        {".\\source1.cur", "the part \".\""},          {"...\\x.cur", "the part \"...\""},
        {"subfolder\\. .\\x.cur", "the part \". .\""},
    };
    int pathRow = 0;
    for (const auto& [path, mentioned] : sourcePaths)
        rows.push_back({"SourcePath" + std::to_string(++pathRow), 5, copyLine(5, path, ""), mentioned});
    // Destinations and registered files are plain names of cursor files.
    const std::pair<const char*, const char*> fileNames[] = {
        {"sub\\x.cur", "plain file name"},       {"sub/x.cur", "plain file name"},
        {"c:x.cur", "plain file name"},          {"x.cur:hidden", "plain file name"},
        {"...", "a folder, not a file name"},    {" ", "a folder, not a file name"},
        {". .", "a folder, not a file name"},    {"x.cur.KASTRELL-PREVIOUS", "keeps for earlier copies"},
        {"x.cur.Kastrell-Previous.", "keeps for earlier copies"}, {"x.cu", "only cursor files"},
        {"x.curx", "only cursor files"},        {"x.cur.exe", "only cursor files"},
        {"cur", "only cursor files"},            {"x.ani.dll  .", "only cursor files"},
    };
    int fileRow = 0;
    for (const auto& [name, mentioned] : fileNames) {
        ++fileRow;
        rows.push_back({"Destination" + std::to_string(fileRow), 6, copyLine(6, "", name), mentioned});
        rows.push_back({"Registered" + std::to_string(fileRow), 16, registration(16, name), mentioned});
    }
    return rows;
}

class RefusedNameTest : public InstallationTest, public ::testing::WithParamInterface<RefusedName> {};

// Lighter than the table above, which also compares the whole registry: no
// registry call at all is made.
TEST_P(RefusedNameTest, IsRefusedNamingTheLine) {
    Lines script = sampleScript();
    script[GetParam().line - 1] = GetParam().text;
    writeScript(script);
    CreateDirectoryA(folder_.path("subfolder").c_str(), nullptr);
    const auto filesBefore = folderContents();

    const Failure failure = installFailure();

    EXPECT_EQ(failure.number(), static_cast<unsigned long>(ERROR_INVALID_NAME)) << failure.subject();
    const std::string where = "line " + std::to_string(GetParam().line) + ": ";
    EXPECT_NE(failure.subject().find(where), std::string::npos) << failure.subject();
    EXPECT_NE(failure.subject().find(GetParam().mentioned), std::string::npos) << failure.subject();
    EXPECT_EQ(folderContents(), filesBefore);
    EXPECT_TRUE(registry_.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedNameTest, ::testing::ValuesIn(refusedNames()),
                         [](const auto& row) { return row.param.name; });

// The refusals that concern the script file or the scheme folder as a whole.
TEST_F(InstallationTest, MissingScriptIsRefusedNamingTheFolder) {
    DeleteFileA(folder_.path("install.txt").c_str());

    const Failure failure = installFailure();

    EXPECT_EQ(failure.number(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(failure.subject().find("\"install.txt\" cannot be read in the folder"), std::string::npos);
    EXPECT_FALSE(folder_.exists("Kastrell"));
    EXPECT_FALSE(keyExists(cursorKeyPath));
}

TEST_F(InstallationTest, SchemeFolderThatCannotBeMadeIsRefusedInAdvance) {
    struct Case {
        std::string destination;
        unsigned long number;
        std::string mentioned;
    };
    folder_.write("blocked", "a file in the way");
    const Case cases[] = {
        {folder_.path("missing\\Kastrell\\"), ERROR_PATH_NOT_FOUND, "its parent folder"},
        {folder_.path("blocked\\"), ERROR_ALREADY_EXISTS, "a file of that name is in the way"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.destination);
        destination_ = c.destination;
        const auto filesBefore = folderContents();

        const Failure failure = installFailure();

        EXPECT_EQ(failure.number(), c.number);
        EXPECT_NE(failure.subject().find(c.mentioned), std::string::npos) << failure.subject();
        EXPECT_NE(failure.subject().find(c.destination), std::string::npos) << failure.subject();
        EXPECT_EQ(folderContents(), filesBefore);
        EXPECT_FALSE(keyExists(cursorKeyPath));
    }
}

}  // namespace
}  // namespace kastrell
