#include "u16/u16_string.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/u16_debug.h"

/* ---- 7-bit <-> 16-bit ---- */

void A7ToU16(QOR_UC* target, const char* source)
{
    const auto* s = reinterpret_cast<const unsigned char*>(source);
    do {
        *target++ = static_cast<QOR_UC>(*s);
    } while (*s++ != 0);
}

void nlsui_a7_to_u16(QOR_UC* target, const char* source)
{
    A7ToU16(target, source);
}

void A7nToU16(QOR_UC* target, const char* source, size_t n)
{
    const auto* s = reinterpret_cast<const unsigned char*>(source);
    for (size_t i = 0; i < n; ++i)
        target[i] = static_cast<QOR_UC>(s[i]);
}

void nlsui_a7n_to_u16(QOR_UC* target, const char* source, size_t n)
{
    A7nToU16(target, source, n);
}

int U16ToA7Strict(char* target, const QOR_UC* source)
{
    for (;; ++source, ++target) {
        if (*source > 0x7F) {
            *target = '\0';
            return 1;
        }
        *target = static_cast<char>(*source);
        if (*source == 0)
            return 0;
    }
}

void U16ToA7Repl(char* target, const QOR_UC* source, QOR_UC replacement)
{
    const char repl = replacement <= 0x7F ? static_cast<char>(replacement) : '#';
    do {
        *target++ = *source > 0x7F ? repl : static_cast<char>(*source);
    } while (*source++ != 0);
}

void nlsui_u16_to_a7(char* target, const QOR_UC* source)
{
    U16ToA7Repl(target, source, u'#');
}

void nlsui_u16n_to_a7(char* target, const QOR_UC* source, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        target[i] = source[i] > 0x7F ? '#' : static_cast<char>(source[i]);
}

/* ---- bounded and safe functions ---- */

size_t strnlenU16(const QOR_UC* s, size_t max)
{
    size_t n = 0;
    while (n < max && s[n] != 0)
        ++n;
    return n;
}

size_t strnlenR(const char* s, size_t max)
{
    size_t n = 0;
    while (n < max && s[n] != 0)
        ++n;
    return n;
}

namespace {

template <typename Char> int safe_copy(Char* target, size_t size, const Char* source)
{
    if (size == 0)
        return 0;
    for (size_t i = 0; i < size; ++i) {
        target[i] = source[i];
        if (source[i] == 0)
            return 0;
    }
    target[0] = 0;
    return QOR_U16_ERANGE;
}

template <typename Char> int safe_cat(Char* target, size_t size, const Char* source)
{
    size_t pos = 0;
    while (pos < size && target[pos] != 0)
        ++pos;
    if (pos == size)
        return QOR_U16_ERANGE;
    for (size_t i = 0;; ++i, ++pos) {
        if (pos >= size) {
            target[0] = 0;
            return QOR_U16_ERANGE;
        }
        target[pos] = source[i];
        if (source[i] == 0)
            return 0;
    }
}

bool ranges_overlap(const unsigned char* src, const unsigned char* dst, size_t bytes)
{
    if (bytes == 0)
        return false;
    return (src <= dst && dst < src + bytes) || (dst <= src && src < dst + bytes);
}

void report_overlap(const char* name, const void* src, const void* dst, size_t n, const char* file,
                    int line)
{
    std::fprintf(stderr, "%s overlapping - from: %p to: %p len: %d (%s:%d)\n", name, src, dst,
                 static_cast<int>(n), file != nullptr ? file : "", line);
    if (!u16_env_is_zero("QORMEMCPYCHK"))
        u16_debug_break();
}

U16CaseMapping g_lower = nullptr;

int lower7(int c)
{
    return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
}

} // namespace

int strcpy_sU16(QOR_UC* target, size_t size, const QOR_UC* source)
{
    return safe_copy(target, size, source);
}
int strcpy_sR(char* target, size_t size, const char* source)
{
    return safe_copy(target, size, source);
}
int strcat_sU16(QOR_UC* target, size_t size, const QOR_UC* source)
{
    return safe_cat(target, size, source);
}
int strcat_sR(char* target, size_t size, const char* source)
{
    return safe_cat(target, size, source);
}

int strncpyTruncU16(QOR_UC* target, size_t size, const QOR_UC* source, size_t n)
{
    /* n + 1 would wrap for the "no limit" count: then the size alone bounds. */
    const size_t limit = (n == QOR_TRUNCATE || n + 1 > size) ? size : n + 1;
    if (limit == 0)
        return 0;
    for (size_t i = 0; i < limit; ++i) {
        target[i] = source[i];
        if (source[i] == 0)
            return 0;
    }
    target[limit - 1] = 0;
    return 0;
}

int memcpy_sR(void* target, size_t size, const void* source, size_t n)
{
    if (n > size) {
        std::memset(target, 0, size);
        return QOR_U16_ERANGE;
    }
    if (n != 0)
        std::memcpy(target, source, n);
    return 0;
}

int memcpy_sU(QOR_UC* target, size_t size, const QOR_UC* source, size_t n)
{
    if (n > size) {
        std::memset(target, 0, size * sizeof(QOR_UC));
        return QOR_U16_ERANGE;
    }
    if (n != 0)
        std::memcpy(target, source, n * sizeof(QOR_UC));
    return 0;
}

void* memcpyR(void* target, const void* source, size_t n, const char* file, int line)
{
    if (ranges_overlap(static_cast<const unsigned char*>(source),
                       static_cast<const unsigned char*>(target), n)) {
        report_overlap("memcpyR", source, target, n, file, line);
        std::memmove(target, source, n);
    } else if (n != 0) {
        std::memcpy(target, source, n);
    }
    return target;
}

QOR_UC* memcpyU(QOR_UC* target, const QOR_UC* source, size_t n, const char* file, int line)
{
    const size_t bytes = n * sizeof(QOR_UC);
    if (ranges_overlap(reinterpret_cast<const unsigned char*>(source),
                       reinterpret_cast<const unsigned char*>(target), bytes)) {
        report_overlap("memcpyU", source, target, n, file, line);
        std::memmove(target, source, bytes);
    } else if (n != 0) {
        std::memcpy(target, source, bytes);
    }
    return target;
}

QOR_UC* memchrU16(const QOR_UC* s, QOR_UC unit, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (s[i] == unit)
            return const_cast<QOR_UC*>(s + i);
    return nullptr;
}

QOR_UC* strpbrkU16(const QOR_UC* s, const QOR_UC* set)
{
    for (; *s != 0; ++s)
        if (strchrU16(set, *s) != nullptr)
            return const_cast<QOR_UC*>(s);
    return nullptr;
}

size_t strspnU16(const QOR_UC* s, const QOR_UC* set)
{
    size_t n = 0;
    while (s[n] != 0 && strchrU16(set, s[n]) != nullptr)
        ++n;
    return n;
}

QOR_UC* strtok_sU16(QOR_UC* s, const QOR_UC* delimiters, QOR_UC** context)
{
    if (s == nullptr) {
        s = *context;
        if (s == nullptr) {
            errno = EINVAL;
            return nullptr;
        }
    }
    s += strspnU16(s, delimiters);
    if (*s == 0) {
        *context = nullptr;
        return nullptr;
    }
    QOR_UC* next = strpbrkU16(s, delimiters);
    if (next != nullptr) {
        *next = 0;
        *context = next + 1;
    } else {
        *context = nullptr;
    }
    return s;
}

void U16SetLowerCaseMapping(U16CaseMapping mapping)
{
    g_lower = mapping;
}

int strcasecmpU16(const QOR_UC* a, const QOR_UC* b)
{
    if (a == b)
        return 0;
    const U16CaseMapping lower = g_lower != nullptr ? g_lower : lower7;
    for (;; ++a, ++b) {
        const int ca = lower(*a);
        const int cb = lower(*b);
        if (ca != cb || ca == 0)
            return ca - cb;
    }
}

/* ---- plain helpers ---- */

size_t strlenU16(const QOR_UC* s)
{
    const QOR_UC* p = s;
    while (*p != 0)
        ++p;
    return static_cast<size_t>(p - s);
}

int strcmpU16(const QOR_UC* a, const QOR_UC* b)
{
    while (*a != 0 && *a == *b)
        ++a, ++b;
    return static_cast<int>(*a) - static_cast<int>(*b);
}

int strncmpU16(const QOR_UC* a, const QOR_UC* b, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return static_cast<int>(a[i]) - static_cast<int>(b[i]);
        if (a[i] == 0)
            return 0;
    }
    return 0;
}

QOR_UC* strchrU16(const QOR_UC* s, QOR_UC unit)
{
    for (;; ++s) {
        if (*s == unit)
            return const_cast<QOR_UC*>(s);
        if (*s == 0)
            return nullptr;
    }
}

QOR_UC* strrchrU16(const QOR_UC* s, QOR_UC unit)
{
    const QOR_UC* found = nullptr;
    for (;; ++s) {
        if (*s == unit)
            found = s;
        if (*s == 0)
            return const_cast<QOR_UC*>(found);
    }
}

QOR_UC* strstrU16(const QOR_UC* haystack, const QOR_UC* needle)
{
    const size_t n = strlenU16(needle);
    if (n == 0)
        return const_cast<QOR_UC*>(haystack);
    for (; *haystack != 0; ++haystack)
        if (*haystack == *needle && strncmpU16(haystack, needle, n) == 0)
            return const_cast<QOR_UC*>(haystack);
    return nullptr;
}

QOR_UC* strcpyU16(QOR_UC* target, const QOR_UC* source)
{
    QOR_UC* t = target;
    while ((*t++ = *source++) != 0) {
    }
    return target;
}

QOR_UC* strcatU16(QOR_UC* target, const QOR_UC* source)
{
    strcpyU16(target + strlenU16(target), source);
    return target;
}

QOR_UC* memsetU16(QOR_UC* target, QOR_UC unit, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        target[i] = unit;
    return target;
}
