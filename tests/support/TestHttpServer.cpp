#include "tests/support/TestHttpServer.h"

#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace qv::test {

namespace {
std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

struct WinsockUser {
    WinsockUser() {
        WSADATA wsa;
        if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) throw std::runtime_error("WSAStartup failed");
    }
    ~WinsockUser() { WSACleanup(); }
};
}  // namespace

std::string SeenRequest::Header(const std::string& name) const {
    std::string want = Lower(name) + ":";
    for (const std::string& h : headers) {
        if (Lower(h.substr(0, want.size())) != want) continue;
        size_t b = want.size();
        while (b < h.size() && h[b] == ' ') ++b;
        return h.substr(b);
    }
    return {};
}

char PatternByte(size_t i) { return static_cast<char>((i * 131 + i / 4096) & 0xFF); }

std::string PatternBody(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = PatternByte(i);
    return s;
}

TestHttpServer::TestHttpServer() {
    static WinsockUser winsock;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) throw std::runtime_error("socket failed");
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = inet_addr("127.0.0.1");
    sa.sin_port = 0;
    int len = sizeof sa;
    if (bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 || listen(s, 16) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        closesocket(s);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    listener_ = s;
    port_ = ntohs(sa.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() { Stop(); }

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestHttpServer::Serve(const std::string& path, HttpReply reply) {
    std::lock_guard<std::mutex> g(lock_);
    replies_[path] = std::move(reply);
}

std::vector<SeenRequest> TestHttpServer::Requests() const {
    std::lock_guard<std::mutex> g(lock_);
    return seen_;
}

void TestHttpServer::Stop() {
    {
        std::lock_guard<std::mutex> g(lock_);
        if (stopping_) return;
        stopping_ = true;
    }
    stopped_.notify_all();
    if (acceptor_.joinable()) acceptor_.join();
    closesocket(static_cast<SOCKET>(listener_));
    {
        std::lock_guard<std::mutex> g(lock_);
        for (uintptr_t s : open_) shutdown(static_cast<SOCKET>(s), SD_BOTH);
    }
    for (std::thread& t : workers_) t.join();
}

void TestHttpServer::AcceptLoop() {
    while (!stopping_) {
        fd_set r;
        FD_ZERO(&r);
        FD_SET(static_cast<SOCKET>(listener_), &r);
        timeval tv{0, 50 * 1000};
        if (select(0, &r, nullptr, nullptr, &tv) <= 0) continue;
        SOCKET c = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (c == INVALID_SOCKET) continue;
        DWORD readLimit = 5000;  // a client that never finishes its request does not keep us
        setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<char*>(&readLimit), sizeof readLimit);
        std::lock_guard<std::mutex> g(lock_);
        open_.push_back(c);
        workers_.emplace_back([this, c] { Handle(c); });
    }
}

bool TestHttpServer::SendAll(uintptr_t sock, const char* data, size_t size) {
    while (size > 0) {
        int n = send(static_cast<SOCKET>(sock), data, static_cast<int>(std::min<size_t>(size, 16384)), 0);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void TestHttpServer::StallUntilStopped() {
    std::unique_lock<std::mutex> g(lock_);
    stopped_.wait(g, [this] { return stopping_.load(); });
}

void TestHttpServer::Handle(uintptr_t sock) {
    std::string in;
    char buf[4096];
    while (in.find("\r\n\r\n") == std::string::npos && in.size() < 65536) {
        int n = recv(static_cast<SOCKET>(sock), buf, sizeof buf, 0);
        if (n <= 0) break;
        in.append(buf, static_cast<size_t>(n));
    }
    SeenRequest req;
    size_t pos = 0;
    bool first = true;
    while (pos < in.size()) {
        size_t end = in.find("\r\n", pos);
        if (end == std::string::npos || end == pos) break;
        std::string line = in.substr(pos, end - pos);
        pos = end + 2;
        if (first) {
            size_t a = line.find(' '), b = line.rfind(' ');
            req.method = line.substr(0, a);
            if (a != std::string::npos && b > a) req.target = line.substr(a + 1, b - a - 1);
            first = false;
        } else {
            req.headers.push_back(line);
        }
    }

    HttpReply reply;
    bool found = false;
    if (!req.method.empty()) {
        std::string path = req.target;
        if (path.compare(0, 7, "http://") == 0) {
            size_t slash = path.find('/', 7);
            path = slash == std::string::npos ? "/" : path.substr(slash);
        }
        std::lock_guard<std::mutex> g(lock_);
        seen_.push_back(req);
        auto it = replies_.find(path);
        if (it != replies_.end()) {
            reply = it->second;
            found = true;
        }
    }
    if (!found) {
        reply = HttpReply();
        reply.status = 404;
        reply.reason = "Not Found";
        reply.body = "no such file";
    }

    if (!req.method.empty()) {
        if (reply.stallBeforeResponse) {
            StallUntilStopped();
        } else {
            size_t size = reply.patternSize ? reply.patternSize : reply.body.size();
            std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reply.reason + "\r\n";
            if (reply.sendLength)
                head += "Content-Length: " +
                        std::to_string(reply.announcedLength != HttpReply::kNever ? reply.announcedLength : size) +
                        "\r\n";
            head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
            for (const std::string& h : reply.headers) head += h + "\r\n";
            head += "\r\n";
            bool ok = SendAll(sock, head.data(), head.size());
            if (req.method != "HEAD") {
                size_t limit = std::min({size, reply.closeAfter, reply.stallAfter});
                std::string piece;
                for (size_t at = 0; ok && at < limit;) {
                    size_t n = std::min<size_t>(16384, limit - at);
                    if (reply.patternSize) {
                        piece.resize(n);
                        for (size_t i = 0; i < n; ++i) piece[i] = PatternByte(at + i);
                    } else {
                        piece.assign(reply.body, at, n);
                    }
                    ok = SendAll(sock, piece.data(), n);
                    if (ok) bodySent_ += n;
                    at += n;
                }
                if (ok && reply.stallAfter != HttpReply::kNever && reply.stallAfter < size) StallUntilStopped();
            }
        }
    }
    shutdown(static_cast<SOCKET>(sock), SD_SEND);
    closesocket(static_cast<SOCKET>(sock));
    std::lock_guard<std::mutex> g(lock_);
    open_.erase(std::remove(open_.begin(), open_.end(), sock), open_.end());
}

}  // namespace qv::test
