// Helpers of the generated readers (see service/mend_generated.cmake).
#include "soapH.h"

#include <climits>
#include <cstring>
#include <sstream>
#include <string>

int qor_enum_number(struct soap* soap, const char* text, long* value, bool* present)
{
    *present = false;
    if (*text == '\0')
        return SOAP_OK; // an empty element keeps the value it had
    if (soap->mode & SOAP_XML_STRICT)
        return soap->error = SOAP_TYPE;
    long number = 0;
    if (soap_s2long(soap, text, &number))
        return soap->error = SOAP_TYPE;
    // The value is kept in a 32-bit int; a number beyond it is no value.
    if (number < INT_MIN || number > INT_MAX)
        return soap->error = SOAP_TYPE;
    *value = number;
    *present = true;
    return SOAP_OK;
}

bool qor_too_many_items(struct soap* soap, int count)
{
    if (count == INT_MAX) {
        qor_discard_block(soap); // the generated reader returns without ending it
        return true;
    }
    // Room for the items read so far and the next one, which the runtime
    // checks against the limit before it reads it; count < INT_MAX, so the
    // sum fits.
    const size_t needed = static_cast<size_t>(count) + 2;
    if (needed > soap->maxoccurs)
        soap->maxoccurs = needed;
    return false;
}

namespace {

// The xsi:types that the runtime's number readers take besides the one they
// are given, by local name in any namespace: a reader of xsd:long, for one,
// takes an element of xsd:short. Their values are read here too.
constexpr struct
{
    const char* type;
    const char* names; // separated by blanks
} kRelated[] = {
    {"xsd:int", "int short byte"},
    {"xsd:long", "long int short byte integer positiveInteger negativeInteger nonPositiveInteger "
                 "nonNegativeInteger"},
    {"xsd:double", "double float decimal long int short byte integer positiveInteger "
                   "negativeInteger nonPositiveInteger nonNegativeInteger unsignedLong "
                   "unsignedInt unsignedShort unsignedByte"},
    {"xsd:byte", "byte"},
    {"xsd:unsignedByte", "unsignedByte"},
    {"xsd:unsignedInt", "unsignedInt unsignedShort unsignedByte"},
};

bool related_type(struct soap* soap, const char* type)
{
    for (const auto& related : kRelated) {
        if (std::strcmp(related.type, type) != 0)
            continue;
        std::istringstream names(related.names);
        for (std::string name; names >> name;) {
            if (soap_match_tag(soap, soap->type, (":" + name).c_str()) == SOAP_OK)
                return true;
        }
    }
    return false;
}

} // namespace

bool qor_number_here(struct soap* soap, const char* type)
{
    // A nil element with content is read for its content, as the runtime's
    // reader reads it.
    if (!soap->body || *soap->href)
        return false;
    if (!*soap->type || type == nullptr || !*type)
        return true;
    const int error = soap->error;
    const bool expected =
        soap_match_tag(soap, soap->type, type) == SOAP_OK || related_type(soap, type);
    soap->error = error;
    return expected;
}

char** qor_instring(struct soap* soap, const char* tag, char** p, const char* type, int t, int flag,
                    long minlen, long maxlen, const char* pattern)
{
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    // The text of a string element: plain text in place, other text on
    // qor_get; any other form goes to the runtime's reader. A string that an
    // href leads to comes without a slot and gets one, as from the runtime.
    // The id entered for a text names the text (its own allocation), never
    // the slot p, as in the runtime's reader: no registration points into
    // the item that holds the slot.
    if (flag == 1 && minlen <= 0 && maxlen < 0 && !pattern && (!tag || *tag != '-') && soap->body &&
        !soap->null && !*soap->href && soap->maxlength <= 0 &&
        !(soap->mode & (SOAP_XML_STRICT | SOAP_XML_DOM))) {
        if (p == nullptr && (p = static_cast<char**>(soap_malloc(soap, sizeof(char*)))) == nullptr)
            return nullptr;
        if (qor_plain_string(soap, p))
            return p;
        *p = qor_string_text(soap);
        if (*p == nullptr ||
            (*soap->id && !qor_id_enter(soap, soap->id, *p, t, sizeof(char*), nullptr, nullptr,
                                        nullptr, nullptr)) ||
            soap_element_end_in(soap, tag))
            return nullptr;
        return p;
    }
    const bool empty_tag = !soap->body && !*soap->href;
    soap_revert(soap); // the runtime's reader reads the same start tag again
    p = qor_noting(
        soap, [&] { return soap_instring(soap, tag, p, type, t, flag, minlen, maxlen, pattern); });
    if (p && empty_tag)
        *p = nullptr;
    return p;
}
