// The webmethods, one row each, in the order the dispatch tests the names.
//
// A row: the name; the argument words in command-line order (text, number,
// flag, list, ...: without a default mandatory, with one optional;
// sent(n) where the value goes to another place of the request than its
// command-line place; fixed values take no word); what runs:
// invoke<client function, printer>, or a named function for a client-side
// step; then, where needed, the column header after "OK" in list format, the
// rules (WebmethodRule), the state wait after the call and the name printed
// in place of the typed one.
//
// Printers: heading_only (the heading block), records<columns> (a column
// table of webmethod_columns.h, headed by the row's header or else the
// labels), lines, filename_lines, entry_lines (one field per text line),
// single_value, or a printer of webmethod_specials.h.
//
// Adding a webmethod: a row here (and its words in the usage text unless
// kUnlisted); a column table in webmethod_columns.h when its records are new.
#include "client/webmethods.h"

#include <iterator>
#include <string_view>

#include "client/webmethod_calls.h"
#include "client/webmethod_columns.h"
#include "client/webmethod_specials.h"

namespace {

constexpr const char* kAbsent = nullptr;    // a text default: not sent
constexpr const char* kNoEntries = nullptr; // a list default: empty

// The argument makers: without a default an argument is mandatory, with one
// it is optional.
constexpr Arg text()
{
    return {ArgKind::kText};
}
constexpr Arg text(const char* fallback)
{
    return {ArgKind::kText, Presence::kOptional, 0, fallback};
}
constexpr Arg number()
{
    return {ArgKind::kNumber};
}
constexpr Arg number(int fallback)
{
    return {ArgKind::kNumber, Presence::kOptional, fallback};
}
constexpr Arg flag()
{
    return {ArgKind::kFlag, Presence::kOptional};
}
// At least one word.
constexpr Arg list()
{
    return {ArgKind::kList};
}
// No word: the list of the one entry, or empty for kNoEntries.
constexpr Arg list(const char* only_entry)
{
    return {ArgKind::kList, Presence::kOptional, 0, only_entry};
}
constexpr Arg fixed(int value)
{
    return {ArgKind::kFixed, Presence::kOptional, value};
}
constexpr Arg fixed(const char* value)
{
    return {ArgKind::kFixed, Presence::kOptional, 0, value};
}
constexpr Arg wait_timeout()
{
    return {ArgKind::kWaitTimeout};
}
constexpr Arg wait_delay()
{
    return {ArgKind::kWaitDelay};
}
constexpr Arg system_option()
{
    return {ArgKind::kSystemOption, Presence::kOptional};
}
constexpr Arg level()
{
    return {ArgKind::kLevel};
}
constexpr Arg log_file_mode()
{
    return {ArgKind::kLogFileMode};
}
constexpr Arg parameter_mode()
{
    return {ArgKind::kParameterMode};
}
constexpr Arg system_id()
{
    return {ArgKind::kSystemId};
}
constexpr Arg local_file()
{
    return {ArgKind::kLocalFile, Presence::kOptional};
}

constexpr const QOR_UC* kEmptyLine = cU("\n");

constexpr Webmethod kWebmethods[] = {
    // Instance control.
    {cU("Start"),
     {text(kAbsent)},
     invoke<soap_call_QORControl__Start, heading_only>,
     nullptr,
     kAlreadyStartedIsOk},
    {cU("StartWait"),
     {wait_timeout(), wait_delay(), fixed(kAbsent)},
     invoke<soap_call_QORControl__Start, heading_only>,
     nullptr,
     kAlreadyStartedIsOk,
     StateWait::kStarted,
     cU("Start")},
    {cU("StartBypassHA"),
     {text(kAbsent)},
     invoke<soap_call_QORControl__StartBypassHA, heading_only>,
     nullptr,
     kUnlisted | kAlreadyStartedIsOk},
    {cU("InstanceStart"),
     {text(), number(), text(kAbsent)},
     invoke<soap_call_QORControl__InstanceStart, heading_only>},
    {cU("Bootstrap"),
     {text(kAbsent), number(-1).with_previous()},
     invoke<soap_call_QORControl__Bootstrap, heading_only>},
    {cU("Stop"), {number(0), fixed(0)}, invoke<soap_call_QORControl__Stop, heading_only>},
    {cU("StopWait"),
     {wait_timeout(), wait_delay(), fixed(0), fixed(0)},
     invoke<soap_call_QORControl__Stop, heading_only>,
     nullptr,
     0,
     StateWait::kStopped,
     cU("Stop")},
    {cU("StopBypassHA"),
     {number(0), fixed(0)},
     invoke<soap_call_QORControl__StopBypassHA, heading_only>,
     nullptr,
     kUnlisted},
    {cU("InstanceStop"),
     {text(), number(), number(0)},
     invoke<soap_call_QORControl__InstanceStop, heading_only>},
    {cU("Shutdown"), {fixed(0)}, invoke<soap_call_QORControl__Shutdown, heading_only>},
    {cU("RestartInstance"),
     {number(0), text(kAbsent)},
     invoke<soap_call_QORControl__RestartInstance, heading_only>},
    {cU("RestartService"), {}, invoke<soap_call_QORControl__RestartService, heading_only>},
    {cU("RestartServiceWait"), {wait_timeout(), wait_delay()}, restart_service_and_wait},
    {cU("StopService"),
     {},
     invoke<soap_call_QORControl__StopService, heading_only>,
     nullptr,
     kUnreachableIsStopped},
    {cU("StartService"), {system_id()}, start_service},
    {cU("GetProcessList"), {}, invoke<soap_call_QORControl__GetProcessList, print_process_list>},

    // Instance information, VORN and J2EE lists.
    {cU("GetVersionInfo"),
     {},
     invoke<soap_call_QORControl__GetVersionInfo, records<kVersionColumns>>,
     cU("Filename, VersionInfo, Time\n")},
    {cU("GetQueueStatistic"),
     {},
     invoke<soap_call_QORControl__GetQueueStatistic, records<kQueueColumns>>,
     cU("Typ, Now, High, Max, Writes, Reads\n")},
    {cU("GetInstanceProperties"),
     {},
     invoke<soap_call_QORControl__GetInstanceProperties, records<kPropertyColumns>>,
     cU("property, propertytype, value\n")},
    {cU("VORNGetWPTable"),
     {},
     invoke<soap_call_QORControl__VORNGetWPTable, records<kWpColumns>>,
     cU("No, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, Time, Program, Client, User, "
        "Action, Table\n")},
    {cU("VORNGetSystemWPTable"),
     {flag()},
     invoke<soap_call_QORControl__VORNGetSystemWPTable, records<kSysWpColumns>>,
     cU("Instance, No, Typ, Pid, Status, Reason, Start, Err, Sem, Cpu, Time, Program, Client, "
        "User, Action, Table\n")},
    {cU("J2EEGetProcessList"),
     {},
     invoke<soap_call_QORControl__J2EEGetProcessList, records<kJ2eeProcessColumns>>,
     cU("telnetPort, name, pid, type, restart, exitCode, state, startTime, elapsedTime, "
        "restartCount, errorCount, cpu, debug\n")},
    {cU("J2EEGetProcessList2"),
     {},
     invoke<soap_call_QORControl__J2EEGetProcessList2, records<kJ2eeProcess2Columns>>,
     cU("telnetPort, name, pid, type, restart, exitCode, state, startTime, elapsedTime, "
        "restartCount, errorCount, cpu, debug, clusterId\n")},
    {cU("J2EEGetThreadList"),
     {},
     invoke<soap_call_QORControl__J2EEGetThreadList, records<kThreadColumns>>,
     cU("processname, startTime, updateTime, taskupdateTime, subtaskupdateTime, task, subtask, "
        "name, classname, user, pool, state\n")},
    {cU("J2EEGetThreadList2"),
     {},
     invoke<soap_call_QORControl__J2EEGetThreadList2, records<kThread2Columns>>,
     cU("processname, startTime, updateTime, taskupdateTime, subtaskupdateTime, task, subtask, "
        "name, classname, user, pool, state, index\n")},
    {cU("VORNReadSyslog"),
     {},
     invoke<soap_call_QORControl__VORNReadSyslog, records<kSyslogColumns>>,
     cU("Time, Typ, Client, User, Tcode, MNo, Text, Severity\n")},
    {cU("VORNReadRawSyslog"),
     {},
     invoke<soap_call_QORControl__VORNReadRawSyslog, entry_lines>,
     cU("Entry\n")},
    {cU("J2EEGetSessionList"),
     {},
     invoke<soap_call_QORControl__J2EEGetSessionList, records<kSessionColumns>>,
     cU("processname, IdHash, size, timeout, activeRequests, startTime, updateTime, sticky, "
        "corrupt\n")},
    {cU("J2EEGetWebSessionList"),
     {},
     invoke<soap_call_QORControl__J2EEGetWebSessionList, records<kWebSessionColumns>>,
     cU("processname, IdHash, size, timeout, activeRequests, startTime, updateTime, state, "
        "backingStore, user\n")},
    {cU("J2EEGetWebSessionList2"),
     {},
     invoke<soap_call_QORControl__J2EEGetWebSessionList2, records<kWebSession2Columns>>,
     cU("processname, IdHash, size, timeout, activeRequests, startTime, updateTime, state, "
        "backingStore, user, AppName\n")},
    {cU("J2EEGetCacheStatistic"),
     {},
     invoke<soap_call_QORControl__J2EEGetCacheStatistic, records<kCacheColumns>>,
     cU("cachename, processname, type, size, attrSize, keysSize, cachedObjects, usedObjects, "
        "puts, gets, hits, changes, removes, evictions, updateTime, dispstatus\n")},
    {cU("J2EEGetCacheStatistic2"),
     {},
     invoke<soap_call_QORControl__J2EEGetCacheStatistic2, records<kCache2Columns>>,
     cU("cachename, processname, type, size, attrSize, keysSize, cachedObjects, usedObjects, "
        "puts, gets, hits, changes, removes, evictions, updateTime, dispstatus\n")},
    {cU("J2EEGetApplicationAliasList"),
     {},
     invoke<soap_call_QORControl__J2EEGetApplicationAliasList, records<kAliasColumns>>,
     cU("AppName, Alias, TotalRequests, AppActive, IgnoreCookie\n")},
    {cU("J2EEGetComponentList"),
     {},
     invoke<soap_call_QORControl__J2EEGetComponentList, records<kComponentColumns>>,
     cU("type, name, startupmode, status, expectedstatus, dispstatus, details\n")},
    {cU("J2EEControlComponents"),
     {text(), text(), text(), text()},
     invoke<soap_call_QORControl__J2EEControlComponents, heading_only>},
    {cU("GetAccessPointList"),
     {},
     invoke<soap_call_QORControl__GetAccessPointList, records<kAccessColumns>>,
     cU("address, port, protocol, processname, active\n")},
    {cU("J2EEGetEJBSessionList"),
     {},
     invoke<soap_call_QORControl__J2EEGetEJBSessionList, records<kEjbColumns>>,
     cU("IdHash, state, size, activeRequests, totalRequests, backingStore, processname, "
        "startTime, updateTime, responseTime, user, transaction, ejb, application, reference\n")},
    {cU("J2EEGetRemoteObjectList"),
     {},
     invoke<soap_call_QORControl__J2EEGetRemoteObjectList, records<kRemoteColumns>>,
     cU("IdHash, address, port, protocol, direction, stubs, implementations, creationTime, "
        "updateTime, processname\n")},
    {cU("J2EEGetVMGCHistory"),
     {},
     invoke<soap_call_QORControl__J2EEGetVMGCHistory, records<kGcColumns>>,
     cU("processname, type, reason, startTime, duration, cpuTime, objBytesBefore, objBytesAfter, "
        "objBytesFreed, clsBytesBefore, clsBytesAfter, clsBytesFreed, heapSize, "
        "unloadedClasses\n")},
    {cU("J2EEGetVMGCHistory2"),
     {},
     invoke<soap_call_QORControl__J2EEGetVMGCHistory2, records<kGc2Columns>>,
     cU("processname, type, reason, startTime, duration, cpuTime, objBytesBefore, objBytesAfter, "
        "objBytesFreed, clsBytesBefore, clsBytesAfter, clsBytesFreed, heapSize, "
        "unloadedClasses, pageFaults, dispstatus\n")},
    {cU("J2EEGetVMHeapInfo"),
     {},
     invoke<soap_call_QORControl__J2EEGetVMHeapInfo, records<kHeapColumns>>,
     cU("processname, type, size, commitSize, maxUsedSize, initialSize, maxSize, dispstatus\n")},
    {cU("J2EEGetClusterMsgList"),
     {},
     invoke<soap_call_QORControl__J2EEGetClusterMsgList, records<kClusterMsgColumns>>},
    {cU("J2EEGetSharedTableInfo"),
     {},
     invoke<soap_call_QORControl__J2EEGetSharedTableInfo, records<kSharedTableColumns>>,
     cU("table, used, peak, limit, dispstatus\n")},

    // Single values, lines, logs, snapshots, HA and parameters.
    {cU("GetStartProfile"), {}, invoke<soap_call_QORControl__GetStartProfile, print_start_profile>},
    {cU("GetTraceFile"), {}, invoke<soap_call_QORControl__GetTraceFile, lines>, cU("lines\n")},
    {cU("GetEnvironment"), {}, invoke<soap_call_QORControl__GetEnvironment, lines>, cU("lines\n")},
    {cU("ParameterValue"),
     {text("")},
     invoke<soap_call_QORControl__ParameterValue, single_value>,
     kEmptyLine},
    {cU("GetAlertTree"),
     {},
     invoke<soap_call_QORControl__GetAlertTree, records<kAlertNodeColumns>>},
    {cU("GetAlerts"), {fixed("")}, invoke<soap_call_QORControl__GetAlerts, print_alerts>},
    {cU("ListDeveloperTraces"),
     {},
     invoke<soap_call_QORControl__ListDeveloperTraces, records<kDirEntryColumns>>},
    {cU("ReadDeveloperTrace"),
     {text(), number()},
     invoke<soap_call_QORControl__ReadDeveloperTrace, lines>,
     cU("lines\n")},
    {cU("ReadLogFile"),
     {text(), text(""), text("EN"), number(0), text("")},
     invoke<soap_call_QORControl__ReadLogFile, print_log_entries>,
     cU("fields\n")},
    {cU("AnalyseLogFiles"),
     {number(2).sent(2), number(10000).sent(3), text("").sent(0), text("").sent(1)},
     invoke<soap_call_QORControl__AnalyseLogFiles, print_log_analysis>,
     cU("fields\n")},
    {cU("ListLogFiles"), {}, invoke<soap_call_QORControl__ListLogFiles, records<kLogFileColumns>>},
    {cU("ConfigureLogFileList"),
     {log_file_mode(), list(kNoEntries)},
     invoke<soap_call_QORControl__ConfigureLogFileList, heading_only>},
    {cU("GetLogFileList"),
     {},
     invoke<soap_call_QORControl__GetLogFileList, filename_lines>,
     cU("filename\n")},
    {cU("OSExecute"),
     {text(), number(), number(), text("")},
     invoke<soap_call_QORControl__OSExecute, print_command_result>,
     cU("exitcode, pid, lines\n")},
    {cU("SendSignal"), {number(), text()}, invoke<soap_call_QORControl__SendSignal, heading_only>},
    {cU("GetCallstack"), {number()}, invoke<soap_call_QORControl__GetCallstack, lines>},
    {cU("J2EEControlProcess"),
     {text(), text()},
     invoke<soap_call_QORControl__J2EEControlProcess, heading_only>},
    {cU("J2EEControlCluster"),
     {text(), text(), text(kAbsent), number(-1).with_previous()},
     invoke<soap_call_QORControl__J2EEControlCluster, heading_only>},
    {cU("J2EEEnableDbgSession"),
     {text().sent(2), text(kAbsent).sent(0), text(kAbsent).sent(1)},
     invoke<soap_call_QORControl__J2EEEnableDbgSession, print_debug_session>,
     cU("key, port\n")},
    {cU("J2EEDisableDbgSession"),
     {text()},
     invoke<soap_call_QORControl__J2EEDisableDbgSession, heading_only>},
    {cU("GetSystemInstanceList"),
     {number(0)},
     invoke<soap_call_QORControl__GetSystemInstanceList, records<kInstanceColumns>>},
    {cU("StartSystem"),
     {system_option(), level(), number(60), text(kAbsent)},
     invoke<soap_call_QORControl__StartSystem, heading_only>},
    {cU("StopSystem"),
     {system_option(), level(), number(300).sent(3), number(0).sent(2)},
     invoke<soap_call_QORControl__StopSystem, heading_only>},
    {cU("RestartSystem"),
     {system_option(), level(), number(300).sent(3), number(0).sent(2), text(kAbsent)},
     invoke<soap_call_QORControl__RestartSystem, heading_only>},
    {cU("AccessCheck"), {text()}, invoke<soap_call_QORControl__AccessCheck, heading_only>},
    {cU("XCMGetThreadList"),
     {},
     invoke<soap_call_QORControl__XCMGetThreadList, records<kXcmThreadColumns>>},
    {cU("XCMGetConnectionList"),
     {},
     invoke<soap_call_QORControl__XCMGetConnectionList, records<kConnectionColumns>>},
    {cU("XCMGetProxyConnectionList"),
     {},
     invoke<soap_call_QORControl__XCMGetProxyConnectionList, records<kProxyColumns>>},
    {cU("XCMGetCacheEntries"),
     {},
     invoke<soap_call_QORControl__XCMGetCacheEntries, records<kCacheEntryColumns>>},
    {cU("WebDispGetServerList"),
     {},
     invoke<soap_call_QORControl__WebDispGetServerList, records<kWebDispColumns>>},
    {cU("GetProcessParameter"),
     {text(), number(-1)},
     invoke<soap_call_QORControl__GetProcessParameter, records<kParameterColumns>>,
     cU("name, group, description, unit, restriction, sub_para, value, dynamic_value, values, "
        "dynamic_values\n")},
    // The parameter name and its values make the one parameter record.
    {cU("SetProcessParameter"),
     {text(), number(), text(), list(kNoEntries).sent(2)},
     invoke<soap_call_QORControl__SetProcessParameter, heading_only>},
    {cU("SetProcessParameter2"),
     {text(), number(), parameter_mode(), text(), list(kNoEntries).sent(3)},
     invoke<soap_call_QORControl__SetProcessParameter2, heading_only>},
    {cU("ShmDetach"),
     {},
     invoke<soap_call_QORControl__ShmDetach, heading_only>,
     nullptr,
     kUnlisted},
    {cU("EnqGetStatistic"),
     {},
     invoke<soap_call_QORControl__EnqGetStatistic, print_enqueue_statistic>},
    {cU("EnqGetLockTable"),
     {},
     invoke<soap_call_QORControl__EnqGetLockTable, records<kLockColumns>>},
    {cU("J2EEGetThreadCallStack"),
     {number(-1)},
     invoke<soap_call_QORControl__J2EEGetThreadCallStack, lines>,
     cU("lines\n")},
    {cU("J2EEGetThreadTaskStack"),
     {number(-1)},
     invoke<soap_call_QORControl__J2EEGetThreadTaskStack, lines>,
     cU("lines\n")},
    {cU("CreateSnapshot"),
     {text(kAbsent), text(kAbsent), number(2), number(10000).sent(5), text("").sent(3),
      text("").sent(4), number(-10000), list("DEFAULT")},
     invoke<soap_call_QORControl__CreateSnapshot, print_snapshot_name>},
    {cU("ReadSnapshot"), {text(), local_file()}, invoke<call_read_snapshot, store_snapshot>},
    {cU("ListSnapshots"),
     {},
     invoke<soap_call_QORControl__ListSnapshots, records<kSnapshotColumns>>,
     cU("filename, size, modtime, description\n")},
    {cU("DeleteSnapshots"), {list()}, invoke<soap_call_QORControl__DeleteSnapshots, heading_only>},
    {cU("CheckHostAgent"), {}, check_host_agent},
    {cU("RequestLogonFile"),
     {text()},
     invoke<soap_call_QORControl__RequestLogonFile, single_value>,
     kEmptyLine},
    {cU("UpdateInstancePSE"),
     {flag()},
     invoke<soap_call_QORControl__UpdateInstancePSE, heading_only>,
     kEmptyLine},
    {cU("UpdateSystemPKI"),
     {flag()},
     invoke<soap_call_QORControl__UpdateSystemPKI, heading_only>,
     kEmptyLine},
    {cU("HACheckConfig"),
     {},
     invoke<soap_call_QORControl__HACheckConfig, records<kHaCheckColumns>>},
    {cU("HACheckFailoverConfig"),
     {},
     invoke<soap_call_QORControl__HACheckFailoverConfig, records<kHaCheckColumns>>},
    {cU("HAGetFailoverConfig"),
     {},
     invoke<soap_call_QORControl__HAGetFailoverConfig, print_failover_config>},
    {cU("HAFailoverToNode"),
     {text()},
     invoke<soap_call_QORControl__HAFailoverToNode, heading_only>,
     kEmptyLine},

    // Client-side waits.
    {cU("WaitforStopped"),
     {wait_timeout(), wait_delay()},
     no_call,
     nullptr,
     0,
     StateWait::kStopped},
    {cU("WaitforStarted"),
     {wait_timeout(), wait_delay()},
     no_call,
     nullptr,
     0,
     StateWait::kStarted},
    {cU("WaitforServiceStarted"), {wait_timeout(), wait_delay()}, wait_for_service},
};

// Every value a rule reads has its place among the request's values.
template <std::size_t N> constexpr bool places_fit(const Webmethod (&rows)[N])
{
    for (const Webmethod& row : rows) {
        int place = 0;
        for (const Arg& arg : row.arguments.args) {
            if (!is_request_value(arg.kind))
                continue;
            const int own_place = place++;
            if ((arg.request >= 0 ? arg.request : own_place) >= kMaxRequestValues)
                return false;
        }
    }
    return true;
}
static_assert(places_fit(kWebmethods), "an argument's place lies beyond the request's values");

} // namespace

const Webmethod* webmethods_begin()
{
    return std::begin(kWebmethods);
}

const Webmethod* webmethods_end()
{
    return std::end(kWebmethods);
}

const Webmethod* find_webmethod(const QOR_UC* name)
{
    if (name == nullptr)
        return nullptr;
    const std::u16string_view wanted(name);
    for (const Webmethod& webmethod : kWebmethods) {
        if (wanted == webmethod.name)
            return &webmethod;
    }
    return nullptr;
}
