#include <gtest/gtest.h>

#include "common/core/Unhandled.h"
#include "common/ui/Application.h"
#include "common/ui/Dialogs.h"
#include "common/ui/Form.h"
#include "common/ui/Menu.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"

using namespace qv::ui;

namespace {
class UiBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Application().Initialize(); }
    // Pumps messages until cond holds or the time is up.
    template <class Cond>
    static bool PumpUntil(Cond cond, DWORD ms = 3000) {
        DWORD start = GetTickCount();
        while (!cond()) {
            if (GetTickCount() - start > ms) return false;
            Application().ProcessMessages();
            Sleep(5);
        }
        return true;
    }
};

struct TestForm : TForm {
    TestForm() : TForm("TestForm", Opts()) {
        label = Add<TLabel>("Label1", "Hello", 10, 10);
        button = Add<TButton>("Button1", "Click me", 10, 40);
        check = Add<TCheckBox>("CheckBox1", "Tick", 10, 70, 100);
        group = Add<TGroupBox>("Group1", "Group", 150, 10, 140, 100);
        inner = group->Add<TButton>("InnerButton", "Inner", 10, 30, 100);
        edit = Add<TEdit>("Edit1", 10, 100, 120);
        combo = Add<TComboBox>("Combo1", 10, 130, 120);
    }
    static TFormOptions Opts() {
        TFormOptions o;
        o.Caption = "Test form";
        o.ClientWidth = 320;
        o.ClientHeight = 180;
        o.Position = TPosition::ScreenCenter;
        return o;
    }
    TLabel* label;
    TButton* button;
    TCheckBox* check;
    TGroupBox* group;
    TButton* inner;
    TEdit* edit;
    TComboBox* combo;
};
}  // namespace

TEST_F(UiBase, ClicksReachHandlersAlsoInsideContainers) {
    TestForm f;
    f.Show();
    int clicks = 0, innerClicks = 0, ticks = 0;
    f.button->OnClick = [&](TControl*) { ++clicks; };
    f.inner->OnClick = [&](TControl*) { ++innerClicks; };
    f.check->OnClick = [&](TControl*) { ++ticks; };
    SendMessageA(f.button->Handle(), BM_CLICK, 0, 0);
    SendMessageA(f.inner->Handle(), BM_CLICK, 0, 0);
    SendMessageA(f.check->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(1, innerClicks);
    EXPECT_EQ(1, ticks);
    EXPECT_TRUE(f.check->Checked());
    EXPECT_EQ(BST_CHECKED, SendMessageA(f.check->Handle(), BM_GETCHECK, 0, 0));
    f.check->SetChecked(true);  // no change: no click
    EXPECT_EQ(1, ticks);
    EXPECT_EQ(f.inner, f.FindControl("InnerButton"));
    EXPECT_EQ(nullptr, f.FindControl("Nothing"));
}

TEST_F(UiBase, FormClientSizeAndCentring) {
    TestForm f;
    f.Show();
    RECT r;
    GetClientRect(f.Handle(), &r);
    EXPECT_EQ(320, r.right);
    EXPECT_EQ(180, r.bottom);
    RECT wr, area;
    GetWindowRect(f.Handle(), &wr);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((area.left + area.right) / 2, (wr.left + wr.right) / 2, 1);
}

// A label keeps a new text until it paints: the paint, and anyone who asks the window, see the
// latest one; a text set on the window directly is the label's caption too.
TEST_F(UiBase, LabelTextReachesItsWindowByThePaintOrWhenAsked) {
    TestForm f;
    f.Show();
    HWND h = f.label->Handle();
    auto stored = [h] {  // the window's own text, read without a message to the window
        wchar_t buf[64] = {};
        InternalGetWindowText(h, buf, 64);
        return std::wstring(buf);
    };
    UpdateWindow(h);
    const int shortWidth = f.label->Width();
    for (const char* t : {"One", "Two", "A much longer text than before"}) f.label->SetCaption(t);
    EXPECT_EQ("A much longer text than before", f.label->Caption());
    EXPECT_GT(f.label->Width(), shortWidth) << "an autosized label follows its text";
    UpdateWindow(h);
    EXPECT_EQ(L"A much longer text than before", stored());

    f.label->SetCaption("Asked for");
    char buf[64] = {};
    GetWindowTextA(h, buf, sizeof buf);
    EXPECT_STREQ("Asked for", buf);
    EXPECT_EQ(L"Asked for", stored());

    SetWindowTextA(h, "Hi");
    EXPECT_EQ("Hi", f.label->Caption());
    EXPECT_LT(f.label->Width(), shortWidth);
    f.label->SetCaption("Asked for");  // differs from the window's text: it must reach it
    UpdateWindow(h);
    EXPECT_EQ(L"Asked for", stored());
}

TEST_F(UiBase, EditAndComboReportChanges) {
    TestForm f;
    int changes = 0, picks = 0;
    f.edit->OnChange = [&](TControl*) { ++changes; };
    f.edit->SetText("abc");
    EXPECT_EQ("abc", f.edit->Text());
    EXPECT_GE(changes, 1);
    f.combo->OnChange = [&](TControl*) { ++picks; };
    f.combo->AddItem("one");
    f.combo->AddItem("2  Seconds");
    f.combo->SetItemIndex(1);
    EXPECT_EQ(0, picks) << "setting the index from code is not a pick";
    EXPECT_EQ("2  Seconds", f.combo->Item(f.combo->ItemIndex()));
}

TEST_F(UiBase, ModalResultEndsShowModal) {
    TestForm f;
    f.button->ModalResult = mrOk;
    PostMessageA(f.button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(mrOk, f.ShowModal());
    EXPECT_FALSE(f.Visible());
}

TEST_F(UiBase, EscPressesTheCancelButtonAndCloseQueryCanRefuse) {
    TestForm f;
    f.CancelButton = f.button;
    f.button->ModalResult = mrCancel;
    int cancels = 0;
    f.button->OnClick = [&](TControl*) { ++cancels; };
    PostMessageA(f.edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(mrCancel, f.ShowModal());
    EXPECT_EQ(1, cancels);

    bool allow = false;
    int queries = 0;
    f.OnCloseQuery = [&](TForm*, bool& can) { ++queries; can = allow; };
    f.Show();
    SendMessageA(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(f.Visible());
    allow = true;
    SendMessageA(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(f.Visible());
    EXPECT_EQ(2, queries);
}

TEST_F(UiBase, TimersTickRestartOnIntervalChangeAndStopForGood) {
    TTimer t("Timer1", 20, true);
    int ticks = 0;
    t.OnTimer = [&](TTimer*) { ++ticks; };
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 2; }));
    t.SetEnabled(false);
    int seen = ticks;
    Sleep(60);
    Application().ProcessMessages();
    EXPECT_EQ(seen, ticks);
    t.SetInterval(10);
    t.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks > seen; }));
}

TEST_F(UiBase, HandlerExceptionsGoToTheUnhandledHandler) {
    std::string seen;
    qv::SetUnhandledHandler([&](std::exception_ptr e) { seen = qv::ErrorMessage(e); });
    TestForm f;
    f.button->OnClick = [](TControl*) { throw std::runtime_error("boom"); };
    SendMessageA(f.button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ("boom", seen);
    qv::SetUnhandledHandler(nullptr);
}

TEST_F(UiBase, MenuItemsDispatchByCommandId) {
    TPopupMenu menu("PopupMenu1");
    int hits = 0;
    TMenuItem* a = menu.Add("A1", "&Alpha", [&](TMenuItem*) { ++hits; });
    menu.AddSeparator();
    TMenuItem* b = menu.Add("B1", "&Beta", [&](TMenuItem*) { hits += 10; });
    b->Enabled = false;
    EXPECT_TRUE(TMenuItem::Dispatch(a->Id()));
    EXPECT_TRUE(TMenuItem::Dispatch(b->Id()));  // a disabled item does nothing
    EXPECT_EQ(1, hits);
    HMENU m = menu.Items().BuildPopup();
    EXPECT_EQ(3, GetMenuItemCount(m));
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED), GetMenuState(m, b->Id(), MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(m);
    EXPECT_EQ(b, menu.Find("B1"));
}
