// Records written through their own write operations: element names and
// order, zero figures, state colours and left-out null members.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

struct WriteCase
{
    const char* name;
    std::function<std::string(Reader&)> write;
    std::string expected;
    friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class RecordWriter : public ::testing::TestWithParam<WriteCase>
{
};

TEST_P(RecordWriter, WritesElementsInOrder)
{
    Reader reader;
    EXPECT_EQ(GetParam().expected, GetParam().write(reader));
}

template <class T> T Defaulted(Reader& reader)
{
    T object;
    object.soap_default(reader.ctx());
    return object;
}

char kName[] = "dispatcher";
char kLockName[] = "EQORTABLE";
char kOwnerVb[] = "2026";

const WriteCase kWriteCases[] = {
    {"QueueWithZeroCountersWritesThemAll",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__TaskHandlerQueue>(r), "item"); },
     "<Now>0</Now><High>0</High><Max>0</Max><Writes>0</Writes><Reads>0</Reads>"},
    {"InstanceWithoutColourWritesZero",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__QORInstance>(r), "item"); },
     "<instanceNr>0</instanceNr><httpPort>0</httpPort><httpsPort>0</httpsPort><dispstatus>0</"
     "dispstatus>"},
    {"ProcessColourByName",
     [](Reader& r) {
         auto p = Defaulted<QORControl__OSProcess>(r);
         p.name = kName;
         p.dispstatus = QORControl_GREEN;
         p.pid = 4711;
         return r.WriteContent(p, "item");
     },
     "<name>dispatcher</name><dispstatus>QORControl-GREEN</dispstatus><pid>4711</pid>"},
    {"ProcessColourWithoutNameAsNumber",
     [](Reader& r) {
         auto p = Defaulted<QORControl__OSProcess>(r);
         p.dispstatus = static_cast<QORControl__STATE_COLOR>(7);
         return r.WriteContent(p, "item");
     },
     "<dispstatus>7</dispstatus><pid>0</pid>"},
    {"WebDispatcherServerWritesAllSeventeenFigures",
     [](Reader& r) {
         auto s = Defaulted<QORControl__WebDispServer>(r);
         s.ping_time_last = 5000000000LL;
         return r.WriteContent(s, "item");
     },
     "<capacity>0</capacity><load>0</load><port>0</port><cur-conn>0</cur-conn><peak-conn>0</"
     "peak-conn>"
     "<max-conn>0</max-conn><sec-port>0</sec-port><sec-cur-conn>0</sec-cur-conn>"
     "<sec-peak-conn>0</sec-peak-conn><sec-max-conn>0</sec-max-conn><req-cnt-stateless>0</"
     "req-cnt-stateless>"
     "<req-cnt-stateful>0</req-cnt-stateful><req-cnt-group>0</req-cnt-group><resp-time-min>0</"
     "resp-time-min>"
     "<resp-time-avg>0</resp-time-avg><resp-time-last>0</resp-time-last>"
     "<ping-time-last>5000000000</ping-time-last>"},
    {"ClusterMessageWritesAllNineFigures",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__J2EEClusterMsg>(r), "item"); },
     "<count>0</count><length>0</length><avg-length>0</avg-length><max-length>0</max-length>"
     "<count-p2p-msg>0</count-p2p-msg><count-p2p-request>0</count-p2p-request>"
     "<count-p2p-reply>0</count-p2p-reply><count-broadcast-msg>0</count-broadcast-msg>"
     "<count-broadcast-request>0</count-broadcast-request>"},
    {"SessionWritesItsFourIntegers",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__J2EESession>(r), "item"); },
     "<IdHash>0</IdHash><size>0</size><timeout>0</timeout><activeRequests>0</activeRequests>"},
    {"LockWithHyphenatedNames",
     [](Reader& r) {
         auto l = Defaulted<QORControl__EnqLock>(r);
         l.lock_name = kLockName;
         l.owner_vb = kOwnerVb;
         l.use_count_owner_vb = 2;
         l.backup = true;
         return r.WriteContent(l, "item");
     },
     "<lock-name>EQORTABLE</lock-name><owner-vb>2026</owner-vb><use-count-owner>0</use-count-owner>"
     "<use-count-owner-vb>2</use-count-owner-vb><backup>true</backup>"},
    {"ProxyConnectionWithoutSncLength",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__XCMProxyConnection>(r), "item"); },
     "<peer-port>0</peer-port><local-port>0</local-port><nihdl>0</nihdl><socket>0</socket>"},
    {"ProxyConnectionWithSncLengthZero",
     [](Reader& r) {
         static int zero = 0;
         auto c = Defaulted<QORControl__XCMProxyConnection>(r);
         c.snc_context_length = &zero;
         return r.WriteContent(c, "item");
     },
     "<peer-port>0</peer-port><local-port>0</local-port><nihdl>0</nihdl><socket>0</socket>"
     "<snc-context-length>0</snc-context-length>"},
    {"RestrictionWithBounds",
     [](Reader& r) {
         static LONG64 low = -4294967296LL;
         static double high = 2.5;
         auto x = Defaulted<QORControl__ParameterRestriction>(r);
         x.type = QORControl_RESTRICT_INTRANGE;
         x.int_min = &low;
         x.float_max = &high;
         return r.WriteContent(x, "restriction");
     },
     "<type>QORControl-RESTRICT-INTRANGE</type><int-min>-4294967296</int-min><float-max>2.5</"
     "float-max>"},
    {"ProcessListItemsAreNamedItem",
     [](Reader& r) {
         QORControl__OSProcess items[2];
         for (int i = 0; i < 2; ++i) {
             items[i].soap_default(r.ctx());
             items[i].pid = i + 1;
         }
         auto list = Defaulted<QORControl__ArrayOfOSProcess>(r);
         list.__ptr = items;
         list.__size = 2;
         return r.WriteContent(list, "process");
     },
     "<item><dispstatus>0</dispstatus><pid>1</pid></item><item><dispstatus>0</dispstatus><pid>2</"
     "pid></item>"},
    {"EmptyList",
     [](Reader& r) { return r.WriteContent(Defaulted<QORControl__ArrayOfEnqLock>(r), "lock"); },
     ""},
};

INSTANTIATE_TEST_SUITE_P(Records, RecordWriter, ::testing::ValuesIn(kWriteCases),
                         recordtest::CaseName<WriteCase>);

TEST(RecordWriter, WrittenRecordReadsBackUnchanged)
{
    Reader reader;
    auto s = Defaulted<QORControl__EnqStatistic>(reader);
    s.owner_now = -1;
    s.locks_state = QORControl_RED;
    s.verify_requests = 9223372036854775807LL;
    s.server_time = 0.125;
    s.replication_state = QORControl_YELLOW;
    const std::string content = reader.WriteContent(s, "QORControl:EnqStatistic");

    QORControl__EnqStatistic back;
    ASSERT_EQ(SOAP_OK, reader.ReadBody(recordtest::Envelope("<QORControl:EnqStatistic>" + content +
                                                            "</QORControl:EnqStatistic>"),
                                       "QORControl:EnqStatistic", back));
    EXPECT_EQ(-1, back.owner_now);
    EXPECT_EQ(4, back.locks_state);
    EXPECT_EQ(9223372036854775807LL, back.verify_requests);
    EXPECT_DOUBLE_EQ(0.125, back.server_time);
    EXPECT_EQ(3, back.replication_state);
    EXPECT_EQ(0, back.dequeue_errors);
}

} // namespace
