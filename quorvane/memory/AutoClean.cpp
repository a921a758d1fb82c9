#include "quorvane/memory/AutoClean.h"

#include <algorithm>
#include <limits>

#include "quorvane/memory/MemoryFigures.h"

namespace qv {

namespace {
constexpr int kMinutesMin = 1, kMinutesMax = 120;
constexpr int kLimitMin = 1;
}  // namespace

TAutoCleanGroup::TAutoCleanGroup(ui::TWinControl* optionsPage, ui::TTimer& cleanTimer) : cleanTimer_(cleanTimer) {
    RzGroupBox10 = optionsPage->Add<ui::TGroupBox>("RzGroupBox10", "Automatic Memory Washing", 8, 116, 580, 84);
    RzCheckBox5 = RzGroupBox10->Add<ui::TCheckBox>("RzCheckBox5", "Clean Memory every", 12, 24, 120);
    RzSpinEdit1 = RzGroupBox10->Add<ui::TSpinEdit>("RzSpinEdit1", 136, 22, 56);
    RzLabel40 = RzGroupBox10->Add<ui::TLabel>("RzLabel40", "Min", 198, 25);
    RzCheckBox7 = RzGroupBox10->Add<ui::TCheckBox>(
        "RzCheckBox7", "Automatically clean memory when free physical memory reach", 12, 52, 330);
    RzSpinEdit2 = RzGroupBox10->Add<ui::TSpinEdit>("RzSpinEdit2", 346, 50, 72);
    RzLabel41 = RzGroupBox10->Add<ui::TLabel>("RzLabel41", "MB", 424, 53);

    RzSpinEdit1->SetMin(kMinutesMin);
    RzSpinEdit1->SetMax(kMinutesMax);
    RzSpinEdit1->SetValue(kMinutesMin);
    RzSpinEdit2->SetMin(kLimitMin);
    RzSpinEdit2->SetValue(kLimitMin);
    RzSpinEdit1->SetEnabled(false);
    RzSpinEdit2->SetEnabled(false);

    RzCheckBox5->OnClick = [this](ui::TControl*) { RzCheckBox5Click(); };
    RzSpinEdit1->OnChange = [this](ui::TControl*) { RzSpinEdit1Change(); };
    RzCheckBox7->OnClick = [this](ui::TControl*) { RzCheckBox7Click(); };
    RzSpinEdit2->OnChange = [this](ui::TControl*) { RzSpinEdit2Change(); };
}

void TAutoCleanGroup::SetLimitMaximum(uint64_t totalPhysBytes) {
    uint64_t mb = MegabytesRoundedUp(totalPhysBytes);
    uint64_t top = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    RzSpinEdit2->SetMax(static_cast<int>(std::clamp<uint64_t>(mb, kLimitMin, top)));
}

void TAutoCleanGroup::LoadFromSettings(TSettings& settings) {
    settings_ = &settings;
    RzCheckBox7->SetChecked(settings.CleanOnMemLimit());
    RzCheckBox5->SetChecked(settings.CleanOnTimer());
    RzSpinEdit1->SetValue(settings.CleanEveryMinutes());
    RzSpinEdit2->SetValue(settings.CleanMemLimit());
}

int32_t TAutoCleanGroup::LimitInForce() const {
    if (!settings_) return 0;
    return std::clamp<int32_t>(settings_->CleanMemLimit(), RzSpinEdit2->Min(), RzSpinEdit2->Max());
}

// The period always follows the minutes shown, ticked or not, so that ticking the box later
// starts a countdown of the right length.
void TAutoCleanGroup::FollowMinutes() { cleanTimer_.SetInterval(CleanPeriodMs(RzSpinEdit1->Value())); }

void TAutoCleanGroup::RzCheckBox5Click() {
    bool on = RzCheckBox5->Checked();
    RzSpinEdit1->SetEnabled(on);
    if (settings_) settings_->SetCleanOnTimer(on);
    FollowMinutes();
    cleanTimer_.SetEnabled(on);
}

void TAutoCleanGroup::RzSpinEdit1Change() {
    if (settings_) settings_->SetCleanEveryMinutes(RzSpinEdit1->Value());
    // Setting the period starts the countdown again, also while the timer runs.
    FollowMinutes();
}

void TAutoCleanGroup::RzCheckBox7Click() {
    bool on = RzCheckBox7->Checked();
    RzSpinEdit2->SetEnabled(on);
    if (settings_) settings_->SetCleanOnMemLimit(on);
}

void TAutoCleanGroup::RzSpinEdit2Change() {
    if (settings_) settings_->SetCleanMemLimit(RzSpinEdit2->Value());
}

}  // namespace qv
