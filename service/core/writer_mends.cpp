// Helpers of the generated writers (see service/mend_generated.cmake).
#include "soapH.h"

#include <cstring>
#include <string>

namespace {

// The text of an element: the runtime escapes "&", "<", ">" and carriage
// return; line feeds are written as character references here, so that a
// peer that normalises line ends still gets the text as it was sent.
int text_out(struct soap* soap, const char* text)
{
    for (const char* lf = std::strchr(text, '\n'); lf; lf = std::strchr(text, '\n')) {
        const std::string line(text, lf);
        if (soap_string_out(soap, line.c_str(), 0) || soap_send_raw(soap, "&#xA;", 5))
            return soap->error;
        text = lf + 1;
    }
    return soap_string_out(soap, text, 0);
}

} // namespace

int qor_outstring(struct soap* soap, const char* tag, int id, char* const* p, const char* type,
                  int t)
{
    // Leaves out a null string, or writes a reference to a string that was
    // written before (the runtime decides).
    id = soap_element_id(soap, tag, id, *p, nullptr, 0, type, t, nullptr);
    if (id < 0)
        return soap->error;
    if (soap_element_begin_out(soap, tag, id, type))
        return soap->error;
    // Closes the start tag even when no text follows: an empty string is
    // <name></name>, since a peer reads <name/> as no string at all.
    if (soap_send_raw(soap, "", 0) || text_out(soap, *p))
        return soap->error;
    return soap_element_end_out(soap, tag);
}
