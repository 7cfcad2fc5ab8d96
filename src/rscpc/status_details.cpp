// The cache status report: reorganisation data, counters, settings,
// language and RFC lists and the count lists.
#include <cstring>

#include "i18n/nlsui.h"
#include "rscpc/modules.h"
#include "rscpc/state.h"
#include "rscpc/status.h"
#include "rscpc/status_sections.h"

namespace {

using status::kLongRule;
using status::kShortRule;
using status::yes_no;

enum ListState : uint32_t { kNotPossible = 1, kValid = 2 };

const QOR_UC* switch_word(uint32_t value)
{
    return value == 0 ? u"disable" : value == 1 ? u"enable" : u" ? ?";
}

const QOR_UC* gui_word(uint32_t value)
{
    static const QOR_UC* const kWords[] = {u"yes", u"user_choice", u"never", u"enforce",
                                           u"automatic"};
    return value < 5 ? kWords[value] : u" ? ?";
}

/* The label of a counter that may be unused. */
void counter_line(RscpLines& out, const QOR_UC* label, uint32_t value)
{
    QOR_UC format[64];
    snprintfU16(format, 64, value != 0 ? u"%s%%9ld" : u"%s%%9ld   or unused", label);
    out.put(format, value);
}

/* A text of the cache given by its offset: null when it does not lie in
 * the block or is not aligned for 16-bit units. */
const QOR_UC* cache_text(const ccc::Block& b, uint32_t offset, uint32_t units, QOR_UC* copy,
                         int line)
{
    if (offset % 2 != 0 || !b.holds(offset, 2ull * units))
        return nullptr;
    nlsui_cast_raw2uc(b.base() + offset, rscpc::kRscpmiPath, line);
    std::memcpy(copy, b.base() + offset, 2ull * units);
    return copy;
}

/* line: the source line that the cast check of the list's text names. */
void language_list(RscpLines& out, const ccc::Block& b, uint32_t state_offset, const QOR_UC* name,
                   int line)
{
    const uint32_t state = b.u32(state_offset);
    const uint32_t offset = b.u32(state_offset + 4);
    const uint32_t length = b.u16(state_offset + 8);
    if (state == kNotPossible) {
        out.put(u"|    %-18s<not possible>", name);
        return;
    }
    if (state != kValid) {
        out.put(u"|    %-18s<not initialized>", name);
        return;
    }
    if (offset == 0 || length == 0) {
        out.put(u"|    %-18s<empty>", name);
        return;
    }
    static QOR_UC copy[UINT16_MAX];
    const QOR_UC* text = cache_text(b, offset, length, copy, line);
    if (text == nullptr) {
        out.put(u"|    %-18s<out_of_bounds>", name);
        return;
    }
    if (length < 24) {
        out.put(u"|    %-18s\"%-*.*s\"", name, length, length, text);
        return;
    }
    out.put(u"|    %-8s", name);
    uint32_t rest = length;
    for (; rest > 32; rest -= 32, text += 32)
        out.put(u"|       \"%-*.*s\"", 32, 32, text);
    out.put(u"|       \"%-*.*s\"", rest, rest, text);
}

void dbmcpl_block(RscpLines& out, const ccc::Block& b, uint32_t at, QOR_UC which)
{
    const bool cached = b.u8(at) != 0;
    out.put(u"| DBMCPL_%c_cached %9s", which, yes_no(cached));
    if (!cached)
        return;
    const uint32_t pages = b.u32(at + 4);
    const uint32_t cps_offset = b.u32(at + 8);
    QOR_UC default_cp[4];
    b.text(at + 12, default_cp, 4);
    const uint32_t langs = b.u32(at + 20);
    const uint32_t map_offset = b.u32(at + 24);
    out.put(u"|   %c_defCP       %-*.*s", which, 4, 4, default_cp);
    out.put(u"|   %c_no_of_pages %d", which, pages);
    out.put(u"|   %c_cps_offset  %12ld", which, cps_offset);
    out.put(u"|   %c_no_of_langs %d", which, langs);
    out.put(u"|   %c_LangCPMap_o %12ld", which, map_offset);
    out.constant(u"|   Code pages:");
    for (uint32_t i = 0; i < pages && b.holds(cps_offset + 8ull * i, 8); ++i) {
        QOR_UC page[4];
        b.text(cps_offset + 8ull * i, page, 4);
        out.put(u"|   %2d : %-*.*s", i, 4, 4, page);
    }
    out.constant(u"|   Language mappings:");
    for (uint32_t i = 0; i < langs && b.holds(map_offset + 8ull * i, 8); ++i) {
        const uint64_t entry = map_offset + 8ull * i;
        const QOR_UC language = b.u16(entry);
        const int32_t j = b.get<int32_t>(entry + 4);
        QOR_UC flags[80];
        rscpcs_lang_flags(flags, 80, b.u8(entry + 2));
        if (j >= 0 && static_cast<uint32_t>(j) < pages) {
            QOR_UC page[4];
            b.text(cps_offset + 8ull * static_cast<uint32_t>(j), page, 4);
            out.put(u"|   %2d : %c -> %3d  (\"%-*.*s\")    %s", i, language, j, 4, 4, page, flags);
        } else if (j == -1) {
            out.put(u"|   %2d : %c -> %3d  (not set)   %s", i, language, j, flags);
        } else if (j == -2) {
            out.put(u"|   %2d : %c -> %3d  (ambiguous) %s", i, language, j, flags);
        } else {
            out.put(u"|   %2d : %c -> %3d  (strange)   %s", i, language, j, flags);
        }
    }
}

/* Code page names of a list, at most its capacity. */
void code_page_names(RscpLines& out, const ccc::Block& b, uint32_t at, uint32_t count,
                     uint32_t capacity)
{
    for (uint32_t i = 0; i < count && i < capacity; ++i) {
        QOR_UC name[4];
        b.text(at + 8 * i, name, 4);
        out.put(u"|    %3d:          %-*.*s", i, 4, 4, name);
    }
}

/* A line that grows item by item, at most 99 characters. */
class GrowingLine
{
  public:
    void add(const QOR_UC* format, ...)
    {
        va_list args;
        va_start(args, format);
        vsnprintfCutU16(text_ + used_, RscpLines::kWidth - used_, format, args);
        va_end(args);
        used_ = strnlenU16(text_, RscpLines::kWidth);
    }
    const QOR_UC* text() const { return text_; }

  private:
    QOR_UC text_[RscpLines::kWidth] = {0};
    size_t used_ = 0;
};

void iso2022_entries(RscpLines& out, const ccc::Block& b)
{
    const uint32_t n = b.u16(ccc::kIso2022Count);
    out.put(u"| noof_iso2022_p. %d", n);
    for (uint32_t i = 0; i < n && i < ccc::kIso2022Slots; ++i) {
        const uint32_t at = ccc::kIso2022 + 24 * i;
        const uint32_t lengths[2] = {b.u16(at), b.u16(at + 2)};
        for (uint32_t part = 0; part < 2; ++part) {
            GrowingLine line;
            if (part == 0)
                line.add(u"|    %3d: STRT     (%d)", i, lengths[0]);
            else
                line.add(u"|       : BACK     (%d)", lengths[1]);
            for (uint32_t k = 0; k < lengths[part] && k < 10; ++k)
                line.add(u" %02x", b.u8(at + 4 + 10 * part + k));
            out.constant(line.text());
        }
    }
}

void loaded_tables(RscpLines& out, const ccc::Block& b)
{
    const uint32_t n = b.u32(ccc::kLoadedF1Count);
    out.put(u"| loaded_f1_count %d", n);
    for (uint32_t i = 0; i < n && i < ccc::kLoadedF1Slots; ++i) {
        const uint32_t at = ccc::kLoadedF1 + 16 * i;
        const uint64_t hash = b.u64(at);
        QOR_UC hash_text[32];
        snprintfU16(hash_text, 32, u"%I64d", static_cast<int64_t>(hash));
        out.put(u"|    %3d: hash      %s (0x%08lx%08lx)", i, hash_text,
                static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(hash));
        out.put(u"|         offset    %lu (0x%08lx)", b.u32(at + 8), b.u32(at + 8));
    }
}

void rules(RscpLines& out, const ccc::Block& b)
{
    const uint32_t n = b.u32(ccc::kRuleCount);
    out.put(u"| ruleInfo_count  %d", n);
    for (uint32_t i = 0; i < n && i < ccc::kRuleSlots; ++i) {
        const uint32_t at = ccc::kRules + ccc::kRuleSize * i;
        QOR_UC name[2];
        QOR_UC first[20];
        QOR_UC second[20];
        b.text(at, name, 2);
        b.text(at + 4, first, 20);
        b.text(at + 44, second, 20);
        /* The argument lengths never reach past their 20-character fields. */
        const int32_t l1 = b.u8(at + 84) < 20 ? b.u8(at + 84) : 20;
        const int32_t l2 = b.u8(at + 85) < 20 ? b.u8(at + 85) : 20;
        out.put(u"|    %3d: rule     %*.*s(%*.*s,%*.*s)", i, 2, 2, name, l1, l1, first, l2, l2,
                second);
        out.put(u"|       : Unicode  %06lX..%06lX", b.u32(at + 88), b.u32(at + 92));
        const int32_t sequence = b.get<int32_t>(at + 96);
        out.put(u"|       : seqLg    %ld", sequence);
        out.put(u"|       : uidFirst %06lX (%ld)", b.u32(at + 100), b.u32(at + 100));
        const int32_t entries = sequence < 0 ? 0 : sequence < 4 ? sequence : 4;
        struct Item
        {
            const QOR_UC* label;
            const QOR_UC* format;
            uint32_t offset;
            bool word;
        };
        static const Item kItems[] = {
            {u"|       : byteOf1  ", u" %02X", 0, false},
            {u"|       : minV     ", u" %02X", 1, false},
            {u"|       : maxV     ", u" %02X", 2, false},
            {u"|       : byteWidth", u" %7d", 4, true},
            {u"|       : weight   ", u" %7d", 8, true},
        };
        for (const Item& item : kItems) {
            GrowingLine line;
            line.add(u"%s", item.label);
            for (int32_t k = 0; k < entries; ++k) {
                const uint32_t e = at + 104 + 12 * static_cast<uint32_t>(k) + item.offset;
                line.add(item.format, item.word ? b.u32(e) : b.u8(e));
            }
            out.constant(line.text());
        }
    }
}

} // namespace

namespace status {

void reorganisation_data(RscpLines& out, const ccc::Block& b)
{
    QOR_UC created[16];
    QOR_UC reorganised[16];
    QOR_UC reason[36];
    b.text(ccc::kCreateDate, created, 16);
    b.text(ccc::kLastReorgDate, reorganised, 16);
    b.text(ccc::kReorgReason, reason, 36);
    out.constant(kLongRule);
    out.put(u"| layout version  %9ld", b.u32(ccc::kVersion));
    out.put(u"| creation date    %-*.*s", 16, 16, created);
    out.put(u"| last reorg date  %-*.*s", 16, 16, reorganised);
    out.put(u"| reorg_version   %9ld", b.u32(ccc::kReorgVersion));
    out.put(u"| noof_reorgs     %9ld", b.u32(ccc::kNoofReorgs));
    out.put(u"| reorg_done      %9s", yes_no(b.u8(ccc::kReorgDone) != 0));
    out.put(u"| reorg_reason    %-*.*s", 36, 36, reason);
    out.put(u"| created by      %9ld (parent PId %ld)", b.u32(ccc::kCreatedBy),
            b.u32(ccc::kCreatedBy + 4));
    if (b.u32(ccc::kInvalidatedBy) != 0 || b.u32(ccc::kInvalidatedBy + 4) != 0)
        out.put(u"| invalidated by  %9ld (parent PId %ld)", b.u32(ccc::kInvalidatedBy),
                b.u32(ccc::kInvalidatedBy + 4));
    if (b.u32(ccc::kReorganisedBy) != 0 || b.u32(ccc::kReorganisedBy + 4) != 0)
        out.put(u"| reorganized by  %9ld (parent PId %ld)", b.u32(ccc::kReorganisedBy),
                b.u32(ccc::kReorganisedBy + 4));
    out.put(u"| dd_reorg_version%9ld", b.u32(ccc::kDdReorgVersion));
    out.put(u"| noof_dd_reorgs  %9ld", b.u32(ccc::kNoofDdReorgs));
    out.put(u"| dd_reorg_done   %9s", yes_no(b.u8(ccc::kDdReorgDone) != 0));
    out.put(u"| overflow        %9ld", b.u32(ccc::kOverflow));
    out.put(u"| attaches        %9ld", b.u32(ccc::kAttaches));
}

void usage_counters(RscpLines& out, const ccc::Block& b)
{
    const RscpProcessStatistics& s = rscp_converter().statistics;
    out.put(u"| lookups         %9ld +%20ld", b.u32(ccc::kLookups), s.lookups);
    out.put(u"| create object   %9ld +%20ld", b.u32(ccc::kCreateObjects), s.create_objects);
    static const struct
    {
        const QOR_UC* label;
        uint32_t index;
    } kClones[] = {{u"clone CActivate", 0},
                   {u"clone toLegacy", 1},
                   {u"clone legacyTo", 2},
                   {u"clone for RFC", 17}};
    for (const auto& clone : kClones)
        out.put(u"| %-16.16s%9ld +%20ld", clone.label, b.u32(ccc::kClones + 4 * clone.index),
                s.clones[clone.index]);
}

void counters_and_settings(RscpLines& out, const ccc::Block& b)
{
    const RscpProcessStatistics& s = rscp_converter().statistics;
    QOR_UC cache_in[24];
    QOR_UC process_in[24];
    QOR_UC cache_out[24];
    QOR_UC process_out[24];
    snprintfU16(cache_in, 24, u"%I64u", b.u64(ccc::kBytesIn));
    snprintfU16(process_in, 24, u"%I64u", s.bytes_in);
    snprintfU16(cache_out, 24, u"%I64u", b.u64(ccc::kBytesOut));
    snprintfU16(process_out, 24, u"%I64u", s.bytes_out);
    out.put(u"| conv.bytes (in) %20s +%20s", cache_in, process_in);
    out.put(u"| conv.bytes(out) %20s +%20s", cache_out, process_out);
    counter_line(out, u"| fill.space(out) ", b.u32(ccc::kFillSpacesOut));
    counter_line(out, u"| fill.bytes(out) ", b.u32(ccc::kFillBytesOut));
    counter_line(out, u"| trunc.bytes(in) ", b.u32(ccc::kTruncBytesIn));
    out.constant(kShortRule);
    out.put(u"| mbc_in_sbcs     %9s", yes_no(b.u8(ccc::kMbcInSbcs) != 0));
    out.put(u"| mbc_copy        %9d", b.u32(ccc::kMbcCopy));
    out.put(u"| utf8gui_allow %11s", gui_word(b.u32(ccc::kUtf8GuiAllow)));
    out.put(u"| rtlinltr_allow %10s", switch_word(b.u32(ccc::kRtlInLtrAllow)));
    out.put(u"| bidi_ctrl_filter %8s", switch_word(b.u32(ccc::kBidiCtrlFilter)));
    out.put(u"| indic_digits %12s", switch_word(b.u32(ccc::kIndicDigits)));
    out.put(u"| normalize_input %9s", switch_word(b.u32(ccc::kNormalizeInput)));
    out.put(u"| cfont_cache_version%6d", b.u32(ccc::kCfontCacheVersion));
    out.put(u"| ICUObjID        %9I64u", b.u64(ccc::kIcuObjectId));
    QOR_UC legacy[4];
    b.text(ccc::kLegacyCodePage, legacy, 4);
    out.put(u"| Legacy code page     %-*.*s", 4, 4, legacy);
    QOR_UC country[4];
    b.text(ccc::kDefCountry, country, 4);
    out.constant(kShortRule);
    out.put(u"| def_country          \"%-*.*s\"", 3, 3, country);
    out.constant(kShortRule);
    out.put(u"| def_language         \"%-*.*s\"", 1, 1, country + 3);
    out.constant(kShortRule);
    out.constant(u"| processed_languages");
    language_list(out, b, ccc::kSysLangState, u"system", 1056);
    language_list(out, b, ccc::kInstLangState, u"instance", 1098);
    out.constant(kLongRule);
}

void language_mapping(RscpLines& out, const ccc::Block& b)
{
    out.constant(u"| language to MB code page mapping");
    const uint32_t state = b.u32(ccc::kLangMbMapState);
    if (state == kNotPossible) {
        out.constant(u"|    lang -> MB c.p.   <not possible>");
    } else if (state == kValid) {
        static const QOR_UC* const kStatus[] = {u"unknown", u"known", u"working"};
        const uint32_t pages = b.u16(ccc::kMbCpCount);
        for (uint32_t i = 0; i < 96; ++i) {
            const uint32_t index = b.u8(ccc::kLangMbMap + 2 * i);
            if (index == 0)
                continue;
            const QOR_UC language = static_cast<QOR_UC>(32 + i);
            const uint32_t status = b.u8(ccc::kLangMbMap + 2 * i + 1);
            if (index - 1 < pages && index - 1 < ccc::kMbCodePageSlots) {
                QOR_UC name[4];
                b.text(ccc::kMbCodePages + 8 * (index - 1), name, 4);
                out.put(u"|    %c      ->       %-*.*s %-8.8s   %s", language, 4, 4, name,
                        kStatus[status == 1 || status == 2 ? status : 0], u"<locale_not_used>");
            } else {
                out.put(u"|    %c ->%2d ->%2d ->  <out_of_bounds>  %s", language, index, index - 1,
                        u"<locale_not_used>");
            }
        }
    } else {
        out.constant(u"|    lang -> MB c.p.   <not initialized>");
    }
    out.constant(kLongRule);
    dbmcpl_block(out, b, ccc::kDbmcplN, u'n');
    dbmcpl_block(out, b, ccc::kDbmcplM, u'm');
    out.constant(kLongRule);
}

void rfc_lists(RscpLines& out, const ccc::Block& b)
{
    out.constant(u"| RFC condensed list [CodePage-Languages]");
    const uint32_t state = b.u32(ccc::kInstLangState);
    const uint32_t offset = b.u32(ccc::kRfcCondensedOffset);
    const uint32_t length = b.u16(ccc::kRfcCondensedLength);
    if (state == kNotPossible) {
        out.constant(u"|    <not possible>");
    } else if (state == kValid && length == 0) {
        out.put(u"|    <not available> length=%d", 0);
    } else if (state == kValid) {
        out.put(u"|    length [Byte]     %d", length);
        if (!b.holds(offset, length)) {
            out.constant(u"|    <out_of_bounds>");
        } else {
            QOR_UC hex[40];
            QOR_UC chars[17];
            strcpyU16(hex, u"dump:");
            chars[0] = 0;
            size_t h = 5;
            size_t c = 0;
            for (uint32_t i = 0; i < length; ++i) {
                if (i % 16 == 0) {
                    out.put(u"|    %-*s |%-*s|", 32, hex, 16, chars);
                    h = c = 0;
                    hex[0] = chars[0] = 0;
                }
                const uint8_t byte = b.u8(offset + i);
                snprintfU16(hex + h, 3, u"%02x", byte);
                h += 2;
                chars[c++] = isprintU(byte) ? byte : u'.';
                chars[c] = 0;
            }
            out.put(u"|    %-*s |%-*s|", 32, hex, 16, chars);
        }
    } else {
        out.constant(u"|    <not initialized>");
    }
    out.constant(kShortRule);
    out.constant(u"| RFC legacy caller Language-Code Page list");
    const uint32_t callers = b.u16(ccc::kRfcCallerLength);
    out.put(u"|    length          %d", callers);
    if (callers != 0) {
        out.constant(u"|    dump (separator 0 mapped to ~):");
        static QOR_UC copy[UINT16_MAX];
        if (cache_text(b, b.u32(ccc::kRfcCallerOffset), callers, copy, 1404) == nullptr) {
            out.constant(u"|    <out_of_bounds>");
        } else {
            for (uint32_t i = 0; i < callers; ++i)
                if (copy[i] == 0)
                    copy[i] = u'~';
            for (uint32_t i = 0; i < callers; i += 64) {
                const uint32_t n = callers - i < 64 ? callers - i : 64;
                out.put(u"|    %.*s", n, copy + i);
            }
        }
    }
    out.constant(kShortRule);
    out.put(u"| RFC Trace Switches: MDMP CodePages=%d. Conversions=%d.", b.u32(ccc::kRfcTraceMdmp),
            b.u32(ccc::kRfcTraceConv));
    out.constant(kLongRule);
}

void count_lists(RscpLines& out, const ccc::Block& b)
{
    out.put(u"| TCPDB_count     %9ld", static_cast<uint32_t>(b.u16(ccc::kTcpdbCount)));
    const uint32_t db = b.u16(ccc::kDbCpCount);
    out.put(u"| db_cp_count     %9ld", db);
    code_page_names(out, b, ccc::kDbCodePages, db, ccc::kDbCodePageSlots);
    out.constant(kShortRule);
    const uint32_t mb = b.u16(ccc::kMbCpCount);
    out.put(u"| mb_cp_count     %9ld", mb);
    code_page_names(out, b, ccc::kMbCodePages, mb, ccc::kMbCodePageSlots);
    iso2022_entries(out, b);
    out.constant(kShortRule);
    loaded_tables(out, b);
    out.constant(kShortRule);
    rules(out, b);
    out.constant(kLongRule);
}

} // namespace status
