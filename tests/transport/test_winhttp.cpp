// The WinHTTP stand-in on its own: handle checks, request states, headers,
// status and body, connection reuse and time-outs.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include <stdsoap2.h>

#include "support/closed_port.h"
#include "support/fake_service.h"
#include "transport/plugin_data.h"
#include "transport/winhttp.h"

namespace {

const std::string kPing = "<Envelope><Body><Ping/></Body></Envelope>";

std::u16string widen(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

class WinHttp : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        session_ = WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
        ASSERT_NE(session_, nullptr);
        connect_ = WinHttpConnect(session_, u"127.0.0.1", fake_.port(), 0);
        ASSERT_NE(connect_, nullptr);
    }
    void TearDown() override
    {
        EXPECT_TRUE(WinHttpCloseHandle(connect_));
        EXPECT_TRUE(WinHttpCloseHandle(session_));
    }
    HINTERNET post(const std::string& body,
                   const char16_t* headers = u"Content-Type: text/xml\r\nSOAPAction: \"\"\r\n")
    {
        HINTERNET req =
            WinHttpOpenRequest(connect_, u"POST", u"/ctrl", nullptr, nullptr, nullptr, 0);
        EXPECT_NE(req, nullptr);
        EXPECT_TRUE(WinHttpAddRequestHeaders(req, headers, static_cast<DWORD>(-1),
                                             WINHTTP_ADDREQ_FLAG_ADD));
        EXPECT_TRUE(WinHttpSendRequest(req, nullptr, 0, body.data(),
                                       static_cast<DWORD>(body.size()),
                                       static_cast<DWORD>(body.size()), 0));
        EXPECT_TRUE(WinHttpReceiveResponse(req, nullptr)) << WinHttpGetLastError();
        return req;
    }
    qortest::FakeService fake_;
    HINTERNET session_ = nullptr;
    HINTERNET connect_ = nullptr;
};

TEST_F(WinHttp, PostsTheRequestAndReadsStatusHeadersAndBody)
{
    fake_.script("Ping", qortest::Reply::http(500, "<oops/>", "text/xml; charset=utf-8"));
    const std::string body = "<Envelope><Body><Ping/></Body></Envelope>";
    HINTERNET req = post(body);
    DWORD status = 0, len = sizeof status;
    ASSERT_TRUE(WinHttpQueryHeaders(req, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                    nullptr, &status, &len, nullptr));
    EXPECT_EQ(status, 500u);
    QOR_UC text[128];
    len = sizeof text;
    ASSERT_TRUE(WinHttpQueryHeaders(req, WINHTTP_QUERY_CONTENT_TYPE, nullptr, text, &len, nullptr));
    EXPECT_EQ(std::u16string(text), u"text/xml; charset=utf-8");
    EXPECT_EQ(len, sizeof(QOR_UC) * std::u16string(text).size());
    len = sizeof text;
    ASSERT_TRUE(WinHttpQueryHeaders(req, WINHTTP_QUERY_STATUS_TEXT, nullptr, text, &len, nullptr));
    EXPECT_EQ(std::u16string(text), u"Internal Server Error");
    len = 2; // too small
    EXPECT_FALSE(
        WinHttpQueryHeaders(req, WINHTTP_QUERY_CONTENT_TYPE, nullptr, text, &len, nullptr));
    EXPECT_EQ(WinHttpGetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(len, sizeof(QOR_UC) * 24);

    DWORD avail = 0;
    ASSERT_TRUE(WinHttpQueryDataAvailable(req, &avail));
    EXPECT_EQ(avail, 7u);
    char buf[4];
    DWORD got = 0;
    std::string data;
    while (WinHttpReadData(req, buf, sizeof buf, &got) && got > 0)
        data.append(buf, got);
    EXPECT_EQ(data, "<oops/>");

    ASSERT_EQ(fake_.request_count(), 1u);
    qortest::Request r = fake_.last_request();
    EXPECT_EQ(r.target, "/ctrl");
    EXPECT_EQ(r.body, body);
    EXPECT_EQ(r.header("SOAPAction"), "\"\"");
    EXPECT_EQ(r.header("User-Agent"), "gSOAP");
    EXPECT_EQ(r.header("Content-Type"), "text/xml");
    EXPECT_FALSE(r.has_header("Expect"));
    EXPECT_TRUE(WinHttpCloseHandle(req));
}

TEST_F(WinHttp, ReusesTheConnectionOfAConnectionHandle)
{
    fake_.script("Ping", qortest::Reply::http(200, "<ok/>"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(WinHttpCloseHandle(post(kPing)));
    EXPECT_EQ(fake_.request_count(), 3u);
    EXPECT_EQ(fake_.connections_accepted(), 1u);
    EXPECT_EQ(WinHttpConnectionCount(connect_), 1);
}

TEST_F(WinHttp, RejectsWrongHandlesAndStates)
{
    int not_a_handle = 0;
    HINTERNET req = WinHttpOpenRequest(connect_, u"POST", u"/", nullptr, nullptr, nullptr, 0);
    ASSERT_NE(req, nullptr);
    DWORD len = 4, avail = 0, got = 0, status = 0;
    char buf[4];
    struct Case
    {
        const char* what;
        std::function<bool()> call; // true when the call succeeded
        DWORD error;
    } cases[] = {
        {"close a foreign pointer", [&] { return WinHttpCloseHandle(&not_a_handle) != 0; },
         ERROR_INVALID_HANDLE},
        {"close none", [&] { return WinHttpCloseHandle(nullptr) != 0; }, ERROR_INVALID_HANDLE},
        {"connect on a connection", [&] { return WinHttpConnect(connect_, u"h", 1, 0) != nullptr; },
         ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
        {"request on a session",
         [&] {
             return WinHttpOpenRequest(session_, u"POST", u"/", nullptr, nullptr, nullptr, 0) !=
                    nullptr;
         },
         ERROR_WINHTTP_INCORRECT_HANDLE_TYPE},
        {"receive before send", [&] { return WinHttpReceiveResponse(req, nullptr) != 0; },
         ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
        {"status before receive",
         [&] {
             return WinHttpQueryHeaders(req, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                        nullptr, &status, &len, nullptr) != 0;
         },
         ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
        {"data before receive", [&] { return WinHttpQueryDataAvailable(req, &avail) != 0; },
         ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
        {"read before receive", [&] { return WinHttpReadData(req, buf, sizeof buf, &got) != 0; },
         ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
        {"unknown option", [&] { return WinHttpSetOption(req, 99, &len, sizeof len) != 0; },
         ERROR_INVALID_PARAMETER},
        {"header without colon",
         [&] {
             return WinHttpAddRequestHeaders(req, u"no colon here", static_cast<DWORD>(-1), 0) != 0;
         },
         ERROR_INVALID_PARAMETER},
        {"close a connection with an open request",
         [&] { return WinHttpCloseHandle(connect_) != 0; }, ERROR_WINHTTP_INCORRECT_HANDLE_STATE},
        {"asynchronous session",
         [&] { return WinHttpOpen(u"x", 0, nullptr, nullptr, 0x10000000) != nullptr; },
         ERROR_INVALID_PARAMETER},
        {"host with a blank",
         [&] { return WinHttpConnect(session_, u"bad host", 80, 0) != nullptr; },
         ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(WinHttpGetLastError(), c.error) << c.what;
    }
    EXPECT_TRUE(WinHttpCloseHandle(req));
    EXPECT_FALSE(WinHttpCloseHandle(req)) << "closed twice";
    EXPECT_EQ(WinHttpGetLastError(), ERROR_INVALID_HANDLE);
}

// A status outside 100 to 599 is no HTTP reply.
TEST_F(WinHttp, RefusesAStatusOutsideTheHttpRange)
{
    const int statuses[] = {0, 99, 600};
    for (int status : statuses)
        fake_.script("Ping", qortest::Reply::raw("HTTP/1.1 " + std::to_string(status) +
                                                 " X\r\nContent-Length: 4\r\n\r\n<x/>"));
    for (int status : statuses) {
        HINTERNET req = WinHttpOpenRequest(connect_, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        ASSERT_TRUE(
            WinHttpSendRequest(req, nullptr, 0, kPing.data(), kPing.size(), kPing.size(), 0));
        EXPECT_FALSE(WinHttpReceiveResponse(req, nullptr)) << status;
        EXPECT_EQ(WinHttpGetLastError(), ERROR_WINHTTP_INVALID_SERVER_RESPONSE) << status;
        EXPECT_TRUE(WinHttpCloseHandle(req));
    }
}

// Header texts are ASCII on the wire; any other byte is the unit of the same
// value (Latin-1), never a unit widened with its sign.
TEST_F(WinHttp, PassesOtherHeaderBytesAsTheirOwnUnits)
{
    fake_.script("Ping", qortest::Reply::raw("HTTP/1.1 200 Gr\xfc\xdf\r\nContent-Type: text/"
                                             "xml; charset=\xe9\r\nContent-Length: 4\r\n\r\n<x/>"));
    HINTERNET req = post(kPing);
    QOR_UC text[64];
    DWORD len = sizeof text;
    ASSERT_TRUE(WinHttpQueryHeaders(req, WINHTTP_QUERY_STATUS_TEXT, nullptr, text, &len, nullptr));
    EXPECT_EQ(std::u16string(text), u"Gr\u00fc\u00df");
    len = sizeof text;
    ASSERT_TRUE(WinHttpQueryHeaders(req, WINHTTP_QUERY_CONTENT_TYPE, nullptr, text, &len, nullptr));
    EXPECT_EQ(std::u16string(text), u"text/xml; charset=\u00e9");
    EXPECT_TRUE(WinHttpCloseHandle(req));
}

// The fields of a chunked body's trailer are no header fields: once the body
// was read to its end, every header text is still the header's own.
TEST_F(WinHttp, KeepsTheHeaderFieldsWhenATrailerFollows)
{
    fake_.script("Ping", qortest::Reply::raw("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n"
                                             "Transfer-Encoding: chunked\r\n\r\n4\r\n<x/>\r\n0\r\n"
                                             "Content-Type: application/dime\r\nContent-Length: "
                                             "9\r\nTransfer-Encoding: identity\r\n\r\n"));
    HINTERNET req = post(kPing);
    char buf[64];
    DWORD got = 0;
    std::string data;
    while (WinHttpReadData(req, buf, sizeof buf, &got) && got > 0)
        data.append(buf, got);
    EXPECT_EQ(data, "<x/>");
    const struct
    {
        DWORD level;
        std::u16string text;
    } cases[] = {
        {WINHTTP_QUERY_CONTENT_TYPE, u"text/xml"},
        {WINHTTP_QUERY_CONTENT_LENGTH, u""},
        {WINHTTP_QUERY_TRANSFER_ENCODING, u"chunked"},
        {WINHTTP_QUERY_RAW_HEADERS_CRLF,
         u"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: chunked\r\n\r\n"},
    };
    for (const auto& c : cases) {
        QOR_UC text[256];
        DWORD len = sizeof text;
        ASSERT_TRUE(WinHttpQueryHeaders(req, c.level, nullptr, text, &len, nullptr)) << c.level;
        EXPECT_EQ(std::u16string(text), c.text) << c.level;
    }
    EXPECT_TRUE(WinHttpCloseHandle(req));
}

// Waits for the response's head and for each piece of its body end after the
// receive time-out, here set short.
TEST_F(WinHttp, EndsAWaitForTheReplyAfterTheReceiveTimeout)
{
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    fake_.script("Ping", {qortest::Reply::http(200, "<late/>").after(std::chrono::seconds(3)),
                          qortest::Reply::raw(head + "<first part/>").holding()});
    const DWORD short_ms = 200;
    for (bool head_comes : {false, true}) {
        HINTERNET req = WinHttpOpenRequest(connect_, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        ASSERT_TRUE(
            WinHttpSetOption(req, WINHTTP_OPTION_RECEIVE_TIMEOUT, &short_ms, sizeof short_ms));
        ASSERT_TRUE(
            WinHttpSendRequest(req, nullptr, 0, kPing.data(), kPing.size(), kPing.size(), 0));
        if (!head_comes) {
            EXPECT_FALSE(WinHttpReceiveResponse(req, nullptr));
            EXPECT_EQ(WinHttpGetLastError(), ERROR_WINHTTP_TIMEOUT);
        } else {
            ASSERT_TRUE(WinHttpReceiveResponse(req, nullptr)) << WinHttpGetLastError();
            char buf[256];
            DWORD got = 0;
            std::string data;
            while (WinHttpReadData(req, buf, sizeof buf, &got) && got > 0)
                data.append(buf, got);
            EXPECT_EQ(data, "<first part/>") << "what came is handed on first";
            EXPECT_EQ(WinHttpGetLastError(), ERROR_WINHTTP_TIMEOUT);
        }
        EXPECT_TRUE(WinHttpCloseHandle(req));
    }
}

// A session starts with the usual time-outs, and its connections and requests
// with those of their parent; the plug-in replaces one only where the SOAP
// context sets it (seconds, or microseconds when negative).
TEST(WinHttpTimeouts, DefaultsStayUnlessTheContextSetsOne)
{
    HINTERNET session = WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    auto query = [](HINTERNET h, DWORD option) {
        DWORD value = 12345, len = sizeof value;
        EXPECT_TRUE(WinHttpQueryOption(h, option, &value, &len)) << option;
        return value;
    };
    const DWORD options[] = {WINHTTP_OPTION_RESOLVE_TIMEOUT, WINHTTP_OPTION_CONNECT_TIMEOUT,
                             WINHTTP_OPTION_SEND_TIMEOUT, WINHTTP_OPTION_RECEIVE_TIMEOUT};
    struct Case
    {
        int connect, send, recv; // the context's time-outs
        DWORD expected[4];       // resolve, connect, send, receive in ms
    } cases[] = {
        {0, 0, 0, {0, 60000, 30000, 30000}}, {5, 0, 0, {0, 5000, 30000, 30000}},
        {0, 7, 0, {0, 60000, 7000, 30000}},  {0, 0, -200000, {0, 60000, 30000, 200}},
        {1, 2, 3, {0, 1000, 2000, 3000}},
    };
    HINTERNET connect = WinHttpConnect(session, u"127.0.0.1", 1, 0);
    ASSERT_NE(connect, nullptr);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(query(session, options[i]), cases[0].expected[i]) << "session " << i;
    for (const Case& c : cases) {
        HINTERNET req = WinHttpOpenRequest(connect, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        ASSERT_NE(req, nullptr);
        struct soap* soap = soap_new();
        soap->connect_timeout = c.connect;
        soap->send_timeout = c.send;
        soap->recv_timeout = c.recv;
        qortransport::apply_soap_timeouts(soap, req);
        soap_free(soap);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(query(req, options[i]), c.expected[i])
                << c.connect << "/" << c.send << "/" << c.recv << " option " << options[i];
        EXPECT_TRUE(WinHttpCloseHandle(req));
    }
    EXPECT_TRUE(WinHttpCloseHandle(connect));
    EXPECT_TRUE(WinHttpCloseHandle(session));
}

TEST(WinHttpConnectFailure, ReportsTheReason)
{
    const qortest::ClosedPort closed;
    const uint16_t port = closed.port();
    HINTERNET session = WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    struct Case
    {
        std::string host;
        uint16_t port;
        DWORD error;
    } cases[] = {{"127.0.0.1", port, ERROR_WINHTTP_CANNOT_CONNECT},
                 {"no-such-host.invalid", 80, ERROR_WINHTTP_NAME_NOT_RESOLVED}};
    for (const Case& c : cases) {
        HINTERNET connect = WinHttpConnect(session, widen(c.host).c_str(), c.port, 0);
        ASSERT_NE(connect, nullptr);
        HINTERNET req = WinHttpOpenRequest(connect, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        ASSERT_TRUE(WinHttpSendRequest(req, nullptr, 0, "x", 1, 1, 0));
        EXPECT_FALSE(WinHttpReceiveResponse(req, nullptr)) << c.host;
        EXPECT_EQ(WinHttpGetLastError(), c.error) << c.host;
        EXPECT_TRUE(WinHttpCloseHandle(req));
        EXPECT_TRUE(WinHttpCloseHandle(connect));
    }
    EXPECT_TRUE(WinHttpCloseHandle(session));
}

// The environment's proxy serves other hosts, never a loopback one, which
// the proxy would look for on its own machine, credentials and all.
TEST(WinHttpProxy, ALoopbackHostIsReachedDirectly)
{
    qortest::FakeService target;
    qortest::FakeService proxy;
    for (const char* name : {"no_proxy", "NO_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);
    HINTERNET session =
        WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    const struct
    {
        const char16_t* host;
        bool proxied;
    } cases[] = {{u"localhost", false},
                 {u"127.0.0.1", false},
                 {u"127.1", false},
                 {u"::ffff:127.0.0.1", false},
                 {u"proxied.invalid", true}};
    for (const auto& c : cases) {
        const std::u16string host(c.host);
        const size_t direct_before = target.request_count();
        const size_t proxied_before = proxy.request_count();
        target.script("Ping", qortest::Reply::http(200, "<ok/>"));
        proxy.script("Ping", qortest::Reply::http(200, "<ok/>"));
        HINTERNET connect = WinHttpConnect(session, c.host, target.port(), 0);
        ASSERT_NE(connect, nullptr);
        HINTERNET req = WinHttpOpenRequest(connect, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        ASSERT_TRUE(
            WinHttpSendRequest(req, nullptr, 0, kPing.data(), kPing.size(), kPing.size(), 0));
        EXPECT_TRUE(WinHttpReceiveResponse(req, nullptr)) << WinHttpGetLastError();
        EXPECT_TRUE(WinHttpCloseHandle(req));
        EXPECT_TRUE(WinHttpCloseHandle(connect));
        EXPECT_EQ(target.request_count() - direct_before, c.proxied ? 0u : 1u)
            << std::string(host.begin(), host.end());
        EXPECT_EQ(proxy.request_count() - proxied_before, c.proxied ? 1u : 0u)
            << std::string(host.begin(), host.end());
    }
    EXPECT_TRUE(WinHttpCloseHandle(session));
    unsetenv("http_proxy");
}

} // namespace
