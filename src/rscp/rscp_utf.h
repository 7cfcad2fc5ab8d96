#ifndef QOR_RSCP_RSCP_UTF_H
#define QOR_RSCP_RSCP_UTF_H

/* Conversions between 16-bit text (UTF-16) and UTF-8 with the converter's
 * return codes, the EBCDIC widening, blank-padded copies and short-lived
 * UTF-16 copies of byte strings from a ring of 40 buffers. */

#include <cstdint>

#include "rscp/rscp_codes.h"
#include "u16/qor_uc.h"

/* The conversions return 0, RSCPETOOLONG, RSCPEUNIQ (a character cut off
 * by the end of the input) or RSCPENOCONV (malformed input).
 *
 * UTF-8 is read by its lead byte, which claims 1 to 5 follow-up bytes. With
 * a replacement, a byte that starts nothing is one replacement; so is a lead
 * byte whose follow-up bytes (those there are) do not all continue it, and
 * the bytes after the lead byte are read again: E2 82 28 gives two and "(".
 * An overlong form or a value above U+10FFFF is one replacement for the
 * whole sequence (C0 80, F4 90 80 80, FC 84 80 80 80 80). Encoded surrogates
 * are kept as the unit they encode: ED A0 80 gives D800. Without a
 * replacement each of these fails at the lead byte. */

/* Error hook: the converter's error recorder. Arguments: code, module letter,
 * accepted-codes mask, module identification, location number, source line,
 * message text, system-log id (never null), two optional (text, length)
 * pairs. Returns the code the conversion returns. */
typedef uint32_t (*ConvErrorHookFn)(uint32_t code, QOR_UC module, uint32_t accepted,
                                    const QOR_UC* ident, int location, int line, const QOR_UC* text,
                                    const QOR_UC* syslog_id, const QOR_UC* arg1, int len1,
                                    const QOR_UC* arg2, int len2);
uint32_t ConvErrorPassThrough(uint32_t code, QOR_UC module, uint32_t accepted, const QOR_UC* ident,
                              int location, int line, const QOR_UC* text, const QOR_UC* syslog_id,
                              const QOR_UC* arg1, int len1, const QOR_UC* arg2, int len2);
/* Null restores ConvErrorPassThrough. */
void SetConvErrorHook(ConvErrorHookFn hook);

/* Conversion cores: in-out cursors, "end" one past the last usable element.
 * A character cut off by the end of the input (its follow-up bytes so far
 * continue it) fails with RSCPEUNIQ, also with a replacement, the source
 * cursor at its lead byte and nothing of it written. */
uint32_t ConvU16ToUtf8(const QOR_UC** src, const QOR_UC* src_end, unsigned char** dst,
                       unsigned char* dst_end);
uint32_t ConvUtf8ToU16(const unsigned char** src, const unsigned char* src_end, QOR_UC** dst,
                       QOR_UC* dst_end, const QOR_UC* replacement, uint32_t* replaced);
uint32_t U16ToUtf8Range(int ignored, unsigned char** dst, unsigned char* dst_end,
                        const QOR_UC** src, const QOR_UC* src_end);
uint32_t Utf8ToU16Range(int ignored, QOR_UC** dst, QOR_UC* dst_end, const unsigned char** src,
                        const unsigned char* src_end);

/* NUL-terminated source; the destination is always terminated (size >= 1);
 * length out (may be null) excludes the terminator. Malformed UTF-8 becomes
 * U+FFFD; a character cut off by the end of the text fails as in the core.
 * Result 0 or a converter code; partial output stays. A null source is
 * empty text, here and in the counted forms. */
uint32_t rscpU16zToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src);
uint32_t rscpUtf8zToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src);
/* rscpUtf8zToU16 that also counts, in *replaced (may be null; incremented,
 * never reset), the U+FFFD it wrote for bytes that are not UTF-8. */
uint32_t rscpUtf8zToU16Counted(QOR_UC* dst, int32_t dst_size_units, int32_t* length,
                               const char* src, uint32_t* replaced);
uint32_t U16zToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src);
uint32_t Utf8zToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src);
/* Counted source, no terminator written. */
uint32_t U16nToUtf8(char* dst, int32_t dst_size_bytes, int32_t* length, const QOR_UC* src,
                    int32_t src_units);
uint32_t Utf8nToU16(QOR_UC* dst, int32_t dst_size_units, int32_t* length, const char* src,
                    int32_t src_bytes);

/* n units from n EBCDIC bytes; no terminator; a null source writes nothing. */
void EbcdicToU16(QOR_UC* dst, const unsigned char* src, int32_t n);

/* Exactly width units from a NUL-terminated / counted source, blank-padded;
 * no terminator. */
void PadCopyU16z(QOR_UC* dst, const QOR_UC* src, int32_t width);
void PadCopyU16n(QOR_UC* dst, int32_t width, const QOR_UC* src, int32_t src_length);

/* Ring of 40 temporaries: a buffer of at least size bytes, valid for the next
 * 39 requests. Ends the process when memory runs out. */
void* TmpBufRingGet(uint32_t size);
[[noreturn]] void TmpBufAbort(void);
/* NUL-terminated UTF-16 copies of a byte string (each byte zero-extended),
 * in ring buffers; a null string gives an empty copy. A string too long for
 * the ring's 32-bit sizes ends the process like a failed allocation. */
QOR_UC* A7ToU16Tmp(const char* s);
QOR_UC* A7ToU16Tmp2(const char* s);

#endif
