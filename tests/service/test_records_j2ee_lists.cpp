// J2EE application aliases, caches, web sessions, sessions, threads and
// processes (plain and second forms) read from hand-written responses.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "service/test_records_support.h"

namespace {

using recordtest::Reader;

constexpr const char* kAliases = "QORControl:J2EEGetApplicationAliasListResponse";
constexpr const char* kCache = "QORControl:J2EEGetCacheStatisticResponse";
constexpr const char* kCache2 = "QORControl:J2EEGetCacheStatistic2Response";
constexpr const char* kWebSessions = "QORControl:J2EEGetWebSessionListResponse";
constexpr const char* kWebSessions2 = "QORControl:J2EEGetWebSessionList2Response";
constexpr const char* kSessions = "QORControl:J2EEGetSessionListResponse";
constexpr const char* kThreads = "QORControl:J2EEGetThreadListResponse";
constexpr const char* kThreads2 = "QORControl:J2EEGetThreadList2Response";
constexpr const char* kProcesses = "QORControl:J2EEGetProcessListResponse";
constexpr const char* kProcesses2 = "QORControl:J2EEGetProcessList2Response";

TEST(J2EEAliases, ReadsEveryMemberAndKeepsTextFlags)
{
    Reader reader;
    QORControl__ArrayOfJ2EEApplicationAlias list;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kAliases, "alias",
                        "<item><AppName>shop</AppName><Alias>/shop</Alias>"
                        "<TotalRequests>42</TotalRequests><AppActive>true</AppActive>"
                        "<IgnoreCookie>no</IgnoreCookie><TotalRequests>43</TotalRequests></item>",
                        list));
    ASSERT_EQ(1, list.__size);
    const QORControl__J2EEApplicationAlias& a = list.__ptr[0];
    EXPECT_STREQ("shop", a.AppName);
    EXPECT_STREQ("/shop", a.Alias);
    EXPECT_EQ(42, a.TotalRequests);
    EXPECT_STREQ("true", a.AppActive);
    EXPECT_STREQ("no", a.IgnoreCookie);
}

// Elements from "size" to "dispstatus" that both cache forms share.
constexpr const char* kCacheFigures =
    "<processname>server0</processname><type>LRU</type><size>4294967296</size>"
    "<attrSize>4294967297</attrSize><keysSize>4294967298</keysSize><cachedObjects>1</cachedObjects>"
    "<usedObjects>2</usedObjects><puts>3</puts><gets>4</gets><hits>5</hits><changes>6</changes>"
    "<removes>7</removes><evictions>8</evictions><instanceInvalidations>9</instanceInvalidations>"
    "<clusterInvalidations>10</clusterInvalidations><updateTime>u</updateTime>"
    "<dispstatus>QORControl-GREEN</dispstatus>";

template <class Cache> void ExpectCacheFigures(const Cache& c)
{
    EXPECT_STREQ("server0", c.processname);
    EXPECT_STREQ("LRU", c.type);
    EXPECT_EQ(4294967296LL, c.size);
    EXPECT_EQ(4294967297LL, c.attrSize);
    EXPECT_EQ(4294967298LL, c.keysSize);
    EXPECT_EQ(1, c.cachedObjects);
    EXPECT_EQ(2, c.usedObjects);
    EXPECT_EQ(3, c.puts);
    EXPECT_EQ(4, c.gets);
    EXPECT_EQ(5, c.hits);
    EXPECT_EQ(6, c.changes);
    EXPECT_EQ(7, c.removes);
    EXPECT_EQ(8, c.evictions);
    EXPECT_EQ(9, c.instanceInvalidations);
    EXPECT_EQ(10, c.clusterInvalidations);
    EXPECT_STREQ("u", c.updateTime);
    EXPECT_EQ(2, c.dispstatus);
}

TEST(J2EECaches, ReadsEveryMemberOfBothForms)
{
    Reader reader;
    QORControl__ArrayOfJ2EECache first;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kCache, "cache",
                                       std::string("<item><cachename>jndi</cachename>") +
                                           kCacheFigures + "</item>",
                                       first));
    ASSERT_EQ(1, first.__size);
    EXPECT_STREQ("jndi", first.__ptr[0].cachename);
    ExpectCacheFigures(first.__ptr[0]);

    QORControl__ArrayOfJ2EECache2 second;
    ASSERT_EQ(
        SOAP_OK,
        reader.ReadList(kCache2, "cache",
                        std::string("<item><description>Naming</description><owner>core</owner>") +
                            kCacheFigures + "</item>",
                        second));
    ASSERT_EQ(1, second.__size);
    EXPECT_STREQ("Naming", second.__ptr[0].description);
    EXPECT_STREQ("core", second.__ptr[0].owner);
    ExpectCacheFigures(second.__ptr[0]);
}

TEST(J2EECaches, FirstFormSkipsSecondFormElements)
{
    Reader reader;
    QORControl__ArrayOfJ2EECache list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kCache, "cache",
                              std::string("<item><description>d</description><owner>o</owner>") +
                                  kCacheFigures + "</item>",
                              list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(nullptr, list.__ptr[0].cachename);
    ExpectCacheFigures(list.__ptr[0]);
}

constexpr const char* kWebSessionElements =
    "<processname>server0</processname><IdHash>-9</IdHash><size>512</size><timeout>1800</timeout>"
    "<activeRequests>2</activeRequests><startTime>s</startTime><updateTime>u</updateTime>"
    "<state>valid</state><backingStore>memory</backingStore><user>Administrator</user>";

template <class Session> void ExpectWebSessionElements(const Session& s)
{
    EXPECT_STREQ("server0", s.processname);
    EXPECT_EQ(-9, s.IdHash);
    EXPECT_EQ(512, s.size);
    EXPECT_EQ(1800, s.timeout);
    EXPECT_EQ(2, s.activeRequests);
    EXPECT_STREQ("s", s.startTime);
    EXPECT_STREQ("u", s.updateTime);
    EXPECT_STREQ("valid", s.state);
    EXPECT_STREQ("memory", s.backingStore);
    EXPECT_STREQ("Administrator", s.user);
}

TEST(J2EEWebSessions, ReadsEveryMemberOfBothForms)
{
    Reader reader;
    QORControl__ArrayOfJ2EEWebSession first;
    // The first form does not know "AppName" and skips it.
    ASSERT_EQ(SOAP_OK, reader.ReadList(kWebSessions, "session",
                                       std::string("<item>") + kWebSessionElements +
                                           "<AppName>shop</AppName></item>",
                                       first));
    ASSERT_EQ(1, first.__size);
    ExpectWebSessionElements(first.__ptr[0]);

    QORControl__ArrayOfJ2EEWebSession2 second;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kWebSessions2, "session",
                                       std::string("<item>") + kWebSessionElements +
                                           "<AppName>shop</AppName></item>",
                                       second));
    ASSERT_EQ(1, second.__size);
    ExpectWebSessionElements(second.__ptr[0]);
    EXPECT_STREQ("shop", second.__ptr[0].AppName);
}

TEST(J2EESessions, ReadsEveryMemberAndKeepsTextFlags)
{
    Reader reader;
    QORControl__ArrayOfJ2EESession list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(
                  kSessions, "session",
                  "<item><processname>server0</processname><IdHash>1</IdHash><size>2</size>"
                  "<timeout>3</timeout><activeRequests>4</activeRequests><startTime>s</startTime>"
                  "<updateTime>u</updateTime><sticky>true</sticky><corrupt>false</corrupt>"
                  "<backingStore>db</backingStore></item>",
                  list));
    ASSERT_EQ(1, list.__size);
    const QORControl__J2EESession& s = list.__ptr[0];
    EXPECT_STREQ("server0", s.processname);
    EXPECT_EQ(1, s.IdHash);
    EXPECT_EQ(2, s.size);
    EXPECT_EQ(3, s.timeout);
    EXPECT_EQ(4, s.activeRequests);
    EXPECT_STREQ("s", s.startTime);
    EXPECT_STREQ("u", s.updateTime);
    EXPECT_STREQ("true", s.sticky);
    EXPECT_STREQ("false", s.corrupt);
    EXPECT_STREQ("db", s.backingStore);
}

constexpr const char* kThreadElements =
    "<processname>server0</processname><startTime>st</startTime><updateTime>ut</updateTime>"
    "<taskupdateTime>tt</taskupdateTime><subtaskupdateTime>sut</subtaskupdateTime><task>HTTP</task>"
    "<subtask>read</subtask><name>Thread "
    "7</name><classname>ThreadPool</classname><user>Guest</user>"
    "<pool>Application</pool><state>waiting</state><dispstatus>QORControl-YELLOW</dispstatus>";

template <class Thread> void ExpectThreadElements(const Thread& t)
{
    EXPECT_STREQ("server0", t.processname);
    EXPECT_STREQ("st", t.startTime);
    EXPECT_STREQ("ut", t.updateTime);
    EXPECT_STREQ("tt", t.taskupdateTime);
    EXPECT_STREQ("sut", t.subtaskupdateTime);
    EXPECT_STREQ("HTTP", t.task);
    EXPECT_STREQ("read", t.subtask);
    EXPECT_STREQ("Thread 7", t.name);
    EXPECT_STREQ("ThreadPool", t.classname);
    EXPECT_STREQ("Guest", t.user);
    EXPECT_STREQ("Application", t.pool);
    EXPECT_STREQ("waiting", t.state);
    EXPECT_EQ(3, t.dispstatus);
}

TEST(J2EEThreads, ReadsEveryMemberOfBothForms)
{
    Reader reader;
    QORControl__ArrayOfJ2EEThread first;
    // The first form does not know "index" and skips it.
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kThreads, "thread",
                              std::string("<item>") + kThreadElements + "<index>5</index></item>",
                              first));
    ASSERT_EQ(1, first.__size);
    ExpectThreadElements(first.__ptr[0]);

    QORControl__ArrayOfJ2EEThread2 second;
    ASSERT_EQ(SOAP_OK, reader.ReadList(kThreads2, "thread",
                                       std::string("<item><index>12</index>") + kThreadElements +
                                           "</item><item/>",
                                       second));
    ASSERT_EQ(2, second.__size);
    ExpectThreadElements(second.__ptr[0]);
    EXPECT_EQ(12, second.__ptr[0].index);
    EXPECT_EQ(0, second.__ptr[1].index);
    EXPECT_EQ(0, second.__ptr[1].dispstatus);
}

constexpr const char* kProcessElements =
    "<telnetPort>50008</telnetPort><name>server0</name><pid>31337</pid><type>server</type>"
    "<restart>yes</restart><exitCode>-1</exitCode><state>QORControl-J2EE-RUNNING</state>"
    "<statetext>Running</statetext><startTime>s</startTime><elapsedTime>1:02:03</elapsedTime>"
    "<restartCount>2</restartCount><errorCount>1</errorCount><cpu>12.5</cpu><debug>no</debug>";

template <class Process> void ExpectProcessElements(const Process& p)
{
    EXPECT_EQ(50008, p.telnetPort);
    EXPECT_STREQ("server0", p.name);
    EXPECT_EQ(31337, p.pid);
    EXPECT_STREQ("server", p.type);
    EXPECT_STREQ("yes", p.restart);
    EXPECT_STREQ("-1", p.exitCode);
    EXPECT_EQ(4, p.state);
    EXPECT_STREQ("Running", p.statetext);
    EXPECT_STREQ("s", p.startTime);
    EXPECT_STREQ("1:02:03", p.elapsedTime);
    EXPECT_EQ(2, p.restartCount);
    EXPECT_EQ(1, p.errorCount);
    EXPECT_STREQ("12.5", p.cpu);
    EXPECT_STREQ("no", p.debug);
}

TEST(J2EEProcesses, ReadsEveryMemberOfBothForms)
{
    Reader reader;
    QORControl__ArrayOfJ2EEProcess first;
    // The first form does not know "clusterId" and skips it.
    ASSERT_EQ(SOAP_OK, reader.ReadList(kProcesses, "process",
                                       std::string("<item><clusterId>7</clusterId>") +
                                           kProcessElements + "</item>",
                                       first));
    ASSERT_EQ(1, first.__size);
    ExpectProcessElements(first.__ptr[0]);

    QORControl__ArrayOfJ2EEProcess2 second;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kProcesses2, "process",
                              std::string("<item><clusterId>3010</clusterId>") + kProcessElements +
                                  "</item><item><name>no cluster</name></item>",
                              second));
    ASSERT_EQ(2, second.__size);
    ExpectProcessElements(second.__ptr[0]);
    EXPECT_EQ(3010, second.__ptr[0].clusterId);
    EXPECT_EQ(0, second.__ptr[1].clusterId);
    EXPECT_EQ(0, second.__ptr[1].state);
}

struct PStateCase
{
    const char* name;
    const char* text;
    int value;
    friend void PrintTo(const PStateCase& c, std::ostream* os) { *os << c.name; }
};

class J2EEProcessState : public ::testing::TestWithParam<PStateCase>
{
};

TEST_P(J2EEProcessState, NamesAndNumbers)
{
    Reader reader;
    QORControl__ArrayOfJ2EEProcess list;
    ASSERT_EQ(SOAP_OK,
              reader.ReadList(kProcesses, "process",
                              std::string("<item><state>") + GetParam().text + "</state></item>",
                              list));
    ASSERT_EQ(1, list.__size);
    EXPECT_EQ(GetParam().value, list.__ptr[0].state);
}

const PStateCase kPStates[] = {
    {"Stopped", "QORControl-J2EE-STOPPED", 1},
    {"Starting", "QORControl-J2EE-STARTING", 2},
    {"CoreRunning", "QORControl-J2EE-CORE-RUNNING", 3},
    {"Running", "QORControl-J2EE-RUNNING", 4},
    {"Stopping", "QORControl-J2EE-STOPPING", 5},
    {"Maintenance", "QORControl-J2EE-MAINTENANCE", 6},
    {"Unknown", "QORControl-J2EE-UNKNOWN", 7},
    {"Number", "4", 4},
    {"NumberWithoutName", "9", 9},
};

INSTANTIATE_TEST_SUITE_P(Records, J2EEProcessState, ::testing::ValuesIn(kPStates),
                         recordtest::CaseName<PStateCase>);

struct StrictCase
{
    const char* name;
    std::function<int(Reader&)> read;
    friend void PrintTo(const StrictCase& c, std::ostream* os) { *os << c.name; }
};

class J2EEStrictMode : public ::testing::TestWithParam<StrictCase>
{
};

TEST_P(J2EEStrictMode, MissingAddedMemberFails)
{
    Reader strict;
    strict.SetStrict(true);
    EXPECT_EQ(SOAP_OCCURS, GetParam().read(strict));
}

const StrictCase kStrictCases[] = {
    {"ThreadWithoutIndex",
     [](Reader& r) {
         QORControl__ArrayOfJ2EEThread2 list;
         return r.ReadList(kThreads2, "thread", std::string("<item>") + kThreadElements + "</item>",
                           list);
     }},
    {"ProcessWithoutClusterId",
     [](Reader& r) {
         QORControl__ArrayOfJ2EEProcess2 list;
         return r.ReadList(kProcesses2, "process",
                           std::string("<item>") + kProcessElements + "</item>", list);
     }},
    {"SessionWithoutTimeout",
     [](Reader& r) {
         QORControl__ArrayOfJ2EESession list;
         return r.ReadList(
             kSessions, "session",
             "<item><IdHash>1</IdHash><size>2</size><activeRequests>4</activeRequests></item>",
             list);
     }},
};

INSTANTIATE_TEST_SUITE_P(Records, J2EEStrictMode, ::testing::ValuesIn(kStrictCases),
                         recordtest::CaseName<StrictCase>);

TEST(J2EEStrictMode, CompleteItemsPass)
{
    Reader strict;
    strict.SetStrict(true);
    QORControl__ArrayOfJ2EEThread2 threads;
    EXPECT_EQ(SOAP_OK,
              strict.ReadList(kThreads2, "thread",
                              std::string("<item>") + kThreadElements + "<index>1</index></item>",
                              threads));
    QORControl__ArrayOfJ2EEProcess2 processes;
    EXPECT_EQ(SOAP_OK, strict.ReadList(kProcesses2, "process",
                                       std::string("<item>") + kProcessElements +
                                           "<clusterId>1</clusterId></item>",
                                       processes));
}

TEST(J2EEProcesses, LowerCaseStateNameFails)
{
    Reader reader;
    QORControl__ArrayOfJ2EEProcess list;
    EXPECT_EQ(SOAP_TYPE,
              reader.ReadList(kProcesses, "process",
                              "<item><state>qorcontrol-j2ee-running</state></item>", list));
}

} // namespace
