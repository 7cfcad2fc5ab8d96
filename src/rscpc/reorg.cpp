// Invalidation of the loaded tables and reorganisation of the cache.
#include <unistd.h>

#include <cstring>
#include <vector>

#include "rscp/rscp_utf.h"
#include "rscpc/cache.h"
#include "rscpc/ddic.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"
#include "rscpc/modules.h"
#include "rscpc/options.h"
#include "rscpc/settings.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "rscpc/status.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmcIdent;

/* The tables flushed on invalidation, in this order. */
const QOR_UC* const kFlushedTables[] = {u"TCP00",  u"TCP00A",  u"TCP01",   u"TCP09",   u"TCP0C",
                                        u"TCP0D",  u"TCPDB",   u"TCP0F",   u"TCP0I",   u"TCPSBUILD",
                                        u"TCPSEG", u"TCPSPTL", u"TCPSPTS", u"TCPSRULE"};

void set_process_ids(ccc::Block& b, uint32_t offset)
{
    b.set<uint32_t>(offset, static_cast<uint32_t>(getpid()));
    b.set<uint32_t>(offset + 4, static_cast<uint32_t>(getppid()));
}

QOR_UC done_mark(uint8_t done)
{
    return done != 0 ? u'T' : u'F';
}

/* A line of 64 characters for the system log: "RSCPCCC", the size and a text. */
void syslog_cache_line(const QOR_UC* id, uint32_t size, const QOR_UC* reason, int reason_length)
{
    QOR_UC text[65];
    snprintfCutU16(text, 65, u"%-8s%9ld%-*.*s", u"RSCPCCC", size, 47, reason_length, reason);
    rscph.rscph_SyslogId(u'i', id, text);
}

void syslog_initialized_again(ccc::Block& b, const QOR_UC* tag)
{
    rscp_write_line(RSCP_WRITER_STDERR,
                    u"Code page converter switched back to initialized state. CCC.reorg_done=%c.",
                    done_mark(b.u8(ccc::kReorgDone)));
    QOR_UC text[65];
    snprintfCutU16(text, 65, u"%-53s%-8.8s%-3.3s", u"CCC in initialized state.",
                   rscpe_module_name(kIdent), tag);
    rscph.rscph_SyslogId(u' ', u"CQE", text);
}

/* The header as it was before the rebuild. */
class SavedHeader
{
  public:
    explicit SavedHeader(const ccc::Block& b) : bytes_(ccc::kDescriptors, 0)
    {
        if (b.holds(0, ccc::kDescriptors))
            std::memcpy(bytes_.data(), b.base(), ccc::kDescriptors);
    }
    ccc::Block block() { return ccc::Block(bytes_.data(), bytes_.size()); }

  private:
    std::vector<unsigned char> bytes_;
};

void copy_field(ccc::Block& to, const ccc::Block& from, uint32_t offset, uint32_t length)
{
    if (to.holds(offset, length) && from.holds(offset, length))
        std::memcpy(to.base() + offset, from.base() + offset, length);
}

void add_counters(ccc::Block& to, const ccc::Block& from, uint32_t offset, uint32_t count)
{
    for (uint32_t i = 0; i < count; ++i)
        to.set<uint32_t>(offset + 4 * i, to.u32(offset + 4 * i) + from.u32(offset + 4 * i));
}

bool reusable(ccc::Block& saved, uint32_t cache07, uint32_t block_size)
{
    QOR_UC eye[11];
    saved.text(ccc::kEyeCatcher, eye, 11);
    const uint32_t version = saved.u32(ccc::kVersion);
    const uint32_t length = saved.u32(ccc::kLength);
    /* A saved length beyond the block cannot be trusted. */
    return rscpValidCacheSizes(length, cache07) && length <= block_size &&
           rscpValidQorcodeMax(saved.u32(ccc::kMaxQorCode)) &&
           rscpValidUcharMax(saved.u32(ccc::kMaxUchar)) &&
           std::memcmp(eye, u">>RSCPCCC<<", sizeof eye) == 0 &&
           version != ccc::kVersionHalfCooked && version != ccc::kVersionThreeQuarter;
}

/* Step a: the cache rebuilt with the saved sizes, the history carried over. */
uint32_t rebuild_from_saved(ccc::Block& saved, uint32_t cache07, uint32_t accepted)
{
    QOR_UC kind[13] = {0};
    saved.text(ccc::kKindOfMemory, kind, 12);
    const uint32_t rc = rscpi__create_ccc(saved.u32(ccc::kLength), cache07,
                                          saved.u32(ccc::kMaxQorCode), kind, accepted);
    if (rc != 0 && rc != RSCPEIO)
        return rc;
    ccc::Block b = ccc::current();
    static const uint32_t kCopied[][2] = {
        {ccc::kCccFormat, 4},     {ccc::kCreateDate, 32},   {ccc::kCreatedBy, 8},
        {ccc::kReorgVersion, 4},  {ccc::kReorganisedBy, 8}, {ccc::kInvalidatedBy, 8},
        {ccc::kNoofReorgs, 4},    {ccc::kAttaches, 4},      {ccc::kLookups, 4},
        {ccc::kCreateObjects, 4}, {ccc::kBytesIn, 8},       {ccc::kBytesOut, 8},
        {ccc::kFillSpacesOut, 4}, {ccc::kFillBytesOut, 4},  {ccc::kTruncBytesIn, 4},
        {ccc::kMaxQorCode, 4},    {ccc::kMaxUchar, 4},      {ccc::kMbcInSbcs, 1},
        {ccc::kMbcCopy, 4},       {ccc::kRfcTraceMdmp, 4},  {ccc::kRfcTraceConv, 4},
        {ccc::kIcuObjectId, 8},
    };
    for (const auto& field : kCopied)
        copy_field(b, saved, field[0], field[1]);
    add_counters(b, saved, ccc::kClones, RSCP_CLONE_COUNTERS);
    add_counters(b, saved, ccc::kTableReads, RSCP_TABLE_SLOTS);
    rscp_converter().reorg_version = b.u32(ccc::kReorgVersion);
    return rc;
}

/* Step b: the sizes read again from the settings. */
uint32_t rebuild_from_settings(ccc::Block& saved, uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    uint32_t size = 0;
    uint32_t cache07 = 0;
    uint32_t max_qor_code = 0;
    uint32_t max_uchar = 0;
    uint32_t version = 1;
    const uint32_t saved_version = saved.u32(ccc::kReorgVersion);
    const uint32_t saved_reorgs = saved.u32(ccc::kNoofReorgs);
    if (saved_version >= 2 && saved_version <= 999999)
        version = saved_version;
    if (saved_reorgs > version && saved_reorgs < 1000000)
        version = saved_reorgs;
    if (c.reorg_version > version)
        version = c.reorg_version;
    ++version;
    uint32_t rc = find_cachesizes(&size, &cache07, accepted);
    if (rc != 0)
        return rc;
    find_qorcode_max(&max_qor_code);
    find_uchar_max(&max_uchar);
    if (size > c.block_size) {
        /* The rebuild has only the block it was given: a larger size is
         * refused and the block's own size kept. */
        QOR_UC arg[64];
        snprintfCutU16(arg, 64, u"cachesize&%ld&%ld&", size, c.block_size);
        rscpe__error(RSCPEINTERN, u'C', accepted, kIdent, 151, __LINE__,
                     u"QORPARAM(rsts/ccc/cachesize) too large", u"CQH", arg, -1, nullptr, 0);
        size = c.block_size;
        if (!rscpValidCacheSizes(size, cache07))
            cache07 = size / 10;
    }
    QOR_UC kind[13] = {0};
    saved.text(ccc::kKindOfMemory, kind, 12);
    rc = rscpi__create_ccc(size, cache07, max_qor_code, kind, accepted);
    if (rc != 0 && rc != RSCPEIO)
        return rc;
    ccc::Block b = ccc::current();
    b.set<uint32_t>(ccc::kReorgVersion, version);
    set_process_ids(b, ccc::kReorganisedBy);
    b.set<uint32_t>(ccc::kNoofReorgs, saved_reorgs);
    add_counters(b, saved, ccc::kTableReads, RSCP_TABLE_SLOTS);
    copy_field(b, saved, ccc::kRfcTraceMdmp, 4);
    copy_field(b, saved, ccc::kRfcTraceConv, 4);
    copy_field(b, saved, ccc::kIcuObjectId, 8);
    c.reorg_version = version;
    syslog_cache_line(u"E10", size, u"", 0);
    rscp_write_line(RSCP_WRITER_INFO, u"CCC cache with %ld bytes reorganized.", size);
    return rc;
}

/* The rebuild itself, under the write permission. */
uint32_t rebuild(uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    rscpMergeStatistics();
    ccc::Block b = ccc::current();
    SavedHeader copy(b);
    ccc::Block saved = copy.block();
    const QOR_UC* dump = rscp_parameter(u"rscp/ccc/dump");
    if (dump != nullptr && dump[0] != u'0') {
        fprintfU16(stderr, u"rscpmc:rscpnr__need_reorg()\n");
        fprintfU16(stderr, u"      : Last state before reorganizing:\n");
        rscpcs_cache_status(0xFFFF, rscpDumpLine, -1);
    }
    const uint32_t length = saved.u32(ccc::kLength);
    QOR_UC reason[36];
    saved.text(ccc::kReorgReason, reason, 36);
    syslog_cache_line(u"E14", length, reason, 36);
    rscp_write_line(RSCP_WRITER_INFO, u"CCC cache with %ld bytes reorganizing because of %.*s.",
                    length, 36, reason);
    rscph.rscph_WaitBeforeClearing(2);

    const uint32_t saved07 = saved.u32(ccc::kCache07);
    const uint32_t end_t2 = saved.u32(ccc::kEndT2);
    const uint32_t cache07 = saved07 != 0 && saved07 < length / 2 ? saved07
                             : end_t2 <= length                   ? length - end_t2
                                                                  : 0;
    const uint8_t done_before = saved.u8(ccc::kReorgDone);
    const uint32_t rc = reusable(saved, cache07, c.block_size)
                            ? rebuild_from_saved(saved, cache07, accepted)
                            : rebuild_from_settings(saved, accepted);
    b = ccc::current();
    if (rc == 0) {
        b.set<uint8_t>(ccc::kReorgDone, 1);
        set_process_ids(b, ccc::kReorganisedBy);
        b.set<uint32_t>(ccc::kNoofReorgs, b.u32(ccc::kNoofReorgs) + 1);
        if (c.state == RSCP_REINITIALIZE)
            syslog_initialized_again(b, u"135");
        rscpSetState(RSCP_INITIALIZED);
    } else if (rc == RSCPEIO) {
        if (c.state == RSCP_REINITIALIZE) {
            rscp_write_line(RSCP_WRITER_INFO,
                            u"I/O error again. Code page converter stays in reinitialize state. "
                            u"CCC.reorg_done=%c.",
                            done_mark(b.u8(ccc::kReorgDone)));
        } else {
            rscpSetState(RSCP_REINITIALIZE);
            b.set<uint8_t>(ccc::kReorgDone, 0);
            rscp_write_line(RSCP_WRITER_STDERR,
                            u"Code page converter switched to reinitialize state. "
                            u"CCC.reorg_done:%c->f.",
                            done_mark(done_before));
            rscpe__error(RSCPEIO, u'C', accepted, kIdent, 137, __LINE__,
                         u"converter switched to reinitialize state", u"CQD", nullptr, 0, nullptr,
                         0);
        }
    } else {
        rscpSetState(RSCP_DAMAGED);
    }
    return rc;
}

} // namespace

uint32_t rscpict3_invalidate_convert_tables(const QOR_UC*, int32_t, const QOR_UC* reason,
                                            int32_t reason_length, uint32_t accepted)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpict3_invalidate_convert_tables", -1, 0, 0, nullptr);
    RscpConverter& c = rscp_converter();
    uint32_t result = 0;
    if (c.state == RSCP_INIT_STARTED || c.state == RSCP_DAMAGED) {
        QOR_UC arg[16];
        snprintfU16(arg, 16, u"%d&", c.state);
        result = rscpe__error(RSCPEINTERN, u'C', accepted, kIdent, 40, __LINE__,
                              u"CCC in illegal state", u"F44", arg, -1, nullptr, 0);
    } else if (c.state != RSCP_FRESH) {
        for (const QOR_UC* table : kFlushedTables) {
            if (result == RSCPEROLLBACK)
                rscpe__error(RSCPEROLLBACK, u'C', 0, kIdent, 41, __LINE__,
                             u"Tryed to ignore a rollback", u"F26", nullptr, 0, nullptr, 0);
            const uint32_t rc = rscpf1t__flush_one_table(table, 0, 0, 0);
            if (rc != 0)
                result = rc;
        }
        ccc::Block b = ccc::current();
        c.reorg_version = b.u32(ccc::kReorgVersion) + 1;
        b.set<uint32_t>(ccc::kReorgVersion, c.reorg_version);
        b.set<uint8_t>(ccc::kReorgDone, 0);
        set_process_ids(b, ccc::kInvalidatedBy);
        QOR_UC padded[36];
        if (reason != nullptr)
            PadCopyU16n(padded, 36, reason, reason_length > 0 ? reason_length : 0);
        else
            PadCopyU16z(padded, u"rscpict3_invalidate_convert_tables", 36);
        b.set_text(ccc::kReorgReason, padded, 36);
    }
    if (traced)
        rscph.rscph_TraceLeave(result, 0, 0, nullptr);
    return result;
}

uint32_t rscpInvalidateTablesLocked(const QOR_UC* table, int32_t word, const QOR_UC* reason,
                                    int32_t reason_length, uint32_t accepted)
{
    rscph.rscph_GetWritePermission(95, 0);
    const uint32_t rc =
        rscpict3_invalidate_convert_tables(table, word, reason, reason_length, accepted);
    rscph.rscph_ReleaseWritePermission(96, 0);
    return rc;
}

uint32_t rscpnr__need_reorg(int32_t mode, uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    if (mode == 0) {
        const uint32_t rc = rscph.rscph_GetSema(130, 0);
        if (rc != 0)
            return rc;
    }
    rscpAttach(mode == 2 ? 2 : 1, false, nullptr);
    ccc::Block b = ccc::current();
    rscpe_set_trace(static_cast<int32_t>(b.u32(ccc::kVerbose)));
    uint32_t result = 0;
    bool permission_taken = false;
    bool rebuilt = false;
    if (b.u8(ccc::kReorgDone) != 1) {
        if (mode == 0) {
            const uint32_t rc = rscph.rscph_GetWritePermission(121, 0);
            if (rc != 0) {
                rscph.rscph_ReleaseSema(119, 0);
                return rc;
            }
            permission_taken = true;
        }
        result = rebuild(accepted);
        rebuilt = true;
        b = ccc::current();
    }
    if (c.dd_reorg_version < b.u32(ccc::kDdReorgVersion)) {
        const uint32_t rc = rscpgdi__general_db_init(accepted);
        if (rc == 0) {
            c.dd_reorg_version = b.u32(ccc::kDdReorgVersion);
            b.set<uint8_t>(ccc::kDdReorgDone, 1);
        } else {
            result = rc;
        }
    }
    const int32_t normalize = static_cast<int32_t>(b.u32(ccc::kNormalizeInput));
    if (mode == 0) {
        const uint32_t rc = permission_taken ? rscpReleaseWritePermissionAndSema(53)
                                             : rscph.rscph_ReleaseSema(53, 0);
        if (rc != 0)
            result = rc;
    }
    if (rebuilt)
        rscpCheckTextEnv(accepted);
    rscpPassNormalizeInput(normalize);
    return result;
}

void rscpDumpLine(const QOR_UC* text, int32_t length)
{
    fprintfU16(stderr, u"%*.*s\r\n", length, length, text);
}
