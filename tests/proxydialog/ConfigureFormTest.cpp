// The settings dialog driven as the user drives it: clicks on its boxes and buttons, text typed
// into its fields; the stored values are read back from the real registry.
#include "tidewell/proxy/ConfigureForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "common/ui/Application.h"
#include "tests/support/MachineKey.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/support/ReadOnlyKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/proxy/Encryption.h"

using namespace qv;
using namespace qv::ui;

namespace {

class ConfigureFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application().Initialize(); }
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath); }

    std::unique_ptr<TfrmConfigure> Open() {
        auto f = std::make_unique<TfrmConfigure>();
        f->Show();
        return f;
    }
    static void Click(TControl* c) { SendMessageA(c->Handle(), BM_CLICK, 0, 0); }
    static void Type(TEdit* e, const char* text) {
        SendMessageA(e->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    // The background the field gets when the system paints it (the colour message its parent answers).
    static COLORREF Background(TEdit* e) {
        HDC dc = GetDC(e->Handle());
        UINT msg = IsWindowEnabled(e->Handle()) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(GetParent(e->Handle()), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(e->Handle())));
        ReleaseDC(e->Handle(), dc);
        LOGBRUSH lb{};
        GetObjectA(brush, sizeof lb, &lb);
        return lb.lbColor;
    }
    static void ExpectField(TEdit* e, bool enabled, const std::string& text) {
        EXPECT_EQ(enabled, IsWindowEnabled(e->Handle()) != FALSE) << e->Name();
        EXPECT_EQ(enabled ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE), Background(e)) << e->Name();
        EXPECT_EQ(text, e->Text()) << e->Name();
    }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kTidewellKeyPath};
};

}  // namespace

TEST_F(ConfigureFormTest, NothingStoredOpensEmptyAndDisabled) {
    auto f = Open();
    RECT r;
    GetClientRect(f->Handle(), &r);
    EXPECT_EQ(364, r.right);
    EXPECT_EQ(229, r.bottom);
    EXPECT_EQ("Settings", f->Caption());
    EXPECT_FALSE(f->CheckBox1->Checked());
    EXPECT_FALSE(f->CheckBox2->Checked());
    for (TEdit* e : {f->Edit1, f->Edit2, f->Edit3, f->Edit4}) ExpectField(e, false, "");
    EXPECT_EQ(0, GetWindowLongA(f->Edit4->Handle(), GWL_STYLE) & ES_PASSWORD) << "the password shows in clear";
    TProxyState s = f->ProxyState();
    EXPECT_FALSE(s.UseProxy);
    EXPECT_FALSE(s.UseAuth);
}

TEST_F(ConfigureFormTest, EachBoxEnablesItsFieldsAndUntickingKeepsTheirText) {
    auto f = Open();
    Click(f->CheckBox1);
    ExpectField(f->Edit1, true, "");
    ExpectField(f->Edit2, true, "");
    ExpectField(f->Edit3, false, "");
    Type(f->Edit1, "proxy.local");
    Type(f->Edit2, "3128");
    Click(f->CheckBox1);
    ExpectField(f->Edit1, false, "proxy.local");
    ExpectField(f->Edit2, false, "3128");

    Click(f->CheckBox2);
    ExpectField(f->Edit3, true, "");
    ExpectField(f->Edit4, true, "");
    ExpectField(f->Edit1, false, "proxy.local");
    Type(f->Edit3, "alice");
    Click(f->CheckBox2);
    ExpectField(f->Edit3, false, "alice");

    TProxyState s = f->ProxyState();  // the workers' copy follows every click and keystroke
    EXPECT_FALSE(s.UseProxy);
    EXPECT_EQ("proxy.local", s.Address);
    EXPECT_EQ("3128", s.Port);
    EXPECT_FALSE(s.UseAuth);
    EXPECT_EQ("alice", s.UserName);
}

TEST_F(ConfigureFormTest, TabGoesAuthenticationThenProxyThenOkCancelApply) {
    auto f = Open();
    Click(f->CheckBox1);
    Click(f->CheckBox2);
    std::vector<HWND> expected = {f->CheckBox2->Handle(), f->Edit3->Handle(), f->Edit4->Handle(),
                                  f->CheckBox1->Handle(), f->Edit1->Handle(), f->Edit2->Handle(),
                                  f->btnOk->Handle(),     f->btnCancel->Handle(), f->btnApply->Handle()};
    HWND h = f->btnApply->Handle();
    for (HWND want : expected) {
        h = GetNextDlgTabItem(f->Handle(), h, FALSE);
        EXPECT_EQ(want, h);
    }
}

TEST_F(ConfigureFormTest, StoredValuesShowOnlyWhenTheirFlagIsSet) {
    TRegistry& k = key.Open();
    k.WriteBool("Proxy", true);
    k.WriteString("ProxyAddress", "10.0.0.1");
    k.WriteString("ProxyPort", "8080");
    k.WriteBool("Auth", false);
    k.WriteString("UserName", "olduser");
    k.WriteString("Password", EncryptText("oldpass", kPassPhrase));
    key.Close();

    auto f = Open();
    EXPECT_TRUE(f->CheckBox1->Checked());
    ExpectField(f->Edit1, true, "10.0.0.1");
    ExpectField(f->Edit2, true, "8080");
    EXPECT_FALSE(f->CheckBox2->Checked());
    ExpectField(f->Edit3, false, "");
    ExpectField(f->Edit4, false, "");

    Click(f->btnApply);  // the empty fields overwrite what was stored behind the unset flag
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ("", key.Text("UserName"));
    EXPECT_EQ("", key.Text("Password"));
    EXPECT_EQ("10.0.0.1", key.Text("ProxyAddress"));
}

TEST_F(ConfigureFormTest, OkStoresAndTheNextStartShowsIt) {
    {
        TfrmConfigure f;
        Click(f.CheckBox1);
        Type(f.Edit1, "127.0.0.1");
        Type(f.Edit2, "3128");
        Click(f.CheckBox2);
        Type(f.Edit3, "bob");
        Type(f.Edit4, "s3cret word");
        PostMessageA(f.btnOk->Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(mrOk, f.ShowModal());
        EXPECT_FALSE(f.Visible());
    }
    EXPECT_EQ(1, key.Number("Proxy"));
    EXPECT_NE("s3cret word", key.Text("Password"));
    auto again = Open();
    EXPECT_TRUE(again->CheckBox1->Checked());
    ExpectField(again->Edit1, true, "127.0.0.1");
    ExpectField(again->Edit2, true, "3128");
    EXPECT_TRUE(again->CheckBox2->Checked());
    ExpectField(again->Edit3, true, "bob");
    ExpectField(again->Edit4, true, "s3cret word");
}

TEST_F(ConfigureFormTest, CancelStoresNothingButTheWorkersUseTheEdits) {
    auto f = Open();
    Click(f->CheckBox1);
    Type(f->Edit1, "edited.proxy");
    Type(f->Edit2, "8888");
    Click(f->btnCancel);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(key.Open().ValueExists("Proxy"));
    TProxyState s = f->ProxyState();
    EXPECT_TRUE(s.UseProxy);
    EXPECT_EQ("edited.proxy", s.Address);
    EXPECT_EQ("8888", s.Port);
    f->Show();  // showing it again doesn't reload the registry
    EXPECT_TRUE(f->CheckBox1->Checked());
    EXPECT_EQ("edited.proxy", f->Edit1->Text());
}

TEST_F(ConfigureFormTest, APortOfLettersIsRefusedNamingTheText) {
    auto f = Open();
    Click(f->CheckBox1);
    Type(f->Edit1, "proxy.local");
    Type(f->Edit2, "http");
    {
        test::MessageBoxCatcher boxes;
        Click(f->btnOk);
        ASSERT_EQ(1u, boxes.Texts().size());
        EXPECT_EQ("'http' is not a valid integer value", boxes.Texts()[0]);
    }
    EXPECT_TRUE(f->Visible()) << "the dialog stays open";
    EXPECT_EQ(1, key.Number("Proxy")) << "Proxy is written before the port is looked at";
    EXPECT_FALSE(key.Open().ValueExists("ProxyAddress"));
}

TEST_F(ConfigureFormTest, NoWriteAccessShowsTheProxyValueAndStoresNothing) {
    test::CreateKey(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
    auto f = Open();
    Click(f->CheckBox2);
    Type(f->Edit3, "carol");
    {
        test::ReadOnlyKey locked(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        ASSERT_TRUE(locked.Active());
        test::MessageBoxCatcher boxes;
        Click(f->btnApply);
        ASSERT_EQ(1u, boxes.Texts().size());
        EXPECT_EQ("Failed to set data for 'Proxy'", boxes.Texts()[0]);
    }
    EXPECT_TRUE(f->Visible());
    TRegistry& k = key.Open();
    EXPECT_FALSE(k.ValueExists("Proxy"));
    EXPECT_FALSE(k.ValueExists("UserName"));
}
