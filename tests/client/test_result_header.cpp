// The heading block of a call's output and the text of a SOAP fault.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "client/result_header.h"
#include "client_harness.h"
#include "soapH.h"

namespace {

class ClientResultHeader : public testing::Test
{
  protected:
    void SetUp() override { soap_ = soap_new1(SOAP_C_UTFSTRING); }
    void TearDown() override
    {
        soap_destroy(soap_);
        soap_end(soap_);
        soap_free(soap_);
    }

    // A received fault: code, string and detail (null: absent).
    void fault(const char* code, const char* string, const char* detail)
    {
        soap_->error = SOAP_FAULT;
        *soap_faultcode(soap_) = code;
        *soap_faultstring(soap_) = string;
        if (detail != nullptr)
            *soap_faultdetail(soap_) = detail;
    }

    struct soap* soap_ = nullptr;
};

TEST_F(ClientResultHeader, FaultText)
{
    const struct
    {
        const char* code;
        const char* string;
        const char* detail;
        const char* text;
    } cases[] = {
        {"SOAP-ENV:Server", "denied", nullptr, "denied"},
        {"SOAP-ENV:Server", "denied", "<why>no</why>", "denied, <why>no</why>"},
        {"SOAP-ENV:Server", "denied", "", "denied, "},
        // A fault without a string reads as the empty text.
        {"SOAP-ENV:Server", nullptr, nullptr, ""},
        {"SOAP-ENV:Server", nullptr, "d", ", d"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        soap_destroy(soap_);
        soap_end(soap_);
        fault(c.code, c.string, c.detail);
        const char* text = fault_text(soap_);
        ASSERT_NE(text, nullptr);
        EXPECT_STREQ(text, c.text);
        // The absent string was set to the empty one.
        ASSERT_NE(*soap_faultstring(soap_), nullptr);
    }
}

TEST_F(ClientResultHeader, FaultTextOfSuccessAndOfAnErrorWithoutFault)
{
    soap_->error = SOAP_OK;
    EXPECT_EQ(fault_text(soap_), nullptr);

    // An error that brought no fault (the connection broke): the toolkit
    // names it and fills the fault code.
    soap_->error = SOAP_EOF;
    const char* text = fault_text(soap_);
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::string(text), "");
    EXPECT_NE(*soap_faultcode(soap_), nullptr);
}

TEST_F(ClientResultHeader, OkFailAndTheColumnHeader)
{
    const struct
    {
        const char16_t* webmethod;
        const char16_t* format;
        const char16_t* column_header;
        const char* fault_string; // null: the call succeeded
        const char* detail;
        bool already_started_ok; // the rule of Start, StartWait and StartBypassHA
        const char* printed;     // after the heading
        int result;
    } cases[] = {
        {u"GetVersionInfo", u"list", u"a, b\n", nullptr, nullptr, false, "OK\na, b\n", 0},
        {u"GetVersionInfo", u"script", u"a, b\n", nullptr, nullptr, false, "OK\n", 0},
        {u"Shutdown", u"list", u"", nullptr, nullptr, false, "OK\n", 0},
        {u"HAFailoverToNode", u"list", u"\n", nullptr, nullptr, false, "OK\n\n", 0},
        {u"HAFailoverToNode", u"script", u"\n", nullptr, nullptr, false, "OK\n", 0},
        // A failure prints no column header.
        {u"GetVersionInfo", u"list", u"a, b\n", "down", nullptr, false, "FAIL: down\n", 1},
        {u"GetVersionInfo", u"list", u"a, b\n", "down", "<x/>", false, "FAIL: down, <x/>\n", 1},
        // Bytes that are not UTF-8: U+FFFD; an encoded surrogate prints as
        // "#"; a character cut off at the end leaves no text to print.
        {u"Shutdown", u"list", u"", "M\xfcller", nullptr, false, "FAIL: M\xef\xbf\xbdller\n", 1},
        {u"Shutdown", u"list", u"", "a\xed\xa0\x80", nullptr, false, "FAIL: a#\n", 1},
        {u"Shutdown", u"list", u"", "down\xc3", nullptr, false, "FAIL: \n", 1},
        // With the rule a running instance is no failure; only the exact text counts.
        {u"Start", u"list", u"h\n", "Instance already started", nullptr, true, "OK\nh\n", 0},
        {u"StartBypassHA", u"script", u"h\n", "Instance already started", nullptr, true, "OK\n", 0},
        {u"Start", u"list", u"", "Instance already started", "d", true,
         "FAIL: Instance already started, d\n", 1},
        {u"Start", u"list", u"", "Instance already started.", nullptr, true,
         "FAIL: Instance already started.\n", 1},
        // Without it the text fails like any other.
        {u"StartWait", u"list", u"", "Instance already started", nullptr, false,
         "FAIL: Instance already started\n", 1},
        {u"Stop", u"list", u"", "Instance already started", nullptr, false,
         "FAIL: Instance already started\n", 1},
        {u"start", u"list", u"", "Instance already started", nullptr, false,
         "FAIL: Instance already started\n", 1},
    };
    for (const auto& c : cases) {
        const std::string name(c.webmethod,
                               c.webmethod + std::char_traits<char16_t>::length(c.webmethod));
        SCOPED_TRACE(name + " " + c.printed);
        soap_destroy(soap_);
        soap_end(soap_);
        soap_->error = SOAP_OK;
        if (c.fault_string != nullptr)
            fault("SOAP-ENV:Server", c.fault_string, c.detail);
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        const int result = print_result_header(soap_, c.format, c.webmethod, c.column_header,
                                               c.already_started_ok);
        std::fflush(stdout);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, c.result);
        // An empty line, the time stamp line, the name line.
        EXPECT_EQ(clienttest::mask_time_stamps(out), clienttest::heading(name) + c.printed);
    }
}

} // namespace
