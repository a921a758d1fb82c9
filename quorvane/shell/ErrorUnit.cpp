#include "quorvane/shell/ErrorUnit.h"

namespace qv {

static ui::TFormOptions ErrorOptions() {
    ui::TFormOptions o;
    o.Caption = "Quorvane - Error occurred";
    o.Border = ui::TBorderStyle::Dialog;
    o.ClientWidth = 433;
    o.ClientHeight = 258;
    o.Position = ui::TPosition::ScreenCenter;
    o.Color = ui::clWhite;
    return o;
}

TErrorDialog::TErrorDialog() : ui::TForm("ErrorDialog", ErrorOptions()) {
    ui::TFont bold;
    bold.Bold = true;
    Heading = Add<ui::TLabel>("Heading",
                              "Quorvane has encountered a problem. We are sorry for the inconvenience.", 14, 14,
                              405, 30);
    Heading->SetWordWrap(true);
    Heading->SetFont(bold);
    LabelError = Add<ui::TLabel>("LabelError", "", 14, 52, 405, 70);
    LabelError->SetWordWrap(true);
    TellUs = Add<ui::TLabel>("TellUs", "Please tell us about this problem.", 14, 134, 405, 16);
    TellUs->SetFont(bold);
    ReportText = Add<ui::TLabel>("ReportText",
                                 "We have created an error report that you can send to us. We will treat this "
                                 "report as confidential and anonymous. ",
                                 14, 156, 405, 44);
    ReportText->SetWordWrap(true);
    SendButton = Add<ui::TButton>("SendButton", "Send Error Report", 186, 220, 125, 25);
    SendButton->ModalResult = ui::mrOk;
    SendButton->SetDefault(true);
    DontSendButton = Add<ui::TButton>("DontSendButton", "Don't Send", 319, 220, 100, 25);
    DontSendButton->ModalResult = ui::mrCancel;
    CancelButton = DontSendButton;
}

bool ShowErrorNotification(const std::string& message) {
    TErrorDialog dialog;
    dialog.LabelError->SetCaption(message + ".");
    MessageBeep(MB_ICONHAND);
    return dialog.ShowModal() == ui::mrOk;
}

}  // namespace qv
