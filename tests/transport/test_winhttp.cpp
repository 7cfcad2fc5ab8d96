// The WinHTTP stand-in on its own: handle checks, request states, headers,
// status and body, connection reuse and time-outs.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <stdsoap2.h>

#include "support/closed_port.h"
#include "support/fake_service.h"
#include "transport/plugin_data.h"
#include "transport/winhttp.h"
#include "transport/winhttp_proxy.h"

namespace {

const std::string kPing = "<Envelope><Body><Ping/></Body></Envelope>";

std::u16string widen(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::string address_text(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = "?";
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address);
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address);
    if (address.ss_family == AF_INET)
        return inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text) +
               (":" + std::to_string(ntohs(v4->sin_port)));
    if (address.ss_family == AF_INET6)
        return "[" + std::string(inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text)) +
               "]:" + std::to_string(ntohs(v6->sin6_port));
    return "none";
}

// What a request tells of its connection.
struct Connection
{
    std::string remote, local; // "address:port"
    bool proxied = false;
};

Connection connection_of(HINTERNET req)
{
    WINHTTP_CONNECTION_INFO info{};
    WINHTTP_PROXY_INFO proxy{};
    DWORD info_length = sizeof info, proxy_length = sizeof proxy;
    EXPECT_TRUE(WinHttpQueryOption(req, WINHTTP_OPTION_CONNECTION_INFO, &info, &info_length));
    EXPECT_TRUE(WinHttpQueryOption(req, WINHTTP_OPTION_PROXY, &proxy, &proxy_length));
    EXPECT_EQ(info.cbSize, sizeof info);
    EXPECT_EQ(proxy.lpszProxy, nullptr);
    return {address_text(info.RemoteAddress), address_text(info.LocalAddress),
            proxy.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY};
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

// Each request tells the connection that carried it, a reused one too.
TEST_F(WinHttp, ReusesTheConnectionOfAConnectionHandle)
{
    fake_.script("Ping", qortest::Reply::http(200, "<ok/>"));
    std::vector<std::string> locals;
    for (int i = 0; i < 3; ++i) {
        HINTERNET req = post(kPing);
        const Connection connection = connection_of(req);
        EXPECT_EQ(connection.remote, "127.0.0.1:" + std::to_string(fake_.port()));
        EXPECT_FALSE(connection.proxied);
        locals.push_back(connection.local);
        EXPECT_TRUE(WinHttpCloseHandle(req));
    }
    EXPECT_EQ(locals, std::vector<std::string>(3, locals[0]));
    EXPECT_EQ(locals[0].rfind("127.0.0.1:", 0), 0u) << locals[0];
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
        {"connection before receive",
         [&] {
             WINHTTP_CONNECTION_INFO info{};
             DWORD size = sizeof info;
             return WinHttpQueryOption(req, WINHTTP_OPTION_CONNECTION_INFO, &info, &size) != 0;
         },
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

using Reader = BOOL (*)(HINTERNET, void*, DWORD, DWORD*);

// What a request brought, read with one reader until it says the end (or
// fails), and what a second request over the same connection handle finds.
struct TwoRequests
{
    std::string data;
    DWORD error = ERROR_SUCCESS; // of the reading that ended it
    // The service still held the first reply's connection open when its
    // reading ended.
    bool held_on = false;
    std::string second; // the second reply's body
    size_t connections = 0;
};

TwoRequests two_requests(const qortest::Reply& first, Reader read)
{
    qortest::FakeService fake;
    fake.script("Ping", {first, qortest::Reply::http(200, "<second/>")});
    HINTERNET session = WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connect = WinHttpConnect(session, u"127.0.0.1", fake.port(), 0);
    const DWORD receive_ms = 30000;
    TwoRequests out;
    const Reader readers[] = {read, WinHttpReadData};
    for (int i = 0; i < 2; ++i) {
        HINTERNET req = WinHttpOpenRequest(connect, u"POST", u"/", nullptr, nullptr, nullptr, 0);
        EXPECT_TRUE(
            WinHttpSetOption(req, WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive_ms, sizeof receive_ms));
        EXPECT_TRUE(
            WinHttpSendRequest(req, nullptr, 0, kPing.data(), kPing.size(), kPing.size(), 0));
        EXPECT_TRUE(WinHttpReceiveResponse(req, nullptr)) << WinHttpGetLastError();
        std::string data;
        char buf[64];
        DWORD got = 0;
        bool ok = true;
        while ((ok = readers[i](req, buf, sizeof buf, &got) != 0) && got > 0)
            data.append(buf, got);
        if (i == 0) {
            out.data = data;
            out.error = ok ? ERROR_SUCCESS : WinHttpGetLastError();
            out.held_on = fake.connections_open() > 0;
        } else {
            out.second = data;
        }
        EXPECT_TRUE(WinHttpCloseHandle(req));
    }
    out.connections = fake.connections_accepted();
    EXPECT_TRUE(WinHttpCloseHandle(connect));
    EXPECT_TRUE(WinHttpCloseHandle(session));
    return out;
}

// The reading of a body never waits for what follows it: a chunked body ends
// at its last chunk, whatever becomes of its trailer, and a reading of what
// has arrived ends with it. Only a response that ended, its trailer too,
// before its request was closed leaves its connection to the next request.
// Where the service holds the connection after the reply (for the next
// request, or for a rest that never comes), a wait would last until it lets
// go of it, after 20 s without a byte from the client: the reading ends while
// it still holds it.
TEST(WinHttpBodyEnd, NeverWaitsForWhatFollowsTheBody)
{
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const std::string length = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
    std::string large; // more than the transfer holds unread, in many chunks
    for (int i = 0; large.size() < 300000; ++i)
        large += "<x n=\"" + std::to_string(i) + "\"/>";
    const struct
    {
        const char* name;
        qortest::Reply reply;
        Reader read;
        std::string data;
        DWORD error;
        size_t connections;
        bool held; // the service holds the connection after the reply
    } cases[] = {
        {"chunks, the trailer ended", qortest::Reply::http(200, "<x/>").as_chunked(),
         WinHttpReadData, "<x/>", ERROR_SUCCESS, 1, true},
        {"chunks, a large body", qortest::Reply::http(200, large).as_chunked(), WinHttpReadData,
         large, ERROR_SUCCESS, 1, true},
        {"chunks, no trailer", qortest::Reply::raw(chunked + "4\r\n<x/>\r\n0\r\n").holding(),
         WinHttpReadData, "<x/>", ERROR_SUCCESS, 2, true},
        {"chunks, a trailer without its end",
         qortest::Reply::raw(chunked + "4\r\n<x/>\r\n0\r\nX-Sum: 1\r\n").holding(), WinHttpReadData,
         "<x/>", ERROR_SUCCESS, 2, true},
        {"chunks, closed in the trailer", qortest::Reply::raw(chunked + "4\r\n<x/>\r\n0\r\nX-S"),
         WinHttpReadData, "<x/>", ERROR_SUCCESS, 2, false},
        {"chunks, broken", qortest::Reply::raw(chunked + "4\r\n<x/>X\r\n0\r\n\r\n"),
         WinHttpReadData, "<x/>", ERROR_WINHTTP_CONNECTION_ERROR, 2, false},
        {"what arrived, all of it", qortest::Reply::http(200, "<x/>"), WinHttpReadArrivedData,
         "<x/>", ERROR_SUCCESS, 1, true},
        {"what arrived, the rest never comes", qortest::Reply::raw(length + "<x/>").holding(),
         WinHttpReadArrivedData, "<x/>", ERROR_SUCCESS, 2, true},
        {"what arrived, none of the body", qortest::Reply::raw(length).holding(),
         WinHttpReadArrivedData, "", ERROR_SUCCESS, 2, true},
        {"what arrived, chunks without the trailer's end",
         qortest::Reply::raw(chunked + "4\r\n<x/>\r\n0\r\nX-Sum: 1\r\n").holding(),
         WinHttpReadArrivedData, "<x/>", ERROR_SUCCESS, 2, true},
    };
    for (const auto& c : cases) {
        const TwoRequests out = two_requests(c.reply, c.read);
        EXPECT_TRUE(out.data == c.data) << c.name << ": " << out.data.size() << " bytes";
        EXPECT_EQ(out.error, c.error) << c.name;
        if (c.held) {
            EXPECT_TRUE(out.held_on) << c.name << ": the reading waited for the service to let go";
        }
        EXPECT_EQ(out.second, "<second/>") << c.name;
        EXPECT_EQ(out.connections, c.connections) << c.name;
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
// the proxy would look for on its own machine, credentials and all; a
// request tells whether it went through the proxy, and the connection that
// carried it: the proxy's, or the one that answered of the host's addresses.
TEST(WinHttpProxy, ALoopbackHostIsReachedDirectly)
{
    qortest::FakeService target;
    qortest::FakeService proxy;
    const char* const variables[] = {"no_proxy",  "NO_PROXY",  "http_proxy", "https_proxy",
                                     "all_proxy", "ALL_PROXY", "HTTPS_PROXY"};
    HINTERNET session =
        WinHttpOpen(u"gSOAP", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    const struct
    {
        const char16_t* host;
        const char* variable; // names the proxy
        bool secure;
        const char* remote; // of the direct connection; null: through the proxy
    } cases[] = {
        {u"localhost", "http_proxy", false, "127.0.0.1"}, // after ::1, where curl tries first
        {u"127.0.0.1", "all_proxy", false, "127.0.0.1"},
        {u"127.1", "ALL_PROXY", false, "127.0.0.1"},
        {u"::ffff:127.0.0.1", "http_proxy", false, "[::ffff:127.0.0.1]"},
        {u"proxied.invalid", "http_proxy", false, nullptr},
        {u"proxied.invalid", "all_proxy", false, nullptr},
        {u"proxied.invalid", "ALL_PROXY", false, nullptr},
        {u"proxied.invalid", "https_proxy", true, nullptr},
        {u"proxied.invalid", "HTTPS_PROXY", true, nullptr},
    };
    for (const auto& c : cases) {
        const std::u16string wide(c.host);
        const std::string host(wide.begin(), wide.end());
        for (const char* name : variables)
            unsetenv(name);
        setenv(c.variable, ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);
        target.clear_requests();
        proxy.clear_requests();
        target.script("Ping", qortest::Reply::http(200, "<ok/>"));
        proxy.script("Ping", qortest::Reply::http(200, "<ok/>"));
        HINTERNET connect = WinHttpConnect(session, c.host, target.port(), 0);
        ASSERT_NE(connect, nullptr);
        HINTERNET req = WinHttpOpenRequest(connect, u"POST", u"/", nullptr, nullptr, nullptr,
                                           c.secure ? WINHTTP_FLAG_SECURE : 0);
        ASSERT_TRUE(
            WinHttpSendRequest(req, nullptr, 0, kPing.data(), kPing.size(), kPing.size(), 0));
        // The fake proxy refuses the tunnel of https: the head of its refusal
        // comes back as the response's.
        ASSERT_TRUE(WinHttpReceiveResponse(req, nullptr)) << host << ": " << WinHttpGetLastError();
        const Connection connection = connection_of(req);
        EXPECT_EQ(connection.proxied, c.remote == nullptr) << host;
        EXPECT_EQ(connection.remote, c.remote != nullptr
                                         ? c.remote + (":" + std::to_string(target.port()))
                                         : "127.0.0.1:" + std::to_string(proxy.port()))
            << host;
        EXPECT_EQ(target.request_count(), c.remote != nullptr ? 1u : 0u) << host;
        ASSERT_EQ(proxy.request_count(), c.remote != nullptr ? 0u : 1u) << host;
        if (c.remote == nullptr) {
            EXPECT_EQ(proxy.last_request().method, c.secure ? "CONNECT" : "POST") << host;
        }
        EXPECT_TRUE(WinHttpCloseHandle(req));
        EXPECT_TRUE(WinHttpCloseHandle(connect));
    }
    EXPECT_TRUE(WinHttpCloseHandle(session));
    for (const char* name : variables)
        unsetenv(name);
}

// The stand-in chooses the proxy itself, so that it knows whether a request
// goes through one, and reads the environment as libcurl reads it (each row
// as libcurl 7.88 took it): a loopback host aside, the proxy that the
// scheme's variable or all_proxy names, unless no_proxy names the host.
TEST(WinHttpProxy, IsReadFromTheEnvironmentAsLibcurlReadsIt)
{
    const char* const variables[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
                                     "all_proxy",  "ALL_PROXY",  "no_proxy",    "NO_PROXY"};
    const std::string p = "http://proxy.test:3128", q = "socks5://other.test:1080";
    const struct
    {
        std::vector<std::pair<const char*, std::string>> environment;
        const char* host;
        bool secure;
        std::string proxy;
    } cases[] = {
        {{{"http_proxy", p}}, "qor.test", false, p},
        {{{"HTTP_PROXY", p}}, "qor.test", false, ""}, // never read
        {{{"https_proxy", p}}, "qor.test", false, ""},
        {{{"all_proxy", p}}, "qor.test", false, p},
        {{{"ALL_PROXY", p}}, "qor.test", false, p},
        {{{"http_proxy", ""}, {"ALL_PROXY", p}}, "qor.test", false, p}, // empty: unset
        {{{"http_proxy", p}, {"all_proxy", q}}, "qor.test", false, p},
        {{{"all_proxy", q}, {"ALL_PROXY", p}}, "qor.test", false, q},
        {{{"https_proxy", p}}, "qor.test", true, p},
        {{{"HTTPS_PROXY", p}}, "qor.test", true, p},
        {{{"http_proxy", p}}, "qor.test", true, ""},
        {{{"ALL_PROXY", p}}, "qor.test", true, p},
        {{{"http_proxy", p}}, "localhost", false, ""},
        {{{"https_proxy", p}}, "::1", true, ""},
        {{{"http_proxy", p}, {"no_proxy", "qor.test"}}, "qor.test", false, ""},
        {{{"http_proxy", p}, {"NO_PROXY", "qor.test"}}, "qor.test", false, ""},
        {{{"http_proxy", p}, {"no_proxy", ""}, {"NO_PROXY", "qor.test"}}, "qor.test", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "a.test"}, {"NO_PROXY", "qor.test"}},
         "qor.test",
         false,
         p},
        {{{"https_proxy", p}, {"no_proxy", "QOR.TEST."}}, "qor.test.", true, ""},
        {{{"http_proxy", p}, {"no_proxy", ".example.com"}}, "a.example.com", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "example.com"}}, "a.example.com", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "example.com"}}, "nonexample.com", false, p},
        {{{"http_proxy", p}, {"no_proxy", "x example.com"}}, "a.example.com", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "*"}}, "a.example.com", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "x,*"}}, "a.example.com", false, p},
        {{{"http_proxy", p}, {"no_proxy", "*.example.com"}}, "a.example.com", false, p},
        {{{"http_proxy", p}, {"no_proxy", "192.0.2.0/24"}}, "192.0.2.99", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "192.0.2.99/0"}}, "192.0.2.99", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "2.99"}}, "192.0.2.99", false, p},
        {{{"http_proxy", p}, {"no_proxy", "192.0.2.99/40"}}, "192.0.2.99", false, p},
        {{{"http_proxy", p}, {"no_proxy", "fd00::99"}}, "fd00::99", false, ""},
        {{{"http_proxy", p}, {"no_proxy", "fd00::/64"}}, "fd00::99", false, p},
    };
    using qortransport::winhttp_proxy_for;
    for (const auto& c : cases) {
        for (const char* name : variables)
            unsetenv(name);
        std::string label = std::string(c.host) + (c.secure ? " (https)" : "");
        for (const auto& [name, value] : c.environment) {
            setenv(name, value.c_str(), 1);
            label += std::string(" ") + name + "=" + value;
        }
        EXPECT_EQ(winhttp_proxy_for(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, "", "", c.host, c.secure),
                  c.proxy)
            << label;
        EXPECT_EQ(winhttp_proxy_for(WINHTTP_ACCESS_TYPE_NO_PROXY, "", "", c.host, c.secure), "")
            << label;
    }
    // A named proxy serves a loopback host too, unless its own bypass list
    // names it; without a list of its own, no_proxy counts.
    setenv("no_proxy", "qor.test", 1);
    EXPECT_EQ(winhttp_proxy_for(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, q, "", "127.0.0.1", false), q);
    EXPECT_EQ(winhttp_proxy_for(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, q, "", "qor.test", false), "");
    EXPECT_EQ(
        winhttp_proxy_for(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, q, "127.0.0.1", "qor.test", true), q);
    EXPECT_EQ(
        winhttp_proxy_for(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, q, "127.0.0.1", "127.0.0.1", true),
        "");
    unsetenv("no_proxy");
}

} // namespace
