#include <cerrno>
#include <csignal>

#include "converter_fixture.h"
#include "rscpc/errors.h"
#include "rscpc/state.h"

namespace {

const QOR_UC kSizes[] = u"@(#) $Id: //krn/rscp/rscpmc#1 $";

std::vector<std::string> g_lines;

void keep_line(const QOR_UC* text, int32_t length)
{
    g_lines.push_back(utf8(std::u16string(text, length)));
}

std::vector<std::string> printed_report()
{
    g_lines.clear();
    rscpe_print_report(rscpe_get_record(), keep_line);
    return g_lines;
}

uint32_t record(uint32_t code, QOR_UC letter, const std::u16string& arg1,
                const std::u16string& arg2 = u"", int location = 11)
{
    return rscpe__error(code, letter, RSCP_ACCEPT_ALL, kSizes, location, 321,
                        u"QORPARAM(rsts/ccc/cachesize) too small", u"F24", arg1.c_str(),
                        arg1.empty() ? 0 : -1, arg2.c_str(), arg2.empty() ? 0 : -1);
}

const std::string kTop = ".------------------------------============----------------------------.";
const std::string kTitle =
    "|                              RSCP - Error                            |";
const std::string kBottom =
    "`----------------------------------------------------------------------'";
const std::string kSeparator =
    "|----------------------------------------------------------------------|";

using ErrorRecorder = ConverterTest;

TEST_F(ErrorRecorder, BoxOfOneConverterErrorIsExact)
{
    EXPECT_EQ(record(RSCPEINTERN, u'C', u"cachesize&169999&170000&"), RSCPEINTERN);
    const std::vector<std::string> want = {
        kTop,
        kTitle,
        "| Error from:             Codepage handling (RSCP)                     |",
        "| code:    1  RSCPEINTERN  Some other internal error                   |",
        "| QORPARAM(rsts/ccc/cachesize) too small                               |",
        "| module: rscpmc   no:   11 line:   321                    T100: TS001 |",
        "| TSL01: F24  p3: cachesize&169999&170000&                             |",
        kSeparator,
        "| Impromptu CCC initialization by compile_time                         |",
        kBottom,
    };
    EXPECT_EQ(printed_report(), want);
    /* Code 1 goes to the system log: letter k, the id, the arguments in 53
     * characters, the module name and the location. */
    const std::vector<std::string> syslog = {
        "Syslog: k F24 : cachesize&169999&170000&                             rscpmc   11"};
    EXPECT_EQ(take_stderr_writer_lines(), syslog);
}

TEST_F(ErrorRecorder, SystemLogLinesInTheBoxByArgumentLength)
{
    struct Case
    {
        std::u16string arg1;
        std::u16string arg2;
        std::vector<std::string> lines;
    } cases[] = {
        {std::u16string(30, u'a'),
         std::u16string(16, u'b'),
         {"| TSL01: F24  p3: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa  p4: bbbbbbbbbbbbbbbb |"}},
        {std::u16string(30, u'a'),
         std::u16string(20, u'b'),
         {"| TSL01: F24  p3: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa                       |",
          "|             p4: bbbbbbbbbbbbbbbbbbbb                                 |"}},
        {std::u16string(60, u'x'),
         u"",
         {"| TSL01: F24  p3: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx|",
          "|                                                                      |"}},
        {u"", u"", {"| TSL01: F24                                                           |"}},
    };
    for (const Case& c : cases) {
        record(RSCPETOOLONG, u'C', c.arg1, c.arg2);
        const std::vector<std::string> lines = printed_report();
        ASSERT_GE(lines.size(), 6 + c.lines.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.begin() + 6 + c.lines.size()),
                  c.lines)
            << utf8(c.arg1);
        for (const std::string& line : lines)
            EXPECT_EQ(line.size(), 72u) << line;
    }
}

TEST_F(ErrorRecorder, StackKeepsFiveEntriesAndTheNewestOnTop)
{
    for (int i = 1; i <= 6; ++i) {
        rscpe_continue_stack();
        record(RSCPETOOLONG, u'C', u"", u"", i);
    }
    const rscpe_record* r = rscpe_get_record();
    EXPECT_EQ(r->count, 6);
    EXPECT_EQ(r->entries[3].location, 4);
    EXPECT_EQ(r->entries[4].location, 6); /* the sixth replaced the fifth */
    const std::vector<std::string> lines = printed_report();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), kSeparator), 4 + 1); /* and the label */
    EXPECT_EQ(lines[5], "| module: rscpmc   no:    6 line:   321                    T100: TS006 |");
    /* Without the continue flag the stack starts again. */
    record(RSCPETOOLONG, u'C', u"");
    EXPECT_EQ(r->count, 1);
}

TEST_F(ErrorRecorder, PushedModulesKeepTheStackGoing)
{
    const rscpe_record* r = rscpe_get_record();
    record(RSCPETOOLONG, u'C', u"", u"", 1);
    /* With the flag set a push goes on top and leaves the flag set, so
     * further pushes and the next error go above it. */
    rscpe_continue_stack();
    rscpe_push_module(u'E');
    rscpe_push_module(u'P');
    record(RSCPETOOLONG, u'C', u"", u"", 2);
    ASSERT_EQ(r->count, 4);
    EXPECT_EQ(std::u16string({r->entries[0].letter, r->entries[1].letter, r->entries[2].letter,
                              r->entries[3].letter}),
              u"CEPC");
    EXPECT_EQ(r->entries[3].location, 2);
    /* Without it a push starts the stack again, and the error that follows
     * still goes above it. */
    rscpe_push_module(u'I');
    EXPECT_EQ(r->count, 1);
    record(RSCPETOOLONG, u'C', u"", u"", 3);
    ASSERT_EQ(r->count, 2);
    EXPECT_EQ(r->entries[0].letter, u'I');
    EXPECT_EQ(r->entries[1].location, 3);
}

TEST_F(ErrorRecorder, FileErrorBelowTheConverterError)
{
    rscpe_file_error(2, u"TCPDB.DAT", 0);
    record(RSCPEIO, u'C', u"");
    const std::vector<std::string> lines = printed_report();
    const std::vector<std::string> want = {
        kTop,
        kTitle,
        "| Error from:             Codepage handling (RSCP)                     |",
        "| code:    8  RSCPEIO      Some I/O error.                             |",
        "| QORPARAM(rsts/ccc/cachesize) too small                               |",
        "| module: rscpmc   no:   11 line:   321                    T100: TS004 |",
        "| TSL01: F24                                                           |",
        kSeparator,
        "| Error propagation from: Filesystem (FS or NFS) usage                 |",
        "| TCPDB.DAT                                                            |",
        "| errno     2  No such file or directory                               |",
        kSeparator,
        "| Impromptu CCC initialization by compile_time                         |",
        kBottom,
    };
    EXPECT_EQ(lines, want);
    /* Code 8 writes the stack to the system log: the file's text plainly. */
    const std::vector<std::string> syslog = take_stderr_writer_lines();
    ASSERT_EQ(syslog.size(), 2u);
    EXPECT_EQ(syslog[0], "Syslog: TCPDB.DAT");
}

TEST_F(ErrorRecorder, ReportsOfAnEmptyRecordAndInCompactStyle)
{
    rscpe_reset();
    EXPECT_EQ(printed_report(), (std::vector<std::string>{kTop, kTitle, kBottom}));
    rscpe_set_report_style(2);
    EXPECT_EQ(printed_report(),
              std::vector<std::string>{"---------------------------------------."});
    rscp_converter().through_rscpi_init = 1;
    errno = 0;
    rscpe_set_sequence_numbers(1);
    record(RSCPEINTERN, u'C', u"cachesize&1&", u"x");
    const std::vector<std::string> want = {
        "--------------------------------------1-",
        "from: Codepage handling (RSCP)           ",
        "code:    1  RSCPEINTERN  ",
        "QORPARAM(rsts/ccc/cachesize) too small                              ",
        "module: rscpmc   location:   11 line:   321",
        "TSL01: F24  p3: cachesize&1&  p4: x",
        "---------------------------------------.",
    };
    EXPECT_EQ(printed_report(), want);
}

TEST_F(ErrorRecorder, SequenceNumbersAndOwnHeading)
{
    rscp_converter().through_rscpi_init = 1;
    errno = 0;
    rscpe_set_sequence_numbers(1);
    record(RSCPETOOLONG, u'O', u"");
    EXPECT_EQ(printed_report()[2],
              "| Error from:             low level libraries (PORT)                 1 |");
    EXPECT_EQ(printed_report()[3],
              "| code:   32                                                           |");
    rscpe_set_own_module_heading(0);
    record(RSCPETOOLONG, u'C', u"");
    EXPECT_EQ(printed_report()[2],
              "|                                                                    2 |");
}

TEST_F(ErrorRecorder, ModuleNames)
{
    const struct
    {
        const char16_t* ident;
        const char* name;
    } cases[] = {
        {u"@(#) $Id: //krn/rscp/rscphook#1 $ not thread safe", "rscphook"},
        {u" $Id: //krn/rscp/rscpu86r#1 $", "rscpu86r"},
        {u"@(#) $Id: //krn/rscp/rscpmi#2 $", "rscpmi  "},
        {u"@(#) $Id: //a/b/rscpquality.c#4 $", "rscpqual"},
        {u"@(#) $Id: plain.cpp#1 $", "plain   "},
        {u"@(#) $Id: /x/name#7 y/z $", "name    "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf8(std::u16string(rscpe_module_name(c.ident), 8)), c.name) << utf8(c.ident);
    rscpe__error(RSCPETOOLONG, u'Z', RSCP_ACCEPT_ALL, nullptr, 1, 2, nullptr, u"ABC", nullptr, 0,
                 nullptr, 0);
    const rscpe_entry& e = rscpe_get_record()->entries[0];
    EXPECT_EQ(utf8(std::u16string(e.module, 8)), "?modul? ");
    EXPECT_EQ(utf8(std::u16string(e.text, 8)), "?text?  ");
    EXPECT_EQ(utf8(rscpe_module_description(u'Z')), "stranger                           ");
}

TEST_F(ErrorRecorder, OnErrorSwitchReportsEveryError)
{
    record(RSCPETOOLONG, u'C', u"");
    EXPECT_TRUE(take_stderr_writer_lines().empty()); /* no system log, no report */
    EXPECT_EQ(rscpe_set_on_error(1), 0);
    record(RSCPETOOLONG, u'C', u"");
    const std::vector<std::string> lines = take_stderr_writer_lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), kTop);
    EXPECT_EQ(rscpe_set_on_error(0), 1);
}

using ErrorRecorderDeathTest = ConverterTest;

TEST_F(ErrorRecorderDeathTest, AnErrorOutsideTheAcceptedMaskAbortsAfterTheReport)
{
    const struct
    {
        uint32_t code;
        uint32_t accepted;
        bool dies;
    } cases[] = {
        {RSCPEIO, RSCPEIO | RSCPETOOLONG, false},
        {RSCPEBUSY, RSCP_ACCEPT_ALL, false},
        {RSCPEINTERN, 0, true},
        {RSCPEINTERN, RSCPEIO | RSCPETOOLONG, true},
    };
    for (const auto& c : cases) {
        auto call = [&c] {
            return rscpe__error(c.code, u'C', c.accepted, kSizes, 11, 321, u"too small", u"F24",
                                u"cachesize&1&", -1, nullptr, 0);
        };
        if (!c.dies) {
            EXPECT_EQ(call(), c.code);
            continue;
        }
        /* The system log first (code 1 asks for it), then the box. */
        rscp_writers[RSCP_WRITER_STDERR] = rscp_write_stderr;
        EXPECT_DEATH(call(), "Syslog: k F24 : cachesize&1&  *rscpmc   11\n \n\\.---.*\n"
                             "\\|  *RSCP - Error  *\\|\n\\| Error from: .*\n"
                             "\\| code:    1  RSCPEINTERN .*\n\\| too small .*(.*\n)*`---.*'\n");
    }
}

} // namespace
