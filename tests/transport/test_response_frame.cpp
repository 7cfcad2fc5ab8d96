// The receive step's view of a response's HTTP framing: what reaches the
// toolkit, what is asked of the connection, and which replies are refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "soap_client.h"
#include "transport/plugin_data.h"

namespace {

using qortransport::PluginData;
using qortransport::ResponseFrame;

// The connection: its bytes arrive in these segments, one read never taking
// more than one segment.
std::vector<std::string> g_segments;
size_t g_segment = 0, g_offset = 0;
size_t g_read = 0; // bytes taken from the connection

size_t scripted_read(struct soap*, PluginData*, char* s, size_t n)
{
    while (g_segment < g_segments.size() && g_offset == g_segments[g_segment].size()) {
        ++g_segment;
        g_offset = 0;
    }
    if (g_segment == g_segments.size())
        return 0;
    const size_t k = std::min(n, g_segments[g_segment].size() - g_offset);
    g_segments[g_segment].copy(s, k, g_offset);
    g_offset += k;
    g_read += k;
    return k;
}

struct Outcome
{
    std::string handed; // to the toolkit
    size_t read = 0;    // from the connection
    int error = SOAP_OK;
    std::string fault;
    bool overrun = false;
    size_t peak_held = 0;
};

Outcome receive(const std::vector<std::string>& segments, size_t buffer = 4096)
{
    g_segments = segments;
    g_segment = g_offset = g_read = 0;
    SoapClient client(NI_HTTP, 3, false);
    PluginData* d = qortransport::plugin_data(client.ctx());
    d->frame.reset();
    Outcome out;
    std::string buf(buffer, '\0');
    for (int calls = 0; calls < 1000000; ++calls) {
        const size_t k =
            qortransport::framed_recv(client.ctx(), d, buf.data(), buffer, scripted_read);
        if (k == 0)
            break;
        out.handed.append(buf.data(), k);
    }
    out.read = g_read;
    out.error = client.ctx()->error;
    out.fault = client.fault();
    out.overrun = d->frame.overrun();
    out.peak_held = d->frame.peak_held();
    return out;
}

const std::string kHead = "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 5\r\n\r\n";

TEST(ResponseFrame, HandsOnOneFramedReplyAndRefusesWhatIsNoReply)
{
    const std::string cont = "HTTP/1.1 100 Continue\r\n\r\n";
    std::string flood;
    for (int i = 0; i < 100000; ++i)
        flood += i % 2 == 0 ? cont : "HTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n";
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                "Content-Length: 5\r\n\r\n3\r\nabc\r\n0\r\n\r\n";
    struct Case
    {
        const char* what;
        std::vector<std::string> segments;
        std::string handed;
        size_t read;       // npos: everything
        const char* fault; // null: no refusal
        bool overrun;
        size_t buffer;
    } cases[] = {
        {"whole reply in one segment",
         {kHead + "hello"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"head split inside its end",
         {"HTTP/1.1 200 OK\r\nContent-Len", "gth: 5\r", "\n\r", "\nhel", "lo"},
         "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"body byte by byte",
         {kHead, "h", "e", "l", "l", "o"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"a buffer smaller than the head",
         {kHead + "hello"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         7},
        {"bytes past the length in the head's segment",
         {kHead + "hello</x>"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         true,
         4096},
        {"bytes past the length in the body's segment",
         {kHead, "hello</x>"},
         kHead + "hello",
         kHead.size() + 5,
         nullptr,
         false,
         4096},
        {"bytes past the length in a later segment",
         {kHead, "hel", "lo", "</x>"},
         kHead + "hello",
         kHead.size() + 5,
         nullptr,
         false,
         4096},
        {"empty body ends at once",
         {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", "<x/>"},
         "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n",
         38,
         nullptr,
         false,
         4096},
        {"interim replies are dropped",
         {cont + cont + kHead + "hello"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"an interim reply in its own segments",
         {"HTTP/1.1 102 Pro", "cessing\r\n\r\n", kHead},
         kHead,
         std::string::npos,
         nullptr,
         false,
         4096},
        {"a flood of interim replies",
         {flood + kHead + "hello"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         65536},
        {"line ends before the status line",
         {"\r\n" + kHead + "hello"},
         kHead + "hello",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"bare line feeds",
         {"HTTP/1.1 200 OK\nContent-Length: 2\n\nab"},
         "HTTP/1.1 200 OK\nContent-Length: 2\n\nab",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"chunks end by themselves", {chunked}, chunked, std::string::npos, nullptr, false, 4096},
        {"no length: up to the close",
         {"HTTP/1.1 200 OK\r\n\r\nabc", "def"},
         "HTTP/1.1 200 OK\r\n\r\nabcdef",
         std::string::npos,
         nullptr,
         false,
         4096},
        {"status 0",
         {"HTTP/1.1 0 Zero\r\nContent-Length: 5\r\n\r\nhello"},
         "",
         std::string::npos,
         "HTTP status 0 is outside 100 to 599",
         false,
         4096},
        {"status 99",
         {"HTTP/1.1 099 Low\r\n\r\n"},
         "",
         std::string::npos,
         "HTTP status 99 is outside 100 to 599",
         false,
         4096},
        {"status 600",
         {"HTTP/1.1 600 High\r\n\r\n"},
         "",
         std::string::npos,
         "HTTP status 600 is outside 100 to 599",
         false,
         4096},
        {"a five-digit status",
         {"HTTP/1.1 20000 OK\r\n\r\n"},
         "",
         std::string::npos,
         "HTTP status 9999 is outside 100 to 599",
         false,
         4096},
        {"a status that is no number",
         {"HTTP/1.1 OK\r\n\r\n"},
         "",
         std::string::npos,
         "without an HTTP status line",
         false,
         4096},
        {"no HTTP at all",
         {"SSH-2.0-x\r\n\r\n"},
         "",
         std::string::npos,
         "without an HTTP status line",
         false,
         4096},
        {"closed inside the head",
         {"HTTP/1.1 200 OK\r\nContent-Ty"},
         "",
         std::string::npos,
         "closed inside the HTTP header",
         false,
         4096},
        {"a head without end",
         {"HTTP/1.1 200 OK\r\nX: " + std::string(ResponseFrame::kMaxHead, 'x')},
         "",
         ResponseFrame::kMaxHead,
         "longer than 65536 bytes",
         false,
         4096},
        {"nothing at all", {}, "", 0, nullptr, false, 4096},
    };
    for (const Case& c : cases) {
        const Outcome out = receive(c.segments, c.buffer);
        size_t all = 0;
        for (const std::string& s : c.segments)
            all += s.size();
        EXPECT_EQ(out.handed, c.handed) << c.what;
        EXPECT_EQ(out.read, c.read == std::string::npos ? all : c.read) << c.what;
        EXPECT_EQ(out.overrun, c.overrun) << c.what;
        EXPECT_LE(out.peak_held, ResponseFrame::kMaxHead) << c.what;
        if (c.fault != nullptr) {
            EXPECT_EQ(out.error, SOAP_HTTP_ERROR) << c.what;
            EXPECT_NE(out.fault.find(c.fault), std::string::npos) << c.what << ": " << out.fault;
        } else {
            EXPECT_EQ(out.error, SOAP_OK) << c.what << ": " << out.fault;
        }
    }
}

TEST(ResponseFrame, TheNextRequestStartsAFreshReply)
{
    ResponseFrame frame;
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    EXPECT_EQ(frame.feed(reply.data(), reply.size()), 0u) << "held until taken";
    char buf[64];
    EXPECT_EQ(frame.take(buf, sizeof buf), reply.size());
    EXPECT_EQ(frame.want(10), 0u);
    frame.reset();
    EXPECT_EQ(frame.want(10), 10u);
    const std::string next = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n";
    frame.feed(next.data(), next.size());
    EXPECT_EQ(frame.want(10), 4u);
    EXPECT_EQ(frame.want(3), 3u) << "a smaller read is not widened";
    EXPECT_EQ(frame.feed("abc", 3), 3u) << "body bytes stay where they were read";
    EXPECT_EQ(frame.want(10), 1u);
}

} // namespace
