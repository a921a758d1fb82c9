// The five Run keys for the page tests: emptied while a test runs and put back exactly as
// found afterwards, and what another program does to them.
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/core/Registry.h"
#include "quorvane/startup/StartupClass.h"
#include "tests/support/RegistrySnapshot.h"

namespace qv::test {

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

inline void EmptyRunKeys() {
    for (const TRunKey& k : kStartupRunKeys) {
        CreateKey(RootHandle(k.Root), k.Key + 1);
        TRegistry reg;
        reg.SetRootKey(RootHandle(k.Root));
        if (reg.OpenKey(k.Key, false) != ERROR_SUCCESS) continue;
        std::vector<std::string> names;
        reg.GetValueNames(names);
        for (const auto& n : names) reg.DeleteValue(n);
    }
}

// Snapshots of the five keys, taken first; the keys are then emptied.
class EmptiedRunKeys {
public:
    EmptiedRunKeys() {
        for (size_t i = 0; i < keep_.size(); ++i)
            keep_[i] = std::make_unique<RegistrySnapshot>(RootHandle(kStartupRunKeys[i].Root), kStartupRunKeys[i].Key + 1);
        EmptyRunKeys();
    }

private:
    std::array<std::unique_ptr<RegistrySnapshot>, 5> keep_;
};

inline void WriteRun(HKEY root, const std::string& name, const std::string& text, DWORD type = REG_SZ) {
    HKEY k;
    if (RegOpenKeyExA(root, kRun.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(k);
}
inline void RemoveRun(HKEY root, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, kRun.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name.c_str());
    RegCloseKey(k);
}
// The value's type and text; REG_NONE when it is not there.
inline std::pair<DWORD, std::string> ReadRun(HKEY root, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, kRun.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return {REG_NONE, ""};
    char buf[512] = "";
    DWORD type = REG_NONE, size = sizeof buf - 1;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
        type = REG_NONE;
    RegCloseKey(k);
    return {type, buf};
}

}  // namespace qv::test
