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
    return out;
}

const std::string kHead = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n";

// kHead made `size` bytes long by a header line.
std::string head_of(size_t size)
{
    const std::string line = "X: ";
    return kHead.substr(0, kHead.size() - 2) + line +
           std::string(size - kHead.size() - line.size() - 2, 'x') + "\r\n\r\n";
}

TEST(ResponseFrame, HandsOnTheFinalReplyUpToItsLength)
{
    const std::string cont = "HTTP/1.1 100 Continue\r\n\r\n";
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                                "Content-Length: 5\r\n\r\n3\r\nabc\r\n0\r\n\r\n";
    // Fields named and valued as the toolkit compares them.
    const std::string quoted = "HTTP/1.1 200 OK\r\nTransfer_Encoding: \"chunked\"\r\n"
                               "Content-Length: 5\r\n\r\n3\r\nabc\r\n0\r\n\r\n";
    const std::string spaced = "HTTP/1.1 200 OK\r\nTransfer-Encoding : chunked\r\n"
                               "Content-Length: 5\r\n\r\n";
    struct Case
    {
        std::vector<std::string> segments;
        std::string handed;
    } cases[] = {
        {{"HTTP/1.1 200 OK\r\nContent-Len", "gth: 5\r", "\n\r", "\nhel", "lo"}, kHead + "hello"},
        {{kHead, "h", "e", "l", "l", "o"}, kHead + "hello"},
        {{kHead + "hello</x>"}, kHead + "hello"},
        {{kHead, "hello</x>"}, kHead + "hello"},
        {{kHead, "hel", "lo", "</x>"}, kHead + "hello"},
        {{cont + cont + kHead + "hello"}, kHead + "hello"},
        {{"HTTP/1.1 102 Pro", "cessing\r\n\r\n", kHead, "hello"}, kHead + "hello"},
        {{"\r\n" + kHead + "hello"}, kHead + "hello"},
        {{"HTTP/1.1 200 OK\nContent-Length: 2\n\nab"}, "HTTP/1.1 200 OK\nContent-Length: 2\n\nab"},
        {{chunked}, chunked.substr(0, chunked.size() - 2)}, // the trailer stays back
        {{quoted}, quoted.substr(0, quoted.size() - 2)},
        {{spaced + "3\r\nabc\r\n0\r\n\r\n"}, spaced + "3\r\nab"},
        {{"HTTP/1.1 200 OK\r\n\r\nabc", "def"}, "HTTP/1.1 200 OK\r\n\r\nabcdef"},
        {{}, ""},
        {{head_of(ResponseFrame::kMaxHead - 1) + "hello"},
         head_of(ResponseFrame::kMaxHead - 1) + "hello"},
        {{head_of(ResponseFrame::kMaxHead) + "hello"}, head_of(ResponseFrame::kMaxHead) + "hello"},
    };
    for (const Case& c : cases) {
        const Outcome out = receive(c.segments);
        EXPECT_EQ(out.handed, c.handed) << c.handed;
        EXPECT_EQ(out.error, SOAP_OK) << c.handed << ": " << out.fault;
    }
    // Bytes past the length: dropped when they came with the head, never
    // asked for afterwards.
    EXPECT_TRUE(receive({kHead + "hello</x>"}).overrun);
    const Outcome later = receive({kHead, "hel", "lo", "</x>"});
    EXPECT_FALSE(later.overrun);
    EXPECT_EQ(later.read, kHead.size() + 5);
    EXPECT_EQ(receive({kHead + "hello"}, 7).handed, kHead + "hello")
        << "a buffer smaller than the head";
}

// Of a chunked body, the toolkit reads nothing after the chunk of size 0 (as
// it reads sizes: up to 16 digits after any bytes that are none); the
// trailer up to its empty line is taken from the connection, anything after
// it only when it came in the same read.
TEST(ResponseFrame, HandsOnAChunkedBodyUpToItsLastChunk)
{
    const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    struct Case
    {
        std::vector<std::string> segments;
        std::string handed; // after the head
        bool overrun;
    } cases[] = {
        {{head + "3\r\nabc\r\n0\r\n\r\n"}, "3\r\nabc\r\n0\r\n", false},
        {{head, "3\r", "\nab", "c\r\n0", "\r", "\n\r", "\n"}, "3\r\nabc\r\n0\r\n", false},
        {{head + "3;x=1\r\nabc\r\n0;y\r\nX-Sum: 1\r\n\r\n"}, "3;x=1\r\nabc\r\n0;y\r\n", false},
        {{head + "3\nabc\nZZ2\nde\n0\n\n"}, "3\nabc\nZZ2\nde\n0\n", false},
        {{head + std::string(16, '0') + "3\r\nabc\r\n0\r\n\r\n"},
         std::string(16, '0') + "3\r\n",
         false},
        {{head + "3\r\nabc\r\n0\r\n\r\n3\r\nxyz\r\n0\r\n\r\n"}, "3\r\nabc\r\n0\r\n", true},
        {{head + "3\r\nabc\r\n0\r\n", "\r\n3\r\nxyz\r\n0\r\n\r\n"}, "3\r\nabc\r\n0\r\n", true},
        {{head + "3\r\nabc\r\n3\r\xff\n", "xyz\r\n0\r\n\r\n"}, "3\r\nabc\r\n3\r\xff", true},
        // The toolkit's largest chunk, and one byte more, which fails its
        // read: nothing after that size line reaches it.
        {{head + "3\r\nabc\r\n7fffffff\r\nxyz"}, "3\r\nabc\r\n7fffffff\r\nxyz", false},
        {{head + "3\r\nabc\r\n80000000\r\nxyz\r\n0\r\n\r\n"}, "3\r\nabc\r\n80000000\r\n", true},
        {{head + "3\r\nabc\r\n8000", "0000;x\r\n", "xyz\r\n0\r\n\r\n"},
         "3\r\nabc\r\n80000000;x\r\n",
         false},
        {{head + std::string(17, 'f') + "\r\nxyz\r\n0\r\n\r\n"},
         std::string(17, 'f') + "\r\n",
         true},
    };
    for (const Case& c : cases) {
        const Outcome out = receive(c.segments);
        EXPECT_EQ(out.handed, head + c.handed) << c.handed;
        EXPECT_EQ(out.error, SOAP_OK) << c.handed << ": " << out.fault;
        EXPECT_EQ(out.overrun, c.overrun) << c.handed;
    }
    EXPECT_EQ(receive({head, "3\r\nabc\r\n0\r\n\r\n", "3\r\n"}).read, head.size() + 13)
        << "nothing is asked for after the trailer";
}

// A reply has ended only at the end of its frame, wherever the toolkit
// stopped reading it: until then the rest may still come on the connection.
TEST(ResponseFrame, EndsOnlyAtTheEndOfItsFrame)
{
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n";
    const struct
    {
        std::string bytes; // all that came, the connection still open
        bool ended;
    } cases[] = {
        {kHead + "hello", true},
        {kHead + "hel", false},
        {kHead, false},
        {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true},
        {chunked + "0\r\n\r\n", true},
        {chunked + "0\r\nX-Sum: 1\r\n\r\n", true},
        {chunked + "0\r\n", false},
        {chunked + "0\r\nX-Sum: 1\r\n", false},
        {chunked + "0\r\nX-S", false},
        {chunked, false},
        {"HTTP/1.1 200 OK\r\n\r\nabc", false}, // it ends when the connection does
        {"HTTP/1.1 100 Continue\r\n\r\n", false},
    };
    for (const auto& c : cases) {
        ResponseFrame frame;
        char buf[256];
        for (size_t at = 0; at < c.bytes.size();) {
            const size_t n = frame.want(c.bytes.size() - at);
            ASSERT_GT(n, 0u) << c.bytes;
            frame.feed(c.bytes.data() + at, n);
            at += n;
            while (frame.take(buf, sizeof buf) > 0) {
            }
        }
        EXPECT_EQ(frame.ended(), c.ended) << c.bytes;
        EXPECT_EQ(frame.error(), "") << c.bytes;
    }
    ResponseFrame closed;
    const std::string open = "HTTP/1.1 200 OK\r\n\r\nabc";
    closed.feed(open.data(), open.size());
    closed.end_of_input();
    EXPECT_TRUE(closed.ended()) << "a reply without a length ends with its connection";
}

TEST(ResponseFrame, RefusesWhatIsNoHttpReply)
{
    struct Case
    {
        std::string bytes;
        const char* fault;
    } cases[] = {
        {"HTTP/1.1 0 Zero\r\nContent-Length: 5\r\n\r\nhello",
         "HTTP status 0 is outside 100 to 599"},
        {"HTTP/1.1 099 Low\r\n\r\n", "HTTP status 99 is outside 100 to 599"},
        {"HTTP/1.1 600 High\r\n\r\n", "HTTP status 600 is outside 100 to 599"},
        {"HTTP/1.1 20000 OK\r\n\r\n", "HTTP status 9999 is outside 100 to 599"},
        {"HTTP/1.1 OK\r\n\r\n", "without an HTTP status line"},
        {"SSH-2.0-x\r\n\r\n", "without an HTTP status line"},
        {"HTTP/1.1 200 OK\r\nContent-Ty", "closed inside the HTTP header"},
        {"HTTP/1.1 200 OK\r\nX: " + std::string(ResponseFrame::kMaxHead, 'x'),
         "longer than 65536 bytes"},
        {head_of(ResponseFrame::kMaxHead + 1) + "hello", "longer than 65536 bytes"},
    };
    for (const Case& c : cases) {
        const Outcome out = receive({c.bytes});
        EXPECT_EQ(out.handed, "") << c.fault;
        EXPECT_EQ(out.error, SOAP_HTTP_ERROR) << c.fault;
        EXPECT_NE(out.fault.find(c.fault), std::string::npos) << out.fault;
        EXPECT_LE(out.read, ResponseFrame::kMaxHead) << c.fault;
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
