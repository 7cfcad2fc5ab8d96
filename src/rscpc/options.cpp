// Setting and reading the converter's numbered options.
#include "rscpc/options.h"

#include "rscpc/cache.h"
#include "rscpc/errors.h"
#include "rscpc/hooks.h"
#include "rscpc/modules.h"
#include "rscpc/startup.h"
#include "rscpc/state.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscpmcIdent;

uint32_t record(uint32_t code, int location, int line, const QOR_UC* text, const QOR_UC* syslog_id,
                const QOR_UC* arg1)
{
    return rscpe__error(code, u'C', RSCP_ACCEPT_ALL, kIdent, location, line, text, syslog_id, arg1,
                        arg1 != nullptr ? -1 : 0, nullptr, 0);
}

uint32_t record_option(uint32_t code, int location, int line, const QOR_UC* text,
                       const QOR_UC* syslog_id, int32_t option, int32_t value)
{
    QOR_UC arg[64];
    snprintfCutU16(arg, 64, u"option[%d] = %ld", option, value);
    return record(code, location, line, text, syslog_id, arg);
}

/* The database switch of options 8 to 14, in option order. */
constexpr int kSwitchOfOption[] = {RSCP_DB_TCP00,  RSCP_DB_TCP01, RSCP_DB_TCP02, RSCP_DB_TCP0C,
                                   RSCP_DB_TCPSEG, RSCP_DB_UMG,   RSCP_DB_SOME};

/* Warnings when a switch goes off: after start-up (disconnect) and while
 * the start-up has not ended well (try again). Index 0 is option 7. */
struct SwitchOffText
{
    const QOR_UC* disconnect;
    int disconnect_location;
    const QOR_UC* retry;
    int retry_location;
};
const SwitchOffText kSwitchOff[] = {
    {u"(Warning) rscpso: disconnecting from database", 61, u"Trying again without database", 62},
    {u"(Warning) disconnecting TCP00,.. from database", 103,
     u"Trying again without TCP00,.. from database", 110},
    {u"(Warning) disconnecting TCP01,.. from database", 104,
     u"Trying again without TCP01,.. from database", 111},
    {u"(Warning) disconnecting TCP02,.. from database", 105,
     u"Trying again without TCP02,.. from database", 112},
    {u"(Warning) disconnecting TCP0C from database", 106,
     u"Trying again without TCP0C from database", 113},
    {u"(Warning) disconnecting TCPSEG,.. from database", 107,
     u"Trying again without TCPSEG,.. from database", 114},
    {u"(Warning) disconnecting UMG* from database", 108, u"Trying again without UMG* from database",
     115},
    {u"(Warning) disconnecting some tables from database", 109,
     u"Trying again without some tables from database", 116},
};

enum class Phase { fresh, running, starting };

/* Options 7 to 14: the switches; true when the watched switch went off. */
bool set_database_switches(int32_t option, int32_t value, Phase phase, int warning_location)
{
    RscpConverter& c = rscp_converter();
    const bool on = value != 0;
    const int watched = option == 7 ? RSCP_DB_TCP00 : kSwitchOfOption[option - 8];
    const bool was_on = c.db_access[watched];
    if (option == 7) {
        for (bool& sw : c.db_access)
            sw = on;
        c.db_access[RSCP_DB_TCP02] = false;
    } else if (option == 10) {
        /* This release never reads TCP02: it stays off once the converter
         * runs or before it starts. */
        c.db_access[RSCP_DB_TCP02] = phase == Phase::starting && on;
        if (phase != Phase::starting && on)
            record(RSCPECALL, warning_location, __LINE__,
                   u"(Warning) this release never reads TCP02/03/07", u"CP6", nullptr);
    } else {
        c.db_access[watched] = on;
    }
    return was_on && !c.db_access[watched];
}

bool set_extra_switch(int32_t option, int32_t value)
{
    RscpConverter& c = rscp_converter();
    bool* const sw[] = {&c.legacy_rfc, &c.option26, &c.option27};
    if (option < 25 || option > 27)
        return false;
    *sw[option - 25] = value != 0;
    return true;
}

/* Options that act in every state. */
bool set_anywhere(int32_t option, int32_t value)
{
    switch (option) {
    case 18:
        rscpe_set_trace(value == 0 ? 0 : rscpe_trace_second() ? 2 : 1);
        return true;
    case 19:
        rscpe_set_trace(value != 0 ? 2 : rscpe_trace_first() ? 1 : 0);
        return true;
    case 20:
        rscp_converter().protection = value == 1 ? 1 : 0;
        return true;
    case 21:
        rscpe_set_report_style(value);
        return true;
    case 22:
        rscpe_set_sequence_numbers(value);
        return true;
    case 23:
        rscpe_set_own_module_heading(value);
        return true;
    default:
        return false;
    }
}

uint32_t set_when_running(int32_t option, int32_t value)
{
    ccc::Block b = ccc::current();
    switch (option) {
    case 1:
        b.set<uint8_t>(ccc::kMbcInSbcs, static_cast<uint8_t>(value & 0xFF));
        return 0;
    case 2:
        b.set<uint32_t>(ccc::kMbcCopy, static_cast<uint32_t>(value));
        return 0;
    case 3:
        b.set<uint32_t>(ccc::kCache07, static_cast<uint32_t>(value));
        return rscpInvalidateTablesLocked(nullptr, 0, u"Size 'cache07' changed", 22,
                                          RSCP_ACCEPT_ALL);
    case 4: {
        QOR_UC arg[64];
        snprintfCutU16(arg, 64, u"intu&=&%ld&(cannot switch intu any longer)&&&", value);
        return record(RSCPEINTERN, 67, __LINE__, u"Only intu == 2 compiled into converter", u"CP9",
                      arg);
    }
    case 5:
        b.set<uint32_t>(ccc::kVerbose, static_cast<uint32_t>(value));
        rscpe_set_trace(value);
        return 0;
    case 6:
        b.set<uint32_t>(ccc::kErrTrace, static_cast<uint32_t>(value));
        rscpe_set_on_error(value);
        return 0;
    case 16:
        b.set<uint32_t>(ccc::kRfcTraceMdmp, static_cast<uint32_t>(value));
        return 0;
    case 17:
        b.set<uint32_t>(ccc::kRfcTraceConv, static_cast<uint32_t>(value));
        return 0;
    case 24: {
        QOR_UC digits[16];
        snprintfU16(digits, 16, u"%04ld", value < 0 ? 0 : value % 10000);
        b.set_text(ccc::kLegacyCodePage, digits, 4);
        return 0;
    }
    case 25:
    case 26:
    case 27:
        return record_option(RSCPECALL, 144, __LINE__,
                             u"rscpso: set option ignored after startup, CCC: initialized", u"CP6",
                             option, value);
    default:
        if (option >= 7 && option <= 14) {
            if (set_database_switches(option, value, Phase::running, 118)) {
                const SwitchOffText& t = kSwitchOff[option - 7];
                record(RSCPECALL, t.disconnect_location, __LINE__, t.disconnect, u"CP6",
                       t.disconnect);
            }
            return 0;
        }
        return record_option(RSCPEINTERN, 60, __LINE__, u"rscpso: illegal option", u"F44", option,
                             value);
    }
}

uint32_t set_while_starting(int32_t option, int32_t value)
{
    if (option == 6) {
        rscpe_set_on_error(value);
        return 0;
    }
    if (option >= 7 && option <= 14) {
        if (!set_database_switches(option, value, Phase::starting, 0))
            return 0;
        const SwitchOffText& t = kSwitchOff[option - 7];
        record(RSCPECALL, t.retry_location, __LINE__, t.retry, u"CP6", t.retry);
        return rscpInvalidateTablesLocked(
            nullptr, 0, t.retry, static_cast<int32_t>(strlenU16(t.retry)), RSCP_ACCEPT_ALL);
    }
    if (option >= 25 && option <= 27)
        return record_option(RSCPECALL, 145, __LINE__,
                             u"rscpso: set option ignored after startup, CCC: wrong version",
                             u"CP6", option, value);
    return record_option(RSCPEINTERN, 142, __LINE__, u"rscpso: illegal option", u"F44", option,
                         value);
}

} // namespace

uint32_t rscpso_set_option(int32_t option, int32_t value, uint32_t)
{
    const bool traced = rscph_trace_on();
    if (traced)
        rscph.rscph_TraceEnter(u"rscpso_set_option", -1, 0, 0, nullptr);
    RscpConverter& c = rscp_converter();
    uint32_t rc = 0;
    if (set_anywhere(option, value)) {
        rc = 0;
    } else if (c.state == RSCP_FRESH) {
        if (option >= 7 && option <= 14)
            set_database_switches(option, value, Phase::fresh, 117);
        else
            set_extra_switch(option, value);
    } else if (c.state == RSCP_INITIALIZED || c.state == RSCP_REINITIALIZE) {
        if (c.state == RSCP_REINITIALIZE) {
            const QOR_UC done = c.cache == nullptr                        ? u'?'
                                : ccc::current().u8(ccc::kReorgDone) != 0 ? u'T'
                                                                          : u'F';
            rscp_write_line(RSCP_WRITER_INFO,
                            u"rscpso_set_option(%d,%d,.) while I am in reinitialize state. "
                            u"CCC.reorg_done=%c.",
                            option, value, done);
        }
        rscph.rscph_GetWritePermission(99, 0);
        rscpMergeStatistics();
        rc = set_when_running(option, value);
        rscph.rscph_ReleaseWritePermission(100, 0);
    } else {
        rc = set_while_starting(option, value);
    }
    if (traced)
        rscph.rscph_TraceLeave(rc, 0, 0, nullptr);
    return rc;
}

uint32_t rscpgo_get_option(int32_t option, int32_t* value)
{
    const RscpConverter& c = rscp_converter();
    switch (option) {
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
        *value = c.db_access[option == 7 ? RSCP_DB_TCP00 : kSwitchOfOption[option - 8]] ? 1 : 0;
        return 0;
    case 18:
        *value = rscpe_trace_first() ? 1 : 0;
        return 0;
    case 19:
        *value = rscpe_trace_second() ? 1 : 0;
        return 0;
    case 20:
        *value = c.protection;
        return 0;
    case 21:
        *value = rscpe_get_report_style();
        return 0;
    case 22:
        *value = rscpe_get_sequence_numbers();
        return 0;
    case 23:
        *value = rscpe_get_own_module_heading();
        return 0;
    case 25:
        *value = c.legacy_rfc ? 1 : 0;
        return 0;
    case 26:
        *value = c.option26 ? 1 : 0;
        return 0;
    case 27:
        *value = c.option27 ? 1 : 0;
        return 0;
    default:
        break;
    }
    if (c.state == RSCP_FRESH) {
        if (option == 16 || option == 17)
            *value = 0;
        return 0;
    }
    if (c.state != RSCP_INITIALIZED && c.state != RSCP_REINITIALIZE)
        return 1;
    const ccc::Block b = ccc::current();
    switch (option) {
    case 1:
        *value = b.u8(ccc::kMbcInSbcs);
        return 0;
    case 2:
        *value = static_cast<int32_t>(b.u32(ccc::kMbcCopy));
        return 0;
    case 3:
        *value = static_cast<int32_t>(b.u32(ccc::kCache07));
        return 0;
    case 4:
        *value = 2;
        return 0;
    case 5:
        *value = static_cast<int32_t>(b.u32(ccc::kVerbose));
        return 0;
    case 6:
        *value = static_cast<int32_t>(b.u32(ccc::kErrTrace));
        return 0;
    case 16:
        *value = static_cast<int32_t>(b.u32(ccc::kRfcTraceMdmp));
        return 0;
    case 17:
        *value = static_cast<int32_t>(b.u32(ccc::kRfcTraceConv));
        return 0;
    default:
        return 1;
    }
}
