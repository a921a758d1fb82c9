// The System page of the real main window: its tabs, the model's facts in their labels, the
// sixteen folder rows and their buttons, and the " Windows " group under Wine's 98, 2000 and XP.
#include "quorvane/sysinfo/SystemPage.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include "common/core/Paths.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/support/MessagePump.h"
#include "tests/support/WineVersion.h"

using namespace qv;

namespace {
// Visible file-browser windows of other processes (Wine's explorer).
BOOL CALLBACK CollectBrowser(HWND h, LPARAM lp) {
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != GetCurrentProcessId() && IsWindowVisible(h) && lstrcmpiA(cls, "ExplorerWClass") == 0)
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

class SystemPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        if (!IsMainThread()) InitMainThread();
        form = new TMainForm();
        form->Show();
        form->SelectPage(piSystem);
        page = form->SystemPage.get();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    static TMainForm* form;
    static TSystemPage* page;
};
TMainForm* SystemPage::form = nullptr;
TSystemPage* SystemPage::page = nullptr;
}  // namespace

TEST_F(SystemPage, TwoTabsOfOneWidthBothInViewWithSystemSelected) {
    ASSERT_EQ(2, page->SystemTabs->TabCount());
    EXPECT_EQ(0, page->SystemTabs->TabIndex());
    EXPECT_TRUE(page->SystemSheet->Visible());
    EXPECT_FALSE(page->CpuSheet->Visible());
    const char* captions[] = {"System", "CPU"};
    for (int i = 0; i < 2; ++i) {
        char text[32] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(page->SystemTabs->TabsHandle(), TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(captions[i], text);
        RECT r{}, control{};
        SendMessageA(page->SystemTabs->TabsHandle(), TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
        GetClientRect(page->SystemTabs->TabsHandle(), &control);
        // Two tabs of 300 would not fit the page: they share the width, without scrolling.
        EXPECT_EQ(287, r.right - r.left) << captions[i];
        EXPECT_LE(r.right, control.right) << captions[i];
    }
    EXPECT_EQ(" Windows ", page->WindowsGroup->Caption());
    EXPECT_EQ("Special Folders Locations", page->FoldersGroup->Caption());
    EXPECT_EQ("CPU Information", page->CpuInfoGroup->Caption());
    EXPECT_EQ(page->CpuSheet, page->CpuUsageArea->Parent());
}

TEST_F(SystemPage, LabelsShowTheModelsFacts) {
    const TWindowsFacts w = ReadWindowsFacts();
    EXPECT_EQ(w.Version, page->RzLabel37->Caption());
    EXPECT_EQ(w.ProductID, page->RzLabel38->Caption());
    EXPECT_EQ(w.ProductName, page->RzLabel39->Caption());
    EXPECT_EQ(w.ProductType, page->RzLabel40->Caption());
    EXPECT_EQ(w.ServicePack, page->RzLabel41->Caption());
    EXPECT_EQ(w.Build, page->RzLabel42->Caption());
    EXPECT_EQ(w.Major, page->RzLabel30->Caption());
    EXPECT_EQ(w.Minor, page->RzLabel44->Caption());

    // The processor facts through a record of our own, so every field shows where it belongs.
    TCpuInfo cpu;
    cpu.Name = "Test Processor 9000";
    cpu.Vendor = "GenuineTests";
    cpu.Signature = {6, 158, 10};
    cpu.Mmx = true;
    cpu.LongMode = false;
    cpu.L2CacheKB = 256;
    cpu.L3CacheKB = 12288;
    cpu.FrequencyMHz = 3600;
    cpu.Processors = 8;
    page->ShowCpuInfo(cpu);
    const std::pair<ui::TLabel*, const char*> shown[] = {
        {page->RzLabel17, "Test Processor 9000"}, {page->lblProcessors, "8"}, {page->lblVendor, "GenuineTests"},
        {page->lblFamily, "6"},   {page->lblModel, "158"}, {page->lblStepping, "10"}, {page->lblIA64, "No"},
        {page->RzLabel51, "Yes"}, {page->RzLabel52, "3600"}, {page->RzLabel53, "256"}, {page->RzLabel54, "12288"}};
    for (const auto& s : shown) EXPECT_EQ(s.second, s.first->Caption()) << s.first->Name();
    EXPECT_TRUE(page->RzLabel17->Font().Bold);
    page->ShowCpuInfo(ReadCpuInfo());
    EXPECT_EQ(std::to_string(ReadCpuInfo().Processors), page->lblProcessors->Caption());
}

TEST_F(SystemPage, SixteenReadOnlyFolderRowsInTheirOrder) {
    const std::vector<TSpecialFolder> folders = ReadSpecialFolders();
    ASSERT_EQ(16u, folders.size());
    for (int i = 0; i < kSpecialFolderRows; ++i) {
        ui::TButtonEdit* edit = page->RzButtonEdit[static_cast<size_t>(i)];
        SCOPED_TRACE(folders[static_cast<size_t>(i)].Caption);
        EXPECT_EQ("RzButtonEdit" + std::to_string(i + 1), edit->Name());
        EXPECT_EQ(folders[static_cast<size_t>(i)].Path, edit->Text());
        EXPECT_TRUE(edit->ReadOnly());
        EXPECT_EQ(ui::clInfoBk, edit->Color());
        ui::TControl* caption = page->FoldersBox->FindControl("FolderCaption" + std::to_string(i + 1));
        ASSERT_NE(nullptr, caption);
        EXPECT_EQ(folders[static_cast<size_t>(i)].Caption, caption->Caption());
    }
    EXPECT_GT(page->FoldersBox->ContentHeight(), page->FoldersBox->Height()) << "the rows scroll";
}

// The folder button asks the shell to explore the field's folder: a file browser comes up.
TEST_F(SystemPage, TheTempButtonOpensAFileBrowser) {
    auto browsers = [] {
        std::vector<HWND> found;
        EnumWindows(CollectBrowser, reinterpret_cast<LPARAM>(&found));
        return found;
    };
    const size_t before = browsers().size();
    page->RzButtonEdit[13]->ButtonClick();  // "Temp"
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return browsers().size() > before; }, 30000));
    for (HWND h : browsers()) PostMessageA(h, WM_CLOSE, 0, 0);
}

TEST(SystemPageUnderWine, TheWindowsGroupFollowsTheVersion) {
    test::WineVersionSwitch versions;
    ASSERT_TRUE(versions.CanRestore());
    for (const test::WineWindowsFacts& f : test::kWineWindowsFacts) {
        SCOPED_TRACE(f.version);
        ASSERT_TRUE(versions.Set(f.version));
        auto r = test::KeyValueLines(test::RunAndRead("\"" + ProgramFolder() + "system_page_report.exe\""));
        test::ExpectWindowsFacts(f, r);
        EXPECT_EQ(1u, r.count("productid"));
    }
}
