#include <gtest/gtest.h>

#include "common/core/OSError.h"
#include "common/core/Paths.h"
#include "common/core/Rounding.h"
#include "common/core/Text.h"

using namespace qv;

TEST(RoundingTest, NearestWithHalvesToEven) {
    struct Case { double in; int64_t out; } cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {2.4999, 2}, {2.5001, 3}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {99.5, 100}, {100.0, 100}, {0.0, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, RoundHalfEven(c.in)) << c.in;
}

TEST(RoundingTest, PercentDividesFirstAndGuardsZero) {
    EXPECT_EQ(50, Percent(1, 2));
    EXPECT_EQ(0, Percent(5, 0));
    EXPECT_EQ(12, Percent(1, 8));   // 12.5 -> 12
    EXPECT_EQ(38, Percent(3, 8));   // 37.5 -> 38
    // 64-bit byte counts beyond 4 GB
    EXPECT_EQ(75, Percent(3.0 * 4294967296.0 * 2, 8.0 * 4294967296.0));
}

TEST(TextTest, UpperCaseTouchesAsciiLettersOnly) {
    EXPECT_EQ("C:\\PROGRAM FILES\\\xE9X.EXE", UpperCaseAscii("c:\\Program Files\\\xE9x.exe"));
    EXPECT_TRUE(SameTextAscii("Run\\Quorvane", "RUN\\quorvane"));
    EXPECT_FALSE(SameTextAscii("\xE9", "\xC9"));
    EXPECT_FALSE(SameTextAscii("ab", "abc"));
}

TEST(TextTest, ConversionsRoundTrip) {
    std::wstring w = L"caf\u00E9 \u20AC \u4E2D";
    EXPECT_EQ(w, Utf8ToWide(WideToUtf8(w)));
    EXPECT_EQ("caf\xC3\xA9", WideToUtf8(L"caf\u00E9"));
    EXPECT_EQ(L"caf\u00E9", AnsiToWide("caf\xE9", 1252));
    EXPECT_EQ("caf\xE9", WideToAnsi(L"caf\u00E9", 1252));
    EXPECT_EQ(L"", AnsiToWide(""));
    EXPECT_EQ("-2147483648", IntToStr(INT32_MIN));
    EXPECT_EQ("4294967295", UIntToStr(0xFFFFFFFFu));
    EXPECT_EQ("a b", Trim("  a b \t"));
}

TEST(PathsTest, SplitsOnBackslash) {
    EXPECT_EQ("x.exe", ExtractFileName("C:\\a\\x.exe"));
    EXPECT_EQ("C:\\a\\", ExtractFilePath("C:\\a\\x.exe"));
    EXPECT_EQ("x.exe", ExtractFileName("x.exe"));
    EXPECT_EQ("", ExtractFilePath("x.exe"));
    std::string self = ModuleFileName();
    EXPECT_EQ("COMMON_CORE_TESTS.EXE", UpperCaseAscii(ExtractFileName(self)));
    EXPECT_EQ(self, ProgramFolder() + ExtractFileName(self));
}

TEST(OSErrorTest, CarriesCodeAndSystemText) {
    try {
        SetLastError(ERROR_ACCESS_DENIED);
        RaiseLastOSError();
    } catch (const EOSError& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), e.Code());
        std::string what = e.what();
        EXPECT_NE(std::string::npos, what.find("Code: 5")) << what;
        EXPECT_NE('.', what.back()) << "the error window appends the full stop";
        return;
    }
    FAIL() << "no exception";
}
