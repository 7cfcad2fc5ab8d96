// Characters of element text with their references read whole (see
// qor_get): the runtime's reader takes at most seven bytes after "&", so a
// longer reference such as "&#x1F600;" or "&#x00041;" came out as another
// character followed by the rest of its text, and one that names no character
// as some character all the same.
#include "soapH.h"

#include <cstring>
#include <memory>

namespace {

constexpr long kLastCharacter = 0x10FFFF;
// The runtime's reader takes this many bytes of a reference after "&".
constexpr std::size_t kRuntimeReference = 7;

// The runtime's mark of a character that came from a reference.
soap_wchar from_reference(long character)
{
    return static_cast<soap_wchar>(static_cast<unsigned long>(character) | 0x80000000UL);
}

// A reference that names no character, or that the end of the input cut
// (which keeps the runtime's error).
soap_wchar bad_reference(struct soap* soap)
{
    if (soap->error == SOAP_OK)
        soap->error = SOAP_SYNTAX_ERROR;
    return EOF;
}

int digit(soap_wchar c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// After "&#": digits of any number, leading zeros included, and ";".
soap_wchar numeric_reference(struct soap* soap)
{
    soap_wchar c = soap_get1(soap);
    int base = 10;
    if (c == 'x' || c == 'X') {
        base = 16;
        c = soap_get1(soap);
    }
    long character = 0;
    bool digits = false;
    for (int d = digit(c, base); d >= 0; d = digit(c = soap_get1(soap), base)) {
        digits = true;
        if (character <= kLastCharacter)
            character = character * base + d;
    }
    if (c != ';' || !digits || character == 0 || character > kLastCharacter ||
        (character >= 0xD800 && character <= 0xDFFF))
        return bad_reference(soap);
    return from_reference(character);
}

// The character the runtime makes of "&name;" (a name of at most seven
// bytes): besides the five of XML it knows names of HTML. A context of its
// own reads the reference, made when such a name first comes.
soap_wchar runtime_named_reference(const char* name, std::size_t n)
{
    struct Free
    {
        void operator()(struct soap* soap) const { soap_free(soap); }
    };
    static thread_local std::unique_ptr<struct soap, Free> decoder;
    if (!decoder) {
        decoder.reset(soap_new());
        if (!decoder)
            return EOF;
        decoder->frecv = [](struct soap*, char*, std::size_t) -> std::size_t { return 0; };
    }
    struct soap* d = decoder.get();
    d->buf[0] = '&';
    std::memcpy(d->buf + 1, name, n);
    d->buf[n + 1] = ';';
    d->bufidx = 0;
    d->buflen = n + 2;
    d->ahead = 0;
    d->cdata = 0;
    d->error = SOAP_OK;
    return soap_get(d);
}

// After "&" and the first byte c: a name of at most seven bytes and ";".
soap_wchar named_reference(struct soap* soap, soap_wchar c)
{
    char name[kRuntimeReference + 1];
    std::size_t n = 0;
    for (; c != ';'; c = soap_get1(soap)) {
        if (c == EOF || n == kRuntimeReference)
            return bad_reference(soap);
        name[n++] = static_cast<char>(c);
    }
    name[n] = '\0';
    constexpr struct
    {
        const char* name;
        char character;
    } kXml[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& x : kXml) {
        if (std::strcmp(name, x.name) == 0)
            return from_reference(x.character);
    }
    // The runtime's mark of a name it does not know is the character 0x7F.
    const soap_wchar character = n > 0 ? runtime_named_reference(name, n) : EOF;
    if (character == EOF || character == from_reference(0x7F))
        return bad_reference(soap);
    return character;
}

} // namespace

soap_wchar qor_get(struct soap* soap)
{
    if (soap->ahead || soap->cdata)
        return soap_get(soap);
    // One read of the input at most, as in soap_get: after a failed read the
    // buffer may still hold bytes that the runtime never hands on.
    const soap_wchar c = soap_get1(soap);
    if (c == EOF)
        return EOF;
    if (c != '&') {
        soap_revget1(soap);
        return soap_get(soap);
    }
    const soap_wchar next = soap_get1(soap);
    return next == '#' ? numeric_reference(soap) : named_reference(soap, next);
}
