#include "common/ui/ListBox.h"

namespace qv::ui {

TListBox::TListBox(TWinControl* parent, std::string name, int left, int top, int width, int height, bool border)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                       border ? WS_EX_CLIENTEDGE : 0);
    color_ = clWindow;
}

void TListBox::AddItem(const std::string& text) {
    SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TListBox::SetItems(const std::vector<std::string>& lines) {
    Clear();
    for (const std::string& l : lines) AddItem(l);
}

void TListBox::Clear() { SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0); }
int TListBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string TListBox::Item(int i) const {
    LRESULT n = SendMessageA(hwnd_, LB_GETTEXTLEN, i, 0);
    if (n == LB_ERR) return {};
    std::string s(static_cast<size_t>(n) + 1, '\0');
    SendMessageA(hwnd_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(n));
    return s;
}

int TListBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }
void TListBox::SetItemIndex(int i) { SendMessageA(hwnd_, LB_SETCURSEL, i, 0); }

bool TListBox::HandleCommand(WORD code) {
    if (code == LBN_SELCHANGE) {
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}

}  // namespace qv::ui
