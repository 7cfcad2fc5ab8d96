// The nine field printers: one value in list format ("value, " or
// "value\n") or script format ("index name: value\n").
#include "client/field_printers.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "client/strings.h"
#include "rscp/rscp_utf.h"
#include "soapH.h"
#include "u16/u16.h"

namespace {

const QOR_UC* const kEmpty = cU("");

// A UTF-8 value as 16-bit text; absent stays absent. The text lives in a
// scratch buffer until the next conversion, so that printing
// a long list does not pile up copies in the context's memory.
const QOR_UC* wide(struct soap*, const char* value)
{
    if (value == nullptr)
        return nullptr;
    static thread_local std::u16string buffer;
    const std::size_t units = std::strlen(value) + 1;
    if (buffer.size() < units)
        buffer.resize(units);
    int32_t length = 0;
    if (rscpUtf8zToU16(buffer.data(), static_cast<int32_t>(units), &length, value) != 0)
        return nullptr;
    return buffer.data();
}

const QOR_UC* or_empty(const QOR_UC* text)
{
    return text != nullptr ? text : kEmpty;
}

// A value of a list that is plain ASCII prints the same bytes as its 16-bit
// form: written as it is, without the conversions of every other field.
// False, with nothing written, for any other text.
bool print_ascii_list_value(const char* value, int last)
{
    const char* end = value;
    for (; *end != 0; ++end) {
        if (static_cast<unsigned char>(*end) >= 0x80)
            return false;
    }
    // A short value goes out with its separator in one write.
    const std::string_view separator = last ? "\n" : ", ";
    const std::size_t length = static_cast<std::size_t>(end - value);
    char line[128];
    if (length + separator.size() <= sizeof line) {
        std::memcpy(line, value, length);
        std::memcpy(line + length, separator.data(), separator.size());
        std::fwrite(line, 1, length + separator.size(), stdout);
    } else {
        std::fwrite(value, 1, length, stdout);
        std::fwrite(separator.data(), 1, separator.size(), stdout);
    }
    return true;
}

// The same for a short 16-bit text (the names of enumeration values, ...).
bool print_ascii_list_value(const QOR_UC* text, int last)
{
    char narrow[64];
    std::size_t n = 0;
    for (; text[n] != 0; ++n) {
        if (text[n] >= 0x80 || n + 1 == sizeof narrow)
            return false;
        narrow[n] = static_cast<char>(text[n]);
    }
    narrow[n] = 0;
    return print_ascii_list_value(narrow, last);
}

// Prints an already formatted value with the separators of the string
// printer; script format with or without the index.
void print_text(const QOR_UC* name, const QOR_UC* text, int index, int last, const QOR_UC* format,
                bool index_always = false)
{
    if (is_list_format(format)) {
        if (!print_ascii_list_value(text, last))
            printfU16(last ? cU("%s\n") : cU("%s, "), text);
    } else if (index >= 0 || index_always) {
        printfU16(cU("%d %s: %s\n"), index, or_empty(name), text);
    } else {
        printfU16(cU("%s: %s\n"), or_empty(name), text);
    }
}

// An absent array prints "<NULL>", an array without items nothing, each
// with the separators of a string field.
void print_missing_items(const QOR_UC* name, bool absent, int index, int last, const QOR_UC* format)
{
    if (is_list_format(format)) {
        if (absent)
            printfU16(last ? cU("<NULL>\n") : cU("<NULL>, "));
        else
            printfU16(last ? cU("\n") : cU(", "));
    } else if (absent) {
        printfU16(cU("%d %s: <NULL>\n"), index, or_empty(name));
    } else {
        printfU16(cU("%d %s:\n"), index, or_empty(name));
    }
}

void append_ascii(std::u16string& out, const char* text)
{
    for (; *text != 0; ++text)
        out.push_back(static_cast<unsigned char>(*text));
}

void append_int64_or_null(std::u16string& out, const LONG64* value)
{
    char buf[32];
    if (value == nullptr) {
        append_ascii(out, "<NULL>");
        return;
    }
    std::snprintf(buf, sizeof buf, "%" PRId64, static_cast<std::int64_t>(*value));
    append_ascii(out, buf);
}

void append_double_or_null(std::u16string& out, const double* value)
{
    char buf[512];
    if (value == nullptr) {
        append_ascii(out, "<NULL>");
        return;
    }
    std::snprintf(buf, sizeof buf, "%f", *value);
    append_ascii(out, buf);
}

// The restriction text: "NONE", "INTRANGE <min> <max>", "ENUM a b", ...
std::u16string restriction_text(struct soap* soap, const QORControl__ParameterRestriction* r)
{
    std::u16string text;
    if (r == nullptr)
        return u"<NULL>";
    switch (static_cast<int>(r->type)) {
    case 0:
        return u"NONE";
    case 1:
        return u"INT";
    case 2:
        return u"FLOAT";
    case 3:
        text = u"INTRANGE ";
        append_int64_or_null(text, r->int_min);
        text += u' ';
        append_int64_or_null(text, r->int_max);
        return text;
    case 4:
        text = u"FLOATRANGE ";
        append_double_or_null(text, r->float_min);
        text += u' ';
        append_double_or_null(text, r->float_max);
        return text;
    case 5:
        text = u"ENUM";
        if (r->valuemap != nullptr && r->valuemap->__ptr != nullptr) {
            for (int i = 0; i < r->valuemap->__size; ++i) {
                text += u' ';
                text += or_empty(wide(soap, r->valuemap->__ptr[i]));
            }
        }
        return text;
    case 6:
        return u"BOOL";
    default:
        // An unknown restriction type shows its number.
        append_ascii(text, std::to_string(static_cast<int>(r->type)).c_str());
        return text;
    }
}

struct EnumName
{
    int value;
    const QOR_UC* name;
};

struct EnumTable
{
    const QOR_UC* type_name;
    const EnumName* names;
    int count;
};

constexpr EnumName kStateColor[] = {
    {1, cU("GRAY")}, {2, cU("GREEN")}, {3, cU("YELLOW")}, {4, cU("RED")}};
constexpr EnumName kVisibleLevel[] = {
    {0, cU("UNKNOWN")}, {1, cU("OPERATOR")}, {2, cU("EXPERT")}, {3, cU("DEVELOPER")}};
constexpr EnumName kJ2eeState[] = {{1, cU("J2EE_STOPPED")},      {2, cU("J2EE_STARTING")},
                                   {3, cU("J2EE_CORE_RUNNING")}, {4, cU("J2EE_RUNNING")},
                                   {5, cU("J2EE_STOPPING")},     {6, cU("J2EE_MAINTENANCE")},
                                   {7, cU("J2EE_UNKNOWN")}};
constexpr EnumName kHaState[] = {{0, cU("SUCCESS")}, {1, cU("WARNING")}, {2, cU("ERROR")}};
constexpr EnumName kHaCategory[] = {{0, cU("QOR CONFIGURATION")},
                                    {1, cU("QOR STATE")},
                                    {2, cU("HA CONFIGURATION")},
                                    {3, cU("HA STATE")}};

constexpr EnumTable kEnumTables[] = {
    {cU("STATE_COLOR"), kStateColor, 4},     {cU("VISIBLE_LEVEL"), kVisibleLevel, 4},
    {cU("J2EE_PSTATE"), kJ2eeState, 7},      {cU("HAVerificationState"), kHaState, 3},
    {cU("HACheckCategory"), kHaCategory, 4},
};

} // namespace

bool is_list_format(const QOR_UC* format)
{
    // Asked for every field of a list: compared in place.
    return format != nullptr && format[0] == u'l' && format[1] == u'i' && format[2] == u's' &&
           format[3] == u't' && format[4] == 0;
}

const QOR_UC* enum_value_name(const QOR_UC* type_name, int value)
{
    if (type_name == nullptr)
        return nullptr;
    const std::u16string_view wanted(type_name);
    for (const EnumTable& table : kEnumTables) {
        if (table.type_name != wanted)
            continue;
        for (int i = 0; i < table.count; ++i) {
            if (table.names[i].value == value)
                return table.names[i].name;
        }
        return nullptr;
    }
    return nullptr;
}

void print_string_field(struct soap* soap, const QOR_UC* name, const char* value, int index,
                        int last, const QOR_UC* format)
{
    if (is_list_format(format) && value != nullptr && print_ascii_list_value(value, last))
        return;
    const QOR_UC* text = wide(soap, value);
    if (is_list_format(format)) {
        printfU16(last ? cU("%s\n") : cU("%s, "), or_empty(text));
    } else if (text != nullptr) {
        // An absent string prints no script line at all.
        print_text(name, text, index, last, format);
    }
}

void print_int_field(struct soap*, const QOR_UC* name, int value, int index, int last,
                     const QOR_UC* format)
{
    if (is_list_format(format)) {
        char digits[16];
        *std::to_chars(digits, digits + sizeof digits - 1, value).ptr = 0;
        print_ascii_list_value(digits, last);
    } else if (index >= 0)
        printfU16(cU("%d %s: %d\n"), index, or_empty(name), value);
    else
        printfU16(cU("%s: %d\n"), or_empty(name), value);
}

void print_int64_field(struct soap*, const QOR_UC* name, std::int64_t value, int index, int last,
                       const QOR_UC* format)
{
    const long long v = value;
    if (is_list_format(format))
        printfU16(last ? cU("%I64d\n") : cU("%I64d, "), v);
    else if (index >= 0)
        printfU16(cU("%d %s: %I64d\n"), index, or_empty(name), v);
    else
        printfU16(cU("%s: %I64d\n"), or_empty(name), v);
}

void print_double_field(struct soap*, const QOR_UC* name, double value, int index, int last,
                        const QOR_UC* format)
{
    if (is_list_format(format))
        printfU16(last ? cU("%lf\n") : cU("%lf, "), value);
    else if (index >= 0)
        printfU16(cU("%d %s: %lf\n"), index, or_empty(name), value);
    else
        printfU16(cU("%s: %lf\n"), or_empty(name), value);
}

void print_bool_field(struct soap*, const QOR_UC* name, bool value, int index, int last,
                      const QOR_UC* format)
{
    print_text(name, value ? cU("TRUE") : cU("FALSE"), index, last, format);
}

void print_enum_field(struct soap*, const QOR_UC* name, int value, const QOR_UC* type_name,
                      int index, int last, const QOR_UC* format)
{
    const QOR_UC* text = enum_value_name(type_name, value);
    if (text != nullptr) {
        print_text(name, text, index, last, format);
        return;
    }
    if (is_list_format(format))
        printfU16(last ? cU("%d\n") : cU("%d, "), value);
    else if (index >= 0)
        printfU16(cU("%d %s: %d\n"), index, or_empty(name), value);
    else
        printfU16(cU("%s: %d\n"), or_empty(name), value);
}

void print_string_array_field(struct soap* soap, const QOR_UC* name,
                              const QORControl__ArrayOfString* value, int index, int last,
                              const QOR_UC* format)
{
    const bool list = is_list_format(format);
    const int count = value != nullptr && value->__ptr != nullptr ? value->__size : 0;
    if (count <= 0) {
        print_missing_items(name, value == nullptr, index, last, format);
        return;
    }
    for (int i = 0; i < count; ++i) {
        const QOR_UC* item = or_empty(wide(soap, value->__ptr[i]));
        if (!list) {
            printfU16(cU("%d %s[%d]: %s\n"), index, or_empty(name), i, item);
            continue;
        }
        printfU16(cU("[%d]=%s"), i, item);
        if (i + 1 < count)
            printfU16(cU(" "));
        else
            printfU16(last ? cU("\n") : cU(", "));
    }
}

void print_restriction_field(struct soap* soap, const QOR_UC* name,
                             const QORControl__ParameterRestriction* value, int index, int last,
                             const QOR_UC* format)
{
    const std::u16string text = restriction_text(soap, value);
    print_text(name, text.c_str(), index, last, format, /*index_always=*/true);
}

void print_parameter_descriptions(struct soap* soap, const QOR_UC* name,
                                  const QORControl__ArrayOfSubProfileParameter* value, int index,
                                  int last, const QOR_UC* format)
{
    const bool list = is_list_format(format);
    const int count = value != nullptr && value->__ptr != nullptr ? value->__size : 0;
    if (count <= 0) {
        print_missing_items(name, value == nullptr, index, last, format);
        return;
    }
    const QOR_UC* field = or_empty(name);
    for (int i = 0; i < count; ++i) {
        const QORControl__SubProfileParameter& item = value->__ptr[i];
        const QOR_UC* item_name = or_empty(utf8_to_wide(soap, item.name));
        const QOR_UC* item_description = or_empty(utf8_to_wide(soap, item.description));
        const QOR_UC* item_unit = or_empty(utf8_to_wide(soap, item.unit));
        const QOR_UC* mandatory = item.mandatory ? cU("true") : cU("false");
        if (!list) {
            printfU16(cU("%d %s[%d].name: %s\n"), index, field, i, item_name);
            printfU16(cU("%d %s[%d].description: %s\n"), index, field, i, item_description);
            printfU16(cU("%d %s[%d].unit: %s\n"), index, field, i, item_unit);
            printfU16(cU("%d %s[%d].mandatory: %s\n"), index, field, i, mandatory);
            QOR_UC restriction_name[300];
            snprintfU16(restriction_name, 300, cU("%s[%d].restriction"), field, i);
            print_restriction_field(soap, restriction_name, &item.restriction, index, last, format);
            continue;
        }
        printfU16(cU("[%d].name=%s "), i, item_name);
        printfU16(cU("[%d].description=%s "), i, item_description);
        printfU16(cU("[%d].unit=%s "), i, item_unit);
        printfU16(cU("[%d].mandatory=%s "), i, mandatory);
        printfU16(cU("[%d].restriction="), i);
        print_restriction_field(soap, name, &item.restriction, index, last, format);
        if (i + 1 < count)
            printfU16(cU(" "));
        else
            printfU16(last ? cU("\n") : cU(", "));
    }
}
