// The report window over the real session record, and its links through the real shell: the
// test points the http protocol's open command at a command that writes down the address.
#include "tidewell/record/ReportUnit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/core/Registry.h"
#include "common/core/Text.h"
#include "common/ui/Application.h"
#include "tests/support/MachineKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/TestPaths.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/record/SessionRecord.h"

using namespace qv;
using namespace qv::ui;

namespace {

class ReportFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application().Initialize(); }
    void SetUp() override { test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath); }

    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey key{kTidewellKeyPath};
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return Trim(s.str());
}

}  // namespace

TEST_F(ReportFormTest, ShowsUnknownBeforeAnyRecordAndReadsAfreshOnEachShow) {
    TfrmReport f;
    EXPECT_FALSE(f.Visible());
    f.Show();
    RECT r;
    GetClientRect(f.Handle(), &r);
    EXPECT_EQ(357, r.right);
    EXPECT_EQ(282, r.bottom);
    EXPECT_EQ("Tidewell last run was on:  UNKNOWN", f.Label1->Caption());
    EXPECT_EQ("", f.RichEdit1->Text());
    EXPECT_EQ(0, GetWindowLongA(f.RichEdit1->Handle(), GWL_STYLE) & WS_TABSTOP) << "Tab skips the status";

    ASSERT_TRUE(RecordSessionResult(SessionErrorText("It broke. Error (ERTD-655)")));
    SendMessageA(f.suiButton1->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(f.Visible());
    f.Show();
    EXPECT_EQ("Tidewell last run was on: " + key.Text("LastDate"), f.Label1->Caption());
    EXPECT_EQ("Tidewell encountered an error: \"It broke. Error (ERTD-655)\".", f.RichEdit1->Text());

    key.Open().DeleteValue("LastStr");  // a date without a status: the box empties
    f.Hide();
    f.Show();
    EXPECT_EQ("", f.RichEdit1->Text());
}

TEST_F(ReportFormTest, LinksOpenTheSupportAndHomePagesThroughTheShell) {
    test::RegistrySnapshot keepHttp(HKEY_CLASSES_ROOT, "http");
    std::string folder = test::MakeTempFolder("links");
    std::string out = folder + "url.txt";
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_EQ(ERROR_SUCCESS, reg.OpenKey("http\\shell\\open\\command", true));
    ASSERT_EQ(ERROR_SUCCESS, reg.WriteString("", "C:\\windows\\system32\\cmd.exe /c echo %1>\"" + out + "\""));
    reg.CloseKey();

    TfrmReport f;
    f.Show();
    EXPECT_EQ("www.zephlor.example", f.suiURLLabel3->Caption());
    struct Case {
        TLabel* link;
        std::string url;
    } cases[] = {{f.suiURLLabel2, "http://www.zephlor.example/support/overview.htm"},
                 {f.suiURLLabel3, "http://www.zephlor.example/"}};
    for (const Case& c : cases) {
        DeleteFileA(out.c_str());
        SendMessageA(GetParent(c.link->Handle()), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c.link->Handle()), STN_CLICKED),
                     reinterpret_cast<LPARAM>(c.link->Handle()));
        for (int i = 0; i < 500 && ReadAll(out).empty(); ++i) Sleep(20);
        EXPECT_EQ(c.url, ReadAll(out));
    }
    test::RemoveFolderTree(folder);
}
