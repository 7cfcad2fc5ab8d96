#include "service/service_call_support.h"

#include <algorithm>

namespace calltest {

std::string BodyElement(const std::string& request_body)
{
    const std::string open = "<SOAP-ENV:Body>";
    const std::string close = "</SOAP-ENV:Body>";
    const auto begin = request_body.find(open);
    const auto end = request_body.rfind(close);
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        return request_body;
    return request_body.substr(begin + open.size(), end - begin - open.size());
}

QORControl__ArrayOfString StringArray(char** items, int count)
{
    QORControl__ArrayOfString array;
    array.__ptr = items;
    array.__size = count;
    return array;
}

ServiceCall::ServiceCall()
    : endpoint_(service_.endpoint()), soap_(soap_new1(SOAP_C_UTFSTRING | SOAP_IO_KEEPALIVE))
{
    // A reply that stops short must fail the call, not hang the test.
    soap_->recv_timeout = 10;
    soap_->send_timeout = 10;
    socket_receive_ = soap_->frecv;
    soap_->user = this;
    soap_->frecv = Receive;
}

std::size_t ServiceCall::Receive(struct soap* soap, char* s, std::size_t n)
{
    const ServiceCall* call = static_cast<const ServiceCall*>(soap->user);
    return call->socket_receive_(soap, s, call->piece_ != 0 ? std::min(n, call->piece_) : n);
}

void ServiceCall::SetDelivery(std::size_t piece)
{
    piece_ = piece;
}

ServiceCall::~ServiceCall()
{
    Release();
    soap_free(soap_);
}

std::string ServiceCall::LastRequestElement() const
{
    if (service_.request_count() == 0)
        return "(no request)";
    return BodyElement(service_.last_request().body);
}

static std::string OrEmpty(const char* const* text)
{
    return text && *text ? *text : "";
}

std::string ServiceCall::FaultCode()
{
    return OrEmpty(soap_faultcode(soap_));
}
std::string ServiceCall::FaultString()
{
    return OrEmpty(soap_faultstring(soap_));
}
std::string ServiceCall::FaultDetail()
{
    return OrEmpty(soap_faultdetail(soap_));
}

void ServiceCall::Release()
{
    soap_destroy(soap_);
    soap_end(soap_);
}

} // namespace calltest
