#include "quorvane/settings/OptionsPage.h"

#include "common/core/Registry.h"
#include "common/ui/Dialogs.h"

namespace qv {

const char* const kRefreshRateTexts[kRefreshRateCount] = {
    "0.5 Seconds", "1 Second",    "1.5 Seconds", "2  Seconds", "2.5 Seconds",
    "3 Seconds",   "3.5 Seconds", "4 Seconds",   "4.5 Seconds", "5 Seconds",
};

const char* const kShortcutTakenText =
    "Quorvane failed to register this shortcut key as it is currently used by another Windows application"
    "\rPlease select another shortcut key and try again";

namespace {
const char kShortcutValue[] = "Shortcut";
}

UINT RefreshIntervalMs(int index) { return static_cast<UINT>(index + 1) * 500u; }

TOptionsPage::TOptionsPage(ui::TWinControl* page, HWND mainWindow, ui::TTimer& memoryTimer,
                           std::function<void()> startWash)
    : JvApplicationHotKey1(mainWindow), memoryTimer_(memoryTimer), startWash_(std::move(startWash)) {
    RzGroupBox9 = page->Add<ui::TGroupBox>("RzGroupBox9", "Program Options", 8, 8, 580, 104);
    RzCheckBox1 = RzGroupBox9->Add<ui::TCheckBox>("RzCheckBox1", "Load Quorvane at Windows startup", 16, 20, 300);
    RzCheckBox2 = RzGroupBox9->Add<ui::TCheckBox>("RzCheckBox2", "Start Quorvane in system tray", 16, 40, 300);
    RzCheckBox3 = RzGroupBox9->Add<ui::TCheckBox>("RzCheckBox3", "&Show splash screen at startup", 16, 60, 300);
    RzCheckBox4 = RzGroupBox9->Add<ui::TCheckBox>("RzCheckBox4", "Close Quorvane after cleaning", 16, 80, 300);
    RzCheckBox1->OnClick = [this](ui::TControl*) { RzCheckBox1Click(); };
    RzCheckBox2->OnClick = [this](ui::TControl*) { RzCheckBox2Click(); };
    RzCheckBox3->OnClick = [this](ui::TControl*) { RzCheckBox3Click(); };
    RzCheckBox4->OnClick = [this](ui::TControl*) { RzCheckBox4Click(); };

    RzGroupBox11 = page->Add<ui::TGroupBox>("RzGroupBox11", "Monitor Refresh Rate", 8, 204, 580, 96);
    RefreshLabel = RzGroupBox11->Add<ui::TLabel>("RzLabel26", "Auto Refresh Every", 16, 27);
    RzComboBox1 = RzGroupBox11->Add<ui::TComboBox>("RzComboBox1", 128, 23, 121);
    for (const char* text : kRefreshRateTexts) RzComboBox1->AddItem(text);
    RzComboBox1->OnChange = [this](ui::TControl*) { RzComboBox1Change(); };
    RefreshNote = RzGroupBox11->Add<ui::TLabel>(
        "RzLabel27",
        "Quorvane refreshes all the Memory, CPU and Processes information regularly. You can select how ofter "
        "the refresh takes place.",
        16, 56, 548, 30);
    RefreshNote->SetWordWrap(true);

    RzGroupBox17 = page->Add<ui::TGroupBox>("RzGroupBox17", "Quorvane Shortcut", 8, 304, 580, 116);
    ShortcutNote = RzGroupBox17->Add<ui::TLabel>(
        "RzLabel28", "You can use Quorvane shortcut to wash your memory using this shortcut key.", 16, 24, 548, 16);
    ShortcutNote->SetWordWrap(true);
    RzHotKeyEdit1 = RzGroupBox17->Add<ui::THotKeyEdit>("RzHotKeyEdit1", 16, 52, 233);
    RzBitBtn1 = RzGroupBox17->Add<ui::TButton>("RzBitBtn1", "Register Shortcut", 260, 50, 121, 25);
    RzBitBtn1->OnClick = [this](ui::TControl*) { RzBitBtn1Click(); };

    JvApplicationHotKey1.OnHotKey = [this](TAppHotKey*) { JvApplicationHotKey1HotKey(); };
    JvApplicationHotKey1.OnHotKeyRegisterFailed = [this](TAppHotKey*) { JvApplicationHotKey1HotKeyRegisterFailed(); };
}

// ---------------------------------------------------------------- shortcut

TShortCut TOptionsPage::FieldShortCut() const {
    return ShortCutFromHotKeyField(RzHotKeyEdit1->Key(), RzHotKeyEdit1->Modifiers());
}

void TOptionsPage::ActivateShortcut(TShortCut code) {
    JvApplicationHotKey1.SetActive(false);
    JvApplicationHotKey1.SetHotKey(code);
    JvApplicationHotKey1.SetActive(true);
}

void TOptionsPage::LoadShortcut() {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(kOptionsKeyPath) != ERROR_SUCCESS || !reg.ValueExists(kShortcutValue)) return;
    int32_t stored = 0;
    // A value that is not a 32-bit number registers nothing, as a missing one.
    if (reg.ReadInteger(kShortcutValue, stored) != ERROR_SUCCESS) return;
    BYTE key = 0, flags = 0;
    HotKeyFieldFromShortCut(static_cast<TShortCut>(stored), key, flags);
    RzHotKeyEdit1->SetHotKey(key, flags);
    ActivateShortcut(FieldShortCut());
}

void TOptionsPage::RegisterShortcut() {
    const TShortCut code = FieldShortCut();
    ActivateShortcut(code);
    // Stored whether or not the system took it; a key that cannot be written is skipped quietly.
    TRegistry reg(KEY_READ | KEY_WRITE);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKey(kOptionsKeyPath, false) != ERROR_SUCCESS) return;
    reg.WriteInteger(kShortcutValue, code);
}

void TOptionsPage::JvApplicationHotKey1HotKey() {
    if (startWash_) startWash_();
}

void TOptionsPage::JvApplicationHotKey1HotKeyRegisterFailed() {
    ui::MessageDlg(kShortcutTakenText, ui::TMsgDlgType::Information, ui::mbOK);
}

// ---------------------------------------------------------------- options

void TOptionsPage::LoadProgramOptions() {
    if (!settings_) return;
    RzCheckBox1->SetChecked(settings_->LoadAtWindowsStartup());
    RzCheckBox2->SetChecked(settings_->StartInTray());
    RzCheckBox3->SetChecked(settings_->ShowSplash());
    RzCheckBox4->SetChecked(settings_->CloseAfterWash());
}

void TOptionsPage::LoadRefreshRate() {
    if (!settings_) return;
    int index = settings_->AutoRefreshInterval();
    if (index < 0 || index >= kRefreshRateCount) {
        RzComboBox1->SetItemIndex(-1);
        return;
    }
    RzComboBox1->SetItemIndex(index);
    memoryTimer_.SetInterval(RefreshIntervalMs(index));
}

void TOptionsPage::RzCheckBox1Click() {
    if (settings_) settings_->SetLoadAtWindowsStartup(RzCheckBox1->Checked());
}

void TOptionsPage::RzCheckBox2Click() {
    if (settings_) settings_->SetStartInTray(RzCheckBox2->Checked());
}

void TOptionsPage::RzCheckBox3Click() {
    if (settings_) settings_->SetShowSplash(RzCheckBox3->Checked());
}

void TOptionsPage::RzCheckBox4Click() {
    if (settings_) settings_->SetCloseAfterWash(RzCheckBox4->Checked());
}

void TOptionsPage::RzComboBox1Change() {
    int index = RzComboBox1->ItemIndex();
    if (index < 0) return;
    if (settings_) settings_->SetAutoRefreshInterval(index);
    memoryTimer_.SetInterval(RefreshIntervalMs(index));
}

}  // namespace qv
