#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "u16/u16_input.h"
#include "u16/u16_scanf.h"
#include "u16_test_util.h"

using u16test::DiagCapture;
using u16test::MemIn;

namespace {

TEST(U16ScanfEdges, IntegerFieldsAndResults)
{
    struct Case
    {
        const char16_t* input;
        int result;
        int a, b;
    } cases[] = {
        {u"12 34", 2, 12, 34}, {u"12 x", 1, 12, -9}, {u"x", 0, -9, -9},
        {u"", -1, -9, -9},     {u"   ", -1, -9, -9}, {u"-5\t+6", 2, -5, 6},
    };
    for (const Case& c : cases) {
        int a = -9, b = -9;
        EXPECT_EQ(sscanfU16(c.input, u"%d %d", &a, &b), c.result);
        EXPECT_EQ(a, c.a);
        EXPECT_EQ(b, c.b);
    }
}

TEST(U16ScanfEdges, WidthsBasesAndPointers)
{
    int v = 0;
    QOR_UC rest[8];
    EXPECT_EQ(sscanfU16(u"12345", u"%3d%s", &v, rest), 2);
    EXPECT_EQ(v, 123);
    EXPECT_EQ(std::u16string(rest), u"45");
    EXPECT_EQ(sscanfU16(u"0x1A", u"%i", &v), 1);
    EXPECT_EQ(v, 26);
    EXPECT_EQ(sscanfU16(u"017", u"%i", &v), 1);
    EXPECT_EQ(v, 15);
    EXPECT_EQ(sscanfU16(u"ff", u"%x", &v), 1);
    EXPECT_EQ(v, 255);
    EXPECT_EQ(sscanfU16(u"0XfF", u"%X", &v), 1);
    EXPECT_EQ(v, 255);
    EXPECT_EQ(sscanfU16(u"777", u"%o", &v), 1);
    EXPECT_EQ(v, 511);
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(sscanfU16(u"(nil)", u"%p", &p), 1);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(sscanfU16(u"0x10", u"%p", &p), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p), 16u);
    EXPECT_EQ(sscanfU16(u"07", u"%p", &p), 1);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p), 7u);
    EXPECT_EQ(sscanfU16(u"-", u"%d", &v), -1); // the field ran into the end of input
    EXPECT_EQ(sscanfU16(u"-x", u"%d", &v), 0);
    EXPECT_EQ(sscanfU16(u"0xg", u"%x", &v), 0);
}

TEST(U16ScanfEdges, StringsCharactersAndSets)
{
    QOR_UC s[16];
    QOR_UC t[16];
    EXPECT_EQ(sscanfU16(u"  abc def", u"%s%s", s, t), 2);
    EXPECT_EQ(std::u16string(s), u"abc");
    EXPECT_EQ(std::u16string(t), u"def");

    QOR_UC c[4] = {0xBEEF, 0xBEEF, 0xBEEF, 0xBEEF};
    EXPECT_EQ(sscanfU16(u"a b", u"%2c", c), 1);
    EXPECT_EQ(c[0], u'a');
    EXPECT_EQ(c[1], u' ');
    EXPECT_EQ(c[2], 0xBEEF); // no terminator

    struct SetCase
    {
        const char16_t* format;
        const char16_t* input;
        int result;
        const char16_t* stored;
    } sets[] = {
        {u"%[a-c]", u"abcd", 1, u"abc"}, {u"%[^,]", u"x,y", 1, u"x"},
        {u"%[]a]", u"]a]b", 1, u"]a]"},  {u"%[c-a]", u"bad", 1, u"ba"},
        {u"%[-a]", u"a-b", 1, u"a-"},    {u"%[a-]", u"-a-z", 1, u"-a-"},
        {u"%2[a-z]", u"abc", 1, u"ab"},  {u"%[0-9]", u"x1", 0, u""},
        {u"%[abc", u"abc", 0, u""}, // no closing bracket
    };
    for (const SetCase& sc : sets) {
        for (QOR_UC& u : s)
            u = 0;
        EXPECT_EQ(sscanfU16(sc.input, sc.format, s), sc.result) << "case " << (&sc - sets);
        EXPECT_EQ(std::u16string(s), sc.stored) << "case " << (&sc - sets);
    }
    /* The unit that ends a set stays for the next directive. */
    EXPECT_EQ(sscanfU16(u"x,y", u"%[^,],%s", s, t), 2);
    EXPECT_EQ(std::u16string(t), u"y");
}

TEST(U16ScanfEdges, Floats)
{
    struct Case
    {
        const char16_t* input;
        int result;
        double value;
        const char16_t* rest;
    } cases[] = {
        {u"-1.5e3", 1, -1500.0, u""}, {u"INFINITY", 1, HUGE_VAL, u""}, {u"infx", 1, HUGE_VAL, u"x"},
        {u"-inf", 1, -HUGE_VAL, u""}, {u"2.5", 1, 2.5, u""},           {u"1e+2z", 1, 100.0, u"z"},
        {u"3.25.5", 1, 3.25, u".5"},
    };
    for (const Case& c : cases) {
        double d = 0;
        QOR_UC rest[8] = {0};
        const int r = sscanfU16(c.input, u"%lf%s", &d, rest);
        EXPECT_EQ(r >= 1 ? 1 : r, c.result) << "case " << (&c - cases);
        EXPECT_EQ(d, c.value) << "case " << (&c - cases);
        EXPECT_EQ(std::u16string(rest), c.rest) << "case " << (&c - cases);
    }
    double d = 7;
    EXPECT_EQ(sscanfU16(u".", u"%lf", &d), -1);
    EXPECT_EQ(sscanfU16(u". ", u"%lf", &d), 0);
    EXPECT_EQ(d, 7);
    EXPECT_EQ(sscanfU16(u"nan", u"%lf", &d), 1);
    EXPECT_TRUE(std::isnan(d));
    EXPECT_EQ(sscanfU16(u"inx", u"%lf", &d), 0);
    float f = 0;
    EXPECT_EQ(sscanfU16(u"0.5", u"%f", &f), 1);
    EXPECT_EQ(f, 0.5f);
    EXPECT_EQ(sscanfU16(u"12345", u"%3lf", &d), 1);
    EXPECT_EQ(d, 123.0);
}

TEST(U16ScanfEdges, CountSuppressAndLiterals)
{
    int a = 0, n = -1, b = 0;
    EXPECT_EQ(sscanfU16(u"ab", u"ab%n", &n), 0);
    EXPECT_EQ(n, 2);
    EXPECT_EQ(sscanfU16(u"7 8 9", u"%*d %d %d", &a, &b), 2);
    EXPECT_EQ(a, 8);
    EXPECT_EQ(b, 9);
    EXPECT_EQ(sscanfU16(u"x=5", u"x=%d", &a), 1);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(sscanfU16(u"y=5", u"x=%d", &a), 0);
    EXPECT_EQ(sscanfU16(u"50%", u"%d%%", &a), 1);
    EXPECT_EQ(sscanfU16(u"1,", u"%d,%d", &a, &b), 1);
    int w = 0;
    EXPECT_EQ(sscanfU16(u"98765", u"%*d", &w), 0); // suppressed: nothing assigned
    EXPECT_EQ(sscanfU16(u"98765", u"%*2d%d", &a), 1);
    EXPECT_EQ(a, 765);
}

TEST(U16ScanfEdges, FormatErrorReturnsAssignedSoFar)
{
    DiagCapture diag(U16_TRACE_MEDIUM);
    int a = 0;
    EXPECT_EQ(sscanfU16(u"5 6", u"%d %q", &a), 1);
    EXPECT_NE(diag.text().find("Error in format string at or near 'q':\nq"), std::string::npos);
    EXPECT_NE(diag.text().find("u16_InCon"), std::string::npos);
    /* Directives that are no directives: the fields before them stay counted. */
    const struct
    {
        const char16_t* format;
        int result;
    } cases[] = {{u"%d %0d", 1},
                 {u"%d %2147483648d", 1},
                 {u"%d %I32d", 1},
                 {u"%d %2147483647d", 2},
                 {u"%d %", 1}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        int b = -1;
        EXPECT_EQ(sscanfU16(u"5 6", cases[i].format, &a, &b), cases[i].result) << "case " << i;
    }
}

TEST(U16ScanfStorage, SizesCheckedWithGuardBytes)
{
    struct Case
    {
        const char16_t* format;
        const char16_t* input;
        size_t bytes;
        uint64_t value;
    } cases[] = {
        {u"%hhd", u"-1", 1, 0xFF},
        {u"%hhu", u"300", 1, 300 & 0xFF},
        {u"%hd", u"-2", 2, 0xFFFE},
        {u"%d", u"-3", 4, 0xFFFFFFFD},
        {u"%ld", u"-3", 4, 0xFFFFFFFD},
        {u"%jd", u"5", 4, 5},
        {u"%td", u"5", 4, 5},
        {u"%lld", u"-4", 8, 0xFFFFFFFFFFFFFFFC},
        {u"%I64d", u"9223372036854775807", 8, 0x7FFFFFFFFFFFFFFF},
        {u"%zd", u"6", 8, 6},
        {u"%Ld", u"7", 8, 7},
        {u"%n", u"", 4, 0},
        {u"%hhn", u"", 1, 0},
        {u"%I64n", u"", 8, 0},
    };
    for (const Case& c : cases) {
        unsigned char area[24];
        std::memset(area, 0xA5, sizeof area);
        sscanfU16(c.input, c.format, area + 8);
        uint64_t got = 0;
        std::memcpy(&got, area + 8, c.bytes);
        EXPECT_EQ(got, c.value) << "case " << (&c - cases);
        for (size_t i = 0; i < 8; ++i)
            EXPECT_EQ(area[i], 0xA5) << "case " << (&c - cases);
        for (size_t i = 8 + c.bytes; i < sizeof area; ++i)
            EXPECT_EQ(area[i], 0xA5) << "case " << (&c - cases) << " byte " << i;
    }
    /* Strings: exactly the field and one terminator. */
    QOR_UC s[8];
    for (QOR_UC& u : s)
        u = 0xBEEF;
    EXPECT_EQ(sscanfU16(u"abcdefgh", u"%3s", s), 1);
    EXPECT_EQ(std::u16string(s), u"abc");
    EXPECT_EQ(s[4], 0xBEEF);
    /* Floats: float and double. */
    unsigned char farea[16];
    std::memset(farea, 0xA5, sizeof farea);
    sscanfU16(u"1.5", u"%f", farea + 4);
    float fv;
    std::memcpy(&fv, farea + 4, 4);
    EXPECT_EQ(fv, 1.5f);
    EXPECT_EQ(farea[8], 0xA5);
}

TEST(U16ScanfStorage, ThirtyTwoBitFieldsClampLikeA32BitLong)
{
    struct Case
    {
        const char16_t* format;
        const char16_t* input;
        int64_t value;
        bool erange;
    } cases[] = {
        {u"%d", u"2147483647", INT32_MAX, false},
        {u"%d", u"2147483648", INT32_MAX, true},
        {u"%d", u"-2147483648", INT32_MIN, false},
        {u"%d", u"-2147483649", INT32_MIN, true},
        {u"%ld", u"99999999999999999999999", INT32_MAX, true},
        {u"%u", u"4294967295", 4294967295LL, false},
        {u"%u", u"4294967296", 4294967295LL, true},
        {u"%u", u"-1", 4294967295LL, false},
        {u"%x", u"1ffffffff", 4294967295LL, true},
    };
    for (const Case& c : cases) {
        uint32_t v = 0;
        errno = 0;
        EXPECT_EQ(sscanfU16(c.input, c.format, &v), 1);
        const bool is_signed = c.format[1] == u'd' || c.format[2] == u'd';
        const int64_t got =
            is_signed ? static_cast<int64_t>(static_cast<int32_t>(v)) : static_cast<int64_t>(v);
        EXPECT_EQ(got, c.value) << "case " << (&c - cases);
        EXPECT_EQ(errno == ERANGE, c.erange) << "case " << (&c - cases);
    }
}

TEST(U16ScanfNumbers, Strtol64)
{
    struct Case
    {
        const char* text;
        int base;
        int64_t value;
        int err;
        size_t end;
    } cases[] = {
        {"9223372036854775808", 10, INT64_MAX, ERANGE, 19},
        {"-9223372036854775808", 10, INT64_MIN, 0, 20},
        {"-9223372036854775809", 10, INT64_MIN, ERANGE, 20},
        {"  +42xyz", 0, 42, 0, 5},
        {"0x1f", 0, 31, 0, 4},
        {"0x", 16, 0, 0, 1}, // the "0" was a number
        {"017", 0, 15, 0, 3},
        {"z", 36, 35, 0, 1},
        {"", 10, 0, 0, 0},
        {"abc", 10, 0, 0, 0},
        {"99999999999999999999999", 10, INT64_MAX, ERANGE, 23},
        {"12", 1, 0, EINVAL, 0},
        {"12", 37, 0, EINVAL, 0},
    };
    for (const Case& c : cases) {
        char* end = nullptr;
        errno = 0;
        EXPECT_EQ(strtolU16(c.text, &end, c.base), c.value) << c.text;
        EXPECT_EQ(errno, c.err) << c.text;
        EXPECT_EQ(static_cast<size_t>(end - c.text), c.end) << c.text;
    }
    errno = 0;
    EXPECT_EQ(strtoulU16("-1", nullptr, 10), UINT64_MAX);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(strtoulU16("18446744073709551616", nullptr, 10), UINT64_MAX);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(strtoulU16("-2", nullptr, 10), UINT64_MAX - 1);
}

TEST(U16ScanfNumbers, IllegalBaseReportAtHighLevel)
{
    DiagCapture diag(U16_TRACE_HIGH);
    EXPECT_EQ(strtolU16("1", nullptr, 1), 0);
    EXPECT_NE(diag.text().find("Illegal base 1 in strtolU16"), std::string::npos);
}

TEST(U16ScanfNumbers, Wcstol32)
{
    QOR_UC* end = nullptr;
    const QOR_UC text[] = u" -12abc";
    errno = 0;
    EXPECT_EQ(wcstolU16(text, &end, 10), -12);
    EXPECT_EQ(end, text + 4);
    EXPECT_EQ(wcstolU16(u"4294967296", nullptr, 10), INT32_MAX);
    EXPECT_EQ(errno, ERANGE);
    EXPECT_EQ(wcstolU16(u"xyz", nullptr, 10), 0);
    EXPECT_EQ(wcstolU16(u"99", nullptr, 10), 99);
}

/* ---- streams ---- */

TEST(U16ScanfStream, MemoryStream)
{
    MemIn in("12 caf\xC3\xA9 3.5\n");
    int a = 0;
    QOR_UC word[16];
    double d = 0;
    EXPECT_EQ(fscanfU16(in.get(), u"%d %15s %lf", &a, word, &d), 3);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(std::u16string(word), u"caf\u00e9");
    EXPECT_EQ(d, 3.5);
    EXPECT_EQ(fgetcU16(in.get()), u'\n');
    EXPECT_EQ(fscanfU16(in.get(), u"%d", &a), -1);
}

TEST(U16ScanfStream, NonAsciiUnitEndingAFieldIsKeptForTheNextCall)
{
    MemIn in("12\xE2\x82\xAC"
             "34");
    int a = 0, b = 0;
    EXPECT_EQ(fscanfU16(in.get(), u"%d", &a), 1);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(fgetcU16(in.get()), 0x20AC);
    EXPECT_EQ(fscanfU16(in.get(), u"%d", &b), 1);
    EXPECT_EQ(b, 34);

    MemIn in2("7\xC3\xA9z");
    QOR_UC s[4];
    EXPECT_EQ(fscanfU16(in2.get(), u"%d", &a), 1);
    EXPECT_EQ(fscanfU16(in2.get(), u"%3s", s), 1);
    EXPECT_EQ(std::u16string(s), u"\u00e9z");
}

TEST(U16ScanfStream, HeldUnitIsTheFirstUnitOfTheNextFieldInOneCall)
{
    MemIn in("5\xC3\xA9");
    int a = 0;
    QOR_UC c[2] = {0, 0};
    EXPECT_EQ(fscanfU16(in.get(), u"%d%c", &a, c), 2);
    EXPECT_EQ(c[0], 0x00E9);
}

TEST(U16ScanfStream, InvalidByteBeforeLineFeedDoesNotMergeLines)
{
    DiagCapture quiet(U16_TRACE_NONE);
    MemIn in("ab\xE9\ncd\n");
    QOR_UC s[8], t[8];
    EXPECT_EQ(fscanfU16(in.get(), u"%7s", s), 1);
    EXPECT_EQ(std::u16string(s), u"ab#");
    EXPECT_EQ(fscanfU16(in.get(), u"%7s", t), 1);
    EXPECT_EQ(std::u16string(t), u"cd");
}

TEST(U16ScanfStream, NoStream)
{
    errno = 0;
    int a;
    EXPECT_EQ(fscanfU16(nullptr, u"%d", &a), -1);
    EXPECT_EQ(errno, EBADF);
}

} // namespace

namespace {

/* Integer fields against the C library's sscanf, on inputs where the value
 * fits and both read the same characters. */
TEST(U16ScanfGrid, IntegersAgreeWithTheCLibrary)
{
    const char* inputs[] = {
        "0",          "-0", "+12",      "0x1f", "017",      "08",       "  -2147483648",
        "2147483647", "ff", "-ff",      "1e5",  "  9 rest", "-0x10",    "0777777",
        "12345678",   "x1", "0xABCDEF", "-1",   "00012",    "7fffffff", "123abc"};
    const char* formats[] = {"%d",  "%i",  "%x",   "%o",   "%u",   "%3d", "%2i",
                             "%5x", "%1d", "%lld", "%llx", "%lli", "%X"};
    size_t compared = 0;
    for (const char* f : formats) {
        const bool wide = std::strstr(f, "ll") != nullptr;
        for (const char* in : inputs) {
            /* Only values within the field's range: the C library does not
             * define what an overflow stores. */
            const char conv = f[std::strlen(f) - 1];
            const int base = conv == 'd' || conv == 'u' ? 10
                             : conv == 'i'              ? 0
                             : conv == 'o'              ? 8
                                                        : 16;
            const long long as_number = std::strtoll(in, nullptr, base);
            if (!wide && (as_number < INT32_MIN || as_number > static_cast<long long>(UINT32_MAX)))
                continue;
            /* A width that ends the field inside "0x" is pinned below. */
            if (std::strcmp(f, "%2i") == 0 && std::strncmp(in, "0x", 2) == 0)
                continue;
            long long c_value = -777;
            int c_int = -777;
            const int c_result = wide ? std::sscanf(in, f, &c_value) : std::sscanf(in, f, &c_int);
            std::u16string win(in, in + std::strlen(in));
            std::u16string wf(f, f + std::strlen(f));
            long long our_value = -777;
            int our_int = -777;
            const int our_result = wide ? sscanfU16(win.c_str(), wf.c_str(), &our_value)
                                        : sscanfU16(win.c_str(), wf.c_str(), &our_int);
            EXPECT_EQ(our_result, c_result) << f << " on \"" << in << "\"";
            EXPECT_EQ(wide ? our_value : our_int, wide ? c_value : c_int)
                << f << " on \"" << in << "\"";
            ++compared;
        }
    }
    EXPECT_GT(compared, 200u);
}

TEST(U16ScanfGrid, PinnedDifferencesFromTheCLibrary)
{
    int v = -1;
    /* "0x" without hex digits is no number here (the C library reads the 0). */
    EXPECT_EQ(sscanfU16(u"0x", u"%x", &v), -1);
    EXPECT_EQ(sscanfU16(u"0xg", u"%i", &v), 0);
    EXPECT_EQ(sscanfU16(u"0x1f", u"%2i", &v), 0);
    /* A lone sign at the end of input is the end of input. */
    EXPECT_EQ(sscanfU16(u"+", u"%d", &v), -1);
    /* 32-bit fields clamp instead of wrapping. */
    EXPECT_EQ(sscanfU16(u"4294967297", u"%d", &v), 1);
    EXPECT_EQ(v, INT32_MAX);
}

} // namespace

namespace {

TEST(U16ScanfStream, HeldUnitIsDroppedWhenTheStreamMoved)
{
    /* A held unit belongs to the stream position it was read at; a stream
     * that moved (or a new stream at the address of a closed one) starts
     * clean. */
    char text[] = "5\xC3\xA9";
    FILE* a = fmemopen(text, 3, "r");
    ASSERT_NE(a, nullptr);
    int v = 0;
    EXPECT_EQ(fscanfU16(a, u"%d", &v), 1); // holds the U+00E9 that ended the field
    std::rewind(a);
    EXPECT_EQ(fgetcU16(a), u'5');
    EXPECT_EQ(fgetcU16(a), 0xE9);
    EXPECT_EQ(fgetcU16(a), -1);
    std::fclose(a);
}

} // namespace
