// The WinHTTP stand-in's reading of a chunked body: the data it hands on,
// where the body ends (the bytes that belong to it) and which bodies are
// broken, as the library under it reads them, however the bytes are split
// into reads.

#include <gtest/gtest.h>

#include <string>

#include "transport/winhttp_chunks.h"

namespace {

using qortransport::WinHttpChunks;

struct Reading
{
    std::string data;
    size_t body = 0; // bytes that belong to the body
    bool ended = false;
    bool broken = false;
};

// Feeds bytes in reads of `step` bytes (0: one read).
Reading read_chunks(const std::string& bytes, size_t step)
{
    WinHttpChunks chunks;
    Reading out;
    for (size_t at = 0; at < bytes.size();) {
        const size_t n = step == 0 ? bytes.size() : std::min(step, bytes.size() - at);
        out.body += chunks.feed(bytes.data() + at, n, &out.data);
        at += n;
    }
    out.ended = chunks.ended();
    out.broken = chunks.broken();
    return out;
}

TEST(WinHttpChunks, ReadsAChunkedBodyAsTheLibraryDoes)
{
    const struct
    {
        std::string bytes;
        std::string data;
        size_t body;
        bool ended;
        bool broken;
    } cases[] = {
        {"3\r\nabc\r\n0\r\n\r\n", "abc", 11, true, false},
        {"3\r\nabc\r\n0\r\n", "abc", 11, true, false}, // the trailer is not waited for
        {"3\r\nabc\r\n0\r\nX-Sum: 1\r\n", "abc", 11, true, false},
        {"3\r\nabc\r\n0\r\n\r\nafter the body", "abc", 11, true, false},
        {"3\r\nabc\r\n0", "abc", 9, false, false},
        {"3\r\nabc\r\n0;x\r", "abc", 12, false, false},
        {"3\r\nab", "ab", 5, false, false},
        {"A\r\n0123456789\r\n1\r\nx\r\n0\r\n", "0123456789x", 24, true, false},
        {"a\r\n0123456789\r\n0\r\n", "0123456789", 18, true, false},
        {"3 junk;x=y\rq\r\nabc\r\n0 ;x\r\n", "abc", 25, true, false}, // up to the line feed
        {"3\nabc\n0\n", "abc", 8, true, false},
        {"3\r\nabc\r\r\r\n0\r\n", "abc", 13, true, false},
        {"00\r\n", "", 4, true, false},
        {"0000000000000003\r\nabc\r\n0\r\n", "abc", 26, true, false}, // 16 digits
        {"00000000000000003\r\nabc\r\n0\r\n", "", 16, false, true},   // 17
        {"7fffffffffffffff\r\nabc", "abc", 21, false, false},
        {"8000000000000000\r\nabc\r\n0\r\n", "", 15, false, true}, // above 63 bits
        {" 3\r\nabc\r\n0\r\n", "", 0, false, true},
        {"g\r\nabc\r\n0\r\n", "", 0, false, true},
        {"\r\n0\r\n", "", 0, false, true},
        {"3\r\nabcx\r\n0\r\n", "abc", 6, false, true},
        {"3\r\nabc\r\n\r\n0\r\n", "abc", 8, false, true},
        {"", "", 0, false, false},
    };
    for (const auto& c : cases) {
        for (size_t step : {size_t{0}, size_t{1}, size_t{2}, size_t{5}}) {
            const Reading out = read_chunks(c.bytes, step);
            EXPECT_EQ(out.data, c.data) << c.bytes << " in reads of " << step;
            EXPECT_EQ(out.body, c.body) << c.bytes << " in reads of " << step;
            EXPECT_EQ(out.ended, c.ended) << c.bytes << " in reads of " << step;
            EXPECT_EQ(out.broken, c.broken) << c.bytes << " in reads of " << step;
        }
    }
}

} // namespace
