#include "u16/u16_scanf.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>

#include "u16/u16_decode.h"
#include "u16/u16_diag.h"
#include "u16/u16_format.h"
#include "u16/u16_input.h"
#include "u16/u16_string.h"

namespace {

constexpr char kParserSource[] = "i18n/qoru16/u16_InCon";
constexpr char kNumberSource[] = "i18n/qoru16/u16_tol";
constexpr uint32_t kNone = 0xFFFFFFFFu;

/* ---- number text to integer ---- */

struct ParsedInteger
{
    uint64_t magnitude = 0;
    bool negative = false;
    bool overflow = false;
    bool bad_base = false;
    size_t end = 0; /* index behind the last digit (0: no number) */
};

int digit_value(int c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

/* Unit reader over 8-bit or 16-bit text. */
template <typename Char> ParsedInteger parse_integer(const Char* text, int base)
{
    ParsedInteger r;
    if (base != 0 && (base < 2 || base > 36)) {
        r.bad_base = true;
        return r;
    }
    size_t i = 0;
    auto unit = [&](size_t k) {
        return static_cast<int>(static_cast<std::make_unsigned_t<Char>>(text[k]));
    };
    while (text[i] != 0 && u16_is_space_unit(unit(i)))
        ++i;
    if (text[i] == '+' || text[i] == '-') {
        r.negative = text[i] == '-';
        ++i;
    }
    size_t zero_x_end = 0;
    if ((base == 0 || base == 16) && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        zero_x_end = i + 1; /* "0" alone is a number when no hex digit follows */
        base = 16;
        i += 2;
    } else if (base == 0) {
        base = text[i] == '0' ? 8 : 10;
    }
    bool any = false;
    for (; text[i] != 0; ++i) {
        const int d = digit_value(unit(i));
        if (d >= base)
            break;
        any = true;
        const uint64_t b = static_cast<uint64_t>(base);
        if (!r.overflow) {
            if (r.magnitude > (UINT64_MAX - static_cast<uint64_t>(d)) / b)
                r.overflow = true;
            else
                r.magnitude = r.magnitude * b + static_cast<uint64_t>(d);
        }
    }
    if (any)
        r.end = i;
    else if (zero_x_end != 0)
        r.end = zero_x_end;
    else
        r.negative = false;
    return r;
}

int64_t to_signed64(const ParsedInteger& r)
{
    const uint64_t limit = r.negative ? (1ULL << 63) : (1ULL << 63) - 1;
    if (r.overflow || r.magnitude > limit) {
        errno = ERANGE;
        return r.negative ? INT64_MIN : INT64_MAX;
    }
    return r.negative ? static_cast<int64_t>(0 - r.magnitude) : static_cast<int64_t>(r.magnitude);
}

uint64_t to_unsigned64(const ParsedInteger& r)
{
    if (r.overflow) {
        errno = ERANGE;
        return UINT64_MAX;
    }
    return r.negative ? 0 - r.magnitude : r.magnitude;
}

/* 32-bit long semantics: clamp to the 32-bit range. */
int32_t to_signed32(const ParsedInteger& r)
{
    const uint64_t limit = r.negative ? (1ULL << 31) : (1ULL << 31) - 1;
    if (r.overflow || r.magnitude > limit) {
        errno = ERANGE;
        return r.negative ? INT32_MIN : INT32_MAX;
    }
    return r.negative ? static_cast<int32_t>(0 - static_cast<uint32_t>(r.magnitude))
                      : static_cast<int32_t>(r.magnitude);
}

uint32_t to_unsigned32(const ParsedInteger& r)
{
    if (r.overflow || r.magnitude > 0xFFFFFFFFu) {
        errno = ERANGE;
        return 0xFFFFFFFFu;
    }
    const uint32_t m = static_cast<uint32_t>(r.magnitude);
    return r.negative ? 0 - m : m;
}

void report_bad_base(int base)
{
    if (U16GetTraceLevel() < U16_TRACE_HIGH)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "Illegal base %d in strtolU16", base);
    U16Report(text, kNumberSource, __LINE__, true);
}

/* ---- input source ---- */

class Input
{
  public:
    Input(FILE* stream, const QOR_UC* text) : stream_(stream), pos_(text) {}

    int read()
    {
        if (eof_)
            return -1;
        int c;
        if (stream_ != nullptr) {
            c = fgetcU16(stream_);
        } else {
            c = *pos_ == 0 ? -1 : *pos_++;
        }
        if (c < 0) {
            eof_ = true;
            return -1;
        }
        ++count_;
        return c;
    }

    void give_back(int c)
    {
        if (eof_ || c < 0)
            return;
        --count_;
        if (stream_ == nullptr)
            --pos_;
        else
            u16_give_back_unit(stream_, c);
    }

    bool ended() const { return eof_; }
    uint32_t count() const { return count_; }

  private:
    FILE* stream_;
    const QOR_UC* pos_;
    uint32_t count_ = 0;
    bool eof_ = false;
};

/* ---- directives ---- */

struct Directive
{
    bool suppress = false;
    uint32_t width = kNone;
    unsigned length = kLenNone;
    QOR_UC conv = 0;
};

int integer_bits(unsigned length, QOR_UC conv)
{
    if (conv == u'p')
        return 64;
    switch (length) {
    case kLenHH:
        return 8;
    case kLenH:
        return 16;
    case kLenLL:
    case kLenI64:
    case kLenBigL:
    case kLenZ:
        return 64;
    default:
        return 32;
    }
}

bool float_is_double(unsigned length)
{
    return (length & (kLenL | kLenLL | kLenI64 | kLenBigL | kLenZ)) != 0;
}

class Scanner
{
  public:
    Scanner(Input& in, va_list* ap) : in_(in), ap_(ap) {}

    int run(const QOR_UC* format)
    {
        const QOR_UC* f = format;
        while (*f != 0) {
            if (*f == u'%' && f[1] == u'%') {
                if (!literal(u'%'))
                    return finish_literal();
                f += 2;
                continue;
            }
            if (u16_is_space_unit(*f)) {
                while (u16_is_space_unit(*f))
                    ++f;
                int c;
                do {
                    c = in_.read();
                } while (c >= 0 && u16_is_space_unit(c));
                in_.give_back(c);
                continue;
            }
            if (*f != u'%') {
                if (!literal(*f))
                    return finish_literal();
                ++f;
                continue;
            }
            const QOR_UC* after_percent = f + 1;
            Directive d;
            if (!parse(f, d)) {
                U16ReportFormatError(after_percent, *f, kParserSource, __LINE__);
                return assigned_;
            }
            void* target = d.suppress ? nullptr : va_arg(*ap_, void*);
            int first = -1;
            if (d.conv != u'n') {
                first = in_.read();
                if (d.conv != u'[' && d.conv != u'c')
                    while (first >= 0 && u16_is_space_unit(first))
                        first = in_.read();
                if (first < 0)
                    return matched_ ? assigned_ : -1;
            }
            bool ok;
            switch (d.conv) {
            case u's':
                ok = scan_string(d, first, static_cast<QOR_UC*>(target));
                break;
            case u'c':
                ok = scan_chars(d, first, static_cast<QOR_UC*>(target));
                break;
            case u'[':
                ok = scan_set(d, f, first, static_cast<QOR_UC*>(target));
                break;
            case u'n':
                if (target != nullptr)
                    store_integer(target, integer_bits(d.length, u'n'), in_.count());
                continue;
            case u'a':
            case u'e':
            case u'f':
            case u'g':
            case u'A':
            case u'E':
            case u'F':
            case u'G':
                ok = scan_float(d, first, target);
                break;
            default:
                ok = scan_integer(d, first, target);
                break;
            }
            if (!ok)
                return matched_ ? assigned_ : (in_.ended() ? -1 : 0);
            matched_ = true;
            if (!d.suppress)
                ++assigned_;
        }
        return assigned_;
    }

  private:
    /* Matches one literal unit; false ends the call. */
    bool literal(QOR_UC unit)
    {
        if (in_.ended())
            return true;
        const int c = in_.read();
        if (c < 0) {
            literal_end_ = true;
            return false;
        }
        if (c != unit) {
            in_.give_back(c);
            return false;
        }
        matched_ = true;
        return true;
    }
    int finish_literal()
    {
        if (literal_end_)
            return matched_ ? assigned_ : -1;
        return matched_ ? assigned_ : 0;
    }

    bool parse(const QOR_UC*& f, Directive& d)
    {
        ++f; /* the "%" */
        if (*f == u'*') {
            d.suppress = true;
            ++f;
        }
        if (*f == u'*') {
            const int w = va_arg(*ap_, int);
            if (w >= 0)
                d.width = static_cast<uint32_t>(w);
            ++f;
        } else if (*f >= u'1' && *f <= u'9') {
            if (!u16_read_number(f, d.width))
                return false;
        }
        d.length = u16_parse_length(f);
        switch (*f) {
        case u'A':
        case u'E':
        case u'F':
        case u'G':
        case u'a':
        case u'e':
        case u'f':
        case u'g':
        case u'd':
        case u'i':
        case u'u':
        case u'o':
        case u'x':
        case u'X':
        case u'p':
        case u'c':
        case u's':
        case u'[':
        case u'n':
            d.conv = *f++;
            return true;
        default:
            return false;
        }
    }

    bool width_left(const Directive& d, uint32_t used) const
    {
        return d.width == kNone || used < d.width;
    }

    bool scan_string(const Directive& d, int c, QOR_UC* target)
    {
        uint32_t n = 0;
        while (c >= 0) {
            if (u16_is_space_unit(c) || !width_left(d, n)) {
                in_.give_back(c);
                break;
            }
            if (target != nullptr)
                target[n] = static_cast<QOR_UC>(c);
            ++n;
            if (!width_left(d, n))
                break;
            c = in_.read();
        }
        if (target != nullptr)
            target[n] = 0;
        return true;
    }

    bool scan_chars(const Directive& d, int c, QOR_UC* target)
    {
        const uint32_t want = d.width == kNone ? 1 : d.width;
        if (want == 0) {
            in_.give_back(c);
            return true;
        }
        uint32_t n = 0;
        while (c >= 0) {
            if (target != nullptr)
                target[n] = static_cast<QOR_UC>(c);
            if (++n >= want)
                break;
            c = in_.read();
        }
        return true;
    }

    bool scan_set(const Directive& d, const QOR_UC*& f, int c, QOR_UC* target)
    {
        /* f stands just behind "[". */
        bool negate = false;
        if (*f == u'^') {
            negate = true;
            ++f;
        }
        const QOR_UC* set_begin = f;
        if (*f == u']')
            ++f;
        while (*f != 0 && *f != u']')
            ++f;
        if (*f != u']') {
            in_.give_back(c);
            return false;
        }
        const QOR_UC* set_end = f;
        ++f;
        auto member = [&](int u) {
            for (const QOR_UC* p = set_begin; p < set_end; ++p) {
                if (*p == u'-' && p != set_begin && p + 1 < set_end) {
                    const int lo = p[-1] < p[1] ? p[-1] : p[1];
                    const int hi = p[-1] < p[1] ? p[1] : p[-1];
                    if (u >= lo && u <= hi)
                        return true;
                } else if (*p == u) {
                    return true;
                }
            }
            return false;
        };
        uint32_t n = 0;
        while (c >= 0 && width_left(d, n) && member(c) != negate) {
            if (target != nullptr)
                target[n] = static_cast<QOR_UC>(c);
            ++n;
            if (!width_left(d, n)) {
                c = -2;
                break;
            }
            c = in_.read();
        }
        if (c >= 0)
            in_.give_back(c);
        if (n == 0)
            return false;
        if (target != nullptr)
            target[n] = 0;
        return true;
    }

    static void store_integer(void* target, int bits, uint64_t value)
    {
        switch (bits) {
        case 8:
            *static_cast<uint8_t*>(target) = static_cast<uint8_t>(value);
            break;
        case 16:
            *static_cast<uint16_t*>(target) = static_cast<uint16_t>(value);
            break;
        case 32:
            *static_cast<uint32_t*>(target) = static_cast<uint32_t>(value);
            break;
        default:
            std::memcpy(target, &value, sizeof value);
            break;
        }
    }

    bool scan_integer(const Directive& d, int c, void* target)
    {
        int base = 10;
        bool is_signed = true;
        switch (d.conv) {
        case u'i':
            base = 0;
            break;
        case u'u':
            is_signed = false;
            break;
        case u'o':
            base = 8;
            is_signed = false;
            break;
        case u'x':
        case u'X':
        case u'p':
            base = 16;
            is_signed = false;
            break;
        default:
            break;
        }
        std::string text;
        uint32_t used = 0;
        auto take = [&](bool collect) {
            if (collect)
                text += static_cast<char>(c);
            ++used;
            c = width_left(d, used) ? in_.read() : -2;
        };
        if (c == '+' || c == '-')
            take(true);
        if (d.conv == u'p' && c == '(' && text.empty()) {
            static const char kNil[] = "nil)";
            for (const char* p = kNil; *p != 0; ++p) {
                c = in_.read();
                if (c != *p) {
                    in_.give_back(c);
                    return false;
                }
            }
            if (target != nullptr)
                store_integer(target, 64, 0);
            return true;
        }
        bool digits = false;
        if ((base == 0 || base == 16) && c == '0') {
            take(false);
            if (c == 'x' || c == 'X') {
                base = 16;
                take(false);
            } else {
                if (base == 0)
                    base = 8;
                text += '0';
                digits = true;
            }
        }
        if (base == 0)
            base = 10;
        while (c >= 0 && digit_value(c) < base) {
            digits = true;
            take(true);
        }
        if (c >= 0)
            in_.give_back(c);
        if (!digits)
            return false;
        const ParsedInteger r = parse_integer(text.c_str(), base);
        if (r.end == 0)
            return false;
        if (target == nullptr)
            return true;
        const int bits = integer_bits(d.length, d.conv);
        uint64_t value;
        if (bits == 64) {
            value = is_signed ? static_cast<uint64_t>(to_signed64(r)) : to_unsigned64(r);
        } else {
            value = is_signed ? static_cast<uint64_t>(static_cast<int64_t>(to_signed32(r)))
                              : to_unsigned32(r);
        }
        store_integer(target, bits, value);
        return true;
    }

    static bool letter_is(int c, char lower) { return c == lower || c == lower - 0x20; }

    bool scan_float(const Directive& d, int c, void* target)
    {
        const char* dp_text = std::localeconv()->decimal_point;
        const char point = (dp_text != nullptr && static_cast<unsigned char>(dp_text[0]) <= 0x7F &&
                            dp_text[0] != 0)
                               ? dp_text[0]
                               : '.';
        bool negative = false;
        uint32_t used = 0;
        auto next = [&]() {
            ++used;
            c = width_left(d, used) ? in_.read() : -2;
        };
        if (c == '+' || c == '-') {
            negative = c == '-';
            next();
        }
        double value;
        if (letter_is(c, 'n')) {
            c = in_.read();
            if (!letter_is(c, 'a')) {
                in_.give_back(c);
                return false;
            }
            c = in_.read();
            if (!letter_is(c, 'n')) {
                in_.give_back(c);
                return false;
            }
            value = std::strtod("NaN", nullptr);
        } else if (letter_is(c, 'i')) {
            c = in_.read();
            if (!letter_is(c, 'n')) {
                in_.give_back(c);
                return false;
            }
            c = in_.read();
            if (!letter_is(c, 'f')) {
                in_.give_back(c);
                return false;
            }
            c = in_.read();
            if (letter_is(c, 'i')) {
                for (const char* p = "nity"; *p != 0; ++p) {
                    c = in_.read();
                    if (!letter_is(c, *p)) {
                        in_.give_back(c);
                        return false;
                    }
                }
            } else {
                in_.give_back(c);
            }
            value = HUGE_VAL;
            errno = ERANGE;
        } else {
            std::string text;
            bool seen_point = false, seen_exp = false;
            bool after_exp = false;
            while (c >= 0) {
                if (c >= '0' && c <= '9') {
                    text += static_cast<char>(c);
                    after_exp = false;
                } else if (c == point && !seen_point && !seen_exp) {
                    text += '.';
                    seen_point = true;
                    after_exp = false;
                } else if ((c == 'e' || c == 'E') && !seen_exp) {
                    text += 'e';
                    seen_exp = true;
                    after_exp = true;
                    next();
                    continue;
                } else if ((c == '+' || c == '-') && after_exp) {
                    text += static_cast<char>(c);
                    after_exp = false;
                } else {
                    break;
                }
                next();
            }
            if (c >= 0)
                in_.give_back(c);
            char* end = nullptr;
            value = std::strtod(text.c_str(), &end);
            if (end == text.c_str())
                return false;
        }
        if (negative)
            value = -value;
        if (target == nullptr)
            return true;
        if (float_is_double(d.length))
            *static_cast<double*>(target) = value;
        else
            *static_cast<float*>(target) = static_cast<float>(value);
        return true;
    }

    Input& in_;
    va_list* ap_;
    int assigned_ = 0;
    bool matched_ = false;
    bool literal_end_ = false;
};

int engine(const QOR_UC* text, FILE* stream, const QOR_UC* format, va_list args)
{
    if (format == nullptr) {
        errno = EINVAL;
        return -1;
    }
    va_list ap;
    va_copy(ap, args);
    Input in(stream, text);
    Scanner scanner(in, &ap);
    const int r = scanner.run(format);
    va_end(ap);
    return r;
}

} // namespace

int vfscanfU16(FILE* stream, const QOR_UC* format, va_list args)
{
    if (stream == nullptr) {
        errno = EBADF;
        return -1;
    }
    return engine(nullptr, stream, format, args);
}

int vscanfU16(const QOR_UC* format, va_list args)
{
    /* A prompt written just before must be visible when the read waits. */
    if (stdout != nullptr)
        std::fflush(stdout);
    return vfscanfU16(stdin, format, args);
}

int scanfU16(const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vscanfU16(format, ap);
    va_end(ap);
    return r;
}

int fscanfU16(FILE* stream, const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vfscanfU16(stream, format, ap);
    va_end(ap);
    return r;
}

int vsscanfU16(const QOR_UC* text, const QOR_UC* format, va_list args)
{
    if (text == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return engine(text, nullptr, format, args);
}

int sscanfU16(const QOR_UC* text, const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vsscanfU16(text, format, ap);
    va_end(ap);
    return r;
}

int64_t strtolU16(const char* text, char** end, int base)
{
    const ParsedInteger r = parse_integer(text, base);
    if (r.bad_base) {
        report_bad_base(base);
        if (end != nullptr)
            *end = const_cast<char*>(text);
        errno = EINVAL;
        return 0;
    }
    if (end != nullptr)
        *end = const_cast<char*>(text + r.end);
    return to_signed64(r);
}

uint64_t strtoulU16(const char* text, char** end, int base)
{
    const ParsedInteger r = parse_integer(text, base);
    if (r.bad_base) {
        report_bad_base(base);
        if (end != nullptr)
            *end = const_cast<char*>(text);
        errno = EINVAL;
        return 0;
    }
    if (end != nullptr)
        *end = const_cast<char*>(text + r.end);
    return to_unsigned64(r);
}

int32_t wcstolU16(const QOR_UC* text, QOR_UC** end, int base)
{
    const ParsedInteger r = parse_integer(text, base);
    if (r.bad_base) {
        if (end != nullptr)
            *end = const_cast<QOR_UC*>(text);
        errno = EINVAL;
        return 0;
    }
    if (end != nullptr)
        *end = const_cast<QOR_UC*>(text + r.end);
    return to_signed32(r);
}
