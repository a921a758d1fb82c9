#include "tidewell/proxy/ApplyProxy.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TestHttpServer.h"

using namespace qv;
using qv::test::HttpReply;
using qv::test::TestHttpServer;

TEST(ProxyPortTest, OnlyWholeNumbersThatArePortsConvert) {
    struct Case {
        const char* text;
        bool ok;
        int port;
    } cases[] = {
        {"8080", true, 8080}, {" 3128 ", true, 3128}, {"1", true, 1},     {"65535", true, 65535},
        {"", false, 0},       {"abc", false, 0},      {"80a", false, 0},  {"0", false, 0},
        {"65536", false, 0},  {"-80", false, 0},      {"8 080", false, 0}, {"99999999999", false, 0},
        {"+81", true, 81},    {"0x50", false, 0},
    };
    for (const Case& c : cases) {
        int port = -1;
        EXPECT_EQ(c.ok, ProxyPortFromText(c.text, port)) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(c.port, port) << c.text;
        }
    }
}

// The workers' hand-over, checked by where the requests really go: the real tinyproxy started
// around this executable asks for basic authentication.
class ApplyProxyTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* port = std::getenv("QV_TEST_PROXY_PORT");
        ASSERT_NE(nullptr, port) << "run through ctest: the proxy comes from with_tinyproxy.sh";
        proxyPort = port;
        user = std::getenv("QV_TEST_PROXY_USER");
        password = std::getenv("QV_TEST_PROXY_PASSWORD");
        HttpReply reply;
        reply.body = "list";
        server.Serve("/list.xml", reply);
        client.SetTimeouts({5000, 5000, 20000});
    }
    TProxyState Through(bool withAuth) const {
        TProxyState s;
        s.UseProxy = true;
        s.Address = "127.0.0.1";
        s.Port = proxyPort;
        s.UseAuth = withAuth;
        s.UserName = user;
        s.Password = password;
        return s;
    }
    int Fetch() {
        TMemorySink sink;
        try {
            client.Get(server.Url("/list.xml"), sink);
        } catch (const EHttpError& e) {
            return e.Kind() == THttpError::Status ? e.StatusCode() : -static_cast<int>(e.Kind());
        }
        return sink.Data() == "list" ? 200 : -100;
    }
    std::string proxyPort, user, password;
    TestHttpServer server;
    THttpClient client;
};

TEST_F(ApplyProxyTest, ProxyWithCredentialsReachesTheServerThroughTheProxy) {
    ApplyProxySettings(Through(true), client);
    EXPECT_EQ(200, Fetch());
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_NE("", server.Requests()[0].Header("Via"));
}

TEST_F(ApplyProxyTest, UntickedAuthenticationSendsNoCredentials) {
    ApplyProxySettings(Through(false), client);
    EXPECT_EQ(407, Fetch());
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(ApplyProxyTest, UntickedProxyConnectsDirectlyWhateverTheFieldsHold) {
    TProxyState s = Through(true);
    s.UseProxy = false;
    s.Port = "not a port";
    ApplyProxySettings(s, client);
    EXPECT_EQ("", client.ProxyHost());
    EXPECT_EQ(200, Fetch());
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ("", server.Requests()[0].Header("Via"));
}

TEST_F(ApplyProxyTest, TickedProxyWithABadPortFailsToConnectRatherThanGoingDirect) {
    for (const char* port : {"abc", "", "0", "70000"}) {
        THttpClient c;
        TProxyState s = Through(true);
        s.Port = port;
        ApplyProxySettings(s, c);
        try {
            c.Connect(server.Url(""));
            ADD_FAILURE() << "connected with port text \"" << port << '"';
        } catch (const EHttpError& e) {
            EXPECT_EQ(THttpError::Connect, e.Kind()) << port;
        }
        TMemorySink sink;
        EXPECT_THROW(c.Get(server.Url("/list.xml"), sink), EHttpError) << port;
    }
    EXPECT_TRUE(server.Requests().empty());
}
