#include "quorvane/sysinfo/SpecialFolders.h"

#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ValueSnapshot.h"

using namespace qv;

namespace {
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string Row(const char* caption) {
    for (const TSpecialFolder& f : ReadSpecialFolders())
        if (std::string(f.Caption) == caption) return f.Path;
    ADD_FAILURE() << "no row " << caption;
    return {};
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

TEST(SpecialFolders, SixteenRowsOfExistingFoldersWithoutTrailingSeparator) {
    const char* captions[] = {"App Data", "Cookies",    "Desktop",    "Favorites", "Fonts",  "History",
                              "Cache",    "Net Places", "Program Files", "Recent", "Send To", "Start menu",
                              "System",   "Temp",       "Templates",  "Windows"};
    std::vector<TSpecialFolder> folders = ReadSpecialFolders();
    ASSERT_EQ(16u, folders.size());
    for (size_t i = 0; i < folders.size(); ++i) {
        EXPECT_STREQ(captions[i], folders[i].Caption);
        const std::string& p = folders[i].Path;
        ASSERT_GT(p.size(), 3u) << captions[i];
        EXPECT_NE('\\', p.back()) << p;
        EXPECT_EQ(":\\", p.substr(1, 2)) << p;
    }
    for (const char* c : {"Desktop", "Fonts", "Program Files", "System", "Temp", "Windows"})
        EXPECT_TRUE(IsFolder(Row(c))) << c;
    // The system folder is where the system's own libraries are.
    char kernel[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(GetModuleHandleA("kernel32.dll"), kernel, MAX_PATH), 0u);
    EXPECT_TRUE(SameTextAscii(Row("System") + "\\", ExtractFilePath(kernel))) << kernel;
    EXPECT_TRUE(SameTextAscii(Row("Fonts"), Row("Windows") + "\\Fonts"));
}

TEST(SpecialFolders, TempIsTheFolderTheEnvironmentNames) {
    char before[MAX_PATH] = {};
    const DWORD had = GetEnvironmentVariableA("TMP", before, MAX_PATH);
    std::string folder = test::MakeTempFolder("tempvar");
    ASSERT_FALSE(folder.empty());
    SetEnvironmentVariableA("TMP", folder.c_str());  // with its trailing backslash
    const std::string shown = Row("Temp");
    SetEnvironmentVariableA("TMP", had ? before : nullptr);
    test::RemoveFolderTree(folder);
    EXPECT_EQ(folder.substr(0, folder.size() - 1), shown);
}

TEST(SpecialFolders, ProgramFilesComesFromTheRegistry) {
    test::ValueSnapshot keep(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    ASSERT_TRUE(keep.KeyOpened());
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kCurrentVersion, false));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("ProgramFilesDir", "D:\\Some Programs\\"));
    EXPECT_EQ("D:\\Some Programs", Row("Program Files"));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteInteger("ProgramFilesDir", 5));  // not a text
    EXPECT_EQ("", Row("Program Files"));
    ASSERT_EQ(ERROR_SUCCESS, reg.DeleteValue("ProgramFilesDir"));
    EXPECT_EQ("", Row("Program Files"));
}

TEST(SpecialFolders, TrailingSeparatorsAndUnknownFolders) {
    EXPECT_EQ("C:", WithoutTrailingSeparator("C:\\"));
    EXPECT_EQ("C:\\a", WithoutTrailingSeparator("C:\\a\\\\"));
    EXPECT_EQ("", WithoutTrailingSeparator(""));
    EXPECT_EQ("", ShellFolderPath(0x7F));  // no such folder
}
