// The list's text cut into lines (also in UTF-16) and the list's booleans.
#include "tidewell/updatelist/UpdateList.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(UpdateListTest, LinesEndAtCrLfOrCrLf) {
    struct Case {
        std::string body;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"\n", {""}},
        // UTF-16 little-endian with its mark: a line end is a whole 16-bit unit, and the byte
        // 0x0A inside a character (U+010A) is no line end.
        {std::string("\xFF\xFE<\0\x0A\x01\r\0\n\0b\0", 12), {std::string("\xFF\xFE<\0\x0A\x01", 6), std::string("b\0", 2)}},
        // big-endian without a mark, recognised by "<?"
        {std::string("\0<\0?\0\n\0x", 8), {std::string("\0<\0?", 4), std::string("\0x", 2)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.lines, SplitListLines(c.body)) << testing::PrintToString(c.body);
    }
    EXPECT_EQ(std::string("\xFF\xFEx\0\r\0\n\0", 8), JoinListLines({std::string("\xFF\xFEx\0", 4)}, "\xFF\xFE"));
    EXPECT_EQ("a\r\nb\r\n", JoinListLines({"a", "b"}, "a\nb"));
}

TEST(UpdateListTest, BooleansAreNumbersOrTrueAndFalse) {
    struct Case {
        const char* text;
        bool ok;
        bool value;
    } cases[] = {
        {"TRUE", true, true},  {"false", true, false}, {"True", true, true},  {"1", true, true},
        {"0", true, false},    {"-7", true, true},     {" 0 ", true, false},  {"\ntrue\n", true, true},
        {"", false, false},    {"yes", false, false},  {"no", false, false},  {"truex", false, false},
        {"1.0", false, false}, {"99999999999", false, false},
    };
    for (const Case& c : cases) {
        bool value = !c.value;
        EXPECT_EQ(c.ok, TryListBoolean(c.text, value)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.value, value) << c.text;
        }
    }
}
