// The WinHTTP stand-in's reading of a chunked body: the data it hands on,
// where the body ends and which bodies are broken, as the library under it
// reads them, however the bytes are split into reads.

#include <gtest/gtest.h>

#include <string>

#include "transport/winhttp_chunks.h"

namespace {

using qortransport::WinHttpChunks;

struct Reading
{
    std::string data;
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
        const bool fed = chunks.feed(bytes.data() + at, n, &out.data);
        EXPECT_EQ(fed, !chunks.broken()) << bytes;
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
        bool ended;
        bool broken;
    } cases[] = {
        {"3\r\nabc\r\n0\r\n\r\n", "abc", true, false},
        {"3\r\nabc\r\n0\r\n", "abc", true, false}, // the trailer is not waited for
        {"3\r\nabc\r\n0\r\nX-Sum: 1\r\n", "abc", true, false},
        {"3\r\nabc\r\n0\r\n\r\nafter the body", "abc", true, false},
        {"3\r\nabc\r\n0", "abc", false, false},
        {"3\r\nabc\r\n0;x\r", "abc", false, false},
        {"3\r\nab", "ab", false, false},
        {"A\r\n0123456789\r\n1\r\nx\r\n0\r\n", "0123456789x", true, false},
        {"a\r\n0123456789\r\n0\r\n", "0123456789", true, false},
        {"3 junk;x=y\rq\r\nabc\r\n0 ;x\r\n", "abc", true, false}, // up to the line feed
        {"3\nabc\n0\n", "abc", true, false},
        {"3\r\nabc\r\r\r\n0\r\n", "abc", true, false},
        {"00\r\n", "", true, false},
        {"0000000000000003\r\nabc\r\n0\r\n", "abc", true, false}, // 16 digits
        {"00000000000000003\r\nabc\r\n0\r\n", "", false, true},   // 17
        {"7fffffffffffffff\r\nabc", "abc", false, false},
        {"8000000000000000\r\nabc\r\n0\r\n", "", false, true}, // above 63 bits
        {" 3\r\nabc\r\n0\r\n", "", false, true},
        {"g\r\nabc\r\n0\r\n", "", false, true},
        {"\r\n0\r\n", "", false, true},
        {"3\r\nabcx\r\n0\r\n", "abc", false, true},
        {"3\r\nabc\r\n\r\n0\r\n", "abc", false, true},
        {"", "", false, false},
    };
    for (const auto& c : cases) {
        for (size_t step : {size_t{0}, size_t{1}, size_t{2}, size_t{5}}) {
            const Reading out = read_chunks(c.bytes, step);
            EXPECT_EQ(out.data, c.data) << c.bytes << " in reads of " << step;
            EXPECT_EQ(out.ended, c.ended) << c.bytes << " in reads of " << step;
            EXPECT_EQ(out.broken, c.broken) << c.bytes << " in reads of " << step;
        }
    }
}

} // namespace
