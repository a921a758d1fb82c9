#include "tidewell/proxy/ApplyProxy.h"

#include "common/core/Text.h"

namespace qv {

bool ProxyPortFromText(const std::string& text, int& port) {
    std::string digits = Trim(text);
    if (digits.empty() || digits.size() > 5) return false;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

void ApplyProxySettings(const TProxyState& state, THttpClient& client) {
    if (state.UseProxy) {
        int port = 0;  // outside 1-65535: the client refuses to connect
        ProxyPortFromText(state.Port, port);
        client.SetProxy(state.Address, port);
    }
    if (state.UseAuth) client.SetProxyCredentials(state.UserName, state.Password);
}

}  // namespace qv
