#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "u16/u16_diag.h"
#include "u16_test_util.h"

using u16test::DiagCapture;

namespace {

TEST(U16Diagnostics, ReportBlockShape)
{
    DiagCapture diag;
    U16Report("hello", "src/file.cpp", 42, true);
    const std::string& t = diag.text();
    const std::string head =
        "--- Unicode interface [src/file.cpp line 42] pid = " + std::to_string(getpid()) +
        " time = ";
    EXPECT_EQ(t.compare(0, head.size(), head), 0) << t;
    EXPECT_NE(t.find(":\n"), std::string::npos);
    EXPECT_NE(t.find("hello\n--- Unicode interface ------ End of message ------\n"),
              std::string::npos);
    EXPECT_EQ(diag.calls(), 1); // one output call per block
    diag.clear();
    U16Report("no end", "f", 1, false);
    EXPECT_EQ(diag.text().find("End of message"), std::string::npos);
    EXPECT_NE(diag.text().find("no end\n"), std::string::npos);
}

TEST(U16Diagnostics, LongSourcePathIsShortened)
{
    DiagCapture diag;
    const std::string path = std::string(13, 'p') + "/" + std::string(56, 'q'); // 70 characters
    U16Report("m", path.c_str(), 1, true);
    EXPECT_NE(diag.text().find("[..." + path.substr(70 - 57) + " line 1]"), std::string::npos)
        << diag.text();
    diag.clear();
    const std::string sixty(60, 's');
    U16Report("m", sixty.c_str(), 1, true);
    EXPECT_NE(diag.text().find("[" + sixty + " line 1]"), std::string::npos);
}

TEST(U16Diagnostics, LongMessageIsCutToTheBlock)
{
    DiagCapture diag;
    const std::string big(5000, 'm');
    U16Report(big.c_str(), "f", 1, true);
    EXPECT_LE(diag.text().size(), 1024u + 1);
    EXPECT_NE(diag.text().find("End of message"), std::string::npos);
}

TEST(U16Diagnostics, TraceLevelChanges)
{
    struct Case
    {
        int from, to;
        const char* line; // null: nothing written
    } cases[] = {
        {4, 0, nullptr},
        {4, 16, "U16 trace level set to high"},
        {16, 0, "U16 trace level set to none"},
        {0, 1, "U16 trace level set to low"},
        {1, 4, "U16 trace level set to medium"},
        {4, 7, "U16 trace level set to \n"},
    };
    for (const Case& c : cases) {
        DiagCapture diag(c.from);
        U16SetTraceLevel(nullptr, c.to);
        if (c.line == nullptr) {
            EXPECT_EQ(diag.calls(), 0);
        } else {
            EXPECT_NE(diag.text().find(c.line), std::string::npos) << diag.text();
            EXPECT_EQ(diag.text().rfind("--- Unicode interface [i18n/qoru16/u16_aux line ", 0), 0u)
                << diag.text();
        }
        EXPECT_EQ(U16GetTraceLevel(), c.to);
    }
}

TEST(U16Diagnostics, ByteAndUnitDumps)
{
    DiagCapture diag;
    const unsigned char bytes[17] = {'A', 'b', ' ', 0x7E, 0x7F, 0x00, 0xFF, '0', '1',
                                     '2', '3', '4', '5',  '6',  '7',  '8',  'Z'};
    U16DumpBytes(bytes, 17);
    EXPECT_EQ(diag.calls(), 2);
    EXPECT_EQ(diag.text(), " 41 62 20 7e 7f 00 ff 30 31 32 33 34 35 36 37 38|Ab.~...012345678|\n"
                           " 5a                                             |Z               |\n");
    diag.clear();
    U16DumpBytes(bytes, 0);
    EXPECT_EQ(diag.calls(), 0);
    const QOR_UC units[9] = {u'a', 0x20, 0x7F, 0x80, 0x263A, u'b', u'c', u'd', u'e'};
    U16DumpUnits(units, 9);
    EXPECT_EQ(diag.text(), " 0061 0020 007f 0080 263a 0062 0063 0064 |a \x7f..bcd|\n"
                           " 0065                                    |e       |\n");
}

std::string g_child_text;
void child_sink(const char* t, size_t n)
{
    g_child_text.append(t, n).append("\n");
}

TEST(U16Diagnostics, FirstReportShowsTheCommandLineOnce)
{
    /* This process made reports before; the rule is checked in a freshly
     * started copy of the test program. Switching the output at level 0 makes
     * no report of its own. */
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            U16SetTraceLevel(child_sink, U16_TRACE_NONE);
            U16KeepCmdline("prog -x \xE9");
            U16Report("one", "f", 1, true);
            U16Report("two", "f", 2, true);
            const size_t first = g_child_text.find(":\nCmdline : prog -x \xE9\n\none\n");
            const bool once = g_child_text.find("Cmdline", first + 3) == std::string::npos;
            if (first == std::string::npos || !once)
                std::fputs(g_child_text.c_str(), stderr);
            std::_Exit(first != std::string::npos && once ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(U16Diagnostics, ReportsByKind)
{
    {
        DiagCapture diag(U16_TRACE_LOW);
        U16ReportTooSmall("MAXLEN", "myFunction", "buffer", "f.c", 3);
        EXPECT_NE(
            diag.text().find("Function myFunction :\nArray buffer length MAXLEN is too small."),
            std::string::npos);
        diag.clear();
        U16ReportInternalError("f.c", 9);
        EXPECT_NE(diag.text().find("Internal error\n--- Unicode interface ------ End"),
                  std::string::npos);
        diag.clear();
        const std::string name = std::string(20, 'a') + std::string(80, 'b');
        U16TraceFileOp(name.c_str(), 0x1f, "fopenU16_long_name", "f.c", 1);
        EXPECT_NE(diag.text().find("fopenU16_l \"..." + std::string(80, 'b') + "\" (fileno 0x1f)"),
                  std::string::npos)
            << diag.text();
    }
    {
        DiagCapture diag(U16_TRACE_NONE);
        U16ReportTooSmall("L", "F", "A", "f.c", 3);
        U16ReportInternalError("f.c", 9);
        errno = 0;
        U16ReportNoMemory("someFunction", "f.c", 5);
        EXPECT_EQ(errno, ENOMEM);
        EXPECT_EQ(diag.calls(), 0);
    }
    {
        DiagCapture diag(U16_TRACE_LOW);
        errno = 0;
        testing::internal::CaptureStderr();
        U16ReportNoMemory("someFunction", "f.c", 5);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errno, ENOMEM);
        EXPECT_EQ(err, "someFunction : malloc : Out of memory.\n");
        EXPECT_NE(diag.text().find("someFunction : malloc : Out of memory."), std::string::npos);
    }
}

TEST(U16Diagnostics, InvalidUtf8Report)
{
    DiagCapture diag(U16_TRACE_LOW);
    QOR_UC target[8];
    U16ReportBadUtf8(target, "ab\xC3(z", 8, "f.c", 7, "myConverter");
    const std::string& t = diag.text();
    EXPECT_NE(t.find("myConverter encountered invalid UTF-8\n"), std::string::npos) << t;
    EXPECT_NE(t.find(" c3 28 "), std::string::npos) << t; // the two offending bytes
    EXPECT_NE(t.find("Characters previously read:\n 0061 0062"), std::string::npos) << t;
    EXPECT_NE(t.find("All bytes to process\n 61 62 c3 28 7a"), std::string::npos) << t;
    EXPECT_EQ(target[0], u'a');
    EXPECT_EQ(target[1], u'b');
    diag.clear();
    U16ReportBadUtf8(target, "abcdef", 3, "f.c", 7, "fn");
    EXPECT_NE(diag.text().find("fn encountered invalid UTF-8 (but where?)"), std::string::npos);
}

} // namespace
