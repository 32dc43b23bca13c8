// Scripts that the check before any change refuses: each is reported with
// what is wrong and where, and leaves files and registry exactly as they were.
#include "install/cursor_scheme.h"
#include "platform/handle.h"
#include "platform/source_file.h"
#include "tests/install/installation_fixture.h"

#include <functional>

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
        const std::string registryBefore = exportedKey(cursorKeyPath);
        ASSERT_NE(registryBefore.find("Previous"), std::string::npos);

        const Failure failure = installFailure();

        EXPECT_EQ(failure.number(), number);
        EXPECT_EQ(failure.description(), systemErrorText(number));
        for (const std::string& fragment : mentioned)
            EXPECT_NE(failure.subject().find(fragment), std::string::npos)
                << "\"" << fragment << "\" not in: " << failure.subject();
        EXPECT_LE(failure.subject().size(), 300u);
        EXPECT_EQ(folderContents(), filesBefore);
        EXPECT_EQ(exportedKey(cursorKeyPath), registryBefore);
        EXPECT_TRUE(registry_.calls().empty());
        EXPECT_EQ(page_.calls, Lines{"showProgress"});
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
                         [](const auto& info) { return std::string(info.param.name); });

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
