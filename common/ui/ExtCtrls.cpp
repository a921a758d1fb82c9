#include "common/ui/ExtCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "common/ui/Application.h"
#include "common/ui/Menu.h"

namespace qv::ui {

// ---------------------------------------------------------------- TTabControl

TTabSheet::TTabSheet(TWinControl* parent, std::string name) : TWinControl(parent, std::move(name)) {
    CreateContainer(WS_CLIPSIBLINGS, 0);
}

TTabControl::TTabControl(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TWinControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateContainer(WS_VISIBLE, 0);
    // The pages live inside the system's tab window, as its children: it draws around them,
    // not over them, and Tab moves from the tabs into the page shown.
    tabs_ = CreateWindowExA(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_FIXEDWIDTH, 0,
                            0, width, height, hwnd_, nullptr, Application().InstanceHandle(), nullptr);
    AttachExtraWindow(tabs_);
}

TTabControl::~TTabControl() { DetachExtraWindow(tabs_); }

TTabSheet* TTabControl::AddTab(const std::string& pageName, const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    int index = TabCount();
    SendMessageA(tabs_, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    TTabSheet* page = Add<TTabSheet>(pageName);
    SetParent(page->Handle(), tabs_);
    pages_.push_back(page);
    Layout();
    ShowPage(TabIndex());
    return page;
}

TTabSheet* TTabControl::Page(int i) const {
    return i >= 0 && i < TabCount() ? pages_[static_cast<size_t>(i)] : nullptr;
}

int TTabControl::TabIndex() const { return static_cast<int>(SendMessageA(tabs_, TCM_GETCURSEL, 0, 0)); }

void TTabControl::SetTabIndex(int i) {
    if (i < 0 || i >= TabCount()) return;
    SendMessageA(tabs_, TCM_SETCURSEL, i, 0);
    ShowPage(i);
}

void TTabControl::SetTabWidth(int width) {
    RECT r{0, 0, 0, 20};
    if (TabCount() > 0) SendMessageA(tabs_, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    SendMessageA(tabs_, TCM_SETITEMSIZE, 0, MAKELPARAM(width, r.bottom - r.top));
    Layout();
}

void TTabControl::Layout() {
    RECT r;
    GetClientRect(hwnd_, &r);
    MoveWindow(tabs_, 0, 0, r.right, r.bottom, TRUE);
    SendMessageA(tabs_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (TTabSheet* p : pages_) p->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TTabControl::ShowPage(int i) {
    // Show the new page before hiding the old one, so the focus never falls out of the window.
    if (TTabSheet* p = Page(i)) p->SetVisible(true);
    for (int k = 0; k < TabCount(); ++k)
        if (k != i) pages_[static_cast<size_t>(k)]->SetVisible(false);
}

bool TTabControl::HandleNotify(NMHDR* nm, LRESULT& result) {
    if (nm->hwndFrom != tabs_) return false;
    if (nm->code == TCN_SELCHANGE) {
        ShowPage(TabIndex());
        if (OnChange) OnChange(this);
        result = 0;
        return true;
    }
    return false;
}

LRESULT TTabControl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && tabs_) Layout();
    return TWinControl::WindowProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TScrollBox

TScrollBox::TScrollBox(TWinControl* parent, std::string name, int left, int top, int width, int height, bool border)
    : TWinControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateContainer(WS_VISIBLE | WS_VSCROLL, border ? WS_EX_CLIENTEDGE : 0);
    UpdateScrollRange();
}

int TScrollBox::ClientHeight() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return r.bottom;
}

int TScrollBox::ContentHeight() const { return ContentHeight(nullptr); }

int TScrollBox::ContentHeight(HWND creating) const {
    int bottom = 0;
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (c != creating && !(GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE)) continue;
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        bottom = std::max(bottom, static_cast<int>(r.bottom) + pos_);
    }
    return bottom;
}

void TScrollBox::UpdateScrollRange() { UpdateScrollRange(nullptr); }

void TScrollBox::UpdateScrollRange(HWND creating) {
    int content = ContentHeight(creating);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = content > 0 ? content - 1 : 0;
    si.nPage = static_cast<UINT>(ClientHeight());
    si.nPos = pos_;
    SetScrollInfo(hwnd_, SB_VERT, &si, TRUE);
    int limit = std::max(0, content - ClientHeight());
    if (pos_ > limit) ScrollTo(limit);
}

void TScrollBox::ScrollTo(int pos) {
    int limit = std::max(0, ContentHeight() - ClientHeight());
    pos = std::max(0, std::min(pos, limit));
    if (pos == pos_) return;
    int delta = pos - pos_;
    pos_ = pos;
    // The children are moved here rather than by the system's scrolling, which leaves out
    // those outside the visible part (all of them while the box is hidden).
    for (HWND c = GetWindow(hwnd_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(c, nullptr, r.left, r.top - delta, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
    SetScrollPos(hwnd_, SB_VERT, pos_, TRUE);
}

void TScrollBox::ScrollInView(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    if (r.top < 0) ScrollTo(pos_ + r.top);
    else if (r.bottom > ClientHeight()) ScrollTo(pos_ + std::min<int>(r.top, r.bottom - ClientHeight()));
}

LRESULT TScrollBox::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_VSCROLL:
            if (lp == 0) {  // our own scroll bar
                UpdateScrollRange();
                int page = ClientHeight();
                switch (LOWORD(wp)) {
                    case SB_LINEUP: ScrollTo(pos_ - LineStep); break;
                    case SB_LINEDOWN: ScrollTo(pos_ + LineStep); break;
                    case SB_PAGEUP: ScrollTo(pos_ - page); break;
                    case SB_PAGEDOWN: ScrollTo(pos_ + page); break;
                    case SB_TOP: ScrollTo(0); break;
                    case SB_BOTTOM: ScrollTo(ContentHeight()); break;
                    case SB_THUMBTRACK:
                    case SB_THUMBPOSITION: {
                        SCROLLINFO si{};
                        si.cbSize = sizeof si;
                        si.fMask = SIF_TRACKPOS;
                        GetScrollInfo(hwnd_, SB_VERT, &si);
                        ScrollTo(si.nTrackPos);
                        break;
                    }
                }
                return 0;
            }
            break;
        case WM_MOUSEWHEEL: {
            int notches = static_cast<short>(HIWORD(wp)) / WHEEL_DELTA;
            ScrollTo(pos_ - notches * 3 * LineStep);
            return 0;
        }
        case WM_SIZE:
        case WM_SHOWWINDOW:
            UpdateScrollRange();
            break;
        case WM_PARENTNOTIFY:
            // A new child is placed in content coordinates: shift it by what is scrolled away.
            if (LOWORD(wp) == WM_CREATE && GetParent(reinterpret_cast<HWND>(lp)) == hwnd_) {
                auto child = reinterpret_cast<HWND>(lp);
                if (pos_ != 0) {
                    RECT r;
                    GetWindowRect(child, &r);
                    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
                    SetWindowPos(child, nullptr, r.left, r.top - pos_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
                UpdateScrollRange(child);
            }
            break;
        case WM_COMMAND:
            // Tab into a field below the visible part: bring it into view.
            if (lp && HIWORD(wp) == EN_SETFOCUS) ScrollInView(reinterpret_cast<HWND>(lp));
            break;
    }
    return TWinControl::WindowProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TMenuButton

TMenuButton::TMenuButton(TWinControl* parent, std::string name, const std::string& caption, int left, int top,
                         int width, int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("BUTTON", BS_OWNERDRAW | WS_TABSTOP);
    SetCaption(caption);
}

void TMenuButton::DropDown() {
    if (!DropDownMenu || down_ || !Enabled()) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    down_ = true;  // drawn pushed while the menu is open
    Repaint();
    FireClick();
    DropDownMenu->Popup(r.left, r.bottom, TopLevel());
    down_ = false;
    Repaint();
}

bool TMenuButton::HandleCommand(WORD code) {
    if (code == BN_CLICKED) {
        DropDown();
        return true;
    }
    return false;
}

bool TMenuButton::HandleDrawItem(DRAWITEMSTRUCT* dis) {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    bool pushed = down_ || (dis->itemState & ODS_SELECTED);
    bool disabled = (dis->itemState & ODS_DISABLED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    int shift = pushed ? 1 : 0;
    // The arrow at the right end says that a menu drops down.
    int ax = r.right - 14 + shift, ay = (r.top + r.bottom) / 2 - 1 + shift;
    HBRUSH arrow = GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    for (int row = 0; row < 4; ++row) {
        RECT line{ax + row, ay + row, ax + 7 - row, ay + row + 1};
        FillRect(dc, &line, arrow);
    }
    RECT text{r.left + 4 + shift, r.top + shift, r.right - 16 + shift, r.bottom + shift};
    std::string caption = Caption();
    HGDIOBJ old = SelectObject(dc, FontHandle(font_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    if (dis->itemState & ODS_FOCUS) {
        RECT f = r;
        InflateRect(&f, -4, -4);
        DrawFocusRect(dc, &f);
    }
    return true;
}

// ---------------------------------------------------------------- TCheckListBox

namespace {
constexpr LPARAM kChecked = 1;
constexpr LPARAM kForced = 2;
constexpr int kBox = 13;  // the system's check box size
}  // namespace

TCheckListBox::TCheckListBox(TWinControl* parent, std::string name, int left, int top, int width, int height,
                             bool border)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("LISTBOX",
                       LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                       border ? WS_EX_CLIENTEDGE : 0);
    color_ = clWindow;
    FontChanged();
}

void TCheckListBox::FontChanged() {
    if (!hwnd_) return;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontHandle(font_));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SendMessageA(hwnd_, LB_SETITEMHEIGHT, 0, std::max<int>(tm.tmHeight, kBox) + 3);
}

int TCheckListBox::BoxWidth() const { return kBox + 6; }

int TCheckListBox::AddItem(const std::string& text, bool checked) {
    int i = static_cast<int>(SendMessageA(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (i >= 0) SetFlags(i, checked ? kChecked : 0);
    return i;
}

void TCheckListBox::Clear() { SendMessageA(hwnd_, LB_RESETCONTENT, 0, 0); }
int TCheckListBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCOUNT, 0, 0)); }

std::string TCheckListBox::Item(int i) const { return LineText(hwnd_, LB_GETTEXTLEN, LB_GETTEXT, i); }

int TCheckListBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, LB_GETCURSEL, 0, 0)); }
void TCheckListBox::SetItemIndex(int i) { SendMessageA(hwnd_, LB_SETCURSEL, i, 0); }

LPARAM TCheckListBox::Flags(int i) const {
    LRESULT f = SendMessageA(hwnd_, LB_GETITEMDATA, i, 0);
    return f == LB_ERR ? 0 : f;
}

void TCheckListBox::SetFlags(int i, LPARAM flags) {
    if (i < 0 || i >= Count()) return;
    SendMessageA(hwnd_, LB_SETITEMDATA, i, flags);
    RECT r;
    if (SendMessageA(hwnd_, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r)) != LB_ERR) InvalidateRect(hwnd_, &r, FALSE);
}

bool TCheckListBox::Checked(int i) const { return (Flags(i) & kChecked) != 0; }
void TCheckListBox::SetChecked(int i, bool c) { SetFlags(i, c ? (Flags(i) | kChecked) : (Flags(i) & ~kChecked)); }
bool TCheckListBox::Forced(int i) const { return (Flags(i) & kForced) != 0; }
void TCheckListBox::SetForced(int i, bool f) { SetFlags(i, f ? (Flags(i) | kForced) : (Flags(i) & ~kForced)); }

void TCheckListBox::UserToggle(int i) {
    if (i < 0 || i >= Count()) return;
    if (Checked(i) && Forced(i)) return;
    SetChecked(i, !Checked(i));
    if (OnClickCheck) OnClickCheck(this, i);
}

bool TCheckListBox::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {  // a quick second click on the box is a second toggle
            LRESULT hit = SendMessageA(hwnd_, LB_ITEMFROMPOINT, 0, lp);
            if (HIWORD(hit) != 0 || static_cast<short>(LOWORD(lp)) >= BoxWidth()) return false;
            result = DefaultHandler(msg == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN : msg, wp, lp);  // selects the line
            UserToggle(LOWORD(hit));
            return true;
        }
        case WM_CHAR:
            if (wp == ' ') {
                UserToggle(ItemIndex());
                result = 0;
                return true;
            }
            return false;
    }
    return false;
}

bool TCheckListBox::HandleCommand(WORD code) {
    if (code == LBN_SELCHANGE) {
        FireClick();
        return true;
    }
    return false;
}

bool TCheckListBox::HandleDrawItem(DRAWITEMSTRUCT* dis) {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    if (dis->itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
        if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
        return true;
    }
    int i = static_cast<int>(dis->itemID);
    FillRect(dc, &r, SolidBrushFor(BackgroundColor()));
    RECT box{r.left + 2, r.top + (r.bottom - r.top - kBox) / 2, 0, 0};
    box.right = box.left + kBox;
    box.bottom = box.top + kBox;
    bool checked = Checked(i);
    // A forced tick is drawn greyed: the user cannot take it away.
    DrawFrameControl(dc, &box, DFC_BUTTON,
                     DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0) | (checked && Forced(i) ? DFCS_INACTIVE : 0));
    RECT text{r.left + BoxWidth(), r.top, r.right, r.bottom};
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    if (selected) FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
    std::string s = Item(i);
    HGDIOBJ old = SelectObject(dc, FontHandle(font_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ColorToRGB(font_.Color));
    RECT t = text;
    t.left += 2;
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, old);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
    return true;
}

// ---------------------------------------------------------------- TBevel

TBevel::TBevel(TWinControl* parent, std::string name, int left, int top, int width)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, 2);
    // Drawn by us: the system's etched static adds a border of its own around the size given.
    CreateSystemWindow("STATIC", SS_OWNERDRAW);
}

bool TBevel::HandleDrawItem(DRAWITEMSTRUCT* dis) {
    RECT r = dis->rcItem;
    DrawEdge(dis->hDC, &r, EDGE_ETCHED, BF_TOP);
    return true;
}

}  // namespace qv::ui
