#include "u16/u16_os.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/u16_debug.h"
#include "platform/u16_process.h"
#include "platform/u16_sleep.h"
#include "platform/u16_terminal.h"
#include "platform/u16_zone.h"
#include "u16/u16_diag.h"
#include "u16/u16_printf.h"
#include "u16/u16_secret.h"

namespace {

constexpr char kSourceName[] = "flat/nlsui1";
constexpr int kPasswordUnits = 256;
QOR_UC g_password[kPasswordUnits];
QOR_UC g_error_text[MAX_ERROR_LN];

bool g_tz_cached = false;
nlsui_timezone g_tz{};

/* The whole 16-bit name as UTF-8; false when it holds a lone surrogate. */
bool name_to_utf8(const QOR_UC* name, std::string& out)
{
    out.clear();
    for (const QOR_UC* p = name; *p != 0; ++p) {
        uint32_t cp = *p;
        if (cp >= 0xD800 && cp <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (p[1] - 0xDC00u);
            ++p;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            return false;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return true;
}

bool is_null_device(const std::string& name)
{
    if (name.size() != 3 && !(name.size() == 4 && name[3] == ':'))
        return false;
    return (name[0] == 'N' || name[0] == 'n') && (name[1] == 'U' || name[1] == 'u') &&
           (name[2] == 'L' || name[2] == 'l');
}

} // namespace

int nlsui_is_service_process(void)
{
    return u16_is_service_process();
}

int nlsui_sleep(uint32_t seconds)
{
    /* 64-bit milliseconds: a 32-bit product would wrap after 49 days. */
    u16_sleep_ms(static_cast<uint64_t>(seconds) * 1000u);
    return 0;
}

int nlsui_getppid(void)
{
    const char* value = std::getenv("PPID");
    if (value == nullptr || *value == 0)
        return 0;
    /* Read whole with the range of a 32-bit long: too large clamps. */
    const long long id = std::strtoll(value, nullptr, 10);
    if (id > INT32_MAX)
        return INT32_MAX;
    if (id < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(id);
}

int nlsui_gettimeofday(struct nlsui_timeval* tv, struct nlsui_timezone* tz)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (tv != nullptr) {
        tv->tv_sec = static_cast<int32_t>(now.tv_sec);
        tv->tv_usec = static_cast<int32_t>(now.tv_nsec / 1000000 * 1000);
    }
    if (!g_tz_cached) {
        /* Minutes west of the zone's standard time, whatever the season, and
         * the zone's own daylight-saving shift (-60 for one hour ahead). */
        u16_zone_biases(now.tv_sec, &g_tz.tz_minuteswest, &g_tz.tz_dsttime);
        g_tz_cached = true;
    }
    if (tz != nullptr)
        *tz = g_tz;
    return 0;
}

QOR_UC* getpassU16(const QOR_UC* prompt)
{
    std::memset(g_password, 0, sizeof g_password);
    printfU16(u"%s", prompt != nullptr ? prompt : u"");
    std::fflush(stdout);
    const int fd = fileno(stdin);
    const bool echo_was_switched = fd >= 0 && u16_echo_off(fd);
    u16_read_secret_line(stdin, g_password, kPasswordUnits - 1);
    if (echo_was_switched)
        u16_echo_restore();
    return g_password;
}

int gethostnameU16(QOR_UC* name, int size)
{
    if (name == nullptr || size < 1)
        return -1;
    char host[256];
    if (gethostname(host, sizeof host) != 0) {
        name[0] = 0;
        return -1;
    }
    host[sizeof host - 1] = '\0';
    const int n = nlsui_utf8_to_u16(name, host, size);
    if (n < 0 || n >= size) {
        name[size - 1] = 0;
        if (n >= size)
            errno = ENAMETOOLONG;
        return -1;
    }
    return 0;
}

void perrorU16(const QOR_UC* text)
{
    const QOR_UC* message = strerrorU16(errno);
    if (text != nullptr)
        fputsU16(text, stderr);
    fputsU16(u": ", stderr);
    if (message != nullptr)
        fputsU16(message, stderr);
    std::fputc('\n', stderr);
}

QOR_UC* strerrorU16(int errnum)
{
    const char* text = std::strerror(errnum);
    if (text == nullptr)
        return nullptr;
    /* One unit stays for the terminator, so a text filling the buffer is still
     * terminated. */
    const int n = nlsui_utf8_to_u16_chk(g_error_text, text, MAX_ERROR_LN - 1, kSourceName, __LINE__,
                                        "strerrorU16", "werror", "MAX_ERROR_LN");
    if (n < 0) {
        char fallback[MAX_ERROR_LN];
        std::snprintf(fallback, sizeof fallback,
                      "Could not convert error no. %d3 to UTF-16 characters", errnum);
        const int m = nlsui_utf8_to_u16(g_error_text, fallback, MAX_ERROR_LN - 1);
        g_error_text[m < 0 ? 0 : m] = 0;
    } else {
        g_error_text[n] = 0;
    }
    return g_error_text;
}

QOR_UC* ConvertSCCSID_w(const char* utf8)
{
    static QOR_UC kFailed[] = u"ConvertSCCSID_w failed";
    const size_t length = std::strlen(utf8);
    auto* copy = static_cast<QOR_UC*>(std::malloc((length + 1) * sizeof(QOR_UC)));
    if (copy == nullptr) {
        U16ReportNoMemory("ConvertSCCSID_w", kSourceName, __LINE__);
        return kFailed;
    }
    const int capacity = static_cast<int>(length + 1);
    const int n = nlsui_utf8_to_u16_chk(copy, utf8, capacity, kSourceName, __LINE__,
                                        "ConvertSCCSID_w", "wstr", "inlen");
    if (n == -1 || n == capacity) {
        std::free(copy);
        return kFailed;
    }
    return copy;
}

void nlsui_memcpy_u16(QOR_UC* target, const QOR_UC* source, size_t count)
{
    if (count != 0)
        std::memcpy(target, source, count * sizeof(QOR_UC));
}

int nlsui_utf8_to_u16(QOR_UC* target, const char* source, int capacity)
{
    if (target != nullptr && capacity <= 0)
        return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(source);
    const bool count_only = target == nullptr;
    int count = 0;
    while (count_only || count < capacity) {
        const unsigned char b = *s;
        uint32_t cp;
        if (b < 0x80) {
            cp = b;
            s += 1;
        } else if ((b & 0xE0) == 0xC0 && (s[1] & 0xC0) == 0x80) {
            cp = ((b & 0x1Fu) << 6) | (s[1] & 0x3Fu);
            s += 2;
        } else if ((b & 0xF0) == 0xE0 && (s[1] & 0xC0) == 0x80 && (s[2] & 0xC0) == 0x80) {
            cp = ((b & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
            s += 3;
        } else if ((b & 0xF8) == 0xF0 && (s[1] & 0xC0) == 0x80 && (s[2] & 0xC0) == 0x80 &&
                   (s[3] & 0xC0) == 0x80) {
            cp = ((b & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) |
                 (s[3] & 0x3Fu);
            s += 4;
            if (cp > 0x10FFFF) {
                errno = EILSEQ;
                return -1;
            }
        } else {
            errno = EILSEQ;
            return -1;
        }
        if (cp == 0) {
            if (!count_only)
                target[count] = 0;
            return count;
        }
        if (cp > 0xFFFF) {
            if (!count_only)
                target[count] = static_cast<QOR_UC>(((cp - 0x10000) >> 10) + 0xD800);
            ++count;
            if (count_only || count < capacity) {
                if (!count_only)
                    target[count] = static_cast<QOR_UC>((cp & 0x3FF) + 0xDC00);
                ++count;
            }
        } else {
            if (!count_only)
                target[count] = static_cast<QOR_UC>(cp);
            ++count;
        }
    }
    return capacity;
}

int nlsui_u16_to_utf8(char* target, const QOR_UC* source, int capacity)
{
    if (target == nullptr) {
        int count = 0;
        for (const QOR_UC* p = source; *p != 0; ++p)
            count += *p < 0x80 ? 1 : *p < 0x800 ? 2 : 3;
        return count;
    }
    if (capacity <= 0)
        return 0;
    int count = 0;
    for (const QOR_UC* p = source; count < capacity; ++p) {
        const unsigned u = *p;
        if (u == 0) {
            target[count] = 0;
            return count;
        }
        if (u < 0x80) {
            target[count++] = static_cast<char>(u);
        } else if (u < 0x800 && count + 2 <= capacity) {
            target[count++] = static_cast<char>(0xC0 | (u >> 6));
            target[count++] = static_cast<char>(0x80 | (u & 0x3F));
        } else if (u >= 0x800 && count + 3 <= capacity) {
            target[count++] = static_cast<char>(0xE0 | (u >> 12));
            target[count++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            target[count++] = static_cast<char>(0x80 | (u & 0x3F));
        } else {
            target[count] = 0;
            return count;
        }
    }
    return count;
}

int nlsui_utf8_to_u16_chk(QOR_UC* target, const char* source, int capacity, const char* file,
                          int line, const char* function, const char* array_name,
                          const char* limit_name)
{
    const int n = nlsui_utf8_to_u16(target, source, capacity);
    if (n == -1)
        U16ReportBadUtf8(target, source, capacity > 0 ? static_cast<size_t>(capacity) : 0, file,
                         line, function);
    if (n == capacity) {
        U16ReportTooSmall(limit_name, function, array_name, file, line);
        errno = ENAMETOOLONG;
    }
    return n;
}

int nlsui_u16_to_utf8_chk(char* target, const QOR_UC* source, int capacity, const char* file,
                          int line, const char* function, const char* array_name,
                          const char* limit_name)
{
    const int n = nlsui_u16_to_utf8(target, source, capacity);
    if (n == capacity) {
        U16ReportTooSmall(limit_name, function, array_name, file, line);
        errno = ENAMETOOLONG;
    }
    return n;
}

QOR_UTF16* nlsui_cast_raw2uc(void* pointer, const QOR_UC* file, int line)
{
    if ((reinterpret_cast<uintptr_t>(pointer) & 1u) == 0)
        return static_cast<QOR_UTF16*>(pointer);
    char file_c[512];
    const int n = nlsui_u16_to_utf8_chk(file_c, file, sizeof file_c, kSourceName, __LINE__,
                                        "nlsui_cast_raw2uc", "fileC", "MAX_FILENAME_LN");
    if (n == -1 || n == static_cast<int>(sizeof file_c))
        return nullptr;
    char message[612];
    const int m = std::snprintf(message, sizeof message,
                                "ERROR: Casting an odd adress to QOR_UTF16* in file %s, line %d\n",
                                file_c, line);
    if (m > 0)
        std::fwrite(message, 1,
                    static_cast<size_t>(m) < sizeof message ? static_cast<size_t>(m)
                                                            : sizeof message - 1,
                    stderr);
    if (!u16_env_is_zero("QORCASTRAW2UCCHK"))
        u16_debug_break();
    return static_cast<QOR_UTF16*>(pointer);
}

bool nlsui_file_path(const QOR_UC* name, std::string* path)
{
    if (name == nullptr || path == nullptr) {
        errno = EINVAL;
        return false;
    }
    if (!name_to_utf8(name, *path)) {
        errno = EILSEQ;
        return false;
    }
    if (is_null_device(*path))
        *path = "/dev/null";
    return true;
}

FILE* fopenU16(const QOR_UC* name, const QOR_UC* mode)
{
    if (name == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    std::string path;
    std::string mode8;
    if (!nlsui_file_path(name, &path))
        return nullptr;
    if (!name_to_utf8(mode, mode8)) {
        errno = EILSEQ;
        return nullptr;
    }
    /* Text-mode letters and code-set options have no meaning here. */
    const size_t comma = mode8.find(',');
    if (comma != std::string::npos)
        mode8.resize(comma);
    std::string clean;
    for (char c : mode8)
        if (c != 't' && c != ' ')
            clean += c;
    FILE* stream = std::fopen(path.c_str(), clean.c_str());
    if (stream != nullptr && U16GetTraceLevel() >= U16_TRACE_HIGH)
        nlsui_trace_fopen(name, fileno(stream), "fopenU16", kSourceName, __LINE__);
    return stream;
}

void nlsui_set_u16_trace_level(void (*output)(const char*, size_t), int level)
{
    U16SetTraceLevel(output, level);
}

void nlsui_report_too_small(const char* limit_name, const char* function, const char* array_name,
                            const char* file, int line)
{
    U16ReportTooSmall(limit_name, function, array_name, file, line);
}

void nlsui_report_bad_utf8(QOR_UC* target, const char* source, int capacity, const char* file,
                           int line, const char* function)
{
    U16ReportBadUtf8(target, source, capacity > 0 ? static_cast<size_t>(capacity) : 0, file, line,
                     function);
}

void nlsui_report_no_memory(const char* function, const char* file, int line)
{
    U16ReportNoMemory(function, file, line);
}

void nlsui_trace_fopen(const QOR_UC* name, int file_number, const char* function, const char* file,
                       int line)
{
    const size_t length = strlenU16(name);
    const QOR_UC* tail = length > 80 ? name + length - 80 : name;
    char narrow[81];
    size_t i = 0;
    for (; tail[i] != 0 && i < 80; ++i)
        narrow[i] = static_cast<char>(tail[i] & 0xFF);
    narrow[i] = '\0';
    U16TraceFileOp(narrow, file_number, function, file, line);
}
