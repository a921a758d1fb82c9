#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "UiTestSupport.h"
#include "common/core/Handles.h"
#include "common/ui/ImageList.h"
#include "common/ui/ListView.h"
#include "common/ui/Menu.h"

using namespace qv::ui;
using qv::test::HostForm;

namespace {

class ListViewTest : public qv::test::UiTest {
protected:
    void SetUp() override {
        form = std::make_unique<HostForm>();
        view = form->Add<TListView>("RzListView1", 10, 10, 380, 200);
        view->AddColumn("Process", 120);
        view->AddColumn("Path", 160);
    }
    // The texts of one column, top to bottom, as the control holds them.
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        for (int i = 0; i < view->Count(); ++i) {
            char buf[64] = "";
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buf;
            item.cchTextMax = sizeof buf;
            SendMessageA(view->Handle(), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            out.push_back(buf);
        }
        return out;
    }
    void ClickHeader(int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageA(view->Handle(), LVM_GETHEADER, 0, 0));
        RECT r;
        SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&r));
        qv::test::ClickAt(header, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    POINT RowPoint(int row) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(view->Handle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
        return POINT{r.left + 30, (r.top + r.bottom) / 2};
    }
    std::unique_ptr<HostForm> form;
    TListView* view = nullptr;
};

}  // namespace

TEST(ListTextOrder, CaseInsensitiveWithEmptyTextsLast) {
    struct Case {
        const char* a;
        const char* b;
        bool ascending;
        int sign;
    } cases[] = {
        {"alpha", "Beta", true, -1}, {"Beta", "alpha", true, 1}, {"ABC", "abc", true, 0},
        {"alpha", "Beta", false, 1}, {"", "zeta", true, 1},      {"", "zeta", false, 1},
        {"zeta", "", false, -1},     {"", "", true, 0},          {"10", "9", true, -1},  // by text, not number
        {"a-c", "ab", true, -1},  // the hyphen counts as a character
    };
    for (const Case& c : cases) {
        int r = CompareListTexts(c.a, c.b, c.ascending);
        int sign = r < 0 ? -1 : (r > 0 ? 1 : 0);
        EXPECT_EQ(c.sign, sign) << '"' << c.a << "\" vs \"" << c.b << "\" ascending " << c.ascending;
    }
}

TEST_F(ListViewTest, RowsHoldTextsImagesAndData) {
    int a = 1, b = 2;
    EXPECT_EQ(0, view->AddItem({"explorer.exe", "C:\\Windows\\explorer.exe"}, 0, &a));
    EXPECT_EQ(1, view->AddItem({"noicon.exe"}, -1, &b));
    EXPECT_EQ(2, view->ColumnCount());
    EXPECT_EQ("Path", view->ColumnCaption(1));
    EXPECT_EQ(160, view->ColumnWidth(1));
    EXPECT_EQ((std::vector<std::string>{"explorer.exe", "noicon.exe"}), Column(0));
    EXPECT_EQ("C:\\Windows\\explorer.exe", view->ItemText(0, 1));
    EXPECT_EQ("", view->ItemText(1, 1));
    EXPECT_EQ(0, view->ItemImage(0));
    EXPECT_EQ(-1, view->ItemImage(1));
    view->SetItemText(1, 1, std::string(400, 'x'));  // longer than any first guess of a buffer
    EXPECT_EQ(std::string(400, 'x'), view->ItemText(1, 1));
    view->SetItemImage(1, 3);
    EXPECT_EQ(3, view->ItemImage(1));
    EXPECT_EQ(&b, view->Data(1));
    EXPECT_EQ(1, view->IndexOfData(&b));
    EXPECT_EQ(-1, view->IndexOfData(nullptr));
    view->Delete(0);
    view->Delete(7);  // no such row: nothing happens
    EXPECT_EQ(1, view->Count());
    EXPECT_EQ(0, view->IndexOfData(&b));
    view->Clear();
    EXPECT_EQ(0, view->Count());
}

TEST_F(ListViewTest, HeaderClicksSortAscendingThenDescendingAndKeepData) {
    const char* names[] = {"svchost.exe", "", "Explorer.exe", "alg.exe", "winlogon.exe"};
    int tags[5];
    for (int i = 0; i < 5; ++i) view->AddItem({names[i], std::string(1, static_cast<char>('e' - i))}, -1, &tags[i]);
    std::vector<int> clicked;
    view->OnColumnClick = [&](TListView*, int c) { clicked.push_back(c); };

    ClickHeader(0);
    EXPECT_EQ((std::vector<std::string>{"alg.exe", "Explorer.exe", "svchost.exe", "winlogon.exe", ""}), Column(0));
    ClickHeader(0);
    EXPECT_EQ((std::vector<std::string>{"winlogon.exe", "svchost.exe", "Explorer.exe", "alg.exe", ""}), Column(0));
    ClickHeader(0);
    EXPECT_EQ("alg.exe", Column(0)[0]);
    ClickHeader(1);  // another column starts ascending
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c", "d", "e"}), Column(1));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), clicked);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(names[i], view->ItemText(view->IndexOfData(&tags[i]), 0));
}

TEST_F(ListViewTest, SortFromCodeSetsTheDirectionTheNextHeaderClickReverses) {
    for (const char* n : {"b", "c", "a"}) view->AddItem({n});
    view->Sort(0, true);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), Column(0));
    ClickHeader(0);  // the rows are ascending by this column: a click turns them round
    EXPECT_EQ((std::vector<std::string>{"c", "b", "a"}), Column(0));
}

TEST_F(ListViewTest, EqualTextsKeepTheirOrderAndSelectionFollowsItsRow) {
    int tags[4];
    const char* names[] = {"same", "Same", "other", "SAME"};
    for (int i = 0; i < 4; ++i) view->AddItem({names[i]}, -1, &tags[i]);
    view->SetSelected(2);
    view->Sort(0, true);
    EXPECT_EQ((std::vector<std::string>{"other", "same", "Same", "SAME"}), Column(0));
    EXPECT_EQ(0, view->Selected());
    EXPECT_EQ(0, view->ItemFocused());
    EXPECT_EQ(&tags[2], view->Data(0));
}

TEST_F(ListViewTest, ClickSelectsWholeRowAndDelKeyReachesHandler) {
    for (const char* n : {"one", "two", "three"}) view->AddItem({n, "path"});
    std::vector<std::pair<int, bool>> changes;
    view->OnSelectItem = [&](TListView*, int row, bool sel) { changes.emplace_back(row, sel); };
    WORD seenKey = 0;
    view->OnKeyDown = [&](TControl*, WORD& key) {
        seenKey = key;
        if (key == VK_DELETE) {
            static_cast<TListView*>(view)->DeleteSelected();
            key = 0;
        }
    };
    POINT p = RowPoint(1);
    p.x = 200;  // over the second column: the whole row is the target
    qv::test::ClickAt(view->Handle(), p.x, p.y);
    EXPECT_EQ(1, view->Selected());
    EXPECT_EQ(1, view->ItemFocused());
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(std::make_pair(1, true), changes.back());

    view->SetSelected(2);
    EXPECT_EQ(std::make_pair(2, true), changes.back());
    EXPECT_EQ(2, view->Selected());
    EXPECT_EQ(-1, SendMessageA(view->Handle(), LVM_GETNEXTITEM, 2, LVNI_SELECTED)) << "one selected row at a time";
    EXPECT_NE(changes.end(), std::find(changes.begin(), changes.end(), std::make_pair(1, false)));
    SendMessageA(view->Handle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(VK_DELETE, seenKey);
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), Column(0));
    EXPECT_EQ(-1, view->Selected());
}

TEST_F(ListViewTest, SelectionStaysVisibleWithoutFocusAndNoLabelEditing) {
    LONG style = GetWindowLongA(view->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    view->AddItem({"one"});
    view->SetSelected(0);
    EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageA(view->Handle(), LVM_EDITLABELA, 0, 0)));
}

TEST_F(ListViewTest, RightClickSelectsTheRowAndOpensThePopupMenu) {
    for (const char* n : {"one", "two"}) view->AddItem({n});
    TPopupMenu menu("PopupMenu2");
    int selectedAtPopup = -2, ends = 0;
    menu.OnPopup = [&](TPopupMenu*) { selectedAtPopup = view->Selected(); };
    menu.Add("EndProcess1", "&End Process", [&](TMenuItem*) { ++ends; });
    view->PopupMenu = &menu;
    POINT p = RowPoint(1);
    qv::test::WhenMenuOpens(nullptr, {VK_DOWN, VK_RETURN});
    SendMessageA(view->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(view->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_TRUE(PumpUntil([&] { return ends == 1; }));
    EXPECT_EQ(1, selectedAtPopup);
}

TEST_F(ListViewTest, ImageListStaysWithItsOwnerAndCopiesIcons) {
    auto images = std::make_unique<TImageList>("IconList");
    HICON icon = LoadIcon(nullptr, IDI_APPLICATION);
    EXPECT_EQ(0, images->Add(icon));
    EXPECT_EQ(1, images->Add(LoadIcon(nullptr, IDI_WARNING)));
    EXPECT_EQ(-1, images->Add(nullptr));
    EXPECT_EQ(2, images->Count());
    view->SetSmallImages(images.get());
    view->AddItem({"row"}, 1);
    HIMAGELIST handle = images->Handle();
    view = nullptr;
    form.reset();  // the list view goes: the image list must not go with it
    EXPECT_EQ(2, ImageList_GetImageCount(handle));
    qv::IconHandle copy(images->GetIcon(1));
    EXPECT_TRUE(copy);
    EXPECT_EQ(nullptr, images->GetIcon(2));
    images->Delete(0);
    images->Delete(5);
    EXPECT_EQ(1, images->Count());
    images->Clear();
    EXPECT_EQ(0, images->Count());
}
