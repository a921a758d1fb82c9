#include "quorvane/memory/ProgressBarFrm.h"

namespace qv {

static ui::TFormOptions ProgressOptions() {
    ui::TFormOptions o;
    o.Caption = "Processing...";
    o.Border = ui::TBorderStyle::Dialog;
    o.ClientWidth = 390;
    o.ClientHeight = 69;
    o.Color = ui::clWhite;
    o.Position = ui::TPosition::MainFormCenter;
    o.CloseBox = true;
    return o;
}

TProgressFrm::TProgressFrm() : ui::TForm("ProgressFrm", ProgressOptions()) {
    RzProgressBar1 = Add<ui::TProgressBar>("RzProgressBar1", 6, 8, 379, 20);
    Button1 = Add<ui::TButton>("Button1", "Cancel", 158, 37, 75, 25);
    Button1->OnClick = [this](ui::TControl*) { Button1Click(); };
    CancelButton = Button1;
    OnCloseQuery = [this](ui::TForm*, bool& canClose) { FormCloseQuery(canClose); };
}

void TProgressFrm::Button1Click() { Close(); }

void TProgressFrm::FormCloseQuery(bool& canClose) {
    if (!ClosingByProgram && OnCancel) OnCancel(this);
    canClose = true;
}

void TProgressFrm::ShowByProgram() {
    ClosingByProgram = false;
    SetPosition(ui::TPosition::MainFormCenter);  // the main window may have moved since last time
    Show();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TProgressFrm::CloseByProgram() {
    ClosingByProgram = true;
    Close();
}

}  // namespace qv
