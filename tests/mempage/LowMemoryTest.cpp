// The monitor inside the real main window: its groups on the Memory page, the two monitor
// timers, the low-memory test at the end of every memory tick, and the copies of its graphs.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "common/core/Handles.h"
#include "common/thread/Thread.h"
#include "common/ui/Application.h"
#include "quorvane/memory/AutoClean.h"
#include "quorvane/memory/MemoryPage.h"
#include "quorvane/memory/RelThrd.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/monitor/FakeProbe.h"
#include "tests/support/MessagePump.h"
#include "tests/support/RegistrySnapshot.h"

using namespace qv;

void ExpectClipboardHoldsTheGraph(const ui::TScope* scope);  // MemoryPageTest.cpp

namespace {
constexpr uint64_t MB = 1048576;

// One main window for the suite: its set-up holds the splash for two seconds.
class MemoryPageInMainWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::Application().Initialize();
        if (!IsMainThread()) InitMainThread();  // the washes hand their end back to this thread
        form = new TMainForm();
        form->Show();
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
    }
    void SetUp() override {
        // Washes here are of 0 MB and never end the program.
        test::DeleteKeyTree(HKEY_LOCAL_MACHINE, kOptionsKeyPath);
        form->JvTrackBar1->SetPosition(0);
    }
    void TearDown() override {
        form->AutoClean->RzCheckBox7->SetChecked(false);
        ASSERT_TRUE(test::PumpMessagesUntil([] { return !form->WashRunningOrWaiting(); }));
    }
    static void MemoryTick() { form->MemoryTimer.OnTimer(&form->MemoryTimer); }
    static TMainForm* form;
    test::RegistrySnapshot keep{HKEY_LOCAL_MACHINE, "Software\\Zephlor"};
};
TMainForm* MemoryPageInMainWindow::form = nullptr;

RECT BoundsOf(const ui::TControl* c) { return {c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()}; }
}  // namespace

TEST_F(MemoryPageInMainWindow, GroupsFillThePageAboveMemoryToFreeWithoutOverlapping) {
    TMemoryMonitor& m = *form->MemoryMonitor;
    struct Group {
        ui::TGroupBox* box;
        const char* caption;
    } groups[] = {{m.RzGroupBox1, "Memory Usage History"}, {m.RzGroupBox2, "CPU Usage"},
                  {m.RzGroupBox3, "Memory Usage"},         {m.RzGroupBox4, "System"},
                  {m.RzGroupBox5, "Paging File"},          {m.RzGroupBox6, "Memory Monitor"}};
    for (size_t i = 0; i < std::size(groups); ++i) {
        const Group& g = groups[i];
        EXPECT_EQ(form->Memory, g.box->Parent()) << g.caption;
        RECT r = BoundsOf(g.box);
        EXPECT_GE(r.left, 0) << g.caption;
        EXPECT_LE(r.right, 596) << g.caption;
        EXPECT_LE(r.bottom, form->RzGroupBox7->Top()) << g.caption << " reaches into \"Memory To Free\"";
        for (size_t j = i + 1; j < std::size(groups); ++j) {
            RECT o = BoundsOf(groups[j].box), both;
            EXPECT_FALSE(IntersectRect(&both, &r, &o)) << g.caption << " overlaps " << groups[j].caption;
        }
    }
    struct Caption {
        const char* value;
        const char* caption;
    } captions[] = {{"Label10", "Total:"},         {"Label7", "Used:"},
                    {"Label6", "Available:"},      {"Label21", "Max Size:"},
                    {"Label20", "Used:"},          {"Label17", "Available:"},
                    {"Label32", "System Uptime:"}, {"Label31", "Running Processes:"},
                    {"Label30", "Windows:"},       {"RzProgressBar1", "Physical Memory Available"},
                    {"RzProgressBar2", "Page File Usage"}};
    for (const Caption& c : captions) {
        ui::TControl* label = form->Memory->FindControl(std::string(c.value) + "Caption");
        ASSERT_NE(nullptr, label) << c.value;
        EXPECT_EQ(c.caption, label->Caption()) << c.value;
        EXPECT_NE(nullptr, form->Memory->FindControl(c.value));
    }
    EXPECT_FALSE(m.Label10->Caption().empty()) << "filled by the set-up";
    EXPECT_TRUE(m.JvSimScope1->Active());
}

TEST_F(MemoryPageInMainWindow, MonitorTimersRunFromTheStartAlsoInTheTray) {
    // The start-up applies the stored refresh rate (index i: (i + 1) x 500 ms).
    EXPECT_EQ(static_cast<UINT>((form->Settings->AutoRefreshInterval() + 1) * 500), form->MemoryTimer.Interval());
    EXPECT_EQ(1000u, form->CPUTimer.Interval());
    form->HideToTray();
    EXPECT_TRUE(form->MemoryTimer.Enabled());
    EXPECT_TRUE(form->CPUTimer.Enabled());
    // The ticks themselves come through the message loop while hidden too.
    std::string before = form->MemoryMonitor->Label32->Caption();
    test::FakeProbe probe;
    probe.Memory = {1024 * MB, 512 * MB, 1024 * MB, 512 * MB};
    probe.Tick = 93784000;
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return form->MemoryMonitor->Label32->Caption() == "1 D 2 H 3 M 4 S "; },
                                        5000));
    EXPECT_TRUE(test::PumpMessagesUntil([&] { return form->MemoryMonitor->JvSimScope3->Active(); }, 5000));
    form->RestoreFromTray();
}

TEST_F(MemoryPageInMainWindow, LowMemoryLimitIsExactThroughTheProbe) {
    struct Case {
        const char* what;
        bool enabled;
        int limitMB;
        uint64_t available;
        bool washes;
    } cases[] = {
        {"exactly at the limit", true, 100, 100 * MB, false},
        {"one byte below it", true, 100, 100 * MB - 1, true},
        {"far above it", true, 100, 4096 * MB, false},
        {"switched off", false, 100, 0, false},
        {"limit of 1 MB, one byte below", true, 1, MB - 1, true},
    };
    test::FakeProbe probe;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        form->AutoClean->RzCheckBox7->SetChecked(c.enabled);
        form->AutoClean->RzSpinEdit2->SetValue(c.limitMB);
        ASSERT_EQ(c.limitMB, form->AutoClean->LimitInForce());
        probe.Memory = {8192 * MB, c.available, 8192 * MB, 4096 * MB};
        MemoryTick();
        EXPECT_EQ(c.washes ? 1 : 0, form->WashesInFlight());
        EXPECT_EQ(!c.washes, form->RzButton1->Enabled()) << "a wash started as \"Clean Now\" does";
        ASSERT_TRUE(test::PumpMessagesUntil([] { return !form->WashRunningOrWaiting(); }));
        EXPECT_TRUE(form->RzButton1->Enabled());
    }
}

TEST_F(MemoryPageInMainWindow, NoFurtherLowMemoryWashWhileOneRunsOrWaits) {
    test::FakeProbe probe;
    probe.Memory = {8192 * MB, 10 * MB, 8192 * MB, 4096 * MB};
    form->AutoClean->RzCheckBox7->SetChecked(true);
    form->AutoClean->RzSpinEdit2->SetValue(100);
    WashLock.Enter();  // the wash that starts waits for its turn
    MemoryTick();
    ASSERT_EQ(1, form->WashesInFlight());
    for (int i = 0; i < 3; ++i) MemoryTick();
    EXPECT_EQ(1, form->WashesInFlight()) << "low-memory ticks queue nothing behind a waiting wash";
    form->MemoryCleanTimer.OnTimer(&form->MemoryCleanTimer);
    EXPECT_EQ(2, form->WashesInFlight()) << "the periodic wash is not held back";
    WashLock.Leave();
    ASSERT_TRUE(test::PumpMessagesUntil([] { return !form->WashRunningOrWaiting(); }));
    MemoryTick();
    EXPECT_EQ(1, form->WashesInFlight()) << "after the last wash ended the test runs as usual";
}

TEST_F(MemoryPageInMainWindow, EachGraphCopiesExactlyItsPixelsToTheClipboard) {
    form->SelectPage(piMemory);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    // Through the real right-button release on the memory graph.
    ui::TScope* scope1 = form->MemoryMonitor->JvSimScope1;
    test::WhenMenuOpens(nullptr, {VK_DOWN, VK_RETURN});
    SendMessageA(scope1->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    SendMessageA(scope1->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    ExpectClipboardHoldsTheGraph(scope1);
    // The processor graph's own menu copies the processor graph.
    form->MemoryMonitor->PopupMenu6.Items().Items()[0]->Click();
    ExpectClipboardHoldsTheGraph(form->MemoryMonitor->JvSimScope3);
}
