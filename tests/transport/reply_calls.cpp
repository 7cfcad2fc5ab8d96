// The table of reply calls: one row per webmethod, listed from the schema
// at configure time (reply_calls.inc), each made by the same template from
// its client function's type.
#include "reply_calls.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "client/snapshot_reply.h"
#include "soapH.h"

namespace {

// A request value of the parameter's type: "" for a text, zero for a number,
// a flag or an enumeration, no array where one is taken by pointer, an empty
// one where it is taken by reference.
template <class Param> class RequestValue
{
  public:
    Param get()
    {
        if constexpr (std::is_same_v<Param, char*>)
            return empty_;
        else if constexpr (std::is_pointer_v<Param>)
            return nullptr;
        else if constexpr (std::is_reference_v<Param>)
            return held_;
        else
            return Param{};
    }

  private:
    char empty_[1] = {};
    std::conditional_t<std::is_reference_v<Param>, std::remove_cv_t<std::remove_reference_t<Param>>,
                       char>
        held_{};
};

// The reply: the object the client function reads into, by pointer or by
// reference.
template <class T, class = void> struct HasSize : std::false_type
{
};
template <class T>
struct HasSize<T, std::void_t<decltype(std::declval<T>().__size)>> : std::true_type
{
};
template <class T, class = void> struct HasLines : std::false_type
{
};
template <class T>
struct HasLines<T, std::void_t<decltype(std::declval<T>().lines.__size)>> : std::true_type
{
};

template <class Out> class ReplyValue
{
  public:
    using Reply = std::remove_cv_t<std::remove_reference_t<std::remove_pointer_t<Out>>>;
    Out get()
    {
        if constexpr (std::is_pointer_v<Out>)
            return &reply_;
        else
            return reply_;
    }
    // The items of a list, the length of a text; 0 otherwise.
    int count() const
    {
        if constexpr (HasSize<Reply>::value)
            return reply_.__size;
        else if constexpr (HasLines<Reply>::value)
            return reply_.lines.__size;
        else if constexpr (std::is_same_v<Reply, char*>)
            return reply_ != nullptr ? static_cast<int>(std::char_traits<char>::length(reply_))
                                     : -1;
        else
            return 0;
    }

  private:
    Reply reply_{};
};

template <class Function> struct ClientCall;
template <class... Params>
struct ClientCall<int (*)(struct soap*, const char*, const char*, Params...)>
{
    using Values = std::tuple<Params...>;
    static constexpr std::size_t kValues = sizeof...(Params) - 1;
    using Out = std::tuple_element_t<kValues, Values>;

    template <auto Function, std::size_t... I>
    static int call(struct soap* soap, const char* endpoint, int* count, std::index_sequence<I...>)
    {
        std::tuple<RequestValue<std::tuple_element_t<I, Values>>...> request;
        ReplyValue<Out> reply;
        const int rc = Function(soap, endpoint, "", std::get<I>(request).get()..., reply.get());
        *count = rc == SOAP_OK ? reply.count() : -1;
        return rc;
    }
};

template <auto Function> int reply_call(struct soap* soap, const char* endpoint, int* count)
{
    using Client = ClientCall<decltype(Function)>;
    return Client::template call<Function>(soap, endpoint, count,
                                           std::make_index_sequence<Client::kValues>());
}

// The snapshot as the client reads it, attachments included.
int client_snapshot(struct soap* soap, const char* endpoint, int* count)
{
    char name[] = "s.zip";
    SnapshotData data;
    const int rc = call_read_snapshot(soap, endpoint, "", name, &data);
    *count = rc == SOAP_OK ? static_cast<int>(data.size) : -1;
    return rc;
}

#define QOR_REPLY_CALL(name) {#name, reply_call<soap_call_QORControl__##name>},
constexpr ReplyCallRow kCalls[] = {
    {"ReadSnapshot (client)", client_snapshot},
#include "reply_calls.inc"
};
#undef QOR_REPLY_CALL

} // namespace

const ReplyCallRow* reply_calls_begin()
{
    return std::begin(kCalls);
}

const ReplyCallRow* reply_calls_end()
{
    return std::end(kCalls);
}

const ReplyCallRow* find_reply_call(std::string_view name)
{
    const auto row = std::find_if(std::begin(kCalls), std::end(kCalls),
                                  [name](const ReplyCallRow& r) { return r.name == name; });
    return row != std::end(kCalls) ? row : nullptr;
}
