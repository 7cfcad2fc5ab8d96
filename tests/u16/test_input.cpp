#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "u16/u16_input.h"
#include "u16_test_util.h"

using u16test::DiagCapture;
using u16test::MemIn;

namespace {

std::vector<int> read_all(const std::string& bytes, std::vector<int>* errnos = nullptr)
{
    MemIn in(bytes);
    std::vector<int> out;
    for (int i = 0; i < 64; ++i) {
        errno = 0;
        const int c = fgetcU16(in.get());
        out.push_back(c);
        if (errnos != nullptr)
            errnos->push_back(errno);
        if (c < 0)
            break;
    }
    return out;
}

TEST(U16Utf8Input, DecoderTable)
{
    DiagCapture quiet(U16_TRACE_NONE);
    struct Case
    {
        std::string bytes;
        std::vector<int> units;
    } cases[] = {
        {"A", {'A', -1}},
        {"\xC3\xA9", {0xE9, -1}},
        {"\xE2\x82\xAC", {0x20AC, -1}},
        {"\xF0\x9F\x98\x80", {0xFFFD, -1}},
        {"\xC3"
         "A",
         {'#', 'A', -1}}, // the breaking byte starts the next character
        {"\xE2\x82"
         "x",
         {'#', 'x', -1}},
        {"\xFF"
         "b",
         {'#', 'b', -1}},
        {"\x80\x80", {'#', '#', -1}},
        {"\xE2", {'#', -1}}, // truncated at the end: '#', then the end
        {"\xF0\x9F\x98", {'#', -1}},
        {"\xF4\x90\x80\x80", {'#', -1}}, // above U+10FFFF
        {"\xC0\x80", {0, -1}},           // overlong forms are not tested
        {"\xED\xA0\x80", {0xD800, -1}},  // nor encoded surrogates
        {"", {-1}},
        {"\xC3\xA9\xC3", {0xE9, '#', -1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read_all(c.bytes), c.units) << "case " << (&c - cases);
}

TEST(U16Utf8Input, InvalidInputSetsEilseq)
{
    DiagCapture quiet(U16_TRACE_NONE);
    std::vector<int> errs;
    const std::vector<int> got = read_all("a\xFF"
                                          "b",
                                          &errs);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(errs[0], 0);
    EXPECT_EQ(errs[1], EILSEQ);
    EXPECT_EQ(errs[2], 0);
}

TEST(U16Utf8Input, FgetsTable)
{
    DiagCapture quiet(U16_TRACE_NONE);
    struct Case
    {
        std::string bytes;
        int n;
        bool null_result;
        std::u16string line;
    } cases[] = {
        {"ab\ncd\n", 10, false, u"ab\n"},
        {"abcdef", 4, false, u"abc"},
        {"ab", 10, false, u"ab"},
        {"ab", 1, false, u""},
        {"", 10, true, u"keep"},
        {"\xF0\x9F\x98\x80", 3, false, u"\U0001F600"},
        {"\xF0\x9F\x98\x80", 2, false, std::u16string(1, 0xD83D)},
        {"x\xE9\ny\n", 10, false, u"x#\n"},
    };
    for (const Case& c : cases) {
        MemIn in(c.bytes);
        QOR_UC buf[12] = {u'k', u'e', u'e', u'p', 0};
        for (int i = 5; i < 12; ++i)
            buf[i] = 0xBEEF;
        QOR_UC before[12];
        std::copy(buf, buf + 12, before);
        QOR_UC* r = fgetsU16(buf, c.n, in.get());
        EXPECT_EQ(r == nullptr, c.null_result) << "case " << (&c - cases);
        EXPECT_EQ(std::u16string(buf), c.line) << "case " << (&c - cases);
        for (int i = c.n; i < 12; ++i)
            EXPECT_EQ(buf[i], before[i]) << "case " << (&c - cases);
    }
}

TEST(U16Utf8Input, FgetsWithoutRoomWritesNothing)
{
    MemIn in("abc");
    QOR_UC buf[2] = {0xBEEF, 0xBEEF};
    EXPECT_EQ(fgetsU16(buf, 0, in.get()), nullptr);
    EXPECT_EQ(fgetsU16(buf, -5, in.get()), nullptr);
    EXPECT_EQ(buf[0], 0xBEEF);
    EXPECT_EQ(fgetcU16(in.get()), u'a');
}

TEST(U16Utf8Input, FgetsReadsLinesInTurn)
{
    MemIn in("one\ntwo\n\xC3\xA9");
    QOR_UC buf[16];
    std::u16string all;
    while (fgetsU16(buf, 16, in.get()) != nullptr)
        all += std::u16string(buf) + u"|";
    EXPECT_EQ(all, u"one\n|two\n|\u00e9|");
}

int64_t g_fake_now = 1000;
int64_t fake_clock()
{
    return g_fake_now;
}

TEST(U16Utf8Input, ErrorCounterSilencesReportsForAnHour)
{
    DiagCapture diag(U16_TRACE_LOW);
    U16SetInputClock(fake_clock);
    U16ResetInputErrorCounter();
    g_fake_now = 1000;
    const std::string bad(120, '\xFF');
    MemIn in(bad);
    for (int i = 1; i <= 99; ++i)
        ASSERT_EQ(fgetcU16(in.get()), '#');
    const int reports = diag.calls();
    EXPECT_GE(reports, 99 * 3); // header, dump and end marker each
    EXPECT_NE(diag.text().find("Invalid UTF-8 encountered by fgetcU16 (fileno 0x"),
              std::string::npos);
    EXPECT_NE(
        diag.text().find(" ff                                             |.               |"),
        std::string::npos)
        << diag.text().substr(0, 400);
    diag.clear();
    EXPECT_EQ(fgetcU16(in.get()), '#'); // the 100th
    EXPECT_EQ(diag.calls(), 1);
    EXPECT_NE(diag.text().find("Too many invalid UTF-8 in fgetcU16, no more error message will be "
                               "written for 3600 seconds"),
              std::string::npos);
    diag.clear();
    g_fake_now = 1000 + 3600;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fgetcU16(in.get()), '#');
    EXPECT_EQ(diag.calls(), 0);
    g_fake_now = 1000 + 3601;
    EXPECT_EQ(fgetcU16(in.get()), '#');
    EXPECT_NE(diag.text().find("fgetcU16 error counter reset"), std::string::npos);
    EXPECT_EQ(diag.text().find("Invalid UTF-8 encountered"), std::string::npos);
    diag.clear();
    EXPECT_EQ(fgetcU16(in.get()), '#'); // counting starts again
    EXPECT_NE(diag.text().find("Invalid UTF-8 encountered by fgetcU16"), std::string::npos);
    U16SetInputClock(nullptr);
    U16ResetInputErrorCounter();
}

TEST(U16Utf8Input, NoReportsAtLevelNone)
{
    DiagCapture diag(U16_TRACE_NONE);
    U16ResetInputErrorCounter();
    MemIn in("\xFF\xFF");
    EXPECT_EQ(fgetcU16(in.get()), '#');
    EXPECT_EQ(diag.calls(), 0);
}

TEST(U16Utf8Input, FileTraceConsumesTheFollowingBytes)
{
    DiagCapture diag(U16_TRACE_LOW);
    U16ResetInputErrorCounter();
    setenv("NLSUI_FILE_TRACE", "1", 1);
    const std::string tail(100, 'q');
    MemIn in("\xFF" + tail);
    EXPECT_EQ(fgetcU16(in.get()), '#');
    unsetenv("NLSUI_FILE_TRACE");
    int left = 0;
    while (fgetcU16(in.get()) >= 0)
        ++left;
    EXPECT_EQ(left, 20);
    EXPECT_NE(diag.text().find("|qqqqqqqqqqqqqqqq|"), std::string::npos);
    U16ResetInputErrorCounter();
}

/* The byte that broke a sequence is the next unread byte: the read-ahead dump
 * starts with it and consumes it, and nothing after it is lost or reordered. */
TEST(U16Utf8Input, FileTraceStartsWithTheByteThatBrokeTheSequence)
{
    DiagCapture diag(U16_TRACE_LOW);
    U16ResetInputErrorCounter();
    setenv("NLSUI_FILE_TRACE", "1", 1);
    MemIn in("\xC3"
             "A" +
             std::string(79, 'q') + "xyz");
    EXPECT_EQ(fgetcU16(in.get()), '#');
    unsetenv("NLSUI_FILE_TRACE");
    EXPECT_NE(diag.text().find("|Aqqqqqqqqqqqqqqq|"), std::string::npos) << diag.text();
    std::u16string rest;
    for (int c, i = 0; i < 16 && (c = fgetcU16(in.get())) >= 0; ++i)
        rest += static_cast<char16_t>(c);
    EXPECT_EQ(rest, u"xyz");
    U16ResetInputErrorCounter();
}

/* A valid read after an invalid one on a pipe leaves errno alone. */
TEST(U16Utf8Input, HeldByteOnAPipeLeavesErrnoAlone)
{
    DiagCapture diag(U16_TRACE_NONE);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1],
                    "\xC3"
                    "AB",
                    3),
              3);
    close(fds[1]);
    FILE* in = fdopen(fds[0], "r");
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(fgetcU16(in), '#');
    const struct
    {
        int unit;
    } expected[] = {{'A'}, {'B'}, {-1}};
    for (const auto& e : expected) {
        errno = 0;
        EXPECT_EQ(fgetcU16(in), e.unit);
        EXPECT_EQ(errno, 0) << "after unit " << e.unit;
    }
    U16ForgetStream(in);
    std::fclose(in);
}

TEST(U16Utf8Input, FgetsReportsAnInvalidLastCharacter)
{
    DiagCapture diag(U16_TRACE_LOW);
    MemIn in("abc\xFF");
    QOR_UC buf[5];
    ASSERT_NE(fgetsU16(buf, 5, in.get()), nullptr);
    EXPECT_EQ(std::u16string(buf), u"abc#");
    EXPECT_NE(diag.text().find("Invalid UTF-8 encountered by fgetsU16"), std::string::npos);
    EXPECT_NE(diag.text().find("Characters previously read:\n 0061 0062 0063"), std::string::npos)
        << diag.text();
}

} // namespace
