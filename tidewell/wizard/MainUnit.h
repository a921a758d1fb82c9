// The updater's wizard window: seven pages in the page area, Back / Next / Cancel, the Options
// menu, and the state the update check, the downloads and the installation share.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ui/Form.h"
#include "common/ui/Menu.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"
#include "common/tray/TrayIcon.h"
#include "common/xml/XmlDocument.h"
#include "tidewell/versions/InfoFileUnit.h"
#include "tidewell/wizard/Frame1Unit.h"
#include "tidewell/wizard/Frame2Unit.h"
#include "tidewell/wizard/Frame3Unit.h"
#include "tidewell/wizard/Frame4Unit.h"
#include "tidewell/wizard/Frame5Unit.h"
#include "tidewell/wizard/Frame6Unit.h"
#include "tidewell/wizard/Frame7Unit.h"

namespace qv {

class TfrmConfigure;
class TfrmReport;
class TCloseForm;
class TDownloadEngine;
class TWizardDownloadHost;

extern const char kFinishCaption[];  // "&Finish"

class TMainForm : public ui::TForm {
public:
    // Builds the window and its pages, off-screen; FormCreate does the rest once it is the
    // application's main form.
    TMainForm();
    ~TMainForm() override;  // FormDestroy

    // The creation steps: command line, buttons, COM, pages, page 1's list, the update list,
    // the switches; with -S the search starts here.
    void FormCreate(const std::vector<std::string>& args);
    void FormDestroy();

    void ShowPage(int n);
    void StartUpdateCheck();
    // The main thread's error step: record it, put it on page 7, show page 7.
    void ReportError(const std::string& message);
    void GoToPendingPage();
    // Reads ListStream on the main thread while the update-list worker waits: fills UpdateInfo and
    // page 3, then switches the page. A malformed list throws (the worker reports ERTD-683);
    // a list that cannot be split or whose header cannot be read is reported here.
    void ProcessUpdateList();
    // The search page's bar, 0-100.
    void SetSearchProgress(int position);

    // The one settings dialog of the program, made on first need (the workers read it).
    TfrmConfigure& ConfigureForm();
    // The windows the program start makes hidden after the main window: "Please wait...", the
    // settings dialog (unless -S made it already) and the report window.
    void CreateSmallWindows();
    TCloseForm& CloseForm() const { return *closeForm_; }
    TfrmReport& ReportForm() const { return *report_; }
    // Page 4's downloads; made by FormCreate, stopped and freed by FormDestroy.
    TDownloadEngine* Downloads() const { return downloads_.get(); }

    void btnNextClick(ui::TControl* sender);
    void btnBackClick(ui::TControl* sender);
    void CancelBtnClick(ui::TControl* sender);
    void StopandExit1Click(ui::TMenuItem* sender);
    void Pause1Click(ui::TMenuItem* sender);
    void ShowProgress1Click(ui::TMenuItem* sender);
    void Configure1Click(ui::TMenuItem* sender);
    void AboutTidewell1Click(ui::TMenuItem* sender);
    void Timer1Timer(ui::TTimer* sender);
    void CheckListBox1Click(ui::TControl* sender);
    void CheckListBox1KeyDown(ui::TControl* sender, WORD& key);

    // The shared state.
    std::vector<std::string> CleanupFiles;
    int CurrentPage = 1;
    std::unique_ptr<TInfoFile> UpdateInfo;
    bool SilentMode = false;
    bool TrayMode = false;
    volatile bool StopRequested = false;
    volatile int PendingPage = 0;
    std::string UpdateServer;  // the base address the workers are handed
    std::string ListStream;    // the received update list, handed over by the worker
    int32_t ListLength = 0;    // its length as the server announced it (0: none announced)

    // The work the pages start: the list check (page 2, or -S at once) with the update server's
    // base address, and the downloads (page 4). The window sets them to its list worker and its
    // download engine; an unassigned one is skipped.
    std::function<void(const std::string& server)> OnStartListCheck;
    std::function<void()> OnStartDownloads;
    // Asks a running download to stop (Cancel, Stop and Exit).
    std::function<void()> OnStopDownload;

    // Components, in the window's order.
    ui::TMainMenu MainMenu1{"MainMenu1"};
    ui::TMenuItem* Options1;
    ui::TMenuItem* Configure1;
    ui::TMenuItem* N1;
    ui::TMenuItem* AboutTidewell1;
    RECT Bevel1;
    ui::TPanel* Panel1;
    ui::TButton* btnBack;
    ui::TButton* btnNext;
    ui::TButton* CancelBtn;
    RECT Image1;
    ui::TPopupMenu PopupMenu1{"PopupMenu1"};
    ui::TMenuItem* ShowProgress1;
    ui::TMenuItem* N2;
    ui::TMenuItem* Pause1;
    ui::TMenuItem* StopandExit1;
    ui::TTimer Timer1{"Timer1", 1, false};
    TTrayIcon CoolTrayIcon1;
    // Made with the window; emptied before COM is left, since its nodes are COM objects.
    std::unique_ptr<TXMLDocument> XMLDoc;

    TFrame1* Frame1 = nullptr;
    TFrame2* Frame2 = nullptr;
    TFrame3* Frame3 = nullptr;
    TFrame4* Frame4 = nullptr;
    TFrame5* Frame5 = nullptr;
    TFrame6* Frame6 = nullptr;
    TFrame7* Frame7 = nullptr;

private:
    TWizardFrame* Page(int n) const;
    void PaintPictureStrip(HDC dc) const;
    void PopupTrayMenu(POINT at);

    std::unique_ptr<TfrmConfigure> configure_;
    std::unique_ptr<TCloseForm> closeForm_;
    std::unique_ptr<TfrmReport> report_;
    std::unique_ptr<TWizardDownloadHost> downloadHost_;
    std::unique_ptr<TDownloadEngine> downloads_;
    bool comInitialised_ = false;
    bool destroyed_ = false;
};

}  // namespace qv
