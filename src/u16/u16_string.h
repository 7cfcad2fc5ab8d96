#ifndef QOR_U16_U16_STRING_H
#define QOR_U16_U16_STRING_H

/* 16-bit strings: copies between 7-bit byte text and 16-bit text, bounded
 * ("safe") copy and concatenation with one failure rule (0, or 34 = ERANGE
 * and, as a rule, an empty target), a truncating copy, a tokenizer, a
 * case-insensitive compare, and memory copies that check for overlap.
 * Sizes and counts of 16-bit buffers are in units unless stated otherwise. */

#include <cstddef>
#include <cstdint>

#include "u16/qor_uc.h"

/* A byte pointer reinterpreted as 16-bit text (see nlsui_cast_raw2uc). */
typedef QOR_UC QOR_UTF16;

/* Result of the safe functions when the result does not fit. */
#define QOR_U16_ERANGE 34

/* "No limit" for the count of strncpyTruncU16: copy what fits. */
#define QOR_TRUNCATE ((size_t)-1)

/* ---- 7-bit <-> 16-bit (caller sizes the target; nothing is checked) ---- */

/* Widens a 0-terminated byte string, terminator included. */
void A7ToU16(QOR_UC* target, const char* source);
void nlsui_a7_to_u16(QOR_UC* target, const char* source);
/* Widens exactly n bytes; writes no terminator. */
void A7nToU16(QOR_UC* target, const char* source, size_t n);
void nlsui_a7n_to_u16(QOR_UC* target, const char* source, size_t n);
/* Narrows until the first unit above 0x7F, terminates there and returns 1;
 * returns 0 when the whole string was 7-bit. */
int U16ToA7Strict(char* target, const QOR_UC* source);
/* Narrows; a unit above 0x7F becomes the replacement when that is 7-bit,
 * else '#'. */
void U16ToA7Repl(char* target, const QOR_UC* source, QOR_UC replacement);
/* Narrows; a unit above 0x7F becomes '#'. */
void nlsui_u16_to_a7(char* target, const QOR_UC* source);
/* Narrows exactly n units, no terminator; above 0x7F becomes '#'. */
void nlsui_u16n_to_a7(char* target, const QOR_UC* source, size_t n);

/* ---- bounded and safe functions ---- */

size_t strnlenU16(const QOR_UC* s, size_t max);
size_t strnlenR(const char* s, size_t max);
int strcpy_sU16(QOR_UC* target, size_t size, const QOR_UC* source);
int strcpy_sR(char* target, size_t size, const char* source);
int strcat_sU16(QOR_UC* target, size_t size, const QOR_UC* source);
int strcat_sR(char* target, size_t size, const char* source);
/* Copies at most n units and always terminates within size; cuts silently;
 * returns 0. n = QOR_TRUNCATE copies as much as fits. */
int strncpyTruncU16(QOR_UC* target, size_t size, const QOR_UC* source, size_t n);
/* 0, or 34 after zero-filling the whole target when n exceeds the size. */
int memcpy_sR(void* target, size_t size, const void* source, size_t n);
int memcpy_sU(QOR_UC* target, size_t size, const QOR_UC* source, size_t n);
/* Copies with an overlap check: on overlap a line goes to standard error and
 * the process breaks with SIGTRAP (which ends it unless a debugger takes the
 * trap) unless QORMEMCPYCHK is "0"; the copy is then done as a move. */
void* memcpyR(void* target, const void* source, size_t n, const char* file, int line);
QOR_UC* memcpyU(QOR_UC* target, const QOR_UC* source, size_t n, const char* file, int line);
QOR_UC* memchrU16(const QOR_UC* s, QOR_UC unit, size_t n);
QOR_UC* strtok_sU16(QOR_UC* s, const QOR_UC* delimiters, QOR_UC** context);
QOR_UC* strpbrkU16(const QOR_UC* s, const QOR_UC* set);
size_t strspnU16(const QOR_UC* s, const QOR_UC* set);
/* Compares through the lower-case mapping bound by the I18N start-up
 * (U16SetLowerCaseMapping); 7-bit lower-casing until then. */
int strcasecmpU16(const QOR_UC* a, const QOR_UC* b);
typedef int (*U16CaseMapping)(int c);
void U16SetLowerCaseMapping(U16CaseMapping mapping);

/* ---- plain helpers ---- */

size_t strlenU16(const QOR_UC* s);
int strcmpU16(const QOR_UC* a, const QOR_UC* b);
int strncmpU16(const QOR_UC* a, const QOR_UC* b, size_t n);
QOR_UC* strchrU16(const QOR_UC* s, QOR_UC unit);
QOR_UC* strrchrU16(const QOR_UC* s, QOR_UC unit);
QOR_UC* strstrU16(const QOR_UC* haystack, const QOR_UC* needle);
QOR_UC* strcpyU16(QOR_UC* target, const QOR_UC* source);
QOR_UC* strcatU16(QOR_UC* target, const QOR_UC* source);
QOR_UC* memsetU16(QOR_UC* target, QOR_UC unit, size_t n);

#endif
