// Whichever way the program ends first, close-down runs once, and no timer handler runs after.
#include <gtest/gtest.h>

#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

namespace {
enum class Way { CloseSpot, AltF4, EndSession, TrayExit, WashEnd };

void End(TMainForm& f, Way w) {
    switch (w) {
        case Way::CloseSpot:
            SendMessageA(f.Image1->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(f.Label8->Handle()), STN_CLICKED),
                         reinterpret_cast<LPARAM>(f.Label8->Handle()));
            break;
        case Way::AltF4:
            SendMessageA(f.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Way::EndSession:
            EXPECT_TRUE(SendMessageA(f.Handle(), WM_QUERYENDSESSION, 0, 0)) << "the end is never refused";
            SendMessageA(f.Handle(), WM_ENDSESSION, TRUE, 0);
            break;
        case Way::TrayExit:
            f.Exit1->Click();
            break;
        case Way::WashEnd: {
            test::CreateKey(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
            HKEY k;
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOptionsKeyPath, 0, KEY_SET_VALUE, &k);
            DWORD one = 1;
            RegSetValueExA(k, "CloseQVAfterWash", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
            RegCloseKey(k);
            f.WashFinished();
            break;
        }
    }
}

void EndFirstThenEveryOtherWay(Way first) {
    test::RegistrySnapshot keep(HKEY_LOCAL_MACHINE, "Software\\Zephlor");
    ui::Application().Initialize();
    TMainForm f;
    f.Show();
    int ticks = 0;
    f.CPUTimer.OnTimer = [&](ui::TTimer*) { ++ticks; };
    f.MemoryTimer.OnTimer = [&](ui::TTimer*) { ++ticks; };
    f.MemoryTimer.SetInterval(1);
    f.CPUTimer.SetInterval(1);
    for (DWORD start = GetTickCount(); ticks == 0 && GetTickCount() - start < 5000;) {
        ui::Application().ProcessMessages();
        Sleep(2);
    }
    ASSERT_GT(ticks, 0) << "the timers run before the end";
    ticks = 0;

    End(f, first);
    EXPECT_EQ(1, f.CloseDownRuns());
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(f.Visible());
    for (Way w : {Way::CloseSpot, Way::AltF4, Way::EndSession, Way::TrayExit, Way::WashEnd}) End(f, w);
    EXPECT_EQ(1, f.CloseDownRuns());

    // Ticks already queued, and any that would come, are dropped.
    f.MemoryTimer.SetEnabled(true);
    Sleep(30);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(0, ticks);
}
}  // namespace

TEST(CloseDown, CloseSpotFirst) { EndFirstThenEveryOtherWay(Way::CloseSpot); }
TEST(CloseDown, AltF4First) { EndFirstThenEveryOtherWay(Way::AltF4); }
TEST(CloseDown, EndSessionFirst) { EndFirstThenEveryOtherWay(Way::EndSession); }
TEST(CloseDown, TrayExitFirst) { EndFirstThenEveryOtherWay(Way::TrayExit); }
TEST(CloseDown, WashEndFirst) { EndFirstThenEveryOtherWay(Way::WashEnd); }
