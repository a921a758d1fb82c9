// The list check through a real tinyproxy with basic authentication (started around this
// executable), with the proxy settings stored by the settings dialog, password encrypted.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TestHttpServer.h"
#include "tests/updatelist/ListCheckFixture.h"
#include "tidewell/proxy/ConfigureForm.h"
#include "tidewell/record/SessionRecord.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/updatelist/UpdateServer.h"

using namespace qv;
using namespace qv::test;

namespace {

class ListCheckProxyTest : public ListCheckFixture {
protected:
    // What a user types into the settings dialog and saves with OK.
    void SaveThroughDialog(const std::string& password) {
        TfrmConfigure dialog;
        dialog.Show();
        auto tick = [](ui::TCheckBox* box) {
            if (!box->Checked()) SendMessageA(box->Handle(), BM_CLICK, 0, 0);
        };
        tick(dialog.CheckBox1);
        tick(dialog.CheckBox2);
        auto type = [](ui::TEdit* field, const std::string& text) {
            SendMessageA(field->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        };
        type(dialog.Edit1, "127.0.0.1");
        type(dialog.Edit2, std::getenv("QV_TEST_PROXY_PORT"));
        type(dialog.Edit3, std::getenv("QV_TEST_PROXY_USER"));
        type(dialog.Edit4, password);
        ASSERT_TRUE(dialog.SaveSettings());
    }
};

}  // namespace

TEST_F(ListCheckProxyTest, TheListComesThroughTheProxyWithTheStoredPassword) {
    ASSERT_NE(nullptr, std::getenv("QV_TEST_PROXY_PORT")) << "run through ctest: the proxy comes from with_tinyproxy.sh";
    const std::string password = std::getenv("QV_TEST_PROXY_PASSWORD");
    struct Case {
        const char* name;
        std::string password;
        int page;
    } cases[] = {{"right password", password, 3}, {"wrong password", password + "x", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        Install({{"Quorvane.exe", "2.1.0"}});
        TestHttpServer server;
        HttpReply reply;
        reply.body = ListXml(Entry("Quorvane.exe", "2.2.0") + Entry("Tidewell.exe", "1.0.0", "", "1", "0"));
        server.Serve(kUpdateListPath, reply);
        PointAt("http://127.0.0.1:" + std::to_string(server.Port()));
        SaveThroughDialog(c.password);
        std::string stored = tidewell.Text("Password");
        EXPECT_NE(c.password, stored) << "the password is stored encrypted";
        EXPECT_FALSE(stored.empty());

        auto f = Start();
        EXPECT_EQ(c.password, f->ConfigureForm().ProxyState().Password) << "the dialog decrypted it at start";
        SendMessageA(f->btnNext->Handle(), BM_CLICK, 0, 0);
        ASSERT_TRUE(CheckEnded(*f));
        EXPECT_EQ(c.page, f->CurrentPage);
        std::vector<SeenRequest> seen = server.Requests();
        if (c.page == 3) {
            ASSERT_EQ(2u, seen.size()) << "HEAD and GET";
            EXPECT_EQ("HEAD", seen[0].method);
            EXPECT_EQ("GET", seen[1].method);
            for (const SeenRequest& r : seen) EXPECT_NE("", r.Header("Via")) << "came through the proxy";
            ASSERT_EQ(2, f->Frame3->CheckListBox1->Count());
            EXPECT_TRUE(f->Frame3->CheckListBox1->Checked(0));
            EXPECT_FALSE(f->Frame3->CheckListBox1->Checked(1));
        } else {
            EXPECT_TRUE(seen.empty()) << "the proxy turned the request away";
            EXPECT_EQ(ErtdMessage(TErtd::E671), f->Frame7->Label2->Caption());
            EXPECT_EQ(SessionErrorText(ErtdMessage(TErtd::E671)), tidewell.Text("LastStr"));
        }
        server.Stop();
    }
}
