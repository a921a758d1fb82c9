#include "tidewell/wizard/CloseFormUnit.h"

namespace qv {

using namespace ui;

static TFormOptions CloseFormOptions() {
    TFormOptions o;
    o.Border = TBorderStyle::Single;
    o.CloseBox = false;
    o.ClientWidth = 237;
    o.ClientHeight = 29;
    o.Color = clWhite;
    o.Position = TPosition::MainFormCenter;
    return o;
}

TCloseForm::TCloseForm() : TForm("CloseForm", CloseFormOptions()) {
    // Single border without title-bar buttons: no system menu at all.
    SetWindowLongA(hwnd_, GWL_STYLE, GetWindowLongA(hwnd_, GWL_STYLE) & ~WS_SYSMENU);
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Label1 = Add<TLabel>("Label1", "Please wait...", 0, 8, 237, 13);
    TFont f;
    f.Bold = true;
    f.Color = clNavy;
    Label1->SetFont(f);
    Label1->SetAlignment(TAlignment::Center);
}

// The hourglass over this window, whatever the rest of the program shows.
LRESULT TCloseForm::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETCURSOR) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
    }
    return TForm::WindowProc(msg, wp, lp);
}

}  // namespace qv
