#include <fstream>
#include <sstream>

#include "converter_fixture.h"
#include "rscp/converter/startup.h"
#include "rscp/converter/state.h"
#include "rscp/converter/status.h"
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

} // namespace
