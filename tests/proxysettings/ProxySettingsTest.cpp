#include "tidewell/proxy/ProxySettings.h"

#include <gtest/gtest.h>

#include "common/core/Convert.h"
#include "common/core/Registry.h"
#include "tests/support/MachineKey.h"
#include "tests/support/ReadOnlyKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/proxy/Encryption.h"

using namespace qv;

namespace {

class ProxySettingsTest : public ::testing::Test {
protected:
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath); }

    TRegistry& Key() { return key.Open(); }
    std::string Text(const char* name) { return key.Text(name); }
    int32_t Number(const char* name) { return key.Number(name); }
    // Stores every value by hand, as an earlier run would have left them.
    void Plant(bool proxy, bool auth) {
        Key().WriteBool("Proxy", proxy);
        Key().WriteString("ProxyAddress", "old.proxy");
        Key().WriteString("ProxyPort", "3128");
        Key().WriteBool("Auth", auth);
        Key().WriteString("UserName", "olduser");
        Key().WriteString("Password", EncryptText("oldpass", kPassPhrase));
    }
    static TProxyState Filled() {
        TProxyState s;
        s.UseProxy = true;
        s.Address = "127.0.0.1";
        s.Port = "8080";
        s.UseAuth = true;
        s.UserName = "alice";
        s.Password = "p@ss w0rd";
        return s;
    }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kTidewellKeyPath};
};

void ExpectSame(const TProxyState& a, const TProxyState& b) {
    EXPECT_EQ(a.UseProxy, b.UseProxy);
    EXPECT_EQ(a.Address, b.Address);
    EXPECT_EQ(a.Port, b.Port);
    EXPECT_EQ(a.UseAuth, b.UseAuth);
    EXPECT_EQ(a.UserName, b.UserName);
    EXPECT_EQ(a.Password, b.Password);
}

}  // namespace

TEST_F(ProxySettingsTest, NothingStoredKeepsTheCreationState) {
    TProxyState s;
    EXPECT_FALSE(LoadProxySettings(s));
    ExpectSame(TProxyState{}, s);
    Key();  // an empty key: both boxes stay unticked, the fields empty
    EXPECT_TRUE(LoadProxySettings(s));
    ExpectSame(TProxyState{}, s);
}

TEST_F(ProxySettingsTest, SavedSettingsComeBackAtTheNextStart) {
    SaveProxySettings(Filled());  // the key did not exist yet
    EXPECT_EQ(1, Number("Proxy"));
    EXPECT_EQ(1, Number("Auth"));
    EXPECT_EQ("8080", Text("ProxyPort"));
    EXPECT_EQ(EncryptText("p@ss w0rd", kPassPhrase), Text("Password"));
    EXPECT_NE("p@ss w0rd", Text("Password"));
    TProxyState loaded;
    EXPECT_TRUE(LoadProxySettings(loaded));
    ExpectSame(Filled(), loaded);

    TProxyState empty = Filled();  // an empty password is stored as an empty text
    empty.Password.clear();
    SaveProxySettings(empty);
    EXPECT_EQ("", Text("Password"));
}

TEST_F(ProxySettingsTest, StoredTextsShowOnlyUnderATrueFlag) {
    struct Case {
        bool proxy, auth;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& c : cases) {
        Plant(c.proxy, c.auth);
        TProxyState s;
        LoadProxySettings(s);
        EXPECT_EQ(c.proxy, s.UseProxy);
        EXPECT_EQ(c.proxy ? "old.proxy" : "", s.Address);
        EXPECT_EQ(c.proxy ? "3128" : "", s.Port);
        EXPECT_EQ(c.auth, s.UseAuth);
        EXPECT_EQ(c.auth ? "olduser" : "", s.UserName);
        EXPECT_EQ(c.auth ? "oldpass" : "", s.Password);
    }
}

TEST_F(ProxySettingsTest, AllSixValuesAreWrittenWhateverTheBoxesSay) {
    Plant(false, false);
    TProxyState s;  // loads nothing of the hidden texts ...
    LoadProxySettings(s);
    s.Port = "not a number";  // ... and an unticked box's port is not checked
    SaveProxySettings(s);
    EXPECT_EQ(0, Number("Proxy"));
    EXPECT_EQ(0, Number("Auth"));
    EXPECT_EQ("", Text("ProxyAddress"));  // the stored address was overwritten by the empty field
    EXPECT_EQ("not a number", Text("ProxyPort"));
    EXPECT_EQ("", Text("UserName"));
    EXPECT_EQ("", Text("Password"));

    TProxyState disabledFields = Filled();  // texts of disabled fields are stored too
    disabledFields.UseProxy = disabledFields.UseAuth = false;
    SaveProxySettings(disabledFields);
    EXPECT_EQ("127.0.0.1", Text("ProxyAddress"));
    EXPECT_EQ("alice", Text("UserName"));
    EXPECT_EQ("p@ss w0rd", DecryptText(Text("Password"), kPassPhrase));
}

TEST_F(ProxySettingsTest, PortThatIsNoWholeNumberStopsAfterProxy) {
    for (const char* port : {"abc", "", "80 80", "0x50"}) {
        Plant(false, false);
        TProxyState s = Filled();
        s.Port = port;
        try {
            SaveProxySettings(s);
            ADD_FAILURE() << "saved port " << port;
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(std::string("'") + port + "'")) << e.what();
        }
        EXPECT_EQ(1, Number("Proxy")) << "Proxy is written before the check";
        EXPECT_EQ("old.proxy", Text("ProxyAddress"));
        EXPECT_EQ("3128", Text("ProxyPort"));
        EXPECT_EQ(0, Number("Auth"));
        EXPECT_EQ("olduser", Text("UserName"));
    }
}

TEST_F(ProxySettingsTest, KeyWithoutWriteAccessNamesProxyAndStoresNothing) {
    Plant(false, false);
    key.Close();
    test::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
    ASSERT_TRUE(readOnly.Active());
    try {
        SaveProxySettings(Filled());
        ADD_FAILURE() << "saved without write access";
    } catch (const ERegistryWriteError& e) {
        EXPECT_EQ("Proxy", e.ValueName());
        EXPECT_STREQ("Failed to set data for 'Proxy'", e.what());
    }
    TRegistry check;
    check.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_EQ(ERROR_SUCCESS, check.OpenKeyReadOnly(kTidewellKeyPath));
    int32_t proxy = -1;
    std::string address;
    check.ReadInteger("Proxy", proxy);
    check.ReadString("ProxyAddress", address);
    EXPECT_EQ(0, proxy);
    EXPECT_EQ("old.proxy", address);
    TProxyState loaded;  // reading still works
    EXPECT_TRUE(LoadProxySettings(loaded));
}

TEST_F(ProxySettingsTest, WrongTypesReadAsMissing) {
    Key().WriteString("Proxy", "1");  // a flag stored as text is not true
    Key().WriteBool("Auth", true);
    Key().WriteInteger("UserName", 7);
    Key().WriteString("Password", "!!not base64!!");
    TProxyState s;
    EXPECT_TRUE(LoadProxySettings(s));
    EXPECT_FALSE(s.UseProxy);
    EXPECT_TRUE(s.UseAuth);
    EXPECT_EQ("", s.UserName);
    EXPECT_EQ("", s.Password);
}
