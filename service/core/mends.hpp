// Hand-written helpers that the generated schema code calls; included into
// the generated soapStub.h.
#pragma once

struct soap;

// Reads the text of an enumeration or boolean element that names none of the
// type's values.  An empty text leaves the value unchanged (returns 0 and
// sets *present to false); outside strict mode any decimal number is taken
// as it is; anything else is SOAP_TYPE.
int qor_enum_number(struct soap* soap, const char* text, long* value, bool* present);

// Called for each item of an array that is read by collecting its items:
// true when it cannot take one more (its count is an int); otherwise keeps
// the context's item limit above the count, so that the item array can be
// allocated however long the list is.
bool qor_too_many_items(struct soap* soap, int count);

// For an array element that declares its size: true, with *size the number
// of items (the declared size less the offset) and *offset the offset, when
// the size is usable; false when the element declares none, or a dimension
// that is no number or is negative, a size above 100000 or an offset beyond
// the size, and the items are then collected as they come.
bool qor_declared_size(struct soap* soap, int* size, int* offset);

// Called after the declared number of items was read: true, with the
// runtime's end-tag error (SOAP_SYNTAX_ERROR) or a read error set, when the
// element holds a further item.
bool qor_items_beyond_size(struct soap* soap);

// Ends a client call whose reply did not hold the expected response element.
// A SOAP Fault goes to the runtime's soap_recv_fault; another element fails
// the call with SOAP_TAG_MISMATCH and the fault code Client (Sender under
// SOAP 1.2); any other failure, an empty Body included, keeps its own error.
int qor_recv_fault(struct soap* soap);

// Reads one more element of a fault's detail as literal XML and appends it
// to *text.  Returns false, with the runtime's error set, when no element
// follows.
bool qor_detail_literal(struct soap* soap, char** text);

// The runtime's string reader (same arguments as soap_instring), except that
// an element in the empty-tag form (<name/>) gives a null string; one with a
// start and an end tag and nothing between gives the empty string.
char** qor_instring(struct soap* soap, const char* tag, char** p, const char* type, int t, int flag,
                    long minlen, long maxlen, const char* pattern);

// The runtime's string writer (same arguments as soap_outstring), except that
// an empty string is written with a start and an end tag (<name></name>) and
// a line feed in the text as "&#xA;".
int qor_outstring(struct soap* soap, const char* tag, int id, char* const* p, const char* type,
                  int t);
