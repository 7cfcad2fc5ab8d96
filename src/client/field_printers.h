#ifndef QOR_CLIENT_FIELD_PRINTERS_H
#define QOR_CLIENT_FIELD_PRINTERS_H

#include <cstdint>

#include "u16/qor_uc.h"

struct soap;
class QORControl__ArrayOfString;
class QORControl__ParameterRestriction;
class QORControl__ArrayOfSubProfileParameter;

/* The field printers behind every result listing. Common arguments: the SOAP
 * context (for the 16-bit copies of UTF-8 values), the field name (script
 * format only), the value, the record index (script format; negative means
 * no index where the printer allows it), the last-field flag (list format:
 * end the line) and the output format (exactly "list" selects list format,
 * anything else script format). Absent values never fail a printer. */

/* True when the output format is exactly "list". */
bool is_list_format(const QOR_UC* format);

void print_string_field(struct soap* soap, const QOR_UC* name, const char* value, int index,
                        int last, const QOR_UC* format);
void print_int_field(struct soap* soap, const QOR_UC* name, int value, int index, int last,
                     const QOR_UC* format);
void print_int64_field(struct soap* soap, const QOR_UC* name, std::int64_t value, int index,
                       int last, const QOR_UC* format);
void print_double_field(struct soap* soap, const QOR_UC* name, double value, int index, int last,
                        const QOR_UC* format);
void print_bool_field(struct soap* soap, const QOR_UC* name, bool value, int index, int last,
                      const QOR_UC* format);
void print_enum_field(struct soap* soap, const QOR_UC* name, int value, const QOR_UC* type_name,
                      int index, int last, const QOR_UC* format);
void print_string_array_field(struct soap* soap, const QOR_UC* name,
                              const QORControl__ArrayOfString* value, int index, int last,
                              const QOR_UC* format);
void print_restriction_field(struct soap* soap, const QOR_UC* name,
                             const QORControl__ParameterRestriction* value, int index, int last,
                             const QOR_UC* format);
void print_parameter_descriptions(struct soap* soap, const QOR_UC* name,
                                  const QORControl__ArrayOfSubProfileParameter* value, int index,
                                  int last, const QOR_UC* format);

/* The name of an enumeration value ("GREEN" for STATE_COLOR 2), or null when
 * the type or the value has no name (the printers then print the number). */
const QOR_UC* enum_value_name(const QOR_UC* type_name, int value);

#endif
