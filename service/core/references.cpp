// Characters of element text with their references read whole (see
// qor_get): the runtime's reader takes at most seven bytes after "&", so a
// longer reference such as "&#x1F600;" or "&#x00041;" came out as another
// character followed by the rest of its text, one that names no character
// as some character all the same, and a name in another case than its own
// ("&eacute;", "&NBSP;") as the character of the first name that matched.
#include "core/named_references.hpp"
#include "soapH.h"

#include <algorithm>

namespace {

constexpr long kLastCharacter = 0x10FFFF;
// The longest name of a named reference.
constexpr std::size_t kLongestName = [] {
    std::size_t longest = 0;
    for (const QorNamedReference& known : kQorNamedReferences)
        longest = std::max(longest, known.name.size());
    return longest;
}();

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
    // Any number of digits is read; the value stops growing once it is past
    // the last character, so it stays below 16 * 0x110000 and never
    // overflows.
    for (int d = qor_reference_digit(c, base); d >= 0;
         d = qor_reference_digit(c = soap_get1(soap), base)) {
        digits = true;
        if (character <= kLastCharacter)
            character = character * base + d;
    }
    if (c != ';' || !digits || character == 0 || character > kLastCharacter ||
        (character >= 0xD800 && character <= 0xDFFF))
        return bad_reference(soap);
    return from_reference(character);
}

// After "&" and the first byte c: a name of the list spelled as listed, and
// ";". The runtime's reader matched its HTML names in any case, so that
// "&eacute;" gave U+00C9: a name is no longer handed to it.
soap_wchar named_reference(struct soap* soap, soap_wchar c)
{
    char name[kLongestName];
    std::size_t n = 0;
    // n < kLongestName at every write: a name that would not fit names no
    // character and is refused before its next byte is stored.
    for (; c != ';'; c = soap_get1(soap)) {
        if (c == EOF || n == kLongestName)
            return bad_reference(soap);
        name[n++] = static_cast<char>(c);
    }
    const char32_t character = qor_named_character({name, n});
    if (character == 0)
        return bad_reference(soap);
    return from_reference(static_cast<long>(character));
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
        // soap_get1 took c from soap->buf (bufidx > 0 now), so stepping back
        // over it stays within the buffer and hands c to soap_get.
        soap_revget1(soap);
        return soap_get(soap);
    }
    const soap_wchar next = soap_get1(soap);
    return next == '#' ? numeric_reference(soap) : named_reference(soap, next);
}
