// Helpers of the generated readers (see service/mend_generated.cmake).
#include "soapH.h"

#include <climits>

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
    if (count == INT_MAX)
        return true;
    // Room for the items read so far and the next one, which the runtime
    // checks against the limit before it reads it.
    const size_t needed = static_cast<size_t>(count) + 2;
    if (needed > soap->maxoccurs)
        soap->maxoccurs = needed;
    return false;
}

char** qor_instring(struct soap* soap, const char* tag, char** p, const char* type, int t, int flag,
                    long minlen, long maxlen, const char* pattern)
{
    if (soap_element_begin_in(soap, tag, 1, nullptr))
        return nullptr;
    const bool empty_tag = !soap->body && !*soap->href;
    soap_revert(soap); // the runtime's reader reads the same start tag again
    p = soap_instring(soap, tag, p, type, t, flag, minlen, maxlen, pattern);
    if (p && empty_tag)
        *p = nullptr;
    return p;
}
