#include "quorvane/shell/MainUnit.h"

#include <gtest/gtest.h>

#include "common/core/OSError.h"
#include "common/ui/Application.h"
#include "quorvane/memory/WashSize.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
// One main window for the whole suite: its set-up holds the splash for two seconds.
class MainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        form = new TMainForm();
        form->Show();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    static LPARAM At(const RECT& r) { return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    static TMainForm* form;
    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
};
TMainForm* MainWindow::form = nullptr;

void SetCloseAfterWash(DWORD type, const void* data, DWORD size) {
    test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKeyPath, 0, KEY_SET_VALUE, &k));
    RegSetValueExA(k, "CloseQVAfterWash", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(k);
}
}  // namespace

TEST_F(MainWindow, BorderlessWhiteAndCentredWithItsParts) {
    RECT client, window, area;
    GetClientRect(form->Handle(), &client);
    GetWindowRect(form->Handle(), &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(776, client.right);
    EXPECT_EQ(601, client.bottom);
    EXPECT_EQ(776, window.right - window.left) << "no border, no caption bar";
    EXPECT_NEAR((area.left + area.right) / 2, (window.left + window.right) / 2, 1);
    EXPECT_EQ(0, GetWindowLongA(form->Handle(), GWL_STYLE) & WS_CAPTION);
    struct Part {
        ui::TControl* c;
        int left, top, width, height;
    } parts[] = {{form->Image1, 0, 0, 776, 127},       {form->Image2, 0, 556, 776, 45},
                 {form->RzGroupBar1, 0, 127, 180, 429}, {form->JvPageList1, 180, 127, 596, 429},
                 {form->Label3, 715, 18, 22, 23},       {form->Label8, 739, 19, 21, 21}};
    for (const Part& p : parts) {
        POINT o = p.c->ClientOrigin();
        EXPECT_EQ(p.left, o.x) << p.c->Name();
        EXPECT_EQ(p.top, o.y) << p.c->Name();
        EXPECT_EQ(p.width, p.c->Width()) << p.c->Name();
        EXPECT_EQ(p.height, p.c->Height()) << p.c->Name();
    }
}

TEST_F(MainWindow, NavigationSelectsPagesAndPageTimersFollow) {
    EXPECT_EQ(0, form->RzGroupBar1->OpenGroupIndex());
    EXPECT_EQ("Help", form->RzGroupBar1->Group(1)->Caption());
    EXPECT_EQ(3, form->RzGroupBar1->Group(1)->ItemCount());
    EXPECT_EQ(piMemory, form->JvPageList1->ActivePageIndex());
    EXPECT_TRUE(form->MemoryTimer.Enabled());
    EXPECT_TRUE(form->CPUTimer.Enabled());
    EXPECT_FALSE(form->MemoryCleanTimer.Enabled());

    struct Step {
        int item;  // -1: SelectPage(outside) instead of a click
        int expectPage;
        bool processTimer, startupTimer;
    } steps[] = {
        {1, piProcess, true, false}, {2, piStartup, false, true}, {-1, piStartup, false, true},
        {3, piSystem, false, false}, {1, piProcess, true, false}, {-1, piProcess, false, false},
        {4, piOptions, false, false}, {0, piMemory, false, false},
    };
    for (const Step& s : steps) {
        if (s.item >= 0)
            SendMessageA(form->RzGroupBar1->Handle(), WM_LBUTTONUP, 0, At(form->RzGroupBar1->ItemRect(0, s.item)));
        else
            form->SelectPage(5);
        EXPECT_EQ(s.expectPage, form->JvPageList1->ActivePageIndex()) << s.item;
        EXPECT_EQ(s.processTimer, form->ProcessTimer.Enabled()) << s.item;
        EXPECT_EQ(s.startupTimer, form->StartupTimer.Enabled()) << s.item;
        EXPECT_TRUE(form->JvPageList1->ActivePage()->Visible());
    }
    EXPECT_EQ(10000u, form->ProcessTimer.Interval());
    EXPECT_EQ(5000u, form->StartupTimer.Interval());
}

TEST_F(MainWindow, TrayMenuInItsOrder) {
    std::vector<std::string> captions;
    for (auto& i : form->SysTryMenu.Items().Items()) captions.push_back(i->Caption);
    EXPECT_EQ((std::vector<std::string>{"Wash Now!", "-", "Show", "-", "Run Tidewell", "-", "Help", "-", "Exit"}),
              captions);
}

TEST_F(MainWindow, WashSizeStartsAtHalfTheMemoryAndTheLabelFollows) {
    int32_t max = WashSizeMaximum(TotalPhysicalMemory());
    EXPECT_EQ(max, form->JvTrackBar1->Max());
    EXPECT_EQ(max / 2, form->JvTrackBar1->Position());
    EXPECT_EQ(FreeLabelText(max / 2), form->RzLabel14->Caption());
    EXPECT_EQ(kFreeGreen, form->RzLabel14->Font().Color);
    form->JvTrackBar1->SetPosition(max * 6 / 10);
    EXPECT_EQ(kFreeBlue, form->RzLabel14->Font().Color);
    form->JvTrackBar1->SetPosition(max);
    EXPECT_EQ(kFreeRed, form->RzLabel14->Font().Color);
    EXPECT_EQ(FreeLabelText(max), form->RzLabel14->Caption());
    form->JvTrackBar1->SetPosition(max / 2);
}

TEST_F(MainWindow, WashFinishedStaysOpenUnlessTheRegistrySaysOtherwise) {
    DWORD zero = 0;
    test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
    form->RzButton1->SetEnabled(false);
    form->WashMemoryNow1->Enabled = false;
    ui::SetScreenCursor(ui::TCursor::HourGlass);
    form->WashFinished();  // no options key at all
    EXPECT_TRUE(form->RzButton1->Enabled());
    EXPECT_TRUE(form->WashMemoryNow1->Enabled);
    EXPECT_EQ(ui::TCursor::Default, ui::ScreenCursor());

    test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
    form->WashFinished();  // key without the value
    SetCloseAfterWash(REG_DWORD, &zero, sizeof zero);
    form->WashFinished();
    EXPECT_FALSE(form->ClosedDown());

    SetCloseAfterWash(REG_SZ, "1", 2);
    EXPECT_THROW(form->WashFinished(), EOSError) << "an unreadable value is an error for the error window";
    EXPECT_FALSE(form->ClosedDown());
    EXPECT_TRUE(form->RzButton1->Enabled());
}

TEST_F(MainWindow, ShowBringsTheWindowBackCentredFromTheTray) {
    SetWindowPos(form->Handle(), nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    HWND spotParent = form->Image1->Handle();
    SendMessageA(spotParent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(form->Label3->Handle()), STN_CLICKED),
                 reinterpret_cast<LPARAM>(form->Label3->Handle()));
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "minimized into the tray";
    EXPECT_TRUE(form->InTray());
    form->Show1->Click();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(form->Handle()));
    RECT window, area;
    GetWindowRect(form->Handle(), &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((area.left + area.right) / 2, (window.left + window.right) / 2, 1);
    EXPECT_NEAR((area.top + area.bottom) / 2, (window.top + window.bottom) / 2, 1);
    EXPECT_EQ(776, window.right - window.left);
}
