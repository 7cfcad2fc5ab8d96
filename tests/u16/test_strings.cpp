#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "u16/u16_string.h"
#include "u16_test_util.h"

using u16test::W;

namespace {

constexpr QOR_UC kGuard = 0xBEEF;

TEST(U16SafeCopy, StrcpyTable)
{
    struct Case
    {
        const char* source;
        size_t size;
        int rc;
        const char* target; // what the target reads as afterwards
    } cases[] = {
        {"abc", 4, 0, "abc"}, // exactly size - 1 units fit
        {"abcd", 4, 34, ""},  // size units: fails, target reads ""
        {"", 1, 0, ""},       {"abcdef", 2, 34, ""}, {"a", 10, 0, "a"},
    };
    for (const Case& c : cases) {
        QOR_UC buf[12];
        for (QOR_UC& u : buf)
            u = kGuard;
        const std::u16string src = W(c.source);
        EXPECT_EQ(strcpy_sU16(buf, c.size, src.c_str()), c.rc) << c.source << " size " << c.size;
        EXPECT_EQ(std::u16string(buf), W(c.target)) << c.source;
        EXPECT_EQ(buf[c.size], kGuard) << "wrote beyond the size for " << c.source;
    }
}

TEST(U16SafeCopy, StrcpyFailureKeepsCopiedUnitsBehindLeadingZero)
{
    QOR_UC buf[4];
    EXPECT_EQ(strcpy_sU16(buf, 4, u"wxyz"), 34);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], u'x');
    EXPECT_EQ(buf[3], u'z');
}

TEST(U16SafeCopy, SizeZeroRules)
{
    QOR_UC buf[2] = {kGuard, kGuard};
    EXPECT_EQ(strcpy_sU16(buf, 0, u"abc"), 0);
    EXPECT_EQ(buf[0], kGuard);
    EXPECT_EQ(strcat_sU16(buf, 0, u"abc"), 34);
    EXPECT_EQ(buf[0], kGuard);
    char b8[2] = {'x', 'y'};
    EXPECT_EQ(strcpy_sR(b8, 0, "abc"), 0);
    EXPECT_EQ(strcat_sR(b8, 0, "abc"), 34);
    EXPECT_EQ(b8[0], 'x');
}

TEST(U16SafeCopy, StrcatTable)
{
    struct Case
    {
        const char* start;
        size_t size;
        const char* append;
        int rc;
        const char* result;
    } cases[] = {
        {"ab", 5, "cd", 0, "abcd"}, {"ab", 4, "cd", 34, ""}, // does not fit: earlier content lost
        {"", 1, "", 0, ""},         {"abc", 4, "", 0, "abc"}, {"abc", 4, "d", 34, ""},
    };
    for (const Case& c : cases) {
        QOR_UC buf[8];
        for (QOR_UC& u : buf)
            u = kGuard;
        const std::u16string start = W(c.start), app = W(c.append);
        std::copy(start.c_str(), start.c_str() + start.size() + 1, buf);
        EXPECT_EQ(strcat_sU16(buf, c.size, app.c_str()), c.rc) << c.start << "+" << c.append;
        EXPECT_EQ(std::u16string(buf), W(c.result));
        EXPECT_EQ(buf[c.size], kGuard);
    }
}

TEST(U16SafeCopy, StrcatWithoutTerminatorLeavesTargetUnchanged)
{
    QOR_UC buf[3] = {u'x', u'y', u'z'};
    EXPECT_EQ(strcat_sU16(buf, 3, u"a"), 34);
    EXPECT_EQ(buf[0], u'x');
    EXPECT_EQ(buf[2], u'z');
    char b8[3] = {'x', 'y', 'z'};
    EXPECT_EQ(strcat_sR(b8, 3, "a"), 34);
    EXPECT_EQ(b8[0], 'x');
}

TEST(U16SafeCopy, ByteTwins)
{
    char buf[4];
    EXPECT_EQ(strcpy_sR(buf, 4, "abc"), 0);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(strcpy_sR(buf, 4, "abcd"), 34);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(strcpy_sR(buf, 4, "a"), 0);
    EXPECT_EQ(strcat_sR(buf, 4, "bc"), 0);
    EXPECT_STREQ(buf, "abc");
    EXPECT_EQ(strcat_sR(buf, 4, "d"), 34);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(strnlenR("abc", 2), 2u);
    EXPECT_EQ(strnlenR("abc", 9), 3u);
}

TEST(U16TruncatingCopy, Table)
{
    struct Case
    {
        const char* source;
        size_t size;
        size_t n;
        const char* result;
    } cases[] = {
        {"abcdef", 10, 3, "abc"},
        {"abcdefghijkl", 4, 10, "abc"},
        {"ab", 10, 5, "ab"},
        {"abcdef", 4, QOR_TRUNCATE, "abc"}, // "no limit": as much as fits
        {"ab", 4, QOR_TRUNCATE, "ab"},
        {"abc", 10, 0, ""},
    };
    for (const Case& c : cases) {
        QOR_UC buf[12];
        for (QOR_UC& u : buf)
            u = kGuard;
        const std::u16string src = W(c.source);
        EXPECT_EQ(strncpyTruncU16(buf, c.size, src.c_str(), c.n), 0);
        EXPECT_EQ(std::u16string(buf), W(c.result)) << c.source << " n=" << c.n;
        EXPECT_EQ(buf[c.size], kGuard);
    }
    QOR_UC untouched[1] = {kGuard};
    EXPECT_EQ(strncpyTruncU16(untouched, 0, u"abc", QOR_TRUNCATE), 0);
    EXPECT_EQ(untouched[0], kGuard);
}

TEST(U16MemCopy, SafeFormsZeroFillOnOverflow)
{
    QOR_UC buf[4] = {1, 2, 3, kGuard};
    const QOR_UC src[4] = {9, 9, 9, 9};
    EXPECT_EQ(memcpy_sU(buf, 3, src, 4), 34);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[2], 0);
    EXPECT_EQ(buf[3], kGuard);
    EXPECT_EQ(memcpy_sU(buf, 3, src, 3), 0);
    EXPECT_EQ(buf[2], 9);
    char b[3] = {'a', 'b', 'c'};
    EXPECT_EQ(memcpy_sR(b, 2, "xyz", 3), 34);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(b[2], 'c');
}

TEST(U16MemCopy, OverlapCheckPrintsAndMoves)
{
    setenv("QORMEMCPYCHK", "0", 1);
    QOR_UC buf[6] = {1, 2, 3, 4, 5, 6};
    testing::internal::CaptureStderr();
    memcpyU(buf + 1, buf, 4, "here.c", 17);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("memcpyU overlapping - from: "), std::string::npos);
    EXPECT_NE(err.find(" len: 4 (here.c:17)\n"), std::string::npos);
    const QOR_UC moved[6] = {1, 1, 2, 3, 4, 6};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(buf[i], moved[i]) << i;

    testing::internal::CaptureStderr();
    memcpyU(buf, buf, 1, "same.c", 3);
    err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("memcpyU overlapping"), std::string::npos);

    testing::internal::CaptureStderr();
    memcpyU(buf, buf, 0, "none.c", 1);
    memcpyU(buf, buf + 3, 3, "adjacent.c", 1);
    char bytes[8] = "abcdefg";
    memcpyR(bytes + 2, bytes, 3, "bytes.c", 2);
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("memcpyU"), std::string::npos) << err;
    EXPECT_NE(err.find("memcpyR overlapping"), std::string::npos) << err;
    EXPECT_STREQ(bytes, "ababcfg");
    unsetenv("QORMEMCPYCHK");
}

TEST(U16SevenBit, Narrowing)
{
    char out[8];
    EXPECT_EQ(U16ToA7Strict(out, u"ab\u00e9cd"), 1);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(U16ToA7Strict(out, u"abc"), 0);
    EXPECT_STREQ(out, "abc");
    U16ToA7Repl(out, u"a\u00e9\u20ac", u'\u00e9');
    EXPECT_STREQ(out, "a##");
    U16ToA7Repl(out, u"a\u00e9", u'?');
    EXPECT_STREQ(out, "a?");
    nlsui_u16_to_a7(out, u"x\u0100y");
    EXPECT_STREQ(out, "x#y");
    char n[4] = {'.', '.', '.', '.'};
    nlsui_u16n_to_a7(n, u"\u00ffz", 2);
    EXPECT_EQ(std::string(n, 4), "#z..");
}

TEST(U16SevenBit, Widening)
{
    QOR_UC out[6];
    A7ToU16(out, "abc");
    EXPECT_EQ(std::u16string(out), u"abc");
    nlsui_a7_to_u16(out, "");
    EXPECT_EQ(out[0], 0);
    for (QOR_UC& u : out)
        u = kGuard;
    A7nToU16(out, "xyz", 2);
    EXPECT_EQ(out[0], u'x');
    EXPECT_EQ(out[1], u'y');
    EXPECT_EQ(out[2], kGuard);
    A7nToU16(out, "q", 0);
    EXPECT_EQ(out[0], u'x');
    nlsui_a7n_to_u16(out, "\xff", 1);
    EXPECT_EQ(out[0], 0xFF);
}

TEST(U16Tokenizer, SplitsAndEnds)
{
    QOR_UC text[] = u"  a,b,,c  ";
    QOR_UC* ctx = nullptr;
    std::u16string got;
    for (QOR_UC* tok = strtok_sU16(text, u" ,", &ctx); tok != nullptr;
         tok = strtok_sU16(nullptr, u" ,", &ctx))
        got += std::u16string(tok) + u"|";
    EXPECT_EQ(got, u"a|b|c|");
    EXPECT_EQ(ctx, nullptr);
    errno = 0;
    EXPECT_EQ(strtok_sU16(nullptr, u",", &ctx), nullptr);
    EXPECT_EQ(errno, EINVAL);

    QOR_UC delims_only[] = u",,,";
    QOR_UC* ctx2 = delims_only;
    EXPECT_EQ(strtok_sU16(delims_only, u",", &ctx2), nullptr);
    EXPECT_EQ(ctx2, nullptr);
}

TEST(U16Search, Helpers)
{
    const QOR_UC* s = u"hello, world";
    EXPECT_EQ(strpbrkU16(s, u",w"), s + 5);
    EXPECT_EQ(strpbrkU16(s, u"xyz"), nullptr);
    EXPECT_EQ(strspnU16(s, u"ehl"), 4u);
    EXPECT_EQ(memchrU16(s, u'o', 4), nullptr);
    EXPECT_EQ(memchrU16(s, u'o', 5), s + 4);
    EXPECT_EQ(strnlenU16(s, 0), 0u);
    EXPECT_EQ(strnlenU16(s, 3), 3u);
    EXPECT_EQ(strnlenU16(s, 100), 12u);
    EXPECT_EQ(strlenU16(u""), 0u);
    EXPECT_EQ(strchrU16(s, u'o'), s + 4);
    EXPECT_EQ(strrchrU16(s, u'o'), s + 8);
    EXPECT_EQ(strchrU16(s, 0), s + 12);
    EXPECT_EQ(strstrU16(s, u"wor"), s + 7);
    EXPECT_EQ(strstrU16(s, u"word"), nullptr);
}

TEST(U16Compare, OrderingTable)
{
    struct Case
    {
        const char16_t* a;
        const char16_t* b;
        int sign_plain;
        int sign_nocase;
    } cases[] = {
        {u"abc", u"abc", 0, 0},  {u"abc", u"ABC", 1, 0}, {u"abc", u"abd", -1, -1},
        {u"ab", u"abc", -1, -1}, {u"", u"", 0, 0},       {u"Zeta", u"alpha", -1, 1},
        {u"\u00e9", u"e", 1, 1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(strcmpU16(c.a, c.b)), c.sign_plain);
        EXPECT_EQ(sign(strcasecmpU16(c.a, c.b)), c.sign_nocase);
    }
    EXPECT_EQ(strncmpU16(u"abcx", u"abcy", 3), 0);
    EXPECT_LT(strncmpU16(u"abcx", u"abcy", 4), 0);
    EXPECT_EQ(strcasecmpU16(u"ABC", u"abd"), u'c' - u'd');
}

int upper_is_lower(int c)
{
    return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
}

TEST(U16Compare, UsesTheBoundMapping)
{
    U16SetLowerCaseMapping(upper_is_lower);
    EXPECT_EQ(strcasecmpU16(u"b", u"a"), 'B' - 'A');
    EXPECT_EQ(strcasecmpU16(u"[", u"a"), '[' - 'A'); // '[' sorts above 'A' only
    U16SetLowerCaseMapping(nullptr);
    EXPECT_LT(strcasecmpU16(u"[", u"a"), 0);
}

TEST(U16PlainCopies, CopyConcatSet)
{
    QOR_UC buf[10];
    strcpyU16(buf, u"ab");
    strcatU16(buf, u"cd");
    EXPECT_EQ(std::u16string(buf), u"abcd");
    memsetU16(buf, u'z', 3);
    EXPECT_EQ(std::u16string(buf), u"zzzd");
}

} // namespace
