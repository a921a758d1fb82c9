#include "common/ui/Application.h"

#include <commctrl.h>

#include "common/ui/Form.h"

namespace qv::ui {

TApplication& Application() {
    static TApplication app;
    return app;
}

void TApplication::Initialize(HINSTANCE instance) {
    instance_ = instance ? instance : GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                             ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_HOTKEY_CLASS |
                                             ICC_PROGRESS_CLASS};
    if (!InitCommonControlsEx(&icc)) InitCommonControls();
}

void TApplication::DispatchOne(MSG& msg) {
    if (active_ && active_->Handle() && IsWindow(active_->Handle()) && active_->WantsDialogKeys()) {
        HWND top = msg.hwnd;
        while (top && (GetWindowLongA(top, GWL_STYLE) & WS_CHILD)) top = GetParent(top);
        if (top == active_->Handle() && active_->PreviewKey(msg)) return;
        if (top == active_->Handle() && IsDialogMessageA(active_->Handle(), &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) mainForm_->Show();
    MSG msg;
    while (!terminated_) {
        BOOL r = GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0 || r == -1) break;
        DispatchOne(msg);
    }
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // let the outer loop see it too
            return;
        }
        DispatchOne(msg);
    }
}

void TApplication::Terminate() {
    if (terminated_) return;
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::Minimize() {
    if (mainForm_ && mainForm_->Handle()) ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize();
}

void TApplication::Restore() {
    if (!mainForm_ || !mainForm_->Handle()) return;
    HWND h = mainForm_->Handle();
    if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
    mainForm_->Show();
    SetForegroundWindow(h);
    if (OnRestore) OnRestore();
}

void TApplication::FormDestroyed(TForm* f) {
    if (active_ == f) active_ = nullptr;
    if (mainForm_ == f) mainForm_ = nullptr;
}

namespace {
TCursor g_cursor = TCursor::Default;
}

void SetScreenCursor(TCursor c) {
    g_cursor = c;
    SetCursor(LoadCursor(nullptr, c == TCursor::HourGlass ? IDC_WAIT : IDC_ARROW));
}
TCursor ScreenCursor() { return g_cursor; }
bool ScreenCursorOverride() {
    if (g_cursor == TCursor::Default) return false;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return true;
}

}  // namespace qv::ui
