// Trace hex dump: exact rows, hidden credentials, character sets; the
// wildcard matcher of the watch list.

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>

#include "base/dptrc.h"
#include "base/thr.h"
#include "trace_capture.h"

namespace {

std::string dump(const void* data, size_t len, int charset = 0, bool header = true, size_t raw = 0)
{
    TraceCapture trace(2);
    DpIHexDump(DpTrcHdl, u"title", data, len, charset, header, raw);
    return trace.take();
}

TEST(HexDump, ExactRows)
{
    const std::string t = "[Thr " + std::to_string(ThrGetCurrentId()) + "] ";
    const std::string rule = t + std::string(72, '-') + "\n";
    const std::string data = "0123456789abcdef\x01gh\x7f";
    char address[2][32];
    for (int row = 0; row < 2; ++row)
        snprintf(address[row], sizeof address[row], "%" PRIxPTR,
                 reinterpret_cast<uintptr_t>(data.data() + 16 * row));
    TraceCapture trace(2);
    DpTrcHexDump(DpTrcHdl, u"title", data.data(), data.size(), 0);
    EXPECT_EQ(trace.take(),
              t + "Address   Offset  title\n" + rule + t + address[0] +
                  "  000000  30313233 34353637 38396162 63646566 |0123456789abcdef|\n" + t +
                  address[1] + "  000016  0167687f" + std::string(28, ' ') +
                  "|.gh.            |\n" + rule);
}

TEST(HexDump, CharacterSets)
{
    const unsigned char ebcdic[] = {0xC1, 0xC2, 0x40, 0x81}; // "AB a"
    const unsigned char ascii[] = {0x20, 0x40, 0x41};        // " @A"
    struct Case
    {
        const unsigned char* data;
        size_t len;
        int charset;
        size_t raw;
        std::string chars; // the character column, "" for no output at all
    } cases[] = {
        {ebcdic, 4, 0, 0, "..@."}, {ebcdic, 4, 1, 0, "AB a"}, {ebcdic, 4, 1, 2, ".. a"},
        {ascii, 3, 2, 0, "@|."},   {ebcdic, 4, 3, 0, ""},     {ebcdic, 4, -1, 0, ""},
        {ebcdic, 0, 0, 0, ""},     {nullptr, 4, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const std::string text = dump(c.data, c.len, c.charset, false, c.raw);
        EXPECT_EQ(text.find("Address"), std::string::npos) << "no header";
        if (c.chars.empty())
            EXPECT_EQ(text, "") << c.charset;
        else
            EXPECT_NE(text.find("|" + c.chars + std::string(16 - c.len, ' ') + "|\n"),
                      std::string::npos)
                << text;
    }
}

// 7-bit text as UTF-16 (little-endian bytes), and a mask of its characters
// as a mask of those bytes.
std::string u16le(const std::string& text)
{
    std::string bytes;
    for (char c : text)
        bytes += std::string{c, '\0'};
    return bytes;
}

std::string twice(const std::string& mask)
{
    std::string bytes;
    for (char m : mask)
        bytes += std::string(2, m);
    return bytes;
}

// 'x': the byte is "xx" in the hex and "." in the character column.
TEST(HexDump, CredentialsAreHidden)
{
    const std::string sun = std::string("\x00\x26\x00\x01", 4); // U+2600 U+0100
    struct Case
    {
        std::string data;
        std::string mask;
    } cases[] = {
        {"qor-user=abc&d", "xxxxxxxxxxxxx-"},
        {"QOR-User=abc&d", "xxxxxxxxxxxxx-"},
        {"x=1&Qor-Password=pw rest", "----xxxxxxxxxxxxxxxx----"},
        {"qor-user=", "---------"},
        {"qor-user=ab&", "xxxxxxxxxxxx"},
        {"a&qor-ssolist=s1 qor-password=p&z", "--xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx-"},
        {"QOR-M5AUTH=tok&n", "xxxxxxxxxxxxxxx-"},
        {"Authorization: Basic dXNlcjpwYXNz\r\nHost: h", std::string(34, 'x') + "--------"},
        {"authorization: Basic a&b c", std::string(26, 'x')},
        {"Proxy-Authorization: Bearer t0k\nz", "------" + std::string(26, 'x') + "-"},
        {"WWW-Authenticate: Negotiate abc\r\n", std::string(32, 'x') + "-"},
        {"id=SID:ANON:host_01-ATTx", "---" + std::string(20, 'x') + "-"},
        // Any row's terminator ends a value that is no header.
        {"SID%3AANON%3Ahost&more-ATTy", std::string(18, 'x') + std::string(9, '-')},
        // The program's own text: UTF-16 units of 7-bit characters.
        {u16le("qor-user=abc&d"), twice("xxxxxxxxxxxxx-")},
        {u16le("x=1&QOR-PASSWORD=pw rest"), twice("----xxxxxxxxxxxxxxxx----")},
        {u16le("Authorization: Basic dXNl\r\nHost"), twice(std::string(26, 'x') + "-----")},
        {u16le("id=SID:ANON:h-ATTx"), twice("---" + std::string(14, 'x') + "-")},
        {u16le("qor-user="), twice("---------")},
        // A unit above 0x7F is no key character; a terminator byte inside a
        // unit ends nothing.
        {"q\x01" + u16le("or-user=ab&c"), std::string(26, '-')},
        {u16le("qor-user=a") + sun + u16le("b&c"), std::string(28, 'x') + "--"},
    };
    for (const Case& c : cases) {
        const std::string text = dump(c.data.data(), c.data.size());
        std::string hex, chars;
        for (size_t bar = text.find('|'); bar != std::string::npos;
             bar = text.find('|', text.find('\n', bar))) {
            for (char h : text.substr(bar - 36, 36))
                if (h != ' ')
                    hex += h;
            chars += text.substr(bar + 1, 16);
        }
        std::string want_hex, want_chars;
        for (size_t i = 0; i < c.data.size(); ++i) {
            char byte[3];
            snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(c.data[i]));
            want_hex += c.mask[i] == 'x' ? "xx" : byte;
            want_chars += c.mask[i] == 'x' ? '.' : chars[i];
        }
        EXPECT_EQ(hex, want_hex) << c.data;
        EXPECT_EQ(chars.substr(0, c.data.size()), want_chars) << c.data;
    }
}

TEST(PatternMatch, Table)
{
    const std::u16string many(2000, u'a');
    enum Kind { kAnywhere, kAtStart, kPrefix, kFolded };
    struct Case
    {
        std::u16string text;
        std::u16string pattern;
        Kind kind;
        bool match;
    } cases[] = {
        {u"xxabcyy", u"abc*", kAnywhere, true},
        {u"xxabyy", u"abc*", kAnywhere, false},
        {u"xa*bx", u"a\\*b", kAnywhere, true},
        {u"axxb", u"a\\*b", kAnywhere, false},
        {u"abc", u"*c", kAnywhere, true},
        {u"abd", u"*c", kAnywhere, false},
        {u"abcd", u"?bc", kAnywhere, true},
        {u"bc", u"?bc", kAnywhere, false},
        {u"xxabcxx", u"a?c", kAnywhere, true},
        {u"a-e-c", u"a*c*e", kAnywhere, false},
        {u"a-c-e-", u"a*c*e", kAnywhere, true},
        {u"abc", u"a\\?c", kAnywhere, false},
        {u"ab\\", u"ab\\", kAnywhere, false},
        {u"a*x", u"\\*x", kAnywhere, true},
        {u"a\\b", u"a\\\\b", kAnywhere, true},
        {u"", u"*", kAnywhere, true},
        {u"abc", u"", kAnywhere, false},
        {u"ABC", u"abc", kAnywhere, false},
        {many, u"*a*a*a*a*a*a*a*a*a*a*b", kAnywhere, false},
        {u"abcd", u"abc", kPrefix, true},
        {u"abcd", u"abc", kAtStart, false},
        {u"abXcd", u"ab*cd", kAtStart, true},
        {u"abXcdX", u"ab*cd", kAtStart, false},
        {u"ABC", u"a?c", kFolded, true},
        {u"ABC", u"a?c", kAtStart, false},
    };
    for (const Case& c : cases) {
        const QOR_UC* text = c.text.c_str();
        const QOR_UC* pattern = c.pattern.c_str();
        const bool match = c.kind == kAnywhere
                               ? DpIMatchPattern(text, pattern)
                               : DpIMatch(text, pattern, c.kind == kPrefix, c.kind == kFolded);
        const std::u16string shown = c.pattern + u" in " + c.text.substr(0, 8);
        EXPECT_EQ(match, c.match) << std::string(shown.begin(), shown.end());
    }
}

} // namespace
