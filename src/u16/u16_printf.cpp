#include "u16/u16_printf.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "u16/u16_diag.h"
#include "u16/u16_format.h"
#include "u16/u16_string.h"
#include "u16/u16_utf8_writer.h"

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr char kSourceName[] = "i18n/qoru16/u16_OutCon";

/* Where the output goes: a caller's buffer or a stream (as UTF-8). */
class Sink
{
  public:
    Sink(QOR_UC* buffer, uint64_t capacity) : buffer_(buffer), capacity_(capacity), writer_(nullptr)
    {
    }
    explicit Sink(FILE* stream) : writer_(stream), to_stream_(true) {}

    /* Writes a piece; for buffer output returns false when not all of it fit. */
    bool put(const QOR_UC* units, size_t n)
    {
        if (to_stream_) {
            if (!writer_.put(units, n))
                return false;
            written_ += n;
            return true;
        }
        const uint64_t room = capacity_ - written_;
        const size_t take = n <= room ? n : static_cast<size_t>(room);
        if (take != 0)
            std::memcpy(buffer_ + written_, units, take * sizeof(QOR_UC));
        written_ += take;
        return take == n;
    }
    /* A terminated string, to a stream only. */
    bool put_terminated(const QOR_UC* s)
    {
        size_t n = 0;
        const bool ok = writer_.put_terminated(s, &n);
        if (ok)
            written_ += n;
        return ok;
    }
    bool put_repeated(QOR_UC unit, uint64_t n)
    {
        if (to_stream_) {
            if (!writer_.put_repeated(unit, static_cast<size_t>(n)))
                return false;
            written_ += n;
            return true;
        }
        const uint64_t room = capacity_ - written_;
        const uint64_t take = n <= room ? n : room;
        for (uint64_t i = 0; i < take; ++i)
            buffer_[written_ + i] = unit;
        written_ += take;
        return take == n;
    }
    bool full() const { return !to_stream_ && written_ >= capacity_; }
    bool to_stream() const { return to_stream_; }
    uint64_t written() const { return written_; }

    /* Ends the output: flushes the stream or terminates the buffer. */
    bool finish()
    {
        if (to_stream_)
            return writer_.finish();
        if (capacity_ != 0)
            buffer_[written_ >= capacity_ ? capacity_ - 1 : written_] = 0;
        return true;
    }

  private:
    QOR_UC* buffer_ = nullptr;
    uint64_t capacity_ = 0;
    Utf8StreamWriter writer_;
    bool to_stream_ = false;
    uint64_t written_ = 0;
};

struct Directive
{
    bool left = false, plus = false, space = false, alt = false, zero = false;
    uint32_t width = kNone;
    uint32_t precision = kNone;
    unsigned length = kLenNone;
    QOR_UC conv = 0;
};

bool is_digit(QOR_UC c)
{
    return c >= u'0' && c <= u'9';
}

/* Parses the directive after "%"; on error returns false with p at the
 * offending unit. */
bool parse_directive(const QOR_UC*& p, Directive& s, va_list* ap)
{
    if (*p == u' ' || *p == u'#' || *p == u'+' || *p == u'-' || *p == u'0') {
        for (int count = 0; count < 5; ++count, ++p) {
            const QOR_UC c = *p;
            if (c == u'-') {
                s.left = true;
            } else if (c == u' ' && !s.space) {
                s.space = true;
            } else if (c == u'#' && !s.alt) {
                s.alt = true;
            } else if (c == u'+' && !s.plus) {
                s.plus = true;
            } else if (c == u'0' && !s.zero) {
                s.zero = true;
            } else {
                break;
            }
        }
    }
    if (*p == u'*') {
        const int w = va_arg(*ap, int);
        if (w >= 0)
            s.width = static_cast<uint32_t>(w);
        ++p;
    } else if (*p >= u'1' && *p <= u'9') {
        if (!u16_read_number(p, s.width))
            return false;
    }
    if (*p == u'.') {
        ++p;
        if (*p == u'*') {
            const int pr = va_arg(*ap, int);
            if (pr >= 0)
                s.precision = static_cast<uint32_t>(pr);
            ++p;
        } else if (is_digit(*p)) {
            if (!u16_read_number(p, s.precision))
                return false;
        } else {
            s.precision = 0;
        }
    }
    s.length = u16_parse_length(p);
    switch (*p) {
    case u'd':
    case u'i':
    case u'u':
    case u'x':
    case u'X':
    case u'o':
    case u'p':
    case u'c':
    case u's':
    case u'e':
    case u'E':
    case u'f':
    case u'F':
    case u'g':
    case u'G':
    case u'a':
    case u'A':
    case u'%':
        s.conv = *p;
        ++p;
        return true;
    default:
        return false;
    }
}

bool wide_integer(unsigned length)
{
    return (length & (kLenLL | kLenI64 | kLenJ | kLenZ | kLenT)) != 0;
}

/* The converted text of one directive: leading zeros, then the units, with
 * inner_zeros more zeros standing before units[inner_at] (the digits of a
 * floating value beyond those that can differ from 0). */
struct Text
{
    uint64_t zeros = 0;
    const QOR_UC* units = nullptr;
    size_t length = 0;
    uint64_t inner_zeros = 0;
    size_t inner_at = 0;
    bool negative = false;
    uint64_t total() const { return zeros + length + inner_zeros; }
    bool is_empty_or_zero() const
    {
        return total() == 0 || (zeros == 0 && length == 1 && units[0] == u'0') ||
               (zeros == 1 && length == 0);
    }
};

size_t digits_of(uint64_t value, unsigned base, bool upper, QOR_UC* end_of_area)
{
    static const char kLower[] = "0123456789abcdef";
    static const char kUpper[] = "0123456789ABCDEF";
    const char* digits = upper ? kUpper : kLower;
    size_t n = 0;
    if (base == 10) {
        do {
            *--end_of_area = static_cast<QOR_UC>(u'0' + value % 10);
            value /= 10;
            ++n;
        } while (value != 0);
        return n;
    }
    if (base == 16) {
        do {
            *--end_of_area = static_cast<QOR_UC>(digits[value & 15]);
            value >>= 4;
            ++n;
        } while (value != 0);
        return n;
    }
    do {
        *--end_of_area = static_cast<QOR_UC>(digits[value % base]);
        value /= base;
        ++n;
    } while (value != 0);
    return n;
}

/* How a directive went out. */
enum class Emitted { kOk, kFailed, kTooLong };

class Engine
{
  public:
    Engine(Sink& sink, va_list* ap) : sink_(sink), ap_(ap) {}

    int run(const QOR_UC* format)
    {
        const QOR_UC* p = format;
        while (*p != 0) {
            const QOR_UC* pct = p;
            while (*pct != 0 && *pct != u'%')
                ++pct;
            if (pct > p) {
                if (!sink_.put(p, static_cast<size_t>(pct - p)))
                    return stop(!sink_.to_stream());
            }
            if (*pct == 0)
                break;
            p = pct + 1;
            Directive directive;
            if (!parse_directive(p, directive, ap_)) {
                U16ReportFormatError(pct + 1, *p, kSourceName, __LINE__);
                sink_.finish();
                return -1;
            }
            const Emitted emitted = emit(directive);
            if (emitted == Emitted::kTooLong) {
                U16ReportFormatError(pct + 1, directive.conv, kSourceName, __LINE__);
                sink_.finish();
                errno = EOVERFLOW;
                return -1;
            }
            if (emitted == Emitted::kFailed)
                return stop(false);
            if (sink_.full())
                break;
        }
        if (!sink_.finish())
            return -1;
        return result();
    }

  private:
    int stop(bool buffer_full)
    {
        const bool ok = sink_.finish();
        if (buffer_full && ok)
            return result();
        return -1;
    }
    /* A plain "%s" is written without counting it first; a count that no
     * longer fits the result fails the call. */
    int result() const
    {
        const uint64_t w = sink_.written();
        if (w > static_cast<uint64_t>(INT_MAX)) {
            errno = EOVERFLOW;
            return -1;
        }
        return static_cast<int>(w);
    }

    void integer_text(const Directive& s, Text& t)
    {
        uint64_t magnitude = 0;
        unsigned base = 10;
        bool upper = false;
        switch (s.conv) {
        case u'd':
        case u'i': {
            int64_t v = wide_integer(s.length) ? va_arg(*ap_, long long) : va_arg(*ap_, int);
            t.negative = v < 0;
            magnitude = t.negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            break;
        }
        case u'o':
            magnitude = va_arg(*ap_, unsigned int);
            base = 8;
            break;
        case u'p':
            magnitude = reinterpret_cast<uintptr_t>(va_arg(*ap_, void*));
            base = 16;
            break;
        default:
            magnitude = wide_integer(s.length) ? va_arg(*ap_, unsigned long long)
                                               : va_arg(*ap_, unsigned int);
            base = (s.conv == u'u') ? 10 : 16;
            upper = s.conv == u'X';
            break;
        }
        if (s.conv == u'p' && magnitude == 0) {
            t.units = u"(nil)";
            t.length = 5;
            return;
        }
        QOR_UC* area_end = digits_ + sizeof digits_ / sizeof digits_[0];
        if (s.precision == 0 && magnitude == 0) {
            if (s.conv == u'o' && s.alt) {
                t.units = u"0";
                t.length = 1;
            }
            return;
        }
        t.length = digits_of(magnitude, base, upper, area_end);
        t.units = area_end - t.length;
        if (s.precision != kNone) {
            if (s.conv != u'o') {
                if (s.precision > t.length)
                    t.zeros = s.precision - t.length;
            } else if (s.alt && s.precision > t.length + 1) {
                t.zeros = s.precision - t.length - 1;
            }
        }
    }

    void float_text(const Directive& s, Text& t)
    {
        double v = va_arg(*ap_, double);
        if (v < 0.0) {
            t.negative = true;
            v = -v;
        } else {
            v = std::fabs(v); /* -0.0 and a negative NaN carry no sign of their own */
        }
        char fmt[8];
        size_t k = 0;
        fmt[k++] = '%';
        if (s.alt)
            fmt[k++] = '#';
        fmt[k++] = '.';
        fmt[k++] = '*';
        fmt[k++] = static_cast<char>(s.conv);
        fmt[k] = '\0';
        /* Digits beyond kExactDigits are zeros for every double, so the C
         * library formats at most that many and the rest are counted, not
         * formatted: the work area stays fixed however large the precision. */
        const uint64_t precision = s.precision == kNone ? 6 : s.precision;
        const int used = static_cast<int>(precision < kExactDigits ? precision : kExactDigits);
        int n = std::snprintf(float_bytes_, sizeof float_bytes_, fmt, used, v);
        if (n < 0)
            n = 0;
        if (static_cast<size_t>(n) >= sizeof float_bytes_) {
            if (U16GetTraceLevel() > 0)
                U16Report("Buffer overflow (floating point output)", kSourceName, __LINE__, true);
            n = static_cast<int>(sizeof float_bytes_) - 1;
        }
        for (int i = 0; i < n; ++i)
            float_units_[i] = static_cast<unsigned char>(float_bytes_[i]);
        t.units = float_units_;
        t.length = static_cast<size_t>(n);
        t.inner_at = t.length;
        const bool trailing_zeros_kept = s.alt || (s.conv != u'g' && s.conv != u'G');
        if (precision > static_cast<uint64_t>(used) && std::isfinite(v) && trailing_zeros_kept) {
            /* The zeros go before the exponent, if there is one. */
            const char mark = (s.conv == u'a' || s.conv == u'A') ? 'p' : 'e';
            for (size_t i = 0; i < t.length; ++i) {
                if (float_bytes_[i] == mark || float_bytes_[i] == mark - ('a' - 'A')) {
                    t.inner_at = i;
                    break;
                }
            }
            t.inner_zeros = precision - static_cast<uint64_t>(used);
        }
    }

    Emitted emit(const Directive& s)
    {
        Text t;
        QOR_UC one_unit = 0;
        switch (s.conv) {
        case u'%':
            t.units = u"%";
            t.length = 1;
            break;
        case u'c':
            one_unit = static_cast<QOR_UC>(va_arg(*ap_, int) & 0xFFFF);
            t.units = &one_unit;
            t.length = 1;
            break;
        case u's': {
            const QOR_UC* str = va_arg(*ap_, const QOR_UC*);
            if (str == nullptr)
                str = u"(null)";
            if (s.width == kNone && s.precision == kNone && sink_.to_stream()) {
                /* Nothing to pad or cut: the string goes out as it is. */
                return sink_.put_terminated(str) ? Emitted::kOk : Emitted::kFailed;
            }
            t.units = str;
            t.length = s.precision == kNone ? strlenU16(str) : strnlenU16(str, s.precision);
            break;
        }
        case u'e':
        case u'E':
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'a':
        case u'A':
            float_text(s, t);
            break;
        default:
            integer_text(s, t);
            break;
        }
        const bool is_float = s.conv == u'e' || s.conv == u'E' || s.conv == u'f' ||
                              s.conv == u'F' || s.conv == u'g' || s.conv == u'G' ||
                              s.conv == u'a' || s.conv == u'A';
        const bool signed_conv = s.conv == u'd' || s.conv == u'i' || s.conv == u'o' || is_float;
        QOR_UC sign = 0;
        if (signed_conv) {
            if (t.negative)
                sign = u'-';
            else if (s.plus)
                sign = u'+';
            else if (s.space)
                sign = u' ';
        }
        const QOR_UC* prefix = nullptr;
        size_t prefix_len = 0;
        if (s.alt && !t.is_empty_or_zero()) {
            if (s.conv == u'x') {
                prefix = u"0x";
                prefix_len = 2;
            } else if (s.conv == u'X') {
                prefix = u"0X";
                prefix_len = 2;
            } else if (s.conv == u'o') {
                prefix = u"0";
                prefix_len = 1;
            }
        }
        int64_t padding = 0;
        if (s.width != kNone) {
            padding = static_cast<int64_t>(s.width) - static_cast<int64_t>(t.total()) -
                      (sign != 0 ? 1 : 0) - static_cast<int64_t>(prefix_len);
        }
        const bool zero_pad = s.zero && !s.left &&
                              !(s.width != kNone && s.precision != kNone && s.width > s.precision);
        const uint64_t pad = padding > 0 ? static_cast<uint64_t>(padding) : 0;
        /* The count of units is an int: a directive that would pass it fails
         * before any of its units go out. */
        const uint64_t units = pad + (sign != 0 ? 1 : 0) + prefix_len + t.total();
        if (sink_.written() + units > static_cast<uint64_t>(INT_MAX))
            return Emitted::kTooLong;
        if (!s.left && !zero_pad && pad != 0 && !sink_.put_repeated(u' ', pad))
            return buffer_stop();
        if (sign != 0 && !sink_.put(&sign, 1))
            return buffer_stop();
        if (prefix_len != 0 && !sink_.put(prefix, prefix_len))
            return buffer_stop();
        if (zero_pad && pad != 0 && !sink_.put_repeated(u'0', pad))
            return buffer_stop();
        if (t.zeros != 0 && !sink_.put_repeated(u'0', t.zeros))
            return buffer_stop();
        if (t.inner_at != 0 && !sink_.put(t.units, t.inner_at))
            return buffer_stop();
        if (t.inner_zeros != 0 && !sink_.put_repeated(u'0', t.inner_zeros))
            return buffer_stop();
        if (t.length > t.inner_at && !sink_.put(t.units + t.inner_at, t.length - t.inner_at))
            return buffer_stop();
        if (s.left && pad != 0 && !sink_.put_repeated(u' ', pad))
            return buffer_stop();
        return Emitted::kOk;
    }

    /* A full buffer ends the output normally; a failed stream write does not. */
    Emitted buffer_stop() { return sink_.to_stream() ? Emitted::kFailed : Emitted::kOk; }

    /* More digits than any double has that can differ from 0: 1074 after
     * the point for "f", 767 significant ones for "e" and "g", 13 for "a". */
    static constexpr uint64_t kExactDigits = 1100;
    /* Room for "f" of the largest double (309 digits) with kExactDigits. */
    static constexpr size_t kFloatRoom = 1536;

    Sink& sink_;
    va_list* ap_;
    QOR_UC digits_[128];
    char float_bytes_[kFloatRoom];
    QOR_UC float_units_[kFloatRoom];
};

int engine(FILE* stream, QOR_UC* buffer, size_t size, const QOR_UC* format, va_list args)
{
    if (stream == nullptr) {
        if (buffer != nullptr && size == 0)
            return 0;
        if (buffer == nullptr) {
            errno = EBADF;
            return -1;
        }
    }
    if (format == nullptr) {
        errno = EINVAL;
        return -1;
    }
    va_list ap;
    va_copy(ap, args);
    int result;
    if (stream != nullptr) {
        Sink sink(stream);
        Engine e(sink, &ap);
        result = e.run(format);
    } else {
        Sink sink(buffer, size);
        Engine e(sink, &ap);
        result = e.run(format);
    }
    va_end(ap);
    return result;
}

} // namespace

int vfprintfU16(FILE* stream, const QOR_UC* format, va_list args)
{
    if (stream == nullptr) {
        errno = EBADF;
        return -1;
    }
    return engine(stream, nullptr, 0, format, args);
}

int vprintfU16(const QOR_UC* format, va_list args)
{
    return vfprintfU16(stdout, format, args);
}

int printfU16(const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vfprintfU16(stdout, format, ap);
    va_end(ap);
    return r;
}

int fprintfU16(FILE* stream, const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vfprintfU16(stream, format, ap);
    va_end(ap);
    return r;
}

int vsnprintfU16(QOR_UC* buffer, size_t size, const QOR_UC* format, va_list args)
{
    if (size == 0)
        return -1;
    const int r = engine(nullptr, buffer, size, format, args);
    return (r >= 0 && static_cast<size_t>(r) < size) ? r : -1;
}

int snprintfU16(QOR_UC* buffer, size_t size, const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vsnprintfU16(buffer, size, format, ap);
    va_end(ap);
    return r;
}

int vsnprintfCutU16(QOR_UC* buffer, size_t size, const QOR_UC* format, va_list args)
{
    if (size == 0)
        return 0;
    return engine(nullptr, buffer, size, format, args);
}

int snprintfCutU16(QOR_UC* buffer, size_t size, const QOR_UC* format, ...)
{
    va_list ap;
    va_start(ap, format);
    const int r = vsnprintfCutU16(buffer, size, format, ap);
    va_end(ap);
    return r;
}

int snprintfR(char* buffer, size_t size, const char* format, ...)
{
    if (size == 0 || buffer == nullptr)
        return -1;
    va_list ap;
    va_start(ap, format);
    const int n = std::vsnprintf(buffer, size, format, ap);
    va_end(ap);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        buffer[size - 1] = '\0';
        return -1;
    }
    return n;
}

int fputsU16(const QOR_UC* s, FILE* stream)
{
    Utf8StreamWriter writer(stream);
    writer.put(s, strlenU16(s));
    writer.finish();
    if (writer.failed() && writer.bytes_written() == 0)
        return -1;
    return static_cast<int>(writer.bytes_written());
}

void fwriteU16Count(const QOR_UC* data, size_t size, size_t count, FILE* stream,
                    size_t* bytes_written)
{
    Utf8StreamWriter writer(stream);
    writer.put(data, size * count);
    writer.finish();
    if (bytes_written != nullptr)
        *bytes_written = writer.bytes_written();
}

void fwriteU16(const QOR_UC* data, size_t size, size_t count, FILE* stream)
{
    fwriteU16Count(data, size, count, stream, nullptr);
}
