// The receive step's view of a response's HTTP framing: how much of the
// next read still belongs to the reply.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transport/plugin_data.h"

namespace {

using qortransport::ResponseFrame;

TEST(ResponseFrame, NoReadGoesPastTheAnnouncedBody)
{
    const std::string ok5 =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 5\r\n\r\n";
    struct Case
    {
        const char* what;
        std::vector<std::string> pieces; // bytes in the order they are read
        size_t left;                     // limit(1000) afterwards
    } cases[] = {
        {"head only", {ok5}, 5},
        {"head and part of the body", {ok5 + "he"}, 3},
        {"whole reply in one read", {ok5 + "hello"}, 0},
        {"head split across reads",
         {"HTTP/1.1 200 OK\r\nContent-Len", "gth: 5\r", "\n\r", "\nhel"},
         2},
        {"body read byte by byte", {ok5, "h", "e", "l", "l", "o"}, 0},
        {"bytes beyond the frame", {ok5 + "hello, and more"}, 0},
        {"name in any case, blanks around the value",
         {"HTTP/1.1 500 Error\r\ncontent-LENGTH:   7  \r\n\r\n"},
         7},
        {"lines ending in a bare line feed", {"HTTP/1.1 200 OK\nContent-Length: 4\n\nab"}, 2},
        {"empty body", {"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}, 0},
        {"interim reply first",
         {"HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n"},
         3},
        {"interim reply in its own read",
         {"HTTP/1.1 100 Continue\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n"},
         9},
        {"chunked: the chunks end it",
         {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 5\r\n\r\n"},
         1000},
        {"no length: read to the close",
         {"HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\n\r\nabc"},
         1000},
        {"length that is no number", {"HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\n"}, 1000},
        {"no status line", {"garbage\r\nContent-Length: 5\r\n\r\n"}, 1000},
        {"head not complete yet", {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"}, 1000},
        {"head without end", {"HTTP/1.1 200 OK\r\n" + std::string(70000, 'x')}, 1000},
    };
    for (const Case& c : cases) {
        ResponseFrame frame;
        frame.reset();
        for (const std::string& piece : c.pieces) {
            ASSERT_GT(frame.limit(piece.size()), 0u)
                << c.what << ": a read before the end of the frame";
            frame.consumed(piece.data(), piece.size());
        }
        EXPECT_EQ(frame.limit(1000), c.left) << c.what;
    }
}

TEST(ResponseFrame, TheNextRequestStartsAFreshReply)
{
    ResponseFrame frame;
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";
    frame.consumed(reply.data(), reply.size());
    EXPECT_EQ(frame.limit(10), 0u);
    frame.reset();
    EXPECT_EQ(frame.limit(10), 10u);
    const std::string next = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n";
    frame.consumed(next.data(), next.size());
    EXPECT_EQ(frame.limit(10), 4u);
    EXPECT_EQ(frame.limit(3), 3u) << "a smaller read is not widened";
}

} // namespace
