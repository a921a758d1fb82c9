#include "quorvane/memory/MemoryPage.h"

#include <algorithm>

#include "common/core/Handles.h"
#include "common/ui/Clipboard.h"
#include "quorvane/memory/CpuUsage.h"
#include "quorvane/memory/MemoryFigures.h"
#include "quorvane/sysinfo/WindowsVersion.h"

namespace qv {

namespace {
constexpr int kScopeInterval = 100;  // in 10 ms: one move a second
constexpr int kGraphTop = 18;        // below a group's caption
constexpr int kRowHeight = 20;
constexpr DWORD kCopySettleMs = 500;  // lets the closed menu's remains vanish from the screen

void ShowPercent(ui::TProgressBar* bar, int percent) {
    if (bar->TotalParts() != 100) bar->SetTotalParts(100);
    bar->SetPartsComplete(percent);
}

// A label that already shows the text is left alone: sizing it to its text again costs more
// than the whole tick's figures.
void ShowText(ui::TLabel* label, const std::string& text) {
    if (label->Caption() != text) label->SetCaption(text);
}

ui::TFont ValueFont() {
    ui::TFont f;
    f.Bold = true;
    return f;
}
}  // namespace

TMemoryMonitor::TMemoryMonitor(ui::TWinControl* page) {
    // ---- top row: the two history graphs
    RzGroupBox1 = page->Add<ui::TGroupBox>("RzGroupBox1", "Memory Usage History", 8, 4, 313, 153);
    JvSimScope1 = AddGraph(RzGroupBox1, "JvSimScope1", 34, kGraphTop, 275, 129, 75, PopupMenu5);
    const int axisLeft = 2, axisWidth = 29;
    RzLabel15 = RzGroupBox1->Add<ui::TLabel>("RzLabel15", "", axisLeft, kGraphTop, axisWidth, 13);
    RzLabel46 = RzGroupBox1->Add<ui::TLabel>("RzLabel46", "", axisLeft, kGraphTop + 129 / 2 - 6, axisWidth, 13);
    RzLabel47 = RzGroupBox1->Add<ui::TLabel>("RzLabel47", "0", axisLeft, kGraphTop + 129 - 13, axisWidth, 13);
    for (ui::TLabel* l : {RzLabel15, RzLabel46, RzLabel47}) l->SetAlignment(ui::TAlignment::Right);

    RzGroupBox2 = page->Add<ui::TGroupBox>("RzGroupBox2", "CPU Usage", 325, 4, 263, 153);
    JvSimScope3 = AddGraph(RzGroupBox2, "JvSimScope3", 3, kGraphTop, 257, 129, 88, PopupMenu6);

    // ---- figures and bars, above "Memory To Free" (which starts at 350)
    RzGroupBox3 = page->Add<ui::TGroupBox>("RzGroupBox3", "Memory Usage", 8, 161, 200, 88);
    Label10 = AddFigure(RzGroupBox3, "Label10", "Total:", 0, 80);
    Label7 = AddFigure(RzGroupBox3, "Label7", "Used:", 1, 80);
    Label6 = AddFigure(RzGroupBox3, "Label6", "Available:", 2, 80);

    RzGroupBox5 = page->Add<ui::TGroupBox>("RzGroupBox5", "Paging File", 8, 253, 200, 90);
    Label21 = AddFigure(RzGroupBox5, "Label21", "Max Size:", 0, 80);
    Label20 = AddFigure(RzGroupBox5, "Label20", "Used:", 1, 80);
    Label17 = AddFigure(RzGroupBox5, "Label17", "Available:", 2, 80);

    RzGroupBox4 = page->Add<ui::TGroupBox>("RzGroupBox4", "System", 212, 161, 376, 88);
    Label32 = AddFigure(RzGroupBox4, "Label32", "System Uptime:", 0, 115);
    Label31 = AddFigure(RzGroupBox4, "Label31", "Running Processes:", 1, 115);
    Label30 = AddFigure(RzGroupBox4, "Label30", "Windows:", 2, 115);

    RzGroupBox6 = page->Add<ui::TGroupBox>("RzGroupBox6", "Memory Monitor", 212, 253, 376, 90);
    RzProgressBar1 = AddPercentBar(RzGroupBox6, "RzProgressBar1", "Physical Memory Available", 18);
    RzProgressBar2 = AddPercentBar(RzGroupBox6, "RzProgressBar2", "Page File Usage", 52);
}

ui::TScope* TMemoryMonitor::AddGraph(ui::TWinControl* group, const char* name, int left, int top, int width,
                                     int height, int baseLine, ui::TPopupMenu& menu) {
    auto* scope = group->Add<ui::TScope>(name, left, top, width, height);
    scope->SetInterval(kScopeInterval);
    scope->SetBaseLine(baseLine);
    menu.Add(std::string("CopytoClipboard_") + name, "&Copy to Clipboard",
             [this, scope](ui::TMenuItem*) { CopyGraphToClipboard(scope); });
    scope->PopupMenu = &menu;
    return scope;
}

ui::TLabel* TMemoryMonitor::AddFigure(ui::TWinControl* group, const char* name, const char* caption, int row,
                                      int valueLeft) {
    int top = 20 + row * kRowHeight;
    group->Add<ui::TLabel>(std::string(name) + "Caption", caption, 12, top);
    auto* value = group->Add<ui::TLabel>(name, "", valueLeft, top);
    value->SetFont(ValueFont());
    return value;
}

ui::TProgressBar* TMemoryMonitor::AddPercentBar(ui::TWinControl* group, const char* name, const char* caption,
                                                int top) {
    group->Add<ui::TLabel>(std::string(name) + "Caption", caption, 12, top);
    auto* bar = group->Add<ui::TProgressBar>(name, 12, top + 14, group->Width() - 24, 16);
    bar->SetTotalParts(100);
    return bar;
}

void TMemoryMonitor::BuildCpuTabGroups(ui::TWinControl* container, int left, int top) {
    RzGroupBox20 = container->Add<ui::TGroupBox>("RzGroupBox20", "CPU Usage History", left, top, 459, 164);
    JvSimScope2 = AddGraph(RzGroupBox20, "JvSimScope2", 8, kGraphTop, 443, 140, 75, PopupMenu4);
    RzGroupBox21 = container->Add<ui::TGroupBox>("RzGroupBox21", "CPU Usage", left + 463, top, 104, 164);
    RzProgressBar4 = RzGroupBox21->Add<ui::TProgressBar>("RzProgressBar4", 27, kGraphTop, 50, 140,
                                                         ui::TBarOrientation::Vertical);
    RzProgressBar4->SetTotalParts(100);
    // Until the next processor tick the tab shows the figure the Memory page shows.
    ShowPercent(RzProgressBar4, JvSimScope3->Position());
}

void TMemoryMonitor::Setup() {
    TMemoryStartupFigures s = ReadMemoryStartupFigures();
    JvSimScope1->SetPosition(s.PhysAvailPercent);
    JvSimScope1->SetActive(true);
    Label10->SetCaption(s.TotalText);
    Label7->SetCaption(s.UsedText);
    Label6->SetCaption(s.AvailableText);
    Label21->SetCaption(s.PageFileMaxText);
    Label20->SetCaption(s.PageFileUsedText);
    Label17->SetCaption(s.PageFileAvailableText);
    RzLabel15->SetCaption(s.AxisTop);
    RzLabel46->SetCaption(s.AxisMiddle);
    RzLabel47->SetCaption(s.AxisBottom);
    Label30->SetCaption(ReadOSName());
    // The bars and the uptime show real figures from the start, not empty ones until the
    // first tick (which may be 5 seconds away).
    TMemoryTickFigures t = ReadMemoryTickFigures();
    ShowPercent(RzProgressBar1, s.PhysAvailPercent);
    ShowPercent(RzProgressBar2, t.PageFileUsagePercent);
    Label32->SetCaption(t.UptimeText);
}

void TMemoryMonitor::MemoryTick() {
    TMemoryTickFigures f = ReadMemoryTickFigures();
    ShowPercent(RzProgressBar1, f.PhysAvailPercent);
    ShowPercent(RzProgressBar2, f.PageFileUsagePercent);
    ShowText(Label7, f.UsedText);
    ShowText(Label6, f.AvailableText);
    ShowText(Label32, f.UptimeText);
    JvSimScope1->SetPosition(RzProgressBar1->Percent());
}

void TMemoryMonitor::ProcessorTick() {
    int usage = std::clamp(GetCpuUsage(), 0, 100);
    if (RzProgressBar4) {
        ShowPercent(RzProgressBar4, usage);
        usage = RzProgressBar4->Percent();
    }
    for (ui::TScope* scope : {JvSimScope2, JvSimScope3}) {
        if (!scope) continue;
        scope->SetPosition(usage);
        scope->SetActive(true);
    }
}

void TMemoryMonitor::SetRunningProcesses(int count) { Label31->SetCaption(std::to_string(count)); }

bool TMemoryMonitor::CopyGraphToClipboard(const ui::TScope* scope) {
    HWND window = scope->TopLevel();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(kCopySettleMs);
    GdiObject pixels(scope->CopyToBitmap());
    return ui::SetClipboardBitmap(window, static_cast<HBITMAP>(pixels.get()));
}

}  // namespace qv
