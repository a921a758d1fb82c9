// Tests use the real registry and leave it as they found it: a snapshot of a key's whole
// tree is taken on construction and put back (or the key removed again) on destruction.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace qv::test {

struct KeyTree {
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::string, KeyTree>> subkeys;
};

class RegistrySnapshot {
public:
    RegistrySnapshot(HKEY root, std::string path);
    ~RegistrySnapshot();
    RegistrySnapshot(const RegistrySnapshot&) = delete;
    RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;

private:
    HKEY root_;
    std::string path_;
    bool existed_;
    KeyTree tree_;
};

// Removes the key with its subkeys (no error when it is not there).
void DeleteKeyTree(HKEY root, const std::string& path);
// Creates the key (and its parents) when it is missing.
void CreateKey(HKEY root, const std::string& path);

}  // namespace qv::test
