// The fault step of every client call (see mend_generated.cmake).
#include "soapH.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// What made the read of a fault fail, kept for qor_recv_fault: the
// runtime's soap_recv_fault reports the HTTP status in its place.
struct FaultReadError
{
    const struct soap* soap;
    const SOAP_ENV__Fault* before; // the context's fault record when the read began
    int error = SOAP_OK;
    std::string tag; // the element it names
    // A fault that a step of the read stated (the transport refusing the
    // reply) in place of `before`, with its error.
    SOAP_ENV__Fault* stated = nullptr;
};

// qor_recv_fault's record, only while its soap_recv_fault runs.
thread_local FaultReadError* fault_read = nullptr;

} // namespace

int qor_fault_read(struct soap* soap, SOAP_ENV__Fault* read)
{
    if (read == nullptr && fault_read != nullptr && fault_read->soap == soap) {
        if (soap->fault != fault_read->before) {
            fault_read->stated = soap->fault;
            fault_read->error = soap->error;
        } else if (soap_xml_error_check(soap->error)) {
            fault_read->error = soap->error;
            fault_read->tag = soap->tag; // a NUL-terminated copy of the runtime's buffer
        }
    }
    soap->fault = read; // as the runtime's soap_getfault stores it
    return read != nullptr ? 0 : 1;
}

int qor_recv_fault(struct soap* soap)
{
    // Only an element other than the response, directly inside the Body
    // (level 2), can be a Fault; any other failure (an empty Body, a broken
    // response element) ends the call with its own error.
    if (soap->error != SOAP_TAG_MISMATCH || soap->level != 2) {
        soap_closesock(soap);
        return soap->error;
    }
    if (soap_match_tag(soap, soap->tag, "SOAP-ENV:Fault") == SOAP_OK) {
        FaultReadError read{soap, soap->fault, SOAP_OK, {}};
        fault_read = &read;
        const int error = soap_recv_fault(soap, 0);
        fault_read = nullptr;
        if (read.stated != nullptr) {
            // The fault stated while the Fault was read is the call's, as it
            // would be for a reply of any other element; the runtime
            // allocated it in the context's memory, which lives until
            // soap_end.
            soap->fault = read.stated;
            return soap->error = read.error;
        }
        if (read.error == SOAP_OK)
            return error;
        // A fault whose content the readers refuse (a reference that names
        // no character, an invalid number) fails as a reply of any other
        // element would, with that error and the element it names, not with
        // the HTTP status that the runtime reports for any fault it cannot
        // read; an input that ends early still gives the status.
        soap->fault = nullptr;
        soap->error = read.error;
        // Invariant: kept < sizeof soap->tag, so the copy and its NUL fit.
        const std::size_t kept = std::min(read.tag.size(), sizeof soap->tag - 1);
        std::memcpy(soap->tag, read.tag.data(), kept);
        soap->tag[kept] = '\0';
        soap_set_fault(soap);
        return soap->error;
    }
    // Some other element: a reply of the wrong shape.
    *soap_faultcode(soap) = soap->version == 2 ? "SOAP-ENV:Sender" : "SOAP-ENV:Client";
    soap_set_fault(soap); // the runtime's text for the tag mismatch
    soap_closesock(soap);
    return soap->error;
}
