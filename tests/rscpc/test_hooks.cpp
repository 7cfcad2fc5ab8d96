#include <sys/resource.h>

#include <cstdlib>
#include <cstring>

#include "converter_fixture.h"
#include "rscpc/errors.h"

#if defined(__SANITIZE_ADDRESS__)
/* A failed allocation returns null here instead of ending the test. */
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}
#endif

namespace {

using Hooks = ConverterTest;

std::string padded(std::string s, size_t n)
{
    s.resize(n, ' ');
    return s;
}

TEST_F(Hooks, SystemLogLines)
{
    const RscpHookTable defaults = rscph_defaults();
    const std::u16string text = u"RSCPCCC    170000" + std::u16string(47, u' ');
    for (const char16_t* quiet : {u"E10", u"CPS", u"CPT", u"E12"}) {
        defaults.rscph_SyslogId(u'i', quiet, text.data());
        EXPECT_TRUE(take_stderr_writer_lines().empty()) << utf8(quiet);
        EXPECT_EQ(take_info_writer_lines().size(), 1u) << utf8(quiet);
    }
    defaults.rscph_SyslogId(u'i', u"E16", text.data());
    EXPECT_EQ(take_stderr_writer_lines(),
              std::vector<std::string>{padded("Syslog: i E16 : RSCPCCC    170000", 80)});

    const std::u16string long_text(300, u'x');
    defaults.rscph_SyslogText(long_text.data(), 300);
    defaults.rscph_SyslogText(u"short", 5);
    EXPECT_EQ(take_stderr_writer_lines(),
              (std::vector<std::string>{"Syslog: " + std::string(192, 'x'), "Syslog: short"}));

    const RscpSyslogParam params[] = {{190, long_text.data()}, {2, u"db"}};
    defaults.rscph_SyslogParams(2, params);
    EXPECT_EQ(take_stderr_writer_lines(),
              (std::vector<std::string>{"Syslog: p1: " + std::string(188, 'x'), "Syslog: p2: db"}));
}

TEST_F(Hooks, TimestampAndWaitBeforeClearing)
{
    const RscpHookTable defaults = rscph_defaults();
    QOR_UC stamp[17] = {0};
    defaults.rscph_Timestamp(stamp);
    const std::string s = utf8(stamp);
    ASSERT_EQ(s.size(), 16u);
    EXPECT_EQ(s.find_first_not_of("0123456789"), std::string::npos) << s;
    EXPECT_EQ(s.substr(0, 2), "20");
    EXPECT_EQ(s.substr(14), "00");
    EXPECT_LE(std::stoi(s.substr(4, 2)), 12);
    EXPECT_EQ(defaults.rscph_WaitBeforeClearing(0), 0);
    const std::string fixed = utf8(kTestStamp);
    EXPECT_EQ(take_stderr_writer_lines(),
              (std::vector<std::string>{fixed + " WaitBeforeClearing...",
                                        fixed + " ...Clearing CCCC now."}));
}

TEST_F(Hooks, MemoryEntriesAndFixedAnswers)
{
    const RscpHookTable defaults = rscph_defaults();
    auto* filled = static_cast<unsigned char*>(defaults.rscph_Malloc(0, 0, 0, 16, 7));
    ASSERT_NE(filled, nullptr);
    EXPECT_EQ(filled[15], 7);
    EXPECT_EQ(defaults.rscph_Free(0, filled, 253, 0), 0xFFFFFFFFu); /* left allocated */
    EXPECT_EQ(defaults.rscph_Free(0, filled, 254, 0), 0u);
    void* unfilled = defaults.rscph_Malloc(0, 0, 0, 16, 222);
    ASSERT_NE(unfilled, nullptr);
    std::free(unfilled);

    EXPECT_EQ(defaults.rscph_GetParameter(u"rsts/ccc/cachesize"), nullptr);
    const QOR_UC* values[3] = {u"a", u"b", u"c"};
    int32_t further[9];
    std::fill(further, further + 9, 5);
    defaults.rscph_QueryParameter(u"x", &values[0], &values[1], &values[2], further);
    EXPECT_EQ(values[0], nullptr);
    EXPECT_EQ(values[2], nullptr);
    EXPECT_EQ(further[8], 0);
    for (auto entry : {defaults.rscph_SemaInitStep1, defaults.rscph_SemaInitStep2,
                       defaults.rscph_GetSema, defaults.rscph_ReleaseSema,
                       defaults.rscph_GetWritePermission, defaults.rscph_ReleaseWritePermission})
        EXPECT_EQ(entry(1, 0), 0u);
    int32_t word = 9;
    EXPECT_EQ(defaults.rscph_SemaDiagnose(u"why", 0, rscp_line_to_writer,
                                          &rscp_writers[RSCP_WRITER_STDERR], 3, &word),
              0u);
    EXPECT_EQ(word, 0);
    defaults.rscph_SemaDiagnose(u"why", 0, rscp_line_to_writer, &rscp_writers[RSCP_WRITER_STDERR],
                                2, nullptr);
    EXPECT_EQ(take_stderr_writer_lines(),
              std::vector<std::string>{"Neither semaphores nor mutexes are used."});
}

/* In a child limited in address space (or under the sanitizer's own limit)
 * the allocation of almost 4 GiB fails. */
bool failed_allocation_is_recorded()
{
#if !defined(__SANITIZE_ADDRESS__)
    const rlimit limit = {1u << 30, 1u << 30};
    setrlimit(RLIMIT_AS, &limit);
#endif
    void* block = &block;
    unsigned char zero = 9;
    unsigned char reused = 9;
    QOR_UC name[13];
    const uint32_t rc =
        rscph_defaults().rscph_AllocateCCCC(&block, &zero, &reused, name, 0xFFFFFFF0u, 64);
    const rscpe_entry& e = rscpe_get_record()->entries[0];
    return rc == RSCPEINTERN && block == nullptr && zero == 0 && reused == 0 && e.location == 64 &&
           e.line == 1122 && std::u16string(e.module, 8) == u"rscphook" &&
           std::u16string(e.syslog_id, 3) == u"F33" && std::u16string(name) == u"malloc";
}

using HooksDeathTest = ConverterTest;

TEST_F(HooksDeathTest, FailedCacheAllocationIsRecordedNotFatal)
{
    EXPECT_EXIT(std::_Exit(failed_allocation_is_recorded() ? 0 : 1), ::testing::ExitedWithCode(0),
                "");
}

} // namespace
