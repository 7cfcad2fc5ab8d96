#include <cstring>

#include "converter_fixture.h"
#include "rscpc/ddic.h"
#include "rscpc/errors.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "rscpc/tables.h"

namespace {

using Tables = ConverterTest;

/* The descriptor of a code page in the loaded cache. */
uint64_t find_descriptor(const ccc::Block& b, const std::u16string& cp)
{
    for (uint32_t i = 0; i < b.u16(ccc::kNoofCodePages); ++i) {
        QOR_UC name[4];
        b.text(ccc::Block::descriptor(i) + ccc::desc::kName, name, 4);
        if (std::u16string(name, 4) == cp)
            return ccc::Block::descriptor(i);
    }
    return 0;
}

TEST_F(Tables, CodePageDescriptors)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    const ccc::Block b = cache();
    EXPECT_EQ(b.u16(ccc::kNoofCodePages), 395);
    const struct
    {
        const char16_t* cp;
        uint16_t enc;
        uint8_t bit;
        uint16_t major;
        const char* blank;
        int32_t count;
        uint8_t flag_x;
        uint8_t flag_a;
        uint32_t flags;
        QOR_UC source;
    } rows[] = {
        {u"4103", 16, 0, 16, "\x20\x00", 2, 1, 0, 0, u'2'},
        {u"0100", 8, 1, 0, "\x40", 1, 0, 0, 0, u'2'},
        {u"4000", 16, 0, 19, "\x00\x20", 2, 0, 1, 0, u'2'},
        {u"4110", 8, 4, 12, "\x20", 1, 1, 0, 0, u'2'},
        {u"4102", 16, 0, 13, "\x00\x20", 2, 1, 0, 0, u'2'},
        {u"6100", 8, 4, 30, "\x20", 1, 0, 1, 0, u'2'},
        {u"1101", 8, 4, 0, "\x20", 1, 0, 0, 0x1000, u'2'},
        {u"1160", 8, 4, 0, "\x20", 1, 0, 0, 0x800, u'2'},
        {u"8341", 8, 4, 0, "\x20", 1, 0, 0, 0x800, u'2'},
        {u"8000", 8, 4, 3, "\x20", 1, 0, 0, 0, u'2'},
        {u"6101", 8, 4, 0, "\x20", 1, 0, 0, 0, u'1'}, /* obsolete */
        {u"2222", 8, 4, 0, "\x20", 1, 0, 0, 0, u'2'}, /* blank status */
    };
    for (const auto& r : rows) {
        const uint64_t d = find_descriptor(b, r.cp);
        ASSERT_NE(d, 0u) << utf8(r.cp);
        EXPECT_EQ(b.u16(d + ccc::desc::kEnc), r.enc) << utf8(r.cp);
        EXPECT_EQ(b.u8(d + ccc::desc::kBit), r.bit) << utf8(r.cp);
        EXPECT_EQ(b.u16(d + ccc::desc::kMajor), r.major) << utf8(r.cp);
        EXPECT_EQ(b.get<int32_t>(d + ccc::desc::kByteCount), r.count) << utf8(r.cp);
        EXPECT_EQ(std::memcmp(b.base() + d + ccc::desc::kByteSequence, r.blank,
                              static_cast<size_t>(r.count)),
                  0)
            << utf8(r.cp);
        EXPECT_EQ(b.u8(d + ccc::desc::kFlagX), r.flag_x) << utf8(r.cp);
        EXPECT_EQ(b.u8(d + ccc::desc::kFlagA), r.flag_a) << utf8(r.cp);
        EXPECT_EQ(b.u32(d + ccc::desc::kFlags), r.flags) << utf8(r.cp);
        EXPECT_EQ(b.u16(d + ccc::desc::kSourceCodePage), r.source) << utf8(r.cp);
        EXPECT_EQ(b.u16(d + ccc::desc::kSourceTcp00), u'2') << utf8(r.cp);
    }
    size_t obsolete = 0;
    for (uint32_t i = 0; i < 395; ++i)
        obsolete += b.u16(ccc::Block::descriptor(i) + ccc::desc::kSourceCodePage) == u'1';
    EXPECT_EQ(obsolete, 50u);
}

TEST_F(Tables, CharacterTable)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    const ccc::Block b = cache();
    EXPECT_EQ(b.u16(ccc::kTcp01Mappings), 4990);
    EXPECT_EQ(b.u32(ccc::kTcp01HighestSeen), 65278u);
    const uint32_t table = b.u32(ccc::kTcp01Offset);
    auto value = [&](uint32_t n) {
        return (b.u8(table + 3 * n) << 16) | (b.u8(table + 3 * n + 1) << 8) |
               b.u8(table + 3 * n + 2);
    };
    EXPECT_EQ(value(0), 0);
    EXPECT_EQ(value(1), 0x110000);
    EXPECT_EQ(value(63), 0); /* not in the table */
    EXPECT_EQ(value(64), 0xF0040);
    EXPECT_EQ(value(4990), 0xF0000 + 4990);
}

TEST_F(Tables, StoringFromBytesEqualsDecodingEachRecord)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const uint32_t table = b.u32(ccc::kTcp01Offset);
    const std::vector<unsigned char> direct(b.base() + table, b.base() + table + 3 * 4991);
    b.fill(table, 3 * 4991, 0);
    b.set<uint16_t>(ccc::kTcp01Mappings, 0);
    b.set<uint32_t>(ccc::kTcp01HighestSeen, 0);
    QOR_UC record[TCP01_RECORD_LEN];
    const unsigned char* cursor = tcp01_records;
    size_t records = 0;
    while (rscpf5h_next_TCP01(&cursor, record)) {
        rscpll_store_TCP01(record);
        ++records;
    }
    EXPECT_EQ(records, 4911u);
    EXPECT_EQ(std::memcmp(direct.data(), b.base() + table, direct.size()), 0);
    EXPECT_EQ(b.u16(ccc::kTcp01Mappings), 4990);
    /* One decoded record: number, blank text, value. */
    cursor = tcp01_records;
    ASSERT_TRUE(rscpf5h_next_TCP01(&cursor, record));
    EXPECT_EQ(std::u16string(record, TCP01_RECORD_LEN),
              u"00001" + std::u16string(30, u' ') + u"110000");
}

TEST_F(Tables, StoringOneRecord)
{
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    const uint32_t table = b.u32(ccc::kTcp01Offset);
    auto store = [](const std::u16string& number, const std::u16string& text,
                    const std::u16string& value) {
        std::u16string r = number + text;
        r.resize(35, u' ');
        r += value;
        r.resize(TCP01_RECORD_LEN, u' ');
        rscpll_store_TCP01(r.data());
    };
    store(u"4990 ", u"", u"12AbZ9"); /* not a hex digit counts as 0 */
    EXPECT_EQ(b.u8(table + 3 * 4990), 0x12);
    EXPECT_EQ(b.u8(table + 3 * 4990 + 1), 0xA0);
    EXPECT_EQ(b.u8(table + 3 * 4990 + 2), 0x09);
    store(u"06000", u"from the_last_ one", u"112233");
    EXPECT_EQ(b.u16(ccc::kTcp01Mappings), 4990); /* a "_last_" record above 5000 */
    EXPECT_EQ(b.u8(table + 3 * 6000), 0);
    EXPECT_EQ(b.u32(ccc::kTcp01HighestSeen), 65278u);
    store(u"05000", u"", u"      "); /* no value: only the counts move */
    EXPECT_EQ(b.u16(ccc::kTcp01Mappings), 5000);
    EXPECT_EQ(b.u8(table + 3 * 5000), 0);
    EXPECT_EQ(rscpf5h_hex_byte(u"FF"), 255);
    EXPECT_EQ(rscpf5h_hex_byte(u"ff"), 0);
}

TEST_F(Tables, WidenedCodePageRecord)
{
    QOR_UC wide[TCP00_WIDE_LEN];
    rscpll_widen_TCP00(tcp00_records[0], wide);
    const std::u16string w(wide, TCP00_WIDE_LEN);
    EXPECT_EQ(w.substr(0, 4), u"0100");
    EXPECT_EQ(w.substr(86, 16), std::u16string(16, u'0'));
    EXPECT_EQ(w.substr(85, 1), u"4");
    EXPECT_EQ(w.substr(108, 5), u"0100T");
    size_t n = 0;
    while (tcp00_records[n][0] != ' ')
        ++n;
    EXPECT_EQ(n, 395u);
}

TEST_F(Tables, RoomForDescriptorsIsChecked)
{
    rscph.rscph_AllocateCCCC = [](void** block, unsigned char* zero, unsigned char* reused,
                                  QOR_UC* name, uint32_t, int32_t) -> uint32_t {
        static std::vector<unsigned char> small;
        small.assign(170000, 0); /* the header and 882 descriptors */
        *block = small.data();
        *zero = 1;
        *reused = 0;
        name[0] = 0;
        return 0;
    };
    rscph.rscph_ReleaseCCCC = [](void*, uint32_t, unsigned char*) -> uint32_t { return 0; };
    set_parameter(u"rsts/ccc/cachesize", u"170000");
    ASSERT_EQ(rscpi_init(RSCP_ACCEPT_ALL), 0u);
    ccc::Block b = cache();
    b.set<uint32_t>(ccc::kLength, ccc::kDescriptors + 184 * 396 - 1);
    b.set<uint16_t>(ccc::kNoofCodePages, 395);
    EXPECT_EQ(rscpml_check_room(RSCP_ACCEPT_ALL), RSCPEINTERN);
    const rscpe_entry& e = rscpe_get_record()->entries[0];
    EXPECT_EQ(std::u16string(e.module, 8), u"rscpml  ");
    EXPECT_EQ(e.line, 3016);
    b.set<uint32_t>(ccc::kLength, ccc::kDescriptors + 184 * 396);
    EXPECT_EQ(rscpml_check_room(RSCP_ACCEPT_ALL), 0u);
    /* A length beyond the block does not make room there. */
    b.set<uint32_t>(ccc::kLength, 16000000);
    b.set<uint16_t>(ccc::kNoofCodePages, 883);
    EXPECT_EQ(rscpml_check_room(RSCP_ACCEPT_ALL), RSCPEINTERN);
}

TEST(TableNames, ByIndex)
{
    const struct
    {
        int32_t index;
        const char* name;
    } cases[] = {{0, "TCP00"},    {10, "TCP0I"},  {31, "UMGNTCD6"},      {9, "TCP0F"},
                 {18, "UMGCCTL"}, {28, "RFCDES"}, {32, "unknown table"}, {-1, "unknown table"}};
    for (const auto& c : cases)
        EXPECT_EQ(utf8(rscpddic_table_name(c.index)), c.name) << c.index;
}

TEST(BlankPadded, Fields)
{
    QOR_UC f[10];
    std::fill(f, f + 10, u'#');
    qorstr_pad_from_z(f, u"4103", 8);
    EXPECT_EQ(std::u16string(f, 10), u"4103    ##");
    qorstr_pad_from_z(f, u"legacy_cp", 4);
    EXPECT_EQ(std::u16string(f, 5), u"lega ");
    qorstr_pad_from_z(f, nullptr, 3);
    EXPECT_EQ(std::u16string(f, 4), u"   a");
    qorstr_pad_from_z(nullptr, u"x", 3);
    qorstr_pad_from_z(f, u"x", 0);
    EXPECT_EQ(f[0], u' ');
    qorstr_pad_from_n(f, 6, u"abcdef", 3);
    EXPECT_EQ(std::u16string(f, 6), u"abc   ");
    qorstr_pad_from_n(f, 2, u"xyz", 3);
    EXPECT_EQ(std::u16string(f, 3), u"xyc");
    qorstr_pad_from_n(f, 2, nullptr, 0);
    EXPECT_EQ(std::u16string(f, 2), u"xy");
    qorstr_pad_from_n(f, 2, nullptr, 5);
    EXPECT_EQ(std::u16string(f, 2), u"  ");

    QOR_UC out[24];
    const std::u16string field = u"legacy_cp           ";
    qorstr_trim_to_z(out, field.data(), 20);
    EXPECT_EQ(std::u16string(out), u"legacy_cp");
    qorstr_trim_to_z(out, u"     ", 5);
    EXPECT_EQ(std::u16string(out), u"");
    EXPECT_EQ(qorstr_trimmed_length(u"     ", 5), 0);
    EXPECT_EQ(qorstr_trimmed_length(nullptr, 5), 0);
    EXPECT_EQ(qorstr_trimmed_length(field.data(), 20), 9);
    EXPECT_EQ(qorstr_field_equals(field.data(), u"legacy_cp", 20), 1);
    EXPECT_EQ(qorstr_field_equals(field.data(), u"legacy", 20), 0);
    EXPECT_EQ(qorstr_field_equals(field.data(), u"legacy_cx", 20), 0);
    EXPECT_EQ(qorstr_field_equals(nullptr, nullptr, 20), 1);
    EXPECT_EQ(qorstr_field_equals(nullptr, u"", 20), 0);
}

} // namespace
