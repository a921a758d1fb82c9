#include "quorvane/shell/MainUnit.h"

#include "release/ProgramResources.rc.h"

#include "common/core/OSError.h"
#include "common/core/Registry.h"
#include "common/core/Unhandled.h"
#include "common/ui/Application.h"
#include "quorvane/memory/AutoClean.h"
#include "quorvane/memory/MemoryFigures.h"
#include "quorvane/memory/MemoryPage.h"
#include "quorvane/memory/ProgressBarFrm.h"
#include "quorvane/memory/RelThrd.h"
#include "quorvane/memory/WashSize.h"
#include "quorvane/processes/WindowsVersion.h"
#include "quorvane/shell/About.h"
#include "quorvane/shell/Launch.h"
#include "quorvane/shell/Pictures.h"
#include "quorvane/shell/SplashScr.h"

namespace qv {

namespace {
constexpr int kClientWidth = 776, kClientHeight = 601;
constexpr int kBarWidth = 180;
constexpr int kPagesTop = kHeaderHeight, kPagesHeight = kClientHeight - kHeaderHeight - kFooterHeight;
constexpr DWORD kSplashWaitMs = 2000;
// SC_MOVE with the caption hit code: the window follows the mouse until the button is released.
constexpr WPARAM kMoveByDragging = 0xF012;

ui::TFormOptions MainOptions() {
    ui::TFormOptions o;
    o.Border = ui::TBorderStyle::None;
    o.ClientWidth = kClientWidth;
    o.ClientHeight = kClientHeight;
    o.Color = ui::clWhite;
    o.Position = ui::TPosition::ScreenCenter;
    o.TaskbarButton = true;
    o.Caption = "Quorvane";
    return o;
}
}  // namespace

TMainForm::TMainForm()
    : ui::TForm("MainForm", MainOptions()),
      header_(MakeHeaderPicture()),
      footer_(MakeFooterPicture()),
      bigIcon_(ProgramIcon(IDI_PROGRAM, 32)),
      smallIcon_(ProgramIcon(IDI_PROGRAM, 16)),
      trayIcon_(ProgramIcon(IDI_TRAY, 16)) {
    ui::Application().SetMainForm(this);
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    BuildWindow();
    OnClose = [this](ui::TForm*) { CloseDown(); };
    OnCloseQuery = [](ui::TForm*, bool& canClose) { canClose = true; };  // never refused
    OnEndSession = [this](ui::TForm*) { Close(); };
    // Minimize to tray: however the window is minimized, only the tray icon remains.
    ui::Application().OnMinimize = [this] { HideToTray(); };
    CoolTrayIcon1.SetIcon(trayIcon_.get());
    CoolTrayIcon1.SetHint("Quorvane");
    CoolTrayIcon1.OnDblClick = [this] { RestoreFromTray(); };
    CoolTrayIcon1.OnRightClick = [this](POINT at) { PopupTrayMenu(at); };
    CoolTrayIcon1.SetVisible(true);
    FormCreate();
}

TMainForm::~TMainForm() {
    ui::Application().OnMinimize = nullptr;
    MemoryTimer.OnTimer = nullptr;
    CPUTimer.OnTimer = nullptr;
    MemoryCleanTimer.OnTimer = nullptr;
}

// ---------------------------------------------------------------- the window

void TMainForm::BuildWindow() {
    Image1 = Add<ui::TPanel>("Image1");
    Image1->SetBounds(0, 0, kHeaderWidth, kHeaderHeight);
    // The click spots draw nothing: the header must paint beneath them too.
    SetWindowLongA(Image1->Handle(), GWL_STYLE, GetWindowLongA(Image1->Handle(), GWL_STYLE) & ~WS_CLIPCHILDREN);
    Image1->OnPaint = [this](ui::TWinControl*, HDC dc, const RECT&) {
        DrawPicture(dc, static_cast<HBITMAP>(header_.get()), 0, 0);
    };
    Image1->OnMouseDown = [this](ui::TControl*, ui::TMouseButton, int, int) { Image1MouseDown(); };

    const RECT& m = kMinimizeButtonRect;
    Label3 = Image1->Add<ui::TLabel>("Label3", "", m.left, m.top, m.right - m.left, m.bottom - m.top);
    Label3->SetTransparent(true);
    Label3->OnClick = [this](ui::TControl*) { Label3Click(); };
    const RECT& c = kCloseButtonRect;
    Label8 = Image1->Add<ui::TLabel>("Label8", "", c.left, c.top, c.right - c.left, c.bottom - c.top);
    Label8->SetTransparent(true);
    Label8->OnClick = [this](ui::TControl*) { Label8Click(); };

    Image2 = Add<ui::TPanel>("Image2");
    Image2->SetBounds(0, kClientHeight - kFooterHeight, kFooterWidth, kFooterHeight);
    Image2->OnPaint = [this](ui::TWinControl*, HDC dc, const RECT&) {
        DrawPicture(dc, static_cast<HBITMAP>(footer_.get()), 0, 0);
    };

    RzGroupBar1 = Add<ui::TGroupBar>("RzGroupBar1", 0, kPagesTop, kBarWidth, kPagesHeight);
    JvPageList1 = Add<ui::TPageList>("JvPageList1", kBarWidth, kPagesTop, kClientWidth - kBarWidth, kPagesHeight);
    Memory = JvPageList1->AddPage("Memory");
    Process = JvPageList1->AddPage("Process");
    Startup = JvPageList1->AddPage("Startup");
    System = JvPageList1->AddPage("System");
    Options = JvPageList1->AddPage("Options");
    for (int i = 0; i < JvPageList1->PageCount(); ++i) JvPageList1->Page(i)->SetColor(ui::clWhite);
    JvPageList1->OnChange = [this](ui::TControl*) { JvPageList1Change(); };

    BuildNavigation();
    BuildTrayMenu();
    BuildWashGroup();
    MemoryMonitor = std::make_unique<TMemoryMonitor>(Memory);
    AutoClean = std::make_unique<TAutoCleanGroup>(Options, MemoryCleanTimer);
    MemoryTimer.OnTimer = [this](ui::TTimer*) { MemoryTimerTimer(); };
    CPUTimer.OnTimer = [this](ui::TTimer*) { CPUTimerTimer(); };
    MemoryCleanTimer.OnTimer = [this](ui::TTimer*) { MemoryCleanTimerTimer(); };

    ProcessPage = std::make_unique<TProcessPage>(Process, Handle());
    ProcessPage->OnRunningProcesses = [this](int count) { ShowRunningProcesses(count); };
    ProcessTimer.OnTimer = [this](ui::TTimer*) { ProcessPage->ProcessTimerTimer(); };
    SystemPage = std::make_unique<TSystemPage>(System, Handle());
    BuildCpuUsageGroups(SystemPage->CpuUsageArea);
    OptionsPage = std::make_unique<TOptionsPage>(Options, Handle(), MemoryTimer, [this] { StartMemoryWash(); });
}

// The processor monitor builds "CPU Usage History" and "CPU Usage" into the CPU tab's area here.
void TMainForm::BuildCpuUsageGroups(ui::TWinControl* area) { MemoryMonitor->BuildCpuTabGroups(area, 0, 0); }

void TMainForm::BuildNavigation() {
    ui::TGroupBarGroup* options = RzGroupBar1->AddGroup("RzGroup1", "Options");
    struct Entry {
        const char* name;
        const char* caption;
        COLORREF glyph;
    };
    const Entry pages[] = {
        {"MemoryOptimizer", "Memory Optimizer", RGB(0, 128, 64)},
        {"ProcessManager", "Process Manager", RGB(0, 102, 204)},
        {"StartupManager", "Startup Manager", RGB(204, 102, 0)},
        {"SystemInfo", "System Info", RGB(102, 51, 153)},
        {"ProgramSettings", "Program Settings", RGB(96, 96, 96)},
    };
    for (int i = 0; i < 5; ++i)
        options->AddItem(pages[i].name, pages[i].caption, [this, i](ui::TGroupBarItem*) { SelectPage(i); })
            ->GlyphColor = pages[i].glyph;
    ui::TGroupBarGroup* help = RzGroupBar1->AddGroup("RzGroup2", "Help");
    help->AddItem("HelpItem", "Help", [this](ui::TGroupBarItem*) { OpenHelpFile(Handle()); })->GlyphColor =
        RGB(0, 153, 204);
    help->AddItem("OnlineSupport", "Online Support", [this](ui::TGroupBarItem*) { OpenSupportPage(Handle()); })
        ->GlyphColor = RGB(0, 128, 64);
    help->AddItem("AboutItem", "About", [this](ui::TGroupBarItem*) { ShowAbout(); })->GlyphColor = RGB(204, 102, 0);
    RzGroupBar1->SetOpenGroup(0);
}

void TMainForm::BuildTrayMenu() {
    WashMemoryNow1 = SysTryMenu.Add("WashMemoryNow1", "Wash Now!", [this](ui::TMenuItem*) { StartMemoryWash(); });
    SysTryMenu.AddSeparator();
    Show1 = SysTryMenu.Add("Show1", "Show", [this](ui::TMenuItem*) { Show1Click(); });
    SysTryMenu.AddSeparator();
    RunTidewell1 = SysTryMenu.Add("RunTidewell1", "Run Tidewell", [this](ui::TMenuItem*) { RunUpdater(Handle()); });
    SysTryMenu.AddSeparator();
    Help1 = SysTryMenu.Add("Help1", "Help", [this](ui::TMenuItem*) { OpenHelpFile(Handle()); });
    SysTryMenu.AddSeparator();
    Exit1 = SysTryMenu.Add("Exit1", "Exit", [this](ui::TMenuItem*) { Exit1Click(); });
}

void TMainForm::BuildWashGroup() {
    RzGroupBox7 = Memory->Add<ui::TGroupBox>("RzGroupBox7", "Memory To Free", 8, 350, 580, 72);
    JvTrackBar1 = RzGroupBox7->Add<ui::TTrackBar>("JvTrackBar1", 8, 20, 352, 34);
    JvTrackBar1->SetMin(0);
    JvTrackBar1->SetFrequency(10);
    JvTrackBar1->SetTicksAbove(true);
    JvTrackBar1->OnChange = [this](ui::TControl*) { JvTrackBar1Change(); };
    ui::TFont green;
    green.Bold = true;
    green.Color = kFreeGreen;
    RzLabel14 = RzGroupBox7->Add<ui::TLabel>("RzLabel14", "To Free", 368, 30);
    RzLabel14->SetFont(green);
    RzButton1 = RzGroupBox7->Add<ui::TButton>("RzButton1", "Clean Now", 490, 26, 80, 25);
    RzButton1->OnClick = [this](ui::TControl*) { StartMemoryWash(); };
}

// ---------------------------------------------------------------- set-up

void TMainForm::FormCreate() {
    DWORD start = GetTickCount();
    ShowSplash();
    SetupFirstPage();
    RegisterShortcut();
    SetupProcessList();
    SetupStartupList();
    SetupMemoryMonitor();
    SetupWashSize();
    SizeListColumns();
    SetupSystemPage();
    SetupSettings();
    setupMs_ = GetTickCount() - start;
    CloseSplash();
}

void TMainForm::ShowSplash() {
    splash_ = std::make_unique<TSplashScreen>();
    splash_->Show();
    ui::Application().ProcessMessages();
}

void TMainForm::SetupFirstPage() { SelectPage(piMemory); }

// The stored global shortcut, registered before the options object exists.
void TMainForm::RegisterShortcut() { OptionsPage->LoadShortcut(); }

void TMainForm::SetupProcessList() {
    defaultProcessIcon_.reset(ProcessPage->IconList.GetIcon(0));
    ProcessList = std::make_unique<TProcessList>(ProcessPage->IconList.Handle(), defaultProcessIcon_.get());
    ProcessList->SetOSVersion(ReadWindowsVersion());
    ProcessPage->SetProcessList(ProcessList.get());
    ProcessPage->FillProcessView();
    ShowRunningProcesses(ProcessList->Count());
}

void TMainForm::SetupStartupList() {
    StartupList = std::make_unique<TStartupList>();
    // A damaged file loads what can be read and is kept aside; the window comes up all the same.
    StartupLoad = StartupList->LoadFromFile(StartupFilePath());
    StartupPage = std::make_unique<TStartupPage>(Startup, StartupTimer, *StartupList);
    StartupPage->FillStartupView();
}

void TMainForm::SetupMemoryMonitor() {
    MemoryMonitor->Setup();
    AutoClean->SetLimitMaximum(SystemProbe().MemoryStatus().TotalPhys);
}

void TMainForm::SetupWashSize() {
    int32_t max = WashSizeMaximum(TotalPhysicalMemory());
    JvTrackBar1->SetMax(max);
    JvTrackBar1->SetPosition(max / 2);
}

void TMainForm::SizeListColumns() {
    ProcessPage->SizeColumns();
    StartupPage->SizeListColumns();
}

void TMainForm::SetupSystemPage() { SystemPage->Fill(); }

void TMainForm::SetupSettings() {
    Settings = std::make_unique<TSettings>();
    Settings->SetRootKey(HKEY_LOCAL_MACHINE);
    Settings->SetSettingsKey(kOptionsKeyPath);
    Settings->Load();
    // Into the controls in this order; each box's handler runs when the option ticks it.
    OptionsPage->AttachSettings(Settings.get());
    OptionsPage->LoadProgramOptions();
    LoadAutomaticWashing();
    OptionsPage->LoadRefreshRate();
}

// The automatic cleaning puts "Clean Memory every", the low-memory box and their two numbers into
// the group "Automatic Memory Washing" here, between the program options and the refresh rate.
void TMainForm::LoadAutomaticWashing() { AutoClean->LoadFromSettings(*Settings); }

void TMainForm::CloseSplash() {
    Sleep(kSplashWaitMs);
    splash_->Hide();
    splash_.reset();
}

// ---------------------------------------------------------------- pages

void TMainForm::SelectPage(int index) {
    ProcessTimer.SetEnabled(index == piProcess);
    if (index >= piMemory && index <= piOptions) JvPageList1->SetActivePageIndex(index);
}

void TMainForm::JvPageList1Change() {
    int page = JvPageList1->ActivePageIndex();
    if (page == piProcess) RefreshProcessPage();
    StartupTimer.SetEnabled(page == piStartup);
}

void TMainForm::RefreshProcessPage() { ProcessPage->FillProcessView(); }

// "Running Processes:" on the Memory page: the Memory page's module puts the figure into its
// Label31 here.
void TMainForm::ShowRunningProcesses(int count) { MemoryMonitor->SetRunningProcesses(count); }

// ---------------------------------------------------------------- monitor

void TMainForm::MemoryTimerTimer() {
    MemoryMonitor->MemoryTick();
    // The low-memory test comes last. No wash is queued behind one that is running or waiting:
    // a wash lowers the available memory itself while it claims its blocks.
    if (Settings && LowMemoryWashDue(Settings->CleanOnMemLimit(), AutoClean->LimitInForce(), WashRunningOrWaiting()))
        StartMemoryWash();
}

void TMainForm::CPUTimerTimer() { MemoryMonitor->ProcessorTick(); }

void TMainForm::MemoryCleanTimerTimer() { StartMemoryWash(); }

// ---------------------------------------------------------------- wash

void TMainForm::JvTrackBar1Change() {
    ui::TFont f = RzLabel14->Font();
    f.Color = FreeLabelColor(JvTrackBar1->Position(), JvTrackBar1->Max());
    RzLabel14->SetFont(f);
    RzLabel14->SetCaption(FreeLabelText(JvTrackBar1->Position()));
}

void TMainForm::SetWashControlsEnabled(bool on) {
    RzButton1->SetEnabled(on);
    WashMemoryNow1->Enabled = on;
}

void TMainForm::StartMemoryWash() {
    auto* thread = new TRelocateThread(this, ProgressForm, JvTrackBar1->Position());
    try {
        ui::SetScreenCursor(ui::TCursor::HourGlass);
        SetWashControlsEnabled(false);
        thread->OnTerminate = [this](TThread*) { WashFinished(); };
        thread->FreeOnTerminate = true;
        thread->Start();
        ++washesInFlight_;
    } catch (...) {
        DWORD code = GetLastError();
        // The thread never ran, so nothing will finish the wash: put everything back as it was.
        delete thread;
        SetWashControlsEnabled(true);
        ui::SetScreenCursor(ui::TCursor::Default);
        // The system's error says why; without one, the error itself does.
        if (code != ERROR_SUCCESS) RaiseOSError(code);
        throw;
    }
}

void TMainForm::WashFinished() {
    if (washesInFlight_ > 0) --washesInFlight_;
    SetWashControlsEnabled(true);
    ui::SetScreenCursor(ui::TCursor::Default);
    // Read from the registry now, not from the options object: the option may have been
    // changed from outside since the program started.
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(kOptionsKeyPath) != ERROR_SUCCESS) return;
    bool closeAfterWash = false;
    if (reg.ValueExists("CloseQVAfterWash")) {
        LSTATUS st = reg.ReadBool("CloseQVAfterWash", closeAfterWash);
        if (st != ERROR_SUCCESS) RaiseOSError(static_cast<DWORD>(st));
    }
    reg.CloseKey();
    if (closeAfterWash) Close();
}

// ---------------------------------------------------------------- tray, moving, ending

void TMainForm::Image1MouseDown() {
    ReleaseCapture();
    SendMessageA(Handle(), WM_SYSCOMMAND, kMoveByDragging, 0);
}

void TMainForm::Label3Click() { ui::Application().Minimize(); }

void TMainForm::Label8Click() { Close(); }

void TMainForm::HideToTray() {
    inTray_ = true;
    Hide();
}

void TMainForm::RestoreFromTray() {
    inTray_ = false;
    SetPosition(ui::TPosition::ScreenCenter);
    ui::Application().Restore();
}

void TMainForm::Show1Click() { RestoreFromTray(); }

void TMainForm::PopupTrayMenu(POINT at) {
    HMENU menu = SysTryMenu.Items().BuildPopup();
    UINT cmd = ShowPopupMenu(Handle(), menu, at, true);
    DestroyMenu(menu);
    if (cmd) ui::TMenuItem::Dispatch(cmd);
}

void TMainForm::Exit1Click() { Close(); }

void TMainForm::ShowAbout() {
    if (AboutForm) AboutForm->ShowModal();
}

void TMainForm::CloseDown() {
    if (closeDownRuns_ > 0) return;
    ++closeDownRuns_;
    ui::TTimer::StopAll();
    // No wash may start from the shortcut once the program is ending.
    OptionsPage->JvApplicationHotKey1.SetActive(false);
    CoolTrayIcon1.SetVisible(false);
    DestroyProcessList();
    StoreStartupList();
}

void TMainForm::DestroyProcessList() {
    ProcessPage->SetProcessList(nullptr);  // the rows point into the list's items
    defaultProcessIcon_.reset();
    ProcessList.reset();
}

void TMainForm::StoreStartupList() {
    if (!StartupList) return;
    // The program is ending: a file that cannot be written is not reported, and the old one
    // with its disabled entries stays as it was.
    StartupSaveError = StartupList->SaveToFile(StartupFilePath());
    StartupPage->Detach();
    StartupList.reset();
}

}  // namespace qv
