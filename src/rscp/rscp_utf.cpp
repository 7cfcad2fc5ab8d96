#include "rscp/rscp_utf.h"

#include <cstdlib>
#include <cstring>

#include "u16/u16_os.h"
#include "u16/u16_string.h"

namespace {

/* The what-string of this module; its 16-bit copy is made on the first
 * error and handed to the error hook without the leading "@(#)". */
constexpr char kIdent[] = "@(#) $Id: //krn/rscp/rscpu86r#1 $";
const QOR_UC* g_ident16 = nullptr;

ConvErrorHookFn g_hook = ConvErrorPassThrough;

const QOR_UC* module_ident()
{
    if (g_ident16 == nullptr)
        g_ident16 = ConvertSCCSID_w(kIdent);
    const size_t n = strlenU16(g_ident16);
    return n >= 4 ? g_ident16 + 4 : g_ident16;
}

uint32_t conv_error(uint32_t code, int location, int line, const QOR_UC* text)
{
    return g_hook(code, u'O', 0xFFFFFFFFu, module_ident(), location, line, text, u"", nullptr, 0,
                  nullptr, 0);
}

/* Follow-up byte count per lead byte; -1 marks an illegal lead byte. The
 * five- and six-byte forms are read whole, so that each is one broken
 * character. */
struct LeadTable
{
    signed char follow[256];
    constexpr LeadTable() : follow()
    {
        for (int b = 0; b < 256; ++b) {
            signed char n = -1;
            if (b < 0x80)
                n = 0;
            else if (b >= 0xC0 && b <= 0xDF)
                n = 1;
            else if (b >= 0xE0 && b <= 0xEF)
                n = 2;
            else if (b >= 0xF0 && b <= 0xF7)
                n = 3;
            else if (b >= 0xF8 && b <= 0xFB)
                n = 4;
            else if (b >= 0xFC && b <= 0xFD)
                n = 5;
            follow[b] = n;
        }
    }
};
constexpr LeadTable kLead;
constexpr uint32_t kMinimum[6] = {0, 0x80, 0x800, 0x10000, 0x200000, 0x4000000};
constexpr unsigned char kLeadMask[6] = {0x7F, 0x1F, 0x0F, 0x07, 0x03, 0x01};
constexpr QOR_UC kReplacement = 0xFFFD;

const QOR_UC kEbcdic[256] = {
    0x0000, 0x0001, 0x0002, 0x0003, 0x0020, 0x0009, 0x0020, 0x007F, 0x0020, 0x0020, 0x0020, 0x000B,
    0x000C, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0013, 0x0020, 0x0020, 0x0008, 0x0020,
    0x0018, 0x0019, 0x0020, 0x0020, 0x001C, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0020, 0x000A, 0x0017, 0x001B, 0x0020, 0x0020, 0x0020, 0x0020, 0x0020, 0x0005, 0x0006, 0x0007,
    0x0020, 0x0020, 0x0016, 0x0020, 0x0020, 0x0020, 0x0020, 0x0004, 0x0020, 0x0020, 0x0020, 0x0020,
    0x0014, 0x0015, 0x0020, 0x001A, 0x0020, 0x00A0, 0x00E2, 0x00E4, 0x00E0, 0x00E1, 0x00E3, 0x00E5,
    0x00E7, 0x00F1, 0x005B, 0x002E, 0x003C, 0x0028, 0x002B, 0x0021, 0x0026, 0x00E9, 0x00EA, 0x00EB,
    0x00E8, 0x00ED, 0x00EE, 0x00EF, 0x00EC, 0x00DF, 0x005D, 0x0024, 0x002A, 0x0029, 0x003B, 0x005E,
    0x002D, 0x002F, 0x00C2, 0x00C4, 0x00C0, 0x00C1, 0x00C3, 0x00C5, 0x00C7, 0x00D1, 0x00A6, 0x002C,
    0x0025, 0x005F, 0x003E, 0x003F, 0x00F8, 0x00C9, 0x00CA, 0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF,
    0x00CC, 0x0060, 0x003A, 0x0023, 0x0040, 0x0027, 0x003D, 0x0022, 0x00D8, 0x0061, 0x0062, 0x0063,
    0x0064, 0x0065, 0x0066, 0x0067, 0x0068, 0x0069, 0x00AB, 0x00BB, 0x00F0, 0x00FD, 0x00FE, 0x00B1,
    0x00B0, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F, 0x0070, 0x0071, 0x0072, 0x00AA, 0x00BA,
    0x00E6, 0x00B8, 0x00C6, 0x00A4, 0x00B5, 0x007E, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077, 0x0078,
    0x0079, 0x007A, 0x00A1, 0x00BF, 0x00D0, 0x00DD, 0x00DE, 0x00AE, 0x00A2, 0x00A3, 0x00A5, 0x00B7,
    0x00A9, 0x00A7, 0x00B6, 0x00BC, 0x00BD, 0x00BE, 0x00AC, 0x007C, 0x00AF, 0x00A8, 0x00B4, 0x00D7,
    0x007B, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047, 0x0048, 0x0049, 0x0020, 0x00F4,
    0x00F6, 0x00F2, 0x00F3, 0x00F5, 0x007D, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F, 0x0050,
    0x0051, 0x0052, 0x00B9, 0x00FB, 0x00FC, 0x00F9, 0x00FA, 0x00FF, 0x005C, 0x00F7, 0x0053, 0x0054,
    0x0055, 0x0056, 0x0057, 0x0058, 0x0059, 0x005A, 0x00B2, 0x00D4, 0x00D6, 0x00D2, 0x00D3, 0x00D5,
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x00B3, 0x00DB,
    0x00DC, 0x00D9, 0x00DA, 0x0020,
};

/* Ring of temporaries. */
struct RingSlot
{
    void* buffer;
    uint32_t capacity;
};
RingSlot g_ring[40];
uint32_t g_ring_next = 0;

/* A null source is read as empty text. */
const QOR_UC kNoUnits[1] = {0};
const QOR_UC* or_empty(const QOR_UC* s)
{
    return s != nullptr ? s : kNoUnits;
}
const char* or_empty(const char* s)
{
    return s != nullptr ? s : "";
}

uint32_t z_length(int32_t* length, int32_t value)
{
    if (length != nullptr)
        *length = value;
    return 0;
}

/* A widened copy of n bytes and the terminator. The ring counts its sizes in
 * 32 bits: a copy that would need more is out of memory for it. */
QOR_UC* widen_into_ring(const char* s, size_t n)
{
    const uint64_t bytes = 2 * static_cast<uint64_t>(n) + 2;
    if (bytes > UINT32_MAX)
        TmpBufAbort();
    auto* out = static_cast<QOR_UC*>(TmpBufRingGet(static_cast<uint32_t>(bytes)));
    const auto* b = reinterpret_cast<const unsigned char*>(s);
    for (size_t i = 0; i <= n; ++i)
        out[i] = b[i];
    return out;
}

/* Why a UTF-8 character is broken. */
enum class Broken { kNone, kStart, kFollow, kOverlong, kBeyond };

/* The failure of a broken character without a replacement; left counts the
 * bytes from its lead byte to the end of the input. */
uint32_t report_broken(Broken broken, ptrdiff_t left)
{
    switch (broken) {
    case Broken::kFollow:
        return conv_error(RSCPENOCONV, 8, __LINE__, u"illegal follow-up byte");
    case Broken::kOverlong:
        return conv_error(RSCPENOCONV, 17, __LINE__, u"overlong UTF-8 sequence");
    case Broken::kBeyond:
        return conv_error(RSCPENOCONV, 32, __LINE__, u"UTF-8 bejond UTF-32");
    default:
        return conv_error(RSCPENOCONV, left < 6 ? 11 : 10, __LINE__, u"illegal start byte");
    }
}

} // namespace

uint32_t ConvErrorPassThrough(uint32_t code, QOR_UC, uint32_t, const QOR_UC*, int, int,
                              const QOR_UC*, const QOR_UC*, const QOR_UC*, int, const QOR_UC*, int)
{
    return code;
}

void SetConvErrorHook(ConvErrorHookFn hook)
{
    g_hook = hook != nullptr ? hook : ConvErrorPassThrough;
}

uint32_t ConvU16ToUtf8(const QOR_UC** src, const QOR_UC* src_end, unsigned char** dst,
                       unsigned char* dst_end)
{
    const QOR_UC* s = *src;
    unsigned char* d = *dst;
    uint32_t rc = 0;
    while (s < src_end) {
        const uint32_t c = *s;
        if (c < 0x80) {
            if (d >= dst_end) {
                rc = conv_error(RSCPETOOLONG, 13, __LINE__, u"dest buffer overflow");
                break;
            }
            *d++ = static_cast<unsigned char>(c);
            ++s;
            continue;
        }
        uint32_t cp = c;
        size_t advance = 1;
        if ((c & 0xFC00) == 0xD800) {
            if (s + 1 >= src_end) {
                rc = conv_error(RSCPEUNIQ, 12, __LINE__, u"Half surrogate at end");
                break;
            }
            const uint32_t next = s[1];
            if ((next & 0xFC00) != 0xDC00) {
                rc = conv_error(RSCPENOCONV, 14, __LINE__, u"Half surrogate in middle");
                break;
            }
            cp = ((c - 0xD800) << 10) + (next - 0xDC00) + 0x10000;
            advance = 2;
        } else if ((c & 0xFC00) == 0xDC00) {
            rc = conv_error(RSCPENOCONV, 15, __LINE__, u"Half low surrogate in middle");
            break;
        }
        const ptrdiff_t bytes = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (dst_end - d < bytes) {
            rc = conv_error(RSCPETOOLONG, 13, __LINE__, u"dest buffer overflow");
            break;
        }
        if (bytes == 2) {
            d[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
            d[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else if (bytes == 3) {
            d[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
            d[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            d[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        } else {
            d[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
            d[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
            d[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
            d[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        }
        d += bytes;
        s += advance;
    }
    *src = s;
    *dst = d;
    return rc;
}

uint32_t ConvUtf8ToU16(const unsigned char** src, const unsigned char* src_end, QOR_UC** dst,
                       QOR_UC* dst_end, const QOR_UC* replacement, uint32_t* replaced)
{
    const unsigned char* s = *src;
    QOR_UC* d = *dst;
    uint32_t rc = 0;
    while (s < src_end) {
        const unsigned char b = *s;
        if (d >= dst_end) {
            rc = conv_error(RSCPETOOLONG, 6, __LINE__, u"dest buffer overflow");
            break;
        }
        if (b < 0x80) {
            *d++ = b;
            ++s;
            continue;
        }
        const int n = kLead.follow[b];
        Broken broken = Broken::kNone;
        /* A broken character resumes after its lead byte, or after its
         * whole sequence when only its value is wrong. */
        const unsigned char* resume = s + 1;
        if (n < 0) {
            broken = Broken::kStart;
        } else {
            /* The follow-up bytes that are there must continue the
             * sequence. One that does not breaks it even where the input
             * ends before the sequence would: the bytes after it are read
             * again, not lost with a character cut off. */
            const ptrdiff_t there = src_end - s - 1 < n ? src_end - s - 1 : n;
            uint32_t value = b & kLeadMask[n];
            ptrdiff_t i = 1;
            for (; i <= there && (s[i] & 0xC0) == 0x80; ++i)
                value = (value << 6) | (s[i] & 0x3Fu);
            if (i <= there) {
                broken = Broken::kFollow;
            } else if (there < n) {
                /* Its rest may come with the next piece of the input, so it
                 * is not replaced. */
                rc = conv_error(RSCPEUNIQ, 7, __LINE__, u"source exhausted within a char");
                break;
            } else {
                resume = s + n + 1;
                if (value < kMinimum[n]) {
                    broken = Broken::kOverlong;
                } else if (value >= 0x110000) {
                    broken = Broken::kBeyond;
                } else if (value > 0xFFFF) {
                    if (dst_end - d < 2) {
                        rc = conv_error(RSCPETOOLONG, 9, __LINE__, u"dest buffer overflow");
                        break;
                    }
                    d[0] = static_cast<QOR_UC>(0xD800 + ((value - 0x10000) >> 10));
                    d[1] = static_cast<QOR_UC>(0xDC00 + (value & 0x3FF));
                    d += 2;
                } else {
                    *d++ = static_cast<QOR_UC>(value); /* surrogate code points too */
                }
            }
        }
        if (broken != Broken::kNone) {
            if (replacement == nullptr) {
                rc = report_broken(broken, src_end - s);
                break;
            }
            *d++ = *replacement;
            if (replaced != nullptr)
                ++*replaced;
        }
        s = resume;
    }
    *src = s;
    *dst = d;
    return rc;
}

uint32_t U16ToUtf8Range(int, unsigned char** dst, unsigned char* dst_end, const QOR_UC** src,
                        const QOR_UC* src_end)
{
    return ConvU16ToUtf8(src, src_end, dst, dst_end);
}

uint32_t Utf8ToU16Range(int, QOR_UC** dst, QOR_UC* dst_end, const unsigned char** src,
                        const unsigned char* src_end)
{
    return ConvUtf8ToU16(src, src_end, dst, dst_end, &kReplacement, nullptr);
}

uint32_t U16zToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src)
{
    if (dst_size_bytes < 1) {
        z_length(length, 0);
        return conv_error(RSCPETOOLONG, 13, __LINE__, u"dest buffer overflow");
    }
    src = or_empty(src);
    const QOR_UC* s = src;
    auto* begin = reinterpret_cast<unsigned char*>(dst);
    unsigned char* d = begin;
    const uint32_t rc = U16ToUtf8Range(0, &d, begin + dst_size_bytes - 1, &s, src + strlenU16(src));
    *d = 0;
    z_length(length, static_cast<int32_t>(d - begin));
    return rc;
}

uint32_t Utf8zToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src)
{
    return rscpUtf8zToU16Counted(dst, dst_size_units, length, src, nullptr);
}

uint32_t rscpU16zToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src)
{
    return U16zToUtf8(dst, dst_size_bytes, length, src);
}

uint32_t rscpUtf8zToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src)
{
    return rscpUtf8zToU16Counted(dst, dst_size_units, length, src, nullptr);
}

uint32_t rscpUtf8zToU16Counted(QOR_UC* dst, int32_t dst_size_units, int32_t* length,
                               const char* src, uint32_t* replaced)
{
    if (dst_size_units < 1) {
        z_length(length, 0);
        return conv_error(RSCPETOOLONG, 6, __LINE__, u"dest buffer overflow");
    }
    src = or_empty(src);
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    QOR_UC* d = dst;
    const uint32_t rc = ConvUtf8ToU16(&s, s + std::strlen(src), &d, dst + dst_size_units - 1,
                                      &kReplacement, replaced);
    *d = 0;
    z_length(length, static_cast<int32_t>(d - dst));
    return rc;
}

uint32_t U16nToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src,
                    int32_t src_units)
{
    if (src == nullptr)
        src_units = 0;
    src = or_empty(src);
    const QOR_UC* s = src;
    auto* begin = reinterpret_cast<unsigned char*>(dst);
    unsigned char* d = begin;
    const uint32_t rc = U16ToUtf8Range(0, &d, begin + (dst_size_bytes > 0 ? dst_size_bytes : 0), &s,
                                       src + (src_units > 0 ? src_units : 0));
    z_length(length, static_cast<int32_t>(d - begin));
    return rc;
}

uint32_t Utf8nToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src,
                    int32_t src_bytes)
{
    if (src == nullptr)
        src_bytes = 0;
    src = or_empty(src);
    const auto* s = reinterpret_cast<const unsigned char*>(src);
    QOR_UC* d = dst;
    const uint32_t rc = Utf8ToU16Range(0, &d, dst + (dst_size_units > 0 ? dst_size_units : 0), &s,
                                       s + (src_bytes > 0 ? src_bytes : 0));
    z_length(length, static_cast<int32_t>(d - dst));
    return rc;
}

void EbcdicToU16(QOR_UC* dst, const unsigned char* src, int32_t n)
{
    if (src == nullptr)
        return;
    for (int32_t i = 0; i < n; ++i)
        dst[i] = kEbcdic[src[i]];
}

void PadCopyU16z(QOR_UC* dst, const QOR_UC* src, int32_t width)
{
    int32_t i = 0;
    if (src != nullptr)
        for (; i < width && src[i] != 0; ++i)
            dst[i] = src[i];
    for (; i < width; ++i)
        dst[i] = u' ';
}

void PadCopyU16n(QOR_UC* dst, int32_t width, const QOR_UC* src, int32_t src_length)
{
    if (src == nullptr) {
        if (src_length != 0)
            for (int32_t i = 0; i < width; ++i)
                dst[i] = u' ';
        return;
    }
    if (width > src_length) {
        if (src_length > 0)
            memcpyU(dst, src, static_cast<size_t>(src_length), __FILE__, __LINE__);
        for (int32_t i = src_length > 0 ? src_length : 0; i < width; ++i)
            dst[i] = u' ';
    } else if (width > 0) {
        memcpyU(dst, src, static_cast<size_t>(width), __FILE__, __LINE__);
    }
}

void TmpBufAbort(void)
{
    std::abort();
}

void* TmpBufRingGet(uint32_t size)
{
    const uint32_t i = g_ring_next;
    g_ring_next = i + 1 == 40 ? 0 : i + 1;
    RingSlot& slot = g_ring[i];
    if (slot.capacity < size || slot.buffer == nullptr) {
        std::free(slot.buffer);
        slot.buffer = std::malloc(size != 0 ? size : 1);
        if (slot.buffer == nullptr)
            TmpBufAbort();
        slot.capacity = size;
    }
    return slot.buffer;
}

QOR_UC* A7ToU16Tmp(const char* s)
{
    s = or_empty(s);
    return widen_into_ring(s, std::strlen(s));
}

QOR_UC* A7ToU16Tmp2(const char* s)
{
    s = or_empty(s);
    size_t n = 0;
    while (s[n] != 0)
        ++n;
    return widen_into_ring(s, n);
}
