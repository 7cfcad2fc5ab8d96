#ifndef QOR_U16_U16_DECODE_H
#define QOR_U16_U16_DECODE_H

/* Internal: the UTF-8 character decoder of the stream readers, and the units
 * and bytes held back per stream so that nothing read ahead is lost between
 * calls (a 16-bit unit given back by the scanf engine, or the byte that broke
 * an invalid sequence). */

#include <cstdint>
#include <cstdio>

struct Utf8Char
{
    int32_t value = -1; /* code point, -1 at end of input, '#' when invalid */
    bool invalid = false;
    unsigned char bytes[4] = {0, 0, 0, 0};
    int byte_count = 0; /* bytes read for this character */
};

/* Decodes one character; an invalid one sets errno EILSEQ. */
Utf8Char u16_decode_utf8(FILE* stream);

/* The next byte of the stream: a held byte first, else getc. */
int u16_next_byte(FILE* stream);

/* A unit given back for the next 16-bit read of the stream. */
void u16_hold_unit(FILE* stream, int unit);
/* Takes the held unit of the stream; false when there is none. */
bool u16_take_held_unit(FILE* stream, int* unit);
/* True when a byte of the stream is held (then a given-back 7-bit unit must
 * not go through ungetc, which would put it behind that byte). */
bool u16_has_held_byte(FILE* stream);
/* Drops everything held for the stream (before it is closed or reused). */
void u16_forget_stream(FILE* stream);
/* Gives a unit back for the next read of the stream: a 7-bit unit through
 * ungetc unless a byte is held, anything else as the held unit. */
void u16_give_back_unit(FILE* stream, int unit);

#endif
