// Error information: each thread's record of its last error.

#include "base/err.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "base/contlocaltime.h"
#include "base/dptrc.h"
#include "base/dptrc_internal.h"
#include "base/thr.h"
#include "rscp/rscp_utf.h"
#include "u16/u16_errtext.h"
#include "u16/u16_printf.h"
#include "u16/u16_string.h"

namespace {

constexpr int kMaxLen = ERR_MAX_LEN;
constexpr size_t kNetAreaBytes = 1366;
constexpr size_t kWork = 2000;            // units of a combined format or its result
constexpr int kMaxNetBytes = 3 * kMaxLen; // UTF-8 of a full record
constexpr const QOR_UC* kEyecatcher = u"*ERR*";
constexpr size_t kEyeUnits = 6; // "*ERR*" and its terminator
constexpr const QOR_UC* kSeparator = u"::::";
constexpr size_t kSeparatorUnits = 4;
constexpr int kMsgNoLen = 5;
constexpr int kSysLogSwitch = 3;
const unsigned char kEbcdicEyecatcher[5] = {0x5C, 0xC5, 0xD9, 0xD9, 0x5C};

struct ErrThrArea
{
    QOR_UC* text;
    unsigned char* net;
    int32_t counter;
    QOR_UC* location;
    int32_t msgno_len;
    int32_t length;
};

THR_KEY g_key = THR_KEY_NOT_CREATED;
std::once_flag g_key_made;

void free_area(void* value)
{
    ErrThrArea* area = static_cast<ErrThrArea*>(value);
    if (area == nullptr)
        return;
    free(area->text);
    free(area->net);
    free(area->location);
    free(area);
}

void make_key()
{
    ThrKeyVarCreate(&g_key, free_area);
}

ErrThrArea* get_area()
{
    std::call_once(g_key_made, make_key);
    ErrThrArea* area = static_cast<ErrThrArea*>(ThrKeyVarGet(&g_key));
    if (area != nullptr)
        return area;
    area = static_cast<ErrThrArea*>(calloc(1, sizeof(ErrThrArea)));
    if (area == nullptr)
        return nullptr;
    area->msgno_len = kMsgNoLen;
    if (ThrKeyVarSet(&g_key, area) != THR_ERR_OK) {
        free(area);
        return nullptr;
    }
    return area;
}

// The area with its two buffers, or null.
ErrThrArea* get_buffers()
{
    ErrThrArea* area = get_area();
    if (area == nullptr)
        return nullptr;
    if (area->text == nullptr) {
        area->text = static_cast<QOR_UC*>(calloc(kMaxLen, sizeof(QOR_UC)));
        if (area->text == nullptr)
            return nullptr;
    }
    if (area->net == nullptr) {
        area->net = static_cast<unsigned char*>(calloc(kNetAreaBytes, 1));
        if (area->net == nullptr) {
            free(area->text);
            area->text = nullptr;
            area->length = 0;
            return nullptr;
        }
    }
    return area;
}

// An error line of this module at trace level 1.
void trace_error(int line, const QOR_UC* fmt, ...)
{
    if (DpTrcLevel < 1)
        return;
    QOR_UC text[600];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintfCutU16(text, sizeof text / sizeof text[0], fmt, args);
    va_end(args);
    if (n < 0)
        text[0] = 0;
    DpTrcLock();
    DpTrcSetLoc(DPTRC_FILE, line);
    DpTrcEntryLevel = 1;
    DpTrcErr(DpTrcHdl, u"%s", text);
    DpTrcEntryLevel = 2;
    DpTrcUnlock();
}

// An ordinary line at the given level.
void trace_line(int level, const QOR_UC* fmt, const QOR_UC* a = nullptr, const QOR_UC* b = nullptr)
{
    if (DpTrcLevel < level)
        return;
    DpTrcLock();
    DpTrcEntryLevel = level;
    DpTrc(DpTrcHdl, fmt, a, b);
    DpTrcEntryLevel = 2;
    DpTrcUnlock();
}

// An invalid record of n units as a hex dump of its bytes, between two empty
// lines.
void hex_dump(const QOR_UC* record, int n, const QOR_UC* title)
{
    if (DpTrcLevel == 0)
        return;
    DpTrcLock();
    DpTrcNoTime(DpTrcHdl, u"\n");
    if (record != nullptr && n > 0 && DpTrcIShows(DpTrcHdl, 2))
        DpTrcHexDump(DpTrcHdl, title, record, static_cast<size_t>(n) * sizeof(QOR_UC), 0);
    DpTrcNoTime(DpTrcHdl, u"\n");
    DpTrcUnlock();
}

// Copies a text (null: empty) into dst of size units, cut to fit.
void copy_cut(QOR_UC* dst, size_t size, const QOR_UC* src)
{
    strncpyTruncU16(dst, size, src != nullptr ? src : u"", QOR_TRUNCATE);
}

// Splits a leading "(12345)" message number off text; returns the rest.
const QOR_UC* split_msgno(const QOR_UC* text, QOR_UC* msgno)
{
    msgno[0] = 0;
    if (strnlenU16(text, kMsgNoLen + 2) >= static_cast<size_t>(kMsgNoLen) && text[0] == u'(' &&
        strnlenU16(text, kMsgNoLen + 2) == kMsgNoLen + 2 && text[kMsgNoLen + 1] == u')') {
        memcpyU(msgno, text + 1, kMsgNoLen, __FILE__, __LINE__);
        msgno[kMsgNoLen] = 0;
        return text + kMsgNoLen + 2;
    }
    return text;
}

bool is_conversion_letter(QOR_UC c)
{
    switch (c) {
    case u'd':
    case u's':
    case u'o':
    case u'u':
    case u'x':
    case u'X':
    case u'e':
    case u'E':
    case u'f':
    case u'g':
    case u'n':
    case u'i':
        return true;
    default:
        return false;
    }
}

// The argument-only format of text: its directives joined by ";;;;".
void fmt_args(const QOR_UC* text, QOR_UC* out, size_t size)
{
    size_t len = 0;
    out[0] = 0;
    bool first = true;
    auto put = [&](const QOR_UC* s, size_t n) {
        if (len + n >= size)
            n = size - 1 - len;
        memcpyU(out + len, s, n, __FILE__, __LINE__);
        len += n;
        out[len] = 0;
    };
    for (const QOR_UC* p = text; *p != 0; ++p) {
        if (*p != u'%')
            continue;
        if (p[1] == u'%') {
            ++p;
            continue;
        }
        const QOR_UC* end = p + 1;
        while (*end != 0 && !is_conversion_letter(*end))
            ++end;
        if (*end != 0)
            ++end;
        if (!first)
            put(u";;;;", 4);
        put(p, static_cast<size_t>(end - p));
        first = false;
        p = end - 1;
    }
}

// Formats fmt with a copy of args into out (size units); the units produced
// (cut at size - 1), or 0 on a format error.
size_t format_with(QOR_UC* out, size_t size, const QOR_UC* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintfCutU16(out, size, fmt, copy);
    va_end(copy);
    if (n < 0) {
        out[0] = 0;
        return 0;
    }
    return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

// Formats first + "::::" + second with the arguments and splits the result
// where the first part's own output ends, so that argument texts containing
// the separator cannot move the split.
void format_pair(const QOR_UC* first, const QOR_UC* second, size_t fmt_limit, size_t result_limit,
                 va_list args, QOR_UC* out1, QOR_UC* out2)
{
    static thread_local QOR_UC combined[kWork + 1];
    static thread_local QOR_UC result[kWork + 1];
    size_t flen = strnlenU16(first, fmt_limit);
    size_t slen = strnlenU16(second, fmt_limit);
    if (flen + kSeparatorUnits + slen > fmt_limit)
        slen = fmt_limit > flen + kSeparatorUnits ? fmt_limit - flen - kSeparatorUnits : 0;
    if (flen > fmt_limit)
        flen = fmt_limit;
    memcpyU(combined, first, flen, __FILE__, __LINE__);
    memcpyU(combined + flen, kSeparator, kSeparatorUnits, __FILE__, __LINE__);
    memcpyU(combined + flen + kSeparatorUnits, second, slen, __FILE__, __LINE__);
    combined[flen + kSeparatorUnits + slen] = 0;

    // Where the first part ends in the combined output.
    combined[flen] = 0;
    const size_t first_out = format_with(result, result_limit + 1, combined, args);
    combined[flen] = kSeparator[0];
    const size_t total = format_with(result, result_limit + 1, combined, args);

    size_t n1 = first_out < total ? first_out : total;
    memcpyU(out1, result, n1, __FILE__, __LINE__);
    out1[n1] = 0;
    size_t start2 = n1 + kSeparatorUnits;
    if (first_out <= total && start2 <= total &&
        memcmp(result + n1, kSeparator, kSeparatorUnits * sizeof(QOR_UC)) == 0) {
        memcpyU(out2, result + start2, total - start2, __FILE__, __LINE__);
        out2[total - start2] = 0;
    } else {
        out2[0] = 0; // the second part was cut off
    }
}

void decimal(QOR_UC* buf, size_t size, long long value, bool empty_when_zero)
{
    if (value == 0 && empty_when_zero)
        buf[0] = 0;
    else
        snprintfCutU16(buf, size, u"%lld", value);
}

// Index of the first unit of field n in the current record, or -1.
int field_offset(const ErrThrArea* area, int n)
{
    int field = 0;
    for (int i = 0; i < area->length; ++i) {
        if (field == n)
            return i;
        if (area->text[i] == 0)
            ++field;
    }
    return field == n && n < ERR_FLD_COUNT ? area->length : -1;
}

int count_terminators(const QOR_UC* text, int length)
{
    int n = 0;
    for (int i = 0; i < length; ++i)
        if (text[i] == 0)
            ++n;
    return n;
}

bool has_eyecatchers(const QOR_UC* text, int length)
{
    return length >= static_cast<int>(2 * kEyeUnits) &&
           memcmp(text, kEyecatcher, kEyeUnits * sizeof(QOR_UC)) == 0 &&
           memcmp(text + length - kEyeUnits, kEyecatcher, kEyeUnits * sizeof(QOR_UC)) == 0;
}

const QOR_UC kEmpty[1] = {0};

int replace_field(ErrThrArea* area, int n, const QOR_UC* value, int line)
{
    const int at = field_offset(area, n);
    if (at < 0)
        return ERR_INVALID;
    const int old_len = static_cast<int>(strnlenU16(area->text + at, area->length - at));
    const int new_len = static_cast<int>(strlenU16(value));
    if (area->length - old_len + new_len > kMaxLen) {
        trace_error(line, u"ErrReplace: error info too large");
        return ERR_TOO_LARGE;
    }
    QOR_UC copy[ERR_MAX_LEN];
    memcpyU(copy, area->text, area->length, __FILE__, __LINE__);
    const int rest = at + old_len; // position of the old terminator
    memcpyU(area->text + at, value, new_len, __FILE__, __LINE__);
    memcpyU(area->text + at + new_len, copy + rest, area->length - rest, __FILE__, __LINE__);
    area->length += new_len - old_len;
    return ERR_OK;
}

// Sets the field's value without follow-ups; used by ErrReplace and ErrCpTo.
int replace_simple(int n, const QOR_UC* value)
{
    ErrThrArea* area = get_area();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    if (area->length <= 0)
        return ERR_NO_INFO;
    return replace_field(area, n, value, __LINE__);
}

} // namespace

QOR_UC* ErrSysText(int code, QOR_UC* buf, int size)
{
    if (buf == nullptr || size < 1)
        return nullptr;
    const QOR_UC* text = syserrtextErrnoU16(code);
    strncpyTruncU16(buf, static_cast<size_t>(size), text != nullptr ? text : u"", QOR_TRUNCATE);
    return buf;
}

QOR_UC* ErrIEscapePercent(const QOR_UC* src, QOR_UC* dst, size_t size)
{
    if (dst == nullptr || size == 0)
        return nullptr;
    size_t len = 0;
    for (const QOR_UC* p = src != nullptr ? src : u""; *p != 0; ++p) {
        const size_t need = (*p == u'%') ? 2 : 1;
        if (len + need > size - 1)
            break;
        dst[len++] = *p;
        if (need == 2)
            dst[len++] = u'%';
    }
    dst[len] = 0;
    return dst;
}

int ErrISetSys(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
               unsigned char log, const QOR_UC* error_text, int rc, const QOR_UC* detail,
               const QOR_UC* syscall, int syserr, const QOR_UC* descr_msg_no,
               const QOR_UC* descr_vargs, const QOR_UC* detail_msg_no, const QOR_UC* detail_vargs)
{
    ErrThrArea* area = get_buffers();
    if (area == nullptr)
        return ERR_NO_MEMORY;

    area->counter++;
    QOR_UC counter[16], rc_text[16], version_text[16], line_text[16], errno_text[16];
    QOR_UC sys_text[128], time_text[THR_ASCTIME_LEN + 32];
    decimal(counter, 16, area->counter, false);
    decimal(rc_text, 16, rc, true);
    decimal(version_text, 16, version, true);
    decimal(line_text, 16, line, true);
    decimal(errno_text, 16, syserr, true);
    if (syserr != 0)
        ErrSysText(syserr, sys_text, 128);
    else
        sys_text[0] = 0;

    const int64_t now = time(nullptr);
    struct tm local;
    if (ThrLocaltime(&now, &local) == nullptr) {
        strcpy_sU16(time_text, sizeof time_text / sizeof time_text[0], u"error in ThrLocaltime");
    } else if (ThrAsctime(&local, time_text) == nullptr) {
        strcpy_sU16(time_text, sizeof time_text / sizeof time_text[0], u"error in ThrAsctime");
    } else {
        size_t n = strlenU16(time_text);
        if (n > 0 && time_text[n - 1] == u'\n')
            time_text[n - 1] = 0;
    }

    auto or_empty = [](const QOR_UC* s) { return s != nullptr ? s : kEmpty; };
    const QOR_UC* fields[ERR_FLD_COUNT] = {
        kEyecatcher,
        u"1",
        or_empty(error_text),
        rc_text,
        or_empty(component),
        u"740",
        version_text,
        or_empty(file),
        line_text,
        or_empty(detail),
        time_text,
        or_empty(syscall),
        errno_text,
        sys_text,
        counter,
        or_empty(area->location),
        or_empty(descr_msg_no),
        or_empty(descr_vargs),
        or_empty(detail_msg_no),
        or_empty(detail_vargs),
        kEyecatcher,
    };
    size_t total = 0;
    for (const QOR_UC* f : fields)
        total += strnlenU16(f, kMaxLen + 1) + 1;

    if (total > static_cast<size_t>(kMaxLen)) {
        if (DpTrcLevel >= 1) {
            trace_error(__LINE__, u"ErrISetSys: error info too large");
            static const struct
            {
                const QOR_UC* name;
                int field;
            } kDump[] = {
                {u"LOCATION", ERR_FLD_LOCATION},
                {u"ERROR", ERR_FLD_ERROR},
                {u"TIME", ERR_FLD_TIME},
                {u"RELEASE", ERR_FLD_RELEASE},
                {u"COMPONENT", ERR_FLD_COMPONENT},
                {u"VERSION", ERR_FLD_VERSION},
                {u"RC", ERR_FLD_RC},
                {u"MODULE", ERR_FLD_MODULE},
                {u"LINE", ERR_FLD_LINE},
                {u"DETAIL", ERR_FLD_DETAIL},
                {u"SYSTEM CALL", ERR_FLD_SYSCALL},
                {u"ERRNO", ERR_FLD_ERRNO},
                {u"ERRNO TEXT", ERR_FLD_ERRNO_TEXT},
                {u"DESCR MSG NO", ERR_FLD_DESCR_MSG_NO},
                {u"DESCR VARGS", ERR_FLD_DESCR_VARGS},
                {u"DETAIL MSG NO", ERR_FLD_DETAIL_MSG_NO},
                {u"DETAIL VARGS", ERR_FLD_DETAIL_VARGS},
                {u"COUNTER", ERR_FLD_COUNTER},
            };
            DpTrcLock();
            DpTrcEntryLevel = 1;
            DpTrc(DpTrcHdl, u"%s\n", time_text);
            for (const auto& d : kDump)
                DpTrc(DpTrcHdl, u"%-12.12s%s\n", d.name, fields[d.field]);
            DpTrcEntryLevel = 2;
            DpTrcUnlock();
        }
        area->length = 0;
        return ERR_TOO_LARGE;
    }

    if (log != 0 && kSysLogSwitch >= 1) {
        DpTrcLock();
        if (DpTrcLevel >= 1) {
            DpTrcEntryLevel = 1;
            DpTrc(DpTrcHdl, u"***LOG Q0I=> %s: %s ", fields[ERR_FLD_DETAIL],
                  fields[ERR_FLD_SYSCALL]);
            if (syserr != 0)
                DpTrcNoThr(DpTrcHdl, u"(%d: %s) ", syserr, sys_text);
            DpTrcNoThr(DpTrcHdl, u"[%s %d]\n", fields[ERR_FLD_MODULE], line);
            DpTrcEntryLevel = 2;
        }
        DpTrcSetLoc(or_empty(file), line);
        DpSysLog(u"Q0I", fields[ERR_FLD_DETAIL], fields[ERR_FLD_SYSCALL], u"%14.14s%3d",
                 fields[ERR_FLD_SYSCALL], syserr);
        DpTrcUnlock();
    }

    size_t at = 0;
    for (const QOR_UC* f : fields) {
        size_t n = strlenU16(f) + 1;
        memcpyU(area->text + at, f, n, __FILE__, __LINE__);
        at += n;
    }
    area->length = static_cast<int32_t>(at);
    return ERR_OK;
}

namespace {

// The common part of ErrSet and ErrSetSys.
int set_formatted(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
                  unsigned char log, const QOR_UC* error_text, int rc, const QOR_UC* detail_fmt,
                  const QOR_UC* syscall, int syserr, size_t fmt_limit, size_t result_limit,
                  va_list args)
{
    static thread_local QOR_UC error_buf[kMaxLen + 1], detail_buf[kMaxLen + 1];
    static thread_local QOR_UC error_args[kWork + 1], detail_args[kWork + 1];
    static thread_local QOR_UC out_error[kWork + 1], out_detail[kWork + 1];
    static thread_local QOR_UC vargs_error[kWork + 1], vargs_detail[kWork + 1];
    copy_cut(error_buf, kMaxLen, error_text);
    copy_cut(detail_buf, kMaxLen, detail_fmt);

    if (get_area() == nullptr)
        return ERR_NO_MEMORY;

    QOR_UC descr_no[kMsgNoLen + 1], detail_no[kMsgNoLen + 1];
    const QOR_UC* error_rest = split_msgno(error_buf, descr_no);
    const QOR_UC* detail_rest = split_msgno(detail_buf, detail_no);

    fmt_args(error_rest, error_args, kWork);
    fmt_args(detail_rest, detail_args, kWork);
    format_pair(error_args, detail_args, kWork, kWork, args, vargs_error, vargs_detail);
    format_pair(error_rest, detail_rest, fmt_limit, result_limit, args, out_error, out_detail);

    return ErrISetSys(component, version, file, line, log, out_error, rc, out_detail, syscall,
                      syserr, descr_no, descr_no[0] != 0 ? vargs_error : kEmpty, detail_no,
                      detail_no[0] != 0 ? vargs_detail : kEmpty);
}

} // namespace

int ErrSet(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
           const QOR_UC* error_text, int rc, const QOR_UC* detail_fmt, ...)
{
    va_list args;
    va_start(args, detail_fmt);
    int r = set_formatted(component, version, file, line, 0, error_text, rc, detail_fmt, nullptr, 0,
                          kWork, kWork, args);
    va_end(args);
    return r;
}

int ErrSetSys(const QOR_UC* component, uint32_t version, const QOR_UC* file, int line,
              unsigned char log, const QOR_UC* error_text, int rc, const QOR_UC* detail_fmt,
              const QOR_UC* syscall, int syserr, ...)
{
    va_list args;
    va_start(args, syserr);
    int r = set_formatted(component, version, file, line, log, error_text, rc, detail_fmt, syscall,
                          syserr, kMaxLen + 1, kMaxLen, args);
    va_end(args);
    return r;
}

const QOR_UC* ErrGetFld(int n)
{
    if (n < 0 || n >= ERR_FLD_COUNT)
        return kEmpty;
    ErrThrArea* area = get_area();
    if (area == nullptr || area->length <= 0 || area->text == nullptr) {
        trace_line(2, u"ErrGetFld: no error info available\n");
        return kEmpty;
    }
    const int fields = count_terminators(area->text, area->length);
    if (fields < ERR_FLD_COUNT) {
        trace_error(__LINE__, u"ErrIGet: error info incomplete (%d fields only)", fields);
        return kEmpty;
    }
    const int at = field_offset(area, n);
    return at >= 0 ? area->text + at : kEmpty;
}

int ErrGetAttr(const QOR_UC** text, int* len)
{
    ErrThrArea* area = get_area();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    *text = area->text;
    *len = area->length;
    return area->length > 0 ? ERR_OK : ERR_NO_INFO;
}

bool ErrIsSet(void)
{
    ErrThrArea* area = get_area();
    return area != nullptr && area->length > 0;
}

int ErrClear(void)
{
    ErrThrArea* area = get_area();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    if (area->text != nullptr && area->length > 0)
        memset(area->text, 0, kMaxLen * sizeof(QOR_UC));
    area->length = 0;
    return ERR_OK;
}

int ErrCpTo(const QOR_UC* record, int n)
{
    if (record == nullptr || n < 0 || !has_eyecatchers(record, n)) {
        trace_error(__LINE__, u"ErrCpTo: bad err info (eyecatcher destroyed)");
        hex_dump(record, n, u"bad err info");
        return ERR_INVALID;
    }
    ErrThrArea* area = get_buffers();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    if (n > kMaxLen) {
        trace_error(__LINE__, u"ErrCpTo: error info too large (%d bytes)", n);
        return ERR_TOO_LARGE;
    }
    memcpyU(area->text, record, static_cast<size_t>(n), __FILE__, __LINE__);
    area->length = n;
    area->counter++;
    QOR_UC counter[16];
    decimal(counter, 16, area->counter, true);
    // The record is taken over in any case; when the new counter does not fit
    // (or the record has no COUNTER field) it keeps the one it came with.
    replace_simple(ERR_FLD_COUNTER, counter);
    return ERR_OK;
}

int ErrCpToNet(unsigned char* dst, int* len, int size)
{
    ErrThrArea* area = get_buffers();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    int32_t produced = 0;
    uint32_t rc =
        U16nToUtf8(reinterpret_cast<char*>(dst), size, &produced, area->text, area->length);
    if (rc != 0)
        return ERR_CONVERSION;
    if (len != nullptr)
        *len = produced;
    return ERR_OK;
}

int ErrCpNetToInt(const unsigned char* data, int n)
{
    ErrThrArea* area = get_buffers();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    if (data == nullptr || n < 0)
        return ERR_INVALID;
    const bool ebcdic = n >= 5 && memcmp(data, kEbcdicEyecatcher, 5) == 0;
    if (n > (ebcdic ? kMaxLen : kMaxNetBytes)) {
        trace_error(__LINE__, u"ErrCpNetToInt2: internal area too small (%d<%d)", kMaxLen, n);
        return ERR_TOO_LARGE;
    }
    int32_t units = 0;
    if (ebcdic) {
        EbcdicToU16(area->text, data, n);
        units = n;
    } else {
        // Converted aside first: a record too long for the area leaves the
        // current one as it is, like one whose bytes alone are too many.
        QOR_UC converted[kMaxLen];
        uint32_t rc =
            Utf8nToU16(converted, kMaxLen, &units, reinterpret_cast<const char*>(data), n);
        if (rc == RSCPETOOLONG) {
            trace_error(__LINE__, u"ErrCpNetToInt2: internal area too small (%d<%d)", kMaxLen, n);
            return ERR_TOO_LARGE;
        }
        if (rc != 0) {
            area->length = 0;
            return ERR_CONVERSION;
        }
        memcpyU(area->text, converted, static_cast<size_t>(units), __FILE__, __LINE__);
    }
    area->length = units;
    if (!has_eyecatchers(area->text, units)) {
        trace_error(__LINE__, u"ErrCpNetToInt: bad err info (eyecatcher destroyed)");
        hex_dump(area->text, units, u"bad err info");
        ErrClear();
        return ERR_INVALID;
    }
    const int fields = count_terminators(area->text, units);
    if (fields < ERR_FLD_COUNT) {
        trace_error(__LINE__, u"ErrCpNetToInt: error info incomplete (%d fields only)", fields);
        ErrClear();
        return ERR_INVALID;
    }
    return ERR_OK;
}

int ErrReplace(int n, ...)
{
    ErrThrArea* area = get_area();
    if (area == nullptr)
        return ERR_NO_MEMORY;
    if (area->length <= 0) {
        trace_line(2, u"ErrReplace: no error info available\n");
        return ERR_NO_INFO;
    }
    if (n < ERR_FLD_ERROR || n > ERR_FLD_DETAIL_VARGS || n == ERR_FLD_TIME)
        return ERR_NOT_REPLACEABLE;

    static thread_local QOR_UC value[kMaxLen + 1];
    static thread_local QOR_UC vargs[kMaxLen + 1];
    static thread_local QOR_UC fmt_copy[kMaxLen + 1];
    static thread_local QOR_UC arg_fmt[kMaxLen + 1];
    QOR_UC msgno[kMsgNoLen + 1] = {0};
    int code = 0;

    va_list args;
    va_start(args, n);
    switch (n) {
    case ERR_FLD_ERROR:
    case ERR_FLD_DETAIL: {
        copy_cut(fmt_copy, kMaxLen, va_arg(args, const QOR_UC*));
        const QOR_UC* rest = split_msgno(fmt_copy, msgno);
        format_with(value, kMaxLen, rest, args);
        fmt_args(rest, arg_fmt, kMaxLen);
        format_with(vargs, kMaxLen, arg_fmt, args);
        break;
    }
    case ERR_FLD_RC:
    case ERR_FLD_COUNTER:
        decimal(value, 16, va_arg(args, int), true);
        break;
    case ERR_FLD_ERRNO:
        code = va_arg(args, int);
        decimal(value, 16, code, false);
        break;
    case ERR_FLD_LOCATION:
    case ERR_FLD_DESCR_MSG_NO:
    case ERR_FLD_DETAIL_MSG_NO: {
        const QOR_UC* fmt = va_arg(args, const QOR_UC*);
        format_with(value, kMaxLen, fmt != nullptr ? fmt : kEmpty, args);
        break;
    }
    default:
        copy_cut(value, kMaxLen + 1, va_arg(args, const QOR_UC*));
        break;
    }
    va_end(args);

    int rc = replace_field(area, n, value, __LINE__);
    if (rc != ERR_OK)
        return rc;
    if (n == ERR_FLD_ERROR || n == ERR_FLD_DETAIL) {
        const int no_field = n == ERR_FLD_ERROR ? ERR_FLD_DESCR_MSG_NO : ERR_FLD_DETAIL_MSG_NO;
        rc = replace_field(area, no_field, msgno, __LINE__);
        if (rc == ERR_OK)
            rc = replace_field(area, no_field + 1, msgno[0] != 0 ? vargs : kEmpty, __LINE__);
    } else if (n == ERR_FLD_ERRNO) {
        QOR_UC text[128];
        ErrSysText(code, text, 128);
        rc = replace_field(area, ERR_FLD_ERRNO_TEXT, text, __LINE__);
    }
    return rc;
}
