#include "common/ui/StdCtrls.h"

#include "common/ui/Form.h"

namespace qv::ui {

static TForm* FormOf(TControl* c) {
    while (c->Parent()) c = c->Parent();
    return dynamic_cast<TForm*>(c);
}

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
               int height)
    : TControl(parent, std::move(name)), autoSize_(width == 0) {
    InitBounds(left, top, width, height ? height : 13);
    CreateSystemWindow("STATIC", SS_NOTIFY | SS_LEFT | SS_NOPREFIX);
    SetCaption(caption);
}

void TLabel::FitToText() {
    if (!autoSize_ || !hwnd_) return;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontHandle(font_));
    SIZE sz{0, 0};
    GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &sz);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    TControl::SetBounds(left_, top_, sz.cx + 1, tm.tmHeight);
}

void TLabel::SetCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    if (!hwnd_) return;
    textPending_ = true;
    FitToText();
    MarkForPaint();
}

void TLabel::MarkForPaint() {
    if (paintPending_) return;  // the label and what lies under it are to be painted already
    paintPending_ = true;
    // A transparent label draws no background: the parent must repaint what the old text covered.
    if (transparent_ && parent_) {
        RECT r{left_, top_, left_ + width_, top_ + height_};
        InvalidateRect(parent_->Handle(), &r, TRUE);
    }
    Invalidate();
}

void TLabel::FlushText() {
    if (!textPending_) return;
    textPending_ = false;
    // Past the static control: it would paint at once, and the paint is on its way.
    DefWindowProcA(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption_.c_str()));
}

void TLabel::Restyle() {
    LONG s = GetWindowLongA(hwnd_, GWL_STYLE) & ~(SS_LEFT | SS_RIGHT | SS_CENTER | SS_LEFTNOWORDWRAP);
    if (align_ == TAlignment::Right) s |= SS_RIGHT;
    else if (align_ == TAlignment::Center) s |= SS_CENTER;
    else s |= wordWrap_ ? SS_LEFT : SS_LEFTNOWORDWRAP;
    SetWindowLongA(hwnd_, GWL_STYLE, s);
    Invalidate();
}

void TLabel::SetTransparent(bool t) {
    transparent_ = t;
    Invalidate();
}
void TLabel::SetAlignment(TAlignment a) {
    align_ = a;
    Restyle();
}
void TLabel::SetWordWrap(bool w) {
    wordWrap_ = w;
    Restyle();
}
void TLabel::SetLink(COLORREF hoverColor) {
    link_ = true;
    hoverColor_ = hoverColor;
}

HBRUSH TLabel::HandleCtlColor(HDC dc) {
    COLORREF fg = (link_ && hover_) ? hoverColor_ : font_.Color;
    if (transparent_) {
        SetTextColor(dc, ColorToRGB(fg));
        SetBkMode(dc, TRANSPARENT);
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    HBRUSH b = TControl::HandleCtlColor(dc);
    SetTextColor(dc, ColorToRGB(fg));
    return b;
}

bool TLabel::HandleCommand(WORD code) {
    if (code == STN_CLICKED) {
        FireClick();
        return true;
    }
    return false;
}

bool TLabel::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT:
        paintPending_ = false;
        FlushText();
        break;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        FlushText();
        break;
    case WM_SETTEXT:  // from outside SetCaption
        textPending_ = false;
        caption_ = lp ? reinterpret_cast<const char*>(lp) : "";
        result = DefWindowProcA(hwnd_, msg, wp, lp);
        FitToText();
        MarkForPaint();
        return true;
    default:
        break;
    }
    if (!link_) return false;
    if (msg == WM_SETCURSOR) {
        SetCursor(LoadCursor(nullptr, MAKEINTRESOURCE(32649)));  // IDC_HAND; not in every system's headers
        result = TRUE;
        return true;
    }
    if (msg == WM_MOUSEMOVE && !hover_) {
        hover_ = true;
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
        TrackMouseEvent(&tme);
        Invalidate();
    } else if (msg == WM_MOUSELEAVE) {
        hover_ = false;
        Invalidate();
    }
    return false;
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
                 int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
    SetCaption(caption);
}

void TButton::Click() {
    if (!Enabled()) return;
    FireClick();
    if (ModalResult != 0)
        if (TForm* f = FormOf(this)) f->SetModalResult(ModalResult);
}

bool TButton::HandleCommand(WORD code) {
    if (code == BN_CLICKED) {
        Click();
        return true;
    }
    return false;
}

void TButton::SetDefault(bool d) {
    SendMessageA(hwnd_, BM_SETSTYLE, d ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    if (TForm* f = FormOf(this)) {
        if (d) f->DefaultButton = this;
        else if (f->DefaultButton == this) f->DefaultButton = nullptr;
    }
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
                     int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("BUTTON", BS_CHECKBOX | WS_TABSTOP);
    SetCaption(caption);
}

bool TCheckBox::Checked() const { return checked_; }

void TCheckBox::SetChecked(bool c) {
    if (c == checked_) return;
    checked_ = c;
    SendMessageA(hwnd_, BM_SETCHECK, c ? BST_CHECKED : BST_UNCHECKED, 0);
    FireClick();
}

bool TCheckBox::HandleCommand(WORD code) {
    if (code == BN_CLICKED) {  // a plain check box: we toggle it ourselves, so code and user agree
        SetChecked(!checked_);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TEdit

TEdit::TEdit(TWinControl* parent, std::string name, int left, int top, int width, int height, bool border)
    : TEdit(parent, std::move(name), left, top, width, height, ES_AUTOHSCROLL | WS_TABSTOP,
            border ? WS_EX_CLIENTEDGE : 0) {}

TEdit::TEdit(TWinControl* parent, std::string name, int left, int top, int width, int height, DWORD style,
             DWORD exStyle)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow("EDIT", style, exStyle);
    color_ = clWindow;
}

void TEdit::SetText(const std::string& t) { SetCaption(t); }

void TEdit::SetReadOnly(bool r) { SendMessageA(hwnd_, EM_SETREADONLY, r, 0); }
bool TEdit::ReadOnly() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetMultiLine(bool scrollBar) {
    // ES_MULTILINE cannot be switched on an existing edit: make the window again.
    std::string text = Caption();
    bool ro = ReadOnly();
    HWND old = hwnd_;
    RemovePropA(old, "QvControl");
    DWORD ex = GetWindowLongA(old, GWL_EXSTYLE);
    DestroyWindow(old);
    hwnd_ = nullptr;
    CreateSystemWindow("EDIT", ES_MULTILINE | ES_AUTOVSCROLL | (scrollBar ? WS_VSCROLL : 0) | (ro ? ES_READONLY : 0),
                       ex);
    SetCaption(text);
}

bool TEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE) {
        if (OnChange) OnChange(this);
        return true;
    }
    if (code == EN_KILLFOCUS) {
        if (OnExit) OnExit(this);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TComboBox

TComboBox::TComboBox(TWinControl* parent, std::string name, int left, int top, int width, int dropHeight)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, dropHeight);
    CreateSystemWindow("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
    color_ = clWindow;
}

void TComboBox::AddItem(const std::string& text) { SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())); }
void TComboBox::Clear() { SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0); }
int TComboBox::Count() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int i) const { return LineText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, i); }

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }
void TComboBox::SetItemIndex(int i) { SendMessageA(hwnd_, CB_SETCURSEL, i, 0); }

bool TComboBox::HandleCommand(WORD code) {
    if (code == CBN_SELCHANGE) {
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TWinControl* parent, std::string name, const std::string& caption, int left, int top, int width,
                     int height)
    : TWinControl(parent, std::move(name)), caption_(caption) {
    InitBounds(left, top, width, height);
    // The window's text is the caption too, so Caption() and other programs read it.
    CreateContainer(WS_VISIBLE, 0);
    SetWindowTextA(hwnd_, caption_.c_str());
}

void TGroupBox::SetCaption(const std::string& text) {
    caption_ = text;
    SetWindowTextA(hwnd_, text.c_str());
    Invalidate();
}

void TGroupBox::Paint(HDC dc, const RECT& client) {
    HGDIOBJ old = SelectObject(dc, FontHandle(font_));
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    RECT frame = client;
    frame.top += tm.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (!caption_.empty()) {
        SIZE sz;
        GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &sz);
        RECT tr{8, 0, 8 + sz.cx + 4, tm.tmHeight};
        FillRect(dc, &tr, SolidBrushFor(BackgroundColor()));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(font_.Color));
        TextOutA(dc, 10, 0, caption_.c_str(), static_cast<int>(caption_.size()));
    }
    SelectObject(dc, old);
    TWinControl::Paint(dc, client);
}

}  // namespace qv::ui
