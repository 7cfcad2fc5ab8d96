#ifndef QOR_U16_U16_PRINTF_H
#define QOR_U16_U16_PRINTF_H

/* Formatted output with 16-bit formats and arguments; streams receive UTF-8.
 *
 * Format language: "%" [flags " #+-0"] [width | "*"] ["." precision | ".*"]
 * [hh h l ll j z t L I64] conversion. "%s" takes a 16-bit string, "%c" one
 * unit; only ll and I64 (and j, z, t) widen integer arguments to 64 bits,
 * "%ld" reads 32 bits; "%p" prints lower-case hex without prefix ("(nil)"
 * for null); floating conversions take a double (also with "L"); "%n" is a
 * format error, and so is a directive whose text would take the count of
 * units past INT_MAX (errno EOVERFLOW; none of its units is written). The C
 * compiler cannot check these 16-bit formats, so the declarations carry no
 * format attributes. */

#include <cstdarg>
#include <cstddef>
#include <cstdio>

#include "u16/qor_uc.h"

/* Number of 16-bit units written, or -1. */
int printfU16(const QOR_UC* format, ...);
int vprintfU16(const QOR_UC* format, va_list args);
int fprintfU16(FILE* stream, const QOR_UC* format, ...);
int vfprintfU16(FILE* stream, const QOR_UC* format, va_list args);

/* Count when the whole text fitted (count < size), else -1 (the buffer then
 * holds the cut, terminated text); size 0 gives -1 and writes nothing. */
int snprintfU16(QOR_UC* buffer, size_t size, const QOR_UC* format, ...);
int vsnprintfU16(QOR_UC* buffer, size_t size, const QOR_UC* format, va_list args);

/* Count when the whole text fitted; when it did not, the buffer holds the
 * first size - 1 units and a terminator and the result equals size; -1 on a
 * format error; size 0 gives 0 and writes nothing. */
int snprintfCutU16(QOR_UC* buffer, size_t size, const QOR_UC* format, ...);
int vsnprintfCutU16(QOR_UC* buffer, size_t size, const QOR_UC* format, va_list args);

/* 8-bit bounded formatting: the count when the text fitted, else the buffer
 * is cut and terminated and the result is -1; size 0 gives -1. */
int snprintfR(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

/* Writes a 16-bit string as UTF-8: bytes written, or -1 when a write took
 * no bytes. */
int fputsU16(const QOR_UC* s, FILE* stream);
/* Writes size * count units as UTF-8 (an unpaired surrogate as '#'). */
void fwriteU16(const QOR_UC* data, size_t size, size_t count, FILE* stream);
/* The same, reporting the number of bytes written. */
void fwriteU16Count(const QOR_UC* data, size_t size, size_t count, FILE* stream,
                    size_t* bytes_written);

#endif
