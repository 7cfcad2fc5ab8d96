// Developer trace: levelled, time-stamped lines on the standard error stream
// or a caller's stream, written under one recursive trace lock.

#include "base/dptrc.h"
#include "base/dptrc_internal.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <mutex>

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
constexpr const QOR_UC* kSourceName = u"base/dptrc/dptrace";

enum Encoding { kEnc8Bit = 1, kEncU16 = 2 };
enum Flags { kStamp = 1, kThreadTag = 2, kWarning = 4 };

bool g_thread_tag_on = true;
QOR_UC g_line[kLineUnits];
QOR_UC g_location[kLocationUnits];
std::atomic<int> g_lock_count{0};
THR_REC_MTX g_trace_mutex;
std::once_flag g_trace_mutex_made;

int64_t g_last_sec = -1;
int32_t g_last_usec = 0;

DpTrcComponent g_components[DPTRC_MAX_COMPONENTS];
int g_next_free_comp = 1;

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

// Keeps errno as the caller saw it.
struct ErrnoKeeper
{
    int saved = errno;
    ~ErrnoKeeper() { errno = saved; }
};

// Holds the trace lock for one writer call.
struct TraceLock
{
    TraceLock() { DpTrcLock(); }
    ~TraceLock() { DpTrcUnlock(); }
    TraceLock(const TraceLock&) = delete;
    TraceLock& operator=(const TraceLock&) = delete;
};

struct Target
{
    FILE* file = nullptr;
    DpTrcComponent* component = nullptr; // null for plain streams
};

// Resolves a handle to its stream; false for a value inside the component
// table that is no used row.
bool resolve(CTRC hdl, Target* target)
{
    if (hdl == nullptr) {
        target->file = stderr;
        return true;
    }
    const char* p = static_cast<const char*>(hdl);
    const char* table = reinterpret_cast<const char*>(g_components);
    if (p >= table && p < table + sizeof g_components) {
        const char* used_end = reinterpret_cast<const char*>(g_components + g_next_free_comp);
        if (p < used_end && (p - table) % sizeof(DpTrcComponent) == 0) {
            target->component = static_cast<DpTrcComponent*>(hdl);
            target->file = stderr; // no thread has a file of its own
            return true;
        }
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

void write_units(FILE* file, const QOR_UC* text, size_t units)
{
    if (units > 0)
        fwriteU16(text, 1, units, file);
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
    int n = snprintfCutU16(buf, room, u"[Thr %02s] ", id);
    if (n < 0)
        return 0;
    return static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room - 1;
}

// Writes a date line when the time-stamp mode asks for one.
void time_stamp(const Target& target, int flags)
{
    ErrnoKeeper keep;
    if (target.component != nullptr && target.component->tag != 0 && target.component->level < 1)
        return;
    const int mode = DpTrcTimeMode;
    if (mode <= 0)
        return;
    int64_t sec = 0;
    int32_t usec = 0;
    if (!g_clock(&sec, &usec))
        return;
    if (mode == 1) {
        if (sec == g_last_sec)
            return;
        g_last_sec = sec;
    } else {
        int32_t interval = 1000000 / mode;
        if (interval < 100000)
            interval = 100000;
        if (sec == g_last_sec && usec - g_last_usec < interval)
            return;
        g_last_sec = sec;
        g_last_usec = usec;
    }
    struct tm local;
    const bool have_local = ThrLocaltime(&sec, &local) != nullptr;

    QOR_UC text[256];
    size_t len = 0;
    auto append = [&](int n) {
        if (n > 0)
            len += static_cast<size_t>(n) < sizeof text / sizeof text[0] - len
                       ? static_cast<size_t>(n)
                       : sizeof text / sizeof text[0] - len - 1;
    };
    const bool tagged = target.component != nullptr && target.component->tag != 0;
    if (DpTrcLevel == 1) {
        if (tagged)
            append(snprintfCutU16(text + len, 256 - len, u"%c  ", target.component->tag));
        append(snprintfCutU16(text + len, 256 - len, u"\n"));
    }
    if (tagged)
        append(snprintfCutU16(text + len, 256 - len, u"%c ", target.component->tag));
    if ((flags & kThreadTag) && g_thread_tag_on)
        len += put_thread_tag(text + len, 256 - len);

    if (mode == 1) {
        QOR_UC asc[THR_ASCTIME_LEN];
        if (have_local && ThrAsctime(&local, asc) != nullptr)
            append(snprintfCutU16(text + len, 256 - len, u"%.24s\n", asc));
        else
            append(snprintfCutU16(text + len, 256 - len, u"ERROR IN THRASCTIME\n"));
    } else {
        char day[64] = "";
        if (have_local && strftime(day, sizeof day, "%a %b %d %H:%M:%S", &local) > 8 &&
            day[8] == '0')
            day[8] = ' ';
        QOR_UC wday[64];
        A7ToU16(wday, day);
        append(snprintfCutU16(text + len, 256 - len, u"%.24s:%03ld %4.4d\n", wday,
                              static_cast<int>(usec / 1000),
                              have_local ? local.tm_year + 1900 : 0));
    }
    write_units(target.file, text, len);
    fflush(target.file);
}

// Formats into g_line + start, at most limit units including the terminator.
// Returns the units produced, or -1 after writing the error line.
int format_message(const Target& target, int encoding, size_t start, size_t limit, const void* fmt,
                   va_list args, bool* truncated, int source_line)
{
    *truncated = false;
    if (encoding != kEnc8Bit && encoding != kEncU16) {
        fprintfU16(target.file, u"*** ERROR => Illegal encoding(%d) for Trace [%s %d]\n", encoding,
                   kSourceName, source_line);
        fflush(target.file);
        return -1;
    }
    if (limit == 0 || limit > INT_MAX) {
        fprintfU16(target.file,
                   encoding == kEncU16 ? u"*** ERROR => vsnprintfU err, errno=%d [%s %d]\n"
                                       : u"*** ERROR => vsnprintf err, errno=%d [%s %d]\n",
                   errno, kSourceName, source_line);
        fflush(target.file);
        return -1;
    }
    QOR_UC* out = g_line + start;
    if (encoding == kEncU16) {
        int n = vsnprintfCutU16(out, limit, static_cast<const QOR_UC*>(fmt), args);
        if (n < 0) {
            fprintfU16(target.file, u"*** ERROR => vsnprintfU err, errno=%d [%s %d]\n", errno,
                       kSourceName, source_line);
            fflush(target.file);
            return -1;
        }
        if (static_cast<size_t>(n) >= limit) {
            *truncated = true;
            return static_cast<int>(limit - 1);
        }
        return n;
    }
    static char narrow[kLineUnits];
    int n = vsnprintf(narrow, limit, static_cast<const char*>(fmt), args);
    if (n < 0) {
        fprintfU16(target.file, u"*** ERROR => vsnprintf err, errno=%d [%s %d]\n", errno,
                   kSourceName, source_line);
        fflush(target.file);
        return -1;
    }
    if (static_cast<size_t>(n) >= limit) {
        *truncated = true;
        n = static_cast<int>(limit - 1);
    }
    A7ToU16(out, narrow);
    return n;
}

void write_truncation_warning(FILE* file)
{
    fprintfU16(file, u"\n%sdata was truncated\n", u"" DPTRC_WARNING_PREFIX);
}

// Writes text, repeating the thread tag after every inner line feed.
void write_tagged_lines(FILE* file, const QOR_UC* text, size_t len, const QOR_UC* tag,
                        size_t tag_len)
{
    size_t from = 0;
    for (size_t i = 0; i < len; ++i) {
        if (text[i] != u'\n')
            continue;
        const bool last = i + 1 == len || (i + 2 == len && text[i + 1] == u'\r');
        if (last)
            break;
        write_units(file, text + from, i + 1 - from);
        write_units(file, tag, tag_len);
        from = i + 1;
    }
    write_units(file, text + from, len - from);
}

void trace_line(int encoding, int flags, CTRC hdl, const void* fmt, va_list args, int line)
{
    ErrnoKeeper keep;
    TraceLock lock;
    Target target;
    if (!resolve(hdl, &target))
        return;
    if (target.component != nullptr && target.component->tag != 0 &&
        target.component->level < DpTrcEntryLevel)
        return;
    if (flags & kStamp)
        time_stamp(target, flags);

    size_t prefix = 0;
    if ((flags & kThreadTag) && g_thread_tag_on)
        prefix = put_thread_tag(g_line, kLineUnits);
    bool truncated = false;
    int n =
        format_message(target, encoding, prefix, kLineUnits - prefix, fmt, args, &truncated, line);
    if (n < 0)
        return;
    const size_t len = prefix + static_cast<size_t>(n);
    if (prefix > 0)
        write_tagged_lines(target.file, g_line, len, g_line, prefix);
    else
        write_units(target.file, g_line, len);
    if (truncated)
        write_truncation_warning(target.file);
    fflush(target.file);
}

// The format of an error line: at most 1024 units, without its final line
// feed. 8-bit formats stay 8-bit.
struct ErrFormat
{
    QOR_UC u16[kMaxFormat + 1];
    char a8[kMaxFormat + 1];
};

void error_line(int encoding, int flags, CTRC hdl, const void* fmt, va_list args, bool with_errno,
                int line)
{
    ErrnoKeeper keep;
    const int caller_errno = keep.saved;
    TraceLock lock;
    Target target;
    if (!resolve(hdl, &target))
        return;
    if (target.component != nullptr && target.component->tag != 0 && target.component->level < 1)
        return;
    if (flags & kStamp)
        time_stamp(target, flags);

    size_t len = 0;
    if ((flags & kThreadTag) && g_thread_tag_on)
        len = put_thread_tag(g_line, kLineUnits);
    const QOR_UC* prefix = (flags & kWarning) ? u"" DPTRC_WARNING_PREFIX : u"" DPTRC_ERROR_PREFIX;
    strcpy_sU16(g_line + len, kLineUnits - len, prefix);
    len += strlenU16(prefix);

    static ErrFormat copy;
    const void* use_fmt = fmt;
    if (encoding == kEncU16 && fmt != nullptr) {
        const QOR_UC* f = static_cast<const QOR_UC*>(fmt);
        size_t flen = strnlenU16(f, kMaxFormat + 1);
        if (flen > kMaxFormat) {
            fprintfU16(target.file, u"*** ERROR => Dptrc fmt string truncated\n");
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
            fprintfU16(target.file, u"*** ERROR => Dptrc fmt string truncated\n");
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

    const size_t room = kLineUnits - len;
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
    if (m > 0)
        len += static_cast<size_t>(m) < room ? static_cast<size_t>(m) : room - 1;
    write_units(target.file, g_line, len);
    if (truncated)
        write_truncation_warning(target.file);
    fflush(target.file);
}

void make_trace_mutex()
{
    ThrRecMtxInit(&g_trace_mutex, u"dptrace");
}

} // namespace

void DpTrcISetClock(DpTrcClockFn clock)
{
    TraceLock lock;
    g_clock = clock != nullptr ? clock : system_clock;
}

void DpTrcIResetStamp(void)
{
    TraceLock lock;
    g_last_sec = -1;
    g_last_usec = 0;
}

DpTrcComponent* DpTrcIComponentTable(void)
{
    return g_components;
}

void DpTrcSetLoc(const QOR_UC* file, int line)
{
    TraceLock lock;
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
