#include <windows.h>
#include <commctrl.h>

#include "UiTestSupport.h"
#include "common/ui/Edits.h"

using namespace qv::ui;
using qv::test::HostForm;

namespace {

class EditsTest : public qv::test::UiTest {
protected:
    void SetUp() override { form = std::make_unique<HostForm>(); }
    // Types text into the focused field as the keyboard would (one WM_CHAR per character).
    static void Type(HWND h, const std::string& text) {
        for (char c : text) SendMessageA(h, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
    static void ClickArrow(HWND updown, bool up) {
        RECT r;
        GetClientRect(updown, &r);
        int y = up ? r.bottom / 4 : r.bottom * 3 / 4;
        qv::test::ClickAt(updown, r.right / 2, y);
    }
    std::unique_ptr<HostForm> form;
};

}  // namespace

TEST(SpinValue, TextReadsAsAWholeNumberInRange) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"30", 30},   {"1", 1},      {"120", 120},   {"0", 1},   {"-5", 1},   {"200", 120},
        {"", 1},      {"abc", 1},    {"12abc", 1},   {"2.5", 1}, {" 45 ", 45}, {"+7", 7},
        {"99999999999999999999", 120},  // too long for any integer: still a number above the range
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, SpinValueOf(c.text, 1, 120)) << '"' << c.text << '"';
}

TEST_F(EditsTest, SpinEditStepsByArrowsAndKeysWithinItsRange) {
    auto* spin = form->Add<TSpinEdit>("RzSpinEdit1", 10, 10, 80);
    spin->SetMin(1);
    spin->SetMax(3);
    EXPECT_EQ("1", spin->Text()) << "the starting 0 is below the new range";
    ClickArrow(spin->ButtonHandle(), true);
    EXPECT_EQ(2, spin->Value());
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_UP, 0);
    ClickArrow(spin->ButtonHandle(), true);  // at the top already
    EXPECT_EQ("3", spin->Text());
    ClickArrow(spin->ButtonHandle(), false);
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(spin->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ("1", spin->Text());

    spin->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(spin->ButtonHandle()));
}

TEST_F(EditsTest, SpinEditReportsEveryShownTextAndPullsTheTextIntoRangeOnLeaving) {
    auto* spin = form->Add<TSpinEdit>("RzSpinEdit1", 10, 10, 80);
    auto* other = form->Add<TEdit>("Other", 10, 40, 80);
    spin->SetMin(1);
    spin->SetMax(120);
    std::vector<int> stored;
    spin->OnChange = [&](TControl*) { stored.push_back(spin->Value()); };
    spin->SetValue(1);  // the text stays "1": nothing to report
    EXPECT_TRUE(stored.empty());
    spin->SetFocus();
    SendMessageA(spin->Handle(), EM_SETSEL, 0, -1);
    Type(spin->Handle(), "200");
    EXPECT_EQ((std::vector<int>{2, 20, 120}), stored) << "each intermediate text, read into the range";
    EXPECT_EQ("200", spin->Text()) << "typing is not corrected while it goes on";
    other->SetFocus();
    EXPECT_EQ("120", spin->Text());
    EXPECT_EQ(120, stored.back());
    EXPECT_EQ(4u, stored.size());

    spin->SetFocus();
    SendMessageA(spin->Handle(), EM_SETSEL, 0, -1);
    Type(spin->Handle(), "x");
    other->SetFocus();
    EXPECT_EQ("1", spin->Text()) << "no number: the lower bound";
}

TEST_F(EditsTest, SpinEditRangeChangesKeepAValueThatFits) {
    auto* spin = form->Add<TSpinEdit>("RzSpinEdit2", 10, 10, 80);
    spin->SetMin(1);
    spin->SetValue(50);
    int changes = 0;
    spin->OnChange = [&](TControl*) { ++changes; };
    spin->SetMax(4096);
    EXPECT_EQ("50", spin->Text());
    EXPECT_EQ(0, changes);
    spin->SetValue(5000);
    EXPECT_EQ("4096", spin->Text());
    spin->SetMax(2048);
    EXPECT_EQ("2048", spin->Text());
    spin->SetMin(3000);  // above the maximum: both bounds move
    EXPECT_EQ(3000, spin->Max());
    EXPECT_EQ("3000", spin->Text());
    EXPECT_EQ(3, changes);
}

TEST_F(EditsTest, ButtonEditIsReadOnlyWithItsButtonInsideTheRightEnd) {
    auto* be = form->Add<TButtonEdit>("RzButtonEdit14", 10, 10, 200);
    be->SetText("C:\\windows\\temp");
    int clicks = 0;
    be->OnButtonClick = [&](TControl* sender) {
        EXPECT_EQ(be, sender);
        ++clicks;
    };
    Type(be->Handle(), "x");
    EXPECT_EQ("C:\\windows\\temp", be->Text());
    SendMessageA(be->ButtonHandle(), BM_CLICK, 0, 0);
    EXPECT_EQ(1, clicks);

    RECT edit, button;
    GetClientRect(be->Handle(), &edit);
    GetWindowRect(be->ButtonHandle(), &button);
    MapWindowPoints(nullptr, be->Handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(edit.right, button.right);
    EXPECT_EQ(edit.bottom, button.bottom);
    int rightMargin = HIWORD(SendMessageA(be->Handle(), EM_GETMARGINS, 0, 0));
    EXPECT_GE(rightMargin, button.right - button.left) << "the text must stop short of the button";

    be->SetBounds(10, 10, 300, 21);
    GetClientRect(be->Handle(), &edit);
    GetWindowRect(be->ButtonHandle(), &button);
    MapWindowPoints(nullptr, be->Handle(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(edit.right, button.right) << "the button follows a resize";

    be->SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(be->ButtonHandle()));
    be->ButtonClick();
    EXPECT_EQ(1, clicks);
}

TEST_F(EditsTest, HotKeyFieldReportsWhatTheUserTyped) {
    auto* hk = form->Add<THotKeyEdit>("RzHotKeyEdit1", 10, 10, 150);
    EXPECT_EQ(0, hk->Key());
    EXPECT_EQ(0, hk->Modifiers());
    int changes = 0;
    hk->OnChange = [&](TControl*) { ++changes; };
    hk->SetHotKey('W', HOTKEYF_CONTROL | HOTKEYF_ALT);
    EXPECT_EQ('W', hk->Key());
    EXPECT_EQ(HOTKEYF_CONTROL | HOTKEYF_ALT, hk->Modifiers());
    EXPECT_EQ(0, changes) << "set from code";

    hk->SetFocus();
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE saved[256];
    memcpy(saved, keys, sizeof keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(hk->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
    SendMessageA(hk->Handle(), WM_KEYDOWN, VK_F5, 0);
    SetKeyboardState(saved);
    EXPECT_EQ(VK_F5, hk->Key());
    EXPECT_EQ(HOTKEYF_SHIFT, hk->Modifiers() & ~HOTKEYF_EXT);
    EXPECT_GE(changes, 1);
}

TEST_F(EditsTest, MemoShowsLinesOnItsColourAndTabPassesItBy) {
    auto* before = form->Add<TEdit>("Edit1", 10, 10, 100);
    auto* memo = form->Add<TMemo>("RichEdit1", 10, 40, 200, 60);
    auto* after = form->Add<TEdit>("Edit2", 10, 110, 100);
    memo->SetColor(RGB(224, 224, 224));
    memo->SetText("first line\nsecond line\r\nthird line");
    EXPECT_EQ(3, memo->LineCount());
    EXPECT_TRUE(memo->ReadOnly());
    LONG style = GetWindowLongA(memo->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_VSCROLL);
    EXPECT_FALSE(style & (WS_BORDER | WS_TABSTOP));
    EXPECT_FALSE(GetWindowLongA(memo->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(after->Handle(), GetNextDlgTabItem(form->Handle(), before->Handle(), FALSE));
    LRESULT code = SendMessageA(memo->Handle(), WM_GETDLGCODE, 0, 0);
    EXPECT_FALSE(code & (DLGC_WANTALLKEYS | DLGC_WANTTAB)) << "Tab, Enter and Esc stay the form's";

    UpdateWindow(form->Handle());
    RECT r;
    GetClientRect(memo->Handle(), &r);
    EXPECT_EQ(RGB(224, 224, 224), qv::test::ScreenPixel(memo->Handle(), r.right - 30, r.bottom - 3));
}

TEST_F(EditsTest, EscInAMultiLineFieldLeavesItsContainerAlive) {
    auto* group = form->Add<TGroupBox>("GroupBox1", "", 10, 10, 250, 200);
    auto* memo = group->Add<TMemo>("RichEdit1", 10, 20, 200, 60);
    auto* edit = group->Add<TEdit>("Edit1", 10, 100, 200, 60);
    edit->SetMultiLine(true);
    for (TControl* field : {static_cast<TControl*>(memo), static_cast<TControl*>(edit)}) {
        field->SetFocus();
        PostMessageA(field->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
        Application().ProcessMessages();
        EXPECT_TRUE(IsWindow(group->Handle())) << field->Name();
        EXPECT_TRUE(form->Visible());
    }
}
