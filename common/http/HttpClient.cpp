// Winsock 2 must come before windows.h, which our header includes.
#include <winsock2.h>

#include "common/http/HttpClient.h"

#include <wininet.h>

#include <cstring>
#include <vector>

#include "common/core/OSError.h"
#include "common/core/Text.h"

namespace qv {

namespace {

// WinInet gets this much longer than the caller's time-outs, so that our own watchdog is what
// ends a silent request: WinInet reports such an end under several codes (a reset connection
// among them), the watchdog always as a time-out. WinInet's longer limit still bounds the
// transport thread that is left behind.
const DWORD kInetGrace = 500;

DWORD AddSaturated(DWORD a, DWORD b) {
    return (a >= INFINITE - b) ? INFINITE - 1 : a + b;
}

std::string SocketErrorText(int code);

std::string InetErrorText(DWORD code) {
    // Some WinInet builds pass Winsock's codes straight through.
    if (code >= WSABASEERR && code < WSABASEERR + 2000) return SocketErrorText(static_cast<int>(code));
    std::string text;
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        DWORD detail = 0, size = 0;
        ::InternetGetLastResponseInfoA(&detail, nullptr, &size);
        if (size) {
            std::vector<char> buf(size + 1);
            size = static_cast<DWORD>(buf.size());
            if (::InternetGetLastResponseInfoA(&detail, buf.data(), &size)) text.assign(buf.data(), size);
        }
    } else if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
        char* msg = nullptr;
        DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   ::GetModuleHandleA("wininet.dll"), code, 0,
                                   reinterpret_cast<char*>(&msg), 0, nullptr);
        if (n && msg) {
            text.assign(msg, n);
            ::LocalFree(msg);
        }
    } else {
        text = SysErrorMessage(code);
    }
    text = Trim(text);
    while (!text.empty() && text.back() == '.') text.pop_back();
    if (text.empty()) text = "Internet error";
    return text + " (" + UIntToStr(code) + ")";
}

THttpError KindOfInetError(DWORD code) {
    switch (code) {
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:
        return THttpError::Timeout;
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case WSAECONNREFUSED:
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH:
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
        return THttpError::Connect;
    default:
        return THttpError::Transfer;
    }
}

struct InetHandle {
    HINTERNET h = nullptr;
    InetHandle() = default;
    explicit InetHandle(HINTERNET v) : h(v) {}
    ~InetHandle() {
        if (h) ::InternetCloseHandle(h);
    }
    InetHandle(const InetHandle&) = delete;
    InetHandle& operator=(const InetHandle&) = delete;
};

enum class TJob { Probe, Head, Get };
enum class TPosted { Headers, Chunk, Done };

// One request, shared by the caller and its transport thread; whichever lets go last frees it.
// The mailbox fields are written by the transport thread before it sets `posted` and read by
// the caller before it sets `taken`, so the two never touch them at the same time.
struct TTransfer {
    LONG refs = 2;
    HANDLE posted = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE taken = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE left = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);  // the caller is gone

    // What to do, fixed before the thread starts.
    TJob job = TJob::Probe;
    std::string agent, host, path, proxy, proxyUser, proxyPassword;
    int port = 80;
    THttpTimeouts timeouts;

    // Mailbox.
    TPosted what = TPosted::Done;
    THttpResponse response;
    std::string statusLine;
    std::vector<char> buffer;
    DWORD filled = 0;
    bool failed = false;
    THttpError errorKind = THttpError::Transfer;
    DWORD errorCode = 0;
    std::string errorText;

    bool EventsMade() const { return posted && taken && left; }
    ~TTransfer() {
        if (posted) ::CloseHandle(posted);
        if (taken) ::CloseHandle(taken);
        if (left) ::CloseHandle(left);
    }
};

void Release(TTransfer* t) {
    if (::InterlockedDecrement(&t->refs) == 0) delete t;
}

// Transport side. Returns whether the caller wants more.
bool Post(TTransfer& t, TPosted what) {
    t.what = what;
    ::SetEvent(t.posted);
    if (what == TPosted::Done) return false;
    HANDLE waits[2] = {t.taken, t.left};
    return ::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
}

void Fail(TTransfer& t, THttpError kind, DWORD code, const std::string& text) {
    t.failed = true;
    t.errorKind = kind;
    t.errorCode = code;
    t.errorText = text;
    Post(t, TPosted::Done);
}

void FailInet(TTransfer& t, DWORD code) { Fail(t, KindOfInetError(code), code, InetErrorText(code)); }

// A blocking WinInet call failed after `started`. When the server had been silent for the whole
// receive time-out, WinInet's own time-out ended it, whatever code it gives (some builds say the
// connection was terminated): report it as the time-out it is.
void FailInetCall(TTransfer& t, DWORD code, DWORD started) {
    if (code == ERROR_INTERNET_CONNECTION_ABORTED && ::GetTickCount() - started >= t.timeouts.Receive)
        return Fail(t, THttpError::Timeout, code, InetErrorText(ERROR_INTERNET_TIMEOUT));
    FailInet(t, code);
}

std::string SocketErrorText(int code) {
    std::string text = Trim(SysErrorMessage(static_cast<DWORD>(code)));
    while (!text.empty() && text.back() == '.') text.pop_back();
    return "Socket Error # " + IntToStr(code) + (text.empty() ? "" : ": " + text);
}

void FailSocket(TTransfer& t, int code) {
    THttpError kind = KindOfInetError(static_cast<DWORD>(code));
    if (kind == THttpError::Transfer) kind = THttpError::Connect;
    Fail(t, kind, static_cast<DWORD>(code), SocketErrorText(code));
}

// A plain TCP connection to host:port, closed again at once.
void Probe(TTransfer& t) {
    WSADATA wsa;
    int rc = ::WSAStartup(MAKEWORD(2, 0), &wsa);
    if (rc != 0) return FailSocket(t, rc);
    struct Cleanup {
        SOCKET s = INVALID_SOCKET;
        ~Cleanup() {
            if (s != INVALID_SOCKET) ::closesocket(s);
            ::WSACleanup();
        }
    } c;

    unsigned long addr = ::inet_addr(t.host.c_str());
    if (addr == INADDR_NONE) {
        hostent* he = ::gethostbyname(t.host.c_str());
        if (!he || he->h_addrtype != AF_INET || !he->h_addr_list[0]) {
            int err = ::WSAGetLastError();
            return Fail(t, THttpError::Connect, static_cast<DWORD>(err),
                        "Cannot resolve host name " + t.host + " (" + IntToStr(err) + ")");
        }
        std::memcpy(&addr, he->h_addr_list[0], sizeof addr);
    }
    c.s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (c.s == INVALID_SOCKET) return FailSocket(t, ::WSAGetLastError());
    u_long nonBlocking = 1;
    ::ioctlsocket(c.s, FIONBIO, &nonBlocking);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = ::htons(static_cast<u_short>(t.port));
    sa.sin_addr.s_addr = addr;
    if (::connect(c.s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == SOCKET_ERROR) {
        int err = ::WSAGetLastError();
        if (err != WSAEWOULDBLOCK) return FailSocket(t, err);
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(c.s, &writable);
        FD_SET(c.s, &failed);
        timeval tv;
        tv.tv_sec = static_cast<long>(t.timeouts.Connect / 1000);
        tv.tv_usec = static_cast<long>(t.timeouts.Connect % 1000) * 1000;
        int n = ::select(0, nullptr, &writable, &failed, &tv);
        if (n == 0) return FailSocket(t, WSAETIMEDOUT);
        if (n == SOCKET_ERROR) return FailSocket(t, ::WSAGetLastError());
        int soError = 0;
        int len = sizeof soError;
        ::getsockopt(c.s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len);
        if (FD_ISSET(c.s, &failed) || soError != 0) return FailSocket(t, soError ? soError : WSAECONNREFUSED);
    }
    Post(t, TPosted::Done);
}

void SetTimeouts(HINTERNET h, const THttpTimeouts& to) {
    DWORD connect = to.Connect, send = AddSaturated(to.Send, kInetGrace),
          receive = AddSaturated(to.Receive, kInetGrace), retries = 1;
    ::InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    ::InternetSetOptionA(h, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    ::InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof send);
    ::InternetSetOptionA(h, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof send);
    ::InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    ::InternetSetOptionA(h, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

std::string QueryText(HINTERNET req, DWORD what) {
    char buf[1024];
    DWORD size = sizeof buf;
    if (!::HttpQueryInfoA(req, what, buf, &size, nullptr)) return {};
    return std::string(buf, size);
}

// A Content-Length that is no plain decimal number counts as absent.
int64_t ParseLength(const std::string& text) {
    std::string s = Trim(text);
    if (s.empty() || s.size() > 18) return -1;
    int64_t v = 0;
    for (char ch : s) {
        if (ch < '0' || ch > '9') return -1;
        v = v * 10 + (ch - '0');
    }
    return v;
}

void Fetch(TTransfer& t) {
    InetHandle session(::InternetOpenA(t.agent.c_str(),
                                       t.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY,
                                       t.proxy.empty() ? nullptr : t.proxy.c_str(), nullptr, 0));
    if (!session.h) return FailInet(t, ::GetLastError());
    SetTimeouts(session.h, t.timeouts);
    InetHandle connection(::InternetConnectA(session.h, t.host.c_str(), static_cast<INTERNET_PORT>(t.port),
                                             nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.h) return FailInet(t, ::GetLastError());
    if (!t.proxyUser.empty() || !t.proxyPassword.empty()) {
        ::InternetSetOptionA(connection.h, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>(t.proxyUser.c_str()),
                             static_cast<DWORD>(t.proxyUser.size() + 1));
        ::InternetSetOptionA(connection.h, INTERNET_OPTION_PROXY_PASSWORD,
                             const_cast<char*>(t.proxyPassword.c_str()),
                             static_cast<DWORD>(t.proxyPassword.size() + 1));
    }
    // Always from the server: an update list or file from a cache would defeat the check.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_KEEP_CONNECTION;
    const char* accept[] = {"*/*", nullptr};
    InetHandle request(::HttpOpenRequestA(connection.h, t.job == TJob::Head ? "HEAD" : "GET", t.path.c_str(),
                                          nullptr, nullptr, accept, flags, 0));
    if (!request.h) return FailInet(t, ::GetLastError());
    SetTimeouts(request.h, t.timeouts);
    DWORD started = ::GetTickCount();
    if (!::HttpSendRequestA(request.h, nullptr, 0, nullptr, 0)) {
        DWORD err = ::GetLastError();
        return FailInetCall(t, err, started);
    }

    DWORD status = 0, size = sizeof status;
    if (!::HttpQueryInfoA(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return FailInet(t, ::GetLastError());
    t.response.StatusCode = static_cast<int>(status);
    t.response.ContentLength = ParseLength(QueryText(request.h, HTTP_QUERY_CONTENT_LENGTH));
    std::string version = QueryText(request.h, HTTP_QUERY_VERSION);
    t.statusLine = (version.empty() ? "HTTP/1.1" : version) + " " + IntToStr(status);
    std::string reason = QueryText(request.h, HTTP_QUERY_STATUS_TEXT);
    if (!reason.empty()) t.statusLine += " " + reason;
    if (!Post(t, TPosted::Headers) || t.job == TJob::Head) return;

    DWORD piece = kHttpMinPiece;
    for (;;) {
        if (t.buffer.size() < piece) t.buffer.resize(piece);
        DWORD got = 0;
        started = ::GetTickCount();
        if (!::InternetReadFile(request.h, t.buffer.data(), piece, &got)) {
            DWORD err = ::GetLastError();
            return FailInetCall(t, err, started);
        }
        if (got == 0) break;
        piece = NextHttpPiece(piece, ::GetTickCount() - started);
        t.filled = got;
        if (!Post(t, TPosted::Chunk)) return;
    }
    Post(t, TPosted::Done);
}

DWORD WINAPI TransportThread(void* arg) {
    TTransfer* t = static_cast<TTransfer*>(arg);
    try {
        if (t->job == TJob::Probe)
            Probe(*t);
        else
            Fetch(*t);
    } catch (...) {
        // Only allocation can throw here; the caller hears of it as a failed transfer.
        t->failed = true;
        t->errorKind = THttpError::Transfer;
        t->errorText = "Out of memory";
        Post(*t, TPosted::Done);
    }
    Release(t);
    return 0;
}

// The caller's hold on a transfer: leaving lets the transport thread finish on its own.
class TTransferHold {
public:
    explicit TTransferHold(TTransfer* t) : t_(t) {}
    ~TTransferHold() {
        ::SetEvent(t_->left);
        Release(t_);
    }
    TTransferHold(const TTransferHold&) = delete;
    TTransferHold& operator=(const TTransferHold&) = delete;
    TTransfer* operator->() const { return t_; }
    TTransfer& operator*() const { return *t_; }

private:
    TTransfer* t_;
};

TTransfer* StartTransport(TTransfer* t) {
    if (!t->EventsMade()) {
        DWORD err = ::GetLastError();
        delete t;
        RaiseOSError(err);
    }
    DWORD id = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, TransportThread, t, 0, &id);
    if (!thread) {
        DWORD err = ::GetLastError();
        delete t;
        RaiseOSError(err);
    }
    ::CloseHandle(thread);
    return t;
}

EHttpError AbortedError() { return EHttpError(THttpError::Aborted, "The request was aborted"); }

// Waits for the next thing the transport posts, for the abort, or for the watchdog.
TPosted Await(TTransfer& t, HANDLE abortEvent, DWORD limit) {
    HANDLE waits[2] = {t.posted, abortEvent};
    DWORD r = ::WaitForMultipleObjects(2, waits, FALSE, limit);
    if (r == WAIT_OBJECT_0) {
        if (t.what == TPosted::Done && t.failed) throw EHttpError(t.errorKind, t.errorText, t.errorCode);
        return t.what;
    }
    if (r == WAIT_OBJECT_0 + 1) throw AbortedError();
    if (r == WAIT_TIMEOUT)
        throw EHttpError(THttpError::Timeout, InetErrorText(ERROR_INTERNET_TIMEOUT), ERROR_INTERNET_TIMEOUT);
    RaiseLastOSError();
}

}  // namespace

DWORD NextHttpPiece(DWORD piece, DWORD tookMs) {
    if (tookMs <= kHttpQuickPieceMs) return piece >= kHttpMaxPiece / 2 ? kHttpMaxPiece : piece * 2;
    if (tookMs >= kHttpSlowPieceMs) return piece <= kHttpMinPiece * 2 ? kHttpMinPiece : piece / 2;
    return piece;
}

THttpAddress ParseHttpAddress(const std::string& address) {
    std::string text = Trim(address);
    if (text.find("://") == std::string::npos) text = "http://" + text;
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    std::vector<char> path(text.size() + 2), extra(text.size() + 2);
    URL_COMPONENTSA uc{};
    uc.dwStructSize = sizeof uc;
    uc.lpszHostName = host;
    uc.dwHostNameLength = sizeof host;
    uc.lpszUrlPath = path.data();
    uc.dwUrlPathLength = static_cast<DWORD>(path.size());
    uc.lpszExtraInfo = extra.data();
    uc.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!::InternetCrackUrlA(text.c_str(), static_cast<DWORD>(text.size()), 0, &uc) ||
        uc.nScheme != INTERNET_SCHEME_HTTP || host[0] == '\0')
        throw EHttpError(THttpError::BadAddress, "Not an HTTP address: " + address);
    THttpAddress a;
    a.Host = host;
    a.Port = uc.nPort ? uc.nPort : INTERNET_DEFAULT_HTTP_PORT;
    a.Path = std::string(path.data()) + extra.data();
    if (a.Path.empty() || a.Path[0] != '/') a.Path = "/" + a.Path;
    return a;
}

void TMemorySink::Write(const char* data, size_t size) {
    if (size > limit_ - data_.size())
        throw EHttpError(THttpError::Transfer, "The response is larger than " + UIntToStr(limit_) + " bytes");
    data_.append(data, size);
}

void TFileSink::Write(const char* data, size_t size) {
    while (size > 0) {
        DWORD done = 0;
        DWORD part = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        if (!::WriteFile(file_, data, part, &done, nullptr)) RaiseLastOSError();
        if (done == 0) RaiseOSError(ERROR_DISK_FULL);
        data += done;
        size -= done;
        written_ += done;
    }
}

THttpClient::THttpClient()
    : agent_("Mozilla/4.0 (compatible)"),
      abortEvent_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      runningEvent_(::CreateEventA(nullptr, TRUE, TRUE, nullptr)) {
    if (!abortEvent_ || !runningEvent_) {
        DWORD err = ::GetLastError();
        if (abortEvent_) ::CloseHandle(abortEvent_);
        if (runningEvent_) ::CloseHandle(runningEvent_);
        RaiseOSError(err);
    }
}

THttpClient::~THttpClient() {
    ::CloseHandle(abortEvent_);
    ::CloseHandle(runningEvent_);
}

void THttpClient::SetProxy(const std::string& host, int port) {
    proxyHost_ = Trim(host);
    proxyPort_ = port;
}

void THttpClient::SetProxyCredentials(const std::string& userName, const std::string& password) {
    proxyUser_ = userName;
    proxyPassword_ = password;
}

void THttpClient::Pause() { ::ResetEvent(runningEvent_); }
void THttpClient::Resume() { ::SetEvent(runningEvent_); }
bool THttpClient::Paused() const { return ::WaitForSingleObject(runningEvent_, 0) != WAIT_OBJECT_0; }
void THttpClient::Abort() { ::SetEvent(abortEvent_); }
bool THttpClient::Aborted() const { return ::WaitForSingleObject(abortEvent_, 0) == WAIT_OBJECT_0; }

void THttpClient::Notify(THttpStatus status, const std::string& text) {
    if (OnStatus) OnStatus(status, text);
}

void THttpClient::CheckUsable() const {
    if (Aborted()) throw AbortedError();
    if (!proxyHost_.empty() && (proxyPort_ < 1 || proxyPort_ > 65535))
        throw EHttpError(THttpError::Connect, "The proxy server's port is not a valid port number");
}

void THttpClient::Connect(const std::string& address) {
    THttpAddress a = ParseHttpAddress(address);
    CheckUsable();
    TTransfer* t = new TTransfer;
    t->job = TJob::Probe;
    t->host = proxyHost_.empty() ? a.Host : proxyHost_;
    t->port = proxyHost_.empty() ? a.Port : proxyPort_;
    t->timeouts = timeouts_;
    TTransferHold hold(StartTransport(t));
    Notify(THttpStatus::Connecting, "Connecting to " + hold->host + ".");
    Await(*hold, abortEvent_, timeouts_.Connect);
    Notify(THttpStatus::Connected, "Connected.");
    Notify(THttpStatus::Disconnected, "Disconnected.");
}

THttpResponse THttpClient::Head(const std::string& url) { return Request(url, nullptr); }

THttpResponse THttpClient::Get(const std::string& url, THttpSink& sink) { return Request(url, &sink); }

THttpResponse THttpClient::Request(const std::string& url, THttpSink* sink) {
    THttpAddress a = ParseHttpAddress(url);
    CheckUsable();
    TTransfer* t = new TTransfer;
    t->job = sink ? TJob::Get : TJob::Head;
    t->agent = agent_;
    t->host = a.Host;
    t->port = a.Port;
    t->path = a.Path;
    if (!proxyHost_.empty()) t->proxy = "http=" + proxyHost_ + ":" + IntToStr(proxyPort_);
    t->proxyUser = proxyUser_;
    t->proxyPassword = proxyPassword_;
    t->timeouts = timeouts_;
    TTransferHold hold(StartTransport(t));
    Notify(THttpStatus::Connecting, "Connecting to " + a.Host + ".");

    DWORD firstLimit = AddSaturated(AddSaturated(timeouts_.Connect, timeouts_.Send), timeouts_.Receive);
    Await(*hold, abortEvent_, firstLimit);  // Headers: failures arrive as Done and throw
    THttpResponse response = hold->response;
    Notify(THttpStatus::Connected, "Connected.");
    if (response.StatusCode < 200 || response.StatusCode > 299)
        throw EHttpError(THttpError::Status, hold->statusLine, 0, response.StatusCode);
    if (!sink) {
        Notify(THttpStatus::Disconnected, "Disconnected.");
        return response;
    }

    const DWORD chunkLimit = timeouts_.Receive;
    int64_t received = 0;
    for (;;) {
        // Paused: the transport thread stays parked until we take its next piece.
        HANDLE waits[2] = {abortEvent_, runningEvent_};
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) throw AbortedError();
        ::SetEvent(hold->taken);
        if (Await(*hold, abortEvent_, chunkLimit) == TPosted::Done) break;
        sink->Write(hold->buffer.data(), hold->filled);
        received += hold->filled;
        if (OnWork) OnWork(received, response.ContentLength);
    }
    if (response.HasContentLength() && received < response.ContentLength)
        throw EHttpError(THttpError::Truncated, "The connection closed after " + IntToStr(received) +
                                                    " of " + IntToStr(response.ContentLength) + " bytes");
    Notify(THttpStatus::Disconnected, "Disconnected.");
    return response;
}

}  // namespace qv
