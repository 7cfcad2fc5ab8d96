#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "alloc_probe.h"
#include "u16/u16_printf.h"
#include "u16_test_util.h"

using u16test::AllocationProbe;
using u16test::DiagCapture;
using u16test::MemOut;
using u16test::W;

namespace {

/* The text of one call, formatted into a large buffer. */
std::u16string F(const char16_t* format, ...)
{
    std::vector<QOR_UC> buf(4096, 0xBEEF);
    va_list ap;
    va_start(ap, format);
    const int n = vsnprintfU16(buf.data(), buf.size(), format, ap);
    va_end(ap);
    if (n < 0)
        return u"<error>";
    return std::u16string(buf.data(), static_cast<size_t>(n));
}

/* The bytes one call writes to a stream, and its result. */
std::string S(int* result, const char16_t* format, ...)
{
    MemOut out;
    va_list ap;
    va_start(ap, format);
    *result = vfprintfU16(out.get(), format, ap);
    va_end(ap);
    return out.text();
}

TEST(U16PrintfEdges, GoldenTable)
{
    struct Case
    {
        std::u16string got;
        std::u16string want;
    } cases[] = {
        {F(u"%5s|", u""), u"     |"},
        {F(u"%-3d|", 7), u"7  |"},
        {F(u"%03d", -7), u"-07"},
        {F(u"%08.3f", 3.14159), u"   3.142"},
        {F(u"%05s", u"ab"), u"000ab"},
        {F(u"%#x", 255), u"0xff"},
        {F(u"%#x", 0), u"0"},
        {F(u"%#o", 8), u"010"},
        {F(u"[%.0d]", 0), u"[]"},
        {F(u"%.5o", 8), u"10"},
        {F(u"%lld", -9223372036854775807LL - 1), u"-9223372036854775808"},
        {F(u"%I64d", 1234567890123LL), u"1234567890123"},
        {F(u"%I64u", 18446744073709551615ULL), u"18446744073709551615"},
        {F(u"%p", static_cast<void*>(nullptr)), u"(nil)"},
        {F(u"%s", static_cast<const QOR_UC*>(nullptr)), u"(null)"},
        {F(u"%.2s", u"abc"), u"ab"},
        {F(u"%c", 0x263A), u"\u263A"},
        {F(u"%%|%5%|"), u"%|    %|"},
        {F(u"%#X", 48879), u"0XBEEF"},
        {F(u"%+d %+d % d", 5, -5, 5), u"+5 -5  5"},
        {F(u"%*d|%-*d|", 4, 1, 3, 2), u"   1|2  |"},
        {F(u"%.*s", 3, u"abcdef"), u"abc"},
        {F(u"%.*d", -1, 5), u"5"},  // negative precision: none
        {F(u"%*d|", -5, 7), u"7|"}, // negative width: no padding
        {F(u"%.d", 0), u""},        // "." alone is precision 0
        {F(u"%I64x", 0xFFFFFFFFFFULL), u"ffffffffff"},
        {F(u"%e", 12345.678), u"1.234568e+04"},
        {F(u"%g|%G", 0.0001, 1e20), u"0.0001|1E+20"},
        {F(u"%-6.2f|", 2.5), u"2.50  |"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(U16PrintfEdges, LengthModifiersAndWidths)
{
    const long long wide = 0x100000005LL;
    EXPECT_EQ(F(u"%lld", wide), u"4294967301");
    EXPECT_EQ(F(u"%ld", wide), u"5"); // "l" reads 32 bits
    EXPECT_EQ(F(u"%d", wide), u"5");
    EXPECT_EQ(F(u"%zd", wide), u"4294967301"); // z, j, t read 64 bits
    EXPECT_EQ(F(u"%jd", wide), u"4294967301");
    EXPECT_EQ(F(u"%td", wide), u"4294967301");
    EXPECT_EQ(F(u"%hhd", 300), u"300"); // hh and h do not narrow
    EXPECT_EQ(F(u"%hd", 70000), u"70000");
    EXPECT_EQ(F(u"%llo", wide), u"5");      // "o" is always 32-bit
    EXPECT_EQ(F(u"%Lf", 1.5), u"1.500000"); // "L" reads a double
    EXPECT_EQ(F(u"%d", INT_MIN), u"-2147483648");
    EXPECT_EQ(F(u"%u", 4294967295u), u"4294967295");
}

TEST(U16PrintfEdges, DocumentedDifferencesFromTheCLibrary)
{
    EXPECT_EQ(F(u"%+o", 8), u"+10"); // the sign flags apply to "o"
    EXPECT_EQ(F(u"%.5o", 8), u"10"); // precision of "o" needs "#"
    EXPECT_EQ(F(u"%#.5o", 8), u"00010");
    EXPECT_EQ(F(u"%p", reinterpret_cast<void*>(0x1234)), u"1234");
    EXPECT_EQ(F(u"%.6p", reinterpret_cast<void*>(0xab)), u"0000ab");
    EXPECT_EQ(F(u"%010.3f", -2.0), u"    -2.000");
    EXPECT_EQ(F(u"%03c", u'x'), u"00x");
    EXPECT_EQ(F(u"%06.2d", 5), u"    05");
    EXPECT_EQ(F(u"%f", -0.0), u"0.000000"); // no sign of its own
    EXPECT_EQ(F(u"%e", -0.0), u"0.000000e+00");
    EXPECT_EQ(F(u"%f", -std::nan("")), u"nan");
    EXPECT_EQ(F(u"%+f", -std::nan("")), u"+nan");
    EXPECT_EQ(F(u"%05f", INFINITY), u"00inf");
    EXPECT_EQ(F(u"%#.3x", 0), u"0x000");        // precision zeros make the text non-zero
    EXPECT_EQ(F(u"%a", 1.0), u"0x1.000000p+0"); // default precision 6 for "a" too
}

TEST(U16PrintfEdges, PrecisionBoundsAnUnterminatedString)
{
    const QOR_UC unterminated[3] = {u'x', u'y', u'z'}; // no terminator within the array
    EXPECT_EQ(F(u"[%.3s]", unterminated), u"[xyz]");
    EXPECT_EQ(F(u"[%-5.2s]", unterminated), u"[xy   ]");
}

TEST(U16PrintfEdges, CharacterZeroIsOneUnit)
{
    QOR_UC buf[8];
    for (QOR_UC& u : buf)
        u = 0xBEEF;
    EXPECT_EQ(snprintfU16(buf, 8, u"a%cb", 0), 3);
    EXPECT_EQ(buf[0], u'a');
    EXPECT_EQ(buf[1], 0);
    EXPECT_EQ(buf[2], u'b');
    EXPECT_EQ(buf[3], 0);
}

TEST(U16PrintfErrors, FormatErrorsReturnMinusOneAfterTheTextBefore)
{
    DiagCapture quiet;
    const char16_t* bad[] = {u"ab%n",    u"ab%++d", u"ab%S",   u"ab%C",   u"ab%",
                             u"ab%I32d", u"ab%  d", u"ab%##x", u"ab%00d", u"ab%y"};
    for (const char16_t* f : bad) {
        QOR_UC buf[16];
        for (QOR_UC& u : buf)
            u = 0xBEEF;
        EXPECT_EQ(snprintfU16(buf, 16, f, 1), -1) << std::string(f, f + strlenU16(f)).size();
        EXPECT_EQ(std::u16string(buf), u"ab");
        EXPECT_EQ(snprintfCutU16(buf, 16, f, 1), -1);
        int r = 0;
        EXPECT_EQ(S(&r, f, 1), "ab");
        EXPECT_EQ(r, -1);
    }
    EXPECT_EQ(F(u"%-----5d|", 1), u"1    |"); // "-" may repeat
}

TEST(U16PrintfErrors, HugeWidthOrPrecisionIsAFormatError)
{
    DiagCapture quiet;
    int r = 0;
    EXPECT_EQ(S(&r, u"x%3000000000d", 1), "x");
    EXPECT_EQ(r, -1);
    EXPECT_EQ(S(&r, u"x%.2147483648d", 1), "x");
    EXPECT_EQ(r, -1);
    QOR_UC buf[8];
    EXPECT_EQ(snprintfU16(buf, 8, u"%99999999999s", u"a"), -1);
}

/* One call into an 8-unit buffer and, when asked, into a stream: results,
 * texts and the largest block asked of operator new meanwhile. */
struct Both
{
    int stream = 0;
    std::string text;
    int buffer = 0;
    std::u16string cut;
    size_t largest = 0;
};

template <class... Args> Both call(bool to_stream, const char16_t* format, Args... args)
{
    Both r;
    MemOut out;
    QOR_UC buf[8] = {0};
    {
        AllocationProbe probe;
        r.stream = to_stream ? fprintfU16(out.get(), format, args...) : 0;
        r.buffer = snprintfCutU16(buf, 8, format, args...);
        r.largest = probe.largest();
    }
    r.text = out.text();
    r.cut = buf;
    return r;
}

/* A directive whose text would take the count past INT_MAX units fails the
 * call before it writes anything (the text before it stays); up to INT_MAX
 * a buffer takes what fits at once, as the zeros beyond the digits of a
 * double are counted, not formatted. Memory stays small throughout. */
TEST(U16PrintfErrors, TextBeyondIntMaxFailsAtOnce)
{
    const int max = INT_MAX;
    {
        DiagCapture diag;
        EXPECT_EQ(call(true, u"%+.*d", max, 1).stream, -1);
        EXPECT_NE(diag.text().find("Error in format string at or near 'd'"), std::string::npos);
    }
    DiagCapture quiet(U16_TRACE_NONE);
    const Both failing[] = {
        call(true, u"%+.*d", max, 1),       call(true, u"ab%*d", max, 1),
        call(true, u"%#.*x", max, 255),     call(true, u"%.*f", max, 1.5),
        call(true, u"x%.*e", max - 6, 1.5), call(true, u"%#.*g", max, 2.5),
        call(true, u"%.*a", max - 5, 1.0),  call(true, u"c%*c", max, u'z'),
    };
    const char* before[] = {"", "ab", "", "", "x", "", "", "c"};
    for (size_t i = 0; i < sizeof failing / sizeof failing[0]; ++i) {
        EXPECT_EQ(failing[i].stream, -1) << i;
        EXPECT_EQ(failing[i].text, before[i]) << i;
        EXPECT_EQ(failing[i].buffer, -1) << i;
        EXPECT_LT(failing[i].largest, 4096u) << i;
    }
    errno = 0;
    QOR_UC buf[4];
    EXPECT_EQ(snprintfU16(buf, 4, u"%.*f", max, 1.0), -1);
    EXPECT_EQ(errno, EOVERFLOW);

    const struct
    {
        Both r;
        std::u16string cut;
    } countable[] = {
        {call(false, u"%.*f", max - 2, 1.5), u"1.50000"},
        {call(false, u"%.*e", max - 6, 0.25), u"2.50000"},
        {call(false, u"%#.*g", max - 2, 1.0), u"1.00000"},
        {call(false, u"%.*d", max, 42), u"0000000"},
        {call(false, u"%-*d", max, -3), u"-3     "},
    };
    for (const auto& c : countable) {
        EXPECT_EQ(c.r.buffer, 8) << c.cut.size();
        EXPECT_EQ(c.r.cut, c.cut);
        EXPECT_LT(c.r.largest, 4096u);
    }
}

/* A large precision gives the same text as the C library, in small memory. */
TEST(U16PrintfStream, LargePrecisionsAgreeWithTheCLibrary)
{
    const struct
    {
        const char* format;
        double value;
    } cases[] = {
        {"%.100000f|", 0.1},        {"%.5000f", 1e300},       {"%.100000e|", 1.0 / 3.0},
        {"%#.100000g|", 0.1},       {"%.100000g|", 0.1},      {"%#.100000g|", 1e-200},
        {"%.100000a|", 1.5},        {"%.100000f|", HUGE_VAL}, {"%.100000E|", -2.5e-300},
        {"%-100010.100000f|", 2.0},
    };
    for (const auto& c : cases) {
        std::string expected(static_cast<size_t>(std::snprintf(nullptr, 0, c.format, c.value)), 0);
        std::snprintf(expected.data(), expected.size() + 1, c.format, c.value);
        const Both r = call(true, W(c.format).c_str(), c.value);
        EXPECT_LT(r.largest, 4096u) << c.format;
        EXPECT_EQ(r.stream, static_cast<int>(expected.size())) << c.format;
        EXPECT_TRUE(r.text == expected) << c.format << ": " << r.text.substr(0, 80);
    }
}

TEST(U16PrintfErrors, FormatErrorReportFollowsTheTraceLevel)
{
    {
        DiagCapture diag(U16_TRACE_MEDIUM);
        QOR_UC buf[8];
        EXPECT_EQ(snprintfU16(buf, 8, u"x%5ntail", 1), -1);
        EXPECT_NE(diag.text().find("Error in format string at or near 'n':\n5ntail"),
                  std::string::npos)
            << diag.text();
        EXPECT_NE(diag.text().find("u16_OutCon"), std::string::npos);
    }
    {
        DiagCapture diag(U16_TRACE_LOW);
        QOR_UC buf[8];
        EXPECT_EQ(snprintfU16(buf, 8, u"x%n", 1), -1);
        EXPECT_EQ(diag.calls(), 0);
    }
}

TEST(U16PrintfArguments, NullsAndBadSinks)
{
    QOR_UC buf[4];
    errno = 0;
    EXPECT_EQ(snprintfU16(buf, 4, nullptr), -1);
    EXPECT_EQ(errno, EINVAL);
    errno = 0;
    EXPECT_EQ(fprintfU16(nullptr, u"x"), -1);
    EXPECT_EQ(errno, EBADF);
    errno = 0;
    EXPECT_EQ(snprintfU16(nullptr, 4, u"x"), -1);
    EXPECT_EQ(errno, EBADF);
}

/* ---- differential grid against the C library ---- */

std::string narrow(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s)
        out += static_cast<char>(c);
    return out;
}

std::string c_format(const char* fmt, ...)
{
    char buf[2048];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

std::string directive_text(const std::string& flags, int width, int precision,
                           const std::string& length, char conv)
{
    std::string f = "%" + flags;
    if (width >= 0)
        f += std::to_string(width);
    if (precision >= 0)
        f += "." + std::to_string(precision);
    return f + length + conv;
}

const std::vector<std::string> kFlagSets = {"",   "-",  "+",  " ",  "0",  "#",  "-+",
                                            "+0", " 0", "-0", "#0", "-#", "+ ", "-+ 0#"};
const int kWidths[] = {-1, 1, 5, 12, 25};
const int kPrecisions[] = {-1, 0, 1, 3, 8, 20};

bool flag_allowed(const std::string& flags, char conv)
{
    const bool has_hash = flags.find('#') != std::string::npos;
    const bool has_sign = flags.find_first_of("+ ") != std::string::npos;
    if ((conv == 'd' || conv == 'i') && has_hash)
        return false; // undefined in C
    if ((conv == 'u' || conv == 'x' || conv == 'X' || conv == 'o') && has_sign)
        return false;
    return true;
}

TEST(U16PrintfGrid, IntegersAgreeWithTheCLibrary)
{
    const int values32[] = {0, 1, -1, 7, -42, 255, 65535, INT_MAX, INT_MIN, 1000000};
    const long long values64[] = {0, 1, -1, LLONG_MAX, LLONG_MIN, 4294967296LL, -1099511627776LL};
    size_t checked = 0;
    for (char conv : std::string("diuxXo")) {
        for (const std::string& flags : kFlagSets) {
            if (!flag_allowed(flags, conv))
                continue;
            for (int width : kWidths) {
                for (int precision : kPrecisions) {
                    /* "o" takes a precision only with "#" (documented above). */
                    if (conv == 'o' && precision >= 0 && flags.find('#') == std::string::npos)
                        continue;
                    /* "#" prefixes a zero value that precision zeros lengthen. */
                    const bool zero_gets_prefix = (conv == 'x' || conv == 'X') && precision > 1 &&
                                                  flags.find('#') != std::string::npos;
                    const std::string f32 = directive_text(flags, width, precision, "", conv);
                    const std::u16string w32 = W(f32);
                    for (int v : values32) {
                        if (zero_gets_prefix && v == 0)
                            continue;
                        ASSERT_EQ(narrow(F(w32.c_str(), v)), c_format(f32.c_str(), v))
                            << f32 << " " << v;
                        ++checked;
                    }
                    if (conv == 'o')
                        continue; // "o" is always 32-bit
                    const std::string f64 = directive_text(flags, width, precision, "ll", conv);
                    const std::string fI64 = directive_text(flags, width, precision, "I64", conv);
                    const std::u16string w64 = W(f64), wI64 = W(fI64);
                    for (long long v : values64) {
                        if (zero_gets_prefix && v == 0)
                            continue;
                        const std::string want = c_format(f64.c_str(), v);
                        ASSERT_EQ(narrow(F(w64.c_str(), v)), want) << f64 << " " << v;
                        ASSERT_EQ(narrow(F(wI64.c_str(), v)), want) << fI64 << " " << v;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 10000u);
}

TEST(U16PrintfGrid, FloatsAgreeWithTheCLibrary)
{
    const double values[] = {0.0,    1.0,     -1.5,    3.14159265358979, 1e-10,     -123456789.0,
                             1e300,  -1e-300, DBL_MAX, DBL_MIN,          4.9e-324,  0.5,
                             9.9999, -9.5,    1e16,    HUGE_VAL,         -HUGE_VAL, std::nan("")};
    size_t checked = 0;
    for (char conv : std::string("eEfFgGaA")) {
        for (const std::string& flags : kFlagSets) {
            for (int width : kWidths) {
                for (int precision : {-1, 0, 1, 6, 17}) {
                    /* Without a precision "a" gets 6 digits (pinned above). */
                    if ((conv == 'a' || conv == 'A') && precision < 0)
                        continue;
                    const bool zero = flags.find('0') != std::string::npos &&
                                      flags.find('-') == std::string::npos;
                    const std::string f = directive_text(flags, width, precision, "", conv);
                    const std::u16string w = W(f);
                    for (double v : values) {
                        /* Zero padding differs where the width exceeds the precision
                         * and for infinities and NaN (pinned above). */
                        if (zero && width >= 0 && precision >= 0 && width > precision)
                            continue;
                        if (zero && !std::isfinite(v))
                            continue;
                        ASSERT_EQ(narrow(F(w.c_str(), v)), c_format(f.c_str(), v)) << f << " " << v;
                        ++checked;
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 20000u);
}

TEST(U16PrintfGrid, StringsAndCharactersAgreeWithTheCLibrary)
{
    const char* strings[] = {"", "a", "hello", "a longer string here"};
    for (const std::string flags : {"", "-"}) {
        for (int width : kWidths) {
            for (int precision : kPrecisions) {
                const std::string f = directive_text(flags, width, precision, "", 's');
                const std::u16string w = W(f);
                for (const char* s : strings) {
                    const std::u16string ws = W(s);
                    EXPECT_EQ(narrow(F(w.c_str(), ws.c_str())), c_format(f.c_str(), s)) << f;
                }
            }
            const std::string fc = directive_text(flags, width, -1, "", 'c');
            const std::u16string wc = W(fc);
            EXPECT_EQ(narrow(F(wc.c_str(), 'q')), c_format(fc.c_str(), 'q')) << fc;
        }
    }
}

/* ---- buffer sweeps ---- */

struct Sweep
{
    const char16_t* format;
    std::u16string (*call)(QOR_UC*, size_t, bool cut, int* result);
};

std::u16string call_mixed(QOR_UC* buf, size_t size, bool cut, int* result)
{
    *result = cut ? snprintfCutU16(buf, size, u"ab%5d|%-4s|%c%%%x", 42, u"xy", u'Z', 255)
                  : snprintfU16(buf, size, u"ab%5d|%-4s|%c%%%x", 42, u"xy", u'Z', 255);
    return u"ab   42|xy  |Z%ff";
}

std::u16string call_literal(QOR_UC* buf, size_t size, bool cut, int* result)
{
    *result = cut ? snprintfCutU16(buf, size, u"abcd") : snprintfU16(buf, size, u"abcd");
    return u"abcd";
}

std::u16string call_padding(QOR_UC* buf, size_t size, bool cut, int* result)
{
    *result = cut ? snprintfCutU16(buf, size, u"%08.3f%-6d.", 2.5, -3)
                  : snprintfU16(buf, size, u"%08.3f%-6d.", 2.5, -3);
    return u"   2.500-3    .";
}

TEST(U16PrintfBuffer, SweepSizesWithGuards)
{
    constexpr QOR_UC kGuard = 0xBEEF;
    for (auto call : {call_mixed, call_literal, call_padding}) {
        int dummy = 0;
        QOR_UC probe[64];
        const std::u16string full = call(probe, 64, false, &dummy);
        const size_t n = full.size();
        ASSERT_EQ(dummy, static_cast<int>(n));
        for (size_t size = 0; size <= n + 2; ++size) {
            for (bool cut : {false, true}) {
                std::vector<QOR_UC> buf(size + 3, kGuard);
                int r = 0;
                call(buf.data(), size, cut, &r);
                if (size == 0) {
                    EXPECT_EQ(r, cut ? 0 : -1);
                    EXPECT_EQ(buf[0], kGuard);
                    continue;
                }
                const size_t kept = n < size ? n : size - 1;
                EXPECT_EQ(std::u16string(buf.data(), kept), full.substr(0, kept))
                    << "size " << size;
                EXPECT_EQ(buf[kept], 0) << "size " << size;
                for (size_t g = size; g < buf.size(); ++g)
                    EXPECT_EQ(buf[g], kGuard) << "size " << size;
                const int want =
                    n < size ? static_cast<int>(n) : (cut ? static_cast<int>(size) : -1);
                EXPECT_EQ(r, want) << "size " << size;
            }
        }
    }
}

TEST(U16PrintfBuffer, EdgeCasesOfTheBoundedForms)
{
    QOR_UC buf[4];
    EXPECT_EQ(snprintfU16(buf, 4, u"abcd"), -1);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(snprintfCutU16(buf, 4, u"abcd"), 4);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(snprintfU16(buf, 4, u"abc"), 3);
    EXPECT_EQ(snprintfCutU16(buf, 4, u"abc"), 3);
}

/* ---- stream output ---- */

TEST(U16PrintfStream, Utf8EncodingTable)
{
    struct Case
    {
        std::u16string units;
        std::string bytes;
    } cases[] = {
        {u"A", "A"},
        {u"\u00e9", "\xC3\xA9"},
        {u"\u20ac", "\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, 0xD83D) + u"x", "#x"}, // lone high surrogate
        {std::u16string(1, 0xDE00) + u"x", "#x"}, // lone low surrogate
        {std::u16string(1, 0xD83D), "#"},         // high surrogate at the end
        {std::u16string{0xD83D, 0xD83D, 0xDE00}, "#\xF0\x9F\x98\x80"},
        {u"\u07ff\u0800", "\xDF\xBF\xE0\xA0\x80"},
    };
    for (const Case& c : cases) {
        int r = 0;
        EXPECT_EQ(S(&r, u"%s", c.units.c_str()), c.bytes);
        EXPECT_EQ(r, static_cast<int>(c.units.size()));
        MemOut out;
        EXPECT_EQ(fputsU16(c.units.c_str(), out.get()), static_cast<int>(c.bytes.size()));
        EXPECT_EQ(out.text(), c.bytes);
    }
}

TEST(U16PrintfStream, SurrogatePairSplitAcrossPiecesIsOneCharacter)
{
    int r = 0;
    EXPECT_EQ(S(&r, u"%c%c", 0xD83D, 0xDE00), "\xF0\x9F\x98\x80");
    EXPECT_EQ(r, 2);
    const QOR_UC high_literal[] = {u'<', 0xD83D, u'%', u's', 0};
    const QOR_UC low[] = {0xDE00, u'>', 0};
    EXPECT_EQ(S(&r, high_literal, low), "<\xF0\x9F\x98\x80>");
    EXPECT_EQ(r, 4);
}

TEST(U16PrintfStream, BlockBoundaries)
{
    /* Characters of 1, 2, 3 and 4 bytes placed on every position around the
     * point where pending bytes are written out. */
    const std::u16string tails[] = {u"\u00e9", u"\u20ac", u"\U0001F600", u"z"};
    const std::string tail_bytes[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "z"};
    for (size_t k = 495; k <= 515; ++k) {
        for (size_t t = 0; t < 4; ++t) {
            const std::u16string text = std::u16string(k, u'a') + tails[t] + u"|" + tails[t];
            const std::string want = std::string(k, 'a') + tail_bytes[t] + "|" + tail_bytes[t];
            int r = 0;
            ASSERT_EQ(S(&r, u"%s", text.c_str()), want) << k;
            EXPECT_EQ(r, static_cast<int>(text.size()));
            MemOut out;
            fwriteU16(text.data(), 1, text.size(), out.get());
            ASSERT_EQ(out.text(), want) << k;
        }
    }
    /* A long run of three-byte characters passes several boundaries. */
    const std::u16string euros(1000, u'\u20ac');
    std::string want;
    for (int i = 0; i < 1000; ++i)
        want += "\xE2\x82\xAC";
    int r = 0;
    EXPECT_EQ(S(&r, u"%s", euros.c_str()), want);
}

/* A stream that accepts a limited number of bytes and then fails. */
struct Limited
{
    size_t left;
    std::string taken;
};

ssize_t limited_write(void* cookie, const char* data, size_t n)
{
    auto* l = static_cast<Limited*>(cookie);
    const size_t k = n < l->left ? n : l->left;
    l->taken.append(data, k);
    l->left -= k;
    return static_cast<ssize_t>(k); // 0: nothing taken
}

FILE* open_limited(Limited* l)
{
    cookie_io_functions_t io{};
    io.write = limited_write;
    FILE* f = fopencookie(l, "w", io);
    setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

TEST(U16PrintfStream, FailingWrites)
{
    Limited none{0, {}};
    FILE* f = open_limited(&none);
    EXPECT_EQ(fprintfU16(f, u"hello %d", 5), -1);
    EXPECT_EQ(fputsU16(u"hello", f), -1);
    std::fclose(f);

    Limited some{600, {}};
    f = open_limited(&some);
    const std::u16string big(2000, u'x');
    EXPECT_EQ(fprintfU16(f, u"%s", big.c_str()), -1);
    std::fclose(f);
    EXPECT_EQ(some.taken, std::string(600, 'x'));

    Limited counted{700, {}};
    f = open_limited(&counted);
    size_t written = 0;
    fwriteU16Count(big.data(), 2, 1000, f, &written);
    std::fclose(f);
    EXPECT_EQ(written, 700u);
    EXPECT_EQ(counted.taken.size(), 700u);
}

/* A stream that records the size of every write it is handed. */
ssize_t recording_write(void* cookie, const char* data, size_t n)
{
    auto* r = static_cast<std::pair<std::vector<size_t>, std::string>*>(cookie);
    r->first.push_back(n);
    r->second.append(data, n);
    return static_cast<ssize_t>(n);
}

TEST(U16PrintfStream, BytesGoOutInBlocksOfAtMost510)
{
    const std::u16string units[] = {u"a", u"\u00e9", u"\u20ac", u"\U0001F600"};
    const std::string bytes[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    for (size_t k = 0; k < 4; ++k) {
        std::u16string text;
        std::string want;
        for (int i = 0; i < 700; ++i) {
            text += units[(i + k) % 4];
            want += bytes[(i + k) % 4];
        }
        std::pair<std::vector<size_t>, std::string> rec;
        cookie_io_functions_t io{};
        io.write = recording_write;
        FILE* f = fopencookie(&rec, "w", io);
        ASSERT_NE(f, nullptr);
        setvbuf(f, nullptr, _IONBF, 0);
        EXPECT_EQ(fprintfU16(f, u"%s", text.c_str()), static_cast<int>(text.size()));
        std::fclose(f);
        EXPECT_EQ(rec.second, want) << k;
        ASSERT_GE(rec.first.size(), 2u) << k;
        for (size_t i = 0; i < rec.first.size(); ++i) {
            EXPECT_LE(rec.first[i], 510u) << "write " << i;
            if (i + 1 < rec.first.size()) {
                EXPECT_GT(rec.first[i], 506u) << "write " << i;
            }
        }
    }
}

TEST(U16PrintfStream, StandardOutput)
{
    testing::internal::CaptureStdout();
    const int r = printfU16(u"%s=%d\n", u"caf\u00e9", 7);
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "caf\xC3\xA9=7\n");
    EXPECT_EQ(r, 7);
}

TEST(U16PrintfByteForm, Snprintf8)
{
    char buf[6];
    EXPECT_EQ(snprintfR(buf, 6, "%s", "abcde"), 5);
    EXPECT_EQ(snprintfR(buf, 6, "%s", "abcdef"), -1);
    EXPECT_STREQ(buf, "abcde");
    EXPECT_EQ(snprintfR(buf, 0, "x"), -1);
}

} // namespace
