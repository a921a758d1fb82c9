// The Process page: the running processes of a TProcessList in a report list, with the buttons
// "Create New", "Set Priority" and "End Process" below it and a context menu on the list.
// Every fill rebuilds every row from a fresh Refresh; a row keeps a pointer to its item, which
// the next Refresh frees, so rows are never read across a fill.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "common/ui/Dialogs.h"
#include "common/ui/ExtCtrls.h"
#include "common/ui/ImageList.h"
#include "common/ui/ListView.h"
#include "common/ui/Menu.h"
#include "common/ui/StdCtrls.h"
#include "quorvane/processes/ProcessClass.h"

namespace qv {

// The text of a priority class: "Normal", "Idle", "High", "Realtime", "Below Normal",
// "Above Normal", and "Unknown" for anything else (0 included: not readable).
std::string PriorityText(int32_t priorityClass);

// Widths of the six columns for a list of this width: 30, 10, 10, 30, 10 and 10 per cent,
// each rounded (halves to even), less 3, 3, 3, 4, 4 and 4.
std::array<int, 6> ProcessColumnWidths(int listWidth);

// Column indices of the list.
enum TProcessColumn : int { pcProcess = 0, pcPriority, pcMemory, pcPath, pcPID, pcThreads };

class TProcessPage {
public:
    // Builds the page's controls on `page`; `owner` is the window dialogs and started programs
    // are parented to.
    TProcessPage(ui::TWinControl* page, HWND owner);
    ~TProcessPage();
    TProcessPage(const TProcessPage&) = delete;
    TProcessPage& operator=(const TProcessPage&) = delete;

    // ---- components
    // Small icons of the rows; image 0, the generic program icon, survives every fill.
    ui::TImageList IconList{"IconList"};
    ui::TListView* RzListView1;
    ui::TButton* RzButton2;        // "Create New"
    ui::TMenuButton* RzMenuButton1;  // "Set Priority"
    ui::TButton* RzButton3;        // "End Process"
    ui::TPopupMenu PopupMenu1{"PopupMenu1"};
    ui::TMenuItem *High1, *AboveNormal1, *BelowNormal1, *Normal1, *Idle1, *RealTime1;
    ui::TPopupMenu PopupMenu2{"PopupMenu2"};
    ui::TMenuItem* Priority1;
    ui::TMenuItem *High2, *AboveNormal2, *BelowNormal2, *Normal2, *Idle2, *RealTime2;
    ui::TMenuItem* EndProcess1;
    ui::TOpenDialog OpenDialog1;

    // The list the page shows (not owned). Setting another one, or none, clears the rows
    // first: they point into the old list's items.
    void SetProcessList(TProcessList* list);
    TProcessList* ProcessList() const { return list_; }

    // Refreshes the list and rebuilds the rows, sorted by process name; nothing without a list.
    void FillProcessView();
    // The process timer's tick: a fill, then the "Running Processes:" figure.
    void ProcessTimerTimer();
    // Sets the six column widths from the list's width.
    void SizeColumns();
    // Fills so far (a fill that found no list does not count).
    unsigned Fills() const { return fills_; }
    // The item of a row; nullptr outside the rows.
    TProcessItem* ItemOf(int row) const;

    // Receives the list's Count for "Running Processes:" after every timer tick.
    std::function<void(int count)> OnRunningProcesses;

    // ---- handlers
    void High1Click();
    void AboveNormal1Click();
    void BelowNormal1Click();
    void Normal1Click();
    void Idle1Click();
    void RealTime1Click();
    void PopupMenu1Popup();
    void PopupMenu2Popup();
    void RzButton2Click();  // "Create New"
    void RzButton3Click();  // "End Process", also the context menu's "&End Process"

private:
    void BuildMenus();
    void SetFocusedPriority(int32_t priorityClass);
    void CheckPriority(ui::TMenuItem* const (&items)[6]);
    void UpdateRow(TProcessItem& item, int column, const std::string& text);
    TProcessItem* FindShownItem(DWORD processID, const std::string& path) const;

    HWND owner_;
    TProcessList* list_ = nullptr;
    unsigned fills_ = 0;
};

}  // namespace qv
