// The Startup page of the real main window over Wine's real Run keys, which are emptied for the
// tests and put back exactly as found afterwards.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "common/core/Registry.h"
#include "common/core/Rounding.h"
#include "common/ui/Application.h"
#include "quorvane/shell/MainUnit.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/startpage/RunKeys.h"
#include "tests/uictl/UiTestSupport.h"

using namespace qv;

namespace {

const std::string kMachineRun = "HKEY_LOCAL_MACHINE\\" + test::kRun;

class StartupPageTest : public test::UiTest {
protected:
    static void SetUpTestSuite() {
        keep = std::make_unique<test::EmptiedRunKeys>();
        DeleteFileA(StartupFilePath().c_str());
        ui::Application().Initialize();
        form = new TMainForm();
        form->Show();
        form->SelectPage(piStartup);
        page = form->StartupPage.get();
        view = page->RzListView2;
    }
    static void TearDownTestSuite() {
        delete form;
        form = nullptr;
        keep.reset();
        DeleteFileA(StartupFilePath().c_str());
    }
    void SetUp() override {
        test::EmptyRunKeys();
        view->Clear();
        form->StartupList->Clear();
    }

    static int Row(const std::string& name) {
        for (int r = 0; r < view->Count(); ++r)
            if (view->ItemText(r, 0) == name) return r;
        return -1;
    }
    static std::string Status(const std::string& name) { return view->ItemText(Row(name), 1); }
    static std::vector<std::string> Names() {
        std::vector<std::string> n;
        for (int r = 0; r < view->Count(); ++r) n.push_back(view->ItemText(r, 0));
        return n;
    }
    static void Click(ui::TButton* b) { SendMessageA(b->Handle(), BM_CLICK, 0, 0); }
    static void Select(const std::string& name) { view->SetSelected(Row(name)); }
    // Every row refers to an entry of the list, and every entry has its row.
    static void ExpectRowsMatchEntries() {
        EXPECT_EQ(form->StartupList->Count(), view->Count());
        for (int r = 0; r < view->Count(); ++r) {
            auto* e = static_cast<TStartupItem*>(view->Data(r));
            ASSERT_GE(form->StartupList->IndexOf(e), 0) << "row " << r << " outlived its entry";
            EXPECT_EQ(e->Name(), view->ItemText(r, 0));
            EXPECT_EQ(e->Enabled() ? "Active" : "Disabled", view->ItemText(r, 1));
            EXPECT_EQ(e->Enabled() ? siActive : siDisabled, view->ItemImage(r));
        }
    }

    static std::unique_ptr<test::EmptiedRunKeys> keep;
    static TMainForm* form;
    static TStartupPage* page;
    static ui::TListView* view;
};
std::unique_ptr<test::EmptiedRunKeys> StartupPageTest::keep;
TMainForm* StartupPageTest::form = nullptr;
TStartupPage* StartupPageTest::page = nullptr;
ui::TListView* StartupPageTest::view = nullptr;

}  // namespace

TEST_F(StartupPageTest, ColumnsButtonsAndMenuAsLaidOut) {
    int w = view->Width();
    struct Column {
        const char* caption;
        int width;
    } columns[] = {{"Program Name", static_cast<int>(RoundHalfEven(w * 0.35)) - 3},
                   {"Status", static_cast<int>(RoundHalfEven(w * 0.10)) - 3},
                   {"Command Line", static_cast<int>(RoundHalfEven(w * 0.35)) - 3},
                   {"Location", static_cast<int>(RoundHalfEven(w * 0.20)) - 4}};
    ASSERT_EQ(4, view->ColumnCount());
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(columns[c].caption, view->ColumnCaption(c));
        EXPECT_EQ(columns[c].width, view->ColumnWidth(c)) << columns[c].caption;
    }
    // One row under the list, left to right.
    ui::TButton* buttons[] = {page->RzButton7, page->RzButton6, page->RzButton5, page->RzButton4};
    const char* captions[] = {"&Enable", "&Disable", "&Delete", "&Refresh"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(captions[i], buttons[i]->Caption());
        EXPECT_GE(buttons[i]->Top(), view->Top() + view->Height());
        EXPECT_EQ(buttons[0]->Top(), buttons[i]->Top());
        if (i) {
            EXPECT_GE(buttons[i]->Left(), buttons[i - 1]->Left() + buttons[i - 1]->Width());
        }
    }
    EXPECT_LE(buttons[3]->Top() + buttons[3]->Height(), form->Startup->Height());
    std::vector<std::string> items;
    for (auto& i : page->PopupMenu3.Items().Items()) items.push_back(i->Caption);
    EXPECT_EQ((std::vector<std::string>{"&Enable", "-", "&Delete", "-", "&Refresh"}), items);
    EXPECT_EQ("Del", page->Delete1->ShortCutText);
    EXPECT_EQ(2, page->ImageList1.Count());
}

TEST_F(StartupPageTest, RowsFollowTheRunKeysAndKeepTheirState) {
    test::WriteRun(HKEY_CURRENT_USER, "QvB", "b.exe");
    test::WriteRun(HKEY_CURRENT_USER, "qva", "a.exe");
    test::WriteRun(HKEY_LOCAL_MACHINE, "QvC", "c.exe");
    Click(page->RzButton4);
    EXPECT_EQ((std::vector<std::string>{"qva", "QvB", "QvC"}), Names()) << "sorted by name, case aside";
    EXPECT_EQ(kMachineRun, view->ItemText(Row("QvC"), 3));
    EXPECT_EQ("c.exe", view->ItemText(Row("QvC"), 2));
    ExpectRowsMatchEntries();

    Select("QvB");
    Click(page->RzButton6);
    EXPECT_EQ(REG_NONE, test::ReadRun(HKEY_CURRENT_USER, "QvB").first);
    EXPECT_EQ("Disabled", Status("QvB"));

    // Another program takes one value away and writes the disabled one back unchanged.
    test::RemoveRun(HKEY_CURRENT_USER, "qva");
    test::WriteRun(HKEY_CURRENT_USER, "QvB", "b.exe");
    form->StartupTimer.OnTimer(&form->StartupTimer);
    EXPECT_EQ((std::vector<std::string>{"QvB", "QvC"}), Names()) << "the vanished entry left with its row";
    EXPECT_EQ("Disabled", Status("QvB")) << "not listed again, still disabled";
    EXPECT_EQ(Row("QvB"), view->Selected()) << "the selection survives a refresh";
    ExpectRowsMatchEntries();

    // Enabling an enabled entry writes nothing: an expandable value stays expandable.
    test::WriteRun(HKEY_CURRENT_USER, "QvE", "%WINDIR%\\e.exe", REG_EXPAND_SZ);
    page->Refresh1->Click();
    Select("QvE");
    Click(page->RzButton7);
    EXPECT_EQ(std::make_pair(DWORD(REG_EXPAND_SZ), std::string("%WINDIR%\\e.exe")), test::ReadRun(HKEY_CURRENT_USER, "QvE"));
    EXPECT_EQ("Active", Status("QvE"));
    ExpectRowsMatchEntries();
}

TEST_F(StartupPageTest, DeleteAsksAndOnlyYesRemovesValueEntryAndRow) {
    struct Way {
        const char* name;
        void (*run)();
    } ways[] = {
        {"button", [] { Click(page->RzButton5); }},
        {"menu item", [] { page->Delete1->Click(); }},
        {"Del key", [] { SendMessageA(view->Handle(), WM_KEYDOWN, VK_DELETE, 0); }},
    };
    for (const Way& way : ways) {
        test::WriteRun(HKEY_CURRENT_USER, "QvDel", "del.exe");
        test::WriteRun(HKEY_CURRENT_USER, "QvKeep", "keep.exe");
        page->FillStartupView();
        Select("QvDel");
        {
            test::MessageBoxCatcher no(IDNO);
            way.run();
            EXPECT_EQ(std::vector<std::string>{"Are you sure you want to delete this startup item?"}, no.Texts())
                << way.name;
        }
        EXPECT_EQ(REG_SZ, test::ReadRun(HKEY_CURRENT_USER, "QvDel").first) << way.name;
        EXPECT_EQ(2, view->Count()) << way.name;
        ExpectRowsMatchEntries();
        {
            test::MessageBoxCatcher yes(IDYES);
            way.run();
            EXPECT_EQ(1u, yes.Texts().size()) << way.name;
        }
        EXPECT_EQ(REG_NONE, test::ReadRun(HKEY_CURRENT_USER, "QvDel").first) << way.name;
        EXPECT_EQ(REG_SZ, test::ReadRun(HKEY_CURRENT_USER, "QvKeep").first) << way.name;
        EXPECT_EQ(std::vector<std::string>{"QvKeep"}, Names()) << way.name;
        ExpectRowsMatchEntries();
        SetUp();
    }

    // No focused row: nothing is asked.
    test::WriteRun(HKEY_CURRENT_USER, "QvKeep", "keep.exe");
    page->FillStartupView();
    view->SetSelected(-1);
    view->SetItemFocused(-1);
    test::MessageBoxCatcher none(IDYES);
    Click(page->RzButton5);
    EXPECT_TRUE(none.Texts().empty());
    EXPECT_EQ(1, view->Count());
}

// The entry asked about is the focused row's; its own row goes, not the selected one.
TEST_F(StartupPageTest, DeleteTakesTheFocusedEntrysRowEvenWhenAnotherIsSelected) {
    test::WriteRun(HKEY_CURRENT_USER, "QvA", "a.exe");
    test::WriteRun(HKEY_CURRENT_USER, "QvB", "b.exe");
    page->FillStartupView();
    Select("QvB");
    view->SetItemFocused(Row("QvA"));
    ASSERT_EQ(Row("QvA"), view->ItemFocused());
    ASSERT_EQ(Row("QvB"), view->Selected());
    test::MessageBoxCatcher yes(IDYES);
    Click(page->RzButton5);
    EXPECT_EQ(REG_NONE, test::ReadRun(HKEY_CURRENT_USER, "QvA").first);
    EXPECT_EQ(std::vector<std::string>{"QvB"}, Names());
    ExpectRowsMatchEntries();
}

namespace {
std::vector<std::string> g_rowsWhileAsked;

// Runs inside the confirmation's own loop: another program swaps the value asked about for a
// new one and the page's timer ticks, then the user answers Yes.
void CALLBACK SwapWhileAsked(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (!box || !IsWindowVisible(box)) return;
    KillTimer(nullptr, id);
    test::RemoveRun(HKEY_CURRENT_USER, "QvAsked");
    test::WriteRun(HKEY_CURRENT_USER, "QvNew", "new.exe");
    TMainForm* f = static_cast<TMainForm*>(ui::Application().MainForm());
    f->StartupTimer.OnTimer(&f->StartupTimer);
    ui::TListView* v = f->StartupPage->RzListView2;
    g_rowsWhileAsked.clear();
    for (int r = 0; r < v->Count(); ++r) g_rowsWhileAsked.push_back(v->ItemText(r, 0));
    PostMessageA(box, WM_COMMAND, IDYES, 0);
}
}  // namespace

TEST_F(StartupPageTest, ATickWhileDeleteAsksFreesNothingUnderTheQuestion) {
    test::WriteRun(HKEY_CURRENT_USER, "QvAsked", "asked.exe");
    page->FillStartupView();
    Select("QvAsked");
    SetTimer(nullptr, 0, 20, SwapWhileAsked);
    Click(page->RzButton5);
    // Left alone, the tick would free the entry asked about, and a new entry could take its
    // place in memory and be deleted by the Yes.
    EXPECT_EQ(std::vector<std::string>{"QvAsked"}, g_rowsWhileAsked) << "no refresh under the question";
    EXPECT_EQ(REG_SZ, test::ReadRun(HKEY_CURRENT_USER, "QvNew").first) << "the new program's value is not touched";
    page->FillStartupView();
    EXPECT_EQ(std::vector<std::string>{"QvNew"}, Names());
    ExpectRowsMatchEntries();
}

TEST_F(StartupPageTest, ContextMenuFollowsSelectionAndFocusedState) {
    test::WriteRun(HKEY_CURRENT_USER, "QvOn", "on.exe");
    test::WriteRun(HKEY_CURRENT_USER, "QvOff", "off.exe");
    page->FillStartupView();
    Select("QvOff");
    Click(page->RzButton6);

    struct Case {
        const char* select;  // nullptr: no row selected
        bool itemsEnabled;
        const char* caption;
    } cases[] = {{nullptr, false, nullptr}, {"QvOn", true, "&Disable"}, {"QvOff", true, "&Enable"}};
    for (const Case& c : cases) {
        if (c.select)
            Select(c.select);
        else
            view->SetSelected(-1);
        UINT enableState = 0, deleteState = 0, refreshState = 0;
        char caption[64] = "";
        test::WhenMenuOpens(
            [&](HWND) {
                HMENU m = ui::TPopupMenu::OpenMenu();
                enableState = GetMenuState(m, 0, MF_BYPOSITION);
                deleteState = GetMenuState(m, 2, MF_BYPOSITION);
                refreshState = GetMenuState(m, 4, MF_BYPOSITION);
                GetMenuStringA(m, 0, caption, sizeof caption, MF_BYPOSITION);
            },
            {VK_ESCAPE});
        // Let activation changes left by the previous test arrive first: one arriving while the
        // menu is open closes it before it can be read.
        ui::Application().ProcessMessages();
        SendMessageA(view->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->Handle()), -1);
        const char* what = c.select ? c.select : "no row";
        EXPECT_EQ(!c.itemsEnabled, (enableState & MF_GRAYED) != 0) << what;
        EXPECT_EQ(!c.itemsEnabled, (deleteState & MF_GRAYED) != 0) << what;
        EXPECT_EQ(0u, refreshState & MF_GRAYED) << what;
        if (c.caption) {
            EXPECT_STREQ(c.caption, caption);
        }
    }

    // Picking the first item switches the focused entry's state.
    Select("QvOn");
    test::WhenMenuOpens(nullptr, {VK_DOWN, VK_RETURN});
    SendMessageA(view->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->Handle()), -1);
    EXPECT_EQ("Disabled", Status("QvOn"));
    EXPECT_EQ(REG_NONE, test::ReadRun(HKEY_CURRENT_USER, "QvOn").first);
    Select("QvOff");
    page->Enable1Click();
    EXPECT_EQ("Active", Status("QvOff"));
    EXPECT_EQ(std::make_pair(DWORD(REG_SZ), std::string("off.exe")), test::ReadRun(HKEY_CURRENT_USER, "QvOff"));
    ExpectRowsMatchEntries();
}
