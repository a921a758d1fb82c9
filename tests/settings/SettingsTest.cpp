#include "quorvane/settings/SettingsClass.h"

#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const char* const kBoolNames[] = {"LoadQVSystemTray", "CloseQVAfterWash", "CleanMemWhenMemReach",
                                  "CleanMemoryOnTimer", "ShowSplashOnStartup"};
const char* const kIntNames[] = {"AutoRefreshTimerInt", "CleanMemoryEveryMinute", "CleanMemoryOnMemLimit"};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        test::CreateKey(HKEY_CURRENT_USER, kRun);
    }
    void MakeOptionsKey() { test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath); }
    TRegistry& Options() {
        opts.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_EQ(ERROR_SUCCESS, opts.OpenKey(kOptionsKeyPath, false));
        return opts;
    }
    int32_t StoredInt(const char* name) {
        int32_t v = -1;
        EXPECT_EQ(ERROR_SUCCESS, Options().ReadInteger(name, v)) << name;
        return v;
    }
    TRegistry& Run() {
        run.SetRootKey(HKEY_CURRENT_USER);
        EXPECT_EQ(ERROR_SUCCESS, run.OpenKey(kRun, false));
        return run;
    }
    void Point(TSettings& s) {
        s.SetRootKey(HKEY_LOCAL_MACHINE);
        s.SetSettingsKey(kOptionsKeyPath);
    }

    test::RegistrySnapshot keepOptions{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::RegistrySnapshot keepRun{HKEY_CURRENT_USER, kRun};
    TRegistry opts, run;
};
}  // namespace

TEST_F(SettingsTest, NewObjectHoldsNothingUntilLoad) {
    TSettings s;
    EXPECT_FALSE(s.ShowSplash());
    EXPECT_FALSE(s.StartInTray());
    EXPECT_EQ(0, s.AutoRefreshInterval());
    EXPECT_EQ(HKEY_CURRENT_USER, s.RootKey());
}

TEST_F(SettingsTest, EmptyKeyGetsAllEightDefaultsAndNoShortcut) {
    MakeOptionsKey();
    TSettings s;
    Point(s);
    s.Load();
    EXPECT_TRUE(s.ShowSplash());
    EXPECT_FALSE(s.StartInTray() || s.CloseAfterWash() || s.CleanOnMemLimit() || s.CleanOnTimer());
    EXPECT_EQ(0, s.AutoRefreshInterval() + s.CleanEveryMinutes() + s.CleanMemLimit());
    for (const char* n : kBoolNames) EXPECT_EQ(std::string(n) == "ShowSplashOnStartup" ? 1 : 0, StoredInt(n)) << n;
    for (const char* n : kIntNames) EXPECT_EQ(0, StoredInt(n)) << n;
    std::vector<std::string> names;
    Options().GetValueNames(names);
    EXPECT_EQ(8u, names.size());
    EXPECT_FALSE(Options().ValueExists("Shortcut"));
}

TEST_F(SettingsTest, MissingKeyIsNeitherCreatedNorWritten) {
    TSettings s;
    Point(s);
    s.Load();
    EXPECT_FALSE(s.ShowSplash() || s.StartInTray() || s.CloseAfterWash() || s.CleanOnMemLimit() ||
                 s.CleanOnTimer());
    EXPECT_EQ(0, s.AutoRefreshInterval() + s.CleanEveryMinutes() + s.CleanMemLimit());
    s.SetCleanMemLimit(300);
    s.SetStartInTray(true);
    EXPECT_EQ(300, s.CleanMemLimit());
    EXPECT_TRUE(s.StartInTray());
    TRegistry probe;
    probe.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(probe.KeyExists(kOptionsKeyPath));
}

TEST_F(SettingsTest, StoredValuesAreReadAndNonZeroBooleansAreTrue) {
    MakeOptionsKey();
    Options().WriteInteger("CloseQVAfterWash", 2);
    Options().WriteInteger("ShowSplashOnStartup", 0);
    Options().WriteInteger("AutoRefreshTimerInt", 4);
    Options().WriteInteger("CleanMemoryEveryMinute", -7);  // the store checks no ranges
    Options().WriteInteger("CleanMemoryOnMemLimit", 512);
    TSettings s;
    Point(s);
    s.Load();
    EXPECT_TRUE(s.CloseAfterWash());
    EXPECT_FALSE(s.ShowSplash());
    EXPECT_EQ(4, s.AutoRefreshInterval());
    EXPECT_EQ(-7, s.CleanEveryMinutes());
    EXPECT_EQ(512, s.CleanMemLimit());
    EXPECT_EQ(2, StoredInt("CloseQVAfterWash")) << "a value that exists is not rewritten by Load";
    s.SetCloseAfterWash(s.CloseAfterWash());
    EXPECT_EQ(1, StoredInt("CloseQVAfterWash"));
}

TEST_F(SettingsTest, EverySetterWritesThroughUnderItsName) {
    MakeOptionsKey();
    TSettings s;
    Point(s);
    s.Load();
    s.SetStartInTray(true);
    s.SetCloseAfterWash(true);
    s.SetCleanOnMemLimit(true);
    s.SetCleanOnTimer(true);
    s.SetShowSplash(false);
    s.SetAutoRefreshInterval(9);
    s.SetCleanEveryMinutes(120);
    s.SetCleanMemLimit(-1);
    struct Case { const char* name; int32_t expect; } cases[] = {
        {"LoadQVSystemTray", 1}, {"CloseQVAfterWash", 1}, {"CleanMemWhenMemReach", 1}, {"CleanMemoryOnTimer", 1},
        {"ShowSplashOnStartup", 0}, {"AutoRefreshTimerInt", 9}, {"CleanMemoryEveryMinute", 120},
        {"CleanMemoryOnMemLimit", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expect, StoredInt(c.name)) << c.name;
    TSettings again;
    Point(again);
    again.Load();
    EXPECT_TRUE(again.StartInTray() && again.CloseAfterWash() && again.CleanOnMemLimit() && again.CleanOnTimer());
    EXPECT_FALSE(again.ShowSplash());
    EXPECT_EQ(120, again.CleanEveryMinutes());
}

// A value of another registry type than a 32-bit number reads as the option's default and is left
// as it stands; the option's next change writes a proper number over it.
TEST_F(SettingsTest, WrongTypeReadsAsDefaultAndIsKeptUntilChanged) {
    MakeOptionsKey();
    Options().WriteString("ShowSplashOnStartup", "0");
    Options().WriteString("CleanMemoryOnMemLimit", "256");
    const BYTE bin[4] = {1, 0, 0, 0};
    RegSetValueExA(Options().CurrentKey(), "LoadQVSystemTray", 0, REG_BINARY, bin, 4);
    TSettings s;
    Point(s);
    s.Load();
    EXPECT_TRUE(s.ShowSplash());
    EXPECT_EQ(0, s.CleanMemLimit());
    EXPECT_FALSE(s.StartInTray());
    std::string text;
    EXPECT_EQ(ERROR_SUCCESS, Options().ReadString("CleanMemoryOnMemLimit", text));
    EXPECT_EQ("256", text);
    s.SetCleanMemLimit(64);
    EXPECT_EQ(64, StoredInt("CleanMemoryOnMemLimit"));
}

TEST_F(SettingsTest, RunValueFollowsTheOption) {
    MakeOptionsKey();
    Run().DeleteValue(kRunValueName);
    Run().WriteString("Other", "C:\\other.exe");
    TSettings s;
    Point(s);
    s.Load();
    EXPECT_FALSE(s.LoadAtWindowsStartup());

    s.SetLoadAtWindowsStartup(false);  // absent and switched off: nothing changes
    EXPECT_FALSE(Run().ValueExists(kRunValueName));

    Run().WriteString(kRunValueName, "C:\\Old Place\\Quorvane.exe");
    s.Load();
    EXPECT_TRUE(s.LoadAtWindowsStartup());
    s.SetLoadAtWindowsStartup(true);
    std::string path;
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, Run().ReadString(kRunValueName, path));
    Run().GetDataType(kRunValueName, type);
    EXPECT_EQ(ModuleFileName(), path);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);

    s.SetLoadAtWindowsStartup(false);
    EXPECT_FALSE(Run().ValueExists(kRunValueName));
    EXPECT_TRUE(Run().ValueExists("Other")) << "nothing else under the Run key is touched";
}

TEST_F(SettingsTest, RunValueOfAnyTypeCountsAsPresent) {
    Run().WriteInteger(kRunValueName, 1);
    TSettings s;
    Point(s);
    s.Load();  // the options key is missing: the Run key is read all the same
    EXPECT_TRUE(s.LoadAtWindowsStartup());
}
