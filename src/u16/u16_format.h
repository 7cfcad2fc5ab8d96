#ifndef QOR_U16_U16_FORMAT_H
#define QOR_U16_U16_FORMAT_H

/* Internal: the parts of the format language that the printf and scanf
 * engines share (length modifiers), and white space as formatted input and
 * the password read see it. */

#include <climits>
#include <cstdint>

#include "u16/qor_uc.h"

/* Length modifier codes. */
enum U16Length : unsigned {
    kLenNone = 0,
    kLenHH = 2,
    kLenH = 4,
    kLenL = 8,
    kLenLL = 16,
    kLenJ = 32,
    kLenZ = 64,
    kLenT = 128,
    kLenBigL = 256,
    kLenI64 = 512
};

/* Reads the decimal digits at p (a width or precision) and moves p behind
 * them; false when the number exceeds INT_MAX. */
inline bool u16_read_number(const QOR_UC*& p, uint32_t& value)
{
    uint64_t v = 0;
    bool ok = true;
    while (*p >= u'0' && *p <= u'9') {
        v = v * 10 + static_cast<uint64_t>(*p - u'0');
        if (v > static_cast<uint64_t>(INT_MAX)) {
            ok = false;
            v = static_cast<uint64_t>(INT_MAX) + 1;
        }
        ++p;
    }
    value = static_cast<uint32_t>(v);
    return ok;
}

/* Reads an optional length modifier at p and moves p behind it. "I" not
 * followed by "64" is no modifier. */
inline unsigned u16_parse_length(const QOR_UC*& p)
{
    switch (*p) {
    case u'h':
        if (p[1] == u'h') {
            p += 2;
            return kLenHH;
        }
        ++p;
        return kLenH;
    case u'l':
        if (p[1] == u'l') {
            p += 2;
            return kLenLL;
        }
        ++p;
        return kLenL;
    case u'j':
        ++p;
        return kLenJ;
    case u'z':
        ++p;
        return kLenZ;
    case u't':
        ++p;
        return kLenT;
    case u'L':
        ++p;
        return kLenBigL;
    case u'I':
        if (p[1] == u'6' && p[2] == u'4') {
            p += 3;
            return kLenI64;
        }
        return kLenNone;
    default:
        return kLenNone;
    }
}

/* The units 0x09 to 0x0D, 0x1C to 0x20, 0x85, 0xA0, 0x1680, 0x2000 to
 * 0x200B, 0x2028, 0x2029, 0x202F and 0x3000. */
inline bool u16_is_space_unit(int c)
{
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x3000;
}

#endif
