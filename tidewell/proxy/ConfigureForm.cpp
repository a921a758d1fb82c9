#include "tidewell/proxy/ConfigureForm.h"

#include <exception>

#include "common/ui/Application.h"
#include "common/ui/Dialogs.h"
#include "tidewell/proxy/ProxySettings.h"

namespace qv {

using namespace ui;

static TFormOptions ConfigureOptions() {
    TFormOptions o;
    o.Caption = "Settings";
    o.Border = TBorderStyle::Dialog;
    o.ClientWidth = 364;
    o.ClientHeight = 229;
    o.Color = clWhite;
    o.Position = TPosition::MainFormCenter;
    return o;
}

TfrmConfigure::TfrmConfigure() : TForm("frmConfigure", ConfigureOptions()) {
    // Tab order is creation order: the authentication group, the proxy group, OK, Cancel, Apply.
    GroupBox2 = Add<TGroupBox>("GroupBox2", "HTTP Authentication", 6, 84, 352, 106);
    CheckBox2 = GroupBox2->Add<TCheckBox>(
        "CheckBox2", "Authorization required to connect through my firewall or proxy server", 10, 16, 334, 28);
    // Its caption is wider than the dialog: let it take two lines.
    SetWindowLongA(CheckBox2->Handle(), GWL_STYLE, GetWindowLongA(CheckBox2->Handle(), GWL_STYLE) | BS_MULTILINE);
    Label3 = GroupBox2->Add<TLabel>("Label3", "User name:", 10, 53);
    Edit3 = GroupBox2->Add<TEdit>("Edit3", 76, 50, 157);
    Label4 = GroupBox2->Add<TLabel>("Label4", "Password:", 10, 79);
    Edit4 = GroupBox2->Add<TEdit>("Edit4", 76, 76, 157);  // shown in clear: no password style

    GroupBox1 = Add<TGroupBox>("GroupBox1", "HTTP Proxy Settings", 6, 4, 352, 74);
    CheckBox1 = GroupBox1->Add<TCheckBox>("CheckBox1", "Use a proxy server for HTTP connections ", 10, 18, 334);
    Label1 = GroupBox1->Add<TLabel>("Label1", "Address:", 10, 46);
    Edit1 = GroupBox1->Add<TEdit>("Edit1", 76, 43, 157);
    Label2 = GroupBox1->Add<TLabel>("Label2", "Port:", 248, 46);
    Edit2 = GroupBox1->Add<TEdit>("Edit2", 278, 43, 61);

    btnOk = Add<TButton>("btnOk", "OK", 192, 198, 80, 25);
    btnCancel = Add<TButton>("btnCancel", "Cancel", 278, 198, 80, 25);
    btnApply = Add<TButton>("btnApply", "Apply", 106, 198, 80, 25);
    btnOk->SetDefault(true);
    CancelButton = btnCancel;

    for (TEdit* e : {Edit1, Edit2, Edit3, Edit4}) {
        EnableField(e, false);
        e->OnChange = [this](TControl*) { CaptureState(); };
    }
    CheckBox1->OnClick = [this](TControl* s) { CheckBox1Click(s); };
    CheckBox2->OnClick = [this](TControl* s) { CheckBox2Click(s); };
    btnApply->OnClick = [this](TControl* s) { btnApplyClick(s); };
    btnOk->OnClick = [this](TControl* s) { btnOkClick(s); };
    btnCancel->OnClick = [this](TControl* s) { btnCancelClick(s); };

    LoadSettings();
}

TfrmConfigure::~TfrmConfigure() {
    for (TEdit* e : {Edit1, Edit2, Edit3, Edit4}) e->OnChange = nullptr;
}

void TfrmConfigure::EnableField(TEdit* field, bool enabled) {
    field->SetEnabled(enabled);
    field->SetColor(enabled ? clWhite : clBtnFace);
}

void TfrmConfigure::LoadSettings() {
    TProxyState stored;
    if (!LoadProxySettings(stored)) return;
    CheckBox1->SetChecked(stored.UseProxy);
    if (stored.UseProxy) {
        Edit1->SetText(stored.Address);
        Edit2->SetText(stored.Port);
    }
    CheckBox2->SetChecked(stored.UseAuth);
    if (stored.UseAuth) {
        Edit3->SetText(stored.UserName);
        Edit4->SetText(stored.Password);
    }
    CaptureState();
}

bool TfrmConfigure::SaveSettings() {
    SetScreenCursor(TCursor::HourGlass);
    TProxyState state = ProxyState();
    std::string failure;
    try {
        SaveProxySettings(state);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    SetScreenCursor(TCursor::Default);
    if (failure.empty()) return true;
    MessageDlg(failure, TMsgDlgType::Error, mbOK);
    return false;
}

TProxyState TfrmConfigure::ProxyState() const {
    TScopedLock hold(lock_);
    return state_;
}

void TfrmConfigure::CaptureState() {
    TProxyState s;
    s.UseProxy = CheckBox1->Checked();
    s.Address = Edit1->Text();
    s.Port = Edit2->Text();
    s.UseAuth = CheckBox2->Checked();
    s.UserName = Edit3->Text();
    s.Password = Edit4->Text();
    TScopedLock hold(lock_);
    state_ = std::move(s);
}

void TfrmConfigure::CheckBox1Click(TControl*) {
    EnableField(Edit1, CheckBox1->Checked());
    EnableField(Edit2, CheckBox1->Checked());
    CaptureState();
}

void TfrmConfigure::CheckBox2Click(TControl*) {
    EnableField(Edit3, CheckBox2->Checked());
    EnableField(Edit4, CheckBox2->Checked());
    CaptureState();
}

void TfrmConfigure::btnApplyClick(TControl*) { SaveSettings(); }

void TfrmConfigure::btnOkClick(TControl*) {
    if (SaveSettings()) {
        SetModalResult(mrOk);
        Close();
    }
}

// What the user left in the fields stays in force for this run; only the registry is spared.
void TfrmConfigure::btnCancelClick(TControl*) {
    SetModalResult(mrCancel);
    Close();
}

}  // namespace qv
