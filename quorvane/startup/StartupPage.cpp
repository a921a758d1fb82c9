#include "quorvane/startup/StartupPage.h"

#include <unordered_set>

#include "common/core/Paths.h"
#include "common/core/Rounding.h"
#include "common/ui/Dialogs.h"
#include "common/ui/Form.h"

namespace qv {

namespace {
constexpr int kListLeft = 8, kListTop = 8, kListWidth = 580, kListHeight = 374;
constexpr int kButtonTop = kListTop + kListHeight + 10, kButtonWidth = 75, kButtonHeight = 25, kButtonGap = 8;

enum TStartupColumn : int { colName = 0, colStatus = 1, colCommandLine = 2, colLocation = 3 };

const char* StatusText(bool enabled) { return enabled ? "Active" : "Disabled"; }
int StatusImage(bool enabled) { return enabled ? siActive : siDisabled; }

// A 16 x 16 round badge: a green one with a white tick for an active entry, a red one with a
// white bar for a disabled one. Black outside the disc in the colour picture, and a mask that
// is transparent there, as the 9x family wants its icons.
IconHandle MakeStatusIcon(bool active) {
    constexpr int n = 16;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HDC maskDc = CreateCompatibleDC(screen);
    GdiObject color(CreateCompatibleBitmap(screen, n, n));
    GdiObject mask(CreateBitmap(n, n, 1, 1, nullptr));
    ReleaseDC(nullptr, screen);
    HGDIOBJ oldColor = SelectObject(dc, color.get());
    HGDIOBJ oldMask = SelectObject(maskDc, mask.get());
    RECT all{0, 0, n, n};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(maskDc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    SelectObject(maskDc, GetStockObject(BLACK_BRUSH));
    SelectObject(maskDc, GetStockObject(BLACK_PEN));
    Ellipse(maskDc, 0, 0, n, n);

    COLORREF fill = active ? RGB(0, 160, 60) : RGB(200, 40, 40);
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN rim = CreatePen(PS_SOLID, 1, active ? RGB(0, 100, 40) : RGB(130, 20, 20));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, rim);
    Ellipse(dc, 0, 0, n, n);
    HPEN white = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    SelectObject(dc, white);
    if (active) {
        MoveToEx(dc, 4, 8, nullptr);
        LineTo(dc, 7, 11);
        LineTo(dc, 12, 5);
    } else {
        MoveToEx(dc, 4, 8, nullptr);
        LineTo(dc, 12, 8);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(white);
    DeleteObject(rim);
    DeleteObject(brush);
    SelectObject(dc, oldColor);
    SelectObject(maskDc, oldMask);
    DeleteDC(dc);
    DeleteDC(maskDc);

    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = static_cast<HBITMAP>(color.get());
    ii.hbmMask = static_cast<HBITMAP>(mask.get());
    return IconHandle(CreateIconIndirect(&ii));
}

// A share of the list view's width, rounded (halves to even), less the room the column's edge takes.
int ShareOf(int width, int percent, int less) {
    return static_cast<int>(RoundHalfEven(width * (percent / 100.0))) - less;
}
}  // namespace

std::string StartupFilePath() { return ProgramFolder() + "startup.dat"; }

TStartupPage::TStartupPage(ui::TWinControl* page, ui::TTimer& timer, TStartupList& list)
    : timer_(timer), list_(&list) {
    // The image list keeps copies: the icons made here go again at once.
    ImageList1.Add(MakeStatusIcon(false).get());
    ImageList1.Add(MakeStatusIcon(true).get());

    RzListView2 = page->Add<ui::TListView>("RzListView2", kListLeft, kListTop, kListWidth, kListHeight);
    RzListView2->SetSmallImages(&ImageList1);
    for (const char* caption : {"Program Name", "Status", "Command Line", "Location"}) RzListView2->AddColumn(caption, 100);
    RzListView2->PopupMenu = &PopupMenu3;
    RzListView2->OnKeyDown = [this](ui::TControl*, WORD& key) {
        if (key != VK_DELETE) return;
        key = 0;
        RzButton5Click();
    };

    int x = kListLeft;
    auto button = [&](const char* name, const char* caption, void (TStartupPage::*click)()) {
        auto* b = page->Add<ui::TButton>(name, caption, x, kButtonTop, kButtonWidth, kButtonHeight);
        b->OnClick = [this, click](ui::TControl*) { (this->*click)(); };
        x += kButtonWidth + kButtonGap;
        return b;
    };
    RzButton7 = button("RzButton7", "&Enable", &TStartupPage::RzButton7Click);
    RzButton6 = button("RzButton6", "&Disable", &TStartupPage::RzButton6Click);
    RzButton5 = button("RzButton5", "&Delete", &TStartupPage::RzButton5Click);
    RzButton4 = button("RzButton4", "&Refresh", &TStartupPage::RzButton4Click);

    Enable1 = PopupMenu3.Add("Enable1", "&Enable", [this](ui::TMenuItem*) { Enable1Click(); });
    PopupMenu3.AddSeparator();
    Delete1 = PopupMenu3.Add("Delete1", "&Delete", [this](ui::TMenuItem*) { RzButton5Click(); });
    Delete1->ShortCutText = "Del";
    PopupMenu3.AddSeparator();
    Refresh1 = PopupMenu3.Add("Refresh1", "&Refresh", [this](ui::TMenuItem*) { Refresh1Click(); });
    PopupMenu3.OnPopup = [this](ui::TPopupMenu*) { PopupMenu3Popup(); };

    timer_.OnTimer = [this](ui::TTimer*) { StartupTimerTimer(); };
}

TStartupPage::~TStartupPage() {
    timer_.OnTimer = nullptr;
    // The view outlives this object (its page owns it): leave it pointing at nothing of ours.
    RzListView2->Clear();
    RzListView2->PopupMenu = nullptr;
    RzListView2->OnKeyDown = nullptr;
    RzListView2->SetSmallImages(nullptr);
    for (ui::TButton* b : {RzButton4, RzButton5, RzButton6, RzButton7}) b->OnClick = nullptr;
}

void TStartupPage::SizeListColumns() {
    int w = RzListView2->Width();
    RzListView2->SetColumnWidth(colName, ShareOf(w, 35, 3));
    RzListView2->SetColumnWidth(colStatus, ShareOf(w, 10, 3));
    RzListView2->SetColumnWidth(colCommandLine, ShareOf(w, 35, 3));
    RzListView2->SetColumnWidth(colLocation, ShareOf(w, 20, 4));
}

void TStartupPage::Detach() {
    RzListView2->Clear();
    list_ = nullptr;
}

void TStartupPage::FillStartupView() {
    if (!list_ || asking_) return;
    RzListView2->BeginUpdate();
    // An entry about to be freed takes its row with it.
    list_->RemoveVanished([this](TStartupItem& gone) { RzListView2->Delete(RzListView2->IndexOfData(&gone)); });
    list_->ScanRegistry();
    std::unordered_set<const void*> shown;
    for (int row = 0; row < RzListView2->Count(); ++row) shown.insert(RzListView2->Data(row));
    for (int i = 0; i < list_->Count(); ++i) {
        TStartupItem* e = list_->Items(i);
        if (shown.count(e)) continue;
        int row = RzListView2->AddItem({e->Name(), StatusText(e->Enabled()), e->CommandLine(), e->Location()},
                                       StatusImage(e->Enabled()), e);
        e->SetListIndex(row);
    }
    RzListView2->Sort(colName, true);
    RzListView2->EndUpdate();
}

TStartupItem* TStartupPage::FocusedEntry() const {
    if (!list_) return nullptr;
    int row = RzListView2->ItemFocused();
    return row < 0 ? nullptr : static_cast<TStartupItem*>(RzListView2->Data(row));
}

void TStartupPage::ShowState(int row, bool enabled) {
    RzListView2->SetItemText(row, colStatus, StatusText(enabled));
    RzListView2->SetItemImage(row, StatusImage(enabled));
}

// The row shows the new state whether or not the registry could be changed: the next refresh
// drops an "Active" entry whose value is not there.
void TStartupPage::SetFocusedEnabled(bool enabled) {
    TStartupItem* e = FocusedEntry();
    if (!e) return;
    e->SetEnabled(enabled);
    ShowState(RzListView2->ItemFocused(), enabled);
}

void TStartupPage::RzButton7Click() { SetFocusedEnabled(true); }

void TStartupPage::RzButton6Click() { SetFocusedEnabled(false); }

void TStartupPage::RzButton5Click() {
    TStartupItem* e = FocusedEntry();
    if (!e) return;
    asking_ = true;
    int answer = ui::mrNone;
    try {
        answer = ui::MessageDlg("Are you sure you want to delete this startup item?", ui::TMsgDlgType::Confirmation,
                                ui::mbYesNo);
    } catch (...) {
        asking_ = false;
        throw;
    }
    asking_ = false;
    // Close-down may have let the list go while the box was open.
    if (answer != ui::mrYes || !list_) return;
    // The row that refers to the entry goes, whichever row is selected: the focused row need
    // not be the selected one, and no row may keep a freed entry.
    int row = RzListView2->IndexOfData(e);
    if (list_->DeleteEntry(e)) RzListView2->Delete(row);
}

void TStartupPage::RzButton4Click() { FillStartupView(); }

void TStartupPage::Enable1Click() {
    TStartupItem* e = FocusedEntry();
    if (!e) return;
    if (e->Enabled())
        RzButton6Click();
    else
        RzButton7Click();
}

void TStartupPage::Refresh1Click() { FillStartupView(); }

void TStartupPage::PopupMenu3Popup() {
    bool selected = RzListView2->Selected() >= 0;
    Enable1->Enabled = selected;
    Delete1->Enabled = selected;
    TStartupItem* e = FocusedEntry();
    if (selected && e) Enable1->Caption = e->Enabled() ? "&Disable" : "&Enable";
}

void TStartupPage::StartupTimerTimer() { FillStartupView(); }

}  // namespace qv
