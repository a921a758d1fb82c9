#include "common/tray/TrayIcon.h"

#include <shellapi.h>

#include <cstring>

#include "common/core/OSError.h"
#include "common/core/Unhandled.h"

namespace qv {

namespace {

const char kWindowClass[] = "QvTrayIconWindow";
const size_t kTipBytes = 63;  // szTip of the first structure version is 64 bytes with its NUL

UINT TaskbarCreatedMessage() {
    static const UINT msg = ::RegisterWindowMessageA("TaskbarCreated");
    return msg;
}

}  // namespace

std::string TrayTipText(const std::string& hint, UINT codePage) {
    if (hint.size() <= kTipBytes) return hint;
    size_t n = 0;
    while (n < kTipBytes) {
        size_t step = ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(hint[n])) ? 2 : 1;
        if (n + step > kTipBytes) break;
        n += step;
    }
    return hint.substr(0, n);
}

TTrayIcon::TTrayIcon() {
    HINSTANCE inst = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &TTrayIcon::WindowProc;
    wc.hInstance = inst;
    wc.lpszClassName = kWindowClass;
    if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
    TaskbarCreatedMessage();
    // Hidden top-level (not message-only) so that the shell's broadcast of TaskbarCreated reaches it.
    window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                inst, this);
    if (!window_) RaiseLastOSError();
}

TTrayIcon::~TTrayIcon() {
    if (shown_) Notify(NIM_DELETE);
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

void TTrayIcon::SetIcon(HICON icon) {
    icon_ = icon;
    Update();
}

void TTrayIcon::SetHint(const std::string& hint) {
    // Callers set it with every progress step; the shell takes a long while over each change.
    if (hint == hint_) return;
    hint_ = hint;
    Update();
}

void TTrayIcon::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (visible) {
        shown_ = Notify(NIM_ADD);
    } else {
        if (shown_) Notify(NIM_DELETE);
        shown_ = false;
    }
}

void TTrayIcon::Update() {
    if (!visible_) return;
    // The shell may have lost the icon without telling us (its process ended): add it again.
    shown_ = (shown_ && Notify(NIM_MODIFY)) || Notify(NIM_ADD);
}

bool TTrayIcon::Notify(DWORD action) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window_;
    data.uID = ID();
    if (action != NIM_DELETE) {
        data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        data.uCallbackMessage = CallbackMessage;
        data.hIcon = icon_ ? icon_ : ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        std::string tip = TrayTipText(hint_);
        std::memcpy(data.szTip, tip.c_str(), tip.size() + 1);
    }
    return ::Shell_NotifyIconA(action, &data) != FALSE;
}

void TTrayIcon::MouseMessage(UINT mouseMsg) {
    switch (mouseMsg) {
    case WM_LBUTTONDBLCLK:
        inDblClick_ = true;
        if (OnDblClick) OnDblClick();
        break;
    case WM_LBUTTONUP:
        if (inDblClick_) {
            inDblClick_ = false;
        } else if (OnClick) {
            OnClick();
        }
        break;
    case WM_RBUTTONUP:
        if (OnRightClick) {
            POINT pt{0, 0};
            ::GetCursorPos(&pt);
            OnRightClick(pt);
        }
        break;
    }
}

LRESULT CALLBACK TTrayIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TTrayIcon*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) {
        if (msg == CallbackMessage && wp == self->ID()) {
            Guarded([&] { self->MouseMessage(static_cast<UINT>(lp)); });
            return 0;
        }
        if (msg == TaskbarCreatedMessage() && msg != 0) {
            // Explorer started again: its notification area is empty.
            if (self->visible_) self->shown_ = self->Notify(NIM_ADD);
            return 0;
        }
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

UINT ShowPopupMenu(HWND owner, HMENU menu, POINT screenPos, bool returnCommand) {
    ::SetForegroundWindow(owner);
    UINT flags = TPM_RIGHTBUTTON | (returnCommand ? TPM_RETURNCMD | TPM_NONOTIFY : 0);
    BOOL chosen = ::TrackPopupMenu(menu, flags, screenPos.x, screenPos.y, 0, owner, nullptr);
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return returnCommand ? static_cast<UINT>(chosen) : 0;
}

}  // namespace qv
