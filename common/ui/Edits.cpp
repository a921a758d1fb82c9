#include "common/ui/Edits.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdlib>

#include "common/core/Handles.h"
#include "common/core/Text.h"
#include "common/ui/Application.h"

namespace qv::ui {

// ---------------------------------------------------------------- TEditWithButton

TEditWithButton::TEditWithButton(TWinControl* parent, std::string name, int left, int top, int width, int height,
                                 DWORD style)
    : TEdit(parent, std::move(name), left, top, width, height, style | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE) {}

TEditWithButton::~TEditWithButton() {
    if (inner_) DestroyWindow(inner_);
}

void TEditWithButton::CreateInner(const char* className, DWORD style, int width) {
    innerWidth_ = width;
    inner_ = CreateWindowExA(0, className, "", style | WS_CHILD | WS_VISIBLE, 0, 0, width, 1, hwnd_, nullptr,
                             Application().InstanceHandle(), nullptr);
    PlaceInner();
}

void TEditWithButton::PlaceInner() {
    if (!inner_) return;
    RECT r;
    GetClientRect(hwnd_, &r);
    MoveWindow(inner_, r.right - innerWidth_, 0, innerWidth_, r.bottom, TRUE);
    SendMessageA(hwnd_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, innerWidth_ + 1));
}

void TEditWithButton::SetEnabled(bool v) {
    TEdit::SetEnabled(v);
    if (inner_) EnableWindow(inner_, v);
}

bool TEditWithButton::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SIZE) {
        result = DefaultHandler(msg, wp, lp);
        PlaceInner();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TSpinEdit

int SpinValueOf(const std::string& text, int min, int max) {
    std::string t = Trim(text);
    const char* s = t.c_str();
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s, &end, 10);
    if (t.empty() || *end != '\0' || end == s) return min;
    if (errno == ERANGE) return v < 0 ? min : max;
    if (v < min) return min;
    if (v > max) return max;
    return static_cast<int>(v);
}

TSpinEdit::TSpinEdit(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TEditWithButton(parent, std::move(name), left, top, width, height, ES_AUTOHSCROLL | WS_TABSTOP) {
    CreateInner(UPDOWN_CLASSA, 0, GetSystemMetrics(SM_CXVSCROLL));
    // We move the value ourselves (UDN_DELTAPOS): the arrows' own position stays in the middle
    // of a range, so that they always report a step, whatever our bounds are.
    SendMessageA(ButtonHandle(), UDM_SETRANGE, 0, MAKELPARAM(100, 0));
    SendMessageA(ButtonHandle(), UDM_SETPOS, 0, MAKELPARAM(50, 0));
    shown_ = "0";
    SetCaption(shown_);
}

int TSpinEdit::Value() const { return SpinValueOf(Caption(), min_, max_); }

void TSpinEdit::SetValue(int v) {
    if (v < min_) v = min_;
    if (v > max_) v = max_;
    std::string text = IntToStr(v);
    if (text != Caption()) SetCaption(text);
}

void TSpinEdit::PullIntoRange() {
    std::string text = Caption();
    if (IntToStr(SpinValueOf(text, min_, max_)) != text) SetValue(Value());
}


void TSpinEdit::SetMin(int v) {
    min_ = v;
    if (max_ < v) max_ = v;
    PullIntoRange();
}

void TSpinEdit::SetMax(int v) {
    max_ = v;
    if (min_ > v) min_ = v;
    PullIntoRange();
}

void TSpinEdit::Step(int direction) {
    long long v = static_cast<long long>(Value()) + static_cast<long long>(direction) * Increment;
    if (v < min_) v = min_;
    if (v > max_) v = max_;
    SetValue(static_cast<int>(v));
    SendMessageA(hwnd_, EM_SETSEL, 0, -1);
}

bool TSpinEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE) {
        std::string text = Caption();
        if (text != shown_) {
            shown_ = text;
            if (OnChange) OnChange(this);
        }
        return true;
    }
    if (code == EN_KILLFOCUS) {
        PullIntoRange();
        if (OnExit) OnExit(this);
        return true;
    }
    return false;
}

bool TSpinEdit::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lp);
            if (nm->hwndFrom == ButtonHandle() && nm->code == UDN_DELTAPOS) {
                Step(reinterpret_cast<NMUPDOWN*>(lp)->iDelta > 0 ? 1 : -1);
                result = 1;  // keep the arrows' own position
                return true;
            }
            return false;
        }
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lp) == ButtonHandle()) {
                result = 0;
                return true;
            }
            return false;
        case WM_KEYDOWN:
            if (wp == VK_UP || wp == VK_DOWN) {
                Step(wp == VK_UP ? 1 : -1);
                result = 0;
                return true;
            }
            return false;
    }
    return TEditWithButton::SubclassMessage(msg, wp, lp, result);
}

// ---------------------------------------------------------------- TButtonEdit

namespace {
// The small folder picture of the system, taken from the Windows folder itself.
HICON FolderIcon() {
    static IconHandle icon = [] {
        char dir[MAX_PATH] = "";
        GetWindowsDirectoryA(dir, MAX_PATH);
        SHFILEINFOA info{};
        SHGetFileInfoA(dir, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON);
        return IconHandle(info.hIcon);
    }();
    return icon.get();
}
}  // namespace

TButtonEdit::TButtonEdit(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TEditWithButton(parent, std::move(name), left, top, width, height, ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP) {
    CreateInner("BUTTON", BS_OWNERDRAW, GetSystemMetrics(SM_CXVSCROLL) + 2);
}

void TButtonEdit::ButtonClick() {
    if (Enabled() && OnButtonClick) OnButtonClick(this);
}

bool TButtonEdit::SubclassMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && reinterpret_cast<HWND>(lp) == ButtonHandle()) {
        if (HIWORD(wp) == BN_CLICKED) ButtonClick();
        result = 0;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis->hwndItem != ButtonHandle()) return false;
        RECT r = dis->rcItem;
        bool pushed = (dis->itemState & ODS_SELECTED) != 0;
        bool disabled = (dis->itemState & ODS_DISABLED) != 0;
        DrawFrameControl(dis->hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        int x = r.left + (r.right - r.left - 16) / 2 + (pushed ? 1 : 0);
        int y = r.top + (r.bottom - r.top - 16) / 2 + (pushed ? 1 : 0);
        if (HICON icon = FolderIcon()) {
            DrawStateA(dis->hDC, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, x, y, 16, 16,
                       DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
        } else {
            RECT t = r;
            SetBkMode(dis->hDC, TRANSPARENT);
            DrawTextA(dis->hDC, "...", 3, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        result = TRUE;
        return true;
    }
    return TEditWithButton::SubclassMessage(msg, wp, lp, result);
}

// ---------------------------------------------------------------- THotKeyEdit

THotKeyEdit::THotKeyEdit(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TControl(parent, std::move(name)) {
    InitBounds(left, top, width, height);
    CreateSystemWindow(HOTKEY_CLASSA, WS_TABSTOP, WS_EX_CLIENTEDGE);
    color_ = clWindow;
}

BYTE THotKeyEdit::Key() const { return LOBYTE(LOWORD(SendMessageA(hwnd_, HKM_GETHOTKEY, 0, 0))); }
BYTE THotKeyEdit::Modifiers() const { return HIBYTE(LOWORD(SendMessageA(hwnd_, HKM_GETHOTKEY, 0, 0))); }

void THotKeyEdit::SetHotKey(BYTE key, BYTE modifiers) {
    SendMessageA(hwnd_, HKM_SETHOTKEY, MAKEWORD(key, modifiers), 0);
}

bool THotKeyEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE) {
        if (OnChange) OnChange(this);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- TMemo

TMemo::TMemo(TWinControl* parent, std::string name, int left, int top, int width, int height)
    : TEdit(parent, std::move(name), left, top, width, height,
            ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0) {}

void TMemo::SetCaption(const std::string& text) {
    std::string t;
    t.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) t += '\r';
        t += text[i];
    }
    TEdit::SetCaption(t);
}

int TMemo::LineCount() const { return static_cast<int>(SendMessageA(hwnd_, EM_GETLINECOUNT, 0, 0)); }

bool TMemo::SubclassMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg == WM_GETDLGCODE) {
        // A multi-line edit asks for every key, Tab, Enter and Esc included; read-only text has
        // no use for them, so they stay the form's. (Asked without the message, since some
        // systems' edits act on Esc while answering.)
        result = DefaultHandler(msg, wp, 0) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
        return true;
    }
    return false;
}

}  // namespace qv::ui
