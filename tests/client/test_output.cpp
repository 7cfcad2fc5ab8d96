// Golden list and script output of every printing branch group, absent
// members included.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "client_harness.h"

namespace {

using clienttest::heading;
using qortest::Reply;

struct Golden
{
    std::vector<std::string> words; // webmethod and arguments
    std::string element;            // request element the reply answers
    std::string reply;              // response body element
    std::string list;               // output after the heading, list format
    std::string script;             // output after the heading, script format ("" = skip)
    int exit_code = 0;
};

std::string response(const std::string& webmethod, const std::string& content)
{
    return "<QORControl:" + webmethod + "Response>" + content + "</QORControl:" + webmethod +
           "Response>";
}

void check(const std::vector<Golden>& cases)
{
    clienttest::Instance instance = clienttest::start_instance();
    for (const Golden& g : cases) {
        SCOPED_TRACE(g.words[0]);
        instance.service->set_default(Reply::ok(g.reply));
        instance.service->clear_requests();
        const clienttest::RunResult list = clienttest::run(instance.call(g.words));
        EXPECT_EQ(list.out, heading(g.words[0]) + g.list);
        EXPECT_EQ(list.exit_code, g.exit_code);
        // The branch called the webmethod of its own name, once.
        ASSERT_EQ(instance.service->request_count(), 1u);
        EXPECT_EQ(instance.service->last_request().element, g.element);
        if (g.script.empty())
            continue;
        std::vector<std::string> words = instance.call(g.words);
        words.insert(words.begin(), {"-format", "script"});
        const clienttest::RunResult script = clienttest::run(words);
        EXPECT_EQ(script.out, heading(g.words[0]) + g.script);
        EXPECT_EQ(script.exit_code, g.exit_code);
    }
}

TEST(ClientOutput, InstanceInformationAndVorn)
{
    check({
        {{"GetVersionInfo"},
         "GetVersionInfo",
         response("GetVersionInfo",
                  "<version><item><Filename>disp</Filename><VersionInfo>753</VersionInfo>"
                  "<Time>t1</Time></item><item><Filename>gw</Filename><Time>t2</Time></item>"
                  "</version>"),
         "OK\nFilename, VersionInfo, Time\ndisp, 753, t1\ngw, , t2\n",
         "OK\n0 Filename: disp\n0 VersionInfo: 753\n0 Time: t1\n1 Filename: gw\n1 Time: t2\n"},
        // The encoded form of another SOAP stack reads the same.
        {{"GetVersionInfo"},
         "GetVersionInfo",
         response("GetVersionInfo",
                  "<version xsi:type=\"SOAP-ENC:Array\" "
                  "SOAP-ENC:arrayType=\"QORControl:InstanceVersionInfo[2]\">"
                  "<item><Filename>disp</Filename><VersionInfo>753</VersionInfo>"
                  "<Time>t1</Time></item><item><Filename>gw</Filename><Time>t2</Time></item>"
                  "</version>"),
         "OK\nFilename, VersionInfo, Time\ndisp, 753, t1\ngw, , t2\n",
         ""},
        {{"GetQueueStatistic"},
         "GetQueueStatistic",
         response("GetQueueStatistic",
                  "<queue><item><Typ>VORN/NOWP</Typ><Now>1</Now><High>2</High><Max>3</Max>"
                  "<Writes>4</Writes><Reads>5</Reads></item>"
                  "<item><Typ>ICM</Typ><Now>0</Now><High>0</High><Max>9</Max><Writes>0</Writes>"
                  "<Reads>0</Reads></item></queue>"),
         "OK\nTyp, Now, High, Max, Writes, Reads\nVORN/NOWP, 1, 2, 3, 4, 5\nICM, 0, 0, 9, 0, 0\n",
         "OK\n0 Typ: VORN/NOWP\n0 Now: 1\n0 High: 2\n0 Max: 3\n0 Writes: 4\n0 Reads: 5\n"
         "1 Typ: ICM\n1 Now: 0\n1 High: 0\n1 Max: 9\n1 Writes: 0\n1 Reads: 0\n"},
        {{"GetInstanceProperties"},
         "GetInstanceProperties",
         response("GetInstanceProperties",
                  "<properties><item><property>J2EE Process Table</property>"
                  "<propertytype>NodeWebmethod</propertytype><value>J2EEGetProcessList</value>"
                  "</item></properties>"),
         "OK\nproperty, propertytype, value\nJ2EE Process Table, NodeWebmethod, "
         "J2EEGetProcessList\n",
         ""},
        {{"VORNGetWPTable"},
         "VORNGetWPTable",
         response("VORNGetWPTable",
                  "<workprocess><item><No>0</No><Typ>DIA</Typ><Pid>4711</Pid><Status>Wait</Status>"
                  "<Reason></Reason><Start>yes</Start><Err></Err><Sem></Sem><Cpu>0:01</Cpu>"
                  "<Time></Time><Program></Program><Client>000</Client><User>U</User>"
                  "<Action></Action><Table></Table></item></workprocess>"),
         "OK\nNo, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, Time, Program, Client, User, "
         "Action, Table\n0, DIA, 4711, Wait, , yes, , , 0:01, , , 000, U, , \n",
         ""},
        {{"VORNGetSystemWPTable", "1"},
         "VORNGetSystemWPTable",
         response("VORNGetSystemWPTable",
                  "<workprocess><item><Instance>h_QOR_00</Instance><No>1</No><Typ>BTC</Typ>"
                  "<Pid>5</Pid></item></workprocess>"),
         "OK\nInstance, No, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, Time, Program, Client, "
         "User, Action, Table\nh_QOR_00, 1, BTC, 5, , , , , , , , , , , , \n",
         "OK\n0 Instance: h_QOR_00\n0 No: 1\n0 Typ: BTC\n0 Pid: 5\n"},
        {{"VORNReadSyslog"},
         "VORNReadSyslog",
         response("VORNReadSyslog",
                  "<log><item><Time>10:00</Time><Typ>DP</Typ><Client>000</Client><User>U</User>"
                  "<Tcode>SM21</Tcode><MNo>Q0I</MNo><Text>hello</Text>"
                  "<Severity>QORControl-RED</Severity></item>"
                  "<item><Text>odd</Text><Severity>9</Severity></item></log>"),
         "OK\nTime, Typ, Client, User, Tcode, MNo, Text, Severity\n"
         "10:00, DP, 000, U, SM21, Q0I, hello, RED\n, , , , , , odd, 9\n",
         "OK\n0 Time: 10:00\n0 Typ: DP\n0 Client: 000\n0 User: U\n0 Tcode: SM21\n0 MNo: Q0I\n"
         "0 Text: hello\n0 Severity: RED\n1 Text: odd\n1 Severity: 9\n"},
        {{"VORNReadRawSyslog"},
         "VORNReadRawSyslog",
         response("VORNReadRawSyslog", "<log><item>raw one</item><item>raw two</item></log>"),
         "OK\nEntry\nraw one\nraw two\n",
         "OK\n0 Entry: raw one\n1 Entry: raw two\n"},
        {{"GetAccessPointList"},
         "GetAccessPointList",
         response("GetAccessPointList",
                  "<accesspoint><item><address>10.0.0.1</address><port>3200</port>"
                  "<protocol>DIAG</protocol><processname>disp</processname><active>Yes</active>"
                  "</item></accesspoint>"),
         "OK\naddress, port, protocol, processname, active\n10.0.0.1, 3200, DIAG, disp, Yes\n",
         ""},
    });
}

TEST(ClientOutput, J2eeLists)
{
    check({
        {{"J2EEGetProcessList"},
         "J2EEGetProcessList",
         response(
             "J2EEGetProcessList",
             "<process><item><telnetPort>50008</telnetPort><name>server0</name><pid>9</pid>"
             "<type>J2EE</type><restart>yes</restart><exitCode>0</exitCode>"
             "<state>QORControl-J2EE-RUNNING</state><statetext>Running</statetext>"
             "<startTime>s</startTime><elapsedTime>e</elapsedTime><restartCount>1</restartCount>"
             "<errorCount>0</errorCount><cpu>2</cpu><debug>no</debug></item></process>"),
         // The header names 13 fields, the rows carry 14 (statetext after state).
         "OK\ntelnetPort, name, pid, type, restart, exitCode, state, startTime, elapsedTime, "
         "restartCount, errorCount, cpu, debug\n"
         "50008, server0, 9, J2EE, yes, 0, J2EE_RUNNING, Running, s, e, 1, 0, 2, no\n",
         "OK\n0 telnetPort: 50008\n0 name: server0\n0 pid: 9\n0 type: J2EE\n0 restart: yes\n"
         "0 exitCode: 0\n0 state: J2EE_RUNNING\n0 statetext: Running\n0 startTime: s\n"
         "0 elapsedTime: e\n0 restartCount: 1\n0 errorCount: 0\n0 cpu: 2\n0 debug: no\n"},
        {{"J2EEGetProcessList2"},
         "J2EEGetProcessList2",
         response("J2EEGetProcessList2",
                  "<process><item><name>s</name><state>12</state><clusterId>77</clusterId></item>"
                  "</process>"),
         "OK\ntelnetPort, name, pid, type, restart, exitCode, state, startTime, elapsedTime, "
         "restartCount, errorCount, cpu, debug, clusterId\n0, s, 0, , , , 12, , , , 0, 0, , , 77\n",
         "OK\n0 telnetPort: 0\n0 name: s\n0 pid: 0\n0 state: 12\n0 restartCount: 0\n"
         "0 errorCount: 0\n0 clusterId: 77\n"},
        {{"J2EEGetThreadList"},
         "J2EEGetThreadList",
         response("J2EEGetThreadList",
                  "<thread><item><processname>p</processname><state>run</state>"
                  "<dispstatus>QORControl-YELLOW</dispstatus></item></thread>"),
         "OK\nprocessname, startTime, updateTime, taskupdateTime, subtaskupdateTime, task, "
         "subtask, name, classname, user, pool, state\np, , , , , , , , , , , run, YELLOW\n",
         "OK\n0 processname: p\n0 state: run\n0 dispstatus: YELLOW\n"},
        {{"J2EEGetThreadList2"},
         "J2EEGetThreadList2",
         response("J2EEGetThreadList2",
                  "<thread><item><processname>p</processname><index>3</index></item></thread>"),
         "OK\nprocessname, startTime, updateTime, taskupdateTime, subtaskupdateTime, task, "
         "subtask, name, classname, user, pool, state, index\np, , , , , , , , , , , , 0, 3\n",
         ""},
        {{"J2EEGetSessionList"},
         "J2EEGetSessionList",
         response("J2EEGetSessionList",
                  "<session><item><processname>p</processname><IdHash>1</IdHash><size>2</size>"
                  "<timeout>3</timeout><activeRequests>4</activeRequests><sticky>y</sticky>"
                  "<backingStore>mem</backingStore></item></session>"),
         "OK\nprocessname, IdHash, size, timeout, activeRequests, startTime, updateTime, sticky, "
         "corrupt\np, 1, 2, 3, 4, , , y, , mem\n",
         "OK\n0 processname: p\n0 IdHash: 1\n0 size: 2\n0 timeout: 3\n0 activeRequests: 4\n"
         "0 sticky: y\n0 backingStore: mem\n"},
        {{"J2EEGetWebSessionList"},
         "J2EEGetWebSessionList",
         response("J2EEGetWebSessionList",
                  "<session><item><processname>p</processname><IdHash>-5</IdHash>"
                  "<timeout>30</timeout><state>valid</state><backingStore>mem</backingStore>"
                  "</item></session>"),
         "OK\nprocessname, IdHash, size, timeout, activeRequests, startTime, updateTime, state, "
         "backingStore, user\np, -5, 0, 30, 0, , , valid, mem, \n",
         "OK\n0 processname: p\n0 IdHash: -5\n0 size: 0\n0 timeout: 30\n0 activeRequests: 0\n"
         "0 state: valid\n0 backingStore: mem\n"},
        {{"J2EEGetWebSessionList2"},
         "J2EEGetWebSessionList2",
         response("J2EEGetWebSessionList2",
                  "<session><item><processname>p</processname><user>u</user><AppName>app</AppName>"
                  "</item></session>"),
         "OK\nprocessname, IdHash, size, timeout, activeRequests, startTime, updateTime, state, "
         "backingStore, user, AppName\np, 0, 0, 0, 0, , , , , u, app\n",
         ""},
        {{"J2EEGetCacheStatistic"},
         "J2EEGetCacheStatistic",
         response("J2EEGetCacheStatistic",
                  "<cache><item><cachename>c</cachename><size>5000000000</size>"
                  "<instanceInvalidations>7</instanceInvalidations>"
                  "<dispstatus>QORControl-GREEN</dispstatus></item></cache>"),
         // 16 names in the header, 18 values per row.
         "OK\ncachename, processname, type, size, attrSize, keysSize, cachedObjects, usedObjects, "
         "puts, gets, hits, changes, removes, evictions, updateTime, dispstatus\n"
         "c, , , 5000000000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 0, , GREEN\n",
         "OK\n0 cachename: c\n0 size: 5000000000\n0 attrSize: 0\n0 keysSize: 0\n"
         "0 cachedObjects: 0\n0 usedObjects: 0\n0 puts: 0\n0 gets: 0\n0 hits: 0\n"
         "0 changes: 0\n0 removes: 0\n0 evictions: 0\n0 instanceInvalidations: 7\n"
         "0 clusterInvalidations: 0\n0 dispstatus: GREEN\n"},
        {{"J2EEGetCacheStatistic2"},
         "J2EEGetCacheStatistic2",
         response("J2EEGetCacheStatistic2",
                  "<cache><item><description>d</description><owner>o</owner></item></cache>"),
         "OK\ncachename, processname, type, size, attrSize, keysSize, cachedObjects, usedObjects, "
         "puts, gets, hits, changes, removes, evictions, updateTime, dispstatus\n"
         "d, o, , , 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, , 0\n",
         ""},
        {{"J2EEGetComponentList"},
         "J2EEGetComponentList",
         response("J2EEGetComponentList",
                  "<component><item><type>service</type><name>n</name><details>dt</details>"
                  "<dispstatus>QORControl-GRAY</dispstatus></item></component>"),
         "OK\ntype, name, startupmode, status, expectedstatus, dispstatus, details\n"
         "service, n, , , , GRAY, dt\n",
         ""},
        {{"J2EEGetVMGCHistory"},
         "J2EEGetVMGCHistory",
         response("J2EEGetVMGCHistory",
                  "<gc><item><processname>p</processname><reason>alloc</reason>"
                  "<duration>12</duration><objBytesFreed>6000000000</objBytesFreed>"
                  "<unloadedClasses>4</unloadedClasses></item>"
                  "<item><type>full</type></item></gc>"),
         "OK\nprocessname, type, reason, startTime, duration, cpuTime, objBytesBefore, "
         "objBytesAfter, objBytesFreed, clsBytesBefore, clsBytesAfter, clsBytesFreed, heapSize, "
         "unloadedClasses\np, , alloc, , 12, 0, 0, 0, 6000000000, 0, 0, 0, 0, 4\n"
         ", full, , , 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n",
         "OK\n0 processname: p\n0 reason: alloc\n0 duration: 12\n0 cpuTime: 0\n"
         "0 objBytesBefore: 0\n0 objBytesAfter: 0\n0 objBytesFreed: 6000000000\n"
         "0 clsBytesBefore: 0\n0 clsBytesAfter: 0\n0 clsBytesFreed: 0\n0 heapSize: 0\n"
         "0 unloadedClasses: 4\n1 type: full\n1 duration: 0\n1 cpuTime: 0\n"
         "1 objBytesBefore: 0\n1 objBytesAfter: 0\n1 objBytesFreed: 0\n1 clsBytesBefore: 0\n"
         "1 clsBytesAfter: 0\n1 clsBytesFreed: 0\n1 heapSize: 0\n1 unloadedClasses: 0\n"},
        {{"J2EEGetVMGCHistory2"},
         "J2EEGetVMGCHistory2",
         response("J2EEGetVMGCHistory2",
                  "<gc><item><processname>p</processname><heapSize>9</heapSize>"
                  "<pageFaults>3</pageFaults><dispstatus>QORControl-RED</dispstatus></item></gc>"),
         "OK\nprocessname, type, reason, startTime, duration, cpuTime, objBytesBefore, "
         "objBytesAfter, objBytesFreed, clsBytesBefore, clsBytesAfter, clsBytesFreed, heapSize, "
         "unloadedClasses, pageFaults, dispstatus\np, , , , 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 3, RED\n",
         ""},
        {{"J2EEGetVMHeapInfo"},
         "J2EEGetVMHeapInfo",
         response("J2EEGetVMHeapInfo",
                  "<heap><item><processname>p</processname><type>t</type><maxSize>8</maxSize>"
                  "</item></heap>"),
         "OK\nprocessname, type, size, commitSize, maxUsedSize, initialSize, maxSize, dispstatus\n"
         "p, t, 0, 0, 0, 0, 8, 0\n",
         ""},
        {{"J2EEGetClusterMsgList"},
         "J2EEGetClusterMsgList",
         response("J2EEGetClusterMsgList",
                  "<msg><item><service>s</service><id>i</id><avg-length>4</avg-length>"
                  "<count-broadcast-request>6</count-broadcast-request></item></msg>"),
         "OK\nservice, id, count, length, avg_length, max_length, count_p2p_msg, "
         "count_p2p_request, count_p2p_reply, count_broadcast_msg, count_broadcast_request\n"
         "s, i, 0, 0, 4, 0, 0, 0, 0, 0, 6\n",
         "OK\n0 service: s\n0 id: i\n0 count: 0\n0 length: 0\n0 avg_length: 4\n0 max_length: 0\n"
         "0 count_p2p_msg: 0\n0 count_p2p_request: 0\n0 count_p2p_reply: 0\n"
         "0 count_broadcast_msg: 0\n0 count_broadcast_request: 6\n"},
        {{"J2EEGetSharedTableInfo"},
         "J2EEGetSharedTableInfo",
         response("J2EEGetSharedTableInfo",
                  "<jsf><item><table>t</table><used>1</used><peak>2</peak><limit>3</limit>"
                  "<dispstatus>QORControl-GREEN</dispstatus></item></jsf>"),
         "OK\ntable, used, peak, limit, dispstatus\nt, 1, 2, 3, GREEN\n",
         ""},
        {{"J2EEGetApplicationAliasList"},
         "J2EEGetApplicationAliasList",
         response("J2EEGetApplicationAliasList", "<alias></alias>"),
         "OK\nAppName, Alias, TotalRequests, AppActive, IgnoreCookie\n",
         "OK\n"},
        {{"J2EEGetEJBSessionList"},
         "J2EEGetEJBSessionList",
         response("J2EEGetEJBSessionList", ""),
         "OK\nIdHash, state, size, activeRequests, totalRequests, backingStore, processname, "
         "startTime, updateTime, responseTime, user, transaction, ejb, application, reference\n",
         ""},
        {{"J2EEGetRemoteObjectList"},
         "J2EEGetRemoteObjectList",
         response("J2EEGetRemoteObjectList",
                  "<remoteobject><item><IdHash>1</IdHash><port>2</port><processname>p</processname>"
                  "</item></remoteobject>"),
         "OK\nIdHash, address, port, protocol, direction, stubs, implementations, creationTime, "
         "updateTime, processname\n1, , 2, , , 0, 0, , , p\n",
         ""},
        {{"J2EEControlComponents", "p", "start", "service", "a,b"},
         "J2EEControlComponents",
         response("J2EEControlComponents", ""),
         "OK\n",
         "OK\n"},
    });
}

TEST(ClientOutput, EveryHeaderOnlyWebmethod)
{
    const struct
    {
        std::vector<std::string> words;
        const char* list_after_ok; // "" or the empty line of "\n" headers
    } methods[] = {
        {{"Start"}, ""},
        {{"StartBypassHA"}, ""},
        {{"InstanceStart", "h", "1"}, ""},
        {{"Bootstrap"}, ""},
        {{"Stop"}, ""},
        {{"StopBypassHA"}, ""},
        {{"InstanceStop", "h", "1"}, ""},
        {{"Shutdown"}, ""},
        {{"RestartInstance"}, ""},
        {{"RestartService"}, ""},
        {{"StopService"}, ""},
        {{"StartSystem"}, ""},
        {{"StopSystem"}, ""},
        {{"RestartSystem"}, ""},
        {{"AccessCheck", "Start"}, ""},
        {{"SendSignal", "1", "HUP"}, ""},
        {{"J2EEControlProcess", "p", "restart"}, ""},
        {{"J2EEControlCluster", "p", "restart"}, ""},
        {{"J2EEDisableDbgSession", "k"}, ""},
        {{"ConfigureLogFileList", "set", "a.log"}, ""},
        {{"DeleteSnapshots", "a.zip"}, ""},
        {{"ShmDetach"}, ""},
        {{"SetProcessParameter", "DIA", "1", "rdisp/x", "v"}, ""},
        {{"SetProcessParameter2", "DIA", "1", "rdisp/x", "v"}, ""},
        {{"HAFailoverToNode", "n"}, "\n"},
        {{"UpdateSystemPKI"}, "\n"},
        {{"UpdateInstancePSE"}, "\n"},
    };
    std::vector<Golden> cases;
    for (const auto& m : methods) {
        const std::string& name = m.words[0];
        cases.push_back(
            {m.words, name, response(name, ""), "OK\n" + std::string(m.list_after_ok), "OK\n"});
    }
    check(cases);
}

TEST(ClientOutput, HeaderOnlyAndSingleValues)
{
    check({
        {{"Shutdown"}, "Shutdown", response("Shutdown", ""), "OK\n", "OK\n"},
        {{"SendSignal", "1", "HUP"}, "SendSignal", response("SendSignal", ""), "OK\n", "OK\n"},
        {{"UpdateSystemPKI"}, "UpdateSystemPKI", response("UpdateSystemPKI", ""), "OK\n\n", "OK\n"},
        {{"HAFailoverToNode", "n"},
         "HAFailoverToNode",
         response("HAFailoverToNode", ""),
         "OK\n\n",
         "OK\n"},
        {{"RequestLogonFile", "u"},
         "RequestLogonFile",
         response("RequestLogonFile", "<filename>/tmp/logon</filename>"),
         "OK\n\n/tmp/logon\n",
         "OK\n0 : /tmp/logon\n"},
        {{"ParameterValue", "rdisp/wp"},
         "ParameterValue",
         response("ParameterValue", "<value>10</value>"),
         "OK\n\n10\n",
         "OK\n0 : 10\n"},
        {{"ParameterValue", "absent"},
         "ParameterValue",
         response("ParameterValue", ""),
         "OK\n\n\n",
         "OK\n"},
        {{"CreateSnapshot"},
         "CreateSnapshot",
         response("CreateSnapshot", "<filename>snap.zip</filename>"),
         "OK\nfilename: snap.zip\n",
         "OK\nfilename: snap.zip\n"},
        {{"J2EEEnableDbgSession", "me"},
         "J2EEEnableDbgSession",
         response("J2EEEnableDbgSession", "<key>k1</key><port>8000</port>"),
         "OK\nkey, port\nk1, 8000\n",
         "OK\n0 key: k1\n0 port: 8000\n"},
        {{"OSExecute", "ls", "0", "5"},
         "OSExecute",
         response("OSExecute",
                  "<exitcode>0</exitcode><pid>42</pid><lines><item>a</item><item>b</item></lines>"),
         "OK\nexitcode, pid, lines\n0, 42\na\nb\n",
         "OK\n0 exitcode: 0\n0 pid: 42\n0 lines: a\n1 lines: b\n"},
        {{"AnalyseLogFiles"},
         "AnalyseLogFiles",
         response("AnalyseLogFiles", "<format>f</format><fields><item>x</item></fields>"),
         "OK\nfields\nf\nx\n",
         "OK\n0 format: f\n0 fields: x\n"},
        {{"ReadLogFile", "l"},
         "ReadLogFile",
         response("ReadLogFile",
                  "<format>f</format><startcookie>s</startcookie><fields><item>x</item></fields>"),
         "OK\nfields\nf\ns\n\nx\n",
         "OK\n0 format: f\n0 startcookie: s\n0 fields: x\n"},
        {{"GetStartProfile"},
         "GetStartProfile",
         response("GetStartProfile", "<name>START</name><lines><item>l1</item></lines>"),
         "OK\nname: START\nlines\nl1\n",
         "OK\n0 name: START\n0 lines: l1\n"},
        {{"GetCallstack", "3"},
         "GetCallstack",
         response("GetCallstack", "<lines><item>frame</item></lines>"),
         "OK\nframe\n",
         "OK\n0 lines: frame\n"},
        {{"GetTraceFile"},
         "GetTraceFile",
         response("GetTraceFile", "<name>dev</name><lines><item>t</item></lines>"),
         "OK\nlines\nt\n",
         "OK\n0 lines: t\n"},
        {{"GetEnvironment"},
         "GetEnvironment",
         response("GetEnvironment", "<env><item>A=1</item><item>B=2</item></env>"),
         "OK\nlines\nA=1\nB=2\n",
         "OK\n0 lines: A=1\n1 lines: B=2\n"},
        {{"GetLogFileList"},
         "GetLogFileList",
         response("GetLogFileList", ""),
         "OK\nfilename\n",
         "OK\n"},
        {{"HAGetFailoverConfig"},
         "HAGetFailoverConfig",
         response("HAGetFailoverConfig",
                  "<HAActive>true</HAActive><HAProductVersion>1.0</HAProductVersion>"
                  "<HAActiveNode>n1</HAActiveNode>"
                  "<HANodes><item>n1</item><item>n2</item><item>n3</item></HANodes>"),
         "OK\nHAActive: TRUE\nHAProductVersion: 1.0\nHAActiveNode: n1\nHANodes: n1, n2, n3\n",
         "OK\nHAActive: TRUE\nHAProductVersion: 1.0\nHAActiveNode: n1\nHANodes: n1, n2, n3\n"},
        {{"HAGetFailoverConfig"},
         "HAGetFailoverConfig",
         response("HAGetFailoverConfig", "<HAActive>false</HAActive>"),
         "OK\nHAActive: FALSE\nHANodes: ",
         ""},
        {{"EnqGetStatistic"},
         "EnqGetStatistic",
         "<QORControl:EnqStatistic><owner-now>1</owner-now><owner-state>QORControl-GREEN"
         "</owner-state><enqueue-requests>123456789012</enqueue-requests>"
         "<lock-time>0.5</lock-time></QORControl:EnqStatistic>",
         "OK\nowner_now: 1\nowner_high: 0\nowner_max: 0\nowner_state: GREEN\narguments_now: 0\n"
         "arguments_high: 0\narguments_max: 0\narguments_state: 0\nlocks_now: 0\nlocks_high: 0\n"
         "locks_max: 0\nlocks_state: 0\nenqueue_requests: 123456789012\nenqueue_rejects: 0\n"
         "enqueue_errors: 0\ndequeue_requests: 0\ndequeue_errors: 0\ndequeue_all_requests: 0\n"
         "cleanup_requests: 0\nbackup_requests: 0\nreporting_requests: 0\ncompress_requests: 0\n"
         "verify_requests: 0\nlock_time: 0.500000\nlock_wait_time: 0.000000\n"
         "server_time: 0.000000\nreplication_state: 0\n",
         ""},
    });
}

TEST(ClientOutput, RecordLists)
{
    check({
        {{"ListSnapshots"},
         "ListSnapshots",
         response("ListSnapshots",
                  "<snapshots><item><filename>s.zip</filename><size>10</size><modtime>m</modtime>"
                  "<description>d</description></item></snapshots>"),
         "OK\nfilename, size, modtime, description\ns.zip, 10, m, d\n",
         "OK\n0 filename: s.zip\n0 size: 10\n0 modtime: m\n0 decription: d\n"},
        {{"ListSnapshots"},
         "ListSnapshots",
         response("ListSnapshots", "<snapshots><item><filename>s&#x0002E;zip &#x1F600;</filename>"
                                   "<size>1&#x000030;</size></item></snapshots>"),
         "OK\nfilename, size, modtime, description\ns.zip \xF0\x9F\x98\x80, 10, , \n",
         ""},
        // Values that are not UTF-8: U+FFFD for a broken character, "#" for
        // an encoded surrogate, and nothing for one that ends cut off.
        {{"ListSnapshots"},
         "ListSnapshots",
         response("ListSnapshots", "<snapshots><item><filename>M\xFCller</filename>"
                                   "<modtime>a\xED\xA0\x80</modtime>"
                                   "<description>abc\xC3</description></item></snapshots>"),
         "OK\nfilename, size, modtime, description\nM\xEF\xBF\xBDller, 0, a#, \n",
         "OK\n0 filename: M\xEF\xBF\xBDller\n0 size: 0\n0 modtime: a#\n"},
        {{"ListSnapshots"},
         "ListSnapshots",
         response("ListSnapshots", "<snapshots><item><filename>s.zip</filename></item>"
                                   "<item><filename>t&#xD800;</filename></item></snapshots>"),
         "FAIL: Validation constraint violation: syntax error in element 'filename'\n",
         "",
         1},
        {{"GetProcessList"},
         "GetProcessList",
         response("GetProcessList", "<process><item><pid>></item></process>"),
         "FAIL: Validation constraint violation: invalid value in element 'pid'\n",
         "",
         1},
        {{"GetProcessList"},
         "GetProcessList",
         response("GetProcessList", "<process SOAP-ENC:arrayType=\"QORControl:OSProcess[1]\">"
                                    "<item><pid>1</pid></item><item><pid>2</pid></item></process>"),
         "FAIL: Validation constraint violation: closing tag expected in element 'item'\n",
         "",
         1},
        {{"HACheckConfig"},
         "HACheckConfig",
         response("HACheckConfig",
                  "<check><item><state>QORControl-HA-WARNING</state>"
                  "<category>QORControl-HA-STATE</category><description>d</description>"
                  "<comment>c</comment></item></check>"),
         "OK\nstate, category, description, comment\nWARNING, HA STATE, d, c\n",
         ""},
        {{"HACheckFailoverConfig"},
         "HACheckFailoverConfig",
         response("HACheckFailoverConfig",
                  "<check><item><state>QORControl-HA-SUCCESS</state>"
                  "<category>QORControl-QOR-CONFIGURATION</category><description>d</description>"
                  "</item><item><state>5</state><category>QORControl-HA-CONFIGURATION</category>"
                  "<comment>c</comment></item></check>"),
         "OK\nstate, category, description, comment\nSUCCESS, QOR CONFIGURATION, d, \n"
         "5, HA CONFIGURATION, , c\n",
         "OK\n0 state: SUCCESS\n0 category: QOR CONFIGURATION\n0 description: d\n"
         "1 state: 5\n1 category: HA CONFIGURATION\n1 comment: c\n"},
        {{"EnqGetLockTable"},
         "EnqGetLockTable",
         response("EnqGetLockTable",
                  "<lock><item><lock-name>L</lock-name><use-count-owner>2</use-count-owner>"
                  "<backup>true</backup></item></lock>"),
         "OK\nlock_name, lock_arg, lock_mode, owner, owner_vb, use_count_owner, "
         "use_count_owner_vb, client, user, transaction, object, backup\nL, , , , , 2, 0, , , , , "
         "TRUE\n",
         "OK\n0 lock_name: L\n0 use_count_owner: 2\n0 use_count_owner_vb: 0\n0 backup: TRUE\n"},
        {{"GetProcessParameter", "DIA"},
         "GetProcessParameter",
         response(
             "GetProcessParameter",
             "<parameter><item><name>p</name><restriction><type>QORControl-RESTRICT-ENUM</type>"
             "<valuemap><item>a</item><item>b</item></valuemap></restriction>"
             "<dynamic-value>dv</dynamic-value><values><item>v</item></values></item>"
             "</parameter>"),
         "OK\nname, group, description, unit, restriction, sub_para, value, dynamic_value, values, "
         "dynamic_values\np, , , , ENUM a b, <NULL>, <NULL>, dv, [0]=v, <NULL>\n",
         "OK\n0 name: p\n0 restriction: ENUM a b\n0 subpara: <NULL>\n0 value: <NULL>\n"
         "0 dynamic_value: dv\n0 values[0]: v\n0 dynamic_values: <NULL>\n"},
        {{"GetProcessParameter", "DIA", "7"},
         "GetProcessParameter",
         response("GetProcessParameter",
                  "<parameter><item><name>q</name><group>g</group><unit>s</unit>"
                  "<restriction><type>QORControl-RESTRICT-INTRANGE</type><int-min>1</int-min>"
                  "<int-max>99</int-max></restriction>"
                  "<sub-para><item><name>n</name><description>nd</description><unit>u</unit>"
                  "<mandatory>true</mandatory><restriction><type>QORControl-RESTRICT-BOOL</type>"
                  "</restriction></item></sub-para>"
                  "<value>5</value><values></values>"
                  "<dynamic-values><item>x</item><item>y</item></dynamic-values></item>"
                  "</parameter>"),
         "OK\nname, group, description, unit, restriction, sub_para, value, dynamic_value, values, "
         "dynamic_values\nq, g, , s, INTRANGE 1 99, [0].name=n [0].description=nd [0].unit=u "
         "[0].mandatory=true [0].restriction=BOOL, , 5, <NULL>, , [0]=x [1]=y\n",
         "OK\n0 name: q\n0 group: g\n0 unit: s\n0 restriction: INTRANGE 1 99\n"
         "0 subpara[0].name: n\n0 subpara[0].description: nd\n0 subpara[0].unit: u\n"
         "0 subpara[0].mandatory: true\n0 subpara[0].restriction: BOOL\n0 value: 5\n"
         "0 dynamic_value: <NULL>\n0 values:\n0 dynamic_values[0]: x\n"
         "0 dynamic_values[1]: y\n"},
        {{"WebDispGetServerList"},
         "WebDispGetServerList",
         response("WebDispGetServerList",
                  "<server><item><sid>QOR</sid><port>80</port><ping-time-last>7</ping-time-last>"
                  "</item></server>"),
         "OK\nsid, instance, hostname, protocol, type, status, capacity, load, port, cur_conn, "
         "peak_conn, max_conn, sec_port, sec_cur_conn, sec_peak_conn, sec_max_conn, "
         "req_cnt_stateless, req_cnt_stateful, req_cnt_group, resp_time_min, resp_time_avg, "
         "resp_time_last, ping_time_last\nQOR, , , , , , 0, 0, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
         "0, 0, 0, 7\n",
         ""},
        {{"XCMGetProxyConnectionList"},
         "XCMGetProxyConnectionList",
         response("XCMGetProxyConnectionList",
                  "<connection><item><conid>c1</conid><tid-uid-mode>m</tid-uid-mode></item>"
                  "<item><conid>c2</conid><snc-context-length>5</snc-context-length></item>"
                  "</connection>"),
         "OK\nconid, role, peer_address, peer_port, local_address, local_port, status, nihdl, "
         "socket, partner, internal_convid, external_convid, snc_context_length, failover_status, "
         "disconnect_time, objectid, tid_uid_mode\nc1, , , 0, , 0, , 0, 0, , , , , , , , m\n"
         "c2, , , 0, , 0, , 0, 0, , , , 5, , , , \n",
         // Without snc_context_length the script block has no line for it.
         "OK\n0 conid: c1\n0 peer_port: 0\n0 local_port: 0\n0 nihdl: 0\n0 socket: 0\n"
         "0 tid_uid_mode: m\n1 conid: c2\n1 peer_port: 0\n1 local_port: 0\n1 nihdl: 0\n"
         "1 socket: 0\n1 snc_context_length: 5\n"},
        {{"XCMGetConnectionList"},
         "XCMGetConnectionList",
         response("XCMGetConnectionList", "<connection><item><conid>c</conid></item></connection>"),
         "OK\nconid, protocol, role, requesttype, peer_address, peer_port, local_address, "
         "local_port, proc_timeout, keepalive_timeout, connection_time, nihdl\n"
         "c, , , , , 0, , 0, 0, 0, , 0\n",
         ""},
        {{"XCMGetThreadList"},
         "XCMGetThreadList",
         response("XCMGetThreadList",
                  "<thread><item><name>t</name><requests>3</requests></item></thread>"),
         "OK\nname, id, requests, status, requesttype\nt, , 3, , \n",
         ""},
        {{"XCMGetCacheEntries"},
         "XCMGetCacheEntries",
         response(
             "XCMGetCacheEntries",
             "<entry><item><name>e</name><version>2</version><valid>true</valid></item></entry>"),
         "OK\nname, version, size, cache, creation_time, last_access_time, expiration_time, "
         "cacheurl\ne, 2, 0, , , , , \n",
         ""},
        {{"GetSystemInstanceList"},
         "GetSystemInstanceList",
         response("GetSystemInstanceList",
                  "<instance><item><hostname>h</hostname><instanceNr>0</instanceNr>"
                  "<httpPort>50013</httpPort><httpsPort>50014</httpsPort>"
                  "<startPriority>1</startPriority><features>VORN|GATEWAY</features>"
                  "<dispstatus>QORControl-GREEN</dispstatus></item></instance>"),
         "OK\nhostname, instanceNr, httpPort, httpsPort, startPriority, features, dispstatus\n"
         "h, 0, 50013, 50014, 1, VORN|GATEWAY, GREEN\n",
         ""},
        {{"ListLogFiles"},
         "ListLogFiles",
         response("ListLogFiles",
                  "<file><item><filename>f</filename><size>1</size><modtime>m</modtime>"
                  "<format>x</format></item></file>"),
         "OK\nfilename, size, modtime, format\nf, 1, m, x\n",
         ""},
        {{"ListDeveloperTraces"},
         "ListDeveloperTraces",
         response("ListDeveloperTraces",
                  "<file><item><filename>dev_w0</filename><size>2</size></item></file>"),
         "OK\nfilename, size, modtime\ndev_w0, 2, \n",
         "OK\n0 filename: dev_w0\n0 size: 2\n"},
        {{"GetAlerts"},
         "GetAlerts",
         response("GetAlerts", "<RootTidName>root</RootTidName><alert><item><Object>o</Object>"
                               "<Value>QORControl-RED</Value><Aid>a</Aid></item></alert>"),
         "OK\nObject, Attribute, Value, Description, Time, Tid, Aid\no, , RED, , , , a\n",
         ""},
        {{"GetAlertTree"},
         "GetAlertTree",
         response("GetAlertTree",
                  "<tree><item><name>n</name><parent>-1</parent>"
                  "<ActualValue>QORControl-GREEN</ActualValue>"
                  "<VisibleLevel>QORControl-EXPERT</VisibleLevel>"
                  "<HighAlertValue>QORControl-YELLOW</HighAlertValue></item></tree>"),
         "OK\nname, parent, ActualValue, description, Time, AnalyseTool, VisibleLevel, "
         "HighAlertValue, AlDescription, AlTime, Tid\nn, -1, GREEN, , , , EXPERT, YELLOW, , , \n",
         ""},
    });
}

std::string many_attributes(int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += " a" + std::to_string(i) + "=''";
    return out;
}

std::string fault_with_string(const std::string& text)
{
    return qortest::envelope("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode><faultstring>" +
                             text + "</faultstring></SOAP-ENV:Fault>");
}

const std::string kBadFaultString =
    "Validation constraint violation: syntax error in element 'faultstring'\n";

TEST(ClientOutput, FaultsWithAndWithoutDetail)
{
    // WinHTTP's default proxy settings come from the environment.
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(proxy);
    clienttest::Instance instance = clienttest::start_instance();
    struct Case
    {
        std::vector<std::string> words;
        std::string element;
        Reply reply;
        std::string expected;
        int exit_code;
        const char* prot = nullptr; // the default transport
    };
    std::vector<Case> cases = {
        {{"GetVersionInfo"},
         "GetVersionInfo",
         Reply::fault11("SOAP-ENV:Server", "Permission denied"),
         heading("GetVersionInfo") + "FAIL: Permission denied\n",
         1},
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "Stop failed", "<reason>busy</reason>"),
         heading("Stop") + "FAIL: Stop failed, <reason>busy</reason>\n",
         1},
        {{"Start"},
         "Start",
         Reply::fault11("SOAP-ENV:Server", "Instance already started"),
         heading("Start") + "OK\n",
         0},
        {{"StartBypassHA"},
         "StartBypassHA",
         Reply::fault11("SOAP-ENV:Server", "Instance already started"),
         heading("StartBypassHA") + "OK\n",
         0},
        {{"StartWait", "0", "0"},
         "Start",
         Reply::fault11("SOAP-ENV:Server", "Start failed"),
         heading("Start") + "FAIL: Start failed\n",
         1},
        {{"Start"},
         "Start",
         Reply::fault11("SOAP-ENV:Server", "Instance already started", "<d>x</d>"),
         heading("Start") + "FAIL: Instance already started, <d>x</d>\n",
         1},
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "Instance already started"),
         heading("Stop") + "FAIL: Instance already started\n",
         1},
        {{"ListSnapshots"},
         "ListSnapshots",
         Reply::fault12("SOAP-ENV:Receiver", "no snapshots"),
         heading("ListSnapshots") + "FAIL: no snapshots\n",
         1},
        // The detail's text begins at its next child element: text and
        // CDATA sections before it are none of it.
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "boom", "<![CDATA[a <b> c]]> d"),
         heading("Stop") + "FAIL: boom\n",
         1},
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "boom", "d <e>1</e> f"),
         heading("Stop") + "FAIL: boom, <e>1</e> f\n",
         1},
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "boom", "<![CDATA[a]]><e>1</e><![CDATA[b]]>"),
         heading("Stop") + "FAIL: boom, <e>1</e><![CDATA[b]]>\n",
         1},
        // The reply bounds refuse a reply inside its Fault with their own text.
        {{"Stop"},
         "Stop",
         Reply::fault11("SOAP-ENV:Server", "boom", "<e/><f" + many_attributes(300) + "/>"),
         heading("Stop") + "FAIL: more than 256 attribute names, XML reply refused\n",
         1},
        // A fault that cannot be read names what is wrong, whatever the
        // HTTP status.
        {{"Stop"},
         "Stop",
         Reply::http(500, fault_with_string("a&#0;b")),
         heading("Stop") + "FAIL: " + kBadFaultString,
         1},
        {{"GetProcessList"},
         "GetProcessList",
         Reply::http(200, fault_with_string("a&#x110000;b")),
         heading("GetProcessList") + "FAIL: " + kBadFaultString,
         1},
    };
    // A detail of text or CDATA alone is no detail: "Instance already
    // started" is still success for Start and StartBypassHA.
    for (const char* method : {"Start", "StartBypassHA"}) {
        for (const char* prot : {"NI_HTTP", "GSOAP_HTTP", "WINHTTP"}) {
            for (const char* detail : {"<![CDATA[]]>", "instance 00 is running"})
                cases.push_back(
                    {{method},
                     method,
                     Reply::fault11("SOAP-ENV:Server", "Instance already started", detail),
                     heading(method) + "OK\n",
                     0,
                     prot});
        }
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[0] + " " + (c.prot != nullptr ? c.prot : ""));
        instance.service->set_default(c.reply);
        instance.service->clear_requests();
        std::vector<std::string> words;
        if (c.prot != nullptr)
            words = {"-prot", c.prot};
        const std::vector<std::string> call = instance.call(c.words);
        words.insert(words.end(), call.begin(), call.end());
        const clienttest::RunResult r = clienttest::run(words);
        EXPECT_EQ(r.out, c.expected);
        EXPECT_EQ(r.exit_code, c.exit_code);
        ASSERT_EQ(instance.service->request_count(), 1u);
        EXPECT_EQ(instance.service->last_request().element, c.element);
    }
}

} // namespace
