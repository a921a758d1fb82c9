// Takes write access to a registry key away for the length of a test (a DACL that lets
// everyone read it and nothing more) and puts the key's own security back afterwards.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace qv::test {

class ReadOnlyKey {
public:
    // Creates the key when it is missing.
    ReadOnlyKey(HKEY root, const std::string& path) : root_(root), path_(path) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | WRITE_DAC, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return;
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        if (size && RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data(), &size) == ERROR_SUCCESS) {
            SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
            PSID everyone = nullptr;
            AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
            BYTE aclBuffer[256];
            auto* acl = reinterpret_cast<PACL>(aclBuffer);
            InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
            AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone);
            SECURITY_DESCRIPTOR sd;
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
            SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
            active_ = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
            FreeSid(everyone);
        }
        RegCloseKey(key);
    }
    ~ReadOnlyKey() {
        if (!active_) return;
        HKEY key = nullptr;  // the owner may always change the DACL
        if (RegOpenKeyExA(root_, path_.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_.data());
            RegCloseKey(key);
        }
    }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;

    // Whether the key really refuses writing now.
    bool Active() const {
        HKEY key = nullptr;
        if (!active_ || RegOpenKeyExA(root_, path_.c_str(), 0, KEY_WRITE, &key) != ERROR_ACCESS_DENIED) {
            if (key) RegCloseKey(key);
            return false;
        }
        return true;
    }

private:
    HKEY root_;
    std::string path_;
    std::vector<BYTE> saved_;
    bool active_ = false;
};

}  // namespace qv::test
