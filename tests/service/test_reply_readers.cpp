// Replies that carry more than the plain literal form: members whose
// elements declare a foreign xsi:type, and arrays that declare their size.
#include <functional>
#include <string>

#include "service/service_call_support.h"
#include "service/test_records_support.h"

namespace {

using calltest::ServiceCall;
using calltest::Text;
using qortest::Reply;

std::string Wrapped(const std::string& method, const std::string& content)
{
    return "<QORControl:" + method + "Response>" + content + "</QORControl:" + method + "Response>";
}

// Makes the call and describes what it read in |read|.
using Call = std::function<int(struct soap*, const char*, std::string& read)>;

struct TypedCase
{
    const char* name;
    const char* method;
    std::string reply; // body of the reply
    Call call;
    const char* read;
};

void PrintTo(const TypedCase& c, std::ostream* os)
{
    *os << c.name;
}

int process_list(struct soap* s, const char* e, std::string& read)
{
    QORControl__ArrayOfOSProcess list;
    const int rc = soap_call_QORControl__GetProcessList(s, e, "", list);
    for (int i = 0; i < list.__size; ++i)
        read += std::string(i ? "," : "") + (list.__ptr[i].name ? list.__ptr[i].name : "null") +
                "/" + std::to_string(list.__ptr[i].pid);
    return rc;
}

std::string Processes(const std::string& item)
{
    return Wrapped("GetProcessList", "<process><item>" + item + "</item></process>");
}

const TypedCase kTyped[] = {
    {"IntDeclaredLong", "GetProcessList", Processes("<pid xsi:type=\"xsd:long\">42</pid>"),
     process_list, "null/42"},
    {"IntDeclaredString", "GetProcessList", Processes("<pid xsi:type=\"xsd:string\">42</pid>"),
     process_list, "null/42"},
    {"IntDeclaredForeignType", "GetProcessList",
     Processes("<pid xmlns:x=\"urn:x\" xsi:type=\"x:Number\">-7</pid>"), process_list, "null/-7"},
    {"StringDeclaredInt", "GetProcessList",
     Processes("<name xsi:type=\"xsd:int\">qorwp</name><pid xsi:type=\"xsd:int\">3</pid>"),
     process_list, "qorwp/3"},
    {"LongDeclaredInt", "ListDeveloperTraces",
     Wrapped("ListDeveloperTraces",
             "<file><item><size xsi:type=\"xsd:int\">5000000000</size></item></file>"),
     [](struct soap* s, const char* e, std::string& read) {
         QORControl__ArrayOfDirEntry files;
         const int rc = soap_call_QORControl__ListDeveloperTraces(s, e, "", files);
         if (files.__size == 1)
             read = std::to_string(files.__ptr[0].size);
         return rc;
     },
     "5000000000"},
    {"BooleanDeclaredInt", "EnqGetLockTable",
     Wrapped("EnqGetLockTable",
             "<lock><item><backup xsi:type=\"xsd:int\">true</backup></item></lock>"),
     [](struct soap* s, const char* e, std::string& read) {
         QORControl__ArrayOfEnqLock locks;
         const int rc = soap_call_QORControl__EnqGetLockTable(s, e, "", locks);
         if (locks.__size == 1)
             read = locks.__ptr[0].backup ? "true" : "false";
         return rc;
     },
     "true"},
    {"DoubleAndLongDeclaredOtherwise", "EnqGetStatistic",
     "<QORControl:EnqStatistic><lock-time xsi:type=\"xsd:float\">2.5</lock-time>"
     "<enqueue-requests xsi:type=\"xsd:string\">12</enqueue-requests>"
     "<owner-now xsi:type=\"xsd:short\">4</owner-now></QORControl:EnqStatistic>",
     [](struct soap* s, const char* e, std::string& read) {
         QORControl__EnqStatistic statistic;
         const int rc = soap_call_QORControl__EnqGetStatistic(s, e, "", statistic);
         read = std::to_string(statistic.lock_time) + " " +
                std::to_string(statistic.enqueue_requests) + " " +
                std::to_string(statistic.owner_now);
         return rc;
     },
     "2.500000 12 4"},
    {"OptionalNumbersDeclaredOtherwise", "GetProcessParameter",
     Wrapped(
         "GetProcessParameter",
         "<parameter><item><restriction><int-min xsi:type=\"xsd:int\">-5</int-min>"
         "<float-max xsi:type=\"xsd:decimal\">1.5</float-max></restriction></item></parameter>"),
     [](struct soap* s, const char* e, std::string& read) {
         QORControl__ArrayOfProfileParameter parameters;
         const int rc =
             soap_call_QORControl__GetProcessParameter(s, e, "", Text("DIA"), -1, parameters);
         if (parameters.__size == 1 && parameters.__ptr[0].restriction.int_min &&
             parameters.__ptr[0].restriction.float_max)
             read = std::to_string(*parameters.__ptr[0].restriction.int_min) + " " +
                    std::to_string(*parameters.__ptr[0].restriction.float_max);
         return rc;
     },
     "-5 1.500000"},
    {"OptionalIntDeclaredLong", "XCMGetProxyConnectionList",
     Wrapped("XCMGetProxyConnectionList",
             "<connection><item><snc-context-length xsi:type=\"xsd:long\">7</snc-context-length>"
             "</item></connection>"),
     [](struct soap* s, const char* e, std::string& read) {
         QORControl__ArrayOfXCMProxyConnection connections;
         const int rc = soap_call_QORControl__XCMGetProxyConnectionList(s, e, "", connections);
         if (connections.__size == 1 && connections.__ptr[0].snc_context_length)
             read = std::to_string(*connections.__ptr[0].snc_context_length);
         return rc;
     },
     "7"},
    {"ResultStringDeclaredInt", "ParameterValue",
     Wrapped("ParameterValue", "<value xsi:type=\"xsd:int\">on</value>"),
     [](struct soap* s, const char* e, std::string& read) {
         char* value = nullptr;
         const int rc = soap_call_QORControl__ParameterValue(s, e, "", Text("p"), &value);
         read = value ? value : "null";
         return rc;
     },
     "on"},
};

class ForeignType : public ServiceCall, public ::testing::WithParamInterface<TypedCase>
{
};

TEST_P(ForeignType, IsReadAsItsDeclaredMember)
{
    const TypedCase& c = GetParam();
    service().script(c.method, Reply::ok(c.reply));
    std::string read;
    ASSERT_EQ(SOAP_OK, c.call(ctx(), endpoint(), read)) << FaultString();
    EXPECT_EQ(c.read, read);
}

INSTANTIATE_TEST_SUITE_P(Replies, ForeignType, ::testing::ValuesIn(kTyped),
                         [](const ::testing::TestParamInfo<TypedCase>& param) {
                             return std::string(param.param.name);
                         });

// Items of an array of ints (no webmethod the client calls returns one).
TEST(IntItems, AreReadWhateverTypeTheyDeclare)
{
    recordtest::Reader reader;
    QORControl__ArrayOfInt alerts;
    ASSERT_EQ(SOAP_OK,
              reader.ReadMember(
                  recordtest::Response("QORControl:VORNAcknowledgeAlertsResponse",
                                       "<alert><item xsi:type=\"xsd:long\">5</item>"
                                       "<item xsi:type=\"xsd:string\">6</item><item>7</item>"
                                       "</alert>"),
                  "QORControl:VORNAcknowledgeAlertsResponse", "alert", alerts));
    ASSERT_EQ(3, alerts.__size);
    EXPECT_EQ(5, alerts.__ptr[0]);
    EXPECT_EQ(6, alerts.__ptr[1]);
    EXPECT_EQ(7, alerts.__ptr[2]);
}

std::string PidItems(int count)
{
    std::string items;
    for (int i = 0; i < count; ++i)
        items += "<item><pid>" + std::to_string(i + 1) + "</pid></item>";
    return items;
}

struct SizeCase
{
    const char* name;
    const char* attributes; // of the "process" element
    std::string items;
    int error;        // of the call
    const char* read; // the pids that arrived, 0 where an item kept its defaults
    bool soap12 = false;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

const SizeCase kSizes[] = {
    {"Equal", "SOAP-ENC:arrayType=\"QORControl:OSProcess[3]\"", PidItems(3), SOAP_OK, "1,2,3"},
    {"FewerLeaveDefaults", "SOAP-ENC:arrayType=\"QORControl:OSProcess[3]\"", PidItems(2), SOAP_OK,
     "1,2,0"},
    {"More", "SOAP-ENC:arrayType=\"QORControl:OSProcess[2]\"", PidItems(3), SOAP_SYNTAX_ERROR, ""},
    {"OneMore", "SOAP-ENC:arrayType=\"QORControl:OSProcess[0]\"", PidItems(1), SOAP_SYNTAX_ERROR,
     ""},
    {"ZeroAndNone", "SOAP-ENC:arrayType=\"QORControl:OSProcess[0]\"", "", SOAP_OK, ""},
    {"NotANumber", "SOAP-ENC:arrayType=\"QORControl:OSProcess[x]\"", PidItems(3), SOAP_OK, "1,2,3"},
    {"NoDimension", "SOAP-ENC:arrayType=\"QORControl:OSProcess[]\"", PidItems(2), SOAP_OK, "1,2"},
    {"NumberAndMore", "SOAP-ENC:arrayType=\"QORControl:OSProcess[2x]\"", PidItems(2), SOAP_OK,
     "1,2"},
    {"Negative", "SOAP-ENC:arrayType=\"QORControl:OSProcess[-1]\"", PidItems(2), SOAP_OK, "1,2"},
    {"AboveTheLimit", "SOAP-ENC:arrayType=\"QORControl:OSProcess[100001]\"", PidItems(2), SOAP_OK,
     "1,2"},
    {"AtTheLimitIsASize", "SOAP-ENC:arrayType=\"QORControl:OSProcess[100000]\"", PidItems(1),
     SOAP_OK, "1,0,0,0,0,0,0,0,0,0,... (100000)"},
    {"TwoDimensions", "SOAP-ENC:arrayType=\"QORControl:OSProcess[2,2]\"", PidItems(3), SOAP_OK,
     "1,2,3,0"},
    {"TwoDimensionsOverflow", "SOAP-ENC:arrayType=\"QORControl:OSProcess[1000,1000]\"", PidItems(2),
     SOAP_OK, "1,2"},
    {"OffsetShortensTheArray",
     "SOAP-ENC:arrayType=\"QORControl:OSProcess[5]\" SOAP-ENC:offset=\"[2]\"", PidItems(3), SOAP_OK,
     "1,2,3"},
    {"OffsetBeyondTheSize",
     "SOAP-ENC:arrayType=\"QORControl:OSProcess[3]\" SOAP-ENC:offset=\"[4]\"", PidItems(4), SOAP_OK,
     "1,2,3,4"},
    {"PositionPlacesItems",
     "SOAP-ENC:arrayType=\"QORControl:OSProcess[5]\" SOAP-ENC:offset=\"[2]\"",
     "<item SOAP-ENC:position=\"[3]\"><pid>2</pid></item><item><pid>3</pid></item>", SOAP_OK,
     "0,2,3"},
    {"ItemAfterTheLastPosition", "SOAP-ENC:arrayType=\"QORControl:OSProcess[2]\"",
     "<item SOAP-ENC:position=\"[1]\"><pid>2</pid></item><item><pid>3</pid></item>",
     SOAP_SYNTAX_ERROR, ""},
    {"Soap12Size", "SOAP-ENC:arraySize=\"3\"", PidItems(2), SOAP_OK, "1,2,0", true},
    {"Soap12SizeAndMore", "SOAP-ENC:arraySize=\"1\"", PidItems(2), SOAP_SYNTAX_ERROR, "", true},
    {"Soap12SizeNotANumber", "SOAP-ENC:arraySize=\"*\"", PidItems(2), SOAP_OK, "1,2", true},
};

class ArraySize : public ServiceCall, public ::testing::WithParamInterface<SizeCase>
{
};

TEST_P(ArraySize, DecidesWhichItemsArrive)
{
    const SizeCase& c = GetParam();
    const std::string body = Wrapped("GetProcessList", std::string("<process ") + c.attributes +
                                                           ">" + c.items + "</process>");
    service().script("GetProcessList", c.soap12 ? Reply::http(200, qortest::envelope(body, true),
                                                              "application/soap+xml; charset=utf-8")
                                                : Reply::ok(body));
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(c.error, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
        << FaultString();
    if (c.error != SOAP_OK) {
        soap_set_fault(ctx()); // the text the client prints after "FAIL: "
        EXPECT_EQ("Validation constraint violation: syntax error in element 'item'", FaultString());
        return;
    }
    std::string read;
    for (int i = 0; i < list.__size && i < 10; ++i)
        read += std::string(i ? "," : "") + std::to_string(list.__ptr[i].pid);
    if (list.__size > 10)
        read += ",... (" + std::to_string(list.__size) + ")";
    EXPECT_EQ(c.read, read);
}

INSTANTIATE_TEST_SUITE_P(Replies, ArraySize, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<SizeCase>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
