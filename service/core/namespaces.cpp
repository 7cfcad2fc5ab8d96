// The namespace table of every message.  Written by hand because the schema
// compiler leaves out prefixes that no type uses, while the service expects
// all nine to be declared on every envelope, in this order.
#include "soapH.h"

SOAP_NMAC struct Namespace namespaces[] = {
    {"SOAP-ENV", "http://schemas.xmlsoap.org/soap/envelope/", "http://www.w3.org/*/soap-envelope",
     nullptr},
    {"SOAP-ENC", "http://schemas.xmlsoap.org/soap/encoding/", "http://www.w3.org/*/soap-encoding",
     nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance",
     nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"QORControl", "urn:QORControl", nullptr, nullptr},
    {"QORPVRX", "urn:QORPVRX", nullptr, nullptr},
    {"QORHostControl", "urn:QORHostControl", nullptr, nullptr},
    {"QOROscol", "urn:QOROscol", nullptr, nullptr},
    {"QORDSR", "urn:QORDSR", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};
