#include "quorvane/processes/ProcessPage.h"

#include <shellapi.h>

#include "common/core/Rounding.h"
#include "common/core/Text.h"
#include "common/ui/Application.h"
#include "common/ui/Form.h"
#include "quorvane/memory/MemoryFigures.h"

namespace qv {

namespace {
// The page is 596 x 429: the list fills it above one row of buttons.
constexpr int kMargin = 8, kListWidth = 580, kListHeight = 377;
constexpr int kButtonTop = kMargin + kListHeight + 8, kButtonWidth = 90, kButtonHeight = 25;

struct TPriorityChoice {
    const char* name1;  // the item of PopupMenu1
    const char* name2;  // the item of the same caption under "&Priority"
    const char* caption;
    int32_t priorityClass;
};
constexpr TPriorityChoice kChoices[6] = {
    {"High1", "High2", "&High", HIGH_PRIORITY_CLASS},
    {"AboveNormal1", "AboveNormal2", "&Above Normal", ABOVE_NORMAL_PRIORITY_CLASS},
    {"BelowNormal1", "BelowNormal2", "&Below Normal", BELOW_NORMAL_PRIORITY_CLASS},
    {"Normal1", "Normal2", "&Normal", NORMAL_PRIORITY_CLASS},
    {"Idle1", "Idle2", "&Idle", IDLE_PRIORITY_CLASS},
    {"RealTime1", "RealTime2", "&Real-Time", REALTIME_PRIORITY_CLASS},
};

// The wait cursor for the length of a fill; what was shown before comes back afterwards (a
// wash keeps its own hourglass).
class THourGlass {
public:
    THourGlass() : before_(ui::ScreenCursor()) { ui::SetScreenCursor(ui::TCursor::HourGlass); }
    ~THourGlass() { ui::SetScreenCursor(before_); }

private:
    ui::TCursor before_;
};

std::string FolderOf(const std::string& file) {
    size_t p = file.find_last_of("\\/");
    return p == std::string::npos ? std::string() : file.substr(0, p);
}
}  // namespace

std::string PriorityText(int32_t priorityClass) {
    switch (priorityClass) {
        case NORMAL_PRIORITY_CLASS: return "Normal";
        case IDLE_PRIORITY_CLASS: return "Idle";
        case HIGH_PRIORITY_CLASS: return "High";
        case REALTIME_PRIORITY_CLASS: return "Realtime";
        case BELOW_NORMAL_PRIORITY_CLASS: return "Below Normal";
        case ABOVE_NORMAL_PRIORITY_CLASS: return "Above Normal";
        default: return "Unknown";
    }
}

std::array<int, 6> ProcessColumnWidths(int listWidth) {
    auto share = [listWidth](int percent, int less) {
        return static_cast<int>(RoundHalfEven(listWidth * percent / 100.0)) - less;
    };
    return {share(30, 3), share(10, 3), share(10, 3), share(30, 4), share(10, 4), share(10, 4)};
}

TProcessPage::TProcessPage(ui::TWinControl* page, HWND owner) : owner_(owner) {
    IconList.Add(::LoadIconA(nullptr, IDI_APPLICATION));

    RzListView1 = page->Add<ui::TListView>("RzListView1", kMargin, kMargin, kListWidth, kListHeight);
    RzListView1->SetSmallImages(&IconList);
    std::array<int, 6> widths = ProcessColumnWidths(kListWidth);
    const char* captions[6] = {"Process", "Priority", "Memory Usage", "Path", "PID", "Threads"};
    for (int c = 0; c < 6; ++c) RzListView1->AddColumn(captions[c], widths[static_cast<size_t>(c)]);

    RzButton2 = page->Add<ui::TButton>("RzButton2", "Create New", kMargin, kButtonTop, kButtonWidth, kButtonHeight);
    RzButton2->OnClick = [this](ui::TControl*) { RzButton2Click(); };
    RzMenuButton1 = page->Add<ui::TMenuButton>("RzMenuButton1", "Set Priority", kMargin + kButtonWidth + 8,
                                               kButtonTop, kButtonWidth, kButtonHeight);
    RzButton3 = page->Add<ui::TButton>("RzButton3", "End Process", kMargin + 2 * (kButtonWidth + 8), kButtonTop,
                                       kButtonWidth, kButtonHeight);
    RzButton3->OnClick = [this](ui::TControl*) { RzButton3Click(); };

    BuildMenus();
    RzMenuButton1->DropDownMenu = &PopupMenu1;
    RzListView1->PopupMenu = &PopupMenu2;
    OpenDialog1.Title = "Open Program";
    OpenDialog1.Filter = "Exe Files (*.exe)|*.exe";
    OpenDialog1.DefaultExt = "Exe";
}

TProcessPage::~TProcessPage() {
    // The controls belong to the page container and may outlive this object by a moment.
    RzListView1->Clear();
    RzListView1->SetSmallImages(nullptr);
    RzListView1->PopupMenu = nullptr;
    RzMenuButton1->DropDownMenu = nullptr;
}

void TProcessPage::BuildMenus() {
    void (TProcessPage::*handlers[6])() = {&TProcessPage::High1Click,   &TProcessPage::AboveNormal1Click,
                                           &TProcessPage::BelowNormal1Click, &TProcessPage::Normal1Click,
                                           &TProcessPage::Idle1Click,   &TProcessPage::RealTime1Click};
    ui::TMenuItem** first[6] = {&High1, &AboveNormal1, &BelowNormal1, &Normal1, &Idle1, &RealTime1};
    ui::TMenuItem** second[6] = {&High2, &AboveNormal2, &BelowNormal2, &Normal2, &Idle2, &RealTime2};
    Priority1 = PopupMenu2.Add("Priority1", "&Priority");
    for (int i = 0; i < 6; ++i) {
        auto handler = handlers[i];
        auto click = [this, handler](ui::TMenuItem*) { (this->*handler)(); };
        *first[i] = PopupMenu1.Add(kChoices[i].name1, kChoices[i].caption, click);
        *second[i] = Priority1->Add(kChoices[i].name2, kChoices[i].caption, click);
    }
    Normal1->Checked = true;
    Normal2->Checked = true;
    PopupMenu2.AddSeparator();
    EndProcess1 = PopupMenu2.Add("EndProcess1", "&End Process", [this](ui::TMenuItem*) { RzButton3Click(); });
    PopupMenu1.OnPopup = [this](ui::TPopupMenu*) { PopupMenu1Popup(); };
    PopupMenu2.OnPopup = [this](ui::TPopupMenu*) { PopupMenu2Popup(); };
}

void TProcessPage::SetProcessList(TProcessList* list) {
    RzListView1->Clear();
    list_ = list;
}

TProcessItem* TProcessPage::ItemOf(int row) const {
    if (row < 0 || row >= RzListView1->Count()) return nullptr;
    return static_cast<TProcessItem*>(RzListView1->Data(row));
}

void TProcessPage::SizeColumns() {
    std::array<int, 6> widths = ProcessColumnWidths(RzListView1->Width());
    for (int c = 0; c < 6; ++c) RzListView1->SetColumnWidth(c, widths[static_cast<size_t>(c)]);
}

// ---------------------------------------------------------------- filling

void TProcessPage::FillProcessView() {
    if (!list_) return;
    THourGlass wait;
    RzListView1->BeginUpdate();
    struct EndUpdate {
        ui::TListView* view;
        ~EndUpdate() { view->EndUpdate(); }
    } endUpdate{RzListView1};
    try {
        list_->Refresh();
    } catch (...) {
        // The items the rows point to may be gone already.
        RzListView1->Clear();
        throw;
    }
    RzListView1->Clear();
    ++fills_;
    for (int i = 0; i < list_->Count(); ++i) {
        TProcessItem* item = list_->Items(i);
        int image = IconList.Add(item->Icon());
        int row = RzListView1->AddItem({item->ProcessName(), PriorityText(item->Priority()),
                                        FormatByteSize(static_cast<double>(item->MemoryUsage())), item->Path(),
                                        UIntToStr(item->ProcessID()), IntToStr(item->ThreadCount())},
                                       image, item);
        item->OnPriorityChange = [this](TProcessItem& it) { UpdateRow(it, pcPriority, PriorityText(it.Priority())); };
        item->OnMemoryChange = [this](TProcessItem& it) {
            UpdateRow(it, pcMemory, FormatByteSize(static_cast<double>(it.MemoryUsage())));
        };
        item->OnThreadsChange = [this](TProcessItem& it) { UpdateRow(it, pcThreads, IntToStr(it.ThreadCount())); };
        item->OnPathChange = [](TProcessItem&) {};
        item->ListIndex = row;
    }
    RzListView1->Sort(pcProcess, true);
}

void TProcessPage::ProcessTimerTimer() {
    FillProcessView();
    if (list_ && OnRunningProcesses) OnRunningProcesses(list_->Count());
}

// After sorting, row positions no longer match the order of filling: the row is the one that
// points at the item.
void TProcessPage::UpdateRow(TProcessItem& item, int column, const std::string& text) {
    int row = RzListView1->IndexOfData(&item);
    if (row >= 0) RzListView1->SetItemText(row, column, text);
}

// ---------------------------------------------------------------- priority

void TProcessPage::SetFocusedPriority(int32_t priorityClass) {
    if (TProcessItem* item = ItemOf(RzListView1->ItemFocused())) item->SetPriority(priorityClass);
}

void TProcessPage::High1Click() { SetFocusedPriority(HIGH_PRIORITY_CLASS); }
void TProcessPage::AboveNormal1Click() { SetFocusedPriority(ABOVE_NORMAL_PRIORITY_CLASS); }
void TProcessPage::BelowNormal1Click() { SetFocusedPriority(BELOW_NORMAL_PRIORITY_CLASS); }
void TProcessPage::Normal1Click() { SetFocusedPriority(NORMAL_PRIORITY_CLASS); }
void TProcessPage::Idle1Click() { SetFocusedPriority(IDLE_PRIORITY_CLASS); }
void TProcessPage::RealTime1Click() { SetFocusedPriority(REALTIME_PRIORITY_CLASS); }

// Without a focused row the marks stay as they were.
void TProcessPage::CheckPriority(ui::TMenuItem* const (&items)[6]) {
    TProcessItem* item = ItemOf(RzListView1->ItemFocused());
    if (!item) return;
    for (int i = 0; i < 6; ++i) items[i]->Checked = kChoices[i].priorityClass == item->Priority();
}

void TProcessPage::PopupMenu1Popup() {
    ui::TMenuItem* const items[6] = {High1, AboveNormal1, BelowNormal1, Normal1, Idle1, RealTime1};
    CheckPriority(items);
}

void TProcessPage::PopupMenu2Popup() {
    bool selected = RzListView1->Selected() >= 0;
    Priority1->Enabled = selected;
    EndProcess1->Enabled = selected;
    ui::TMenuItem* const items[6] = {High2, AboveNormal2, BelowNormal2, Normal2, Idle2, RealTime2};
    CheckPriority(items);
}

// ---------------------------------------------------------------- buttons

TProcessItem* TProcessPage::FindShownItem(DWORD processID, const std::string& path) const {
    for (int row = 0; row < RzListView1->Count(); ++row) {
        TProcessItem* item = ItemOf(row);
        if (item && item->ProcessID() == processID && item->Path() == path) return item;
    }
    return nullptr;
}

void TProcessPage::RzButton3Click() {
    TProcessItem* item = ItemOf(RzListView1->ItemFocused());
    if (!item) return;
    // The process timer keeps ticking inside the question's loop, and a fill frees the item:
    // keep what names the process, and find it again after the answer.
    DWORD processID = item->ProcessID();
    std::string path = item->Path();
    unsigned fills = fills_;
    if (ui::MessageDlg("Are you sure you want to terminate this process?", ui::TMsgDlgType::Confirmation,
                       ui::mbYesNo) != ui::mrYes)
        return;
    if (fills_ != fills || !list_) {
        item = FindShownItem(processID, path);
        if (!item) return;  // gone from the list meanwhile
    }
    if (item->Terminate()) {
        RzListView1->Delete(RzListView1->IndexOfData(item));
    } else {
        ui::MessageDlg("Quorvane couldn't terminate selected process.", ui::TMsgDlgType::Warning, ui::mbOK);
    }
}

void TProcessPage::RzButton2Click() {
    if (!OpenDialog1.Execute(owner_)) return;
    const std::string& file = OpenDialog1.FileName;
    std::string folder = FolderOf(file);
    ::ShellExecuteA(owner_, "open", file.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL);
    FillProcessView();
}

}  // namespace qv
