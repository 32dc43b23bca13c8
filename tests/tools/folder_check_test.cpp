// What the release refuses to ship: files that are no cursors, registrations
// of files that no line copies, and a scheme other than the one the wizard
// lists. Cursors that the check lets through are loaded by the system too.
#include "tests/install/installation_fixture.h"
#include "tools/folder_check.h"

#include <functional>

namespace kastrell {
namespace {

void put16(std::string& bytes, std::size_t at, unsigned value) {
    bytes[at] = static_cast<char>(value);
    bytes[at + 1] = static_cast<char>(value >> 8);
}
void put32(std::string& bytes, std::size_t at, unsigned value) {
    put16(bytes, at, value & 0xffff);
    put16(bytes, at + 2, value >> 16);
}

// A 32x32 cursor of one monochrome BMP image, as drawing programs write it:
// directory (6 bytes), one entry (16), BITMAPINFOHEADER (40), two palette
// colours, the XOR and AND masks (128 bytes each).
std::string cursorFile() {
    std::string bytes(6 + 16 + 40 + 8 + 128 + 128, '\0');
    put16(bytes, 2, 2);
    put16(bytes, 4, 1);
    bytes[6] = bytes[7] = 32;
    put32(bytes, 14, 40 + 8 + 256);
    put32(bytes, 18, 22);
    put32(bytes, 22, 40);
    put32(bytes, 26, 32);
    put32(bytes, 30, 64);  // XOR and AND masks, one above the other
    put16(bytes, 34, 1);
    put16(bytes, 36, 1);
    put32(bytes, 66, 0xffffff);  // white; the first colour is black
    return bytes;
}

std::string chunk(const std::string& id, const std::string& data) {
    std::string bytes = id + std::string(4, '\0') + data;
    put32(bytes, 4, static_cast<unsigned>(data.size()));
    return bytes;
}
std::string riff(const std::string& form, const std::string& chunks) { return chunk("RIFF", form + chunks); }

struct CursorCase {
    const char* name;
    bool animated;
    std::function<void(std::string&)> change;  // applied to cursorFile() or animatedCursorFile()
    std::string problem;  // a fragment of it; empty when the file ships
    bool systemLoads = false;  // the system's loader as a second opinion
};

void PrintTo(const CursorCase& c, std::ostream* out) { *out << c.name; }

std::string animatedCursorFile() { return riff("ACON", chunk("anih", std::string(36, '\0')) + chunk("LIST", "fram")); }

const CursorCase cursorCases[] = {
    {"Bmp", false, [](std::string&) {}, "", true},
    {"Png", false, [](std::string& b) { b.replace(22, 8, "\x89PNG\r\n\x1a\n"); }, ""},
    {"Icon", false, [](std::string& b) { put16(b, 2, 1); }, "does not start with an icon directory of type 2"},
    {"Text", false, [](std::string& b) { b = "not a cursor at all\r\n"; }, "icon directory of type 2"},
    {"Empty", false, [](std::string& b) { b.clear(); }, "icon directory of type 2"},
    {"NoImage", false, [](std::string& b) { put16(b, 4, 0); }, "lists no image"},
    {"DirectoryCutShort", false, [](std::string& b) { put16(b, 4, 40); }, "ends inside its icon directory"},
    {"ImagePastTheEnd", false, [](std::string& b) { put32(b, 14, 40 + 8 + 257); }, "outside the file's 326 bytes"},
    {"FileCutShort", false, [](std::string& b) { b.resize(b.size() - 10); }, "has image 1 at bytes 22 to 326"},
    {"ImageOverTheDirectory", false, [](std::string& b) { put32(b, 18, 0); }, "outside the file"},
    {"CoreHeader", false, [](std::string& b) { put32(b, 22, 12); }, "neither a BMP image (a BITMAPINFOHEADER) nor a PNG"},
    {"TwoPlanes", false, [](std::string& b) { put16(b, 34, 2); }, "2 plane(s) of 1 bits"},
    {"NoHeight", false, [](std::string& b) { put32(b, 30, 0); }, "without a width and height"},
    {"Animated", true, [](std::string&) {}, ""},
    {"AnimatedIsAStaticCursor", true, [](std::string& b) { b = cursorFile(); }, "not a RIFF \"ACON\" form"},
    {"AnimatedWave", true, [](std::string& b) { b.replace(8, 4, "WAVE"); }, "not a RIFF \"ACON\" form"},
    {"AnimatedWithoutHeader", true, [](std::string& b) { b.replace(12, 4, "anix"); }, "has no \"anih\" chunk"},
    {"AnimatedShortHeader", true, [](std::string& b) { b = riff("ACON", chunk("anih", std::string(20, '\0'))); },
     "\"anih\" chunk shorter than 36 bytes"},
    {"AnimatedCutShort", true, [](std::string& b) { b.resize(b.size() - 2); }, "RIFF form of 68 bytes in a file of 66"},
    {"AnimatedChunkPastTheForm", true, [](std::string& b) { put32(b, 16, 4000); }, "\"anih\" that runs past"},
};

class CursorCheckTest : public ::testing::TestWithParam<CursorCase> {};

TEST_P(CursorCheckTest, TellsWhatIsWrong) {
    const CursorCase& c = GetParam();
    std::string bytes = c.animated ? animatedCursorFile() : cursorFile();
    c.change(bytes);

    const std::string problem = cursorProblem(bytes, c.animated);

    if (c.problem.empty())
        EXPECT_EQ(problem, "");
    else
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    if (c.systemLoads) {
        const TempFolder folder;
        folder.write("cursor.cur", bytes);
        const HCURSOR cursor = LoadCursorFromFileA(folder.path("cursor.cur").c_str());
        EXPECT_NE(cursor, nullptr);
        if (cursor) DestroyCursor(cursor);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CursorCheckTest, ::testing::ValuesIn(cursorCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct FolderCase {
    const char* name;
    std::function<void(Lines&, TempFolder&)> change;  // applied to the sample script and folder
    std::vector<std::string> problems;  // a fragment of each, in order
};

void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }

const FolderCase folderCases[] = {
    {"Ships", [](Lines&, TempFolder&) {}, {}},
    {"RegisteredInAnotherCase", [](Lines& s, TempFolder&) { s[10] = "Arrow=KASTRELL.CUR"; }, {}},
    {"SourceIsNoCursor", [](Lines&, TempFolder& f) { f.write("source10.cur", "cursor 10 image"); },
     {"install.txt, line 10: \"source10.cur=pamu.cur\" copies the file \"source10.cur\", which does not start with an "
      "icon directory of type 2"}},
    {"RegistersAFileNoLineCopies", [](Lines& s, TempFolder&) { s[10] = "Arrow=missing.cur"; },
     {"install.txt, line 11: \"Arrow=missing.cur\" registers \"missing.cur\", a file that no copy line (1-10) makes."}},
    {"RegistersTheFolder", [](Lines& s, TempFolder&) { s[19] = "Hand="; }, {"line 20: \"Hand=\" registers \"\""}},
    {"CopiesOutsideTheList", [](Lines& s, TempFolder&) { s[1] = "source2.cur=other.cur"; },
     {"line 12: \"Help=qilo.cur\" registers \"qilo.cur\", a file that no copy line",
      "line 2: \"source2.cur=other.cur\" copies to \"other.cur\", which the scheme list does not name.",
      "install.txt: no copy line makes \"qilo.cur\", which the scheme list names."}},
    {"CopiesOneNameTwice", [](Lines& s, TempFolder&) { s[9] = "source10.cur=krot.cur"; },
     {"line 20: \"Hand=pamu.cur\" registers", "no copy line makes \"pamu.cur\""}},
    // The wizard's own refusals come alone: nothing after them is trustworthy.
    {"ScriptTheWizardRefuses", [](Lines& s, TempFolder&) { s[4] = ""; },
     {"install.txt, line 5: \"\" has no \"=\". (error 13: "}},
    {"NoLicence", [](Lines&, TempFolder& f) { DeleteFileA(f.path("file11.c").c_str()); },
     {"The licence \"file11.c\" cannot be read"}},
};

class FolderCheckTest : public InstallationTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderCheckTest, NamesEachProblemWithFileOrLine) {
    Lines script = sampleScript();
    folder_.write("file11.c", "The licence.\r\n");
    for (int line = 1; line <= 10; ++line) folder_.write("source" + std::to_string(line) + ".cur", cursorFile());
    GetParam().change(script, folder_);
    writeScript(script);

    const std::vector<std::string> problems = folderProblems();

    ASSERT_EQ(problems.size(), GetParam().problems.size()) << ::testing::PrintToString(problems);
    for (std::size_t index = 0; index < problems.size(); ++index)
        EXPECT_NE(problems[index].find(GetParam().problems[index]), std::string::npos) << problems[index];
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderCheckTest, ::testing::ValuesIn(folderCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kastrell
