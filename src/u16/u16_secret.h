#ifndef QOR_U16_U16_SECRET_H
#define QOR_U16_U16_SECRET_H

/* Internal: reading a secret (the password) from a stream without any
 * report, so that none of its bytes reaches a diagnostic. */

#include <cstdio>

#include "u16/qor_uc.h"

/* Reads the answer line of a secret: its first word goes into out (at most
 * room units, then a terminator) and the rest of the line, up to and
 * including its end, is dropped (at most U16_MAX_LINE_DROP bytes of it);
 * nothing after the line end is read. Blanks
 * before the word are skipped, a line end is not (an empty line gives an
 * empty word). UTF-8 characters give their units; a byte that is not part
 * of a valid UTF-8 character is taken as the unit of the same value. A
 * character that no longer fits ends the word. Returns the units stored. */
int u16_read_secret_line(FILE* stream, QOR_UC* out, int room);

#endif
