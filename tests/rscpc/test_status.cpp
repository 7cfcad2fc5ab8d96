#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "converter_fixture.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "rscpc/status.h"
#include "u16/u16.h"

namespace {

std::vector<std::string> g_report;

void keep_report_line(const QOR_UC* text, int32_t length)
{
    g_report.push_back(utf8(std::u16string(text, length)));
}

std::vector<std::string> report(uint32_t mask)
{
    g_report.clear();
    EXPECT_EQ(rscpcs_cache_status(mask, keep_report_line, -1), 0u);
    return g_report;
}

bool has_line(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void put_text(ccc::Block& b, uint32_t offset, const std::u16string& text)
{
    b.set_text(offset, text.data(), text.size());
}

/* Content for the sections that a clean start leaves empty, so that the
 * report shows every kind of line. */
void fill_optional_areas(ccc::Block& b)
{
    const uint32_t free_area = 5000000; /* between the character table and T2 */
    const uint64_t d0 = ccc::Block::descriptor(0);
    b.set<uint16_t>(d0 + ccc::desc::kInBlocks + 16 + ccc::desc::kInAnchor, 3);
    b.set<uint32_t>(d0 + ccc::desc::kInBlocks + 16 + ccc::desc::kInChars, 120);
    b.set<uint16_t>(d0 + ccc::desc::kInBlocks + 16 + ccc::desc::kInT1, 2);
    b.set<uint32_t>(d0 + ccc::desc::kInBlocks + 16 + ccc::desc::kInMaxLen, 1);
    b.set<uint32_t>(d0 + ccc::desc::kOutBlocks + 48 + ccc::desc::kOutAnchor, 7);
    b.set<uint32_t>(d0 + ccc::desc::kOutBlocks + 48 + ccc::desc::kOutChars, 110);
    b.set<uint16_t>(d0 + ccc::desc::kOutBlocks + 48 + ccc::desc::kOutT3, 1);
    b.set<uint32_t>(d0 + ccc::desc::kFlags, 0x409);
    b.set<uint32_t>(d0 + ccc::desc::kExtraOffset, free_area);
    b.set<uint8_t>(d0 + ccc::desc::kExtraCount, 2);
    put_text(b, free_area, u"01011100");
    b.set<uint16_t>(free_area + ccc::desc::kExtraAnchor, 9);
    b.set<uint32_t>(free_area + ccc::desc::kExtraChars, 33);
    b.set<uint16_t>(free_area + ccc::desc::kExtraT1, 4);
    b.set<uint32_t>(free_area + ccc::desc::kExtraNext, free_area + 64);
    put_text(b, free_area + 64, u"01021160");
    const uint64_t d1 = ccc::Block::descriptor(1);
    b.set<uint32_t>(d1 + ccc::desc::kOutBlocks + ccc::desc::kOutMaxLen, 4);

    b.set<uint32_t>(ccc::kUnusedTcp00, 3);
    b.set<uint64_t>(ccc::kAttachAddresses + 8, 0x7f0012345678ull);
    b.set<uint32_t>(ccc::kCache07, 600016);
    b.set<uint32_t>(ccc::kSysLangState, 2);
    b.set<uint32_t>(ccc::kSysLangOffset, free_area + 200);
    b.set<uint16_t>(ccc::kSysLangLength, 4);
    put_text(b, free_area + 200, u"DEFJ");
    b.set<uint32_t>(ccc::kInstLangState, 2);
    b.set<uint32_t>(ccc::kInstLangOffset, free_area + 300);
    b.set<uint16_t>(ccc::kInstLangLength, 40);
    put_text(b, free_area + 300, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn");

    b.set<uint32_t>(ccc::kLangMbMapState, 2);
    b.set<uint8_t>(ccc::kLangMbMap + 2 * (u'J' - 32), 1);
    b.set<uint8_t>(ccc::kLangMbMap + 2 * (u'J' - 32) + 1, 1);
    b.set<uint8_t>(ccc::kLangMbMap + 2 * (u'K' - 32), 2);
    b.set<uint8_t>(ccc::kLangMbMap + 2 * (u'K' - 32) + 1, 2);
    b.set<uint8_t>(ccc::kLangMbMap + 2 * (u'Z' - 32), 5);
    b.set<uint16_t>(ccc::kMbCpCount, 2);
    put_text(b, ccc::kMbCodePages, u"8000");
    put_text(b, ccc::kMbCodePages + 8, u"8300");

    b.set<uint8_t>(ccc::kDbmcplN, 1);
    b.set<uint32_t>(ccc::kDbmcplN + 4, 2);
    b.set<uint32_t>(ccc::kDbmcplN + 8, free_area + 400);
    put_text(b, ccc::kDbmcplN + 12, u"8000");
    b.set<uint32_t>(ccc::kDbmcplN + 20, 4);
    b.set<uint32_t>(ccc::kDbmcplN + 24, free_area + 420);
    put_text(b, free_area + 400, u"8000");
    put_text(b, free_area + 408, u"8100");
    const struct
    {
        QOR_UC language;
        uint8_t flags;
        int32_t index;
    } map[] = {{u'J', 0x05, 1}, {u'K', 0x3F, -1}, {u'Z', 0x00, -2}, {u'X', 0x20, 7}};
    for (uint32_t i = 0; i < 4; ++i) {
        b.set<uint16_t>(free_area + 420 + 8 * i, map[i].language);
        b.set<uint8_t>(free_area + 422 + 8 * i, map[i].flags);
        b.set<int32_t>(free_area + 424 + 8 * i, map[i].index);
    }

    const std::string condensed = "4103DE\x01\x02 JA 8000!~";
    b.set<uint32_t>(ccc::kRfcCondensedOffset, free_area + 500);
    b.set<uint16_t>(ccc::kRfcCondensedLength, static_cast<uint16_t>(condensed.size()));
    b.set_bytes(free_area + 500, condensed.data(), condensed.size());
    std::u16string callers(70, u'c');
    callers[4] = 0;
    callers[66] = 0;
    b.set<uint32_t>(ccc::kRfcCallerOffset, free_area + 600);
    b.set<uint16_t>(ccc::kRfcCallerLength, 70);
    put_text(b, free_area + 600, callers);
    b.set<uint32_t>(ccc::kRfcTraceMdmp, 1);

    b.set<uint16_t>(ccc::kIso2022Count, 1);
    b.set<uint16_t>(ccc::kIso2022, 3);
    b.set<uint16_t>(ccc::kIso2022 + 2, 3);
    b.set_bytes(ccc::kIso2022 + 4, "\x1b\x24\x42", 3);
    b.set_bytes(ccc::kIso2022 + 14, "\x1b\x28\x42", 3);
    b.set<uint32_t>(ccc::kLoadedF1Count, 1);
    b.set<int64_t>(ccc::kLoadedF1, -2);
    b.set<uint32_t>(ccc::kLoadedF1 + 8, 4096);
    b.set<uint32_t>(ccc::kRuleCount, 1);
    put_text(b, ccc::kRules, u"R1");
    put_text(b, ccc::kRules + 4, u"first");
    put_text(b, ccc::kRules + 44, u"second");
    b.set<uint8_t>(ccc::kRules + 84, 5);
    b.set<uint8_t>(ccc::kRules + 85, 6);
    b.set<uint32_t>(ccc::kRules + 88, 0x3000);
    b.set<uint32_t>(ccc::kRules + 92, 0x30FF);
    b.set<int32_t>(ccc::kRules + 96, 2);
    b.set<uint32_t>(ccc::kRules + 100, 0x1234);
    for (uint32_t k = 0; k < 2; ++k) {
        const uint32_t e = ccc::kRules + 104 + 12 * k;
        b.set<uint8_t>(e, static_cast<uint8_t>(0xA1 + k));
        b.set<uint8_t>(e + 1, 0x40);
        b.set<uint8_t>(e + 2, 0xFE);
        b.set<uint32_t>(e + 4, 2);
        b.set<uint32_t>(e + 8, 100 + k);
    }
}

using StatusReport = ConverterTest;

TEST_F(StatusReport, WholeReportMatchesTheGoldenFile)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    /* The values that differ from run to run take fixed ones. */
    b.set<uint32_t>(ccc::kCreatedBy, 4242);
    b.set<uint32_t>(ccc::kCreatedBy + 4, 4241);
    fill_optional_areas(b);
    char address[16];
    snprintf(address, sizeof address, "0x%08x",
             static_cast<uint32_t>(reinterpret_cast<uintptr_t>(b.base())));
    std::ostringstream got;
    for (const std::string& line : report(0xFFFF))
        got << line << "\n";
    std::string text = got.str();
    ASSERT_NE(text.find(address), std::string::npos);
    text.replace(text.find(address), 10, "0x@ADDRESS");
    const char* const golden = QOR_TEST_DATA_DIR "/rscp_cache_status.txt";
    if (getenv("QOR_WRITE_GOLDEN") != nullptr)
        std::ofstream(golden) << text;
    std::ifstream in(golden);
    std::stringstream want;
    want << in.rdbuf();
    EXPECT_EQ(text, want.str());
    /* The report cleared the since-last-report counts: a second report
     * shows them no more. */
    const std::vector<std::string> again = report(RSCPCS_READ_STATISTICS);
    EXPECT_TRUE(has_line(again, "| TCP0D                     1                     1           "));
}

TEST(StatusPieces, UsageBars)
{
    const struct
    {
        int32_t width;
        int32_t start;
        int32_t end;
        int32_t total;
        const char* bar;
    } cases[] = {
        {25, 0, 100, 100, "XXXXXXXXXXXXXXXXXXXXXXXXX"},
        {25, 0, 0, 100, "\\________________________"},
        {25, 100, 100, 100, "________________________/"},
        {25, 0, 50, 100, "XXXXXXXXXXXX\\____________"},
        {25, 50, 100, 100, "____________/XXXXXXXXXXXX"},
        {25, 10, 30, 100, "__/XXXX\\_________________"},
        {25, 30, 10, 100, "?????????????????????????"},
        {5, 0, 10, 0, "?????"},
        {5, -1, 2, 10, "?????"},
        {5, 0, 11, 10, "?????"},
        {0, 0, 1, 1, "?"},
        {10001, 0, 1, 1, "?"},
    };
    for (const auto& c : cases) {
        QOR_UC bar[32];
        std::fill(bar, bar + 32, u'#');
        rscpcs_usage_bar(bar, c.width, c.start, c.end, c.total);
        const size_t n = std::strlen(c.bar);
        EXPECT_EQ(utf8(std::u16string(bar, n)), c.bar) << c.start << ".." << c.end;
        EXPECT_EQ(bar[n], u'#');
    }
}

TEST(StatusPieces, LanguageFlagsAndStateNames)
{
    QOR_UC flags[80];
    rscpcs_lang_flags(flags, 80, 0x05);
    EXPECT_EQ(utf8(flags), "LOGI      ALOW               ");
    rscpcs_lang_flags(flags, 80, 0x3A);
    EXPECT_EQ(utf8(flags), "     LOAD      POSS ULCP UNOP");
    const char* const names[] = {"fresh",         "init_started", "initialized", "not good",
                                 "wrong_version", "reinitialize", "not good",    "not good"};
    for (int32_t state = 0; state < 8; ++state)
        EXPECT_EQ(utf8(rscpcs_state_name(state)), names[state]) << state;
}

TEST_F(StatusReport, SectionsBySelectionAndState)
{
    const std::vector<std::string> not_allocated = {"-----------------RSCPCCCC---",
                                                    "| Char code cache", "| ", "| <not allocated>",
                                                    "-----------------"};
    EXPECT_EQ(report(0xFFFF), not_allocated);
    EXPECT_EQ(report(0), not_allocated);
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    auto starts = [](const std::vector<std::string>& lines, const std::string& text) {
        size_t n = 0;
        for (const std::string& line : lines)
            n += line.rfind(text, 0) == 0 ? 1 : 0;
        return n;
    };
    /* The details bit stands for reorganisation data, usage counters,
     * settings, mapping, RFC and count lists, with their separators. */
    const std::vector<std::string> details = report(RSCPCS_DETAILS);
    EXPECT_EQ(details.front(), "-----------------");
    EXPECT_EQ(starts(details, "| layout version"), 1u);
    EXPECT_EQ(starts(details, "| lookups"), 1u);
    EXPECT_EQ(starts(details, "| language to MB"), 1u);
    EXPECT_EQ(starts(details, "| RFC condensed"), 1u);
    EXPECT_EQ(starts(details, "| TCPDB_count"), 1u);
    EXPECT_EQ(starts(details, "| Char code cache"), 0u);
    EXPECT_EQ(std::count(details.begin(), details.end(), ":"), 4);
    /* The separator before the count lists stands for every selection but
     * the header details alone; the one before the segments remains. */
    const std::vector<std::string> header_details = report(RSCPCS_HEADER_DETAILS);
    EXPECT_EQ(std::count(header_details.begin(), header_details.end(), ":"), 1);
    EXPECT_EQ(header_details.back(), ":");
    /* Unused descriptors show only on request. */
    EXPECT_EQ(report(RSCPCS_DESCRIPTORS).size(), 8u + 1);
    EXPECT_EQ(report(RSCPCS_DESCRIPTORS | RSCPCS_ALL).size(), 8u + 1 + 395);
    /* Before the start ended well: the first lines of the header box. */
    rscp_converter().state = RSCP_INIT_STARTED;
    const std::vector<std::string> early = report(RSCPCS_HEADER);
    ASSERT_EQ(early.size(), 6u);
    EXPECT_EQ(early[3], "| state of memory        initialized");
    EXPECT_EQ(early[4], "| state of process      init_started  (since 20260102030405)");
    EXPECT_EQ(early[5], ":");
    rscp_converter().state = RSCP_FRESH;
    EXPECT_EQ(report(RSCPCS_HEADER).size(), 5u);
}

TEST_F(StatusReport, OffsetsFromADamagedHeaderStayInTheBlock)
{
    set_parameter(u"rsts/ccc/cachesize", u"400000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const uint32_t beyond = 400000 - 4;
    b.set<uint32_t>(ccc::kSysLangState, 2);
    b.set<uint32_t>(ccc::kSysLangOffset, beyond);
    b.set<uint16_t>(ccc::kSysLangLength, 40);
    b.set<uint32_t>(ccc::kInstLangState, 2);
    b.set<uint32_t>(ccc::kInstLangOffset, 101); /* odd: not a text of 16-bit units */
    b.set<uint16_t>(ccc::kInstLangLength, 4);
    b.set<uint32_t>(ccc::kRfcCondensedOffset, beyond);
    b.set<uint16_t>(ccc::kRfcCondensedLength, 60);
    b.set<uint32_t>(ccc::kRfcCallerOffset, 0xFFFFFFF0u);
    b.set<uint16_t>(ccc::kRfcCallerLength, 65535);
    b.set<uint8_t>(ccc::kDbmcplM, 1);
    b.set<uint32_t>(ccc::kDbmcplM + 4, 0xFFFFFFFFu);
    b.set<uint32_t>(ccc::kDbmcplM + 8, beyond);
    b.set<uint32_t>(ccc::kDbmcplM + 20, 0xFFFFFFFFu);
    b.set<uint32_t>(ccc::kDbmcplM + 24, beyond - 8);
    b.set<uint32_t>(ccc::kRuleCount, 1);
    b.set<uint8_t>(ccc::kRules + 84, 255);
    const uint64_t d = ccc::Block::descriptor(0);
    b.set<uint32_t>(d + ccc::desc::kExtraOffset, beyond);
    b.set<uint8_t>(d + ccc::desc::kExtraCount, 200);
    b.set<uint16_t>(ccc::kNoofCodePages, 65535);
    const std::vector<std::string> lines = report(0xFFFF);
    auto has = [&lines](const std::string& line) { return has_line(lines, line); };
    EXPECT_TRUE(has("|    system            <out_of_bounds>"));
    EXPECT_TRUE(has("|    instance          <out_of_bounds>"));
    EXPECT_TRUE(has("|    length [Byte]     60"));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "|    <out_of_bounds>"), 2);
    EXPECT_TRUE(has("|   m_no_of_pages -1"));
    EXPECT_TRUE(has("|   Language mappings:"));
    /* All descriptors the block can hold, not the count the header claims. */
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("| 0100 |", 0) == 0; }),
              1);
}

} // namespace
