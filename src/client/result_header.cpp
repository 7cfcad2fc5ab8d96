// The heading block of every call's output and the text of a SOAP fault.
#include "client/result_header.h"

#include <cstring>
#include <ctime>
#include <string_view>

#include <stdsoap2.h>

#include "client/field_printers.h"
#include "client/strings.h"
#include "u16/u16.h"

void format_time_stamp(QOR_UC* buf, int size)
{
    if (buf == nullptr || size <= 0)
        return;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[64] = "";
    if (localtime_r(&now, &local) != nullptr)
        std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    int i = 0;
    for (; text[i] != 0 && i < size - 1; ++i)
        buf[i] = static_cast<unsigned char>(text[i]);
    buf[i] = 0;
}

void print_call_heading(const QOR_UC* webmethod)
{
    QOR_UC stamp[64];
    format_time_stamp(stamp, 64);
    printfU16(cU("\n%s\n%s\n"), stamp, webmethod != nullptr ? webmethod : cU(""));
}

char* fault_text(struct soap* soap)
{
    if (soap == nullptr || soap->error == SOAP_OK)
        return nullptr;
    const char** code = soap_faultcode(soap);
    if (code == nullptr || *code == nullptr)
        soap_set_fault(soap);
    const char** string = soap_faultstring(soap);
    const char* text = string != nullptr && *string != nullptr ? *string : "";
    if (string != nullptr && *string == nullptr)
        *string = "";
    const char** detail = soap_faultdetail(soap);
    if (detail != nullptr && *detail != nullptr) {
        const std::size_t size = std::strlen(text) + 2 + std::strlen(*detail) + 1;
        char* joined = static_cast<char*>(soap_malloc(soap, size));
        if (joined == nullptr)
            return nullptr;
        std::snprintf(joined, size, "%s, %s", text, *detail);
        return joined;
    }
    return soap_strdup(soap, text);
}

int print_result_header(struct soap* soap, const QOR_UC* format, const QOR_UC* webmethod,
                        const QOR_UC* column_header, bool already_started_ok)
{
    print_call_heading(webmethod);
    int result = 0;
    if (soap->error == SOAP_OK) {
        printfU16(cU("OK\n"));
    } else {
        const QOR_UC* text = utf8_to_wide(soap, fault_text(soap));
        if (text == nullptr)
            text = cU("");
        if (already_started_ok && std::u16string_view(text) == u"Instance already started") {
            printfU16(cU("OK\n"));
        } else {
            printfU16(cU("FAIL: %s\n"), text);
            result = 1;
        }
    }
    if (result == 0 && is_list_format(format) && column_header != nullptr && column_header[0] != 0)
        printfU16(cU("%s"), column_header);
    return result;
}
