#include "tidewell/proxy/ApplyProxy.h"

#include "common/core/Convert.h"

namespace qv {

bool ProxyPortFromText(const std::string& text, int& port) {
    int32_t value = 0;
    if (!TryStrToInt(text, value) || value < 1 || value > 65535) return false;
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
