#include "common/http/HttpClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/support/TestHttpServer.h"
#include "tests/support/TestPaths.h"

using namespace qv;
using qv::test::HttpReply;
using qv::test::TestHttpServer;

namespace {

// Long enough that a request only ends early when something ends it on purpose.
THttpTimeouts Patient() { return {5000, 5000, 20000}; }
THttpTimeouts Hasty() { return {2000, 2000, 250}; }

THttpError KindOf(const std::function<void()>& fn, int* status = nullptr) {
    try {
        fn();
    } catch (const EHttpError& e) {
        if (status) *status = e.StatusCode();
        return e.Kind();
    }
    ADD_FAILURE() << "no EHttpError";
    return THttpError::Transfer;
}

// A port on 127.0.0.1 on which nothing listens any more.
int DeadPort() {
    TestHttpServer s;
    int port = s.Port();
    s.Stop();
    return port;
}

// A reply whose body is the generated pattern of that size.
HttpReply Pattern(size_t size) {
    HttpReply r;
    r.patternSize = size;
    return r;
}

template <class Pred>
bool WaitFor(Pred pred) {
    for (int i = 0; i < 500; ++i) {
        if (pred()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pred();
}

}  // namespace

TEST(HttpAddressTest, SplitsHostPortAndPath) {
    struct Case {
        const char* address;
        const char* host;
        int port;
        const char* path;
    } cases[] = {
        {"http://updates.example.com", "updates.example.com", 80, "/"},
        {"http://127.0.0.1:8080/downloads/a.xml", "127.0.0.1", 8080, "/downloads/a.xml"},
        {"http://h/x/y.exe?v=2", "h", 80, "/x/y.exe?v=2"},
        {"h:81", "h", 81, "/"},
    };
    for (const Case& c : cases) {
        THttpAddress a = ParseHttpAddress(c.address);
        EXPECT_EQ(c.host, a.Host) << c.address;
        EXPECT_EQ(c.port, a.Port) << c.address;
        EXPECT_EQ(c.path, a.Path) << c.address;
    }
    for (const char* bad : {"", "ftp://h/x", "http://", "file:///c:/x"})
        EXPECT_EQ(THttpError::BadAddress, KindOf([&] { ParseHttpAddress(bad); })) << bad;
}

TEST(HttpClientTest, HeadReportsStatusAndLengthOrItsAbsence) {
    TestHttpServer server;
    HttpReply withLength;
    withLength.body = std::string(1234, 'x');
    HttpReply noLength = withLength;
    noLength.sendLength = false;
    server.Serve("/with", withLength);
    server.Serve("/without", noLength);

    THttpClient client;
    client.SetTimeouts(Patient());
    THttpResponse r = client.Head(server.Url("/with"));
    EXPECT_EQ(200, r.StatusCode);
    EXPECT_TRUE(r.HasContentLength());
    EXPECT_EQ(1234, r.ContentLength);
    r = client.Head(server.Url("/without"));
    EXPECT_EQ(200, r.StatusCode);
    EXPECT_FALSE(r.HasContentLength());

    auto seen = server.Requests();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("HEAD", seen[0].method);
    EXPECT_EQ("/with", seen[0].target);
}

TEST(HttpClientTest, GetDeliversBodyWithRisingProgress) {
    TestHttpServer server;
    const size_t size = 300 * 1024 + 17;
    HttpReply known;
    known.patternSize = size;
    HttpReply unknown = known;
    unknown.sendLength = false;
    server.Serve("/known", known);
    server.Serve("/unknown", unknown);

    for (const char* path : {"/known", "/unknown"}) {
        THttpClient client;
        client.SetTimeouts(Patient());
        std::vector<std::pair<int64_t, int64_t>> work;
        client.OnWork = [&](int64_t got, int64_t total) { work.emplace_back(got, total); };
        TMemorySink sink;
        THttpResponse r = client.Get(server.Url(path), sink);
        EXPECT_EQ(200, r.StatusCode);
        EXPECT_TRUE(sink.Data() == test::PatternBody(size)) << path;
        ASSERT_GE(work.size(), 2u) << path;
        for (size_t i = 1; i < work.size(); ++i) EXPECT_GT(work[i].first, work[i - 1].first);
        EXPECT_EQ(static_cast<int64_t>(size), work.back().first);
        int64_t total = std::string(path) == "/known" ? static_cast<int64_t>(size) : -1;
        for (auto& w : work) EXPECT_EQ(total, w.second) << path;
    }
}

// Reads grow while pieces arrive quickly and shrink when they take long, within their bounds.
TEST(HttpPieceTest, GrowsOnAQuickLineAndShrinksOnASlowOne) {
    struct Case {
        DWORD piece, tookMs, next;
    } cases[] = {
        {kHttpMinPiece, 0, 2 * kHttpMinPiece},
        {kHttpMinPiece, kHttpQuickPieceMs, 2 * kHttpMinPiece},
        {kHttpMaxPiece / 2, 1, kHttpMaxPiece},
        {kHttpMaxPiece, 1, kHttpMaxPiece},
        {kHttpMaxPiece / 2 + 1, 1, kHttpMaxPiece},  // never past the buffer's largest size
        {4 * kHttpMinPiece, kHttpQuickPieceMs + 1, 4 * kHttpMinPiece},
        {4 * kHttpMinPiece, kHttpSlowPieceMs - 1, 4 * kHttpMinPiece},
        {4 * kHttpMinPiece, kHttpSlowPieceMs, 2 * kHttpMinPiece},
        {kHttpMaxPiece, 60000, kHttpMaxPiece / 2},
        {kHttpMinPiece, 60000, kHttpMinPiece},
        {kHttpMinPiece * 2 - 1, 60000, kHttpMinPiece},  // never below the smallest
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.next, NextHttpPiece(c.piece, c.tookMs)) << c.piece << " bytes in " << c.tookMs << " ms";
}

TEST(HttpClientTest, GetIntoFileWritesTheWholeBody) {
    TestHttpServer server;
    HttpReply reply;
    reply.patternSize = 70000;
    server.Serve("/f.bin", reply);
    std::string folder = test::MakeTempFolder("httpfile");
    std::string path = folder + "~f.bin";
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        THttpClient client;
        client.SetTimeouts(Patient());
        TFileSink sink(h);
        client.Get(server.Url("/f.bin"), sink);
        EXPECT_EQ(70000, sink.Written());
        CloseHandle(h);
    }
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::string back(80000, '\0');
    DWORD got = 0;
    ReadFile(h, &back[0], 80000, &got, nullptr);
    CloseHandle(h);
    back.resize(got);
    EXPECT_TRUE(back == test::PatternBody(70000));
    test::RemoveFolderTree(folder);
}

TEST(HttpClientTest, EveryRequestGoesToTheServerPastAnyCache) {
    TestHttpServer server;
    HttpReply reply;
    reply.body = "first";
    reply.headers = {"Cache-Control: max-age=3600", "Last-Modified: Mon, 01 Jan 2001 00:00:00 GMT"};
    server.Serve("/list.xml", reply);
    THttpClient client;
    client.SetTimeouts(Patient());
    TMemorySink a, b;
    client.Get(server.Url("/list.xml"), a);
    reply.body = "second";
    server.Serve("/list.xml", reply);
    client.Get(server.Url("/list.xml"), b);
    client.Head(server.Url("/list.xml"));
    EXPECT_EQ("first", a.Data());
    EXPECT_EQ("second", b.Data());
    // Every request tells caches on the way (a proxy's among them) to go to the server.
    auto seen = server.Requests();
    ASSERT_EQ(3u, seen.size());
    for (const auto& r : seen) EXPECT_NE(std::string::npos, r.Header("Pragma").find("no-cache")) << r.method;
}

TEST(HttpClientTest, NotFoundIsAStatusErrorForHeadAndGet) {
    TestHttpServer server;
    THttpClient client;
    client.SetTimeouts(Patient());
    int status = 0;
    EXPECT_EQ(THttpError::Status, KindOf([&] { client.Head(server.Url("/missing")); }, &status));
    EXPECT_EQ(404, status);
    TMemorySink sink;
    status = 0;
    EXPECT_EQ(THttpError::Status, KindOf([&] { client.Get(server.Url("/missing"), sink); }, &status));
    EXPECT_EQ(404, status);
    EXPECT_TRUE(sink.Data().empty());
}

TEST(HttpClientTest, ConnectReachesALiveServerAndFailsWhereNothingListens) {
    TestHttpServer server;
    THttpClient client;
    client.SetTimeouts(Patient());
    std::vector<THttpStatus> statuses;
    client.OnStatus = [&](THttpStatus s, const std::string&) { statuses.push_back(s); };
    client.Connect(server.Url(""));
    EXPECT_FALSE(statuses.empty());
    EXPECT_EQ(THttpStatus::Connecting, statuses.front());

    std::string dead = "http://127.0.0.1:" + std::to_string(DeadPort());
    EXPECT_EQ(THttpError::Connect, KindOf([&] { client.Connect(dead); }));
    EXPECT_EQ(THttpError::Connect, KindOf([&] { client.Head(dead + "/x"); }));
}

TEST(HttpClientTest, BodyCutShortOfItsLengthIsAnError) {
    TestHttpServer server;
    HttpReply cut;
    cut.patternSize = 100000;
    cut.closeAfter = 40000;
    server.Serve("/cut", cut);
    HttpReply overstated;
    overstated.body = "short";
    overstated.announcedLength = 5000;
    server.Serve("/overstated", overstated);
    for (const char* path : {"/cut", "/overstated"}) {
        THttpClient client;
        client.SetTimeouts(Patient());
        TMemorySink sink;
        EXPECT_EQ(THttpError::Truncated, KindOf([&] { client.Get(server.Url(path), sink); })) << path;
    }
}

// A server that goes silent: before it answers, or in the middle of the body.
struct StallCase {
    const char* name;
    bool beforeResponse;
    bool head;
};
const StallCase kStalls[] = {
    {"head, no answer", true, true},
    {"get, no answer", true, false},
    {"get, silent mid-body", false, false},
};

// A server that stalls as the case says, and a client with those time-outs.
struct StalledServer {
    explicit StalledServer(const StallCase& c, const THttpTimeouts& timeouts) : stall(c) {
        HttpReply reply;
        reply.patternSize = 50000;
        reply.stallBeforeResponse = c.beforeResponse;
        reply.stallAfter = 1000;
        server.Serve("/stall", reply);
        client.SetTimeouts(timeouts);
    }
    // The server has gone silent: it has the request and, mid-body, has sent its part.
    void WaitUntilSilent() {
        WaitFor([&] { return !server.Requests().empty(); });
        if (!stall.beforeResponse) WaitFor([&] { return server.BodyBytesSent() >= 1000; });
    }
    THttpError Run() {
        TMemorySink sink;
        return KindOf([&] {
            if (stall.head)
                client.Head(server.Url("/stall"));
            else
                client.Get(server.Url("/stall"), sink);
        });
    }
    StallCase stall;
    TestHttpServer server;
    THttpClient client;
};

TEST(HttpClientTest, AbortFromAnotherThreadEndsAStalledRequest) {
    for (const StallCase& c : kStalls) {
        StalledServer s(c, Patient());
        std::thread stopper([&] {
            s.WaitUntilSilent();
            s.client.Abort();
        });
        THttpError kind = s.Run();
        stopper.join();
        EXPECT_EQ(THttpError::Aborted, kind) << c.name;
        // An aborted client stays aborted and sends nothing more.
        size_t before = s.server.Requests().size();
        EXPECT_EQ(THttpError::Aborted, KindOf([&] { s.client.Head(s.server.Url("/stall")); })) << c.name;
        EXPECT_EQ(before, s.server.Requests().size());
    }
}

TEST(HttpClientTest, ReceiveTimeOutEndsAStalledRequestWithoutAbort) {
    for (const StallCase& c : kStalls) EXPECT_EQ(THttpError::Timeout, StalledServer(c, Hasty()).Run()) << c.name;
}

TEST(HttpClientTest, AbortInsideProgressStopsTheTransfer) {
    TestHttpServer server;
    server.Serve("/big", Pattern(4 * 1024 * 1024));
    THttpClient client;
    client.SetTimeouts(Patient());
    int calls = 0;
    client.OnWork = [&](int64_t, int64_t) {
        ++calls;
        client.Abort();
    };
    TMemorySink sink;
    EXPECT_EQ(THttpError::Aborted, KindOf([&] { client.Get(server.Url("/big"), sink); }));
    EXPECT_EQ(1, calls);
    EXPECT_LT(sink.Data().size(), 4u * 1024 * 1024);
}

TEST(HttpClientTest, PauseHaltsTheTransferAndResumeCompletesIt) {
    TestHttpServer server;
    const size_t size = 12 * 1024 * 1024;  // some four times what the socket buffers hold
    server.Serve("/big", Pattern(size));
    THttpClient client;
    client.SetTimeouts(Patient());
    std::atomic<int64_t> received{0};
    std::atomic<bool> pausedOnce{false};
    client.OnWork = [&](int64_t got, int64_t) {
        received = got;
        if (!pausedOnce.exchange(true)) client.Pause();
    };
    TMemorySink sink;
    std::atomic<bool> done{false};
    std::string failure;
    std::thread worker([&] {
        try {
            client.Get(server.Url("/big"), sink);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        done = true;
    });

    ASSERT_TRUE(WaitFor([&] { return pausedOnce.load(); }));
    // Wait until the server can send no more: its count stops moving.
    size_t last = server.BodyBytesSent();
    for (int stable = 0; stable < 30;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        size_t now = server.BodyBytesSent();
        stable = now == last ? stable + 1 : 0;
        last = now;
    }
    EXPECT_LT(server.BodyBytesSent(), size);
    int64_t atPause = received;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(atPause, received.load());
    EXPECT_FALSE(done.load());
    EXPECT_TRUE(client.Paused());

    client.Resume();
    worker.join();
    EXPECT_EQ("", failure);
    EXPECT_EQ(static_cast<int64_t>(size), received.load());
    EXPECT_TRUE(sink.Data() == test::PatternBody(size));
}

TEST(HttpClientTest, MemorySinkRefusesMoreThanItsLimit) {
    TestHttpServer server;
    HttpReply reply;
    reply.patternSize = 200000;
    reply.sendLength = false;
    server.Serve("/endless", reply);
    THttpClient client;
    client.SetTimeouts(Patient());
    TMemorySink sink(64 * 1024);
    EXPECT_EQ(THttpError::Transfer, KindOf([&] { client.Get(server.Url("/endless"), sink); }));
    EXPECT_LE(sink.Data().size(), 64u * 1024);
}

// Through a real tinyproxy with basic authentication (started around this executable by
// tests/support/with_tinyproxy.sh).
class ProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("QV_TEST_PROXY_PORT");
        ASSERT_NE(nullptr, port) << "run through ctest: the proxy comes from with_tinyproxy.sh";
        proxyPort = std::atoi(port);
        user = std::getenv("QV_TEST_PROXY_USER");
        password = std::getenv("QV_TEST_PROXY_PASSWORD");
        HttpReply reply;
        reply.body = "through the proxy";
        server.Serve("/file.txt", reply);
    }
    int proxyPort = 0;
    std::string user, password;
    TestHttpServer server;
};

TEST_F(ProxyTest, RightCredentialsPassWrongOrNoneAreRefused) {
    struct Case {
        const char* name;
        bool credentials;
        bool right;
    } cases[] = {{"right", true, true}, {"wrong", true, false}, {"none", false, false}};
    for (const Case& c : cases) {
        THttpClient client;
        client.SetTimeouts(Patient());
        client.SetProxy("127.0.0.1", proxyPort);
        if (c.credentials) client.SetProxyCredentials(user, c.right ? password : password + "x");
        TMemorySink sink;
        if (c.right) {
            EXPECT_EQ(200, client.Head(server.Url("/file.txt")).StatusCode);
            client.Get(server.Url("/file.txt"), sink);
            EXPECT_EQ("through the proxy", sink.Data());
        } else {
            int status = 0;
            EXPECT_EQ(THttpError::Status, KindOf([&] { client.Get(server.Url("/file.txt"), sink); }, &status))
                << c.name;
            // tinyproxy asks for credentials with 407 and turns wrong ones away with 401.
            EXPECT_EQ(c.credentials ? 401 : 407, status) << c.name;
            EXPECT_TRUE(sink.Data().empty());
        }
    }
    // Only the right credentials got through to the server, and through the proxy.
    auto seen = server.Requests();
    ASSERT_EQ(2u, seen.size());
    EXPECT_NE("", seen[1].Header("Via"));
}

TEST_F(ProxyTest, ConnectChecksTheProxyNotTheServer) {
    THttpClient client;
    client.SetTimeouts(Patient());
    client.SetProxy("127.0.0.1", proxyPort);
    // The server behind the proxy is down; the first hop is what the check reaches.
    client.Connect("http://127.0.0.1:" + std::to_string(DeadPort()));
    client.SetProxy("127.0.0.1", DeadPort());
    EXPECT_EQ(THttpError::Connect, KindOf([&] { client.Connect(server.Url("")); }));
    EXPECT_EQ(THttpError::Connect, KindOf([&] { client.Head(server.Url("/file.txt")); }));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpClientPauseTest, AbortEndsAPausedTransfer) {
    TestHttpServer server;
    server.Serve("/big", Pattern(8 * 1024 * 1024));
    THttpClient client;
    client.SetTimeouts(Patient());
    std::atomic<bool> paused{false};
    client.OnWork = [&](int64_t, int64_t) {
        client.Pause();
        paused = true;
    };
    std::thread stopper([&] {
        WaitFor([&] { return paused.load(); });
        client.Abort();
    });
    TMemorySink sink;
    EXPECT_EQ(THttpError::Aborted, KindOf([&] { client.Get(server.Url("/big"), sink); }));
    stopper.join();
}
