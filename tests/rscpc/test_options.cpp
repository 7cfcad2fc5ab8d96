#include "converter_fixture.h"
#include "rscpc/options.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"

namespace {

struct OptionCase
{
    int32_t option;
    int32_t value;
    uint32_t rc;
    std::vector<std::string> errors; /* recorded, in order */
    int32_t read_option;             /* read back afterwards (0: none) */
    uint32_t read_rc;
    int32_t read_value;
};

void run_cases(ConverterTest& t, const std::vector<OptionCase>& cases)
{
    for (const OptionCase& c : cases) {
        t.take_recorded_errors();
        EXPECT_EQ(rscpso_set_option(c.option, c.value, RSCP_ACCEPT_ALL), c.rc)
            << "option " << c.option << " = " << c.value;
        EXPECT_EQ(t.take_recorded_errors(), c.errors) << "option " << c.option;
        if (c.read_option == 0)
            continue;
        int32_t value = -99;
        EXPECT_EQ(rscpgo_get_option(c.read_option, &value), c.read_rc)
            << "reading " << c.read_option;
        EXPECT_EQ(value, c.read_value) << "reading " << c.read_option;
    }
}

using Options = ConverterTest;

TEST_F(Options, BeforeStartUp)
{
    run_cases(*this, {
                         {10, 1, 0, {"(Warning) this release never reads TCP02/03/07"}, 10, 0, 0},
                         {25, 0, 0, {}, 25, 0, 0},
                         {15, 1, 0, {}, 15, 0, -99},
                         {5, 2, 0, {}, 5, 0, -99},
                         {16, 4, 0, {}, 16, 0, 0},
                         {7, 0, 0, {}, 14, 0, 0},
                         {9, 1, 0, {}, 9, 0, 1},
                         {7, 1, 0, {}, 10, 0, 0},
                         {20, 0, 0, {}, 20, 0, 0},
                         {19, 1, 0, {}, 18, 0, 1},
                         {18, 5, 0, {}, 19, 0, 1},
                         {18, 0, 0, {}, 19, 0, 0},
                         {21, 2, 0, {}, 21, 0, 2},
                         {22, 3, 0, {}, 22, 0, 0},
                     });
}

TEST_F(Options, AfterStartUp)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const uint32_t version = b.u32(ccc::kReorgVersion);
    testing::internal::CaptureStderr();
    run_cases(*this, {
                         {24, 7, 0, {}, 0, 0, 0},
                         {15, 1, RSCPEINTERN, {"rscpso: illegal option"}, 0, 0, 0},
                         {25,
                          0,
                          RSCPECALL,
                          {"rscpso: set option ignored after startup, CCC: initialized"},
                          25,
                          0,
                          1},
                         {4, 3, RSCPEINTERN, {"Only intu == 2 compiled into converter"}, 4, 0, 2},
                         {8, 0, 0, {"(Warning) disconnecting TCP00,.. from database"}, 8, 0, 0},
                         {8, 0, 0, {}, 7, 0, 0},
                         {10, 1, 0, {"(Warning) this release never reads TCP02/03/07"}, 10, 0, 0},
                         {1, 0x101, 0, {}, 1, 0, 1},
                         {2, 3, 0, {}, 2, 0, 3},
                         {5, 1, 0, {}, 5, 0, 1},
                         {17, 6, 0, {}, 17, 0, 6},
                         {6, 0, 0, {}, 99, 1, -99},
                         {3, 700000, 0, {}, 3, 0, 700000},
                     });
    /* With the trace switched on (option 5) every table is flushed with a note. */
    const std::string notes = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(notes.begin(), notes.end(), '\n'), 14);
    const std::string last = "rscpf1t__flush_one_table: I guess db_ntab would have answered "
                             "\"unbuffered\" for table TCPSRULE\n";
    ASSERT_GE(notes.size(), last.size());
    EXPECT_EQ(notes.substr(notes.size() - last.size()), last);
    QOR_UC text[36];
    b.text(ccc::kLegacyCodePage, text, 4);
    EXPECT_EQ(std::u16string(text, 4), u"0007");
    EXPECT_EQ(b.u32(ccc::kReorgVersion), version + 1);
    EXPECT_EQ(rscp_converter().reorg_version, version + 1);
    EXPECT_EQ(b.u8(ccc::kReorgDone), 0);
    b.text(ccc::kReorgReason, text, 36);
    EXPECT_EQ(std::u16string(text, 36), u"Size 'cache07' changed              ");
    EXPECT_NE(b.u32(ccc::kInvalidatedBy), 0u);
}

TEST_F(Options, WhileTheStartUpHasNotEndedWell)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    rscp_converter().state = RSCP_WRONG_VERSION;
    run_cases(*this, {
                         {10, 1, 0, {}, 10, 0, 1},
                         {10, 0, 0, {"Trying again without TCP02,.. from database"}, 1, 1, -99},
                         {25,
                          1,
                          RSCPECALL,
                          {"rscpso: set option ignored after startup, CCC: wrong version"},
                          0,
                          0,
                          0},
                         {30, 1, RSCPEINTERN, {"rscpso: illegal option"}, 0, 0, 0},
                     });
    EXPECT_EQ(cache().u8(ccc::kReorgDone), 0); /* the retry invalidated the tables */
    rscp_converter().state = RSCP_DAMAGED;
    run_cases(
        *this,
        {
            {7, 0, RSCPEINTERN, {"Trying again without database", "CCC in illegal state"}, 7, 0, 0},
        });
    rscp_converter().state = RSCP_REINITIALIZE;
    EXPECT_EQ(rscpso_set_option(2, 3, RSCP_ACCEPT_ALL), 0u);
    EXPECT_EQ(take_info_writer_lines().back(),
              "rscpso_set_option(2,3,.) while I am in reinitialize state. CCC.reorg_done=F.");
}

TEST_F(Options, ValidSizes)
{
    const struct
    {
        uint32_t size;
        uint32_t cache07;
        bool valid;
    } cases[] = {{170000, 85000, true},  {170000, 85001, false}, {16776193, 200, false},
                 {16776192, 199, false}, {169999, 200, false},   {16776192, 200, true}};
    for (const auto& c : cases)
        EXPECT_EQ(rscpValidCacheSizes(c.size, c.cache07), c.valid) << c.size << " " << c.cache07;
    EXPECT_FALSE(rscpValidQorcodeMax(2441));
    EXPECT_TRUE(rscpValidQorcodeMax(2442));
    EXPECT_FALSE(rscpValidUcharMax(1199999));
    EXPECT_TRUE(rscpValidUcharMax(1200000));
}

} // namespace
