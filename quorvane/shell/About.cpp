#include "quorvane/shell/About.h"

#include "quorvane/shell/Launch.h"

namespace qv {

static ui::TFormOptions AboutOptions() {
    ui::TFormOptions o;
    o.Caption = "About Us";
    o.Border = ui::TBorderStyle::Single;
    o.CloseBox = true;
    o.ClientWidth = 330;
    o.ClientHeight = 206;
    o.Color = ui::clWhite;
    o.Position = ui::TPosition::MainFormCenter;
    return o;
}

TAboutUsFrm::TAboutUsFrm() : ui::TForm("AboutUsFrm", AboutOptions()) {
    ui::TFont title;
    title.Size = 16;
    title.Bold = true;
    title.Color = RGB(12, 44, 100);
    ProductName = Add<ui::TLabel>("ProductName", "Quorvane", 16, 14);
    ProductName->SetFont(title);
    Version = Add<ui::TLabel>("Version", "Version 5.1", 18, 48);
    SupportHome = Add<ui::TLabel>("SupportHome", "Support Home", 18, 74);
    ui::TFont link;
    link.Underline = true;
    link.Color = ui::clBlue;
    ClickHere = Add<ui::TLabel>("ClickHere", "Click Here", 100, 74);
    ClickHere->SetFont(link);
    ClickHere->SetLink(ui::clRed);
    ClickHere->OnClick = [this](ui::TControl*) { OpenSupportPage(Handle()); };
    LegalNotice = Add<ui::TLabel>("LegalNotice",
                                  "Copyright (C) Zephlor. All rights reserved. This program is protected by "
                                  "copyright law and international treaties; copying or passing it on without "
                                  "permission is not allowed.",
                                  18, 100, 296, 56);
    LegalNotice->SetWordWrap(true);
    ui::TFont small;
    small.Color = RGB(96, 96, 96);
    LegalNotice->SetFont(small);
    CloseButton = Add<ui::TButton>("CloseButton", "Close", 239, 168, 75, 25);
    CloseButton->ModalResult = ui::mrOk;
    CloseButton->SetDefault(true);
    CancelButton = CloseButton;
}

}  // namespace qv
