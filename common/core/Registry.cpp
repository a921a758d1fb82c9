#include "common/core/Registry.h"

#include <cstring>

#include "common/core/Text.h"

namespace qv {

TRegistry::TRegistry(REGSAM access) : access_(access) {}

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    root_ = root;
}

std::string TRegistry::Relative(const std::string& path) {
    size_t b = 0;
    while (b < path.size() && path[b] == '\\') ++b;
    return path.substr(b);
}

LSTATUS TRegistry::OpenKey(const std::string& path, bool canCreate) {
    CloseKey();
    std::string rel = Relative(path);
    HKEY h = nullptr;
    LSTATUS st;
    if (canCreate)
        st = ::RegCreateKeyExA(root_, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                               &h, nullptr);
    else
        st = ::RegOpenKeyExA(root_, rel.c_str(), 0, access_, &h);
    if (st == ERROR_SUCCESS) {
        key_.reset(h);
        keyPath_ = rel;
    }
    return st;
}

LSTATUS TRegistry::OpenKeyReadOnly(const std::string& path) {
    CloseKey();
    std::string rel = Relative(path);
    HKEY h = nullptr;
    LSTATUS st = ::RegOpenKeyExA(root_, rel.c_str(), 0, KEY_READ, &h);
    if (st == ERROR_SUCCESS) {
        key_.reset(h);
        keyPath_ = rel;
    }
    return st;
}

void TRegistry::CloseKey() {
    key_.reset();
    keyPath_.clear();
}

bool TRegistry::KeyExists(const std::string& path) const {
    HKEY h = nullptr;
    if (::RegOpenKeyExA(root_, Relative(path).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    ::RegCloseKey(h);
    return true;
}

LSTATUS TRegistry::GetDataType(const std::string& name, DWORD& type) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, nullptr);
}

bool TRegistry::ValueExists(const std::string& name) const {
    DWORD type = 0;
    return GetDataType(name, type) == ERROR_SUCCESS;
}

LSTATUS TRegistry::GetValueNames(std::vector<std::string>& names) const {
    names.clear();
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD count = 0, maxLen = 0;
    LSTATUS st = ::RegQueryInfoKeyA(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                    &maxLen, nullptr, nullptr, nullptr);
    if (st != ERROR_SUCCESS) return st;
    std::vector<char> buf(maxLen + 2);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        st = ::RegEnumValueA(key_.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (st == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (st == ERROR_MORE_DATA) {  // another program added a longer name meanwhile
            buf.resize(buf.size() * 2 + 256);
            --i;
            continue;
        }
        if (st != ERROR_SUCCESS) return st;
        names.emplace_back(buf.data(), len);
    }
}

LSTATUS TRegistry::QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const {
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD size = 0;
    LSTATUS st = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, nullptr, &size);
    for (int tries = 0; st == ERROR_SUCCESS && tries < 8; ++tries) {
        data.resize(size);
        DWORD got = size;
        st = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type, size ? data.data() : nullptr, &got);
        if (st == ERROR_MORE_DATA) {  // grew between the two calls
            size = got > size ? got : size * 2 + 16;
            st = ERROR_SUCCESS;
            continue;
        }
        if (st == ERROR_SUCCESS) data.resize(got);
        return st;
    }
    return st == ERROR_SUCCESS ? ERROR_MORE_DATA : st;
}

LSTATUS TRegistry::ReadInteger(const std::string& name, int32_t& value) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    LSTATUS st = QueryRaw(name, type, data);
    if (st != ERROR_SUCCESS) return st;
    if (type != REG_DWORD || data.size() != sizeof(DWORD)) return ERROR_INVALID_DATATYPE;
    DWORD v;
    memcpy(&v, data.data(), sizeof v);
    value = static_cast<int32_t>(v);
    return ERROR_SUCCESS;
}

LSTATUS TRegistry::ReadBool(const std::string& name, bool& value) const {
    int32_t v = 0;
    LSTATUS st = ReadInteger(name, v);
    if (st == ERROR_SUCCESS) value = v != 0;
    return st;
}

LSTATUS TRegistry::ReadString(const std::string& name, std::string& value) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    LSTATUS st = QueryRaw(name, type, data);
    if (st != ERROR_SUCCESS) return st;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATATYPE;
    size_t n = data.size();
    while (n > 0 && data[n - 1] == 0) --n;  // one or more terminating NULs, or none at all
    value.assign(reinterpret_cast<const char*>(data.data()), n);
    return ERROR_SUCCESS;
}

LSTATUS TRegistry::WriteInteger(const std::string& name, int32_t value) {
    if (!key_) return ERROR_INVALID_HANDLE;
    DWORD v = static_cast<DWORD>(value);
    return ::RegSetValueExA(key_.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

LSTATUS TRegistry::WriteBool(const std::string& name, bool value) { return WriteInteger(name, value ? 1 : 0); }

static LSTATUS WriteText(HKEY key, const std::string& name, const std::string& value, DWORD type) {
    if (!key) return ERROR_INVALID_HANDLE;
    return ::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
}

LSTATUS TRegistry::WriteString(const std::string& name, const std::string& value) {
    return WriteText(key_.get(), name, value, REG_SZ);
}

LSTATUS TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    return WriteText(key_.get(), name, value, REG_EXPAND_SZ);
}

LSTATUS TRegistry::DeleteValue(const std::string& name) {
    if (!key_) return ERROR_INVALID_HANDLE;
    return ::RegDeleteValueA(key_.get(), name.c_str());
}

// RegDeleteTree is Vista and later, and RegDeleteKey on the NT family refuses keys that have
// subkeys: delete the subkeys first, deepest first.
static LSTATUS DeleteTree(HKEY parent, const std::string& path) {
    HKEY h = nullptr;
    LSTATUS st = ::RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ | KEY_WRITE, &h);
    if (st != ERROR_SUCCESS) return st;
    RegKey key(h);
    char name[512];
    for (;;) {
        DWORD len = sizeof name;
        st = ::RegEnumKeyExA(key.get(), 0, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (st == ERROR_NO_MORE_ITEMS) break;
        if (st != ERROR_SUCCESS) return st;
        st = DeleteTree(key.get(), std::string(name, len));
        if (st != ERROR_SUCCESS) return st;
    }
    key.reset();
    return ::RegDeleteKeyA(parent, path.c_str());
}

LSTATUS TRegistry::DeleteKey(const std::string& path) {
    std::string rel = Relative(path);
    if (rel.empty()) return ERROR_INVALID_PARAMETER;  // never the root itself
    if (key_ && SameTextAscii(keyPath_, rel)) CloseKey();
    return DeleteTree(root_, rel);
}

}  // namespace qv
