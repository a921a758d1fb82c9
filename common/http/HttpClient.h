// The HTTP client of the updater's workers, on WinInet: a connection check, HEAD and GET into a
// sink, progress and status notifications, pause, abort, bounded time-outs and an optional proxy.
//
// Every blocking WinInet call runs on a short-lived transport thread of the request; the calling
// thread only waits on it. So Abort() from any thread, or a time-out, returns the caller at once
// even while WinInet sits in a read that it cannot cancel; the transport thread finishes on its
// own when that read ends and touches nothing of the caller after that.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace qv {

enum class THttpError {
    BadAddress,  // not an http address
    Connect,     // the server (or the proxy in front of it) cannot be reached
    Timeout,     // a bounded wait ran out
    Aborted,     // Abort() was called
    Status,      // the server answered with a status outside 200-299
    Truncated,   // the connection closed before the announced content length arrived
    Transfer,    // any other failure of a request or of the transfer
};

class EHttpError : public std::runtime_error {
public:
    EHttpError(THttpError kind, const std::string& message, DWORD code = 0, int status = 0)
        : std::runtime_error(message), kind_(kind), code_(code), status_(status) {}
    THttpError Kind() const noexcept { return kind_; }
    // The system's error code (WinInet, Winsock or Win32); 0 when the failure has none.
    DWORD Code() const noexcept { return code_; }
    // The response status of a Status error; 0 otherwise.
    int StatusCode() const noexcept { return status_; }

private:
    THttpError kind_;
    DWORD code_;
    int status_;
};

struct THttpResponse {
    int StatusCode = 0;
    int64_t ContentLength = -1;  // -1: the server sent no (usable) Content-Length
    bool HasContentLength() const noexcept { return ContentLength >= 0; }
};

// Where a GET puts the body. Write may throw; the request then ends with that error.
class THttpSink {
public:
    virtual ~THttpSink() = default;
    virtual void Write(const char* data, size_t size) = 0;
};

// The body in memory (the update list). Limit guards against a server that never stops sending.
class TMemorySink : public THttpSink {
public:
    explicit TMemorySink(size_t limit = static_cast<size_t>(-1)) : limit_(limit) {}
    void Write(const char* data, size_t size) override;
    const std::string& Data() const noexcept { return data_; }
    void Clear() { data_.clear(); }

private:
    std::string data_;
    size_t limit_;
};

// The body into an open file (not owned: the download's temporary file stays with its caller).
class TFileSink : public THttpSink {
public:
    explicit TFileSink(HANDLE file) : file_(file) {}
    void Write(const char* data, size_t size) override;  // EOSError on a failed or short write
    int64_t Written() const noexcept { return written_; }

private:
    HANDLE file_;
    int64_t written_ = 0;
};

struct THttpTimeouts {
    DWORD Connect = 30000;  // ms to establish the TCP connection
    DWORD Send = 30000;     // ms to send the request
    DWORD Receive = 30000;  // ms of silence allowed while waiting for the response and each read
};

enum class THttpStatus { Connecting, Connected, Disconnected };

class THttpClient {
public:
    // Bytes of the body received so far, and the announced total (-1 when unknown).
    using WorkHandler = std::function<void(int64_t received, int64_t total)>;
    using StatusHandler = std::function<void(THttpStatus status, const std::string& text)>;

    THttpClient();
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    // Runs on the calling thread after each piece of a GET body has gone into the sink; it may
    // call Pause() (another thread resumes), Abort(), or throw to end the request.
    WorkHandler OnWork;
    StatusHandler OnStatus;

    // Proxy for every later request; an empty host means a direct connection. A port outside
    // 1-65535 with a host makes every request fail as a connection failure.
    void SetProxy(const std::string& host, int port);
    void SetProxyCredentials(const std::string& userName, const std::string& password);
    void SetTimeouts(const THttpTimeouts& timeouts) { timeouts_ = timeouts; }
    void SetUserAgent(const std::string& agent) { agent_ = agent; }

    const std::string& ProxyHost() const noexcept { return proxyHost_; }
    int ProxyPort() const noexcept { return proxyPort_; }
    const std::string& ProxyUserName() const noexcept { return proxyUser_; }
    const std::string& ProxyPassword() const noexcept { return proxyPassword_; }

    // Opens and closes a TCP connection to the first hop: the proxy when one is set, else the
    // host and port of address ("http://host[:port][/...]" or "host[:port]"). WinInet itself
    // would not touch the network before the first request.
    void Connect(const std::string& address);
    // Throws EHttpError; a status outside 200-299 is a Status error.
    THttpResponse Head(const std::string& url);
    // Writes the body into sink; Truncated when it ends short of the announced length.
    THttpResponse Get(const std::string& url, THttpSink& sink);

    // Any thread. While paused, a GET takes no more data from the network.
    void Pause();
    void Resume();
    bool Paused() const;
    // Any thread. The current call returns with an Aborted error at once, and so does every
    // later one: an aborted client stays aborted.
    void Abort();
    bool Aborted() const;

private:
    THttpResponse Request(const std::string& url, THttpSink* sink);
    void Notify(THttpStatus status, const std::string& text);
    void CheckUsable() const;

    std::string agent_;
    std::string proxyHost_;
    int proxyPort_ = 0;
    std::string proxyUser_, proxyPassword_;
    THttpTimeouts timeouts_;
    HANDLE abortEvent_;   // manual reset; set for good by Abort()
    HANDLE runningEvent_; // manual reset; cleared while paused
};

// How much the transport asks WinInet for in one read. WinInet returns from a read only when its
// buffer is full (or the body has ended), so a piece is all the caller sees of the line until it
// is complete: pieces start small, so the first progress comes early and a slow line shows in
// small steps, and double while they arrive quickly (a read costs about the same whatever its
// size, so large pieces are what make a fast line fast). A piece that took long halves the next.
// The shown progress thus lags the line by about a quarter of a second of its rate at most,
// unless the line slows down sharply within one piece.
const DWORD kHttpMinPiece = 4 * 1024;
const DWORD kHttpMaxPiece = 1024 * 1024;
const DWORD kHttpQuickPieceMs = 50;
const DWORD kHttpSlowPieceMs = 250;
// The size of the read after a piece of `piece` bytes that took `tookMs` to arrive.
DWORD NextHttpPiece(DWORD piece, DWORD tookMs);

// Parses "http://host[:port][/path]" (scheme optional); BadAddress when it is no http address.
struct THttpAddress {
    std::string Host;
    int Port = 80;
    std::string Path;  // with its query; "/" when the address names none
};
THttpAddress ParseHttpAddress(const std::string& address);

}  // namespace qv
