#include <cstring>
#include <functional>

#include "converter_fixture.h"
#include "rscpc/errors.h"
#include "rscpc/quality.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"

namespace {

struct Findings
{
    std::vector<std::string> lines; /* "E ..." errors, "W ..." warnings */
    std::vector<std::string> notices;
};

void error_out(const QOR_UC* text, int32_t length, void* context)
{
    static_cast<Findings*>(context)->lines.push_back("E " + utf8(std::u16string(text, length)));
}

void warning_out(const QOR_UC* text, int32_t length, void* context)
{
    const std::string line = utf8(std::u16string(text, length));
    auto* findings = static_cast<Findings*>(context);
    if (findings->lines.size() == 1 && findings->lines[0] == "notices")
        findings->notices.push_back(line);
    else
        findings->lines.push_back("W " + line);
}

struct Outcome
{
    Findings findings;
    int32_t errors = -1;
    int32_t warnings = -1;
    uint32_t result = 9;
};

Outcome check()
{
    Outcome o;
    Findings notices;
    notices.lines.push_back("notices");
    o.result = rscpqc_quality_check(error_out, &o.findings, warning_out, &notices, 3, &o.errors,
                                    &o.warnings);
    o.findings.notices = notices.notices;
    return o;
}

void stamp(ccc::Block& b, uint32_t offset, const std::u16string& text)
{
    b.set_text(offset, text.data(), 16);
}

using QualityCheck = ConverterTest;

TEST_F(QualityCheck, EachFindingOfADamagedCache)
{
    set_parameter(u"rsts/ccc/cachesize", u"400000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const std::vector<unsigned char> clean(b.base(), b.base() + b.size());
    {
        const Outcome o = check();
        EXPECT_EQ(o.result, 0u);
        EXPECT_EQ(o.errors + o.warnings, 0);
        EXPECT_TRUE(o.findings.lines.empty());
    }
    using Set = std::function<void(ccc::Block&)>;
    auto u32 = [](uint32_t offset, uint32_t value) -> Set {
        return [=](ccc::Block& c) { c.set<uint32_t>(offset, value); };
    };
    auto u16 = [](uint32_t offset, uint16_t value) -> Set {
        return [=](ccc::Block& c) { c.set<uint16_t>(offset, value); };
    };
    const struct
    {
        int check;
        Set damage;
        std::vector<std::string> lines;
        std::vector<std::string> notices;
    } rows[] = {
        {1, u32(ccc::kVersion, 11311162), {"W CCC version is in half cooked state: 11311162"}, {}},
        {2,
         u32(ccc::kVersion, 21311162),
         {"W CCC version is in three-quarter cooked state: 21311162"},
         {}},
        {3, u32(ccc::kVersion, 26), {"E CCC version is bad: 26 = 0x1A"}, {}},
        {4,
         [](ccc::Block& c) { stamp(c, ccc::kCreateDate, u"3000010100000000"); },
         {"E CCC createdate damaged: 3000010100000000"},
         {}},
        {5,
         [](ccc::Block& c) { stamp(c, ccc::kLastReorgDate, u"2000010100000001"); },
         {"E CCC lastreorgdate damaged: 2000010100000001"},
         {}},
        {6, u32(ccc::kReorgVersion, 0), {"W CCC reorg_version too small: 0"}, {}},
        {7,
         [](ccc::Block& c) { c.set<uint8_t>(ccc::kReorgDone, 0); },
         {},
         {"CCC reorg_done: FALSE: Still waiting for re-org."}},
        {8,
         [](ccc::Block& c) { c.set_text(ccc::kReorgReason, u"\tAB", 3); },
         {"E CCC reorg_reason damaged: \"\tAB                                 \" "
          "(0x09004100...)"},
         {}},
        {9,
         [](ccc::Block& c) { c.set_padded(ccc::kReorgReason, u"", 36); },
         {"W CCC reorg_reason empty? \"                                    \""},
         {}},
        {10, u32(ccc::kOverflow, 1), {}, {"CCC overflow not 'no': Still waiting for re-org."}},
        {11,
         [](ccc::Block& c) {
             for (uint32_t f :
                  {ccc::kLength, ccc::kFirstT2, ccc::kEndT2, ccc::kFirstT7, ccc::kEndT7})
                 c.set<uint32_t>(f, 150000);
             c.set<uint32_t>(ccc::kCache07, 0);
         },
         {"E CCC length too small: 150000", "W CCC length small: 150000"},
         {}},
        {12,
         u32(ccc::kLength, 399999),
         {"W CCC length small: 399999", "E CCC: first_t7 > length:    400000 (0x61A80)",
          "E CCC: end_t7 > length:    400000 (0x61A80)"},
         {}},
        {13, u32(ccc::kLength, 16777217), {"E CCC length too large: 16777217"}, {}},
        {14, u32(ccc::kCache07, 200001), {"W CCC cache07 too large: 200001"}, {}},
        {15,
         u32(ccc::kFirstT1, 401448),
         {"E CCC: first_t1 > length:    401448 (0x62028)",
          "E CCC: first_t1 > end_t1:    401448 (0x62028) <=!     95976 (0x176E8)"},
         {}},
        {16,
         u32(ccc::kFirstT1, 1000),
         {"E CCC: first_t1 not alligned for T1:      1000 (0x3E8)"},
         {}},
        {17,
         u32(ccc::kFirstT1, 99072),
         {"E CCC: first_t1 > end_t1:     99072 (0x18300) <=!     95976 (0x176E8)"},
         {}},
        {18, u32(ccc::kEndT1, 401448), {"E CCC: end_t1 > length:    401448 (0x62028)"}, {}},
        {19,
         u32(ccc::kEndT1, 96000),
         {"E CCC: end_t1 not alligned for T1:     96000 (0x17700)"},
         {}},
        {20,
         u32(ccc::kFirstT2, 400001),
         {"E CCC: first_t2 > length:    400001 (0x61A81)",
          "E CCC: first_t2 > end_t2:    400001 (0x61A81) <=!    360000 (0x57E40)"},
         {}},
        {21,
         u32(ccc::kFirstT2, 370000),
         {"E CCC: first_t2 > end_t2:    370000 (0x5A550) <=!    360000 (0x57E40)"},
         {}},
        {22,
         u32(ccc::kEndT2, 400001),
         {"E CCC: end_t2 > length:    400001 (0x61A81)",
          "E CCC: end_t2 > first_t7:    400001 (0x61A81) <=!    400000 (0x61A80)"},
         {}},
        {23,
         u32(ccc::kFirstT7, 400001),
         {"E CCC: first_t7 > length:    400001 (0x61A81)",
          "E CCC: first_t7 > end_t7:    400001 (0x61A81) <=!    400000 (0x61A80)"},
         {}},
        {24,
         u32(ccc::kFirstT7, 350000),
         {"E CCC: end_t2 > first_t7:    360000 (0x57E40) <=!    350000 (0x55730)"},
         {}},
        {25,
         u32(ccc::kEndT7, 390000),
         {"E CCC: first_t7 > end_t7:    400000 (0x61A80) <=!    390000 (0x5F370)"},
         {}},
        {26, u32(ccc::kEndT7, 400016), {"E CCC: end_t7 > length:    400016 (0x61A90)"}, {}},
        {27,
         u32(ccc::kFragT3, 4),
         {"W CCC: frag_t3 not in T1 area:       186 <=!         4 <=!       185"},
         {}},
        {28,
         u32(ccc::kFreeT3, 500),
         {"W CCC: free_t3 not in T1 area:       186 <=!       500 <=!       185"},
         {}},
        {29, u16(ccc::kNoofT1, 388), {"E CCC: noof_t1 too large: 388"}, {}},
        {30, u16(ccc::kNoofT2, 391), {"E CCC: noof_t2 too large: 391"}, {}},
        {31, u16(ccc::kNoofT3, 776), {"E CCC: noof_t3 too large: 776"}, {}},
        {32,
         [](ccc::Block& c) { c.set<uint8_t>(200000, 1); },
         {"E CCC: free area 1 only 264023 nulls in 264024 bytes"},
         {}},
        {33,
         [](ccc::Block& c) { c.set<uint8_t>(399999, 1); },
         {"E CCC: free area 2 only 39999 nulls in 40000 bytes"},
         {}},
        {34, u32(ccc::kMbcCopy, 4), {"W CCC: mbc_copy strange value:         4 (0x4)"}, {}},
        {35, u32(ccc::kVerbose, 3), {"W CCC: verbose strange value:         3 (0x3)"}, {}},
        {36, u32(ccc::kErrTrace, 3), {"W CCC: err_trace strange value:         3 (0x3)"}, {}},
        {37, u16(ccc::kTcpdbCount, 31), {"W CCC: TCPDB_count strange value:        31 (0x1F)"}, {}},
        {38, u16(ccc::kDbCpCount, 31), {"W CCC: db_cp_count strange value:        31 (0x1F)"}, {}},
        {39, u16(ccc::kMbCpCount, 31), {"W CCC: mb_cp_count strange value:        31 (0x1F)"}, {}},
        {40,
         u32(ccc::kLoadedF1Count, 71),
         {"W CCC: loaded_f1_count strange value:        71 (0x47)"},
         {}},
        /* The area ends lie beyond the block the process holds: the free
         * area is not read. */
        {33,
         [](ccc::Block& c) {
             for (uint32_t f : {ccc::kLength, ccc::kFirstT7, ccc::kEndT7})
                 c.set<uint32_t>(f, 1000000);
         },
         {},
         {}},
        /* An end below the start counts no zero bytes in a negative size. */
        {32, u32(ccc::kFirstT2, 95000), {"E CCC: free area 1 only 0 nulls in -976 bytes"}, {}},
    };
    for (const auto& row : rows) {
        std::memcpy(b.base(), clean.data(), clean.size());
        row.damage(b);
        const Outcome o = check();
        EXPECT_EQ(o.findings.lines, row.lines) << "check " << row.check;
        EXPECT_EQ(o.findings.notices, row.notices) << "check " << row.check;
        int32_t errors = 0;
        for (const std::string& line : row.lines)
            errors += line[0] == 'E' ? 1 : 0;
        EXPECT_EQ(o.errors, errors) << "check " << row.check;
        EXPECT_EQ(o.warnings, static_cast<int32_t>(row.lines.size() + row.notices.size()) - errors)
            << "check " << row.check;
        EXPECT_EQ(o.result, 0u);
    }
}

TEST_F(QualityCheck, StopsWithoutACacheOrWithAMisalignedOne)
{
    Outcome o = check();
    EXPECT_EQ(o.result, 1u);
    EXPECT_EQ(o.errors, 1);
    EXPECT_EQ(o.findings.lines, (std::vector<std::string>{"E CCC cache is not allocated!  (nil)",
                                                          "E rscpqc_quality_check aborted."}));
    alignas(8) unsigned char odd[16] = {};
    rscp_converter().cache = odd + 4;
    o = check();
    rscp_converter().cache = nullptr;
    EXPECT_EQ(o.result, 1u);
    EXPECT_EQ(o.errors, 1);
    ASSERT_EQ(o.findings.lines.size(), 2u);
    EXPECT_EQ(o.findings.lines[0].rfind("E rscpmp is not alligned!  ", 0), 0u);
    EXPECT_EQ(
        rscpqc_quality_check(error_out, &o.findings, warning_out, &o.findings, 3, nullptr, nullptr),
        1u);
}

TEST(QualityTimestamp, ShapeOfATimeStamp)
{
    const struct
    {
        const char16_t* stamp;
        bool ok;
    } cases[] = {
        {u"2000010100000000", true},  {u"2999193929595900", true},  {u"3000010100000000", false},
        {u"2000010100000001", false}, {u"2000020100600000", false}, {u"20000101000000 0", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rscpqc_check_timestamp(c.stamp), c.ok) << utf8(c.stamp);
}

TEST_F(QualityCheck, DatabaseCodePagesQuery)
{
    QOR_UC names[4 * 13];
    uint32_t count = 7;
    EXPECT_EQ(rscpGetDBCodePages(names, 12, &count), RSCPEBUSY);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(take_recorded_errors(),
              std::vector<std::string>{"Shared mem CCC not yet initialized"});
    const rscpe_entry& e = rscpe_get_record()->entries[0];
    EXPECT_EQ(std::u16string(e.module, 8), u"rscpmi  ");
    EXPECT_EQ(e.line, 2023);

    set_parameter(u"rscp/operride/TCPDB", u"110011011102110311041105110611071108110911101111");
    testing::internal::CaptureStderr();
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(cache().u16(ccc::kDbCpCount), 13);
    take_recorded_errors();
    EXPECT_EQ(rscpGetDBCodePages(names, 10, &count), RSCPETOOLONG);
    EXPECT_EQ(count, 10u);
    EXPECT_EQ(std::u16string(names, 12), u"410311001101");
    EXPECT_EQ(std::u16string(names + 36, 4), u"1108");
    EXPECT_EQ(take_recorded_errors(), std::vector<std::string>{"Too many code pages for output"});
    EXPECT_EQ(e.line, 2047);
    EXPECT_EQ(utf8(std::u16string(e.arg1, e.length1)), "13 code pages");
    EXPECT_EQ(utf8(std::u16string(e.arg2, e.length2)), "&");
    EXPECT_EQ(rscpGetDBCodePages(names, 13, &count), 0u);
    EXPECT_EQ(count, 13u);
}

} // namespace
