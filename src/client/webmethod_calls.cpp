// The request values that need more than a cast, and the printers that
// serve many webmethods.
#include "client/webmethod_calls.h"

#include "client/result_header.h"

namespace {

// The generated arrays never write through their items.
void share_list(struct soap* soap, const std::vector<char*>& list, QORControl__ArrayOfString& array)
{
    array.soap_default(soap);
    array.__ptr = list.empty() ? nullptr : const_cast<char**>(list.data());
    array.__size = static_cast<int>(list.size());
}

} // namespace

StringArrayValue::StringArrayValue(struct soap* soap, const ArgumentValue& value)
{
    share_list(soap, value.list, array_);
}

RequestValue<const QORControl__ArrayOfSetProfileParameter&>::RequestValue(
    struct soap* soap, const ArgumentValue& value)
{
    const bool single = value.list.size() == 1;
    share_list(soap, value.list, values_);
    parameter_.soap_default(soap);
    parameter_.name = const_cast<char*>(value.text);
    parameter_.value = single ? value.list[0] : nullptr;
    parameter_.values = single ? nullptr : &values_;
    list_.soap_default(soap);
    list_.__ptr = &parameter_;
    list_.__size = 1;
}

int print_heading(CallContext& call, const Webmethod& webmethod, const QOR_UC* header)
{
    const QOR_UC* name = webmethod.printed_name != nullptr ? webmethod.printed_name : call.name;
    return print_result_header(call.soap, call.format, name, header != nullptr ? header : cU(""),
                               (webmethod.rules & kAlreadyStartedIsOk) != 0);
}

int ValuePrinter::operator()(CallContext& call, const Webmethod& w, const char* value) const
{
    const int status = print_heading(call, w, w.header);
    if (status == 0)
        print_string_field(call.soap, cU(""), value, 0, 1, call.format);
    return status;
}
