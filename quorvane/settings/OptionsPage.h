// The Options page: the program options, the monitor's refresh rate and the program-wide
// shortcut. Every control writes through to the options object at once; there is no OK.
// The group "Automatic Memory Washing" between the first two groups belongs to the automatic
// cleaning (it loads itself between the program options and the refresh rate).
#pragma once
#include <string>

#include "common/ui/Edits.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"
#include "quorvane/settings/AppHotKey.h"
#include "quorvane/settings/SettingsClass.h"

namespace qv {

// The monitor's period for a refresh-rate index: (index + 1) x 500 ms.
UINT RefreshIntervalMs(int index);
constexpr int kRefreshRateCount = 10;
// "0.5 Seconds" ... "5 Seconds" (index 3 with its two blanks).
extern const char* const kRefreshRateTexts[kRefreshRateCount];

extern const char* const kShortcutTakenText;

class TOptionsPage {
public:
    // Builds the groups on the page; the shortcut is bound to mainWindow, and its key press runs
    // startWash. The options object comes later (AttachSettings): the shortcut is loaded first.
    TOptionsPage(ui::TWinControl* page, HWND mainWindow, ui::TTimer& memoryTimer, std::function<void()> startWash);

    ui::TGroupBox* RzGroupBox9;  // "Program Options"
    ui::TCheckBox* RzCheckBox1;  // "Load Quorvane at Windows startup"
    ui::TCheckBox* RzCheckBox2;  // "Start Quorvane in system tray"
    ui::TCheckBox* RzCheckBox3;  // "&Show splash screen at startup"
    ui::TCheckBox* RzCheckBox4;  // "Close Quorvane after cleaning"
    ui::TGroupBox* RzGroupBox11;  // "Monitor Refresh Rate"
    ui::TLabel* RefreshLabel;
    ui::TComboBox* RzComboBox1;
    ui::TLabel* RefreshNote;
    ui::TGroupBox* RzGroupBox17;  // "Quorvane Shortcut"
    ui::TLabel* ShortcutNote;
    ui::THotKeyEdit* RzHotKeyEdit1;
    ui::TButton* RzBitBtn1;  // "Register Shortcut"
    TAppHotKey JvApplicationHotKey1;

    // The stored shortcut into the field, registered; before the options object exists.
    void LoadShortcut();
    // The field's shortcut registered and stored as `Shortcut`, taken or not.
    void RegisterShortcut();
    // The code the hot-key field shows.
    TShortCut FieldShortCut() const;

    // The options object the handlers write through (owned by the main window).
    void AttachSettings(TSettings* settings) { settings_ = settings; }
    // Start-up, first half: the four program options, each box's handler running when it ticks.
    void LoadProgramOptions();
    // Start-up, last step: the refresh rate into the combo box (no handler) and the monitor's
    // period. An index outside the list selects nothing and leaves the period as it is.
    void LoadRefreshRate();

    // ---- handlers
    void RzCheckBox1Click();
    void RzCheckBox2Click();
    void RzCheckBox3Click();
    void RzCheckBox4Click();
    void RzComboBox1Change();
    void RzBitBtn1Click() { RegisterShortcut(); }
    void JvApplicationHotKey1HotKey();
    void JvApplicationHotKey1HotKeyRegisterFailed();

private:
    void ActivateShortcut(TShortCut code);
    TSettings* settings_ = nullptr;
    ui::TTimer& memoryTimer_;
    std::function<void()> startWash_;
};

}  // namespace qv
