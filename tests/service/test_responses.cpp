// How responses are read into the caller's objects: the four out-parameter
// forms, absent, repeated, unknown and reordered children, nil members,
// references between elements, enumeration and boolean texts, and 64-bit
// counters.
#include <functional>
#include <string>
#include <vector>

#include "service/service_call_support.h"

namespace {

using calltest::ServiceCall;
using calltest::Text;
using qortest::Reply;

std::string Wrapped(const char* method, const std::string& content)
{
    return std::string("<QORControl:") + method + "Response>" + content + "</QORControl:" + method +
           "Response>";
}

// ---------------------------------------------------------------------------
// The four forms of the out parameter.

TEST_F(ServiceCall, EmptyRecordFormAcceptsAnEmptyOrAFilledElement)
{
    for (const char* content : {"", "<unexpected><deep>1</deep></unexpected>text"}) {
        service().script("Shutdown", Reply::ok(Wrapped("Shutdown", content)));
        QORControl__ShutdownResponse out;
        EXPECT_EQ(SOAP_OK, soap_call_QORControl__Shutdown(ctx(), endpoint(), "", 0, &out))
            << content;
        Release();
        service().clear_requests();
    }
}

TEST_F(ServiceCall, StringFormGivesNullWhenTheMemberIsMissing)
{
    service().script("ParameterValue", Reply::ok(Wrapped("ParameterValue", "")));
    char* value = Text("stale");
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ParameterValue(ctx(), endpoint(), "", Text("p"), &value));
    EXPECT_EQ(nullptr, value);
}

TEST_F(ServiceCall, StringFormKeepsUtf8AndAnEmptyText)
{
    service().script("ParameterValue",
                     Reply::ok(Wrapped("ParameterValue", "<value>&#xE9;t\xc3\xa9</value>")));
    char* value = nullptr;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__ParameterValue(ctx(), endpoint(), "", Text("p"), &value));
    EXPECT_STREQ("\xc3\xa9t\xc3\xa9", value);
    Release();
    service().script("RequestLogonFile",
                     Reply::ok(Wrapped("RequestLogonFile", "<filename></filename>")));
    char* file = nullptr;
    ASSERT_EQ(SOAP_OK,
              soap_call_QORControl__RequestLogonFile(ctx(), endpoint(), "", Text("u"), &file));
    EXPECT_STREQ("", file);
}

TEST_F(ServiceCall, ObjectFormResetsTheCallersArray)
{
    QORControl__OSProcess stale[2];
    QORControl__ArrayOfOSProcess list;
    list.__ptr = stale;
    list.__size = 2;
    service().script("GetProcessList", Reply::ok(Wrapped("GetProcessList", "")));
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
    EXPECT_EQ(0, list.__size);
    EXPECT_EQ(nullptr, list.__ptr);
}

TEST_F(ServiceCall, ObjectFormHandsOverTheItemsRead)
{
    service().script(
        "GetProcessList",
        Reply::ok(
            Wrapped("GetProcessList",
                    "<process><item><name>qorwp</name><description>Dispatcher</description>"
                    "<dispstatus>QORControl-GREEN</dispstatus><textstatus>Running</textstatus>"
                    "<starttime>2024 01 01 10:00:00</starttime><elapsedtime>1:00:00</elapsedtime>"
                    "<pid>4242</pid></item><item><name>qormsg</name>"
                    "<dispstatus>QORControl-GRAY</dispstatus><pid>7</pid></item></process>")));
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
    ASSERT_EQ(2, list.__size);
    EXPECT_STREQ("qorwp", list.__ptr[0].name);
    EXPECT_STREQ("Dispatcher", list.__ptr[0].description);
    EXPECT_EQ(QORControl_GREEN, list.__ptr[0].dispstatus);
    EXPECT_EQ(4242, list.__ptr[0].pid);
    EXPECT_STREQ("qormsg", list.__ptr[1].name);
    EXPECT_EQ(nullptr, list.__ptr[1].description);
    EXPECT_EQ(QORControl_GRAY, list.__ptr[1].dispstatus);
}

TEST_F(ServiceCall, ClassFormIsReadInPlaceAndResetFirst)
{
    QORControl__OSExecuteResponse out;
    out.exitcode = 99;
    out.pid = 99;
    out.lines.__ptr = nullptr;
    out.lines.__size = 3;
    service().script("OSExecute",
                     Reply::ok(Wrapped("OSExecute", "<lines><item>only line</item></lines>")));
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__OSExecute(ctx(), endpoint(), "", Text("true"), 0, 10,
                                                       Text(""), out));
    EXPECT_EQ(0, out.exitcode);
    EXPECT_EQ(0, out.pid);
    ASSERT_EQ(1, out.lines.__size);
    EXPECT_STREQ("only line", out.lines.__ptr[0]);
}

TEST_F(ServiceCall, EnqGetStatisticIsAnsweredByTheStatisticElement)
{
    service().script(
        "EnqGetStatistic",
        Reply::ok("<QORControl:EnqStatistic><owner-now>3</owner-now><owner-state>QORControl-YELLOW"
                  "</owner-state><enqueue-requests>4294967301</enqueue-requests>"
                  "<lock-time>1.5</lock-time><replication-state>7</replication-state>"
                  "</QORControl:EnqStatistic>"));
    QORControl__EnqStatistic statistic;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__EnqGetStatistic(ctx(), endpoint(), "", statistic));
    EXPECT_EQ(3, statistic.owner_now);
    EXPECT_EQ(QORControl_YELLOW, statistic.owner_state);
    EXPECT_EQ(4294967301LL, statistic.enqueue_requests);
    EXPECT_DOUBLE_EQ(1.5, statistic.lock_time);
    EXPECT_EQ(7, static_cast<int>(statistic.replication_state));
}

// ---------------------------------------------------------------------------
// Children of a response: absent, repeated, unknown, reordered, nil.

struct ChildrenCase
{
    const char* name;
    const char* content; // children of QORControl:J2EEEnableDbgSessionResponse
    const char* key;     // expected key, nullptr for none
    int port;
};

void PrintTo(const ChildrenCase& c, std::ostream* os)
{
    *os << c.name;
}

const ChildrenCase kChildren[] = {
    {"InOrder", "<key>k</key><port>1</port>", "k", 1},
    {"Reordered", "<port>2</port><key>k</key>", "k", 2},
    {"Absent", "", nullptr, 0},
    {"OnlyPort", "<port>3</port>", nullptr, 3},
    {"RepeatedTakesTheFirst", "<key>first</key><port>4</port><key>second</key><port>5</port>",
     "first", 4},
    {"UnknownSkippedWithItsSubtree",
     "<extra><key>inner</key><port>9</port></extra><key>outer</key><port>6</port>", "outer", 6},
    {"UnknownInAnotherNamespace", "<x:port xmlns:x=\"urn:other\">8</x:port><port>7</port>", nullptr,
     7},
    {"NilKey", "<key xsi:nil=\"true\"/><port>8</port>", nullptr, 8},
    {"EmptyKeyTag", "<key></key><port>9</port>", "", 9},
    {"EmptyTagFormIsNoText", "<key/><port>10</port>", nullptr, 10},
    {"Comments", "<!-- note --><key>k</key><!-- more --><port>10</port>", "k", 10},
};

class Children : public ServiceCall, public ::testing::WithParamInterface<ChildrenCase>
{
};

TEST_P(Children, MembersComeFromTheirFirstMatchingChild)
{
    const ChildrenCase& c = GetParam();
    service().script("J2EEEnableDbgSession", Reply::ok(Wrapped("J2EEEnableDbgSession", c.content)));
    QORControl__J2EEEnableDbgSessionResponse out;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__J2EEEnableDbgSession(ctx(), endpoint(), "", nullptr,
                                                                  nullptr, Text("c"), out))
        << FaultString();
    if (c.key) {
        EXPECT_STREQ(c.key, out.key);
    } else {
        EXPECT_EQ(nullptr, out.key);
    }
    EXPECT_EQ(c.port, out.port);
}

INSTANTIATE_TEST_SUITE_P(Responses, Children, ::testing::ValuesIn(kChildren),
                         [](const ::testing::TestParamInfo<ChildrenCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ServiceCall, ElementOfTheEnvelopeNamespaceInAResponseFailsIt)
{
    service().script(
        "GetCallstack",
        Reply::ok(Wrapped("GetCallstack", "<SOAP-ENV:Header/><lines><item>a</item></lines>")));
    QORControl__GetCallstackResponse out;
    EXPECT_EQ(SOAP_TAG_MISMATCH, soap_call_QORControl__GetCallstack(ctx(), endpoint(), "", 1, out));
}

TEST_F(ServiceCall, NilArrayMemberLeavesTheListEmpty)
{
    service().script("ListSnapshots",
                     Reply::ok(Wrapped("ListSnapshots", "<snapshots xsi:nil=\"true\"/>")));
    QORControl__ArrayOfSnapshotInfo list;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__ListSnapshots(ctx(), endpoint(), "", list));
    EXPECT_EQ(0, list.__size);
}

TEST_F(ServiceCall, EmptyTagItemIsAnAbsentString)
{
    service().script(
        "GetEnvironment",
        Reply::ok(Wrapped("GetEnvironment", "<env><item/><item></item><item>x</item></env>")));
    QORControl__ArrayOfString env;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env));
    ASSERT_EQ(3, env.__size);
    EXPECT_EQ(nullptr, env.__ptr[0]);
    EXPECT_STREQ("", env.__ptr[1]);
    EXPECT_STREQ("x", env.__ptr[2]);
}

TEST_F(ServiceCall, RepeatedArrayMemberTakesTheFirst)
{
    service().script(
        "GetEnvironment",
        Reply::ok(
            Wrapped("GetEnvironment",
                    "<env><item>A=1</item></env><env><item>B=2</item><item>C=3</item></env>")));
    QORControl__ArrayOfString env;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env));
    ASSERT_EQ(1, env.__size);
    EXPECT_STREQ("A=1", env.__ptr[0]);
}

struct ArrayTypeCase
{
    const char* name;
    const char* webmethod;  // GetProcessList, GetEnvironment, GetVersionInfo or GetCallstack
    const char* attributes; // on the array member
    int error;
    bool by_reference = false; // the attributes are on an element that the member's href names
};

void PrintTo(const ArrayTypeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ArrayType : public ServiceCall, public ::testing::WithParamInterface<ArrayTypeCase>
{
};

// The array of a list response is read whatever xsi:type its element
// declares. An embedded array of a response class, and an array that an href
// names, is read when its element declares the array's own type, under any
// prefix of its namespace, or no type; any other type fails the call with
// SOAP_TYPE.
TEST_P(ArrayType, IsTheExpectedOneOrFailsTheCall)
{
    const ArrayTypeCase& c = GetParam();
    const std::string method = c.webmethod;
    const bool processes = method == "GetProcessList";
    const bool versions = method == "GetVersionInfo";
    const std::string member = processes                    ? "process"
                               : versions                   ? "version"
                               : method == "GetEnvironment" ? "env"
                                                            : "lines";
    const std::string items = processes  ? "<item><pid>1</pid></item><item><pid>2</pid></item>"
                              : versions ? "<item><Filename>disp</Filename></item>"
                                           "<item><Filename>gw</Filename></item>"
                                         : "<item>a</item><item>b</item>";
    const std::string array = " " + std::string(c.attributes) + ">" + items;
    const std::string reply =
        c.by_reference ? Wrapped(c.webmethod, "<" + member + " href=\"#a\"/>") + "<list id=\"a\"" +
                             array + "</list>"
                       : Wrapped(c.webmethod, "<" + member + array + "</" + member + ">");
    service().script(method, Reply::ok(reply));
    int error = SOAP_OK;
    int size = 0;
    if (processes) {
        QORControl__ArrayOfOSProcess list;
        error = soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list);
        size = list.__size;
    } else if (versions) {
        QORControl__ArrayOfInstanceVersionInfo list;
        error = soap_call_QORControl__GetVersionInfo(ctx(), endpoint(), "", list);
        size = list.__size;
    } else if (method == "GetEnvironment") {
        QORControl__ArrayOfString env;
        error = soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env);
        size = env.__size;
    } else {
        QORControl__GetCallstackResponse out;
        error = soap_call_QORControl__GetCallstack(ctx(), endpoint(), "", 1, out);
        size = out.lines.__size;
    }
    ASSERT_EQ(c.error, error) << FaultString();
    if (error == SOAP_OK) {
        EXPECT_EQ(2, size);
    }
}

constexpr const char* kEncodedProcesses =
    "xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"QORControl:OSProcess[2]\"";

INSTANTIATE_TEST_SUITE_P(
    Responses, ArrayType,
    ::testing::Values(
        ArrayTypeCase{"OwnType", "GetProcessList", "xsi:type=\"QORControl:ArrayOfOSProcess\"",
                      SOAP_OK},
        ArrayTypeCase{"OwnTypeUnderAnotherPrefix", "GetProcessList",
                      "xmlns:q=\"urn:QORControl\" xsi:type=\"q:ArrayOfOSProcess\"", SOAP_OK},
        ArrayTypeCase{"NoType", "GetEnvironment", "", SOAP_OK},
        ArrayTypeCase{"OwnStringType", "GetCallstack", "xsi:type=\"QORControl:ArrayOfString\"",
                      SOAP_OK},
        ArrayTypeCase{"EncodedArray", "GetProcessList", kEncodedProcesses, SOAP_OK},
        ArrayTypeCase{"EncodedVersions", "GetVersionInfo",
                      "xmlns:enc=\"http://schemas.xmlsoap.org/soap/encoding/\" "
                      "xsi:type=\"enc:Array\" enc:arrayType=\"QORControl:InstanceVersionInfo[2]\"",
                      SOAP_OK},
        ArrayTypeCase{"OtherType", "GetProcessList", "xsi:type=\"QORControl:ProcessList\"",
                      SOAP_OK},
        ArrayTypeCase{"OwnNameInAnotherNamespace", "GetProcessList",
                      "xmlns:q=\"urn:other\" xsi:type=\"q:ArrayOfOSProcess\"", SOAP_OK},
        ArrayTypeCase{"IntsForStrings", "GetEnvironment", "xsi:type=\"QORControl:ArrayOfInt\"",
                      SOAP_OK},
        ArrayTypeCase{"ItemType", "GetEnvironment", "xsi:type=\"xsd:string\"", SOAP_OK},
        ArrayTypeCase{"IntLinesForStringLines", "GetCallstack",
                      "xsi:type=\"QORControl:ArrayOfInt\"", SOAP_TYPE},
        ArrayTypeCase{"EncodedLines", "GetCallstack",
                      "xsi:type=\"SOAP-ENC:Array\" SOAP-ENC:arrayType=\"xsd:string[2]\"",
                      SOAP_TYPE},
        ArrayTypeCase{"ReferencedOwnType", "GetProcessList",
                      "xsi:type=\"QORControl:ArrayOfOSProcess\"", SOAP_OK, true},
        ArrayTypeCase{"ReferencedOtherType", "GetProcessList",
                      "xsi:type=\"QORControl:ProcessList\"", SOAP_TYPE, true},
        ArrayTypeCase{"ReferencedEncodedArray", "GetProcessList", kEncodedProcesses, SOAP_TYPE,
                      true},
        ArrayTypeCase{"ReferencedLinesOfAnotherType", "GetCallstack",
                      "xsi:type=\"QORControl:ArrayOfInt\"", SOAP_TYPE, true}),
    [](const ::testing::TestParamInfo<ArrayTypeCase>& param) {
        return std::string(param.param.name);
    });

// ---------------------------------------------------------------------------
// References between elements (href/id).

TEST_F(ServiceCall, MemberReferringToAnIndependentElementIsResolved)
{
    service().script(
        "GetEnvironment",
        Reply::ok(Wrapped("GetEnvironment", "<env href=\"#e1\"/>") +
                  "<list id=\"e1\"><item>PATH=/bin</item><item>HOME=/root</item></list>"));
    QORControl__ArrayOfString env;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env))
        << FaultString();
    ASSERT_EQ(2, env.__size);
    EXPECT_STREQ("PATH=/bin", env.__ptr[0]);
    EXPECT_STREQ("HOME=/root", env.__ptr[1]);
}

TEST_F(ServiceCall, UnknownElementsAfterTheResponseAreSkipped)
{
    service().script("GetEnvironment",
                     Reply::ok(Wrapped("GetEnvironment", "<env><item>A=1</item></env>") +
                               "<trailer><deep>1</deep></trailer><x:more xmlns:x=\"urn:x\"/>"));
    QORControl__ArrayOfString env;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env))
        << FaultString();
    EXPECT_EQ(1, env.__size);
}

TEST_F(ServiceCall, StringReferringToAnEarlierElementIsShared)
{
    service().script(
        "GetAlerts",
        Reply::ok(Wrapped("GetAlerts",
                          "<RootTidName id=\"t\">root node</RootTidName><alert><item>"
                          "<Object href=\"#t\"/><Value>QORControl-RED</Value></item></alert>")));
    QORControl__GetAlertsResponse out;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetAlerts(ctx(), endpoint(), "", Text(""), out))
        << FaultString();
    EXPECT_STREQ("root node", out.RootTidName);
    ASSERT_EQ(1, out.alert.__size);
    EXPECT_STREQ("root node", out.alert.__ptr[0].Object);
    EXPECT_EQ(QORControl_RED, out.alert.__ptr[0].Value);
}

// The same for texts and numbers read character by character, with the
// references before the elements that carry the ids.
TEST_F(ServiceCall, TextsAndNumbersWithIdsAreSharedWithEarlierReferences)
{
    service().script("GetProcessList",
                     Reply::ok(Wrapped("GetProcessList",
                                       "<process><item><name href=\"#n\"/><pid href=\"#p\"/></item>"
                                       "<item><name id=\"n\">qor&#x00077;p</name>"
                                       "<pid id=\"p\"> 4&#x32; </pid></item></process>")));
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
        << FaultString();
    ASSERT_EQ(2, list.__size);
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ("qorwp", list.__ptr[i].name) << i;
        EXPECT_EQ(42, list.__ptr[i].pid) << i;
    }
}

// ---------------------------------------------------------------------------
// Enumerations and booleans, as names and as numbers.

struct ValueCase
{
    const char* name;
    const char* dispstatus; // text of the element, nullptr: written as <dispstatus/>
    const char* activeonly; // text of HAActive
    bool strict;
    int colour_error; // result of reading the process list
    int colour;       // STATE-COLOR read (when that succeeded)
    int active_error; // result of reading the failover configuration
    bool active;      // boolean read (when that succeeded)
};

void PrintTo(const ValueCase& c, std::ostream* os)
{
    *os << c.name;
}

const ValueCase kValues[] = {
    {"Names", "QORControl-RED", "true", false, SOAP_OK, 4, SOAP_OK, true},
    {"NameWithSpaces", "  QORControl-YELLOW ", " false ", false, SOAP_OK, 3, SOAP_OK, false},
    {"NumbersThatNameValues", "2", "1", false, SOAP_OK, 2, SOAP_OK, true},
    {"NumberWithoutAName", "7", "0", false, SOAP_OK, 7, SOAP_OK, false},
    {"LargeNumbers", "100000", "2", false, SOAP_OK, 100000, SOAP_OK, true},
    {"NegativeNumbers", "-3", "-1", false, SOAP_OK, -3, SOAP_OK, true},
    {"EmptyElementsKeepTheDefault", nullptr, "", false, SOAP_OK, 0, SOAP_OK, false},
    {"LowerCaseNameIsNoName", "qorcontrol-red", "TRUE", false, SOAP_TYPE, 0, SOAP_TYPE, false},
    {"WordsAreNoNumbers", "GREEN", "yes", false, SOAP_TYPE, 0, SOAP_TYPE, false},
    {"TrailingGarbage", "2x", "1 0", false, SOAP_TYPE, 0, SOAP_TYPE, false},
    {"BeyondThirtyTwoBits", "4294967298", "true", false, SOAP_TYPE, 0, SOAP_OK, true},
    {"StrictAcceptsNames", "QORControl-GREEN", "false", true, SOAP_OK, 2, SOAP_OK, false},
    {"StrictRefusesNumbers", "7", "1", true, SOAP_TYPE, 0, SOAP_TYPE, false},
};

class Values : public ServiceCall, public ::testing::WithParamInterface<ValueCase>
{
};

TEST_P(Values, EnumerationAndBooleanTexts)
{
    const ValueCase& c = GetParam();
    const std::string colour = c.dispstatus
                                   ? std::string("<dispstatus>") + c.dispstatus + "</dispstatus>"
                                   : std::string("<dispstatus/>");
    service().script("GetProcessList",
                     Reply::ok(Wrapped("GetProcessList", "<process><item><name>p</name>" + colour +
                                                             "<pid>1</pid></item></process>")));
    service().script(
        "HAGetFailoverConfig",
        Reply::ok(Wrapped("HAGetFailoverConfig",
                          std::string("<HAActive>") + c.activeonly + "</HAActive><HANodes/>")));
    if (c.strict)
        soap_set_mode(ctx(), SOAP_XML_STRICT);

    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(c.colour_error, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
        << FaultString();
    if (c.colour_error == SOAP_OK) {
        ASSERT_EQ(1, list.__size);
        EXPECT_EQ(c.colour, static_cast<int>(list.__ptr[0].dispstatus));
    } else {
        EXPECT_EQ(0, list.__size);
    }
    QORControl__HAGetFailoverConfigResponse config;
    ASSERT_EQ(c.active_error,
              soap_call_QORControl__HAGetFailoverConfig(ctx(), endpoint(), "", config))
        << FaultString();
    if (c.active_error == SOAP_OK) {
        EXPECT_EQ(c.active, config.HAActive);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, Values, ::testing::ValuesIn(kValues),
                         [](const ::testing::TestParamInfo<ValueCase>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(ServiceCall, EnumerationValuesWithoutANameAreWrittenAsNumbers)
{
    service().script("StartSystem", Reply::ok_empty("StartSystem"));
    QORControl__StartSystemResponse out;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__StartSystem(
                           ctx(), endpoint(), "", static_cast<QORControl__StartStopOption>(12),
                           nullptr, 60, nullptr, &out));
    EXPECT_EQ("<QORControl:StartSystem><options>12</options><waittimeout>60</waittimeout></"
              "QORControl:StartSystem>",
              LastRequestElement());
}

// ---------------------------------------------------------------------------
// Numbers.

TEST_F(ServiceCall, SixtyFourBitSizesAboveFourGigabytes)
{
    service().script(
        "ListSnapshots",
        Reply::ok(Wrapped(
            "ListSnapshots",
            "<snapshots><item><filename>a.zip</filename><size>5000000000</size></item>"
            "<item><filename>b.zip</filename><size>9223372036854775807</size></item>"
            "<item><filename>c.zip</filename><size>-4294967296</size></item></snapshots>")));
    QORControl__ArrayOfSnapshotInfo list;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__ListSnapshots(ctx(), endpoint(), "", list));
    ASSERT_EQ(3, list.__size);
    EXPECT_EQ(5000000000LL, list.__ptr[0].size);
    EXPECT_EQ(9223372036854775807LL, list.__ptr[1].size);
    EXPECT_EQ(-4294967296LL, list.__ptr[2].size);
}

// ---------------------------------------------------------------------------
// Strict mode, which the client never sets, still reports what it should.

TEST_F(ServiceCall, StrictModeReportsAMissingRequiredMember)
{
    soap_set_mode(ctx(), SOAP_XML_STRICT);
    service().script("OSExecute",
                     Reply::ok(Wrapped("OSExecute", "<exitcode>0</exitcode><pid>1</pid>")));
    QORControl__OSExecuteResponse out;
    EXPECT_EQ(SOAP_OCCURS, soap_call_QORControl__OSExecute(ctx(), endpoint(), "", Text("x"), 0, 0,
                                                           Text(""), out));
}

TEST_F(ServiceCall, StrictModeAcceptsAListResponseWithoutItsMember)
{
    soap_set_mode(ctx(), SOAP_XML_STRICT);
    for (const char* method : {"GetProcessList", "ReadSnapshot", "EnqGetLockTable"}) {
        service().script(method, Reply::ok(Wrapped(method, "")));
    }
    QORControl__ArrayOfOSProcess list;
    EXPECT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
    EXPECT_EQ(0, list.__size);
    QORControl__SnapshotZip zip;
    EXPECT_EQ(SOAP_OK, soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s"), zip));
    EXPECT_EQ(nullptr, zip.__ptr);
    QORControl__ArrayOfEnqLock locks;
    EXPECT_EQ(SOAP_OK, soap_call_QORControl__EnqGetLockTable(ctx(), endpoint(), "", locks));
    EXPECT_EQ(0, locks.__size);
}

TEST_F(ServiceCall, StrictModeRefusesAnUnknownChild)
{
    soap_set_mode(ctx(), SOAP_XML_STRICT);
    service().script("StopService", Reply::ok(Wrapped("StopService", "<surprise/>")));
    QORControl__StopServiceResponse out;
    EXPECT_EQ(SOAP_TAG_MISMATCH, soap_call_QORControl__StopService(ctx(), endpoint(), "", &out));
}

// ---------------------------------------------------------------------------
// Long lists and repeated calls.

TEST_F(ServiceCall, ListsLongerThanTheRuntimesDefaultLimitArriveWhole)
{
    constexpr int kItems = 100001;
    std::string items;
    items.reserve(kItems * 32);
    for (int i = 0; i < kItems; ++i)
        items += "<item><pid>" + std::to_string(i) + "</pid></item>";
    service().script("GetProcessList",
                     Reply::ok(Wrapped("GetProcessList", "<process>" + items + "</process>")));
    QORControl__ArrayOfOSProcess list;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list))
        << FaultString();
    ASSERT_EQ(kItems, list.__size);
    EXPECT_EQ(0, list.__ptr[0].pid);
    EXPECT_EQ(kItems - 1, list.__ptr[kItems - 1].pid);
}

TEST_F(ServiceCall, ChunkedReplyIsReadWhole)
{
    std::string items;
    for (int i = 0; i < 500; ++i)
        items += "<item>VAR" + std::to_string(i) + "=x</item>";
    service().script("GetEnvironment",
                     Reply::ok(Wrapped("GetEnvironment", "<env>" + items + "</env>")).as_chunked());
    QORControl__ArrayOfString env;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetEnvironment(ctx(), endpoint(), "", env))
        << FaultString();
    ASSERT_EQ(500, env.__size);
    EXPECT_STREQ("VAR499=x", env.__ptr[499]);
}

TEST_F(ServiceCall, RepeatedCallsReleasedBetweenThemStayIndependent)
{
    constexpr int kRounds = 25;
    std::vector<Reply> lists, alerts, snapshots;
    for (int round = 0; round < kRounds; ++round) {
        const std::string id = "cid:s" + std::to_string(round);
        snapshots.push_back(
            Reply::dime({qortest::dime_envelope_record(qortest::envelope(
                             Wrapped("ReadSnapshot", "<snapshot href=\"" + id + "\"/>"))),
                         qortest::DimeRecord{id, "application/zip", std::string(round + 1, 'z')}}));
        std::string items;
        for (int i = 0; i <= round; ++i)
            items += "<item><name>p" + std::to_string(i) + "</name></item>";
        lists.push_back(Reply::ok(Wrapped("GetProcessList", "<process>" + items + "</process>")));
        alerts.push_back(Reply::ok(Wrapped("GetAlerts", "<RootTidName>r" + std::to_string(round) +
                                                            "</RootTidName><alert/>")));
    }
    service().script("GetProcessList", lists);
    service().script("GetAlerts", alerts);
    service().script("ReadSnapshot", snapshots);
    for (int round = 0; round < kRounds; ++round) {
        QORControl__ArrayOfOSProcess list;
        ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetProcessList(ctx(), endpoint(), "", list));
        ASSERT_EQ(round + 1, list.__size);
        EXPECT_EQ("p" + std::to_string(round), list.__ptr[round].name);
        QORControl__GetAlertsResponse alert;
        ASSERT_EQ(SOAP_OK, soap_call_QORControl__GetAlerts(ctx(), endpoint(), "", Text(""), alert));
        EXPECT_EQ("r" + std::to_string(round), alert.RootTidName);
        QORControl__SnapshotZip zip;
        ASSERT_EQ(SOAP_OK,
                  soap_call_QORControl__ReadSnapshot(ctx(), endpoint(), "", Text("s"), zip));
        EXPECT_EQ(round + 1, zip.__size);
        Release();
    }
    // Keep-alive: every call after the first reused the connection.
    EXPECT_EQ(1u, service().connections_accepted());
}

} // namespace
