// The converter's hook table and output writers with their defaults.
#include "rscpc/hooks.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "base/contlocaltime.h"
#include "rscp/rscp_utf.h"
#include "rscpc/errors.h"
#include "rscpc/modules.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kIdent = rscpc::kRscphookIdent;

unsigned char g_trace_pair[2] = {0, 0};

void* hook_malloc(uint32_t, uint32_t, uint64_t, size_t size, unsigned char fill)
{
    void* block = std::malloc(size);
    if (block != nullptr && fill != 222)
        std::memset(block, fill, size);
    return block;
}

uint32_t hook_free(uint32_t, void* block, uint32_t tag, uint32_t)
{
    if (tag != 254)
        return 0xFFFFFFFFu;
    std::free(block);
    return 0;
}

/* Ids whose lines only inform and are dropped. */
bool quiet_syslog_id(const QOR_UC* id)
{
    static const QOR_UC* const kQuiet[] = {u"CPS", u"CPT", u"E10", u"E12"};
    for (const QOR_UC* quiet : kQuiet)
        if (std::memcmp(id, quiet, 3 * sizeof(QOR_UC)) == 0)
            return true;
    return false;
}

void hook_syslog_id(QOR_UC letter, const QOR_UC* id, const QOR_UC* text)
{
    QOR_UC line[80];
    std::memcpy(line, u"Syslog: ", 8 * sizeof(QOR_UC));
    line[8] = letter;
    line[9] = u' ';
    std::memcpy(line + 10, id, 3 * sizeof(QOR_UC));
    std::memcpy(line + 13, u" : ", 3 * sizeof(QOR_UC));
    std::memcpy(line + 16, text, 64 * sizeof(QOR_UC));
    rscp_writers[quiet_syslog_id(id) ? RSCP_WRITER_INFO : RSCP_WRITER_STDERR](line, 80);
}

/* "Syslog: " and at most limit characters of the text. */
void syslog_prefixed(const QOR_UC* prefix, size_t prefix_length, const QOR_UC* text, int32_t length,
                     int32_t limit)
{
    QOR_UC line[200];
    std::memcpy(line, prefix, prefix_length * sizeof(QOR_UC));
    const int32_t n = length < 0 ? 0 : length < limit ? length : limit;
    if (n > 0)
        std::memcpy(line + prefix_length, text, static_cast<size_t>(n) * sizeof(QOR_UC));
    rscp_writers[RSCP_WRITER_STDERR](line, static_cast<int32_t>(prefix_length) + n);
}

void hook_syslog_text(const QOR_UC* text, int32_t length)
{
    syslog_prefixed(u"Syslog: ", 8, text, length, 192);
}

void hook_syslog_params(int32_t count, const RscpSyslogParam* params)
{
    for (int32_t i = 0; i < count; ++i) {
        QOR_UC prefix[12] = {u'S', u'y', u's', u'l', u'o', u'g',
                             u':', u' ', u'p', u'1', u':', u' '};
        prefix[9] = static_cast<QOR_UC>(u'1' + i);
        syslog_prefixed(prefix, 12, params[i].text, params[i].length, 188);
    }
}

void put_digits(QOR_UC* out, int value, int count)
{
    for (int i = count - 1; i >= 0; --i) {
        out[i] = static_cast<QOR_UC>(u'0' + value % 10);
        value /= 10;
    }
}

void hook_timestamp(QOR_UC* out)
{
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    struct tm local = {};
    if (ThrLocaltime(&now, &local) == nullptr)
        local = tm{};
    const int year = local.tm_year + 1900;
    put_digits(out, year < 0 ? 0 : year % 10000, 4);
    put_digits(out + 4, local.tm_mon + 1, 2);
    put_digits(out + 6, local.tm_mday, 2);
    put_digits(out + 8, local.tm_hour, 2);
    put_digits(out + 10, local.tm_min, 2);
    put_digits(out + 12, local.tm_sec, 2);
    out[14] = u'0';
    out[15] = u'0';
}

int hook_sleep(uint32_t seconds)
{
    return nlsui_sleep(seconds);
}

int hook_err_trace_wanted(void)
{
    return 0;
}
void hook_err_trace_fatal(int32_t) {}
void hook_err_trace_write(unsigned char, const QOR_UC*, int32_t, const QOR_UC*, int32_t) {}
void hook_trace_enter(const QOR_UC*, int32_t, int32_t, int32_t, void*) {}
void hook_trace_leave(uint32_t, int32_t, int32_t, void*) {}
void hook_section_begin(const QOR_UC*, void*) {}
void hook_section_end(void*) {}

const QOR_UC* hook_set_locale(int category, const QOR_UC* locale)
{
    static QOR_UC answer[256];
    char name[256];
    const char* wanted = nullptr;
    if (locale != nullptr) {
        rscpU16zToUtf8(name, sizeof name, nullptr, locale);
        wanted = name;
    }
    const char* result = std::setlocale(category, wanted);
    if (result == nullptr)
        return nullptr;
    rscpUtf8zToU16(answer, 256, nullptr, result);
    return answer;
}

void hook_abort(int32_t, const QOR_UC*, int32_t, int32_t, int32_t, const QOR_UC*, int32_t,
                const QOR_UC*, int32_t)
{
    std::abort();
}

const QOR_UC* hook_get_parameter(const QOR_UC*)
{
    return nullptr;
}

void hook_query_parameter(const QOR_UC*, const QOR_UC** value1, const QOR_UC** value2,
                          const QOR_UC** value3, int32_t* further)
{
    for (const QOR_UC** value : {value1, value2, value3})
        if (value != nullptr)
            *value = nullptr;
    if (further != nullptr)
        std::memset(further, 0, 9 * sizeof(int32_t));
}

uint32_t hook_get_release(QOR_UC* out)
{
    std::memcpy(out, rscph.release, sizeof rscph.release);
    return 128;
}

uint32_t hook_get_system_type(QOR_UC* out)
{
    out[0] = u'E';
    return 128;
}

uint32_t hook_get_client(QOR_UC* out)
{
    std::memcpy(out, u"0000", 4 * sizeof(QOR_UC));
    return 128;
}

uint32_t hook_no_lock(int32_t, unsigned char)
{
    return 0;
}

uint32_t hook_sema_diagnose(const QOR_UC*, int32_t, RscpLineOut callback, void* writer,
                            int32_t level, int32_t* out)
{
    static const QOR_UC kText[] = u"Neither semaphores nor mutexes are used.";
    if (level >= 3 && callback != nullptr)
        callback(kText, static_cast<int32_t>(strlenU16(kText)), writer);
    if (out != nullptr)
        *out = 0;
    return 0;
}

/* calloc: the block comes zero-filled, so the cache creation need not touch
 * the pages it leaves empty. */
uint32_t hook_allocate_cccc(void** block, unsigned char* zero_filled, unsigned char* reused,
                            QOR_UC* allocator_name, uint32_t size, int32_t location)
{
    if (rscph_trace_on())
        rscph.rscph_TraceEnter(u"rscph_AllocateCCCC", -1, 0, 0, nullptr);
    *block = nullptr;
    *zero_filled = 0;
    *reused = 0;
    strcpyU16(allocator_name, u"malloc");
    void* memory = std::calloc(size, 1);
    if (memory == nullptr)
        return rscpe__error(RSCPEINTERN, u'C', RSCP_ACCEPT_ALL, kIdent, location, 1122,
                            u"cannot malloc for char code convert cache", u"F33", nullptr, 0,
                            nullptr, 0);
    *block = memory;
    *zero_filled = 1;
    return 0;
}

uint32_t hook_release_cccc(void* block, uint32_t, unsigned char* released)
{
    std::free(block);
    if (released != nullptr)
        *released = 1;
    return 0;
}

/* A time stamp and a note, to the standard-error writer. */
void stamped_line(const QOR_UC* note)
{
    QOR_UC line[64];
    rscph.rscph_Timestamp(line);
    const size_t n = strlenU16(note);
    std::memcpy(line + 16, note, n * sizeof(QOR_UC));
    rscp_writers[RSCP_WRITER_STDERR](line, static_cast<int32_t>(16 + n));
}

int hook_wait_before_clearing(uint32_t seconds)
{
    stamped_line(u" WaitBeforeClearing...");
    const int result = rscph.rscph_Sleep(seconds);
    stamped_line(u" ...Clearing CCCC now.");
    return result;
}

void hook_cache_protected(unsigned char) {}

constexpr RscpHookTable kDefaults = {hook_malloc,
                                     hook_free,
                                     hook_syslog_id,
                                     hook_syslog_text,
                                     hook_syslog_params,
                                     hook_timestamp,
                                     g_trace_pair,
                                     hook_sleep,
                                     hook_err_trace_wanted,
                                     hook_err_trace_fatal,
                                     hook_err_trace_write,
                                     hook_trace_enter,
                                     hook_trace_leave,
                                     hook_section_begin,
                                     hook_section_end,
                                     hook_set_locale,
                                     hook_abort,
                                     hook_get_parameter,
                                     hook_query_parameter,
                                     {u'4', u'1', u'0', u'3'},
                                     hook_get_release,
                                     hook_get_system_type,
                                     hook_get_client,
                                     hook_no_lock,
                                     hook_no_lock,
                                     hook_no_lock,
                                     hook_no_lock,
                                     hook_sema_diagnose,
                                     hook_no_lock,
                                     hook_no_lock,
                                     hook_allocate_cccc,
                                     hook_release_cccc,
                                     hook_wait_before_clearing,
                                     hook_cache_protected};

} // namespace

RscpHookTable rscph_defaults(void)
{
    return kDefaults;
}

RscpHookTable rscph = kDefaults;

void rscp_write_stderr(const QOR_UC* text, int32_t length)
{
    fprintfU16(stderr, u"%*.*s\n", length, length, text);
}

void rscp_write_null(const QOR_UC*, int32_t) {}

RscpWriter rscp_writers[3] = {rscp_write_stderr, rscp_write_null, rscp_write_null};

void rscp_write_line(int writer, const QOR_UC* format, ...)
{
    QOR_UC line[256];
    va_list args;
    va_start(args, format);
    vsnprintfCutU16(line, 256, format, args);
    va_end(args);
    rscp_writers[writer](line, static_cast<int32_t>(strnlenU16(line, 256)));
}

void rscp_line_to_writer(const QOR_UC* text, int32_t length, void* writer_entry)
{
    (*static_cast<RscpWriter*>(writer_entry))(text, length);
}

bool rscph_trace_on(void)
{
    return rscph.trace != nullptr && rscph.trace[0] != 0;
}
