// Puts one registry value back as it was: for values in keys too large to copy whole, or in
// volatile keys (HKLM\HARDWARE), which a whole-tree snapshot could not create again.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace qv::test {

class ValueSnapshot {
public:
    // The key must exist; it is opened, never created.
    ValueSnapshot(HKEY root, const std::string& path, std::string name) : name_(std::move(name)) {
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        existed_ = RegQueryValueExA(key_, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        data_.resize(size);
        if (existed_) {
            RegQueryValueExA(key_, name_.c_str(), nullptr, &type_, size ? data_.data() : nullptr, &size);
            data_.resize(size);
        }
    }
    ~ValueSnapshot() {
        if (!key_) return;
        if (existed_)
            RegSetValueExA(key_, name_.c_str(), 0, type_, data_.empty() ? nullptr : data_.data(),
                           static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueA(key_, name_.c_str());
        RegCloseKey(key_);
    }
    ValueSnapshot(const ValueSnapshot&) = delete;
    ValueSnapshot& operator=(const ValueSnapshot&) = delete;

    bool KeyOpened() const { return key_ != nullptr; }

private:
    std::string name_;
    HKEY key_ = nullptr;
    bool existed_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

}  // namespace qv::test
