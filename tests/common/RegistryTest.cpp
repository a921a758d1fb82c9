#include "common/core/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
const char kKey[] = "Software\\QuorvaneTests\\Registry";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::DeleteKeyTree(HKEY_CURRENT_USER, kKey);
        test::CreateKey(HKEY_CURRENT_USER, kKey);
        ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(kKey, false));
    }
    void TearDown() override {
        reg.CloseKey();
        test::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\QuorvaneTests");
    }
    void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(reg.CurrentKey(), name, 0, type,
                                                static_cast<const BYTE*>(data), size));
    }
    TRegistry reg;
};
}  // namespace

TEST_F(RegistryTest, OpenWithoutCreateFailsOnMissingKeyAndCreatesNothing) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.OpenKey(std::string(kKey) + "\\Missing", false));
    EXPECT_EQ(nullptr, reg.CurrentKey());
    EXPECT_FALSE(reg.KeyExists(std::string(kKey) + "\\Missing"));
    EXPECT_EQ(ERROR_SUCCESS, reg.OpenKey(std::string("\\") + kKey + "\\Made", true));
    EXPECT_TRUE(reg.KeyExists(std::string(kKey) + "\\Made"));
}

TEST_F(RegistryTest, BooleanIsDwordReadTrueWhenNotZero) {
    struct Case { DWORD stored; bool expect; } cases[] = {{0, false}, {1, true}, {2, true}, {0xFFFFFFFF, true}};
    for (const auto& c : cases) {
        SetRaw("B", REG_DWORD, &c.stored, sizeof c.stored);
        bool v = !c.expect;
        EXPECT_EQ(ERROR_SUCCESS, reg.ReadBool("B", v));
        EXPECT_EQ(c.expect, v) << c.stored;
    }
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteBool("B", true));
    int32_t raw = 0;
    ASSERT_EQ(ERROR_SUCCESS, reg.ReadInteger("B", raw));
    EXPECT_EQ(1, raw);
}

TEST_F(RegistryTest, IntegerIsSignedDword) {
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteInteger("I", -5));
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, reg.GetDataType("I", type));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    int32_t v = 0;
    ASSERT_EQ(ERROR_SUCCESS, reg.ReadInteger("I", v));
    EXPECT_EQ(-5, v);
}

TEST_F(RegistryTest, WrongTypeReadsFailWithoutTouchingOutput) {
    SetRaw("Text", REG_SZ, "12", 3);
    const BYTE four[4] = {1, 0, 0, 0};
    SetRaw("Bin", REG_BINARY, four, 4);
    DWORD d = 7;
    SetRaw("Num", REG_DWORD, &d, 4);
    int32_t i = 42;
    bool b = true;
    std::string s = "keep";
    EXPECT_EQ(ERROR_INVALID_DATATYPE, reg.ReadInteger("Text", i));
    EXPECT_EQ(ERROR_INVALID_DATATYPE, reg.ReadInteger("Bin", i));
    EXPECT_EQ(ERROR_INVALID_DATATYPE, reg.ReadBool("Text", b));
    EXPECT_EQ(ERROR_INVALID_DATATYPE, reg.ReadString("Num", s));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.ReadInteger("Missing", i));
    EXPECT_EQ(42, i);
    EXPECT_TRUE(b);
    EXPECT_EQ("keep", s);
}

TEST_F(RegistryTest, TextReadsPlainAndExpandableUnexpandedAndWithoutTerminator) {
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("Plain", "C:\\app.exe /x"));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteExpandString("Exp", "%windir%\\x.exe"));
    SetRaw("NoNul", REG_SZ, "abc", 3);
    SetRaw("Empty", REG_SZ, "", 0);
    struct Case { const char* name; const char* expect; DWORD type; } cases[] = {
        {"Plain", "C:\\app.exe /x", REG_SZ},
        {"Exp", "%windir%\\x.exe", REG_EXPAND_SZ},
        {"NoNul", "abc", REG_SZ},
        {"Empty", "", REG_SZ},
    };
    for (const auto& c : cases) {
        std::string v = "x";
        EXPECT_EQ(ERROR_SUCCESS, reg.ReadString(c.name, v)) << c.name;
        EXPECT_EQ(c.expect, v) << c.name;
        DWORD type = 0;
        reg.GetDataType(c.name, type);
        EXPECT_EQ(c.type, type) << c.name;
    }
}

TEST_F(RegistryTest, ValueNamesExistenceAndDeletion) {
    reg.WriteString("a", "1");
    reg.WriteInteger("b", 2);
    reg.WriteString("", "default");
    std::vector<std::string> names;
    ASSERT_EQ(ERROR_SUCCESS, reg.GetValueNames(names));
    std::sort(names.begin(), names.end());  // the enumeration order is the registry's own
    EXPECT_EQ((std::vector<std::string>{"", "a", "b"}), names);
    EXPECT_TRUE(reg.ValueExists("b"));
    EXPECT_EQ(ERROR_SUCCESS, reg.DeleteValue("b"));
    EXPECT_FALSE(reg.ValueExists("b"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, reg.DeleteValue("b"));
}

TEST_F(RegistryTest, DeleteKeyRemovesSubkeysAndClosesOpenKey) {
    test::CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\Sub\\Deeper");
    EXPECT_EQ(ERROR_SUCCESS, reg.DeleteKey(kKey));
    EXPECT_EQ(nullptr, reg.CurrentKey());
    EXPECT_FALSE(reg.KeyExists(kKey));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, reg.DeleteKey("\\"));
}

TEST_F(RegistryTest, ReadOnlyKeyRefusesWrites) {
    TRegistry ro;
    ASSERT_EQ(ERROR_SUCCESS, ro.OpenKeyReadOnly(kKey));
    EXPECT_NE(ERROR_SUCCESS, ro.WriteInteger("x", 1));
    EXPECT_FALSE(reg.ValueExists("x"));
}

TEST_F(RegistryTest, CallsWithoutAnOpenKeyFail) {
    TRegistry none;
    int32_t i = 0;
    EXPECT_FALSE(none.ValueExists("x"));
    EXPECT_EQ(ERROR_INVALID_HANDLE, none.ReadInteger("x", i));
    EXPECT_EQ(ERROR_INVALID_HANDLE, none.WriteInteger("x", 1));
}

TEST(RegistrySnapshotTest, PutsBackWhatWasThere) {
    const char* key = "Software\\QuorvaneTests\\Snap";
    test::CreateKey(HKEY_CURRENT_USER, key);
    {
        TRegistry reg;
        reg.OpenKey(key, false);
        reg.WriteString("keep", "v");
    }
    {
        test::RegistrySnapshot snap(HKEY_CURRENT_USER, key);
        test::DeleteKeyTree(HKEY_CURRENT_USER, key);
        test::CreateKey(HKEY_CURRENT_USER, std::string(key) + "\\new");
    }
    TRegistry reg;
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey(key, false));
    std::string v;
    EXPECT_EQ(ERROR_SUCCESS, reg.ReadString("keep", v));
    EXPECT_EQ("v", v);
    EXPECT_FALSE(reg.KeyExists(std::string(key) + "\\new"));
    reg.CloseKey();
    test::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\QuorvaneTests");
}
