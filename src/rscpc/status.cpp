// The cache status report: frame, header box, descriptor table, read
// statistics and segment table.
#include "rscpc/status.h"

#include "rscpc/ddic.h"
#include "rscpc/state.h"
#include "rscpc/status_sections.h"

namespace status {

const QOR_UC kLongRule[] = u"-----------------";
const QOR_UC kShortRule[] = u"---";

const QOR_UC* yes_no(bool value)
{
    return value ? u"TRUE" : u"FALSE";
}

} // namespace status

namespace {

using status::kLongRule;
using status::kShortRule;

constexpr int kBarWidth = 25;

const QOR_UC* memory_state(uint32_t version)
{
    switch (version) {
    case ccc::kVersionComplete:
        return u"initialized";
    case ccc::kVersionHalfCooked:
        return u"half-cooked";
    case ccc::kVersionThreeQuarter:
        return u"three-quarter cooked";
    default:
        return u"not good";
    }
}

/* A bar over [start, end) of the cache's length. */
struct Bar
{
    QOR_UC text[kBarWidth];
    Bar(uint32_t start, uint32_t end, uint32_t total)
    {
        auto clip = [](uint32_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v); };
        rscpcs_usage_bar(text, kBarWidth, clip(start), clip(end), clip(total));
    }
};

void header_box(RscpLines& out, const ccc::Block& b, const RscpConverter& c, uint32_t mask)
{
    QOR_UC eye[12];
    b.text(ccc::kEyeCatcher, eye, 12);
    QOR_UC kind[12];
    b.text(ccc::kKindOfMemory, kind, 12);
    out.put(u"-----------------%-*.*s---", 12, 12, eye);
    out.constant(u"| Char code cache");
    out.put(u"| kind of memory             %-*.*s", 12, 12, kind);
    if (c.state == RSCP_INIT_STARTED || c.state == RSCP_INITIALIZED ||
        c.state == RSCP_WRONG_VERSION || c.state == RSCP_REINITIALIZE)
        out.put(u"| state of memory    %15.15s", memory_state(b.u32(ccc::kVersion)));
    out.put(u"| state of process   %15.15s  (since %14.14s)", rscpcs_state_name(c.state),
            c.history[0].stamp);
    if ((mask & RSCPCS_ALL) != 0)
        for (int i = 1; i < RSCP_HISTORY_SIZE; ++i)
            out.put(u"|            after   %15.15s  (since %14.14s)",
                    rscpcs_state_name(c.history[i].state), c.history[i].stamp);
    if (c.state != RSCP_INITIALIZED)
        return;
    const uint64_t address = reinterpret_cast<uintptr_t>(b.base());
    const uint32_t protection = b.u32(ccc::kProtection);
    out.put(u"| address             0x%08lx  %s", static_cast<uint32_t>(address),
            protection == 1   ? u"(read-only)"
            : protection == 0 ? u"(read-write)"
                              : u"(permission undefined)");
    for (uint32_t i = 0; i < ccc::kAttachSlots; ++i) {
        const uint64_t seen = b.u64(ccc::kAttachAddresses + 8 * i);
        if (seen != 0 && seen != address)
            out.put(u"|   also seen at      0x%08lx", static_cast<uint32_t>(seen));
    }
    out.put(u"| noof char codes            %7d", b.u16(ccc::kNoofCodePages));
    out.put(u"| max qor code               %7d", b.u32(ccc::kMaxQorCode));
    out.put(u"| max enhanced uchar         %7d", b.u32(ccc::kMaxUchar));
    out.put(u"| TCP01 mappings             %7d", b.u16(ccc::kTcp01Mappings));
    if (b.u32(ccc::kUnusedTcp00) != 0)
        out.put(u"| Unused TCP00 entries     %9ld", b.u32(ccc::kUnusedTcp00));
    const auto [length, cache07, first_t1, end_t1, first_t2, end_t2, first_t7, end_t7] =
        ccc::Areas::of(b);
    out.put(u"| start of CCCT1  %8ld |---            %*.*s", first_t1, kBarWidth, kBarWidth,
            Bar(0, first_t1, length).text);
    out.put(u"| noof char CCCT1s      |--| %7d", b.u16(ccc::kNoofT1));
    out.put(u"| noof char CCCT3s      |--| %7d       %*.*s", b.u16(ccc::kNoofT3), kBarWidth,
            kBarWidth, Bar(first_t1, end_t1, length).text);
    out.put(u"| end   of CCCT1  %8ld |---", end_t1);
    out.put(u"| free                  ---|%8ld bytes %*.*s", first_t2 - end_t1, kBarWidth,
            kBarWidth, Bar(end_t1, first_t2, length).text);
    out.put(u"| start of CCCT2  %8ld |---", first_t2);
    out.put(u"| noof char CCCT2s      ---| %7d       %*.*s", b.u16(ccc::kNoofT2), kBarWidth,
            kBarWidth, Bar(first_t2, end_t2, length).text);
    out.put(u"| end   of CCCT2  %8ld |---", end_t2);
    out.put(u"| free                  ---|%8ld bytes %*.*s", first_t7 - end_t2, kBarWidth,
            kBarWidth, Bar(end_t2, first_t7, length).text);
    out.put(u"| start of long c.%8ld |---", first_t7);
    out.put(u"| for long chars        ---|%8ld bytes %*.*s", end_t7 - first_t7, kBarWidth,
            kBarWidth, Bar(first_t7, end_t7, length).text);
    out.put(u"| end   of long c.%8ld |---", end_t7);
    out.put(u"| length          %8ld", length);
    if (cache07 != end_t7 - end_t2) {
        out.constant(kShortRule);
        out.put(u"| TCP07 area size %9ld", cache07);
    }
    out.constant(kLongRule);
}

/* The descriptors the report may read: as many as the header counts and
 * the block holds. */
uint32_t descriptor_count(const ccc::Block& b)
{
    const uint32_t counted = b.u16(ccc::kNoofCodePages);
    const uint32_t room = b.descriptor_room();
    return counted < room ? counted : room;
}

bool unused_descriptor(const ccc::Block& b, uint64_t d)
{
    for (uint32_t k = 0; k < 4; ++k) {
        const uint64_t in = d + ccc::desc::kInBlocks + ccc::desc::kBlockSize * k;
        const uint64_t o = d + ccc::desc::kOutBlocks + ccc::desc::kBlockSize * k;
        if (b.u16(in + ccc::desc::kInAnchor) != 0 || b.u16(in + ccc::desc::kInT1) != 0 ||
            b.u32(o + ccc::desc::kOutAnchor) != 0 || b.u16(o + ccc::desc::kOutT3) != 0)
            return false;
    }
    return true;
}

struct BlockValues
{
    int32_t anchor_in;
    uint32_t anchor_out;
    int32_t t1;
    int32_t t2;
    int32_t t3;
    uint32_t chars_in;
    uint32_t chars_out;
};

BlockValues block_values(const ccc::Block& b, uint64_t d, uint32_t k)
{
    const uint64_t in = d + ccc::desc::kInBlocks + ccc::desc::kBlockSize * k;
    const uint64_t o = d + ccc::desc::kOutBlocks + ccc::desc::kBlockSize * k;
    const uint32_t anchor_out = b.u32(o + ccc::desc::kOutAnchor);
    return {b.u16(in + ccc::desc::kInAnchor), anchor_out,
            b.u16(in + ccc::desc::kInT1),     anchor_out != 0 ? 1 : 0,
            b.u16(o + ccc::desc::kOutT3),     b.u32(in + ccc::desc::kInChars),
            b.u32(o + ccc::desc::kOutChars)};
}

void descriptor_lines(RscpLines& out, const ccc::Block& b, uint64_t d)
{
    static const QOR_UC* const kClass[] = {u" ", u"c", u"s", u"S"};
    QOR_UC name[4];
    b.text(d + ccc::desc::kName, name, 4);
    const BlockValues v = block_values(b, d, 0);
    const int32_t count = b.get<int32_t>(d + ccc::desc::kByteCount);
    QOR_UC bytes[9] = {0};
    for (int32_t i = 0; i < count && i < 4; ++i)
        snprintfU16(bytes + 2 * i, 3, u"%02x", b.u8(d + ccc::desc::kByteSequence + i));
    out.put(u"| %-*.*s%-*.*s%4d%8ld %3d %2d %3d %7d%7d  %4d,%-4d %2d%2d%c%c %1d:%s", 4, 4, name, 4,
            4, u" ", v.anchor_in, v.anchor_out, v.t1, v.t2, v.t3, v.chars_in, v.chars_out,
            b.u16(d + ccc::desc::kMajor), b.u16(d + ccc::desc::kMinor), b.u16(d + ccc::desc::kEnc),
            b.u8(d + ccc::desc::kBit), b.u8(d + ccc::desc::kFlagA) != 0 ? u'A' : u' ',
            b.u8(d + ccc::desc::kFlagX) != 0 ? u'X' : u'_', count, bytes);
    for (uint32_t k = 0; k < 4; ++k) {
        const BlockValues w = block_values(b, d, k);
        if (w.anchor_in == 0 && w.anchor_out == 0)
            continue;
        out.put(u"| %-*.*s%-*.*s%4d%8ld %3d %2d %3d %7d%7d      ,             :", 4, 4, name, 4, 4,
                kClass[k], w.anchor_in, w.anchor_out, w.t1, w.t2, w.t3, w.chars_in, w.chars_out);
    }
    /* The chain of extra records ends where a record would leave the block. */
    uint64_t extra = b.u32(d + ccc::desc::kExtraOffset);
    for (uint32_t n = b.u8(d + ccc::desc::kExtraCount); n > 0; --n) {
        if (!b.holds(extra, ccc::desc::kExtraSize))
            break;
        QOR_UC first[4];
        QOR_UC second[4];
        b.text(extra + ccc::desc::kExtraName, first, 4);
        b.text(extra + ccc::desc::kExtraName2, second, 4);
        out.put(u"| %-*.*s%-*.*s%4d         %3d        %7d             ,             :", 4, 4,
                first, 4, 4, second, b.u16(extra + ccc::desc::kExtraAnchor),
                b.u16(extra + ccc::desc::kExtraT1), b.u32(extra + ccc::desc::kExtraChars));
        extra = b.u32(extra + ccc::desc::kExtraNext);
    }
}

void descriptor_table(RscpLines& out, const ccc::Block& b, uint32_t mask)
{
    out.constant(kLongRule);
    out.constant(u"| Char code cache");
    out.put(u"| %-*.*s%-*.*s=control codes and QOR's characters                           ", 4, 4,
            u" ", 4, 4, u"S");
    out.put(u"| %-*.*s%-*.*s=control codes                                     piled      ", 4, 4,
            u" ", 4, 4, u"c");
    out.put(u"| %-*.*s%-*.*s=QOR's characters                             ambiguous|      ", 4, 4,
            u" ", 4, 4, u"s");
    out.put(u"| %-*.*s|     __anchor__              _no.of_chars major/      enc|| len: ", 4, 4,
            u" ");
    out.put(u"| %-*.*s|     in     out T1s T2s T3s     in    out   /minor  bit ||| bytes", 4, 4,
            u"name");
    const uint32_t n = descriptor_count(b);
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t d = ccc::Block::descriptor(i);
        if ((mask & RSCPCS_ALL) == 0 && unused_descriptor(b, d))
            continue;
        descriptor_lines(out, b, d);
    }
    out.constant(kLongRule);
}

void read_statistics(RscpLines& out, const ccc::Block& b, RscpConverter& c, uint32_t mask)
{
    const QOR_UC kDashes[] = u"----------------";
    out.put(u"--%-16.16s|%10.10s|%10.10s|%10.10s|%10.10s|", kDashes, kDashes, kDashes, kDashes,
            kDashes);
    const QOR_UC kHeading[] = u"| %-16.16s %10.10s %10.10s %10.10s %10.10s";
    out.put(kHeading, u"read statistic", u"total", u"in thread", u"total", u"in process");
    out.put(kHeading, u" ", u"for", u"since last", u"for", u"since last");
    out.put(kHeading, u"table name", u"cache", u"shm update", u"process", u"statistic");
    for (int32_t i = 0; i < RSCP_TABLE_SLOTS; ++i) {
        const QOR_UC* name = rscpddic_table_name(i);
        const uint32_t cache = b.u32(ccc::kTableReads + 4 * static_cast<uint32_t>(i));
        const uint32_t thread = c.statistics.table_reads[i];
        const uint32_t total = c.loader_reads[i];
        const uint32_t since = c.loader_reads_since[i];
        if ((mask & RSCPCS_ALL) != 0 || cache != 0 || thread != 0 || total != 0 || since != 0) {
            if (thread == 0 && since != 0)
                out.put(u"| %-16.16s %10ld %10s %10ld %10ld", name, cache, u" ", total, since);
            else if (thread == 0)
                out.put(u"| %-16.16s %10ld %10s %10ld %10s", name, cache, u" ", total, u" ");
            else if (since != 0)
                out.put(u"| %-16.16s %10ld  +%8ld %10ld %10ld", name, cache, thread, total, since);
            else
                out.put(u"| %-16.16s %10ld  +%8ld %10ld %10s", name, cache, thread, total, u" ");
        }
        c.loader_reads_since[i] = 0;
    }
    out.put(u"--%-16.16s|%10.10s|%10.10s|%10.10s|%10.10s|", kDashes, kDashes, kDashes, kDashes,
            kDashes);
}

const QOR_UC* source_word(uint16_t source)
{
    switch (source) {
    case u'0':
        return u"old db tables TCP02/03/07";
    case u'2':
        return u"F5-memory";
    case u'3':
        return u"both tables in db";
    case u'4':
        return u"TCPSEG db table";
    default:
        return u"  elsewhere";
    }
}

void segment_table(RscpLines& out, const ccc::Block& b, uint32_t mask)
{
    out.constant(kLongRule);
    out.constant(u"| Char code cache");
    out.put(u"| %-*.*s | %*.*s|   system c.p.", 4, 4, u" ", 18, 18, u"about segments");
    out.put(u"| %-*.*s |%-6.6s|%-6.6s|%-*.*s|      ----.", 4, 4, u" ", u"source_of_TCP00",
            u"source_of_code_page", 5, 5, u" ");
    out.put(u"| %-*.*s |%-6.6s|%-6.6s|%-*.*s|ISO-2022  |max char length", 4, 4, u"name", u"TCP00",
            u"code_page", 5, 5, u"segid");
    const uint32_t n = descriptor_count(b);
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t d = ccc::Block::descriptor(i);
        if ((mask & RSCPCS_ALL) == 0 && unused_descriptor(b, d))
            continue;
        QOR_UC name[4];
        QOR_UC segment[5];
        b.text(d + ccc::desc::kName, name, 4);
        b.text(d + ccc::desc::kSegmentId, segment, 5);
        const uint32_t flags = b.u32(d + ccc::desc::kFlags);
        QOR_UC iso[21] = {0};
        for (int bit = 0; bit < 10; ++bit)
            iso[bit] = (flags & (1u << bit)) != 0 ? static_cast<QOR_UC>(u'0' + bit) : u'.';
        uint32_t in[4];
        uint32_t outs[4];
        bool any_in = false;
        bool any_out = false;
        for (uint32_t k = 0; k < 4; ++k) {
            in[k] =
                b.u32(d + ccc::desc::kInBlocks + ccc::desc::kBlockSize * k + ccc::desc::kInMaxLen);
            outs[k] = b.u32(d + ccc::desc::kOutBlocks + ccc::desc::kBlockSize * k +
                            ccc::desc::kOutMaxLen);
            any_in = any_in || in[k] != 0;
            any_out = any_out || outs[k] != 0;
        }
        QOR_UC lengths[31];
        const uint32_t* shown = any_in ? in : outs;
        if (any_in || any_out)
            snprintfU16(lengths, 31, u"__=%.3d, C_=%.3d, _S=%.3d, CS=%.3d", shown[0], shown[1],
                        shown[2], shown[3]);
        else
            snprintfU16(lengths, 31, u"no information");
        out.put(u"| %-*.*s |%-6.6s|%-6.6s|%-*.*s|%s|%s|%c%c%c", 4, 4, name,
                source_word(b.u16(d + ccc::desc::kSourceTcp00)),
                source_word(b.u16(d + ccc::desc::kSourceCodePage)), 5, 5, segment, iso, lengths,
                (flags & ccc::desc::kFlagSegment) != 0 ? u'S' : u' ',
                (flags & ccc::desc::kFlagI) != 0 ? u'I' : u' ',
                (flags & ccc::desc::kFlag7Bit) != 0 ? u'7' : u' ');
    }
    out.constant(kLongRule);
}

} // namespace

const QOR_UC* rscpcs_state_name(int32_t state)
{
    switch (state) {
    case RSCP_FRESH:
        return u"fresh";
    case RSCP_INIT_STARTED:
        return u"init_started";
    case RSCP_INITIALIZED:
        return u"initialized";
    case RSCP_WRONG_VERSION:
        return u"wrong_version";
    case RSCP_REINITIALIZE:
        return u"reinitialize";
    default:
        return u"not good";
    }
}

void rscpcs_usage_bar(QOR_UC* out, int32_t width, int32_t start, int32_t end, int32_t total)
{
    if (width < 1 || width > 10000) {
        out[0] = u'?';
        return;
    }
    if (total < 1 || start < 0 || end < start || end > total) {
        for (int32_t i = 0; i < width; ++i)
            out[i] = u'?';
        return;
    }
    const int32_t s = static_cast<int32_t>(start * 1.0 * 2 * width / total);
    const int32_t e = static_cast<int32_t>(end * 1.0 * 2 * width / total);
    int32_t lead = s / 2;
    int32_t open = s % 2;
    int32_t fill = e / 2 - (s + 1) / 2;
    int32_t close = e % 2;
    int32_t trail = width - (e + 1) / 2;
    if (open + fill + close == 0) {
        if (trail > 0) {
            --trail;
            close = 1;
        } else {
            --lead;
            open = 1;
        }
    }
    if (fill < 0 && close > 0)
        fill = close = 0;
    int32_t i = 0;
    auto put = [&](int32_t n, QOR_UC c) {
        for (; n > 0 && i < width; --n)
            out[i++] = c;
    };
    put(lead, u'_');
    put(open, u'/');
    put(fill, u'X');
    put(close, u'\\');
    put(trail, u'_');
    put(width - i, u'_');
}

void rscpcs_lang_flags(QOR_UC* out, int32_t size, uint8_t flags)
{
    static const QOR_UC* const kWords[] = {u"LOGI", u"LOAD", u"ALOW", u"POSS", u"ULCP", u"UNOP"};
    const QOR_UC* w[6];
    for (int i = 0; i < 6; ++i)
        w[i] = (flags & (1u << i)) != 0 ? kWords[i] : u"    ";
    snprintfU16(out, static_cast<size_t>(size), u"%s %s %s %s %s %s", w[0], w[1], w[2], w[3], w[4],
                w[5]);
}

uint32_t rscpcs_cache_status(uint32_t options, RscpWriter writer, int32_t)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpcs_cache_status", -1, 0, 0, nullptr);
    RscpLines out(writer);
    RscpConverter& c = rscp_converter();
    const ccc::Block b = ccc::current();
    if (b.base() == nullptr) {
        out.put(u"-----------------%-8s---", u"RSCPCCCC");
        out.constant(u"| Char code cache");
        out.constant(u"| ");
        out.constant(u"| <not allocated>");
        out.constant(kLongRule);
    } else {
        uint32_t m = options;
        if ((m & RSCPCS_DETAILS) != 0)
            m |= RSCPCS_HEADER_DETAILS | RSCPCS_LANGUAGE_MAPPING | RSCPCS_RFC | RSCPCS_USAGE;
        const bool ready = c.state == RSCP_INITIALIZED;
        auto separator = [&out](bool wanted) {
            if (wanted)
                out.constant(u":");
        };
        if ((m & RSCPCS_HEADER) != 0)
            header_box(out, b, c, m);
        separator((m & 0x003) == 0x003);
        if ((m & RSCPCS_DESCRIPTORS) != 0 && ready)
            descriptor_table(out, b, m);
        separator((m & 0x007) > 0x004);
        if ((m & RSCPCS_READ_STATISTICS) != 0 && ready)
            read_statistics(out, b, c, m);
        separator((m & 0x047) > 0x040);
        if ((m & RSCPCS_HEADER_DETAILS) != 0 && ready)
            status::reorganisation_data(out, b);
        if ((m & RSCPCS_USAGE) != 0 && ready)
            status::usage_counters(out, b);
        if ((m & RSCPCS_HEADER_DETAILS) != 0 && ready)
            status::counters_and_settings(out, b);
        separator((m & 0x0C7) > 0x080);
        if ((m & RSCPCS_LANGUAGE_MAPPING) != 0 && ready)
            status::language_mapping(out, b);
        separator((m & 0x1C7) > 0x100);
        if ((m & RSCPCS_RFC) != 0 && ready)
            status::rfc_lists(out, b);
        separator((m & 0x1C7) != 0x040);
        if ((m & RSCPCS_HEADER_DETAILS) != 0 && ready)
            status::count_lists(out, b);
        separator((m & 0x3DF) > 0x010);
        if ((m & RSCPCS_SEGMENTS) != 0 && ready)
            segment_table(out, b, m);
    }
    if (traced)
        rscph.rscph_TraceLeave(0, 0, 0, nullptr);
    return 0;
}
