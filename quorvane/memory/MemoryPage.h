// The memory and processor monitor on the screen: the groups of the Memory page above
// "Memory To Free", the processor groups of the System page's "CPU" tab, the two ticks that
// keep them current and the graphs' "&Copy to Clipboard" menus. The figures themselves come
// from MemoryFigures and CpuUsage; this only copies them into the controls.
#pragma once
#include <cstdint>
#include <string>

#include "common/ui/Form.h"
#include "common/ui/Menu.h"
#include "common/ui/ProgressBar.h"
#include "common/ui/Scope.h"
#include "common/ui/StdCtrls.h"

namespace qv {

class TMemoryMonitor {
public:
    // Builds the Memory page's monitor groups into page.
    explicit TMemoryMonitor(ui::TWinControl* page);
    TMemoryMonitor(const TMemoryMonitor&) = delete;
    TMemoryMonitor& operator=(const TMemoryMonitor&) = delete;

    // Builds "CPU Usage History" (JvSimScope2, 443 x 140) and, to its right, "CPU Usage" (the
    // vertical RzProgressBar4) into container with their top-left corner at left, top; from then
    // on the processor tick feeds them too. The two groups take 567 x 164 pixels.
    void BuildCpuTabGroups(ui::TWinControl* container, int left = 8, int top = 8);

    // The start-up part: the memory graph's level and scrolling, "Memory Usage" and "Paging File",
    // the graph's axis labels and "Windows:".
    void Setup();
    // The memory tick, low-memory test excepted (the main window runs that after it).
    void MemoryTick();
    // The processor tick: the bar and both processor graphs, which start scrolling at the first.
    void ProcessorTick();
    // "Running Processes:".
    void SetRunningProcesses(int count);
    // "&Copy to Clipboard" of a graph: its window (the main window) repainted, then after 500 ms
    // exactly the graph's pixels on the screen go to the clipboard as a bitmap. False when the
    // clipboard could not be had.
    bool CopyGraphToClipboard(const ui::TScope* scope);

    // ---- "Memory Usage History"
    ui::TGroupBox* RzGroupBox1;
    ui::TScope* JvSimScope1;
    ui::TLabel* RzLabel15;  // axis top: total MB
    ui::TLabel* RzLabel46;  // axis middle: half of it
    ui::TLabel* RzLabel47;  // axis bottom: "0"
    // ---- "CPU Usage" of the Memory page
    ui::TGroupBox* RzGroupBox2;
    ui::TScope* JvSimScope3;
    // ---- "Memory Usage"
    ui::TGroupBox* RzGroupBox3;
    ui::TLabel* Label10;  // "Total:"
    ui::TLabel* Label7;   // "Used:"
    ui::TLabel* Label6;   // "Available:"
    // ---- "System"
    ui::TGroupBox* RzGroupBox4;
    ui::TLabel* Label32;  // "System Uptime:"
    ui::TLabel* Label31;  // "Running Processes:"
    ui::TLabel* Label30;  // "Windows:"
    // ---- "Paging File"
    ui::TGroupBox* RzGroupBox5;
    ui::TLabel* Label21;  // "Max Size:"
    ui::TLabel* Label20;  // "Used:"
    ui::TLabel* Label17;  // "Available:"
    // ---- "Memory Monitor"
    ui::TGroupBox* RzGroupBox6;
    ui::TProgressBar* RzProgressBar1;  // "Physical Memory Available"
    ui::TProgressBar* RzProgressBar2;  // "Page File Usage"
    // ---- the "CPU" tab of the System page (null until BuildCpuTabGroups)
    ui::TGroupBox* RzGroupBox20 = nullptr;  // "CPU Usage History"
    ui::TScope* JvSimScope2 = nullptr;
    ui::TGroupBox* RzGroupBox21 = nullptr;  // "CPU Usage"
    ui::TProgressBar* RzProgressBar4 = nullptr;

    ui::TPopupMenu PopupMenu5{"PopupMenu5"};  // JvSimScope1
    ui::TPopupMenu PopupMenu6{"PopupMenu6"};  // JvSimScope3
    ui::TPopupMenu PopupMenu4{"PopupMenu4"};  // JvSimScope2

private:
    ui::TScope* AddGraph(ui::TWinControl* group, const char* name, int left, int top, int width, int height,
                         int baseLine, ui::TPopupMenu& menu);
    ui::TLabel* AddFigure(ui::TWinControl* group, const char* name, const char* caption, int row, int valueLeft);
    ui::TProgressBar* AddPercentBar(ui::TWinControl* group, const char* name, const char* caption, int top);

};

}  // namespace qv
