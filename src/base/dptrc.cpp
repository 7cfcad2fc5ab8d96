// Developer trace: levelled, time-stamped lines on the standard error stream,
// a caller's stream or a thread's file, written under one recursive trace
// lock, with the output, context, watch-list and file-size extension points.

#include "base/dptrc.h"
#include "base/dptrc_internal.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "base/contlocaltime.h"
#include "base/thr.h"
#include "u16/u16_os.h"
#include "u16/u16_printf.h"
#include "u16/u16_string.h"

int DpTrcLevel = 0;
CTRC DpTrcHdl = nullptr;
int DpTrcEntryLevel = 2;
int DpTrcTimeMode = 1;

namespace {

constexpr size_t kLineUnits = 8192;
constexpr size_t kLocationUnits = 32;
constexpr size_t kMaxFormat = 1024;
constexpr size_t kErrSuffixRoom = 64; // room kept for the location of error lines
constexpr size_t kMaxComponentPrefix = 31;
constexpr size_t kContextUnits = 512;
constexpr size_t kContextMinRoom = 80;
constexpr int64_t kSizeCheckSeconds = 10;
constexpr int64_t kNever = INT64_MIN;
constexpr const QOR_UC* kSourceName = u"base/dptrc/dptrace";

enum Encoding { kEnc8Bit = 1, kEncU16 = 2 };
enum Flags { kStamp = 1, kThreadTag = 2, kWarning = 4 };

struct Stamp
{
    int64_t sec = -1;
    int32_t usec = 0;
};

// A thread's trace administration: its file for component handles (null:
// standard error), its last time stamp and its last size check.
struct ThrAdm
{
    FILE* file = nullptr;
    Stamp stamp;
    int64_t last_size_check = kNever;
};

struct WatchEntry
{
    std::u16string pattern;
    DpTrcWatchCallback callback;
};

bool g_thread_tag_on = true;
QOR_UC g_line[kLineUnits];
QOR_UC g_location[kLocationUnits];
std::atomic<int> g_lock_count{0};
THR_REC_MTX g_trace_mutex;
std::once_flag g_trace_mutex_made;

Stamp g_stamp;
int64_t g_last_size_check = kNever;
// Whether the last text ended inside a line, and the component tag it had.
bool g_line_open = false;
QOR_UC g_last_tag = 0;

DpTrcComponent g_components[DPTRC_MAX_COMPONENTS];
int g_next_free_comp = 1;

THR_KEY g_adm_key = THR_KEY_NOT_CREATED;
std::once_flag g_adm_key_made;

DpTrcOutputHook g_output_hook = nullptr;
void* g_output_arg = nullptr;
DpTrcContextHook g_context_hook = nullptr;
std::vector<WatchEntry> g_watches;
bool g_in_watch_callback = false;
int g_max_file_size = -1;
DpTrcSizeCallback g_size_callback = nullptr;
bool g_size_check_on = true;

bool system_clock(int64_t* seconds, int32_t* microseconds)
{
    nlsui_timeval tv;
    if (nlsui_gettimeofday(&tv, nullptr) != 0)
        return false;
    *seconds = tv.tv_sec;
    *microseconds = tv.tv_usec;
    return true;
}

DpTrcClockFn g_clock = system_clock;

void free_thr_adm(void* value)
{
    std::unique_ptr<ThrAdm> adm(static_cast<ThrAdm*>(value));
}

void make_adm_key()
{
    ThrKeyVarCreate(&g_adm_key, free_thr_adm);
}

// The calling thread's administration, made on first use; null when it
// cannot be had.
ThrAdm* thr_adm()
{
    std::call_once(g_adm_key_made, make_adm_key);
    if (ThrAdm* adm = static_cast<ThrAdm*>(ThrKeyVarGet(&g_adm_key)))
        return adm;
    auto adm = std::make_unique<ThrAdm>();
    if (ThrKeyVarSet(&g_adm_key, adm.get()) != THR_ERR_OK)
        return nullptr;
    return adm.release();
}

struct Target
{
    FILE* file = nullptr;
    DpTrcComponent* component = nullptr; // null for plain streams
    ThrAdm* adm = nullptr;               // set for component handles

    bool tagged() const { return component != nullptr && component->tag != 0; }
    QOR_UC tag() const { return tagged() ? component->tag : 0; }
    Stamp& stamp() const { return adm != nullptr ? adm->stamp : g_stamp; }
    int64_t& last_size_check() const
    {
        return adm != nullptr ? adm->last_size_check : g_last_size_check;
    }
};

// The used component row the handle names; null for other handles. *inside
// tells whether the handle lies in the table's storage at all.
DpTrcComponent* component_of(CTRC hdl, bool* inside)
{
    const char* p = static_cast<const char*>(hdl);
    const char* table = reinterpret_cast<const char*>(g_components);
    *inside = p >= table && p < table + sizeof g_components;
    if (!*inside)
        return nullptr;
    const char* used_end = reinterpret_cast<const char*>(g_components + g_next_free_comp);
    if (p < used_end && (p - table) % sizeof(DpTrcComponent) == 0)
        return static_cast<DpTrcComponent*>(hdl);
    return nullptr;
}

// Resolves a handle to its stream; false for a value inside the component
// table that is no used row.
bool resolve(CTRC hdl, Target* target)
{
    if (hdl == nullptr) {
        target->file = stderr;
        return true;
    }
    bool inside = false;
    if (DpTrcComponent* row = component_of(hdl, &inside)) {
        target->component = row;
        target->adm = thr_adm();
        target->file =
            target->adm != nullptr && target->adm->file != nullptr ? target->adm->file : stderr;
        return true;
    }
    if (inside) {
        fprintf(stderr,
                "ERROR => CTRC_IS_HANDLE2 != CTRC_IS_HANDLE\n"
                "         hdl                      =%p\n"
                "         ctrcadm                  =%p\n"
                "         next_free_comp           =%d\n"
                "         ctrcadm + next_free_comp =%p\n",
                hdl, static_cast<void*>(g_components), g_next_free_comp,
                static_cast<void*>(g_components + g_next_free_comp));
        fflush(stderr);
        return false;
    }
    target->file = static_cast<FILE*>(hdl);
    return true;
}

// Hands a finished text to the output hook, or writes it to the file.
void emit(const Target& target, const QOR_UC* text, size_t units)
{
    if (units == 0)
        return;
    if (g_output_hook != nullptr)
        g_output_hook(g_output_arg, text, units);
    else
        fwriteU16(text, 1, units, target.file);
}

void flush(const Target& target)
{
    if (g_output_hook == nullptr)
        fflush(target.file);
}

// Formats a short message of the trace itself and emits it.
void emitf(const Target& target, const QOR_UC* fmt, ...)
{
    QOR_UC text[512];
    va_list args;
    va_start(args, fmt);
    int n = vsnprintfCutU16(text, sizeof text / sizeof text[0], fmt, args);
    va_end(args);
    if (n > 0)
        emit(target, text, strnlenU16(text, sizeof text / sizeof text[0]));
    flush(target);
}

size_t cut_count(int n, size_t room)
{
    if (n <= 0 || room == 0)
        return 0;
    return static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room - 1;
}

// Appends the thread tag at buf; returns the units written.
size_t put_thread_tag(QOR_UC* buf, size_t room)
{
    QOR_UC id[THR_ID_STR_LEN];
    THR_ID_T tid = ThrGetCurrentId();
    if (tid == THR_ID_INVALID)
        strcpy_sU16(id, THR_ID_STR_LEN, u"???");
    else
        ThrIdFormat(id, tid);
    return cut_count(snprintfCutU16(buf, room, u"[Thr %02s] ", id), room);
}

// The component's tag, two blanks and two more per indentation level.
size_t put_component_prefix(const Target& target, QOR_UC* buf, size_t room)
{
    if (!target.tagged() || room == 0)
        return 0;
    size_t len =
        2 + 2 * static_cast<size_t>(target.component->indent > 0 ? target.component->indent : 0);
    len = std::min({len + 1, kMaxComponentPrefix, room - 1});
    buf[0] = target.component->tag;
    for (size_t i = 1; i < len; ++i)
        buf[i] = u' ';
    buf[len] = 0;
    return len;
}

// What stands before every line of a text: component prefix and thread tag.
size_t put_line_prefix(const Target& target, int flags, QOR_UC* buf, size_t room)
{
    size_t len = put_component_prefix(target, buf, room);
    if ((flags & kThreadTag) && g_thread_tag_on)
        len += put_thread_tag(buf + len, room - len);
    return len;
}

bool ends_line(const QOR_UC* text, size_t len)
{
    return (len >= 1 && text[len - 1] == u'\n') ||
           (len >= 2 && text[len - 2] == u'\n' && text[len - 1] == u'\r');
}

// Writes a date line when the time-stamp mode asks for one.
void time_stamp(const Target& target, int flags)
{
    DpTrcErrnoKeeper keep;
    if (target.tagged() && target.component->level < 1)
        return;
    const int mode = DpTrcTimeMode;
    if (mode <= 0)
        return;
    int64_t sec = 0;
    int32_t usec = 0;
    if (!g_clock(&sec, &usec))
        return;
    Stamp& last = target.stamp();
    if (mode == 1) {
        if (sec == last.sec)
            return;
        last.sec = sec;
    } else {
        int32_t interval = 1000000 / mode;
        if (interval < 100000)
            interval = 100000;
        if (sec == last.sec && usec - last.usec < interval)
            return;
        last.sec = sec;
        last.usec = usec;
    }
    struct tm local;
    const bool have_local = ThrLocaltime(&sec, &local) != nullptr;

    constexpr size_t kUnits = 256;
    QOR_UC text[kUnits];
    size_t len = 0;
    auto append = [&](int n) { len += cut_count(n, kUnits - len); };
    if (DpTrcLevel == 1) {
        if (target.tagged())
            append(snprintfCutU16(text + len, kUnits - len, u"%c  ", target.tag()));
        append(snprintfCutU16(text + len, kUnits - len, u"\n"));
    }
    if (target.tagged())
        append(snprintfCutU16(text + len, kUnits - len, u"%c ", target.tag()));
    if ((flags & kThreadTag) && g_thread_tag_on)
        len += put_thread_tag(text + len, kUnits - len);

    if (mode == 1) {
        QOR_UC asc[THR_ASCTIME_LEN];
        if (have_local && ThrAsctime(&local, asc) != nullptr)
            append(snprintfCutU16(text + len, kUnits - len, u"%.24s\n", asc));
        else
            append(snprintfCutU16(text + len, kUnits - len, u"ERROR IN THRASCTIME\n"));
    } else {
        char day[64] = "";
        if (have_local && strftime(day, sizeof day, "%a %b %d %H:%M:%S", &local) > 8 &&
            day[8] == '0')
            day[8] = ' ';
        QOR_UC wday[64];
        A7ToU16(wday, day);
        append(snprintfCutU16(text + len, kUnits - len, u"%.24s:%03ld %4.4d\n", wday,
                              static_cast<int>(usec / 1000),
                              have_local ? local.tm_year + 1900 : 0));
    }
    emit(target, text, len);
    flush(target);
    g_line_open = false;
}

// Formats into g_line + start, at most limit units including the terminator.
// Returns the units produced, or -1 after writing the error line.
int format_message(const Target& target, int encoding, size_t start, size_t limit, const void* fmt,
                   va_list args, bool* truncated, int source_line)
{
    *truncated = false;
    if (encoding != kEnc8Bit && encoding != kEncU16) {
        emitf(target, u"*** ERROR => Illegal encoding(%d) for Trace [%s %d]\n", encoding,
              kSourceName, source_line);
        return -1;
    }
    const QOR_UC* format_error = encoding == kEncU16
                                     ? u"*** ERROR => vsnprintfU err, errno=%d [%s %d]\n"
                                     : u"*** ERROR => vsnprintf err, errno=%d [%s %d]\n";
    if (limit == 0 || limit > INT_MAX) {
        emitf(target, format_error, errno, kSourceName, source_line);
        return -1;
    }
    QOR_UC* out = g_line + start;
    int n;
    if (encoding == kEncU16) {
        n = vsnprintfCutU16(out, limit, static_cast<const QOR_UC*>(fmt), args);
    } else {
        static char narrow[kLineUnits];
        n = vsnprintf(narrow, limit, static_cast<const char*>(fmt), args);
        if (n >= 0)
            A7ToU16(out, narrow);
    }
    if (n < 0) {
        emitf(target, format_error, errno, kSourceName, source_line);
        return -1;
    }
    if (static_cast<size_t>(n) >= limit) {
        *truncated = true;
        return static_cast<int>(limit - 1);
    }
    return n;
}

void write_truncation_warning(const Target& target)
{
    emitf(target, u"\n%sdata was truncated\n", u"" DPTRC_WARNING_PREFIX);
    g_line_open = false;
}

// Writes text, repeating the line prefix after every inner line feed.
void write_prefixed_lines(const Target& target, const QOR_UC* text, size_t len,
                          const QOR_UC* prefix, size_t prefix_len)
{
    size_t from = 0;
    for (size_t i = 0; i < len; ++i) {
        if (text[i] != u'\n')
            continue;
        const bool last = i + 1 == len || (i + 2 == len && text[i + 1] == u'\r');
        if (last)
            break;
        emit(target, text + from, i + 1 - from);
        emit(target, prefix, prefix_len);
        from = i + 1;
    }
    emit(target, text + from, len - from);
}

// Reports every watched pattern that the line in g_line (len units) matches.
void check_watch_list(const Target& target, size_t len)
{
    if (g_watches.empty() || g_in_watch_callback)
        return;
    // Callbacks may write trace lines, which reuse g_line, or change the list.
    const std::u16string line(g_line, len);
    const std::vector<WatchEntry> watches = g_watches;
    for (const WatchEntry& w : watches) {
        if (!DpIMatchPattern(line.c_str(), w.pattern.c_str()))
            continue;
        emitf(target, u"\nDpTrc: found match for pattern >%s< in output\n", w.pattern.c_str());
        g_line_open = false;
        if (w.callback != nullptr) {
            g_in_watch_callback = true;
            w.callback(w.pattern.c_str(), line.c_str());
            g_in_watch_callback = false;
        }
    }
}

// At most once every ten seconds: reports a trace file beyond the maximum.
void check_file_size(const Target& target)
{
    if (g_max_file_size < 1 || !g_size_check_on || g_output_hook != nullptr)
        return;
    int64_t sec = 0;
    int32_t usec = 0;
    if (!g_clock(&sec, &usec))
        return;
    int64_t& last = target.last_size_check();
    if (last != kNever && sec - last < kSizeCheckSeconds)
        return;
    last = sec;
    struct stat st;
    if (fstat(fileno(target.file), &st) != 0 || st.st_size <= g_max_file_size)
        return;
    const long long size = st.st_size;
    emitf(target, u"\nDpTrc: maximum file size reached: %lld\n", size);
    g_line_open = false;
    if (g_size_callback != nullptr)
        g_size_callback(target.file, size);
}

void trace_line(int encoding, int flags, CTRC hdl, const void* fmt, va_list args, int line)
{
    DpTrcErrnoKeeper keep;
    DpTrcLockGuard lock;
    Target target;
    if (!resolve(hdl, &target))
        return;
    if (target.tagged() && target.component->level < DpTrcEntryLevel)
        return;
    if (flags & kStamp)
        time_stamp(target, flags);

    // A component's prefix opens each of its lines; another component's text
    // left inside a line is closed first.
    size_t start = 0;
    if (target.tagged()) {
        if (g_line_open && g_last_tag != target.tag()) {
            emit(target, u"\n", 1);
            g_line_open = false;
        }
        if (!g_line_open)
            start = put_component_prefix(target, g_line, kLineUnits);
    }
    if ((flags & kThreadTag) && g_thread_tag_on)
        start += put_thread_tag(g_line + start, kLineUnits - start);
    bool truncated = false;
    int n =
        format_message(target, encoding, start, kLineUnits - start, fmt, args, &truncated, line);
    if (n < 0)
        return;
    const size_t len = start + static_cast<size_t>(n);
    QOR_UC prefix[kMaxComponentPrefix + THR_ID_STR_LEN + 8];
    const size_t prefix_len =
        put_line_prefix(target, flags, prefix, sizeof prefix / sizeof *prefix);
    write_prefixed_lines(target, g_line, len, prefix, prefix_len);
    g_line_open = !ends_line(g_line, len);
    g_last_tag = target.tag();
    if (truncated)
        write_truncation_warning(target);
    flush(target);
    check_watch_list(target, len);
    check_file_size(target);
}

// The format of an error line: at most 1024 units, without its final line
// feed. 8-bit formats stay 8-bit.
struct ErrFormat
{
    QOR_UC u16[kMaxFormat + 1];
    char a8[kMaxFormat + 1];
};

// Asks the context hook for the error line's context; false without one.
bool context_info(const Target& target, QOR_UC* context)
{
    context[0] = 0;
    if (g_context_hook == nullptr)
        return false;
    const int rc = g_context_hook(context, kContextUnits);
    context[kContextUnits - 1] = 0;
    if (rc != 0) {
        emitf(target, u"\n%s contextinfo_hook_func failed %d\n", u"" DPTRC_WARNING_PREFIX, rc);
        g_line_open = false;
        return false;
    }
    return true;
}

void error_line(int encoding, int flags, CTRC hdl, const void* fmt, va_list args, bool with_errno,
                int line)
{
    DpTrcErrnoKeeper keep;
    const int caller_errno = keep.saved;
    // Context is asked for only outside nested trace calls, so that a hook
    // that traces does not call itself; system-error lines have none.
    const bool may_ask_context = !with_errno && DpTrcLockCount() < 2;
    DpTrcLockGuard lock;
    Target target;
    if (!resolve(hdl, &target))
        return;
    if (target.tagged() && target.component->level < 1)
        return;
    QOR_UC context[kContextUnits];
    const bool have_context = may_ask_context && context_info(target, context);
    if (flags & kStamp)
        time_stamp(target, flags);

    size_t len = put_line_prefix(target, flags, g_line, kLineUnits);
    const QOR_UC* prefix = (flags & kWarning) ? u"" DPTRC_WARNING_PREFIX : u"" DPTRC_ERROR_PREFIX;
    strcpy_sU16(g_line + len, kLineUnits - len, prefix);
    len += strlenU16(prefix);

    static ErrFormat copy;
    const void* use_fmt = fmt;
    if (encoding == kEncU16 && fmt != nullptr) {
        const QOR_UC* f = static_cast<const QOR_UC*>(fmt);
        size_t flen = strnlenU16(f, kMaxFormat + 1);
        if (flen > kMaxFormat) {
            emitf(target, u"*** ERROR => Dptrc fmt string truncated\n");
            flen = kMaxFormat;
        }
        memcpyU(copy.u16, f, flen, __FILE__, __LINE__);
        if (flen > 0 && copy.u16[flen - 1] == u'\n')
            --flen;
        copy.u16[flen] = 0;
        use_fmt = copy.u16;
    } else if (encoding == kEnc8Bit && fmt != nullptr) {
        const char* f = static_cast<const char*>(fmt);
        size_t flen = strnlenR(f, kMaxFormat + 1);
        if (flen > kMaxFormat) {
            emitf(target, u"*** ERROR => Dptrc fmt string truncated\n");
            flen = kMaxFormat;
        }
        memcpy(copy.a8, f, flen);
        if (flen > 0 && copy.a8[flen - 1] == '\n')
            --flen;
        copy.a8[flen] = '\0';
        use_fmt = copy.a8;
    }

    bool truncated = false;
    int n = format_message(target, encoding, len, kLineUnits - len - kErrSuffixRoom, use_fmt, args,
                           &truncated, line);
    if (n < 0)
        return;
    len += static_cast<size_t>(n);

    size_t room = kLineUnits - len;
    int m;
    if (with_errno) {
        const QOR_UC* text = strerrorU16(caller_errno);
        if (text == nullptr)
            text = u"illegal errno";
        else if (strnlenU16(text, 256) >= 256)
            text = u"error text too long";
        m = snprintfCutU16(g_line + len, room, u" (%d: %s) [%-12.12s %.5s]\n", caller_errno, text,
                           g_location, g_location + 12);
    } else {
        m = snprintfCutU16(g_line + len, room, u" [%-12.12s %.5s]\n", g_location, g_location + 12);
    }
    len += cut_count(m, room);
    room = kLineUnits - len;
    if (have_context && room > kContextMinRoom) {
        len += put_line_prefix(target, flags, g_line + len, room);
        room = kLineUnits - len;
        len += cut_count(snprintfCutU16(g_line + len, room, u"%s", context), room);
        if (!ends_line(g_line, len) && len + 1 < kLineUnits) {
            g_line[len++] = u'\n';
            g_line[len] = 0;
        }
    }
    emit(target, g_line, len);
    g_line_open = false;
    g_last_tag = target.tag();
    if (truncated)
        write_truncation_warning(target);
    flush(target);
    check_watch_list(target, len);
}

void make_trace_mutex()
{
    ThrRecMtxInit(&g_trace_mutex, u"dptrace");
}

} // namespace

void DpTrcISetClock(DpTrcClockFn clock)
{
    DpTrcLockGuard lock;
    g_clock = clock != nullptr ? clock : system_clock;
}

void DpTrcIResetStamp(void)
{
    DpTrcLockGuard lock;
    g_stamp = Stamp();
    if (ThrAdm* adm = thr_adm())
        adm->stamp = Stamp();
}

DpTrcComponent* DpTrcIComponentTable(void)
{
    return g_components;
}

bool DpTrcIShows(CTRC hdl, int level)
{
    DpTrcLockGuard lock;
    bool inside = false;
    const DpTrcComponent* row = component_of(hdl, &inside);
    return row == nullptr || row->tag == 0 || row->level >= level;
}

const QOR_UC* DpTrcILocation(void)
{
    return g_location;
}

void DpTrcSetLoc(const QOR_UC* file, int line)
{
    DpTrcLockGuard lock;
    const QOR_UC* base = file != nullptr ? file : u"";
    for (const QOR_UC* p = base; *p != 0; ++p)
        if (*p == u'/' || *p == u'\\')
            base = p + 1;
    snprintfCutU16(g_location, kLocationUnits, u"%-12.12s%d", base, line);
}

#define DPTRC_WRITER(name, encoding, flags, fmt_type)                                              \
    void name(CTRC hdl, const fmt_type* fmt, ...)                                                  \
    {                                                                                              \
        va_list args;                                                                              \
        va_start(args, fmt);                                                                       \
        trace_line(encoding, flags, hdl, fmt, args, __LINE__);                                     \
        va_end(args);                                                                              \
    }

DPTRC_WRITER(DpTrc, kEncU16, kStamp | kThreadTag, QOR_UC)
DPTRC_WRITER(DpTrcNoThr, kEncU16, kStamp, QOR_UC)
DPTRC_WRITER(DpTrcNoTime, kEncU16, kThreadTag, QOR_UC)
DPTRC_WRITER(DpTrcA, kEnc8Bit, kStamp | kThreadTag, char)

#define DPTRC_ERR_WRITER(name, encoding, flags, fmt_type, with_errno)                              \
    void name(CTRC hdl, const fmt_type* fmt, ...)                                                  \
    {                                                                                              \
        va_list args;                                                                              \
        va_start(args, fmt);                                                                       \
        error_line(encoding, flags, hdl, fmt, args, with_errno, __LINE__);                         \
        va_end(args);                                                                              \
    }

DPTRC_ERR_WRITER(DpTrcErr, kEncU16, kStamp | kThreadTag, QOR_UC, false)
DPTRC_ERR_WRITER(DpTrcErrA, kEnc8Bit, kStamp | kThreadTag, char, false)
DPTRC_ERR_WRITER(DpTrcWarn, kEncU16, kStamp | kThreadTag | kWarning, QOR_UC, false)
DPTRC_ERR_WRITER(DpTrcSysErr, kEncU16, kStamp | kThreadTag, QOR_UC, true)

void DpTrcLock(void)
{
    g_lock_count.fetch_add(1);
    std::call_once(g_trace_mutex_made, make_trace_mutex);
    ThrRecMtxLock(&g_trace_mutex);
}

void DpTrcUnlock(void)
{
    ThrRecMtxUnlock(&g_trace_mutex);
    g_lock_count.fetch_sub(1);
}

int DpTrcLockCount(void)
{
    return g_lock_count.load();
}

void DpTrcSetOutputHook(DpTrcOutputHook hook, void* arg)
{
    DpTrcLockGuard lock;
    g_output_hook = hook;
    g_output_arg = arg;
}

void DpTrcSetContextHook(DpTrcContextHook hook)
{
    DpTrcLockGuard lock;
    g_context_hook = hook;
}

bool DpTrcWatchPattern(const QOR_UC* pattern, DpTrcWatchCallback callback)
{
    if (pattern == nullptr || *pattern == 0)
        return false;
    DpTrcLockGuard lock;
    try {
        g_watches.push_back({pattern, callback});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void DpTrcUnwatchPattern(const QOR_UC* pattern)
{
    if (pattern == nullptr)
        return;
    DpTrcLockGuard lock;
    const std::u16string_view gone(pattern);
    g_watches.erase(std::remove_if(g_watches.begin(), g_watches.end(),
                                   [&](const WatchEntry& w) { return w.pattern == gone; }),
                    g_watches.end());
}

void DpTrcSetMaxFileSize(int max_bytes, DpTrcSizeCallback callback)
{
    DpTrcLockGuard lock;
    g_max_file_size = max_bytes;
    g_size_callback = callback;
    g_last_size_check = kNever;
    if (ThrAdm* adm = thr_adm())
        adm->last_size_check = kNever;
}

void DpSetSizeCheck(bool on)
{
    DpTrcLockGuard lock;
    g_size_check_on = on;
}

void DpTrcSetThrFile(FILE* file)
{
    DpTrcLockGuard lock;
    if (ThrAdm* adm = thr_adm())
        adm->file = file;
}
