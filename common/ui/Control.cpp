#include "common/ui/Control.h"

#include <commctrl.h>

#include <map>

#include "common/core/Unhandled.h"
#include "common/ui/Application.h"
#include "common/ui/Menu.h"

namespace qv::ui {

namespace {
const char kPropName[] = "QvControl";
const char kContainerClass[] = "QvContainer";
int g_nextId = 100;  // child ids; menu item ids start far above (see Menu.cpp)

template <class T>
struct Cache {
    std::vector<std::pair<T, HGDIOBJ>> entries;
    ~Cache() {
        for (auto& e : entries) DeleteObject(e.second);
    }
};
}  // namespace

COLORREF ColorToRGB(COLORREF c) {
    if (c != clNone && (c & 0x80000000u)) return GetSysColor(static_cast<int>(c & 0xFF));
    return c;
}

HBRUSH SolidBrushFor(COLORREF c) {
    static Cache<COLORREF> cache;
    COLORREF rgb = ColorToRGB(c);
    for (auto& e : cache.entries)
        if (e.first == rgb) return static_cast<HBRUSH>(e.second);
    HBRUSH b = CreateSolidBrush(rgb);
    cache.entries.emplace_back(rgb, b);
    return b;
}

HFONT FontHandle(const TFont& f) {
    static Cache<TFont> cache;
    for (auto& e : cache.entries)
        if (e.first == f) return static_cast<HFONT>(e.second);
    HDC dc = GetDC(nullptr);
    int height = -MulDiv(f.Size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = f.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = f.Underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, f.Name.c_str(), LF_FACESIZE);
    HFONT h = CreateFontIndirectA(&lf);
    cache.entries.emplace_back(f, h);
    return h;
}

std::string LineText(HWND h, UINT lengthMsg, UINT textMsg, int i) {
    LRESULT n = SendMessageA(h, lengthMsg, i, 0);
    if (n < 0) return {};  // LB_ERR and CB_ERR
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = SendMessageA(h, textMsg, i, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TWinControl* parent, std::string name) : parent_(parent), name_(std::move(name)) {
    if (parent_) {
        font_ = parent_->font_;
    }
}

TControl::~TControl() {
    if (hwnd_) {
        RemovePropA(hwnd_, kPropName);
        if (oldProc_) SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

TControl* TControl::FromHandle(HWND h) {
    return h ? static_cast<TControl*>(GetPropA(h, kPropName)) : nullptr;
}

HWND TControl::TopLevel() const {
    HWND h = hwnd_;
    while (h && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = GetParent(h);
    return h;
}

void TControl::Attach(HWND h) {
    hwnd_ = h;
    SetPropA(h, kPropName, this);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), FALSE);
}

void TControl::CreateSystemWindow(const char* className, DWORD style, DWORD exStyle) {
    int id = g_nextId++;
    HWND h = CreateWindowExA(exStyle, className, "", style | WS_CHILD | WS_VISIBLE, left_, top_, width_, height_,
                             parent_ ? parent_->Handle() : nullptr, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             Application().InstanceHandle(), nullptr);
    Attach(h);
    oldProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
}

static int XOf(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
static int YOf(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }

static TMouseButton ButtonOf(UINT msg) {
    switch (msg) {
        case WM_RBUTTONDOWN: case WM_RBUTTONUP: return TMouseButton::Right;
        case WM_MBUTTONDOWN: case WM_MBUTTONUP: return TMouseButton::Middle;
        default: return TMouseButton::Left;
    }
}

// Mouse, key and context-menu handling shared by system-class controls and our containers.
static bool CommonMessage(TControl* c, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            if (c->OnMouseDown) c->OnMouseDown(c, ButtonOf(msg), XOf(lp), YOf(lp));
            return false;
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
            if (c->OnMouseUp) c->OnMouseUp(c, ButtonOf(msg), XOf(lp), YOf(lp));
            return false;
        case WM_KEYDOWN:
            if (c->OnKeyDown) {
                WORD key = static_cast<WORD>(wp);
                c->OnKeyDown(c, key);
                return key == 0;
            }
            return false;
        case WM_CONTEXTMENU:
            if (c->PopupMenu) {
                int x = XOf(lp), y = YOf(lp);
                if (lp == -1) {  // from the keyboard: at the control's top-left corner
                    RECT r;
                    GetWindowRect(c->Handle(), &r);
                    x = r.left;
                    y = r.top;
                }
                c->PopupMenu->Popup(x, y, c->TopLevel());
                return true;
            }
            return false;
    }
    return false;
}

LRESULT CALLBACK TControl::SubclassProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    TControl* c = FromHandle(h);
    if (!c) return DefWindowProcA(h, msg, wp, lp);
    WNDPROC old = c->oldProc_;
    LRESULT result = 0;
    bool handled = false;
    Guarded([&] {
        handled = c->SubclassMessage(msg, wp, lp, result) || CommonMessage(c, msg, wp, lp);
    });
    if (handled) return result;
    return CallWindowProcA(old, h, msg, wp, lp);
}

bool TControl::SubclassMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT TControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    return oldProc_ ? CallWindowProcA(oldProc_, hwnd_, msg, wp, lp) : DefWindowProcA(hwnd_, msg, wp, lp);
}

void TControl::AttachExtraWindow(HWND h) {
    SetPropA(h, kPropName, this);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(font_)), FALSE);
}

void TControl::DetachExtraWindow(HWND h) {
    if (h) RemovePropA(h, kPropName);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (hwnd_) {
        if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) {
            MoveWindow(hwnd_, left, top, width, height, TRUE);
        } else {  // top-level: the size given is the client area
            RECT r{0, 0, width, height};
            AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), GetMenu(hwnd_) != nullptr,
                               GetWindowLongA(hwnd_, GWL_EXSTYLE));
            MoveWindow(hwnd_, left, top, r.right - r.left, r.bottom - r.top, TRUE);
        }
    }
}

POINT TControl::ClientOrigin() const {
    POINT p{0, 0};
    HWND top = TopLevel();
    if (hwnd_ && top) MapWindowPoints(hwnd_, top, &p, 1);
    return p;
}

void TControl::SetVisible(bool v) {
    if (hwnd_) ShowWindow(hwnd_, v ? SW_SHOW : SW_HIDE);
}
bool TControl::Visible() const { return hwnd_ && IsWindowVisible(hwnd_); }
void TControl::SetEnabled(bool v) {
    if (hwnd_) EnableWindow(hwnd_, v);
}
bool TControl::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void TControl::SetCaption(const std::string& text) {
    if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

std::string TControl::Caption() const {
    if (!hwnd_) return {};
    int n = GetWindowTextLengthA(hwnd_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(hwnd_, &s[0], n + 1);
    s.resize(static_cast<size_t>(n > 0 ? n : 0));
    return s;
}

void TControl::SetFont(const TFont& f) {
    font_ = f;
    if (hwnd_) {
        SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle(f)), TRUE);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    FontChanged();
}

void TControl::SetColor(COLORREF c) {
    color_ = c;
    Invalidate();
}

void TControl::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}
void TControl::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}
void TControl::Repaint() {
    if (hwnd_) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
    }
}

void TControl::FireClick() {
    if (OnClick) OnClick(this);
}

bool TControl::HandleCommand(WORD) { return false; }
bool TControl::HandleNotify(NMHDR*, LRESULT&) { return false; }
bool TControl::HandleScroll(WORD) { return false; }
bool TControl::HandleDrawItem(DRAWITEMSTRUCT*) { return false; }

COLORREF TControl::BackgroundColor() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (c->Color() != clNone) return c->Color();
    return clBtnFace;
}

HBRUSH TControl::HandleCtlColor(HDC dc) {
    COLORREF bg = BackgroundColor();
    SetTextColor(dc, ColorToRGB(font_.Color));
    SetBkColor(dc, ColorToRGB(bg));
    return SolidBrushFor(bg);
}

// ---------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TWinControl* parent, std::string name) : TControl(parent, std::move(name)) {}

TWinControl::~TWinControl() {
    children_.clear();
    if (hwnd_) {  // destroy our window while this object is still a TWinControl
        RemovePropA(hwnd_, kPropName);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

TControl* TWinControl::FindControl(const std::string& name) const {
    for (auto& c : children_) {
        if (c->Name() == name) return c.get();
        if (auto* w = dynamic_cast<TWinControl*>(c.get()))
            if (TControl* found = w->FindControl(name)) return found;
    }
    return nullptr;
}

void TWinControl::CreateContainer(DWORD style, DWORD exStyle, HWND owner, const char* caption) {
    static bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ContainerProc;
        wc.hInstance = Application().InstanceHandle();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kContainerClass;
        return RegisterClassExA(&wc) != 0;
    }();
    (void)registered;
    HWND parentWnd = parent_ ? parent_->Handle() : owner;
    HMENU id = nullptr;
    if (parent_) {
        style |= WS_CHILD;
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(g_nextId++));
    }
    // WS_EX_CONTROLPARENT: Tab moves into the controls of nested containers.
    CreateWindowExA(exStyle | WS_EX_CONTROLPARENT, kContainerClass, caption, style | WS_CLIPCHILDREN, left_, top_,
                    width_, height_, parentWnd, id, Application().InstanceHandle(), this);
    if (!parent_ && hwnd_) SetBounds(left_, top_, width_, height_);  // make the size the client area
}

LRESULT CALLBACK TWinControl::ContainerProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        if (self) self->Attach(h);
    }
    auto* self = static_cast<TWinControl*>(FromHandle(h));
    if (!self) return DefWindowProcA(h, msg, wp, lp);
    LRESULT result = 0;
    bool done = false;
    Guarded([&] {
        result = self->WindowProc(msg, wp, lp);
        done = true;
    });
    return done ? result : 0;
}

LRESULT TWinControl::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd_, msg, wp, lp); }

bool TWinControl::RouteToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (lp) {
                if (TControl* c = FromHandle(reinterpret_cast<HWND>(lp))) return c->HandleCommand(HIWORD(wp));
            } else if (HIWORD(wp) == 0 && TMenuItem::Dispatch(LOWORD(wp))) {
                return true;
            }
            return false;
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lp);
            if (TControl* c = FromHandle(nm->hwndFrom)) return c->HandleNotify(nm, result);
            return false;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (TControl* c = FromHandle(reinterpret_cast<HWND>(lp))) return c->HandleScroll(LOWORD(wp));
            return false;
        case WM_DRAWITEM: {
            auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (dis->CtlType != ODT_MENU)
                if (TControl* c = FromHandle(dis->hwndItem)) {
                    result = TRUE;
                    return c->HandleDrawItem(dis);
                }
            return false;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (TControl* c = FromHandle(reinterpret_cast<HWND>(lp))) {
                HBRUSH b = c->HandleCtlColor(reinterpret_cast<HDC>(wp));
                if (b) {
                    result = reinterpret_cast<LRESULT>(b);
                    return true;
                }
            }
            return false;
    }
    return false;
}

LRESULT TWinControl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (RouteToChild(msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd_, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, SolidBrushFor(BackgroundColor()));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            RECT r;
            GetClientRect(hwnd_, &r);
            Paint(dc, r);
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_SETCURSOR:
            if (ScreenCursorOverride()) return TRUE;
            break;
        case WM_CLOSE:
            // A multi-line edit answers Esc by sending WM_CLOSE to its parent; for a panel or
            // group box the default would destroy the container under its object's feet.
            if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) return 0;
            break;
        case WM_LBUTTONUP:
            CommonMessage(this, msg, wp, lp);
            FireClick();
            return 0;
        case WM_CONTEXTMENU:
            if (CommonMessage(this, msg, wp, lp)) return 0;
            break;
        default:
            if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
                CommonMessage(this, msg, wp, lp);
            } else if (msg == WM_KEYDOWN && CommonMessage(this, msg, wp, lp)) {
                return 0;
            }
    }
    return DefaultProc(msg, wp, lp);
}

void TWinControl::Paint(HDC dc, const RECT& client) {
    if (OnPaint) OnPaint(this, dc, client);
}

TPanel::TPanel(TWinControl* parent, std::string name, bool frame) : TWinControl(parent, std::move(name)) {
    CreateContainer(WS_VISIBLE | (frame ? WS_BORDER : 0), 0);
}

}  // namespace qv::ui
