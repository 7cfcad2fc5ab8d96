// Reads hand-written service responses with the generated record readers.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

#include "soapH.h"

namespace recordtest {

// Names a parameterised case after the |name| member of its parameter.
template <class Case> std::string CaseName(const ::testing::TestParamInfo<Case>& param_info)
{
    return param_info.param.name;
}

// A SOAP 1.1 response envelope whose body holds |body|.
std::string Envelope(std::string_view body);

// A SOAP 1.1 response envelope whose body holds the response element
// |response| (a qualified name such as "QORControl:GetProcessListResponse")
// around |member_xml|, followed by the independent elements |trailer|.
std::string Response(std::string_view response, std::string_view member_xml,
                     std::string_view trailer = {});

// Owns one SOAP context configured as the client configures it and reads
// documents from memory.
class Reader
{
  public:
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    struct soap* ctx() { return soap_; }

    // Switches strict reading (required members, names only) on or off.
    void SetStrict(bool on);

    // How the documents read next arrive: reads of at most `piece` bytes (0:
    // as many as the toolkit asks for), and one read that ends at byte
    // `split` of the document (0: none).
    void SetDelivery(std::size_t piece, std::size_t split = 0);

    // Reads the element |member| of the response element |response| from an
    // envelope made by Response() into |target| through the target's own
    // default and read operations, then the independent elements that follow
    // the response element; references are resolved at the end of the
    // message. Returns the context's error code.
    template <class T>
    int ReadMember(std::string_view xml, const char* response, const char* member, T& target,
                   const char* type = nullptr)
    {
        target.soap_default(soap_);
        if (Begin(xml) || soap_element_begin_in(soap_, response, 0, nullptr))
            return soap_->error;
        if (!target.soap_in(soap_, member, type))
            return soap_->error;
        if (soap_element_end_in(soap_, response) || soap_getindependent(soap_))
            return soap_->error;
        return End();
    }

    // Reads the body element |tag| of an envelope made by Envelope() into
    // |target|, the way a response class is read.
    template <class T> int ReadBody(std::string_view xml, const char* tag, T& target)
    {
        target.soap_default(soap_);
        if (Begin(xml))
            return soap_->error;
        if (!target.soap_get(soap_, tag, nullptr))
            return soap_->error;
        return End();
    }

    // Reads the result element |member| with the children |items| of the
    // response element |response| into |list|.
    template <class T>
    int ReadList(const char* response, const char* member, std::string_view items, T& list)
    {
        std::string xml = "<";
        xml.append(member).append(">").append(items).append("</").append(member).append(">");
        return ReadMember(Response(response, xml), response, member, list);
    }

    // Writes |object| as the element |tag| through its own write operation,
    // as a request writes an embedded record, and returns what stands between
    // the element's start and end tag; "<no element>" when the output does
    // not have that shape.
    template <class T> std::string WriteContent(const T& object, const char* tag)
    {
        StartWrite();
        object.soap_out(soap_, tag, -1, "");
        return FinishWrite(tag);
    }

    // Reads a byte at every location that the toolkit's id table and
    // attachment list hold (objects, link and copy chains, forwarded copies,
    // smart pointers, attachments): under AddressSanitizer one left pointing
    // into freed memory stops the test here. Returns how many there are.
    std::size_t TouchRegistrations() const;

    // Frees everything the previous reads allocated.
    void Release();

  private:
    int Begin(std::string_view xml);
    int End();
    void StartWrite();
    std::string FinishWrite(const char* tag);
    static std::size_t Receive(struct soap* soap, char* s, std::size_t n);

    struct soap* soap_;
    std::istringstream in_;
    std::ostringstream out_;
    std::size_t piece_ = 0;
    std::size_t split_ = 0;
    std::size_t delivered_ = 0; // of the current document
};

} // namespace recordtest
