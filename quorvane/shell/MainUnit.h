// The main window: header and footer pictures, the navigation bar, the five pages, the timers,
// the tray icon and its menu, the wash controls, and the one close-down.
//
// The pages' contents belong to their own modules: each fills its page container (Memory,
// Process, Startup, System, Options) from the set-up step named after it, and hangs its
// handlers on the timers and the menu below.
#pragma once
#include <cstdint>
#include <memory>

#include "common/core/Handles.h"
#include "common/tray/TrayIcon.h"
#include "common/ui/Form.h"
#include "common/ui/GroupBar.h"
#include "common/ui/Menu.h"
#include "common/ui/PageList.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"
#include "common/ui/TrackBar.h"
#include "quorvane/processes/ProcessClass.h"
#include "quorvane/processes/ProcessPage.h"
#include "quorvane/settings/OptionsPage.h"
#include "quorvane/settings/SettingsClass.h"
#include "quorvane/startup/StartupClass.h"
#include "quorvane/startup/StartupPage.h"
#include "quorvane/sysinfo/SystemPage.h"

namespace qv {

class TProgressFrm;
class TSplashScreen;
class TAboutUsFrm;
class TMemoryMonitor;
class TAutoCleanGroup;

// Page indices, the argument of SelectPage.
enum TPageIndex : int { piMemory = 0, piProcess = 1, piStartup = 2, piSystem = 3, piOptions = 4 };

class TMainForm : public ui::TForm {
public:
    // Creates the window and runs its set-up (FormCreate), splash and its 2000 ms included.
    TMainForm();
    ~TMainForm() override;

    // ---- components
    ui::TPanel* Image1;  // header picture; dragging it moves the window
    ui::TPanel* Image2;  // footer picture
    ui::TLabel* Label3;  // minimize spot over the header's minimize button
    ui::TLabel* Label8;  // close spot over the header's close button
    ui::TGroupBar* RzGroupBar1;
    ui::TPageList* JvPageList1;
    ui::TPanel* Memory;
    ui::TPanel* Process;
    ui::TPanel* Startup;
    ui::TPanel* System;
    ui::TPanel* Options;

    // The "Memory To Free" group on the Memory page.
    ui::TGroupBox* RzGroupBox7;
    ui::TTrackBar* JvTrackBar1;
    ui::TLabel* RzLabel14;
    ui::TButton* RzButton1;  // "Clean Now"

    ui::TTimer MemoryTimer{"MemoryTimer", 1000, true};
    ui::TTimer CPUTimer{"CPUTimer", 1000, true};
    ui::TTimer ProcessTimer{"ProcessTimer", 10000, false};
    ui::TTimer StartupTimer{"StartupTimer", 5000, false};
    // The Options page sets the period from the minutes option and switches it on.
    ui::TTimer MemoryCleanTimer{"MemoryCleanTimer", 60000, false};

    // Always in the notification area while the program runs; its right-click menu.
    TTrayIcon CoolTrayIcon1;
    ui::TPopupMenu SysTryMenu{"SysTryMenu"};
    ui::TMenuItem* WashMemoryNow1;
    ui::TMenuItem* Show1;
    ui::TMenuItem* RunTidewell1;
    ui::TMenuItem* Help1;
    ui::TMenuItem* Exit1;

    // The options object, created and loaded by the set-up.
    std::unique_ptr<TSettings> Settings;
    // The startup list, loaded from startup.dat by the set-up and stored there at close-down,
    // and the Startup page over it (declared after the list: it goes first).
    std::unique_ptr<TStartupList> StartupList;
    std::unique_ptr<TStartupPage> StartupPage;
    TStartupLoadResult StartupLoad;     // what the set-up found in startup.dat
    DWORD StartupSaveError = ERROR_SUCCESS;  // what storing it at close-down gave

    // The Memory page's monitor groups (the System page's "CPU" tab adds its own through
    // BuildCpuTabGroups), and the Options page's "Automatic Memory Washing" group.
    std::unique_ptr<TMemoryMonitor> MemoryMonitor;
    std::unique_ptr<TAutoCleanGroup> AutoClean;

    // The Process page's controls and handlers, and the list it shows (from the set-up to
    // close-down); the list goes first.
    std::unique_ptr<TProcessPage> ProcessPage;
    std::unique_ptr<TProcessList> ProcessList;

    // The System and Options pages' contents (built with the window, filled by the set-up).
    std::unique_ptr<TSystemPage> SystemPage;
    std::unique_ptr<TOptionsPage> OptionsPage;

    // ---- operations
    void SelectPage(int index);
    // The one way to start a wash, with the size on the track bar.
    void StartMemoryWash();
    // Runs on the UI thread after a wash has ended.
    void WashFinished();
    // A wash was started and has not yet finished (it claims, releases or waits for WashLock).
    bool WashRunningOrWaiting() const { return washesInFlight_ > 0; }
    int WashesInFlight() const { return washesInFlight_; }
    // Back from the tray: centred on the screen, shown, in front.
    void RestoreFromTray();
    // Hidden with its taskbar button; only the tray icon remains.
    void HideToTray();
    bool InTray() const { return inTray_; }

    // Close-down ran (it runs once, whichever way the program ends).
    bool ClosedDown() const { return closeDownRuns_ > 0; }
    int CloseDownRuns() const { return closeDownRuns_; }
    // How long FormCreate took without the splash's 2000 ms.
    DWORD SetupMilliseconds() const { return setupMs_; }

    // The progress window the washes use (made at program start after this window).
    TProgressFrm* ProgressForm = nullptr;
    TAboutUsFrm* AboutForm = nullptr;

private:
    // ---- the set-up, in its order
    void FormCreate();
    void ShowSplash();
    void SetupFirstPage();
    void RegisterShortcut();
    void SetupProcessList();
    void SetupStartupList();
    void SetupMemoryMonitor();
    void SetupWashSize();
    void SizeListColumns();
    void SetupSystemPage();
    void SetupSettings();
    void CloseSplash();

    // ---- the close-down and its steps
    void CloseDown();
    void DestroyProcessList();
    void StoreStartupList();

    void BuildWindow();
    void BuildNavigation();
    void BuildTrayMenu();
    void BuildWashGroup();
    void BuildCpuUsageGroups(ui::TWinControl* area);
    void LoadAutomaticWashing();

    // ---- handlers
    void MemoryTimerTimer();
    void CPUTimerTimer();
    void MemoryCleanTimerTimer();
    void JvPageList1Change();
    void RefreshProcessPage();
    void ShowRunningProcesses(int count);
    void JvTrackBar1Change();
    void Image1MouseDown();
    void Label3Click();
    void Label8Click();
    void Show1Click();
    void PopupTrayMenu(POINT at);
    void Exit1Click();
    void ShowAbout();
    void SetWashControlsEnabled(bool on);

    GdiObject header_, footer_;
    IconHandle bigIcon_, smallIcon_, trayIcon_;
    // A copy of IconList's image 0, the generic program icon, handed to the process list.
    IconHandle defaultProcessIcon_;
    std::unique_ptr<TSplashScreen> splash_;
    bool inTray_ = false;
    int closeDownRuns_ = 0;
    int washesInFlight_ = 0;
    DWORD setupMs_ = 0;
};

}  // namespace qv
