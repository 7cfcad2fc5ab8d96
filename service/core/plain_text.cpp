// The content of a text, number or enumeration element read straight from
// the input buffer (see service/mend_generated.cmake): the runtime reads it
// and its end tag through a call per character, which is most of the time a
// long list takes.
#include "soapH.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// The bytes of text that the runtime's character reader hands on as they
// are, and those of an end tag's name as it reads them.
struct ByteTables
{
    std::array<bool, 256> plain{};
    std::array<bool, 256> end_tag{};
};

constexpr ByteTables kBytes = [] {
    ByteTables t;
    for (int c = 1; c < 0x80; ++c)
        t.plain[c] = c != '<' && c != '&';
    for (int c = ' ' + 1; c < 256; ++c)
        t.end_tag[c] = c != '<' && c != '>' && c != '&' && c != '"' && c != '\'';
    return t;
}();

bool blank(unsigned char c)
{
    return c <= ' ';
}

// True when none of the n bytes at p is NUL, "&" or above 0x7F: eight at a
// time ("<" is not looked for). Reads [p, p + n) and no byte beyond.
bool plain_bytes(const char* p, std::size_t n)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    constexpr std::uint64_t kAmps = 0x2626262626262626u;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t w = 0;
        std::memcpy(&w, p, sizeof w);
        const std::uint64_t a = w ^ kAmps; // a zero byte where w has "&"
        if ((w & kHighs) != 0 || ((w - kOnes) & ~w & kHighs) != 0 ||
            ((a - kOnes) & ~a & kHighs) != 0)
            return false;
    }
    for (; n > 0; ++p, --n) {
        if (!kBytes.plain[static_cast<unsigned char>(*p)])
            return false;
    }
    return true;
}

// The content of the element whose start tag was just read, and its end tag.
struct Content
{
    const char* text;
    std::size_t length;
    const char* name; // of the end tag
    std::size_t name_length;
    const char* after;
};

// True when the end tag's name is the one of the start tag, which the
// runtime's end-tag reader leaves in soap->tag as this one does: a value
// that proves invalid then names its element whether or not it was read
// here, and an end tag of another name goes to the runtime's readers, which
// name the element before they read its end tag.
// soap->tag holds the start tag's name cut to sizeof tag - 1 bytes, as the
// runtime cuts every name it keeps, so the names compare by those bytes.
bool same_name(const struct soap* soap, const char* name, std::size_t length)
{
    const std::size_t kept = std::min(length, sizeof soap->tag - 1);
    return std::strlen(soap->tag) == kept && std::memcmp(soap->tag, name, kept) == 0;
}

// True when the text and the end tag lie in the input buffer, the end tag
// names the element and the text holds nothing that needs the runtime's
// character reader (references, markup, bytes above 0x7F); nothing is read.
// With no character put back (ahead) and no CDATA section open, the next
// bytes of the message are [buf + bufidx, buf + buflen): the runtime ends
// buflen where a chunk or DIME record ends, so no framing lies inside. Every
// pointer below stays in that range.
bool plain_content(const struct soap* soap, Content* content)
{
    if (soap->ahead || soap->cdata || soap->null || *soap->id || *soap->href || !soap->body ||
        soap->feltendin || soap->maxlength > 0 || (soap->mode & (SOAP_XML_STRICT | SOAP_XML_DOM)))
        return false;
    const char* const begin = soap->buf + soap->bufidx;
    const char* const end = soap->buf + soap->buflen;
    const char* text_end =
        static_cast<const char*>(std::memchr(begin, '<', static_cast<std::size_t>(end - begin)));
    if (text_end == nullptr || end - text_end < 2 || text_end[1] != '/' ||
        !plain_bytes(begin, static_cast<std::size_t>(text_end - begin)))
        return false;
    const char* name = text_end + 2;
    const char* q = name;
    while (q < end && kBytes.end_tag[static_cast<unsigned char>(*q)])
        ++q;
    const std::size_t name_length = static_cast<std::size_t>(q - name);
    while (q < end && blank(static_cast<unsigned char>(*q)))
        ++q;
    if (q == end || *q != '>' || !same_name(soap, name, name_length))
        return false;
    *content = {begin, static_cast<std::size_t>(text_end - begin), name, name_length, q + 1};
    return true;
}

// Takes the content and its end tag as the runtime's end-tag reader would:
// the name cut to fit soap->tag with its NUL, bufidx just after the ">"
// (at most buflen), one level less for the element left.
void consume(struct soap* soap, const Content& content)
{
    const std::size_t kept = std::min(content.name_length, sizeof soap->tag - 1);
    std::memcpy(soap->tag, content.name, kept);
    soap->tag[kept] = '\0';
    soap->bufidx = static_cast<std::size_t>(content.after - soap->buf);
    soap->level--;
}

} // namespace

bool qor_plain_string(struct soap* soap, char** p)
{
    Content content;
    if (!plain_content(soap, &content))
        return false;
    // The text and its NUL (the text lies in the input buffer, so the sum
    // cannot overflow); on failure nothing has been read.
    char* text = qor_string_room(soap, content.length + 1);
    if (text == nullptr)
        return false; // SOAP_EOM is set
    std::memcpy(text, content.text, content.length);
    text[content.length] = '\0';
    *p = text;
    consume(soap, content);
    return true;
}

bool qor_plain_value(struct soap* soap)
{
    Content content;
    if (!plain_content(soap, &content))
        return false;
    // The runtime's value: without the blanks around it, and short.
    const char* text = content.text;
    const char* text_end = text + content.length;
    while (text < text_end && blank(static_cast<unsigned char>(*text)))
        ++text;
    while (text_end > text && blank(static_cast<unsigned char>(text_end[-1])))
        --text_end;
    // tmpbuf takes a value of up to sizeof tmpbuf - 2 bytes and its NUL here;
    // a longer one goes to qor_value_text, which keeps one byte more (as the
    // runtime's reader does) and fails beyond.
    const std::size_t length = static_cast<std::size_t>(text_end - text);
    if (length >= sizeof soap->tmpbuf - 1)
        return false;
    std::memcpy(soap->tmpbuf, text, length);
    soap->tmpbuf[length] = '\0';
    consume(soap, content);
    return true;
}

const char* qor_value(struct soap* soap)
{
    if (qor_plain_value(soap)) {
        soap->body = 0; // the end tag has been read
        return soap->tmpbuf;
    }
    const char* value = qor_value_text(soap);
    if (value == nullptr)
        soap->body = 0; // no end tag is looked for after a failure
    return value;
}
