// Destination paths below a program folder of the test's own, with the folders they create.
#include "tidewell/download/DownloadPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "tests/support/TestPaths.h"

using namespace qv;

namespace {

bool IsFolder(const std::string& p) {
    DWORD a = GetFileAttributesA(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

class DownloadPathsTest : public ::testing::Test {
protected:
    void TearDown() override { test::RemoveFolderTree(folder); }
    std::string folder = test::MakeTempFolder("paths");
};

TEST_F(DownloadPathsTest, DestinationDropsLeadingBackslashesAndMakesItsFolders) {
    std::string d = DestinationPath("\\\\Help\\x.chm", folder);
    EXPECT_EQ(folder + "Help\\x.chm", d);
    EXPECT_TRUE(IsFolder(folder + "Help"));
    EXPECT_FALSE(FileExists(d));  // the file itself is never made
    EXPECT_EQ(folder + "Help\\~x.chm", PrefixFileName(d, "~"));

    EXPECT_EQ(folder + "a\\b\\c\\y.dll", DestinationPath("a\\b\\c\\y.dll", folder));
    EXPECT_TRUE(IsFolder(folder + "a\\b\\c"));
    EXPECT_FALSE(IsFolder(folder + "a\\b\\c\\y.dll"));
}

TEST_F(DownloadPathsTest, PrefixGoesBeforeTheFileNamePart) {
    EXPECT_EQ("C:\\P\\~t~Tidewell.exe", PrefixFileName("C:\\P\\Tidewell.exe", "~t~"));
    EXPECT_EQ("~x.chm", PrefixFileName("x.chm", "~"));
    EXPECT_EQ("C:\\P\\~", PrefixFileName("C:\\P\\", "~"));
}

TEST_F(DownloadPathsTest, CreateDirectoriesIgnoresWhatItCannotMake) {
    // A file standing where a folder should be: nothing below it can be made, and no error.
    HANDLE h = CreateFileA((folder + "file").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    CreateDirectories(folder + "file\\sub\\x.txt");
    EXPECT_FALSE(IsFolder(folder + "file\\sub"));
    CreateDirectories(folder + "ok\\x.txt");
    EXPECT_TRUE(IsFolder(folder + "ok"));
}

TEST_F(DownloadPathsTest, DestinationsThatClimbOutAreRefusedAndMakeNothing) {
    struct Case {
        const char* relative;
        bool leaves;
    } cases[] = {
        {"x.exe", false},
        {"\\\\Help\\x.chm", false},
        {"Help\\..\\x.chm", true},   // any climbing part, even one that comes back
        {".\\x.exe", false},
        {"a..b\\x..exe", false},     // dots inside names are names
        {"..\\x.exe", true},
        {"Help\\..\\..\\x.exe", true},
        {"../x.exe", true},
        {"sub/../../x.exe", true},
        {".. \\x.exe", true},
        {"...\\x.exe", true},
        {"C:\\Windows\\x.exe", true},
        {"x.exe:stream", true},
        {"", false},  // the folder itself (installing there fails later, as no file)
    };
    for (const Case& c : cases) EXPECT_EQ(c.leaves, LeavesFolder(c.relative, folder)) << c.relative;

    std::string inner = folder + "inner\\";
    CreateDirectoryA(inner.c_str(), nullptr);
    DestinationPath("..\\outside\\x.exe", inner);
    EXPECT_FALSE(IsFolder(folder + "outside"));
}

}  // namespace
