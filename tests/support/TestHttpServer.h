// A small scriptable HTTP server for tests: listens on 127.0.0.1 on a free port, answers each
// path with a scripted reply (404 for the rest), one request per connection, and stops with the
// object. Replies can leave out the length, close mid-body or stall until the server stops.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qv::test {

struct HttpReply {
    static constexpr size_t kNever = static_cast<size_t>(-1);
    int status = 200;
    std::string reason = "OK";
    std::string body;
    size_t patternSize = 0;          // > 0: instead of body, PatternBody(patternSize), sent as it goes
    bool sendLength = true;          // a Content-Length header with the real (or announced) length
    size_t announcedLength = kNever; // a Content-Length other than the real one
    size_t closeAfter = kNever;      // body bytes sent before the server closes the connection
    size_t stallAfter = kNever;      // body bytes sent before the server goes silent until it stops
    bool stallBeforeResponse = false;
    std::vector<std::string> headers;  // extra header lines, without line ends
};

struct SeenRequest {
    std::string method;
    std::string target;  // as sent: a path, or a full address when it came through a proxy
    std::vector<std::string> headers;
    // The value of the first header of that name (case-insensitive), empty when absent.
    std::string Header(const std::string& name) const;
};

// The byte at position i of every generated body.
char PatternByte(size_t i);
std::string PatternBody(size_t size);

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    void Serve(const std::string& path, HttpReply reply);
    std::vector<SeenRequest> Requests() const;
    size_t BodyBytesSent() const { return bodySent_; }
    // Ends stalls, closes every connection and waits for the server's threads.
    void Stop();

private:
    void AcceptLoop();
    void Handle(uintptr_t sock);
    bool SendAll(uintptr_t sock, const char* data, size_t size);
    void StallUntilStopped();

    uintptr_t listener_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<size_t> bodySent_{0};
    mutable std::mutex lock_;
    std::condition_variable stopped_;
    std::map<std::string, HttpReply> replies_;
    std::vector<SeenRequest> seen_;
    std::vector<uintptr_t> open_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

}  // namespace qv::test
