// The Process page in the real main window: filled by the set-up, refreshed when the page is
// selected, on its timer only while shown, and its list gone at close-down.
#include <gtest/gtest.h>

#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/processes/ProbeProcess.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
void ClickNavigation(TMainForm& f, int item) {
    RECT r = f.RzGroupBar1->ItemRect(0, item);
    SendMessageA(f.RzGroupBar1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

int RowOf(TMainForm& f, DWORD pid) {
    ui::TListView* v = f.ProcessPage->RzListView1;
    for (int r = 0; r < v->Count(); ++r)
        if (v->ItemText(r, pcPID) == std::to_string(pid)) return r;
    return -1;
}
}  // namespace

TEST(ProcessPageWindow, SetUpFillsSelectingRefreshesAndTheTimerRunsOnlyWhileShown) {
    test::RegistrySnapshot keep(HKEY_LOCAL_MACHINE, "Software\\Zephlor");
    ui::Application().Initialize();
    TMainForm f;
    f.Show();
    TProcessPage& page = *f.ProcessPage;

    // The set-up made the list, filled the page once and sized the columns.
    ASSERT_NE(nullptr, f.ProcessList);
    EXPECT_EQ(f.ProcessList.get(), page.ProcessList());
    EXPECT_EQ(1u, page.Fills());
    EXPECT_GT(page.RzListView1->Count(), 0);
    EXPECT_EQ(f.ProcessList->Count(), page.RzListView1->Count());
    EXPECT_EQ(f.ProcessList->OSVersion(), ReadWindowsVersion());
    EXPECT_NE(nullptr, f.ProcessList->DefaultIcon());
    std::array<int, 6> widths = ProcessColumnWidths(page.RzListView1->Width());
    for (int c = 0; c < 6; ++c) EXPECT_EQ(widths[static_cast<size_t>(c)], page.RzListView1->ColumnWidth(c));
    EXPECT_FALSE(f.ProcessTimer.Enabled());

    // A process started now shows as soon as the page is selected, without waiting for a tick.
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, probe.Id());
    EXPECT_EQ(-1, RowOf(f, probe.Id()));
    ClickNavigation(f, piProcess);
    EXPECT_EQ(piProcess, f.JvPageList1->ActivePageIndex());
    EXPECT_TRUE(f.ProcessTimer.Enabled());
    EXPECT_EQ(2u, page.Fills());
    EXPECT_GE(RowOf(f, probe.Id()), 0);
    EXPECT_EQ(1 + [&] {
        int n = 0;
        for (int i = 0; i < f.ProcessList->Count(); ++i) n += f.ProcessList->Items(i)->Icon() != nullptr;
        return n;
    }(), page.IconList.Count());

    // The timer's ticks fill the page (a short period here, so that one comes soon).
    f.ProcessTimer.SetInterval(20);
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return page.Fills() >= 4; }, 10000));
    f.ProcessTimer.SetInterval(10000);

    ClickNavigation(f, piMemory);
    EXPECT_FALSE(f.ProcessTimer.Enabled());
    unsigned fills = page.Fills();
    ui::Application().ProcessMessages();
    EXPECT_EQ(fills, page.Fills()) << "no fill after leaving the page";

    f.Close();
    EXPECT_TRUE(f.ClosedDown());
    EXPECT_EQ(nullptr, f.ProcessList) << "close-down destroys the list";
    EXPECT_EQ(nullptr, page.ProcessList());
    EXPECT_EQ(0, page.RzListView1->Count()) << "no row points into the freed items";
    page.FillProcessView();
    EXPECT_EQ(fills, page.Fills());
}
