// The content of text, number, enumeration and boolean elements read as the
// runtime's soap_string_in and soap_value read it, but on qor_get, so that a
// reference of any length is one character, and with the blanks around a
// value taken in any number: the runtime's value reader failed a value whose
// blanks did not fit its buffer, so a reply read in one piece gave a value
// and the same reply split among the blanks gave an error.
#include "soapH.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr soap_wchar kLt = -2; // the runtime's marks of markup
constexpr soap_wchar kEndTag = -3;
constexpr soap_wchar kGt = -4;
constexpr soap_wchar kQuote = -5;
constexpr soap_wchar kApostrophe = -6;

// A character that came from a reference: the runtime sets the top bit.
bool referenced(soap_wchar c)
{
    return c < kApostrophe;
}

// Appends a character as qor_get gave it: a byte, or the UTF-8 bytes of a
// referenced character, which no_character has let through: U+0001 to
// U+10FFFF, so one to four bytes.
void append(std::string& out, soap_wchar c)
{
    if (!referenced(c)) {
        out += static_cast<char>(c);
        return;
    }
    const unsigned long u = static_cast<unsigned long>(c) & 0x7FFFFFFFUL;
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// A blank as the runtime trims it from the end of a value: a byte up to " ",
// but for NUL.
bool blank_byte(char c)
{
    return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

// A NUL byte is no character of XML, as "&#0;" names none; kept, it would
// end the text where it stands. Nor is a reference to 0, a surrogate or
// beyond U+10FFFF: qor_get refuses one, but the runtime's own reader, which
// reads a reference right after a CDATA section, hands it on ("&#0;" there
// ended the text with OK), and append encodes U+0001 to U+10FFFF only.
bool no_character(struct soap* soap, soap_wchar c)
{
    const unsigned long u = static_cast<unsigned long>(c) & 0x7FFFFFFFUL;
    if (c != 0 && (!referenced(c) || (u != 0 && u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF))))
        return false;
    soap->error = SOAP_SYNTAX_ERROR;
    return true;
}

// Takes the blanks that follow in the input buffer, which soap_get and
// qor_get hand on one by one as they are. With nothing put back (ahead) and
// no CDATA section open the next bytes are [buf + bufidx, buf + buflen);
// bufidx moves past the blanks, at most to buflen, and the view of them
// holds until the input is read again.
std::string_view buffered_blanks(struct soap* soap)
{
    if (soap->ahead || soap->cdata)
        return {};
    const char* const begin = soap->buf + soap->bufidx;
    const char* const end = soap->buf + soap->buflen;
    const char* p = begin;
    while (p < end && blank_byte(*p))
        ++p;
    soap->bufidx += static_cast<std::size_t>(p - begin);
    return {begin, static_cast<std::size_t>(p - begin)};
}

} // namespace

char* qor_string_text(struct soap* soap)
{
    std::string text;
    int depth = 0; // of the elements inside the text, kept as markup
    soap_wchar c;
    for (;;) {
        c = qor_get(soap);
        if (c == EOF || (c == kEndTag && depth == 0) || no_character(soap, c))
            break;
        switch (c) {
        case kEndTag:
            --depth;
            text += "</";
            break;
        case kLt:
            ++depth;
            text += '<';
            break;
        case kGt:
            text += '>';
            break;
        case kQuote:
            text += '"';
            break;
        case kApostrophe:
            text += '\'';
            break;
        case '/':
            if (depth > 0) {
                const soap_wchar next = qor_get(soap);
                if (next == kGt)
                    --depth;
                // A NUL put back would read as nothing put back, and be lost.
                if (next == 0 && no_character(soap, next))
                    return nullptr;
                soap_unget(soap, next);
            }
            text += '/';
            break;
        default:
            append(text, c);
        }
    }
    if (soap->error != SOAP_OK)
        return nullptr;  // a reference that names no character
    soap_unget(soap, c); // EOF or the end tag's mark, never a NUL
    // The text and the NUL that std::string keeps after it.
    char* copy = qor_string_room(soap, text.size() + 1);
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, text.data(), text.size() + 1);
    return copy;
}

const char* qor_value_text(struct soap* soap)
{
    if (!soap->body)
        return "";
    soap_wchar c;
    do {
        buffered_blanks(soap);
        c = qor_get(soap);
    } while (c > 0 && c <= ' ');
    // The value up to its last byte that is no blank, and the blanks after
    // it while they fit the runtime's buffer; more of them are dropped, and
    // a value that goes on after them is too long, as in the runtime.
    constexpr std::size_t kLongest = sizeof soap->tmpbuf - 1;
    std::string value;
    std::size_t kept = 0;
    bool dropped = false;
    for (; c != EOF && c != kEndTag && c != kLt && !no_character(soap, c); c = qor_get(soap)) {
        const std::size_t before = value.size();
        append(value, c);
        std::string_view blanks;
        if (blank_byte(value.back()))
            blanks = buffered_blanks(soap);
        for (std::size_t i = before; i < value.size(); ++i) {
            if (!blank_byte(value[i]))
                kept = i + 1;
        }
        if (kept > kLongest || (dropped && kept > before)) {
            soap->error = SOAP_LENGTH;
            return nullptr;
        }
        const std::size_t room = kLongest - std::min(kLongest, value.size());
        value.append(blanks.substr(0, room));
        dropped = dropped || blanks.size() > room || value.size() > kLongest;
        value.resize(std::min(value.size(), kLongest));
    }
    if (soap->error != SOAP_OK)
        return nullptr;
    soap_unget(soap, c);
    // kept <= value.size() <= kLongest: tmpbuf holds the value and its NUL.
    std::memcpy(soap->tmpbuf, value.data(), kept);
    soap->tmpbuf[kept] = '\0';
    return soap->tmpbuf;
}
