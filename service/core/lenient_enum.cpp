// Reading enumeration and boolean values that name none of the type's codes.
// The generated readers call this after their own name lookup failed (see
// service/mend_generated.cmake).
#include "soapH.h"

#include <climits>

int qor_enum_number(struct soap *soap, const char *text, long *value, bool *present)
{
    *present = false;
    if (*text == '\0')
        return SOAP_OK;  // an empty element keeps the value it had
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

bool qor_too_many_items(int count)
{
    return count == INT_MAX;
}
