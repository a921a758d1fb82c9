#include "tidewell/proxy/ProxySettings.h"

#include "common/core/Convert.h"
#include "common/core/Registry.h"
#include "tidewell/UpdaterKeys.h"
#include "tidewell/proxy/Encryption.h"

namespace qv {

ERegistryWriteError::ERegistryWriteError(const std::string& valueName)
    : std::runtime_error("Failed to set data for '" + valueName + "'"), valueName_(valueName) {}

namespace {

bool StoredFlag(const TRegistry& reg, const char* name) {
    bool value = false;
    return reg.ReadBool(name, value) == ERROR_SUCCESS && value;
}

std::string StoredText(const TRegistry& reg, const char* name) {
    std::string value;
    reg.ReadString(name, value);  // missing or not text: stays empty
    return value;
}

void Check(LSTATUS status, const char* name) {
    if (status != ERROR_SUCCESS) throw ERegistryWriteError(name);
}

}  // namespace

bool LoadProxySettings(TProxyState& state) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (reg.OpenKeyReadOnly(kTidewellKeyPath) != ERROR_SUCCESS) return false;
    if (StoredFlag(reg, "Proxy")) {
        state.UseProxy = true;
        state.Address = StoredText(reg, "ProxyAddress");
        state.Port = StoredText(reg, "ProxyPort");
    }
    if (StoredFlag(reg, "Auth")) {
        state.UseAuth = true;
        state.UserName = StoredText(reg, "UserName");
        state.Password = DecryptText(StoredText(reg, "Password"), kPassPhrase);
    }
    return true;
}

void SaveProxySettings(const TProxyState& state) {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    // When the key does not open, the first write fails for want of a key and names Proxy.
    reg.OpenKey(kTidewellKeyPath, true);
    Check(reg.WriteBool("Proxy", state.UseProxy), "Proxy");
    if (state.UseProxy) StrToIntStrict(state.Port);
    Check(reg.WriteString("ProxyAddress", state.Address), "ProxyAddress");
    Check(reg.WriteString("ProxyPort", state.Port), "ProxyPort");
    Check(reg.WriteBool("Auth", state.UseAuth), "Auth");
    Check(reg.WriteString("UserName", state.UserName), "UserName");
    Check(reg.WriteString("Password", EncryptText(state.Password, kPassPhrase)), "Password");
}

}  // namespace qv
