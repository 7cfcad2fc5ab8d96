// Developer trace: exact line formats with an injected clock, locking,
// components and per-thread files, and the extension points.

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "base/dptrc.h"
#include "base/dptrc_internal.h"
#include "base/thr.h"
#include "trace_capture.h"
#include "u16/u16_printf.h"

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
        DpTrcSetOutputHook(nullptr, nullptr);
        DpTrcSetContextHook(nullptr);
        DpTrcSetMaxFileSize(-1, nullptr);
        DpSetSizeCheck(true);
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

std::string narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

// Row zero of the component table as a tagged component for one test.
struct ComponentRow
{
    DpTrcComponent* row = &DpTrcIComponentTable()[0];
    DpTrcComponent saved = *row;
    ComponentRow(QOR_UC tag, int level, int indent) { set(tag, level, indent); }
    ~ComponentRow() { set(saved.tag, saved.level, saved.indent); }
    void set(QOR_UC tag, int level, int indent)
    {
        DpTrcLock();
        *row = {tag, level, indent};
        DpTrcUnlock();
    }
};

// "@" in an expected text stands for the thread tag.
std::string with_tag(const std::string& text, const std::string& tag)
{
    std::string out;
    for (char c : text)
        out += c == '@' ? tag : std::string(1, c);
    return out;
}

TEST_F(Trace, ComponentPrefixIndentationAndLevels)
{
    TraceCapture trace(3, true);
    DpTrcSetLoc(u"nixx.c", 9);
    using Write = std::function<void(ComponentRow&)>;
    auto no_time = [](const QOR_UC* text) {
        return [=](ComponentRow& c) { DpTrcNoTime(c.row, text); };
    };
    auto stamped = [](ComponentRow& c) { DpTrc(c.row, u"x\n"); };
    auto error = [](ComponentRow& c) { DpTrcErr(c.row, u"e\n"); };
    struct Case
    {
        QOR_UC tag;
        int level, indent, mode, trace_level, entry_level;
        Write write;
        std::string expected;
    } cases[] = {
        {u'N', 3, 0, 0, 3, 2, no_time(u"a\n"), "N  @a\n"},
        {u'N', 3, 2, 0, 3, 2, no_time(u"a\n"), "N      @a\n"},
        {u'N', 3, 20, 0, 3, 2, no_time(u"a\n"), "N" + std::string(30, ' ') + "@a\n"},
        {u'N', 3, 1, 0, 3, 2, no_time(u"a\nb\n"), "N    @a\nN    @b\n"},
        {u'Q', 2, 0, 0, 3, 3, no_time(u"entry\n"), ""},
        {u'N', 3, 0, 0, 3, 2,
         [](ComponentRow& c) {
             DpTrcNoThr(c.row, u"a");
             DpTrcNoThr(c.row, u"b");
             c.set(u'M', 3, 0);
             DpTrcNoThr(c.row, u"c\n");
         },
         "N  ab\nM  c\n"},
        {u'N', 3, 1, 1, 3, 2, stamped, "N @Sat Dec  5 15:21:28 2026\nN    @x\n"},
        {u'N', 3, 0, 1, 1, 2, stamped, "N  \nN @Sat Dec  5 15:21:28 2026\nN  @x\n"},
        {u'N', 3, 1, 0, 3, 2, error, "N    @*** ERROR => e [nixx.c       9]\n"},
        {u'S', 0, 0, 0, 3, 2, error, ""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.expected);
        ComponentRow row(c.tag, c.level, c.indent);
        DpTrcTimeMode = c.mode;
        DpTrcIResetStamp();
        DpTrcLevel = c.trace_level;
        DpTrcEntryLevel = c.entry_level;
        c.write(row);
        DpTrcLevel = 3;
        DpTrcEntryLevel = 2;
        EXPECT_EQ(trace.take(), with_tag(c.expected, tag_));
    }
}

// Two threads write through one component handle: each line goes to the
// writing thread's own file, and each thread keeps its own time stamp.
TEST_F(Trace, PerThreadFilesAndStamps)
{
    ComponentRow row(u'C', 3, 0);
    std::string texts[2], tags[2];
    auto writer = [&](int n) {
        FILE* file = tmpfile();
        DpTrcSetThrFile(file);
        for (int i = 0; i < 2; ++i) {
            DpTrcLock();
            DpTrc(row.row, u"thread %d line %d\n", n, i);
            DpTrcUnlock();
        }
        DpTrcSetThrFile(nullptr);
        rewind(file);
        char buf[512];
        texts[n].assign(buf, fread(buf, 1, sizeof buf, file));
        fclose(file);
        tags[n] = "[Thr " + std::to_string(ThrGetCurrentId()) + "] ";
    };
    std::thread first(writer, 0), second(writer, 1);
    first.join();
    second.join();
    for (int n = 0; n < 2; ++n)
        EXPECT_EQ(texts[n],
                  with_tag("C @Sat Dec  5 15:21:28 2026\nC  @thread " + std::to_string(n) +
                               " line 0\nC  @thread " + std::to_string(n) + " line 1\n",
                           tags[n]));
    TraceCapture trace(3);
    DpTrc(DpTrcHdl, u"main\n");
    EXPECT_EQ(trace.take(), tag_ + "Sat Dec  5 15:21:28 2026\n" + tag_ + "main\n")
        << "the plain handle keeps the process's stamp";
}

std::vector<std::u16string> g_matches;

void on_match(const QOR_UC* pattern, const QOR_UC* line)
{
    g_matches.push_back(std::u16string(pattern) + u"|" + line);
    DpTrcLock();
    DpTrcNoTime(DpTrcHdl, u"callback saw conn refused\n"); // matches, but calls nothing
    DpTrcUnlock();
}

TEST_F(Trace, WatchListReportsMatches)
{
    TraceCapture trace(3);
    DpTrcTimeMode = 0;
    DpTrcSetLoc(u"ni.c", 5);
    ASSERT_TRUE(DpTrcWatchPattern(u"conn*refused", on_match));
    ASSERT_TRUE(DpTrcWatchPattern(u"timeout", nullptr));
    EXPECT_FALSE(DpTrcWatchPattern(u"", nullptr));
    const std::string found = "\nDpTrc: found match for pattern >";
    struct Case
    {
        std::function<void()> write;
        std::string line, report;
        size_t callbacks;
    } cases[] = {
        {[] { DpTrcNoTime(DpTrcHdl, u"connect refused\n"); }, "@connect refused\n",
         found + "conn*refused< in output\n@callback saw conn refused\n", 1},
        {[] { DpTrcErr(DpTrcHdl, u"%s", u"timeout"); }, "@*** ERROR => timeout [ni.c         5]\n",
         found + "timeout< in output\n", 0},
        {[] { DpTrcNoTime(DpTrcHdl, u"all well\n"); }, "@all well\n", "", 0},
        {[] {
             DpTrcUnwatchPattern(u"conn*refused");
             DpTrcUnwatchPattern(u"timeout");
             DpTrcNoTime(DpTrcHdl, u"connect refused, timeout\n");
         },
         "@connect refused, timeout\n", "", 0},
    };
    for (const Case& c : cases) {
        g_matches.clear();
        c.write();
        EXPECT_EQ(trace.take(), with_tag(c.line + c.report, tag_));
        ASSERT_EQ(g_matches.size(), c.callbacks);
        for (const std::u16string& m : g_matches)
            EXPECT_EQ(narrow(m), with_tag("conn*refused|" + c.line, tag_));
    }
}

long long g_size_seen = 0;

TEST_F(Trace, FileSizeCheckAtMostEveryTenSeconds)
{
    TraceCapture trace(3);
    DpTrcTimeMode = 0;
    const std::u16string text(120, u's');
    const std::string line = tag_ + narrow(text) + "\n";
    DpTrcSetMaxFileSize(100, [](FILE*, long long size) { g_size_seen = size; });
    struct Case
    {
        int advance;
        bool check_on, dump_first, reported;
    } cases[] = {
        {0, true, false, true}, {0, true, false, false},   {9, true, false, false},
        {1, true, false, true}, {10, false, false, false}, {10, true, true, true},
    };
    for (const Case& c : cases) {
        g_sec += c.advance;
        DpSetSizeCheck(c.check_on);
        if (c.dump_first) {
            DpTrcHexDump(DpTrcHdl, u"big", text.data(), 2 * text.size(), 0);
            EXPECT_EQ(trace.take().find("maximum"), std::string::npos) << "not during a dump";
        }
        g_size_seen = 0;
        DpTrcNoTime(DpTrcHdl, u"%s\n", text.c_str());
        EXPECT_EQ(trace.take(), c.reported ? line + "\nDpTrc: maximum file size reached: " +
                                                 std::to_string(line.size()) + "\n"
                                           : line);
        EXPECT_EQ(g_size_seen, c.reported ? static_cast<long long>(line.size()) : 0);
    }
}

TEST_F(Trace, OutputHookReceivesEveryText)
{
    TraceCapture trace(3);
    std::u16string hooked;
    auto collect = [](void* arg, const QOR_UC* t, size_t n) {
        static_cast<std::u16string*>(arg)->append(t, n);
    };
    fputs("earlier\n", trace.file()); // a file beyond the maximum, but not written to
    fflush(trace.file());
    DpTrcSetMaxFileSize(1, nullptr);
    DpTrcSetOutputHook(collect, &hooked);
    DpTrcSetLoc(u"a.c", 1);
    DpTrc(DpTrcHdl, u"one\ntwo\n");
    DpTrcErr(DpTrcHdl, u"three");
    DpTrcNoTime(DpTrcHdl, u"%s", std::u16string(9000, u'm').c_str());
    DpTrcSetOutputHook(nullptr, nullptr);
    EXPECT_EQ(trace.take(), "earlier\n") << "nothing reaches the file";
    const std::string text = narrow(hooked);
    EXPECT_EQ(text.substr(0, 100), with_tag("@Sat Dec  5 15:21:28 2026\n@one\n@two\n@*** ERROR => "
                                            "three [a.c          1]\n@mmmm",
                                            tag_)
                                       .substr(0, 100));
    EXPECT_EQ(text.substr(text.size() - 36), "m\n*** WARNING => data was truncated\n");
}

int g_context_calls = 0;
int g_context_rc = 0;
bool g_context_traces = false;

int context_hook(QOR_UC* buf, size_t size)
{
    ++g_context_calls;
    snprintfCutU16(buf, size, u"ctx: connection %d", 7);
    if (g_context_traces) {
        DpTrcLock();
        DpTrcErr(DpTrcHdl, u"inside the hook");
        DpTrcUnlock();
    }
    return g_context_rc;
}

TEST_F(Trace, ContextHookOnErrorLines)
{
    TraceCapture trace(3);
    DpTrcTimeMode = 0;
    DpTrcSetLoc(u"a.c", 1);
    DpTrcSetContextHook(context_hook);
    const std::string error = "@*** ERROR => failed [a.c          1]\n";
    const std::string context = "@ctx: connection 7\n";
    struct Case
    {
        int rc;
        int locks; // trace locks the caller holds
        bool traces;
        std::string expected;
        int calls;
    } cases[] = {
        {0, 1, false, error + context, 1},
        {0, 0, false, error + context, 1},
        {5, 1, false, "\n*** WARNING =>  contextinfo_hook_func failed 5\n" + error, 1},
        {0, 2, false, error, 0},
        {0, 1, true, "@*** ERROR => inside the hook [a.c          1]\n" + error + context, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        g_context_calls = 0;
        g_context_rc = c.rc;
        g_context_traces = c.traces;
        for (int i = 0; i < c.locks; ++i)
            DpTrcLock();
        DpTrcErr(DpTrcHdl, u"failed\n");
        DpTrcNoTime(DpTrcHdl, u"ordinary\n");
        for (int i = 0; i < c.locks; ++i)
            DpTrcUnlock();
        EXPECT_EQ(trace.take(), with_tag(c.expected + "@ordinary\n", tag_));
        EXPECT_EQ(g_context_calls, c.calls);
    }
    g_context_calls = 0;
    DpTrcSysErr(DpTrcHdl, u"failed\n");
    EXPECT_EQ(g_context_calls, 0) << "system-error lines carry no context";
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
