// Client calls of the generated service layer against the fake control
// service: one SOAP context set up as the client sets it up, and helpers to
// look at the request that reached the service.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "soapH.h"
#include "support/fake_service.h"

namespace calltest {

// The generated calls take char * for request strings.
inline char* Text(const char* text)
{
    return const_cast<char*>(text);
}

// The first child of the request's SOAP Body as it was written, or the whole
// body when there is no Body element.
std::string BodyElement(const std::string& request_body);

// A QORControl__ArrayOfString over |items|, which must outlive it.
QORControl__ArrayOfString StringArray(char** items, int count);

// A fake service and one client context (UTF-8 strings, keep-alive, never
// strict), released after every call like the client's repeat loop does.
class ServiceCall : public ::testing::Test
{
  protected:
    ServiceCall();
    ~ServiceCall() override;

    struct soap* ctx() { return soap_; }
    const char* endpoint() const { return endpoint_.c_str(); }
    qortest::FakeService& service() { return service_; }

    // The body element of the last request the service received.
    std::string LastRequestElement() const;
    // Fault code, string and detail of the context ("" when absent).
    std::string FaultCode();
    std::string FaultString();
    std::string FaultDetail();
    // Releases everything the last call read (soap_destroy, soap_end).
    void Release();
    // How the replies arrive from now on: reads of at most `piece` bytes (0:
    // as many as the toolkit asks for and the connection holds).
    void SetDelivery(std::size_t piece);

  private:
    static std::size_t Receive(struct soap* soap, char* s, std::size_t n);

    qortest::FakeService service_;
    std::string endpoint_;
    struct soap* soap_;
    std::size_t (*socket_receive_)(struct soap*, char*, std::size_t);
    std::size_t piece_ = 0;
};

} // namespace calltest
