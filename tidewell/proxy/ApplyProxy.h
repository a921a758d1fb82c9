// Hands the live proxy configuration to a worker's HTTP client, right after the worker has
// made the client and before its first request.
#pragma once
#include <string>

#include "common/http/HttpClient.h"
#include "tidewell/proxy/ProxyState.h"

namespace qv {

// The port field's text as a TCP port: a whole number by the dialog's own rule (TryStrToInt)
// that is also a port, 1 to 65535.
bool ProxyPortFromText(const std::string& text, int& port);

// With UseProxy, the proxy host and port; with UseAuth, the proxy user name and password; nothing
// else of the client changes. A ticked proxy box with a port text that is no usable port leaves
// the client unable to connect (every request fails as a connection failure): the worker then
// reports its connection error instead of going round the proxy the user asked for.
void ApplyProxySettings(const TProxyState& state, THttpClient& client);

}  // namespace qv
