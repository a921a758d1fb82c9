// The wizard window as the download engine sees it: page 3's ticks, page 4's line, bars and
// description, the notification-area icon and its pause item, and the wizard's own steps.
#pragma once
#include "tidewell/download/DownloadHost.h"

namespace qv {

class TMainForm;

class TWizardDownloadHost : public TDownloadHost {
public:
    explicit TWizardDownloadHost(TMainForm& form) : form_(form) {}

    bool IsEntryChecked(size_t index) override;
    bool SilentMode() override;
    TProxyState ProxySettings() override;
    HWND OwnerWindow() override;

    void SetProgressLine(const std::string& text) override;
    void SetFileBar(int percent) override;
    void SetTotalBar(int percent) override;
    void SetDescription(const std::string& text) override;
    void SetTrayHint(const std::string& text) override;
    void SetPauseCaption(const std::string& caption) override;

    void ShowInformation(const std::string& text) override;
    void ReportError(const std::string& message) override;
    void ShowPage(int page) override;
    void CloseMainWindow() override;
    void ShowCloseForm() override;
    void TerminateApplication() override;
    void ProcessMessages() override;

private:
    TMainForm& form_;
};

}  // namespace qv
