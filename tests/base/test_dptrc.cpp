// Developer trace: exact line formats with an injected clock, locking.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "base/dptrc.h"
#include "base/dptrc_internal.h"
#include "base/thr.h"
#include "trace_capture.h"

namespace {

int64_t g_sec = 0;
int32_t g_usec = 0;

bool test_clock(int64_t* sec, int32_t* usec)
{
    *sec = g_sec;
    *usec = g_usec;
    return true;
}

// Sat Dec  5 15:21:28 2026 UTC
constexpr int64_t kBase = 1796484088;

class Trace : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const char* tz = getenv("TZ");
        had_tz_ = tz != nullptr;
        if (had_tz_)
            old_tz_ = tz;
        setenv("TZ", "UTC0", 1);
        tzset();
        g_sec = kBase;
        g_usec = 0;
        DpTrcISetClock(test_clock);
        DpTrcIResetStamp();
        old_mode_ = DpTrcTimeMode;
        DpTrcTimeMode = 1;
        tag_ = "[Thr " + std::to_string(ThrGetCurrentId()) + "] ";
    }
    void TearDown() override
    {
        DpTrcTimeMode = old_mode_;
        DpTrcISetClock(nullptr);
        DpTrcIResetStamp();
        if (had_tz_)
            setenv("TZ", old_tz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::string tag_;

  private:
    bool had_tz_ = false;
    std::string old_tz_;
    int old_mode_ = 1;
};

TEST_F(Trace, DateLineOncePerSecond)
{
    TraceCapture trace(3);
    DpTrc(DpTrcHdl, u"one %d\n", 1);
    DpTrc(DpTrcHdl, u"two %s\n", u"x");
    g_sec += 1;
    DpTrc(DpTrcHdl, u"three\n");
    EXPECT_EQ(trace.take(), tag_ + "Sat Dec  5 15:21:28 2026\n" + tag_ + "one 1\n" + tag_ +
                                "two x\n" + tag_ + "Sat Dec  5 15:21:29 2026\n" + tag_ + "three\n");
}

TEST_F(Trace, LevelOnePutsAnEmptyLineBeforeEachDateLine)
{
    TraceCapture trace(1);
    DpTrc(DpTrcHdl, u"a\n");
    DpTrc(DpTrcHdl, u"b\n");
    g_sec += 5;
    DpTrc(DpTrcHdl, u"c\n");
    EXPECT_EQ(trace.take(), "\n" + tag_ + "Sat Dec  5 15:21:28 2026\n" + tag_ + "a\n" + tag_ +
                                "b\n\n" + tag_ + "Sat Dec  5 15:21:33 2026\n" + tag_ + "c\n");
}

TEST_F(Trace, WriterVariants)
{
    TraceCapture trace(3);
    DpTrcSetLoc(u"/src/base\\net/ni.c", 42);
    DpTrc(DpTrcHdl, u"start\n");
    trace.take();

    DpTrcNoThr(DpTrcHdl, u"no tag\n");
    EXPECT_EQ(trace.take(), "no tag\n");
    g_sec += 1;
    DpTrcNoThr(DpTrcHdl, u"no tag\n");
    EXPECT_EQ(trace.take(), "Sat Dec  5 15:21:29 2026\nno tag\n");
    g_sec += 1;
    DpTrcNoTime(DpTrcHdl, u"no time\n");
    EXPECT_EQ(trace.take(), tag_ + "no time\n");
    DpTrcA(DpTrcHdl, "%s=%d\n", "eight", 8);
    EXPECT_EQ(trace.take(), tag_ + "Sat Dec  5 15:21:30 2026\n" + tag_ + "eight=8\n");
    DpTrcErr(DpTrcHdl, u"failed %s\n", u"call");
    EXPECT_EQ(trace.take(), tag_ + "*** ERROR => failed call [ni.c         42]\n");
    DpTrcErrA(DpTrcHdl, "failed %d", 7);
    EXPECT_EQ(trace.take(), tag_ + "*** ERROR => failed 7 [ni.c         42]\n");
    DpTrcWarn(DpTrcHdl, u"careful\n");
    EXPECT_EQ(trace.take(), tag_ + "*** WARNING => careful [ni.c         42]\n");

    DpTrcSetLoc(u"c:\\dir/sub\\averyveryverylongname.cpp", 123456);
    DpTrcErr(DpTrcHdl, u"x");
    EXPECT_EQ(trace.take(), tag_ + "*** ERROR => x [averyveryver 12345]\n");

    DpTrcSetLoc(u"err.c", 7);
    errno = ENOENT;
    DpTrcSysErr(DpTrcHdl, u"open %s\n", u"f");
    EXPECT_EQ(errno, ENOENT) << "the trace keeps errno";
    EXPECT_EQ(trace.take(),
              tag_ + "*** ERROR => open f (2: " + strerror(ENOENT) + ") [err.c        7]\n");
}

TEST_F(Trace, InnerLineFeedsRepeatTheThreadTag)
{
    TraceCapture trace(3);
    DpTrcNoTime(DpTrcHdl, u"a\nb\nc\n");
    DpTrcNoTime(DpTrcHdl, u"d\ne\r\n");
    DpTrcNoTime(DpTrcHdl, u"f\n\ng");
    EXPECT_EQ(trace.take(), tag_ + "a\n" + tag_ + "b\n" + tag_ + "c\n" + tag_ + "d\n" + tag_ +
                                "e\r\n" + tag_ + "f\n" + tag_ + "\n" + tag_ + "g");
}

TEST_F(Trace, SubSecondStamps)
{
    TraceCapture trace(3);
    DpTrcTimeMode = 2;
    g_usec = 123456;
    DpTrcNoThr(DpTrcHdl, u"a\n");
    g_usec = 200000; // less than the minimum interval of 100 ms later
    DpTrcNoThr(DpTrcHdl, u"b\n");
    g_usec = 623455; // mode 2: a stamp every 500 ms at most
    DpTrcNoThr(DpTrcHdl, u"c\n");
    g_usec = 623456;
    DpTrcNoThr(DpTrcHdl, u"d\n");
    DpTrcTimeMode = 20; // at least 100 ms between stamps
    g_usec = 723456;
    DpTrcNoThr(DpTrcHdl, u"e\n");
    g_sec += 1;
    g_usec = 5000;
    DpTrcNoThr(DpTrcHdl, u"f\n");
    EXPECT_EQ(trace.take(), "Sat Dec  5 15:21:28:123 2026\na\nb\nc\n"
                            "Sat Dec  5 15:21:28:623 2026\nd\n"
                            "Sat Dec  5 15:21:28:723 2026\ne\n"
                            "Sat Dec  5 15:21:29:005 2026\nf\n");
    DpTrcTimeMode = 0;
    g_sec += 10;
    DpTrcNoThr(DpTrcHdl, u"g\n");
    EXPECT_EQ(trace.take(), "g\n");
}

TEST_F(Trace, LongMessagesAndFormatsAreCut)
{
    TraceCapture trace(3);
    std::u16string big(9000, u'm');
    DpTrcNoTime(DpTrcHdl, u"%s", big.c_str());
    std::string text = trace.take();
    const std::string warning = "\n*** WARNING => data was truncated\n";
    ASSERT_GT(text.size(), warning.size());
    EXPECT_EQ(text.substr(text.size() - warning.size()), warning);
    EXPECT_EQ(text.substr(0, tag_.size()), tag_);
    EXPECT_EQ(text.size() - warning.size(), 8191u) << "the line buffer holds 8191 units";

    std::u16string long_fmt(1100, u'f');
    DpTrcErr(DpTrcHdl, long_fmt.c_str());
    text = trace.take();
    EXPECT_NE(text.find("\n*** ERROR => Dptrc fmt string truncated\n" + tag_ + "*** ERROR => "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("*** ERROR => " + std::string(1024, 'f') + " ["), std::string::npos);
    EXPECT_EQ(text.find(std::string(1025, 'f')), std::string::npos);
}

TEST_F(Trace, FormatErrorsAreReportedAndTheLineDropped)
{
    TraceCapture trace(3);
    DpTrcNoTime(DpTrcHdl, u"bad %n directive");
    std::string text = trace.take();
    EXPECT_TRUE(std::regex_match(text, std::regex("\\*\\*\\* ERROR => vsnprintfU err, errno=[0-9]+ "
                                                  "\\[base/dptrc/dptrace [0-9]+\\]\n")))
        << text;
}

TEST_F(Trace, NullHandleWritesToStandardError)
{
    DpTrcLevel = 3;
    ::testing::internal::CaptureStderr();
    DpTrcNoTime(nullptr, u"to stderr %d\n", 3);
    std::string text = ::testing::internal::GetCapturedStderr();
    DpTrcLevel = 0;
    EXPECT_EQ(text, tag_ + "to stderr 3\n");
}

TEST_F(Trace, ComponentHandles)
{
    DpTrcComponent* table = DpTrcIComponentTable();
    ::testing::internal::CaptureStderr();
    DpTrcNoTime(&table[0], u"row zero\n");
    DpTrcNoTime(&table[1], u"unused row\n");
    std::string text = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(text.rfind(tag_ + "row zero\nERROR => CTRC_IS_HANDLE2 != CTRC_IS_HANDLE\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("         next_free_comp           =1\n"), std::string::npos);
    EXPECT_EQ(text.find("unused row"), std::string::npos);
}

TEST_F(Trace, LockCountNestsAndIsKeptByWriters)
{
    EXPECT_EQ(DpTrcLockCount(), 0);
    DpTrcLock();
    DpTrcLock();
    EXPECT_EQ(DpTrcLockCount(), 2);
    {
        TraceCapture trace(3);
        DpTrcNoTime(DpTrcHdl, u"under lock\n");
        EXPECT_EQ(trace.take(), tag_ + "under lock\n");
    }
    EXPECT_EQ(DpTrcLockCount(), 2);
    DpTrcUnlock();
    DpTrcUnlock();
    EXPECT_EQ(DpTrcLockCount(), 0);
}

// Several threads write through the calling protocol: every line arrives
// whole. Meant for the thread-sanitizer build as well.
TEST_F(Trace, ConcurrentWritersKeepLinesWhole)
{
    TraceCapture trace(3);
    DpTrcTimeMode = 0;
    constexpr int kThreads = 4, kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                DpTrcLock();
                DpTrcEntryLevel = 3;
                DpTrc(DpTrcHdl, u"writer %d line %d\n", t, i);
                DpTrcEntryLevel = 2;
                DpTrcUnlock();
            }
        });
    for (auto& th : threads)
        th.join();
    std::string text = trace.take();
    const std::regex line("\\[Thr [0-9]+\\] writer [0-9] line [0-9]+");
    size_t count = 0, pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        ASSERT_NE(nl, std::string::npos);
        ASSERT_TRUE(std::regex_match(text.substr(pos, nl - pos), line))
            << text.substr(pos, nl - pos);
        ++count;
        pos = nl + 1;
    }
    EXPECT_EQ(count, static_cast<size_t>(kThreads * kLines));
    EXPECT_EQ(DpTrcLockCount(), 0);
}

using TraceDeathTest = Trace;

// A fresh process: many threads race for the first DpTrcLock, which makes the
// trace mutex.
TEST_F(TraceDeathTest, FirstLockRaceIsSafe)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atomic<bool> go{false};
            std::vector<std::thread> threads;
            for (int t = 0; t < 8; ++t)
                threads.emplace_back([&] {
                    while (!go.load()) {
                    }
                    for (int i = 0; i < 50; ++i) {
                        DpTrcLock();
                        DpTrcUnlock();
                    }
                });
            go = true;
            for (auto& th : threads)
                th.join();
            exit(DpTrcLockCount() == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(TraceDeathTest, UnbalancedUnlockPanics)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            DpTrcLock();
            DpTrcUnlock();
            DpTrcUnlock();
        },
        "ThrRecMtxUnlock: PANIC: #unlock > #lock, tag: \"dptrace\"");
}

} // namespace
