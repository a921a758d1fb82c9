#include "tidewell/record/ReportUnit.h"

#include <shellapi.h>

#include "common/ui/Application.h"
#include "tidewell/record/SessionRecord.h"

namespace qv {

using namespace ui;

const char kMakerWebHost[] = "www.zephlor.example";
std::string MakerHomePageUrl() { return std::string("http://") + kMakerWebHost + "/"; }
std::string MakerSupportPageUrl() { return std::string("http://") + kMakerWebHost + "/support/overview.htm"; }

static TFormOptions ReportOptions() {
    TFormOptions o;
    o.Caption = "About";
    o.Border = TBorderStyle::Dialog;
    o.ClientWidth = 357;
    o.ClientHeight = 282;
    o.Color = clWhite;
    o.Position = TPosition::MainFormCenter;
    return o;
}

static TFont Styled(bool bold, COLORREF color, int size = 8, bool underline = false) {
    TFont f;
    f.Bold = bold;
    f.Color = color;
    f.Size = size;
    f.Underline = underline;
    return f;
}

TfrmReport::TfrmReport() : TForm("frmReport", ReportOptions()) {
    Label3 = Add<TLabel>("Label3", "Quorvane - Tidewell", 12, 10);
    Label3->SetFont(Styled(true, clNavy, 12));
    Label5 = Add<TLabel>("Label5", "Keeps Quorvane and its components up to date.", 12, 36);

    GroupBox1 = Add<TGroupBox>("GroupBox1", "", 12, 54, 333, 100);
    Label1 = GroupBox1->Add<TLabel>("Label1", "", 10, 14, 313, 13);
    Label1->SetFont(Styled(true, clNavy));
    Label2 = GroupBox1->Add<TLabel>("Label2", "Last Session Status:", 10, 34);
    Label2->SetFont(Styled(true, clNavy));
    RichEdit1 = GroupBox1->Add<TEdit>("RichEdit1", 10, 52, 313, 40, false);
    RichEdit1->SetMultiLine(true);
    RichEdit1->SetReadOnly(true);
    RichEdit1->SetColor(RGB(236, 236, 236));
    SetWindowLongA(RichEdit1->Handle(), GWL_STYLE, GetWindowLongA(RichEdit1->Handle(), GWL_STYLE) & ~WS_TABSTOP);

    Label6 = Add<TLabel>("Label6", "Online Support", 12, 164);
    Label6->SetFont(Styled(true, clWindowText));
    suiURLLabel2 = Add<TLabel>("suiURLLabel2", "Click Here", 100, 164);
    Label7 = Add<TLabel>("Label7",
                         "Warning: this program is protected by copyright law. Copying or passing it on, in whole "
                         "or in part, without the maker's permission is prohibited and may be prosecuted.",
                         12, 192, 333, 42);
    Label7->SetWordWrap(true);
    suiURLLabel3 = Add<TLabel>("suiURLLabel3", kMakerWebHost, 12, 256);
    for (TLabel* link : {suiURLLabel2, suiURLLabel3}) {
        link->SetFont(Styled(true, clNavy, 8, true));
        link->SetLink(clRed);
    }
    suiButton1 = Add<TButton>("suiButton1", "OK", 265, 249, 80, 25);
    suiButton1->SetDefault(true);
    CancelButton = suiButton1;
    Bevel1 = RECT{12, 184, 345, 186};
    Bevel2 = RECT{12, 240, 345, 242};

    OnPaint = [this](TWinControl*, HDC dc, const RECT&) {
        for (RECT r : {Bevel1, Bevel2}) DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    };
    OnShow = [this](TForm* s) { FormShow(s); };
    suiButton1->OnClick = [this](TControl* s) { suiButton1Click(s); };
    suiURLLabel2->OnClick = [this](TControl* s) { suiURLLabel2Click(s); };
    suiURLLabel3->OnClick = [this](TControl* s) { suiURLLabel3Click(s); };
}

void TfrmReport::FormShow(TForm*) {
    TSessionReport report = ReadSessionReport();
    Label1->SetCaption(report.LastRun);
    RichEdit1->SetText(report.Status);
}

void TfrmReport::suiButton1Click(TControl*) {
    SetModalResult(mrOk);
    Close();
}

void TfrmReport::OpenInBrowser(const std::string& url) {
    ShellExecuteA(Application().MainForm() ? Application().MainForm()->Handle() : nullptr, "open", url.c_str(),
                  nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmReport::suiURLLabel2Click(TControl*) { OpenInBrowser(MakerSupportPageUrl()); }
void TfrmReport::suiURLLabel3Click(TControl*) { OpenInBrowser(MakerHomePageUrl()); }

}  // namespace qv
