#include "u16/u16_secret.h"

#include "u16/u16_decode.h"
#include "u16/u16_format.h"
#include "u16/u16_input.h"

namespace {

/* Characters of a stream as UTF-16 units, decoding strictly: a sequence
 * that is broken, overlong, a surrogate or beyond U+10FFFF gives each of its
 * bytes as the unit of the same value, and the byte that broke it is read
 * again as the start of the next character. */
class SecretInput
{
  public:
    explicit SecretInput(FILE* stream) : stream_(stream) {}

    /* The next character: its units (one or two) and whether it was decoded
     * from valid UTF-8; false at the end of input. */
    bool next(QOR_UC units[2], int* count, bool* decoded)
    {
        *count = 1;
        *decoded = false;
        if (taken_ < held_count_) {
            units[0] = held_[taken_++];
            return true;
        }
        int unit;
        if (first_ && u16_take_held_unit(stream_, &unit)) {
            first_ = false;
            units[0] = static_cast<QOR_UC>(unit);
            *decoded = true;
            return true;
        }
        first_ = false;
        const int lead = byte();
        if (lead < 0)
            return false;
        *decoded = true;
        if (lead < 0x80) {
            units[0] = static_cast<QOR_UC>(lead);
            return true;
        }
        int follow = 0;
        uint32_t value = 0;
        uint32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            follow = 1;
            value = lead & 0x1Fu;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            follow = 2;
            value = lead & 0x0Fu;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            follow = 3;
            value = lead & 0x07u;
            least = 0x10000;
        }
        unsigned char bytes[4] = {static_cast<unsigned char>(lead), 0, 0, 0};
        int got = 1;
        bool valid = follow > 0;
        for (int i = 0; valid && i < follow; ++i) {
            const int b = byte();
            if (b < 0 || (b & 0xC0) != 0x80) {
                pending_ = b; /* the start of the next character, or the end */
                valid = false;
                break;
            }
            bytes[got++] = static_cast<unsigned char>(b);
            value = (value << 6) | (static_cast<uint32_t>(b) & 0x3Fu);
        }
        if (valid && (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)))
            valid = false;
        if (!valid) {
            *decoded = false;
            units[0] = bytes[0];
            held_count_ = 0;
            taken_ = 0;
            for (int i = 1; i < got; ++i)
                held_[held_count_++] = bytes[i];
            return true;
        }
        if (value > 0xFFFF) {
            units[0] = static_cast<QOR_UC>(0xD800 + ((value - 0x10000) >> 10));
            units[1] = static_cast<QOR_UC>(0xDC00 + (value & 0x3FF));
            *count = 2;
        } else {
            units[0] = static_cast<QOR_UC>(value);
        }
        return true;
    }

    /* Reads and drops the rest of the line, up to and including its end
     * ("\n", "\r\n" or a lone "\r"), as raw bytes; at most
     * U16_MAX_LINE_DROP of them. */
    void drop_line()
    {
        held_count_ = 0;
        taken_ = 0;
        int b = byte();
        for (int dropped = 0; b >= 0 && b != '\n' && b != '\r'; b = byte()) {
            if (++dropped >= U16_MAX_LINE_DROP)
                return;
        }
        if (b == '\r')
            drop_line_feed();
    }

    /* After a carriage return: a line feed right after it belongs to it. */
    void drop_line_feed()
    {
        const int b = byte();
        if (b >= 0 && b != '\n')
            ungetc(b, stream_);
    }

  private:
    int byte()
    {
        if (pending_ != kNone) {
            const int b = pending_;
            pending_ = kNone;
            return b;
        }
        return u16_next_byte(stream_);
    }

    static constexpr int kNone = -2;
    FILE* stream_;
    bool first_ = true;
    int pending_ = kNone;
    QOR_UC held_[3] = {0, 0, 0};
    int held_count_ = 0;
    int taken_ = 0;
};

} // namespace

int u16_read_secret_line(FILE* stream, QOR_UC* out, int room)
{
    SecretInput input(stream);
    QOR_UC units[2];
    int count = 0;
    bool decoded = false;
    int n = 0;
    const auto line_end = [&] { return decoded && (units[0] == u'\n' || units[0] == u'\r'); };
    bool more = input.next(units, &count, &decoded);
    for (int skipped = 0; more && decoded && !line_end() && u16_is_space_unit(units[0]);) {
        if (++skipped >= U16_MAX_LINE_DROP) {
            more = false; // endless blanks: an empty answer
            break;
        }
        more = input.next(units, &count, &decoded);
    }
    while (more && !(decoded && u16_is_space_unit(units[0])) && n + count <= room) {
        for (int i = 0; i < count; ++i)
            out[n++] = units[i];
        more = n < room && input.next(units, &count, &decoded);
    }
    out[n] = 0;
    if (more && line_end()) {
        if (units[0] == u'\r')
            input.drop_line_feed();
    } else if (more || n == room) {
        input.drop_line();
    }
    return n;
}

void U16EndBlankLine(FILE* stream)
{
    /* Raw bytes, so that a secret on the same line is never decoded here. */
    int unit;
    if (u16_take_held_unit(stream, &unit)) {
        if (unit == '\n')
            return;
        if (unit != ' ' && unit != '\t') {
            u16_give_back_unit(stream, unit);
            return;
        }
    }
    int b = u16_next_byte(stream);
    for (int dropped = 0; b == ' ' || b == '\t'; b = u16_next_byte(stream)) {
        if (++dropped >= U16_MAX_LINE_DROP)
            return;
    }
    if (b == '\r')
        b = u16_next_byte(stream);
    if (b != '\n' && b >= 0)
        ungetc(b, stream);
}
