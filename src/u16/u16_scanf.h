#ifndef QOR_U16_U16_SCANF_H
#define QOR_U16_U16_SCANF_H

/* Formatted input from UTF-8 streams and 16-bit strings.
 *
 * Directives: "%" ["*"] [width | "*"] [hh h l ll j z t L I64] and one of
 * d i u o x X p  a e f g A E F G  c s [ n. Integers are stored as 32 bits
 * without modifier or with l (values outside the 32-bit range are clamped
 * with ERANGE), 8 bits with hh, 16 with h, 64 with ll, I64, L, z; "%p" stores
 * a pointer. Floating values are stored as float without modifier and as
 * double with l, ll, I64, L or z. "%s" and "%[" store 16-bit strings with a
 * terminator; give a width of at most the buffer size less one.
 *
 * Result: the number of fields assigned, 0 when the first failure came before
 * anything matched, -1 when input ended before anything matched. */

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "u16/qor_uc.h"

/* Reads the standard input; -1 with errno EBADF when there is none. */
int scanfU16(const QOR_UC* format, ...);
int vscanfU16(const QOR_UC* format, va_list args);
int fscanfU16(FILE* stream, const QOR_UC* format, ...);
int vfscanfU16(FILE* stream, const QOR_UC* format, va_list args);
int sscanfU16(const QOR_UC* text, const QOR_UC* format, ...);
int vsscanfU16(const QOR_UC* text, const QOR_UC* format, va_list args);

/* 8-bit text to a signed / unsigned 64-bit integer (base 0 or 2..36). */
int64_t strtolU16(const char* text, char** end, int base);
uint64_t strtoulU16(const char* text, char** end, int base);

/* 16-bit text to a 32-bit signed integer with the semantics of a 32-bit
 * long: leading white space, sign, base prefix; out of range clamps to the
 * 32-bit minimum or maximum with errno ERANGE. */
int32_t wcstolU16(const QOR_UC* text, QOR_UC** end, int base);

#endif
