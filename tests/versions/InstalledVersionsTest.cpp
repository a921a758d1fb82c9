// The VersionControl key against Wine's real registry.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/core/Registry.h"
#include "tests/support/MachineKey.h"
#include "tests/support/ReadOnlyKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/versions/InfoFileUnit.h"

using namespace qv;

namespace {

bool MachineKeyExists(const char* path) {
    TRegistry machine;
    machine.SetRootKey(HKEY_LOCAL_MACHINE);
    return machine.KeyExists(path);
}

class InstalledVersionsTest : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath); }
    TRegistry& Key() { return key.Open(); }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kVersionControlKeyPath};
};

}  // namespace

TEST_F(InstalledVersionsTest, MissingKeyReadsZeroAndListsNothing) {
    EXPECT_EQ("0.0.0", ReadInstalledVersion("Quorvane.exe").ToText());
    EXPECT_TRUE(ListInstalledComponents().empty());
    EXPECT_EQ(std::vector<std::string>{kNoInstalledComponentsText}, InstalledComponentLines());
    EXPECT_FALSE(MachineKeyExists(kVersionControlKeyPath)) << "reading creates nothing";
    Key();  // an empty key is the same
    EXPECT_EQ(std::vector<std::string>{"Tidewell couldnt find any installed components on your system"},
              InstalledComponentLines());
}

TEST_F(InstalledVersionsTest, RecordedTextsOfEveryShape) {
    Key().WriteString("Quorvane.exe", "2.1.0");
    Key().WriteString("Help.chm", "1.2");          // unreached part stays 0
    Key().WriteString("Broken.dll", "3..1");       // parts before the fault are kept
    Key().WriteString("Garbage.dll", "new");
    Key().WriteExpandString("Expand.dll", "4.5.6");
    Key().WriteInteger("Number.dll", 0x00020001);  // not text: as if not recorded
    Key().WriteString("", "9.9.9");                // the unnamed value
    struct Case {
        const char* name;
        const char* version;
    } cases[] = {{"Quorvane.exe", "2.1.0"}, {"QUORVANE.EXE", "2.1.0"}, {"Help.chm", "1.2.0"},
                 {"Broken.dll", "3.0.0"},   {"Garbage.dll", "0.0.0"},   {"Expand.dll", "4.5.6"},
                 {"Number.dll", "0.0.0"},   {"Absent.dll", "0.0.0"},    {"", "9.9.9"}};
    for (const auto& c : cases) EXPECT_EQ(c.version, ReadInstalledVersion(c.name).ToText()) << c.name;
}

TEST_F(InstalledVersionsTest, ListsValueNamesInRegistryOrder) {
    Key().WriteString("Quorvane.exe", "2.1.0");
    Key().WriteString("Tidewell.exe", "1.0.0");
    Key().WriteString("Help\\Quorvane.chm", "1.0.0");
    std::vector<std::string> names = ListInstalledComponents();
    std::vector<std::string> expected = {"Quorvane.exe", "Tidewell.exe", "Help\\Quorvane.chm"};
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, sorted);
    EXPECT_EQ(names, InstalledComponentLines());
}

TEST_F(InstalledVersionsTest, RecordedVersionIsReadBackAndNoLongerOffered) {
    TVersion listed;
    listed.Parse("1.0.5");
    EXPECT_EQ(1, listed.CompareTo(ReadInstalledVersion("Quorvane.exe"))) << "never installed: offered";
    EXPECT_EQ(ERROR_SUCCESS, RecordInstalledVersion("Quorvane.exe", listed));  // creates the key
    std::string stored;
    EXPECT_EQ(ERROR_SUCCESS, Key().ReadString("Quorvane.exe", stored));
    DWORD type = 0;
    Key().GetDataType("Quorvane.exe", type);
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ("1.0.5", stored);
    EXPECT_EQ(0, listed.CompareTo(ReadInstalledVersion("Quorvane.exe")));

    Key().WriteInteger("Old.dll", 5);  // a value of the wrong type is replaced by text
    EXPECT_EQ(ERROR_SUCCESS, RecordInstalledVersion("Old.dll", listed));
    EXPECT_EQ("1.0.5", ReadInstalledVersion("Old.dll").ToText());
}

TEST_F(InstalledVersionsTest, RecordingWithoutWriteAccessReportsTheStatus) {
    Key().WriteString("Quorvane.exe", "1.0.0");
    key.Close();
    test::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
    ASSERT_TRUE(readOnly.Active());
    TVersion v;
    v.Parse("2.0.0");
    EXPECT_EQ(ERROR_ACCESS_DENIED, RecordInstalledVersion("Quorvane.exe", v));
    EXPECT_EQ("1.0.0", ReadInstalledVersion("Quorvane.exe").ToText());
}
