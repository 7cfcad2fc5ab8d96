// The cache quality check, the database code-page query and the
// reorganisation entry.
#include "rscpc/quality.h"

#include <cstdarg>

#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/modules.h"
#include "rscpc/options.h"
#include "rscpc/state.h"
#include "rscpc/zero_count.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmiIdent;

uint32_t g_remembered_version = 0xFFFFFFFFu;

class Findings
{
  public:
    Findings(RscpLineOut errors, void* context1, RscpLineOut warnings, void* context2)
        : errors_(errors), warnings_(warnings), context1_(context1), context2_(context2)
    {
    }

    void error(const QOR_UC* format, ...)
    {
        va_list args;
        va_start(args, format);
        write(errors_, context1_, format, args);
        va_end(args);
        ++error_count;
    }
    void warning(const QOR_UC* format, ...)
    {
        va_list args;
        va_start(args, format);
        write(warnings_, context1_, format, args);
        va_end(args);
        ++warning_count;
    }
    /* The notices of a pending reorganisation: warnings to the second context. */
    void notice(const QOR_UC* text)
    {
        warnings_(text, static_cast<int32_t>(strlenU16(text)), context2_);
        ++warning_count;
    }

    int32_t error_count = 0;
    int32_t warning_count = 0;

  private:
    static void write(RscpLineOut out, void* context, const QOR_UC* format, va_list args)
    {
        QOR_UC line[100];
        vsnprintfU16(line, 100, format, args);
        out(line, static_cast<int32_t>(strnlenU16(line, 100)), context);
    }

    RscpLineOut errors_;
    RscpLineOut warnings_;
    void* context1_;
    void* context2_;
};

void check_version_and_reorganisation(Findings& f, const ccc::Block& b)
{
    const uint32_t version = b.u32(ccc::kVersion);
    if (version == ccc::kVersionHalfCooked)
        f.warning(u"CCC version is in half cooked state: %ld", version);
    else if (version == ccc::kVersionThreeQuarter)
        f.warning(u"CCC version is in three-quarter cooked state: %ld", version);
    else if (version != ccc::kVersionComplete)
        f.error(u"CCC version is bad: %ld = 0x%lX", version, version);
    QOR_UC stamp[16];
    b.text(ccc::kCreateDate, stamp, 16);
    if (!rscpqc_check_timestamp(stamp))
        f.error(u"CCC createdate damaged: %*.*s", 16, 16, stamp);
    b.text(ccc::kLastReorgDate, stamp, 16);
    if (!rscpqc_check_timestamp(stamp))
        f.error(u"CCC lastreorgdate damaged: %*.*s", 16, 16, stamp);
    if (b.u32(ccc::kReorgVersion) == 0)
        f.warning(u"CCC reorg_version too small: %ld", b.u32(ccc::kReorgVersion));
    if (b.u8(ccc::kReorgDone) == 0)
        f.notice(u"CCC reorg_done: FALSE: Still waiting for re-org.");
    QOR_UC reason[36];
    b.text(ccc::kReorgReason, reason, 36);
    if (reason[0] >= 1 && reason[0] <= 31)
        f.error(u"CCC reorg_reason damaged: \"%-*.*s\" (0x%02X%02X%02X%02X...)", 36, 36, reason,
                b.u8(ccc::kReorgReason), b.u8(ccc::kReorgReason + 1), b.u8(ccc::kReorgReason + 2),
                b.u8(ccc::kReorgReason + 3));
    else if (reason[0] == u' ')
        f.warning(u"CCC reorg_reason empty? \"%-*.*s\"", 36, 36, reason);
    if (b.u32(ccc::kOverflow) != 0)
        f.notice(u"CCC overflow not 'no': Still waiting for re-org.");
}

/* The zero bytes of a free area; when the area's ends are unusable, or the
 * area does not lie in the block the process holds, it is not read. */
void check_free_area(Findings& f, const ccc::Block& b, int area, uint32_t start, uint32_t end,
                     bool usable)
{
    if (!usable)
        return;
    const int64_t bytes = static_cast<int64_t>(end) - static_cast<int64_t>(start);
    uint64_t zeros = 0;
    if (bytes > 0) {
        if (!b.holds(start, static_cast<uint64_t>(bytes)))
            return;
        zeros = rscp_count_zero_bytes(b.base() + start, static_cast<size_t>(bytes),
                                      rscp_converter().block_from_heap);
    }
    if (bytes > 0 && zeros == static_cast<uint64_t>(bytes))
        return;
    if (bytes == 0)
        return;
    f.error(u"CCC: free area %d only %ld nulls in %ld bytes", area, static_cast<uint32_t>(zeros),
            static_cast<int32_t>(bytes));
}

void check_areas(Findings& f, const ccc::Block& b)
{
    const auto [length, cache07, first_t1, end_t1, first_t2, end_t2, first_t7, end_t7] =
        ccc::Areas::of(b);
    bool t1_end = true;
    bool t2_start = true;
    bool t2_end = true;
    bool t7_start = true;
    if (length < ccc::kMinSize)
        f.error(u"CCC length too small: %ld", length);
    if (length < 400000)
        f.warning(u"CCC length small: %ld", length);
    if (length > 16777216)
        f.error(u"CCC length too large: %ld", length);
    if (cache07 > length / 2)
        f.warning(u"CCC cache07 too large: %ld", cache07);
    if (first_t1 > length)
        f.error(u"CCC: first_t1 > length: %9ld (0x%lX)", first_t1, first_t1);
    if (first_t1 % ccc::kT1Size != 0)
        f.error(u"CCC: first_t1 not alligned for T1: %9ld (0x%lX)", first_t1, first_t1);
    if (first_t1 > end_t1)
        f.error(u"CCC: first_t1 > end_t1: %9ld (0x%lX) <=! %9ld (0x%lX)", first_t1, first_t1,
                end_t1, end_t1);
    if (end_t1 > length) {
        f.error(u"CCC: end_t1 > length: %9ld (0x%lX)", end_t1, end_t1);
        t1_end = false;
    }
    if (end_t1 % ccc::kT1Size != 0) {
        f.error(u"CCC: end_t1 not alligned for T1: %9ld (0x%lX)", end_t1, end_t1);
        t1_end = false;
    }
    if (first_t2 > length) {
        f.error(u"CCC: first_t2 > length: %9ld (0x%lX)", first_t2, first_t2);
        t2_start = false;
    }
    if (first_t2 > end_t2) {
        f.error(u"CCC: first_t2 > end_t2: %9ld (0x%lX) <=! %9ld (0x%lX)", first_t2, first_t2,
                end_t2, end_t2);
        t2_start = t2_end = false;
    }
    if (end_t2 > length) {
        f.error(u"CCC: end_t2 > length: %9ld (0x%lX)", end_t2, end_t2);
        t2_end = false;
    }
    if (first_t7 > length) {
        f.error(u"CCC: first_t7 > length: %9ld (0x%lX)", first_t7, first_t7);
        t7_start = false;
    }
    if (end_t2 > first_t7) {
        f.error(u"CCC: end_t2 > first_t7: %9ld (0x%lX) <=! %9ld (0x%lX)", end_t2, end_t2, first_t7,
                first_t7);
        t2_end = false;
    }
    if (first_t7 > end_t7) {
        f.error(u"CCC: first_t7 > end_t7: %9ld (0x%lX) <=! %9ld (0x%lX)", first_t7, first_t7,
                end_t7, end_t7);
        t7_start = false;
    }
    if (end_t7 > length)
        f.error(u"CCC: end_t7 > length: %9ld (0x%lX)", end_t7, end_t7);
    const uint32_t low_slot = 2 * (first_t1 / ccc::kT1Size);
    const int64_t high_slot = 2 * static_cast<int64_t>(end_t1 / ccc::kT1Size) - 1;
    auto in_t1 = [&](uint32_t slot) { return slot >= low_slot && slot <= high_slot; };
    const uint32_t frag = b.u32(ccc::kFragT3);
    const uint32_t free = b.u32(ccc::kFreeT3);
    if (frag != 0 && !in_t1(frag))
        f.warning(u"CCC: frag_t3 not in T1 area: %9ld <=! %9ld <=! %9ld", low_slot, frag,
                  static_cast<int32_t>(high_slot));
    if (free != 0 && !in_t1(free))
        f.warning(u"CCC: free_t3 not in T1 area: %9ld <=! %9ld <=! %9ld", low_slot, free,
                  static_cast<int32_t>(high_slot));
    if (b.u16(ccc::kNoofT1) > length / ccc::kT1Size)
        f.error(u"CCC: noof_t1 too large: %ld", static_cast<uint32_t>(b.u16(ccc::kNoofT1)));
    if (b.u16(ccc::kNoofT2) > length / ccc::kT2Size)
        f.error(u"CCC: noof_t2 too large: %ld", static_cast<uint32_t>(b.u16(ccc::kNoofT2)));
    if (b.u16(ccc::kNoofT3) > length / ccc::kT3Size)
        f.error(u"CCC: noof_t3 too large: %ld", static_cast<uint32_t>(b.u16(ccc::kNoofT3)));
    check_free_area(f, b, 1, end_t1, first_t2, t1_end && t2_start);
    check_free_area(f, b, 2, end_t2, first_t7, t2_end && t7_start);
}

void check_settings_and_counts(Findings& f, const ccc::Block& b)
{
    struct Strange
    {
        const QOR_UC* format;
        uint32_t value;
        uint32_t limit;
    };
    const Strange checks[] = {
        {u"CCC: mbc_copy strange value: %9ld (0x%lX)", b.u32(ccc::kMbcCopy), 3},
        {u"CCC: verbose strange value: %9ld (0x%lX)", b.u32(ccc::kVerbose), 2},
        {u"CCC: err_trace strange value: %9ld (0x%lX)", b.u32(ccc::kErrTrace), 2},
        {u"CCC: TCPDB_count strange value: %9ld (0x%lX)", b.u16(ccc::kTcpdbCount), 30},
        {u"CCC: db_cp_count strange value: %9ld (0x%lX)", b.u16(ccc::kDbCpCount), 30},
        {u"CCC: mb_cp_count strange value: %9ld (0x%lX)", b.u16(ccc::kMbCpCount), 30},
        {u"CCC: loaded_f1_count strange value: %9ld (0x%lX)", b.u32(ccc::kLoadedF1Count), 70},
    };
    for (const Strange& check : checks)
        if (check.value > check.limit)
            f.warning(check.format, check.value, check.value);
}

} // namespace

bool rscpqc_check_timestamp(const QOR_UC* stamp)
{
    static const char16_t kRanges[16][2] = {
        {u'0', u'2'}, {u'0', u'9'}, {u'0', u'9'}, {u'0', u'9'}, {u'0', u'1'}, {u'0', u'9'},
        {u'0', u'3'}, {u'0', u'9'}, {u'0', u'2'}, {u'0', u'9'}, {u'0', u'5'}, {u'0', u'9'},
        {u'0', u'5'}, {u'0', u'9'}, {u'0', u'0'}, {u'0', u'0'},
    };
    for (int i = 0; i < 16; ++i)
        if (stamp[i] < kRanges[i][0] || stamp[i] > kRanges[i][1])
            return false;
    return true;
}

uint32_t rscpqc_quality_check(RscpLineOut errors, void* context1, RscpLineOut warnings,
                              void* context2, int32_t, int32_t* error_count, int32_t* warning_count)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpqc_quality_check", -1, 0, 0, nullptr);
    Findings f(errors, context1, warnings, context2);
    uint32_t result = 0;
    const ccc::Block b = ccc::current();
    const unsigned char* cache = b.base();
    if (reinterpret_cast<uintptr_t>(cache) % 8 != 0 || cache == nullptr) {
        if (cache != nullptr)
            f.error(u"rscpmp is not alligned!  %p", cache);
        else
            f.error(u"CCC cache is not allocated!  %p", cache);
        f.error(u"rscpqc_quality_check aborted.");
        f.error_count = 1; /* the two lines are one finding */
        result = 1;
    } else {
        check_version_and_reorganisation(f, b);
        check_areas(f, b);
        check_settings_and_counts(f, b);
    }
    if (error_count != nullptr)
        *error_count = f.error_count;
    if (warning_count != nullptr)
        *warning_count = f.warning_count;
    if (traced)
        rscph.rscph_TraceLeave(result, 0, 0, nullptr);
    return result;
}

uint32_t rscpmreorg(unsigned char** cache, uint32_t* remembered_version)
{
    RscpConverter& c = rscp_converter();
    const ccc::Block shown(*cache, *cache == c.cache ? c.block_size : 0);
    if (*remembered_version == shown.u32(ccc::kReorgVersion) && *cache != nullptr)
        return 0;
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_SectionBegin(u"rscpmreorg", nullptr);
    ++c.reorg_depth;
    const uint32_t rc = rscpnr__need_reorg(0, RSCP_ACCEPT_ALL);
    --c.reorg_depth;
    if (traced)
        rscph.rscph_SectionEnd(nullptr);
    if (rc == 0) {
        *cache = c.cache;
        *remembered_version = ccc::current().u32(ccc::kReorgVersion);
    }
    return rc;
}

uint32_t rscpGetDBCodePages(QOR_UC* names, int32_t capacity, uint32_t* count)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpGetDBCodePages", -1, 0, 0, nullptr);
    RscpConverter& c = rscp_converter();
    if (c.cache == nullptr) {
        const uint32_t rc = rscpe__error(RSCPEBUSY, u'C', RSCP_ACCEPT_ALL, kIdent, 3, 2023,
                                         u"Shared mem CCC not yet initialized", u"CP6",
                                         u"CCC not yet initialized", 23, nullptr, 0);
        *count = 0;
        if (traced)
            rscph.rscph_TraceLeave(rc, 0, 0, nullptr);
        return rc;
    }
    unsigned char* cache = c.cache;
    uint32_t rc = rscpmreorg(&cache, &g_remembered_version);
    if (rc != 0)
        return rc;
    const ccc::Block b = ccc::current();
    uint32_t n = b.u16(ccc::kDbCpCount);
    if (n > ccc::kDbCodePageSlots)
        n = ccc::kDbCodePageSlots;
    QOR_UC text[40];
    snprintfU16(text, 40, u"%ld code pages", n);
    const uint32_t room = capacity > 0 ? static_cast<uint32_t>(capacity) : 0;
    if (n > room) {
        n = room;
        rc = rscpe__error(RSCPETOOLONG, u'C', RSCP_ACCEPT_ALL, kIdent, 4, 2047,
                          u"Too many code pages for output", u"CP8", text, -1, u"&", 1);
    }
    for (uint32_t i = 0; i < n; ++i)
        b.text(ccc::kDbCodePages + 8 * i, names + 4 * i, 4);
    *count = n;
    if (traced)
        rscph.rscph_TraceLeave(rc, 0, 0, nullptr);
    return rc;
}
