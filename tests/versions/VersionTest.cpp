#include "tidewell/versions/InfoFileUnit.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

TVersion V(int32_t major, int32_t minor, int32_t release) {
    TVersion v;
    v.Major = major;
    v.Minor = minor;
    v.Release = release;
    return v;
}

}  // namespace

// Each text is parsed into the version 7.8.9, so that the parts Parse leaves alone show.
TEST(VersionTest, ParseTable) {
    struct Case {
        const char* text;
        bool ok;
        int32_t major, minor, release;
    } cases[] = {
        {"1.2.3", true, 1, 2, 3},
        {"1.2", true, 1, 2, 9},          // the third part is not reached
        {"1.2.", true, 1, 2, 9},
        {"1", true, 1, 8, 9},
        {"", true, 7, 8, 9},             // empty: success, nothing changed
        {"1.2.3.4", true, 1, 2, 3},      // the fourth part and later are not examined
        {"1.2.3.x", true, 1, 2, 3},
        {"1.2.3..", true, 1, 2, 3},
        {"1.2.3.4.5.6", true, 1, 2, 3},
        {"1..3", false, 1, 8, 9},        // stops at the empty second part
        {".1", false, 7, 8, 9},
        {"x.1.2", false, 7, 8, 9},
        {"1.x.2", false, 1, 8, 9},
        {"1.2.x", false, 1, 2, 9},       // the last part fails at the end of the text
        {"1.2.3a", false, 1, 2, 9},
        {"0x10.0.0", false, 7, 8, 9},
        {"10.20.30", true, 10, 20, 30},
        {"01.002.0003", true, 1, 2, 3},
        {"-1.+2.3", true, -1, 2, 3},
        {"2147483647.0.0", true, 2147483647, 0, 0},
        {"2147483648.0.0", false, 7, 8, 9},  // beyond 32 bits
        {" 1. 2 .3\n", true, 1, 2, 3},   // blanks around a part, as an indented list holds them
        {"1 2.3", false, 7, 8, 9},
    };
    for (const auto& c : cases) {
        TVersion v = V(7, 8, 9);
        EXPECT_EQ(c.ok, v.Parse(c.text)) << '"' << c.text << '"';
        EXPECT_EQ(c.major, v.Major) << c.text;
        EXPECT_EQ(c.minor, v.Minor) << c.text;
        EXPECT_EQ(c.release, v.Release) << c.text;
    }
}

TEST(VersionTest, NewVersionIsZeroAndPartialTextsFillFromThere) {
    TVersion v;
    EXPECT_EQ("0.0.0", v.ToText());
    EXPECT_TRUE(v.Parse("1.2"));
    EXPECT_EQ("1.2.0", v.ToText());
    EXPECT_EQ("3.0.12", V(3, 0, 12).ToText());
    EXPECT_EQ("-1.0.2147483647", V(-1, 0, 2147483647).ToText());
}

TEST(VersionTest, CompareTable) {
    struct Case {
        const char* a;
        const char* b;
        int32_t result;
    } cases[] = {
        {"1.0.5", "1.0.5", 0},  {"1.0.5", "1.0.4", 1},  {"1.9.9", "2.0.0", -1}, {"1.10.0", "1.9.0", 1},
        {"10.0.0", "9.9.9", 1}, {"1.2.10", "1.2.9", 1}, {"1.2", "1.2.0", 0},    {"0.0.1", "0.0.0", 1},
        {"2.0.0", "1.99.99", 1}, {"1.0.0", "-1.0.0", 1}, {"0.0.0", "0.0.-1", 1},
    };
    for (const auto& c : cases) {
        TVersion a, b;
        ASSERT_TRUE(a.Parse(c.a) && b.Parse(c.b));
        EXPECT_EQ(c.result, a.CompareTo(b)) << c.a << " vs " << c.b;
        EXPECT_EQ(-c.result, b.CompareTo(a)) << c.b << " vs " << c.a;
    }
}

TEST(InfoFileTest, ConstructorsSetTheDocumentedDefaults) {
    TFile f("Quorvane.exe");
    EXPECT_EQ("Quorvane.exe", f.FileName);
    EXPECT_FALSE(f.Force);
    EXPECT_TRUE(f.DefaultDownload);
    EXPECT_EQ(0, f.FileSize);
    EXPECT_EQ("0.0.0", f.Version.ToText());
    EXPECT_TRUE(f.FilePath.empty() && f.DestFile.empty() && f.ProductName.empty() && f.Description.empty() &&
                f.Finished.empty() && f.FinishedMsg.empty());

    TInfoFile list("Untitled");
    EXPECT_EQ("Untitled", list.Name);
    EXPECT_EQ("Untitled", list.ProductName);
    EXPECT_TRUE(list.Files.empty());
    EXPECT_EQ("0.0.0", list.ProductVersion.ToText());
    EXPECT_TRUE(list.Terminate.empty() && list.TerminateMsg.empty());
}
