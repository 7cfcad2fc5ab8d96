#ifndef QOR_CLIENT_WEBMETHOD_CALLS_H
#define QOR_CLIENT_WEBMETHOD_CALLS_H

// What a row's run is made of: invoke<client function, printer> calls the
// webmethod's client function with the row's argument values and hands the
// reply to the printer. The printers that serve many webmethods stand here;
// the ones of a single webmethod in webmethod_specials.h.

#include <cstddef>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "client/field_printers.h"
#include "client/record_columns.h"
#include "client/webmethods.h"
#include "soapH.h"

// The SOAP action of every call.
inline constexpr const char* kNoAction = "";

// A client function: the context, the endpoint, the action, the request's
// values in schema order and, last, the reply (by pointer or by reference).
template <class Function> struct ClientFunction;
template <class... Params>
struct ClientFunction<int (*)(struct soap*, const char*, const char*, Params...)>
{
    using Values = std::tuple<Params...>;
    static constexpr std::size_t kValues = sizeof...(Params) - 1;
    using Out = std::tuple_element_t<kValues, Values>;
    using Reply = std::remove_pointer_t<std::remove_reference_t<Out>>;
    static_assert(kValues <= kMaxRequestValues, "a request takes more values than a rule has");
};

// One request value in the type the client function takes. Made as a
// temporary of the call's expression, so an array it holds lives until the
// call returns.
template <class Param> class RequestValue
{
  public:
    RequestValue(struct soap*, const ArgumentValue& value) : value_(value) {}
    Param get() const
    {
        if constexpr (std::is_same_v<Param, char*>)
            return const_cast<char*>(value_.text); // sent, never written
        else if constexpr (std::is_same_v<Param, bool>)
            return value_.number != 0;
        else if constexpr (std::is_enum_v<Param>)
            return static_cast<Param>(value_.number);
        else {
            static_assert(std::is_same_v<Param, int>, "no request value of this type");
            return value_.number;
        }
    }

  private:
    const ArgumentValue& value_;
};

// A list value: the array shares the list's strings.
class StringArrayValue
{
  public:
    StringArrayValue(struct soap* soap, const ArgumentValue& value);

  protected:
    QORControl__ArrayOfString array_;
};
template <> class RequestValue<QORControl__ArrayOfString*> : StringArrayValue
{
  public:
    using StringArrayValue::StringArrayValue;
    QORControl__ArrayOfString* get() { return &array_; }
};
template <> class RequestValue<const QORControl__ArrayOfString&> : StringArrayValue
{
  public:
    using StringArrayValue::StringArrayValue;
    const QORControl__ArrayOfString& get() { return array_; }
};

// The parameter list of the two set webmethods: one record named by the
// value's text; exactly one word in the value's list is the record's single
// value, otherwise (none included) the list is its values.
template <> class RequestValue<const QORControl__ArrayOfSetProfileParameter&>
{
  public:
    RequestValue(struct soap* soap, const ArgumentValue& value);
    const QORControl__ArrayOfSetProfileParameter& get() { return list_; }

  private:
    QORControl__ArrayOfString values_;
    QORControl__SetProfileParameter parameter_;
    QORControl__ArrayOfSetProfileParameter list_;
};

template <auto Function, std::size_t... I>
int send_request(CallContext& call, typename ClientFunction<decltype(Function)>::Reply& reply,
                 std::index_sequence<I...>)
{
    using Client = ClientFunction<decltype(Function)>;
    const Arguments& arguments = call.settings.arguments;
    if constexpr (std::is_pointer_v<typename Client::Out>)
        return Function(call.soap, call.endpoint, kNoAction,
                        RequestValue<std::tuple_element_t<I, typename Client::Values>>(
                            call.soap, arguments.values[I])
                            .get()...,
                        &reply);
    else
        return Function(call.soap, call.endpoint, kNoAction,
                        RequestValue<std::tuple_element_t<I, typename Client::Values>>(
                            call.soap, arguments.values[I])
                            .get()...,
                        reply);
}

// Calls the webmethod and prints its reply; returns the printer's result
// (0 for an unreachable service where the row says it counts as stopped).
template <auto Function, const auto& Print>
int invoke(CallContext& call, const Webmethod& webmethod)
{
    using Client = ClientFunction<decltype(Function)>;
    typename Client::Reply reply{};
    send_request<Function>(call, reply, std::make_index_sequence<Client::kValues>());
    const bool unreachable = call.soap->error == SOAP_TCP_ERROR;
    const int status = Print(call, webmethod, reply);
    return unreachable && (webmethod.rules & kUnreachableIsStopped) != 0 ? 0 : status;
}

// The heading block with the row's name and rules: the heading, "OK" or
// "FAIL: ..." and, on success in list format, the column header (null:
// none). Returns 0 on success.
int print_heading(CallContext& call, const Webmethod& webmethod, const QOR_UC* header);

// Each entry of a string array as its own field: label, position as the
// record index, last-field flag (one list line per entry).
template <class Array>
void print_string_lines(CallContext& call, const QOR_UC* label, const Array& lines)
{
    if (lines.__ptr == nullptr)
        return;
    for (int i = 0; i < lines.__size; ++i)
        print_string_field(call.soap, label, lines.__ptr[i], i, 1, call.format);
}

// The heading block only.
struct HeadingPrinter
{
    template <class Reply> int operator()(CallContext& call, const Webmethod& w, const Reply&) const
    {
        return print_heading(call, w, w.header);
    }
};
inline constexpr HeadingPrinter heading_only{};

// The heading block, then one line per record with the columns' fields; the
// column header is the row's or, without one, the columns' labels.
template <const auto& Columns> struct RecordsPrinter
{
    template <class Array>
    int operator()(CallContext& call, const Webmethod& w, const Array& result) const
    {
        const std::u16string labels = w.header == nullptr ? column_header(Columns) : u"";
        const int status = print_heading(call, w, w.header != nullptr ? w.header : labels.c_str());
        if (status == 0)
            print_records(call.soap, result.__ptr, result.__size, Columns, call.format);
        return status;
    }
};
template <const auto& Columns> inline constexpr RecordsPrinter<Columns> records{};

// The heading block, then the text lines under one label: the reply's
// "lines" member, or the reply itself when it is the array.
template <class T, class = void> struct HasLines : std::false_type
{
};
template <class T>
struct HasLines<T, std::void_t<decltype(std::declval<T>().lines)>> : std::true_type
{
};
struct LinesPrinter
{
    const QOR_UC* label;
    template <class Reply>
    int operator()(CallContext& call, const Webmethod& w, const Reply& reply) const
    {
        const int status = print_heading(call, w, w.header);
        if (status != 0)
            return status;
        if constexpr (HasLines<Reply>::value)
            print_string_lines(call, label, reply.lines);
        else
            print_string_lines(call, label, reply);
        return status;
    }
};
inline constexpr LinesPrinter lines{cU("lines")};
inline constexpr LinesPrinter filename_lines{cU("filename")};
inline constexpr LinesPrinter entry_lines{cU("Entry")};

// The heading block, then one value with an empty field name.
struct ValuePrinter
{
    int operator()(CallContext& call, const Webmethod& w, const char* value) const;
};
inline constexpr ValuePrinter single_value{};

#endif
