#include "common/core/Convert.h"

#include <gtest/gtest.h>

using namespace qv;

TEST(ConvertTest, WholeNumbers) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {{"80", 80},           {"0", 0},           {"007", 7},           {"+8080", 8080},
                 {"-5", -5},           {" 8080 ", 8080},   {"\t42\r\n", 42},     {"2147483647", 2147483647},
                 {"-2147483648", INT32_MIN}, {"-0", 0}};
    for (const auto& c : cases) {
        int32_t v = 1234;
        EXPECT_TRUE(TryStrToInt(c.text, v)) << c.text;
        EXPECT_EQ(c.value, v) << c.text;
        EXPECT_EQ(c.value, StrToIntStrict(c.text)) << c.text;
    }
}

TEST(ConvertTest, EverythingElseFailsAndNamesTheText) {
    for (const char* text : {"", " ", "+", "-", "abc", "80a", "a80", "8 080", "8,080", "--5", "+-5", "0x50", "$50",
                             "1e3", "2147483648", "-2147483649", "99999999999999999999", "\xB2"}) {
        int32_t v = 1234;
        EXPECT_FALSE(TryStrToInt(text, v)) << text;
        EXPECT_EQ(1234, v) << "untouched on failure: " << text;
        try {
            StrToIntStrict(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string("'") + text + "' is not a valid integer value", e.what());
            EXPECT_EQ(text, e.Text());
        }
    }
}
