#include "tests/support/RegistrySnapshot.h"

#include "common/core/Registry.h"

namespace qv::test {

static bool Read(HKEY key, KeyTree& tree) {
    char name[16384];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name, type = 0, size = 0;
        LSTATUS st = RegEnumValueA(key, i, name, &len, nullptr, &type, nullptr, &size);
        if (st != ERROR_SUCCESS) break;
        KeyTree::Value v{std::string(name, len), type, std::vector<BYTE>(size)};
        DWORD got = size;
        RegQueryValueExA(key, v.name.c_str(), nullptr, &v.type, size ? v.data.data() : nullptr, &got);
        v.data.resize(got);
        tree.values.push_back(std::move(v));
    }
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        KeyTree child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            Read(sub, child);
            RegCloseKey(sub);
        }
        tree.subkeys.emplace_back(std::string(name, len), std::move(child));
    }
    return true;
}

static void Write(HKEY key, const KeyTree& tree) {
    for (const auto& v : tree.values)
        RegSetValueExA(key, v.name.c_str(), 0, v.type, v.data.empty() ? nullptr : v.data.data(),
                       static_cast<DWORD>(v.data.size()));
    for (const auto& [name, child] : tree.subkeys) {
        HKEY sub = nullptr;
        if (RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) ==
            ERROR_SUCCESS) {
            Write(sub, child);
            RegCloseKey(sub);
        }
    }
}

void DeleteKeyTree(HKEY root, const std::string& path) {
    TRegistry reg;
    reg.SetRootKey(root);
    reg.DeleteKey(path);
}

void CreateKey(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS)
        RegCloseKey(key);
}

RegistrySnapshot::RegistrySnapshot(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
    HKEY key = nullptr;
    existed_ = RegOpenKeyExA(root_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (existed_) {
        Read(key, tree_);
        RegCloseKey(key);
    }
}

RegistrySnapshot::~RegistrySnapshot() {
    DeleteKeyTree(root_, path_);
    if (!existed_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        Write(key, tree_);
        RegCloseKey(key);
    }
}

}  // namespace qv::test
