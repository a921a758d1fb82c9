// The settings dialog's registry side: what it loads when it is created and what Apply and OK
// store. The dialog keeps a TProxyState and shows the errors these throw.
#pragma once
#include <stdexcept>
#include <string>

#include "tidewell/proxy/ProxyState.h"

namespace qv {

// A value that could not be stored; the message names it: Failed to set data for 'Proxy'.
class ERegistryWriteError : public std::runtime_error {
public:
    explicit ERegistryWriteError(const std::string& valueName);
    const std::string& ValueName() const noexcept { return valueName_; }

private:
    std::string valueName_;
};

// Fills state from the Tidewell key, read-only. Each box is ticked when its flag is stored as
// true, and only then are its fields filled (the password decrypted); a field whose box stays
// unticked keeps what state held. A value of another type than expected counts as missing.
// Returns false, state untouched, when the key cannot be opened.
bool LoadProxySettings(TProxyState& state);

// Stores all six values, in this order: Proxy; then, with the proxy box ticked, the port must
// be a whole number (StrToIntStrict), else EConvertError and nothing more is written;
// ProxyAddress, ProxyPort, Auth, UserName, Password (encrypted). The key is created when
// missing. A key that cannot be opened for writing fails at the first value, Proxy, with
// ERegistryWriteError, having stored nothing; a later value that fails ends the save there.
void SaveProxySettings(const TProxyState& state);

}  // namespace qv
