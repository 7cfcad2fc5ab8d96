#ifndef QOR_U16_U16_INPUT_H
#define QOR_U16_U16_INPUT_H

/* Reading UTF-8 files and the console as 16-bit units. Invalid input never
 * stops reading: it yields '#' (errno EILSEQ) and is reported through the
 * Unicode interface diagnostics. */

#include <cstdint>
#include <cstdio>

#include "u16/qor_uc.h"

/* One 16-bit unit, or -1 at end of input. A character above U+FFFF gives
 * U+FFFD. */
int fgetcU16(FILE* stream);

/* Reads at most n - 1 units up to and including a line feed and terminates;
 * returns the buffer, or null at end of input before anything was read, on a
 * stream error, or when n is below 1 (then nothing is written). */
QOR_UC* fgetsU16(QOR_UC* buffer, int n, FILE* stream);

/* Clock of the invalid-input counter of fgetcU16 (seconds since 1970); null
 * restores the system clock. The counter itself can be reset for a fresh
 * start. */
void U16SetInputClock(int64_t (*now)(void));
void U16ResetInputErrorCounter(void);

/* Marks the stream that a dialogue reads a secret from, such as the
 * password after the user name (null: none). Reports about invalid input
 * on it never read ahead to dump the bytes that follow. */
void U16SetSecretInput(FILE* stream);

/* At most this many bytes of the rest of an answer line are read and
 * dropped; past them reading stops as at the line's end, so that an endless
 * input (such as /dev/zero) cannot hold a dialogue for ever. */
constexpr int U16_MAX_LINE_DROP = 64 * 1024;

/* Reads the white space before a word, as "%s" skips it (line ends
 * included), up to the first other unit, which stays for the next read.
 * False at end of input, or when U16_MAX_LINE_DROP units of white space came
 * without a word (endless empty lines): then there is no word to read. */
bool U16SkipSpace(FILE* stream);

/* Ends the current line when nothing but blanks is left on it: reads the
 * blanks (at most U16_MAX_LINE_DROP) and one line end ("\n", "\r\n" or a
 * lone "\r"). Anything else stays unread, byte for byte. */
void U16EndBlankLine(FILE* stream);

/* A unit given back by the scanf engine, or the byte that broke an invalid
 * sequence, waits for the next 16-bit read of its stream. Call this before
 * closing a stream whose reading stopped early, so that a later stream at
 * the same address starts clean. */
void U16ForgetStream(FILE* stream);

#endif
