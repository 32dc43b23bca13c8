#include "install/script.h"
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

}  // namespace
}  // namespace kastrell
