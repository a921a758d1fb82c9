#include "tidewell/wizard/WizardDownloadHost.h"

#include "common/ui/Application.h"
#include "common/ui/Dialogs.h"
#include "tidewell/proxy/ConfigureForm.h"
#include "tidewell/wizard/CloseFormUnit.h"
#include "tidewell/wizard/MainUnit.h"

namespace qv {

using namespace ui;

bool TWizardDownloadHost::IsEntryChecked(size_t index) {
    TCheckListBox* list = form_.Frame3->CheckListBox1;
    return index < static_cast<size_t>(list->Count()) && list->Checked(static_cast<int>(index));
}

bool TWizardDownloadHost::SilentMode() { return form_.SilentMode; }

TProxyState TWizardDownloadHost::ProxySettings() { return form_.ConfigureForm().ProxyState(); }

HWND TWizardDownloadHost::OwnerWindow() { return form_.Handle(); }

void TWizardDownloadHost::SetProgressLine(const std::string& text) { form_.Frame4->Label1->SetCaption(text); }

void TWizardDownloadHost::SetFileBar(int percent) { form_.Frame4->ProgressBar1->SetPartsComplete(percent); }

void TWizardDownloadHost::SetTotalBar(int percent) { form_.Frame4->ProgressBar2->SetPartsComplete(percent); }

void TWizardDownloadHost::SetDescription(const std::string& text) { form_.Frame4->RichEdit1->SetText(WithCrLf(text)); }

void TWizardDownloadHost::SetTrayHint(const std::string& text) { form_.CoolTrayIcon1.SetHint(text); }

void TWizardDownloadHost::SetPauseCaption(const std::string& caption) { form_.Pause1->Caption = caption; }

void TWizardDownloadHost::ShowInformation(const std::string& text) {
    MessageDlg(text, TMsgDlgType::Information, mbOK);
}

void TWizardDownloadHost::ReportError(const std::string& message) { form_.ReportError(message); }

void TWizardDownloadHost::ShowPage(int page) { form_.ShowPage(page); }

void TWizardDownloadHost::CloseMainWindow() { form_.Close(); }

void TWizardDownloadHost::ShowCloseForm() {
    form_.CreateSmallWindows();  // made at start-up; a wizard without them gets them here
    form_.CloseForm().Show();
}

void TWizardDownloadHost::TerminateApplication() { Application().Terminate(); }

void TWizardDownloadHost::ProcessMessages() { Application().ProcessMessages(); }

}  // namespace qv
