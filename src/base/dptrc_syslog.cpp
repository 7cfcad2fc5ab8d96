// System log of the developer trace: fixed-width records of a message, two
// short texts and the trace location, handed to a writer hook; by default
// to the operating system's log.

#include "base/dptrc.h"
#include "base/dptrc_internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>

#include "platform/i18n_os.h"
#include "rscp/rscp_utf.h"
#include "u16/u16_printf.h"

namespace {

constexpr int kFieldUnits = 100;
constexpr int kShortLimit = 39; // messages below fit the short record
constexpr int kLongLimit = 53;  // below: the long record still has the location
constexpr int kShortMessage = 38, kTextUnits = 7, kLongMessage = 52;
constexpr int kFileUnits = 8, kLineUnits = 4, kLineOffset = 12;

DpSysLogWriter g_writer = DpSysLogToSystem;
DpSysLogCopy g_copy = PadCopyU16z;

// Formats the message into a field of blanks; the length of the message.
int format_field(QOR_UC* field, const QOR_UC* fmt, va_list args)
{
    std::fill(field, field + kFieldUnits, u' ');
    field[kFieldUnits] = 0;
    int n = fmt != nullptr ? vsnprintfCutU16(field, kFieldUnits + 1, fmt, args) : 0;
    n = std::clamp(n, 0, kFieldUnits);
    field[n] = n < kFieldUnits ? u' ' : 0;
    return n;
}

// The location's file name and line, at the record's end.
void copy_location(QOR_UC* record)
{
    const QOR_UC* location = DpTrcILocation();
    g_copy(record, location, kFileUnits);
    g_copy(record + kFileUnits, location + kLineOffset, kLineUnits);
}

// A record of the message, the two texts (when given) and the location;
// a message that is too long for them keeps more of its own text instead.
void log_entry(const QOR_UC* id, bool with_texts, const QOR_UC* text1, const QOR_UC* text2,
               const QOR_UC* fmt, va_list args)
{
    DpTrcErrnoKeeper keep;
    DpTrcLockGuard lock;
    if (g_writer == nullptr || g_copy == nullptr)
        return;
    QOR_UC field[kFieldUnits + 1];
    const int len = format_field(field, fmt, args);
    QOR_UC record[DPSYSLOG_RECORD_LEN + 1];
    int kind = DPSYSLOG_RAW;
    if (with_texts && len < kShortLimit) {
        g_copy(record, field, kShortMessage);
        g_copy(record + kShortMessage, text1 != nullptr ? text1 : u"", kTextUnits);
        g_copy(record + kShortMessage + kTextUnits, text2 != nullptr ? text2 : u"", kTextUnits);
        copy_location(record + kShortMessage + 2 * kTextUnits);
        kind = DPSYSLOG_SHORT;
    } else if (len < kLongLimit) {
        g_copy(record, field, kLongMessage);
        copy_location(record + kLongMessage);
        kind = DPSYSLOG_LONG;
    } else {
        g_copy(record, field, DPSYSLOG_RECORD_LEN);
    }
    record[DPSYSLOG_RECORD_LEN] = 0;
    g_writer(kind, id, record);
}

} // namespace

void DpSysLogToSystem(int, const QOR_UC* id, const QOR_UC* record)
{
    QOR_UC line[DPSYSLOG_RECORD_LEN + 8];
    snprintfCutU16(line, sizeof line / sizeof *line, u"%.3s %s", id, record);
    char text[4 * sizeof line / sizeof *line];
    int32_t len = 0;
    if (U16zToUtf8(text, sizeof text, &len, line) == 0)
        i18n_report_event(nullptr, text); // under the program's own name
}

void DpSysLogSetHooks(DpSysLogWriter writer, DpSysLogCopy copy)
{
    DpTrcLockGuard lock;
    g_writer = writer;
    g_copy = copy;
}

void DpSysLog(const QOR_UC* id, const QOR_UC* text1, const QOR_UC* text2, const QOR_UC* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    log_entry(id, true, text1, text2, fmt, args);
    va_end(args);
}

void DpSysLogRaw(const QOR_UC* id, const QOR_UC* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    log_entry(id, false, nullptr, nullptr, fmt, args);
    va_end(args);
}
