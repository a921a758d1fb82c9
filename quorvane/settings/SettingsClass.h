// The main program's options, kept under the options key and written through on every change,
// and the program's own auto-start value under the current user's Run key.
#pragma once
#include <windows.h>
#include <cstdint>
#include <memory>
#include <string>

#include "common/core/Registry.h"

namespace qv {

// Where the installer puts the options; the main program never creates this key.
extern const char* const kOptionsKeyPath;          // below HKEY_LOCAL_MACHINE
extern const char* const kRunKeyPath;              // below HKEY_CURRENT_USER
extern const char* const kRunValueName;            // "Quorvane"

class TSettings {
public:
    TSettings();
    TSettings(const TSettings&) = delete;
    TSettings& operator=(const TSettings&) = delete;

    HKEY RootKey() const { return RootKey_; }
    void SetRootKey(HKEY root);
    const std::string& SettingsKey() const { return SettingsKey_; }
    void SetSettingsKey(const std::string& path) { SettingsKey_ = path; }

    // Reads every option; a missing value gets its default, which is written back.
    // A missing or unwritable options key leaves every option as it is and writes nothing.
    void Load();

    bool CloseAfterWash() const { return CloseAfterWash_; }
    bool CleanOnMemLimit() const { return CleanOnMemLimit_; }
    bool CleanOnTimer() const { return CleanOnTimer_; }
    bool ShowSplash() const { return ShowSplash_; }
    int32_t AutoRefreshInterval() const { return AutoRefreshInterval_; }
    bool StartInTray() const { return StartInTray_; }
    bool LoadAtWindowsStartup() const { return LoadAtWindowsStartup_; }
    int32_t CleanEveryMinutes() const { return CleanEveryMinutes_; }
    int32_t CleanMemLimit() const { return CleanMemLimit_; }

    // Each setter keeps the value and writes it under the options key when that key opens.
    void SetCloseAfterWash(bool v);
    void SetCleanOnMemLimit(bool v);
    void SetCleanOnTimer(bool v);
    void SetShowSplash(bool v);
    void SetAutoRefreshInterval(int32_t v);
    void SetStartInTray(bool v);
    void SetCleanEveryMinutes(int32_t v);
    void SetCleanMemLimit(int32_t v);
    // Writes (true) or deletes (false) the Run value holding this executable's full path.
    void SetLoadAtWindowsStartup(bool v);

private:
    void WriteBoolOption(const char* name, bool v);
    void WriteIntOption(const char* name, int32_t v);

    std::unique_ptr<TRegistry> Registry_;
    HKEY RootKey_ = nullptr;
    std::string SettingsKey_;
    bool CloseAfterWash_ = false;
    bool CleanOnMemLimit_ = false;
    bool CleanOnTimer_ = false;
    bool ShowSplash_ = false;
    int32_t AutoRefreshInterval_ = 0;
    bool StartInTray_ = false;
    bool LoadAtWindowsStartup_ = false;
    int32_t CleanEveryMinutes_ = 0;
    int32_t CleanMemLimit_ = 0;
};

}  // namespace qv
