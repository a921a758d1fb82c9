#include <gtest/gtest.h>

#include <memory>

#include "common/core/Registry.h"
#include "quorvane/startup/StartupClass.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {

const std::string kRun = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunOnce = kRun + "Once";
const std::string kRunOnceEx = kRun + "OnceEx";
const std::string kUserRun = "HKEY_CURRENT_USER" + kRun;
const std::string kMachineRun = "HKEY_LOCAL_MACHINE" + kRun;

// The five Run keys emptied of values for each test and put back exactly as found afterwards.
class StartupRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const TRunKey& k : kStartupRunKeys) {
            test::CreateKey(RootHandle(k.Root), k.Key + 1);
            TRegistry reg;
            reg.SetRootKey(RootHandle(k.Root));
            ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(k.Key, false));
            std::vector<std::string> names;
            reg.GetValueNames(names);
            for (const auto& n : names) reg.DeleteValue(n);
        }
    }

    static TRegistry& Open(TRegistry& reg, HKEY root, const std::string& key) {
        reg.SetRootKey(root);
        EXPECT_EQ(ERROR_SUCCESS, reg.OpenKey(key, true));
        return reg;
    }
    static void SetText(HKEY root, const std::string& key, const std::string& name, const std::string& text,
                        bool expand = false) {
        TRegistry reg;
        Open(reg, root, key);
        ASSERT_EQ(ERROR_SUCCESS, expand ? reg.WriteExpandString(name, text) : reg.WriteString(name, text));
    }
    static void SetNumber(HKEY root, const std::string& key, const std::string& name, int32_t v) {
        TRegistry reg;
        ASSERT_EQ(ERROR_SUCCESS, Open(reg, root, key).WriteInteger(name, v));
    }
    static void Remove(HKEY root, const std::string& key, const std::string& name) {
        TRegistry reg;
        ASSERT_EQ(ERROR_SUCCESS, Open(reg, root, key).DeleteValue(name));
    }
    // The value's type, or REG_NONE when it is missing.
    static DWORD TypeOf(HKEY root, const std::string& key, const std::string& name) {
        TRegistry reg;
        DWORD type = REG_NONE;
        if (Open(reg, root, key).GetDataType(name, type) != ERROR_SUCCESS) return REG_NONE;
        return type;
    }
    static std::string TextOf(HKEY root, const std::string& key, const std::string& name) {
        TRegistry reg;
        std::string s;
        Open(reg, root, key).ReadString(name, s);
        return s;
    }
    static TStartupItem* Find(const TStartupList& list, const std::string& name, const std::string& location) {
        for (int i = 0; i < list.Count(); ++i)
            if (list.Items(i)->Name() == name && list.Items(i)->Location() == location) return list.Items(i);
        return nullptr;
    }

    test::RegistrySnapshot keep1{HKEY_CURRENT_USER, kRun.substr(1)};
    test::RegistrySnapshot keep2{HKEY_CURRENT_USER, kRunOnce.substr(1)};
    test::RegistrySnapshot keep3{HKEY_LOCAL_MACHINE, kRun.substr(1)};
    test::RegistrySnapshot keep4{HKEY_LOCAL_MACHINE, kRunOnce.substr(1)};
    test::RegistrySnapshot keep5{HKEY_LOCAL_MACHINE, kRunOnceEx.substr(1)};
};

}  // namespace

TEST(StartupLocationTest, RootsAndKeysFromLocationTexts) {
    struct Case {
        std::string text;
        uint32_t root;
        std::string key;
    } cases[] = {
        {kUserRun, kRootCurrentUser, kRun},
        {kMachineRun, kRootLocalMachine, kRun},
        {"HKEY_CLASSES_ROOT\\exefile", kRootClassesRoot, "\\exefile"},
        {"HKEY_USERS\\.DEFAULT", kRootUsers, "\\.DEFAULT"},
        {"HKEY_CURRENT_CONFIG\\x", kRootCurrentConfig, "\\x"},
        {"", 0, ""},
        {"hkey_current_user\\x", 0, "hkey_current_user\\x"},  // the search is case-sensitive
        {"\\Software", 0, "\\Software"},
        // The root table's order decides, and only the first occurrence goes.
        {"HKEY_LOCAL_MACHINE\\HKEY_CLASSES_ROOT", kRootClassesRoot, "HKEY_LOCAL_MACHINE\\"},
        {"HKEY_USERS\\HKEY_USERS", kRootUsers, "\\HKEY_USERS"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.root, RootFromLocation(c.text)) << c.text;
        EXPECT_EQ(c.key, KeyFromLocation(c.text)) << c.text;
    }
    EXPECT_EQ(kUserRun, LocationOf(kRootCurrentUser, kRun));
    EXPECT_EQ("HKEY_CURRENT_CONFIG\\k", LocationOf(kRootCurrentConfig, "\\k"));
    EXPECT_EQ("\\k", LocationOf(0x80000004u, "\\k"));

    TStartupItem item;
    EXPECT_EQ(0u, item.Root());
    EXPECT_FALSE(item.Enabled());
    EXPECT_EQ(-1, item.ListIndex());
    item.SetLocation(kMachineRun);
    EXPECT_EQ(kRootLocalMachine, item.Root());
    EXPECT_EQ(kRun, item.Key());
}

TEST(StartupLocationTest, ContainsEntryIgnoresTheCaseOfAsciiLettersOnly) {
    TStartupList list;
    auto item = std::make_unique<TStartupItem>();
    item->SetName("Tool");
    item->SetCommandLine("C:\\Tool\xC9.exe");
    item->SetLocation(kUserRun);
    list.Add(std::move(item));
    EXPECT_TRUE(list.ContainsEntry("TOOL", "c:\\tool\xC9.EXE", "hkey_current_user" + kRun));
    EXPECT_FALSE(list.ContainsEntry("Tool", "C:\\Tool\xE9.exe", kUserRun));
    EXPECT_FALSE(list.ContainsEntry("Tool", "C:\\Tool\xC9.exe", kMachineRun));
    EXPECT_FALSE(list.ContainsEntry("Tool", "", kUserRun));
}

TEST_F(StartupRegistryTest, ScanReadsTheFiveKeysInOrder) {
    SetText(HKEY_LOCAL_MACHINE, kRunOnceEx, "Later", "later.exe");
    SetNumber(HKEY_LOCAL_MACHINE, kRunOnceEx, "Flags", 20);
    SetText(HKEY_LOCAL_MACHINE, kRunOnceEx + "\\0001", "Inner", "inner.exe");
    SetText(HKEY_LOCAL_MACHINE, kRunOnce, "Once", "once.exe");
    SetText(HKEY_LOCAL_MACHINE, kRun, "Tool", "tool.exe");
    SetText(HKEY_CURRENT_USER, kRunOnce, "Setup", "%TEMP%\\setup.exe", true);
    SetText(HKEY_CURRENT_USER, kRun, "Tool", "tool.exe");
    SetText(HKEY_CURRENT_USER, kRun, "", "default.exe");

    // Wine enumerates a key's values sorted by name: the keys' order is what is seen here.
    TStartupList list;
    list.ScanRegistry();
    struct Row {
        const char* name;
        const char* command;
        std::string location;
    } want[] = {
        {"", "default.exe", kUserRun},
        {"Tool", "tool.exe", kUserRun},
        {"Setup", "%TEMP%\\setup.exe", "HKEY_CURRENT_USER" + kRunOnce},
        {"Tool", "tool.exe", kMachineRun},  // same name and text, other key: its own entry
        {"Once", "once.exe", "HKEY_LOCAL_MACHINE" + kRunOnce},
        {"Flags", "", "HKEY_LOCAL_MACHINE" + kRunOnceEx},  // no text: listed with no command line
        {"Later", "later.exe", "HKEY_LOCAL_MACHINE" + kRunOnceEx},
    };
    ASSERT_EQ(static_cast<int>(std::size(want)), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const TStartupItem& it = *list.Items(i);
        EXPECT_EQ(want[i].name, it.Name()) << i;
        EXPECT_EQ(want[i].command, it.CommandLine()) << i;
        EXPECT_EQ(want[i].location, it.Location()) << i;
        EXPECT_EQ(RootFromLocation(want[i].location), it.Root()) << i;
        EXPECT_EQ(KeyFromLocation(want[i].location), it.Key()) << i;
        EXPECT_TRUE(it.Enabled()) << i;
    }
    list.ScanRegistry();
    EXPECT_EQ(static_cast<int>(std::size(want)), list.Count());
}

TEST_F(StartupRegistryTest, DisableThenEnableWritesAnExpandableTextBackAsPlainText) {
    SetText(HKEY_CURRENT_USER, kRunOnce, "Setup", "%TEMP%\\setup.exe", true);
    TStartupList list;
    list.ScanRegistry();
    ASSERT_EQ(1, list.Count());
    TStartupItem& it = *list.Items(0);
    ASSERT_TRUE(it.IsInRegistry());

    it.SetEnabled(false);
    EXPECT_FALSE(it.Enabled());
    EXPECT_EQ(DWORD(REG_NONE), TypeOf(HKEY_CURRENT_USER, kRunOnce, "Setup"));
    EXPECT_FALSE(it.IsInRegistry());

    it.SetEnabled(true);
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_CURRENT_USER, kRunOnce, "Setup"));
    EXPECT_EQ("%TEMP%\\setup.exe", TextOf(HKEY_CURRENT_USER, kRunOnce, "Setup"));
    EXPECT_TRUE(it.IsInRegistry());
}

TEST_F(StartupRegistryTest, EnablingLeavesAnExistingValueAlone) {
    SetText(HKEY_CURRENT_USER, kRun, "Tool", "tool.exe");
    TStartupItem it;
    it.SetName("Tool");
    it.SetCommandLine("other.exe");
    it.SetLocation(kUserRun);
    it.SetEnabled(true);
    EXPECT_EQ("tool.exe", TextOf(HKEY_CURRENT_USER, kRun, "Tool"));
    it.SetEnabled(true);
    EXPECT_EQ("tool.exe", TextOf(HKEY_CURRENT_USER, kRun, "Tool"));
}

TEST_F(StartupRegistryTest, KeysThatDoNotOpenLeaveTheRegistryAlone) {
    const std::string missing = "\\Software\\QuorvaneTest\\NoSuchKey";
    test::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\QuorvaneTest");
    struct Case {
        std::string location;
    } cases[] = {{""}, {"HKEY_CURRENT_USER" + missing}, {kRun}};
    for (const Case& c : cases) {
        TStartupItem it;
        it.SetName("Tool");
        it.SetCommandLine("tool.exe");
        it.SetLocation(c.location);
        it.SetEnabled(true);
        EXPECT_TRUE(it.Enabled()) << c.location;
        EXPECT_FALSE(it.IsInRegistry()) << c.location;
        it.SetEnabled(false);
        EXPECT_FALSE(it.Enabled()) << c.location;
    }
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists("Software\\QuorvaneTest"));
    EXPECT_EQ(DWORD(REG_NONE), TypeOf(HKEY_CURRENT_USER, kRun, "Tool"));
}

TEST_F(StartupRegistryTest, DisablingAValueWithoutTextKeepsItsData) {
    SetNumber(HKEY_LOCAL_MACHINE, kRunOnceEx, "Flags", 20);
    TStartupList list;
    list.ScanRegistry();
    ASSERT_EQ(1, list.Count());
    list.Items(0)->SetEnabled(false);
    list.Items(0)->SetEnabled(true);
    TRegistry reg;
    int32_t v = 0;
    EXPECT_EQ(ERROR_SUCCESS, Open(reg, HKEY_LOCAL_MACHINE, kRunOnceEx).ReadInteger("Flags", v));
    EXPECT_EQ(20, v);
}

TEST_F(StartupRegistryTest, ADisabledEntryWhoseValueReturnsStaysOneDisabledEntry) {
    SetText(HKEY_CURRENT_USER, kRun, "Tool", "tool.exe");
    TStartupList list;
    list.ScanRegistry();
    ASSERT_EQ(1, list.Count());
    list.Items(0)->SetEnabled(false);

    SetText(HKEY_CURRENT_USER, kRun, "Tool", "TOOL.EXE");  // another program writes it back
    EXPECT_EQ(0, list.RemoveVanished());
    list.ScanRegistry();
    ASSERT_EQ(1, list.Count());
    EXPECT_FALSE(list.Items(0)->Enabled());
    EXPECT_TRUE(list.Items(0)->IsInRegistry());

    SetText(HKEY_CURRENT_USER, kRun, "Tool", "tool.exe /other");  // a changed text is a new entry
    list.ScanRegistry();
    ASSERT_EQ(2, list.Count());
    EXPECT_TRUE(list.Items(1)->Enabled());
}

TEST_F(StartupRegistryTest, EnabledEntriesWhoseValueVanishedAreRemoved) {
    SetText(HKEY_CURRENT_USER, kRun, "Gone", "gone.exe");
    SetText(HKEY_CURRENT_USER, kRun, "Typed", "typed.exe");
    SetText(HKEY_CURRENT_USER, kRun, "Kept", "kept.exe");
    SetText(HKEY_CURRENT_USER, kRun, "Off", "off.exe");
    TStartupList list;
    list.ScanRegistry();
    ASSERT_EQ(4, list.Count());
    Find(list, "Off", kUserRun)->SetEnabled(false);
    Remove(HKEY_CURRENT_USER, kRun, "Gone");
    SetNumber(HKEY_CURRENT_USER, kRun, "Typed", 1);  // no longer text

    EXPECT_FALSE(Find(list, "Gone", kUserRun)->IsInRegistry());
    EXPECT_FALSE(Find(list, "Typed", kUserRun)->IsInRegistry());
    std::vector<std::string> seen;
    EXPECT_EQ(2, list.RemoveVanished([&](TStartupItem& it) { seen.push_back(it.Name()); }));
    EXPECT_EQ((std::vector<std::string>{"Gone", "Typed"}), seen);
    ASSERT_EQ(2, list.Count());
    EXPECT_EQ("Kept", list.Items(0)->Name());
    EXPECT_EQ("Off", list.Items(1)->Name());
}

TEST_F(StartupRegistryTest, DeleteEntryRemovesValueAndEntry) {
    SetText(HKEY_CURRENT_USER, kRun, "Tool", "tool.exe");
    SetText(HKEY_LOCAL_MACHINE, kRun, "Tool", "tool.exe");
    TStartupList list;
    list.ScanRegistry();
    ASSERT_EQ(2, list.Count());
    TStartupItem stranger;
    stranger.SetName("Tool");
    stranger.SetLocation(kMachineRun);
    EXPECT_FALSE(list.DeleteEntry(&stranger));
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_LOCAL_MACHINE, kRun, "Tool"));

    EXPECT_TRUE(list.DeleteEntry(Find(list, "Tool", kUserRun)));
    EXPECT_EQ(DWORD(REG_NONE), TypeOf(HKEY_CURRENT_USER, kRun, "Tool"));
    EXPECT_EQ(DWORD(REG_SZ), TypeOf(HKEY_LOCAL_MACHINE, kRun, "Tool"));
    ASSERT_EQ(1, list.Count());
    EXPECT_EQ(kMachineRun, list.Items(0)->Location());
    EXPECT_THROW(list.Items(1), std::out_of_range);
}
