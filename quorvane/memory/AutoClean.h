// Automatic cleaning: the "Automatic Memory Washing" group of the Options page, which switches
// the periodic wash (MemoryCleanTimer, every N minutes) and the low-memory wash (below L MB of
// available physical memory) on and off and keeps both options in the settings object.
#pragma once
#include <cstdint>

#include "common/ui/Edits.h"
#include "common/ui/StdCtrls.h"
#include "common/ui/Timer.h"
#include "quorvane/settings/SettingsClass.h"

namespace qv {

class TAutoCleanGroup {
public:
    // Builds RzGroupBox10 into the Options page at 8, 116 (580 x 84). cleanTimer is the main
    // window's MemoryCleanTimer, whose period and state the group keeps.
    TAutoCleanGroup(ui::TWinControl* optionsPage, ui::TTimer& cleanTimer);
    TAutoCleanGroup(const TAutoCleanGroup&) = delete;
    TAutoCleanGroup& operator=(const TAutoCleanGroup&) = delete;

    // Start-up, with the memory monitor: the limit's upper bound, the installed physical memory
    // in whole MB rounded up (before any stored value is put in).
    void SetLimitMaximum(uint64_t totalPhysBytes);
    // Start-up, once the settings are loaded: the stored options into the controls in the order
    // RzCheckBox7, RzCheckBox5, minutes, limit. A box's click handler runs only when its state
    // changes; a spin edit's change handler only when its text changes, so a stored value out of
    // range shows as the nearer bound and is stored as that only when the text changed (200
    // minutes show and store 120; a stored 0 shows 1 and stays 0 in the registry).
    // The group writes to settings from then on; it must outlive the group.
    void LoadFromSettings(TSettings& settings);

    // The limit the low-memory test uses: the settings' CleanMemLimit pulled into the field's
    // range (the stored 0 that shows as 1 counts as 1).
    int32_t LimitInForce() const;

    ui::TGroupBox* RzGroupBox10;
    ui::TCheckBox* RzCheckBox5;  // "Clean Memory every"
    ui::TSpinEdit* RzSpinEdit1;  // minutes, 1 to 120
    ui::TLabel* RzLabel40;       // "Min"
    ui::TCheckBox* RzCheckBox7;  // "Automatically clean memory when free physical memory reach"
    ui::TSpinEdit* RzSpinEdit2;  // limit in MB, 1 to the installed memory
    ui::TLabel* RzLabel41;       // "MB"

private:
    void RzCheckBox5Click();
    void RzSpinEdit1Change();
    void RzCheckBox7Click();
    void RzSpinEdit2Change();
    void FollowMinutes();

    ui::TTimer& cleanTimer_;
    TSettings* settings_ = nullptr;
};

// MemoryCleanTimer's period for N minutes.
constexpr UINT CleanPeriodMs(int minutes) { return static_cast<UINT>(minutes) * 60000u; }

}  // namespace qv
