// The Process page on a host form, over a real process list and real probe processes.
#include "quorvane/processes/ProcessPage.h"

#include <gtest/gtest.h>
#include <dlgs.h>

#include <atomic>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "common/ui/Timer.h"
#include "quorvane/memory/MemoryFigures.h"
#include "quorvane/processes/WindowsVersion.h"
#include "tests/processes/ProbeProcess.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/support/MessagePump.h"
#include "tests/support/TestPaths.h"
#include "tests/uictl/UiTestSupport.h"

using namespace qv;

namespace {
const char kProbeName[] = "qv_procprobe.exe";

struct PageHost : ui::TForm {
    ui::TPanel* page;
    static ui::TFormOptions Options() {
        ui::TFormOptions o;
        o.ClientWidth = 596;
        o.ClientHeight = 429;
        o.Caption = "Process page";
        return o;
    }
    PageHost() : ui::TForm("PageHost", Options()) {
        page = Add<ui::TPanel>("Process");
        page->SetBounds(0, 0, 596, 429);
    }
};

struct DialogSearch {
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<DialogSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    char cls[16] = "", text[128] = "";
    GetClassNameA(h, cls, sizeof cls);
    GetWindowTextA(h, text, sizeof text);
    if (pid == GetCurrentProcessId() && IsWindowVisible(h) && !lstrcmpA(cls, "#32770") &&
        (!s->caption || !lstrcmpA(text, s->caption))) {
        s->found = h;
        return FALSE;
    }
    return TRUE;
}

// A dialog window (#32770) of this process with this caption (any, for nullptr); nullptr
// when none is shown.
HWND FindDialog(const char* caption) {
    DialogSearch s{caption, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

class ProcessPage : public test::UiTest {
protected:
    static void SetUpTestSuite() {
        test::UiTest::SetUpTestSuite();
        host = new PageHost();
        host->Show();
        page = new TProcessPage(host->page, host->Handle());
        HICON generic = page->IconList.GetIcon(0);
        list = new TProcessList(page->IconList.Handle(), generic);
        DestroyIcon(generic);
        // As on the NT family up to Server 2003: full paths from the module lists.
        list->SetOSVersion(wvWinXP);
        page->SetProcessList(list);
    }
    static void TearDownTestSuite() {
        page->SetProcessList(nullptr);
        delete list;
        delete page;
        delete host;
    }
    void SetUp() override { ui::SetScreenCursor(ui::TCursor::Default); }

    static ui::TListView* View() { return page->RzListView1; }
    static int RowOf(DWORD pid) {
        for (int r = 0; r < View()->Count(); ++r)
            if (View()->ItemText(r, pcPID) == std::to_string(pid)) return r;
        return -1;
    }
    static std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        for (int r = 0; r < View()->Count(); ++r) texts.push_back(View()->ItemText(r, column));
        return texts;
    }
    static int IconsOfItems() {
        int n = 0;
        for (int i = 0; i < list->Count(); ++i) n += list->Items(i)->Icon() != nullptr;
        return n;
    }
    static void Focus(int row) {
        ASSERT_GE(row, 0);
        View()->SetSelected(row);
    }
    static std::vector<bool> Checks(ui::TMenuItem* const (&items)[6]) {
        std::vector<bool> c;
        for (auto* i : items) c.push_back(i->Checked);
        return c;
    }

    static PageHost* host;
    static TProcessPage* page;
    static TProcessList* list;
};
PageHost* ProcessPage::host = nullptr;
TProcessPage* ProcessPage::page = nullptr;
TProcessList* ProcessPage::list = nullptr;
}  // namespace

TEST(ProcessPageTexts, PriorityTexts) {
    const std::pair<int32_t, const char*> cases[] = {
        {0x20, "Normal"},      {0x40, "Idle"},         {0x80, "High"},   {0x100, "Realtime"},
        {0x4000, "Below Normal"}, {0x8000, "Above Normal"}, {0, "Unknown"}, {0x10, "Unknown"},
        {0x20 | 0x80, "Unknown"},
    };
    for (auto& c : cases) EXPECT_EQ(c.second, PriorityText(c.first)) << c.first;
}

TEST(ProcessPageTexts, ColumnWidthsRoundHalvesToEven) {
    struct Case {
        int width;
        std::array<int, 6> widths;
    } cases[] = {
        {580, {171, 55, 55, 170, 54, 54}},
        {585, {173, 55, 55, 172, 54, 54}},  // 175.5 -> 176, 58.5 -> 58
        {595, {175, 57, 57, 174, 56, 56}},  // 178.5 -> 178, 59.5 -> 60
        {0, {-3, -3, -3, -4, -4, -4}},
    };
    for (auto& c : cases) EXPECT_EQ(c.widths, ProcessColumnWidths(c.width)) << c.width;
}

TEST_F(ProcessPage, BuiltWithItsControlsAndMenus) {
    const char* captions[] = {"Process", "Priority", "Memory Usage", "Path", "PID", "Threads"};
    ASSERT_EQ(6, View()->ColumnCount());
    page->SizeColumns();
    std::array<int, 6> widths = ProcessColumnWidths(View()->Width());
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(captions[c], View()->ColumnCaption(c));
        EXPECT_EQ(widths[static_cast<size_t>(c)], View()->ColumnWidth(c)) << c;
    }
    LONG style = GetWindowLongA(View()->Handle(), GWL_STYLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_EQ(page->IconList.Handle(),
              reinterpret_cast<HIMAGELIST>(SendMessageA(View()->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)));
    EXPECT_EQ(&page->PopupMenu2, View()->PopupMenu);
    EXPECT_EQ(&page->PopupMenu1, page->RzMenuButton1->DropDownMenu);

    // Left to right below the list: "Create New", "Set Priority", "End Process".
    EXPECT_EQ("Create New", page->RzButton2->Caption());
    EXPECT_EQ("Set Priority", page->RzMenuButton1->Caption());
    EXPECT_EQ("End Process", page->RzButton3->Caption());
    EXPECT_LT(page->RzButton2->Left(), page->RzMenuButton1->Left());
    EXPECT_LT(page->RzMenuButton1->Left(), page->RzButton3->Left());
    EXPECT_GE(page->RzButton2->Top(), View()->Top() + View()->Height());

    std::vector<std::string> first, second;
    for (auto& i : page->PopupMenu1.Items().Items()) first.push_back(i->Caption + (i->Checked ? "*" : ""));
    for (auto& i : page->Priority1->Items()) second.push_back(i->Caption + (i->Checked ? "*" : ""));
    std::vector<std::string> expected{"&High", "&Above Normal", "&Below Normal", "&Normal*", "&Idle", "&Real-Time"};
    EXPECT_EQ(expected, first);
    EXPECT_EQ(expected, second);
    std::vector<std::string> context;
    for (auto& i : page->PopupMenu2.Items().Items()) context.push_back(i->Caption);
    EXPECT_EQ((std::vector<std::string>{"&Priority", "-", "&End Process"}), context);

    EXPECT_EQ("Open Program", page->OpenDialog1.Title);
    EXPECT_EQ("Exe Files (*.exe)|*.exe", page->OpenDialog1.Filter);
    EXPECT_EQ("Exe", page->OpenDialog1.DefaultExt);
    EXPECT_EQ(1, page->IconList.Count()) << "the generic program icon";
}

TEST_F(ProcessPage, FillShowsEveryProcessSortedWithOneImageEachAndFreesTheOldIcons) {
    test::ProbeProcess a = test::ProbeProcess::Sleeper(3, 8), b = test::ProbeProcess::Sleeper(2);
    ASSERT_NE(0u, a.Id());
    ASSERT_NE(0u, b.Id());
    std::vector<HICON> previous;
    for (int pass = 0; pass < 3; ++pass) {
        unsigned fills = page->Fills();
        page->FillProcessView();
        EXPECT_EQ(fills + 1, page->Fills());
        ASSERT_EQ(list->Count(), View()->Count());
        // Image 0 survives; each item with an icon adds exactly one.
        EXPECT_EQ(1 + IconsOfItems(), page->IconList.Count()) << pass;
        for (HICON old : previous) EXPECT_FALSE(test::IsLiveIcon(old)) << "the last fill's icons are freed";
        previous.clear();

        std::set<int> images;
        for (int r = 0; r < View()->Count(); ++r) {
            auto* item = page->ItemOf(r);
            ASSERT_NE(nullptr, item);
            if (item->Icon()) {
                previous.push_back(item->Icon());
                EXPECT_GE(View()->ItemImage(r), 1);
                EXPECT_TRUE(images.insert(View()->ItemImage(r)).second) << "one image per row";
            } else {
                EXPECT_EQ(-1, View()->ItemImage(r));
            }
            EXPECT_EQ(r, View()->IndexOfData(item));
            if (r > 0)
                EXPECT_LE(ui::CompareListTexts(View()->ItemText(r - 1, 0), View()->ItemText(r, 0), true), 0)
                    << "ascending by process name";
        }
    }

    int row = RowOf(a.Id());
    ASSERT_GE(row, 0);
    TProcessItem* item = page->ItemOf(row);
    EXPECT_EQ(a.Id(), item->ProcessID());
    EXPECT_EQ(kProbeName, View()->ItemText(row, pcProcess));
    EXPECT_EQ("Normal", View()->ItemText(row, pcPriority));
    EXPECT_GT(item->MemoryUsage(), 8 * 1048576);
    EXPECT_EQ(FormatByteSize(item->MemoryUsage()), View()->ItemText(row, pcMemory));
    EXPECT_EQ(item->Path(), View()->ItemText(row, pcPath));
    EXPECT_EQ("3", View()->ItemText(row, pcThreads));
    EXPECT_EQ("2", View()->ItemText(RowOf(b.Id()), pcThreads));
    EXPECT_EQ(ui::TCursor::Default, ui::ScreenCursor()) << "the hourglass goes after the fill";

    // A wash's hourglass is still there after a fill.
    ui::SetScreenCursor(ui::TCursor::HourGlass);
    page->FillProcessView();
    EXPECT_EQ(ui::TCursor::HourGlass, ui::ScreenCursor());
}

TEST_F(ProcessPage, EachPriorityItemChangesThatProcessAndOnlyItsSortedRow) {
    std::vector<test::ProbeProcess> probes;
    for (int i = 0; i < 3; ++i) probes.push_back(test::ProbeProcess::Sleeper(1));
    for (auto& p : probes) ASSERT_NE(0u, p.Id());
    page->FillProcessView();
    int row = RowOf(probes[1].Id());
    ASSERT_GE(row, 0);
    TProcessItem* item = page->ItemOf(row);
    ASSERT_NE(row, item->ListIndex) << "sorting moved the row away from its filling position";
    int events = 0;
    TProcessItemEvent shown = item->OnPriorityChange;
    item->OnPriorityChange = [&](TProcessItem& it) {
        ++events;
        shown(it);
    };
    Focus(row);

    struct Choice {
        ui::TMenuItem* menuItem;
        DWORD priorityClass;
        const char* text;
    } choices[] = {
        {page->High1, HIGH_PRIORITY_CLASS, "High"},
        {page->AboveNormal2, ABOVE_NORMAL_PRIORITY_CLASS, "Above Normal"},
        {page->BelowNormal1, BELOW_NORMAL_PRIORITY_CLASS, "Below Normal"},
        {page->Idle2, IDLE_PRIORITY_CLASS, "Idle"},
        {page->RealTime1, REALTIME_PRIORITY_CLASS, "Realtime"},
        {page->Normal2, NORMAL_PRIORITY_CLASS, "Normal"},
        {page->Normal1, NORMAL_PRIORITY_CLASS, "Normal"},  // the class it has: nothing at all
    };
    int expectedEvents = 0;
    for (const Choice& c : choices) {
        std::vector<std::string> before = Column(pcPriority);
        bool change = item->Priority() != static_cast<int32_t>(c.priorityClass);
        ASSERT_TRUE(ui::TMenuItem::Dispatch(c.menuItem->Id())) << c.text;
        expectedEvents += change;
        EXPECT_EQ(expectedEvents, events) << c.text;
        EXPECT_EQ(c.priorityClass, GetPriorityClass(probes[1].Handle())) << c.text;
        std::vector<std::string> after = Column(pcPriority);
        before[static_cast<size_t>(row)] = c.text;
        EXPECT_EQ(before, after) << "only the row of that process changes: " << c.text;
    }
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(probes[0].Handle()));
    EXPECT_EQ(static_cast<DWORD>(NORMAL_PRIORITY_CLASS), GetPriorityClass(probes[2].Handle()));
}

TEST_F(ProcessPage, MenusFollowTheFocusedRowAndKeepTheirMarksWithoutOne) {
    test::ProbeProcess open = test::ProbeProcess::Sleeper(1), closed = test::ProbeProcess::Sleeper(1, 0, true);
    ASSERT_NE(0u, open.Id());
    ASSERT_NE(0u, closed.Id());
    page->FillProcessView();
    ui::TMenuItem* const first[6] = {page->High1, page->AboveNormal1, page->BelowNormal1,
                                     page->Normal1, page->Idle1, page->RealTime1};
    ui::TMenuItem* const second[6] = {page->High2, page->AboveNormal2, page->BelowNormal2,
                                      page->Normal2, page->Idle2, page->RealTime2};
    const std::vector<bool> high{true, false, false, false, false, false}, none(6, false);

    Focus(RowOf(open.Id()));
    page->High1Click();
    ASSERT_EQ("High", View()->ItemText(RowOf(open.Id()), pcPriority));
    page->PopupMenu1Popup();
    page->PopupMenu2Popup();
    EXPECT_EQ(high, Checks(first));
    EXPECT_EQ(high, Checks(second));
    EXPECT_TRUE(page->Priority1->Enabled);
    EXPECT_TRUE(page->EndProcess1->Enabled);

    page->FillProcessView();  // no row is focused after a fill
    ASSERT_EQ(-1, View()->ItemFocused());
    page->PopupMenu1Popup();
    page->PopupMenu2Popup();
    EXPECT_EQ(high, Checks(first)) << "the marks stay as they were";
    EXPECT_EQ(high, Checks(second));
    EXPECT_FALSE(page->Priority1->Enabled);
    EXPECT_FALSE(page->EndProcess1->Enabled);
    int rows = View()->Count();
    page->High1Click();  // nothing focused: nothing to change, nothing asked
    page->RzButton3Click();
    EXPECT_EQ(rows, View()->Count());

    // A process nobody may open: "Unknown", no mark, and a change it refuses shows nothing.
    int row = RowOf(closed.Id());
    ASSERT_GE(row, 0);
    EXPECT_EQ("Unknown", View()->ItemText(row, pcPriority));
    EXPECT_EQ(FormatByteSize(0), View()->ItemText(row, pcMemory));
    Focus(row);
    page->PopupMenu1Popup();
    page->PopupMenu2Popup();
    EXPECT_EQ(none, Checks(first));
    EXPECT_EQ(none, Checks(second));
    std::vector<std::string> before = Column(pcPriority);
    page->Idle1Click();
    EXPECT_EQ(before, Column(pcPriority));
}

TEST_F(ProcessPage, TheRealMenusRunTheirPopupStepsAndHandlers) {
    test::ProbeProcess probe = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, probe.Id());
    page->FillProcessView();
    Focus(RowOf(probe.Id()));
    // "Set Priority": the first item is "&High".
    test::WhenMenuOpens([](HWND) {}, {VK_DOWN, VK_RETURN});
    page->RzMenuButton1->DropDown();
    EXPECT_EQ(static_cast<DWORD>(HIGH_PRIORITY_CLASS), GetPriorityClass(probe.Handle()));
    EXPECT_EQ("High", View()->ItemText(RowOf(probe.Id()), pcPriority));
    // The list's context menu: "&Priority", its sub-menu, the fifth item "&Idle".
    test::WhenMenuOpens([](HWND) {}, {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    SendMessageA(View()->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(View()->Handle()), MAKELPARAM(300, 300));
    EXPECT_EQ(static_cast<DWORD>(IDLE_PRIORITY_CLASS), GetPriorityClass(probe.Handle()));
    EXPECT_EQ("Idle", View()->ItemText(RowOf(probe.Id()), pcPriority));
    EXPECT_TRUE(page->High2->Checked) << "OnPopup marked the class the process had when the menu opened";
    EXPECT_FALSE(page->Idle2->Checked);
}

TEST_F(ProcessPage, EndProcessAsksThenEndsOrWarns) {
    test::ProbeProcess target = test::ProbeProcess::Sleeper(1), closed = test::ProbeProcess::Sleeper(1, 0, true);
    ASSERT_NE(0u, target.Id());
    ASSERT_NE(0u, closed.Id());
    page->FillProcessView();
    int rows = View()->Count();
    Focus(RowOf(target.Id()));
    {
        test::MessageBoxCatcher no(IDNO);
        page->RzButton3Click();
        ASSERT_TRUE(no.WaitFor(1));
        EXPECT_EQ("Are you sure you want to terminate this process?", no.Texts()[0]);
    }
    EXPECT_TRUE(target.Running());
    EXPECT_EQ(rows, View()->Count());

    std::vector<std::string> others;
    for (int r = 0; r < View()->Count(); ++r)
        if (r != RowOf(target.Id())) others.push_back(View()->ItemText(r, pcPID));
    {
        test::MessageBoxCatcher yes(IDYES);
        page->RzButton3Click();
        ASSERT_TRUE(yes.WaitFor(1));
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(target.Handle(), 10000));
    EXPECT_EQ(-1, RowOf(target.Id()));
    EXPECT_EQ(others, Column(pcPID)) << "only that row goes";

    Focus(RowOf(closed.Id()));
    {
        test::MessageBoxCatcher yes(IDYES), ok(IDOK);
        page->RzButton3Click();
        ASSERT_TRUE(ok.WaitFor(1));
        EXPECT_EQ("Quorvane couldn't terminate selected process.", ok.Texts()[0]);
    }
    EXPECT_TRUE(closed.Running());
    EXPECT_GE(RowOf(closed.Id()), 0) << "the row stays";
}

// The process timer ticks inside the question's loop, and its fill frees every item: the answer
// still ends the process that was asked about.
TEST_F(ProcessPage, EndProcessAfterAFillDuringTheQuestion) {
    test::ProbeProcess target = test::ProbeProcess::Sleeper(1), bystander = test::ProbeProcess::Sleeper(1);
    ASSERT_NE(0u, target.Id());
    ASSERT_NE(0u, bystander.Id());
    page->FillProcessView();
    Focus(RowOf(target.Id()));
    unsigned fills = page->Fills();
    std::atomic<bool> refilled{false};
    ui::TTimer tick("tick", 10, false);
    tick.OnTimer = [&](ui::TTimer* t) {
        t->SetEnabled(false);
        page->FillProcessView();
        refilled = true;
    };
    std::thread answer([&] {
        HWND box = nullptr;
        for (int i = 0; i < 1000 && !box; ++i, Sleep(10)) box = FindDialog(nullptr);
        for (int i = 0; i < 1000 && !refilled; ++i) Sleep(10);
        if (box) PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    });
    tick.SetEnabled(true);
    page->RzButton3Click();
    answer.join();
    ASSERT_TRUE(refilled);
    EXPECT_EQ(fills + 1, page->Fills());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(target.Handle(), 10000));
    EXPECT_TRUE(bystander.Running());
    EXPECT_EQ(-1, RowOf(target.Id()));
    EXPECT_GE(RowOf(bystander.Id()), 0);
}

TEST_F(ProcessPage, CreateNewStartsTheChosenProgramInItsFolderOrNothingWhenCancelled) {
    std::string folder = test::MakeTempFolder("createnew");
    std::string program = folder + "qv_newprog.exe";
    ASSERT_TRUE(CopyFileA(test::ProbePath().c_str(), program.c_str(), FALSE));
    auto answer = [](const std::string& file) {
        return std::thread([file] {
            HWND dialog = nullptr;
            for (int i = 0; i < 1000 && !dialog; ++i, Sleep(10)) dialog = FindDialog("Open Program");
            if (!dialog) return;
            if (file.empty()) {
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return;
            }
            HWND name = GetDlgItem(dialog, cmb13);
            if (!name) name = GetDlgItem(dialog, edt1);
            SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
    };

    unsigned fills = page->Fills();
    std::thread cancel = answer("");
    page->RzButton2Click();
    cancel.join();
    EXPECT_EQ(fills, page->Fills()) << "cancelled: nothing started, no fill";

    std::thread choose = answer(program);
    page->RzButton2Click();
    choose.join();
    EXPECT_EQ(fills + 1, page->Fills());
    // A program that starts slowly shows at a later fill.
    auto started = [&] {
        for (int r = 0; r < View()->Count(); ++r)
            if (View()->ItemText(r, pcProcess) == "qv_newprog.exe") return r;
        return -1;
    };
    for (int i = 0; i < 50 && started() < 0; ++i) {
        Sleep(200);
        page->FillProcessView();
    }
    int row = started();
    ASSERT_GE(row, 0);
    DWORD pid = page->ItemOf(row)->ProcessID();
    std::string cwd;
    for (int i = 0; i < 100 && cwd.empty(); ++i, Sleep(50)) std::getline(std::ifstream(folder + "started.txt"), cwd);
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        TerminateProcess(h, 0);
        WaitForSingleObject(h, 10000);
        CloseHandle(h);
    }
    EXPECT_EQ(folder.substr(0, folder.size() - 1), cwd) << "started in its own folder";
    test::RemoveFolderTree(folder);
}

TEST_F(ProcessPage, TimerTickFillsAndReportsTheCount) {
    std::vector<int> counts;
    page->OnRunningProcesses = [&](int n) { counts.push_back(n); };
    unsigned fills = page->Fills();
    page->ProcessTimerTimer();
    EXPECT_EQ(fills + 1, page->Fills());
    EXPECT_EQ(std::vector<int>{list->Count()}, counts);

    // Without a list (after close-down) there is nothing to fill or count, and no rows remain.
    page->SetProcessList(nullptr);
    EXPECT_EQ(0, View()->Count());
    page->ProcessTimerTimer();
    EXPECT_EQ(fills + 1, page->Fills());
    EXPECT_EQ(1u, counts.size());
    page->SetProcessList(list);
    page->OnRunningProcesses = nullptr;
}
