// Hex dump of the developer trace: rows of 16 bytes with a character column,
// the values of credentials hidden.

#include "base/dptrc.h"

#include <string_view>

#include "rscp/rscp_utf.h"
#include "u16/u16_printf.h"

namespace {

constexpr size_t kRowBytes = 16;
constexpr size_t kRowUnits = 160;
constexpr const QOR_UC* kRule =
    u"------------------------------------------------------------------------\n";

// A key whose value is hidden up to one of the terminators. Header keys hide
// everything up to the end of their line; the others end at any terminator
// of the other rows, wherever it stands.
struct MaskRow
{
    std::string_view key;
    std::string_view terminator1;
    std::string_view terminator2;
    bool header;
};

const MaskRow kMaskRows[] = {
    {"qor-user=", "&", " ", false},         {"qor-password=", "&", " ", false},
    {"qor-ssolist=", "&", " ", false},      {"authorization", "\r", "\n", true},
    {"www-authenticate", "\r", "\n", true}, {"QOR-M5Auth", "&", " ", false},
    {"SID:ANON:", "-ATT", "", false},       {"SID%3aANON%3a", "-ATT", "", false},
};

unsigned char ascii_lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Text in the dump stands as bytes (width 1) or as 16-bit little-endian
// units (width 2), the form in which the program holds its own text.
bool text_at(const unsigned char* data, size_t len, size_t pos, std::string_view text, size_t width,
             bool fold)
{
    if (text.empty() || pos + width * text.size() >= len) // at least one byte must follow
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char want = static_cast<unsigned char>(text[i]);
        const unsigned char have = data[pos + width * i];
        if (fold ? ascii_lower(have) != ascii_lower(want) : have != want)
            return false;
        if (width == 2 && data[pos + 2 * i + 1] != 0)
            return false;
    }
    return true;
}

class Masking
{
  public:
    Masking(const unsigned char* data, size_t len) : data_(data), len_(len) {}

    // Whether the byte at pos, the next position in order, is hidden.
    bool hides(size_t pos)
    {
        if (!on_)
            start(pos);
        if (on_ && end_ == 0 && (pos - start_) % width_ == 0)
            find_end(pos);
        const bool hidden = on_;
        if (on_ && end_ != 0 && pos + 1 >= end_)
            on_ = false;
        return hidden;
    }

  private:
    void start(size_t pos)
    {
        for (const MaskRow& row : kMaskRows)
            for (size_t width : {1, 2})
                if (text_at(data_, len_, pos, row.key, width, true)) {
                    on_ = true;
                    start_ = pos;
                    end_ = 0;
                    width_ = width;
                    header_ = row.header;
                    return;
                }
    }

    void find_end(size_t pos)
    {
        for (const MaskRow& row : kMaskRows) {
            if (row.header != header_)
                continue;
            for (std::string_view t : {row.terminator1, row.terminator2})
                if (text_at(data_, len_, pos, t, width_, false)) {
                    end_ = pos + width_ * t.size();
                    return;
                }
        }
    }

    const unsigned char* data_;
    size_t len_;
    bool on_ = false;
    bool header_ = false;
    size_t start_ = 0;
    size_t end_ = 0; // 0: not found yet
    size_t width_ = 1;
};

// 8-bit ASCII to EBCDIC: the inverse of the converter's EBCDIC table; the
// blank is the EBCDIC blank, characters without a code become "?".
struct AsciiToEbcdic
{
    unsigned char table[256];
    AsciiToEbcdic()
    {
        constexpr unsigned char kEbcdicBlank = 0x40, kEbcdicQuestion = 0x6F;
        bool seen[256] = {};
        for (unsigned b = 0; b < 256; ++b) {
            QOR_UC u;
            const unsigned char byte = static_cast<unsigned char>(b);
            EbcdicToU16(&u, &byte, 1);
            if (u < 256 && !seen[u] && (u != u' ' || byte == kEbcdicBlank)) {
                table[u] = byte;
                seen[u] = true;
            }
        }
        for (unsigned u = 0; u < 256; ++u)
            if (!seen[u])
                table[u] = kEbcdicQuestion;
    }
};

unsigned translate(unsigned char byte, int charset)
{
    if (charset == 1) {
        QOR_UC u;
        EbcdicToU16(&u, &byte, 1);
        return u;
    }
    if (charset == 2) {
        static const AsciiToEbcdic to_ebcdic;
        return to_ebcdic.table[byte];
    }
    return byte;
}

void dump_line(CTRC hdl, const QOR_UC* fmt, const QOR_UC* text)
{
    DpTrcLock();
    DpTrcEntryLevel = 2;
    DpTrcNoTime(hdl, fmt, text);
    DpTrcUnlock();
}

// Turns the trace's size check off for the life of the object.
struct SizeCheckOff
{
    SizeCheckOff() { DpSetSizeCheck(false); }
    ~SizeCheckOff() { DpSetSizeCheck(true); }
    SizeCheckOff(const SizeCheckOff&) = delete;
    SizeCheckOff& operator=(const SizeCheckOff&) = delete;
};

} // namespace

void DpIHexDump(CTRC hdl, const QOR_UC* title, const void* data, size_t len, int charset,
                bool header, size_t raw)
{
    if (len == 0 || data == nullptr || charset < 0 || charset > 2)
        return;
    SizeCheckOff size_check_off;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    if (header) {
        dump_line(hdl, u"Address   Offset  %s\n", title != nullptr ? title : u"");
        dump_line(hdl, u"%s", kRule);
    }
    Masking masking(bytes, len);
    static const char kHex[] = "0123456789abcdef";
    for (size_t offset = 0; offset < len; offset += kRowBytes) {
        QOR_UC row[kRowUnits];
        int n = snprintfCutU16(row, kRowUnits, u"%p  %6.6zu  ",
                               static_cast<const void*>(bytes + offset), offset);
        size_t at = n > 0 ? static_cast<size_t>(n) : 0;
        QOR_UC chars[kRowBytes];
        for (size_t col = 0; col < kRowBytes; ++col) {
            const size_t pos = offset + col;
            if (pos >= len) {
                row[at++] = u' ';
                row[at++] = u' ';
                chars[col] = u' ';
            } else if (masking.hides(pos)) {
                row[at++] = u'x';
                row[at++] = u'x';
                chars[col] = u'.';
            } else {
                row[at++] = static_cast<QOR_UC>(kHex[bytes[pos] >> 4]);
                row[at++] = static_cast<QOR_UC>(kHex[bytes[pos] & 0xF]);
                const unsigned c = pos < raw ? bytes[pos] : translate(bytes[pos], charset);
                chars[col] = c >= 0x20 && c <= 0x7E ? static_cast<QOR_UC>(c) : u'.';
            }
            if (col % 4 == 3)
                row[at++] = u' ';
        }
        row[at++] = u'|';
        for (QOR_UC c : chars)
            row[at++] = c;
        row[at++] = u'|';
        row[at++] = u'\n';
        row[at] = 0;
        dump_line(hdl, u"%s", row);
    }
    dump_line(hdl, u"%s", kRule);
}

void DpTrcHexDump(CTRC hdl, const QOR_UC* title, const void* data, size_t len, int charset)
{
    DpIHexDump(hdl, title, data, len, charset, true, 0);
}
