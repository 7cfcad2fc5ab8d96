// The bytes that text members of a request put on the wire: empty strings
// keep a start and an end tag, line ends travel as character references.
#include <functional>
#include <string>

#include "service/service_call_support.h"

namespace {

using calltest::ServiceCall;
using calltest::StringArray;
using calltest::Text;
using qortest::Reply;

struct TextCase
{
    const char* name;
    const char* method;
    std::function<int(struct soap*, const char*)> call;
    const char* request; // expected body element
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << c.name;
}

int start(struct soap* s, const char* e, const char* runlevel)
{
    QORControl__StartResponse out;
    return soap_call_QORControl__Start(s, e, "", Text(runlevel), &out);
}

int delete_snapshots(struct soap* s, const char* e, char** names, int count)
{
    QORControl__ArrayOfString list = StringArray(names, count);
    QORControl__DeleteSnapshotsResponse out;
    return soap_call_QORControl__DeleteSnapshots(s, e, "", &list, out);
}

char* g_items[] = {Text(""), Text("a\nb"), Text("")};

const TextCase kTexts[] = {
    {"EmptyMember", "Start", [](struct soap* s, const char* e) { return start(s, e, ""); },
     "<QORControl:Start><runlevel></runlevel></QORControl:Start>"},
    {"EmptyGetAlertsRoot", "GetAlerts",
     [](struct soap* s, const char* e) {
         QORControl__GetAlertsResponse out;
         return soap_call_QORControl__GetAlerts(s, e, "", Text(""), out);
     },
     "<QORControl:GetAlerts><RootTid></RootTid></QORControl:GetAlerts>"},
    {"EmptyItemsOfAList", "DeleteSnapshots",
     [](struct soap* s, const char* e) { return delete_snapshots(s, e, g_items, 3); },
     "<QORControl:DeleteSnapshots><snapshots><item></item><item>a&#xA;b</item><item></item>"
     "</snapshots></QORControl:DeleteSnapshots>"},
    {"EmptyMemberOfARecord", "SetProcessParameter",
     [](struct soap* s, const char* e) {
         QORControl__SetProfileParameter parameter;
         parameter.name = Text("");
         parameter.value = Text("");
         parameter.values = nullptr;
         QORControl__ArrayOfSetProfileParameter list;
         list.__ptr = &parameter;
         list.__size = 1;
         QORControl__SetProcessParameterResponse out;
         return soap_call_QORControl__SetProcessParameter(s, e, "", Text(""), 0, list, &out);
     },
     "<QORControl:SetProcessParameter><processtype></processtype><pid>0</pid><parameter><item>"
     "<name></name><value></value></item></parameter></QORControl:SetProcessParameter>"},
    {"LineFeed", "Start", [](struct soap* s, const char* e) { return start(s, e, "a\nb"); },
     "<QORControl:Start><runlevel>a&#xA;b</runlevel></QORControl:Start>"},
    {"CarriageReturnAndLineFeed", "Start",
     [](struct soap* s, const char* e) { return start(s, e, "a\r\nb\rc"); },
     "<QORControl:Start><runlevel>a&#xD;&#xA;b&#xD;c</runlevel></QORControl:Start>"},
    {"LineFeedsAtBothEnds", "Start",
     [](struct soap* s, const char* e) { return start(s, e, "\n\nx\n"); },
     "<QORControl:Start><runlevel>&#xA;&#xA;x&#xA;</runlevel></QORControl:Start>"},
    {"OnlyALineFeed", "Start", [](struct soap* s, const char* e) { return start(s, e, "\n"); },
     "<QORControl:Start><runlevel>&#xA;</runlevel></QORControl:Start>"},
    {"MarkupAroundLineFeeds", "Start",
     [](struct soap* s, const char* e) { return start(s, e, "<a>\n&\t\"\n\xc3\xa9"); },
     "<QORControl:Start><runlevel>&lt;a&gt;&#xA;&amp;\t\"&#xA;\xc3\xa9</runlevel></"
     "QORControl:Start>"},
};

class RequestText : public ServiceCall, public ::testing::WithParamInterface<TextCase>
{
};

TEST_P(RequestText, IsWrittenAsThePeerReadsIt)
{
    const TextCase& c = GetParam();
    service().script(c.method, Reply::ok_empty(c.method));
    ASSERT_EQ(SOAP_OK, c.call(ctx(), endpoint())) << FaultString();
    EXPECT_EQ(c.request, LastRequestElement());
    // The counting pass and the sending pass agree on every byte.
    const qortest::Request request = service().last_request();
    ASSERT_TRUE(request.has_header("Content-Length"));
    EXPECT_EQ(std::to_string(request.body.size()), request.header("Content-Length"));
}

INSTANTIATE_TEST_SUITE_P(Requests, RequestText, ::testing::ValuesIn(kTexts),
                         [](const ::testing::TestParamInfo<TextCase>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
