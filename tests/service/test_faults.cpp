// How a call fails: SOAP Faults of both versions with their codes, strings
// and details, a reply of the wrong shape, HTTP error statuses, broken
// replies and a service that is not there.
#include <string>

#include "service/service_call_support.h"
#include "service/test_records_support.h"
#include "support/closed_port.h"

namespace {

using calltest::ServiceCall;
using calltest::Text;
using qortest::Reply;

struct FaultCase
{
    const char* name;
    bool soap12;
    const char* code;   // as the service writes it
    int error;          // what the call returns
    const char* detail; // detail content written, "" for none
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

const FaultCase kFaults[] = {
    {"Server11", false, "SOAP-ENV:Server", SOAP_SVR_FAULT, ""},
    {"Client11", false, "SOAP-ENV:Client", SOAP_CLI_FAULT, "<reason>no such file</reason>"},
    {"MustUnderstand11", false, "SOAP-ENV:MustUnderstand", SOAP_MUSTUNDERSTAND, ""},
    {"VersionMismatch11", false, "SOAP-ENV:VersionMismatch", SOAP_VERSIONMISMATCH, ""},
    {"Other11", false, "SOAP-ENV:Busy", SOAP_FAULT, "<a b=\"c\">1</a><b>2<c/></b>"},
    {"Receiver12", true, "SOAP-ENV:Receiver", SOAP_SVR_FAULT,
     "<reason>disk full</reason><where>/usr</where>"},
    {"Sender12", true, "SOAP-ENV:Sender", SOAP_CLI_FAULT, ""},
    {"MustUnderstand12", true, "SOAP-ENV:MustUnderstand", SOAP_MUSTUNDERSTAND, ""},
    {"VersionMismatch12", true, "SOAP-ENV:VersionMismatch", SOAP_VERSIONMISMATCH, ""},
    {"Other12", true, "SOAP-ENV:DataEncodingUnknown", SOAP_FAULT, ""},
};

class Fault : public ServiceCall, public ::testing::WithParamInterface<FaultCase>
{
};

TEST_P(Fault, CodeIsMappedAndTextAndDetailAreKept)
{
    const FaultCase& c = GetParam();
    const char* text = "Instance already started & <running>";
    service().script("Start", c.soap12 ? Reply::fault12(c.code, text, c.detail)
                                       : Reply::fault11(c.code, text, c.detail));
    QORControl__StartResponse out;
    EXPECT_EQ(c.error, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
    EXPECT_EQ(c.code, FaultCode());
    EXPECT_EQ(text, FaultString());
    EXPECT_EQ(c.detail, FaultDetail());
}

INSTANTIATE_TEST_SUITE_P(Versions, Fault, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& param) {
                             return std::string(param.param.name);
                         });

// The fault text with references of every length; one that names no
// character fails the call with the reading error, and the next call on the
// same connection is read as usual.
TEST_F(ServiceCall, FaultTextReadsReferencesWhole)
{
    const auto fault = [](const char* text) {
        return Reply::http(500, qortest::envelope(std::string("<SOAP-ENV:Fault><faultcode>SOAP-ENV:"
                                                              "Server</faultcode><faultstring>") +
                                                  text + "</faultstring></SOAP-ENV:Fault>"));
    };
    service().script("Start", {fault("gone &#x1F600;&#x00041;&#65;"), fault("gone &#xD800;"),
                               Reply::ok("<QORControl:StartResponse/>")});
    QORControl__StartResponse out;
    EXPECT_EQ(SOAP_SVR_FAULT, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
    EXPECT_EQ("gone \xF0\x9F\x98\x80"
              "AA",
              FaultString());
    Release();
    EXPECT_EQ(SOAP_SYNTAX_ERROR, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
    EXPECT_EQ("Validation constraint violation: syntax error in element 'faultstring'",
              FaultString());
    EXPECT_EQ("", FaultDetail());
    Release();
    EXPECT_EQ(SOAP_OK, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
}

struct FaultReadCase
{
    const char* name;
    std::string fault; // the content of the Fault element after its code
    std::string read;  // error|fault string|detail
};

void PrintTo(const FaultReadCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Boom(const std::string& detail)
{
    return "<faultstring>boom</faultstring><detail>" + detail + "</detail>";
}

const std::string kSyntaxError = "5|Validation constraint violation: syntax error in element ";

const FaultReadCase kFaultReads[] = {
    // The detail's text begins at its next child element: character data
    // and CDATA sections before it are passed over like blanks, those after
    // it are text.
    {"DetailText", Boom("a &lt; b"), "2|boom|"},
    {"DetailTextBeforeAnElement", Boom("a &lt; b\n<e>1 &amp; 2</e> c <f/>"),
     "2|boom|<e>1 &amp; 2</e> c <f/>"},
    // A reference takes up to seven bytes, as the element reader takes it.
    {"DetailTextWithAnOpenReference", Boom("a &amp<e/><f/>"), "2|boom|<f/>"},
    {"DetailTextAroundTheObject",
     Boom("a <h:OperationException xmlns:h=\"urn:QORHostControl\"><mFaultCode>1</mFaultCode>"
          "</h:OperationException> b <![CDATA[c]]> d <n/> e"),
     "2|boom|<n/> e"},
    {"DetailCdata", Boom("<![CDATA[a <b> c]]>"), "2|boom|"},
    {"DetailEmptyCdata", Boom("<![CDATA[]]>"), "2|boom|"},
    {"DetailCdataAndBlanks", Boom(" <![CDATA[ ]]>\n<![CDATA[]]> "), "2|boom|"},
    {"DetailCdataThenMore", Boom("<![CDATA[ a]]]]> y <e a=\"1\">&lt;<![CDATA[b]]></e> z"),
     "2|boom|<e a=\"1\">&lt;<![CDATA[b]]></e> z"},
    {"DetailCdataBeforeAnElement", Boom("<![CDATA[x]]><e>1</e>"), "2|boom|<e>1</e>"},
    {"DetailTextThenCdata", Boom("x <![CDATA[a <b> c]]> y"), "2|boom|"},
    {"DetailCdataInAnElement", Boom("<e><![CDATA[a <b>]]></e>"), "2|boom|<e><![CDATA[a <b>]]></e>"},
    {"DetailElementThenCdata", Boom("<e/><![CDATA[x]]>"), "2|boom|<e/><![CDATA[x]]>"},
    {"DetailCdataAfterBlanksCommentAndInstruction",
     Boom(" <!-- a > b --> <?pi a>b?>\n<![CDATA[  x]]>"), "2|boom|"},
    {"DetailCdataAfterTheObject",
     Boom("<h:OperationException xmlns:h=\"urn:QORHostControl\"><mFaultCode>1</mFaultCode>"
          "</h:OperationException><![CDATA[x]]><![CDATA[y]]><n/><![CDATA[z]]>"),
     "2|boom|<n/><![CDATA[z]]>"},
    // Markup skipped before the detail's text, as the toolkit skips it.
    {"DetailAfterDeclarations",
     Boom("<!-- a -- b --><!x <y> z><!DOCTYPE d [<!ENTITY e 'f'>]><?pi?x>y>t<u/>"), "2|boom|<u/>"},
    {"DetailAfterAnEncoding",
     Boom("<?xml version='1.0' encoding='iso-8859-1'?>\xC3\xA9<e>\xC3\xA9</e>"),
     "2|boom|<e>\xC3\x83\xC2\xA9</e>"},
    // The encoding is looked for in the first 63 bytes of the declaration.
    {"EncodingAtTheEndOfTheDeclarationsBuffer",
     Boom("<?xml" + std::string(44, ' ') + " encoding='latin?><e>\xC3\xA9</e>"),
     "2|boom|<e>\xC3\x83\xC2\xA9</e>"},
    {"EncodingBeyondTheDeclarationsBuffer",
     Boom("<?xml" + std::string(45, ' ') + " encoding='latin?><e>\xC3\xA9</e>"),
     "2|boom|<e>\xC3\xA9</e>"},
    {"DetailAfterALatinEncoding", Boom("<?xml version='1.0' encoding='latin-1'?><e>\xC3\xA9</e>"),
     "2|boom|<e>\xC3\x83\xC2\xA9</e>"},
    // Markup in the text ends where the element reader ends it: a comment
    // at its first "--" and the ">" that balances its "<", an instruction
    // at its first "?" and that ">"; what it holds is no element.
    {"DetailCommentEndsAfterItsOpening",
     Boom("<e/><!---><f a=\"1\"/>--><g/><!-- <h> -- <i> > --> <j/>"),
     "2|boom|<e/><!---><f a=\"1\"/>--><g/><!-- <h> -- <i> > --> <j/>"},
    {"DetailInstructionAndDeclaration", Boom("<e/><?><f/>?><!x<y>><g/><%z>"),
     "2|boom|<e/><?><f/>?><!x<y>><g/><%z>"},
    {"DetailUtf8AndLatin1", Boom("<e>\xC3\xA9\xE2\x82\xAC\xE9\xE0\x80<f/></e>"),
     "2|boom|<e>\xC3\xA9\xE2\x82\xAC\xC3\xA9\xC3\xA0\xC2\x80<f/></e>"},
    {"NulInADetailCdata", Boom(std::string("<![CDATA[a\0b]]>", 16)), "2|boom|"},
    {"NulInADetailText", Boom(std::string("<e>a\0b</e>", 11)), kSyntaxError + "'e'|"},
    {"DetailCdataNotEnded", "<faultstring>boom</faultstring><detail><![CDATA[a</detail>",
     "500|Error 500: HTTP 500 Internal Server Error|"},
    // A fault whose content the readers refuse fails with their error.
    {"NoCharacterInTheString", "<faultstring>a&#0;b</faultstring>",
     kSyntaxError + "'faultstring'|"},
    {"UnknownNameInTheString", "<faultstring>a&bogus;b</faultstring>",
     kSyntaxError + "'faultstring'|"},
    {"NoCharacterAfterADetail", Boom("d") + "<faultactor>&#xD800;</faultactor>",
     kSyntaxError + "'faultactor'|"},
    {"InvalidNumberInTheDetail",
     Boom("<h:OperationException xmlns:h=\"urn:QORHostControl\"><mFaultCode>x</mFaultCode>"
          "</h:OperationException>"),
     "4|Validation constraint violation: invalid value in element 'mFaultCode'|"},
};

class FaultRead : public ::testing::TestWithParam<FaultReadCase>
{
};

std::string ReadFault(recordtest::Reader& reader, const std::string& xml)
{
    // The Fault stands where the response was expected.
    QORControl__GetStartProfileResponse out;
    reader.ReadBody(xml, "QORControl:GetStartProfileResponse", out);
    struct soap* soap = reader.ctx();
    soap->status = 500;
    const int error = qor_recv_fault(soap);
    const char** text = soap_faultstring(soap);
    const char** detail = soap_faultdetail(soap);
    std::string read = std::to_string(error) + "|" + (text && *text ? *text : "") + "|" +
                       (detail && *detail ? *detail : "");
    reader.Release();
    return read;
}

TEST_P(FaultRead, ReadsTheSameInEveryPiece)
{
    const FaultReadCase& c = GetParam();
    const std::string xml = recordtest::Envelope(
        "<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>" + c.fault + "</SOAP-ENV:Fault>");
    recordtest::Reader reader;
    for (const std::size_t piece : {0, 1, 3, 7}) {
        reader.SetDelivery(piece);
        ASSERT_EQ(c.read, ReadFault(reader, xml)) << "pieces of " << piece;
    }
    for (std::size_t split = xml.find("<SOAP-ENV:Fault>"); split < xml.size(); ++split) {
        reader.SetDelivery(0, split);
        ASSERT_EQ(c.read, ReadFault(reader, xml)) << "split at " << split;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, FaultRead, ::testing::ValuesIn(kFaultReads),
                         recordtest::CaseName<FaultReadCase>);

// Text of n bytes: letters, a two-byte character and a reference.
std::string TextOf(std::size_t n)
{
    std::string text;
    while (text.size() + 5 <= n)
        text += text.size() % 64 == 0   ? "&lt; "
                : text.size() % 32 == 0 ? "\xC3\xA9"
                                          "ab "
                                        : "abcd ";
    return text + std::string(n - text.size(), 'z');
}

// Fault strings and details of lengths around the sizes of the readers'
// buffers (the toolkit's tag and start-tag buffers, the detail's blocks),
// whole and in small reads.
TEST(FaultLengths, StringsAndDetailsReadWhole)
{
    const std::size_t kLengths[] = {0,    1,    255,  256,  257,  258,  259,   260,   261,
                                    262,  511,  512,  513,  1023, 1024, 1025,  2040,  2041,
                                    2047, 2048, 2049, 4095, 4096, 4097, 65535, 65536, 65537};
    recordtest::Reader reader;
    for (const std::size_t n : kLengths) {
        const std::string text = TextOf(n);
        // The start tag written back keeps an attribute's value while it
        // fits the toolkit's buffer of 2048 bytes with "<e a", "=\"" and "\"".
        const std::string value(n, 'v');
        const std::string tag = n + 7 < 2048 ? "<e a=\"" + value + "\"/>" : "<e a/>";
        std::string elements;
        while (elements.size() + 4 <= n)
            elements += "<e/>";
        const std::string name(n + 1, 'n');
        const std::string kept = name.substr(0, 1023);
        std::string decoded = text;
        for (std::size_t at; (at = decoded.find("&lt;")) != std::string::npos;)
            decoded.replace(at, 4, "<");
        const struct
        {
            std::string fault;
            std::string read;
        } rows[] = {
            {"<faultstring>" + text + "</faultstring>", "2|" + decoded + "|"},
            {Boom("<e>" + text + "</e>"), "2|boom|<e>" + text + "</e>"},
            {Boom("<e a=\"" + value + "\"/>"), "2|boom|" + tag},
            {Boom("<e/><!--" + text + "--><![CDATA[" + text + "]]>"),
             "2|boom|<e/><!--" + text + "--><![CDATA[" + text + "]]>"},
            {Boom(elements), elements.empty() ? "2|boom|" : "2|boom|" + elements},
            {Boom("<![CDATA[" + text + "]]><" + name + "/>"), "2|boom|<" + kept + "/>"},
            {Boom(text + "<e/>"), "2|boom|<e/>"},
            {Boom("<" + name + ">a" + std::string(1, '\0') + "b</" + name + ">"),
             kSyntaxError + "'" + kept + "'|"},
        };
        for (const auto& row : rows) {
            const std::string xml =
                recordtest::Envelope("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>" +
                                     row.fault + "</SOAP-ENV:Fault>");
            for (const std::size_t piece : {0, 1, 7}) {
                reader.SetDelivery(piece);
                ASSERT_EQ(row.read, ReadFault(reader, xml))
                    << n << " bytes, pieces of " << piece << ": " << row.fault.substr(0, 40);
            }
        }
    }
}

TEST_F(ServiceCall, FaultInPlaceOfAnObjectResponseLeavesTheArrayEmpty)
{
    service().script("GetProcessList", Reply::fault11("SOAP-ENV:Server", "not allowed"));
    QORControl__ArrayOfOSProcess list;
    list.__size = 5; // stale content that the call must reset
    list.__ptr = nullptr;
    EXPECT_EQ(SOAP_SVR_FAULT, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
    EXPECT_EQ(0, list.__size);
    EXPECT_EQ("not allowed", FaultString());
}

TEST_F(ServiceCall, HostControlDetailIsReadAsAnObject)
{
    service().script(
        "Stop",
        Reply::fault11(
            "SOAP-ENV:Server", "operation failed",
            "<QORHostControl:OperationException><mFaultCode>7</mFaultCode>"
            "<mMessage>cannot stop</mMessage><mResponseMessages>"
            "<item><mMessageKey>k1</mMessageKey><mMessageValue>v1</mMessageValue></item>"
            "<item><mMessageKey>k2</mMessageKey></item>"
            "</mResponseMessages></QORHostControl:OperationException><note>see log</note>"));
    QORControl__StopResponse out;
    ASSERT_EQ(SOAP_SVR_FAULT, soap_call_QORControl__Stop(ctx(), endpoint(), "", 0, 0, &out));
    ASSERT_NE(nullptr, ctx()->fault);
    ASSERT_NE(nullptr, ctx()->fault->detail);
    const SOAP_ENV__Detail& detail = *ctx()->fault->detail;
    ASSERT_EQ(SOAP_TYPE__QORHostControl__OperationException_, detail.__type);
    const auto* exception = static_cast<const _QORHostControl__OperationException_*>(detail.fault);
    ASSERT_NE(nullptr, exception);
    EXPECT_EQ(7, exception->mFaultCode);
    EXPECT_STREQ("cannot stop", exception->mMessage);
    EXPECT_EQ(nullptr, exception->mOperationID);
    ASSERT_NE(nullptr, exception->mResponseMessages);
    ASSERT_EQ(2, exception->mResponseMessages->__size);
    EXPECT_STREQ("k1", exception->mResponseMessages->__ptr[0].mMessageKey);
    EXPECT_STREQ("v1", exception->mResponseMessages->__ptr[0].mMessageValue);
    EXPECT_EQ(nullptr, exception->mResponseMessages->__ptr[1].mMessageValue);
    EXPECT_EQ("<note>see log</note>", FaultDetail());
}

struct WrongElementCase
{
    const char* name;
    bool soap12;
    const char* body;
    const char* code;
};

void PrintTo(const WrongElementCase& c, std::ostream* os)
{
    *os << c.name;
}

const WrongElementCase kWrongElements[] = {
    {"OtherResponse", false, "<QORControl:StopResponse/>", "SOAP-ENV:Client"},
    {"ForeignNamespace", false, "<x:StartResponse xmlns:x=\"urn:other\"/>", "SOAP-ENV:Client"},
    {"Soap12", true, "<QORControl:Bogus/>", "SOAP-ENV:Sender"},
};

class WrongElement : public ServiceCall, public ::testing::WithParamInterface<WrongElementCase>
{
};

TEST_P(WrongElement, IsATagMismatchWithTheClientCode)
{
    const WrongElementCase& c = GetParam();
    auto reply = Reply::ok("");
    reply.body = qortest::envelope(c.body, c.soap12);
    if (c.soap12)
        reply.content_type = "application/soap+xml; charset=utf-8";
    service().script("Start", reply);
    QORControl__StartResponse out;
    EXPECT_EQ(SOAP_TAG_MISMATCH, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
    EXPECT_EQ(c.code, FaultCode());
    EXPECT_NE(std::string::npos, FaultString().find("mismatch")) << FaultString();
}

INSTANTIATE_TEST_SUITE_P(Replies, WrongElement, ::testing::ValuesIn(kWrongElements),
                         [](const ::testing::TestParamInfo<WrongElementCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ServiceCall, EmptyBodyFailsEveryResponseForm)
{
    for (const char* method : {"Start", "ParameterValue", "GetProcessList", "GetStartProfile"})
        service().script(method, Reply::ok(""));
    QORControl__StartResponse empty;
    EXPECT_EQ(SOAP_NO_TAG, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &empty));
    char* value = nullptr;
    EXPECT_EQ(SOAP_NO_TAG,
              soap_call_QORControl__ParameterValue(ctx(), endpoint(), "", Text("p"), &value));
    QORControl__ArrayOfOSProcess list;
    EXPECT_EQ(SOAP_NO_TAG, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
    QORControl__GetStartProfileResponse profile;
    EXPECT_EQ(SOAP_NO_TAG, soap_call_QORControl__GetStartProfile(ctx(), endpoint(), "", profile));
}

TEST_F(ServiceCall, EnqGetStatisticRejectsAResponseNamedAfterTheWebmethod)
{
    service().script("EnqGetStatistic",
                     Reply::ok("<QORControl:EnqGetStatisticResponse><locks-now>1</locks-now>"
                               "</QORControl:EnqGetStatisticResponse>"));
    QORControl__EnqStatistic statistic;
    EXPECT_EQ(SOAP_TAG_MISMATCH,
              soap_call_QORControl__EnqGetStatistic(ctx(), endpoint(), "", statistic));
    EXPECT_EQ("SOAP-ENV:Client", FaultCode());
    EXPECT_EQ(0, statistic.locks_now);
}

struct BrokenReplyCase
{
    const char* name;
    Reply reply;
    int error; // SOAP_OK: any non-zero error
};

void PrintTo(const BrokenReplyCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Truncated()
{
    const std::string whole =
        qortest::envelope("<QORControl:GetProcessListResponse><process><item><name>a</name>"
                          "</item></process></QORControl:GetProcessListResponse>");
    return whole.substr(0, whole.size() / 2);
}

const BrokenReplyCase kBroken[] = {
    {"NotFound", Reply::http(404, "no such service", "text/plain"), 404},
    {"Unauthorized", Reply::http(401, "", "text/plain"), 401},
    {"Unavailable", Reply::http(503, "later", "text/html"), 503},
    {"ServerErrorWithoutEnvelope", Reply::http(500, "", "text/plain"), 500},
    {"TemporaryRedirect",
     Reply::http(307, "", "text/plain").with_header("Location", "http://127.0.0.1:1/"), 307},
    {"TruncatedEnvelope", Reply::http(200, Truncated()).closing(), SOAP_OK},
    {"NotXml", Reply::http(200, "this is no XML"), SOAP_OK},
    {"Dropped", Reply::drop(), SOAP_OK},
    {"HeaderOnly",
     Reply::raw(
         "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 500\r\n\r\n<SOAP-ENV:Env"),
     SOAP_OK},
};

class BrokenReply : public ServiceCall, public ::testing::WithParamInterface<BrokenReplyCase>
{
};

TEST_P(BrokenReply, FailsTheCallAndLeavesTheListEmpty)
{
    const BrokenReplyCase& c = GetParam();
    service().script("GetProcessList", c.reply);
    QORControl__ArrayOfOSProcess list;
    const int rc = soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list);
    if (c.error != SOAP_OK) {
        EXPECT_EQ(c.error, rc);
    } else {
        EXPECT_NE(SOAP_OK, rc);
    }
    EXPECT_EQ(0, list.__size);
}

INSTANTIATE_TEST_SUITE_P(Replies, BrokenReply, ::testing::ValuesIn(kBroken),
                         [](const ::testing::TestParamInfo<BrokenReplyCase>& param) {
                             return std::string(param.param.name);
                         });

// A whole SOAP 1.1 envelope with the given header and body content.
std::string EnvelopeWithHeader(const std::string& header, const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SOAP-ENV:Envelope" +
           qortest::namespace_declarations() + "><SOAP-ENV:Header>" + header +
           "</SOAP-ENV:Header><SOAP-ENV:Body>" + body + "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

struct HeaderCase
{
    const char* name;
    const char* header;
    int error;
};

void PrintTo(const HeaderCase& c, std::ostream* os)
{
    *os << c.name;
}

const HeaderCase kHeaders[] = {
    {"Empty", "", SOAP_OK},
    {"UnknownChildIsSkipped", "<x:trace xmlns:x=\"urn:trace\"><id>7</id></x:trace>", SOAP_OK},
    {"MustUnderstand", "<x:session xmlns:x=\"urn:s\" SOAP-ENV:mustUnderstand=\"1\">1</x:session>",
     SOAP_MUSTUNDERSTAND},
    {"MustUnderstandForAnotherActor",
     "<x:session xmlns:x=\"urn:s\" SOAP-ENV:mustUnderstand=\"1\" "
     "SOAP-ENV:actor=\"urn:someone-else\">1"
     "</x:session>",
     SOAP_OK},
};

class Header : public ServiceCall, public ::testing::WithParamInterface<HeaderCase>
{
};

TEST_P(Header, ChildrenAreSkippedUnlessTheyMustBeUnderstood)
{
    const HeaderCase& c = GetParam();
    service().script(
        "GetEnvironment",
        Reply::http(200, EnvelopeWithHeader(c.header, "<QORControl:GetEnvironmentResponse><env>"
                                                      "<item>A=1</item></env>"
                                                      "</QORControl:GetEnvironmentResponse>")));
    QORControl__ArrayOfString env;
    EXPECT_EQ(c.error, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env));
    EXPECT_EQ(c.error == SOAP_OK ? 1 : 0, env.__size);
}

INSTANTIATE_TEST_SUITE_P(Replies, Header, ::testing::ValuesIn(kHeaders),
                         [](const ::testing::TestParamInfo<HeaderCase>& param) {
                             return std::string(param.param.name);
                         });

struct FaultCodeCase
{
    const char* name;
    const char* faultcode; // element as the service writes it
    int error;
    const char* code; // as the context holds it
};

void PrintTo(const FaultCodeCase& c, std::ostream* os)
{
    *os << c.name;
}

const FaultCodeCase kFaultCodes[] = {
    {"OtherPrefixForTheEnvelope",
     "<faultcode xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\">e:Server</faultcode>",
     SOAP_SVR_FAULT, "SOAP-ENV:Server"},
    {"ForeignNamespace", "<faultcode xmlns:f=\"urn:foreign\">f:Busy</faultcode>", SOAP_FAULT,
     "\"urn:foreign\":Busy"},
    {"NoPrefix", "<faultcode>Client</faultcode>", SOAP_FAULT, "\"\":Client"},
};

class FaultCodeText : public ServiceCall, public ::testing::WithParamInterface<FaultCodeCase>
{
};

TEST_P(FaultCodeText, IsReadAgainstTheNamespaceTable)
{
    const FaultCodeCase& c = GetParam();
    service().script(
        "Start",
        Reply::http(500, qortest::envelope(std::string("<SOAP-ENV:Fault>") + c.faultcode +
                                           "<faultstring>no</faultstring></SOAP-ENV:Fault>")));
    QORControl__StartResponse out;
    EXPECT_EQ(c.error, soap_call_QORControl__Start(ctx(), endpoint(), "", nullptr, &out));
    EXPECT_EQ(c.code, FaultCode());
    EXPECT_EQ("no", FaultString());
}

INSTANTIATE_TEST_SUITE_P(Replies, FaultCodeText, ::testing::ValuesIn(kFaultCodes),
                         [](const ::testing::TestParamInfo<FaultCodeCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(Connection, RefusedConnectionIsATcpError)
{
    const qortest::ClosedPort closed;
    const std::string endpoint = "http://127.0.0.1:" + std::to_string(closed.port());
    struct soap* ctx = soap_new1(SOAP_C_UTFSTRING | SOAP_IO_KEEPALIVE);
    QORControl__ArrayOfOSProcess list;
    EXPECT_EQ(SOAP_TCP_ERROR,
              soap_call_QORControl__GetProcessList(ctx, endpoint.c_str(), "", list));
    EXPECT_EQ(0, list.__size);
    soap_destroy(ctx);
    soap_end(ctx);
    soap_free(ctx);
}

} // namespace
