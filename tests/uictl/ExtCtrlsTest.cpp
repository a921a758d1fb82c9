#include <windows.h>
#include <commctrl.h>

#include "UiTestSupport.h"
#include "common/ui/Edits.h"
#include "common/ui/ExtCtrls.h"
#include "common/ui/Menu.h"
#include "common/ui/StdCtrls.h"

using namespace qv::ui;
using qv::test::HostForm;

namespace {

class ExtCtrlsTest : public qv::test::UiTest {
protected:
    void SetUp() override { form = std::make_unique<HostForm>(500, 400); }
    // Where a child window lies in its parent's client area.
    static RECT RectIn(HWND child, HWND parent) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    std::unique_ptr<HostForm> form;
};

POINT ItemPoint(HWND list, int i, int x) {
    RECT r;
    SendMessageA(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return POINT{x, (r.top + r.bottom) / 2};
}

}  // namespace

TEST_F(ExtCtrlsTest, TabClickShowsItsPageAndRunsOnChange) {
    auto* tabs = form->Add<TTabControl>("RzPageControl1", 10, 10, 480, 300);
    TTabSheet* system = tabs->AddTab("TabSheet1", "System");
    TTabSheet* cpu = tabs->AddTab("TabSheet2", "CPU");
    tabs->SetTabWidth(200);
    auto* button = cpu->Add<TButton>("OnCpuPage", "Press", 10, 10);
    int changes = 0, presses = 0;
    tabs->OnChange = [&](TControl*) { ++changes; };
    button->OnClick = [&](TControl*) { ++presses; };
    EXPECT_EQ(0, tabs->TabIndex());
    EXPECT_TRUE(system->Visible());
    EXPECT_FALSE(cpu->Visible());

    RECT tab;
    SendMessageA(tabs->TabsHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(200, tab.right - tab.left);
    SendMessageA(tabs->TabsHandle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    EXPECT_EQ(200, tab.right - tab.left) << "every tab has the fixed width";
    SendMessageA(tabs->TabsHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    qv::test::ClickAt(tabs->TabsHandle(), (tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    EXPECT_EQ(1, tabs->TabIndex());
    EXPECT_EQ(1, changes);
    EXPECT_TRUE(cpu->Visible());
    EXPECT_FALSE(system->Visible());
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, presses) << "controls on a page reach their handlers";
    EXPECT_EQ(button, form->FindControl("OnCpuPage"));

    // The page lies inside the tab window's display area, below the tabs.
    RECT page = RectIn(cpu->Handle(), tabs->TabsHandle());
    EXPECT_GE(page.top, tab.bottom);

    tabs->SetTabIndex(0);
    EXPECT_TRUE(system->Visible());
    EXPECT_FALSE(cpu->Visible());
    EXPECT_EQ(1, changes) << "set from code";
    tabs->SetTabIndex(5);
    EXPECT_EQ(0, tabs->TabIndex());
}

TEST_F(ExtCtrlsTest, ScrollBoxScrollsItsRowsAndBringsAFocusedFieldIntoView) {
    auto* box = form->Add<TScrollBox>("ScrollBox1", 10, 10, 300, 100);
    std::vector<TButtonEdit*> rows;
    for (int i = 0; i < 16; ++i) rows.push_back(box->Add<TButtonEdit>("RzButtonEdit" + std::to_string(i + 1), 10, 4 + i * 25, 250));
    EXPECT_EQ(4 + 15 * 25 + 21, box->ContentHeight());
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(box->Handle(), SB_VERT, &si);
    EXPECT_EQ(box->ContentHeight() - 1, si.nMax);

    SendMessageA(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(8, box->ScrollPos());
    EXPECT_EQ(4 - 8, RectIn(rows[0]->Handle(), box->Handle()).top);
    SendMessageA(box->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    RECT client;
    GetClientRect(box->Handle(), &client);
    EXPECT_EQ(client.bottom, RectIn(rows[15]->Handle(), box->Handle()).bottom) << "the last row ends at the bottom";
    SendMessageA(box->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(box->ContentHeight() - client.bottom - 3 * box->LineStep, box->ScrollPos());
    SendMessageA(box->Handle(), WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(0, box->ScrollPos());

    rows[10]->SetFocus();  // as Tab would
    RECT r = RectIn(rows[10]->Handle(), box->Handle());
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, client.bottom);

    // A row added while scrolled sits where its coordinates say in the content.
    auto* late = box->Add<TEdit>("Late", 10, 500, 100);
    EXPECT_EQ(500 - box->ScrollPos(), RectIn(late->Handle(), box->Handle()).top);
    EXPECT_EQ(521, box->ContentHeight());
}

TEST_F(ExtCtrlsTest, ScrollBoxScrollsWhileHidden) {
    form->Hide();
    auto* box = form->Add<TScrollBox>("ScrollBox1", 10, 10, 300, 100);
    TEdit* rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = box->Add<TEdit>("Edit" + std::to_string(i), 10, i * 30, 100);
    box->ScrollTo(40);
    EXPECT_EQ(40, box->ScrollPos());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(i * 30 - 40, RectIn(rows[i]->Handle(), box->Handle()).top) << i;
}

TEST_F(ExtCtrlsTest, ScrollBoxWithRoomForAllShowsNoScrollBar) {
    auto* box = form->Add<TScrollBox>("ScrollBox1", 10, 10, 300, 100);
    box->Add<TEdit>("Edit1", 10, 10, 100);
    EXPECT_FALSE(GetWindowLongA(box->Handle(), GWL_STYLE) & WS_VSCROLL);
    SendMessageA(box->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(0, box->ScrollPos());
}

TEST_F(ExtCtrlsTest, MenuButtonDropsItsMenuBelowItself) {
    auto* mb = form->Add<TMenuButton>("RzMenuButton1", "Set Priority", 100, 200);
    TPopupMenu menu("PopupMenu1");
    int popups = 0;
    std::string picked;
    menu.OnPopup = [&](TPopupMenu*) { ++popups; };
    menu.Add("High1", "&High", [&](TMenuItem* i) { picked = i->Name; });
    menu.Add("AboveNormal1", "&Above Normal", [&](TMenuItem* i) { picked = i->Name; });
    mb->DropDownMenu = &menu;
    RECT button, shown{};
    GetWindowRect(mb->Handle(), &button);
    qv::test::WhenMenuOpens([&](HWND m) { GetWindowRect(m, &shown); }, {VK_DOWN, VK_DOWN, VK_RETURN});
    SendMessageA(mb->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !picked.empty(); }));
    EXPECT_EQ("AboveNormal1", picked);
    EXPECT_EQ(1, popups);
    EXPECT_EQ(button.left, shown.left);
    EXPECT_EQ(button.bottom, shown.top);

    mb->SetEnabled(false);
    mb->DropDown();
    EXPECT_EQ(1, popups);
}

TEST_F(ExtCtrlsTest, CheckListBoxTogglesOnTheBoxAndKeepsForcedLinesTicked) {
    auto* list = form->Add<TCheckListBox>("CheckListBox1", 10, 10, 300, 150);
    EXPECT_EQ(0, list->AddItem("Quorvane 2.1", true));
    list->AddItem("Help file");
    list->AddItem("Updater", true);
    list->SetForced(2, true);
    std::vector<int> checks;
    int clicks = 0;
    list->OnClickCheck = [&](TCheckListBox*, int i) { checks.push_back(i); };
    list->OnClick = [&](TControl*) { ++clicks; };
    HWND h = list->Handle();

    POINT box = ItemPoint(h, 1, 8), text = ItemPoint(h, 0, 120);
    qv::test::ClickAt(h, box.x, box.y);
    EXPECT_TRUE(list->Checked(1));
    EXPECT_EQ(1, list->ItemIndex());
    qv::test::ClickAt(h, text.x, text.y);  // on the text: selects only
    EXPECT_TRUE(list->Checked(0));
    EXPECT_EQ(0, list->ItemIndex());
    EXPECT_EQ(2, clicks);
    SendMessageA(h, WM_CHAR, ' ', 0);
    EXPECT_FALSE(list->Checked(0));
    POINT forced = ItemPoint(h, 2, 8);
    qv::test::ClickAt(h, forced.x, forced.y);
    SendMessageA(h, WM_CHAR, ' ', 0);
    EXPECT_TRUE(list->Checked(2)) << "a forced line stays ticked";
    SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(box.x, box.y));
    EXPECT_FALSE(list->Checked(1)) << "the second click of a double click toggles again";
    EXPECT_EQ((std::vector<int>{1, 0, 1}), checks);

    list->SetChecked(2, false);  // code may untick it
    EXPECT_FALSE(list->Checked(2));
    EXPECT_EQ(3u, checks.size());
    EXPECT_EQ("Updater", list->Item(2));
    EXPECT_FALSE(list->Checked(7));
    list->Clear();
    EXPECT_EQ(0, list->Count());
}

TEST_F(ExtCtrlsTest, BevelIsAThinLine) {
    auto* bevel = form->Add<TBevel>("Bevel1", 10, 50, 300);
    RECT r;
    GetWindowRect(bevel->Handle(), &r);
    EXPECT_EQ(2, r.bottom - r.top);
    EXPECT_EQ(300, r.right - r.left);
    UpdateWindow(form->Handle());
    EXPECT_NE(qv::test::ScreenPixel(form->Handle(), 100, 40), qv::test::ScreenPixel(form->Handle(), 100, 50));
}
