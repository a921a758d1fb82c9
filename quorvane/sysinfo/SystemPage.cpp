#include "quorvane/sysinfo/SystemPage.h"

#include <algorithm>
#include <string>

#include "quorvane/shell/Launch.h"

namespace qv {

namespace {
// Each tab would be 300 wide, but two of them do not fit the page (596 pixels): the tab
// control would scroll its tabs. Both tabs share the control's width instead.
constexpr int kTabWidth = 300;
constexpr int kTabsWidth = 580;
// The tab row's margins inside the control.
constexpr int kTabRowMargin = 6;
constexpr int kRowStep = 18;
constexpr int kFolderRowStep = 26;


// A caption and its value label beside it; the value is right-aligned when asked.
ui::TLabel* CaptionAndValue(ui::TWinControl* group, const std::string& valueName, const char* caption, int left,
                            int top, int valueLeft, int valueWidth, bool rightAligned = false) {
    group->Add<ui::TLabel>(valueName + "Caption", caption, left, top);
    auto* value = group->Add<ui::TLabel>(valueName, "", valueLeft, top, valueWidth, 14);
    if (rightAligned) value->SetAlignment(ui::TAlignment::Right);
    return value;
}
}  // namespace

TSystemPage::TSystemPage(ui::TWinControl* page, HWND mainWindow) : mainWindow_(mainWindow) {
    SystemTabs = page->Add<ui::TTabControl>("SystemTabs", 8, 8, kTabsWidth, 413);
    SystemSheet = SystemTabs->AddTab("SystemSheet", "System");
    CpuSheet = SystemTabs->AddTab("CpuSheet", "CPU");
    SystemTabs->SetTabWidth(std::min(kTabWidth, (kTabsWidth - kTabRowMargin) / 2));
    SystemTabs->SetTabIndex(0);
    BuildSystemTab();
    BuildCpuTab();
}

void TSystemPage::BuildSystemTab() {
    WindowsGroup = SystemSheet->Add<ui::TGroupBox>("WindowsGroup", " Windows ", 8, 8, 556, 116);
    ui::TGroupBox* g = WindowsGroup;
    int y = 22;
    RzLabel37 = CaptionAndValue(g, "RzLabel37", "Version:", 16, y, 104, 220);
    RzLabel38 = CaptionAndValue(g, "RzLabel38", "Product ID:", 16, y + kRowStep, 104, 220);
    RzLabel39 = CaptionAndValue(g, "RzLabel39", "Product Name:", 16, y + 2 * kRowStep, 104, 220);
    RzLabel40 = CaptionAndValue(g, "RzLabel40", "Product Type:", 16, y + 3 * kRowStep, 104, 220);
    RzLabel41 = CaptionAndValue(g, "RzLabel41", "SP Version:", 16, y + 4 * kRowStep, 104, 220);
    RzLabel42 = CaptionAndValue(g, "RzLabel42", "Version Build:", 352, y, 440, 100);
    RzLabel30 = CaptionAndValue(g, "RzLabel30", "Major:", 352, y + kRowStep, 440, 100);
    RzLabel44 = CaptionAndValue(g, "RzLabel44", "Minor:", 352, y + 2 * kRowStep, 440, 100);

    FoldersGroup = SystemSheet->Add<ui::TGroupBox>("FoldersGroup", "Special Folders Locations", 8, 130, 556, 248);
    FoldersBox = FoldersGroup->Add<ui::TScrollBox>("RzScrollBox1", 8, 20, 540, 220);
    for (int i = 0; i < kSpecialFolderRows; ++i) {
        int top = 6 + i * kFolderRowStep;
        std::string n = std::to_string(i + 1);
        FoldersBox->Add<ui::TLabel>("FolderCaption" + n, SpecialFolderCaption(i), 8, top + 3);
        auto* edit = FoldersBox->Add<ui::TButtonEdit>("RzButtonEdit" + n, 100, top, 408);
        edit->SetColor(ui::clInfoBk);
        edit->OnButtonClick = [this, edit](ui::TControl*) { OpenFolderSFoldersExecute(edit); };
        RzButtonEdit[static_cast<size_t>(i)] = edit;
    }
}

void TSystemPage::BuildCpuTab() {
    CpuUsageArea = CpuSheet->Add<ui::TPanel>("CpuUsageArea");
    CpuUsageArea->SetBounds(8, 8, 568, 180);
    CpuInfoGroup = CpuSheet->Add<ui::TGroupBox>("CpuInfoGroup", "CPU Information", 8, 192, 556, 186);
    ui::TGroupBox* g = CpuInfoGroup;
    ui::TFont bold;
    bold.Bold = true;
    auto* processor = g->Add<ui::TLabel>("ProcessorCaption", "Processor:", 16, 22);
    processor->SetFont(bold);
    RzLabel17 = g->Add<ui::TLabel>("RzLabel17", "", 104, 22, 436, 14);
    RzLabel17->SetFont(bold);

    int y = 48;
    lblProcessors = CaptionAndValue(g, "lblProcessors", "No of Pro.:", 16, y, 104, 150, true);
    lblVendor = CaptionAndValue(g, "lblVendor", "Vendor:", 16, y + kRowStep, 104, 150, true);
    lblFamily = CaptionAndValue(g, "lblFamily", "Family:", 16, y + 2 * kRowStep, 104, 150, true);
    lblModel = CaptionAndValue(g, "lblModel", "Model:", 16, y + 3 * kRowStep, 104, 150, true);
    lblStepping = CaptionAndValue(g, "lblStepping", "Stepping:", 16, y + 4 * kRowStep, 104, 150, true);
    lblIA64 = CaptionAndValue(g, "lblIA64", "IA64:", 16, y + 5 * kRowStep, 104, 150, true);
    RzLabel51 = CaptionAndValue(g, "RzLabel51", "MMX Support:", 300, y, 400, 140, true);
    RzLabel52 = CaptionAndValue(g, "RzLabel52", "Norm Frequency:", 300, y + kRowStep, 400, 140, true);
    RzLabel53 = CaptionAndValue(g, "RzLabel53", "L2 Cache:", 300, y + 2 * kRowStep, 400, 140, true);
    RzLabel54 = CaptionAndValue(g, "RzLabel54", "L3 Cache:", 300, y + 3 * kRowStep, 400, 140, true);
}

void TSystemPage::Fill() {
    ShowCpuInfo(ReadCpuInfo());
    ShowWindowsFacts(ReadWindowsFacts());
    ShowSpecialFolders(ReadSpecialFolders());
}

void TSystemPage::ShowCpuInfo(const TCpuInfo& cpu) {
    RzLabel17->SetCaption(cpu.Name);
    lblProcessors->SetCaption(std::to_string(cpu.Processors));
    lblVendor->SetCaption(cpu.Vendor);
    lblFamily->SetCaption(std::to_string(cpu.Signature.Family));
    lblModel->SetCaption(std::to_string(cpu.Signature.Model));
    lblStepping->SetCaption(std::to_string(cpu.Signature.Stepping));
    lblIA64->SetCaption(YesNo(cpu.LongMode));
    RzLabel51->SetCaption(YesNo(cpu.Mmx));
    RzLabel52->SetCaption(std::to_string(cpu.FrequencyMHz));
    RzLabel53->SetCaption(std::to_string(cpu.L2CacheKB));
    RzLabel54->SetCaption(std::to_string(cpu.L3CacheKB));
}

void TSystemPage::ShowWindowsFacts(const TWindowsFacts& w) {
    RzLabel37->SetCaption(w.Version);
    RzLabel38->SetCaption(w.ProductID);
    RzLabel39->SetCaption(w.ProductName);
    RzLabel40->SetCaption(w.ProductType);
    RzLabel41->SetCaption(w.ServicePack);
    RzLabel42->SetCaption(w.Build);
    RzLabel30->SetCaption(w.Major);
    RzLabel44->SetCaption(w.Minor);
}

void TSystemPage::ShowSpecialFolders(const std::vector<TSpecialFolder>& folders) {
    for (size_t i = 0; i < RzButtonEdit.size(); ++i)
        RzButtonEdit[i]->SetText(i < folders.size() ? folders[i].Path : std::string());
}

void TSystemPage::OpenFolderSFoldersExecute(ui::TButtonEdit* sender) {
    ShellRequest(mainWindow_, "explore", sender->Text());
}

}  // namespace qv
