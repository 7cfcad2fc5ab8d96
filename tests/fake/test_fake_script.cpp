// Scripted replies: queue order per request element, the default reply, and
// the fault and status replies that the client tests rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raw_client.h"
#include "support/fake_service.h"

namespace qortest {
namespace {

std::string exchange(RawClient& c, std::string_view webmethod, int* status = nullptr)
{
    if (!c.send(post(request_xml(webmethod))))
        return "(send failed)";
    HttpReply r = c.read_reply();
    if (status)
        *status = r.status;
    return r.complete ? r.body : "(incomplete)";
}

TEST(FakeServiceScript, QueuedRepliesAreUsedInOrderAndTheLastRepeats)
{
    FakeService svc;
    Reply gray = Reply::ok(
        "<QORControl:GetProcessListResponse><process><item><dispstatus>QORControl-GRAY</dispstatus>"
        "</item></process></QORControl:GetProcessListResponse>");
    Reply green = Reply::ok("<QORControl:GetProcessListResponse><process><item><dispstatus>"
                            "QORControl-GREEN</dispstatus>"
                            "</item></process></QORControl:GetProcessListResponse>");
    Reply yellow =
        Reply::ok("<QORControl:GetProcessListResponse><process><item><dispstatus>QORControl-YELLOW"
                  "</dispstatus></item></process></QORControl:GetProcessListResponse>");
    svc.script("GetProcessList", std::vector<Reply>{gray, yellow});
    svc.script("GetProcessList", green); // appends to the same queue
    svc.script("Start", Reply::ok_empty("Start"));
    RawClient c(svc.port());
    const struct
    {
        const char* element;
        const std::string* body;
    } expected[] = {
        {"GetProcessList", &gray.body},   {"Start", nullptr},
        {"GetProcessList", &yellow.body}, {"GetProcessList", &green.body},
        {"GetProcessList", &green.body},  {"Start", nullptr},
    };
    int i = 0;
    for (const auto& step : expected) {
        SCOPED_TRACE(i++);
        std::string body = exchange(c, step.element);
        if (step.body)
            EXPECT_EQ(body, *step.body);
        else
            EXPECT_EQ(first_body_element(body).local, "StartResponse");
    }
    EXPECT_EQ(svc.request_count(), 6u);
    EXPECT_EQ(svc.request(1).element, "Start");
}

TEST(FakeServiceScript, UnscriptedElementsGetTheDefaultReply)
{
    FakeService svc;
    RawClient c(svc.port());
    int status = 0;
    std::string body = exchange(c, "GetAlerts", &status);
    EXPECT_EQ(status, 500);
    EXPECT_NE(body.find("<faultcode>SOAP-ENV:Client</faultcode>"), std::string::npos);
    EXPECT_NE(body.find("No reply scripted for GetAlerts"), std::string::npos);

    svc.set_default(Reply::http(404, "gone", "text/plain"));
    body = exchange(c, "GetAlerts", &status);
    EXPECT_EQ(status, 404);
    EXPECT_EQ(body, "gone");
}

TEST(FakeServiceScript, FaultRepliesCarryCodeTextAndDetail)
{
    struct Case
    {
        const char* name;
        Reply reply;
        const char* content_type;
        const char* env_ns;
        std::vector<std::string> fragments;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {"1.1 without detail",
         Reply::fault11("SOAP-ENV:Server", "Instance already started"),
         "text/xml; charset=utf-8",
         kSoap11EnvNs,
         {"<faultcode>SOAP-ENV:Server</faultcode>",
          "<faultstring>Instance already started</faultstring>"},
         {"<detail>", "Detail>"}},
        {"1.1 with detail",
         Reply::fault11("SOAP-ENV:Client", "a < b & c", "<reason>denied</reason>"),
         "text/xml; charset=utf-8",
         kSoap11EnvNs,
         {"<faultstring>a &lt; b &amp; c</faultstring>",
          "<detail><reason>denied</reason></detail>"},
         {}},
        {"1.2 without detail",
         Reply::fault12("SOAP-ENV:Receiver", "boom"),
         "application/soap+xml; charset=utf-8",
         kSoap12EnvNs,
         {"<SOAP-ENV:Code><SOAP-ENV:Value>SOAP-ENV:Receiver</SOAP-ENV:Value></SOAP-ENV:Code>",
          "<SOAP-ENV:Reason><SOAP-ENV:Text xml:lang=\"en\">boom</SOAP-ENV:Text></SOAP-ENV:Reason>"},
         {"Detail>", "faultcode"}},
        {"1.2 with detail",
         Reply::fault12("SOAP-ENV:Sender", "bad", "<x>1</x>"),
         "application/soap+xml; charset=utf-8",
         kSoap12EnvNs,
         {"<SOAP-ENV:Value>SOAP-ENV:Sender</SOAP-ENV:Value>",
          "<SOAP-ENV:Detail><x>1</x></SOAP-ENV:Detail>"},
         {}},
    };
    for (const Case& tc : cases) {
        SCOPED_TRACE(tc.name);
        FakeService svc;
        svc.script("Start", tc.reply);
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(post(request_xml("Start"))));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.status, 500);
        EXPECT_EQ(r.header("Content-Type"), tc.content_type);
        BodyElement fault = first_body_element(r.body);
        EXPECT_EQ(fault.qname, "SOAP-ENV:Fault");
        EXPECT_EQ(fault.ns, tc.env_ns);
        for (const auto& f : tc.fragments)
            EXPECT_NE(r.body.find(f), std::string::npos) << f;
        for (const auto& f : tc.absent)
            EXPECT_EQ(r.body.find(f), std::string::npos) << f;
    }
}

TEST(FakeServiceScript, StatusReasonAndExtraHeadersAreSent)
{
    struct Case
    {
        Reply reply;
        int status;
        std::string reason_line_part;
    };
    Case cases[] = {
        {Reply::http(401).with_header("WWW-Authenticate", "Basic realm=\"ctrl\""), 401,
         "Unauthorized"},
        {Reply::http(503, "<html/>", "text/html"), 503, "Service Unavailable"},
        {Reply::http(299), 299, "Status"},
    };
    for (auto& tc : cases) {
        SCOPED_TRACE(tc.status);
        FakeService svc;
        svc.script("Start", tc.reply);
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(post(request_xml("Start"))));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.status, tc.status);
        EXPECT_EQ(r.reason, tc.reason_line_part);
        EXPECT_EQ(r.body, tc.reply.body);
        if (tc.status == 401) {
            EXPECT_EQ(r.header("WWW-Authenticate"), "Basic realm=\"ctrl\"");
        }
    }
}

TEST(FakeServiceScript, ClosingReplyEndsTheConnection)
{
    FakeService svc;
    svc.script("Start",
               std::vector<Reply>{Reply::ok_empty("Start").closing(), Reply::ok_empty("Start")});
    {
        RawClient c(svc.port());
        ASSERT_TRUE(c.send(post(request_xml("Start"))));
        HttpReply r = c.read_reply();
        ASSERT_TRUE(r.complete);
        EXPECT_EQ(r.header("Connection"), "close");
        EXPECT_TRUE(c.peer_closed());
    }
    RawClient again(svc.port());
    ASSERT_TRUE(again.send(post(request_xml("Start"))));
    EXPECT_EQ(again.read_reply().header("Connection"), "keep-alive");
    EXPECT_EQ(svc.connections_accepted(), 2u);
    EXPECT_EQ(svc.request(1).connection, 1u);
}

} // namespace
} // namespace qortest
