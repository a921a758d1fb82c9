// The System page: a tab control with "System" (the " Windows " facts and the sixteen special
// folders, each with a button that opens it for exploring) and "CPU" (the processor monitor's
// graph and bar in CpuUsageArea, and "CPU Information"). Read once at set-up.
#pragma once
#include <array>
#include <vector>

#include "common/ui/Edits.h"
#include "common/ui/ExtCtrls.h"
#include "common/ui/StdCtrls.h"
#include "quorvane/sysinfo/CpuInfo.h"
#include "quorvane/sysinfo/SpecialFolders.h"
#include "quorvane/sysinfo/WindowsVersion.h"

namespace qv {

constexpr int kSpecialFolderRows = 16;

class TSystemPage {
public:
    // Builds the tabs on the page; folders open with mainWindow as the shell's parent.
    TSystemPage(ui::TWinControl* page, HWND mainWindow);

    ui::TTabControl* SystemTabs;
    ui::TTabSheet* SystemSheet;  // "System"
    ui::TTabSheet* CpuSheet;     // "CPU"

    ui::TGroupBox* WindowsGroup;  // " Windows "
    ui::TLabel* RzLabel37;        // Version
    ui::TLabel* RzLabel38;        // Product ID
    ui::TLabel* RzLabel39;        // Product Name
    ui::TLabel* RzLabel40;        // Product Type
    ui::TLabel* RzLabel41;        // SP Version
    ui::TLabel* RzLabel42;        // Version Build
    ui::TLabel* RzLabel30;        // Major
    ui::TLabel* RzLabel44;        // Minor

    ui::TGroupBox* FoldersGroup;  // "Special Folders Locations"
    ui::TScrollBox* FoldersBox;
    // RzButtonEdit1 ... RzButtonEdit16, in row order.
    std::array<ui::TButtonEdit*, kSpecialFolderRows> RzButtonEdit{};

    // Where the processor monitor puts "CPU Usage History" and "CPU Usage".
    ui::TPanel* CpuUsageArea;
    ui::TGroupBox* CpuInfoGroup;  // "CPU Information"
    ui::TLabel* RzLabel17;        // processor name
    ui::TLabel* lblProcessors;
    ui::TLabel* lblVendor;
    ui::TLabel* lblFamily;
    ui::TLabel* lblModel;
    ui::TLabel* lblStepping;
    ui::TLabel* lblIA64;
    ui::TLabel* RzLabel51;  // MMX
    ui::TLabel* RzLabel52;  // normal frequency, MHz
    ui::TLabel* RzLabel53;  // L2, KB
    ui::TLabel* RzLabel54;  // L3, KB

    // Reads the system once: processor, operating system, folders, in that order.
    void Fill();
    void ShowCpuInfo(const TCpuInfo& cpu);
    void ShowWindowsFacts(const TWindowsFacts& w);
    void ShowSpecialFolders(const std::vector<TSpecialFolder>& folders);

    // The one handler of the sixteen folder buttons: explore the field's folder.
    void OpenFolderSFoldersExecute(ui::TButtonEdit* sender);

private:
    void BuildSystemTab();
    void BuildCpuTab();
    HWND mainWindow_;
};

}  // namespace qv
