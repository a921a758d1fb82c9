// The registry accessor both programs use: one root, at most one open key at a time.
// Every call returns the registry's own status (LSTATUS); reads of the wrong data type
// return ERROR_INVALID_DATATYPE and leave the output untouched.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "common/core/Handles.h"

namespace qv {

class TRegistry {
public:
    // access: the rights used by OpenKey (OpenKeyReadOnly always asks for KEY_READ).
    explicit TRegistry(REGSAM access = KEY_READ | KEY_WRITE);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    // The root starts as HKEY_CURRENT_USER; changing it closes the open key.
    HKEY RootKey() const { return root_; }
    void SetRootKey(HKEY root);

    // Paths are below the root; a leading backslash is allowed and means the same.
    // Opening closes the key that was open before, also when the new one fails to open.
    LSTATUS OpenKey(const std::string& path, bool canCreate);
    LSTATUS OpenKeyReadOnly(const std::string& path);
    void CloseKey();
    HKEY CurrentKey() const { return key_.get(); }
    bool KeyExists(const std::string& path) const;

    bool ValueExists(const std::string& name) const;
    LSTATUS GetDataType(const std::string& name, DWORD& type) const;
    // Value names in the registry's enumeration order.
    LSTATUS GetValueNames(std::vector<std::string>& names) const;

    // A boolean is a REG_DWORD, true when not 0; written as 0 or 1.
    LSTATUS ReadBool(const std::string& name, bool& value) const;
    LSTATUS WriteBool(const std::string& name, bool value);
    // A signed 32-bit REG_DWORD.
    LSTATUS ReadInteger(const std::string& name, int32_t& value) const;
    LSTATUS WriteInteger(const std::string& name, int32_t value);
    // REG_SZ or REG_EXPAND_SZ, read unexpanded; a missing terminating NUL is tolerated.
    LSTATUS ReadString(const std::string& name, std::string& value) const;
    LSTATUS WriteString(const std::string& name, const std::string& value);        // REG_SZ
    LSTATUS WriteExpandString(const std::string& name, const std::string& value);  // REG_EXPAND_SZ

    LSTATUS DeleteValue(const std::string& name);
    // Deletes the key below the root with all its subkeys (closes the open key when it is that one).
    LSTATUS DeleteKey(const std::string& path);

private:
    static std::string Relative(const std::string& path);
    LSTATUS QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const;

    REGSAM access_;
    HKEY root_ = HKEY_CURRENT_USER;
    RegKey key_;
    std::string keyPath_;
};

}  // namespace qv
