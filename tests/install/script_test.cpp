#include "install/script.h"
#include "install/script_names.h"
#include "platform/failure.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kastrell {
namespace {

struct Split {
    std::string line;
    std::string left;
    std::string right;
    std::int16_t separatorPos;
};

TEST(SplitLineTest, SplitsAtTheFirstEqualsSignTrimmingNothing) {
    const Split cases[] = {
        {"a.cur=b.cur", "a.cur", "b.cur", 6},
        {" Arrow = x.cur ", " Arrow ", " x.cur ", 8},
        {"name=a=b", "name", "a=b", 5},
        {"=only right", "", "only right", 1},
        {"only left=", "only left", "", 10},
        {"=", "", "", 1},
        {std::string(32765, 'L') + "=R", std::string(32765, 'L'), "R", 32766},
    };
    for (const Split& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 20));
        std::int16_t separatorPos = -1;
        const ScriptLine parts = splitLine(c.line, separatorPos);
        EXPECT_EQ(parts.left, c.left);
        EXPECT_EQ(parts.right, c.right);
        EXPECT_EQ(separatorPos, c.separatorPos);
    }
}

TEST(SplitLineTest, RefusesLinesWithoutEqualsOrBeyondSixteenBits) {
    const struct {
        std::string line;
        unsigned long number;
    } cases[] = {
        {"", ERROR_INVALID_DATA},
        {"no separator", ERROR_INVALID_DATA},
        {std::string(32766, 'L') + "=R", ERROR_ARITHMETIC_OVERFLOW},  // "=" at 32767
        {std::string(32767, 'L') + "=R", ERROR_ARITHMETIC_OVERFLOW},
        {std::string(70000, 'L') + "=R", ERROR_ARITHMETIC_OVERFLOW},  // would wrap to a small position
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.size());
        std::int16_t separatorPos = 0;
        try {
            splitLine(c.line, separatorPos);
            ADD_FAILURE() << "split";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), c.number);
        }
    }
}

TEST(QuotedForMessageTest, ShortensLongTextAndShowsControlCharacters) {
    EXPECT_EQ(quotedForMessage("Arrow=x.cur"), "\"Arrow=x.cur\"");
    EXPECT_EQ(quotedForMessage("a\tb\nc"), "\"a\\x09b\\x0Ac\"");
    EXPECT_EQ(quotedForMessage(std::string(60, 'x')), "\"" + std::string(60, 'x') + "\"");
    EXPECT_EQ(quotedForMessage(std::string(61, 'x')), "\"" + std::string(57, 'x') + "...\"");
    EXPECT_EQ(quotedForMessage(std::string(40, '\n')).size(), 62u);
}

// Names as a system whose code page has double-byte letters reads them: the
// second byte of a letter may be "\\" or "|", and the letter is still a
// letter, while a real separator beside it still counts.
TEST(ScriptNamesTest, DoubleByteLettersAreLettersInEveryCodePage) {
    const struct {
        UINT codePage;
        std::string bytes;
        bool source, destination;  // fine as a copy source, as a cursor file name
    } cases[] = {
        {932, "\x83|\x83" "C\x83\x93\x83^.cur", true, true},  // pointer, in katakana
        {932, "\x95\\\x8e\xa6.cur", true, true},               // "display"
        {932, "\x83\\\x83t\x83g\\\x95\\.cur", true, false},  // a folder named "soft", then a file
        {932, "\x97\\.ani", true, true},
        {936, "\x81\\\x81|.cur", true, true},
        {949, "\xc4\xbf\xbc\xad.cur", true, true},  // "cursor", in hangul
        {950, "\xa4\\\xca\\.cur", true, true},
        {CP_UTF8, "\xe8\xa1\xa8\xe7\xa4\xba.cur", true, true},
        // Real separators, devices and look-alikes beside such letters are still refused.
        {932, "\x95\\|.cur", false, false},
        {932, "\x83\\\x83t\x83g\\..\\..\\x.cur", false, false},
        {932, "\x95\\:stream.cur", false, false},
        {932, "\x95\\.exe", true, false},  // any file may be a source
        {932, "\x95\\\\nul.cur", false, false},
        {936, "\x81\\*.cur", false, false},
    };
    for (const auto& c : cases) {
        const int length = MultiByteToWideChar(c.codePage, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                               static_cast<int>(c.bytes.size()), nullptr, 0);
        ASSERT_GT(length, 0) << c.codePage << ": " << c.bytes;
        std::wstring name(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(c.codePage, 0, c.bytes.data(), static_cast<int>(c.bytes.size()), name.data(), length);
        SCOPED_TRACE(std::to_string(c.codePage) + ": " + c.bytes);
        EXPECT_EQ(sourceNameProblem(name).empty(), c.source) << sourceNameProblem(name);
        EXPECT_EQ(cursorFileNameProblem(name, "destination").empty(), c.destination)
            << cursorFileNameProblem(name, "destination");
    }
}

}  // namespace
}  // namespace kastrell
