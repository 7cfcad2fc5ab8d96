// Every webmethod's client call against the fake service: the request
// element it writes (names, order, hyphenated names, enumeration names,
// defaults, arrays), the empty SOAP action, and the response member it reads.
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

#include "service/service_call_support.h"

namespace {

using calltest::ServiceCall;
using calltest::StringArray;
using calltest::Text;
using qortest::Reply;

using Call = std::function<int(struct soap*, const char*, std::string& result)>;

struct RequestCase
{
    const char* name;     // webmethod
    Call call;            // makes the call, describes what it read in |result|
    const char* request;  // expected body element of the request
    std::string response; // body of the scripted reply
    const char* result;   // expected description of what was read
};

void PrintTo(const RequestCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Empty(const char* method)
{
    return std::string("<QORControl:") + method + "Response/>";
}

std::string Wrapped(const char* method, const std::string& content)
{
    return std::string("<QORControl:") + method + "Response>" + content + "</QORControl:" + method +
           "Response>";
}

// clang-format off
// A webmethod without request children whose response carries one array
// member; the reply holds two items, which must arrive in the caller's array.
#define LIST_CASE(method, Array, member)                                           \
    RequestCase{                                                                   \
        #method,                                                                   \
        [](struct soap* s, const char* e, std::string& r) {                        \
            Array out;                                                             \
            const int rc = soap_call_QORControl__##method(s, e, "", out);          \
            r = "items=" + std::to_string(out.__size);                             \
            return rc;                                                             \
        },                                                                         \
        "<QORControl:" #method "></QORControl:" #method ">",                       \
        Wrapped(#method, "<" member "><item></item><item></item></" member ">"),   \
        "items=2"}

// A webmethod with an empty response element.
#define EMPTY_CASE(method, request, ...)                                           \
    RequestCase{                                                                   \
        #method,                                                                   \
        [](struct soap* s, const char* e, std::string& r) {                        \
            QORControl__##method##Response out;                                    \
            r = "empty";                                                           \
            return soap_call_QORControl__##method(s, e, "", __VA_ARGS__);          \
        },                                                                         \
        request, Empty(#method), "empty"}

// A webmethod whose response is a class with a "lines" array and a "name".
#define LINES_CASE(method, request, ...)                                           \
    RequestCase{                                                                   \
        #method,                                                                   \
        [](struct soap* s, const char* e, std::string& r) {                        \
            QORControl__##method##Response out;                                    \
            const int rc = soap_call_QORControl__##method(s, e, "", __VA_ARGS__);  \
            r = std::string(out.name ? out.name : "(null)") + " lines=" +          \
                std::to_string(out.lines.__size);                                  \
            return rc;                                                             \
        },                                                                         \
        request, Wrapped(#method, "<name>trace</name><lines><item>a</item></lines>"), \
        "trace lines=1"}
// clang-format on

char* g_files[] = {Text("dev_w0"), Text("dev_w1")};
char* g_default_log[] = {Text("DEFAULT")};
char* g_values[] = {Text("1"), Text("2")};

QORControl__ArrayOfSetProfileParameter OneParameter(QORControl__SetProfileParameter* p)
{
    QORControl__ArrayOfSetProfileParameter a;
    a.__ptr = p;
    a.__size = 1;
    return a;
}

const RequestCase kCases[] = {
    // Starting, stopping and signals.
    EMPTY_CASE(Start, "<QORControl:Start><runlevel>3</runlevel></QORControl:Start>", Text("3"), &out),
    EMPTY_CASE(InstanceStart,
               "<QORControl:InstanceStart><host>hostA</host><nr>12</nr></QORControl:InstanceStart>",
               Text("hostA"), 12, nullptr, &out),
    EMPTY_CASE(Bootstrap, "<QORControl:Bootstrap><nr>-1</nr></QORControl:Bootstrap>", nullptr, -1, &out),
    EMPTY_CASE(Stop, "<QORControl:Stop><softtimeout>30</softtimeout><IsSystemStop>0</IsSystemStop></QORControl:Stop>",
               30, 0, &out),
    EMPTY_CASE(InstanceStop,
               "<QORControl:InstanceStop><host>h</host><nr>0</nr><softtimeout>5</softtimeout>"
               "</QORControl:InstanceStop>",
               Text("h"), 0, 5, &out),
    EMPTY_CASE(Shutdown, "<QORControl:Shutdown><IsSystemStop>0</IsSystemStop></QORControl:Shutdown>", 0, &out),
    EMPTY_CASE(RestartService, "<QORControl:RestartService></QORControl:RestartService>", &out),
    EMPTY_CASE(StopService, "<QORControl:StopService></QORControl:StopService>", &out),
    EMPTY_CASE(RestartInstance,
               "<QORControl:RestartInstance><softtimeout>0</softtimeout><runlevel>2</runlevel>"
               "</QORControl:RestartInstance>",
               0, Text("2"), &out),
    EMPTY_CASE(SendSignal, "<QORControl:SendSignal><pid>4711</pid><signal>SIGINT</signal></QORControl:SendSignal>",
               4711, Text("SIGINT"), &out),
    // Information.
    RequestCase{"ParameterValue",
                [](struct soap *s, const char *e, std::string &r) {
                  char *value = Text("untouched");
                  const int rc = soap_call_QORControl__ParameterValue(s, e, "", Text("rdisp/TRACE"), &value);
                  r = value ? value : "(null)";
                  return rc;
                },
                "<QORControl:ParameterValue><parameter>rdisp/TRACE</parameter></QORControl:ParameterValue>",
                Wrapped("ParameterValue", "<value>1 &amp; 2</value>"), "1 & 2"},
    LIST_CASE(GetProcessList, QORControl__ArrayOfOSProcess, "process"),
    LINES_CASE(GetStartProfile, "<QORControl:GetStartProfile></QORControl:GetStartProfile>", out),
    LINES_CASE(GetTraceFile, "<QORControl:GetTraceFile></QORControl:GetTraceFile>", out),
    LIST_CASE(GetEnvironment, QORControl__ArrayOfString, "env"),
    LIST_CASE(GetVersionInfo, QORControl__ArrayOfInstanceVersionInfo, "version"),
    LIST_CASE(GetQueueStatistic, QORControl__ArrayOfTaskHandlerQueue, "queue"),
    LIST_CASE(GetInstanceProperties, QORControl__ArrayOfInstanceProperties, "properties"),
    // Alerts and developer traces.
    LIST_CASE(GetAlertTree, QORControl__ArrayOfAlertNode, "tree"),
    RequestCase{"GetAlerts",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__GetAlertsResponse out;
                  const int rc = soap_call_QORControl__GetAlerts(s, e, "", Text(""), out);
                  r = std::string(out.RootTidName ? out.RootTidName : "(null)") +
                      " alerts=" + std::to_string(out.alert.__size);
                  return rc;
                },
                "<QORControl:GetAlerts><RootTid></RootTid></QORControl:GetAlerts>",
                Wrapped("GetAlerts", "<RootTidName>root</RootTidName><alert><item/></alert>"), "root alerts=1"},
    LIST_CASE(ListDeveloperTraces, QORControl__ArrayOfDirEntry, "file"),
    LINES_CASE(ReadDeveloperTrace,
               "<QORControl:ReadDeveloperTrace><filename>dev_w0</filename><size>2048</size>"
               "</QORControl:ReadDeveloperTrace>",
               Text("dev_w0"), 2048, out),
    // Operating-system commands and log files.
    RequestCase{"OSExecute",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__OSExecuteResponse out;
                  const int rc =
                      soap_call_QORControl__OSExecute(s, e, "", Text("ls -l <dir>"), 1, 60, Text(""), out);
                  r = std::to_string(out.exitcode) + "/" + std::to_string(out.pid) + "/" +
                      std::to_string(out.lines.__size);
                  return rc;
                },
                "<QORControl:OSExecute><command>ls -l &lt;dir&gt;</command><async>1</async><timeout>60</timeout>"
                "<protocolfile></protocolfile></QORControl:OSExecute>",
                Wrapped("OSExecute", "<exitcode>3</exitcode><pid>99</pid><lines><item>x</item></lines>"),
                "3/99/1"},
    RequestCase{"ReadLogFile",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ReadLogFileResponse out;
                  const int rc = soap_call_QORControl__ReadLogFile(s, e, "", Text("available.log"), Text(""),
                                                                   Text("EN"), 0, Text(""), out);
                  r = std::string(out.endcookie ? out.endcookie : "(null)") + " " +
                      std::to_string(out.fields.__size);
                  return rc;
                },
                "<QORControl:ReadLogFile><filename>available.log</filename><filter></filter><language>EN</language>"
                "<maxentries>0</maxentries><statecookie></statecookie></QORControl:ReadLogFile>",
                Wrapped("ReadLogFile", "<format>f</format><endcookie>c2</endcookie><fields><item>a</item></fields>"),
                "c2 1"},
    LIST_CASE(ListLogFiles, QORControl__ArrayOfLogFile, "file"),
    RequestCase{"AnalyseLogFiles",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__AnalyseLogFilesResponse out;
                  const int rc = soap_call_QORControl__AnalyseLogFiles(s, e, "", Text("2024 01 02 03:04:05"),
                                                                       Text(""), 2, 10000, out);
                  r = std::string(out.format ? out.format : "(null)") + " " + std::to_string(out.fields.__size);
                  return rc;
                },
                "<QORControl:AnalyseLogFiles><starttime>2024 01 02 03:04:05</starttime><endtime></endtime>"
                "<severity-level>2</severity-level><maxentries>10000</maxentries></QORControl:AnalyseLogFiles>",
                Wrapped("AnalyseLogFiles", "<format>csv</format><fields><item>a</item><item>b</item></fields>"),
                "csv 2"},
    // System control and access check.
    LIST_CASE(GetAccessPointList, QORControl__ArrayOfAccessPoint, "accesspoint"),
    RequestCase{"GetSystemInstanceList",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfQORInstance out;
                  const int rc = soap_call_QORControl__GetSystemInstanceList(s, e, "", 0, out);
                  r = "items=" + std::to_string(out.__size);
                  return rc;
                },
                "<QORControl:GetSystemInstanceList><timeout>0</timeout></QORControl:GetSystemInstanceList>",
                Wrapped("GetSystemInstanceList", "<instance><item/></instance>"), "items=1"},
    EMPTY_CASE(StartSystem,
               "<QORControl:StartSystem><options>QORControl-ALL-INSTANCES</options><waittimeout>60</waittimeout>"
               "</QORControl:StartSystem>",
               QORControl_ALL_INSTANCES, nullptr, 60, nullptr, &out),
    EMPTY_CASE(StopSystem,
               "<QORControl:StopSystem><options>QORControl-PRIORITY-LEVEL</options><prioritylevel>3</prioritylevel>"
               "<softtimeout>10</softtimeout><waittimeout>300</waittimeout></QORControl:StopSystem>",
               QORControl_PRIORITY_LEVEL, Text("3"), 10, 300, &out),
    EMPTY_CASE(RestartSystem,
               "<QORControl:RestartSystem><options>QORControl-ALLNOZDB-INSTANCES</options><softtimeout>0</softtimeout>"
               "<waittimeout>300</waittimeout><runlevel>4</runlevel></QORControl:RestartSystem>",
               QORControl_ALLNOZDB_INSTANCES, nullptr, 0, 300, Text("4"), &out),
    EMPTY_CASE(AccessCheck, "<QORControl:AccessCheck><function>Stop</function></QORControl:AccessCheck>", Text("Stop"),
               &out),
    // Process parameters and shared memory.
    RequestCase{"GetProcessParameter",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfProfileParameter out;
                  const int rc = soap_call_QORControl__GetProcessParameter(s, e, "", Text("disp"), -1, out);
                  r = "items=" + std::to_string(out.__size);
                  return rc;
                },
                "<QORControl:GetProcessParameter><processtype>disp</processtype><pid>-1</pid>"
                "</QORControl:GetProcessParameter>",
                Wrapped("GetProcessParameter", "<parameter><item/><item/><item/></parameter>"), "items=3"},
    RequestCase{"SetProcessParameter",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__SetProfileParameter p;
                  p.name = Text("rdisp/TRACE");
                  p.value = Text("2");
                  p.values = nullptr;
                  QORControl__SetProcessParameterResponse out;
                  r = "empty";
                  return soap_call_QORControl__SetProcessParameter(s, e, "", Text("disp"), 17, OneParameter(&p),
                                                                   &out);
                },
                "<QORControl:SetProcessParameter><processtype>disp</processtype><pid>17</pid><parameter><item>"
                "<name>rdisp/TRACE</name><value>2</value></item></parameter></QORControl:SetProcessParameter>",
                Empty("SetProcessParameter"), "empty"},
    RequestCase{"SetProcessParameter2",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfString values = StringArray(g_values, 2);
                  QORControl__SetProfileParameter p;
                  p.name = Text("vorn/buffer");
                  p.value = nullptr;
                  p.values = &values;
                  QORControl__SetProcessParameter2Response out;
                  r = "empty";
                  return soap_call_QORControl__SetProcessParameter2(s, e, "", Text("disp"), -1,
                                                                    QORControl_DYNAMIC_PERSIST, OneParameter(&p), &out);
                },
                "<QORControl:SetProcessParameter2><processtype>disp</processtype><pid>-1</pid>"
                "<persistence>QORControl-DYNAMIC-PERSIST</persistence><parameter><item><name>vorn/buffer</name>"
                "<values><item>1</item><item>2</item></values></item></parameter></QORControl:SetProcessParameter2>",
                Empty("SetProcessParameter2"), "empty"},
    EMPTY_CASE(ShmDetach, "<QORControl:ShmDetach></QORControl:ShmDetach>", &out),
    // Snapshots.
    RequestCase{"CreateSnapshot",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__CreateSnapshotResponse out;
                  char *none = Text("");  // one string for both times: still written twice, in place
                  const int rc = soap_call_QORControl__CreateSnapshot(s, e, "", Text("before update"), nullptr, 2,
                                                                      none, none, 10000, -10000,
                                                                      StringArray(g_default_log, 1), out);
                  r = out.filename ? out.filename : "(null)";
                  return rc;
                },
                "<QORControl:CreateSnapshot><description>before update</description>"
                "<analyse-severity-level>2</analyse-severity-level><analyse-starttime></analyse-starttime>"
                "<analyse-endtime></analyse-endtime><analyze-maxentries>10000</analyze-maxentries>"
                "<maxentries>-10000</maxentries><logfiles><item>DEFAULT</item></logfiles>"
                "</QORControl:CreateSnapshot>",
                Wrapped("CreateSnapshot", "<filename>snap_01.zip</filename>"), "snap_01.zip"},
    RequestCase{"ReadSnapshot",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__SnapshotZip out;
                  const int rc = soap_call_QORControl__ReadSnapshot(s, e, "", Text("snap_01.zip"), out);
                  r = std::string(reinterpret_cast<const char *>(out.__ptr), out.__ptr ? out.__size : 0);
                  return rc;
                },
                "<QORControl:ReadSnapshot><filename>snap_01.zip</filename></QORControl:ReadSnapshot>",
                Wrapped("ReadSnapshot", "<snapshot>UEsDBA==</snapshot>"), "PK\x03\x04"},
    LIST_CASE(ListSnapshots, QORControl__ArrayOfSnapshotInfo, "snapshots"),
    RequestCase{"DeleteSnapshots",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfString names = StringArray(g_files, 2);
                  QORControl__DeleteSnapshotsResponse out;
                  r = "empty";
                  return soap_call_QORControl__DeleteSnapshots(s, e, "", &names, out);
                },
                "<QORControl:DeleteSnapshots><snapshots><item>dev_w0</item><item>dev_w1</item></snapshots>"
                "</QORControl:DeleteSnapshots>",
                Empty("DeleteSnapshots"), "empty"},
    // VORN system log and work processes.
    LIST_CASE(VORNReadSyslog, QORControl__ArrayOfSyslogEntry, "log"),
    LIST_CASE(VORNReadRawSyslog, QORControl__ArrayOfRawSyslogEntry, "log"),
    LIST_CASE(VORNGetWPTable, QORControl__ArrayOfWorkProcess, "workprocess"),
    // Log-file list, logon file and security updates.
    RequestCase{"ConfigureLogFileList",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfString names = StringArray(g_files, 2);
                  QORControl__ConfigureLogFileListResponse out;
                  r = "empty";
                  return soap_call_QORControl__ConfigureLogFileList(s, e, "", QORControl_REMOVE_LOGFILES, &names,
                                                                    &out);
                },
                "<QORControl:ConfigureLogFileList><operation>QORControl-REMOVE-LOGFILES</operation><logfiles>"
                "<item>dev_w0</item><item>dev_w1</item></logfiles></QORControl:ConfigureLogFileList>",
                Empty("ConfigureLogFileList"), "empty"},
    LIST_CASE(GetLogFileList, QORControl__ArrayOfString, "logfiles"),
    RequestCase{"RequestLogonFile",
                [](struct soap *s, const char *e, std::string &r) {
                  char *file = nullptr;
                  const int rc = soap_call_QORControl__RequestLogonFile(s, e, "", Text("DOM\\\xc3\xa9va"), &file);
                  r = file ? file : "(null)";
                  return rc;
                },
                "<QORControl:RequestLogonFile><user>DOM\\\xc3\xa9va</user></QORControl:RequestLogonFile>",
                Wrapped("RequestLogonFile", "<filename>/tmp/logon.txt</filename>"), "/tmp/logon.txt"},
    EMPTY_CASE(UpdateSystemPKI, "<QORControl:UpdateSystemPKI><force>true</force></QORControl:UpdateSystemPKI>", true,
               &out),
    EMPTY_CASE(UpdateInstancePSE, "<QORControl:UpdateInstancePSE><force>false</force></QORControl:UpdateInstancePSE>",
               false, &out),
    // High availability.
    LIST_CASE(HACheckConfig, QORControl__ArrayOfHACheck, "check"),
    LIST_CASE(HACheckFailoverConfig, QORControl__ArrayOfHACheck, "check"),
    RequestCase{"HAGetFailoverConfig",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__HAGetFailoverConfigResponse out;
                  const int rc = soap_call_QORControl__HAGetFailoverConfig(s, e, "", out);
                  r = std::string(out.HAActive ? "active " : "inactive ") +
                      (out.HAActiveNode ? out.HAActiveNode : "(null)") + " " + std::to_string(out.HANodes.__size);
                  return rc;
                },
                "<QORControl:HAGetFailoverConfig></QORControl:HAGetFailoverConfig>",
                Wrapped("HAGetFailoverConfig",
                        "<HAActive>true</HAActive><HAActiveNode>n1</HAActiveNode><HANodes><item>n1</item>"
                        "<item>n2</item></HANodes>"),
                "active n1 2"},
    EMPTY_CASE(HAFailoverToNode, "<QORControl:HAFailoverToNode><node>n2</node></QORControl:HAFailoverToNode>",
               Text("n2"), &out),
    EMPTY_CASE(StartBypassHA, "<QORControl:StartBypassHA></QORControl:StartBypassHA>", nullptr, &out),
    EMPTY_CASE(StopBypassHA,
               "<QORControl:StopBypassHA><softtimeout>0</softtimeout><IsSystemStop>0</IsSystemStop>"
               "</QORControl:StopBypassHA>",
               0, 0, &out),
    // J2EE process and cluster control.
    LIST_CASE(J2EEGetProcessList, QORControl__ArrayOfJ2EEProcess, "process"),
    LIST_CASE(J2EEGetProcessList2, QORControl__ArrayOfJ2EEProcess2, "process"),
    EMPTY_CASE(J2EEControlProcess,
               "<QORControl:J2EEControlProcess><processname>server0</processname><function>restart</function>"
               "</QORControl:J2EEControlProcess>",
               Text("server0"), Text("restart"), &out),
    EMPTY_CASE(J2EEControlCluster,
               "<QORControl:J2EEControlCluster><processname>all</processname><function>stop</function>"
               "<nr>-1</nr></QORControl:J2EEControlCluster>",
               Text("all"), Text("stop"), nullptr, -1, &out),
    // J2EE lists.
    LIST_CASE(J2EEGetThreadList, QORControl__ArrayOfJ2EEThread, "thread"),
    LIST_CASE(J2EEGetThreadList2, QORControl__ArrayOfJ2EEThread2, "thread"),
    LIST_CASE(J2EEGetSessionList, QORControl__ArrayOfJ2EESession, "session"),
    LIST_CASE(J2EEGetWebSessionList, QORControl__ArrayOfJ2EEWebSession, "session"),
    LIST_CASE(J2EEGetWebSessionList2, QORControl__ArrayOfJ2EEWebSession2, "session"),
    LIST_CASE(J2EEGetCacheStatistic, QORControl__ArrayOfJ2EECache, "cache"),
    LIST_CASE(J2EEGetCacheStatistic2, QORControl__ArrayOfJ2EECache2, "cache"),
    // VORN system work processes and call stacks.
    RequestCase{"VORNGetSystemWPTable",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__ArrayOfSystemWorkProcess out;
                  const int rc = soap_call_QORControl__VORNGetSystemWPTable(s, e, "", true, out);
                  r = "items=" + std::to_string(out.__size);
                  return rc;
                },
                "<QORControl:VORNGetSystemWPTable><activeonly>true</activeonly></QORControl:VORNGetSystemWPTable>",
                Wrapped("VORNGetSystemWPTable", "<workprocess><item/></workprocess>"), "items=1"},
    RequestCase{"GetCallstack",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__GetCallstackResponse out;
                  const int rc = soap_call_QORControl__GetCallstack(s, e, "", 4711, out);
                  r = "lines=" + std::to_string(out.lines.__size);
                  return rc;
                },
                "<QORControl:GetCallstack><pid>4711</pid></QORControl:GetCallstack>",
                Wrapped("GetCallstack", "<lines><item>frame 0</item><item>frame 1</item></lines>"), "lines=2"},
    // J2EE, XCM and web dispatcher lists.
    LIST_CASE(J2EEGetApplicationAliasList, QORControl__ArrayOfJ2EEApplicationAlias, "alias"),
    LIST_CASE(J2EEGetVMGCHistory, QORControl__ArrayOfGCInfo, "gc"),
    LIST_CASE(J2EEGetVMGCHistory2, QORControl__ArrayOfGCInfo2, "gc"),
    LIST_CASE(J2EEGetVMHeapInfo, QORControl__ArrayOfHeapInfo, "heap"),
    LIST_CASE(J2EEGetEJBSessionList, QORControl__ArrayOfJ2EEEJBSession, "ejbsession"),
    LIST_CASE(J2EEGetRemoteObjectList, QORControl__ArrayOfJ2EERemoteObject, "remoteobject"),
    LIST_CASE(J2EEGetClusterMsgList, QORControl__ArrayOfJ2EEClusterMsg, "msg"),
    LIST_CASE(J2EEGetSharedTableInfo, QORControl__ArrayOfJ2EESharedTableInfo, "jsf"),
    LIST_CASE(J2EEGetComponentList, QORControl__ArrayOfJ2EEComponentInfo, "component"),
    LIST_CASE(XCMGetThreadList, QORControl__ArrayOfXCMThread, "thread"),
    LIST_CASE(XCMGetConnectionList, QORControl__ArrayOfXCMConnection, "connection"),
    LIST_CASE(XCMGetCacheEntries, QORControl__ArrayOfXCMCacheEntry, "entry"),
    LIST_CASE(XCMGetProxyConnectionList, QORControl__ArrayOfXCMProxyConnection, "connection"),
    LIST_CASE(WebDispGetServerList, QORControl__ArrayOfWebDispServer, "server"),
    // J2EE debug sessions, thread stacks and components.
    RequestCase{"J2EEEnableDbgSession",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__J2EEEnableDbgSessionResponse out;
                  const int rc = soap_call_QORControl__J2EEEnableDbgSession(s, e, "", nullptr, nullptr,
                                                                            Text("client1"), out);
                  r = std::string(out.key ? out.key : "(null)") + ":" + std::to_string(out.port);
                  return rc;
                },
                "<QORControl:J2EEEnableDbgSession><client>client1</client></QORControl:J2EEEnableDbgSession>",
                Wrapped("J2EEEnableDbgSession", "<port>50021</port><key>k-1</key>"), "k-1:50021"},
    EMPTY_CASE(J2EEDisableDbgSession,
               "<QORControl:J2EEDisableDbgSession><key>k-1</key></QORControl:J2EEDisableDbgSession>", Text("k-1"),
               &out),
    LINES_CASE(J2EEGetThreadCallStack,
               "<QORControl:J2EEGetThreadCallStack><index>-1</index></QORControl:J2EEGetThreadCallStack>", -1, out),
    LINES_CASE(J2EEGetThreadTaskStack,
               "<QORControl:J2EEGetThreadTaskStack><index>7</index></QORControl:J2EEGetThreadTaskStack>", 7, out),
    EMPTY_CASE(J2EEControlComponents,
               "<QORControl:J2EEControlComponents><processName>server0</processName><operation>stop</operation>"
               "<componentType>service</componentType><componentNames>a,b,c</componentNames>"
               "</QORControl:J2EEControlComponents>",
               Text("server0"), Text("stop"), Text("service"), Text("a,b,c"), &out),
    // Enqueue server.
    LIST_CASE(EnqGetLockTable, QORControl__ArrayOfEnqLock, "lock"),
    RequestCase{"EnqGetStatistic",
                [](struct soap *s, const char *e, std::string &r) {
                  QORControl__EnqStatistic out;
                  const int rc = soap_call_QORControl__EnqGetStatistic(s, e, "", out);
                  r = "locks_now=" + std::to_string(out.locks_now);
                  return rc;
                },
                "<QORControl:EnqGetStatistic></QORControl:EnqGetStatistic>",
                "<QORControl:EnqStatistic><locks-now>12</locks-now></QORControl:EnqStatistic>", "locks_now=12"},
};

class Request : public ServiceCall, public ::testing::WithParamInterface<RequestCase>
{
};

TEST_P(Request, WritesItsElementAndReadsItsResponse)
{
    const RequestCase& c = GetParam();
    service().script(c.name, Reply::ok(c.response));
    std::string result;
    ASSERT_EQ(SOAP_OK, c.call(ctx(), endpoint(), result)) << FaultString();
    ASSERT_EQ(1u, service().request_count());
    const auto request = service().last_request();
    EXPECT_EQ(c.request, calltest::BodyElement(request.body));
    EXPECT_EQ("QORControl:" + std::string(c.name), request.element_qname);
    EXPECT_EQ("urn:QORControl", request.element_ns);
    EXPECT_TRUE(request.has_header("SOAPAction"));
    EXPECT_EQ("\"\"", request.header("SOAPAction"));
    EXPECT_EQ(c.result, result);
}

INSTANTIATE_TEST_SUITE_P(AllWebmethods, Request, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RequestCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(RequestTable, CoversEveryWebmethodOnce)
{
    std::set<std::string> names;
    for (const auto& c : kCases)
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
    EXPECT_EQ(88u, names.size());
}

TEST_F(ServiceCall, EveryEnvelopeDeclaresTheNinePrefixesInOrder)
{
    service().script("ShmDetach", Reply::ok_empty("ShmDetach"));
    QORControl__ShmDetachResponse out;
    ASSERT_EQ(SOAP_OK, soap_call_QORControl__ShmDetach(ctx(), endpoint(), "", &out));
    const std::string body = service().last_request().body;
    const std::string start = "<SOAP-ENV:Envelope" + qortest::namespace_declarations() + ">";
    EXPECT_NE(std::string::npos, body.find(start)) << body;
    EXPECT_EQ(std::string::npos, body.find("encodingStyle")) << body;
    EXPECT_EQ(std::string::npos, body.find("xsi:type")) << body;
}

struct ArrayRequestCase
{
    const char* name;
    const char* method;
    std::function<int(struct soap*, const char*)> call;
    const char* request;
};

void PrintTo(const ArrayRequestCase& c, std::ostream* os)
{
    *os << c.name;
}

const ArrayRequestCase kArrayRequests[] = {
    {"NullArrayPointerIsLeftOut", "DeleteSnapshots",
     [](struct soap* s, const char* e) {
         QORControl__DeleteSnapshotsResponse out;
         return soap_call_QORControl__DeleteSnapshots(s, e, "", nullptr, out);
     },
     "<QORControl:DeleteSnapshots></QORControl:DeleteSnapshots>"},
    {"EmptyArrayByPointer", "DeleteSnapshots",
     [](struct soap* s, const char* e) {
         QORControl__ArrayOfString none = StringArray(nullptr, 0);
         QORControl__DeleteSnapshotsResponse out;
         return soap_call_QORControl__DeleteSnapshots(s, e, "", &none, out);
     },
     "<QORControl:DeleteSnapshots><snapshots></snapshots></QORControl:DeleteSnapshots>"},
    {"EmptyArrayByValue", "SetProcessParameter",
     [](struct soap* s, const char* e) {
         QORControl__ArrayOfSetProfileParameter none;
         none.__ptr = nullptr;
         none.__size = 0;
         QORControl__SetProcessParameterResponse out;
         return soap_call_QORControl__SetProcessParameter(s, e, "", nullptr, -1, none, &out);
     },
     "<QORControl:SetProcessParameter><pid>-1</pid><parameter></parameter></"
     "QORControl:SetProcessParameter>"},
    {"NoLogFileNames", "ConfigureLogFileList",
     [](struct soap* s, const char* e) {
         QORControl__ArrayOfString none = StringArray(nullptr, 0);
         QORControl__ConfigureLogFileListResponse out;
         return soap_call_QORControl__ConfigureLogFileList(s, e, "", QORControl_SET_LOGFILES, &none,
                                                           &out);
     },
     "<QORControl:ConfigureLogFileList><operation>QORControl-SET-LOGFILES</operation><logfiles></"
     "logfiles>"
     "</QORControl:ConfigureLogFileList>"},
    {"SameItemTwiceIsWrittenTwice", "DeleteSnapshots",
     [](struct soap* s, const char* e) {
         static char* same[] = {g_files[0], g_files[0]};
         QORControl__ArrayOfString names = StringArray(same, 2);
         QORControl__DeleteSnapshotsResponse out;
         return soap_call_QORControl__DeleteSnapshots(s, e, "", &names, out);
     },
     "<QORControl:DeleteSnapshots><snapshots><item>dev_w0</item><item>dev_w0</item></snapshots>"
     "</QORControl:DeleteSnapshots>"},
    {"SameArrayInTwoParametersIsWrittenTwice", "SetProcessParameter",
     [](struct soap* s, const char* e) {
         static QORControl__ArrayOfString values = StringArray(g_values, 2);
         static QORControl__SetProfileParameter both[2];
         for (auto& p : both) {
             p.name = Text("n");
             p.value = nullptr;
             p.values = &values;
         }
         QORControl__ArrayOfSetProfileParameter parameters;
         parameters.__ptr = both;
         parameters.__size = 2;
         QORControl__SetProcessParameterResponse out;
         return soap_call_QORControl__SetProcessParameter(s, e, "", Text("t"), 1, parameters, &out);
     },
     "<QORControl:SetProcessParameter><processtype>t</processtype><pid>1</pid><parameter>"
     "<item><name>n</name><values><item>1</item><item>2</item></values></item>"
     "<item><name>n</name><values><item>1</item><item>2</item></values></item>"
     "</parameter></QORControl:SetProcessParameter>"},
    // Markup characters and line ends are escaped; UTF-8 passes.
    {"TextIsEscaped", "OSExecute",
     [](struct soap* s, const char* e) {
         QORControl__OSExecuteResponse out;
         return soap_call_QORControl__OSExecute(s, e, "", Text("a&b <c> \"d\"\r\n\te\rf"), 0, 1,
                                                Text("\xc3\xa9"), out);
     },
     "<QORControl:OSExecute><command>a&amp;b &lt;c&gt; \"d\"&#xD;&#xA;\te&#xD;f</command>"
     "<async>0</async><timeout>1</timeout><protocolfile>\xc3\xa9</protocolfile>"
     "</QORControl:OSExecute>"},
    {"LineFeedsAtBothEnds", "Start",
     [](struct soap* s, const char* e) {
         QORControl__StartResponse out;
         return soap_call_QORControl__Start(s, e, "", Text("\n\n<x>\n"), &out);
     },
     "<QORControl:Start><runlevel>&#xA;&#xA;&lt;x&gt;&#xA;</runlevel></QORControl:Start>"},
    // An empty string keeps its start and end tag: a peer reads <name/> as
    // no string at all.
    {"EmptyTexts", "SetProcessParameter",
     [](struct soap* s, const char* e) {
         static char* values[] = {Text(""), Text("a\nb")};
         static QORControl__ArrayOfString list = StringArray(values, 2);
         static QORControl__SetProfileParameter parameter;
         parameter.name = Text("");
         parameter.value = Text("");
         parameter.values = &list;
         QORControl__ArrayOfSetProfileParameter parameters;
         parameters.__ptr = &parameter;
         parameters.__size = 1;
         QORControl__SetProcessParameterResponse out;
         return soap_call_QORControl__SetProcessParameter(s, e, "", Text(""), 0, parameters, &out);
     },
     "<QORControl:SetProcessParameter><processtype></processtype><pid>0</pid><parameter><item>"
     "<name></name><value></value><values><item></item><item>a&#xA;b</item></values></item>"
     "</parameter></QORControl:SetProcessParameter>"},
};

class ArrayRequest : public ServiceCall, public ::testing::WithParamInterface<ArrayRequestCase>
{
};

TEST_P(ArrayRequest, IsWrittenAsATreeInPlace)
{
    const ArrayRequestCase& c = GetParam();
    service().script(c.method, Reply::ok_empty(c.method));
    ASSERT_EQ(SOAP_OK, c.call(ctx(), endpoint())) << FaultString();
    EXPECT_EQ(c.request, LastRequestElement());
    const qortest::Request request = service().last_request();
    EXPECT_EQ(std::string::npos, request.body.find("href=")) << request.body;
    EXPECT_EQ(std::string::npos, request.body.find(" id=")) << request.body;
    // The counting pass and the sending pass agree on every byte.
    EXPECT_EQ(std::to_string(request.body.size()), request.header("Content-Length"));
}

INSTANTIATE_TEST_SUITE_P(Requests, ArrayRequest, ::testing::ValuesIn(kArrayRequests),
                         [](const ::testing::TestParamInfo<ArrayRequestCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(DefaultEndpoint, IsPort50013OfTheLoopbackHost)
{
    std::unique_ptr<qortest::FakeService> service;
    try {
        service = std::make_unique<qortest::FakeService>(50013);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "port 50013 is taken on this machine: " << e.what();
    }
    service->script("StopService", Reply::ok_empty("StopService"));
    struct soap* ctx = soap_new1(SOAP_C_UTFSTRING | SOAP_IO_KEEPALIVE);
    ctx->recv_timeout = 10;
    QORControl__StopServiceResponse out;
    EXPECT_EQ(SOAP_OK, soap_call_QORControl__StopService(ctx, nullptr, "", &out));
    ASSERT_EQ(1u, service->request_count());
    EXPECT_EQ("localhost:50013", service->last_request().header("Host"));
    soap_destroy(ctx);
    soap_end(ctx);
    soap_free(ctx);
}

} // namespace
