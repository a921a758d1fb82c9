#include "tidewell/wizard/MainUnit.h"

#include <objbase.h>

#include "common/ui/Application.h"
#include "tidewell/download/DownloadEngine.h"
#include "tidewell/install/CleanupFiles.h"
#include "tidewell/proxy/ConfigureForm.h"
#include "tidewell/record/ReportUnit.h"
#include "tidewell/record/SessionRecord.h"
#include "common/core/Paths.h"
#include "release/ProgramResources.rc.h"
#include "tidewell/updatelist/ConnectionThread.h"
#include "tidewell/updatelist/ErrorCodes.h"
#include "tidewell/updatelist/UpdateList.h"
#include "tidewell/updatelist/UpdateServer.h"
#include "tidewell/wizard/CloseFormUnit.h"
#include "tidewell/wizard/CommandLine.h"
#include "tidewell/wizard/WizardDownloadHost.h"

namespace qv {

using namespace ui;

const char kFinishCaption[] = "&Finish";

static TFormOptions MainOptions() {
    TFormOptions o;
    o.Caption = "Tidewell";
    o.Border = TBorderStyle::Single;
    o.CloseBox = false;
    o.ClientWidth = 515;
    o.ClientHeight = 319;
    o.Color = clWhite;
    o.TaskbarButton = true;
    return o;
}

TMainForm::TMainForm() : TForm("MainForm", MainOptions()) {
    Options1 = MainMenu1.Add("Options1", "Options");
    Configure1 = Options1->Add("Configure1", "&Settings", [this](TMenuItem* s) { Configure1Click(s); });
    N1 = Options1->AddSeparator();
    AboutTidewell1 = Options1->Add("AboutTidewell1", "&About", [this](TMenuItem* s) { AboutTidewell1Click(s); });
    MainMenu1.AttachTo(this);

    Image1 = RECT{0, 0, 137, 319};
    Bevel1 = RECT{145, 280, 507, 282};
    Panel1 = Add<TPanel>("Panel1");
    Panel1->SetBounds(137, 0, kPageWidth, kPageHeight);
    Panel1->SetColor(clWhite);
    // Tab order: Back, Next, Cancel.
    btnBack = Add<TButton>("btnBack", "Back", 349, 287, 80, 25);
    btnNext = Add<TButton>("btnNext", "Next", 432, 287, 80, 25);
    CancelBtn = Add<TButton>("CancelBtn", "Cancel", 233, 287, 80, 25);
    btnNext->SetDefault(true);
    CancelButton = CancelBtn;
    btnBack->OnClick = [this](TControl* s) { btnBackClick(s); };
    btnNext->OnClick = [this](TControl* s) { btnNextClick(s); };
    CancelBtn->OnClick = [this](TControl* s) { CancelBtnClick(s); };

    ShowProgress1 = PopupMenu1.Add("ShowProgress1", "&Show Progress", [this](TMenuItem* s) { ShowProgress1Click(s); });
    ShowProgress1->Default = true;
    N2 = PopupMenu1.AddSeparator();
    Pause1 = PopupMenu1.Add("Pause1", "&Pause", [this](TMenuItem* s) { Pause1Click(s); });
    StopandExit1 = PopupMenu1.Add("StopandExit1", "&Stop and Exit", [this](TMenuItem* s) { StopandExit1Click(s); });

    OnPaint = [this](TWinControl*, HDC dc, const RECT&) {
        PaintPictureStrip(dc);
        RECT line = Bevel1;
        DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    };
    Timer1.OnTimer = [this](TTimer* s) { Timer1Timer(s); };
    Timer1.SetEnabled(true);

    // The program's notification-area icon (none in a test executable: the system's is shown).
    CoolTrayIcon1.SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY)));
    CoolTrayIcon1.SetHint("Tidewell");
    CoolTrayIcon1.OnDblClick = [this] { ShowProgress1Click(ShowProgress1); };
    CoolTrayIcon1.OnRightClick = [this](POINT at) { PopupTrayMenu(at); };
    CoolTrayIcon1.SetVisible(true);
    OnStartListCheck = [this](const std::string& server) { StartConnectionThread(*this, server); };
    OnStartDownloads = [this] {
        if (downloads_) downloads_->StartDownloads();
    };
    OnStopDownload = [this] {
        if (downloads_) downloads_->Stop();
    };
}

TMainForm::~TMainForm() {
    FormDestroy();
    Timer1.SetEnabled(false);
    report_.reset();
    configure_.reset();
    closeForm_.reset();
}

void TMainForm::FormCreate(const std::vector<std::string>& args) {
    SetBounds(-1000, Top(), ClientWidth(), ClientHeight());  // off-screen until the start-up timer places it
    TCommandLine commandLine = ParseCommandLine(args);
    CleanupFiles.insert(CleanupFiles.end(), commandLine.ExistingFiles.begin(), commandLine.ExistingFiles.end());
    btnBack->SetEnabled(false);
    btnNext->SetEnabled(true);
    CancelBtn->SetEnabled(true);
    HRESULT hr = CoInitialize(nullptr);  // a single-threaded apartment, for the XML document
    comInitialised_ = SUCCEEDED(hr);
    StopRequested = false;

    Frame1 = Panel1->Add<TFrame1>();
    Frame2 = Panel1->Add<TFrame2>();
    Frame3 = Panel1->Add<TFrame3>();
    Frame4 = Panel1->Add<TFrame4>();
    Frame5 = Panel1->Add<TFrame5>();
    Frame6 = Panel1->Add<TFrame6>();
    Frame7 = Panel1->Add<TFrame7>();
    for (int i = 2; i <= 7; ++i) Page(i)->SetVisible(false);
    CurrentPage = 1;

    Frame3->CheckListBox1->OnClick = [this](TControl* s) { CheckListBox1Click(s); };
    Frame3->CheckListBox1->OnClickCheck = [this](TCheckListBox* s, int) { CheckListBox1Click(s); };
    Frame3->CheckListBox1->OnKeyDown = [this](TControl* s, WORD& key) { CheckListBox1KeyDown(s, key); };
    // Minimize to the notification area: however the window is minimized, only the icon stays.
    Application().OnMinimize = [this] { Hide(); };
    XMLDoc = std::make_unique<TXMLDocument>();

    Frame1->ListBox1->SetItems(InstalledComponentLines());
    downloads_.reset();  // it holds the list it works through
    UpdateInfo = std::make_unique<TInfoFile>("Untitled");
    UpdateServer = UpdateServerAddress();
    downloadHost_ = std::make_unique<TWizardDownloadHost>(*this);
    downloads_ = std::make_unique<TDownloadEngine>(*downloadHost_, *UpdateInfo, CleanupFiles, StopRequested);
    downloads_->Server = UpdateServer;

    SilentMode = commandLine.SilentMode;
    TrayMode = commandLine.TrayMode;
    if (SilentMode) StartUpdateCheck();
}

void TMainForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    downloads_.reset();  // a running worker is stopped and waited for; its partial file goes with it
    DeleteCleanupFiles(CleanupFiles);
    CoolTrayIcon1.SetVisible(false);
    Application().OnMinimize = nullptr;
    XMLDoc.reset();
    if (comInitialised_) CoUninitialize();
    comInitialised_ = false;
}

void TMainForm::CreateSmallWindows() {
    if (!closeForm_) closeForm_ = std::make_unique<TCloseForm>();
    ConfigureForm();
    if (!report_) report_ = std::make_unique<TfrmReport>();
}

TfrmConfigure& TMainForm::ConfigureForm() {
    if (!configure_) configure_ = std::make_unique<TfrmConfigure>();
    return *configure_;
}

TWizardFrame* TMainForm::Page(int n) const {
    switch (n) {
        case 1: return Frame1;
        case 2: return Frame2;
        case 3: return Frame3;
        case 4: return Frame4;
        case 5: return Frame5;
        case 6: return Frame6;
        case 7: return Frame7;
    }
    return nullptr;
}

void TMainForm::StartUpdateCheck() {
    ConfigureForm();  // holds the stored proxy settings before the worker reads them
    btnNext->SetEnabled(false);
    if (OnStartListCheck) OnStartListCheck(UpdateServer);
}

void TMainForm::ShowPage(int n) {
    TWizardFrame* next = Page(n);
    if (!next) return;  // the wizard has seven pages; past the last there is nowhere to go
    if (TWizardFrame* shown = Page(CurrentPage)) shown->SetVisible(false);
    CurrentPage = n;
    next->SetVisible(true);
    btnBack->SetEnabled(false);
    switch (n) {
        case 2:
            btnNext->SetEnabled(false);
            CancelBtn->SetEnabled(false);
            Frame2->Repaint();  // the heading shows before the search begins
            if (OnStartListCheck) OnStartListCheck(UpdateServer);
            break;
        case 3:
            btnNext->SetCaption("&Install");
            btnNext->SetEnabled(true);
            CancelBtn->SetEnabled(true);
            break;
        case 4:
            btnNext->SetCaption("Installing");
            btnNext->SetEnabled(false);
            CancelBtn->SetEnabled(true);
            if (OnStartDownloads) OnStartDownloads();
            break;
        case 5:
        case 6:
        case 7:
            btnNext->SetCaption(kFinishCaption);
            btnNext->SetEnabled(true);
            CancelBtn->SetEnabled(false);
            break;
    }
}

void TMainForm::ReportError(const std::string& message) {
    RecordSessionResult(SessionErrorText(message));
    Frame7->Label2->SetCaption(message);
    ShowPage(7);
}

void TMainForm::GoToPendingPage() { ShowPage(PendingPage); }

void TMainForm::SetSearchProgress(int position) { Frame2->ProgressBar1->SetPartsComplete(position); }

void TMainForm::ProcessUpdateList() {
    TListResult read = ReadUpdateList(ListStream, ProgramFolder() + kListFileName, *XMLDoc, *UpdateInfo,
                                      [this](int position) { SetSearchProgress(position); }, Handle());
    if (read == TListResult::SplitFailed) return ReportError(ErtdMessage(TErtd::E501));
    if (read == TListResult::BadHeader) return ReportError(ErtdMessage(TErtd::E537));
    if (UpdateInfo->Files.empty()) {
        if (SilentMode) {
            Close();
        } else {
            ShowPage(6);
        }
        return;
    }
    TCheckListBox* list = Frame3->CheckListBox1;
    list->Clear();
    for (const auto& file : UpdateInfo->Files) {
        int line = list->AddItem(file->ProductName, file->DefaultDownload);
        list->SetForced(line, file->Force);
    }
    if (SilentMode) {
        ShowPage(4);
    } else {
        Frame2->Label3->SetCaption("Done.");
        ShowPage(CurrentPage + 1);
    }
}

void TMainForm::CheckListBox1Click(TControl*) {
    TCheckListBox* list = Frame3->CheckListBox1;
    int line = list->ItemIndex();
    if (line < 0 || line >= static_cast<int>(UpdateInfo->Files.size())) return;
    const TFile& file = *UpdateInfo->Files[line];
    Frame3->RichEdit1->SetText(WithCrLf(file.Description));
    if (file.Force) list->SetChecked(line, true);
}

void TMainForm::CheckListBox1KeyDown(TControl* sender, WORD&) { CheckListBox1Click(sender); }

void TMainForm::PopupTrayMenu(POINT at) {
    HMENU menu = PopupMenu1.Items().BuildPopup();
    UINT command = ShowPopupMenu(Handle(), menu, at, true);
    DestroyMenu(menu);
    if (command) TMenuItem::Dispatch(command);
}

void TMainForm::btnNextClick(TControl*) {
    if (btnNext->Caption() == kFinishCaption) {
        if (!StopRequested && CurrentPage != 7) RecordSessionResult(kSessionSuccessText);
        CancelBtnClick(btnNext);
    } else {
        ShowPage(CurrentPage + 1);
    }
}

// Back is disabled on every page; the handler is there for the button it belongs to.
void TMainForm::btnBackClick(TControl*) {}

void TMainForm::CancelBtnClick(TControl*) {
    StopRequested = true;
    if (OnStopDownload) OnStopDownload();
    SetScreenCursor(TCursor::HourGlass);
    Close();
}

void TMainForm::StopandExit1Click(TMenuItem*) { CancelBtnClick(nullptr); }

void TMainForm::Pause1Click(TMenuItem*) {
    if (downloads_) downloads_->Pause1Click();
}

void TMainForm::ShowProgress1Click(TMenuItem*) { Application().Restore(); }

void TMainForm::Configure1Click(TMenuItem*) { ConfigureForm().ShowModal(); }

void TMainForm::AboutTidewell1Click(TMenuItem*) {
    CreateSmallWindows();
    report_->ShowModal();
}

void TMainForm::Timer1Timer(TTimer*) {
    if (TrayMode) {
        Hide();  // the window and its taskbar button go; the notification-area icon stays
    } else {
        SetPosition(TPosition::ScreenCenter);
    }
    Timer1.SetEnabled(false);
}

// The picture strip: a deep sea gradient with a few tide lines.
void TMainForm::PaintPictureStrip(HDC dc) const {
    const int bands = 64;
    int height = Image1.bottom - Image1.top;
    for (int i = 0; i < bands; ++i) {
        RECT band{Image1.left, Image1.top + height * i / bands, Image1.right, Image1.top + height * (i + 1) / bands};
        int t = i * 255 / (bands - 1);
        FillRect(dc, &band, SolidBrushFor(RGB(0, 40 + t * 60 / 255, 110 + t * 110 / 255)));
    }
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(170, 210, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    static const int kRise[] = {0, 3, 5, 6, 5, 3, 0, -3, -5, -6, -5, -3, 0};  // one swell of the tide
    for (int wave = 0; wave < 3; ++wave) {
        POINT pts[25];
        for (int k = 0; k < 25; ++k)
            pts[k] = POINT{Image1.left + 8 + k * 5, 200 + wave * 22 + kRise[(k + wave * 3) % 12]};
        Polyline(dc, pts, 25);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    TFont f;
    f.Size = 14;
    f.Bold = true;
    HGDIOBJ oldFont = SelectObject(dc, FontHandle(f));
    RECT text{Image1.left, 40, Image1.right, 80};
    DrawTextA(dc, "Tidewell", -1, &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    SelectObject(dc, oldFont);
}

}  // namespace qv
