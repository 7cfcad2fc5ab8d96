// HTTP framing of the fake service: keep-alive, request bodies, limits,
// dropped connections, delays and shutdown while a client is connected.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "raw_client.h"
#include "support/fake_service.h"

namespace qortest {
namespace {

using namespace std::chrono_literals;

TEST(FakeServiceHttp, SeveralRequestsShareOneKeptAliveConnection)
{
    FakeService svc;
    svc.script("GetProcessList", Reply::ok("<QORControl:GetProcessListResponse/>"));
    RawClient c(svc.port());
    ASSERT_TRUE(c.connected());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(c.send(post(request_xml("GetProcessList"))));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete) << i;
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.header("Connection"), "keep-alive");
        EXPECT_EQ(first_body_element(r.body).local, "GetProcessListResponse");
    }
    ASSERT_EQ(svc.request_count(), 3u);
    EXPECT_EQ(svc.connections_accepted(), 1u);
    for (const Request& req : svc.requests())
        EXPECT_EQ(req.connection, 0u);
}

TEST(FakeServiceHttp, ConnectionIsKeptOrClosedByVersionAndHeader)
{
    struct Case
    {
        const char* version;
        const char* connection_line;
        bool kept;
    };
    const Case cases[] = {
        {"HTTP/1.1", "", true},
        {"HTTP/1.1", "Connection: close\r\n", false},
        {"HTTP/1.1", "Connection: Keep-Alive, Close\r\n", false},
        {"HTTP/1.0", "", false},
        {"HTTP/1.0", "Connection: keep-alive\r\n", true},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(std::string(tc.version) + " " + tc.connection_line);
        FakeService svc;
        svc.script("Start", Reply::ok_empty("Start"));
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(post(request_xml("Start"), tc.connection_line, tc.version)));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.header("Connection"), tc.kept ? "keep-alive" : "close");
        if (!tc.kept) {
            EXPECT_TRUE(c.peer_closed());
        } else {
            ASSERT_TRUE(c.send(post(request_xml("Start"), tc.connection_line, tc.version)));
            EXPECT_TRUE(c.read_reply().complete);
            EXPECT_EQ(svc.request_count(), 2u);
        }
    }
}

TEST(FakeServiceHttp, ChunkedRequestBodyIsReassembled)
{
    FakeService svc;
    svc.script("ParameterValue", Reply::ok("<QORControl:ParameterValueResponse><value>x</value>"
                                           "</QORControl:ParameterValueResponse>"));
    std::string body = envelope("<QORControl:ParameterValue><parameter>rdisp/wp_no_dia</parameter>"
                                "</QORControl:ParameterValue>");
    std::string wire =
        "POST /ctrl HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n";
    // Uneven chunk sizes, upper-case hex and a chunk extension, then a trailer.
    std::size_t sizes[] = {1, 17, 0x2A, 200};
    std::size_t off = 0;
    for (std::size_t s : sizes) {
        if (off >= body.size())
            break;
        s = std::min(s, body.size() - off);
        char line[32];
        std::snprintf(line, sizeof line, "%zX;ext=1\r\n", s);
        wire += line + body.substr(off, s) + "\r\n";
        off += s;
    }
    char line[32];
    std::snprintf(line, sizeof line, "%zx\r\n", body.size() - off);
    wire += line + body.substr(off) + "\r\n0\r\nX-Trailer: 1\r\n\r\n";
    RawClient c(svc.port());
    // Sent in small pieces so the service must wait for the rest.
    for (std::size_t i = 0; i < wire.size(); i += 7)
        ASSERT_TRUE(c.send(wire.substr(i, 7)));
    HttpReply r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.status, 200);
    Request req = svc.last_request();
    EXPECT_TRUE(req.body_chunked);
    EXPECT_EQ(req.body, body);
    EXPECT_EQ(req.element, "ParameterValue");
    EXPECT_EQ(req.element_ns, "urn:QORControl");
    EXPECT_EQ(req.target, "/ctrl");
}

TEST(FakeServiceHttp, RecordsRequestLineHeadersAndElement)
{
    FakeService svc;
    svc.script("Start", Reply::ok_empty("Start"));
    RawClient c(svc.port());
    ASSERT_TRUE(c.send(post(request_xml("Start"), "Authorization: Basic dXNlcjpwdw==\r\n")));
    ASSERT_TRUE(c.read_reply().complete);
    Request req = svc.request(0);
    EXPECT_EQ(req.request_line, "POST / HTTP/1.1");
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.version, "HTTP/1.1");
    EXPECT_EQ(req.header("soapaction"), "\"\"");
    EXPECT_EQ(req.header("AUTHORIZATION"), "Basic dXNlcjpwdw==");
    EXPECT_FALSE(req.has_header("Transfer-Encoding"));
    EXPECT_FALSE(req.body_chunked);
    EXPECT_EQ(req.element_qname, "QORControl:Start");
    EXPECT_THROW(svc.request(1), std::out_of_range);
}

TEST(FakeServiceHttp, ExpectContinueIsAnsweredBeforeTheBody)
{
    FakeService svc;
    svc.script("Start", Reply::ok_empty("Start"));
    RawClient c(svc.port());
    std::string full = post(request_xml("Start"), "Expect: 100-continue\r\n");
    auto split = full.find("\r\n\r\n") + 4;
    ASSERT_TRUE(c.send(full.substr(0, split)));
    HttpReply interim = c.read_reply();
    ASSERT_TRUE(interim.complete);
    EXPECT_EQ(interim.status, 100);
    ASSERT_TRUE(c.send(full.substr(split)));
    HttpReply r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.status, 200);
}

TEST(FakeServiceHttp, BadOrOversizedRequestsAreRefusedAndClosed)
{
    struct Case
    {
        const char* name;
        std::string wire;
        int status;
    };
    const Case cases[] = {
        {"no version", "GARBAGE\r\n\r\n", 400},
        {"header without colon", "POST / HTTP/1.1\r\nNoColonHere\r\n\r\n", 400},
        {"body above limit",
         "POST / HTTP/1.1\r\nContent-Length: " + std::to_string(kMaxBodyBytes + 1) + "\r\n\r\n",
         413},
        {"length not a number", "POST / HTTP/1.1\r\nContent-Length: 12x\r\n\r\n", 413},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        FakeService svc;
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(tc.wire));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.status, tc.status);
        EXPECT_TRUE(c.peer_closed());
        EXPECT_EQ(svc.request_count(), 0u);
    }
}

TEST(FakeServiceHttp, HeaderAboveLimitEndsTheConnection)
{
    FakeService svc;
    RawClient c(svc.port());
    std::string wire = "POST / HTTP/1.1\r\nX-Long: " + std::string(kMaxHeaderBytes + 10, 'a');
    c.send(wire); // the service may close before everything is written
    c.read_to_close();
    EXPECT_EQ(svc.request_count(), 0u);
}

TEST(FakeServiceHttp, DroppedConnectionClosesWithoutReply)
{
    FakeService svc;
    svc.script("GetProcessList", Reply::drop());
    RawClient c(svc.port());
    ASSERT_TRUE(c.send(post(request_xml("GetProcessList"))));
    EXPECT_EQ(c.read_to_close(), "");
    EXPECT_EQ(svc.request_count(), 1u);
}

TEST(FakeServiceHttp, RawReplyIsWrittenVerbatimThenClosed)
{
    FakeService svc;
    const std::string bytes =
        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<SOAP-ENV:Envelope><SOAP-";
    svc.script("GetVersionInfo", Reply::raw(bytes));
    RawClient c(svc.port());
    ASSERT_TRUE(c.send(post(request_xml("GetVersionInfo"))));
    EXPECT_EQ(c.read_to_close(), bytes);
}

// Pieces arrive in order and then the connection closes; an endless reply
// ends when the client hangs up, and its counter says how much was written.
TEST(FakeServiceHttp, RawRepliesInPiecesAndWithoutEnd)
{
    auto sent = std::make_shared<std::atomic<std::size_t>>(0);
    const std::string start = "HTTP/1.1 200 OK\r\n\r\n";
    {
        FakeService svc;
        svc.script("Start",
                   {Reply::raw_pieces({"HTTP/1.1 200 OK\r\n", "Content-Length: 2", "\r\n\r\nok"}),
                    Reply::endless(start, "<item/>", sent)});
        {
            RawClient c(svc.port());
            ASSERT_TRUE(c.send(post(request_xml("Start"))));
            EXPECT_EQ(c.read_to_close(), "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
        }
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(post(request_xml("Start"))));
        const std::string some = c.read_some(100000);
        EXPECT_EQ(some.compare(0, start.size(), start), 0);
        EXPECT_NE(some.find("<item/><item/>"), std::string::npos);
    } // the client hangs up, then the service stops
    EXPECT_GE(sent->load(), 100000u);
    EXPECT_LT(sent->load(), kMaxEndlessBytes) << "the writer ends with the client or the service";
}

TEST(FakeServiceHttp, ChunkedReplyCarriesTheSameBody)
{
    FakeService svc;
    std::string items;
    for (int i = 0; i < 100; ++i)
        items += "<item>line " + std::to_string(i) + "</item>";
    Reply reply = Reply::ok("<QORControl:GetEnvironmentResponse><env>" + items +
                            "</env></QORControl:GetEnvironmentResponse>");
    std::string expected = reply.body;
    svc.script("GetEnvironment", reply.as_chunked());
    RawClient c(svc.port());
    ASSERT_TRUE(c.send(post(request_xml("GetEnvironment"))));
    HttpReply r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.header("Transfer-Encoding"), "chunked");
    EXPECT_EQ(r.header("Content-Length"), "");
    EXPECT_EQ(r.body, expected);
}

TEST(FakeServiceHttp, DelayedReplyArrivesAfterTheDelay)
{
    FakeService svc;
    svc.script("Start", Reply::ok_empty("Start").after(150ms));
    RawClient c(svc.port());
    auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(c.send(post(request_xml("Start"))));
    HttpReply r = c.read_reply();
    ASSERT_TRUE(r.complete);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, 150ms);
    EXPECT_EQ(Reply::ok_empty("x").after(std::chrono::hours(1)).delay, kMaxDelay);
    EXPECT_EQ(Reply::ok_empty("x").after(-5ms).delay, 0ms);
}

TEST(FakeServiceHttp, StoppingWithPendingDelayAndIdleClientsDoesNotWait)
{
    auto begin = std::chrono::steady_clock::now();
    auto svc = std::make_unique<FakeService>();
    svc->script("Stop", Reply::ok_empty("Stop").after(kMaxDelay));
    RawClient waiting(svc->port());
    RawClient idle(svc->port());
    ASSERT_TRUE(waiting.send(post(request_xml("Stop"))));
    ASSERT_TRUE(idle.send("POST / HTTP/1.1\r\n")); // half a request
    ASSERT_TRUE(svc->wait_for_requests(1));
    svc.reset();
    EXPECT_TRUE(waiting.peer_closed());
    EXPECT_TRUE(idle.peer_closed());
    // Far below the scripted delay and the idle time-out: nothing was waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - begin, kMaxDelay / 2);
}

TEST(FakeServiceHttp, WaitForRequestsGivesUpAfterItsTimeout)
{
    FakeService svc;
    EXPECT_FALSE(svc.wait_for_requests(1, 50ms));
    svc.script("Start", Reply::ok_empty("Start"));
    RawClient c(svc.port());
    ASSERT_TRUE(c.send(post(request_xml("Start"))));
    EXPECT_TRUE(svc.wait_for_requests(1));
    EXPECT_FALSE(svc.wait_for_requests(2, 50ms));
    svc.clear_requests();
    EXPECT_EQ(svc.request_count(), 0u);
    EXPECT_THROW(svc.last_request(), std::out_of_range);
}

TEST(FakeServiceHttp, ServesOnAUnixDomainSocket)
{
    char dir_template[] = "/tmp/qorfakeXXXXXX";
    ASSERT_NE(::mkdtemp(dir_template), nullptr);
    std::string path = std::string(dir_template) + "/ctrl.sock";
    {
        FakeService svc(path);
        EXPECT_EQ(svc.socket_path(), path);
        EXPECT_EQ(svc.port(), 0);
        svc.script("GetVersionInfo", Reply::ok("<QORControl:GetVersionInfoResponse/>"));
        RawClient c(path);
        ASSERT_TRUE(c.connected());
        ASSERT_TRUE(c.send(post(request_xml("GetVersionInfo"))));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(svc.last_request().element, "GetVersionInfo");
    }
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "socket file left behind";
    ::rmdir(dir_template);
}

TEST(FakeServiceHttp, UnusablePlacesToListenThrow)
{
    EXPECT_THROW(FakeService(std::string(200, 'x')), std::runtime_error);
    EXPECT_THROW(FakeService(std::string("/nonexistent-dir-qor/ctrl.sock")), std::runtime_error);
    FakeService first;
    EXPECT_THROW(FakeService(first.port()), std::runtime_error);
}

TEST(FakeServiceHttp, FreeInstancePortSkipsTakenPorts)
{
    EXPECT_EQ(FakeService::instance_port(0), 50013);
    EXPECT_EQ(FakeService::instance_port(42), 54213);
    int first_nr = -1;
    auto first = FakeService::on_free_instance_port(first_nr, 60, 98);
    ASSERT_GE(first_nr, 60);
    EXPECT_EQ(first->port(), FakeService::instance_port(first_nr));
    int second_nr = -1;
    auto second = FakeService::on_free_instance_port(second_nr, first_nr, 98);
    EXPECT_GT(second_nr, first_nr);
    EXPECT_EQ(second->port(), FakeService::instance_port(second_nr));
    int none = -1;
    EXPECT_THROW(FakeService::on_free_instance_port(none, first_nr, first_nr), std::runtime_error);
    EXPECT_EQ(none, -1);
}

} // namespace
} // namespace qortest
