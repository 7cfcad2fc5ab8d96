// J2EE component lists, shared tables, cluster messages, remote objects and
// EJB sessions read from hand-written responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kComponents = "QORControl:J2EEGetComponentListResponse";
constexpr const char* kSharedTables = "QORControl:J2EEGetSharedTableInfoResponse";
constexpr const char* kClusterMsgs = "QORControl:J2EEGetClusterMsgListResponse";
constexpr const char* kRemoteObjects = "QORControl:J2EEGetRemoteObjectListResponse";
constexpr const char* kEjbSessions = "QORControl:J2EEGetEJBSessionListResponse";

TEST(J2EEComponents, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfJ2EEComponentInfo list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kComponents, "component",
                  "<item><type>service</type><name>http</name><startupmode>always</startupmode>"
                  "<status>started</status><expectedstatus>started</expectedstatus>"
                  "<details>ok</details><dispstatus>QORControl-RED</dispstatus></item>"
                  "<item><dispstatus>QORControl-GREEN</dispstatus><name>first</name></item>"
                  "<item><name>no colour</name></item>",
                  list));
    ASSERT_EQ(3, list.__size);
    const QORControl__J2EEComponentInfo& c = list.__ptr[0];
    EXPECT_STREQ("service", c.type);
    EXPECT_STREQ("http", c.name);
    EXPECT_STREQ("always", c.startupmode);
    EXPECT_STREQ("started", c.status);
    EXPECT_STREQ("started", c.expectedstatus);
    EXPECT_STREQ("ok", c.details);
    EXPECT_EQ(4, c.dispstatus);
    EXPECT_EQ(2, list.__ptr[1].dispstatus);
    EXPECT_STREQ("first", list.__ptr[1].name);
    EXPECT_EQ(0, list.__ptr[2].dispstatus);
}

TEST(J2EESharedTables, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfJ2EESharedTableInfo list, none;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kSharedTables, "jsf",
                              "<item><table>Session Table</table><used>10</used><peak>20</peak>"
                              "<limit>-1</limit><dispstatus>QORControl-YELLOW</dispstatus></item>",
                              list));
    ASSERT_EQ(1, list.__size);
    const QORControl__J2EESharedTableInfo& t = list.__ptr[0];
    EXPECT_STREQ("Session Table", t.table);
    EXPECT_EQ(10, t.used);
    EXPECT_EQ(20, t.peak);
    EXPECT_EQ(-1, t.limit);
    EXPECT_EQ(3, t.dispstatus);
    ASSERT_EQ(SOAP_OK, reader.ReadList(kSharedTables, "jsf", "", none));
    EXPECT_EQ(0, none.__size);
    EXPECT_EQ(nullptr, none.__ptr);
}

TEST(J2EEClusterMessages, ReadsEveryHyphenatedSixtyFourBitMember)
{
    Reader reader;
    QORControl__ArrayOfJ2EEClusterMsg list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kClusterMsgs, "msg",
                  "<item><service>RPC</service><id>0x12</id><count>4294967301</count>"
                  "<length>4294967302</length><avg-length>4294967303</avg-length>"
                  "<max-length>4294967304</max-length><count-p2p-msg>4294967305</count-p2p-msg>"
                  "<count-p2p-request>4294967306</count-p2p-request>"
                  "<count-p2p-reply>4294967307</count-p2p-reply>"
                  "<count-broadcast-msg>4294967308</count-broadcast-msg>"
                  "<count-broadcast-request>4294967309</count-broadcast-request></item>",
                  list));
    ASSERT_EQ(1, list.__size);
    const QORControl__J2EEClusterMsg& m = list.__ptr[0];
    EXPECT_STREQ("RPC", m.service);
    EXPECT_STREQ("0x12", m.id);
    EXPECT_EQ(4294967301LL, m.count);
    EXPECT_EQ(4294967302LL, m.length);
    EXPECT_EQ(4294967303LL, m.avg_length);
    EXPECT_EQ(4294967304LL, m.max_length);
    EXPECT_EQ(4294967305LL, m.count_p2p_msg);
    EXPECT_EQ(4294967306LL, m.count_p2p_request);
    EXPECT_EQ(4294967307LL, m.count_p2p_reply);
    EXPECT_EQ(4294967308LL, m.count_broadcast_msg);
    EXPECT_EQ(4294967309LL, m.count_broadcast_request);
}

TEST(J2EERemoteObjects, ReadsEveryMemberAndMatchesCase)
{
    Reader reader;
    QORControl__ArrayOfJ2EERemoteObject list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kRemoteObjects, "remoteobject",
                  "<item><IdHash>-123456</IdHash><address>10.0.0.5</address><port>50004</port>"
                  "<protocol>RPC</protocol><direction>in</direction><stubs>3</stubs>"
                  "<implementations>1</implementations><creationTime>c</creationTime>"
                  "<updateTime>u</updateTime><processname>server0</processname></item>"
                  "<item><idhash>5</idhash><IDHASH>6</IDHASH><port>1</port></item>",
                  list));
    ASSERT_EQ(2, list.__size);
    const QORControl__J2EERemoteObject& o = list.__ptr[0];
    EXPECT_EQ(-123456, o.IdHash);
    EXPECT_STREQ("10.0.0.5", o.address);
    EXPECT_EQ(50004, o.port);
    EXPECT_STREQ("RPC", o.protocol);
    EXPECT_STREQ("in", o.direction);
    EXPECT_EQ(3, o.stubs);
    EXPECT_EQ(1, o.implementations);
    EXPECT_STREQ("c", o.creationTime);
    EXPECT_STREQ("u", o.updateTime);
    EXPECT_STREQ("server0", o.processname);
    EXPECT_EQ(0, list.__ptr[1].IdHash);
    EXPECT_EQ(1, list.__ptr[1].port);
}

TEST(J2EEEjbSessions, ReadsEveryMember)
{
    Reader reader;
    QORControl__ArrayOfJ2EEEJBSession list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kEjbSessions, "ejbsession",
                  "<item><IdHash>77</IdHash><state>active</state><size>2048</size>"
                  "<activeRequests>1</activeRequests><totalRequests>2147483647</totalRequests>"
                  "<backingStore>memory</backingStore><processname>server1</processname>"
                  "<startTime>s</startTime><updateTime>u</updateTime>"
                  "<responseTime>15</responseTime><user>Guest</user><transaction>tx</transaction>"
                  "<ejb>CartBean</ejb><application>shop</application>"
                  "<reference>ref1</reference></item>",
                  list));
    ASSERT_EQ(1, list.__size);
    const QORControl__J2EEEJBSession& s = list.__ptr[0];
    EXPECT_EQ(77, s.IdHash);
    EXPECT_STREQ("active", s.state);
    EXPECT_EQ(2048, s.size);
    EXPECT_EQ(1, s.activeRequests);
    EXPECT_EQ(2147483647, s.totalRequests);
    EXPECT_STREQ("memory", s.backingStore);
    EXPECT_STREQ("server1", s.processname);
    EXPECT_STREQ("s", s.startTime);
    EXPECT_STREQ("u", s.updateTime);
    EXPECT_EQ(15, s.responseTime);
    EXPECT_STREQ("Guest", s.user);
    EXPECT_STREQ("tx", s.transaction);
    EXPECT_STREQ("CartBean", s.ejb);
    EXPECT_STREQ("shop", s.application);
    EXPECT_STREQ("ref1", s.reference);
}

TEST(J2EEEjbSessions, SizeAndTotalRequestsAreThirtyTwoBits)
{
    for (const char* member : {"size", "totalRequests"}) {
        Reader reader;
        QORControl__ArrayOfJ2EEEJBSession list;
        EXPECT_NE(SOAP_OK, reader.ReadList(kEjbSessions, "ejbsession",
                                           std::string("<item><") + member + ">4294967296</" +
                                               member + "></item>",
                                           list))
            << member;
    }
}

} // namespace
