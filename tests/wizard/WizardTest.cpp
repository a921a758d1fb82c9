// The wizard window in this process, driven through its real buttons; the session record and
// the installed components are the real registry's.
#include "tidewell/wizard/MainUnit.h"

#include <gtest/gtest.h>

#include <memory>

#include "common/ui/Application.h"
#include "tests/support/MachineKey.h"
#include "tests/support/RegistrySnapshot.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/proxy/ConfigureForm.h"
#include "tidewell/record/ReportUnit.h"
#include "tidewell/record/SessionRecord.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/wizard/CloseFormUnit.h"

using namespace qv;
using namespace qv::ui;

namespace {

class WizardTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application().Initialize(); }
    void SetUp() override {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kVersionControlKeyPath);
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
    }

    // Creates the wizard as the program start does; checks made before FormCreate go in `before`.
    std::unique_ptr<TMainForm> Start(const std::vector<std::string>& args = {},
                                     const std::function<void(TMainForm&)>& before = nullptr) {
        auto f = std::make_unique<TMainForm>();
        Application().SetMainForm(f.get());
        f->OnStartListCheck = [this](const std::string& server) { searches.push_back(server); };
        if (before) before(*f);
        f->FormCreate(args);
        f->CreateSmallWindows();
        f->Show();
        return f;
    }
    static void Click(TButton* b) { SendMessageA(b->Handle(), BM_CLICK, 0, 0); }
    static std::vector<bool> Buttons(TMainForm& f) {
        return {f.btnBack->Enabled(), f.btnNext->Enabled(), f.CancelBtn->Enabled()};
    }
    static int VisiblePages(TMainForm& f) {
        int n = 0;
        for (TControl* p : std::vector<TControl*>{f.Frame1, f.Frame2, f.Frame3, f.Frame4, f.Frame5, f.Frame6, f.Frame7})
            n += p->Visible() ? 1 : 0;
        return n;
    }
    bool Recorded() { return tidewell.Open().ValueExists("LastStr"); }

    std::vector<std::string> searches;
    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
    test::MachineKey tidewell{kTidewellKeyPath};
    test::MachineKey versions{kVersionControlKeyPath};
};

}  // namespace

TEST_F(WizardTest, WindowLayoutAndStartState) {
    auto f = Start();
    RECT r;
    GetClientRect(f->Handle(), &r);
    EXPECT_EQ(515, r.right);
    EXPECT_EQ(319, r.bottom);
    EXPECT_EQ("Tidewell", f->Caption());
    EXPECT_EQ(0, GetWindowLongA(f->Handle(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_SYSMENU));
    EXPECT_EQ((std::vector<bool>{false, true, true}), Buttons(*f));
    EXPECT_EQ(1, f->CurrentPage);
    EXPECT_EQ(1, VisiblePages(*f));
    EXPECT_TRUE(f->Frame1->Visible());
    EXPECT_EQ("Untitled", f->UpdateInfo->Name);
    EXPECT_FALSE(f->SilentMode);
    EXPECT_FALSE(f->TrayMode);
    EXPECT_TRUE(searches.empty());
    // The window waits off-screen for the start-up timer, which centres it once.
    EXPECT_EQ(-1000, f->Left());
    MSG m;
    for (int i = 0; i < 200 && f->Timer1.Enabled(); ++i) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(5);
    }
    EXPECT_FALSE(f->Timer1.Enabled());
    RECT wr, area;
    GetWindowRect(f->Handle(), &wr);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((area.left + area.right) / 2, (wr.left + wr.right) / 2, 1);
    EXPECT_TRUE(f->Visible());
    EXPECT_FALSE(f->CloseForm().Visible());
    EXPECT_FALSE(f->ConfigureForm().Visible());
    EXPECT_FALSE(f->ReportForm().Visible());
}

TEST_F(WizardTest, WelcomePageListsTheInstalledComponents) {
    {
        auto f = Start();  // no key at all
        ASSERT_EQ(1, f->Frame1->ListBox1->Count());
        EXPECT_EQ("Tidewell couldnt find any installed components on your system", f->Frame1->ListBox1->Item(0));
    }
    versions.Open();
    versions.Close();
    {
        auto f = Start();  // an empty key
        ASSERT_EQ(1, f->Frame1->ListBox1->Count());
        EXPECT_EQ("Tidewell couldnt find any installed components on your system", f->Frame1->ListBox1->Item(0));
        EXPECT_TRUE(f->btnNext->Enabled());
    }
    TRegistry& k = versions.Open();
    k.WriteString("Quorvane.exe", "2.1.0");
    k.WriteString("Help\\Quorvane.chm", "1.0.0");
    k.WriteInteger("Odd.dll", 3);  // listed whatever its type
    std::vector<std::string> names;
    k.GetValueNames(names);
    versions.Close();
    auto f = Start();
    ASSERT_EQ(3, f->Frame1->ListBox1->Count());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(names[i], f->Frame1->ListBox1->Item(i));
}

TEST_F(WizardTest, NextSearchesWithEveryButtonDisabled) {
    struct Case {
        const char* stored;  // UpdateServer value, nullptr: none
        const char* server;
    } cases[] = {{nullptr, "http://update.zephlor.example"},
                 {"http://127.0.0.1:8123", "http://127.0.0.1:8123"},
                 {"http://mirror.zephlor.example/ ", "http://mirror.zephlor.example"},
                 {"", "http://update.zephlor.example"}};
    for (const Case& c : cases) {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        if (c.stored) tidewell.Open().WriteString("UpdateServer", c.stored);
        tidewell.Close();
        searches.clear();
        auto f = Start();
        Click(f->btnNext);
        EXPECT_EQ(2, f->CurrentPage);
        EXPECT_TRUE(f->Frame2->Visible());
        EXPECT_EQ(1, VisiblePages(*f));
        EXPECT_EQ((std::vector<bool>{false, false, false}), Buttons(*f));
        EXPECT_EQ("Next", f->btnNext->Caption());
        EXPECT_EQ("Connecting to zephlor update server...", f->Frame2->Label3->Caption());
        ASSERT_EQ(1u, searches.size());
        EXPECT_EQ(c.server, searches[0]);
    }
}

TEST_F(WizardTest, PageButtonsFollowTheTable) {
    struct Case {
        int page;
        const char* caption;
        std::vector<bool> buttons;  // Back, Next, Cancel
    } cases[] = {{3, "&Install", {false, true, true}},
                 {5, "&Finish", {false, true, false}},
                 {6, "&Finish", {false, true, false}},
                 {7, "&Finish", {false, true, false}}};
    auto f = Start();
    for (const Case& c : cases) {
        f->ShowPage(c.page);
        EXPECT_EQ(c.page, f->CurrentPage);
        EXPECT_EQ(1, VisiblePages(*f));
        EXPECT_EQ(c.caption, f->btnNext->Caption()) << c.page;
        EXPECT_EQ(c.buttons, Buttons(*f)) << c.page;
    }
    int downloads = 0;
    f->OnStartDownloads = [&] { ++downloads; };
    f->ShowPage(3);
    Click(f->btnNext);  // Install
    EXPECT_EQ(4, f->CurrentPage);
    EXPECT_EQ("Installing", f->btnNext->Caption());
    EXPECT_EQ((std::vector<bool>{false, false, true}), Buttons(*f));
    EXPECT_EQ(1, downloads);
}

TEST_F(WizardTest, FinishOnTheThankYouPagesRecordsSuccess) {
    for (int page : {5, 6}) {
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kTidewellKeyPath);
        auto f = Start();
        f->ShowPage(page);
        Click(f->btnNext);
        EXPECT_FALSE(f->Visible()) << page;
        EXPECT_TRUE(f->StopRequested);
        EXPECT_EQ(kSessionSuccessText, tidewell.Text("LastStr")) << page;
    }
}

TEST_F(WizardTest, AnErrorShowsPageSevenAndFinishKeepsItsRecord) {
    auto f = Start();
    Click(f->btnNext);
    std::string message = ErtdMessage(TErtd::E655);
    f->ReportError(message);
    EXPECT_EQ(7, f->CurrentPage);
    EXPECT_EQ(message, f->Frame7->Label2->Caption());
    EXPECT_EQ(SessionErrorText(message), tidewell.Text("LastStr"));
    f->ReportForm().Show();  // the report reads the record just written
    EXPECT_EQ(SessionErrorText(message), f->ReportForm().RichEdit1->Text());
    f->ReportForm().Hide();
    Click(f->btnNext);  // Finish
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(SessionErrorText(message), tidewell.Text("LastStr"));
}

TEST_F(WizardTest, CancelAndStopAndExitRecordNothing) {
    RecordSessionResult("earlier session");
    {
        auto f = Start();
        Click(f->CancelBtn);
        EXPECT_FALSE(f->Visible());
        EXPECT_TRUE(f->StopRequested);
    }
    {
        auto f = Start();
        f->ShowPage(2);  // every button disabled, the icon's menu still ends the program
        f->StopandExit1->Click();
        EXPECT_FALSE(f->Visible());
    }
    {
        auto f = Start();
        f->ShowPage(6);
        f->StopRequested = true;  // a stop already under way: Finish writes no record
        Click(f->btnNext);
        EXPECT_FALSE(f->Visible());
    }
    EXPECT_EQ("earlier session", tidewell.Text("LastStr"));
}

TEST_F(WizardTest, SilentModeSearchesAtOnceWithTheSettingsDialogReady) {
    TRegistry& k = tidewell.Open();
    k.WriteBool("Proxy", true);
    k.WriteString("ProxyAddress", "127.0.0.1");
    k.WriteString("ProxyPort", "3128");
    tidewell.Close();
    std::string proxyAtSearch;
    auto f = Start({"-s"}, [&](TMainForm& form) {
        form.OnStartListCheck = [&](const std::string& server) {
            searches.push_back(server);
            proxyAtSearch = form.ConfigureForm().ProxyState().Address;
        };
    });
    EXPECT_TRUE(f->SilentMode);
    ASSERT_EQ(1u, searches.size());
    EXPECT_EQ("127.0.0.1", proxyAtSearch) << "the workers find the stored settings";
    EXPECT_EQ(1, f->CurrentPage);
    EXPECT_EQ((std::vector<bool>{false, false, true}), Buttons(*f));
}

TEST_F(WizardTest, TrayModeHidesTheWindowOnTheFirstTick) {
    auto f = Start({"x", "-M"});
    EXPECT_TRUE(f->TrayMode);
    MSG m;
    for (int i = 0; i < 200 && f->Timer1.Enabled(); ++i) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(5);
    }
    EXPECT_FALSE(f->Visible());
    f->ShowProgress1->Click();  // the icon's menu brings it back
    EXPECT_TRUE(f->Visible());
}

TEST_F(WizardTest, TrayIconStaysAndBringsTheWindowBack) {
    auto f = Start();
    EXPECT_TRUE(f->CoolTrayIcon1.Visible());
    EXPECT_EQ("Tidewell", f->CoolTrayIcon1.Hint());
    SendMessageA(f->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // minimize to the notification area
    EXPECT_FALSE(f->Visible());
    EXPECT_TRUE(f->CoolTrayIcon1.Visible());
    HWND icon = f->CoolTrayIcon1.Handle();
    SendMessageA(icon, TTrayIcon::CallbackMessage, f->CoolTrayIcon1.ID(), WM_LBUTTONDOWN);
    SendMessageA(icon, TTrayIcon::CallbackMessage, f->CoolTrayIcon1.ID(), WM_LBUTTONUP);
    SendMessageA(icon, TTrayIcon::CallbackMessage, f->CoolTrayIcon1.ID(), WM_LBUTTONDBLCLK);
    SendMessageA(icon, TTrayIcon::CallbackMessage, f->CoolTrayIcon1.ID(), WM_LBUTTONUP);
    EXPECT_TRUE(f->Visible()) << "a double click shows the progress";
    EXPECT_TRUE(f->ShowProgress1->Default);
}
