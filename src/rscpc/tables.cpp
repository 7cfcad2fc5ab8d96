// The table loader: code page list, character table, default country,
// database code pages, legacy settings and RFC destinations.
#include "rscpc/tables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/regular_file.h"

#include "rscp/rscp_utf.h"
#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"
#include "rscpc/modules.h"
#include "rscpc/settings.h"
#include "rscpc/state.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpdlIdent;

/* Slots of the load statistics. */
enum { kSlotTcp00 = 0, kSlotTcp01 = 2, kSlotTcp0D = 5, kSlotTcpdb = 6, kSlotTcp0I = 10 };

void count_read(int slot)
{
    RscpConverter& c = rscp_converter();
    ccc::Block b = ccc::current();
    const uint32_t offset = ccc::kTableReads + 4 * static_cast<uint32_t>(slot);
    b.set<uint32_t>(offset, b.u32(offset) + 1);
    ++c.loader_reads[slot];
    ++c.loader_reads_since[slot];
}

uint32_t record(int location, int line, const QOR_UC* text, const QOR_UC* syslog_id,
                const QOR_UC* arg1, const QOR_UC* arg2 = nullptr)
{
    return rscpe__error(RSCPEINTERN, u'C', RSCP_ACCEPT_ALL, kIdent, location, line, text, syslog_id,
                        arg1, arg1 != nullptr ? -1 : 0, arg2, arg2 != nullptr ? -1 : 0);
}

int two_digits(const QOR_UC* p)
{
    int v = 0;
    for (int i = 0; i < 2; ++i)
        if (p[i] >= u'0' && p[i] <= u'9')
            v = v * 10 + (p[i] - u'0');
    return v;
}

bool same(const QOR_UC* a, const QOR_UC* b, size_t n)
{
    return std::memcmp(a, b, n * sizeof(QOR_UC)) == 0;
}

/* Blank character of a code page by its major number; false for the
 * majors that keep the blank of the character-set type. */
bool blank_by_major(int major, unsigned char* bytes, int32_t* count)
{
    struct Row
    {
        int majors[3];
        unsigned char bytes[4];
        int32_t count;
    };
    static const Row kRows[] = {
        {{10, 13, 19}, {0x00, 0x20}, 2},
        {{14, 16, -1}, {0x20, 0x00}, 2},
        {{11, -1, -1}, {0x00, 0x00, 0x00, 0x20}, 4},
        {{15, -1, -1}, {0x20, 0x00, 0x00, 0x00}, 4},
        {{12, -1, -1}, {0x20}, 1},
    };
    for (const Row& row : kRows)
        for (int m : row.majors)
            if (m == major) {
                std::memcpy(bytes, row.bytes, 4);
                *count = row.count;
                return true;
            }
    return false;
}

void put_decimal(QOR_UC* out, uint32_t value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<QOR_UC>(u'0' + value % 10);
        value /= 10;
    }
}

void put_hex(QOR_UC* out, uint32_t value, int width)
{
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    for (int i = width - 1; i >= 0; --i) {
        out[i] = kDigits[value & 0xF];
        value >>= 4;
    }
}

/* The database code pages: adds one and warns about blended ones. */
class TcpdbList
{
  public:
    explicit TcpdbList(ccc::Block& b) : b_(b)
    {
        b_.set<uint16_t>(ccc::kTcpdbCount, 0);
        b_.set<uint16_t>(ccc::kDbCpCount, 1);
        b_.set_text(ccc::kDbCodePages, u"4103", 4);
    }

    void add(const QOR_UC* cp)
    {
        count_read(kSlotTcpdb);
        const uint16_t stored = b_.u16(ccc::kDbCpCount);
        if (same(cp, u"4103", 4))
            seen_4103_ = true;
        else if (stored < ccc::kDbCodePageSlots) {
            b_.set_text(ccc::kDbCodePages + 8u * stored, cp, 4);
            b_.set<uint16_t>(ccc::kDbCpCount, static_cast<uint16_t>(stored + 1));
        }
        const uint16_t added = b_.u16(ccc::kTcpdbCount);
        if (added < UINT16_MAX)
            b_.set<uint16_t>(ccc::kTcpdbCount, static_cast<uint16_t>(added + 1));
        if (cp[0] != u'6')
            return;
        const bool ambiguous =
            (cp[1] == u'1' || cp[1] == u'2' || cp[1] == u'5') && cp[2] == u'0' && cp[3] == u'0';
        if (ambiguous)
            record(30, __LINE__, u"Still using ambiguous blended code page?", u"CP6", u"TCPDB&",
                   u" See note 938738");
        else
            record(31, __LINE__, u"Still using unambiguous blended code page?", u"CP6", u"TCPDB&",
                   u" See note 938737");
    }

    /* Every stored code page but 4102 and 4103 is reported. */
    void check_empty()
    {
        QOR_UC added[16];
        snprintfU16(added, 16, u"%ld&", static_cast<uint32_t>(b_.u16(ccc::kTcpdbCount)));
        uint16_t stored = b_.u16(ccc::kDbCpCount);
        if (stored > ccc::kDbCodePageSlots)
            stored = ccc::kDbCodePageSlots;
        for (uint16_t i = 0; i < stored; ++i) {
            QOR_UC cp[4];
            b_.text(ccc::kDbCodePages + 8u * i, cp, 4);
            if (same(cp, u"4102", 4) || same(cp, u"4103", 4))
                continue;
            fprintfU16(stderr, u"Database table TCPDB not empty. See note 42305\n");
            record(32, __LINE__, u"TCPDB should be empty.", u"CP2", u"TCPDB&", added);
        }
    }

  private:
    ccc::Block& b_;
    bool seen_4103_ = false;
};

/* TCPDB.DAT lists a few code pages, one a line: a file larger than this is
 * no such list and is not read. */
constexpr size_t kTcpdbMaxBytes = 4096;

/* The first 20 bytes of a line for its error line: printable ASCII as it
 * is, every other byte (and the backslash) as \xHH, so that no control
 * character of the file reaches the terminal. */
void shown_line(std::string_view line, QOR_UC* out, size_t size)
{
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    size_t n = 0;
    for (size_t i = 0; i < line.size() && i < 20 && n + 5 <= size; ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out[n++] = byte;
            continue;
        }
        out[n++] = u'\\';
        out[n++] = u'x';
        out[n++] = kDigits[byte >> 4];
        out[n++] = kDigits[byte & 0xF];
    }
    out[n] = 0;
}

/* A line of four characters (UTF-8, read without replacement): its code page. */
bool code_page_line(std::string_view line, QOR_UC* cp)
{
    if (line.size() > 16) /* four characters take at most 16 bytes */
        return false;
    QOR_UC text[16];
    const auto* src = reinterpret_cast<const unsigned char*>(line.data());
    QOR_UC* dst = text;
    if (ConvUtf8ToU16(&src, src + line.size(), &dst, text + 16, nullptr, nullptr) != 0 ||
        dst - text != 4)
        return false;
    std::memcpy(cp, text, 4 * sizeof(QOR_UC));
    return true;
}

void read_tcpdb_file(TcpdbList& list)
{
    static const QOR_UC kName[] = u"TCPDB.DAT";
    std::string content;
    std::string reason;
    int error = 0;
    const QorFileRead read =
        qor_read_regular_file("TCPDB.DAT", kTcpdbMaxBytes, &content, &reason, &error);
    if (read == QorFileRead::not_opened) {
        if (rscpe_trace_first()) {
            errno = error;
            perrorU16(kName);
        }
        return;
    }
    if (read == QorFileRead::refused) {
        QOR_UC reason16[64] = {0};
        rscpUtf8zToU16(reason16, 64, nullptr, reason.c_str());
        QOR_UC why[64];
        snprintfCutU16(why, 64, u"TCPDB.DAT&%s&", reason16);
        rscpe__error(RSCPEIO, u'C', RSCP_ACCEPT_ALL, kIdent, 33, __LINE__, u"TCPDB.DAT not read",
                     u"CP6", why, -1, nullptr, 0);
        return;
    }
    /* Lines are cut from the whole content, so that no part of a long line
     * passes for a line of its own. */
    std::string_view rest = content;
    for (int number = 1; !rest.empty(); ++number) {
        const size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (number == 1 && line.substr(0, 5) == "TCPDB")
            continue;
        QOR_UC cp[4];
        if (code_page_line(line, cp)) {
            list.add(cp);
            continue;
        }
        QOR_UC shown[81];
        shown_line(line, shown, 81);
        fprintfU16(stderr, u"%s line %d: format error: \"%s\".\n", kName, number, shown);
    }
}

} // namespace

uint32_t rscpli__load_init(uint32_t)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpli__load_init", -1, 0, 0, nullptr);
    if (traced)
        rscph.rscph_TraceLeave(0, 0, 0, nullptr);
    return 0;
}

uint32_t read_reset(uint32_t)
{
    return 0;
}

void rscpll_widen_TCP00(const char* record, QOR_UC* wide)
{
    for (int i = 0; i < 86; ++i)
        wide[i] = static_cast<unsigned char>(record[i]);
    for (int i = 86; i < 102; ++i)
        wide[i] = u'0';
    for (int i = 86; i < TCP00_RECORD_LEN; ++i)
        wide[i + 16] = static_cast<unsigned char>(record[i]);
}

uint32_t rscpml_check_room(uint32_t)
{
    ccc::Block b = ccc::current();
    const uint64_t end = ccc::Block::descriptor(b.u16(ccc::kNoofCodePages) + 1u);
    if (end <= b.u32(ccc::kLength) && end <= b.size())
        return 0;
    QOR_UC arg[64];
    snprintfCutU16(arg, 64, u"cachesize&%ld&?&", b.u32(ccc::kLength));
    return rscpe__error(RSCPEINTERN, u'C', RSCP_ACCEPT_ALL, rscpc::kRscpmlIdent, 14, 3016,
                        u"QORPARAM(rsts/ccc/cachesize) too small", u"F24", arg, -1, nullptr, 0);
}

void rscpll_make_descriptor(const QOR_UC* wide)
{
    ccc::Block b = ccc::current();
    const uint16_t n = b.u16(ccc::kNoofCodePages);
    const uint64_t d = ccc::Block::descriptor(n);
    if (!b.holds(d, ccc::kDescriptorSize))
        return;
    b.set<uint16_t>(ccc::kNoofCodePages, static_cast<uint16_t>(n + 1));
    b.fill(d, ccc::kDescriptorSize, 0);
    b.set_text(d + ccc::desc::kName, wide, 4);
    const QOR_UC* type = wide + 7;
    const QOR_UC* subtype = wide + 9;
    uint16_t enc = 8;
    uint8_t family = 0;
    unsigned char blank[4] = {0, 0, 0, 0};
    int32_t blank_count = 0;
    if (same(type, u"05", 2) || same(type, u"04", 2) || same(type, u"01", 2)) {
        enc = same(type, u"05", 2) ? 7 : 8;
        family = same(type, u"01", 2) ? 1 : 4;
        blank[0] = family == 1 ? 0x40 : 0x20;
        blank_count = 1;
    } else if (same(subtype, u"02", 2) || same(subtype, u"06", 2)) {
        enc = 16;
    } else if (same(subtype, u"05", 2)) {
        enc = 32;
    }
    const bool flag_a = same(wide, u"4000", 4) || same(wide, u"6100", 4) ||
                        same(wide, u"6200", 4) || same(wide, u"6500", 4);
    const int major = two_digits(wide + 81);
    blank_by_major(major, blank, &blank_count);
    b.set<uint16_t>(d + ccc::desc::kEnc, enc);
    b.set<uint16_t>(d + ccc::desc::kMajor, static_cast<uint16_t>(major));
    b.set<uint16_t>(d + ccc::desc::kMinor, static_cast<uint16_t>(two_digits(wide + 83)));
    b.set<uint8_t>(d + ccc::desc::kBit, family);
    const QOR_UC x = wide[107];
    b.set<uint8_t>(d + ccc::desc::kFlagX,
                   x >= u'0' && x <= u'9' ? static_cast<uint8_t>(x - u'0') : 0);
    b.set<uint16_t>(d + ccc::desc::kSourceCodePage, wide[85]);
    b.set<uint8_t>(d + ccc::desc::kFlagA, flag_a ? 1 : 0);
    b.set_bytes(d + ccc::desc::kByteSequence, blank, sizeof blank);
    b.set<int32_t>(d + ccc::desc::kByteCount, blank_count);
    b.set<uint16_t>(d + ccc::desc::kSourceTcp00, u'2');
    b.set_text(d + ccc::desc::kSegmentId, wide + 108, 5);
    uint32_t flags = wide[102] == u'X' ? ccc::desc::kFlagSegment : 0;
    if (same(wide, u"1160", 4) || same(wide, u"8341", 4))
        flags |= ccc::desc::kFlagI;
    if (same(wide, u"1101", 4))
        flags |= ccc::desc::kFlag7Bit;
    b.set<uint32_t>(d + ccc::desc::kFlags, flags);
}

uint32_t read_TCP00(uint32_t accepted)
{
    for (const char* const* record = tcp00_records; (*record)[0] != ' '; ++record) {
        const uint32_t rc = rscpml_check_room(accepted);
        if (rc != 0)
            return rc;
        count_read(kSlotTcp00);
        QOR_UC wide[TCP00_WIDE_LEN];
        rscpll_widen_TCP00(*record, wide);
        if (wide[85] == u' ' || wide[85] == u'4' || wide[85] == u'3')
            wide[85] = u'2';
        rscpll_make_descriptor(wide);
    }
    return 0;
}

uint32_t read_TCP00A(uint32_t)
{
    return 0;
}

int rscpf5h_hex_byte(const QOR_UC* two)
{
    auto digit = [](QOR_UC c) {
        if (c >= u'0' && c <= u'9')
            return c - u'0';
        if (c >= u'A' && c <= u'F')
            return c - u'A' + 10;
        return 0;
    };
    return digit(two[0]) * 16 + digit(two[1]);
}

bool rscpf5h_next_TCP01(const unsigned char** cursor, QOR_UC* record)
{
    const unsigned char* p = *cursor;
    const uint32_t number = (static_cast<uint32_t>(p[0]) << 8) | p[1];
    if (number == 0)
        return false;
    const uint32_t value =
        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 8) | p[4];
    static const QOR_UC kBlank[TCP01_RECORD_LEN + 1] = u"                                         ";
    std::memcpy(record, kBlank, TCP01_RECORD_LEN * sizeof(QOR_UC));
    put_decimal(record, number, 5);
    put_hex(record + 35, value, 6);
    *cursor = p + 5;
    return true;
}

void rscpll_store_TCP01(const QOR_UC* record)
{
    ccc::Block b = ccc::current();
    int digits = 5;
    while (digits > 0 && record[digits - 1] == u' ')
        --digits;
    uint32_t parsed = 0;
    for (int i = 0; i < digits && record[i] >= u'0' && record[i] <= u'9'; ++i)
        parsed = parsed * 10 + (record[i] - u'0');
    const uint16_t n = static_cast<uint16_t>(parsed);
    uint16_t loaded = b.u16(ccc::kTcp01Mappings);
    auto last_marker = [record] {
        for (int i = 5; i + 6 <= 35; ++i)
            if (same(record + i, u"_last_", 6))
                return true;
        return false;
    };
    if (n > loaded && (n <= 5000 || !last_marker())) {
        loaded = n;
        b.set<uint16_t>(ccc::kTcp01Mappings, loaded);
    }
    if (n <= loaded && record[40] != u' ') {
        /* The character table ends below the T2 area, whatever number a
         * record carries; a table that would not fit fails the build later. */
        const uint64_t at = b.u32(ccc::kTcp01Offset) + static_cast<uint64_t>(n) * 3;
        if (at + 3 <= b.u32(ccc::kEndT2) && b.holds(at, 3))
            for (int i = 0; i < 3; ++i)
                b.set<uint8_t>(at + static_cast<uint64_t>(i),
                               static_cast<uint8_t>(rscpf5h_hex_byte(record + 35 + 2 * i)));
    }
    if (n > b.u32(ccc::kTcp01HighestSeen))
        b.set<uint32_t>(ccc::kTcp01HighestSeen, n);
}

uint32_t read_TCP01(uint32_t)
{
    QOR_UC record[TCP01_RECORD_LEN];
    for (QOR_UC& u : record)
        u = u' ';
    put_decimal(record, TCP01_last_qorcode_max, 5);
    static const QOR_UC kText[] = u"from TCP01_last_qorcode_max";
    std::memcpy(record + 5, kText, (sizeof kText / sizeof kText[0] - 1) * sizeof(QOR_UC));
    rscpll_store_TCP01(record);
    count_read(kSlotTcp01);
    /* The built-in records have no text and always a value: storing them
     * straight from their bytes has the effect of decoding each one
     * (rscpf5h_next_TCP01) and storing the decoded record, at a fraction of
     * the cost on every start of the program. */
    ccc::Block b = ccc::current();
    uint32_t loaded = b.u16(ccc::kTcp01Mappings);
    uint32_t seen = b.u32(ccc::kTcp01HighestSeen);
    const uint64_t table = b.u32(ccc::kTcp01Offset);
    const uint64_t limit = b.u32(ccc::kEndT2) < b.size() ? b.u32(ccc::kEndT2) : b.size();
    uint32_t count = 0;
    for (const unsigned char* p = tcp01_records; (p[0] | p[1]) != 0; p += 5, ++count) {
        const uint32_t n = (static_cast<uint32_t>(p[0]) << 8) | p[1];
        loaded = n > loaded ? n : loaded;
        const uint64_t at = table + 3ull * n;
        if (at + 3 <= limit)
            std::memcpy(b.base() + at, p + 2, 3);
        seen = n > seen ? n : seen;
    }
    b.set<uint16_t>(ccc::kTcp01Mappings, static_cast<uint16_t>(loaded));
    b.set<uint32_t>(ccc::kTcp01HighestSeen, seen);
    RscpConverter& c = rscp_converter();
    const uint32_t reads = ccc::kTableReads + 4 * kSlotTcp01;
    b.set<uint32_t>(reads, b.u32(reads) + count);
    c.loader_reads[kSlotTcp01] += count;
    c.loader_reads_since[kSlotTcp01] += count;
    return 0;
}

uint32_t read_TCP0D(uint32_t)
{
    ccc::Block b = ccc::current();
    QOR_UC entry[4] = {u' ', u' ', u' ', u' '};
    const QOR_UC* language = rscp_parameter(u"zcsa/system_language");
    if (language != nullptr && language[0] != 0)
        entry[3] = language[0];
    count_read(kSlotTcp0D);
    const QOR_UC* country = rscp_parameter(u"rscp/override/TCP0D");
    if (country != nullptr && country[0] != 0) {
        PadCopyU16n(entry, 3, country, static_cast<int32_t>(strnlenU16(country, 3)));
        QOR_UC text[80];
        snprintfCutU16(text, 80, u"%s <<< rscp/override/TCP0D", country);
        record(20, __LINE__, text, u"CP6", nullptr);
    }
    if (same(entry, u"3CN", 3)) {
        record(21, __LINE__, u"TCP0D contains '3CN': use RSCPINST to change to 'CN '.", u"CP6",
               nullptr);
        std::memcpy(entry, u"CN ", 3 * sizeof(QOR_UC));
    }
    b.set_text(ccc::kDefCountry, entry, 4);
    return 0;
}

uint32_t read_TCPDB(uint32_t)
{
    ccc::Block b = ccc::current();
    TcpdbList list(b);
    const QOR_UC* codes = rscp_parameter(u"rscp/operride/TCPDB");
    if (codes != nullptr && codes[0] != 0) {
        const size_t n = strlenU16(codes);
        for (size_t i = 0; i + 4 <= n; i += 4)
            list.add(codes + i);
    } else {
        read_tcpdb_file(list);
    }
    list.check_empty();
    return 0;
}

uint32_t read_TCP0I(uint32_t)
{
    ccc::Block b = ccc::current();
    b.set_padded(ccc::kLegacyCodePage, u"", 4);
    QOR_UC value[241];
    if (rscp_environment("SNC_LEGACY_QOR_CP", value, 241) == nullptr) {
        if (rscpe_trace_first())
            fprintfU16(stderr, u"read_TCP0I was called and returned OK without doing anything.\n");
        return 0;
    }
    /* key 20, active mark 1, 14 characters, value 240, origin 12 */
    QOR_UC entry[287];
    PadCopyU16z(entry, u"legacy_cp", 20);
    entry[20] = u'X';
    PadCopyU16z(entry + 21, u"?", 14);
    PadCopyU16z(entry + 35, value, 240);
    PadCopyU16z(entry + 275, u"getenvU", 12);
    count_read(kSlotTcp0I);
    if (entry[20] == u'X' && same(entry, u"legacy_cp", 9) && entry[9] == u' ')
        b.set_text(ccc::kLegacyCodePage, entry + 35, 4);
    return 0;
}

uint32_t read_RFCDES(uint32_t)
{
    if (rscpe_trace_first())
        fprintfU16(stderr, u"read_RFCDES was called and returned OK without doing anything.\n");
    return 0;
}

uint32_t rscpll_consolidate_TCP0I_RFCDES(uint32_t)
{
    /* No source fills the legacy callers or the destinations: the caller
     * list stays empty. */
    ccc::Block b = ccc::current();
    b.set<uint32_t>(ccc::kRfcCallerOffset, 0);
    b.set<uint16_t>(ccc::kRfcCallerLength, 0);
    return 0;
}
