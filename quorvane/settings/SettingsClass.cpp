#include "quorvane/settings/SettingsClass.h"

#include "common/core/Paths.h"

namespace qv {

const char* const kOptionsKeyPath = "Software\\Zephlor\\Quorvane\\Settings";
const char* const kRunKeyPath = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValueName = "Quorvane";

namespace {
const char kStartInTray[] = "LoadQVSystemTray";
const char kCloseAfterWash[] = "CloseQVAfterWash";
const char kCleanOnMemLimit[] = "CleanMemWhenMemReach";
const char kCleanOnTimer[] = "CleanMemoryOnTimer";
const char kShowSplash[] = "ShowSplashOnStartup";
const char kAutoRefreshInterval[] = "AutoRefreshTimerInt";
const char kCleanEveryMinutes[] = "CleanMemoryEveryMinute";
const char kCleanMemLimit[] = "CleanMemoryOnMemLimit";

// A value that exists but is not a 32-bit number (a text, binary data) is read as the option's
// default and left in the registry as it is: the store never destroys what it cannot read.
// The next change of that option through its setter replaces it with a proper number.
void LoadBool(TRegistry& reg, const char* name, bool def, bool& field) {
    if (!reg.ValueExists(name)) {
        field = def;
        reg.WriteBool(name, def);
    } else if (reg.ReadBool(name, field) != ERROR_SUCCESS) {
        field = def;
    }
}

void LoadInt(TRegistry& reg, const char* name, int32_t def, int32_t& field) {
    if (!reg.ValueExists(name)) {
        field = def;
        reg.WriteInteger(name, def);
    } else if (reg.ReadInteger(name, field) != ERROR_SUCCESS) {
        field = def;
    }
}
}  // namespace

TSettings::TSettings() : Registry_(new TRegistry(KEY_READ | KEY_WRITE)) { RootKey_ = Registry_->RootKey(); }

void TSettings::SetRootKey(HKEY root) {
    RootKey_ = root;
    Registry_->SetRootKey(root);
}

void TSettings::Load() {
    {
        TRegistry run(KEY_READ | KEY_WRITE);
        run.SetRootKey(HKEY_CURRENT_USER);
        if (run.OpenKey(kRunKeyPath, false) == ERROR_SUCCESS) LoadAtWindowsStartup_ = run.ValueExists(kRunValueName);
    }
    TRegistry& reg = *Registry_;
    if (reg.OpenKey(SettingsKey_, false) != ERROR_SUCCESS) return;
    LoadBool(reg, kStartInTray, false, StartInTray_);
    LoadBool(reg, kCloseAfterWash, false, CloseAfterWash_);
    LoadBool(reg, kCleanOnMemLimit, false, CleanOnMemLimit_);
    LoadBool(reg, kCleanOnTimer, false, CleanOnTimer_);
    LoadBool(reg, kShowSplash, true, ShowSplash_);
    LoadInt(reg, kAutoRefreshInterval, 0, AutoRefreshInterval_);
    LoadInt(reg, kCleanEveryMinutes, 0, CleanEveryMinutes_);
    LoadInt(reg, kCleanMemLimit, 0, CleanMemLimit_);
    reg.CloseKey();
}

void TSettings::WriteBoolOption(const char* name, bool v) {
    if (Registry_->OpenKey(SettingsKey_, false) != ERROR_SUCCESS) return;
    Registry_->WriteBool(name, v);
    Registry_->CloseKey();
}

void TSettings::WriteIntOption(const char* name, int32_t v) {
    if (Registry_->OpenKey(SettingsKey_, false) != ERROR_SUCCESS) return;
    Registry_->WriteInteger(name, v);
    Registry_->CloseKey();
}

void TSettings::SetCloseAfterWash(bool v) { CloseAfterWash_ = v; WriteBoolOption(kCloseAfterWash, v); }
void TSettings::SetCleanOnMemLimit(bool v) { CleanOnMemLimit_ = v; WriteBoolOption(kCleanOnMemLimit, v); }
void TSettings::SetCleanOnTimer(bool v) { CleanOnTimer_ = v; WriteBoolOption(kCleanOnTimer, v); }
void TSettings::SetShowSplash(bool v) { ShowSplash_ = v; WriteBoolOption(kShowSplash, v); }
void TSettings::SetStartInTray(bool v) { StartInTray_ = v; WriteBoolOption(kStartInTray, v); }
void TSettings::SetAutoRefreshInterval(int32_t v) { AutoRefreshInterval_ = v; WriteIntOption(kAutoRefreshInterval, v); }
void TSettings::SetCleanEveryMinutes(int32_t v) { CleanEveryMinutes_ = v; WriteIntOption(kCleanEveryMinutes, v); }
void TSettings::SetCleanMemLimit(int32_t v) { CleanMemLimit_ = v; WriteIntOption(kCleanMemLimit, v); }

void TSettings::SetLoadAtWindowsStartup(bool v) {
    LoadAtWindowsStartup_ = v;
    TRegistry run(KEY_READ | KEY_WRITE);
    run.SetRootKey(HKEY_CURRENT_USER);
    if (run.OpenKey(kRunKeyPath, false) != ERROR_SUCCESS) return;
    if (v)
        run.WriteString(kRunValueName, ModuleFileName());
    else if (run.ValueExists(kRunValueName))
        run.DeleteValue(kRunValueName);
}

}  // namespace qv
