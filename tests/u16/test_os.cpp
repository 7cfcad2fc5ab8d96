#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "u16/u16.h"
#include "u16_test_util.h"

using u16test::DiagCapture;

namespace {

TEST(NlsuiConversions, Utf8ToU16Table)
{
    DiagCapture quiet(U16_TRACE_NONE);
    struct Case
    {
        std::string src;
        int capacity;
        int result;
        std::u16string units;
    } cases[] = {
        {"\xF0\x9F\x98\x80", 8, 2, {0xD83D, 0xDE00}},
        {"\xF0\x9F\x98\x80", 1, 1, {0xD83D}},
        {"\xC0\x80"
         "abc",
         8,
         0,
         {}}, // an overlong zero ends the text
        {"\x80", 8, -1, {}},
        {"abc", 2, 2, u"ab"}, // capacity reached: no terminator
        {"\xC3\xA9x", 8, 2, u"\u00e9x"},
        {"\xED\xA0\x80", 8, 1, {0xD800}},
        {"\xF4\x90\x80\x80", 8, -1, {}},
    };
    for (const Case& c : cases) {
        QOR_UC buf[10];
        for (QOR_UC& u : buf)
            u = 0xBEEF;
        errno = 0;
        const int r = nlsui_utf8_to_u16(buf, c.src.c_str(), c.capacity);
        EXPECT_EQ(r, c.result) << "case " << (&c - cases);
        if (r >= 0) {
            EXPECT_EQ(std::u16string(buf, c.units.size()), c.units) << "case " << (&c - cases);
            EXPECT_EQ(buf[r], r < c.capacity ? 0 : 0xBEEF) << "case " << (&c - cases);
        } else {
            EXPECT_EQ(errno, EILSEQ);
        }
    }
    EXPECT_EQ(nlsui_utf8_to_u16(nullptr, "abc", 0), 3);
    EXPECT_EQ(nlsui_utf8_to_u16(nullptr, "\xF0\x9F\x98\x80", 0), 2);
    QOR_UC one[1] = {0xBEEF};
    EXPECT_EQ(nlsui_utf8_to_u16(one, "abc", 0), 0); // no room: nothing written
    EXPECT_EQ(nlsui_utf8_to_u16(one, "abc", -4), 0);
    EXPECT_EQ(one[0], 0xBEEF);
}

TEST(NlsuiConversions, U16ToUtf8Table)
{
    struct Case
    {
        std::u16string src;
        int capacity;
        int result;
        std::string bytes; // with the terminator when one is written
    } cases[] = {
        {{0xD83D, 0xDE00}, 16, 6, std::string("\xED\xA0\xBD\xED\xB8\x80", 7)},
        {u"\u00e9x", 2, 2, "\xC3\xA9"},
        {u"\u20ac", 2, 0, std::string(1, '\0')},
        {u"ab", 2, 2, "ab"},
        {u"", 4, 0, std::string(1, '\0')},
    };
    for (const Case& c : cases) {
        char buf[16];
        std::memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(nlsui_u16_to_utf8(buf, c.src.c_str(), c.capacity), c.result)
            << "case " << (&c - cases);
        EXPECT_EQ(std::string(buf, c.bytes.size()), c.bytes) << "case " << (&c - cases);
        EXPECT_EQ(buf[c.bytes.size()], 'Z') << "case " << (&c - cases);
    }
    EXPECT_EQ(nlsui_u16_to_utf8(nullptr, u"a\u00e9\u20ac", 0), 6);
}

TEST(NlsuiConversions, ReportingForms)
{
    DiagCapture diag(U16_TRACE_LOW);
    QOR_UC buf[4];
    errno = 0;
    EXPECT_EQ(nlsui_utf8_to_u16_chk(buf, "abcdef", 4, "f.c", 1, "fn", "arr", "LIM"), 4);
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_NE(diag.text().find("Function fn :\nArray arr length LIM is too small."),
              std::string::npos);
    diag.clear();
    EXPECT_EQ(nlsui_utf8_to_u16_chk(buf, "a\xFF", 4, "f.c", 1, "fn", "arr", "LIM"), -1);
    EXPECT_NE(diag.text().find("fn encountered invalid UTF-8"), std::string::npos);
    diag.clear();
    char b[3];
    errno = 0;
    EXPECT_EQ(nlsui_u16_to_utf8_chk(b, u"abc", 3, "f.c", 1, "g", "a", "L"), 3);
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_NE(diag.text().find("Function g :"), std::string::npos);
}

TEST(U16ErrorTextsOfTheRuntime, StrerrorAndPerror)
{
    QOR_UC* a = strerrorU16(ENOENT);
    ASSERT_NE(a, nullptr);
    const std::string want = std::strerror(ENOENT);
    EXPECT_EQ(std::u16string(a), u16test::W(want));
    QOR_UC* b = strerrorU16(EACCES);
    EXPECT_EQ(a, b); // the same buffer
    EXPECT_EQ(std::u16string(b), u16test::W(std::strerror(EACCES)));

    errno = ENOENT;
    testing::internal::CaptureStderr();
    perrorU16(u"caf\u00e9");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "caf\xC3\xA9: " + want + "\n");
}

TEST(U16Wrappers, HostName)
{
    char want[256];
    ASSERT_EQ(gethostname(want, sizeof want), 0);
    QOR_UC name[256];
    EXPECT_EQ(gethostnameU16(name, 256), 0);
    EXPECT_EQ(std::u16string(name), u16test::W(want));
    const int len = static_cast<int>(std::strlen(want));
    QOR_UC small[4] = {0xBEEF, 0xBEEF, 0xBEEF, 0xBEEF};
    if (len >= 2) {
        EXPECT_EQ(gethostnameU16(small, 2), -1); // does not fit: terminated, failed
        EXPECT_EQ(small[1], 0);
        EXPECT_EQ(small[2], 0xBEEF);
    }
    EXPECT_EQ(gethostnameU16(small, 0), -1);
    EXPECT_EQ(gethostnameU16(name, len + 1), 0);
}

TEST(U16Wrappers, ParentIdFromTheEnvironment)
{
    struct Case
    {
        const char* value;
        int result;
    } cases[] = {{nullptr, 0},
                 {"", 0},
                 {"4711", 4711},
                 {"abc", 0},
                 {"12x", 12},
                 {"-42", -42},
                 {"2147483647", 2147483647},
                 /* read whole and clamped to the 32-bit range, never cut to its low bits */
                 {"4294967297", 2147483647},
                 {"-99999999999", -2147483647 - 1},
                 {"123456789012345678901234", 2147483647}};
    for (const Case& c : cases) {
        if (c.value == nullptr)
            unsetenv("PPID");
        else
            setenv("PPID", c.value, 1);
        EXPECT_EQ(nlsui_getppid(), c.result) << (c.value != nullptr ? c.value : "(unset)");
    }
    unsetenv("PPID");
}

TEST(U16Wrappers, SleepOfZeroAndTimeOfDay)
{
    EXPECT_EQ(nlsui_sleep(0), 0);
    nlsui_timeval tv{};
    nlsui_timezone tz{-1, -1};
    EXPECT_EQ(nlsui_gettimeofday(&tv, &tz), 0);
    EXPECT_GE(tv.tv_usec, 0);
    EXPECT_LT(tv.tv_usec, 1000000);
    EXPECT_EQ(tv.tv_usec % 1000, 0); // millisecond resolution
    EXPECT_LE(std::abs(static_cast<long>(tv.tv_sec) -
                       static_cast<long>(static_cast<int32_t>(time(nullptr)))),
              2L);
    EXPECT_GE(tz.tz_minuteswest, -14 * 60);
    EXPECT_LE(tz.tz_minuteswest, 12 * 60);
    EXPECT_EQ(nlsui_gettimeofday(&tv, nullptr), 0);
}

/* The cached bias is the standard-time offset even while daylight saving
 * time is in force, and the daylight field the zone's own shift. Each case
 * runs in a fresh process, as the zone is read once per process; the rule
 * strings need no zone files. */
TEST(U16WrappersTimeZone, BiasIsTheStandardOffsetAndDaylightTheZonesShift)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct
    {
        const char* zone;
        int32_t minutes_west;
        int32_t daylight;
    } cases[] = {{"Europe/Berlin", -60, -60},
                 {"Australia/Sydney", -600, -60},
                 {"UTC", 0, 0},
                 {"LHS-10:30LHD-11,M10.1.0,M4.1.0", -630, -30},
                 {"QST3QDT,M3.2.0,M11.1.0", 180, -60}};
    for (const auto& c : cases) {
        if (std::strchr(c.zone, '/') != nullptr &&
            access((std::string("/usr/share/zoneinfo/") + c.zone).c_str(), R_OK) != 0)
            continue;
        EXPECT_EXIT(
            {
                setenv("TZ", c.zone, 1);
                nlsui_timezone tz{};
                tz.tz_minuteswest = 12345;
                tz.tz_dsttime = 12345;
                nlsui_gettimeofday(nullptr, &tz);
                std::fprintf(stderr, "bias %d daylight %d\n", static_cast<int>(tz.tz_minuteswest),
                             static_cast<int>(tz.tz_dsttime));
                std::_Exit(tz.tz_minuteswest == c.minutes_west && tz.tz_dsttime == c.daylight ? 0
                                                                                              : 1);
            },
            testing::ExitedWithCode(0), "")
            << c.zone;
    }
}

TEST(U16Wrappers, OpenByUnicodeNameAndTheNullDevice)
{
    char dir_template[] = "/tmp/u16osXXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    std::u16string name = u16test::W(dir) + u"/caf\u00e9\U0001F600.txt";
    FILE* f = fopenU16(name.c_str(), u"wt");
    ASSERT_NE(f, nullptr);
    fputsU16(u"x", f);
    std::fclose(f);
    const std::string utf8_path = dir + "/caf\xC3\xA9\xF0\x9F\x98\x80.txt";
    FILE* check = std::fopen(utf8_path.c_str(), "r");
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(std::fgetc(check), 'x');
    std::fclose(check);
    std::remove(utf8_path.c_str());
    rmdir(dir.c_str());

    for (const char16_t* nul : {u"NUL:", u"nul", u"NUL"}) {
        FILE* n = fopenU16(nul, u"w");
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(fprintfU16(n, u"discarded"), 9);
        std::fclose(n);
    }
    const QOR_UC lone[] = {u'a', 0xD800, 0};
    errno = 0;
    EXPECT_EQ(fopenU16(lone, u"r"), nullptr);
    EXPECT_EQ(errno, EILSEQ);
    EXPECT_EQ(fopenU16(u"/nonexistent/dir/file", u"r"), nullptr);
}

TEST(U16Wrappers, OpenTraceFollowsTheLevel)
{
    {
        DiagCapture diag(U16_TRACE_MEDIUM);
        FILE* f = fopenU16(u"/dev/null", u"r");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
        EXPECT_EQ(diag.calls(), 0);
    }
    {
        DiagCapture diag(U16_TRACE_HIGH);
        FILE* f = fopenU16(u"/dev/null", u"r");
        ASSERT_NE(f, nullptr);
        const int fd = fileno(f);
        std::fclose(f);
        char want[64];
        std::snprintf(want, sizeof want, "fopenU16 \"/dev/null\" (fileno 0x%x)", fd);
        EXPECT_NE(diag.text().find(want), std::string::npos) << diag.text();
        /* The header names the wrapper module, not a path of the build machine. */
        EXPECT_EQ(diag.text().rfind("--- Unicode interface [flat/nlsui1 line ", 0), 0u)
            << diag.text();
    }
    {
        DiagCapture diag(U16_TRACE_HIGH);
        const std::u16string hundred(100, u'n');
        nlsui_trace_fopen(hundred.c_str(), 3, "fopenU16", "f.c", 1);
        EXPECT_NE(diag.text().find("\"" + std::string(80, 'n') + "\""), std::string::npos);
        EXPECT_EQ(diag.text().find(std::string(81, 'n')), std::string::npos);
    }
}

TEST(U16Wrappers, CastCheck)
{
    alignas(4) char area[8] = {};
    testing::internal::CaptureStderr();
    EXPECT_EQ(nlsui_cast_raw2uc(area, u"even.c", 1), reinterpret_cast<QOR_UTF16*>(area));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    setenv("QORCASTRAW2UCCHK", "0", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(static_cast<void*>(nlsui_cast_raw2uc(area + 1, u"odd.c", 12)),
              static_cast<void*>(area + 1));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ERROR: Casting an odd adress to QOR_UTF16* in file odd.c, line 12\n");
    unsetenv("QORCASTRAW2UCCHK");
}

void overlapping_copy()
{
    QOR_UC units[6] = {1, 2, 3, 4, 5, 6};
    memcpyU(units + 1, units, 4, "copy.c", 5);
}

void odd_cast()
{
    alignas(4) char area[8] = {};
    nlsui_cast_raw2uc(area + 1, u"cast.c", 9);
}

/* The overlap and cast checks break with SIGTRAP, which ends a process
 * without a debugger; only the value "0" of their switch lets it go on. */
TEST(U16ChecksDeathTest, BreakEndsTheProcessUnlessSwitchedOff)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct
    {
        const char* variable;
        void (*trigger)();
        const char* message;
    } checks[] = {
        {"QORMEMCPYCHK", overlapping_copy, "memcpyU overlapping .* \\(copy.c:5\\)"},
        {"QORCASTRAW2UCCHK", odd_cast, "odd adress to QOR_UTF16\\* in file cast.c, line 9"},
    };
    const struct
    {
        const char* value;
        bool breaks;
    } switches[] = {{nullptr, true}, {"0", false}, {"1", true}, {"", true}, {"00", true}};
    for (const auto& check : checks) {
        for (const auto& s : switches) {
            if (s.value == nullptr)
                unsetenv(check.variable);
            else
                setenv(check.variable, s.value, 1);
            const std::string label =
                std::string(check.variable) + "=" + (s.value != nullptr ? s.value : "(unset)");
            if (s.breaks)
                EXPECT_EXIT(check.trigger(), testing::KilledBySignal(SIGTRAP), check.message)
                    << label;
            else
                EXPECT_EXIT(
                    {
                        check.trigger();
                        std::_Exit(0);
                    },
                    testing::ExitedWithCode(0), check.message)
                    << label;
        }
        unsetenv(check.variable);
    }
}

TEST(U16Wrappers, WhatStringCopy)
{
    QOR_UC* w = ConvertSCCSID_w("@(#) $Id: x.c#3 $ \xC3\xA9");
    EXPECT_EQ(std::u16string(w), u"@(#) $Id: x.c#3 $ \u00e9");
    std::free(w);
    DiagCapture quiet(U16_TRACE_NONE);
    EXPECT_EQ(std::u16string(ConvertSCCSID_w("bad \xFF")), u"ConvertSCCSID_w failed");
}

TEST(U16Wrappers, ServiceProcessHeuristic)
{
    setenv("INVOCATION_ID", "0123456789abcdef", 1);
    EXPECT_EQ(nlsui_is_service_process(), 1);
    unsetenv("INVOCATION_ID");
    const int r = nlsui_is_service_process();
    EXPECT_TRUE(r == 0 || r == 1);
    if (isatty(STDIN_FILENO)) {
        EXPECT_EQ(r, 0);
    }
}

} // namespace

namespace {

/* A sleep of 4,294,968 s would wrap to 704 ms in 32-bit milliseconds. */
TEST(U16WrappersSleep, LongSleepDoesNotWrap)
{
    const pid_t pid = fork();
    if (pid == 0) {
        nlsui_sleep(4294968u);
        _exit(0);
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    bool ended = false;
    for (int i = 0; i < 15 && !ended; ++i) {
        usleep(100000);
        ended = waitpid(pid, &status, WNOHANG) == pid;
    }
    EXPECT_FALSE(ended) << "the sleep ended after at most 1.5 s";
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

} // namespace
