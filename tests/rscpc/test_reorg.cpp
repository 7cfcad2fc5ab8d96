#include <cstring>

#include "converter_fixture.h"
#include "rscpc/options.h"
#include "rscpc/quality.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"

namespace {

using Reorganisation = ConverterTest;

/* The reorganisation behind the database code-page query. */
uint32_t query()
{
    QOR_UC names[4 * 50];
    uint32_t count = 0;
    return rscpGetDBCodePages(names, 50, &count);
}

int32_t quality_findings()
{
    int32_t errors = 0;
    int32_t warnings = 0;
    rscpqc_quality_check(rscp_line_to_writer, &rscp_writers[RSCP_WRITER_STDERR],
                         rscp_line_to_writer, &rscp_writers[RSCP_WRITER_STDERR], 3, &errors,
                         &warnings);
    return errors + warnings;
}

TEST_F(Reorganisation, RebuildsAnInvalidatedCacheWithItsHistory)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    b.set<uint32_t>(ccc::kLookups, 17);
    EXPECT_EQ(query(), 0u); /* the first query looks once */
    EXPECT_EQ(b.u32(ccc::kNoofReorgs), 0u);
    ASSERT_EQ(rscpso_set_option(3, 700000, RSCP_ACCEPT_ALL), 0u);
    const uint32_t version = b.u32(ccc::kReorgVersion);
    take_stderr_writer_lines();
    EXPECT_EQ(query(), 0u);
    EXPECT_EQ(rscp_converter().state, RSCP_INITIALIZED);
    EXPECT_EQ(b.u8(ccc::kReorgDone), 1);
    EXPECT_EQ(b.u32(ccc::kNoofReorgs), 1u);
    EXPECT_EQ(b.u32(ccc::kCache07), 700000u);
    EXPECT_EQ(b.u32(ccc::kEndT2), 5300000u);
    EXPECT_EQ(b.u32(ccc::kReorgVersion), version); /* carried over */
    EXPECT_EQ(b.u32(ccc::kLookups), 17u);
    EXPECT_EQ(b.u16(ccc::kNoofCodePages), 395);
    EXPECT_NE(b.u32(ccc::kReorganisedBy), 0u);
    const std::string stamp = utf8(kTestStamp);
    std::string syslog = "Syslog: i E14 : RSCPCCC   6000000Size 'cache07' changed";
    syslog.resize(80, ' ');
    EXPECT_EQ(take_stderr_writer_lines(),
              (std::vector<std::string>{syslog, stamp + " WaitBeforeClearing...",
                                        stamp + " ...Clearing CCCC now."}));
    EXPECT_EQ(quality_findings(), 0);
    /* Nothing changed since: no second rebuild. */
    EXPECT_EQ(query(), 0u);
    EXPECT_EQ(b.u32(ccc::kNoofReorgs), 1u);
}

TEST_F(Reorganisation, AHalfBuiltHeaderTakesItsSizesFromTheSettings)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    b.set<uint32_t>(ccc::kVersion, ccc::kVersionThreeQuarter);
    b.set<uint8_t>(ccc::kReorgDone, 0);
    b.set<uint32_t>(ccc::kReorgVersion, 7);
    b.set<uint32_t>(ccc::kNoofReorgs, 9);
    rscp_converter().reorg_version = 3;
    set_parameter(u"rsts/ccc/cachesize", u"5000000");
    EXPECT_EQ(query(), 0u);
    EXPECT_EQ(b.u32(ccc::kReorgVersion), 10u);
    EXPECT_EQ(b.u32(ccc::kNoofReorgs), 10u);
    EXPECT_EQ(b.u32(ccc::kLength), 5000000u);
    EXPECT_EQ(b.u32(ccc::kVersion), ccc::kVersionComplete);
    EXPECT_EQ(take_info_writer_lines().back(), "CCC cache with 5000000 bytes reorganized.");
}

TEST_F(Reorganisation, NeverGrowsTheCacheBeyondItsBlock)
{
    use_guarded_block();
    set_parameter(u"rsts/ccc/cachesize", u"400000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const struct
    {
        const char* what;
        uint32_t header_length;
        const char16_t* setting;
        std::vector<std::string> errors;
    } cases[] = {
        /* A damaged header claims more than the block: its size is not
         * trusted, the settings give the size. */
        {"header", 8000000, u"400000", {}},
        /* The settings ask for more than the block: the block's size stays. */
        {"setting", 0, u"800000", {"QORPARAM(rsts/ccc/cachesize) too large"}},
    };
    for (const auto& c : cases) {
        set_parameter(u"rsts/ccc/cachesize", c.setting);
        ASSERT_EQ(rscpso_set_option(3, 40000, RSCP_ACCEPT_ALL), 0u);
        if (c.header_length != 0)
            b.set<uint32_t>(ccc::kLength, c.header_length);
        else
            b.set<uint32_t>(ccc::kVersion, ccc::kVersionThreeQuarter);
        take_recorded_errors();
        EXPECT_EQ(query(), 0u) << c.what;
        EXPECT_EQ(take_recorded_errors(), c.errors) << c.what;
        EXPECT_TRUE(guards_intact()) << c.what;
        EXPECT_EQ(b.u32(ccc::kLength), 400000u) << c.what;
        EXPECT_EQ(quality_findings(), 0) << c.what;
    }
}

TEST_F(Reorganisation, DumpsTheCacheFirstWhenAsked)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ASSERT_EQ(rscpso_set_option(3, 600000, RSCP_ACCEPT_ALL), 0u);
    set_parameter(u"rscp/ccc/dump", u"1");
    testing::internal::CaptureStderr();
    EXPECT_EQ(query(), 0u);
    const std::string dump = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dump.rfind("rscpmc:rscpnr__need_reorg()\n      : Last state before reorganizing:\n"
                         "----------------->>RSCPCCC<< ---\r\n| Char code cache\r\n",
                         0),
              0u);
    EXPECT_NE(dump.find("| reorg_reason    Size 'cache07' changed              \r\n"),
              std::string::npos);
}

TEST_F(Reorganisation, InvalidationByState)
{
    EXPECT_EQ(rscpict3_invalidate_convert_tables(u"TCP00", 0, u"why", 3, RSCP_ACCEPT_ALL), 0u);
    EXPECT_TRUE(take_recorded_errors().empty());
    rscp_converter().state = RSCP_INIT_STARTED;
    EXPECT_EQ(rscpict3_invalidate_convert_tables(u"TCP00", 0, u"why", 3, RSCP_ACCEPT_ALL),
              RSCPEINTERN);
    EXPECT_EQ(take_recorded_errors(), std::vector<std::string>{"CCC in illegal state"});
    rscp_converter_reset();
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    EXPECT_EQ(rscpict3_invalidate_convert_tables(nullptr, 0, nullptr, 0, RSCP_ACCEPT_ALL), 0u);
    QOR_UC reason[36];
    cache().text(ccc::kReorgReason, reason, 36);
    EXPECT_EQ(std::u16string(reason, 36), u"rscpict3_invalidate_convert_tables  ");
}

} // namespace
