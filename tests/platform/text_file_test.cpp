#include "platform/failure.h"
#include "platform/handle.h"
#include "platform/text_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace kastrell {
namespace {

FileHandle opened(const std::string& path) {
    return FileHandle(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

std::vector<std::string> allLines(const std::string& path) {
    TextFile file(opened(path).get(), path, 1024);
    std::vector<std::string> lines;
    while (!file.atEnd()) lines.push_back(file.readLine());
    return lines;
}

class TextFileTest : public ::testing::Test {
protected:
    std::vector<std::string> linesOf(const std::string& bytes) {
        folder_.write("file.txt", bytes);
        return allLines(folder_.path("file.txt"));
    }
    TempFolder folder_;
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, LinesEndAtCarriageReturnWithOrWithoutLineFeed) {
    EXPECT_EQ(linesOf("one\r\ntwo\rthree"), (Lines{"one", "two", "three"}));
    EXPECT_EQ(linesOf("a\r\r\nb"), (Lines{"a", "", "b"}));
}

TEST_F(TextFileTest, LineFeedAloneStaysInTheText) {
    EXPECT_EQ(linesOf("one\ntwo\r\nthree\n"), (Lines{"one\ntwo", "three\n"}));
    EXPECT_EQ(linesOf("\n"), (Lines{"\n"}));
}

TEST_F(TextFileTest, TerminatorAtTheEndStartsNoFurtherLine) {
    EXPECT_EQ(linesOf("one\r\n"), (Lines{"one"}));
    EXPECT_EQ(linesOf("one\r"), (Lines{"one"}));
    EXPECT_EQ(linesOf("one\r\n\r\n"), (Lines{"one", ""}));
}

TEST_F(TextFileTest, EmptyFileIsAtItsEndAtOnce) {
    EXPECT_EQ(linesOf(""), Lines{});
}

TEST_F(TextFileTest, BytesPassUnchanged) {
    const std::string bytes{"\xe9\xff\x01=\x80"};
    EXPECT_EQ(linesOf(bytes + "\r\n"), Lines{bytes});
    const std::string marked{"\xEF\xBB\xBFname=\xD0\x9B"};  // a UTF-8 mark is a byte like any other
    EXPECT_EQ(linesOf(marked + "\r\n"), Lines{marked});
}

TEST_F(TextFileTest, ReadsNoFurtherThanItsLimit) {
    folder_.write("file.txt", "ab\rcdef");
    const struct {
        std::size_t limit;
        std::string lines;
        bool whole;
    } cases[] = {{3, "ab|", false}, {6, "ab|cde|", false}, {7, "ab|cdef|", true}, {8, "ab|cdef|", true}};
    for (const auto& c : cases) {
        TextFile file(opened(folder_.path("file.txt")).get(), "file.txt", c.limit);
        std::string read;
        while (!file.atEnd()) read += file.readLine() + "|";
        EXPECT_EQ(read, c.lines) << c.limit;
        EXPECT_EQ(file.whole(), c.whole) << c.limit;
    }
}

TEST_F(TextFileTest, ReadingPastTheEndFailsNamingTheFile) {
    folder_.write("short.txt", "only\r\n");
    TextFile file(opened(folder_.path("short.txt")).get(), "short.txt", 1024);
    file.readLine();
    try {
        file.readLine();
        FAIL() << "read past the end";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.number(), 38u);  // ERROR_HANDLE_EOF
        EXPECT_NE(failure.subject().find("short.txt"), std::string::npos);
    }
}

// The file is held open from its checks; what was read of it before does not
// move where the text starts.
TEST_F(TextFileTest, ReadsAnOpenFileFromItsStart) {
    folder_.write("file.txt", "first\r\nsecond");
    const FileHandle file = opened(folder_.path("file.txt"));
    char skipped[4];
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(file.get(), skipped, sizeof skipped, &got, nullptr) && got == sizeof skipped);
    TextFile text(file.get(), "file.txt", 1024);
    EXPECT_EQ(text.readLine(), "first");
    EXPECT_EQ(text.readLine(), "second");
}

}  // namespace
}  // namespace kastrell
