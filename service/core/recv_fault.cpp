// The fault step of every client call (see mend_generated.cmake).
#include "soapH.h"

#include <cstring>

int qor_recv_fault(struct soap* soap)
{
    // Only an element other than the response, directly inside the Body
    // (level 2), can be a Fault; any other failure (an empty Body, a broken
    // response element) ends the call with its own error.
    if (soap->error != SOAP_TAG_MISMATCH || soap->level != 2) {
        soap_closesock(soap);
        return soap->error;
    }
    if (soap_match_tag(soap, soap->tag, "SOAP-ENV:Fault") == SOAP_OK)
        return soap_recv_fault(soap, 0);
    // Some other element: a reply of the wrong shape.
    *soap_faultcode(soap) = soap->version == 2 ? "SOAP-ENV:Sender" : "SOAP-ENV:Client";
    soap_set_fault(soap); // the runtime's text for the tag mismatch
    soap_closesock(soap);
    return soap->error;
}
