#include "common/ui/Form.h"

#include <vector>

#include "common/ui/Application.h"
#include "common/ui/StdCtrls.h"

namespace qv::ui {

static DWORD StyleFor(const TFormOptions& o) {
    DWORD s = WS_CLIPCHILDREN;
    switch (o.Border) {
        case TBorderStyle::None: s |= WS_POPUP; break;
        case TBorderStyle::Single: s |= WS_CAPTION | WS_BORDER; break;
        case TBorderStyle::Dialog: s |= WS_CAPTION | DS_MODALFRAME | WS_DLGFRAME; break;
        case TBorderStyle::Sizeable: s |= WS_OVERLAPPEDWINDOW; break;
        case TBorderStyle::ToolWindow: s |= WS_CAPTION; break;
    }
    if (o.Border != TBorderStyle::None) {
        if (o.CloseBox || o.MinimizeBox) s |= WS_SYSMENU;
        if (o.MinimizeBox) s |= WS_MINIMIZEBOX;
    } else if (o.TaskbarButton) {
        s |= WS_SYSMENU | WS_MINIMIZEBOX;  // lets the taskbar minimize and restore it
    }
    return s;
}

static DWORD ExStyleFor(const TFormOptions& o) {
    DWORD x = 0;
    if (o.Border == TBorderStyle::Dialog) x |= WS_EX_DLGMODALFRAME;
    if (o.Border == TBorderStyle::ToolWindow) x |= WS_EX_TOOLWINDOW;
    if (o.TaskbarButton) x |= WS_EX_APPWINDOW;
    return x;
}

TForm::TForm(std::string name, const TFormOptions& o)
    : TWinControl(nullptr, std::move(name)),
      position_(o.Position),
      clientWidth_(o.ClientWidth),
      clientHeight_(o.ClientHeight) {
    color_ = o.Color;
    width_ = o.ClientWidth;
    height_ = o.ClientHeight;
    // Forms other than the main one are owned by it, so they stay above it and have no
    // taskbar button of their own.
    HWND owner = nullptr;
    if (!o.TaskbarButton && Application().MainForm()) owner = Application().MainForm()->Handle();
    DWORD ex = ExStyleFor(o);
    if (!owner && !o.TaskbarButton && o.Border == TBorderStyle::None) ex |= WS_EX_TOOLWINDOW;  // no taskbar button
    CreateContainer(StyleFor(o), ex, owner, o.Caption.c_str());
    if (!o.CloseBox && hwnd_ && (StyleFor(o) & WS_SYSMENU)) EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_GRAYED);
}

TForm::~TForm() { Application().FormDestroyed(this); }

void TForm::SetPosition(TPosition p) {
    position_ = p;
    positionPending_ = true;
    if (Visible()) ApplyPosition();
}

void TForm::ApplyPosition() {
    positionPending_ = false;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    int w = wr.right - wr.left, h = wr.bottom - wr.top;
    RECT area;
    if (position_ == TPosition::ScreenCenter) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    } else if (position_ == TPosition::MainFormCenter && Application().MainForm() &&
               Application().MainForm() != this && Application().MainForm()->Visible()) {
        GetWindowRect(Application().MainForm()->Handle(), &area);
    } else if (position_ == TPosition::MainFormCenter) {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    } else {
        return;
    }
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    left_ = x;
    top_ = y;
}

void TForm::Show() {
    if (positionPending_) ApplyPosition();
    bool wasVisible = Visible();
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, SW_RESTORE);
    else
        ShowWindow(hwnd_, SW_SHOW);
    if (!wasVisible && OnShow) OnShow(this);
}

void TForm::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void TForm::SetModalResult(int r) { modalResult_ = r; }

static BOOL CALLBACK CollectEnabled(HWND h, LPARAM lp) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(lp);
    if (IsWindowVisible(h) && IsWindowEnabled(h)) list->push_back(h);
    return TRUE;
}

int TForm::ShowModal() {
    // Disable the program's other visible windows of this thread, as the system's modal
    // dialogs do, and give them back afterwards.
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&disabled));
    for (HWND h : disabled)
        if (h != hwnd_) EnableWindow(h, FALSE);
    modal_ = true;
    modalResult_ = mrNone;
    EnableWindow(hwnd_, TRUE);
    Show();
    SetForegroundWindow(hwnd_);
    TForm* previous = Application().ActiveForm();
    Application().SetActiveForm(this);
    MSG msg;
    while (modalResult_ == mrNone && IsWindowVisible(hwnd_)) {
        BOOL r = GetMessageA(&msg, nullptr, 0, 0);
        if (r == 0 || r == -1) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends too
            break;
        }
        Application().DispatchOne(msg);
    }
    for (HWND h : disabled)
        if (h != hwnd_ && IsWindow(h)) EnableWindow(h, TRUE);
    modal_ = false;
    Hide();
    Application().SetActiveForm(previous);
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return modalResult_;
}

void TForm::Close() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    if (OnClose) OnClose(this);
    if (Application().MainForm() == this) {
        Hide();
        Application().Terminate();
        return;
    }
    if (modal_ && modalResult_ == mrNone) modalResult_ = mrCancel;
    Hide();
}

bool TForm::PreviewKey(MSG& msg) {
    if (!KeyPreview || !OnKeyDown || msg.message != WM_KEYDOWN) return false;
    WORD key = static_cast<WORD>(msg.wParam);
    OnKeyDown(this, key);
    return key == 0;
}

LRESULT TForm::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) Application().SetActiveForm(this);
            break;
        case DM_GETDEFID:
            if (DefaultButton) return MAKELONG(IDOK, DC_HASDEFID);
            return 0;
        case WM_COMMAND:
            // Enter and Esc from the dialog keys of the message loop.
            if (lp == 0 && LOWORD(wp) == IDOK && DefaultButton && DefaultButton->Enabled()) {
                DefaultButton->Click();
                return 0;
            }
            if (lp == 0 && LOWORD(wp) == IDCANCEL) {
                if (CancelButton && CancelButton->Enabled()) CancelButton->Click();
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if (OnSysCommand && OnSysCommand(this, wp)) return 0;
            if ((wp & 0xFFF0) == SC_MINIMIZE && Application().MainForm() == this) {
                Application().Minimize();
                return 0;
            }
            break;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wp && OnEndSession) OnEndSession(this);
            return 0;
    }
    return TWinControl::WindowProc(msg, wp, lp);
}

}  // namespace qv::ui
