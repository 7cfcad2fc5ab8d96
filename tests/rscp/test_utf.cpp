#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/mman.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "rscp/rscp_utf.h"
#include "u16/u16_string.h"

namespace {

/* Records what the conversions hand to the error hook. */
struct HookCall
{
    uint32_t code;
    QOR_UC module;
    uint32_t accepted;
    std::u16string ident;
    int location;
    std::u16string text;
    bool syslog_id_given;
};
std::vector<HookCall> g_calls;

uint32_t recording_hook(uint32_t code, QOR_UC module, uint32_t accepted, const QOR_UC* ident,
                        int location, int, const QOR_UC* text, const QOR_UC* syslog_id,
                        const QOR_UC*, int, const QOR_UC*, int)
{
    g_calls.push_back({code, module, accepted, ident != nullptr ? ident : u"", location,
                       text != nullptr ? text : u"", syslog_id != nullptr});
    return code;
}

class RscpUtfConv : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_calls.clear();
        SetConvErrorHook(recording_hook);
    }
    void TearDown() override { SetConvErrorHook(nullptr); }
};

TEST_F(RscpUtfConv, U16ToUtf8Table)
{
    struct Case
    {
        std::u16string src;
        int32_t size;
        uint32_t rc;
        std::string out;
        const char16_t* text;
        int location;
    } cases[] = {
        {u"", 8, 0, "", u"", 0},
        {u"\u00e9", 8, 0, "\xC3\xA9", u"", 0},
        {u"\U0001F600", 8, 0, "\xF0\x9F\x98\x80", u"", 0},
        {std::u16string(u"ab") + char16_t(0xD83D), 8, RSCPEUNIQ, "ab", u"Half surrogate at end",
         12},
        {std::u16string(u"ab") + char16_t(0xD83D) + u"A", 8, RSCPENOCONV, "ab",
         u"Half surrogate in middle", 14},
        {std::u16string(u"ab") + char16_t(0xDE00), 8, RSCPENOCONV, "ab",
         u"Half low surrogate in middle", 15},
        {u"abcd", 4, RSCPETOOLONG, "abc", u"dest buffer overflow", 13},
        {u"abcd", 5, 0, "abcd", u"", 0},
        {u"a\u20ac", 4, RSCPETOOLONG, "a", u"dest buffer overflow", 13}, // no partial character
        {u"x", 1, RSCPETOOLONG, "", u"dest buffer overflow", 13},
    };
    for (const Case& c : cases) {
        g_calls.clear();
        char dst[16];
        std::memset(dst, 0x5A, sizeof dst);
        int32_t len = -7;
        EXPECT_EQ(rscpU16zToUtf8(dst, c.size, &len, c.src.c_str()), c.rc)
            << "case " << (&c - cases);
        EXPECT_EQ(std::string(dst), c.out) << "case " << (&c - cases);
        EXPECT_EQ(len, static_cast<int32_t>(c.out.size()));
        EXPECT_EQ(dst[c.size], 0x5A) << "wrote beyond the size";
        if (c.rc == 0) {
            EXPECT_TRUE(g_calls.empty());
        } else {
            ASSERT_EQ(g_calls.size(), 1u);
            EXPECT_EQ(g_calls[0].code, c.rc);
            EXPECT_EQ(g_calls[0].text, c.text);
            EXPECT_EQ(g_calls[0].location, c.location);
            EXPECT_EQ(g_calls[0].module, u'O');
            EXPECT_EQ(g_calls[0].accepted, 0xFFFFFFFFu);
            EXPECT_TRUE(g_calls[0].syslog_id_given);
            EXPECT_EQ(g_calls[0].ident, u" $Id: //krn/rscp/rscpu86r#1 $");
        }
    }
}

/* The text of each location of the UTF-8 reader. */
std::u16string utf8_fault_text(int location)
{
    switch (location) {
    case 6:
    case 9:
        return u"dest buffer overflow";
    case 7:
        return u"source exhausted within a char";
    case 8:
        return u"illegal follow-up byte";
    case 10:
    case 11:
        return u"illegal start byte";
    case 17:
        return u"overlong UTF-8 sequence";
    default:
        return u"UTF-8 bejond UTF-32";
    }
}

/* Bytes to units. With U+FFFD (the whole-text entries and the core): out,
 * the replacements counted and the result, RSCPEUNIQ only for a character
 * cut off at the end, reported at location 7 with the source cursor at its
 * lead byte. Without a replacement (the core): the location of the first
 * fault (0: none) with the source cursor stopped at its lead byte; what
 * came before it, ASCII in every row, is kept. */
TEST_F(RscpUtfConv, Utf8ToU16Table)
{
    const std::u16string r = u"\uFFFD";
    struct Case
    {
        std::string src;
        std::u16string out;
        uint32_t replaced;
        uint32_t rc;
        int location;
        size_t stop;
    } cases[] = {
        {"", u"", 0, 0, 0, 0},
        {"\xC3\xA9", u"\u00e9", 0, 0, 0, 2},
        {"\xEF\xBF\xBD", u"\uFFFD", 0, 0, 0, 3}, // typed, not replaced
        // The smallest and largest value of each length.
        {"\xC2\x80", u"\u0080", 0, 0, 0, 2},
        {"\xDF\xBF", u"\u07FF", 0, 0, 0, 2},
        {"\xE0\xA0\x80", u"\u0800", 0, 0, 0, 3},
        {"\xF0\x90\x80\x80", u"\U00010000", 0, 0, 0, 4},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF", 0, 0, 0, 4},
        // Encoded surrogates are the units they encode.
        {"\xED\xA0\x80", u"\xD800", 0, 0, 0, 3},
        {"\xED\xBF\xBF", u"\xDFFF", 0, 0, 0, 3},
        {"\xED\xA0\x80\xED\xB0\x80", u"\U00010000", 0, 0, 0, 6},
        // Bytes that start nothing; near the end of the input location 11.
        {"ab\x80", u"ab" + r, 1, 0, 11, 2},
        {"\x80\xBF", r + r, 2, 0, 11, 0},
        {"\xFE\xFF"
         "z",
         r + r + u"z", 2, 0, 11, 0},
        {"\xFF"
         "abcd",
         r + u"abcd", 1, 0, 11, 0},
        {"\xFF"
         "abcde",
         r + u"abcde", 1, 0, 10, 0},
        // Overlong forms of each length, one U+FFFD for the whole sequence.
        {"\xC0\x80", r, 1, 0, 17, 0},
        {"\xC1\xBF", r, 1, 0, 17, 0},
        {"\xE0\x80\x80", r, 1, 0, 17, 0},
        {"\xE0\x9F\xBF", r, 1, 0, 17, 0},
        {"\xF0\x80\x80\x80", r, 1, 0, 17, 0},
        {"\xF0\x8F\xBF\xBF", r, 1, 0, 17, 0},
        {"\xF8\x87\xBF\xBF\xBF", r, 1, 0, 17, 0},
        {"\xFC\x83\xBF\xBF\xBF\xBF", r, 1, 0, 17, 0},
        // Beyond U+10FFFF, the five- and six-byte forms included.
        {"x\xF4\x90\x80\x80", u"x" + r, 1, 0, 32, 1},
        {"\xF5\x80\x80\x80", r, 1, 0, 32, 0},
        {"\xF7\xBF\xBF\xBF", r, 1, 0, 32, 0},
        {"\xF8\x88\x80\x80\x80"
         "a",
         r + u"a", 1, 0, 32, 0},
        {"\xFC\x84\x80\x80\x80\x80", r, 1, 0, 32, 0},
        {"\xFD\xBF\xBF\xBF\xBF\xBF", r, 1, 0, 32, 0},
        // A follow-up byte that is none: the lead byte is replaced and the
        // bytes after it are read again, continuation bytes as stray ones.
        {"\xE2\x82\x28", r + r + u"(", 2, 0, 8, 0},
        {"\xE2\x28\xA1", r + u"(" + r, 2, 0, 8, 0},
        {"ab\xC3"
         "A",
         u"ab" + r + u"A", 1, 0, 8, 2},
        {"\xF0\x9F\x98"
         " x",
         r + r + r + u" x", 3, 0, 8, 0},
        // The same where the claimed follow-up bytes run past the end.
        {"M\xFCller", u"M" + r + u"ller", 1, 0, 8, 1},
        {"B\xE4r", u"B" + r + u"r", 1, 0, 8, 1},
        {"Gr\xFC\xDF"
         "e",
         u"Gr" + r + r + u"e", 2, 0, 8, 2},
        {"\xF0\x9F"
         "z",
         r + r + u"z", 2, 0, 8, 0},
        // Cut off by the end: the text before it, nothing of it.
        {"abc\xC3", u"abc", 0, RSCPEUNIQ, 7, 3},
        {"\xE4", u"", 0, RSCPEUNIQ, 7, 0},
        {"ab\xE2\x82", u"ab", 0, RSCPEUNIQ, 7, 2},
        {"\xF0\x9F\x98", u"", 0, RSCPEUNIQ, 7, 0},
        {"\xF4\x90", u"", 0, RSCPEUNIQ, 7, 0},
        {"\xE0\x80", u"", 0, RSCPEUNIQ, 7, 0},
        {"\xFC\x80\x80\x80\x80", u"", 0, RSCPEUNIQ, 7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        g_calls.clear();
        const int32_t size = 16;
        QOR_UC dst[size];
        int32_t len = -1;
        uint32_t replaced = 0;
        EXPECT_EQ(rscpUtf8zToU16Counted(dst, size, &len, c.src.c_str(), &replaced), c.rc);
        EXPECT_EQ(std::u16string(dst), c.out);
        EXPECT_EQ(len, static_cast<int32_t>(c.out.size()));
        EXPECT_EQ(replaced, c.replaced);
        EXPECT_EQ(rscpUtf8zToU16(dst, size, nullptr, c.src.c_str()), c.rc);
        EXPECT_EQ(std::u16string(dst), c.out);
        EXPECT_EQ(Utf8zToU16(dst, size, nullptr, c.src.c_str()), c.rc);
        EXPECT_EQ(std::u16string(dst), c.out);
        EXPECT_EQ(Utf8nToU16(dst, size, &len, c.src.data(), static_cast<int32_t>(c.src.size())),
                  c.rc);
        EXPECT_EQ(std::u16string(dst, static_cast<size_t>(len)), c.out);
        const auto* begin = reinterpret_cast<const unsigned char*>(c.src.data());
        const unsigned char* s = begin;
        QOR_UC* d = dst;
        EXPECT_EQ(Utf8ToU16Range(0, &d, dst + size, &s, begin + c.src.size()), c.rc);
        EXPECT_EQ(static_cast<size_t>(s - begin), c.rc == 0 ? c.src.size() : c.stop);
        // Only a cut-off character is reported, by each of the five calls.
        for (const HookCall& call : g_calls)
            EXPECT_EQ(call.location, 7);
        EXPECT_EQ(g_calls.size(), c.rc == 0 ? 0u : 5u);

        g_calls.clear();
        s = begin;
        d = dst;
        const uint32_t plain_rc = c.location == 0 ? 0u : c.location == 7 ? RSCPEUNIQ : RSCPENOCONV;
        EXPECT_EQ(ConvUtf8ToU16(&s, begin + c.src.size(), &d, dst + size, nullptr, nullptr),
                  plain_rc);
        EXPECT_EQ(static_cast<size_t>(s - begin), c.stop);
        EXPECT_EQ(std::u16string(dst, d), c.location == 0 ? c.out : c.out.substr(0, c.stop));
        ASSERT_EQ(g_calls.size(), c.location == 0 ? 0u : 1u);
        if (c.location != 0) {
            EXPECT_EQ(g_calls[0].code, plain_rc);
            EXPECT_EQ(g_calls[0].location, c.location);
            EXPECT_EQ(g_calls[0].text, utf8_fault_text(c.location));
        }
    }
}

/* Room for what is written: a character (a replacement too) needs a unit
 * before it is looked at, a pair two. Buffers of exactly the size given, so
 * that a write beyond it shows in the sanitizer build. */
TEST_F(RscpUtfConv, Utf8ToU16Room)
{
    struct Case
    {
        std::string src;
        int32_t units;
        uint32_t rc;
        int location;
        std::u16string out;
    } cases[] = {
        {"abc", 2, RSCPETOOLONG, 6, u"ab"},
        {"abc", 3, 0, 0, u"abc"},
        {"a\xF0\x9F\x98\x80", 2, RSCPETOOLONG, 9, u"a"},
        {"a\xF0\x9F\x98\x80", 3, 0, 0, u"a\U0001F600"},
        {"a\xC0\x80", 1, RSCPETOOLONG, 6, u"a"},
        {"a\xC0\x80", 2, 0, 0, u"a\uFFFD"},
        {"ab\xC3", 2, RSCPETOOLONG, 6, u"ab"}, // room is looked at first
        {"ab\xC3", 3, RSCPEUNIQ, 7, u"ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src + " into " + std::to_string(c.units));
        g_calls.clear();
        std::vector<QOR_UC> exact(static_cast<size_t>(c.units), 0xBEEF);
        int32_t len = -1;
        EXPECT_EQ(Utf8nToU16(exact.data(), c.units, &len, c.src.data(),
                             static_cast<int32_t>(c.src.size())),
                  c.rc);
        EXPECT_EQ(std::u16string(exact.data(), static_cast<size_t>(len)), c.out);
        if (len < c.units) {
            EXPECT_EQ(exact[static_cast<size_t>(len)], 0xBEEF) << "half a pair written";
        }
        // The terminated form takes one unit more for its terminator.
        exact.assign(static_cast<size_t>(c.units) + 1, 0xBEEF);
        EXPECT_EQ(rscpUtf8zToU16(exact.data(), c.units + 1, &len, c.src.c_str()), c.rc);
        EXPECT_EQ(std::u16string(exact.data()), c.out);
        ASSERT_EQ(g_calls.size(), c.rc == 0 ? 0u : 2u);
        for (const HookCall& call : g_calls)
            EXPECT_EQ(call.location, c.location);
    }
}

/* The counter is incremented, never reset; a character cut off by the end
 * of one piece of an input is converted whole from the next call on. */
TEST_F(RscpUtfConv, CoreCountsAndResumesAtACutOffCharacter)
{
    uint32_t replaced = 5;
    const QOR_UC repl = u'?';
    const std::string src = "\x80\xC0\x80"
                            "a\xF0\x9F\x98\x80";
    const auto* begin = reinterpret_cast<const unsigned char*>(src.data());
    const unsigned char* s = begin;
    QOR_UC out[8];
    QOR_UC* d = out;
    EXPECT_EQ(ConvUtf8ToU16(&s, begin + 6, &d, out + 8, &repl, &replaced), RSCPEUNIQ);
    EXPECT_EQ(s, begin + 4);
    EXPECT_EQ(std::u16string(out, d), u"??a");
    EXPECT_EQ(replaced, 7u);
    EXPECT_EQ(ConvUtf8ToU16(&s, begin + src.size(), &d, out + 8, &repl, &replaced), 0u);
    EXPECT_EQ(std::u16string(out, d), u"??a\U0001F600");
    EXPECT_EQ(replaced, 7u);
}

TEST_F(RscpUtfConv, CoreCursorsStandWhereConversionStopped)
{
    const QOR_UC src[] = {0xD83D, 0xDE00, u'a', 0xDC00, u'b'};
    const QOR_UC* s = src;
    unsigned char out[16];
    unsigned char* d = out;
    EXPECT_EQ(ConvU16ToUtf8(&s, src + 5, &d, out + 16), RSCPENOCONV);
    EXPECT_EQ(s, src + 3); // the pair took two units, the lone low surrogate stops
    EXPECT_EQ(d, out + 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 5), "\xF0\x9F\x98\x80"
                                                            "a");
    s = src;
    d = out;
    EXPECT_EQ(U16ToUtf8Range(0, &d, out + 3, &s, src + 3), RSCPETOOLONG);
    EXPECT_EQ(s, src);
    EXPECT_EQ(d, out);
}

TEST_F(RscpUtfConv, CapacityLimits)
{
    int32_t len = 0;
    char b[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(U16nToUtf8(b, 2, &len, u"a\u00e9", 2), RSCPETOOLONG);
    EXPECT_EQ(len, 1);
    EXPECT_EQ(b[1], 'x');
    EXPECT_EQ(U16nToUtf8(b, 3, &len, u"a\u00e9", 2), 0u);
    EXPECT_EQ(len, 3);
}

TEST_F(RscpUtfConv, ZeroAndNegativeSizesWriteNothing)
{
    QOR_UC u[2] = {0xBEEF, 0xBEEF};
    char b[2] = {'x', 'x'};
    int32_t len = 9;
    EXPECT_EQ(rscpUtf8zToU16(u, 0, &len, "a"), RSCPETOOLONG);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(Utf8zToU16(u, -3, &len, "a"), RSCPETOOLONG);
    EXPECT_EQ(rscpU16zToUtf8(b, 0, &len, u"a"), RSCPETOOLONG);
    EXPECT_EQ(U16zToUtf8(b, -1, nullptr, u""), RSCPETOOLONG);
    EXPECT_EQ(U16nToUtf8(b, -1, &len, u"a", 1), RSCPETOOLONG);
    EXPECT_EQ(Utf8nToU16(u, -1, &len, "a", 1), RSCPETOOLONG);
    EXPECT_EQ(U16nToUtf8(b, 4, &len, u"a", -1), 0u);
    EXPECT_EQ(len, 0);
    EXPECT_EQ(u[0], 0xBEEF);
    EXPECT_EQ(b[0], 'x');
    for (const HookCall& call : g_calls)
        EXPECT_TRUE(call.syslog_id_given);
}

TEST_F(RscpUtfConv, PassThroughHookReturnsTheCode)
{
    SetConvErrorHook(nullptr);
    char b[2];
    EXPECT_EQ(U16zToUtf8(b, 2, nullptr, u"ab"), RSCPETOOLONG);
    EXPECT_TRUE(g_calls.empty());
}

/* ---- differential test against iconv ---- */

std::string iconv_convert(const char* to, const char* from, const std::string& in, bool* complete)
{
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(in.size() * 4 + 16, '\0');
    char* ip = const_cast<char*>(in.data());
    size_t il = in.size();
    char* op = out.data();
    size_t ol = out.size();
    const size_t r = iconv(cd, &ip, &il, &op, &ol);
    *complete = r != static_cast<size_t>(-1) && il == 0;
    out.resize(out.size() - ol);
    iconv_close(cd);
    return out;
}

std::string u16_as_bytes(const std::u16string& s)
{
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

std::u16string bytes_as_u16(const std::string& b)
{
    std::u16string out(b.size() / 2, 0);
    std::memcpy(out.data(), b.data(), out.size() * 2);
    return out;
}

char16_t random_unit(std::mt19937& rng, bool valid_only, std::u16string& s)
{
    const int kind = static_cast<int>(rng() % 8);
    switch (kind) {
    case 0:
        return static_cast<char16_t>(0x20 + rng() % 0x5F);
    case 1:
        return static_cast<char16_t>(0x80 + rng() % 0x780);
    case 2:
        return static_cast<char16_t>(0x800 + rng() % (0xD800 - 0x800));
    case 3:
        return static_cast<char16_t>(0xE000 + rng() % 0x2000);
    case 4: {
        const uint32_t cp = 0x10000 + rng() % 0x100000;
        s += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        return static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
    default:
        if (!valid_only && kind == 7 && rng() % 8 == 0)
            return static_cast<char16_t>(0xD800 + rng() % 0x800);
        return static_cast<char16_t>(0x41 + rng() % 26);
    }
}

TEST_F(RscpUtfConv, Utf16ToUtf8AgreesWithIconv)
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 400; ++round) {
        const bool valid_only = round % 2 == 0;
        std::u16string s;
        const int n = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i) {
            const char16_t u = random_unit(rng, valid_only, s);
            s += u;
        }
        bool complete = false;
        const std::string want = iconv_convert("UTF-8", "UTF-16LE", u16_as_bytes(s), &complete);
        std::vector<char> dst(s.size() * 4 + 1);
        int32_t len = 0;
        const uint32_t rc = U16nToUtf8(dst.data(), static_cast<int32_t>(dst.size()), &len, s.data(),
                                       static_cast<int32_t>(s.size()));
        EXPECT_EQ(rc == 0, complete) << "round " << round;
        EXPECT_EQ(std::string(dst.data(), static_cast<size_t>(len)), want) << "round " << round;
    }
}

TEST_F(RscpUtfConv, Utf8ToUtf16AgreesWithIconv)
{
    std::mt19937 rng(777);
    for (int round = 0; round < 400; ++round) {
        std::u16string s;
        const int n = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i) {
            const char16_t u = random_unit(rng, true, s);
            s += u;
        }
        bool complete = false;
        std::string utf8 = iconv_convert("UTF-8", "UTF-16LE", u16_as_bytes(s), &complete);
        ASSERT_TRUE(complete);
        const bool corrupt = round % 2 == 1;
        if (corrupt) {
            const int hits = 1 + static_cast<int>(rng() % 3);
            for (int h = 0; h < hits; ++h)
                utf8[rng() % utf8.size()] = static_cast<char>(0x80 + rng() % 0x80);
        }
        const std::string want_bytes = iconv_convert("UTF-16LE", "UTF-8", utf8, &complete);
        const std::u16string want = bytes_as_u16(want_bytes);
        std::vector<QOR_UC> dst(utf8.size() + 1);
        int32_t len = 0;
        const uint32_t rc = Utf8nToU16(dst.data(), static_cast<int32_t>(dst.size()), &len,
                                       utf8.data(), static_cast<int32_t>(utf8.size()));
        const std::u16string got(dst.data(), static_cast<size_t>(len));
        if (complete) {
            EXPECT_EQ(rc, 0u) << "round " << round;
            EXPECT_EQ(got, want) << "round " << round;
        } else {
            /* Up to the first fault both agree. There iconv stops; the
             * conversion goes on with U+FFFD or with the unit of an encoded
             * surrogate, or stops at a character cut off at the end. */
            EXPECT_EQ(got.substr(0, want.size()), want) << "round " << round;
            if (got.size() > want.size()) {
                const char16_t next = got[want.size()];
                EXPECT_TRUE(next == 0xFFFD || (next & 0xF800) == 0xD800) << "round " << round;
                EXPECT_TRUE(rc == 0 || rc == RSCPEUNIQ) << "round " << round;
            } else {
                EXPECT_EQ(rc, RSCPEUNIQ) << "round " << round;
            }
        }
    }
}

/* Random texts of pieces on which ICU's reader and this one agree: whole
 * characters of every length, stray continuation bytes, bytes that start
 * nothing, and lead bytes followed at once by ASCII. Both resume alike after
 * each fault: the same units and as many U+FFFD. (They differ on overlong
 * forms, encoded surrogates, values beyond U+10FFFF and on sequences broken
 * after their second byte, which ICU replaces by its own rules.) */
TEST_F(RscpUtfConv, ResumesAfterFaultsAsIcuWhereTheRulesAgree)
{
    static const char* const kPieces[] = {"a",
                                          "\x7F",
                                          "\xC2\x80",
                                          "\xDF\xBF",
                                          "\xE0\xA0\x80",
                                          "\xED\x9F\xBF",
                                          "\xEE\x80\x80",
                                          "\xEF\xBF\xBF",
                                          "\xF0\x90\x80\x80",
                                          "\xF4\x8F\xBF\xBF",
                                          "\x80",
                                          "\xBF",
                                          "\xFE",
                                          "\xFF",
                                          "\xC0z",
                                          "\xC3z",
                                          "\xE2z",
                                          "\xF0z",
                                          "\xF4z",
                                          "\xF8z",
                                          "\xFDz"};
    std::mt19937 rng(2029);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int n = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < n; ++i)
            text += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
        UChar want[64];
        int32_t want_length = 0;
        int32_t substituted = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(want, 64, &want_length, text.data(), static_cast<int32_t>(text.size()),
                             0xFFFD, &substituted, &status);
        ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
        QOR_UC got[64];
        int32_t length = 0;
        uint32_t replaced = 0;
        EXPECT_EQ(rscpUtf8zToU16Counted(got, 64, &length, text.c_str(), &replaced), 0u)
            << "round " << round;
        EXPECT_EQ(std::u16string(got, static_cast<size_t>(length)),
                  std::u16string(want, static_cast<size_t>(want_length)))
            << "round " << round;
        EXPECT_EQ(replaced, static_cast<uint32_t>(substituted)) << "round " << round;
    }
}

/* ---- the smaller routines ---- */

TEST(RscpUtfSmall, EbcdicAndPadding)
{
    QOR_UC out[8];
    const unsigned char hello[] = {0xC8, 0x85, 0x93, 0x93, 0x96};
    EbcdicToU16(out, hello, 5);
    EXPECT_EQ(std::u16string(out, 5), u"Hello");
    const unsigned char specials[] = {0x05, 0x07, 0x25, 0x41, 0x4A, 0x5A,
                                      0x81, 0xC1, 0xF0, 0x04, 0xFF, 0xCA};
    EbcdicToU16(out, specials, 8);
    EXPECT_EQ(std::u16string(out, 8), u"\t\u007f\n\u00a0[]aA");
    EbcdicToU16(out, specials + 8, 4);
    EXPECT_EQ(std::u16string(out, 4), u"0   ");
    out[0] = 0xBEEF;
    EbcdicToU16(out, specials, 0);
    EbcdicToU16(out, specials, -2);
    EXPECT_EQ(out[0], 0xBEEF);

    for (QOR_UC& u : out)
        u = 0xBEEF;
    PadCopyU16z(out, u"ab", 5);
    EXPECT_EQ(std::u16string(out, 5), u"ab   ");
    EXPECT_EQ(out[5], 0xBEEF);
    PadCopyU16z(out, u"ab", 1);
    EXPECT_EQ(out[0], u'a');
    EXPECT_EQ(out[1], u'b'); // untouched from before
    PadCopyU16z(out, nullptr, 3);
    EXPECT_EQ(std::u16string(out, 3), u"   ");
    PadCopyU16n(out, 3, u"abcdef", 6);
    EXPECT_EQ(std::u16string(out, 3), u"abc");
    PadCopyU16n(out, 5, u"xy", 2);
    EXPECT_EQ(std::u16string(out, 5), u"xy   ");
    PadCopyU16n(out, 2, nullptr, 0);
    EXPECT_EQ(out[0], u'x');
    PadCopyU16n(out, 2, nullptr, 4);
    EXPECT_EQ(std::u16string(out, 2), u"  ");
}

TEST(RscpUtfSmall, EbcdicTableIsCodePage500WithControlsBlanked)
{
    /* The positions the table shows as a blank although code page 500 maps
     * them to a control character. */
    const std::vector<int> blanked = {0x04, 0x06, 0x08, 0x09, 0x0A, 0x14, 0x15, 0x17, 0x1A,
                                      0x1B, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24,
                                      0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x30, 0x31, 0x33, 0x34,
                                      0x35, 0x36, 0x38, 0x39, 0x3A, 0x3B, 0x3E, 0xCA, 0xFF};
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[static_cast<size_t>(b)] = static_cast<char>(b);
    bool complete = false;
    const std::u16string want = bytes_as_u16(iconv_convert("UTF-16LE", "CP500", all, &complete));
    ASSERT_TRUE(complete);
    ASSERT_EQ(want.size(), 256u);
    QOR_UC got[256];
    EbcdicToU16(got, reinterpret_cast<const unsigned char*>(all.data()), 256);
    for (int b = 0; b < 256; ++b) {
        const bool blank = std::find(blanked.begin(), blanked.end(), b) != blanked.end();
        EXPECT_EQ(got[b], blank ? u' ' : want[static_cast<size_t>(b)]) << "byte " << b;
        if (blank) {
            EXPECT_NE(want[static_cast<size_t>(b)], u' ') << "byte " << b;
        }
    }
}

TEST_F(RscpUtfConv, NullSourceIsEmptyText)
{
    struct Case
    {
        const char* name;
        std::function<uint32_t(int32_t*)> call;
    };
    char b[4] = {'x', 'x', 'x', 'x'};
    QOR_UC u[4] = {0xBEEF, 0xBEEF, 0xBEEF, 0xBEEF};
    const std::vector<Case> cases = {
        {"rscpU16zToUtf8", [&](int32_t* n) { return rscpU16zToUtf8(b, 4, n, nullptr); }},
        {"U16zToUtf8", [&](int32_t* n) { return U16zToUtf8(b, 4, n, nullptr); }},
        {"rscpUtf8zToU16", [&](int32_t* n) { return rscpUtf8zToU16(u, 4, n, nullptr); }},
        {"Utf8zToU16", [&](int32_t* n) { return Utf8zToU16(u, 4, n, nullptr); }},
        {"U16nToUtf8", [&](int32_t* n) { return U16nToUtf8(b, 4, n, nullptr, 3); }},
        {"Utf8nToU16", [&](int32_t* n) { return Utf8nToU16(u, 4, n, nullptr, 3); }},
    };
    for (const Case& c : cases) {
        int32_t length = 99;
        EXPECT_EQ(c.call(&length), 0u) << c.name;
        EXPECT_EQ(length, 0) << c.name;
    }
    EXPECT_EQ(b[0], 0); // the terminated forms terminate
    EXPECT_EQ(b[1], 'x');
    EXPECT_EQ(u[0], 0);
    EXPECT_EQ(u[1], 0xBEEF);
    EXPECT_TRUE(g_calls.empty());
    u[0] = 0xBEEF;
    EbcdicToU16(u, nullptr, 3);
    EXPECT_EQ(u[0], 0xBEEF);
    EXPECT_EQ(std::u16string(A7ToU16Tmp(nullptr)), u"");
    EXPECT_EQ(std::u16string(A7ToU16Tmp2(nullptr)), u"");
}

/* A byte string of 2^31 characters: one 2 MiB page of 'a' mapped 1024 times
 * and a terminator behind it, so that the test needs 2 MiB, not 2 GiB. */
const char* huge_string()
{
    const size_t chunk = 2u << 20;
    const size_t chunks = 1024;
    auto* area = static_cast<char*>(mmap(nullptr, chunk * chunks + 4096, PROT_NONE,
                                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
    if (area == MAP_FAILED)
        return nullptr;
    FILE* file = tmpfile();
    if (file == nullptr)
        return nullptr;
    const int fd = fileno(file);
    if (ftruncate(fd, static_cast<off_t>(chunk)) != 0)
        return nullptr;
    void* first = mmap(area, chunk, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd, 0);
    if (first == MAP_FAILED)
        return nullptr;
    std::memset(area, 'a', chunk);
    for (size_t i = 1; i < chunks; ++i)
        if (mmap(area + i * chunk, chunk, PROT_READ, MAP_SHARED | MAP_FIXED, fd, 0) == MAP_FAILED)
            return nullptr;
    if (mmap(area + chunks * chunk, 4096, PROT_READ | PROT_WRITE,
             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED)
        return nullptr;
    return area;
}

TEST(RscpUtfSmallDeathTest, TemporaryTooLargeForTheRingEndsLikeMemoryRunningOut)
{
    /* Twice 2^31 plus the terminator does not fit the ring's 32-bit sizes;
     * a wrapped size would allocate two bytes and write gigabytes. */
    for (auto widen : {A7ToU16Tmp, A7ToU16Tmp2})
        EXPECT_EXIT(
            {
                const char* s = huge_string();
                if (s == nullptr)
                    std::_Exit(3);
                widen(s);
                std::_Exit(0);
            },
            ::testing::KilledBySignal(SIGABRT), "");
}

TEST(RscpUtfSmall, RingOfTemporaries)
{
    std::vector<QOR_UC*> results;
    for (int i = 0; i < 40; ++i) {
        const std::string s = "t" + std::to_string(i) + "\xE9";
        results.push_back(i % 2 == 0 ? A7ToU16Tmp(s.c_str()) : A7ToU16Tmp2(s.c_str()));
    }
    for (int i = 0; i < 40; ++i) {
        const std::string digits = std::to_string(i);
        const std::u16string want = u"t" + std::u16string(digits.begin(), digits.end()) + u"\u00e9";
        EXPECT_EQ(std::u16string(results[static_cast<size_t>(i)]), want) << i;
    }
    QOR_UC* again = A7ToU16Tmp("x");
    EXPECT_EQ(again, results[0]); // the 41st reuses the first slot
    EXPECT_EQ(std::u16string(results[1]), u"t1\u00e9");
    /* A longer request gets a larger buffer; a shorter one keeps it. */
    const std::string longer(300, 'L');
    void* grown = nullptr;
    for (int i = 0; i < 40; ++i)
        grown = TmpBufRingGet(i == 39 ? 600 : 1);
    EXPECT_NE(grown, nullptr);
    QOR_UC* big = A7ToU16Tmp(longer.c_str());
    EXPECT_EQ(strlenU16(big), 300u);
}

} // namespace
