// What the download engine needs of the wizard window. Every call comes on the main thread; the
// worker hands its calls over and waits where the engine says.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

#include "tidewell/proxy/ProxyState.h"

namespace qv {

class TDownloadHost {
public:
    virtual ~TDownloadHost() = default;

    // Whether line `index` (0-based) of the selection page's check list is ticked.
    virtual bool IsEntryChecked(size_t index) = 0;
    virtual bool SilentMode() = 0;
    // The proxy configuration a new worker takes with it.
    virtual TProxyState ProxySettings() = 0;
    // Owner of the programs started through the shell.
    virtual HWND OwnerWindow() = 0;

    // The download page: the progress line, the file and session bars, the entry's description.
    virtual void SetProgressLine(const std::string& text) = 0;
    virtual void SetFileBar(int percent) = 0;
    virtual void SetTotalBar(int percent) = 0;
    virtual void SetDescription(const std::string& text) = 0;
    // The notification-area icon's hint and the caption of its menu's pause item.
    virtual void SetTrayHint(const std::string& text) = 0;
    virtual void SetPauseCaption(const std::string& caption) = 0;

    // A modal information box with a single OK button; returns when it is closed.
    virtual void ShowInformation(const std::string& text) = 0;
    // The wizard's error step: records the message as the session's status, puts it on the
    // error page and shows that page.
    virtual void ReportError(const std::string& message) = 0;
    virtual void ShowPage(int page) = 0;
    // Closes the main window (the updater ends): the end of an unattended session.
    virtual void CloseMainWindow() = 0;
    // The "Please wait..." window, while a stopped download shuts down.
    virtual void ShowCloseForm() = 0;
    // Tells the application to end once control is back in its message loop.
    virtual void TerminateApplication() = 0;
    // Dispatches the messages waiting now (the installation's copy loop keeps the window alive).
    virtual void ProcessMessages() = 0;
};

}  // namespace qv
