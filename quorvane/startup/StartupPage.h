// The Startup page: the list view of the startup entries with its buttons and context menu.
// The page is glue between TStartupList and its controls: every row refers to its entry, and a
// row never outlives the entry it refers to.
#pragma once
#include <string>

#include "common/core/Handles.h"
#include "common/ui/Control.h"
#include "common/ui/ImageList.h"
#include "common/ui/ListView.h"
#include "common/ui/Menu.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"
#include "quorvane/startup/StartupClass.h"

namespace qv {

// startup.dat in the program's folder.
std::string StartupFilePath();

// Images of ImageList1.
enum TStartupImage : int { siDisabled = 0, siActive = 1 };

class TStartupPage {
public:
    // Builds the page's controls on page and hangs the refresh on timer (which the page switch
    // turns on and off). The list must outlive the page or be let go with Detach first.
    TStartupPage(ui::TWinControl* page, ui::TTimer& timer, TStartupList& list);
    ~TStartupPage();
    TStartupPage(const TStartupPage&) = delete;
    TStartupPage& operator=(const TStartupPage&) = delete;

    ui::TListView* RzListView2;
    ui::TButton* RzButton7;  // "&Enable"
    ui::TButton* RzButton6;  // "&Disable"
    ui::TButton* RzButton5;  // "&Delete"
    ui::TButton* RzButton4;  // "&Refresh"
    ui::TPopupMenu PopupMenu3{"PopupMenu3"};
    ui::TMenuItem* Enable1;
    ui::TMenuItem* Delete1;
    ui::TMenuItem* Refresh1;
    ui::TImageList ImageList1{"ImageList1"};

    // Drops the rows of entries whose value vanished (with the entries), adds the entries new in
    // the Run keys, adds rows for entries without one and sorts by name.
    void FillStartupView();
    // The column widths from the list view's width (at the main window's set-up).
    void SizeListColumns();
    // Takes every row out and forgets the list (before the list is destroyed at close-down);
    // the handlers do nothing afterwards.
    void Detach();

    // The entry of the focused row; nullptr when no row is focused.
    TStartupItem* FocusedEntry() const;

    void RzButton7Click();
    void RzButton6Click();
    void RzButton5Click();
    void RzButton4Click();
    void Enable1Click();
    void Refresh1Click();
    void PopupMenu3Popup();
    void StartupTimerTimer();

private:
    void ShowState(int row, bool enabled);
    void SetFocusedEnabled(bool enabled);

    ui::TTimer& timer_;
    TStartupList* list_;
    // Set while the delete confirmation is open: the timer still ticks in its loop, and a
    // refresh then could free the entry the user is being asked about.
    bool asking_ = false;
};

}  // namespace qv
