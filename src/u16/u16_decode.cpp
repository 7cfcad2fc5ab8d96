#include "u16/u16_decode.h"

#include <cerrno>
#include <cstdio>

namespace {

struct Held
{
    FILE* stream = nullptr;
    int unit = -1;
    int byte = -1;
    long position = -1; /* stream position when the entry was last filled */
};

constexpr int kSlots = 16;
Held g_held[kSlots];
int g_used = 0; /* number of slots in use; 0 keeps the common path cheap */

void clear(Held* h)
{
    h->stream = nullptr;
    h->unit = -1;
    h->byte = -1;
    --g_used;
}

/* ftell fails with ESPIPE on pipes and terminals; the caller's errno stays. */
long position_of(FILE* stream)
{
    const int saved = errno;
    const long position = std::ftell(stream);
    errno = saved;
    return position;
}

/* An entry whose stream moved on (or is a new stream at the address of a
 * closed one) holds nothing that belongs to the next read. */
Held* find(FILE* stream)
{
    if (g_used == 0)
        return nullptr;
    for (Held& h : g_held) {
        if (h.stream != stream)
            continue;
        if (position_of(stream) != h.position) {
            clear(&h);
            return nullptr;
        }
        return &h;
    }
    return nullptr;
}

Held* find_or_add(FILE* stream)
{
    if (Held* h = find(stream))
        return h;
    for (Held& h : g_held) {
        if (h.stream == nullptr) {
            h.stream = stream;
            h.unit = -1;
            h.byte = -1;
            ++g_used;
            return &h;
        }
    }
    return nullptr;
}

void release_if_empty(Held* h)
{
    if (h->unit < 0 && h->byte < 0)
        clear(h);
}

} // namespace

int u16_next_byte(FILE* stream)
{
    if (Held* h = find(stream)) {
        if (h->byte >= 0) {
            const int b = h->byte;
            h->byte = -1;
            release_if_empty(h);
            return b;
        }
    }
    return getc(stream);
}

namespace {

void hold_byte(FILE* stream, int byte)
{
    if (Held* h = find_or_add(stream)) {
        h->byte = byte;
        h->position = position_of(stream);
    } else {
        ungetc(byte, stream); /* table full: the C library keeps one byte */
    }
}

} // namespace

Utf8Char u16_decode_utf8(FILE* stream)
{
    Utf8Char ch;
    const int first = u16_next_byte(stream);
    if (first == EOF)
        return ch;
    ch.bytes[0] = static_cast<unsigned char>(first);
    ch.byte_count = 1;
    if (first < 0x80) {
        ch.value = first;
        return ch;
    }
    int follow;
    int32_t value;
    if ((first & 0xE0) == 0xC0) {
        follow = 1;
        value = first & 0x1F;
    } else if ((first & 0xF0) == 0xE0) {
        follow = 2;
        value = first & 0x0F;
    } else if ((first & 0xF8) == 0xF0) {
        follow = 3;
        value = first & 0x07;
    } else {
        follow = -1;
        value = 0;
    }
    bool ok = follow > 0;
    for (int i = 0; ok && i < follow; ++i) {
        const int b = u16_next_byte(stream);
        if (b == EOF) {
            ok = false;
        } else if ((b & 0xC0) != 0x80) {
            /* The breaking byte starts the next character. */
            hold_byte(stream, b);
            ok = false;
        } else {
            ch.bytes[ch.byte_count++] = static_cast<unsigned char>(b);
            value = (value << 6) | (b & 0x3F);
        }
    }
    if (ok && value >= 0x110000)
        ok = false;
    if (!ok) {
        errno = EILSEQ;
        ch.invalid = true;
        ch.value = '#';
        return ch;
    }
    ch.value = value;
    return ch;
}

void u16_hold_unit(FILE* stream, int unit)
{
    if (Held* h = find_or_add(stream)) {
        h->unit = unit;
        h->position = position_of(stream);
    }
}

bool u16_take_held_unit(FILE* stream, int* unit)
{
    Held* h = find(stream);
    if (h == nullptr || h->unit < 0)
        return false;
    *unit = h->unit;
    h->unit = -1;
    release_if_empty(h);
    return true;
}

bool u16_has_held_byte(FILE* stream)
{
    const Held* h = find(stream);
    return h != nullptr && h->byte >= 0;
}

void u16_forget_stream(FILE* stream)
{
    if (Held* h = find(stream)) {
        h->unit = -1;
        h->byte = -1;
        release_if_empty(h);
    }
}

void u16_give_back_unit(FILE* stream, int unit)
{
    if (unit < 0)
        return;
    if (unit < 0x80 && !u16_has_held_byte(stream))
        ungetc(unit, stream);
    else
        u16_hold_unit(stream, unit);
}
