// The updater's live proxy configuration: what the settings dialog shows (its two boxes and
// four fields). The workers take a copy when they start; the dialog's window code keeps it.
#pragma once
#include <string>

namespace qv {

struct TProxyState {
    bool UseProxy = false;      // "Use a proxy server for HTTP connections "
    std::string Address;        // proxy host
    std::string Port;           // the port field's text as typed
    bool UseAuth = false;       // "Authorization required to connect through my firewall or proxy server"
    std::string UserName;
    std::string Password;       // plain text while the program runs; stored encrypted
};

}  // namespace qv
