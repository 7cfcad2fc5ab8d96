// Web dispatcher server lists and XCM tables read from hand-written
// responses.
#include <gtest/gtest.h>

#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kServers = "QORControl:WebDispGetServerListResponse";
constexpr const char* kProxy = "QORControl:XCMGetProxyConnectionListResponse";
constexpr const char* kCache = "QORControl:XCMGetCacheEntriesResponse";
constexpr const char* kConnections = "QORControl:XCMGetConnectionListResponse";
constexpr const char* kThreads = "QORControl:XCMGetThreadListResponse";

TEST(WebDispServers, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__ArrayOfWebDispServer list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(
            kServers, "server",
            "<item><sid>QOR</sid><instance>qorhost_QOR_00</instance><hostname>qorhost</hostname>"
            "<protocol>HTTP</protocol><type>VORN</type><status>ACTIVE</status>"
            "<capacity>100</capacity><load>7</load><port>8000</port><cur-conn>1</cur-conn>"
            "<peak-conn>2</peak-conn><max-conn>500</max-conn><sec-port>44300</sec-port>"
            "<sec-cur-conn>3</sec-cur-conn><sec-peak-conn>4</sec-peak-conn>"
            "<sec-max-conn>501</sec-max-conn><req-cnt-stateless>4294967296</req-cnt-stateless>"
            "<req-cnt-stateful>4294967297</req-cnt-stateful><req-cnt-group>9</req-cnt-group>"
            "<resp-time-min>10</resp-time-min><resp-time-avg>6000000000</resp-time-avg>"
            "<resp-time-last>12</resp-time-last><ping-time-last>1765000000000</ping-time-last>"
            "</item>",
            list));
    ASSERT_EQ(1, list.__size);
    const QORControl__WebDispServer& s = list.__ptr[0];
    EXPECT_STREQ("QOR", s.sid);
    EXPECT_STREQ("qorhost_QOR_00", s.instance);
    EXPECT_STREQ("qorhost", s.hostname);
    EXPECT_STREQ("HTTP", s.protocol);
    EXPECT_STREQ("VORN", s.type);
    EXPECT_STREQ("ACTIVE", s.status);
    EXPECT_EQ(100, s.capacity);
    EXPECT_EQ(7, s.load);
    EXPECT_EQ(8000, s.port);
    EXPECT_EQ(1, s.cur_conn);
    EXPECT_EQ(2, s.peak_conn);
    EXPECT_EQ(500, s.max_conn);
    EXPECT_EQ(44300, s.sec_port);
    EXPECT_EQ(3, s.sec_cur_conn);
    EXPECT_EQ(4, s.sec_peak_conn);
    EXPECT_EQ(501, s.sec_max_conn);
    EXPECT_EQ(4294967296LL, s.req_cnt_stateless);
    EXPECT_EQ(4294967297LL, s.req_cnt_stateful);
    EXPECT_EQ(9, s.req_cnt_group);
    EXPECT_EQ(10, s.resp_time_min);
    EXPECT_EQ(6000000000LL, s.resp_time_avg);
    EXPECT_EQ(12, s.resp_time_last);
    EXPECT_EQ(1765000000000LL, s.ping_time_last);
}

TEST(WebDispServers, ReverseOrderAndRepeatedPort)
{
    Reader reader;
    QORControl__ArrayOfWebDispServer list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kServers, "server",
                              "<item><ping-time-last>5</ping-time-last><port>1</port><sid>A</sid>"
                              "<port>2</port></item>",
                              list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(5, list.__ptr[0].ping_time_last);
    EXPECT_EQ(1, list.__ptr[0].port);
    EXPECT_STREQ("A", list.__ptr[0].sid);
    EXPECT_EQ(0, list.__ptr[0].cur_conn);
}

TEST(XcmProxyConnections, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__ArrayOfXCMProxyConnection list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(
            kProxy, "connection",
            "<item><conid>C1</conid><role>client</role><peer-address>10.1.1.1</peer-address>"
            "<peer-port>3300</peer-port><local-address>10.1.1.2</local-address>"
            "<local-port>50000</local-port><status>CONNECTED</status><nihdl>17</nihdl>"
            "<socket>23</socket><partner>QOR/001</partner><internal-convid>1234</internal-convid>"
            "<external-convid>5678</external-convid><snc-context-length>512</snc-context-length>"
            "<failover-status>none</failover-status><disconnect-time>-</disconnect-time>"
            "<objectid>OBJ9</objectid><tid-uid-mode>TID</tid-uid-mode></item>"
            "<item><conid>C2</conid></item>"
            "<item><snc-context-length>0</snc-context-length></item>",
            list));
    ASSERT_EQ(3, list.__size);
    const QORControl__XCMProxyConnection& c = list.__ptr[0];
    EXPECT_STREQ("C1", c.conid);
    EXPECT_STREQ("client", c.role);
    EXPECT_STREQ("10.1.1.1", c.peer_address);
    EXPECT_EQ(3300, c.peer_port);
    EXPECT_STREQ("10.1.1.2", c.local_address);
    EXPECT_EQ(50000, c.local_port);
    EXPECT_STREQ("CONNECTED", c.status);
    EXPECT_EQ(17, c.nihdl);
    EXPECT_EQ(23, c.socket);
    EXPECT_STREQ("QOR/001", c.partner);
    EXPECT_STREQ("1234", c.internal_convid);
    EXPECT_STREQ("5678", c.external_convid);
    ASSERT_NE(nullptr, c.snc_context_length);
    EXPECT_EQ(512, *c.snc_context_length);
    EXPECT_STREQ("none", c.failover_status);
    EXPECT_STREQ("-", c.disconnect_time);
    EXPECT_STREQ("OBJ9", c.objectid);
    EXPECT_STREQ("TID", c.tid_uid_mode);
    // Absent: a null pointer; present with 0: a pointer to 0.
    EXPECT_EQ(nullptr, list.__ptr[1].snc_context_length);
    ASSERT_NE(nullptr, list.__ptr[2].snc_context_length);
    EXPECT_EQ(0, *list.__ptr[2].snc_context_length);
}

struct ValidCase
{
    const char* name;
    const char* item;
    bool valid;
    friend void PrintTo(const ValidCase& c, std::ostream* os) { *os << c.name; }
};

class XcmCacheValid : public ::testing::TestWithParam<ValidCase>
{
};

TEST_P(XcmCacheValid, Boolean)
{
    Reader reader;
    QORControl__ArrayOfXCMCacheEntry list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kCache, "entry", GetParam().item, list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(GetParam().valid, list.__ptr[0].valid);
}

const ValidCase kValid[] = {
    {"True", "<item><valid>true</valid></item>", true},
    {"False", "<item><valid>false</valid></item>", false},
    {"Absent", "<item><name>n</name></item>", false},
    {"One", "<item><valid>1</valid></item>", true},
};

INSTANTIATE_TEST_SUITE_P(Records, XcmCacheValid, ::testing::ValuesIn(kValid),
                         recordtest::CaseName<ValidCase>);

TEST(XcmCacheEntries, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__ArrayOfXCMCacheEntry list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kCache, "entry",
                  "<item><name>/qor/public/icon.gif</name><version>3</version>"
                  "<size>8589934592</size><valid>true</valid><cache>WEBCACHE</cache>"
                  "<creation-time>t1</creation-time><last-access-time>t2</last-access-time>"
                  "<expiration-time>t3</expiration-time><cacheurl>http://h/x</cacheurl></item>",
                  list));
    ASSERT_EQ(1, list.__size);
    const QORControl__XCMCacheEntry& e = list.__ptr[0];
    EXPECT_STREQ("/qor/public/icon.gif", e.name);
    EXPECT_EQ(3, e.version);
    EXPECT_EQ(8589934592LL, e.size);
    EXPECT_TRUE(e.valid);
    EXPECT_STREQ("WEBCACHE", e.cache);
    EXPECT_STREQ("t1", e.creation_time);
    EXPECT_STREQ("t2", e.last_access_time);
    EXPECT_STREQ("t3", e.expiration_time);
    EXPECT_STREQ("http://h/x", e.cacheurl);
}

TEST(XcmConnections, ReadsEveryHyphenatedMember)
{
    Reader reader;
    QORControl__ArrayOfXCMConnection list;
    ASSERT_EQ(SOAP_OK, reader.ReadList(
                           kConnections, "connection",
                           "<item><conid>7</conid><protocol>HTTPS</protocol><role>server</role>"
                           "<requesttype>GET</requesttype><peer-address>192.0.2.1</peer-address>"
                           "<peer-port>61000</peer-port><local-address>192.0.2.2</local-address>"
                           "<local-port>443</local-port><proc-timeout>60</proc-timeout>"
                           "<keepalive-timeout>30</keepalive-timeout>"
                           "<connection-time>2026 12 06 10:00:00</connection-time><nihdl>99</nihdl>"
                           "</item>",
                           list));
    ASSERT_EQ(1, list.__size);
    const QORControl__XCMConnection& c = list.__ptr[0];
    EXPECT_STREQ("7", c.conid);
    EXPECT_STREQ("HTTPS", c.protocol);
    EXPECT_STREQ("server", c.role);
    EXPECT_STREQ("GET", c.requesttype);
    EXPECT_STREQ("192.0.2.1", c.peer_address);
    EXPECT_EQ(61000, c.peer_port);
    EXPECT_STREQ("192.0.2.2", c.local_address);
    EXPECT_EQ(443, c.local_port);
    EXPECT_EQ(60, c.proc_timeout);
    EXPECT_EQ(30, c.keepalive_timeout);
    EXPECT_STREQ("2026 12 06 10:00:00", c.connection_time);
    EXPECT_EQ(99, c.nihdl);
}

TEST(XcmThreads, ReadsEveryMemberAndSkipsUnknown)
{
    Reader reader;
    QORControl__ArrayOfXCMThread list, none;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kThreads, "thread",
                        "<item><name>Worker 1</name><id>0x7f01</id><requests>4294967299</requests>"
                        "<status>idle</status><requesttype>POST</requesttype></item>"
                        "<item><protocol>HTTP</protocol><name>Worker 2</name></item>",
                        list));
    ASSERT_EQ(2, list.__size);
    const QORControl__XCMThread& t = list.__ptr[0];
    EXPECT_STREQ("Worker 1", t.name);
    EXPECT_STREQ("0x7f01", t.id);
    EXPECT_EQ(4294967299LL, t.requests);
    EXPECT_STREQ("idle", t.status);
    EXPECT_STREQ("POST", t.requesttype);
    EXPECT_STREQ("Worker 2", list.__ptr[1].name);
    EXPECT_EQ(0, list.__ptr[1].requests);
    ASSERT_EQ(SOAP_OK, reader.ReadList(kThreads, "thread", "", none));
    EXPECT_EQ(0, none.__size);
    EXPECT_EQ(nullptr, none.__ptr);
}

} // namespace
