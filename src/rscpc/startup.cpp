// Start-up of the code-page converter and its state machine.
#include "rscpc/startup.h"

#include <cstring>

#include "rscp/rscp_utf.h"
#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"
#include "rscpc/modules.h"
#include "rscpc/options.h"
#include "rscpc/quality.h"
#include "rscpc/settings.h"
#include "rscpc/state.h"
#include "rscpc/tables.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmcIdent;

uint32_t record(uint32_t code, uint32_t accepted, int location, int line, const QOR_UC* text,
                const QOR_UC* syslog_id, const QOR_UC* arg1 = nullptr, const QOR_UC* arg2 = nullptr)
{
    return rscpe__error(code, u'C', accepted, kIdent, location, line, text, syslog_id, arg1,
                        arg1 != nullptr ? -1 : 0, arg2, arg2 != nullptr ? -1 : 0);
}

QOR_UC done_mark(const ccc::Block& b)
{
    return b.u8(ccc::kReorgDone) != 0 ? u'T' : u'F';
}

/* A setting given as a decimal number: the parameter, else the environment
 * variable; false when neither is set. */
bool decimal_setting(const QOR_UC* parameter, const char* environment, int32_t* value)
{
    const QOR_UC* text = parameter != nullptr ? rscp_parameter(parameter) : nullptr;
    QOR_UC buffer[64];
    if (text == nullptr && environment != nullptr)
        text = rscp_environment(environment, buffer, 64);
    if (text == nullptr)
        return false;
    *value = rscp_decimal(text);
    return true;
}

void pass_on_error_setting(uint32_t accepted)
{
    int32_t value = 0;
    if (decimal_setting(u"rscp/on_error", "RSCP_ON_ERROR", &value))
        rscpso_set_option(6, value, accepted);
}

void read_private_use_characters()
{
    RscpConverter& c = rscp_converter();
    find_pua(u"rscp/pua/frame1intro", &c.pua[0]);
    find_pua(u"rscp/pua/icon2intro", &c.pua[1]);
    find_pua(u"rscp/pua/DBC_replacement", &c.pua[2]);
    find_pua(u"rscp/pua/printcontrol5intro", &c.pua[3]);
    const QOR_UC* s = &c.pua[1];
    unsigned char utf8[3];
    unsigned char* d = utf8;
    c.icon2intro_utf8_valid = ConvU16ToUtf8(&s, s + 1, &d, utf8 + 3) == 0;
    if (c.icon2intro_utf8_valid)
        std::memcpy(c.icon2intro_utf8, utf8, sizeof utf8);
}

/* The system-log line of a cache of the given size. */
void syslog_cache_size(const QOR_UC* id, uint32_t size)
{
    QOR_UC text[65];
    snprintfCutU16(text, 65, u"%-8s%9ld%-47s", u"RSCPCCC", size, u"");
    rscph.rscph_SyslogId(u'i', id, text);
}

/* Semaphore initialisation step 1 or 2. */
uint32_t sema_init(int step)
{
    const uint32_t rc =
        step == 1 ? rscph.rscph_SemaInitStep1(25, 0) : rscph.rscph_SemaInitStep2(46, 0);
    if (rc != 0)
        rscp_write_line(RSCP_WRITER_STDERR, u"Semaphore initialization step %d failed with %d",
                        step, rc);
    else
        rscp_write_line(RSCP_WRITER_INFO, u"Semaphore initialization step %d done.", step);
    return rc;
}

struct Created
{
    uint32_t result;
    bool stop;
};

/* Step 8 for a new block: the cache is created in it. */
Created create_in_new_block(uint32_t size, uint32_t cache07, const QOR_UC* allocator,
                            bool reinitializing, uint32_t accepted)
{
    rscph.rscph_GetWritePermission(94, 0);
    uint32_t max_qor_code = 0;
    uint32_t max_uchar = 0;
    find_qorcode_max(&max_qor_code);
    find_uchar_max(&max_uchar);
    const uint32_t rc = rscpi__create_ccc(size, cache07, max_qor_code, allocator, accepted);
    ccc::Block b = ccc::current();
    if (rc == 0) {
        syslog_cache_size(u"E10", size);
        QOR_UC number[16];
        snprintfU16(number, 16, u"%9ld", size);
        rscp_write_line(RSCP_WRITER_INFO, u"CCC cache initialized with %s bytes.", number);
        return {0, false};
    }
    if (rc == RSCPEIO) {
        uint32_t result = RSCPEIO;
        if (reinitializing) {
            rscp_write_line(RSCP_WRITER_INFO,
                            u"I/O error again. Code page converter stays in reinitialize state. "
                            u"CCC.reorg_done=%c.",
                            done_mark(b));
        } else {
            rscpSetState(RSCP_REINITIALIZE);
            result = record(RSCPEIO, accepted, 133, __LINE__,
                            u"Code page converter switched to reinitialize state.", u"CQD");
            rscp_write_line(RSCP_WRITER_STDERR,
                            u"I/O error. Code page converter switched to reinitialize state. "
                            u"CCC.reorg_done=%c.",
                            done_mark(b));
        }
        const uint32_t released = rscph.rscph_ReleaseWritePermission(139, 0);
        rscph.rscph_ReleaseSema(131, 0);
        return {released != 0 ? released : result, true};
    }
    rscpSetState(RSCP_DAMAGED);
    rscpReleaseWritePermissionAndSema(58);
    rscp_write_line(RSCP_WRITER_STDERR, u"CCC-cache init failed.");
    return {rc, true};
}

} // namespace

void rscpSetState(int32_t state)
{
    RscpConverter& c = rscp_converter();
    for (int i = RSCP_HISTORY_SIZE - 1; i > 0; --i)
        c.history[i] = c.history[i - 1];
    c.history[0].state = state;
    rscph.rscph_Timestamp(c.history[0].stamp);
    c.state = state;
}

void rscpMergeStatistics(void)
{
    RscpConverter& c = rscp_converter();
    if (c.state != RSCP_INITIALIZED || c.cache == nullptr)
        return;
    ccc::Block b = ccc::current();
    RscpProcessStatistics& s = c.statistics;
    auto add32 = [&b](uint32_t offset, uint32_t& counter) {
        if (counter != 0)
            b.set<uint32_t>(offset, b.u32(offset) + counter);
        counter = 0;
    };
    auto add64 = [&b](uint32_t offset, uint64_t& counter) {
        if (counter != 0)
            b.set<uint64_t>(offset, b.u64(offset) + counter);
        counter = 0;
    };
    add64(ccc::kBytesIn, s.bytes_in);
    add64(ccc::kBytesOut, s.bytes_out);
    add32(ccc::kLookups, s.lookups);
    add32(ccc::kCreateObjects, s.create_objects);
    for (uint32_t i = 0; i < RSCP_CLONE_COUNTERS; ++i)
        add32(ccc::kClones + 4 * i, s.clones[i]);
    for (uint32_t i = 0; i < RSCP_TABLE_SLOTS; ++i)
        add32(ccc::kTableReads + 4 * i, s.table_reads[i]);
}

uint32_t rscpGetWritePermissionAndSema(int32_t location)
{
    uint32_t rc = rscph.rscph_GetSema(location, 0);
    if (rc != 0)
        return rc;
    rc = rscph.rscph_GetWritePermission(location, 0);
    if (rc != 0) {
        rscph.rscph_ReleaseSema(location, 0);
        return rc;
    }
    rscpMergeStatistics();
    return 0;
}

uint32_t rscpReleaseWritePermissionAndSema(int32_t location)
{
    const uint32_t permission = rscph.rscph_ReleaseWritePermission(location, 0);
    const uint32_t sema = rscph.rscph_ReleaseSema(location, 0);
    if (sema != 0)
        rscph.rscph_SemaDiagnose(u"after failing rscpReleaseWritePermissionAndSema", 0,
                                 rscp_line_to_writer, &rscp_writers[RSCP_WRITER_STDERR], 3,
                                 nullptr);
    return sema != 0 ? sema : permission;
}

void rscpPassNormalizeInput(int32_t value)
{
    RscpConverter& c = rscp_converter();
    if (value == c.normalize_input)
        return;
    rscph.rscph_CacheProtected(value != 0 ? 1 : 0);
    c.normalize_input = value;
}

void rscpReadLateParams(uint32_t accepted)
{
    const QOR_UC* values[3] = {nullptr, nullptr, nullptr};
    int32_t further[9];
    rscph.rscph_QueryParameter(u"rsts/ccc/max_qorcode", &values[0], &values[1], &values[2],
                               further);
    if (values[0] != nullptr && values[1] != nullptr && values[0][0] != 0 && values[1][0] != 0 &&
        strcmpU16(values[0], values[1]) != 0)
        record(RSCPEINTERN, accepted, 52, __LINE__, u"QORPARAM(rsts/ccc/max_qorcode) ignored",
               u"CP6", u"rsts/ccc/max_qorcode not used");
    pass_on_error_setting(accepted);
    int32_t trace = 0;
    QOR_UC buffer[64];
    const QOR_UC* text = rscp_environment("RSCPTRACE", buffer, 64);
    if (text == nullptr)
        text = rscp_parameter(u"rdisp/TRACE");
    if (text != nullptr) {
        trace = rscp_decimal(text);
        rscpso_set_option(5, trace, accepted);
    }
}

void rscpCheckTextEnv(uint32_t accepted)
{
    /* "1" alone or followed by a blank. */
    auto is_one = [](const QOR_UC* v) { return v[0] == u'1' && (v[1] == 0 || v[1] == u' '); };
    const QOR_UC* text_env = rscp_parameter(u"vorn/set_text_env_at_new_mode");
    const QOR_UC* collate = rscp_parameter(u"install/collate/active");
    if (text_env != nullptr && !is_one(text_env))
        record(RSCPEINTERN, accepted, 81, __LINE__,
               u"QORPARAM(vorn/set_text_env_at_new_mode) != '1'", u"CP6",
               u"vorn/set_text_env_at_new_mode != 1");
    if (collate != nullptr && !is_one(collate))
        record(RSCPEINTERN, accepted, 82, __LINE__, u"QORPARAM(install/collate/active) != '1'",
               u"CP6", u"install/collate/active != 1");
    if (text_env != nullptr && collate != nullptr && strcmpU16(text_env, collate) != 0)
        record(RSCPEINTERN, accepted, 83, __LINE__,
               u"QORPARAM: vorn/set_text_env_at_new_mode vs. install/collate/active", u"CP6",
               u"vorn/set_text_env_at_new_mode != install/collate/active");
    int32_t errors = 0;
    int32_t warnings = 0;
    rscpqc_quality_check(rscp_line_to_writer, &rscp_writers[RSCP_WRITER_STDERR],
                         rscp_line_to_writer, &rscp_writers[RSCP_WRITER_INFO], 3, &errors,
                         &warnings);
    if (errors != 0)
        rscp_write_line(RSCP_WRITER_STDERR, u"rscpmc:reinit: %9ld errors and %9ld warnings", errors,
                        warnings);
    else if (warnings != 0)
        rscp_write_line(RSCP_WRITER_INFO, u"rscpmc:reinit: %9ld warnings", warnings);
}

uint32_t rscpi__init(uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpi__init", -1, 0, 0, nullptr);
    rscpe_reset();
    uint32_t result = 0;
    auto leave = [&](uint32_t rc) {
        if (traced)
            rscph.rscph_TraceLeave(rc, 0, 0, nullptr);
        return rc;
    };
    if (c.state == RSCP_INITIALIZED)
        return leave(0);
    if (c.state == RSCP_DAMAGED)
        return leave(
            record(RSCPEINTERN, accepted, 43, __LINE__, u"char code converter damaged", u"F36"));
    if (c.state == RSCP_INIT_STARTED)
        return leave(
            record(RSCPEINTERN, accepted, 80, __LINE__, u"char code converter init loop", u"F6P"));
    const bool reinitializing = c.state == RSCP_REINITIALIZE;
    if (reinitializing)
        rscp_write_line(RSCP_WRITER_STDERR,
                        u"Try CCC initialization in state: %d . (CCC not in reach.)", c.state);
    else
        rscpSetState(RSCP_INIT_STARTED);

    read_private_use_characters();
    pass_on_error_setting(accepted);
    if (!reinitializing) {
        const uint32_t rc = sema_init(1);
        if (rc != 0)
            return leave(rc);
    }
    rscpli__load_init(accepted);
    if (!reinitializing) {
        const uint32_t rc = sema_init(2);
        if (rc != 0)
            return leave(rc);
    }
    uint32_t rc = rscph.rscph_GetSema(26, 0);
    if (rc != 0)
        return leave(rc);
    int32_t protect = 0;
    if (decimal_setting(u"rscp/ccc/protect", nullptr, &protect))
        rscpso_set_option(20, protect, accepted);

    bool reused = reinitializing;
    uint32_t size = 0;
    uint32_t cache07 = 0;
    QOR_UC allocator[RSCP_ALLOCATOR_NAME_LEN + 1] = {0};
    if (reinitializing) {
        rscph.rscph_GetWritePermission(138, 0);
        rscp_write_line(RSCP_WRITER_STDERR,
                        u"In reinitialize state reuse shared memory at %p. CCC.reorg_done=%c.",
                        c.cache, done_mark(ccc::current()));
    } else {
        rc = find_cachesizes(&size, &cache07, accepted);
        if (rc != 0) {
            rscph.rscph_ReleaseSema(54, 0);
            return leave(rc);
        }
        void* block = nullptr;
        unsigned char zero_filled = 0;
        unsigned char existing = 0;
        rc = rscph.rscph_AllocateCCCC(&block, &zero_filled, &existing, allocator, size, 64);
        if (rc != 0 || block == nullptr) {
            rscph.rscph_ReleaseSema(57, 0);
            return leave(rc != 0 ? rc : RSCPEINTERN);
        }
        c.cache = static_cast<unsigned char*>(block);
        c.block_size = size;
        c.block_zero_filled = zero_filled != 0;
        c.block_from_heap = rscph.rscph_AllocateCCCC == rscph_defaults().rscph_AllocateCCCC;
        reused = existing != 0;
        rscpAttach(1, false, nullptr);
    }

    if (reused) {
        ccc::Block b = ccc::current();
        if (b.u32(ccc::kReorgVersion) < c.reorg_version)
            b.set<uint32_t>(ccc::kReorgVersion, c.reorg_version + 1);
    } else {
        const Created created =
            create_in_new_block(size, cache07, allocator, reinitializing, accepted);
        if (created.stop)
            return leave(created.result);
    }
    ccc::Block b = ccc::current();
    if (!reinitializing)
        b.set<uint32_t>(ccc::kAttaches, b.u32(ccc::kAttaches) + 1);

    bool reorg_failed = false;
    if (b.u8(ccc::kReorgDone) == 0) {
        ++c.reorg_depth;
        rscph.rscph_SectionBegin(u"rscpmreorg", nullptr);
        reorg_failed = rscpnr__need_reorg(2, accepted) != 0;
        rscph.rscph_SectionEnd(nullptr);
        --c.reorg_depth;
    }
    b = ccc::current();

    int32_t normalize = 0;
    const uint32_t version = b.u32(ccc::kVersion);
    if (version != ccc::kVersionComplete) {
        QOR_UC expected[16];
        QOR_UC found[16];
        snprintfU16(expected, 16, u"%9ld", ccc::kVersionComplete);
        snprintfU16(found, 16, u"%9ld", version);
        result = record(RSCPEINTERN, accepted, 30, __LINE__,
                        u"CCC buffer version should be %9ld but is %9ld", u"F37", expected, found);
        rscp_write_line(RSCP_WRITER_STDERR, u"CCC buffer version should be %9ld but is %9ld",
                        ccc::kVersionComplete, version);
        rscpSetState(RSCP_WRONG_VERSION);
        rscpReleaseWritePermissionAndSema(63);
    } else {
        if (c.state == RSCP_REINITIALIZE) {
            rscp_write_line(
                RSCP_WRITER_STDERR,
                u"Code page converter switched back to initialized state. CCC.reorg_done=%c.",
                done_mark(b));
            QOR_UC text[65];
            snprintfCutU16(text, 65, u"%-53s%-8.8s132", u"CCC in initialized state.",
                           rscpe_module_name(kIdent));
            rscph.rscph_SyslogId(u' ', u"CQE", text);
        }
        rscpSetState(reorg_failed ? RSCP_REINITIALIZE : RSCP_INITIALIZED);
        const uint32_t permission = rscph.rscph_ReleaseWritePermission(120, 0);
        const uint32_t sema = rscph.rscph_ReleaseSema(59, 0);
        result = sema != 0 ? sema : permission;
        normalize = static_cast<int32_t>(b.u32(ccc::kNormalizeInput));
    }
    SetConvErrorHook(rscpe__error);
    rscpReadLateParams(accepted);
    if (!reused)
        rscpCheckTextEnv(accepted);
    rscpPassNormalizeInput(normalize);
    return leave(result);
}

uint32_t rscpi_init(uint32_t accepted)
{
    RscpConverter& c = rscp_converter();
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpi_init", -1, 0, 0, nullptr);
    uint32_t rc = 0;
    if (c.state != RSCP_INITIALIZED) {
        const uint8_t flag = c.through_rscpi_init;
        QOR_UC label[RSCP_LABEL_LEN];
        std::memcpy(label, c.init_label, sizeof label);
        c.through_rscpi_init = 1;
        for (QOR_UC& u : c.init_label)
            u = u' ';
        rc = rscpi__init(accepted);
        if (rc != 0) {
            c.through_rscpi_init = flag;
            std::memcpy(c.init_label, label, sizeof label);
        }
    }
    if (traced)
        rscph.rscph_TraceLeave(rc, 0, 0, nullptr);
    return rc;
}
